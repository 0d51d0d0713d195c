#include "TQSGLine.h"

#include "TQSpiderAxe.h"
#include "TQSpiderGraph.h"

#include <algorithm>

TQSGLine::TQSGLine(TQSpiderGraph& owner, int index)
    : owner_(owner), index_(index), color_(TQSpiderGraph::NearestColor(Qt::red)),
      penWidth_(owner.defaultPenWidth()), showPoints_(owner.showLinesPoints()),
      values_(static_cast<size_t>(owner.axesCount()), 0.0f) {}

void TQSGLine::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    // The legend and this line's mouse box show the caption.
    owner_.LinesBoxStale();
    owner_.MouseBoxesStale(index_);
    owner_.update();
}

void TQSGLine::SetColor(const QColor& color) {
    const QColor nearest = TQSpiderGraph::NearestColor(color);
    if (nearest == color_) return;
    color_ = nearest;
    owner_.LinesBoxStale();
    owner_.MouseBoxesStale(index_);
    owner_.update();
}

void TQSGLine::SetPenWidth(int width) {
    penWidth_ = std::max(width, 1);
    owner_.update();
}

void TQSGLine::SetShowPoints(bool show) {
    showPoints_ = show;
    owner_.update();
}

void TQSGLine::SetValues(std::span<const float> values) {
    const int axes = owner_.axesCount();
    const int given = std::min(static_cast<int>(values.size()), axes);
    values_.resize(static_cast<size_t>(axes), 0.0f);
    for (int i = 0; i < given; ++i) {
        const float v = values[static_cast<size_t>(i)];
        values_[static_cast<size_t>(i)] = v;
        TQSpiderAxe& axe = *owner_.Axes(i);
        // Data range over the lines that already have values; on this line's
        // first call it does not count itself yet.
        float low = v;
        float high = v;
        if (!owner_.DataRange(i, low, high)) low = high = v;
        const float m = axe.autoMin_ ? low : axe.minValue_;
        const float mx = axe.autoMax_ ? high : axe.maxValue_;
        if (v <= m) axe.minValue_ = v;
        if (v >= mx) axe.maxValue_ = v;
        if (axe.autoMin_ || axe.autoMax_) owner_.RangesStale();
    }
    for (int i = given; i < axes; ++i) values_[static_cast<size_t>(i)] = owner_.Axes(i)->minValue_;
    hasValues_ = true;
    owner_.MouseBoxesStale(index_);
    owner_.update();
}
