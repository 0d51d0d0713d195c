#include "TLottery.h"

#include "TempFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

const std::string DataDir = TOVISCA_DATA_DIR;
using Balls = std::vector<int32_t>;

std::string LoadErrorOf(const std::string& fileName) {
    try {
        TLottery lottery(fileName);
    } catch (const TLoadError& e) {
        return e.what();
    }
    return "(no error)";
}

Balls SortedBalls(const TLottery& lottery, int32_t d) {
    Balls balls;
    for (int32_t p = 0; p < lottery.PerCombination(); ++p)
        balls.push_back(lottery.SortedDraws[static_cast<size_t>(p)][static_cast<size_t>(d)]);
    return balls;
}

// The bundled histories as their README describes them: n, k, zero-based, draws.
const std::tuple<const char*, int32_t, int32_t, bool, int32_t> RealGames[] = {
    {"megasena.csv", 60, 6, false, 3047},   {"lotofacil.csv", 25, 15, false, 3767},
    {"quina.csv", 80, 5, false, 7097},      {"lotomania.csv", 100, 20, true, 2965},
    {"duplasena.csv", 50, 6, false, 2998},  {"timemania.csv", 80, 7, false, 2431},
    {"diadesorte.csv", 31, 7, false, 1277}, {"euromillions.csv", 50, 5, false, 1947},
    {"powerball.csv", 69, 5, false, 1390}};

} // namespace

TEST(TLotteryTest, SmallGameReadsSortsAndNumbersItsDraws) {
    TempFolder folder;
    const TLottery lottery(folder.Write("g.csv", "Concurso;Bola1;Bola2;Bola3\r\n1;3;1;2\r\n2;4;5;6\r\n"));
    ASSERT_TRUE(lottery.Loaded);
    EXPECT_EQ(lottery.PerCombination() * 10 + lottery.Elements(), 36);
    EXPECT_EQ(lottery.DrawCount, 2);
    EXPECT_FALSE(lottery.ZeroBased || lottery.Superball);
    EXPECT_EQ((Balls{lottery.Draws[1][0], lottery.Draws[2][0], lottery.Draws[3][0]}), (Balls{3, 1, 2}));
    EXPECT_EQ(SortedBalls(lottery, 0), (Balls{1, 2, 3}));
    EXPECT_EQ(lottery.SortedDraws[3][0], 1);
    EXPECT_EQ(lottery.CSNs[0], 1);
    EXPECT_EQ(lottery.CSNs[1], 20);
    // C(6, 3) = 20; Trunc(sqrt(20) * 1.2) = 5. Ball 1 is first in C(5, 2) =
    // 10 of the 20 combinations, ball 2 second in 4: the theory tables.
    EXPECT_EQ(lottery.Birthday, 5);
    EXPECT_EQ(lottery.PositionFractions[0][0] + " " + lottery.PositionFractions[1][1], "1/2 1/5");
    EXPECT_EQ(lottery.PositionFractions[0][1], "0/20");
    EXPECT_DOUBLE_EQ(lottery.DelayTheory[0][0][2], 0.125);
    EXPECT_DOUBLE_EQ(lottery.AdvanceTheory[1][1][1], 0.8 * 0.2);
}

TEST(TLotteryTest, FieldsAndLineEnds) {
    TempFolder folder;
    // Blanks separate header fields, so "Bola 1" counts twice: k = 4; a
    // quoted field counts once; a trailing ";" adds an empty field, "; " not.
    const std::vector<std::pair<std::string, int>> headers = {{"Concurso;Bola 1;Bola 2\r\n", 4},
                                                              {"Concurso;\"Bola 1\";\"Bola 2\"\n", 2},
                                                              {"Concurso;Bola1;\n", 2},
                                                              {"Concurso;Bola1; \n", 1}};
    for (const auto& [header, k] : headers)
        EXPECT_EQ(TLottery(folder.Write("h.csv", header)).PerCombination(), k);
    // Blanks, control characters and quotes around fields, and fields after
    // the (k+1)-th, are ignored.
    const TLottery messy(folder.Write(
        "e.csv",
        "Concurso;Bola1;Bola2;Bola3\n  7 ;\t\"3\" ;\x01 1;2;junk;\"x;y\"\n8 4\t5;+6\n9;\" 1\";\"2\";3;\n"));
    EXPECT_EQ(messy.Draws[0][1], 8);
    EXPECT_EQ(messy.CSNs, (std::vector<double>{1, 20, 1, 0}));
    // Every kind of line end gives the same history.
    for (const std::string text :
         {"Concurso;Bola1;Bola2\r\n1;1;2\r\n2;3;4\r\n", "Concurso;Bola1;Bola2\n1;1;2\n2;3;4\n",
          "Concurso;Bola1;Bola2\r1;1;2\r2;3;4\r", "Concurso;Bola1;Bola2\r1;1;2\r\n2;3;4"})
        EXPECT_EQ(TLottery(folder.Write("g.csv", text)).CSNs, (std::vector<double>{1, 6, 0})) << text;
}

