// The bayesian analysis on a sample worked by hand, on a zero-based file and
// on a real history; the best-combination report against a literal scan.
#include "TBayesAnalysis.h"
#include "NumberText.h"
#include "TCSN.h"
#include "TLottery.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using Node = TBayesAnalysis::TNode;

// A 6/3 game, oldest first: {1,2,3} {1,2,4} {1,3,5} {2,3,4}. Number 6 is
// never drawn. Over all four draws: P(1) = P(2) = P(3) = 0.75, P(4) = 0.5,
// P(5) = 0.25; pairs (1,2) (1,3) (2,3) (2,4) in two draws, (1,4) (1,5) (3,4)
// (3,5) in one, (2,5) (4,5) in none.
TSearchGame HandGame() {
    return TSearchGame{6, 3, 1, {{1, 2, 3}, {1, 2, 4}, {1, 3, 5}, {2, 3, 4}}};
}

class TBayesAnalysisTest : public ::testing::Test {
protected:
    void SetUp() override { NumberText::SetDecimalSeparator(','); }
    void TearDown() override { NumberText::SetDecimalSeparator('.'); }
};

TEST_F(TBayesAnalysisTest, MarksAndConditionProbabilities) {
    TBayesAnalysis bayes(HandGame());
    bayes.Load(4);
    EXPECT_EQ(bayes.Denominator(), 4);
    // j = 1 is the newest draw {2,3,4}, j = 4 the oldest {1,2,3}.
    EXPECT_TRUE(bayes.Mark(4, 1));
    EXPECT_FALSE(bayes.Mark(1, 1));
    EXPECT_TRUE(bayes.Mark(1, 4));
    EXPECT_FALSE(bayes.Mark(5, 4));
    EXPECT_FALSE(bayes.Mark(1, 5));
    EXPECT_FALSE(bayes.Mark(7, 1));

    EXPECT_DOUBLE_EQ(bayes.ConditionProbability(), 1.0);
    bayes.Required[1] = bayes.Required[2] = true;
    EXPECT_DOUBLE_EQ(bayes.ConditionProbability(), 0.5);
    bayes.Excluded[3] = true;
    EXPECT_EQ(bayes.ConditionCount(), 1); // {1,2,4}
    EXPECT_DOUBLE_EQ(bayes.ConditionProbability(), 0.25);
    bayes.Required[6] = true;
    EXPECT_DOUBLE_EQ(bayes.ConditionProbability(), 0.0);

    // A load clears the conditions; a sample of two keeps the newest draws.
    bayes.Load(2);
    EXPECT_FALSE(bayes.Required[6]);
    EXPECT_FALSE(bayes.Excluded[3]);
    bayes.Required[5] = true;
    EXPECT_DOUBLE_EQ(bayes.ConditionProbability(), 0.5);
    // No sample: every probability is 0, even with no condition.
    bayes.Load(0);
    EXPECT_DOUBLE_EQ(bayes.ConditionProbability(), 0.0);
}

