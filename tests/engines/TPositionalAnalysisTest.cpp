// The positional analysis without a window: the theoretical position
// probabilities against an exact count over all combinations, the counts and
// runs of a hand-worked sample, the grid texts and fractions, zero-based
// games and out-of-range choices.
#include "TPositionalAnalysis.h"
#include "NumberText.h"
#include "TLottery.h"
#include "TempFiles.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Analysis = TPositionalAnalysis;
using Style = Analysis::Style;

const std::string DataDir = TOVISCA_DATA_DIR;

// A 10/3 game; the last four draws form the sample of the hand-worked cases:
//   3 5 7 / 1 5 9 / 1 4 9 / 2 5 8   (balls sorted; positions 0, 1, 2)
const char* const SmallGame = "Concurso;Bola1;Bola2;Bola3\n"
                              "1;10;1;2\n2;7;3;5\n3;9;5;1\n4;1;9;4\n5;8;2;5\n";

class PositionalTest : public ::testing::Test {
protected:
    void SetUp() override { NumberText::SetDecimalSeparator(','); }
    TempFolder folder;
};

TEST_F(PositionalTest, TheoryMatchesAnExactCountOverAllCombinationsAndSumsToOne) {
    TLottery lottery(folder.Write("g.csv", SmallGame));
    ASSERT_EQ(lottery.Elements(), 10);
    ASSERT_EQ(lottery.PerCombination(), 3);
    const Analysis analysis(lottery);
    int counts[10][3] = {};
    int total = 0;
    for (int a = 1; a <= 10; ++a)
        for (int b = a + 1; b <= 10; ++b)
            for (int c = b + 1; c <= 10; ++c) {
                ++counts[a - 1][0];
                ++counts[b - 1][1];
                ++counts[c - 1][2];
                ++total;
            }
    for (int p = 0; p < 3; ++p) {
        double sum = 0;
        for (int b = 0; b < 10; ++b) {
            const double q = analysis.Probability(Style::Position, b, p, 0);
            EXPECT_NEAR(q, static_cast<double>(counts[b][p]) / total, 1e-15) << b << " " << p;
            sum += q;
        }
        EXPECT_NEAR(sum, 1, 1e-12);
    }
    // The most likely ball of the middle position: (b-1)(10-b) peaks at 5
    // and 6, and the later of the tie is the one before the first fall.
    EXPECT_EQ(analysis.PresetBall(1), 5);
    EXPECT_EQ(analysis.PresetBall(0), 0);
    EXPECT_EQ(analysis.PresetBall(2), 9);
}

