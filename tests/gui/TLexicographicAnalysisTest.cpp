// The lexicographic analysis without a window: the sample table, the
// training set, the preview memo, the votes and the bookmarks.
#include "TLexicographicAnalysis.h"
#include "NumberText.h"
#include "TLottery.h"
#include "TempFiles.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

using Analysis = TLexicographicAnalysis;

const std::string DataDir = TOVISCA_DATA_DIR;

// A 60-ball, 6-per-draw history of `draws` draws, in which draw `special`
// (0-based) is 3, 10, 22, 35, 41, 58 written in drawing order, and some draw
// holds ball 60 so that n is 60.
std::string SixtyBallHistory(int draws, int special) {
    std::mt19937 engine(11);
    std::string text = "Concurso;Bola1;Bola2;Bola3;Bola4;Bola5;Bola6\r\n";
    for (int d = 0; d < draws; ++d) {
        std::vector<int> balls;
        if (d == special) {
            balls = {58, 3, 41, 22, 10, 35};
        } else {
            std::vector<int> all(60);
            std::iota(all.begin(), all.end(), 1);
            std::shuffle(all.begin(), all.end(), engine);
            balls.assign(all.begin(), all.begin() + 6);
            if (d == 0 && std::find(balls.begin(), balls.end(), 60) == balls.end()) balls[0] = 60;
        }
        text += std::to_string(100 + d);
        for (int b : balls) {
            text += ';';
            text += std::to_string(b);
        }
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> Matching(const std::vector<std::string>& memo, const std::string& start) {
    std::vector<std::string> found;
    for (const std::string& line : memo)
        if (line.rfind(start, 0) == 0) found.push_back(line);
    return found;
}

class LexicographicTest : public ::testing::Test {
protected:
    void SetUp() override { NumberText::SetDecimalSeparator(','); }
    TempFolder folder;
};

TEST_F(LexicographicTest, SampleTableHoldsTailCSNsOfTheSortedDraws) {
    const TLottery lottery(folder.Write("g.csv", SixtyBallHistory(30, 27)));
    ASSERT_TRUE(lottery.Loaded);
    ASSERT_EQ(lottery.Elements(), 60);
    Analysis analysis(lottery);
    analysis.Load(10);
    ASSERT_EQ(analysis.RowCount(), 11);
    ASSERT_EQ(analysis.ColumnCount(), 7);
    EXPECT_EQ(analysis.CellText(0, 0), "Concurso");
    EXPECT_EQ(analysis.CellText(0, 1), "CSN 1");
    EXPECT_EQ(analysis.CellText(0, 6), "CSN 6");

    // Row i describes draw 30 - 10 + i: draw 28 (0-based 27) is row 8.
    EXPECT_EQ(analysis.CellText(1, 0), "21");
    EXPECT_EQ(analysis.CellText(10, 0), "30");
    const int row = 8;
    EXPECT_EQ(analysis.Cell(row, 6), 58);
    // (41, 58) among the pairs of 60: 1580 pairs start below 41, then
    // (41, 42) .. (41, 57) come before it.
    EXPECT_EQ(analysis.Cell(row, 5), 1597);
    EXPECT_EQ(analysis.CellText(row, 5), "1597");
    EXPECT_EQ(analysis.Cell(row, 1), lottery.CSNs[27]);
    for (int r = 1; r <= 10; ++r) {
        EXPECT_EQ(analysis.Cell(r, 1), lottery.CSNs[static_cast<size_t>(19 + r)]) << r;
        // The last tail is a single ball: the largest of the draw.
        EXPECT_EQ(analysis.Cell(r, 6), lottery.SortedDraws[5][static_cast<size_t>(19 + r)]) << r;
        // Tails of fewer balls live in smaller spaces.
        for (int c = 1; c <= 6; ++c) {
            EXPECT_GE(analysis.Cell(r, c), 1);
            EXPECT_LE(analysis.Cell(r, c), TCSN::Binomial(60, 7 - c));
        }
    }

    analysis.NotationMode = Analysis::Notation::Decimal;
    analysis.Load(10);
    EXPECT_EQ(analysis.CellText(0, 3), "Bola 3");
    const std::vector<double> sorted{3, 10, 22, 35, 41, 58};
    for (int c = 1; c <= 6; ++c) EXPECT_EQ(analysis.Cell(row, c), sorted[static_cast<size_t>(c - 1)]);

    // Outside the sample every cell reads as 0; a sample above the history is cut.
    EXPECT_EQ(analysis.Cell(0, 1), 0);
    EXPECT_EQ(analysis.Cell(11, 1), 0);
    analysis.Load(500);
    EXPECT_EQ(analysis.SampleSize(), 30);
}

TEST_F(LexicographicTest, ZeroBasedGameShiftsEveryBall) {
    std::string text = "Concurso;Bola1;Bola2\r\n";
    for (int d = 0; d < 12; ++d) text += std::to_string(d + 1) + ";" + std::to_string(d % 5) + ";9\r\n";
    const TLottery lottery(folder.Write("z.csv", text));
    ASSERT_TRUE(lottery.ZeroBased);
    ASSERT_EQ(lottery.Elements(), 10);
    Analysis analysis(lottery);
    analysis.NotationMode = Analysis::Notation::Decimal;
    analysis.Load(10);
    // Draw 12 is (1, 9) as read: balls 2 and 10.
    EXPECT_EQ(analysis.Cell(10, 1), 2);
    EXPECT_EQ(analysis.Cell(10, 2), 10);
}

TEST_F(LexicographicTest, TrainingSetHasOnePatternPerRowFromTheFifth) {
    const TLottery lottery(folder.Write("g.csv", SixtyBallHistory(30, 27)));
    Analysis analysis(lottery);
    analysis.Load(10);
    const int expected[3] = {6, 5, 4};
    for (int skip = 0; skip <= 2; ++skip) {
        analysis.Skip = skip;
        EXPECT_EQ(analysis.PatternCount(), expected[skip]);
        ASSERT_TRUE(analysis.PrepareTraining(false));
        EXPECT_EQ(analysis.Network.PatternCount, expected[skip]);
    }
    // Column 3 is forecast from the whole-draw CSNs of the four draws before.
    analysis.Skip = 0;
    analysis.Column = 2;
    ASSERT_TRUE(analysis.PrepareTraining(false));
    const TNNMLP& net = analysis.Network;
    for (int p = 0; p < 6; ++p) {
        for (int i = 0; i < 4; ++i) EXPECT_EQ(net.PatternIn[p][i], analysis.Cell(p + 1 + i, 1));
        EXPECT_EQ(net.PatternIn[p][4], p + 5);
        EXPECT_EQ(net.PatternOut[p][0], analysis.Cell(p + 5, 3));
    }
    EXPECT_EQ(net.Epochs, 100);
    EXPECT_EQ(net.Tolerance, 1e-9);
    EXPECT_DOUBLE_EQ(net.LearningRate, 0.4);
    EXPECT_EQ(net.Activation, 2);

    // Too small a sample has nothing to train on.
    analysis.Load(4);
    EXPECT_EQ(analysis.PatternCount(), 0);
    EXPECT_FALSE(analysis.PrepareTraining(false));
}

TEST_F(LexicographicTest, TrainingStopsOnRequestAndCountsAsTrained) {
    const TLottery lottery(DataDir + "/megasena.csv");
    Analysis analysis(lottery);
    analysis.Network.Seed(5);
    analysis.Load(40);
    ASSERT_TRUE(analysis.PrepareTraining(false));
    int calls = 0;
    std::vector<Analysis::Point> lastFit;
    const int passes = analysis.RunTraining([&](const Analysis::TrainingPass& pass) {
        EXPECT_EQ(pass.Pass, ++calls);
        lastFit = pass.Fit;
        return pass.Pass < 3;
    });
    EXPECT_EQ(passes, 3);
    EXPECT_TRUE(analysis.Trained());
    // The fit over the 36 training rows, then the forecast of the next draw.
    ASSERT_EQ(lastFit.size(), 37u);
    EXPECT_EQ(lastFit.front().x, lottery.DrawCount - 40 + 5);
    EXPECT_EQ(lastFit.back().x, lottery.DrawCount + 1);
    EXPECT_EQ(lastFit.back().y, std::trunc(lastFit.back().y));
    for (const auto& point : lastFit) {
        EXPECT_GT(point.y, 0);
        EXPECT_LE(point.y, analysis.Total());
    }

    // A cancelled run ends after its first pass; a pass limit ends it too.
    std::atomic<bool> cancel{true};
    ASSERT_TRUE(analysis.PrepareTraining(false));
    EXPECT_EQ(analysis.RunTraining(nullptr, &cancel), 1);
    analysis.MaxPasses = 4;
    ASSERT_TRUE(analysis.PrepareTraining(false));
    EXPECT_FALSE(analysis.Trained());
    EXPECT_EQ(analysis.RunTraining(nullptr), 4);
    EXPECT_TRUE(analysis.Trained());
}

TEST_F(LexicographicTest, SeededRunsAreReproducible) {
    const TLottery lottery(DataDir + "/megasena.csv");
    auto run = [&] {
        Analysis analysis(lottery);
        analysis.Network.Seed(42);
        analysis.MaxPasses = 3;
        analysis.Load(20);
        analysis.PrepareTraining(false);
        analysis.RunTraining(nullptr);
        return analysis.PreviewColumn().Memo;
    };
    EXPECT_EQ(run(), run());
}

TEST_F(LexicographicTest, PreviewMemoBlocksFollowTheSkipMode) {
    const TLottery lottery(DataDir + "/megasena.csv");
    const int draws = lottery.DrawCount;
    Analysis analysis(lottery);
    analysis.Network.Seed(7);
    analysis.MaxPasses = 5;
    analysis.Load(20);

    EXPECT_EQ(analysis.PreviewColumn().Memo, std::vector<std::string>{"Sem previsão"});

    struct Case {
        int skip;
        std::vector<int> draws; // the draws forecast, in memo order
        int distances;
    };
    const Case cases[] = {{0, {draws + 1}, 0}, {1, {draws, draws + 1}, 1}, {2, {draws - 1, draws}, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.skip);
        analysis.Skip = c.skip;
        ASSERT_TRUE(analysis.PrepareTraining(false));
        analysis.RunTraining(nullptr);
        const Analysis::PreviewResult preview = analysis.PreviewColumn();
        const std::vector<std::string>& memo = preview.Memo;
        ASSERT_GE(memo.size(), 5u);
        EXPECT_EQ(
            memo[0].rfind("Margem de erro da rede no concurso " + std::to_string(c.draws[0] - 1) + ": ", 0),
            0u)
            << memo[0];
        EXPECT_EQ(memo[0].back(), '%');
        EXPECT_EQ(memo[1], "");
        const auto blocks = Matching(memo, "Previsão p/ concurso ");
        ASSERT_EQ(blocks.size(), c.draws.size());
        for (size_t b = 0; b < blocks.size(); ++b)
            EXPECT_EQ(blocks[b], "Previsão p/ concurso " + std::to_string(c.draws[b]) + ":");
        EXPECT_EQ(Matching(memo, "Dezena prevista: ").size(), c.draws.size());
        EXPECT_EQ(Matching(memo, "Distância da realidade:").size(), static_cast<size_t>(c.distances));

        // Real values from row 5 on, the fit beside them, and a point for
        // the next draw unless both forecasts are held-out draws.
        EXPECT_EQ(preview.Real.size(), 16u);
        EXPECT_EQ(preview.Forecast.size(), c.skip == 2 ? 16u : 17u);
        if (c.skip == 0) {
            EXPECT_EQ(analysis.RelDistance1, 0);
        }
    }

    // With skip 2 the distance lines agree with the real values of the
    // last two draws and the relative distances in ten-thousandths.
    const auto memo = analysis.PreviewColumn().Memo;
    const double total = TCSN::Binomial(60, 6);
    std::vector<double> forecasts;
    for (size_t i = 0; i + 1 < memo.size(); ++i)
        if (memo[i].rfind("Previsão p/ concurso", 0) == 0) {
            double value = 0;
            ASSERT_TRUE(NumberText::TryParseFloat(memo[i + 1], value));
            forecasts.push_back(value);
        }
    ASSERT_EQ(forecasts.size(), 2u);
    const double distance1 = lottery.CSNs[static_cast<size_t>(draws - 2)] - forecasts[0];
    bool found = false;
    for (size_t i = 0; i + 1 < memo.size(); ++i)
        if (memo[i] == "Distância da realidade:") {
            // The forecast line holds the integer part; the distance uses the fit.
            double shown = 0;
            const std::string& line = memo[i + 1];
            ASSERT_TRUE(NumberText::TryParseFloat(line.substr(0, line.find(' ')), shown));
            EXPECT_NEAR(shown, distance1, 1.0 + std::fabs(distance1) * 1e-12);
            found = true;
            break;
        }
    EXPECT_TRUE(found);
    EXPECT_LE(std::fabs(analysis.RelDistance1 - std::trunc(distance1 / total * 10000) / 10000), 1e-4 + 1e-12);
    EXPECT_NEAR(analysis.RelDistance1 * 10000, std::round(analysis.RelDistance1 * 10000), 1e-6);
}

TEST_F(LexicographicTest, ForecastBeyondTheTailSpaceIsInvalid) {
    const TLottery lottery(DataDir + "/megasena.csv");
    Analysis analysis(lottery);
    analysis.Network.Seed(3);
    analysis.MaxPasses = 2;
    analysis.Load(20);
    analysis.Column = 4; // the pairs (b5, b6): 1770 of them
    ASSERT_TRUE(analysis.PrepareTraining(false));
    analysis.RunTraining(nullptr);
    // Stretch the output range so that every forecast lands far above 1770.
    analysis.Network.OutMin[0] = 1e6;
    analysis.Network.OutMax[0] = 2e6;
    const auto memo = analysis.PreviewColumn().Memo;
    ASSERT_GE(memo.size(), 3u);
    EXPECT_EQ(memo[2], "Previsão inválida para concurso " + std::to_string(lottery.DrawCount + 1));
    EXPECT_TRUE(Matching(memo, "Dezena prevista").empty());

    EXPECT_EQ(analysis.FirstBall(1597, 2), 41);
    EXPECT_EQ(analysis.FirstBall(1770, 2), 59);
    EXPECT_EQ(analysis.FirstBall(1771, 2), 0);
    EXPECT_EQ(analysis.FirstBall(0.5, 2), 0);
    EXPECT_EQ(analysis.FirstBall(1, 6), 1);
}

TEST_F(LexicographicTest, DecimalDistributionAgainstItsTheory) {
    const TLottery lottery(DataDir + "/megasena.csv");
    Analysis analysis(lottery);
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
        if (preview.Theory[i].x == 1) {
            EXPECT_NEAR(preview.Theory[i].y, 4.0, 1e-12); // 40 x C(59,5)/C(60,6)
        }
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
    EXPECT_EQ(analysis.Preview().Memo, std::vector<std::string>{"Sem previsão"});

    ASSERT_TRUE(analysis.AnalyseAll(0, true, 0.4, nullptr, nullptr));
    auto memo = analysis.Preview().Memo;
    EXPECT_EQ(memo, (std::vector<std::string>{"Estatística de toviscas:", "Bola\tVoto", "1\t0", "2\t0",
                                              "3\t0", "4\t0"}));

    analysis.Votes = {0, 1, 2, 1, 2, 0};
    analysis.VoteBalls = {0, 1, 2, 3, 4, 5};
    const auto preview = analysis.PreviewAll();
    EXPECT_EQ(preview.Memo, (std::vector<std::string>{"Estatística de toviscas:", "Bola\tVoto", "2\t2",
                                                      "4\t2", "3\t1", "1\t1"}));
    ASSERT_EQ(preview.Slices.size(), 4u);
    EXPECT_EQ(preview.Slices[0].Label, "Bola 2:");
    EXPECT_EQ(preview.Slices[3].Value, 1);
}

TEST_F(LexicographicTest, AnalyseAllCastsOneVotePerNetworkInBothNotations) {
    const TLottery lottery(DataDir + "/megasena.csv");
    for (const auto notation : {Analysis::Notation::CSN, Analysis::Notation::Decimal}) {
        SCOPED_TRACE(notation == Analysis::Notation::CSN ? "CSN" : "decimal");
        Analysis analysis(lottery);
        analysis.Network.Seed(9);
        analysis.NotationMode = notation;
        analysis.MaxPasses = 2;
        analysis.Column = 6;
        analysis.Skip = 2;
        analysis.Load(20);
        std::vector<std::string> labels;
        int slices = 0;
        const bool done = analysis.AnalyseAll(2, false, 0.4, nullptr, [&](const Analysis::VoteEvent& event) {
            if (!event.Label.empty()) labels.push_back(event.Label);
            if (!event.Slices.empty()) {
                ++slices;
                EXPECT_EQ(event.Slices.size(), 60u);
                EXPECT_EQ(event.Slices[9].Label,
                          notation == Analysis::Notation::CSN ? "Dez. 10:" : "Dez.10:");
            }
            return true;
        });
        EXPECT_TRUE(done);
        EXPECT_EQ(analysis.Skip, 0);
        ASSERT_EQ(labels.size(), 12u);
        EXPECT_EQ(labels.front(), "1/6, voto: 1/2");
        EXPECT_EQ(labels.back(), "6/6, voto: 2/2");
        EXPECT_EQ(slices, 6);
        const int cast = std::accumulate(analysis.Votes.begin(), analysis.Votes.end(), 0);
        EXPECT_EQ(cast, 12);
        EXPECT_EQ(analysis.Votes[0], 0);
        EXPECT_EQ(analysis.Votes[61], 0);
    }
}

TEST_F(LexicographicTest, AnalyseAllStopsWhenNoNetworkIsAcceptable) {
    const TLottery lottery(DataDir + "/megasena.csv");
    Analysis analysis(lottery);
    analysis.Network.Seed(1);
    analysis.MaxPasses = 1;
    analysis.Column = 6;
    analysis.Load(20);
    int passes = 0;
    // An accepted error of 0 rejects every network: only a stop ends the run.
    const bool done = analysis.AnalyseAll(
        3, true, 0.0, [&](const Analysis::TrainingPass&) { return ++passes < 25; }, nullptr);
    EXPECT_FALSE(done);
    EXPECT_EQ(passes, 25);
    EXPECT_EQ(std::accumulate(analysis.Votes.begin(), analysis.Votes.end(), 0), 0);
    EXPECT_NE(analysis.RelDistance1, 1); // the held-out test ran
}

TEST_F(LexicographicTest, BookmarkIsTheTrainingStart) {
    const TLottery lottery(DataDir + "/megasena.csv");
    Analysis analysis(lottery);
    analysis.Network.Seed(4);
    analysis.MaxPasses = 2;
    analysis.Load(20);
    EXPECT_FALSE(analysis.Bookmark().has_value());
    ASSERT_TRUE(analysis.PrepareTraining(false));
    ASSERT_TRUE(analysis.Bookmark().has_value());
    const std::vector<std::string> start = *analysis.Bookmark();
    EXPECT_EQ(start, analysis.Network.SaveToStrings());
    EXPECT_EQ(start[0], "5");
    EXPECT_EQ(start.back(), "+INF"); // an untrained start has empty ranges
    analysis.RunTraining(nullptr);
    EXPECT_NE(analysis.Network.SaveToStrings(), start);

    // From the bookmark the same start gives the same training, every time.
    std::vector<std::string> memos[2];
    for (auto& memo : memos) {
        ASSERT_TRUE(analysis.PrepareTraining(true));
        EXPECT_EQ(analysis.Network.SaveToStrings(), start);
        EXPECT_EQ(analysis.Network.PatternCount, 16);
        analysis.RunTraining(nullptr);
        memo = analysis.PreviewColumn().Memo;
    }
    EXPECT_EQ(memos[0], memos[1]);
    EXPECT_EQ(*analysis.Bookmark(), start);
    // A fresh start replaces it.
    ASSERT_TRUE(analysis.PrepareTraining(false));
    EXPECT_NE(*analysis.Bookmark(), start);
}

TEST_F(LexicographicTest, BadBookmarksChangeNothing) {
    const TLottery lottery(DataDir + "/megasena.csv");
    Analysis analysis(lottery);
    analysis.Load(20);
    ASSERT_TRUE(analysis.PrepareTraining(false));
    const std::vector<std::string> good = *analysis.Bookmark();
    const std::vector<std::string> weights = analysis.Network.SaveToStrings();

    std::vector<std::string> truncated(good.begin(), good.begin() + 40);
    std::vector<std::string> absurd = good;
    absurd[1] = "2000000000";
    std::vector<std::string> word = good;
    word[10] = "abc";
    TNNMLP other(4, 8, 1);
    const std::vector<std::vector<std::string>> bad{{"Concurso;Bola1", "1;2"}, truncated, absurd, word,
                                                    other.SaveToStrings(),     {}};
    for (const auto& lines : bad) {
        EXPECT_FALSE(analysis.SetBookmark(lines).empty());
        EXPECT_EQ(*analysis.Bookmark(), good);
        EXPECT_EQ(analysis.Network.SaveToStrings(), weights);
    }
    TNNMLP fresh(5, 8, 1);
    EXPECT_EQ(analysis.SetBookmark(fresh.SaveToStrings()), "");
    EXPECT_EQ(*analysis.Bookmark(), fresh.SaveToStrings());
}

TEST_F(LexicographicTest, BookmarkFilesAreLinesEndedByCrLf) {
    TNNMLP net(5, 8, 1);
    const auto lines = net.SaveToStrings();
    const std::string path = (folder.Path() / "b.net").string();
    std::string error;
    ASSERT_TRUE(Analysis::WriteLines(path, lines, error)) << error;
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(0, 6), "5\r\n8\r\n");
    EXPECT_EQ(bytes.substr(bytes.size() - 6), "+INF\r\n");
    std::vector<std::string> back;
    ASSERT_TRUE(Analysis::ReadLines(path, back, error));
    EXPECT_EQ(back, lines);
    // LF-only files read the same.
    ASSERT_TRUE(Analysis::ReadLines(folder.Write("lf.net", "5\n8\n1\n"), back, error));
    EXPECT_EQ(back, (std::vector<std::string>{"5", "8", "1"}));

    EXPECT_FALSE(Analysis::ReadLines((folder.Path() / "missing.net").string(), back, error));
    EXPECT_FALSE(error.empty());
    const auto huge = folder.Path() / "huge.net";
    folder.Write("huge.net", "5");
    std::filesystem::resize_file(huge, 64ull << 20);
    error.clear();
    EXPECT_FALSE(Analysis::ReadLines(huge.string(), back, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(Analysis::WriteLines((folder.Path() / "no-dir" / "x.net").string(), lines, error));
}

TEST_F(LexicographicTest, GenerateKeepsTheBestStartInTheFile) {
    const TLottery lottery(DataDir + "/megasena.csv");
    Analysis analysis(lottery);
    analysis.Network.Seed(8);
    analysis.MaxPasses = 2;
    analysis.Load(20);
    const std::string path = (folder.Path() / "best.net").string();
    std::vector<std::string> labels;
    int done = 0;
    const auto result = analysis.Generate(3, path, nullptr, [&](const Analysis::AttemptEvent& event) {
        if (event.Done) {
            ++done;
            EXPECT_EQ(Matching(event.Preview.Memo, "Distância da realidade:").size(), 2u);
        } else {
            labels.push_back(event.Label);
        }
        return true;
    });
    EXPECT_EQ(result.Error, "");
    EXPECT_TRUE(result.Loaded);
    EXPECT_GE(result.Saved, 1);
    EXPECT_EQ(done, 3);
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[0], "1/3 (100%/100%/0)");
    EXPECT_EQ(analysis.Skip, 2);
    std::vector<std::string> file;
    std::string error;
    ASSERT_TRUE(Analysis::ReadLines(path, file, error));
    EXPECT_EQ(*analysis.Bookmark(), file);

    // The label reports the bests as percentages of the whole game.
    EXPECT_EQ(Analysis::AttemptLabel(2, 5, 0.0123, 0.5, 1), "2/5 (1,23%/50%/1)");

    // Stopping before the first attempt writes nothing and loads nothing.
    Analysis other(lottery);
    other.Load(20);
    const auto stopped = other.Generate(3, (folder.Path() / "none.net").string(), nullptr,
                                        [](const Analysis::AttemptEvent&) { return false; });
    EXPECT_EQ(stopped.Saved, 0);
    EXPECT_FALSE(stopped.Loaded);
    EXPECT_FALSE(other.Bookmark().has_value());
}

} // namespace
