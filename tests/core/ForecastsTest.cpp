#include "TLottery.h"
#include "TNNMLP.h"
#include "TPointSeries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
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

// A wavy series with negative and fractional values, x = 10, 20, ...
TPointSeries Wave(int count) {
    std::vector<double> ys;
    for (int i = 0; i < count; ++i) ys.push_back(40 * std::sin(i * 0.7) + 7.3 * std::cos(i * 1.9) - 3.1);
    return Series(ys, 10, 10);
}

// A cycle hook that stops the forecast after `cycles` cycles.
TLottery::CycleHook StopAfter(int cycles) {
    return [cycles, seen = 0]() mutable {
        if (++seen == cycles) Game().Stop = true;
    };
}

} // namespace

TEST(MovingAverageTest, WorkedExamples) {
    // Each mean is drawn at the next point's x, the last one after the last
    // x; sums are in extended precision (in doubles 1e16 + 1 + 1 is 1e16).
    const std::vector<std::tuple<int, TPointSeries, double, Points>> cases = {
        {5, Series({1, 2, 3, 4}), 0, {}},
        {5, Series({1, 2, 3, 4, 5}), 3, {{6, 3}}},
        {2, Series({1, 2, 4}, 10, 10), 3, {{30, 1.5}, {31, 3}}},
        {4, Series({1e16, 1, 1, -1e16}), 0.5, {{5, 0.5}}},
        {0, Series({1, 2, 3}), 0, {}},
        {-3, Series({1, 2, 3}), 0, {}},
        {1, TPointSeries(), 0, {}}};
    for (const auto& [period, in, result, points] : cases) {
        TPointSeries out{Points{{9, 9}}}; // a previous result is replaced
        EXPECT_EQ(Game().MovingAverage(period, in, &out), result) << period;
        EXPECT_EQ(out.Points, points) << period;
    }
    EXPECT_EQ(Game().MovingAverage(1, Series({4, 9}), nullptr), 9);
    TPointSeries s = Series({2, 4, 6, 8}); // the output may be the input
    EXPECT_EQ(Game().MovingAverage(2, s, &s), 7);
    EXPECT_EQ(s.Points, (Points{{3, 3}, {4, 5}, {5, 7}}));
}

TEST(ForecastNeighboursTest, LinearSeriesIsForecastExactlyAndShortOnesReadNothingBeyond) {
    // A straight line: every window correlates perfectly with every other and
    // every step is +2, so each forecast is the line's next value.
    std::vector<double> ys;
    for (int i = 0; i < 30; ++i) ys.push_back(2 * i + 1);
    const TPointSeries in = Series(ys, 100);
    TPointSeries out, neighbours;
    EXPECT_EQ(Game().ForecastNeighbours(6, 3, true, in, &out, &neighbours), 61);
    ASSERT_EQ(out.Count(), 30 - 7 + 1); // points 7..29, then the next one
    for (int i = 0; i + 1 < out.Count(); ++i)
        EXPECT_EQ(out.Points[i], (TPointSeries::Point{in.X(i + 7), in.Y(i + 7)}));
    EXPECT_EQ(out.Points.back(), (TPointSeries::Point{in.X(29) + 1, 61}));
    EXPECT_EQ(neighbours.Count(), 3 * (30 - 7)); // three successors per point, none for the last

    EXPECT_EQ(Game().ForecastNeighbours(6, 3, false, TPointSeries(), &out, &neighbours), 0);
    EXPECT_EQ(out.Count() + neighbours.Count(), 0);
    // Fewer points than the window: only the final forecast (the last value).
    EXPECT_EQ(Game().ForecastNeighbours(6, 3, false, Series({5, 7, 9}), &out, &neighbours), 9);
    EXPECT_EQ(out.Points, (Points{{4, 9}}));
    EXPECT_EQ(neighbours.Count(), 0);
    // A negative window starts at the first point after the first.
    EXPECT_EQ(Game().ForecastNeighbours(-4, 2, false, Series({5, 7, 9}), &out, nullptr), 9);
    EXPECT_EQ(out.X(0), 2);
}

