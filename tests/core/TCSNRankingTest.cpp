#include "TCSNRanking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace {

// The votes of converting every X of the band one by one, skipping the X
// whose CSN lies outside 1..Total.
std::vector<uint64_t> VotesOneByOne(const TCSN& converter, double csn, double fraction) {
    std::vector<uint64_t> votes(static_cast<size_t>(converter.Elements) + 1, 0);
    const double d = static_cast<double>(static_cast<long double>(converter.Total) * fraction);
    const long double hi = static_cast<long double>(csn) + d;
    std::vector<int32_t> balls(static_cast<size_t>(converter.PerCombination) + 1, 0);
    for (double x = static_cast<double>(static_cast<long double>(csn) - d); x <= hi; x += 1) {
        if (!(x > 0 && x <= converter.Total)) continue;
        converter.CSNToBalls(x, balls);
        for (size_t i = 1; i < balls.size(); ++i) ++votes[static_cast<size_t>(balls[i])];
    }
    return votes;
}

uint64_t Sum(const std::vector<uint64_t>& votes) {
    return std::accumulate(votes.begin(), votes.end(), uint64_t{0});
}

} // namespace

TEST(TCSNRankingTest, SameVotesAsConvertingEveryCSN) {
    struct Case {
        int n, k;
        double csn, fraction;
    };
    const std::vector<Case> cases = {
        {25, 5, 26000, 0.2},       // well inside
        {25, 5, 20000.5, 0.013},   // fractional centre and distance
        {25, 5, 1000, 0.1},        // reaches below CSN 1
        {25, 5, 53127, 0.05},      // reaches above Total
        {25, 5, 53130, 1.0},       // the whole game and more on both sides
        {60, 6, 25'000'000, 0.01}, // 1 001 278 CSNs
        {10, 10, 1, 3.0},          // one combination
        {4, 2, 3, 0.5},            // every combination of a tiny game
        {30, 1, 17.3, 0.25},       // one ball per combination
    };
    for (const Case& c : cases) {
        const TCSN converter(c.n, c.k);
        TCSNRanking ranking(converter, c.csn, c.fraction);
        EXPECT_TRUE(ranking.Run());
        EXPECT_EQ(ranking.Votes, VotesOneByOne(converter, c.csn, c.fraction))
            << c.n << "/" << c.k << " " << c.csn;
        EXPECT_EQ(ranking.Visited, ranking.Count);
        EXPECT_EQ(Sum(ranking.Votes), ranking.Count * static_cast<uint64_t>(c.k));
        EXPECT_EQ(ranking.Votes[0], 0u) << "no ball outside 1..n";
    }
}

TEST(TCSNRankingTest, TenPercentOfSixtySixListsEveryBallAsAShareOfTwoD) {
    const TCSN converter(60, 6);
    TCSNRanking ranking(converter, 25'000'000, 0.1);
    EXPECT_EQ(ranking.Distance, 5'006'386);
    EXPECT_TRUE(ranking.Complete);
    EXPECT_FALSE(ranking.Bounded);
    EXPECT_EQ(ranking.FirstCSN, 25'000'000 - 5'006'386);
    EXPECT_EQ(ranking.LastCSN, 25'000'000 + 5'006'386);
    // D is whole: one CSN more than 2D is visited, the shares are of 2D.
    EXPECT_EQ(ranking.Count, 2u * 5'006'386 + 1);
    EXPECT_EQ(ranking.Divisor, 2.0 * 5'006'386);
    ASSERT_TRUE(ranking.Run());

    const std::vector<TCSNRanking::Line> lines = ranking.Ranking();
    ASSERT_EQ(lines.size(), 60u);
    std::vector<bool> seen(61, false);
    for (size_t i = 0; i < lines.size(); ++i) {
        seen[static_cast<size_t>(lines[i].Ball)] = true;
        if (i > 0) {
            EXPECT_GE(lines[i - 1].Votes, lines[i].Votes);
        }
        EXPECT_DOUBLE_EQ(lines[i].Share, lines[i].Votes / (2.0 * 5'006'386) * 100);
    }
    EXPECT_EQ(std::count(seen.begin() + 1, seen.end(), true), 60);
}

