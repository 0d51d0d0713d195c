#include "TKNN.h"
#include "TLR.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

namespace {

TKNN Series(const std::vector<double>& values, bool delta = false) {
    TKNN knn;
    knn.SetCount(static_cast<int>(values.size()));
    knn.Values = values;
    knn.Delta = delta;
    return knn;
}

// The forecast done literally: a fresh TLR per candidate, every score, the
// complete exchange ordering of all candidates.
struct Literal {
    double result = 0;
    std::vector<double> neighbours;
};

Literal LiteralForecast(const std::vector<double>& values, bool delta, int t, int w, int k) {
    const int count = static_cast<int>(values.size());
    int last = std::min(t, count);
    if (last < w) last = w;
    k = std::max(k, 1);
    const int candidates = last - w;
    std::vector<double> score(static_cast<size_t>(candidates), -1.0);
    std::vector<int> order(static_cast<size_t>(candidates));
    for (int c = 0; c < candidates; ++c) {
        TLR lr;
        lr.SetCount(w);
        for (int i = 0; i < w; ++i) lr.SetPoint(i, values[last - w + i], values[c + i]);
        lr.Compute();
        score[c] = lr.AverageR();
        order[c] = c;
    }
    for (int i = 0; i < candidates; ++i)
        for (int j = i + 1; j < candidates; ++j)
            if (score[i] < score[j]) {
                std::swap(score[i], score[j]);
                std::swap(order[i], order[j]);
            }
    const int used = std::min(k, candidates);
    const double lastValue = values[last - 1];
    const double reference = delta ? 0 : lastValue;
    long double up = 0, down = 0;
    int ups = 0, downs = 0;
    Literal out;
    out.neighbours.assign(static_cast<size_t>(k), 0.0);
    for (int i = 0; i < used; ++i) {
        const int c = order[i];
        double s = values[c + w];
        if (delta) s = static_cast<double>(static_cast<long double>(s) - values[c + w - 1]);
        if (s >= reference) {
            up += s;
            ++ups;
        } else {
            down += s;
            ++downs;
        }
        out.neighbours[i] = delta ? static_cast<double>(static_cast<long double>(s) + lastValue) : s;
    }
    long double r = ups > downs ? up / ups : down / downs;
    if (delta) r += lastValue;
    out.result = static_cast<double>(r);
    return out;
}

} // namespace

TEST(TKNNTest, RisingSeriesTakesTheEarliestNeighbours) {
    TKNN knn;
    knn.SetCount(8);
    EXPECT_EQ(knn.Values, std::vector<double>(8, 0.0));
    std::iota(knn.Values.begin(), knn.Values.end(), 1.0);
    // Reference 6, 7, 8; candidates 0..4 all score 1 and stay in position
    // order; successors 4 and 5 lie below 8.
    EXPECT_DOUBLE_EQ(knn.Forecast(8, 3, 2), 4.5);
    EXPECT_EQ(knn.K, 2);
    EXPECT_EQ(knn.Neighbours, (std::vector<double>{4, 5}));
    // T beyond the series reads as its end.
    EXPECT_DOUBLE_EQ(knn.Forecast(50, 3, 2), 4.5);
    // K below 1 reads as 1.
    EXPECT_DOUBLE_EQ(knn.Forecast(8, 3, 0), 4);
    EXPECT_EQ(knn.K, 1);
    // An earlier end: reference 3, 4, 5, candidates 0 and 1 with successors
    // 4 (down) and 5 (up, being equal to the last value): a tie, down wins.
    EXPECT_DOUBLE_EQ(knn.Forecast(5, 3, 2), 4);
}

TEST(TKNNTest, DeltaComparesValuesAndAddsTheMeanDifference) {
    TKNN knn = Series({1, 2, 3, 4, 5, 6, 7, 8}, true);
    EXPECT_DOUBLE_EQ(knn.Forecast(8, 3, 2), 9);
    EXPECT_EQ(knn.Neighbours, (std::vector<double>{9, 9}));

    // Differences: the successor of candidate c is x[c+w] - x[c+w-1].
    TKNN mixed = Series({10, 12, 11, 15, 13, 14}, true);
    // w = 1: every window has no spread, all score 0, position order;
    // differences 2, -1, 4, -2 from the first four candidates.
    EXPECT_DOUBLE_EQ(mixed.Forecast(6, 1, 4), 14 + (-1.0 - 2) / 2);
    EXPECT_EQ(mixed.Neighbours, (std::vector<double>{16, 13, 18, 12}));
}

