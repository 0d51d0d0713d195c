#include "TCSN.h"
#include "NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

namespace {

std::vector<int32_t> Balls(const TCSN& converter) {
    return {converter.Combination.begin() + 1, converter.Combination.end()};
}

void SetBalls(TCSN& converter, const std::vector<int32_t>& balls) {
    for (size_t i = 0; i < balls.size(); ++i) converter.Combination[i + 1] = balls[i];
}

// Advances a sorted combination of k out of n to its lexicographic successor.
bool NextCombination(std::vector<int32_t>& c, int32_t n) {
    const auto k = static_cast<int32_t>(c.size());
    for (int32_t i = k - 1; i >= 0; --i) {
        if (c[static_cast<size_t>(i)] < n - (k - 1 - i)) {
            ++c[static_cast<size_t>(i)];
            for (int32_t j = i + 1; j < k; ++j) c[static_cast<size_t>(j)] = c[static_cast<size_t>(j - 1)] + 1;
            return true;
        }
    }
    return false;
}

} // namespace

TEST(TCSNTest, FourTwoGameNumbersItsSixCombinationsInOrderBothWays) {
    TCSN converter(4, 2);
    EXPECT_EQ(converter.Total, 6);
    const std::vector<std::vector<int32_t>> order = {{1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}};
    for (size_t i = 0; i < order.size(); ++i) {
        SetBalls(converter, order[i]);
        EXPECT_EQ(converter.CombinationToCSN(), static_cast<double>(i + 1));
        converter.CSNToCombination(static_cast<double>(i + 1));
        EXPECT_EQ(Balls(converter), order[i]);
    }
}

TEST(TCSNTest, EveryCombinationOfASmallGameGetsTheNextRank) {
    // 20 choose 5 = 15504 combinations, enumerated independently.
    TCSN converter(20, 5);
    ASSERT_EQ(converter.Total, 15504);
    std::vector<int32_t> c = {1, 2, 3, 4, 5};
    double expected = 1;
    do {
        SetBalls(converter, c);
        ASSERT_EQ(converter.CombinationToCSN(), expected);
        converter.CSNToCombination(expected);
        ASSERT_EQ(Balls(converter), c);
        expected += 1;
    } while (NextCombination(c, 20));
    EXPECT_EQ(expected - 1, converter.Total);
}

TEST(TCSNTest, LargerGamesBelowTwoToThe53RoundTrip) {
    // 50/15 and 60/11: sizes where a factorial passes 2^53 but the count does not.
    for (const auto& [n, k] : {std::pair{50, 15}, std::pair{60, 11}, std::pair{40, 20}}) {
        TCSN converter(n, k);
        ASSERT_LT(converter.Total, 9007199254740992.0);
        const double step = std::floor(converter.Total / 20011);
        for (double csn = 1; csn <= converter.Total; csn += step) {
            converter.CSNToCombination(csn);
            for (int i = 1; i <= k; ++i) {
                ASSERT_GE(converter.Combination[i], i) << csn;
                ASSERT_LE(converter.Combination[i], n - k + i) << csn;
                if (i > 1) {
                    ASSERT_LT(converter.Combination[i - 1], converter.Combination[i]) << csn;
                }
            }
            ASSERT_EQ(converter.CombinationToCSN(), csn) << n << "/" << k;
        }
    }
}

