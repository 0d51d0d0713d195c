// The segmentation analysis without a window: the sample, the two-step
// training set, the weighting of votes, the sorted memo and the gathering.
#include "TSegmentationAnalysis.h"
#include "NumberText.h"
#include "TLottery.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <limits>
#include <random>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Analysis = TSegmentationAnalysis;
using Lines = std::vector<std::string>;

class SegmentationTest : public ::testing::Test {
protected:
    void SetUp() override { NumberText::SetDecimalSeparator(','); }
    const TLottery quina{TOVISCA_DATA_DIR "/quina.csv"};
};

TEST_F(SegmentationTest, SampleAndTwoStepTrainingSetOfTheMinimumSample) {
    ASSERT_GT(quina.DrawCount, 20);
    const int D = quina.DrawCount;
    for (const bool leaveOut : {false, true}) {
        Analysis analysis(quina);
        analysis.LeaveLastOut = leaveOut;
        analysis.Load(10);
        ASSERT_EQ(analysis.RowCount(), 11);
        EXPECT_EQ(analysis.CellText(0, 0) + "|" + analysis.CellText(0, 1), "Concurso|CSN");
        EXPECT_EQ(analysis.CellText(1, 0), std::to_string(D - 9)) << "ordinal, not contest number";
        EXPECT_EQ(analysis.CellText(10, 1),
                  NumberText::FormatGeneral(quina.CSNs[static_cast<size_t>(D - 1)]));

        analysis.FillTrainingSet();
        const int patterns = leaveOut ? 4 : 5;
        ASSERT_EQ(analysis.PatternCount(), patterns);
        ASSERT_EQ(analysis.Network.PatternCount, patterns);
        const int a0 = D - 10;
        const auto csn = [&](int d) { return quina.CSNs[static_cast<size_t>(d)]; };
        for (int p = 0; p < patterns; ++p) {
            const auto& in = analysis.Network.PatternIn[static_cast<size_t>(p)];
            for (int i = 0; i < 4; ++i) EXPECT_EQ(in[static_cast<size_t>(i)], csn(a0 + p + i));
            EXPECT_EQ(in[4], p);
            EXPECT_EQ(analysis.Network.PatternOut[static_cast<size_t>(p)][0], csn(a0 + p + 5))
                << "the draw after the last input is skipped";
        }
        // The last target is the newest draw trained on.
        EXPECT_EQ(analysis.Network.PatternOut[static_cast<size_t>(patterns - 1)][0],
                  csn(leaveOut ? D - 2 : D - 1));
        const auto forecast = analysis.ForecastInputs();
        const int m = leaveOut ? 9 : 10;
        for (int i = 0; i < 4; ++i) EXPECT_EQ(forecast[static_cast<size_t>(i)], csn(a0 + m - 5 + i));
        EXPECT_EQ(forecast[4], patterns) << "the next ordinal";
    }
}

// The weighting as the window defines it, every vote against every other
// after every vote: the brute-force reference of the kept-up-to-date one.
Analysis::Weighting ReferenceWeighting(const std::vector<double>& votes, int v, double top) {
    const double w0 = 0.0001 * top;
    Analysis::Weighting result;
    result.Weights.assign(votes.size(), w0);
    for (int u = 1; u <= v; ++u) {
        const double at = votes[static_cast<size_t>(u)];
        const double gap = top - at;
        const double scale = w0 / (gap * gap);
        double& weight = result.Weights[static_cast<size_t>(u)];
        for (int t = 1; t <= v; ++t) {
            if (t == u) continue;
            const double d = votes[static_cast<size_t>(t)] - at;
            const bool close = gap == 0 ? d == 0 : std::exp(-(d * d) * scale) >= 0.5;
            if (close) weight *= 0.8;
        }
        result.MaxWeight = std::max(result.MaxWeight, weight);
    }
    return result;
}