TEST(TKNNTest, TwoUpTwoDownTakesTheDownMean) {
    // w = 2, t = 6: four candidates, successors x[2..5] = 9, 1, 2, 6 against
    // the last value 6: up 9 and 6, down 1 and 2.
    TKNN knn = Series({4, 3, 9, 1, 2, 6});
    EXPECT_DOUBLE_EQ(knn.Forecast(6, 2, 4), 1.5);
    // More neighbours than candidates: the rest stay 0.
    EXPECT_DOUBLE_EQ(knn.Forecast(6, 2, 6), 1.5);
    ASSERT_EQ(knn.Neighbours.size(), 6u);
    EXPECT_EQ(knn.Neighbours[4], 0);
    EXPECT_EQ(knn.Neighbours[5], 0);
    // Three up against two down: the up mean.
    TKNN three = Series({4, 3, 9, 1, 7, 2, 6});
    // w = 2, t = 7: successors 9, 1, 7, 2, 6 against 6.
    EXPECT_DOUBLE_EQ(three.Forecast(7, 2, 5), (9.0 + 7 + 6) / 3);
}

TEST(TKNNTest, TiesFollowTheExchangeOrdering) {
    // w = 2, t = 5: reference 7, 9 (rising). Candidates: 5,5 and 5,5 have no
    // spread (score 0), 5,7 rises (score 1). The exchange ordering moves
    // candidate 2 to the front and candidate 0 to the back: 2, 1, 0; a stable
    // sort would give 2, 0, 1. Successors: 9 (up), 7 and 5 (down).
    TKNN knn = Series({5, 5, 5, 7, 9});
    EXPECT_DOUBLE_EQ(knn.Forecast(5, 2, 2), 7);
    EXPECT_EQ(knn.Neighbours, (std::vector<double>{9, 7}));
    EXPECT_DOUBLE_EQ(knn.Forecast(5, 2, 3), 6);
}

TEST(TKNNTest, NoCandidateGivesTheLastValue) {
    TKNN knn = Series({3, 1, 4, 1, 5});
    EXPECT_DOUBLE_EQ(knn.Forecast(3, 3, 2), 4); // t = w
    EXPECT_EQ(knn.Neighbours, (std::vector<double>{4, 4}));
    EXPECT_DOUBLE_EQ(knn.Forecast(1, 3, 1), 4); // t < w: last raised to w
    EXPECT_DOUBLE_EQ(knn.Forecast(5, 9, 2), 5); // window longer than the series
    EXPECT_DOUBLE_EQ(knn.Forecast(5, 0, 2), 5); // empty window
    EXPECT_DOUBLE_EQ(knn.Forecast(-4, -1, 2), 0);
    knn.Delta = true;
    EXPECT_DOUBLE_EQ(knn.Forecast(3, 3, 2), 4);
    TKNN empty;
    EXPECT_DOUBLE_EQ(empty.Forecast(5, 3, 3), 0);
    EXPECT_EQ(empty.Neighbours.size(), 3u);
}

// The fast scoring and the partial ordering give what the literal procedure
// gives, bit for bit, on series rich in ties (small integers) and on real
// values, with and without Delta.
TEST(TKNNTest, AgreesWithTheLiteralProcedure) {
    std::mt19937_64 engine(2718);
    std::uniform_int_distribution<int> ball(1, 6);
    std::uniform_real_distribution<double> real(-100, 100);
    for (int trial = 0; trial < 24; ++trial) {
        const bool integers = trial % 2 == 0;
        const bool delta = trial % 4 >= 2;
        std::vector<double> values(120);
        for (double& v : values) v = integers ? ball(engine) : real(engine);
        TKNN knn = Series(values, delta);
        const int w = 2 + trial % 5;
        const int k = 1 + trial % 6;
        for (int t = w + 1; t <= 121; t += 3) {
            const Literal expected = LiteralForecast(values, delta, t, w, k);
            const double got = knn.Forecast(t, w, k);
            ASSERT_EQ(got, expected.result) << "trial " << trial << " t " << t;
            ASSERT_EQ(knn.Neighbours, expected.neighbours) << "trial " << trial << " t " << t;
        }
    }
}
