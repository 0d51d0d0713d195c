// The lexicographic analysis without a window: the sample table, the
// training set, the preview memo, the votes and the bookmarks (their files are
// exercised through the window).
#include "TLexicographicAnalysis.h"
#include "NumberText.h"
#include "TLottery.h"
#include "TempFiles.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

#include <atomic>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

using Analysis = TLexicographicAnalysis;
using Lines = std::vector<std::string>;

// A 60-ball, 6-per-draw history of `draws` draws, in which draw `special`
// (0-based) is 3, 10, 22, 35, 41, 58 written in drawing order, and the first
// draw holds ball 60 so that n is 60.
std::string SixtyBallHistory(int draws, int special) {
    std::mt19937 engine(11);
    std::vector<int> all(60);
    std::iota(all.begin(), all.end(), 1);
    std::string text = "Concurso;Bola1;Bola2;Bola3;Bola4;Bola5;Bola6\r\n";
    for (int d = 0; d < draws; ++d) {
        std::shuffle(all.begin(), all.end(), engine);
        std::vector<int> balls(all.begin(), all.begin() + 6);
        if (d == special) balls = {58, 3, 41, 22, 10, 35};
        if (d == 0 && std::find(balls.begin(), balls.end(), 60) == balls.end()) balls[0] = 60;
        text += std::to_string(100 + d);
        for (int b : balls) text.append(";").append(std::to_string(b));
        text += "\r\n";
    }
    return text;
}

size_t Count(const Lines& memo, const std::string& start) {
    return static_cast<size_t>(std::count_if(
        memo.begin(), memo.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; }));
}

// The number on the line after `line` (up to its first blank), or NaN.
double NumberAfter(const Lines& memo, const std::string& line) {
    const auto found = std::find(memo.begin(), memo.end(), line);
    double value = NAN;
    if (found < memo.end() - 1) NumberText::TryParseFloat(found[1].substr(0, found[1].find(' ')), value);
    return value;
}

class LexicographicTest : public ::testing::Test {
protected:
    void SetUp() override { NumberText::SetDecimalSeparator(','); }
    // Seeds the analysis, bounds its runs to `passes` and loads the last `sample` draws.
    static void Setup(Analysis& analysis, int sample, uint64_t seed, int passes) {
        analysis.Network.Seed(seed);
        analysis.MaxPasses = passes;
        analysis.Load(sample);
    }
    std::string PathOf(const char* name) const { return (folder.Path() / name).string(); }

    TempFolder folder;
    const TLottery sixty{folder.Write("g.csv", SixtyBallHistory(30, 27))};
    const TLottery megaSena{TOVISCA_DATA_DIR "/megasena.csv"};
};

