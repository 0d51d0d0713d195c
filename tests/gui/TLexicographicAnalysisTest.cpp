// The lexicographic analysis without a window: the sample table, the
// training set, the preview memo, the votes and the bookmarks.
#include "TLexicographicAnalysis.h"
#include "NumberText.h"
#include "TLottery.h"
#include "TempFiles.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
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
        for (int b : balls) text += ";" + std::to_string(b);
        text += "\r\n";
    }
    return text;
}

size_t Count(const Lines& memo, const std::string& start) {
    return static_cast<size_t>(std::count_if(
        memo.begin(), memo.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; }));
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
    const TLottery megaSena{TOVISCA_DATA_DIR "/megasena.csv"};
};

TEST_F(LexicographicTest, SampleTableHoldsTailCSNsOfTheSortedDraws) {
    const TLottery lottery(folder.Write("g.csv", SixtyBallHistory(30, 27)));
    ASSERT_EQ(lottery.Elements(), 60);
    Analysis analysis(lottery);
    analysis.Load(10);
    ASSERT_EQ(analysis.RowCount(), 11);
    ASSERT_EQ(analysis.ColumnCount(), 7);
    EXPECT_EQ(analysis.CellText(0, 0), "Concurso");
    EXPECT_EQ(analysis.CellText(0, 6), "CSN 6");
    // Row i describes draw 30 - 10 + i: draw 28 (0-based 27) is row 8.
    EXPECT_EQ(analysis.CellText(1, 0), "21");
    EXPECT_EQ(analysis.CellText(10, 0), "30");
    // (41, 58) among the pairs of 60: 1580 pairs start below 41, then (41, 42) .. (41, 57).
    EXPECT_EQ(analysis.CellText(8, 5), "1597");
    EXPECT_EQ(analysis.Cell(8, 6), 58);
    for (int r = 1; r <= 10; ++r) {
        const auto draw = static_cast<size_t>(19 + r);
        EXPECT_EQ(analysis.Cell(r, 1), lottery.CSNs[draw]) << r;           // the whole draw's CSN
        EXPECT_EQ(analysis.Cell(r, 6), lottery.SortedDraws[5][draw]) << r; // the largest ball
        for (int c = 1; c <= 6; ++c) {                                     // tails live in smaller spaces
            EXPECT_GE(analysis.Cell(r, c), 1);
            EXPECT_LE(analysis.Cell(r, c), TCSN::Binomial(60, 7 - c));
        }
    }
    // Outside the sample every cell reads as 0; a sample above the history is cut.
    EXPECT_EQ(analysis.Cell(11, 1), 0);
    analysis.NotationMode = Analysis::Notation::Decimal;
    analysis.Load(10);
    EXPECT_EQ(analysis.CellText(0, 3), "Bola 3");
    for (int c = 1; c <= 6; ++c)
        EXPECT_EQ(analysis.Cell(8, c), (std::vector<double>{3, 10, 22, 35, 41, 58}[c - 1]));
    analysis.Load(500);
    EXPECT_EQ(analysis.SampleSize(), 30);

    // A zero-based game shifts every ball: draw 12 of this one is (1, 9) as read, balls 2 and 10.
    std::string text = "Concurso;Bola1;Bola2\r\n";
    for (int d = 0; d < 12; ++d) text += std::to_string(d + 1) + ";" + std::to_string(d % 5) + ";9\r\n";
    const TLottery zeroBased(folder.Write("z.csv", text));
    Analysis shifted(zeroBased);
    shifted.NotationMode = Analysis::Notation::Decimal;
    shifted.Load(10);
    EXPECT_EQ(std::pair(shifted.Cell(10, 1), shifted.Cell(10, 2)), std::pair(2.0, 10.0));
}