TEST(TCSNTest, MegaSenaEndsClampingAndUnsortedInput) {
    TCSN converter(60, 6);
    EXPECT_EQ(converter.Total, 50063860);
    SetBalls(converter, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(converter.CombinationToCSN(), 1);
    SetBalls(converter, {55, 56, 57, 58, 59, 60});
    EXPECT_EQ(converter.CombinationToCSN(), converter.Total);
    // Above Total the CSN is clamped.
    converter.CSNToCombination(converter.Total + 1);
    EXPECT_EQ(Balls(converter), (std::vector<int32_t>{55, 56, 57, 58, 59, 60}));
    // An unsorted combination converts as its sorted form and is left sorted.
    SetBalls(converter, {52, 4, 41, 30, 5, 33});
    EXPECT_EQ(converter.CombinationToCSN(), 14086154);
    EXPECT_EQ(Balls(converter), (std::vector<int32_t>{4, 5, 30, 33, 41, 52}));
    // A fractional CSN gives the combination of the next integer.
    TCSN small(4, 2);
    small.CSNToCombination(2.5);
    EXPECT_EQ(Balls(small), (std::vector<int32_t>{1, 4}));
}

TEST(TCSNTest, CSNsOutsideTheRangeNeverHangOrOverflow) {
    TCSN converter(60, 6);
    for (const double csn : {0.0, -1.0, -1e6, -1e300, std::nan("")}) {
        converter.CSNToCombination(csn);
        if (csn == 0) {
            EXPECT_EQ(converter.Combination[1], 0);
        }
    }
    // A game with no combinations at all.
    TCSN empty(3, 5);
    EXPECT_EQ(empty.Total, 0);
    empty.CSNToCombination(1);
    EXPECT_EQ(empty.PositionProbability(1, 1), 0);
}

TEST(TCSNTest, BinomialMatchesExactValuesAndTheTable) {
    EXPECT_EQ(TCSN::Binomial(5, 6), 0);
    EXPECT_EQ(TCSN::Binomial(5, 0), 1);
    EXPECT_EQ(TCSN::Binomial(0, 0), 1);
    EXPECT_EQ(TCSN::Binomial(60, 6), 50063860);
    EXPECT_EQ(TCSN::Binomial(80, 7), 3176716400.0);
    // Exact by Pascal's rule wherever the values stay below 2^53, including
    // sizes whose factorials pass 2^53 long before the quotient does.
    EXPECT_EQ(TCSN::Binomial(23, 21), 253);
    EXPECT_EQ(TCSN::Binomial(50, 15), 2250829575120.0);
    std::vector<std::vector<unsigned __int128>> pascal(201, std::vector<unsigned __int128>(31, 0));
    int checked = 0;
    for (int n = 0; n <= 200; ++n) {
        pascal[n][0] = 1;
        for (int k = 1; k <= 30; ++k) pascal[n][k] = n == 0 ? 0 : pascal[n - 1][k - 1] + pascal[n - 1][k];
        for (int k = 0; k <= 30; ++k) {
            if (pascal[n][k] < (static_cast<unsigned __int128>(1) << 53)) {
                ASSERT_EQ(TCSN::Binomial(n, k), static_cast<double>(static_cast<uint64_t>(pascal[n][k])))
                    << n << " " << k;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 3000);
    // Beyond 2^53 the product formula rounds; still within a few ulps.
    EXPECT_NEAR(TCSN::Binomial(100, 20) / 535983370403809682970.0, 1.0, 1e-14);
    // The converter's table holds exactly the product formula's values.
    TCSN lotomania(100, 20);
    for (int n = 0; n <= 100; ++n)
        for (int k = 0; k <= 20; ++k) ASSERT_EQ(lotomania.CachedBinomial(n, k), TCSN::Binomial(n, k));
    EXPECT_EQ(lotomania.CachedBinomial(200, 30), TCSN::Binomial(200, 30));
}

TEST(TCSNTest, GreatestCommonDivisorAndFractions) {
    NumberText::SetDecimalSeparator(',');
    EXPECT_EQ(TCSN::GreatestCommonDivisor(1, 50), 1);
    EXPECT_EQ(TCSN::GreatestCommonDivisor(12, 18), 6);
    EXPECT_EQ(TCSN::GreatestCommonDivisor(18, 12), 6);
    EXPECT_EQ(TCSN::GreatestCommonDivisor(50063860, 2118760), 140);
    EXPECT_EQ(TCSN::FractionText(1, 6), "1/6");
    EXPECT_EQ(TCSN::FractionText(2, 12), "1/6");
    EXPECT_EQ(TCSN::FractionText(0, 6), "0/6");
    EXPECT_EQ(TCSN::FractionText(0, 50063860), "~0/10000");
    // 1712304 / 50063860 = 0.0342..: reduced terms exceed 10000, so it is
    // approximated in ten-thousandths: 342/10000 = 171/5000.
    EXPECT_EQ(TCSN::FractionText(1712304, 50063860), "~171/5000");
    EXPECT_EQ(TCSN::FractionText(1, 30000), "~0/10000");
    // 2500 / 99991 = 0.025002..: 250/10000, reduced again to 1/40.
    EXPECT_EQ(TCSN::FractionText(2500, 99991), "~1/40");
    NumberText::SetDecimalSeparator('.');
}

TEST(TCSNTest, PositionalAndRunProbabilities) {
    TCSN converter(4, 2);
    // Ball 1 is the smallest in 3 of the 6 pairs, ball 4 never.
    EXPECT_DOUBLE_EQ(converter.PositionProbability(1, 1), 0.5);
    EXPECT_EQ(converter.PositionProbabilityText(1, 1), "1/2");
    EXPECT_EQ(converter.PositionProbability(4, 1), 0);
    EXPECT_DOUBLE_EQ(converter.PositionProbability(4, 2), 0.5);
    // Every position of a 60/6 game is taken by exactly one ball.
    TCSN mega(60, 6);
    for (int p = 1; p <= 6; ++p) {
        double sum = 0;
        for (int b = 1; b <= 60; ++b) sum += mega.PositionProbability(b, p);
        EXPECT_NEAR(sum, 1.0, 1e-12) << p;
    }
    EXPECT_DOUBLE_EQ(TCSN::DelayProbability(0, 0.3), 0.3);
    EXPECT_DOUBLE_EQ(TCSN::DelayProbability(2, 0.5), 0.125);
    EXPECT_DOUBLE_EQ(TCSN::AdvanceProbability(0, 0.3), 0.7);
    EXPECT_DOUBLE_EQ(TCSN::AdvanceProbability(3, 0.5), 0.0625);
}

TEST(TCSNTest, CombinationTexts) {
    TCSN converter(60, 3);
    SetBalls(converter, {5, 12, 33});
    EXPECT_EQ(converter.CombinationToText(), "5, 12, 33");

    SetBalls(converter, {0, 0, 0});
    converter.TextToCombination("5;12;33");
    EXPECT_EQ(Balls(converter), (std::vector<int32_t>{5, 12, 33}));
    SetBalls(converter, {0, 0, 0});
    converter.TextToCombination("5;99;12;33");
    EXPECT_EQ(Balls(converter), (std::vector<int32_t>{5, 12, 33}));
    SetBalls(converter, {1, 2, 44});
    converter.TextToCombination("5;12");
    EXPECT_EQ(Balls(converter), (std::vector<int32_t>{5, 12, 44}));
    converter.TextToCombination("7;8;9;40");
    EXPECT_EQ(Balls(converter), (std::vector<int32_t>{7, 8, 9}));
    // Blanks, commas and letters are ignored inside a number; an empty field is 0.
    converter.TextToCombination("1, 2;x3;;");
    EXPECT_EQ(Balls(converter), (std::vector<int32_t>{12, 3, 0}));
    // A digit run far beyond any integer saturates: it is just a number above n.
    converter.TextToCombination(std::string(400, '9') + ";4;" + std::string(30, '7') + ";6;10");
    EXPECT_EQ(Balls(converter), (std::vector<int32_t>{4, 6, 10}));
}

TEST(TCSNTest, ConstConversionsLeaveTheSharedCombinationAlone) {
    const TCSN converter(60, 6);
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&converter, &failures, t] {
            std::vector<int32_t> balls(7, 0);
            for (double csn = 1 + t; csn < 50063860; csn += 9973) {
                converter.CSNToBalls(csn, balls);
                if (converter.BallsToCSN(balls) != csn) ++failures[static_cast<size_t>(t)];
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
    EXPECT_EQ(converter.Combination, std::vector<int32_t>(7, 0));
}