TEST_F(TBayesAnalysisTest, JointAndConditionalTables) {
    TBayesAnalysis bayes(HandGame());
    bayes.Load(4);
    const TBayesAnalysis::Grid joint = bayes.Table(TBayesAnalysis::TTable::Joint);
    ASSERT_EQ(joint.size(), 8u);
    EXPECT_EQ(joint[0], std::vector<std::string>({"P(A, B)", "1", "2", "3", "4", "5", "6", "P(A)"}));
    EXPECT_EQ(joint[1], std::vector<std::string>(
                            {"1", "0,7500", "0,5000", "0,5000", "0,2500", "0,2500", "0,0000", "0,7500"}));
    EXPECT_EQ(joint[5], std::vector<std::string>(
                            {"5", "0,2500", "0,0000", "0,2500", "0,0000", "0,2500", "0,0000", "0,2500"}));
    EXPECT_EQ(joint[7], std::vector<std::string>(
                            {"P(B)", "0,7500", "0,7500", "0,7500", "0,5000", "0,2500", "0,0000", "1"}));
    for (size_t r = 1; r <= 6; ++r) {
        // Symmetric, with P(A) on the diagonal; the never-drawn 6 is zeros.
        for (size_t c = 1; c <= 6; ++c) EXPECT_EQ(joint[r][c], joint[c][r]) << r << "," << c;
        EXPECT_EQ(joint[r][r], joint[r][7]);
        EXPECT_EQ(joint[r][6], "0,0000");
        EXPECT_EQ(joint[6][r], "0,0000");
    }

    const TBayesAnalysis::Grid conditional = bayes.Table(TBayesAnalysis::TTable::Conditional);
    EXPECT_EQ(conditional[0][0], "P(A | B)");
    EXPECT_EQ(conditional[7][7], "1");
    // Row A, column B: P(A, B) / P(B).
    EXPECT_EQ(conditional[1][4], "0,5000");
    EXPECT_EQ(conditional[4][1], "0,3333");
    EXPECT_EQ(conditional[2][5], "0,0000");
    EXPECT_EQ(conditional[3][5], "1,0000");
    EXPECT_EQ(conditional[1][7], "0,7500");
    // The same tables as numbers: row A - 1, column B - 1.
    const TBayesAnalysis::TProbabilities pairs = bayes.Probabilities(TBayesAnalysis::TTable::Joint);
    EXPECT_EQ(pairs.Margins, (std::vector<double>{0.75, 0.75, 0.75, 0.5, 0.25, 0}));
    EXPECT_EQ(pairs.Body[0], (std::vector<double>{0.75, 0.5, 0.5, 0.25, 0.25, 0}));
    const TBayesAnalysis::TProbabilities given = bayes.Probabilities(TBayesAnalysis::TTable::Conditional);
    EXPECT_EQ(given.Body[3][0], 0.25 / 0.75);
    EXPECT_EQ(given.Body[0][3], 0.5);
    EXPECT_EQ(given.Body[5][5], 0);
    EXPECT_EQ(given.Margins, pairs.Margins);
    for (size_t v = 1; v <= 6; ++v) {
        EXPECT_EQ(conditional[v][v], v == 6 ? "0,0000" : "1,0000") << v;
        EXPECT_EQ(conditional[v][6], "0,0000");
        EXPECT_EQ(conditional[6][v], "0,0000");
    }
}

TEST_F(TBayesAnalysisTest, TreeOfAllDrawsAndOfOneNumber) {
    TBayesAnalysis bayes(HandGame());
    bayes.Load(4);
    // 1, 2 and 3 are in three draws each: 1 is split first. Under it 2 (in
    // two of its three draws) before 3, and so on until a number is certain
    // or no draw is left.
    const Node all = bayes.Tree(6);
    EXPECT_EQ(all.Text, "P(*)");
    EXPECT_EQ(TBayesAnalysis::Outline(all), "+P(*)\r\n"
                                            "+-P(1|*) = 0,7500\r\n"
                                            "+--P(2|1,*) = 0,6667\r\n"
                                            "+---P(3|2,1,*) = 0,5000\r\n"
                                            "+---P(¬3|2,1,*) = 0,5000\r\n"
                                            "+----P(4|¬3,2,1,*) = 1,0000\r\n"
                                            "+--P(¬2|1,*) = 0,3333\r\n"
                                            "+---P(3|¬2,1,*) = 1,0000\r\n"
                                            "+-P(¬1|*) = 0,2500\r\n"
                                            "+--P(2|¬1,*) = 1,0000\r\n");
    // Any item past the numbers is "Todas as dezenas".
    EXPECT_EQ(TBayesAnalysis::Outline(bayes.Tree(9)), TBayesAnalysis::Outline(all));

    // 4 is in {1,2,4} and {2,3,4}: 2 comes with it every time.
    EXPECT_EQ(TBayesAnalysis::Outline(bayes.Tree(3)), "+P(4) = 0,5000\r\n+-P(2|4) = 1,0000\r\n");
    // A negative item is the first number.
    EXPECT_EQ(bayes.Tree(-1).Text, "P(1) = 0,7500");
    EXPECT_EQ(bayes.Tree(0).Children.front().Text, "P(2|1) = 0,6667");
    // The never-drawn 6 has no draw to split.
    const Node six = bayes.Tree(5);
    EXPECT_EQ(six.Text, "P(6) = 0,0000");
    EXPECT_TRUE(six.Children.empty());
    const std::string outline = TBayesAnalysis::Outline(all);
    EXPECT_EQ(outline.find("6|"), std::string::npos);
    EXPECT_EQ(outline.find("¬6"), std::string::npos);

    // No sample: the root alone.
    bayes.Load(0);
    EXPECT_EQ(TBayesAnalysis::Outline(bayes.Tree(6)), "+P(*)\r\n");
}