TEST_F(LexicographicTest, TrainingSetHasOnePatternPerRowFromTheFifth) {
    const TLottery lottery(folder.Write("g.csv", SixtyBallHistory(30, 27)));
    Analysis analysis(lottery);
    analysis.Load(10);
    for (const auto [skip, patterns] : {std::pair{0, 6}, {1, 5}, {2, 4}}) {
        analysis.Skip = skip;
        ASSERT_TRUE(analysis.PrepareTraining(false));
        EXPECT_EQ(analysis.Network.PatternCount, patterns) << skip;
    }
    // Column 3 is forecast from the whole-draw CSNs of the four draws before and the row.
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
}

TEST_F(LexicographicTest, TrainingStopsOnRequestAndCountsAsTrained) {
    Analysis analysis(megaSena);
    Setup(analysis, 40, 5, 0);
    ASSERT_TRUE(analysis.PrepareTraining(false));
    std::vector<Analysis::Point> fit;
    EXPECT_EQ(analysis.RunTraining([&](const Analysis::TrainingPass& pass) {
        fit = pass.Fit;
        return pass.Pass < 3;
    }),
              3);
    EXPECT_TRUE(analysis.Trained());
    // The fit over the 36 training rows, then the integral forecast of the next draw.
    ASSERT_EQ(fit.size(), 37u);
    EXPECT_EQ(fit.front().x, megaSena.DrawCount - 40 + 5);
    EXPECT_EQ(fit.back().x, megaSena.DrawCount + 1);
    EXPECT_EQ(fit.back().y, std::trunc(fit.back().y));
    for (const auto& point : fit) EXPECT_TRUE(point.y > 0 && point.y <= analysis.Total()) << point.y;
    // A cancelled run ends after its first pass; a pass limit ends it too.
    std::atomic<bool> cancel{true};
    ASSERT_TRUE(analysis.PrepareTraining(false));
    EXPECT_EQ(analysis.RunTraining(nullptr, &cancel), 1);
    analysis.MaxPasses = 4;
    ASSERT_TRUE(analysis.PrepareTraining(false));
    EXPECT_FALSE(analysis.Trained());
    EXPECT_EQ(analysis.RunTraining(nullptr), 4);
}

