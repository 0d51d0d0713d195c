#include "TKNN.h"
#include "TLottery.h"
#include "TNNMLP.h"
#include "TPointSeries.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

namespace {

using Points = std::vector<TPointSeries::Point>;

// The forecasts read no draws: a history whose file does not exist will do.
TLottery& Game() {
    static TLottery lottery("/nonexistent/forecasts-test.csv");
    return lottery;
}

TPointSeries Series(const std::vector<double>& ys, double x0 = 1, double step = 1) {
    TPointSeries s;
    for (size_t i = 0; i < ys.size(); ++i) s.Append(x0 + step * static_cast<double>(i), ys[i]);
    return s;
}

// A wavy series with negative and fractional values.
TPointSeries Wave(int count, double x0 = 10, double step = 10) {
    std::vector<double> ys;
    for (int i = 0; i < count; ++i) ys.push_back(40 * std::sin(i * 0.7) + 7.3 * std::cos(i * 1.9) - 3.1);
    return Series(ys, x0, step);
}

// Stops the forecast it is handed to after `cycles` cycles and counts them.
struct StopAfter {
    TLottery& lottery;
    int cycles;
    int seen = 0;
    void operator()() {
        if (++seen == cycles) lottery.Stop = true;
    }
};

} // namespace

TEST(MovingAverageTest, WorkedExamples) {
    TPointSeries out;
    EXPECT_EQ(Game().MovingAverage(5, Series({1, 2, 3, 4}), &out), 0);
    EXPECT_EQ(out.Count(), 0);

    EXPECT_EQ(Game().MovingAverage(5, Series({1, 2, 3, 4, 5}), &out), 3);
    EXPECT_EQ(out.Points, (Points{{6, 3}}));

    // Each mean is drawn at the next point's x; the last one after the last x.
    EXPECT_EQ(Game().MovingAverage(2, Series({1, 2, 4}, 10, 10), &out), 3);
    EXPECT_EQ(out.Points, (Points{{30, 1.5}, {31, 3}}));

    // A previous result is replaced, not extended.
    EXPECT_EQ(Game().MovingAverage(3, Series({3, 3, 3}), &out), 3);
    EXPECT_EQ(out.Points, (Points{{4, 3}}));
}

TEST(MovingAverageTest, SumsInExtendedPrecision) {
    // In doubles 1e16 + 1 + 1 is 1e16 and the mean would come out 0.
    TPointSeries out;
    EXPECT_EQ(Game().MovingAverage(4, Series({1e16, 1, 1, -1e16}), &out), 0.5);
}

TEST(MovingAverageTest, DegeneratePeriodsDrawNothing) {
    TPointSeries out{Points{{1, 1}}};
    EXPECT_EQ(Game().MovingAverage(0, Series({1, 2, 3}), &out), 0);
    EXPECT_EQ(out.Count(), 0);
    EXPECT_EQ(Game().MovingAverage(-3, Series({1, 2, 3}), &out), 0);
    EXPECT_EQ(Game().MovingAverage(1, TPointSeries(), &out), 0);
    EXPECT_EQ(out.Count(), 0);
    // Without an output only the result is given.
    EXPECT_EQ(Game().MovingAverage(1, Series({4, 9}), nullptr), 9);
}

TEST(MovingAverageTest, OutputMayBeTheInput) {
    TPointSeries s = Series({2, 4, 6, 8});
    EXPECT_EQ(Game().MovingAverage(2, s, &s), 7);
    EXPECT_EQ(s.Points, (Points{{3, 3}, {4, 5}, {5, 7}}));
}

TEST(ForecastNeighboursTest, LinearSeriesWithDeltaIsForecastExactly) {
    // Every window of a straight line correlates perfectly with every other,
    // and every step is +2: each forecast is the next value of the line.
    std::vector<double> ys;
    for (int i = 0; i < 30; ++i) ys.push_back(2 * i + 1);
    const TPointSeries in = Series(ys, 100);
    TPointSeries out;
    TPointSeries neighbours;
    const double v = Game().ForecastNeighbours(6, 3, true, in, &out, &neighbours);
    EXPECT_EQ(v, 61);
    // Points 7..29 (each from the values before it), then the next one.
    ASSERT_EQ(out.Count(), 30 - 7 + 1);
    for (int i = 0; i + 1 < out.Count(); ++i) {
        EXPECT_EQ(out.X(i), in.X(i + 7));
        EXPECT_EQ(out.Y(i), in.Y(i + 7));
    }
    EXPECT_EQ(out.Points.back(), (TPointSeries::Point{in.X(29) + 1, 61}));
    // Three neighbour successors per forecast point, none for the final one.
    ASSERT_EQ(neighbours.Count(), 3 * (30 - 7));
    EXPECT_EQ(neighbours.X(0), in.X(7));
    EXPECT_EQ(neighbours.X(2), in.X(7));
    EXPECT_EQ(neighbours.X(3), in.X(8));
}

