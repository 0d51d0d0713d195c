#include "TKNN.h"
#include "TLR.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

namespace {

TKNN Series(const std::vector<double>& values, bool delta = false) {
    TKNN knn;
    knn.SetCount(static_cast<int>(values.size()));
    knn.Values = values;
    knn.Delta = delta;
    return knn;
}

// The neighbours found literally (for 1 <= w < t and k >= 1): a fresh TLR
// per candidate and the complete exchange ordering of all candidates.
std::vector<double> LiteralNeighbours(const std::vector<double>& v, bool delta, int t, int w, int k) {
    const int last = std::min(t, static_cast<int>(v.size())), candidates = last - w;
    std::vector<std::pair<double, int>> scored;
    for (int c = 0; c < candidates; ++c) {
        TLR lr;
        lr.SetCount(w);
        for (int i = 0; i < w; ++i) lr.SetPoint(i, v[last - w + i], v[c + i]);
        lr.Compute();
        scored.emplace_back(lr.AverageR(), c);
    }
    for (int i = 0; i < candidates; ++i)
        for (int j = i + 1; j < candidates; ++j)
            if (scored[i].first < scored[j].first) std::swap(scored[i], scored[j]);
    std::vector<double> neighbours(static_cast<size_t>(k), 0.0);
    for (int i = 0; i < std::min(k, candidates); ++i) {
        const int c = scored[i].second;
        // A difference is rounded to double before the last value is added.
        const double s = delta ? static_cast<double>(static_cast<long double>(v[c + w]) - v[c + w - 1]) : 0;
        neighbours[i] = delta ? static_cast<double>(static_cast<long double>(s) + v[last - 1]) : v[c + w];
    }
    return neighbours;
}

} // namespace

TEST(TKNNTest, WorkedForecastsAndNoCandidate) {
    TKNN knn = Series({1, 2, 3, 4, 5, 6, 7, 8});
    // Reference 6, 7, 8; candidates 0..4 all score 1 and stay in position
    // order; successors 4 and 5 lie below 8. T beyond the series reads as its
    // end, K below 1 as 1.
    EXPECT_DOUBLE_EQ(knn.Forecast(8, 3, 2), 4.5);
    EXPECT_DOUBLE_EQ(knn.Forecast(50, 3, 2), 4.5);
    EXPECT_DOUBLE_EQ(knn.Forecast(8, 3, 0), 4);
    // Reference 3, 4, 5: successors 4 (down) and 5 (up, equal to the last
    // value); a tie, down wins.
    EXPECT_DOUBLE_EQ(knn.Forecast(5, 3, 2), 4);
    // Delta: successors are differences (all 1, up), added to the last value.
    knn.Delta = true;
    EXPECT_DOUBLE_EQ(knn.Forecast(8, 3, 2), 9);
    EXPECT_EQ(knn.Neighbours, (std::vector<double>{9, 9}));

    // w = 2, t = 6: successors 9, 1, 2, 6 against the last value 6, two up and
    // two down: the down mean. More neighbours than candidates: the rest stay 0.
    TKNN twoTwo = Series({4, 3, 9, 1, 2, 6});
    EXPECT_DOUBLE_EQ(twoTwo.Forecast(6, 2, 4), 1.5);
    EXPECT_DOUBLE_EQ(twoTwo.Forecast(6, 2, 6), 1.5);
    EXPECT_EQ(twoTwo.Neighbours, (std::vector<double>{1, 6, 2, 9, 0, 0})); // scores 1, 1, -1, -1

    // No earlier window to compare with: the last value, in every neighbour.
    knn = Series({3, 1, 4, 1, 5});
    EXPECT_DOUBLE_EQ(knn.Forecast(3, 3, 2), 4); // t = w
    EXPECT_EQ(knn.Neighbours, (std::vector<double>{4, 4}));
    // t < w (the end raised to w), a window longer than the series, an empty
    // window, negative arguments.
    for (const auto& [t, w, expected] : {std::tuple{1, 3, 4.0}, {5, 9, 5.0}, {5, 0, 5.0}, {-4, -1, 0.0}})
        EXPECT_DOUBLE_EQ(knn.Forecast(t, w, 2), expected) << t << " " << w;
    EXPECT_DOUBLE_EQ(TKNN().Forecast(5, 3, 3), 0);
}

// The fast scoring and the partial ordering choose the neighbours the literal
// procedure chooses, in its order, bit for bit, on series rich in ties
// (small integers) and on real values, with and without Delta.
TEST(TKNNTest, AgreesWithTheLiteralProcedure) {
    std::mt19937_64 engine(2718);
    std::uniform_int_distribution<int> ball(1, 6);
    std::uniform_real_distribution<double> real(-100, 100);
    for (int trial = 0; trial < 24; ++trial) {
        std::vector<double> values(120);
        for (double& v : values) v = trial % 2 == 0 ? ball(engine) : real(engine);
        TKNN knn = Series(values, trial % 4 >= 2);
        const int w = 2 + trial % 5, k = 1 + trial % 6;
        for (int t = w + 1; t <= 121; t += 3) {
            knn.Forecast(t, w, k);
            ASSERT_EQ(knn.Neighbours, LiteralNeighbours(values, knn.Delta, t, w, k)) << trial << " t " << t;
        }
    }
}
