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
using Balls = std::vector<int32_t>;

class CalculatorPanelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        NumberText::SetDecimalSeparator(',');
        NumberText::SetThousandSeparator('.');
        std::string n = "60", k = "6";
        ASSERT_TRUE(conversion.Build(n, k));
    }
    TCSNConversion conversion;
};

TEST_F(CalculatorPanelsTest, TextsThatAreNotWholeNumbers) {
    // A fraction names the combination of the next CSN; below 1 and words are 1.
    const struct {
        const char* typed;
        const char* kept;
        Balls balls;
    } csns[] = {{"2,5", "2,5", {1, 2, 3, 4, 5, 8}},
                {"-7", "1", {1, 2, 3, 4, 5, 6}},
                {"abc", "1", {1, 2, 3, 4, 5, 6}}};
    for (const auto& c : csns) {
        std::string text = c.typed;
        EXPECT_EQ(conversion.CSNToBalls(text), c.balls) << c.typed;
        EXPECT_EQ(text, c.kept);
    }
    // Moves cut toward zero; a negative result or a word becomes 1, zero stays.
    EXPECT_EQ(TCSNConversion::Step("-100", 20, true), "1");
    EXPECT_EQ(TCSNConversion::Step("1", 20, false), "0");
    EXPECT_EQ(TCSNConversion::Step("abc", 20, true), "1");
    Texts balls = {"55", "x", "57", "58", "59", "60"};
    conversion.BallsToCSN(balls);
    EXPECT_EQ(balls[1], "1");
}

TEST_F(CalculatorPanelsTest, LotomaniaRanksConvertExactly) {
    std::string n = "100", k = "20";
    ASSERT_TRUE(conversion.Build(n, k));
    std::string csn = "535983370403809682969"; // Total - 1, typed in full
    Balls expected{80};
    for (int b = 82; b <= 100; ++b) expected.push_back(b);
    EXPECT_EQ(conversion.CSNToBalls(csn), expected);
    EXPECT_EQ(csn, "5,3598337040381E20");
    csn = "5,3598337040381E20"; // Total as shown, rounded up
    expected.front() = 81;
    EXPECT_EQ(conversion.CSNToBalls(csn), expected);
    Texts balls;
    for (int b = 1; b <= 20; ++b) balls.push_back(std::to_string(b));
    EXPECT_EQ(conversion.BallsToCSN(balls), 1);
    n = "1000", k = "500";
    EXPECT_FALSE(conversion.Build(n, k)) << "no exact CSNs for that game";
}

TEST_F(CalculatorPanelsTest, AbsurdSizesAreRefusedKeepingTheConverter) {
    TCSNConversion unbuilt;
    std::string csn = "5";
    EXPECT_TRUE(unbuilt.CSNToBalls(csn).empty()) << "nothing to convert with before the first build";
    for (auto [n, k] : std::vector<std::pair<std::string, std::string>>{
             {"6", "60"}, {"5000000", "6"}, {"-1", "0"}, {"60", "-1"}, {"1000", "500"}, {"1002", "2"}}) {
        EXPECT_FALSE(conversion.Build(n, k)) << n << "/" << k;
        EXPECT_EQ(conversion.Elements(), 60);
        EXPECT_EQ(conversion.PerCombination(), 6);
    }
    std::string n = "sessenta", k = "6"; // words make both sizes 1
    EXPECT_TRUE(conversion.Build(n, k));
    EXPECT_EQ(n + "/" + k, "1/1");
    EXPECT_EQ(conversion.Total(), 1);
}

TEST_F(CalculatorPanelsTest, EditingABallSwapsDuplicates) {
    // Empty means n, a word means 1: each swaps with the cell that held it; blanks are dropped.
    const struct {
        Texts before;
        const char* typed;
        Texts after;
    } edits[] = {{{"1", "2", "3", "4", "5", "6"}, "", {"1", "2", "60", "4", "5", "6"}},
                 {{"1", "2", "3", "4", "5", "60"}, "  ", {"1", "2", "60", "4", "5", "3"}},
                 {{"1", "2", "3"}, "x", {"3", "2", "1"}},
                 {{"1", "2", "3"}, " 7", {"1", "2", "7"}}};
    for (const auto& e : edits) {
        Texts balls = e.before;
        std::string remembered = balls[2];
        balls[2] = e.typed;
        TCSNConversion::CommitBallEdit(balls, 2, remembered, 60);
        EXPECT_EQ(balls, e.after) << "typed '" << e.typed << "'";
    }
}

