// The calculator's conversion and test panels as plain classes.
#include "NumberText.h"
#include "TCSNConversion.h"
#include "TLottery.h"
#include "TTestBase.h"

#include "TempFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

class CalculatorPanelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        NumberText::SetDecimalSeparator(',');
        NumberText::SetThousandSeparator('.');
    }
};

TCSNConversion SixtySix() {
    TCSNConversion conversion;
    std::string n = "60";
    std::string k = "6";
    EXPECT_TRUE(conversion.Build(n, k));
    return conversion;
}

// n = 10, k = 3; the newest draw is {1, 3, 10}.
const char* const SmallHistory = "Concurso;Bola1;Bola2;Bola3\n"
                                 "1;1;2;3\n"
                                 "2;4;5;6\n"
                                 "3;1;2;7\n"
                                 "4;1;5;8\n"
                                 "5;2;3;9\n"
                                 "6;10;3;1\n";

} // namespace

TEST_F(CalculatorPanelsTest, FractionsAndTextsThatAreNotNumbers) {
    TCSNConversion conversion = SixtySix();
    // A fraction names the combination of the next CSN; below 1 is 1.
    std::string csn = "2,5";
    EXPECT_EQ(conversion.CSNToBalls(csn), (std::vector<int32_t>{1, 2, 3, 4, 5, 8}));
    EXPECT_EQ(csn, "2,5");
    csn = "-7";
    conversion.CSNToBalls(csn);
    EXPECT_EQ(csn, "1");
    csn = "abc";
    EXPECT_EQ(conversion.CSNToBalls(csn), (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(csn, "1");

    // Moves cut toward zero; a negative result becomes 1, zero stays.
    EXPECT_EQ(TCSNConversion::Step("-100", 20, true), "1");
    EXPECT_EQ(TCSNConversion::Step("1", 20, false), "0");
    EXPECT_EQ(TCSNConversion::Step("abc", 20, true), "1");

    Texts balls = {"55", "x", "57", "58", "59", "60"};
    conversion.BallsToCSN(balls);
    EXPECT_EQ(balls[1], "1");
}

TEST_F(CalculatorPanelsTest, AbsurdSizesAreRefusedKeepingTheConverter) {
    TCSNConversion conversion;
    std::string csn = "5";
    EXPECT_TRUE(conversion.CSNToBalls(csn).empty()) << "nothing to convert with before the first build";
    Texts none;
    EXPECT_EQ(conversion.BallsToCSN(none), 0);

    conversion = SixtySix();
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"6", "60"}, {"5000000", "6"}, {"-1", "0"}, {"60", "-1"}, {"1000", "500"}, {"1002", "2"}};
    for (auto [n, k] : refused) {
        EXPECT_FALSE(conversion.Build(n, k)) << n << "/" << k;
        EXPECT_EQ(conversion.Elements(), 60);
        EXPECT_EQ(conversion.PerCombination(), 6);
    }
    // Texts that are not integers make both sizes 1.
    std::string n = "sessenta";
    std::string k = "6";
    EXPECT_TRUE(conversion.Build(n, k));
    EXPECT_EQ(n, "1");
    EXPECT_EQ(k, "1");
    EXPECT_EQ(conversion.Total(), 1);
    n = "100";
    k = "20";
    EXPECT_TRUE(conversion.Build(n, k));
    n = "0";
    k = "0";
    EXPECT_TRUE(conversion.Build(n, k));
}

TEST_F(CalculatorPanelsTest, EditingABallSwapsDuplicates) {
    Texts balls;
    std::string remembered;
    for (const std::string typed : {"", "  "}) {
        balls = {"1", "2", "3", "4", "5", "6"};
        remembered = "3";
        balls[2] = typed;
        TCSNConversion::CommitBallEdit(balls, 2, remembered, 60);
        EXPECT_EQ(balls, (Texts{"1", "2", "60", "4", "5", "6"})) << "typed '" << typed << "'";
    }
    // Not an integer counts as 1, which swaps with the cell holding 1.
    balls = {"1", "2", "3"};
    remembered = "3";
    balls[2] = "x";
    TCSNConversion::CommitBallEdit(balls, 2, remembered, 60);
    EXPECT_EQ(balls, (Texts{"3", "2", "1"}));
    // A retyped value with blanks is rewritten plainly.
    balls = {"1", "2", " 7"};
    remembered = "3";
    TCSNConversion::CommitBallEdit(balls, 2, remembered, 60);
    EXPECT_EQ(balls, (Texts{"1", "2", "7"}));
}

TEST_F(CalculatorPanelsTest, RankingInputAndMemoLines) {
    double csn = -1;
    double fraction = -1;
    TCSNConversion::RankingInput("1000", "5", csn, fraction);
    EXPECT_EQ(csn, 1000);
    EXPECT_EQ(fraction, 0.05);
    TCSNConversion::RankingInput("abc", "5", csn, fraction);
    EXPECT_EQ(csn, 0);
    EXPECT_EQ(fraction, 0.1);
    TCSNConversion::RankingInput("1000", "", csn, fraction);
    EXPECT_EQ(csn, 0);
    EXPECT_EQ(fraction, 0.1);

    // Every combination of a 4/2 game: each ball in half of them. The band
    // from 0 to 6 is cut at 1, which the last line says.
    TCSNRanking ranking(TCSN(4, 2), 3, 0.5);
    ranking.Run();
    EXPECT_EQ(TCSNConversion::RankingLines(ranking),
              (Texts{"Bola\tVotos", "1\t50,00 %", "2\t50,00 %", "3\t50,00 %", "4\t50,00 %",
                     "Faixa limitada aos CSNs de 1 a 6 (6 combinações)."}));

    // A whole band: only the ranking, shares of 2D.
    TCSNRanking whole(TCSN(3, 2), 2.25, 0.25);
    whole.Run();
    EXPECT_EQ(TCSNConversion::RankingLines(whole),
              (Texts{"Bola\tVotos", "3\t133,33 %", "2\t66,67 %", "1\t66,67 %"}));
}