TEST_F(TBayesAnalysisTest, ZeroBasedFileNumbersBallsFromOne) {
    // The same four draws written from ball 0, after an older draw that
    // holds ball 5 (number 6) so the game has six numbers.
    const TempFolder folder;
    const std::string path = folder.Write("zero.csv", "Concurso;Bola1;Bola2;Bola3\n"
                                                      "1;3;4;5\n2;0;1;2\n3;0;1;3\n4;0;2;4\n5;1;2;3\n");
    const TLottery lottery(path);
    ASSERT_TRUE(lottery.ZeroBased);
    TBayesAnalysis bayes(lottery);
    ASSERT_EQ(bayes.N(), 6);
    bayes.Load(4);
    TBayesAnalysis hand(HandGame());
    hand.Load(4);
    EXPECT_EQ(bayes.Table(TBayesAnalysis::TTable::Joint), hand.Table(TBayesAnalysis::TTable::Joint));
    EXPECT_EQ(TBayesAnalysis::Outline(bayes.Tree(6)), TBayesAnalysis::Outline(hand.Tree(6)));
    EXPECT_TRUE(bayes.Mark(1, 4)); // ball 0 of the fourth-newest draw
    // The whole history: the oldest draw brings 4, 5 and 6.
    bayes.Load(100);
    EXPECT_EQ(bayes.SampleSize(), 5);
    EXPECT_EQ(bayes.Table(TBayesAnalysis::TTable::Joint)[6][7], "0,2000");
}

TEST_F(TBayesAnalysisTest, RealHistoryInvariants) {
    const TLottery lottery(std::string(TOVISCA_DATA_DIR) + "/megasena.csv");
    TBayesAnalysis bayes(lottery);
    bayes.Load(40);
    const int32_t n = bayes.N();
    const auto size = static_cast<size_t>(n) + 2;
    const TBayesAnalysis::Grid joint = bayes.Table(TBayesAnalysis::TTable::Joint);
    const TBayesAnalysis::Grid conditional = bayes.Table(TBayesAnalysis::TTable::Conditional);
    int32_t most = 0, mostCount = 0;
    for (int32_t v = 1; v <= n; ++v) {
        const auto r = static_cast<size_t>(v);
        int32_t count = 0;
        for (int32_t j = 1; j <= 40; ++j) count += bayes.Mark(v, j) ? 1 : 0;
        if (count > mostCount) most = v, mostCount = count;
        EXPECT_EQ(joint[r][r], joint[r][size - 1]);
        EXPECT_EQ(joint[size - 1][r], joint[r][size - 1]);
        EXPECT_EQ(conditional[r][r], count > 0 ? "1,0000" : "0,0000");
        EXPECT_EQ(joint[r][size - 1], TBayesAnalysis::ProbabilityText(count / 40.0));
        for (size_t c = 1; c <= static_cast<size_t>(n); ++c) EXPECT_EQ(joint[r][c], joint[c][r]);
    }
    const Node all = bayes.Tree(n);
    ASSERT_FALSE(all.Children.empty());
    EXPECT_EQ(all.Children.front().Text,
              "P(" + std::to_string(most) + "|*) = " + TBayesAnalysis::ProbabilityText(mostCount / 40.0));
    // Presence and absence children of one split add up to the whole.
    ASSERT_EQ(all.Children.size(), 2u);
    EXPECT_EQ(all.Children[1].Text, "P(¬" + std::to_string(most) +
                                        "|*) = " + TBayesAnalysis::ProbabilityText(1.0 - mostCount / 40.0));
}