TEST(TLotteryTest, MalformedFilesAreRefusedWithTheirMessages) {
    const std::string h3 = "Concurso;Bola1;Bola2\n";
    std::string wideHeader = "Concurso";
    for (int i = 1; i <= 5000; ++i) wideHeader += ";Bola" + std::to_string(i);
    // A short file whose presence table alone (1001 ball values x 1.2 million
    // draws) would pass a gigabyte.
    std::string budget = "Concurso;Bola1\n1;1000\n";
    for (int d = 1; d < 1'200'000; ++d) budget += "1;1\n";
    // Whole messages, or (for the program's own texts) parts of them.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {h3 + "1;2;x7\n", "'x7' is not a valid integer value"},
        {h3 + "A1;2;7\n", "'A1' is not a valid integer value"},
        {h3 + "99999999999;2;7\n", "'99999999999' is not a valid integer value"},
        {h3 + "1;2;\n", "'' is not a valid integer value"},
        {h3 + "1;\"2;3\";4\n", "'2;3' is not a valid integer value"},   // quotes keep ";"
        {h3 + "1;\"4\"\"\";4\n", "'4\"' is not a valid integer value"}, // two quotes stand for one
        {h3 + "1;\"2;3\n", "'2;3' is not a valid integer value"},       // unclosed: to the line end
        {"Concurso;Bola1;Bola2;Bola3\n1;2;7;9\n2;4;5\n", "List index out of bounds (3)"},
        {"Concurso;Bola1;Bola2;Bola3\n1;z\n", "'z' is not a valid integer value"}, // first failing field
        {"", "List index out of bounds (0)"},
        {"Concurso;Bola1;Bola2\r\n1;1;2\r\n\r\n", "List index out of bounds (0)"}, // blank line
        {"Concurso;Bola1;Bola2\r\r\n1;1;2\r\n", "List index out of bounds (0)"},
        {h3 + "1;2;7\n2;-3;8\n", "Bola inválida na linha 3"},
        {h3 + "1;2;2000000000\n", "Bola inválida na linha 2"},
        {"Concurso;Bola1\n1;1001\n", "de 0 a 1000"},
        {wideHeader + "\n", "no máximo 1000 bolas"},
        {budget, "grande demais para ser analisado"},
        {"Concurso;Bola1\n1;" + std::string(10 << 20, '7') + "\n", "7777777"}};
    TempFolder folder;
    for (const auto& [text, message] : cases) {
        const std::string error = LoadErrorOf(folder.Write("bad.csv", text));
        if (message.front() == '\'' || message.front() == 'L') {
            EXPECT_EQ(error, message);
        } else {
            EXPECT_NE(error.find(message), std::string::npos) << error;
        }
        EXPECT_LT(error.size(), 200u) << message;
    }
    EXPECT_NE(LoadErrorOf(folder.Path().string()).find("é uma pasta"), std::string::npos);
    // Random bytes, with or without a valid start, fail with a short message.
    std::mt19937 random(20240613);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(4096 + round * 997, '\0');
        for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
        if (round % 2 == 0) bytes.insert(0, "Concurso;Bola1;Bola2\r\n1;2;3\r\n");
        const std::string error = LoadErrorOf(folder.Write("bin", bytes));
        EXPECT_NE(error, "(no error)") << round;
        EXPECT_LT(error.size(), 400u) << round;
    }
}

