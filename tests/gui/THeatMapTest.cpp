// The coloured table of the pair probabilities: cells under the pointer, their
// texts with the grids' decimal separator, the colour scale, and the bayesian
// window feeding it the grid's body beside its bars.
#include "GuiTestSupport.h"
#include "THeatMap.h"

#include <QTabWidget>

namespace {

using namespace gui;

TEST(THeatMapTest, CellsTextsAndScale) {
    NumberText::SetDecimalSeparator(',');
    THeatMap map;
    map.resize(400, 300);
    map.SetAxisTitles("A", "B");
    map.SetData({"1", "2"}, {"1", "2", "3"}, {{0.0, 0.5, 1.0}, {0.25, 0.75, 0.125}});
    EXPECT_EQ(map.Rows(), 2);
    EXPECT_EQ(map.Columns(), 3);
    EXPECT_EQ(map.CellText(0, 1), "B 1, A 2: 0,5");
    EXPECT_EQ(map.CellText(2, 0), "");
    EXPECT_EQ(map.CellAt(QPoint(0, 0)), std::make_pair(-1, -1));
    // Corners of the plot: first and last cells.
    const auto first = map.CellAt(QPoint(map.width() / 2 - 60, 60));
    EXPECT_GE(first.first, 0);
    EXPECT_EQ(THeatMap::Shade(0, 0, 1), QColor(255, 255, 255));
    EXPECT_EQ(THeatMap::Shade(1, 0, 1), QColor(8, 48, 107));
    EXPECT_EQ(THeatMap::Shade(5, 5, 5), QColor(255, 255, 255)) << "a flat table is white";
    EXPECT_LT(THeatMap::Shade(0.75, 0, 1).lightness(), THeatMap::Shade(0.25, 0, 1).lightness());
    // Painting a table and an empty one does not fail.
    EXPECT_FALSE(map.grab().isNull());
    map.Clear();
    EXPECT_EQ(map.Rows(), 0);
    EXPECT_FALSE(map.grab().isNull());
}

class BayesianHeatMap : public WindowTest {};

TEST_F(BayesianHeatMap, ShowsTheGridBodyOnATabBesideTheBars) {
    TForm3* game = Open();
    Action(game, "Anlisebayesiana1")->trigger();
    QWidget* window = game->AnalysisWindow(TLottery::Bayesian);
    ASSERT_NE(window, nullptr);
    auto* tabs = Find<QTabWidget>(window, "PageControl1");
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(1), "Mapa de calor");
    auto* map = Find<THeatMap>(window, "HeatMap1");
    Click(window, "Button2"); // "Preview" draws the grid's body
    auto* grid = Find<QTableWidget>(window, "sg1");
    EXPECT_EQ(map->Rows(), 60);
    EXPECT_EQ(map->Columns(), 60);
    // Cell (row A = 3, column B = 5) of the grid is row B = 5, column A = 3 of the map.
    double shown = -1, held = -2;
    ASSERT_TRUE(NumberText::TryParseFloat(map->CellText(4, 2).section(": ", 1).toStdString(), shown));
    const QString cell = grid->item(3, 5) ? grid->item(3, 5)->text() : QString();
    if (cell.isEmpty())
        held = 0;
    else
        ASSERT_TRUE(NumberText::TryParseFloat(cell.toStdString(), held)) << cell;
    EXPECT_NEAR(shown, held, 1e-4) << cell;
}

} // namespace
