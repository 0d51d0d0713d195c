#include "TCSN.h"
#include "NumberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>
#include <random>
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

namespace {

using Rank = TCSN::Rank;

// Binomials by Pascal's triangle, held at the largest value once past it.
class Pascal {
public:
    explicit Pascal(int n) : rows_(static_cast<size_t>(n) + 1) {
        for (size_t i = 0; i < rows_.size(); ++i) {
            rows_[i].assign(i + 1, 1);
            for (size_t j = 1; j < i; ++j)
                if (__builtin_add_overflow(rows_[i - 1][j - 1], rows_[i - 1][j], &rows_[i][j]))
                    rows_[i][j] = ~Rank{0};
        }
    }
    Rank operator()(int n, int k) const {
        return k < 0 || n < 0 || k > n ? 0 : rows_[static_cast<size_t>(n)][static_cast<size_t>(k)];
    }

private:
    std::vector<std::vector<Rank>> rows_;
};

// The rank straight from its definition: 1 + the combinations that come
// before, counted position by position.
Rank ReferenceRank(const Pascal& c, int n, const Balls& balls) {
    Rank rank = 1;
    int previous = 0;
    const int k = static_cast<int>(balls.size());
    for (int i = 0; i < k; ++i) {
        for (int b = previous + 1; b < balls[static_cast<size_t>(i)]; ++b) rank += c(n - b, k - i - 1);
        previous = balls[static_cast<size_t>(i)];
    }
    return rank;
}

} // namespace

TEST(TCSNTest, GamesBeyondTwoToThe53RankExactly) {
    const Pascal c(130);
    std::mt19937_64 engine(2024);
    for (const auto& [n, k] :
         {std::pair{100, 20}, std::pair{100, 50}, std::pair{80, 40}, std::pair{100, 80}}) {
        TCSN converter(n, k);
        ASSERT_EQ(converter.ExactTotal, c(n, k)) << n << "/" << k;
        ASSERT_TRUE(converter.Wide());
        EXPECT_EQ(converter.Total, static_cast<double>(c(n, k)));
        std::vector<int32_t> all(static_cast<size_t>(n));
        std::iota(all.begin(), all.end(), 1);
        Balls first(all.begin(), all.begin() + k), last(all.end() - k, all.end());
        for (int trial = 0; trial < 200; ++trial) {
            Balls balls = trial == 0 ? first : trial == 1 ? last : Balls{};
            if (balls.empty()) {
                std::sample(all.begin(), all.end(), std::back_inserter(balls), k, engine);
                std::sort(balls.begin(), balls.end());
            }
            const Rank exact = ReferenceRank(c, n, balls);
            SetBalls(converter, balls);
            ASSERT_EQ(converter.CombinationToRank(), exact);
            const double csn = converter.CombinationToCSN();
            ASSERT_EQ(csn, static_cast<double>(exact)) << "the double nearest the exact rank";
            converter.RankToCombination(exact);
            ASSERT_EQ(BallsOf(converter), balls);
            // Through the rounded double: a combination of k ascending balls in
            // range whose rank is within one unit of the double's precision.
            converter.CSNToCombination(csn);
            const Balls back = BallsOf(converter);
            ASSERT_TRUE(std::is_sorted(back.begin(), back.end()) &&
                        std::adjacent_find(back.begin(), back.end()) == back.end() && back.front() >= 1 &&
                        back.back() <= n);
            const Rank again = converter.CombinationToRank();
            const double ulp = std::nextafter(csn, INFINITY) - csn;
            EXPECT_LE(static_cast<double>(again > exact ? again - exact : exact - again), ulp);
            EXPECT_EQ(converter.CombinationToCSN(), csn);
        }
        SetBalls(converter, first);
        EXPECT_EQ(converter.CombinationToCSN(), 1);
        SetBalls(converter, last);
        EXPECT_EQ(converter.CombinationToCSN(), converter.Total);
        // Outside 1..Total the double is limited to the ends.
        for (const double csn : {-5.0, 0.0, std::nan("")}) {
            converter.CSNToCombination(csn);
            EXPECT_EQ(BallsOf(converter), first);
        }
        converter.CSNToCombination(converter.Total * 2);
        EXPECT_EQ(BallsOf(converter), last);
    }
}

TEST(TCSNTest, SmallGamesKeepTheirDoubles) {
    // Below 2^53 the doubles are exact and every result stays as it was.
    for (const auto& [n, k] : {std::pair{60, 6}, std::pair{25, 15}}) {
        TCSN converter(n, k);
        EXPECT_FALSE(converter.Wide());
        std::mt19937 engine(7);
        std::uniform_real_distribution<double> pick(1, converter.Total);
        for (int trial = 0; trial < 2000; ++trial) {
            const double csn = std::trunc(pick(engine));
            converter.CSNToCombination(csn);
            EXPECT_EQ(static_cast<double>(converter.CombinationToRank()), csn);
            EXPECT_EQ(converter.CombinationToCSN(), csn);
        }
    }
    EXPECT_EQ(TCSN(25, 15).Total, 3268760);
}

TEST(TCSNTest, GamesBeyondTheExactRangeAreNamed) {
    EXPECT_TRUE(TCSN::InExactRange(130, 65));
    EXPECT_FALSE(TCSN::InExactRange(1000, 500));
    EXPECT_FALSE(TCSN::ExactBinomial(200, 100).has_value());
    EXPECT_EQ(TCSN::RangeMessage(1000, 500), "O jogo de 1000 bolas com 500 por combinação tem combinações "
                                             "demais para CSNs exatos (o limite é 2^128).");
}

TEST(TCSNTest, ReadsExactAndShownRanks) {
    NumberText::SetDecimalSeparator(',');
    TCSN lotomania(100, 20);
    const Rank total = lotomania.ExactTotal;
    EXPECT_EQ(TCSN::RankText(total), "535983370403809682970");
    using Kind = TCSN::CSNInput::Kind;
    const struct {
        const char* text;
        Kind kind;
        Rank value;
    } cases[] = {
        {"535983370403809682970", Kind::Valid, total},
        {"535983370403809682969", Kind::Valid, total - 1},
        {"535983370403809682971", Kind::OutOfRange, total},
        {"1", Kind::Valid, 1},
        {"0", Kind::OutOfRange, 1},
        {"99999999999999999999999999999999999999999999", Kind::OutOfRange, total},
        // As the program shows Total: rounded up within its last digit.
        {"5,3598337040381E20", Kind::Valid, total},
        {"5,3598337040383E20", Kind::OutOfRange, total},
        {"0,5", Kind::OutOfRange, 1},
        {"abc", Kind::Invalid, 0},
        {"", Kind::Invalid, 0},
    };
    for (const auto& c : cases) {
        const TCSN::CSNInput input = lotomania.ReadCSN(c.text);
        EXPECT_EQ(input.Result, c.kind) << c.text;
        if (c.kind != Kind::Invalid) {
            EXPECT_TRUE(input.Value == c.value) << c.text;
        }
    }
    TCSN mega(60, 6);
    EXPECT_EQ(mega.ReadCSN("2,5").Value, 3u) << "a fraction names the next CSN";
    EXPECT_EQ(mega.ReadCSN("50063861").Result, Kind::OutOfRange);
}