TEST_F(CalculatorPanelsTest, RankingInputAndShares) {
    double csn = -1, fraction = -1;
    TCSNConversion::RankingInput("1000", "5", csn, fraction);
    EXPECT_EQ(std::pair(csn, fraction), std::pair(1000.0, 0.05));
    TCSNConversion::RankingInput("abc", "5", csn, fraction);
    EXPECT_EQ(std::pair(csn, fraction), std::pair(0.0, 0.1));
    TCSNConversion::RankingInput("1000", "", csn, fraction);
    EXPECT_EQ(std::pair(csn, fraction), std::pair(0.0, 0.1));

    // Every combination of a 4/2 game: each ball in half of them; the band from 0 to 6 is cut at 1.
    TCSNRanking ranking(TCSN(4, 2), 3, 0.5);
    ranking.Run();
    EXPECT_EQ(TCSNConversion::RankingLines(ranking),
              (Texts{"Bola\tVotos", "1\t50,00 %", "2\t50,00 %", "3\t50,00 %", "4\t50,00 %",
                     "Faixa limitada aos CSNs de 1 a 6 (6 combinações)."}));
    // A whole band of a 3/2 game: only the ranking, shares of 2D.
    TCSNRanking whole(TCSN(3, 2), 2.25, 0.25);
    whole.Run();
    EXPECT_EQ(TCSNConversion::RankingLines(whole),
              (Texts{"Bola\tVotos", "3\t133,33 %", "2\t66,67 %", "1\t66,67 %"}));
}

// The test base as "number:CSN" per row.
Texts Rows(const TTestBase& base) {
    Texts rows;
    for (const TTestBase::Row& row : base.Rows) rows.push_back(row.Number + ":" + row.CSN);
    return rows;
}

TEST_F(CalculatorPanelsTest, TestBaseAddRemoveAndPaste) {
    TTestBase base;
    EXPECT_EQ(base.Add("5"), 0u) << "an empty base fills row 1";
    EXPECT_EQ(base.Add("abc"), 1u);
    base.Add("2,5");
    EXPECT_EQ(Rows(base), (Texts{"1:5", "2:1", "3:2,5"}));
    // Rows below move up with their numbers; the last row is emptied, not removed.
    EXPECT_TRUE(base.Remove(1));
    EXPECT_EQ(Rows(base), (Texts{"1:5", "3:2,5"}));
    EXPECT_FALSE(base.Remove(7));
    EXPECT_TRUE(base.Remove(0) && base.Remove(0));
    ASSERT_EQ(base.Rows.size(), 1u);
    EXPECT_EQ(base.Rows[0].CSN, "");
    EXPECT_FALSE(base.Remove(0));
    // Pasted lines replace the base, digits only.
    EXPECT_EQ(base.Paste("10\r\n20\r\n"), 1u);
    EXPECT_EQ(Rows(base), (Texts{"1:10", "2:20"}));
    base.Paste("a1b2;;3\t4 5");
    EXPECT_EQ(Rows(base), (Texts{"1:12", "2:", "3:3", "4:45"}));
    base.Paste("");
    EXPECT_EQ(Rows(base), Texts{"1:"});
}

TEST_F(CalculatorPanelsTest, VerifyAgainstASmallHistory) {
    // n = 10, k = 3; the newest draw is {1, 3, 10}.
    TempFolder folder;
    const TLottery lottery(folder.Write(
        "small.csv", "Concurso;Bola1;Bola2;Bola3\n1;1;2;3\n2;4;5;6\n3;1;2;7\n4;1;5;8\n5;2;3;9\n6;10;3;1\n"));
    ASSERT_EQ(lottery.Converter->Total, 120);
    TTestBase base;
    base.Paste("1;120;0");
    const auto points = base.Verify(lottery, "1", true, false);
    // {1, 3, 10} has 2 of {1, 2, 3}, as has {2, 3, 9}. 10, 9 and 8 were in the last three draws,
    // none in the one before. CSN 0 names no combination: it is taken as CSN 1.
    const Texts expected[] = {{"1, 2, 3", "3", "2", "2"}, {"8, 9, 10", "0", "1", "3"}, {"1, 2, 3", "3"}};
    for (size_t r = 0; r < 3; ++r) {
        const TTestBase::Row& row = base.Rows[r];
        const Texts got = {row.Combination, row.HitsBase, row.HitsHistory, row.Repeats};
        EXPECT_EQ(Texts(got.begin(), got.begin() + static_cast<long>(expected[r].size())), expected[r]) << r;
    }
    EXPECT_EQ(points, (std::vector<TTestBase::Point>{{1, 3}, {2, 0}, {3, 3}}));
    // The candidate's hits over the whole history.
    EXPECT_EQ(base.Verify(lottery, "1", false, true),
              (std::vector<TTestBase::Point>{{1, 3}, {2, 0}, {3, 2}, {4, 1}, {5, 2}, {6, 2}}));
    base.Paste(";"); // empty rows are left alone
    EXPECT_TRUE(base.Verify(lottery, "1", true, false).empty());

    // "+" and "-" stay within 1..Total; a word counts as 1.
    for (const auto& [typed, up, stepped] : {std::tuple{"5", true, "6"},
                                             {"10", true, "10"},
                                             {"1", false, "1"},
                                             {"abc", true, "2"},
                                             {"2,5", false, "1,5"}})
        EXPECT_EQ(TTestBase::StepCandidate(typed, up, 10), stepped) << typed << up;
}

} // namespace
