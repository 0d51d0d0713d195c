#include "TDrawTable.h"
#include "NumberText.h"
#include "TLottery.h"

#include "TempFiles.h"

#include <gtest/gtest.h>

namespace {
const std::string DataDir = TOVISCA_DATA_DIR;
} // namespace

TEST(TDrawTableTest, CopiesAsTabTerminatedCellsAndCrLfRows) {
    TempFolder folder;
    const TLottery lottery(folder.Write("g.csv", "Concurso;Bola1;Bola2\r\n10;4;1\r\n11;2;3\r\n"));
    const TDrawTable table(&lottery);
    EXPECT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.ColumnCount(), 4);
    // Balls as read (4 before 1); {1,4} is CSN 3 and {2,3} CSN 4 of 4/2.
    EXPECT_EQ(table.ToText(), "Concurso\tBola 1\tBola 2\tCSN\t\r\n"
                              "10\t4\t1\t3\t\r\n"
                              "11\t2\t3\t4\t\r\n");
    // Without a history, or with one that did not load: one empty cell.
    const TLottery missing((folder.Path() / "none.csv").string());
    for (const TLottery* none : {static_cast<const TLottery*>(nullptr), &missing}) {
        const TDrawTable empty(none);
        EXPECT_EQ(empty.ToText(), "\t\r\n");
        EXPECT_EQ(empty.Cell(0, 0), "");
    }
}

TEST(TDrawTableTest, MegaSenaCellsAndOutsideTheGrid) {
    const TLottery lottery(DataDir + "/megasena.csv");
    const TDrawTable table(&lottery);
    EXPECT_EQ(table.RowCount(), 3048);
    EXPECT_EQ(table.ColumnCount(), 8);
    EXPECT_TRUE(
        table.ToText().starts_with("Concurso\tBola 1\tBola 2\tBola 3\tBola 4\tBola 5\tBola 6\tCSN\t\r\n"
                                   "1\t41\t5\t4\t52\t30\t33\t14086154\t\r\n"));
    EXPECT_EQ(table.Cell(3047, 0), "3047");
    EXPECT_EQ(table.Cell(3048, 0) + table.Cell(1, 8) + table.Cell(-1, 0), "");
}

TEST(TDrawTableTest, LargeCSNsUseTheGeneralFormat) {
    // Lotomania's CSNs pass 10^15: general format with the decimal separator.
    NumberText::SetDecimalSeparator(',');
    const TLottery lottery(DataDir + "/lotomania.csv");
    const TDrawTable table(&lottery);
    int scientific = 0;
    for (int r = 1; r < table.RowCount(); ++r) {
        const std::string cell = table.Cell(r, 21);
        ASSERT_EQ(cell, NumberText::FormatGeneral(lottery.CSNs[static_cast<size_t>(r - 1)])) << r;
        scientific += cell.find('E') != std::string::npos;
    }
    EXPECT_GT(scientific, 0);
    NumberText::SetDecimalSeparator('.');
}
