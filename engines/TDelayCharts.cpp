#include "TDelayCharts.h"

#include "NumberText.h"
#include "TFFT.h"
#include "TLottery.h"
#include "TWL.h"

#include <algorithm>
#include <cmath>
#include <numeric>

std::vector<TDelayCharts::Series> TDelayCharts::GeneralDelay(const TDelayAnalysis& analysis, Rows rows) {
    std::vector<Series> out(static_cast<size_t>(std::max(analysis.Elements(), 0)));
    for (int b = 1; b <= analysis.Elements(); ++b) {
        const std::vector<double> values = analysis.BallSeries(b, rows);
        Series& series = out[static_cast<size_t>(b - 1)];
        series.reserve(values.size());
        for (size_t i = 0; i < values.size(); ++i)
            series.push_back({static_cast<double>(rows.First + static_cast<int>(i)), values[i]});
    }
    return out;
}

TDelayCharts::Shares TDelayCharts::BallShares(const TDelayAnalysis& analysis, Rows rows) {
    Shares shares;
    const int n = std::max(analysis.Elements(), 0);
    // Only the integer views write a cell that reads "1"; relative cells
    // always carry six decimals.
    const bool integerCells = analysis.TableView() != TDelayAnalysis::View::Relative;
    long double total = 0;
    for (int b = 1; b <= n; ++b) {
        long double delays = 0;
        int ones = 0;
        for (const double v : analysis.BallSeries(b, rows)) {
            if (v < 0) delays -= v;
            if (integerCells && v == 1) ++ones;
        }
        shares.Labels.push_back("Dez." + NumberText::FormatInt(b) + ":");
        shares.Largest.push_back(static_cast<double>(delays));
        shares.Frequency.push_back(ones);
        total += delays;
    }
    for (const double largest : shares.Largest)
        shares.Smallest.push_back(static_cast<double>(total - largest));
    return shares;
}

std::vector<size_t> TDelayCharts::Descending(std::span<const double> values) {
    std::vector<size_t> order(values.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return values[a] > values[b]; });
    return order;
}

void TDelayCharts::FillWavelet(TWL& wavelet, std::span<const double> values) {
    wavelet.Create(static_cast<int>(values.size()));
    for (size_t i = 0; i < values.size(); ++i) wavelet.SetValue(static_cast<int>(i), values[i]);
    wavelet.Transform();
}

TDelayCharts::LevelRange TDelayCharts::WaveletLevels(const TWL& wavelet) {
    LevelRange range;
    // A series of fewer than four values has fewer than two levels: the
    // chooser then offers level 0 alone rather than an inverted range.
    range.Maximum = std::max(wavelet.GetLevels() - 2, 0);
    range.Position = std::clamp(wavelet.GetDefaultLevel(), range.Minimum, range.Maximum);
    return range;
}

std::vector<TDelayCharts::Series> TDelayCharts::WaveletLevel(const TWL& wavelet, int level) {
    std::vector<Series> out(static_cast<size_t>(wavelet.BlockCount(level)));
    const int count = wavelet.CoefficientCount(level);
    for (size_t w = 0; w < out.size(); ++w)
        for (int j = 0; j < count; ++j)
            out[w].push_back(
                {static_cast<double>(j + 1), wavelet.GetCoefficient(level, static_cast<int>(w), j)});
    return out;
}

TDelayCharts::Web TDelayCharts::CorrelationWeb(std::span<const double> correlations) {
    Web web;
    for (const double c : correlations) {
        // A correlation that is not a number counts as none.
        const double value = std::isfinite(c) ? c : 0.0;
        web.Positive.push_back(value >= 0 ? static_cast<float>(value) : 0.0f);
        web.Negative.push_back(value < 0 ? static_cast<float>(-value) : 0.0f);
    }
    return web;
}

TDelayCharts::ReturnMap TDelayCharts::ReturnMapOf(std::span<const double> values, int lag, bool histogramX,
                                                  bool histogramY) {
    ReturnMap map;
    const auto count = static_cast<int>(values.size());
    if (lag < 0 || lag >= count) return map;
    double minX = 999999999, minY = 999999999, maxX = -999999999, maxY = -999999999;
    for (int i = 0; i + lag < count; ++i) {
        const double x = values[static_cast<size_t>(i + lag)];
        const double y = values[static_cast<size_t>(i)];
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
        map.Points.push_back({x, y});
    }
    map.MinX = minX;
    map.MinY = minY;
    map.StepX = (maxX - minX) / Bins;
    if (map.StepX == 0) map.StepX = 1;
    map.StepY = (maxY - minY) / Bins;
    if (map.StepY == 0) map.StepY = 1;
    // The maximum of an axis falls at bin index Bins, one past the last bin:
    // it is counted in the last bin.
    const auto bin = [](double offset, double step) {
        return std::clamp(static_cast<int>(std::trunc(offset / step)), 0, Bins - 1);
    };
    for (const Point& p : map.Points) {
        ++map.BinsX[static_cast<size_t>(bin(p.x - minX, map.StepX))];
        ++map.BinsY[static_cast<size_t>(bin(p.y - minY, map.StepY))];
    }
    for (int b = 1; b <= Bins; ++b) {
        const auto i = static_cast<size_t>(b - 1);
        if (histogramY)
            map.HistogramY.push_back({map.BinsY[i] * map.StepX * 0.5 + minX, b * map.StepY + minY});
        if (histogramX)
            map.HistogramX.push_back({b * map.StepX + minX, map.BinsX[i] * map.StepY * 0.5 + minY});
    }
    return map;
}

TDelayCharts::Series TDelayCharts::Periodogram(std::span<const double> values) {
    TFFT fft;
    fft.Create(static_cast<int>(values.size()));
    for (size_t i = 0; i < values.size(); ++i) fft.SetValue(static_cast<int>(i), values[i]);
    fft.Transform();
    Series out;
    out.reserve(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        out.push_back({static_cast<double>(i), fft.GetMagnitude(static_cast<int>(i))});
    return out;
}

std::vector<TDelayCharts::Series> TDelayCharts::TimeDistribution(const TLottery& lottery, Rows rows) {
    const int n = std::max(lottery.Elements(), 0);
    std::vector<Series> out(static_cast<size_t>(n));
    const int first = std::max(rows.First, 1);
    const int last = std::min(rows.Last, lottery.DrawCount);
    for (int b = 1; b <= n; ++b) {
        if (static_cast<size_t>(b) >= lottery.Presence.size()) break;
        const std::vector<uint8_t>& present = lottery.Presence[static_cast<size_t>(b)];
        for (int r = first; r <= last; ++r)
            if (static_cast<size_t>(r - 1) < present.size() && present[static_cast<size_t>(r - 1)])
                out[static_cast<size_t>(b - 1)].push_back({static_cast<double>(r), static_cast<double>(b)});
    }
    return out;
}

std::string TDelayCharts::CorrelationText(const TDelayAnalysis& analysis) {
    std::string text;
    for (int i = 1; i <= analysis.Elements(); ++i) {
        text += NumberText::FormatInt(i);
        text += '\t';
        for (int j = 1; j <= analysis.Elements(); ++j) {
            text += NumberText::FormatFixed(analysis.BallCorrelation(i, j), 4);
            text += '\t';
        }
        text += "\r\n";
    }
    return text;
}