TEST_F(LexicographicTest, PreviewMemoBlocksFollowTheSkipMode) {
    const int draws = megaSena.DrawCount;
    Analysis analysis(megaSena);
    Setup(analysis, 20, 7, 5);
    EXPECT_EQ(analysis.PreviewColumn().Memo, Lines{"Sem previsão"});
    // The draws forecast, in memo order, and how many have a real value to compare with.
    const struct {
        std::vector<int> draws;
        size_t distances;
    } cases[] = {{{draws + 1}, 0}, {{draws, draws + 1}, 1}, {{draws - 1, draws}, 2}};
    for (int skip = 0; skip <= 2; ++skip) {
        SCOPED_TRACE(skip);
        const auto& c = cases[skip];
        analysis.Skip = skip;
        ASSERT_TRUE(analysis.PrepareTraining(false));
        analysis.RunTraining(nullptr);
        const Analysis::PreviewResult preview = analysis.PreviewColumn();
        const Lines& memo = preview.Memo;
        ASSERT_GE(memo.size(), 5u);
        EXPECT_EQ(
            memo[0].rfind("Margem de erro da rede no concurso " + std::to_string(c.draws[0] - 1) + ": ", 0),
            0u)
            << memo[0];
        EXPECT_EQ(memo[0].back(), '%');
        EXPECT_EQ(memo[1], "");
        Lines blocks;
        for (const int d : c.draws) blocks.push_back("Previsão p/ concurso " + std::to_string(d) + ":");
        Lines shown;
        std::copy_if(memo.begin(), memo.end(), std::back_inserter(shown),
                     [](const std::string& l) { return l.rfind("Previsão p/ concurso ", 0) == 0; });
        EXPECT_EQ(shown, blocks);
        EXPECT_EQ(Count(memo, "Dezena prevista: "), c.draws.size());
        EXPECT_EQ(Count(memo, "Distância da realidade:"), c.distances);
        // Real values from row 5 on; the fit beside them and the next draw unless both forecasts are held
        // out.
        EXPECT_EQ(preview.Real.size(), 16u);
        EXPECT_EQ(preview.Forecast.size(), skip == 2 ? 16u : 17u);
    }
    // With skip 2 the first distance is the real CSN of the draw before the last
    // less the forecast, and the relative distance is cut to ten-thousandths.
    const Lines memo = analysis.PreviewColumn().Memo;
    const auto block =
        std::find(memo.begin(), memo.end(), "Previsão p/ concurso " + std::to_string(draws - 1) + ":");
    const auto distance = std::find(memo.begin(), memo.end(), "Distância da realidade:");
    ASSERT_TRUE(block < memo.end() - 1 && distance < memo.end() - 1);
    double forecast = 0, shown = 0;
    ASSERT_TRUE(NumberText::TryParseFloat(block[1], forecast));
    ASSERT_TRUE(NumberText::TryParseFloat(distance[1].substr(0, distance[1].find(' ')), shown));
    const double expected = megaSena.CSNs[static_cast<size_t>(draws - 2)] - forecast;
    EXPECT_NEAR(shown, expected,
                1.0 + std::fabs(expected) * 1e-12); // the forecast line holds the integer part
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
    // Stretch the output range so that every forecast lands far above 1770.
    analysis.Network.OutMin[0] = 1e6;
    analysis.Network.OutMax[0] = 2e6;
    const Lines memo = analysis.PreviewColumn().Memo;
    ASSERT_GE(memo.size(), 3u);
    EXPECT_EQ(memo[2], "Previsão inválida para concurso " + std::to_string(megaSena.DrawCount + 1));
    EXPECT_EQ(Count(memo, "Dezena prevista"), 0u);
    // The first ball of a tail CSN; 0 outside the tail space.
    for (const auto [csn, tail, ball] :
         {std::tuple{1597.0, 2, 41}, {1770.0, 2, 59}, {1771.0, 2, 0}, {0.5, 2, 0}, {1.0, 6, 1}})
        EXPECT_EQ(analysis.FirstBall(csn, tail), ball) << csn << "/" << tail;
}

TEST_F(LexicographicTest, DecimalDistributionAgainstItsTheory) {
    Analysis analysis(megaSena);
    analysis.NotationMode = Analysis::Notation::Decimal;
    analysis.Load(40);
    const auto preview = analysis.PreviewColumn();
    EXPECT_EQ(preview.DistributionTitle, "Distribuição normal - bola 1");
    double counted = 0;
    for (const auto& point : preview.Counts) counted += point.y;
    EXPECT_EQ(counted, 36); // rows 5..40
    ASSERT_EQ(preview.Theory.size(), preview.Counts.size());
    for (size_t i = 0; i < preview.Theory.size(); ++i) {
        EXPECT_EQ(preview.Theory[i].x, preview.Counts[i].x);
        if (preview.Theory[i].x == 1) EXPECT_NEAR(preview.Theory[i].y, 4.0, 1e-12); // 40 x C(59,5)/C(60,6)
    }
}

TEST_F(LexicographicTest, VotesAreListedByTheExchangeOrder) {
    std::string text = "Concurso;Bola1;Bola2\r\n";
    for (int d = 0; d < 12; ++d) text += std::to_string(d + 1) + ";" + std::to_string(1 + d % 3) + ";4\r\n";
    const TLottery lottery(folder.Write("four.csv", text));
    ASSERT_EQ(lottery.Elements(), 4);
    Analysis analysis(lottery);
    analysis.Column = 2; // "Todas as bolas"
    analysis.Load(10);
    EXPECT_EQ(analysis.Preview().Memo, Lines{"Sem previsão"});
    ASSERT_TRUE(analysis.AnalyseAll(0, true, 0.4, nullptr, nullptr));
    EXPECT_EQ(analysis.Preview().Memo,
              (Lines{"Estatística de toviscas:", "Bola\tVoto", "1\t0", "2\t0", "3\t0", "4\t0"}));

    analysis.Votes = {0, 1, 2, 1, 2, 0};
    analysis.VoteBalls = {0, 1, 2, 3, 4, 5};
    const auto preview = analysis.PreviewAll();
    EXPECT_EQ(preview.Memo,
              (Lines{"Estatística de toviscas:", "Bola\tVoto", "2\t2", "4\t2", "3\t1", "1\t1"}));
    ASSERT_EQ(preview.Slices.size(), 4u);
    EXPECT_EQ(preview.Slices[0].Label, "Bola 2:");
    EXPECT_EQ(preview.Slices[3].Value, 1);
}

