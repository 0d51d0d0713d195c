#include "TDrawTable.h"
#include "NumberText.h"
#include "TLottery.h"

#include "TempFiles.h"

#include <gtest/gtest.h>

namespace {
const std::string DataDir = TOVISCA_DATA_DIR;
} // namespace

TEST(TDrawTableTest, WithoutAHistoryTheGridIsOneEmptyCell) {
    const TDrawTable none(nullptr);
    EXPECT_EQ(none.RowCount(), 1);
    EXPECT_EQ(none.ColumnCount(), 1);
    EXPECT_EQ(none.Cell(0, 0), "");
    EXPECT_EQ(none.ToText(), "\t\r\n");
    TempFolder folder;
    const TLottery missing((folder.Path() / "none.csv").string());
    const TDrawTable notLoaded(&missing);
    EXPECT_EQ(notLoaded.RowCount(), 1);
    EXPECT_EQ(notLoaded.ColumnCount(), 1);
}

TEST(TDrawTableTest, TwoDrawGameCopiesAsTabTerminatedCellsAndCrLfRows) {
    TempFolder folder;
    const TLottery lottery(folder.Write("g.csv", "Concurso;Bola1;Bola2\r\n10;4;1\r\n11;2;3\r\n"));
    const TDrawTable table(&lottery);
    EXPECT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.ColumnCount(), 4);
    // Balls as read (4 before 1); {1,4} is CSN 3 and {2,3} CSN 4 of 4/2.
    EXPECT_EQ(table.ToText(), "Concurso\tBola 1\tBola 2\tCSN\t\r\n"
                              "10\t4\t1\t3\t\r\n"
                              "11\t2\t3\t4\t\r\n");
}

TEST(TDrawTableTest, MegaSenaCells) {
    const TLottery lottery(DataDir + "/megasena.csv");
    const TDrawTable table(&lottery);
    EXPECT_EQ(table.RowCount(), 3048);
    EXPECT_EQ(table.ColumnCount(), 8);
    EXPECT_EQ(table.Cell(0, 0), "Concurso");
    EXPECT_EQ(table.Cell(0, 1), "Bola 1");
    EXPECT_EQ(table.Cell(0, 6), "Bola 6");
    EXPECT_EQ(table.Cell(0, 7), "CSN");
    const std::vector<std::string> first = {"1", "41", "5", "4", "52", "30", "33", "14086154"};
    for (int c = 0; c < 8; ++c) EXPECT_EQ(table.Cell(1, c), first[static_cast<size_t>(c)]) << c;
    EXPECT_EQ(table.Cell(3047, 0), "3047");
    // Outside the grid.
    EXPECT_EQ(table.Cell(3048, 0), "");
    EXPECT_EQ(table.Cell(1, 8), "");
    EXPECT_EQ(table.Cell(-1, 0), "");
    // The whole text is the cells, row by row.
    std::string expected;
    for (int r = 0; r < table.RowCount(); ++r) {
        for (int c = 0; c < table.ColumnCount(); ++c) expected += table.Cell(r, c) + "\t";
        expected += "\r\n";
    }
    EXPECT_EQ(table.ToText(), expected);
}

TEST(TDrawTableTest, LargeCSNsUseTheGeneralFormat) {
    // Lotomania's CSNs pass 10^15: general format with the decimal separator.
    NumberText::SetDecimalSeparator(',');
    const TLottery lottery(DataDir + "/lotomania.csv");
    const TDrawTable table(&lottery);
    const int last = lottery.PerCombination() + 1;
    int scientific = 0;
    for (int r = 1; r < table.RowCount(); ++r) {
        const std::string cell = table.Cell(r, last);
        ASSERT_EQ(cell, NumberText::FormatGeneral(lottery.CSNs[static_cast<size_t>(r - 1)])) << r;
        if (cell.find('E') != std::string::npos) ++scientific;
    }
    EXPECT_GT(scientific, 0);
    const std::string text = table.ToText();
    std::string row = "\t";
    row += table.Cell(1, last);
    row += "\t\r\n";
    EXPECT_NE(text.find(row), std::string::npos);
    NumberText::SetDecimalSeparator('.');
}
