// The game-level forecasts of TLottery: network, nearest neighbours and
// moving average of a chart series. They touch no draw of the history; the
// network forecast reads and clears Stop, which another thread may set.
#include "TLottery.h"

#include "TKNN.h"
#include "TNNMLP.h"
#include "TPointSeries.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// The series to read: the input itself, or a copy of it when one of the
// outputs is the same object (clearing that output would erase the input).
class TInputView {
public:
    TInputView(const TSeries& input, const TSeries* output1, const TSeries* output2) : series_(&input) {
        if (output1 == &input || output2 == &input) {
            copy_ = std::make_unique<TPointSeries>();
            copy_->Points.reserve(static_cast<size_t>(std::max(input.Count(), 0)));
            for (int i = 0; i < input.Count(); ++i) copy_->Append(input.X(i), input.Y(i));
            series_ = copy_.get();
        }
    }
    const TSeries& operator*() const { return *series_; }
    const TSeries* operator->() const { return series_; }

private:
    const TSeries* series_;
    std::unique_ptr<TPointSeries> copy_;
};

} // namespace

int32_t TLottery::NetworkSampleSize(int32_t sampleSize, int32_t window, int32_t pointCount,
                                    bool withoutLast) {
    if (sampleSize < 1 || window < 0) return 0;
    const int64_t last = static_cast<int64_t>(pointCount) - (withoutLast ? 2 : 1);
    // Points window..last have `window` values before them.
    const int64_t usable = last - window + 1;
    if (usable < 1) return 0;
    return static_cast<int32_t>(std::min<int64_t>(sampleSize, usable));
}

double TLottery::ForecastNetwork(int32_t sampleSize, int32_t window, int32_t forecastCount, bool withoutLast,
                                 bool roundToInteger, const TSeries& input, TSeries* output,
                                 const CycleHook& cycleDone, std::optional<uint64_t> seed) {
    Stop = false;
    const TInputView in(input, output, nullptr);
    const int32_t samples = NetworkSampleSize(sampleSize, window, in->Count(), withoutLast);
    if (samples == 0) {
        if (output) {
            output->Clear();
            output->Redraw();
        }
        return 0;
    }
    forecastCount = std::max(forecastCount, 0);
    const int32_t last = in->Count() - (withoutLast ? 2 : 1);
    // With enough data this is last - sampleSize + 1; a shortened sample
    // starts at the first point with `window` values before it.
    const int32_t first = last - samples + 1;

    TNNMLP network(window + 1, 8, 1);
    network.Activation = 2;
    network.LearningRate = 0.6;
    network.Tolerance = 1e-9;
    network.Epochs = 100;
    if (seed) network.Seed(*seed);
    network.SetPatternCount(samples);
    network.InitWeights();
    for (int32_t t = 0; t < samples; ++t) {
        const int32_t i = first + t;
        std::vector<double>& pattern = network.PatternIn[static_cast<size_t>(t)];
        for (int32_t j = 0; j < window; ++j) pattern[static_cast<size_t>(j)] = in->Y(i - window + j);
        pattern[static_cast<size_t>(window)] = in->X(i);
        network.PatternOut[static_cast<size_t>(t)][0] = in->Y(i);
    }

    const auto value = [&](double v) { return roundToInteger ? std::trunc(v) : v; };
    // forecasts[f] for f = 1..forecastCount; slot 0 unused.
    std::vector<double> forecasts(static_cast<size_t>(forecastCount) + 1, 0.0);
    double result = 0;
    for (int32_t cycles = 1;; ++cycles) {
        network.Train();
        if (output) output->Clear();

        for (int32_t t = 0; t < samples; ++t) {
            network.SelectPattern(t);
            network.Compute();
            const double v = value(network.Output[0]);
            if (output) output->Append(in->X(first + t), v);
            result = v;
        }

        double x = in->X(last);
        for (int32_t f = 1; f <= forecastCount; ++f) {
            for (int32_t j = 0; j < window; ++j) {
                const int32_t q = last - window + j + f;
                network.Input[static_cast<size_t>(j)] =
                    q > last ? forecasts[static_cast<size_t>(q - last)] : in->Y(q);
            }
            x += 1;
            network.Input[static_cast<size_t>(window)] = x;
            network.Compute();
            const double v = value(network.Output[0]);
            forecasts[static_cast<size_t>(f)] = v;
            if (output) output->Append(x, v);
            result = v;
        }

        if (output) output->Redraw();
        if (cycleDone) cycleDone();
        if (network.Converged || cycles > MaxNetworkCycles || Stop) break;
    }
    return result;
}

double TLottery::ForecastNeighbours(int32_t window, int32_t neighbourCount, bool useDelta,
                                    const TSeries& input, TSeries* output, TSeries* neighbourPoints) const {
    const TInputView in(input, output, neighbourPoints);
    if (output) output->Clear();
    if (neighbourPoints) neighbourPoints->Clear();
    const int32_t count = in->Count();
    double v = 0;
    if (count > 0) {
        const int32_t last = count - 1;
        TKNN model;
        model.Delta = useDelta;
        model.SetCount(count);
        for (int32_t i = 0; i < count; ++i) model.Values[static_cast<size_t>(i)] = in->Y(i);

        // Each point t from window + 1 on, forecast from the values before it.
        for (int32_t i = std::max(window, 0); i < last; ++i) {
            const int32_t t = i + 1;
            v = model.Forecast(t, window, neighbourCount);
            const double x = in->X(t);
            if (output) output->Append(x, v);
            if (neighbourPoints)
                for (int32_t j = 0; j < model.K; ++j)
                    neighbourPoints->Append(x, model.Neighbours[static_cast<size_t>(j)]);
        }
        v = model.Forecast(last + 1, window, neighbourCount);
        if (output) output->Append(in->X(last) + 1, v);
    }
    if (output) output->Redraw();
    if (neighbourPoints) neighbourPoints->Redraw();
    return v;
}

double TLottery::MovingAverage(int32_t period, const TSeries& input, TSeries* output) const {
    const TInputView in(input, output, nullptr);
    if (output) output->Clear();
    const int32_t last = in->Count() - 1;
    double average = 0;
    if (period >= 1 && last >= period - 1) {
        for (int32_t t = period - 1; t <= last; ++t) {
            // Newest value first, summed in extended precision.
            long double sum = 0;
            for (int32_t i = t; i > t - period; --i) sum += in->Y(i);
            average = static_cast<double>(sum / period);
            if (output) output->Append(t < last ? in->X(t + 1) : in->X(last) + 1, average);
        }
    }
    if (output) output->Redraw();
    return average;
}