TEST(TLotteryTest, EdgesOfTheAcceptedFiles) {
    TempFolder folder;
    // The largest ball, a negative contest number (not a ball), and a 10 MB
    // line of extra fields, which are ignored.
    std::string wide = "Concurso;Bola1;Bola2\n-5;1000;1";
    while (wide.size() < (10u << 20)) wide += ";123456789";
    const TLottery widest(folder.Write("1000.csv", wide + "\n2;1;5\n"));
    EXPECT_EQ(widest.DrawCount, 2);
    EXPECT_EQ(widest.Elements(), 1000);
    EXPECT_EQ(widest.Draws[0][0], -5);
    EXPECT_TRUE(widest.Superball);

    const TLottery missing((folder.Path() / "none.csv").string());
    EXPECT_FALSE(missing.Loaded);
    // {5, 5, 7} of a 7/3 game: C(7,3) = 35 minus C(2,2) = 34, the CSN of
    // another combination; {1, 1, 2} goes below 1. Neither reads out of range.
    TLottery repeated(folder.Write("r.csv", "Concurso;Bola1;Bola2;Bola3\n1;5;7;5\n2;1;1;2\n"));
    EXPECT_EQ(repeated.CSNs[0], 34);
    EXPECT_LE(repeated.CSNs[1], 0);
    for (int32_t d = 0; d < 2; ++d) EXPECT_LE(repeated.HitsOfDraw(d, repeated.CSNs[d]), 3);
    repeated.ComputePositionStatistics(2);
    EXPECT_EQ(repeated.PositionCounts[4][0] + repeated.PositionCounts[4][1], 2);
    TLottery header(folder.Write("h.csv", "Concurso;Bola1;Bola2;Bola3;Bola4;Bola5;Bola6\r\n"));
    ASSERT_TRUE(header.Loaded);
    EXPECT_EQ(header.PerCombination(), 6);
    EXPECT_EQ(header.DrawCount + header.Elements() + header.Converter->Total + header.Birthday, 0);
    header.ComputePositionStatistics(10);
    header.CountWindowHits(1, 1, 0);
    EXPECT_EQ(header.SampleSize + header.WindowCount + header.HitsOfDraw(0, 1), 0);
}

TEST(TLotteryTest, ZeroBasedGamesShiftTheirBalls) {
    TempFolder folder;
    TLottery lottery(folder.Write("z.csv", "Concurso;Bola1;Bola2;Bola3\n1;2;0;1\n2;9;4;7\n"));
    EXPECT_TRUE(lottery.ZeroBased);
    EXPECT_EQ(lottery.Elements(), 10);
    EXPECT_EQ(lottery.CSNs[0], 1); // {0, 1, 2} as {1, 2, 3}
    EXPECT_EQ(lottery.Presence[0][0] + lottery.Presence[9][1], 2);
    for (int32_t d = 0; d < lottery.DrawCount; ++d) EXPECT_EQ(lottery.HitsOfDraw(d, lottery.CSNs[d]), 3);
    EXPECT_EQ(lottery.CommonBalls(lottery.CSNs[0], lottery.CSNs[0]), 3);
    EXPECT_EQ(lottery.CommonBalls(lottery.CSNs[0], lottery.CSNs[1]), 0);
    lottery.ComputePositionStatistics(2); // a zero-based ball is indexed by its value
    EXPECT_EQ(lottery.PositionCounts[0][0] + lottery.PositionCounts[9][2], 2);
}

TEST(TLotteryTest, RealHistoriesHaveTheirSizesAndRoundTripTheirCSNs) {
    for (const auto& [file, n, k, zeroBased, draws] : RealGames) {
        SCOPED_TRACE(file);
        TLottery lottery(DataDir + "/" + file);
        EXPECT_EQ(std::tuple(lottery.Elements(), lottery.PerCombination(), lottery.ZeroBased,
                             lottery.DrawCount, lottery.Superball),
                  std::tuple(n, k, zeroBased, draws, n >= 100));
        TCSN& converter = *lottery.Converter;
        const bool exact = converter.Total < 9007199254740992.0;
        EXPECT_EQ(exact, !zeroBased);
        for (int32_t d = 0; d < lottery.DrawCount; ++d) {
            EXPECT_EQ(lottery.CommonBallsOfDraws(d, d), k) << d;
            if (!exact) continue; // beyond 2^53 CSNs are rounded
            converter.CSNToCombination(lottery.CSNs[d]);
            EXPECT_EQ(lottery.HitsOfDraw(d, lottery.CSNs[d]), k) << d;
            ASSERT_EQ(Balls(converter.Combination.begin() + 1, converter.Combination.end()),
                      SortedBalls(lottery, d));
        }
    }
}