// Votes crowded around a few centres (many close pairs, many equal
// weights), some at the top, at exactly the reach of another, and out of
// range as a stopped vote can be.
std::vector<double> CrowdedVotes(std::mt19937& random, int v, double top) {
    std::vector<double> votes{0};
    std::uniform_int_distribution<int> centre(0, 4), kind(0, 19);
    std::normal_distribution<double> spread(0, top * 0.01);
    for (int i = 1; i <= v; ++i) {
        const double c = (centre(random) + 0.5) * top / 5;
        double vote = std::clamp(std::trunc(c + spread(random)), 1.0, top);
        switch (kind(random)) {
        case 0: vote = top; break;
        case 1: vote = -std::trunc(top * 0.1); break;    // a stopped, out-of-range vote
        case 2: vote = std::trunc(top * 1.5); break;
        case 3: if (i > 1) vote = votes[static_cast<size_t>(i - 1)]; break; // an equal vote
        default: break;
        }
        votes.push_back(vote);
    }
    return votes;
}

TEST_F(SegmentationTest, KeptWeightingMatchesTheFreshWeighingAfterEveryVote) {
    std::mt19937 random(32);
    for (const double top : {60.0, 1000.0, 50063860.0}) {
        const std::vector<double> votes = CrowdedVotes(random, 120, top);
        Analysis::VoteWeights kept(top);
        for (int v = 1; v <= 120; ++v) {
            kept.Add(votes[static_cast<size_t>(v)]);
            const Analysis::Weighting reference = ReferenceWeighting(votes, v, top);
            const Analysis::Weighting now = kept.Current(votes.size());
            ASSERT_EQ(now.Weights, reference.Weights) << "top " << top << ", vote " << v; // to the bit
            ASSERT_EQ(now.MaxWeight, reference.MaxWeight) << "top " << top << ", vote " << v;
            ASSERT_EQ(Analysis::Weigh(votes, v, top).Weights, reference.Weights);
        }
    }
}

TEST_F(SegmentationTest, WeightingAtTheReachAndWithHugeDistances) {
    // Right at the edge of the reach the test is the exp's, not a distance's.
    const double top = 1000;
    const double w0 = 0.1;
    const double at = 900;
    const double reach = (top - at) * std::sqrt(std::log(2.0) / w0);
    for (double step = -4; step <= 4; ++step) {
        const double other = std::nextafter(at - reach, at) + step * 1e-12;
        const std::vector<double> votes{0, at, other};
        EXPECT_EQ(Analysis::Weigh(votes, 2, top).Weights, ReferenceWeighting(votes, 2, top).Weights) << step;
    }
    // Distances whose exp underflows, infinities and NaN: never close, never NaN.
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<double> far{0, 1, 1e300, -1e300, inf, -inf, std::nan("")};
    const auto weighting = Analysis::Weigh(far, 6, top);
    const auto reference = ReferenceWeighting(far, 6, top);
    for (int u = 1; u <= 6; ++u) {
        EXPECT_EQ(weighting.Weights[static_cast<size_t>(u)], reference.Weights[static_cast<size_t>(u)]) << u;
        EXPECT_FALSE(std::isnan(weighting.Weights[static_cast<size_t>(u)])) << u;
    }
}

// The window's exchange sort over every row.
void ReferenceSort(std::vector<double>& votes, std::vector<double>& weights, int n) {
    for (int i = 1; i < n; ++i)
        for (int j = i; j <= n; ++j)
            if (weights[static_cast<size_t>(i)] > weights[static_cast<size_t>(j)]) {
                std::swap(weights[static_cast<size_t>(i)], weights[static_cast<size_t>(j)]);
                std::swap(votes[static_cast<size_t>(i)], votes[static_cast<size_t>(j)]);
            }
}

TEST_F(SegmentationTest, SortKeepsTheExchangeSortsOrderOfTheListedRows) {
    std::mt19937 random(7);
    for (const int n : {1, 2, 5, 20, 21, 22, 40, 500}) {
        // Weights of few distinct values, as the weighting gives: ties everywhere.
        std::uniform_int_distribution<int> count(0, 6);
        Analysis::Result result;
        result.Requested = n;
        result.Taken = n;
        result.Votes.assign(static_cast<size_t>(n) + 1, 0);
        result.Weights.assign(static_cast<size_t>(n) + 1, 0.1);
        for (int i = 1; i <= n; ++i) {
            result.Votes[static_cast<size_t>(i)] = 1000 + i;
            result.Weights[static_cast<size_t>(i)] = 0.1 * std::pow(0.8, count(random));
        }
        std::vector<double> votes = result.Votes;
        std::vector<double> weights = result.Weights;
        ReferenceSort(votes, weights, n);
        Analysis::SortAndList(result);
        const int listed = std::min(n, Analysis::ListedVotes);
        for (int i = 1; i <= listed; ++i) {
            EXPECT_EQ(result.Votes[static_cast<size_t>(i)], votes[static_cast<size_t>(i)]) << n << " row " << i;
            EXPECT_EQ(result.Weights[static_cast<size_t>(i)], weights[static_cast<size_t>(i)]);
        }
        if (n <= Analysis::ListedVotes + 1) {
            EXPECT_EQ(result.Votes, votes) << "every row exchanged";
        }
        EXPECT_TRUE(std::is_sorted(result.Weights.begin() + 1, result.Weights.end())) << n;
        std::vector<double> a(result.Votes), b(votes);
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        EXPECT_EQ(a, b) << "the same votes";
    }
}