TEST_F(LexicographicTest, SampleTableOfTailCSNsAndItsTrainingSet) {
    ASSERT_EQ(sixty.Elements(), 60);
    Analysis analysis(sixty);
    analysis.Load(10);
    ASSERT_EQ(analysis.RowCount(), 11);
    ASSERT_EQ(analysis.ColumnCount(), 7);
    EXPECT_EQ(analysis.CellText(0, 0) + "|" + analysis.CellText(0, 6), "Concurso|CSN 6");
    // Row i describes draw 30 - 10 + i: draw 28 (0-based 27) is row 8. (41, 58) among the
    // pairs of 60: 1580 pairs start below 41, then (41, 42) .. (41, 57).
    EXPECT_EQ(analysis.CellText(1, 0) + "|" + analysis.CellText(10, 0), "21|30");
    EXPECT_EQ(analysis.CellText(8, 5), "1597");
    for (int r = 1; r <= 10; ++r) {
        const auto draw = static_cast<size_t>(19 + r);
        EXPECT_EQ(analysis.Cell(r, 1), sixty.CSNs[draw]) << r;           // the whole draw's CSN
        EXPECT_EQ(analysis.Cell(r, 6), sixty.SortedDraws[5][draw]) << r; // the largest ball
        for (int c = 1; c <= 6; ++c)
            EXPECT_TRUE(analysis.Cell(r, c) >= 1 && analysis.Cell(r, c) <= TCSN::Binomial(60, 7 - c));
    }
    EXPECT_EQ(analysis.Cell(11, 1), 0) << "outside the sample every cell reads as 0";

    // Patterns from the fifth row on, fewer with held-out draws; each the whole-draw
    // CSNs of the four draws before, and the row; the target is the column's tail CSN.
    for (const auto& [skip, patterns] : {std::pair{0, 6}, {1, 5}, {2, 4}}) {
        analysis.Skip = skip;
        ASSERT_TRUE(analysis.PrepareTraining(false));
        EXPECT_EQ(analysis.Network.PatternCount, patterns) << skip;
    }
    analysis.Skip = 0;
    analysis.Column = 2;
    ASSERT_TRUE(analysis.PrepareTraining(false));
    const TNNMLP& net = analysis.Network;
    for (int p = 0; p < 6; ++p) {
        for (int i = 0; i < 4; ++i) EXPECT_EQ(net.PatternIn[p][i], analysis.Cell(p + 1 + i, 1));
        EXPECT_EQ(net.PatternIn[p][4], p + 5);
        EXPECT_EQ(net.PatternOut[p][0], analysis.Cell(p + 5, 3));
    }
    analysis.Load(4); // too small a sample has nothing to train on
    EXPECT_FALSE(analysis.PrepareTraining(false));
    analysis.Load(500); // a sample above the history is cut
    EXPECT_EQ(analysis.SampleSize(), 30);

    // In decimal notation the cells are the sorted balls; a zero-based game shifts them all.
    analysis.NotationMode = Analysis::Notation::Decimal;
    analysis.Load(10);
    EXPECT_EQ(analysis.CellText(0, 3), "Bola 3");
    for (int c = 1; c <= 6; ++c)
        EXPECT_EQ(analysis.Cell(8, c), (std::vector<double>{3, 10, 22, 35, 41, 58}[c - 1]));
    std::string text = "Concurso;Bola1;Bola2\r\n";
    for (int d = 0; d < 12; ++d) text += std::to_string(d + 1) + ";" + std::to_string(d % 5) + ";9\r\n";
    const TLottery zeroBased(folder.Write("z.csv", text));
    Analysis shifted(zeroBased);
    shifted.NotationMode = Analysis::Notation::Decimal;
    shifted.Load(10);
    EXPECT_EQ(std::pair(shifted.Cell(10, 1), shifted.Cell(10, 2)), std::pair(2.0, 10.0)) << "(1, 9) as read";
}

