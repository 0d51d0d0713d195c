#include "TQSpiderAxe.h"

#include "TQSpiderGraph.h"

#include <cmath>

TQSpiderAxe::TQSpiderAxe(TQSpiderGraph& owner, int index, bool autoSized)
    : owner_(owner), index_(index), caption_(QString::number(index)), autoMin_(autoSized),
      autoMax_(autoSized) {}

void TQSpiderAxe::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    owner_.MouseBoxesStale(-1);
    owner_.update();
}

void TQSpiderAxe::SetMinValue(float value) {
    autoMin_ = false;
    float low = 0;
    float high = 0;
    if (!owner_.DataRange(index_, low, high) || value <= low) minValue_ = value;
    owner_.update();
}

void TQSpiderAxe::SetMaxValue(float value) {
    autoMax_ = false;
    float low = 0;
    float high = 0;
    if (!owner_.DataRange(index_, low, high) || value >= high) maxValue_ = value;
    owner_.update();
}

void TQSpiderAxe::SetAutoMin(bool value) {
    autoMin_ = value;
    if (!value) return;
    const long double lo = minValue_;
    const long double hi = maxValue_;
    if (lo == 0 && hi == 0)
        minValue_ = -1;
    else
        minValue_ = static_cast<float>(lo - (std::fabs(lo) + std::fabs(hi)) / 20);
}

void TQSpiderAxe::SetAutoMax(bool value) {
    autoMax_ = value;
    if (!value) return;
    const long double lo = minValue_;
    const long double hi = maxValue_;
    if (lo == 0 && hi == 0)
        maxValue_ = 1;
    else
        maxValue_ = static_cast<float>(hi + (std::fabs(lo) + std::fabs(hi)) / 20);
}
