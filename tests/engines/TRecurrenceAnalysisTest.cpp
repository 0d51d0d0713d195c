// What the recurrence window shows of the searches, without a window: the
// result grid of a hand-worked history, blank rows, the double check's
// columns, the streak table's growth, the filter memo with and without a
// delay floor, the per-contest and per-CSN plots and the CSN a grid cell
// stands for.
#include "TRecurrenceAnalysis.h"
#include "NumberText.h"
#include "TLottery.h"
#include "TempFiles.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Analysis = TRecurrenceAnalysis;
using Row = std::vector<std::string>;

// A 10/3 game of five draws, oldest first:
//   {1,2,3} {1,2,4} {1,2,3} {5,6,10} {1,2,7}
const char* const SmallGame = "Concurso;Bola1;Bola2;Bola3\n"
                              "1;1;2;3\n2;1;2;4\n3;3;2;1\n4;5;6;10\n5;1;2;7\n";

class RecurrenceAnalysisTest : public ::testing::Test {
protected:
    void SetUp() override { NumberText::SetDecimalSeparator(','); }

    TSearchResult Run(Analysis& analysis, TSearchMode mode, Analysis::Choices choices, int sample) {
        analysis.Load(sample, choices.DoubleCheck || choices.Consecutive);
        TSearchOptions options = analysis.Options(mode, choices, 7);
        options.Threads = 1;
        return analysis.Search().Run(options);
    }
    TempFolder folder;
};

TEST_F(RecurrenceAnalysisTest, GridOfAHandWorkedHistory) {
    TLottery lottery(folder.Write("g.csv", SmallGame));
    ASSERT_EQ(lottery.Elements(), 10);
    Analysis analysis(lottery);
    analysis.SetResults(Run(analysis, TSearchMode::Recurrence, {}, 5));
    const Analysis::Grid grid = analysis.ResultGrid();
    ASSERT_EQ(grid.size(), 5u);
    EXPECT_EQ(grid[0], (Row{"Acertos", "Concursos", "Chance", "CSN", "Combinação", "Últ.conc."}));
    // No combination avoids every draw; {4, 8, 9}, {5, 8, 9}, {6, 8, 9},
    // {7, 8, 9} and {8, 9, 10} miss four. {4, 8, 9} misses the four newest
    // but one and so weighs most (0 + 2 + 3 + 4 = 9 against 7 and 6); it
    // misses the newest draw too. CSN: 36 + 28 + 21 + 5 + 4 + 3 + 1 = 98.
    EXPECT_EQ(grid[1], (Row{"0", "4", "80,00%", "98", "4, 8, 9", "0"}));
    // Only {1, 2, 3} has three hits twice; it has two in the newest draw.
    EXPECT_EQ(grid[4], (Row{"3", "2", "40,00%", "1", "1, 2, 3", "2"}));
    // {1, 2, x} with x in none of the other draws but the one of 5, 6, 10:
    // two hits in four draws, all weighing 0 + 1 + 2 + 4; the earliest is
    // {1, 2, 5}. None can have two hits in all five.
    EXPECT_EQ(grid[3], (Row{"2", "4", "80,00%", "3", "1, 2, 5", "2"}));
    const std::vector<Analysis::Point> bars = analysis.ChancePoints(1);
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(bars[3], (Analysis::Point{3, 40}));
    EXPECT_TRUE(analysis.ChancePoints(2).empty());
}

TEST_F(RecurrenceAnalysisTest, BlankRowsBeforeAnySearchAndForUnreachedHitCounts) {
    TLottery lottery(folder.Write("g.csv", SmallGame));
    Analysis analysis(lottery);
    analysis.Load(5, false);
    for (size_t h = 1; h < 5; ++h)
        EXPECT_EQ(analysis.ResultGrid()[h], (Row{std::to_string(h - 1), " ", " ", " ", " ", " "}));
    // A stopped search that reached only some hit counts.
    TSearchResult partial;
    partial.SampleSize = 5;
    partial.Count1 = {0, 3, 0, 0};
    partial.CSN1 = {0, 1, 0, 0};
    partial.Last1 = {0, 1, 0, 0};
    partial.Recency1 = partial.Count2 = partial.Last2 = {0, 0, 0, 0};
    partial.CSN2 = {0, 0, 0, 0};
    analysis.Load(5, true);
    analysis.SetResults(partial);
    const Analysis::Grid grid = analysis.ResultGrid();
    EXPECT_EQ(grid[0].size(), 11u);
    EXPECT_EQ(grid[0][6] + "|" + grid[0][10], "Concs:2|Últ:2");
    EXPECT_EQ(grid[1], (Row{"0", " ", " ", " ", " ", " ", " ", " ", " ", " ", " "}));
    // A first combination without a second one still shows the second set.
    EXPECT_EQ(grid[2], (Row{"1", "3", "60,00%", "1", "1, 2, 3", "1", "0", "0,00%", "0", " ", "0"}));
}