TEST_F(LexicographicTest, AnalyseAllCastsOneVotePerNetworkInBothNotations) {
    for (const auto notation : {Analysis::Notation::CSN, Analysis::Notation::Decimal}) {
        const bool csn = notation == Analysis::Notation::CSN;
        SCOPED_TRACE(csn ? "CSN" : "decimal");
        Analysis analysis(megaSena);
        Setup(analysis, 20, 9, 2);
        analysis.NotationMode = notation;
        analysis.Column = 6;
        analysis.Skip = 2;
        analysis.Load(20);
        Lines labels;
        int slices = 0;
        EXPECT_TRUE(analysis.AnalyseAll(2, false, 0.4, nullptr, [&](const Analysis::VoteEvent& event) {
            if (!event.Label.empty()) labels.push_back(event.Label);
            if (!event.Slices.empty()) {
                ++slices;
                EXPECT_EQ(event.Slices.size(), 60u);
                EXPECT_EQ(event.Slices[9].Label, csn ? "Dez. 10:" : "Dez.10:");
            }
            return true;
        }));
        EXPECT_EQ(analysis.Skip, 0);
        ASSERT_EQ(labels.size(), 12u);
        EXPECT_EQ(labels.front(), "1/6, voto: 1/2");
        EXPECT_EQ(labels.back(), "6/6, voto: 2/2");
        EXPECT_EQ(slices, 6);
        EXPECT_EQ(std::accumulate(analysis.Votes.begin(), analysis.Votes.end(), 0), 12);
        EXPECT_EQ(analysis.Votes[0] + analysis.Votes[61], 0);
    }
    // An accepted error of 0 rejects every network: only a stop ends the run, with no votes.
    Analysis analysis(megaSena);
    analysis.Column = 6;
    Setup(analysis, 20, 1, 1);
    int passes = 0;
    EXPECT_FALSE(analysis.AnalyseAll(
        3, true, 0.0, [&](const Analysis::TrainingPass&) { return ++passes < 25; }, nullptr));
    EXPECT_EQ(passes, 25);
    EXPECT_EQ(std::accumulate(analysis.Votes.begin(), analysis.Votes.end(), 0), 0);
    EXPECT_NE(analysis.RelDistance1, 1); // the held-out test ran
}