TEST_F(SegmentationTest, ThousandsOfVotesWeighAndSortInAFractionOfASecond) {
    // 5,000 votes: each weighed on arrival, then sorted and listed. The
    // fresh weighing after every vote took minutes here; the bound is loose
    // on purpose (the timing itself is the benchmark's).
    std::mt19937 random(5000);
    const double top = 50063860;
    const std::vector<double> votes = CrowdedVotes(random, 5000, top);
    const auto begin = std::chrono::steady_clock::now();
    Analysis::VoteWeights kept(top);
    Analysis::Result result;
    result.Requested = result.Taken = 5000;
    result.Votes = votes;
    for (int v = 1; v <= 5000; ++v) kept.Add(votes[static_cast<size_t>(v)]);
    const Analysis::Weighting weighting = kept.Current(votes.size());
    result.Weights = weighting.Weights;
    result.MaxWeight = weighting.MaxWeight;
    Analysis::SortAndList(result);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(20));
    EXPECT_EQ(result.Memo.size(), 2u + 20u);
}

TEST_F(SegmentationTest, WeightingOfHandWorkedVotes) {
    // U = 1000: w0 = 0.1 and a vote u reaches (1000 - u) x sqrt(ln 2 / 0.1) = 2.633 (1000 - u).
    const auto weigh = [](std::vector<double> votes, double top = 1000) {
        return Analysis::Weigh(votes, static_cast<int>(votes.size()) - 1, top);
    };
    auto one = weigh({0, 500});
    EXPECT_DOUBLE_EQ(one.Weights[1], 0.1);
    EXPECT_EQ(one.MaxWeight, 1.0) << "never below 1";
    EXPECT_DOUBLE_EQ(weigh({0, 5}, 1e6).MaxWeight, 100) << "w0 above 1 is the largest weight";

    auto equal = weigh({0, 300, 300});
    EXPECT_DOUBLE_EQ(equal.Weights[1], 0.08);
    EXPECT_DOUBLE_EQ(equal.Weights[2], 0.08);
    auto three = weigh({0, 300, 300, 300});
    EXPECT_DOUBLE_EQ(three.Weights[3], 0.1 * 0.8 * 0.8) << "20 % per close vote, multiplicatively";

    // 990 reaches 26.3, 950 reaches 131.6: 40 apart, only 950 is reduced.
    auto asym = weigh({0, 990, 950});
    EXPECT_DOUBLE_EQ(asym.Weights[1], 0.1);
    EXPECT_DOUBLE_EQ(asym.Weights[2], 0.08);
    // The threshold itself: exp(-d^2 w0 / gap^2) >= 0.5 just inside, not just outside.
    const double reach = 100 * std::sqrt(std::log(2.0) / 0.1);
    EXPECT_DOUBLE_EQ(weigh({0, 900, 900 - reach * 0.999}).Weights[1], 0.08);
    EXPECT_DOUBLE_EQ(weigh({0, 900, 900 - reach * 1.001}).Weights[1], 0.1);

    // A vote at U: an infinite scale, close only to votes exactly at U; no NaN.
    auto atTop = weigh({0, 1000, 1000, 999});
    EXPECT_DOUBLE_EQ(atTop.Weights[1], 0.08);
    EXPECT_DOUBLE_EQ(atTop.Weights[2], 0.08);
    EXPECT_DOUBLE_EQ(atTop.Weights[3], 0.1 * 0.8 * 0.8) << "999 reaches 2.6 and sees both";
    EXPECT_DOUBLE_EQ(weigh({0, 1000, 999}).Weights[1], 0.1);
    for (double w : atTop.Weights) EXPECT_FALSE(std::isnan(w));

    const auto points = Analysis::VotePoints(std::vector<double>{0, 990, 950}, asym, 2, 1000);
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points.front().x, 0);
    EXPECT_DOUBLE_EQ(points[1].y, 0.9);
    EXPECT_DOUBLE_EQ(points[2].y, 0.92);
    EXPECT_EQ(points.back().x, 1000);
}

