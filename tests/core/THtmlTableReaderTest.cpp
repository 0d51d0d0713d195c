// The chunked reading of a published HTML table: the worked rows, the chunk
// boundaries, the rows that are not draws, and the two real Caixa layouts.
#include "THtmlTableReader.h"
#include "TZipExtractor.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Reading {
    THtmlTableReader::TResult result;
    std::vector<std::string> lines;
    std::vector<std::string> progress;
};

Reading Read(std::string_view page, int contest, int firstBall, int balls, int held = 0) {
    Reading r;
    THtmlTableReader reader(contest, firstBall, balls, held);
    reader.OnLine = [&](std::string_view line) {
        r.lines.emplace_back(line);
        return true;
    };
    reader.OnProgress = [&](const std::string& text) {
        r.progress.push_back(text);
        return true;
    };
    r.result = reader.Read(page);
    return r;
}

std::string Row(const std::vector<std::string>& cells, const std::string& open = "<td>") {
    std::string row = "<tr>\r\n";
    for (const auto& cell : cells) row += open + cell + "</td>\r\n";
    return row + "</tr>\r\n";
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Draw lines of a game data file as integers, header skipped.
std::vector<std::vector<int>> History(const std::string& path) {
    std::istringstream in(ReadFile(path));
    std::vector<std::vector<int>> draws;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::vector<int> fields;
        std::istringstream fieldsIn(line);
        std::string field;
        while (std::getline(fieldsIn, field, ';')) fields.push_back(std::stoi(field));
        draws.push_back(fields);
    }
    return draws;
}

std::vector<int> Fields(const std::string& line) {
    std::vector<int> fields;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, ';')) fields.push_back(std::stoi(field));
    return fields;
}

} // namespace

TEST(THtmlTableReader, WorkedRowWritesContestAndBallsAndCountsWhenNew) {
    const std::string page = "<table><tr><td>1001</td><td>04</td><td>17</td></tr></table>";
    const Reading held1000 = Read(page, 1, 2, 2, 1000);
    ASSERT_TRUE(held1000.result.Ok()) << held1000.result.Error;
    ASSERT_EQ(held1000.lines, std::vector<std::string>{"1001;04;17"});
    EXPECT_EQ(held1000.result.Draws, 1);
    EXPECT_EQ(held1000.result.NewCount, 1);
    EXPECT_EQ(held1000.progress, std::vector<std::string>{"Lendo... concurso 1001"});

    const Reading held1001 = Read(page, 1, 2, 2, 1001);
    EXPECT_EQ(held1001.lines, std::vector<std::string>{"1001;04;17"});
    EXPECT_EQ(held1001.result.NewCount, 0);
}

TEST(THtmlTableReader, HeaderRowsEmptyRowsAndIncompleteRowsWriteNothing) {
    const std::string page = "<table><tr><th>Concurso</th><th>1</th><th>2</th></tr>" +
                             Row({"", "", ""}) +     // all cells empty
                             Row({"7", "", "09"}) +  // a ball cell empty
                             Row({"", "01", "02"}) + // contest cell empty
                             Row({"8", "03"}) +      // a ball cell missing
                             Row({"9", "05", "06"}) + "</table>";
    const Reading r = Read(page, 1, 2, 2);
    ASSERT_TRUE(r.result.Ok()) << r.result.Error;
    EXPECT_EQ(r.lines, std::vector<std::string>{"9;05;06"});
    EXPECT_EQ(r.result.Draws, 1);
}

TEST(THtmlTableReader, CellTextsAreKeptExactlyAndOtherCellsIgnored) {
    // Contest in cell 2, balls in cells 4..5; the cells around them are ignored.
    const Reading r = Read(Row({"x", " 12", "01/02/2003", "+7", "08 ", "R$ 1,00"}), 2, 4, 2);
    ASSERT_TRUE(r.result.Ok()) << r.result.Error;
    EXPECT_EQ(r.lines, std::vector<std::string>{" 12;+7;08 "});
}