TEST(ForecastNeighboursTest, AgreesWithTheModelPointByPoint) {
    const TPointSeries in = Wave(80);
    TPointSeries out;
    TPointSeries neighbours;
    const double v = Game().ForecastNeighbours(6, 3, false, in, &out, &neighbours);

    TKNN model;
    model.SetCount(in.Count());
    for (int i = 0; i < in.Count(); ++i) model.Values[static_cast<size_t>(i)] = in.Y(i);
    ASSERT_EQ(out.Count(), 80 - 7 + 1);
    for (int t = 7; t < 80; ++t) {
        EXPECT_EQ(out.Y(t - 7), model.Forecast(t, 6, 3)) << t;
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(neighbours.Y(3 * (t - 7) + j), model.Neighbours[static_cast<size_t>(j)]);
    }
    EXPECT_EQ(v, model.Forecast(80, 6, 3));
    EXPECT_EQ(out.Y(out.Count() - 1), v);
}

TEST(ForecastNeighboursTest, ShortAndEmptySeriesReadNothingBeyondTheData) {
    TPointSeries out{Points{{1, 1}}};
    TPointSeries neighbours{Points{{1, 1}}};
    EXPECT_EQ(Game().ForecastNeighbours(6, 3, false, TPointSeries(), &out, &neighbours), 0);
    EXPECT_EQ(out.Count(), 0);
    EXPECT_EQ(neighbours.Count(), 0);

    // Fewer points than the window: only the final forecast (the last value).
    EXPECT_EQ(Game().ForecastNeighbours(6, 3, false, Series({5, 7, 9}, 1), &out, &neighbours), 9);
    EXPECT_EQ(out.Points, (Points{{4, 9}}));
    EXPECT_EQ(neighbours.Count(), 0);

    // A negative window starts at the first point after the first.
    EXPECT_EQ(Game().ForecastNeighbours(-4, 2, false, Series({5, 7, 9}, 1), &out, nullptr), 9);
    EXPECT_EQ(out.Count(), 3);
    EXPECT_EQ(out.X(0), 2);
}

TEST(ForecastNetworkTest, WithoutLastForecastsAfterTheSecondToLastPoint) {
    const TPointSeries in = Wave(100); // x = 10, 20, ..., 1000
    for (const bool withoutLast : {true, false}) {
        TPointSeries out;
        StopAfter stop{Game(), 1};
        Game().ForecastNetwork(60, 6, 10, withoutLast, false, in, &out, std::ref(stop));
        const int last = withoutLast ? 98 : 99;
        ASSERT_EQ(out.Count(), 70);
        // The fitted values sit at the x of the last 60 points used.
        EXPECT_EQ(out.X(0), in.X(last - 59));
        EXPECT_EQ(out.X(59), in.X(last));
        for (int f = 1; f <= 10; ++f) EXPECT_EQ(out.X(59 + f), in.X(last) + f);
    }
}

TEST(ForecastNetworkTest, StopEndsTheRunAfterTheCurrentCycle) {
    const TPointSeries in = Wave(90);
    TPointSeries out;
    Points seenAtThirdCycle;
    int cycles = 0;
    // A stop request left from an earlier run does not end this one.
    Game().Stop = true;
    const double v = Game().ForecastNetwork(60, 6, 10, true, false, in, &out, [&] {
        if (++cycles == 3) {
            seenAtThirdCycle = out.Points;
            Game().Stop = true;
        }
    });
    EXPECT_EQ(cycles, 3);
    EXPECT_EQ(out.Points, seenAtThirdCycle);
    ASSERT_EQ(out.Count(), 70);
    EXPECT_EQ(v, out.Y(69));
}

TEST(ForecastNetworkTest, StopFromAnotherThread) {
    const TPointSeries in = Wave(90);
    TPointSeries out;
    std::atomic<int> cycles{0};
    std::thread worker([&] { Game().ForecastNetwork(60, 6, 10, false, false, in, &out, [&] { ++cycles; }); });
    while (cycles.load() == 0) std::this_thread::yield();
    Game().Stop = true;
    worker.join();
    // It ended long before its limit, with a whole cycle's points.
    EXPECT_LT(cycles.load(), TLottery::MaxNetworkCycles + 1);
    EXPECT_EQ(out.Count(), 70);
}