TEST(TCSNRankingTest, CutBandsAreSharesOfTheCombinationsVisited) {
    // n = 4, k = 2, C = 3, D = 3: X = 0 .. 6; X = 0 is no combination. The
    // six combinations hold every ball three times.
    const TCSN converter(4, 2);
    TCSNRanking ranking(converter, 3, 0.5);
    EXPECT_FALSE(ranking.Complete);
    EXPECT_EQ(ranking.FirstCSN, 1);
    EXPECT_EQ(ranking.LastCSN, 6);
    EXPECT_EQ(ranking.Divisor, 6);
    ASSERT_TRUE(ranking.Run());
    for (const TCSNRanking::Line& line : ranking.Ranking()) {
        EXPECT_EQ(line.Votes, 3u);
        EXPECT_EQ(line.Share, 50);
    }

    // Entirely below 1 or above Total: nothing is visited.
    TCSNRanking below(converter, -40, 0.5);
    EXPECT_EQ(below.Count, 0u);
    EXPECT_TRUE(below.Run());
    EXPECT_EQ(Sum(below.Votes), 0u);
    TCSNRanking above(converter, 40, 0.5);
    EXPECT_EQ(above.Count, 0u);
}

TEST(TCSNRankingTest, ExchangeSortOrderAndDegenerateDistances) {
    // n = 3, k = 2, CSNs 2 and 3: {1, 3} and {2, 3}. Votes 1, 1, 2: ball 3
    // goes first by exchanging with ball 1, which then trails ball 2.
    const TCSN converter(3, 2);
    TCSNRanking ranking(converter, 2.25, 0.25);
    EXPECT_TRUE(ranking.Complete);
    EXPECT_EQ(ranking.Count, 2u);
    ranking.Run();
    const std::vector<TCSNRanking::Line> lines = ranking.Ranking();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].Ball, 3);
    EXPECT_EQ(lines[1].Ball, 2);
    EXPECT_EQ(lines[2].Ball, 1);
    EXPECT_DOUBLE_EQ(lines[0].Share, 2 / 1.5 * 100);

    // A zero distance visits C alone; its shares are of that one CSN rather
    // than a division by zero.
    TCSNRanking single(converter, 3, 0);
    ASSERT_EQ(single.Count, 1u);
    single.Run();
    EXPECT_EQ(single.Ranking()[0].Share, 100);
    EXPECT_EQ(single.Ranking()[2].Share, 0);

    // Not-a-number centres visit nothing; a game without balls has no lines.
    TCSNRanking nan(converter, std::nan(""), 0.1);
    EXPECT_EQ(nan.Count, 0u);
    EXPECT_TRUE(nan.Run());
    TCSNRanking empty(TCSN(0, 0), 0, 0.1);
    EXPECT_TRUE(empty.Run());
    EXPECT_TRUE(empty.Ranking().empty());
    TCSNRanking noBalls(TCSN(5, 0), 1, 0.1);
    EXPECT_TRUE(noBalls.Run());
    EXPECT_EQ(noBalls.Ranking().size(), 5u);
}

TEST(TCSNRankingTest, GamesBeyondExactDoublesStillEnd) {
    // C(100, 20) is about 5.4e20: X + 1 == X there, and 10 % of it is far
    // too many combinations. The band is bounded and centred on C.
    const TCSN lotomania(100, 20);
    const double centre = lotomania.Total / 2;
    TCSNRanking wide(lotomania, centre, 0.1);
    EXPECT_TRUE(wide.Bounded);
    EXPECT_FALSE(wide.Complete);
    EXPECT_EQ(wide.Count, TCSNRanking::MaxSteps);
    EXPECT_EQ(wide.Divisor, static_cast<double>(TCSNRanking::MaxSteps));
    EXPECT_LE(wide.FirstCSN, centre);
    EXPECT_GE(wide.LastCSN, centre);
    // Stopped at the first report: it ends early, with the votes so far.
    int reports = 0;
    EXPECT_FALSE(wide.Run([&](uint64_t visited, uint64_t count) {
        ++reports;
        EXPECT_EQ(count, TCSNRanking::MaxSteps);
        return visited < TCSNRanking::ProgressStep;
    }));
    EXPECT_EQ(reports, 1);
    EXPECT_GE(wide.Visited, TCSNRanking::ProgressStep);
    EXPECT_LT(wide.Visited, TCSNRanking::MaxSteps);
    EXPECT_EQ(Sum(wide.Votes), wide.Visited * 20);
    EXPECT_EQ(wide.Votes[0], 0u);

    // A narrow band there (about a million CSNs) is walked in full.
    TCSNRanking narrow(lotomania, centre, 1e-15);
    EXPECT_FALSE(narrow.Bounded);
    EXPECT_TRUE(narrow.Complete);
    EXPECT_TRUE(narrow.Run());
    EXPECT_EQ(narrow.Visited, narrow.Count);
    EXPECT_EQ(Sum(narrow.Votes), narrow.Count * 20);

    // Near the end of the game the walk stops at the last combination.
    TCSNRanking end(lotomania, lotomania.Total, 1e-15);
    EXPECT_TRUE(end.Run());
    EXPECT_LE(end.Visited, end.Count);
    EXPECT_EQ(Sum(end.Votes), end.Visited * 20);
    EXPECT_EQ(end.Votes[0], 0u);
}