TEST_F(LexicographicTest, PreviewMemoBlocksFollowTheSkipMode) {
    const int draws = megaSena.DrawCount;
    Analysis analysis(megaSena);
    Setup(analysis, 20, 7, 5);
    EXPECT_EQ(analysis.PreviewColumn().Memo, Lines{"Sem previsão"});
    for (int skip = 0; skip <= 2; ++skip) {
        SCOPED_TRACE(skip);
        analysis.Skip = skip;
        ASSERT_TRUE(analysis.PrepareTraining(false));
        analysis.RunTraining(nullptr);
        const Analysis::PreviewResult preview = analysis.PreviewColumn();
        const Lines& memo = preview.Memo;
        // The error of the network on the last draw it saw, then one block per forecast draw;
        // a held-out draw's block also says how far the forecast was from it.
        const int first = draws + 1 - skip; // the draw of the first block
        ASSERT_GE(memo.size(), 5u);
        EXPECT_EQ(memo[0].rfind("Margem de erro da rede no concurso " + std::to_string(first - 1) + ": ", 0),
                  0u)
            << memo[0];
        EXPECT_EQ(memo[0].back(), '%');
        EXPECT_EQ(memo[1], "");
        const size_t blocks = skip == 0 ? 1 : 2;
        EXPECT_EQ(Count(memo, "Previsão p/ concurso "), blocks);
        for (int d = first; d < first + static_cast<int>(blocks); ++d)
            EXPECT_EQ(Count(memo, "Previsão p/ concurso " + std::to_string(d) + ":"), 1u) << d;
        EXPECT_EQ(Count(memo, "Dezena prevista: "), blocks);
        EXPECT_EQ(Count(memo, "Distância da realidade:"), static_cast<size_t>(skip));
        // Real values from row 5 on; the fit beside them and the next draw unless both forecasts are held
        // out.
        EXPECT_EQ(preview.Real.size(), 16u);
        EXPECT_EQ(preview.Forecast.size(), skip == 2 ? 16u : 17u);
        // The memo's numbers: one prediction per block, distances for the held-out draws.
        EXPECT_TRUE(preview.Trained);
        EXPECT_EQ(preview.MarginDraw, first - 1);
        ASSERT_EQ(preview.Predictions.size(), blocks);
        for (size_t b = 0; b < blocks; ++b) {
            const Analysis::Prediction& p = preview.Predictions[b];
            EXPECT_EQ(p.Draw, first + static_cast<int>(b));
            EXPECT_EQ(p.Value, std::trunc(p.Value));
            EXPECT_EQ(p.Ball,
                      p.Value >= 1 && p.Value <= TCSN::Binomial(60, 6) ? analysis.FirstBall(p.Value, 6) : 0);
            EXPECT_EQ(p.HasDistance, static_cast<int>(b) < skip);
        }
    }
    // With skip 2 the first distance is the real CSN of the draw before the last less the
    // forecast (shown as its integer part), and the relative distance is cut to ten-thousandths.
    const Lines memo = analysis.PreviewColumn().Memo;
    const double expected = megaSena.CSNs[static_cast<size_t>(draws - 2)] -
                            NumberAfter(memo, "Previsão p/ concurso " + std::to_string(draws - 1) + ":");
    EXPECT_NEAR(NumberAfter(memo, "Distância da realidade:"), expected, 1.0 + std::fabs(expected) * 1e-12);
    EXPECT_NEAR(analysis.RelDistance1, std::trunc(expected / TCSN::Binomial(60, 6) * 10000) / 10000,
                1e-4 + 1e-12);
    EXPECT_NEAR(analysis.RelDistance1 * 10000, std::round(analysis.RelDistance1 * 10000), 1e-6);
}

TEST_F(LexicographicTest, ForecastBeyondTheTailSpaceIsInvalid) {
    Analysis analysis(megaSena);
    Setup(analysis, 20, 3, 2);
    analysis.Column = 4; // the pairs (b5, b6): 1770 of them
    ASSERT_TRUE(analysis.PrepareTraining(false));
    analysis.RunTraining(nullptr);
    analysis.Network.OutMin[0] = 1e6; // every forecast lands far above 1770
    analysis.Network.OutMax[0] = 2e6;
    const Lines memo = analysis.PreviewColumn().Memo;
    ASSERT_GE(memo.size(), 3u);
    EXPECT_EQ(memo[2], "Previsão inválida para concurso " + std::to_string(megaSena.DrawCount + 1));
    EXPECT_EQ(Count(memo, "Dezena prevista"), 0u);
    // The first ball of a tail CSN; 0 outside the tail space.
    for (const auto& [csn, tail, ball] :
         {std::tuple{1597.0, 2, 41}, {1770.0, 2, 59}, {1771.0, 2, 0}, {0.5, 2, 0}, {1.0, 6, 1}})
        EXPECT_EQ(analysis.FirstBall(csn, tail), ball) << csn << "/" << tail;
}

