// The positional/bayesian analysis without a window: the steps of a
// preview, the run-corrected probabilities and lists of a hand-worked 5/2
// game scored against the held-out draw, walks cut at draw 0, a ball never
// drawn, a zero-based game, the theory-only case on a real history and the
// hypergeometric chance figures worked by hand.
#include "TPositionalBayesAnalysis.h"
#include "NumberText.h"
#include "TLottery.h"
#include "TempFiles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Analysis = TPositionalBayesAnalysis;
using Fill = Analysis::Fill;

const std::string DataDir = TOVISCA_DATA_DIR;

// A 5/2 game. Position probabilities (10 combinations): position 1 is
// (5 - n) / 10, position 2 is (n - 1) / 10, so each number is drawn with
// a = 0.4 and missed with b = 0.6.
//   draw 0: 1 2   draw 1: 3 5   draw 2: 1 4   draw 3: 1 5   draw 4: 1 2
//   draw 5: 3 4   (held out with one ignored draw)
const char* const SmallGame = "Concurso;Bola1;Bola2\n"
                              "1;2;1\n2;5;3\n3;1;4\n4;5;1\n5;1;2\n6;4;3\n";

class PositionalBayesTest : public ::testing::Test {
protected:
    void SetUp() override { NumberText::SetDecimalSeparator(','); }
    TempFolder folder;
};

double Sum(const Analysis& analysis, int n) {
    double sum = 0;
    for (int p = 0; p <= analysis.K(); ++p) sum += analysis.P[static_cast<size_t>(p)][static_cast<size_t>(n)];
    return sum;
}

TEST_F(PositionalBayesTest, StepsOfAPreview) {
    const Analysis::Steps steps = Analysis::WindowSteps(6, 2, 1);
    EXPECT_EQ(steps.last, 4);
    EXPECT_EQ(steps.first, 1); // S + 2 draws: 1..4
    EXPECT_EQ(steps.next, 5);
    const Analysis::Steps all = Analysis::WindowSteps(3047, 20, 0);
    EXPECT_EQ(all.last, 3046);
    EXPECT_EQ(all.first, 3025);
    EXPECT_EQ(all.next, 3047); // beyond the history: nothing to score
}

