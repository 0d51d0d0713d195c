#pragma once
// One game's draw history, read once from its data file, with everything the
// windows derive from it: balls as read and sorted, each draw's CSN, which
// ball occurs in which draw, the positional theory and the game's figures.
//
// Ownership: the game window owns its TLottery; analysis windows and the
// calculator hold non-owning references and must stop using it before the
// game window frees it (see the game window's closing).
//
// Threading: the history itself never changes after construction and may be
// read from worker threads. The caches (CommonBalls, HitsOfDraw, HitsOfDrawB)
// and the statistics areas are scratch state: UI thread only.
#include "TCSN.h"
#include "TSeries.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

// A malformed game data file. The message is the one the user sees.
class TLoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TLottery {
public:
    // Longest run counted by the delay and advance statistics.
    static constexpr int32_t MaxRun = 50;
    // Window kinds, in the order of the WindowOpen flags.
    enum WindowKind : int {
        Lexicographic = 0,
        Delay = 1,
        Segmentation = 2,
        Bayesian = 3,
        Positional = 4,
        Recurrence = 5,
        PositionalBayesian = 6,
        BetCheck = 7,
        Backtest = 8,
    };
    static constexpr int WindowKinds = 9;
    // Bounds of what a data file may describe. Larger values would only come
    // from a broken file and would make the tables absurdly large.
    static constexpr int32_t MaxBallValue = 1000;
    static constexpr int32_t MaxPerCombination = 1000;
    static constexpr uint64_t MaxFileBytes = 256ull << 20;
    static constexpr uint64_t MaxTableBytes = 1ull << 30;

    // Reads the file. A missing file leaves Loaded false; a malformed one
    // throws TLoadError and no object exists: a field that is not an integer
    // ("'%s' is not a valid integer value"), a missing field ("List index out
    // of bounds (%d)", also for an empty file or a blank line), a ball below 0
    // or above MaxBallValue, a header of more than MaxPerCombination balls, a
    // file above MaxFileBytes or tables above MaxTableBytes (Portuguese texts).
    //
    // A draw that repeats a ball is loaded as read: its CSN is the formula's
    // value, which belongs to another combination or lies outside 1..Total;
    // the ball sets of such CSNs only mark values within 0..n.
    explicit TLottery(const std::string& fileName);
    // The history as it stood before draw `drawCount` of source: its first
    // drawCount draws (cut to 0..source.DrawCount) with the source's n, k,
    // zero-based flag and figures, and every table rebuilt from those draws
    // alone, so nothing computed on it can depend on a later draw. Its
    // FileName is the source's.
    TLottery(const TLottery& source, int32_t drawCount);
    ~TLottery();
    TLottery(const TLottery&) = delete;
    TLottery& operator=(const TLottery&) = delete;

    int32_t DrawCount = 0;
    int32_t SuperballBalls = 0;
    bool ZeroBased = false;
    bool Superball = false;
    bool Loaded = false;

    // [column 0..k][draw 0..DrawCount]: column 0 the contest, 1..k the balls as
    // read. The extra last draw slot stays 0.
    std::vector<std::vector<int32_t>> Draws;
    // [position 0..k][draw]: 0..k-1 the balls ascending, k the contest number.
    std::vector<std::vector<int32_t>> SortedDraws;
    // [ball value 0..n][draw 0..DrawCount]: 1 when the ball is in the draw.
    std::vector<std::vector<uint8_t>> Presence;
    // [draw 0..DrawCount]
    std::vector<double> CSNs;

    int32_t SampleSize = 0;
    int32_t WindowCount = 0;
    int32_t WindowSize = 0;

    using RunTable = std::vector<std::vector<std::array<int32_t, MaxRun + 1>>>; // [b][p][m]
    using RunTheory = std::vector<std::vector<std::array<double, MaxRun + 1>>>; // [b][p][m]
    RunTable DelayCounts;
    RunTable AdvanceCounts;
    std::vector<std::vector<int32_t>> PositionCounts; // [b][p]
    std::vector<int32_t> WindowHits;
    RunTheory DelayTheory;
    RunTheory AdvanceTheory;
    std::vector<std::vector<double>> PositionProbabilities;  // [b][p]
    std::vector<std::vector<std::string>> PositionFractions; // [b][p]

    std::unique_ptr<TCSN> Converter;
    double SuperballTotal = 0;
    double SuperballBirthday = 0;
    double Birthday = 0;
    std::string FileName;
    std::array<bool, WindowKinds> WindowOpen{};
    // Ends a running network forecast after its current cycle; may be set
    // from another thread than the one running the forecast.
    std::atomic<bool> Stop{false};