TEST_F(LexicographicTest, BookmarkIsTheTrainingStartAndRepeatsTheRun) {
    Analysis analysis(megaSena);
    Setup(analysis, 20, 4, 2);
    EXPECT_FALSE(analysis.Bookmark().has_value());
    ASSERT_TRUE(analysis.PrepareTraining(false));
    const Lines start = *analysis.Bookmark();
    EXPECT_EQ(start, analysis.Network.SaveToStrings());
    EXPECT_EQ(start.back(), "+INF"); // an untrained start has empty ranges
    // From the bookmark the same start gives the same training, every time.
    Lines memos[2];
    for (auto& memo : memos) {
        ASSERT_TRUE(analysis.PrepareTraining(true));
        EXPECT_EQ(analysis.Network.SaveToStrings(), start);
        EXPECT_EQ(analysis.Network.PatternCount, 16);
        analysis.RunTraining(nullptr);
        memo = analysis.PreviewColumn().Memo;
    }
    EXPECT_EQ(memos[0], memos[1]);
    EXPECT_EQ(*analysis.Bookmark(), start);
    ASSERT_TRUE(analysis.PrepareTraining(false)); // a fresh start replaces it
    EXPECT_NE(*analysis.Bookmark(), start);

    // What is not a 5-8-1 network's text form changes nothing.
    const Lines good = *analysis.Bookmark();
    const Lines weights = analysis.Network.SaveToStrings();
    Lines absurd = good, word = good;
    absurd[1] = "2000000000";
    word[10] = "abc";
    const std::vector<Lines> bad{{"Concurso;Bola1", "1;2"},
                                 Lines(good.begin(), good.begin() + 40),
                                 absurd,
                                 word,
                                 TNNMLP(4, 8, 1).SaveToStrings(),
                                 {}};
    for (const Lines& lines : bad) {
        EXPECT_FALSE(analysis.SetBookmark(lines).empty());
        EXPECT_EQ(*analysis.Bookmark(), good);
        EXPECT_EQ(analysis.Network.SaveToStrings(), weights);
    }
    const Lines fresh = TNNMLP(5, 8, 1).SaveToStrings();
    EXPECT_EQ(analysis.SetBookmark(fresh), "");
    EXPECT_EQ(*analysis.Bookmark(), fresh);
}

TEST_F(LexicographicTest, BookmarkFilesAreLinesEndedByCrLf) {
    const Lines lines = TNNMLP(5, 8, 1).SaveToStrings();
    const std::string path = PathOf("b.net");
    std::string error;
    ASSERT_TRUE(Analysis::WriteLines(path, lines, error)) << error;
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(0, 6), "5\r\n8\r\n");
    EXPECT_EQ(bytes.substr(bytes.size() - 6), "+INF\r\n");
    Lines back;
    ASSERT_TRUE(Analysis::ReadLines(path, back, error));
    EXPECT_EQ(back, lines);
    ASSERT_TRUE(
        Analysis::ReadLines(folder.Write("lf.net", "5\n8\n1\n"), back, error)); // LF-only reads the same
    EXPECT_EQ(back, (Lines{"5", "8", "1"}));
    // Missing and huge files are refused with a reason; an impossible path is not written.
    folder.Write("huge.net", "5");
    std::filesystem::resize_file(PathOf("huge.net"), 64ull << 20);
    for (const char* name : {"missing.net", "huge.net"}) {
        error.clear();
        EXPECT_FALSE(Analysis::ReadLines(PathOf(name), back, error)) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
    EXPECT_FALSE(Analysis::WriteLines(PathOf("no-dir/x.net"), lines, error));
}

TEST_F(LexicographicTest, GenerateKeepsTheBestStartInTheFile) {
    Analysis analysis(megaSena);
    Setup(analysis, 20, 8, 2);
    Lines labels;
    int done = 0;
    const auto result =
        analysis.Generate(3, PathOf("best.net"), nullptr, [&](const Analysis::AttemptEvent& event) {
            if (!event.Done) labels.push_back(event.Label);
            done += event.Done ? 1 : 0;
            if (event.Done) EXPECT_EQ(Count(event.Preview.Memo, "Distância da realidade:"), 2u);
            return true;
        });
    EXPECT_EQ(result.Error, "");
    EXPECT_TRUE(result.Loaded);
    EXPECT_GE(result.Saved, 1);
    EXPECT_EQ(done, 3);
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[0], "1/3 (100%/100%/0)");
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
    const auto stopped =
        other.Generate(3, PathOf("none.net"), nullptr, [](const Analysis::AttemptEvent&) { return false; });
    EXPECT_EQ(stopped.Saved, 0);
    EXPECT_FALSE(stopped.Loaded);
    EXPECT_FALSE(other.Bookmark().has_value());
    EXPECT_FALSE(std::filesystem::exists(PathOf("none.net")));
}

} // namespace