TEST_F(SegmentationTest, SortAndMemo) {
    Analysis::Result result;
    result.Requested = 25;
    result.Taken = 25;
    result.Votes.assign(26, 0);
    result.Weights.assign(26, 0.1);
    for (int i = 1; i <= 25; ++i) result.Votes[static_cast<size_t>(i)] = 100 + i;
    result.Weights[25] = 0.064;
    result.Weights[3] = 0.08;
    result.Votes[4] = 0; // a vote not taken is not listed
    result.MaxWeight = 1.0;
    Analysis::SortAndList(result);
    const Lines& memo = result.Memo;
    ASSERT_GE(memo.size(), 4u);
    EXPECT_EQ(memo[0], "Votos: 25");
    EXPECT_EQ(memo[1], "Tovisca\tPeso");
    EXPECT_EQ(memo[2], "125\t0,06");
    EXPECT_EQ(memo[3], "103\t0,08");
    EXPECT_EQ(memo.size(), 2u + 19u) << "20 entries looked at, the untaken one skipped";
    for (size_t i = 2; i + 1 < result.Weights.size(); ++i)
        EXPECT_LE(result.Weights[i - 1], result.Weights[i]);
}

TEST_F(SegmentationTest, GatheringThroughAReplacedTrainer) {
    Analysis analysis(quina);
    analysis.Load(12);
    const double top = analysis.Top();
    std::vector<double> forecasts{-3, top + 5, 40.7, 40.2, 7};
    size_t next = 0;
    std::vector<int> cuts;
    analysis.Trainer = [&](int, int cut, const Analysis::PassCallback&, const std::atomic<bool>*, bool&) {
        cuts.push_back(cut);
        return forecasts[next++];
    };
    int lastVote = 0;
    const auto result = analysis.Gather(3, 0, {}, [&](int v, const auto&) { lastVote = v; });
    EXPECT_EQ(next, 5u) << "out-of-range forecasts are trained again";
    EXPECT_EQ(result.Trainings, 5);
    EXPECT_EQ(cuts.front(), 1) << "cut at least 1";
    EXPECT_EQ(lastVote, 3);
    EXPECT_FALSE(result.Stopped);
    EXPECT_EQ(result.Memo[2].substr(0, 3), "40\t");
    EXPECT_EQ(result.Memo[3].substr(0, 3), "40\t");
    EXPECT_EQ(result.Memo[4].substr(0, 2), "7\t");
    ASSERT_EQ(result.Last.size(), 3u);
    EXPECT_EQ(result.Last[1].x, quina.CSNs[static_cast<size_t>(quina.DrawCount - 1)]);
    EXPECT_EQ(result.Last[2].x, top);
}

TEST_F(SegmentationTest, BoundedTrainingsEndAGatheringThatNeverForecastsInRange) {
    Analysis analysis(quina);
    analysis.Load(12);
    const double top = analysis.Top();
    std::vector<double> forecasts{30, top + 1, top + 2, top + 3, top + 4, 50};
    size_t next = 0;
    analysis.Trainer = [&](int, int, const Analysis::PassCallback&, const std::atomic<bool>*, bool&) {
        return forecasts[next++];
    };
    analysis.MaxTrainings = 4;
    const auto result = analysis.Gather(3, 1, {}, {});
    EXPECT_TRUE(result.Exhausted);
    EXPECT_FALSE(result.Stopped);
    EXPECT_EQ(result.Trainings, 4);
    EXPECT_EQ(result.Taken, 1);
    EXPECT_EQ(result.Votes[1], 30);

    // The bound ends only retraining: networks that forecast in range keep
    // giving votes past it.
    Analysis batched(quina);
    batched.Load(12);
    batched.Network.Seed(3);
    batched.VoteThreads = 1;
    batched.MaxTrainings = 1;
    const auto one = batched.Gather(3, 1, {}, {});
    EXPECT_EQ(one.Trainings, 3);
    EXPECT_EQ(one.Taken, 3);
    EXPECT_FALSE(one.Exhausted);
}