TEST_F(LexicographicTest, DecimalDistributionAgainstItsTheory) {
    Analysis analysis(megaSena);
    analysis.NotationMode = Analysis::Notation::Decimal;
    analysis.Load(40);
    const auto preview = analysis.PreviewColumn();
    EXPECT_EQ(preview.DistributionTitle, "Distribuição normal - bola 1");
    ASSERT_EQ(preview.Theory.size(), preview.Counts.size());
    double counted = 0;
    for (size_t i = 0; i < preview.Theory.size(); ++i) {
        counted += preview.Counts[i].y;
        EXPECT_EQ(preview.Theory[i].x, preview.Counts[i].x);
        if (preview.Theory[i].x == 1) {
            EXPECT_NEAR(preview.Theory[i].y, 4.0, 1e-12); // 40 x C(59,5)/C(60,6)
        }
    }
    EXPECT_EQ(counted, 36); // rows 5..40
}

TEST_F(LexicographicTest, VotesAreListedByTheExchangeOrder) {
    std::string text = "Concurso;Bola1;Bola2\r\n";
    for (int d = 0; d < 12; ++d) text += std::to_string(d + 1) + ";" + std::to_string(1 + d % 3) + ";4\r\n";
    const TLottery lottery(folder.Write("four.csv", text));
    Analysis analysis(lottery);
    analysis.Column = 2; // "Todas as bolas"
    analysis.Load(10);
    EXPECT_EQ(analysis.Preview().Memo, Lines{"Sem previsão"});
    ASSERT_TRUE(analysis.AnalyseAll(0, true, 0.4, nullptr, nullptr));
    const Lines title{"Estatística de toviscas:", "Bola\tVoto"};
    Lines expected = title;
    expected.insert(expected.end(), {"1\t0", "2\t0", "3\t0", "4\t0"});
    EXPECT_EQ(analysis.Preview().Memo, expected);
    analysis.Votes = {0, 1, 2, 1, 2, 0};
    analysis.VoteBalls = {0, 1, 2, 3, 4, 5};
    const auto preview = analysis.PreviewAll();
    expected = title;
    expected.insert(expected.end(), {"2\t2", "4\t2", "3\t1", "1\t1"});
    EXPECT_EQ(preview.Memo, expected);
    ASSERT_EQ(preview.Tally.size(), 4u);
    EXPECT_EQ(preview.Tally[1].Ball, 4);
    EXPECT_EQ(preview.Tally[1].Votes, 2);
    EXPECT_EQ(preview.Tally[3].Ball, 1);
    ASSERT_EQ(preview.Slices.size(), 4u);
    EXPECT_EQ(preview.Slices[0].Label, "Bola 2:");
    EXPECT_EQ(preview.Slices[3].Value, 1);
}

TEST_F(LexicographicTest, AnalyseAllCastsOneVotePerNetworkInBothNotations) {
    for (const bool csn : {true, false}) {
        SCOPED_TRACE(csn ? "CSN" : "decimal");
        Analysis analysis(megaSena);
        analysis.NotationMode = csn ? Analysis::Notation::CSN : Analysis::Notation::Decimal;
        analysis.Column = 6;
        analysis.Skip = 2;
        analysis.BatchedVotes = false; // one label per vote, in order
        Setup(analysis, 20, 9, 2);
        Lines labels;
        EXPECT_TRUE(analysis.AnalyseAll(2, false, 0.4, nullptr, [&](const Analysis::VoteEvent& event) {
            if (!event.Label.empty()) labels.push_back(event.Label);
            if (!event.Slices.empty()) labels.push_back(event.Slices.at(9).Label);
            return true;
        }));
        EXPECT_EQ(analysis.Skip, 0);
        EXPECT_EQ(std::count(labels.begin(), labels.end(), csn ? "Dez. 10:" : "Dez.10:"), 6)
            << "a pie per column";
        ASSERT_EQ(labels.size(), 18u);
        EXPECT_EQ(labels.front() + "|" + labels[labels.size() - 2], "1/6, voto: 1/2|6/6, voto: 2/2");
        EXPECT_EQ(std::accumulate(analysis.Votes.begin(), analysis.Votes.end(), 0), 12);
        EXPECT_EQ(analysis.Votes[0] + analysis.Votes[61], 0);
    }
    // An accepted error of 0 rejects every network: only a stop ends the run, with no votes.
    Analysis analysis(megaSena);
    analysis.Column = 6;
    analysis.BatchedVotes = false; // a progress report per Train call
    Setup(analysis, 20, 1, 1);
    int passes = 0;
    EXPECT_FALSE(analysis.AnalyseAll(
        3, true, 0.0, [&](const Analysis::TrainingPass&) { return ++passes < 25; }, nullptr));
    EXPECT_EQ(passes, 25);
    EXPECT_EQ(std::accumulate(analysis.Votes.begin(), analysis.Votes.end(), 0), 0);
    EXPECT_NE(analysis.RelDistance1, 1); // the held-out test ran
}