TEST(TLotteryTest, FiguresAndBallSetsOfTheRealGames) {
    TLottery mega(DataDir + "/megasena.csv");
    EXPECT_EQ(mega.Converter->Total, 50063860);
    EXPECT_EQ(mega.Birthday, 8490);
    EXPECT_FALSE(mega.Superball);
    EXPECT_EQ(mega.SuperballBalls + mega.SuperballTotal + mega.SuperballBirthday, 0);
    // The caches follow the CSN they are given, not the first one they saw.
    const double first = mega.CSNs[0], second = mega.CSNs[1]; // 4 5 30 33 41 52 and 9 37 39 41 43 49
    EXPECT_EQ(first, 14086154);
    EXPECT_EQ(mega.CommonBalls(first, second), 1);
    EXPECT_EQ(mega.HitsOfDrawB(0, second), 1);
    EXPECT_EQ(mega.HitsOfDraw(0, second), 1);
    EXPECT_EQ(mega.HitsOfDraw(0, first), 6);
    const std::vector<uint8_t> set = mega.BallSetOf(first);
    EXPECT_EQ(std::accumulate(set.begin(), set.end(), 0) + set[4] + set[5] + set[30] + set[33] + set[41] +
                  set[52],
              12);
    for (int32_t d = 0; d < mega.DrawCount; ++d)
        ASSERT_EQ(mega.HitsOfDrawIn(d, set), mega.HitsOfDraw(d, first));
    EXPECT_EQ(mega.HitsOfDrawIn(-1, set) + mega.HitsOfDrawIn(mega.DrawCount + 5, set), 0);
    EXPECT_EQ(mega.DrawCSN(mega.DrawCount) + mega.DrawCSN(-1), 0);

    // Balls 0..99, 20 per draw: C(100,20) / C(50,20) = 11372635.6..., and
    // sqrt(11372635) * 1.2 = 4046.8...
    const TLottery mania(DataDir + "/lotomania.csv");
    EXPECT_EQ(mania.SuperballBalls, 50);
    EXPECT_EQ(mania.SuperballTotal, 11372635);
    EXPECT_EQ(mania.SuperballBirthday, 4046);
    EXPECT_NEAR(mania.Birthday, 27781577589.0, 2.0);
}

TEST(TLotteryTest, PositionStatisticsAndWindowHits) {
    TempFolder folder;
    // 9/2 game; sorted first balls 1, 2, 5, 5, 5, 1, 2: ball 5 stands first
    // in the three draws before the last two.
    TLottery lottery(
        folder.Write("p.csv", "Concurso;Bola1;Bola2\n1;1;9\n2;3;2\n3;5;6\n4;7;5\n5;5;8\n6;1;4\n7;2;3\n"));
    lottery.CountWindowHits(2, 5, 0);
    EXPECT_EQ(lottery.WindowCount, 6);
    EXPECT_EQ(lottery.WindowHits, (Balls{0, 1, 2, 2, 1, 0}));
    lottery.CountWindowHits(lottery.DrawCount, 5, 0);
    EXPECT_EQ(lottery.WindowHits, (Balls{3}));
    lottery.CountWindowHits(1, 9, 1);
    EXPECT_EQ(lottery.WindowHits, (Balls{1, 0, 0, 0, 0, 0, 0}));
    // Windows that do not fit, and a position the game does not have.
    lottery.CountWindowHits(8, 5, 0);
    EXPECT_TRUE(lottery.WindowHits.empty());
    lottery.CountWindowHits(2, 5, 7);
    EXPECT_EQ(lottery.WindowHits, (Balls(6, 0)));

    lottery.ComputePositionStatistics(5);
    EXPECT_EQ(lottery.SampleSize, 5);
    EXPECT_EQ(lottery.PositionCounts[4][0], 3);
    // Present at position 0 for three draws, then absent for two.
    EXPECT_EQ(Balls(lottery.AdvanceCounts[4][0].begin(), lottery.AdvanceCounts[4][0].begin() + 5),
              (Balls{0, 1, 1, 1, 0}));
    EXPECT_EQ(Balls(lottery.DelayCounts[4][0].begin(), lottery.DelayCounts[4][0].begin() + 4),
              (Balls{0, 1, 1, 0}));
    // Every (ball, position) cell counts each draw of the sample once.
    int counted = 0;
    for (const auto* table : {&lottery.DelayCounts, &lottery.AdvanceCounts})
        for (const auto& ball : *table)
            for (const auto& cell : ball) counted += std::accumulate(cell.begin(), cell.end(), 0);
    EXPECT_EQ(counted, 9 * 2 * 5);
    // A new sample starts from scratch; one longer than the history is cut.
    lottery.ComputePositionStatistics(3);
    EXPECT_EQ(lottery.AdvanceCounts[4][0][3], 0);
    EXPECT_EQ(lottery.PositionCounts[4][0], 1);
    lottery.ComputePositionStatistics(500);
    EXPECT_EQ(lottery.SampleSize, 7);

    // Runs longer than MaxRun are counted in no bucket.
    std::string text = "Concurso;Bola1;Bola2\n";
    for (int d = 1; d <= 60; ++d) text += std::to_string(d) + ";1;" + (d == 60 ? "3" : "2") + "\n";
    TLottery runs(folder.Write("long.csv", text));
    runs.ComputePositionStatistics(60);
    for (int m = 1; m <= 50; ++m) EXPECT_EQ(runs.AdvanceCounts[0][0][m], 1) << m;
    EXPECT_EQ(runs.DelayCounts[2][1][50], 1);
}