    // n and k of the game (0 when nothing was loaded).
    int32_t Elements() const { return Converter ? Converter->Elements : 0; }
    int32_t PerCombination() const { return Converter ? Converter->PerCombination : 0; }

    double DrawCSN(int32_t d);
    // Runs and counts over the last sampleSize draws (cut to DrawCount).
    void ComputePositionStatistics(int32_t sampleSize);
    // Hits of a ball value (as stored) at a sorted position in every window
    // of windowSize draws; no windows unless 1 <= windowSize <= DrawCount.
    void CountWindowHits(int32_t windowSize, int32_t ball, int32_t position);
    int32_t CommonBalls(double csn1, double csn2);
    int32_t HitsOfDraw(int32_t d, double csn);
    int32_t HitsOfDrawB(int32_t d, double csn);
    int32_t CommonBallsOfDraws(int32_t d1, int32_t d2) const;

    // Draw indices outside 0..DrawCount-1 count nothing (result 0).
    // Cache-free forms for worker threads: the membership set [ball value
    // 0..n] of the combination of a CSN (only values within 0..n are marked),
    // and how many of draw d's balls such a set holds.
    std::vector<uint8_t> BallSetOf(double csn) const;
    int32_t HitsOfDrawIn(int32_t d, std::span<const uint8_t> ballSet) const;

    // Forecasts of a series that a window shows in a chart; they read no
    // draws. Input is read, Output (and NeighbourPoints) are cleared and
    // rewritten when given; each returns its last forecast. An output may be
    // the input series itself: the input is then read from a copy.

    // Longest network forecast: the loop ends after cycle MaxNetworkCycles + 1.
    static constexpr int32_t MaxNetworkCycles = 3000;
    // Called after each training cycle has written and redrawn its points:
    // the place to show progress or to let a stop request reach Stop.
    using CycleHook = std::function<void()>;
    // How many training patterns a network forecast uses: sampleSize, cut to
    // the points that have `window` values before them up to the last point
    // used (pointCount - 2 without the last point, else pointCount - 1).
    // 0 when not even one such point exists (the forecast is then refused).
    static int32_t NetworkSampleSize(int32_t sampleSize, int32_t window, int32_t pointCount,
                                     bool withoutLast);
    // A window+1 / 8 / 1 perceptron learns y(i) from the `window` values
    // before point i and x(i) over the last points, in cycles of 100 epochs
    // until it converges, Stop is set or MaxNetworkCycles + 1 cycles ran.
    // Every cycle rewrites Output with the fitted values at the sample's x
    // and forecastCount forecasts at x(last used) + 1, + 2, ..., each fed by
    // the previous ones; with roundToInteger every value is cut toward zero
    // before it is shown or fed on. Clears Stop when it starts. A sample
    // longer than the data is shortened (NetworkSampleSize); with no usable
    // point nothing is trained, Output is left empty and the result is 0.
    // seed makes the training reproducible (tests); by default the network
    // seeds itself from the clock.
    double ForecastNetwork(int32_t sampleSize, int32_t window, int32_t forecastCount, bool withoutLast,
                           bool roundToInteger, const TSeries& input, TSeries* output,
                           const CycleHook& cycleDone = {}, std::optional<uint64_t> seed = std::nullopt);
    // One k-nearest-neighbour forecast per point from `window` on (each from
    // the values before it), then the forecast of the point after the last,
    // at x(last) + 1. NeighbourPoints receives, at each forecast point's x,
    // the successors of the neighbours chosen for it. An empty input gives 0
    // and no points.
    double ForecastNeighbours(int32_t window, int32_t neighbourCount, bool useDelta, const TSeries& input,
                              TSeries* output, TSeries* neighbourPoints) const;
    // The mean of each `period` consecutive values, drawn one step ahead as
    // the forecast of the next point (the last one at x(last) + 1). Fewer
    // points than the period, or a period below 1, give 0 and no points.
    double MovingAverage(int32_t period, const TSeries& input, TSeries* output) const;

private:
    struct BallSetCache {
        double csn = 0;
        std::vector<uint8_t> set; // [ball value 0..n]
    };
    void Load();
    void BuildTheory();
    void BuildPresenceAndCaches();
    void LoadCache(BallSetCache& cache, double csn);
    int32_t HitsWithCache(BallSetCache& cache, int32_t d, double csn);

    BallSetCache cacheA_;
    BallSetCache cacheB_;
};