TEST_F(LexicographicTest, BatchedVotesAreTheVotesOfTheOneByOneLoop) {
    // Both notations, with the error test rejecting networks (retrained
    // from further starts) and with several batches per column in flight.
    struct Case {
        Analysis::Notation notation;
        bool errorTest;
        double accepted;
        int votes;
        int threads;
    };
    for (const Case& c : {Case{Analysis::Notation::CSN, true, 0.4, 3, 2}, Case{Analysis::Notation::CSN, false, 0, 2, 1},
                          Case{Analysis::Notation::Decimal, false, 0, 11, 2}}) {
        std::vector<int> votes[2];
        int trainings = 0; // of the one-by-one loop, 3 passes each
        for (const bool batched : {false, true}) {
            Analysis analysis(megaSena);
            analysis.NotationMode = c.notation;
            analysis.Column = 6;
            analysis.BatchedVotes = batched;
            analysis.VoteThreads = c.threads;
            Setup(analysis, 20, 4, 3);
            int passes = 0;
            EXPECT_TRUE(analysis.AnalyseAll(
                c.votes, c.errorTest, c.accepted,
                [&](const Analysis::TrainingPass&) {
                    ++passes;
                    return true;
                },
                nullptr));
            votes[batched] = analysis.Votes;
            if (!batched) trainings = passes / 3;
        }
        EXPECT_EQ(votes[0], votes[1]) << static_cast<int>(c.notation) << " " << c.votes;
        EXPECT_EQ(std::accumulate(votes[1].begin(), votes[1].end(), 0), 6 * c.votes);
        if (c.errorTest) {
            EXPECT_GT(trainings, 6 * c.votes) << "some networks were rejected and retrained";
        }
    }
}

TEST_F(LexicographicTest, StoppedBatchedRunKeepsTheVotesGathered) {
    // Networks of 5001 passes: the stop comes long before any finishes.
    Analysis analysis(megaSena);
    analysis.Column = 6;
    Setup(analysis, 20, 5, 0);
    std::atomic<bool> cancel{false};
    int reports = 0;
    EXPECT_FALSE(analysis.AnalyseAll(
        2, false, 0,
        [&](const Analysis::TrainingPass& pass) {
            EXPECT_GE(pass.Pass, 1);
            if (++reports == 3) cancel = true;
            return true;
        },
        nullptr, &cancel));
    EXPECT_EQ(reports, 3);
    // Each column's network in training is judged as it stood: at most one vote each.
    EXPECT_LE(std::accumulate(analysis.Votes.begin(), analysis.Votes.end(), 0), 6);

    // A stop asked by the vote callback after the first pie keeps that column's votes.
    Setup(analysis, 20, 5, 2);
    int pies = 0;
    EXPECT_FALSE(analysis.AnalyseAll(2, false, 0, nullptr, [&](const Analysis::VoteEvent& event) {
        return event.Slices.empty() || ++pies < 1;
    }));
    EXPECT_EQ(pies, 1);
    EXPECT_GE(std::accumulate(analysis.Votes.begin(), analysis.Votes.end(), 0), 2);
}

