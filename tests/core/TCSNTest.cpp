#include "TCSN.h"
#include "NumberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

namespace {

using Balls = std::vector<int32_t>;

Balls BallsOf(const TCSN& converter) {
    return {converter.Combination.begin() + 1, converter.Combination.end()};
}

void SetBalls(TCSN& converter, const Balls& balls) {
    std::copy(balls.begin(), balls.end(), converter.Combination.begin() + 1);
}

} // namespace

TEST(TCSNTest, EveryCombinationOfSmallGamesConvertsToItsRankAndBack) {
    // 4/2: {1,2} {1,3} {1,4} {2,3} {2,4} {3,4} are CSNs 1..6; 20/5 has 15504.
    // A mask of k chosen balls run through its permutations downwards lists
    // the combinations in lexicographic order.
    for (const auto& [n, k, total] : {std::tuple{4, 2, 6.0}, std::tuple{20, 5, 15504.0}}) {
        TCSN converter(n, k);
        ASSERT_EQ(converter.Total, total);
        std::vector<bool> chosen(static_cast<size_t>(n), false);
        std::fill_n(chosen.begin(), k, true);
        double expected = 1;
        do {
            Balls c;
            for (size_t i = 0; i < chosen.size(); ++i)
                if (chosen[i]) c.push_back(static_cast<int32_t>(i) + 1);
            SetBalls(converter, c);
            ASSERT_EQ(converter.CombinationToCSN(), expected);
            converter.CSNToCombination(expected++);
            ASSERT_EQ(BallsOf(converter), c);
        } while (std::prev_permutation(chosen.begin(), chosen.end()));
        EXPECT_EQ(expected - 1, total);
    }
}

