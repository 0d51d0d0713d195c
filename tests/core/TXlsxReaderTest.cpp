// The sheet part of a results spreadsheet as a forged or damaged workbook may
// hold it: cells outside any row, rows inside cells, row numbers below 1.
#include "TXlsxReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TXlsxReader::TResult Read(const std::string& sheetData) {
    TXlsxReader reader;
    reader.ContestColumn = 1;
    reader.FirstBallColumn = 2;
    reader.BallCount = 2;
    const std::string xml = "<?xml version=\"1.0\"?><worksheet><sheetData>" + sheetData + "</sheetData></worksheet>";
    return reader.ReadSheet(QByteArray::fromStdString(xml), {"7", "9"});
}

} // namespace

TEST(TXlsxReader, CellsOutsideARowAreNotTheTables) {
    // A cell before the first row and one between two rows, then a nested
    // row inside a cell: none may write into a row that was already kept.
    const auto result = Read("<c r=\"B1\"><v>4</v></c>"
                             "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><v>2</v></c><c r=\"C1\"><v>3</v></c></row>"
                             "<c r=\"C2\" t=\"s\"><v>1</v></c>"
                             "<row r=\"-5\"><c r=\"A3\"><v>2</v></c><c r=\"B3\"><v>5</v></c></row>"
                             "<row><c r=\"A4\"><row/><v>8</v></c><c r=\"B4\"><v>6</v></c></row>");
    ASSERT_TRUE(result.Ok) << result.Error;
    ASSERT_EQ(result.Rows.size(), 2u);
    EXPECT_EQ(result.Rows[0].Row, 1);
    EXPECT_EQ(result.Rows[0].Contest, "1");
    EXPECT_EQ(result.Rows[0].Balls, (std::vector<std::string>{"2", "3"}));
    // A row number below 1 is replaced by the running count.
    EXPECT_EQ(result.Rows[1].Row, 2);
    EXPECT_EQ(result.Rows[1].Contest, "2");
    EXPECT_EQ(result.Rows[1].Balls, (std::vector<std::string>{"5", ""}));
}
