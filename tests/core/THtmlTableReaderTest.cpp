// The chunked reading of a published HTML table: the worked rows, the chunk
// boundaries and the rows that are not draws. The real Caixa pages are read
// by the update's own tests.
#include "THtmlTableReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

struct Reading {
    THtmlTableReader::TResult result;
    Lines lines;
    Lines progress;
};

Reading Read(std::string_view page, int contest, int firstBall, int balls, int held = 0) {
    Reading r;
    THtmlTableReader reader(contest, firstBall, balls, held);
    reader.OnLine = [&](std::string_view line) { return r.lines.emplace_back(line), true; };
    reader.OnProgress = [&](const std::string& text) { return r.progress.push_back(text), true; };
    r.result = reader.Read(page);
    return r;
}

std::string Row(const Lines& cells, const std::string& open = "<td>") {
    std::string row = "<tr>\r\n";
    for (const auto& cell : cells) row += open + cell + "</td>\r\n";
    return row + "</tr>\r\n";
}

} // namespace

TEST(THtmlTableReader, WorkedRowWritesContestAndBallsAndCountsWhenNew) {
    const std::string page = "<table><tr><td>1001</td><td>04</td><td>17</td></tr></table>";
    const Reading held1000 = Read(page, 1, 2, 2, 1000);
    ASSERT_TRUE(held1000.result.Ok()) << held1000.result.Error;
    EXPECT_EQ(held1000.lines, Lines{"1001;04;17"});
    EXPECT_EQ(held1000.result.Draws, 1);
    EXPECT_EQ(held1000.result.NewCount, 1);
    EXPECT_EQ(held1000.progress, Lines{"Lendo... concurso 1001"});
    EXPECT_EQ(Read(page, 1, 2, 2, 1001).result.NewCount, 0);
}

TEST(THtmlTableReader, OnlyRowsWithEveryCellAreDraws) {
    struct Case {
        std::string page;
        int contest, firstBall, balls;
        Lines lines;
    };
    const std::string cut(THtmlTableReader::ChunkSize - 2, 'x');
    const std::vector<Case> cases = {
        // Header rows, empty cells and missing cells write nothing.
        {"<table><tr><th>Concurso</th><th>1</th><th>2</th></tr>" + Row({"", "", ""}) + Row({"7", "", "09"}) +
             Row({"", "01", "02"}) + Row({"8", "03"}) + Row({"9", "05", "06"}) + "</table>",
         1,
         2,
         2,
         {"9;05;06"}},
        // Cell texts are kept exactly; the cells around them are ignored.
        {Row({"x", " 12", "01/02/2003", "+7", "08 ", "R$ 1,00"}), 2, 4, 2, {" 12;+7;08 "}},
        // Cells opened with attributes are cells, "<tdx" opens none (so that
        // row's contest would be "x", with one ball: no draw, never converted).
        {Row({"3", "25/03/1996", "36", "30"}, "<td rowspan=\"2\">") +
             "<tr><tdx>4</td><td>x</td><td>11</td><td>12</td></tr>" +
             "<tr><td\r\nclass=\"a\">5</td><td>x</td><td>13</td><td>14</td></tr>",
         1,
         3,
         2,
         {"3;36;30", "5;13;14"}},
        // The contest cell restarts the line: balls before it are dropped.
        {Row({"04", "17", "1001"}), 3, 1, 2, {}},
        // Rows of extra winners (a city and a state) are no draws.
        {Row({"3", "25/03/1996", "36", "30", "10"}, "<td rowspan=\"2\">") +
             "<tr><td>S\xC3O PAULO      </td>\r<td>SP\r</td></tr>\r\n" +
             Row({"4", "01/04/1996", "06", "59", "42"}),
         1,
         3,
         3,
         {"3;36;30;10", "4;06;59;42"}},
        // An end tag without a row start reads from the chunk's start.
        {"<td>5</td><td>1</td><td>2</td></tr>", 1, 2, 2, {"5;1;2"}},
        // "<tr" cut by the first chunk's end is found through the overlap.
        {cut + Row({"5", "1", "2"}), 1, 2, 2, {"5;1;2"}},
        {cut.substr(1) + Row({"5", "1", "2"}), 1, 2, 2, {"5;1;2"}},
        {cut + "x" + Row({"5", "1", "2"}), 1, 2, 2, {"5;1;2"}}};
    for (const Case& c : cases) {
        const Reading r = Read(c.page, c.contest, c.firstBall, c.balls);
        ASSERT_TRUE(r.result.Ok()) << r.result.Error;
        EXPECT_EQ(r.lines, c.lines) << c.page.substr(0, 200);
    }
}