TEST(ForecastNetworkTest, RoundingCutsTowardZeroAndFeedsTheNextInputs) {
    const TPointSeries in = Wave(70);
    constexpr uint64_t Seed = 20240611;
    TPointSeries rounded;
    TPointSeries plain;
    StopAfter stop1{Game(), 1};
    StopAfter stop2{Game(), 1};
    Game().ForecastNetwork(40, 6, 5, false, true, in, &rounded, std::ref(stop1), Seed);
    Game().ForecastNetwork(40, 6, 5, false, false, in, &plain, std::ref(stop2), Seed);
    ASSERT_EQ(rounded.Count(), 45);
    ASSERT_EQ(plain.Count(), 45);

    // The same seed trains the same network: fitted values and the first
    // forecast are the plain ones cut toward zero.
    bool negativeFraction = false;
    for (int i = 0; i <= 40; ++i) {
        EXPECT_EQ(rounded.Y(i), std::trunc(plain.Y(i))) << i;
        negativeFraction = negativeFraction || (plain.Y(i) < 0 && plain.Y(i) != std::trunc(plain.Y(i)));
    }
    EXPECT_TRUE(negativeFraction) << "the sample should exercise cutting of negative values";

    // The later forecasts are fed by the cut ones: a network trained the
    // same way, asked with the cut values among its inputs, gives them.
    TNNMLP net(7, 8, 1);
    net.Activation = 2;
    net.LearningRate = 0.6;
    net.Tolerance = 1e-9;
    net.Epochs = 100;
    net.Seed(Seed);
    net.SetPatternCount(40);
    net.InitWeights();
    for (int t = 0; t < 40; ++t) {
        const int i = 69 - 39 + t;
        for (int j = 0; j < 6; ++j)
            net.PatternIn[static_cast<size_t>(t)][static_cast<size_t>(j)] = in.Y(i - 6 + j);
        net.PatternIn[static_cast<size_t>(t)][6] = in.X(i);
        net.PatternOut[static_cast<size_t>(t)][0] = in.Y(i);
    }
    net.Train();
    std::vector<double> history;
    for (int i = 0; i < 70; ++i) history.push_back(in.Y(i));
    for (int f = 1; f <= 5; ++f) {
        for (int j = 0; j < 6; ++j)
            net.Input[static_cast<size_t>(j)] = history[history.size() - 6 + static_cast<size_t>(j)];
        net.Input[6] = in.X(69) + f;
        net.Compute();
        const double v = std::trunc(net.Output[0]);
        EXPECT_EQ(rounded.Y(39 + f), v) << f;
        history.push_back(v);
    }
}

TEST(ForecastNetworkTest, ShortHistoriesShortenTheSampleOrAreRefused) {
    EXPECT_EQ(TLottery::NetworkSampleSize(60, 6, 100, true), 60);
    EXPECT_EQ(TLottery::NetworkSampleSize(60, 6, 20, false), 14); // points 6..19
    EXPECT_EQ(TLottery::NetworkSampleSize(60, 6, 20, true), 13);  // points 6..18
    EXPECT_EQ(TLottery::NetworkSampleSize(60, 6, 7, false), 1);
    EXPECT_EQ(TLottery::NetworkSampleSize(60, 6, 6, false), 0);
    EXPECT_EQ(TLottery::NetworkSampleSize(60, 6, 7, true), 0);
    EXPECT_EQ(TLottery::NetworkSampleSize(0, 6, 100, false), 0);
    EXPECT_EQ(TLottery::NetworkSampleSize(10, -1, 100, false), 0);

    // Twenty points: the fitted values stay on the data's own x values.
    const TPointSeries in = Wave(20);
    TPointSeries out;
    StopAfter stop{Game(), 2};
    Game().ForecastNetwork(60, 6, 10, false, false, in, &out, std::ref(stop));
    ASSERT_EQ(out.Count(), 14 + 10);
    for (int t = 0; t < 14; ++t) EXPECT_EQ(out.X(t), in.X(6 + t));
    EXPECT_EQ(out.X(14), in.X(19) + 1);

    // Too few points: nothing is trained or drawn, and no cycle is reported.
    TPointSeries stale{Points{{1, 1}}};
    int cycles = 0;
    EXPECT_EQ(Game().ForecastNetwork(60, 6, 10, true, false, Wave(7), &stale, [&] { ++cycles; }), 0);
    EXPECT_EQ(stale.Count(), 0);
    EXPECT_EQ(cycles, 0);
    EXPECT_EQ(Game().ForecastNetwork(60, 6, 10, false, false, TPointSeries(), nullptr, [&] { ++cycles; }), 0);
    EXPECT_EQ(cycles, 0);
}