TEST_F(CalculatorPanelsTest, TestBaseAddRemoveAndPaste) {
    TTestBase base;
    ASSERT_EQ(base.Rows.size(), 1u);
    EXPECT_EQ(base.Add("5"), 0u) << "an empty base fills row 1";
    EXPECT_EQ(base.Rows[0].Number, "1");
    EXPECT_EQ(base.Rows[0].CSN, "5");
    EXPECT_EQ(base.Add("abc"), 1u);
    EXPECT_EQ(base.Rows[1].Number, "2");
    EXPECT_EQ(base.Rows[1].CSN, "1");
    base.Add("2,5");
    EXPECT_EQ(base.Rows[2].CSN, "2,5");

    // Rows below move up with their numbers.
    EXPECT_TRUE(base.Remove(1));
    ASSERT_EQ(base.Rows.size(), 2u);
    EXPECT_EQ(base.Rows[1].Number, "3");
    EXPECT_FALSE(base.Remove(7));
    EXPECT_TRUE(base.Remove(0));
    EXPECT_TRUE(base.Remove(0)) << "the last row is emptied, not removed";
    ASSERT_EQ(base.Rows.size(), 1u);
    EXPECT_EQ(base.Rows[0].CSN, "");
    EXPECT_FALSE(base.Remove(0));

    EXPECT_EQ(base.Paste("10\r\n20\r\n"), 1u);
    ASSERT_EQ(base.Rows.size(), 2u);
    EXPECT_EQ(base.Rows[1].CSN, "20");
    base.Paste("a1b2;;3\t4 5");
    ASSERT_EQ(base.Rows.size(), 4u);
    EXPECT_EQ(base.Rows[0].CSN, "12");
    EXPECT_EQ(base.Rows[1].CSN, "");
    EXPECT_EQ(base.Rows[3].CSN, "45");
    base.Paste("");
    ASSERT_EQ(base.Rows.size(), 1u);
    EXPECT_EQ(base.Rows[0].Number, "1");
}

TEST_F(CalculatorPanelsTest, VerifyAgainstASmallHistory) {
    TempFolder folder;
    const TLottery lottery(folder.Write("small.csv", SmallHistory));
    ASSERT_TRUE(lottery.Loaded);
    ASSERT_EQ(lottery.Converter->Total, 120);

    TTestBase base;
    base.Paste("1;120;0");
    const std::vector<TTestBase::Point> points = base.Verify(lottery, "1", true, false);
    EXPECT_EQ(base.Rows[0].Combination, "1, 2, 3");
    EXPECT_EQ(base.Rows[0].HitsBase, "3");
    // {1, 3, 10} has 2 of {1, 2, 3}, as has {2, 3, 9}; {1, 5, 8} has 1.
    EXPECT_EQ(base.Rows[0].HitsHistory, "2");
    EXPECT_EQ(base.Rows[0].Repeats, "2");
    EXPECT_EQ(base.Rows[1].Combination, "8, 9, 10");
    EXPECT_EQ(base.Rows[1].HitsBase, "0");
    // 10, 9 and 8 in the last three draws, none in the one before.
    EXPECT_EQ(base.Rows[1].HitsHistory, "1");
    EXPECT_EQ(base.Rows[1].Repeats, "3");
    // CSN 0 names no combination: it is taken as CSN 1.
    EXPECT_EQ(base.Rows[2].Combination, "1, 2, 3");
    EXPECT_EQ(points, (std::vector<TTestBase::Point>{{1, 3}, {2, 0}, {3, 3}}));

    // The candidate's hits over the whole history.
    const std::vector<TTestBase::Point> history = base.Verify(lottery, "1", false, true);
    EXPECT_EQ(history, (std::vector<TTestBase::Point>{{1, 3}, {2, 0}, {3, 2}, {4, 1}, {5, 2}, {6, 2}}));

    // A candidate equal to a row's CSN shares all k balls with it.
    base.Paste("57");
    base.Verify(lottery, "57", true, false);
    EXPECT_EQ(base.Rows[0].HitsBase, "3");

    // Empty rows are left alone.
    base.Paste(";");
    EXPECT_TRUE(base.Verify(lottery, "1", true, false).empty());
}

TEST_F(CalculatorPanelsTest, CandidateSteps) {
    EXPECT_EQ(TTestBase::StepCandidate("5", true, 10), "6");
    EXPECT_EQ(TTestBase::StepCandidate("10", true, 10), "10");
    EXPECT_EQ(TTestBase::StepCandidate("12", true, 10), "12");
    EXPECT_EQ(TTestBase::StepCandidate("1", false, 10), "1");
    EXPECT_EQ(TTestBase::StepCandidate("abc", true, 10), "2");
    EXPECT_EQ(TTestBase::StepCandidate("2,5", false, 10), "1,5");
}
