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
    std::vector<int32_t> balls(static_cast<size_t>(converter.PerCombination) + 1, 0);
    for (double x = static_cast<double>(static_cast<long double>(csn) - d);
         x <= static_cast<long double>(csn) + d; x += 1) {
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
    // Well inside, fractional centre and distance, reaching below CSN 1 and
    // above Total, the whole game and more, one combination, one ball each.
    for (const Case& c : {Case{25, 5, 26000, 0.2}, Case{25, 5, 20000.5, 0.013}, Case{25, 5, 1000, 0.1},
                          Case{25, 5, 53127, 0.05}, Case{25, 5, 53130, 1.0}, Case{10, 10, 1, 3.0},
                          Case{30, 1, 17.3, 0.25}, Case{4, 2, -40, 0.5}, Case{4, 2, 40, 0.5}}) {
        const TCSN converter(c.n, c.k);
        TCSNRanking ranking(converter, c.csn, c.fraction);
        EXPECT_TRUE(ranking.Run());
        EXPECT_EQ(ranking.Votes, VotesOneByOne(converter, c.csn, c.fraction))
            << c.n << "/" << c.k << " " << c.csn;
        EXPECT_EQ(ranking.Visited, ranking.Count);
        EXPECT_EQ(Sum(ranking.Votes), ranking.Count * static_cast<uint64_t>(c.k));
    }
}

TEST(TCSNRankingTest, SharesAreOfTwoDOrOfTheCombinationsVisited) {
    // 10 % of 60/6: D is whole, one CSN more than 2D is visited, the shares
    // are of 2D, every ball is listed once, by votes.
    const TCSN mega(60, 6);
    TCSNRanking ranking(mega, 25'000'000, 0.1);
    EXPECT_EQ(ranking.Distance, 5'006'386);
    EXPECT_TRUE(ranking.Complete);
    EXPECT_FALSE(ranking.Bounded);
    EXPECT_EQ(ranking.FirstCSN, 25'000'000 - 5'006'386);
    EXPECT_EQ(ranking.Count, 2u * 5'006'386 + 1);
    ASSERT_TRUE(ranking.Run());
    const std::vector<TCSNRanking::Line> lines = ranking.Ranking();
    ASSERT_EQ(lines.size(), 60u);
    std::vector<int> seen(61, 0);
    for (size_t i = 0; i < lines.size(); ++i) {
        ++seen[static_cast<size_t>(lines[i].Ball)];
        EXPECT_TRUE(i == 0 || lines[i - 1].Votes >= lines[i].Votes);
        EXPECT_DOUBLE_EQ(lines[i].Share, lines[i].Votes / (2.0 * 5'006'386) * 100);
    }
    EXPECT_EQ(std::count(seen.begin() + 1, seen.end(), 1), 60);

    // 4/2 around 3 with D = 3: X = 0 is no combination; the six visited
    // hold every ball three times, half of them.
    const TCSN small(4, 2);
    TCSNRanking cut(small, 3, 0.5);
    EXPECT_FALSE(cut.Complete);
    EXPECT_EQ(cut.Divisor, 6);
    ASSERT_TRUE(cut.Run());
    for (const TCSNRanking::Line& line : cut.Ranking()) EXPECT_EQ(line.Share, 50);
}

TEST(TCSNRankingTest, ExchangeSortOrderAndDegenerateDistances) {
    // 3/2, CSNs 2 and 3: {1, 3} and {2, 3}. Votes 1, 1, 2: ball 3 goes first
    // by exchanging with ball 1, which then trails ball 2.
    const TCSN converter(3, 2);
    TCSNRanking ranking(converter, 2.25, 0.25);
    EXPECT_EQ(ranking.Count, 2u);
    ranking.Run();
    const std::vector<TCSNRanking::Line> lines = ranking.Ranking();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(std::vector<int>({lines[0].Ball, lines[1].Ball, lines[2].Ball}), std::vector<int>({3, 2, 1}));
    EXPECT_DOUBLE_EQ(lines[0].Share, 2 / 1.5 * 100);

    // A zero distance visits C alone; its shares are of that one CSN rather
    // than a division by zero.
    TCSNRanking single(converter, 3, 0);
    single.Run();
    EXPECT_EQ(single.Ranking()[0].Share, 100);
    EXPECT_EQ(single.Ranking()[2].Share, 0);
    // Not-a-number centres visit nothing.
    TCSNRanking nan(converter, std::nan(""), 0.1);
    EXPECT_EQ(nan.Count, 0u);
    EXPECT_TRUE(nan.Run());
}

TEST(TCSNRankingTest, GamesBeyondExactDoublesAreBoundedAndStoppable) {
    // C(100, 20) is about 5.4e20: X + 1 == X there, and 10 % of it is far
    // too many combinations. The band is bounded and centred on C.
    const TCSN lotomania(100, 20);
    const double centre = lotomania.Total / 2;
    TCSNRanking wide(lotomania, centre, 0.1);
    EXPECT_TRUE(wide.Bounded);
    EXPECT_EQ(wide.Count, TCSNRanking::MaxSteps);
    EXPECT_EQ(wide.Divisor, static_cast<double>(TCSNRanking::MaxSteps));
    EXPECT_TRUE(wide.FirstCSN <= centre && centre <= wide.LastCSN);
    // Stopped at the first report: it ends early, with the votes so far.
    int reports = 0;
    EXPECT_FALSE(
        wide.Run([&](uint64_t visited, uint64_t) { return ++reports, visited < TCSNRanking::ProgressStep; }));
    EXPECT_EQ(reports, 1);
    EXPECT_GE(wide.Visited, TCSNRanking::ProgressStep);
    EXPECT_LT(wide.Visited, TCSNRanking::MaxSteps);
    EXPECT_EQ(Sum(wide.Votes), wide.Visited * 20);
}