TEST(ForecastNetworkTest, WithoutLastForecastsAfterTheSecondToLastPoint) {
    const TPointSeries in = Wave(100);
    for (const bool withoutLast : {true, false}) {
        TPointSeries out;
        Game().ForecastNetwork(60, 6, 10, withoutLast, false, in, &out, StopAfter(1));
        const int last = withoutLast ? 98 : 99;
        ASSERT_EQ(out.Count(), 70);
        // The fitted values sit at the x of the last 60 points used.
        EXPECT_EQ(out.X(0), in.X(last - 59));
        EXPECT_EQ(out.X(59), in.X(last));
        for (int f = 1; f <= 10; ++f) EXPECT_EQ(out.X(59 + f), in.X(last) + f);
    }
}

TEST(ForecastNetworkTest, StopEndsTheRunAfterTheCurrentCycle) {
    TPointSeries out;
    Points seenAtThirdCycle;
    int cycles = 0;
    Game().Stop = true; // a stop request left from an earlier run does not end this one
    const double v = Game().ForecastNetwork(60, 6, 10, true, false, Wave(90), &out, [&] {
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

TEST(ForecastNetworkTest, RoundingCutsTowardZeroAndFeedsTheNextInputs) {
    const TPointSeries in = Wave(70);
    constexpr uint64_t Seed = 20240611;
    TPointSeries rounded, plain;
    Game().ForecastNetwork(40, 6, 5, false, true, in, &rounded, StopAfter(1), Seed);
    Game().ForecastNetwork(40, 6, 5, false, false, in, &plain, StopAfter(1), Seed);
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
    for (size_t t = 0; t < 40; ++t) {
        const int i = 30 + static_cast<int>(t);
        for (size_t j = 0; j < 6; ++j) net.PatternIn[t][j] = in.Y(i - 6 + static_cast<int>(j));
        net.PatternIn[t][6] = in.X(i);
        net.PatternOut[t][0] = in.Y(i);
    }
    net.Train();
    std::vector<double> history;
    for (int i = 0; i < 70; ++i) history.push_back(in.Y(i));
    for (int f = 1; f <= 5; ++f) {
        std::copy(history.end() - 6, history.end(), net.Input.begin());
        net.Input[6] = in.X(69) + f;
        net.Compute();
        history.push_back(std::trunc(net.Output[0]));
        EXPECT_EQ(rounded.Y(39 + f), history.back()) << f;
    }
}

TEST(ForecastNetworkTest, ShortHistoriesShortenTheSampleOrAreRefused) {
    // Points 6..19 and 6..18; a window that leaves no point before the last.
    EXPECT_EQ(TLottery::NetworkSampleSize(60, 6, 20, false), 14);
    EXPECT_EQ(TLottery::NetworkSampleSize(60, 6, 20, true), 13);
    EXPECT_EQ(TLottery::NetworkSampleSize(60, 6, 7, true), 0);
    EXPECT_EQ(TLottery::NetworkSampleSize(10, -1, 100, false), 0);
    // Twenty points: the fitted values stay on the data's own x values.
    const TPointSeries in = Wave(20);
    TPointSeries out;
    Game().ForecastNetwork(60, 6, 10, false, false, in, &out, StopAfter(2));
    ASSERT_EQ(out.Count(), 14 + 10);
    for (int t = 0; t < 14; ++t) EXPECT_EQ(out.X(t), in.X(6 + t));
    EXPECT_EQ(out.X(14), in.X(19) + 1);

    // Too few points: nothing is trained or drawn, and no cycle is reported.
    TPointSeries stale{Points{{1, 1}}};
    int cycles = 0;
    EXPECT_EQ(Game().ForecastNetwork(60, 6, 10, true, false, Wave(7), &stale, [&] { ++cycles; }), 0);
    EXPECT_EQ(Game().ForecastNetwork(60, 6, 10, false, false, TPointSeries(), nullptr, [&] { ++cycles; }), 0);
    EXPECT_EQ(stale.Count(), 0);
    EXPECT_EQ(cycles, 0);
}
