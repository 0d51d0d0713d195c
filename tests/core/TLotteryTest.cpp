#include "TLottery.h"

#include "TempFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

const std::string DataDir = TOVISCA_DATA_DIR;

std::string LoadErrorOf(const std::string& fileName) {
    try {
        TLottery lottery(fileName);
    } catch (const TLoadError& e) {
        return e.what();
    }
    return "(no error)";
}

std::vector<int32_t> SortedBalls(const TLottery& lottery, int32_t d) {
    std::vector<int32_t> balls;
    for (int32_t p = 0; p < lottery.PerCombination(); ++p)
        balls.push_back(lottery.SortedDraws[static_cast<size_t>(p)][static_cast<size_t>(d)]);
    return balls;
}

// Rank of a sorted combination counted directly: for each position, every
// smaller value it could have taken starts a block of C(n - v, k - i - 1)
// combinations that come first. Exact in 128-bit integers.
class ExactRank {
public:
    explicit ExactRank(int n) : pascal_(static_cast<size_t>(n) + 1) {
        for (int i = 0; i <= n; ++i) {
            pascal_[static_cast<size_t>(i)].assign(static_cast<size_t>(i) + 1, 1);
            for (int j = 1; j < i; ++j)
                pascal_[static_cast<size_t>(i)][static_cast<size_t>(j)] =
                    pascal_[static_cast<size_t>(i - 1)][static_cast<size_t>(j - 1)] +
                    pascal_[static_cast<size_t>(i - 1)][static_cast<size_t>(j)];
        }
    }
    __int128 C(int n, int k) const {
        if (k < 0 || n < 0 || k > n) return 0;
        return pascal_[static_cast<size_t>(n)][static_cast<size_t>(k)];
    }
    __int128 Rank(const std::vector<int32_t>& sorted, int n) const {
        const auto k = static_cast<int>(sorted.size());
        __int128 rank = 1;
        int previous = 0;
        for (int i = 0; i < k; ++i) {
            for (int v = previous + 1; v < sorted[static_cast<size_t>(i)]; ++v) rank += C(n - v, k - i - 1);
            previous = sorted[static_cast<size_t>(i)];
        }
        return rank;
    }

private:
    std::vector<std::vector<__int128>> pascal_;
};

struct RealGame {
    const char* file;
    int32_t n;
    int32_t k;
    bool zeroBased;
    int32_t draws;
};

// The bundled histories as their README describes them.
const RealGame RealGames[] = {
    {"megasena.csv", 60, 6, false, 3047},   {"lotofacil.csv", 25, 15, false, 3767},
    {"quina.csv", 80, 5, false, 7097},      {"lotomania.csv", 100, 20, true, 2965},
    {"duplasena.csv", 50, 6, false, 2998},  {"timemania.csv", 80, 7, false, 2431},
    {"diadesorte.csv", 31, 7, false, 1277}, {"euromillions.csv", 50, 5, false, 1947},
    {"powerball.csv", 69, 5, false, 1390},
};

} // namespace