TEST_F(RecurrenceAnalysisTest, DoubleCheckColumns) {
    TLottery lottery(folder.Write("g.csv", SmallGame));
    Analysis analysis(lottery);
    Analysis::Choices choices;
    choices.DoubleCheck = true;
    analysis.SetResults(Run(analysis, TSearchMode::Recurrence, choices, 5));
    const Analysis::Grid grid = analysis.ResultGrid();
    // With {1, 2, 3} as the first combination of 3 hits, a second one with 3
    // hits in draw 2 ({1, 2, 4}, CSN 2) or draw 5 ({1, 2, 7}, CSN 5) covers
    // three draws; the earlier candidate wins. The newest draw: max(2, 2).
    EXPECT_EQ(grid[4], (Row{"3", "2", "40,00%", "1", "1, 2, 3", "2", "3", "60,00%", "2", "1, 2, 4", "2"}));
    EXPECT_EQ(analysis.ChancePoints(2).size(), 4u);
}

TEST_F(RecurrenceAnalysisTest, StreakTableGrowsToTheCellsFound) {
    TLottery lottery(folder.Write("g.csv", SmallGame));
    Analysis analysis(lottery);
    analysis.Load(5, true);
    Analysis::Grid empty = analysis.StreakGrid();
    EXPECT_EQ(empty, (Analysis::Grid{{"Acertos/Consecut.", "1"}, {"1", " "}}));

    Analysis::Choices choices;
    choices.Consecutive = true;
    const TSearchResult result = Run(analysis, TSearchMode::Consecutive, choices, 5);
    analysis.SetResults(result);
    const Analysis::Grid grid = analysis.StreakGrid();
    size_t maxRow = 1, maxColumn = 1;
    for (size_t h = 1; h < result.StreakTable.size(); ++h)
        for (size_t j = 1; j < result.StreakTable[h].size(); ++j)
            if (result.StreakTable[h][j] > 0) {
                maxRow = std::max(maxRow, h);
                maxColumn = std::max(maxColumn, j);
                EXPECT_EQ(grid[h][j], std::to_string(result.StreakTable[h][j]));
                EXPECT_EQ(analysis.StreakCount(static_cast<int>(h), static_cast<int>(j)),
                          result.StreakTable[h][j]);
            }
    ASSERT_EQ(grid.size(), std::max<size_t>(2, maxRow + 1));
    ASSERT_EQ(grid[0].size(), std::max<size_t>(2, maxColumn + 1));
    for (size_t r = 1; r < grid.size(); ++r) EXPECT_EQ(grid[r][0], std::to_string(r));
    for (size_t c = 1; c < grid[0].size(); ++c) EXPECT_EQ(grid[0][c], std::to_string(c));
    // {1, 2, 7}: three hits in the newest draw only (streak 1); the longest
    // streak of one hit belongs to the lowest CSN reaching it.
    EXPECT_EQ(result.Count1[3], 1);
    EXPECT_EQ(analysis.StreakCount(0, 1), 0);
    EXPECT_EQ(analysis.StreakCount(99, 999), 0);
    // "Últ.conc." shows 0 in this mode.
    EXPECT_EQ(analysis.ResultGrid()[4][5], "0");
}

TEST_F(RecurrenceAnalysisTest, FilterMemoInOrderWithAndWithoutAFloor) {
    TSearchResult result;
    result.Threshold = 4;
    result.MaxDelay = 12;
    result.MaxAdvance = 2;
    result.DelayList = {17, 50063860};
    result.AdvanceList = {3};
    EXPECT_EQ(Analysis::FilterMemo(result),
              (Row{"EXTREMIDADES DO FUNIL (<4 acertos)", "Maximo atraso: 12", "Combinações: 2", "17",
                   "50063860", "-------------", "EXTREMIDADES DO FUNIL (>=4 acertos)",
                   "Maximo adiantamento: 2", "Combinações: 1", "3"}));
    result.Floor = 5;
    const Row withFloor = Analysis::FilterMemo(result);
    EXPECT_EQ(withFloor[2], "Atrasos >= 5");
    EXPECT_EQ(withFloor[3], "Combinações: 2");

    result.DelayHistogram.assign(501, 0);
    result.AdvanceHistogram.assign(501, 0);
    result.DelayHistogram[0] = 1;
    result.DelayHistogram[500] = 4;
    result.AdvanceHistogram[2] = 9;
    EXPECT_EQ(Analysis::FilterPoints(result), (std::vector<Analysis::Point>{{-500, 4}, {-0.0, 1}, {2, 9}}));
}