TEST_F(LexicographicTest, BookmarkIsTheTrainingStartAndRepeatsTheRun) {
    Analysis analysis(megaSena);
    Setup(analysis, 20, 4, 2);
    EXPECT_FALSE(analysis.Bookmark().has_value());
    ASSERT_TRUE(analysis.PrepareTraining(false));
    const Lines start = *analysis.Bookmark();
    EXPECT_EQ(start, analysis.Network.SaveToStrings());
    EXPECT_EQ(start.back(), "+INF"); // an untrained start has empty ranges
    Lines memos[2];                  // from the bookmark the same start gives the same training, every time
    for (auto& memo : memos) {
        ASSERT_TRUE(analysis.PrepareTraining(true));
        EXPECT_EQ(analysis.Network.SaveToStrings(), start);
        analysis.RunTraining(nullptr);
        memo = analysis.PreviewColumn().Memo;
    }
    EXPECT_EQ(memos[0], memos[1]);
    EXPECT_EQ(*analysis.Bookmark(), start);
    ASSERT_TRUE(analysis.PrepareTraining(false)); // a fresh start replaces it
    const Lines good = *analysis.Bookmark();
    EXPECT_NE(good, start);

    // What is not a 5-8-1 network's text form changes nothing.
    const Lines weights = analysis.Network.SaveToStrings();
    Lines absurd = good, word = good;
    absurd[1] = "2000000000";
    word[10] = "abc";
    const Lines truncated(good.begin(), good.begin() + 40);
    for (const Lines& lines : {Lines{"Concurso;Bola1", "1;2"}, truncated, absurd, word,
                               TNNMLP(4, 8, 1).SaveToStrings(), Lines{}}) {
        EXPECT_FALSE(analysis.SetBookmark(lines).empty());
        EXPECT_EQ(*analysis.Bookmark(), good);
        EXPECT_EQ(analysis.Network.SaveToStrings(), weights);
    }
    const Lines fresh = TNNMLP(5, 8, 1).SaveToStrings();
    EXPECT_EQ(analysis.SetBookmark(fresh), "");
    EXPECT_EQ(*analysis.Bookmark(), fresh);
}

TEST_F(LexicographicTest, GenerateKeepsTheBestStartInTheFile) {
    Analysis analysis(megaSena);
    Setup(analysis, 20, 8, 2);
    Lines labels;
    const auto result =
        analysis.Generate(3, PathOf("best.net"), nullptr, [&](const Analysis::AttemptEvent& event) {
            if (event.Done) {
                EXPECT_EQ(Count(event.Preview.Memo, "Distância da realidade:"), 2u);
            }
            labels.push_back(event.Done ? "done" : event.Label);
            return true;
        });
    EXPECT_EQ(result.Error, "");
    EXPECT_TRUE(result.Loaded);
    EXPECT_GE(result.Saved, 1);
    ASSERT_EQ(labels.size(), 6u);
    EXPECT_EQ(labels[0], "1/3 (100%/100%/0)");
    EXPECT_EQ(std::count(labels.begin(), labels.end(), "done"), 3);
    EXPECT_EQ(analysis.Skip, 2);
    Lines file;
    std::string error;
    ASSERT_TRUE(Analysis::ReadLines(PathOf("best.net"), file, error));
    EXPECT_EQ(*analysis.Bookmark(), file);
    // The label reports the bests as percentages of the whole game.
    EXPECT_EQ(Analysis::AttemptLabel(2, 5, 0.0123, 0.5, 1), "2/5 (1,23%/50%/1)");

    // Stopping before the first attempt writes nothing and loads nothing.
    Analysis other(megaSena);
    Setup(other, 20, 8, 2);
    const auto stopped = other.Generate(3, PathOf("none.net"), nullptr, [](const auto&) { return false; });
    EXPECT_EQ(stopped.Saved, 0);
    EXPECT_FALSE(stopped.Loaded || other.Bookmark().has_value());
    EXPECT_FALSE(std::filesystem::exists(PathOf("none.net")));
}

} // namespace