TEST(THtmlTableReader, CellsOpenedWithAttributesAreCellsButOtherTagsAreNot) {
    const std::string page = Row({"3", "25/03/1996", "36", "30"}, "<td rowspan=\"2\">") +
                             "<tr><tdx>4</td><td>x</td><td>11</td><td>12</td></tr>" + // "<tdx" opens no cell
                             "<tr><td\r\nclass=\"a\">5</td><td>x</td><td>13</td><td>14</td></tr>";
    const Reading r = Read(page, 1, 3, 2);
    ASSERT_TRUE(r.result.Ok()) << r.result.Error;
    // In the second row the first cell is "x": its contest would be "x" and it
    // has one ball, so it is no draw (and "x" is never converted).
    EXPECT_EQ(r.lines, (std::vector<std::string>{"3;36;30", "5;13;14"}));
}

TEST(THtmlTableReader, ContestCellRestartsTheLine) {
    // Balls before the contest are dropped, so such a row is no draw.
    const Reading r = Read(Row({"04", "17", "1001"}), 3, 1, 2);
    ASSERT_TRUE(r.result.Ok());
    EXPECT_TRUE(r.lines.empty());
}

TEST(THtmlTableReader, RowsOfExtraWinnersAreNotDrawsAndNotConverted) {
    // The 2019 layout: an extra row holding only a city and a state.
    const std::string page = Row({"3", "25/03/1996", "36", "30", "10"}, "<td rowspan=\"2\">") +
                             "<tr><td>S\xC3O PAULO      </td>\r<td>SP\r</td></tr>\r\n" +
                             Row({"4", "01/04/1996", "06", "59", "42"}, "<td rowspan=\"1\">");
    const Reading r = Read(page, 1, 3, 3, 3);
    ASSERT_TRUE(r.result.Ok()) << r.result.Error;
    EXPECT_EQ(r.lines, (std::vector<std::string>{"3;36;30;10", "4;06;59;42"}));
    EXPECT_EQ(r.result.NewCount, 1);
}

TEST(THtmlTableReader, NonIntegerContestOrBallStopsWithTheConversionMessage) {
    const Reading contest = Read(Row({"1", "01", "02"}) + Row({"abc", "03", "04"}), 1, 2, 2);
    EXPECT_EQ(contest.result.Status, THtmlTableReader::TStatus::InvalidValue);
    EXPECT_EQ(contest.result.Error, "'abc' is not a valid integer value");
    EXPECT_EQ(contest.lines, std::vector<std::string>{"1;01;02"});

    const Reading ball = Read(Row({"1", "01", "<b>02</b>"}), 1, 2, 2);
    EXPECT_EQ(ball.result.Status, THtmlTableReader::TStatus::InvalidValue);
    EXPECT_EQ(ball.result.Error, "'<b>02</b>' is not a valid integer value");
    EXPECT_TRUE(ball.lines.empty());
}

TEST(THtmlTableReader, RowsAcrossChunkBoundariesAreReadWhole) {
    // Rows of different lengths after heads of every length around one chunk,
    // so that "<tr", cells and "</tr>" fall on both sides of the boundaries.
    for (size_t head :
         {0u, 1u, 16370u, 16374u, 16375u, 16377u, 16380u, 16381u, 16383u, 16384u, 16390u, 40000u}) {
        std::string page(head, ' ');
        std::vector<std::string> expected;
        for (int i = 1; i <= 400; ++i) {
            const std::string pad(static_cast<size_t>(i % 37), ' ');
            page += "<tr bgcolor=#D9E6F4>" + pad + "<td>" + std::to_string(i) + "</td>" + pad + "<td>0" +
                    std::to_string(i % 9) + "</td><td>" + std::to_string(i % 60) + "</td></tr>\r\n";
            expected.push_back(std::to_string(i) + ";0" + std::to_string(i % 9) + ";" +
                               std::to_string(i % 60));
        }
        const Reading r = Read(page, 1, 2, 2, 100);
        ASSERT_TRUE(r.result.Ok()) << "head " << head << ": " << r.result.Error;
        EXPECT_EQ(r.lines, expected) << "head " << head;
        EXPECT_EQ(r.result.NewCount, 300) << "head " << head;
    }
}

TEST(THtmlTableReader, RowStartCutByTheChunkEndIsFoundThroughTheOverlap) {
    // Neither "<tr" nor "</tr>" in the first chunk; "<tr" straddles its end.
    for (size_t cut = 1; cut <= 3; ++cut) {
        const std::string page = std::string(THtmlTableReader::ChunkSize - cut, 'x') + Row({"5", "1", "2"});
        const Reading r = Read(page, 1, 2, 2);
        ASSERT_TRUE(r.result.Ok());
        EXPECT_EQ(r.lines, std::vector<std::string>{"5;1;2"}) << cut;
    }
}