TEST_F(PositionalTest, HandWorkedSampleGivesItsCountsRunsAndCharts) {
    TLottery lottery(folder.Write("g.csv", SmallGame));
    Analysis analysis(lottery);
    analysis.Load(4);
    EXPECT_EQ(analysis.SampleSize(), 4);

    Analysis::Options options;
    options.Position = 1;
    Analysis::Result grid = analysis.Compute(options);
    ASSERT_EQ(grid.Rows, 11);
    ASSERT_EQ(grid.Columns, 4);
    EXPECT_EQ(grid.Title, "Distribuição normal - bola 2");
    EXPECT_EQ(grid.BottomAxis, "Dezena");
    EXPECT_EQ(grid.Cell(0, 0), "dez/bola");
    EXPECT_EQ(grid.Cell(0, 3), "3");
    EXPECT_EQ(grid.Cell(10, 0), "10");
    EXPECT_EQ(grid.Cell(1, 1), "2"); // ball 1 first twice
    EXPECT_EQ(grid.Cell(5, 2), "3"); // ball 5 second three times
    EXPECT_EQ(grid.Cell(9, 3), "2"); // ball 9 third twice
    EXPECT_EQ(grid.Cell(6, 1), " "); // never: a single blank
    // Chart of position 2: balls 4 and 5, theory Nearest(4 * 18/120) = 1 and
    // Nearest(4 * 20/120) = 1.
    ASSERT_EQ(grid.Counts.size(), 2u);
    EXPECT_EQ(grid.Counts[0].x, 4);
    EXPECT_EQ(grid.Counts[0].y, 1);
    EXPECT_EQ(grid.Counts[1].x, 5);
    EXPECT_EQ(grid.Counts[1].y, 3);
    EXPECT_EQ(grid.Theory[0].y, 1);
    EXPECT_EQ(grid.Theory[1].y, 1);
    options.Shown = Analysis::Value::Delta;
    EXPECT_EQ(analysis.Compute(options).Cell(5, 2), "2");

    // Ball 5 at position 2: present, present, absent, present.
    options.Shown = Analysis::Value::Real;
    options.Kind = Style::Advance;
    options.Ball = 4;
    Analysis::Result runs = analysis.Compute(options);
    ASSERT_EQ(runs.Columns, 51);
    EXPECT_EQ(runs.BottomAxis, "Atraso(-)/Adiantamento(+)");
    EXPECT_EQ(runs.Cell(0, 0), "dez/adiant.");
    EXPECT_EQ(runs.Cell(0, 50), "50");
    EXPECT_EQ(runs.Cell(5, 1), "2");
    EXPECT_EQ(runs.Cell(5, 2), "1");
    EXPECT_EQ(runs.Cell(5, 3), " ");
    // Both sides for the ball: the delay of 1 left of 0, the advances right.
    ASSERT_EQ(runs.Counts.size(), 3u);
    EXPECT_EQ(runs.Counts[0].x, -1);
    EXPECT_EQ(runs.Counts[0].y, 1);
    EXPECT_EQ(runs.Counts[1].x, 1);
    EXPECT_EQ(runs.Counts[1].y, 2);
    EXPECT_EQ(runs.Counts[2].x, 2);
    EXPECT_EQ(runs.Counts[2].y, 1);
    const double q = 20.0 / 120;
    EXPECT_EQ(runs.Theory[1].y, Analysis::Nearest(4 * (1 - q) * q));

    options.Kind = Style::Delay;
    runs = analysis.Compute(options);
    EXPECT_EQ(runs.Cell(0, 0), "dez/atraso");
    EXPECT_EQ(runs.Cell(0, 1), "-1");
    EXPECT_EQ(runs.Cell(0, 50), "-50");
    EXPECT_EQ(runs.Cell(5, 1), "1");
    // Ball 7 never stood second: its four absent draws are not shown.
    EXPECT_EQ(lottery.DelayCounts[6][1][4], 1);
    for (int m = 1; m <= 50; ++m) EXPECT_EQ(runs.Cell(7, m), " ") << m;
}

TEST_F(PositionalTest, NearestRoundsHalvesToEven) {
    EXPECT_EQ(Analysis::Nearest(0.5), 0);
    EXPECT_EQ(Analysis::Nearest(1.5), 2);
    EXPECT_EQ(Analysis::Nearest(2.5), 2);
    EXPECT_EQ(Analysis::Nearest(2.6), 3);
    EXPECT_EQ(Analysis::Nearest(-1.5), -2);
}

TEST_F(PositionalTest, TheoreticalTextsOfARealGame) {
    TLottery lottery(DataDir + "/megasena.csv");
    Analysis analysis(lottery);
    analysis.Load(lottery.DrawCount);
    Analysis::Options options;
    options.Shown = Analysis::Value::Theory;
    options.Format = Analysis::Notation::Fraction;
    Analysis::Result grid = analysis.Compute(options);
    EXPECT_EQ(grid.Cell(1, 1), "1/10"); // C(59,5)/C(60,6)
    EXPECT_EQ(grid.Cell(2, 1), "27/295");
    EXPECT_EQ(grid.Cell(60, 1), " "); // ball 60 cannot be the smallest
    options.Format = Analysis::Notation::Percent;
    EXPECT_EQ(analysis.Compute(options).Cell(2, 1), "9,15%");
    options.Format = Analysis::Notation::Quantity;
    EXPECT_EQ(analysis.Compute(options).Cell(1, 1),
              std::to_string(Analysis::Nearest(lottery.DrawCount * 0.1)));
    // Runs in ten-thousandths: q = 27/295, advance (1-q)q = 0.08315 and
    // delay q(1-q)^2 = 0.07554.
    options.Format = Analysis::Notation::Fraction;
    options.Kind = Style::Advance;
    EXPECT_EQ(analysis.Compute(options).Cell(2, 1), "~831/10000");
    options.Kind = Style::Delay;
    EXPECT_EQ(analysis.Compute(options).Cell(2, 2), "~151/2000");
    // Preset balls of the edge positions.
    EXPECT_EQ(analysis.PresetBall(0), 0);
    EXPECT_EQ(analysis.PresetBall(5), 59);
}