TEST(TLotteryTest, SmallGameReadsSortsAndNumbersItsDraws) {
    TempFolder folder;
    const TLottery lottery(folder.Write("g.csv", "Concurso;Bola1;Bola2;Bola3\r\n1;3;1;2\r\n2;4;5;6\r\n"));
    ASSERT_TRUE(lottery.Loaded);
    EXPECT_EQ(lottery.PerCombination(), 3);
    EXPECT_EQ(lottery.Elements(), 6);
    EXPECT_EQ(lottery.DrawCount, 2);
    EXPECT_FALSE(lottery.ZeroBased);
    EXPECT_FALSE(lottery.Superball);
    EXPECT_EQ(lottery.Draws[0][0], 1);
    EXPECT_EQ(lottery.Draws[1][0], 3);
    EXPECT_EQ(lottery.Draws[2][0], 1);
    EXPECT_EQ(lottery.Draws[3][0], 2);
    EXPECT_EQ(SortedBalls(lottery, 0), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(lottery.SortedDraws[3][0], 1);
    EXPECT_EQ(lottery.SortedDraws[3][1], 2);
    EXPECT_EQ(lottery.CSNs[0], 1);
    EXPECT_EQ(lottery.CSNs[1], 20);
    // The extra slot after the last draw stays zero.
    EXPECT_EQ(lottery.Draws[1][2], 0);
    EXPECT_EQ(lottery.CSNs[2], 0);
    // Presence by ball value as read.
    EXPECT_EQ(lottery.Presence.size(), 7u);
    EXPECT_EQ(lottery.Presence[3][0], 1);
    EXPECT_EQ(lottery.Presence[4][0], 0);
    EXPECT_EQ(lottery.Presence[6][1], 1);
    EXPECT_EQ(lottery.CommonBallsOfDraws(0, 1), 0);
    EXPECT_EQ(lottery.CommonBallsOfDraws(1, 1), 3);
    // C(6, 3) = 20; Trunc(sqrt(20) * 1.2) = 5.
    EXPECT_EQ(lottery.Converter->Total, 20);
    EXPECT_EQ(lottery.Birthday, 5);
    EXPECT_EQ(lottery.FileName, folder.Path() / "g.csv");
}

TEST(TLotteryTest, FieldSplittingRules) {
    TempFolder folder;
    // Blanks separate fields, so "Bola 1" counts twice: k = 4.
    const TLottery spaced(folder.Write("a.csv", "Concurso;Bola 1;Bola 2\r\n"));
    EXPECT_EQ(spaced.PerCombination(), 4);
    // Blanks and control characters around fields, quoted fields, and fields
    // after the (k+1)-th are ignored.
    const TLottery messy(folder.Write(
        "b.csv",
        "Concurso;Bola1;Bola2;Bola3\n  7 ;\t\"3\" ;\x01 1;2;junk;\"x;y\"\n8 4\t5;+6\n9;\" 1\";\"2\";3;\n"));
    ASSERT_TRUE(messy.Loaded);
    EXPECT_EQ(messy.DrawCount, 3);
    EXPECT_EQ(SortedBalls(messy, 0), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(messy.Draws[0][0], 7);
    EXPECT_EQ(SortedBalls(messy, 1), (std::vector<int32_t>{4, 5, 6}));
    EXPECT_EQ(messy.Draws[0][1], 8);
    EXPECT_EQ(SortedBalls(messy, 2), (std::vector<int32_t>{1, 2, 3}));
    // A trailing ";" adds an empty field; "; " at the end does not.
    EXPECT_EQ(TLottery(folder.Write("c.csv", "Concurso;Bola1;\n")).PerCombination(), 2);
    EXPECT_EQ(TLottery(folder.Write("d.csv", "Concurso;Bola1; \n")).PerCombination(), 1);
    EXPECT_EQ(LoadErrorOf(folder.Write("e.csv", "Concurso;Bola1;Bola2\n1;2;\n")),
              "'' is not a valid integer value");
    EXPECT_EQ(LoadErrorOf(folder.Write("f.csv", "Concurso;Bola1;Bola2\n1;;2\n")),
              "'' is not a valid integer value");
    // A quoted field keeps ";" and blanks; two quotes stand for one.
    EXPECT_EQ(LoadErrorOf(folder.Write("g.csv", "Concurso;Bola1;Bola2\n1;\"2;3\";4\n")),
              "'2;3' is not a valid integer value");
    EXPECT_EQ(LoadErrorOf(folder.Write("h.csv", "Concurso;Bola1;Bola2\n1;\"4\"\"\";4\n")),
              "'4\"' is not a valid integer value");
    // A quote without its closing quote runs to the end of the line.
    EXPECT_EQ(LoadErrorOf(folder.Write("i.csv", "Concurso;Bola1;Bola2\n1;\"2;3\n")),
              "'2;3' is not a valid integer value");
    // A quoted header field counts once even with blanks inside.
    EXPECT_EQ(TLottery(folder.Write("j.csv", "Concurso;\"Bola 1\";\"Bola 2\"\n")).PerCombination(), 2);
}

TEST(TLotteryTest, EveryKindOfLineEndGivesTheSameHistory) {
    TempFolder folder;
    const std::vector<std::string> texts = {
        "Concurso;Bola1;Bola2\r\n1;1;2\r\n2;3;4\r\n", "Concurso;Bola1;Bola2\n1;1;2\n2;3;4\n",
        "Concurso;Bola1;Bola2\r1;1;2\r2;3;4\r",       "Concurso;Bola1;Bola2\r\n1;1;2\n2;3;4",
        "Concurso;Bola1;Bola2\r1;1;2\r\n2;3;4",
    };
    for (size_t i = 0; i < texts.size(); ++i) {
        const TLottery lottery(folder.Write(std::to_string(i) + "g.csv", texts[i]));
        ASSERT_TRUE(lottery.Loaded) << i;
        EXPECT_EQ(lottery.DrawCount, 2) << i;
        EXPECT_EQ(lottery.Draws[2][1], 4) << i;
        EXPECT_EQ(lottery.CSNs[1], 6) << i;
    }
    // A blank line is a draw line without fields.
    EXPECT_EQ(LoadErrorOf(folder.Write("blank.csv", "Concurso;Bola1;Bola2\r\n1;1;2\r\n\r\n")),
              "List index out of bounds (0)");
    EXPECT_EQ(LoadErrorOf(folder.Write("crcrlf.csv", "Concurso;Bola1;Bola2\r\r\n1;1;2\r\n")),
              "List index out of bounds (0)");
}

TEST(TLotteryTest, MalformedFilesAreRefusedWithTheirMessages) {
    TempFolder folder;
    EXPECT_EQ(LoadErrorOf(folder.Write("letter.csv", "Concurso;Bola1;Bola2\n1;2;x7\n")),
              "'x7' is not a valid integer value");
    EXPECT_EQ(LoadErrorOf(folder.Write("contest.csv", "Concurso;Bola1;Bola2\nA1;2;7\n")),
              "'A1' is not a valid integer value");
    EXPECT_EQ(LoadErrorOf(folder.Write("real.csv", "Concurso;Bola1;Bola2\n1;2,5;7\n")),
              "'2,5' is not a valid integer value");
    EXPECT_EQ(LoadErrorOf(folder.Write("overflow.csv", "Concurso;Bola1;Bola2\n99999999999;2;7\n")),
              "'99999999999' is not a valid integer value");
    EXPECT_EQ(LoadErrorOf(folder.Write("short.csv", "Concurso;Bola1;Bola2;Bola3\n1;2;7;9\n2;4;5\n")),
              "List index out of bounds (3)");
    // The first failing field decides, in field order.
    EXPECT_EQ(LoadErrorOf(folder.Write("both.csv", "Concurso;Bola1;Bola2;Bola3\n1;z\n")),
              "'z' is not a valid integer value");
    EXPECT_EQ(LoadErrorOf(folder.Write("empty.csv", "")), "List index out of bounds (0)");
    EXPECT_EQ(LoadErrorOf(folder.Write("blankheader.csv", "\r\n1;2;3\r\n")), "List index out of bounds (0)");
    EXPECT_NE(LoadErrorOf(folder.Path().string()).find("é uma pasta"), std::string::npos);
}

TEST(TLotteryTest, AbsurdBallsAndSizesAreRefusedInPortuguese) {
    TempFolder folder;
    const std::string negative =
        LoadErrorOf(folder.Write("neg.csv", "Concurso;Bola1;Bola2\n1;2;7\n2;-3;8\n"));
    EXPECT_NE(negative.find("Bola inválida na linha 3"), std::string::npos) << negative;
    EXPECT_NE(negative.find("-3"), std::string::npos) << negative;
    const std::string huge = LoadErrorOf(folder.Write("big.csv", "Concurso;Bola1;Bola2\n1;2;2000000000\n"));
    EXPECT_NE(huge.find("Bola inválida na linha 2"), std::string::npos) << huge;
    EXPECT_NE(LoadErrorOf(folder.Write("1001.csv", "Concurso;Bola1\n1;1001\n")).find("de 0 a 1000"),
              std::string::npos);
    // The largest ball accepted, and a negative contest number (not a ball).
    const TLottery widest(folder.Write("1000.csv", "Concurso;Bola1;Bola2\n-5;1000;1\n"));
    EXPECT_EQ(widest.Elements(), 1000);
    EXPECT_EQ(widest.Draws[0][0], -5);
    EXPECT_TRUE(widest.Superball);
    // A header with thousands of fields.
    std::string header = "Concurso";
    for (int i = 1; i <= 5000; ++i) header += ";Bola" + std::to_string(i);
    EXPECT_NE(LoadErrorOf(folder.Write("wide.csv", header + "\n")).find("no máximo 1000 bolas"),
              std::string::npos);
}

TEST(TLotteryTest, TablesBeyondTheMemoryBudgetAreRefused) {
    // A short file whose presence table alone (1001 ball values x 1.2 million
    // draws) would pass a gigabyte.
    TempFolder folder;
    std::string text = "Concurso;Bola1\n";
    text.reserve(9u * 1'200'000);
    for (int d = 0; d < 1'200'000; ++d) text += d == 0 ? "1;1000\n" : "1;1\n";
    const std::string message = LoadErrorOf(folder.Write("budget.csv", text));
    EXPECT_NE(message.find("grande demais para ser analisado"), std::string::npos) << message;
}

TEST(TLotteryTest, BinaryFilesAndEnormousLinesFailCleanly) {
    TempFolder folder;
    std::mt19937 random(20240613);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(4096 + round * 997, '\0');
        for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
        if (round % 2 == 0) bytes.insert(0, "Concurso;Bola1;Bola2\r\n1;2;3\r\n");
        const std::string message = LoadErrorOf(folder.Write("bin" + std::to_string(round), bytes));
        EXPECT_NE(message, "(no error)") << round;
        EXPECT_LT(message.size(), 400u) << round;
    }
    // A 10 MB field: refused, and the message stays short.
    const std::string digits(10 << 20, '7');
    const std::string longField = LoadErrorOf(folder.Write("long.csv", "Concurso;Bola1\n1;" + digits + "\n"));
    EXPECT_EQ(longField.substr(0, 10), "'777777777");
    EXPECT_LT(longField.size(), 200u);
    // A 10 MB line of extra fields: they are ignored.
    std::string wide = "Concurso;Bola1;Bola2\n1;4;5";
    while (wide.size() < (10u << 20)) wide += ";123456789";
    const TLottery lottery(folder.Write("wide.csv", wide + "\n2;1;5\n"));
    EXPECT_EQ(lottery.DrawCount, 2);
    EXPECT_EQ(lottery.Elements(), 5);
}

TEST(TLotteryTest, MissingFileAndHeaderOnly) {
    TempFolder folder;
    const TLottery missing((folder.Path() / "none.csv").string());
    EXPECT_FALSE(missing.Loaded);
    EXPECT_EQ(missing.DrawCount, 0);
    EXPECT_EQ(missing.Elements(), 0);
    EXPECT_EQ(missing.Converter, nullptr);

    TLottery header(folder.Write("h.csv", "Concurso;Bola1;Bola2;Bola3;Bola4;Bola5;Bola6\r\n"));
    ASSERT_TRUE(header.Loaded);
    EXPECT_EQ(header.DrawCount, 0);
    EXPECT_EQ(header.Elements(), 0);
    EXPECT_EQ(header.PerCombination(), 6);
    EXPECT_EQ(header.Converter->Total, 0);
    EXPECT_EQ(header.Birthday, 0);
    header.ComputePositionStatistics(10);
    EXPECT_EQ(header.SampleSize, 0);
    header.CountWindowHits(1, 1, 0);
    EXPECT_EQ(header.WindowCount, 0);
    EXPECT_EQ(header.HitsOfDraw(0, 1), 0);
}

TEST(TLotteryTest, ZeroBasedGamesShiftTheirBalls) {
    TempFolder folder;
    TLottery lottery(folder.Write("z.csv", "Concurso;Bola1;Bola2;Bola3\n1;2;0;1\n2;9;4;7\n"));
    ASSERT_TRUE(lottery.Loaded);
    EXPECT_TRUE(lottery.ZeroBased);
    EXPECT_EQ(lottery.Elements(), 10);
    EXPECT_EQ(lottery.CSNs[0], 1);
    EXPECT_EQ(lottery.Presence[0][0], 1);
    EXPECT_EQ(lottery.Presence[9][1], 1);
    for (int32_t d = 0; d < lottery.DrawCount; ++d) EXPECT_EQ(lottery.HitsOfDraw(d, lottery.CSNs[d]), 3);
    EXPECT_EQ(lottery.CommonBalls(lottery.CSNs[0], lottery.CSNs[0]), 3);
    EXPECT_EQ(lottery.CommonBalls(lottery.CSNs[0], lottery.CSNs[1]), 0);
    // Positional statistics index a zero-based ball by its value.
    lottery.ComputePositionStatistics(2);
    EXPECT_EQ(lottery.PositionCounts[0][0], 1);
    EXPECT_EQ(lottery.PositionCounts[9][2], 1);
}

TEST(TLotteryTest, RepeatedBallsLoadWithTheFormulasValueAndNeverIndexOutOfRange) {
    TempFolder folder;
    // {5, 5, 7} of a 7/3 game: C(7,3) = 35 minus C(2,2) = 34, which is the
    // CSN of another combination ({4, 6, 7}); the draw is shown as read.
    TLottery lottery(folder.Write("r.csv", "Concurso;Bola1;Bola2;Bola3\n1;5;7;5\n2;1;2;3\n3;1;1;2\n"));
    ASSERT_TRUE(lottery.Loaded);
    EXPECT_EQ(lottery.CSNs[0], 34);
    EXPECT_EQ(SortedBalls(lottery, 0), (std::vector<int32_t>{5, 5, 7}));
    // {1, 1, 2}: the formula goes below 1, which is no combination at all.
    EXPECT_LE(lottery.CSNs[2], 0);
    for (int32_t d = 0; d < lottery.DrawCount; ++d) {
        const int32_t hits = lottery.HitsOfDraw(d, lottery.CSNs[d]);
        EXPECT_GE(hits, 0);
        EXPECT_LE(hits, 3);
        EXPECT_LE(lottery.HitsOfDrawB(d, -1e9), 3);
        EXPECT_LE(lottery.CommonBalls(lottery.CSNs[d], -12345), 3);
        EXPECT_EQ(lottery.BallSetOf(lottery.CSNs[d]).size(), 8u);
    }
    // Presence counts the ball once.
    EXPECT_EQ(lottery.CommonBallsOfDraws(0, 0), 2);
    lottery.ComputePositionStatistics(3);
    EXPECT_EQ(lottery.PositionCounts[4][0], 1);
    EXPECT_EQ(lottery.PositionCounts[4][1], 1);
}

TEST(TLotteryTest, RealHistoriesHaveTheirSizesAndExactCSNs) {
    for (const RealGame& game : RealGames) {
        SCOPED_TRACE(game.file);
        TLottery lottery(DataDir + "/" + game.file);
        ASSERT_TRUE(lottery.Loaded);
        const int32_t n = lottery.Elements();
        const int32_t k = lottery.PerCombination();
        EXPECT_EQ(n, game.n);
        EXPECT_EQ(k, game.k);
        EXPECT_EQ(lottery.ZeroBased, game.zeroBased);
        EXPECT_EQ(lottery.DrawCount, game.draws);
        EXPECT_EQ(lottery.Superball, n >= 100);
        const int32_t shift = lottery.ZeroBased ? 1 : 0;
        const ExactRank exact(n);
        const bool exactCSNs = exact.C(n, k) < (static_cast<__int128>(1) << 53);
        EXPECT_EQ(exactCSNs, !game.zeroBased);
        TCSN& converter = *lottery.Converter;
        for (int32_t d = 0; d < lottery.DrawCount; ++d) {
            std::vector<int32_t> balls = SortedBalls(lottery, d);
            for (int32_t& b : balls) b += shift;
            EXPECT_EQ(lottery.Presence[static_cast<size_t>(balls[0] - shift)][static_cast<size_t>(d)], 1);
            EXPECT_EQ(lottery.CommonBallsOfDraws(d, d), k) << d;
            if (!exactCSNs) {
                // Beyond 2^53 CSNs are rounded: the combination of the rounded
                // value is a close neighbour, whose CSN is as close.
                converter.CSNToCombination(lottery.CSNs[d]);
                EXPECT_NEAR(converter.CombinationToCSN() / lottery.CSNs[d], 1.0, 1e-12) << d;
                EXPECT_GE(lottery.HitsOfDraw(d, lottery.CSNs[d]), k / 2) << d;
                continue;
            }
            EXPECT_EQ(lottery.HitsOfDraw(d, lottery.CSNs[d]), k) << d;
            ASSERT_EQ(lottery.CSNs[d], static_cast<double>(exact.Rank(balls, n))) << d;
            converter.CSNToCombination(lottery.CSNs[d]);
            ASSERT_EQ(std::vector<int32_t>(converter.Combination.begin() + 1, converter.Combination.end()),
                      balls)
                << d;
        }
    }
}

TEST(TLotteryTest, FiguresOfTheRealGames) {
    const TLottery mega(DataDir + "/megasena.csv");
    EXPECT_EQ(mega.Converter->Total, 50063860);
    EXPECT_EQ(mega.Birthday, 8490);
    EXPECT_FALSE(mega.Superball);
    EXPECT_EQ(mega.SuperballBalls, 0);
    EXPECT_EQ(mega.SuperballTotal, 0);
    EXPECT_EQ(mega.SuperballBirthday, 0);
    EXPECT_EQ(mega.CSNs[0], 14086154);

    // Balls 0..99, 20 per draw: C(100,20) / C(50,20) = 11372635.6..., and
    // sqrt(11372635) * 1.2 = 4046.8...
    const TLottery mania(DataDir + "/lotomania.csv");
    EXPECT_TRUE(mania.Superball);
    EXPECT_EQ(mania.SuperballBalls, 50);
    EXPECT_EQ(mania.SuperballTotal, 11372635);
    EXPECT_EQ(mania.SuperballBirthday, 4046);
    EXPECT_EQ(mania.Birthday, std::trunc(std::sqrt(static_cast<long double>(mania.Converter->Total)) * 1.2L));
    EXPECT_NEAR(mania.Birthday, 27781577589.0, 2.0);

    // Timemania: C(80, 7) = 3176716400, sqrt * 1.2 = 67634.9...
    const TLottery time(DataDir + "/timemania.csv");
    EXPECT_EQ(time.Converter->Total, 3176716400.0);
    EXPECT_EQ(time.Birthday, 67634);
}

TEST(TLotteryTest, TheoryTables) {
    TempFolder folder;
    const TLottery lottery(folder.Write("t.csv", "Concurso;Bola1;Bola2\n1;1;2\n2;3;4\n"));
    ASSERT_EQ(lottery.Elements(), 4);
    // Ball 1 is first in 3 of the 6 pairs; never second.
    EXPECT_DOUBLE_EQ(lottery.PositionProbabilities[0][0], 0.5);
    EXPECT_EQ(lottery.PositionFractions[0][0], "1/2");
    EXPECT_EQ(lottery.PositionProbabilities[0][1], 0);
    EXPECT_EQ(lottery.PositionFractions[0][1], "0/6");
    EXPECT_DOUBLE_EQ(lottery.PositionProbabilities[1][0], 2.0 / 6);
    EXPECT_EQ(lottery.PositionFractions[1][0], "1/3");
    for (int m = 0; m <= TLottery::MaxRun; ++m) {
        EXPECT_DOUBLE_EQ(lottery.DelayTheory[0][0][m], 0.5 * std::pow(0.5, m));
        EXPECT_DOUBLE_EQ(lottery.AdvanceTheory[1][0][m], (2.0 / 3) * std::pow(1.0 / 3, m));
        EXPECT_EQ(lottery.DelayTheory[0][1][m], 0);
        EXPECT_EQ(lottery.AdvanceTheory[0][1][m], 0);
    }
    const TLottery mega(DataDir + "/megasena.csv");
    for (int p = 0; p < 6; ++p) {
        double sum = 0;
        for (int b = 0; b < 60; ++b) sum += mega.PositionProbabilities[b][p];
        EXPECT_NEAR(sum, 1.0, 1e-12);
    }
    EXPECT_EQ(mega.PositionFractions[0][0], "1/10");
}

TEST(TLotteryTest, PositionStatisticsCountRunsOfTheSample) {
    TempFolder folder;
    // Ball 5 stands first in the last three draws (4/2 game would not hold
    // ball 5, so the game is 9/2).
    TLottery lottery(
        folder.Write("p.csv", "Concurso;Bola1;Bola2\n1;1;9\n2;3;2\n3;5;6\n4;7;5\n5;5;8\n6;1;4\n7;2;3\n"));
    ASSERT_EQ(lottery.Elements(), 9);
    lottery.ComputePositionStatistics(5); // draws 3;5;6 4;5;7 5;5;8 6;1;4 7;2;3
    EXPECT_EQ(lottery.SampleSize, 5);
    EXPECT_EQ(lottery.PositionCounts[4][0], 3);
    // Present at position 0 for three draws, then absent for two.
    EXPECT_EQ(lottery.AdvanceCounts[4][0][1], 1);
    EXPECT_EQ(lottery.AdvanceCounts[4][0][2], 1);
    EXPECT_EQ(lottery.AdvanceCounts[4][0][3], 1);
    EXPECT_EQ(lottery.AdvanceCounts[4][0][4], 0);
    EXPECT_EQ(lottery.DelayCounts[4][0][1], 1);
    EXPECT_EQ(lottery.DelayCounts[4][0][2], 1);
    EXPECT_EQ(lottery.DelayCounts[4][0][3], 0);
    // Bucket 0 is never counted, and every (ball, position) cell counts each
    // draw exactly once.
    for (size_t b = 0; b < 9; ++b) {
        for (size_t p = 0; p < 2; ++p) {
            EXPECT_EQ(lottery.DelayCounts[b][p][0], 0);
            EXPECT_EQ(lottery.AdvanceCounts[b][p][0], 0);
            const int total =
                std::accumulate(lottery.DelayCounts[b][p].begin(), lottery.DelayCounts[b][p].end(), 0) +
                std::accumulate(lottery.AdvanceCounts[b][p].begin(), lottery.AdvanceCounts[b][p].end(), 0);
            EXPECT_EQ(total, 5);
        }
    }
    // A new sample starts from scratch; a sample longer than the history is
    // cut to it.
    lottery.ComputePositionStatistics(3);
    EXPECT_EQ(lottery.AdvanceCounts[4][0][3], 0);
    EXPECT_EQ(lottery.PositionCounts[4][0], 1);
    lottery.ComputePositionStatistics(500);
    EXPECT_EQ(lottery.SampleSize, 7);
    lottery.ComputePositionStatistics(0);
    EXPECT_EQ(lottery.PositionCounts[4][0], 0);
}

TEST(TLotteryTest, RunsBeyondFiftyAreNotCounted) {
    TempFolder folder;
    std::string text = "Concurso;Bola1;Bola2\n";
    for (int d = 1; d <= 60; ++d) text += std::to_string(d) + ";1;" + (d == 60 ? "3" : "2") + "\n";
    TLottery lottery(folder.Write("long.csv", text));
    lottery.ComputePositionStatistics(60);
    for (int m = 1; m <= 50; ++m) EXPECT_EQ(lottery.AdvanceCounts[0][0][m], 1) << m;
    EXPECT_EQ(lottery.PositionCounts[0][0], 60);
    EXPECT_EQ(lottery.AdvanceCounts[1][1][50], 1);
    EXPECT_EQ(lottery.AdvanceCounts[2][1][1], 1);
    EXPECT_EQ(lottery.DelayCounts[2][1][50], 1);
}

TEST(TLotteryTest, SlidingWindowHits) {
    TempFolder folder;
    // Sorted first balls: 1, 2, 1, 1, 3.
    TLottery lottery(folder.Write("w.csv", "Concurso;Bola1;Bola2\n1;4;1\n2;2;5\n3;1;3\n4;6;1\n5;3;4\n"));
    lottery.CountWindowHits(2, 1, 0);
    EXPECT_EQ(lottery.WindowSize, 2);
    EXPECT_EQ(lottery.WindowCount, 4);
    EXPECT_EQ(lottery.WindowHits, (std::vector<int32_t>{1, 1, 2, 1}));
    lottery.CountWindowHits(lottery.DrawCount, 1, 0);
    EXPECT_EQ(lottery.WindowHits, (std::vector<int32_t>{3}));
    lottery.CountWindowHits(1, 4, 1);
    EXPECT_EQ(lottery.WindowHits, (std::vector<int32_t>{1, 0, 0, 0, 1}));
    // Windows that do not fit, and a position the game does not have.
    lottery.CountWindowHits(0, 1, 0);
    EXPECT_EQ(lottery.WindowCount, 0);
    EXPECT_TRUE(lottery.WindowHits.empty());
    lottery.CountWindowHits(6, 1, 0);
    EXPECT_EQ(lottery.WindowCount, 0);
    lottery.CountWindowHits(2, 1, 7);
    EXPECT_EQ(lottery.WindowHits, (std::vector<int32_t>(4, 0)));
}

TEST(TLotteryTest, BallSetCachesAndCacheFreeForms) {
    TLottery lottery(DataDir + "/megasena.csv");
    const double first = lottery.CSNs[0];  // 4 5 30 33 41 52
    const double second = lottery.CSNs[1]; // 9 37 39 41 43 49
    EXPECT_EQ(lottery.CommonBalls(first, first), 6);
    EXPECT_EQ(lottery.CommonBalls(first, second), 1);
    EXPECT_EQ(lottery.HitsOfDraw(1, first), 1);
    EXPECT_EQ(lottery.HitsOfDrawB(0, second), 1);
    EXPECT_EQ(lottery.CommonBallsOfDraws(0, 1), 1);
    // The cache follows the CSN it is given, not the first one it saw.
    EXPECT_EQ(lottery.HitsOfDraw(0, second), 1);
    EXPECT_EQ(lottery.HitsOfDraw(0, first), 6);
    const std::vector<uint8_t> set = lottery.BallSetOf(first);
    EXPECT_EQ(std::accumulate(set.begin(), set.end(), 0), 6);
    EXPECT_EQ(set[4] + set[5] + set[30] + set[33] + set[41] + set[52], 6);
    for (int32_t d = 0; d < lottery.DrawCount; ++d)
        ASSERT_EQ(lottery.HitsOfDrawIn(d, set), lottery.HitsOfDraw(d, first));
    EXPECT_EQ(lottery.HitsOfDrawIn(-1, set), 0);
    EXPECT_EQ(lottery.HitsOfDrawIn(lottery.DrawCount + 5, set), 0);
    EXPECT_EQ(lottery.DrawCSN(lottery.DrawCount), 0);
    EXPECT_EQ(lottery.DrawCSN(-1), 0);
    EXPECT_EQ(lottery.DrawCSN(0), first);
}