TEST(THtmlTableReader, EndTagWithoutRowStartReadsFromTheChunkStart) {
    const Reading r = Read("<td>5</td><td>1</td><td>2</td></tr>", 1, 2, 2);
    EXPECT_EQ(r.lines, std::vector<std::string>{"5;1;2"});
}

TEST(THtmlTableReader, RowWithoutEndWithinAChunkEndsTheReadingWithAMessage) {
    // A row longer than a chunk, then a last row whose "</tr>" is missing.
    std::string longRow = "<tr><td>1</td><td>2</td><td>3</td>" + std::string(20000, ' ') + "</tr>";
    const Reading tooLong = Read(Row({"1", "01", "02"}) + longRow + Row({"2", "03", "04"}), 1, 2, 2);
    EXPECT_EQ(tooLong.result.Status, THtmlTableReader::TStatus::RowTooLong);
    EXPECT_NE(tooLong.result.Error.find("</tr>"), std::string::npos);
    EXPECT_EQ(tooLong.lines, std::vector<std::string>{"1;01;02"});

    const Reading unterminated =
        Read(Row({"1", "01", "02"}) + "<tr><td>2</td><td>03</td><td>04</td>", 1, 2, 2);
    EXPECT_EQ(unterminated.result.Status, THtmlTableReader::TStatus::RowTooLong);
    EXPECT_EQ(unterminated.lines, std::vector<std::string>{"1;01;02"});
}

TEST(THtmlTableReader, ProgressCanStopAndSinkFailureStops) {
    std::string page;
    for (int i = 1; i <= 10; ++i) page += Row({std::to_string(i), "1", "2"});
    THtmlTableReader reader(1, 2, 2, 0);
    int lines = 0;
    reader.OnLine = [&](std::string_view) { return ++lines < 100; };
    std::vector<std::string> texts;
    reader.ProgressEvery = 3;
    reader.OnProgress = [&](const std::string& text) {
        texts.push_back(text);
        return texts.size() < 2;
    };
    const auto stopped = reader.Read(page);
    EXPECT_EQ(stopped.Status, THtmlTableReader::TStatus::Stopped);
    EXPECT_EQ(texts, (std::vector<std::string>{"Lendo... concurso 3", "Lendo... concurso 6"}));
    EXPECT_EQ(lines, 6);

    reader.OnProgress = nullptr;
    reader.OnLine = [](std::string_view) { return false; };
    EXPECT_EQ(reader.Read(page).Status, THtmlTableReader::TStatus::SinkFailed);
}

TEST(THtmlTableReader, OfficialPageOf2014GivesEveryContest) {
    const std::string page = ReadFile(TOVISCA_DATA_DIR "/official/d_megasc.htm");
    ASSERT_FALSE(page.empty());
    const Reading r = Read(page, 1, 3, 6, 1600);
    ASSERT_TRUE(r.result.Ok()) << r.result.Error;
    ASSERT_EQ(r.lines.size(), 1628u);
    EXPECT_EQ(r.lines.front(), "1;04;05;30;33;41;52");
    EXPECT_EQ(r.lines.back(), "1628;26;29;34;38;50;60");
    EXPECT_EQ(r.result.NewCount, 28);
    EXPECT_EQ(r.progress.back(), "Lendo... concurso 1628");
}

TEST(THtmlTableReader, OfficialPageOf2019GivesEveryContestInTheOrderDrawn) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto page = TZipExtractor().Extract(TOVISCA_DATA_DIR "/official/D_megase.zip", "d_mega.htm",
                                              folder.path().toStdString());
    ASSERT_TRUE(page.Ok) << page.Error;
    const Reading r = Read(ReadFile(page.Path), 1, 3, 6, 2000);
    ASSERT_TRUE(r.result.Ok()) << r.result.Error;
    ASSERT_EQ(r.lines.size(), 2146u);
    EXPECT_EQ(r.lines.front(), "1;41;05;04;52;30;33");
    EXPECT_EQ(r.result.NewCount, 146);
    // The bundled history records the same balls in the same order.
    const auto history = History(TOVISCA_DATA_DIR "/megasena.csv");
    for (size_t d = 0; d < r.lines.size(); ++d) ASSERT_EQ(Fields(r.lines[d]), history[d]) << r.lines[d];
}