TEST_F(PositionalBayesTest, HandWorkedRunsProbabilitiesListsAndScores) {
    TLottery lottery(folder.Write("g.csv", SmallGame));
    ASSERT_EQ(lottery.Elements(), 5);
    ASSERT_EQ(lottery.PerCombination(), 2);
    Analysis analysis(lottery);
    analysis.Load();
    const Analysis::Steps steps = Analysis::WindowSteps(lottery.DrawCount, 2, 1);
    analysis.Calculate(steps, false);

    // Runs going back from draw 4 over draws 4..1.
    EXPECT_EQ(analysis.run, (std::vector<int32_t>{0, 3, 1, -3, -2, -1}));
    const auto& P = analysis.P;
    // 1: present 3 times: not drawn 1 - 0.4^4, position 1 is 0.4 x 0.4^3.
    EXPECT_NEAR(P[0][1], 0.9744, 1e-15);
    EXPECT_NEAR(P[1][1], 0.0256, 1e-15);
    EXPECT_EQ(P[2][1], 0);
    // 2: present once: 1 - 0.16; 0.3 x 0.4 and 0.1 x 0.4.
    EXPECT_NEAR(P[0][2], 0.84, 1e-15);
    EXPECT_NEAR(P[1][2], 0.12, 1e-15);
    EXPECT_NEAR(P[2][2], 0.04, 1e-15);
    // 3: absent 3 times: 0.6^4 = 0.1296, the rest split 0.2 : 0.2.
    EXPECT_NEAR(P[0][3], 0.1296, 1e-15);
    EXPECT_NEAR(P[1][3], 0.4352, 1e-15);
    EXPECT_NEAR(P[2][3], 0.4352, 1e-15);
    // 4: absent twice: 0.6^3 = 0.216, the rest 0.784 split 0.1 : 0.3.
    EXPECT_NEAR(P[0][4], 0.216, 1e-15);
    EXPECT_NEAR(P[1][4], 0.196, 1e-15);
    EXPECT_NEAR(P[2][4], 0.588, 1e-15);
    // 5: absent once: 0.36; it never stands first.
    EXPECT_NEAR(P[0][5], 0.36, 1e-15);
    EXPECT_EQ(P[1][5], 0);
    EXPECT_NEAR(P[2][5], 0.64, 1e-15);
    for (int n = 1; n <= 5; ++n) EXPECT_NEAR(Sum(analysis, n), 1, 1e-15) << n;

    EXPECT_EQ(analysis.PercentText(0, 1), "97,4%");
    EXPECT_EQ(analysis.PercentText(1, 3), "43,5%");
    EXPECT_EQ(analysis.PercentText(2, 1), "0,0%");
    EXPECT_EQ(analysis.RunText(3) + "|" + analysis.RunText(1), "-3|3");
    EXPECT_EQ(analysis.HeaderTexts(), (std::vector<std::string>{"dez/posição", "0", "1", "2", "repetição"}));
    EXPECT_EQ(analysis.RowTexts(1), (std::vector<std::string>{"1", "97,4%", "2,6%", "0,0%", "3"}));
    const std::vector<Analysis::Bar> bars = analysis.Bars(4);
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ(bars[2].x, 2);
    EXPECT_NEAR(bars[2].y, 58.8, 1e-12);

    // Tolerance 15 %: 1 is avoided (P0 >= 0.85), 3 is bet on (P0 <= 0.15);
    // draw 5 (3 4) has no 1 and has 3: both lists wholly right.
    analysis.SetTolerance(15);
    EXPECT_EQ(analysis.RowFill(1), Fill::Avoid);
    EXPECT_EQ(analysis.RowFill(2), Fill::Plain);
    EXPECT_EQ(analysis.RowFill(3), Fill::Bet);
    Analysis::Result result = analysis.Analyse(steps);
    EXPECT_EQ(result.NotBet.Numbers, std::vector<int32_t>{1});
    EXPECT_EQ(result.Bet.Numbers, std::vector<int32_t>{3});
    EXPECT_EQ(result.ScoredDraw, 5);
    EXPECT_EQ(result.NotBet.Correct * 10 + result.NotBet.Incorrect, 10);
    EXPECT_EQ(result.Bet.Correct * 10 + result.Bet.Incorrect, 10);

    // Tolerance 40 %: avoid 1 and 2 (both absent from draw 5: right), bet on
    // 3, 4, 5 (5 is absent: one wrong). A random list of 3 holds on average
    // 3 x 2 / 5 = 1.2 of draw 5's numbers and at least 2 of them with
    // C(2,2) C(3,1) / C(5,3) = 3 / 10; a random list of 2 misses on average
    // 2 x 3 / 5 = 1.2 of them, both with C(3,2) / C(5,2) = 3 / 10.
    analysis.SetTolerance(40);
    result = analysis.Analyse(steps);
    EXPECT_EQ(result.NotBet.Numbers, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(result.Bet.Numbers, (std::vector<int32_t>{3, 4, 5}));
    EXPECT_EQ(result.Bet.Correct, 2);
    EXPECT_EQ(result.Bet.Incorrect, 1);
    EXPECT_NEAR(static_cast<double>(result.Bet.ChanceMean), 1.2, 1e-15);
    EXPECT_NEAR(static_cast<double>(result.Bet.ChanceAtLeast), 0.3, 1e-15);
    EXPECT_NEAR(static_cast<double>(result.NotBet.ChanceMean), 1.2, 1e-15);
    EXPECT_NEAR(static_cast<double>(result.NotBet.ChanceAtLeast), 0.3, 1e-15);
    EXPECT_EQ(analysis.MemoLines(result),
              (std::vector<std::string>{
                  "NÃO APOSTAR EM:", "1", "2", "Acertividade (sorteio 6):", "Corretos = 2 (100,00%)",
                  "Incorretos = 0 (0,00%)", "Ao acaso = 1,20 corretos em média; P(corretos >= 2) = 30,00%",
                  "APOSTAR EM:", "3", "4", "5", "Acertividade (sorteio 6):", "Corretos = 2 (66,67%)",
                  "Incorretos = 1 (33,33%)", "Ao acaso = 1,20 corretos em média; P(corretos >= 2) = 30,00%",
                  "FIM DA ANÁLISE"}));

    // Nothing ignored: no draw to score, no "Acertividade" lines.
    const Analysis::Steps newest = Analysis::WindowSteps(lottery.DrawCount, 2, 0);
    analysis.Calculate(newest, false);
    EXPECT_EQ(analysis.run, (std::vector<int32_t>{0, -1, -1, 1, 1, -2}));
    result = analysis.Analyse(newest);
    EXPECT_EQ(result.ScoredDraw, -1);
    for (const std::string& line : analysis.MemoLines(result))
        EXPECT_EQ(line.find("Acertividade"), std::string::npos);
}

TEST_F(PositionalBayesTest, WalkStopsAtDrawZeroAndANeverDrawnBallRunsThroughTheStretch) {
    // A 6/2 game in which 4 is never drawn (a = 1/3, b = 2/3).
    TLottery lottery(folder.Write("g.csv", "Concurso;Bola1;Bola2\n1;1;6\n2;2;5\n3;3;6\n4;1;5\n"));
    ASSERT_EQ(lottery.Elements(), 6);
    Analysis analysis(lottery);
    analysis.Load();
    // S = 4, nothing ignored: first = 3 - 4 - 1 = -2, the walk ends at draw 0.
    const Analysis::Steps whole = Analysis::WindowSteps(4, 4, 0);
    ASSERT_LT(whole.first, 0);
    analysis.Calculate(whole, false);
    EXPECT_EQ(analysis.run[4], -4); // all of draws 0..3, no more
    EXPECT_NEAR(analysis.P[0][4], std::pow(2.0 / 3, 5), 1e-15);
    EXPECT_NEAR(Sum(analysis, 4), 1, 1e-15);
    EXPECT_EQ(analysis.RunOf(4, 3, -1000000), -4);
    // The stretch reaching exactly draw 0 gives the same, and a shorter one
    // caps the run at S + 2.
    analysis.Calculate(Analysis::WindowSteps(4, 2, 0), false);
    EXPECT_EQ(analysis.run[4], -4);
    analysis.Calculate(Analysis::WindowSteps(4, 1, 0), false);
    EXPECT_EQ(analysis.run[4], -3);
    EXPECT_EQ(analysis.run[1], 1);
    EXPECT_EQ(analysis.run[6], -1);
    // Outside the history there is nothing to walk.
    EXPECT_EQ(analysis.RunOf(4, -1, -5), 0);
    EXPECT_EQ(analysis.RunOf(4, 4, 0), 0);
    EXPECT_FALSE(analysis.Present(0, 0));
    EXPECT_FALSE(analysis.Present(7, 0));
    EXPECT_FALSE(analysis.Present(1, -1));
    EXPECT_TRUE(analysis.Present(1, 3));
    // Every draw ignored: the probabilities stay at the theory.
    analysis.Calculate(Analysis::WindowSteps(4, 10, 4), false);
    EXPECT_EQ(analysis.run, std::vector<int32_t>(7, 0));
    EXPECT_NEAR(analysis.P[0][4], 2.0 / 3, 1e-15);
    EXPECT_TRUE(analysis.Bars(0).empty());
    EXPECT_TRUE(analysis.Bars(7).empty());
    EXPECT_EQ(analysis.RowFill(0), Fill::Plain);
}

TEST_F(PositionalBayesTest, ZeroBasedGameReadsBallNMinusOne) {
    // Balls 0..3: numbers 1..4.
    //   draw 0: 0 2   draw 1: 1 3   draw 2: 0 3
    TLottery lottery(folder.Write("z.csv", "Concurso;Bola1;Bola2\n1;0;2\n2;1;3\n3;3;0\n"));
    ASSERT_TRUE(lottery.ZeroBased);
    ASSERT_EQ(lottery.Elements(), 4);
    Analysis analysis(lottery);
    analysis.Load();
    EXPECT_EQ(analysis.Label(1), 0);
    EXPECT_EQ(analysis.Label(4), 3);
    EXPECT_EQ(analysis.RowTexts(4).front(), "3");
    analysis.Calculate(Analysis::WindowSteps(3, 10, 0), false);
    EXPECT_EQ(analysis.run, (std::vector<int32_t>{0, 1, -1, -2, 2}));
    // One ignored: draw 2 (balls 0 and 3, numbers 1 and 4) scores the lists.
    const Analysis::Steps steps = Analysis::WindowSteps(3, 10, 1);
    analysis.Calculate(steps, false);
    EXPECT_EQ(analysis.run, (std::vector<int32_t>{0, -1, 1, -1, 1}));
    analysis.SetTolerance(45);
    const Analysis::Result result = analysis.Analyse(steps);
    // a = 1/2: present once, not drawn 1 - 1/4; absent once, 1/4.
    EXPECT_EQ(result.NotBet.Numbers, (std::vector<int32_t>{2, 4}));
    EXPECT_EQ(result.Bet.Numbers, (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(result.NotBet.Correct, 1); // 2 (ball 1) absent, 4 (ball 3) present
    EXPECT_EQ(result.Bet.Correct, 1);    // 1 (ball 0) present, 3 (ball 2) absent
    EXPECT_EQ(result.ScoredDraw, 2);
}

TEST_F(PositionalBayesTest, TheoryOnlyOnARealHistoryListsEveryNumberWhenKOverNIsTheTolerance) {
    TLottery lottery(DataDir + "/megasena.csv");
    ASSERT_EQ(lottery.Elements(), 60);
    Analysis analysis(lottery);
    analysis.Load();
    analysis.SetTolerance(10);
    const Analysis::Steps steps = Analysis::WindowSteps(lottery.DrawCount, 20, 1);
    analysis.Calculate(steps, true);
    for (int n = 1; n <= 60; ++n) {
        EXPECT_NEAR(analysis.P[0][static_cast<size_t>(n)], 0.9, 1e-14);
        EXPECT_EQ(analysis.run[static_cast<size_t>(n)], 0);
    }
    Analysis::Result result = analysis.Analyse(steps);
    EXPECT_EQ(result.NotBet.Numbers.size(), 60u); // 6 / 60 = 0.1: on the tolerance
    EXPECT_TRUE(result.Bet.Numbers.empty());
    EXPECT_EQ(result.NotBet.Correct, 54);
    EXPECT_EQ(result.NotBet.Incorrect, 6);
    EXPECT_NEAR(static_cast<double>(result.NotBet.ChanceMean), 54, 1e-12);
    EXPECT_NEAR(static_cast<double>(result.NotBet.ChanceAtLeast), 1, 1e-12);

    // With the history: every number of the newest analysed draw is avoided
    // (1 - 0.1^(r + 1) >= 0.99), and P sums to 1 for every number.
    analysis.Calculate(steps, false);
    result = analysis.Analyse(steps);
    for (int n = 1; n <= 60; ++n) {
        EXPECT_NEAR(Sum(analysis, n), 1, 1e-12) << n;
        EXPECT_EQ(analysis.RowFill(n) == Fill::Avoid, analysis.Present(n, steps.last)) << n;
        const int32_t r = analysis.run[static_cast<size_t>(n)];
        EXPECT_GE(std::abs(r), 1);
        EXPECT_LE(std::abs(r), 22); // S + 2
    }
    EXPECT_EQ(result.NotBet.Numbers.size(), 6u);
}

TEST_F(PositionalBayesTest, HypergeometricFiguresByHand) {
    // 10 numbers, 3 drawn, a list of 4: mean 4 x 3 / 10; at least 2 hits:
    // (C(3,2) C(7,2) + C(3,3) C(7,1)) / C(10,4) = (63 + 7) / 210.
    EXPECT_NEAR(static_cast<double>(Analysis::HypergeometricMean(10, 3, 4)), 1.2, 1e-15);
    EXPECT_NEAR(static_cast<double>(Analysis::HypergeometricAtLeast(10, 3, 4, 2)), 1.0 / 3, 1e-15);
    EXPECT_NEAR(static_cast<double>(Analysis::HypergeometricAtLeast(10, 3, 4, 3)), 7.0 / 210, 1e-15);
    EXPECT_EQ(Analysis::HypergeometricAtLeast(10, 3, 4, 4), 0);
    EXPECT_EQ(Analysis::HypergeometricAtLeast(10, 3, 4, 0), 1);
    // A list of 8 must hold at least one of the 3: (C(7,8) = 0) no miss-all.
    EXPECT_NEAR(static_cast<double>(Analysis::HypergeometricAtLeast(10, 3, 8, 1)), 1, 1e-15);
    // A large game does not overflow: 1000 numbers, 500 drawn, a list of 500.
    EXPECT_NEAR(static_cast<double>(Analysis::HypergeometricAtLeast(1000, 500, 500, 0)), 1, 1e-15);
    EXPECT_NEAR(static_cast<double>(Analysis::HypergeometricAtLeast(1000, 500, 500, 250)), 0.5, 0.05);
    EXPECT_EQ(Analysis::HypergeometricMean(0, 0, 0), 0);
    EXPECT_EQ(Analysis::HypergeometricAtLeast(5, 2, 0, 1), 0);
}

} // namespace