TEST(THtmlTableReader, RowsAcrossChunkBoundariesAreReadWhole) {
    // Rows of different lengths after heads of every length around one chunk,
    // so that "<tr", cells and "</tr>" fall on both sides of the boundaries.
    for (size_t head :
         {0u, 1u, 16370u, 16374u, 16375u, 16377u, 16380u, 16381u, 16383u, 16384u, 16390u, 40000u}) {
        std::string page(head, ' ');
        Lines expected;
        for (int i = 1; i <= 400; ++i) {
            const std::string pad(static_cast<size_t>(i % 37), ' ');
            const std::string contest = std::to_string(i), ball = std::to_string(i % 9),
                              last = std::to_string(i % 60);
            page += "<tr bgcolor=#D9E6F4>" + pad + "<td>" + contest + "</td>" + pad + "<td>0" + ball +
                    "</td><td>" + last + "</td></tr>\r\n";
            expected.push_back(contest + ";0" + ball + ";" + last);
        }
        const Reading r = Read(page, 1, 2, 2, 100);
        ASSERT_TRUE(r.result.Ok()) << "head " << head << ": " << r.result.Error;
        EXPECT_EQ(r.lines, expected) << "head " << head;
        EXPECT_EQ(r.result.NewCount, 300) << "head " << head;
    }
}

TEST(THtmlTableReader, BadValuesAndEndlessRowsStopTheReading) {
    const Reading contest = Read(Row({"1", "01", "02"}) + Row({"abc", "03", "04"}), 1, 2, 2);
    EXPECT_EQ(contest.result.Status, THtmlTableReader::TStatus::InvalidValue);
    EXPECT_EQ(contest.result.Error, "'abc' is not a valid integer value");
    EXPECT_EQ(contest.lines, Lines{"1;01;02"});
    const Reading ball = Read(Row({"1", "01", "<b>02</b>"}), 1, 2, 2);
    EXPECT_EQ(ball.result.Error, "'<b>02</b>' is not a valid integer value");
    EXPECT_TRUE(ball.lines.empty());

    // A row longer than a chunk, or a last row without "</tr>", ends the
    // reading instead of reading the same chunk again.
    const std::string longRow = "<tr><td>1</td><td>2</td><td>3</td>" + std::string(20000, ' ') + "</tr>";
    for (const std::string& tail :
         {longRow + Row({"2", "03", "04"}), std::string("<tr><td>2</td><td>03</td>")}) {
        const Reading r = Read(Row({"1", "01", "02"}) + tail, 1, 2, 2);
        EXPECT_EQ(r.result.Status, THtmlTableReader::TStatus::RowTooLong);
        EXPECT_NE(r.result.Error.find("</tr>"), std::string::npos);
        EXPECT_EQ(r.lines, Lines{"1;01;02"});
    }
}

TEST(THtmlTableReader, ProgressCanStopAndSinkFailureStops) {
    std::string page;
    for (int i = 1; i <= 10; ++i) page += Row({std::to_string(i), "1", "2"});
    THtmlTableReader reader(1, 2, 2, 0);
    int lines = 0;
    reader.OnLine = [&](std::string_view) { return ++lines < 100; };
    Lines texts;
    reader.ProgressEvery = 3;
    reader.OnProgress = [&](const std::string& text) { return texts.push_back(text), texts.size() < 2; };
    EXPECT_EQ(reader.Read(page).Status, THtmlTableReader::TStatus::Stopped);
    EXPECT_EQ(texts, (Lines{"Lendo... concurso 3", "Lendo... concurso 6"}));
    EXPECT_EQ(lines, 6);
    reader.OnProgress = nullptr;
    reader.OnLine = [](std::string_view) { return false; };
    EXPECT_EQ(reader.Read(page).Status, THtmlTableReader::TStatus::SinkFailed);
}

TEST(THtmlTableReader, BallsBeyondWhatAHistoryTakesStopTheReading) {
    // A ball the history refuses (below 0 or above 1000) would make the file
    // written unreadable: the reading stops at its row.
    for (const std::string ball : {"1001", "4488", "-1"}) {
        const Reading r = Read(Row({"7", "3", "9"}) + Row({"8", ball, "2"}) + Row({"9", "1", "2"}), 1, 2, 2);
        EXPECT_EQ(r.result.Status, THtmlTableReader::TStatus::InvalidValue) << ball;
        EXPECT_EQ(r.result.Error, "Bola inválida na tabela recebida (concurso 8): " + ball +
                                      ". As bolas devem ser números de 0 a 1000.");
        EXPECT_EQ(r.lines, Lines{"7;3;9"});
    }
    // The game size of the draws read: the largest ball, plus 1 with a 0.
    EXPECT_EQ(Read(Row({"1", "1000", "+5"}), 1, 2, 2).result.Elements, 1000);
    EXPECT_EQ(Read(Row({"1", "0", "7"}) + Row({"2", "3", "4"}), 1, 2, 2).result.Elements, 8);
    EXPECT_EQ(Read("<tr><th>1</th></tr>", 1, 2, 2).result.Elements, 0);
}