TEST_F(RecurrenceAnalysisTest, FilterOfTheHandWorkedHistory) {
    TLottery lottery(folder.Write("g.csv", SmallGame));
    Analysis analysis(lottery);
    EXPECT_EQ(analysis.DefaultThreshold(), 3);
    analysis.Load(5, false);
    TSearchOptions options = analysis.Options(TSearchMode::Filter, {}, 1);
    options.Threshold = 2;
    const TSearchResult result = analysis.Search().Run(options);
    const Row memo = Analysis::FilterMemo(result);
    // Two hits in the newest draw {1, 2, 7} need two of its balls, which
    // leaves at most one of {5, 6, 10} before it: advances of 1 at most.
    EXPECT_EQ(memo[0], "EXTREMIDADES DO FUNIL (<2 acertos)");
    EXPECT_EQ(memo[1], "Maximo atraso: " + std::to_string(result.MaxDelay));
    EXPECT_EQ(memo[2], "Combinações: " + std::to_string(result.DelayList.size()));
    EXPECT_EQ(result.MaxAdvance, 1);
    // Every combination is in one histogram or the other.
    long long total = 0;
    for (const Analysis::Point& p : Analysis::FilterPoints(result)) total += static_cast<long long>(p.y);
    EXPECT_EQ(total, 120);
}

TEST_F(RecurrenceAnalysisTest, PlotsPerContestAndPerCsn) {
    TLottery lottery(folder.Write("g.csv", SmallGame));
    const Analysis analysis(lottery);
    EXPECT_EQ(analysis.ContestPoints(5),
              (std::vector<Analysis::Point>{{1, 2}, {2, 2}, {3, 2}, {4, 0}, {5, 3}}));
    EXPECT_EQ(analysis.ContestPoints(2), (std::vector<Analysis::Point>{{1, 2}, {2, 3}}));
    EXPECT_TRUE(analysis.ContestPoints(0).empty());
    EXPECT_TRUE(analysis.ContestPoints(6).empty());
    // {1, 2, 3} over the whole history.
    EXPECT_EQ(analysis.CsnPoints(1), (std::vector<Analysis::Point>{{1, 3}, {2, 2}, {3, 3}, {4, 0}, {5, 2}}));

    EXPECT_EQ(analysis.ReadCsn("98").Csn, 98u);
    EXPECT_EQ(analysis.ReadCsn("98").Text, "98");
    for (const char* bad :
         {" ", "", "abc", "0", "121", "-5", "1,5", "99999999999999999999999999999999999999999"}) {
        const Analysis::CsnChoice choice = analysis.ReadCsn(bad);
        EXPECT_EQ(choice.Csn, 1u) << bad;
        EXPECT_EQ(choice.Text, "1") << bad;
    }
}

TEST_F(RecurrenceAnalysisTest, ThresholdDefaultsAndOptions) {
    TempFolder other;
    std::string quina = "Concurso;Bola1;Bola2;Bola3;Bola4;Bola5\n1;1;2;3;4;25\n";
    TLottery lotofacilLike(other.Write("q.csv", quina));
    ASSERT_EQ(lotofacilLike.Elements(), 25);
    EXPECT_EQ(Analysis(lotofacilLike).DefaultThreshold(), 11);
    TLottery sixty(other.Write("m.csv", "Concurso;B1;B2\n1;1;60\n"));
    EXPECT_EQ(Analysis(sixty).DefaultThreshold(), 4);

    TLottery lottery(folder.Write("g.csv", SmallGame));
    Analysis analysis(lottery);
    analysis.Load(40, false);
    Analysis::Choices choices;
    choices.DoubleCheck = choices.Reduced = choices.WithoutLast = true;
    const TSearchOptions normal = analysis.Options(TSearchMode::Recurrence, choices, 99);
    EXPECT_TRUE(normal.DoubleCheck && normal.ReducedUniverse && normal.WithoutLast);
    EXPECT_EQ(normal.Seed, 99u);
    EXPECT_EQ(normal.SampleSize, 40);
    // The double check belongs to the normal recurrence only.
    EXPECT_FALSE(analysis.Options(TSearchMode::Consecutive, choices, 99).DoubleCheck);
    // A sample beyond the history is cut to it: the chance is over the draws
    // actually counted.
    analysis.SetResults(analysis.Search().Run(analysis.Options(TSearchMode::Recurrence, {}, 0)));
    EXPECT_EQ(analysis.ResultGrid()[4][2], "40,00%");
}

} // namespace