TEST_F(SegmentationTest, SeededGatheringIsReproducibleAndStopsKeepTheVote) {
    const auto run = [&](Analysis::Notation notation, int n, int stopAtPass) {
        Analysis analysis(quina);
        analysis.BatchedVotes = false; // a progress report per Train call
        analysis.Network.Seed(7);
        analysis.NotationMode = notation;
        analysis.Load(15);
        int passes = 0;
        int maxPass = 0;
        auto result = analysis.Gather(n, 2,
                                      [&](const Analysis::Progress& p) {
                                          EXPECT_EQ(p.Votes, n);
                                          maxPass = std::max(maxPass, p.Pass);
                                          return ++passes != stopAtPass;
                                      },
                                      {});
        EXPECT_LE(maxPass, 3) << "at most cut + 1 Train calls";
        return result;
    };
    const auto a = run(Analysis::Notation::CSN, 3, 0);
    const auto b = run(Analysis::Notation::CSN, 3, 0);
    EXPECT_EQ(a.Votes, b.Votes);
    EXPECT_EQ(a.Memo, b.Memo);
    for (int v = 1; v <= 3; ++v) EXPECT_TRUE(a.Votes[static_cast<size_t>(v)] >= 1) << v;

    const auto stopped = run(Analysis::Notation::CSN, 5, 1);
    EXPECT_TRUE(stopped.Stopped);
    EXPECT_EQ(stopped.Taken, 1);
    EXPECT_EQ(stopped.Memo[0], "Votos: 5");

    const auto decimal = run(Analysis::Notation::Decimal, 2, 0);
    const auto newest = static_cast<size_t>(quina.DrawCount - 1);
    EXPECT_EQ(decimal.Last[1].x, quina.SortedDraws[0][newest]);
    EXPECT_EQ(decimal.Last[2].x, quina.Elements());
    for (int v = 1; v <= 2; ++v) {
        const double vote = decimal.Votes[static_cast<size_t>(v)];
        EXPECT_TRUE(vote >= 1 && vote <= quina.Elements()) << vote;
    }
}

TEST_F(SegmentationTest, BatchedGatheringGivesTheVotesOfTheOneByOneLoop) {
    for (const auto notation : {Analysis::Notation::CSN, Analysis::Notation::Decimal})
        for (const int threads : {1, 2}) {
            Analysis::Result results[2];
            std::vector<int> reported[2];
            for (const bool batched : {false, true}) {
                Analysis analysis(quina);
                analysis.BatchedVotes = batched;
                analysis.VoteThreads = threads;
                analysis.NotationMode = notation;
                analysis.Network.Seed(21);
                analysis.Load(15);
                results[batched] =
                    analysis.Gather(13, 3, {}, [&](int v, const auto&) { reported[batched].push_back(v); });
            }
            EXPECT_EQ(results[0].Votes, results[1].Votes);
            EXPECT_EQ(results[0].Weights, results[1].Weights);
            EXPECT_EQ(results[0].Memo, results[1].Memo);
            EXPECT_EQ(reported[1], reported[0]) << "one chart refresh per vote, in order";
            EXPECT_EQ(results[1].Taken, 13);
            EXPECT_EQ(results[1].Trainings, results[0].Trainings);
        }
}

TEST_F(SegmentationTest, StoppedBatchedGatheringKeepsTheVoteInProgress) {
    Analysis analysis(quina);
    analysis.Network.Seed(3);
    analysis.Load(15);
    std::atomic<bool> cancel{false};
    const auto result = analysis.Gather(
        4, 100000,
        [&](const Analysis::Progress& p) {
            EXPECT_EQ(p.Vote, 1);
            cancel = true;
            return true;
        },
        {}, &cancel);
    EXPECT_TRUE(result.Stopped);
    EXPECT_EQ(result.Taken, 1);
    EXPECT_NE(result.Votes[1], 0); // the stopped network's forecast
    EXPECT_EQ(result.Memo[0], "Votos: 4");
}

} // namespace