// Best records by a literal scan of every CSN: strictly more draws with
// exactly h hits, so ties keep the lower CSN.
std::vector<std::string> LiteralReport(const TSearchGame& game, int32_t S) {
    const int32_t k = game.PerCombination;
    TCSN converter(game.Elements, k);
    std::vector<int32_t> best(static_cast<size_t>(k) + 1, 0), csn(static_cast<size_t>(k) + 1, 0);
    const auto total = static_cast<int32_t>(TCSN::Binomial(game.Elements, k));
    const auto D = static_cast<int32_t>(game.Draws.size());
    for (int32_t c = 1; c <= total; ++c) {
        converter.CSNToCombination(c);
        std::vector<int32_t> wins(static_cast<size_t>(k) + 1, 0);
        for (int32_t j = 1; j <= S; ++j) {
            int32_t h = 0;
            for (int32_t i = 1; i <= k; ++i)
                for (const int32_t b : game.Draws[static_cast<size_t>(D - j)])
                    h += b == converter.Combination[static_cast<size_t>(i)] ? 1 : 0;
            ++wins[static_cast<size_t>(h)];
        }
        for (size_t h = 0; h < wins.size(); ++h)
            if (wins[h] > best[h]) best[h] = wins[h], csn[h] = c;
    }
    std::vector<std::string> lines = {"Posição (Vitórias):\tCSN"};
    for (size_t h = 0; h < best.size(); ++h)
        if (best[h] > 0)
            lines.push_back(std::to_string(h) + " (" + std::to_string(best[h]) + "):\t" +
                            std::to_string(csn[h]));
    return lines;
}

TEST_F(TBayesAnalysisTest, BestCombinationReport) {
    const TBayesAnalysis bayes(HandGame());
    const TSearchResult result = bayes.Search().Run(bayes.BestOptions(4));
    // No three numbers miss two of the draws: h = 0 is reached once, first
    // by {1,5,6} (CSN 10), which misses {2,3,4}; each draw is itself a
    // combination, {1,2,3} (CSN 1) the first.
    const std::vector<std::string> report = TBayesAnalysis::BestReport(result);
    EXPECT_EQ(report, LiteralReport(HandGame(), 4));
    EXPECT_EQ(report.front(), "Posição (Vitórias):\tCSN");
    EXPECT_EQ(report[1], "0 (1):\t10");
    EXPECT_EQ(report.back(), "3 (1):\t1");

    // A hit count no combination reaches is left out: two equal draws of a
    // 4/3 game leave no combination with 0 hits.
    const TBayesAnalysis small(TSearchGame{4, 3, 1, {{1, 2, 3}, {1, 2, 3}}});
    const std::vector<std::string> lines =
        TBayesAnalysis::BestReport(small.Search().Run(small.BestOptions(2)));
    EXPECT_EQ(lines, std::vector<std::string>({"Posição (Vitórias):\tCSN", "2 (2):\t2", "3 (2):\t1"}));
    EXPECT_EQ(lines, LiteralReport(TSearchGame{4, 3, 1, {{1, 2, 3}, {1, 2, 3}}}, 2));

    // A larger seeded game against the literal scan.
    TSearchGame game{12, 4, 1, {}};
    std::mt19937 random(5);
    for (int32_t d = 0; d < 30; ++d) {
        std::vector<int32_t> balls = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
        std::shuffle(balls.begin(), balls.end(), random);
        balls.resize(4);
        game.Draws.push_back(balls);
    }
    const TBayesAnalysis big(game);
    EXPECT_EQ(TBayesAnalysis::BestReport(big.Search().Run(big.BestOptions(20))), LiteralReport(game, 20));

    EXPECT_EQ(bayes.BestCheck(bayes.BestOptions(4)), "");
    // 100/50 holds about 1e29 combinations: refused, with no option to offer.
    const TBayesAnalysis huge(TSearchGame{100, 50, 1, {std::vector<int32_t>(50, 1)}});
    EXPECT_EQ(
        huge.BestCheck(huge.BestOptions(10)),
        "o universo completo tem 100891344545564193334812497256 combinações, além do que a busca percorre");

    EXPECT_EQ(TBayesAnalysis::ProgressText(1, 4), "25,00%");
    EXPECT_EQ(TBayesAnalysis::ProgressText(0, 0), "0,00%");
}

} // namespace