TEST(TCSNTest, MegaSenaEndsClampingUnsortedAndFractionalInput) {
    TCSN converter(60, 6);
    EXPECT_EQ(converter.Total, 50063860);
    SetBalls(converter, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(converter.CombinationToCSN(), 1);
    SetBalls(converter, {55, 56, 57, 58, 59, 60});
    EXPECT_EQ(converter.CombinationToCSN(), converter.Total);
    converter.CSNToCombination(converter.Total + 1); // clamped
    EXPECT_EQ(BallsOf(converter), (Balls{55, 56, 57, 58, 59, 60}));
    // An unsorted combination converts as its sorted form and is left sorted.
    SetBalls(converter, {52, 4, 41, 30, 5, 33});
    EXPECT_EQ(converter.CombinationToCSN(), 14086154);
    EXPECT_EQ(BallsOf(converter), (Balls{4, 5, 30, 33, 41, 52}));
    // Values below 1 and not-a-number neither hang nor overflow; 0 gives ball 0.
    for (const double csn : {-1.0, -1e300, std::nan(""), 0.0}) converter.CSNToCombination(csn);
    EXPECT_EQ(converter.Combination[1], 0);
    TCSN small(4, 2); // a fractional CSN gives the combination of the next integer
    small.CSNToCombination(2.5);
    EXPECT_EQ(BallsOf(small), (Balls{1, 4}));
    TCSN empty(3, 5); // no combinations at all
    EXPECT_EQ(empty.Total, 0);
    empty.CSNToCombination(1);
    EXPECT_EQ(empty.PositionProbability(1, 1), 0);
}

TEST(TCSNTest, BinomialIsExactAgainstPascalsTriangle) {
    EXPECT_EQ(TCSN::Binomial(5, 6), 0);
    EXPECT_EQ(TCSN::Binomial(5, 0), 1);
    // Exact wherever the values stay below 2^53, including sizes whose
    // factorials pass 2^53 long before the quotient does.
    std::vector<std::vector<unsigned __int128>> pascal(201, std::vector<unsigned __int128>(31, 0));
    int checked = 0;
    for (size_t n = 0; n <= 200; ++n) {
        pascal[n][0] = 1;
        for (size_t k = 1; k <= 30; ++k) pascal[n][k] = n == 0 ? 0 : pascal[n - 1][k - 1] + pascal[n - 1][k];
        for (size_t k = 0; k <= 30; ++k) {
            if (pascal[n][k] >= (static_cast<unsigned __int128>(1) << 53)) continue;
            ASSERT_EQ(TCSN::Binomial(static_cast<int32_t>(n), static_cast<int32_t>(k)),
                      static_cast<double>(static_cast<uint64_t>(pascal[n][k])))
                << n << " " << k;
            ++checked;
        }
    }
    EXPECT_GT(checked, 3000);
    // Beyond 2^53 the product formula rounds, within a few ulps.
    EXPECT_NEAR(TCSN::Binomial(100, 20) / 535983370403809682970.0, 1.0, 1e-14);
}

TEST(TCSNTest, GreatestCommonDivisorFractionsAndProbabilities) {
    EXPECT_EQ(TCSN::GreatestCommonDivisor(1, 50), 1);
    EXPECT_EQ(TCSN::GreatestCommonDivisor(12, 18), 6);
    EXPECT_EQ(TCSN::GreatestCommonDivisor(50063860, 2118760), 140);
    NumberText::SetDecimalSeparator(',');
    // Reduced terms above 10000 are approximated in ten-thousandths and
    // reduced again: 1712304/50063860 = 0.0342.. = 171/5000; 2500/99991 = 1/40.
    const std::vector<std::tuple<double, double, std::string>> fractions = {
        {1, 6, "1/6"},          {2, 12, "1/6"},         {0, 6, "0/6"},
        {1, 30000, "~0/10000"}, {2500, 99991, "~1/40"}, {1712304, 50063860, "~171/5000"}};
    for (const auto& [numerator, denominator, text] : fractions)
        EXPECT_EQ(TCSN::FractionText(numerator, denominator), text);
    NumberText::SetDecimalSeparator('.');

    // 4/2: ball 1 is the smallest in 3 of the 6 pairs, ball 4 never.
    const TCSN converter(4, 2);
    EXPECT_DOUBLE_EQ(converter.PositionProbability(1, 1), 0.5);
    EXPECT_EQ(converter.PositionProbabilityText(1, 1), "1/2");
    EXPECT_EQ(converter.PositionProbability(4, 1), 0);
    EXPECT_DOUBLE_EQ(converter.PositionProbability(4, 2), 0.5);
    const TCSN mega(60, 6); // every position is taken by exactly one ball
    for (int p = 1; p <= 6; ++p) {
        double sum = 0;
        for (int b = 1; b <= 60; ++b) sum += mega.PositionProbability(b, p);
        EXPECT_NEAR(sum, 1.0, 1e-12) << p;
    }
    EXPECT_DOUBLE_EQ(TCSN::DelayProbability(2, 0.5), 0.125);
    EXPECT_DOUBLE_EQ(TCSN::AdvanceProbability(3, 1.0 / 3), 2.0 / 3 / 27);
}

TEST(TCSNTest, CombinationTexts) {
    TCSN converter(60, 3);
    SetBalls(converter, {5, 12, 33});
    EXPECT_EQ(converter.CombinationToText(), "5, 12, 33");
    // Numbers above n are skipped, missing entries keep their value, extra
    // ones are dropped; blanks, commas and letters inside a number are
    // ignored, an empty field is 0, and a digit run beyond any integer is just
    // a number above n.
    const std::vector<std::tuple<std::string, Balls, Balls>> cases = {
        {"5;12;33", {0, 0, 0}, {5, 12, 33}},
        {"5;99;12;33", {0, 0, 0}, {5, 12, 33}},
        {"5;12", {1, 2, 44}, {5, 12, 44}},
        {"5;12;33;40", {0, 0, 0}, {5, 12, 33}},
        {"1, 2;x3;;", {7, 7, 7}, {12, 3, 0}},
        {std::string(400, '9') + ";4;" + std::string(30, '7') + ";6;10", {0, 0, 0}, {4, 6, 10}}};
    for (const auto& [text, before, after] : cases) {
        SetBalls(converter, before);
        converter.TextToCombination(text);
        EXPECT_EQ(BallsOf(converter), after) << text.substr(0, 20);
    }
}