TEST_F(PositionalTest, ZeroBasedGameIndexesBallsByValueAndGroupsOverWindows) {
    TLottery lottery(folder.Write("z.csv", "Concurso;Bola1;Bola2;Bola3\n1;2;0;1\n2;9;4;7\n3;0;3;6\n"));
    ASSERT_TRUE(lottery.ZeroBased);
    Analysis analysis(lottery);
    analysis.Load(3);
    const Analysis::Result grid = analysis.Compute({});
    EXPECT_EQ(grid.Rows, 11);
    EXPECT_EQ(grid.Cell(1, 1), "2"); // ball 0 first in two draws
    EXPECT_EQ(grid.Cell(5, 1), "1"); // ball 4
    // The sample is the whole history: one window, one point per line.
    std::vector<Analysis::Line> lines = analysis.GroupLines(0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Title, "Dez.1");
    ASSERT_EQ(lines[0].Points.size(), 1u);
    EXPECT_EQ(lines[0].Points[0].x, 1);
    EXPECT_NEAR(lines[0].Points[0].y, 200.0 / 3, 1e-12);
    EXPECT_EQ(lines[1].Title, "Dez.5");
    // Windows of two draws: two windows.
    analysis.Load(2);
    lines = analysis.GroupLines(0);
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(lines[0].Points.size(), 2u);
    EXPECT_EQ(lines[0].Points[0].y, 50);
    EXPECT_EQ(lines[0].Points[1].y, 50);
}

TEST_F(PositionalTest, OutOfRangeChoicesAndEmptySamplesGiveSoundResults) {
    TLottery lottery(folder.Write("g.csv", SmallGame));
    Analysis analysis(lottery);
    analysis.Load(0);
    EXPECT_EQ(analysis.SampleSize(), 0);
    EXPECT_TRUE(analysis.GroupLines(0).empty()); // no division by a window of 0
    analysis.Load(99);                           // cut to the history
    EXPECT_EQ(analysis.SampleSize(), 5);
    EXPECT_EQ(analysis.Real(Style::Position, -1, 0, 0), 0);
    EXPECT_EQ(analysis.Real(Style::Position, 10, 0, 0), 0);
    EXPECT_EQ(analysis.Real(Style::Advance, 0, 3, 1), 0);
    EXPECT_EQ(analysis.Real(Style::Advance, 0, 0, 51), 0);
    EXPECT_EQ(analysis.Probability(Style::Delay, 0, 0, 0), 0);
    Analysis::Options options;
    options.Kind = Style::Advance;
    options.Position = 7; // beyond k: the last position
    options.Ball = 40;    // beyond n: the last ball
    const Analysis::Result runs = analysis.Compute(options);
    EXPECT_EQ(runs.Title, "Distribuição normal - bola 3");
    // Ball 10 stood third in the first draw only, then was absent four times.
    ASSERT_EQ(runs.Counts.size(), 5u);
    EXPECT_EQ(runs.Counts.front().x, -4);
    EXPECT_EQ(runs.Counts.back().x, 1);
    EXPECT_GE(analysis.PresetBall(-3), 0);

    TLottery header(folder.Write("h.csv", "Concurso;Bola1;Bola2;Bola3\n"));
    Analysis empty(header);
    empty.Load(10);
    EXPECT_EQ(empty.Compute({}).Rows, 0);
    EXPECT_TRUE(empty.GroupLines(0).empty());
    EXPECT_EQ(empty.PresetBall(0), 0);
}

} // namespace
