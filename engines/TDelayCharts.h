#pragma once
// The numbers behind the chart views of the delay analysis window, each from
// the delay table of a TDelayAnalysis (over its sample rows) or from the
// selected ball's sample values, so that the window only draws them:
//  - the general delay: every ball's cells over the sample;
//  - three shares per ball: the sum of its delays, the rest of all delays,
//    and how often its cell reads exactly 1 (the first draw of a run);
//  - the Haar wavelet packets of the selected ball, one series per block of
//    a level;
//  - the correlation web: each ball's correlation with the selected one,
//    split into a positive and a negative line of the spider graph;
//  - the return map: (value lag rows later, value) with 20-bin histograms
//    of both coordinates;
//  - the periodogram: the magnitudes of the packed Fourier transform;
//  - the time distribution: a point (row, ball) for every ball of every
//    sample draw;
//  - the correlation matrix of all balls as tab-separated text.
//
// Plain functions over const inputs (the wavelet fills the object it is
// given); no state of their own.
#include "TDelayAnalysis.h"

#include <array>
#include <span>
#include <string>
#include <vector>

class TLottery;
class TWL;

class TDelayCharts {
public:
    using Point = TDelayAnalysis::Point;
    using Rows = TDelayAnalysis::Rows;
    using Series = std::vector<Point>;

    // Ball b's cells over the rows as points (r, cell), at index b - 1.
    static std::vector<Series> GeneralDelay(const TDelayAnalysis& analysis, Rows rows);

    struct Shares {
        std::vector<std::string> Labels; // "Dez." + b + ":"
        std::vector<double> Largest;     // sum of -cell over the negative cells
        std::vector<double> Smallest;    // total of Largest minus the ball's own
        std::vector<double> Frequency;   // cells that read exactly "1"
    };
    static Shares BallShares(const TDelayAnalysis& analysis, Rows rows);
    // The positions of values in descending order (ties keep ball order):
    // the order in which a pie shows its slices.
    static std::vector<size_t> Descending(std::span<const double> values);

    // Sizes the wavelet for the values, stores them and transforms.
    static void FillWavelet(TWL& wavelet, std::span<const double> values);
    // Position range of the level chooser: 0 .. Levels - 2 (never below 0),
    // starting at the default level.
    struct LevelRange {
        int Minimum = 0;
        int Maximum = 0;
        int Position = 0;
    };
    static LevelRange WaveletLevels(const TWL& wavelet);
    // One series per block w of the level (2^level blocks, none beyond the
    // levels): points (j + 1, coefficient j of block w).
    static std::vector<Series> WaveletLevel(const TWL& wavelet, int level);

    // Correlations at index b - 1 split into the web's two lines: c on the
    // positive line when c >= 0 (else 0), -c on the negative one when c < 0.
    struct Web {
        std::vector<float> Positive;
        std::vector<float> Negative;
    };
    static Web CorrelationWeb(std::span<const double> correlations);

    static constexpr int Bins = 20;
    struct ReturnMap {
        Series Points; // (values[i + lag], values[i])
        double MinX = 0, MinY = 0, StepX = 1, StepY = 1;
        std::array<int, Bins> BinsX{};
        std::array<int, Bins> BinsY{};
        // Bar tops of the histograms when asked for: a bin with count c is a
        // bar of length c x step x 0.5 from the axis minimum.
        Series HistogramX; // (b stepX + minX, binX[b-1] stepY 0.5 + minY)
        Series HistogramY; // (binY[b-1] stepX 0.5 + minX, b stepY + minY)
    };
    // An empty map (no points, no bars) when lag leaves no pair of values.
    static ReturnMap ReturnMapOf(std::span<const double> values, int lag, bool histogramX, bool histogramY);

    // Points (i, |packed element i|) of the transform of the values, i = 0 ..
    // n - 1 (n = number of values).
    static Series Periodogram(std::span<const double> values);

    // For ball value b = 1..N, series b - 1: a point (r, b) for every row r of
    // the rows whose draw (r - 1) holds ball value b. Rows outside the
    // history have no draw.
    static std::vector<Series> TimeDistribution(const TLottery& lottery, Rows rows);

    // One line per ball i: i, TAB, then BallCorrelation(i, j) with 4 decimals
    // and a TAB for each j; every line ends with CR LF.
    static std::string CorrelationText(const TDelayAnalysis& analysis);
};
