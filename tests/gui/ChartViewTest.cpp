// The chart view every window draws into: series as the forecasts see them,
// axes that follow the data, zoom by marking an area, clicks on points, the
// pop-up menu and the copy as a picture.
#include "GuiTestSupport.h"
#include "TChartView.h"
#include "TPointSeries.h"

#include <QClipboard>
#include <QMenu>
#include <QMouseEvent>
#include <QPieSeries>
#include <QPieSlice>
#include <QXYSeries>
#include <algorithm>

namespace {

struct Click {
    int series;
    double x, y;
    int point;
};

class ChartViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(600, 400);
        view.show();
        QApplication::processEvents();
        QObject::connect(&view, &TChartView::PointClicked, [this](int s, double x, double y, int p) {
            clicks.push_back({s, x, y, p});
        });
    }

    // The plot area in viewport coordinates, where the mouse works.
    QRect PlotArea() {
        return view.mapFromScene(view.chart()->mapToScene(view.chart()->plotArea()).boundingRect())
            .boundingRect();
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(view.viewport()->mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &event);
    }
    void Drag(QPoint from, QPoint to) {
        Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        Mouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        Mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    // A red line of (i, 10 i) for i = 1..count.
    TChartSeries& Ramp(int count) {
        TChartSeries& s = view.AddLineSeries("Real", Qt::red);
        for (int i = 1; i <= count; ++i) s.Append(i, 10.0 * i);
        s.Redraw();
        QApplication::processEvents();
        return s;
    }
    static QList<QPointF> Drawn(const TChartSeries& s) {
        return static_cast<QXYSeries*>(s.QtSeries())->points();
    }

    TChartView view;
    std::vector<Click> clicks;
};

TEST_F(ChartViewTest, SeriesShowTheirPointsOnlyOnRedrawAndClearAtOnce) {
    TChartSeries& s = view.AddLineSeries("Real", Qt::red);
    TSeries& asForecasts = s; // the forecasts write through the plain interface
    asForecasts.Append(1, 5);
    asForecasts.Append(2, 7.5);
    asForecasts.Append(3, -1);
    EXPECT_EQ(asForecasts.Count(), 3);
    EXPECT_EQ(QPointF(asForecasts.X(1), asForecasts.Y(2)), QPointF(2, -1));
    EXPECT_TRUE(Drawn(s).isEmpty()) << "appending alone must not redraw point by point";
    asForecasts.Redraw();
    EXPECT_EQ(Drawn(s), QList<QPointF>({{1, 5}, {2, 7.5}, {3, -1}}));
    EXPECT_EQ(static_cast<QXYSeries*>(s.QtSeries())->pen().color(), QColor(Qt::red));
    asForecasts.Clear();
    EXPECT_EQ(asForecasts.Count(), 0);
    EXPECT_TRUE(Drawn(s).isEmpty());
    s.Assign(TPointSeries({{1, 2}, {2, 4}, {3, 8}, {4, 16}}));
    EXPECT_EQ(Drawn(s).size(), 4);
    EXPECT_EQ(&view.Series(0), &s);
}

TEST_F(ChartViewTest, AxesFollowTheDataOfEverySeries) {
    TChartSeries& a = view.AddLineSeries("a");
    a.Append(1, 100);
    a.Append(3047, 50063860);
    view.AddPointSeries("b").Append(-5, 7);
    view.Redraw();
    EXPECT_EQ(view.BottomRange().min, -5);
    EXPECT_EQ(view.BottomRange().max, 3047);
    EXPECT_EQ(view.LeftRange().min, 7);
    EXPECT_EQ(view.LeftRange().max, 50063860);

    // One point: the axes open around it instead of collapsing.
    view.RemoveAllSeries();
    EXPECT_EQ(view.SeriesCount(), 0);
    TChartSeries& single = view.AddLineSeries("one");
    single.Append(4, 9);
    single.Redraw();
    EXPECT_LT(view.BottomRange().min, 4);
    EXPECT_GT(view.BottomRange().max, 4);
    EXPECT_LT(view.LeftRange().min, 9);
    EXPECT_GT(view.LeftRange().max, 9);
    // A fixed axis stays put until the axes are made automatic again.
    view.SetLeftAxisRange(0, 100);
    single.Append(5, 500);
    single.Redraw();
    EXPECT_EQ(view.LeftRange().max, 100);
    view.SetAutomaticAxes();
    EXPECT_EQ(view.LeftRange().max, 500);

    // Bars stand on 0 and reach half their width (0.8 of the smallest x step) beyond the ends.
    view.RemoveAllSeries();
    TChartSeries& bars = view.AddBarSeries("Dezenas", Qt::blue);
    for (const auto [x, y] : {std::pair{1, 3}, {2, 5}, {4, 2}}) bars.Append(x, y);
    bars.Redraw();
    EXPECT_NEAR(view.BottomRange().min, 0.6, 1e-12);
    EXPECT_NEAR(view.BottomRange().max, 4.4, 1e-12);
    EXPECT_EQ(view.LeftRange().min, 0);
    EXPECT_EQ(view.LeftRange().max, 5);
    // Side by side: half width, shifted by a quarter step.
    bars.SetBarWidth(0.5);
    bars.SetBarOffset(0.25);
    bars.Redraw();
    EXPECT_NEAR(view.BottomRange().min, 1.0, 1e-12);
    EXPECT_NEAR(view.BottomRange().max, 4.5, 1e-12);
    // Unordered, negative x: step 5, half width 2.
    bars.Clear();
    bars.SetBarWidth(0.8);
    bars.SetBarOffset(0);
    bars.Append(3, 1);
    bars.Append(-2, 4);
    bars.Redraw();
    EXPECT_EQ(view.BottomRange().min, -4);
}

TEST_F(ChartViewTest, PieSlicesCarryLabelsAndSharesAndReportClicks) {
    TChartSeries& pie = view.AddPieSeries("Share");
    pie.AppendLabelled(1, 30, "Dez.1:");
    pie.AppendLabelled(2, 10, "Dez.2:");
    pie.SetPercentInMarks(true);
    pie.SetMarksVisible(true);
    pie.Redraw();
    auto* drawn = static_cast<QPieSeries*>(pie.QtSeries());
    ASSERT_EQ(drawn->count(), 2);
    const QList<QPieSlice*> slices = drawn->slices();
    EXPECT_TRUE(slices[0]->label().startsWith("Dez.1:"));
    EXPECT_TRUE(slices[0]->label().contains("75")) << slices[0]->label();
    EXPECT_TRUE(slices[1]->label().contains("25")) << slices[1]->label();
    EXPECT_TRUE(slices[0]->isLabelVisible());
    emit drawn->clicked(slices[1]);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].series, 0);
    EXPECT_EQ(clicks[0].point, 1);
    EXPECT_EQ(clicks[0].y, 10);
}

TEST_F(ChartViewTest, AClickReportsTheNearestPoint) {
    Ramp(100);
    TChartSeries& other = view.AddPointSeries("pontos", Qt::blue);
    for (const auto [x, y] : {std::pair{50, 900}, {10, 100}, {90, 300}}) other.Append(x, y);
    other.Redraw();
    emit static_cast<QXYSeries*>(view.Series(0).QtSeries())->clicked(QPointF(41.3, 413));
    // Unordered points: the nearest one on the screen.
    emit static_cast<QXYSeries*>(other.QtSeries())->clicked(QPointF(88, 310));
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].series, 0);
    EXPECT_EQ(clicks[0].point, 40);
    EXPECT_EQ(QPointF(clicks[0].x, clicks[0].y), QPointF(41, 410));
    EXPECT_EQ(clicks[1].series, 1);
    EXPECT_EQ(clicks[1].point, 2);
    EXPECT_EQ(clicks[1].x, 90);
}

TEST_F(ChartViewTest, LongLinesAreDrawnFromTheirEnvelope) {
    // A saw of 200000 points with one spike up and one down: the picture keeps
    // both extremes, the ends and the x order with far fewer points.
    TChartSeries& s = view.AddLineSeries("Real", Qt::red);
    const int count = 200000;
    for (int i = 0; i < count; ++i)
        s.Append(i + 1, i % 97 + (i == 123456 ? 1000 : 0) - (i == 654 ? 1000 : 0));
    s.Redraw();
    ASSERT_TRUE(s.DrawnFromEnvelope());
    const QList<QPointF> drawn = Drawn(s);
    EXPECT_LE(drawn.size(), 2 * TChartSeries::DrawnBuckets + 2);
    EXPECT_GT(drawn.size(), TChartSeries::DrawnBuckets);
    EXPECT_TRUE(
        std::is_sorted(drawn.begin(), drawn.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); }));
    EXPECT_EQ(drawn.front(), QPointF(1, 0));
    EXPECT_EQ(drawn.back(), s.Points().back());
    EXPECT_TRUE(drawn.contains(QPointF(123457, 123456 % 97 + 1000)));
    EXPECT_TRUE(drawn.contains(QPointF(655, 654 % 97 - 1000)));
    EXPECT_EQ(s.Count(), count) << "the series itself keeps every point";

    // Zoomed into a narrow stretch, every point there is drawn, plus one neighbour beyond each edge.
    const QRect plot = PlotArea();
    ASSERT_TRUE(view.ZoomTo(QRect(plot.left() + plot.width() / 2, plot.top(), 3, plot.height())));
    const TChartView::Range x = view.BottomRange();
    const auto inside = std::count_if(s.Points().begin(), s.Points().end(),
                                      [&](QPointF p) { return p.x() >= x.min && p.x() <= x.max; });
    ASSERT_LT(inside, TChartSeries::EnvelopeThreshold);
    EXPECT_EQ(Drawn(s).size(), inside + 2);
    view.ResetZoom();
    EXPECT_EQ(Drawn(s).size(), drawn.size());

    // Point series are drawn point by point.
    TChartSeries& cloud = view.AddPointSeries("nuvem");
    for (int i = 0; i < 30000; ++i) cloud.Append(i % 300, i);
    cloud.Redraw();
    EXPECT_FALSE(cloud.DrawnFromEnvelope());
    EXPECT_EQ(Drawn(cloud).size(), 30000);
}

TEST_F(ChartViewTest, MarkingAnAreaZoomsAndMarkingBackwardsRestores) {
    TChartSeries& s = Ramp(100);
    const QRect plot = PlotArea();
    ASSERT_GT(plot.width(), 100);
    // Down and to the right over the middle half of the plot.
    Drag(plot.topLeft() + QPoint(plot.width() / 4, plot.height() / 4),
         plot.topLeft() + QPoint(plot.width() * 3 / 4, plot.height() * 3 / 4));
    ASSERT_TRUE(view.IsZoomed());
    const TChartView::Range x = view.BottomRange();
    EXPECT_NEAR(x.min, 1 + 99 * 0.25, 2);
    EXPECT_NEAR(x.max, 1 + 99 * 0.75, 2);
    EXPECT_NEAR(view.LeftRange().min, 10 + 990 * 0.25, 20);
    // New points while zoomed do not throw the user out of the zoom.
    s.Append(101, 5000);
    s.Redraw();
    EXPECT_EQ(view.BottomRange().min, x.min);
    // Up and to the left: everything again, including the new point.
    Drag(plot.center(), plot.center() - QPoint(60, 40));
    EXPECT_FALSE(view.IsZoomed());
    EXPECT_EQ(view.BottomRange().max, 101);
    EXPECT_EQ(view.LeftRange().max, 5000);

    // A double click restores too; a rectangle beside the plot or a plain click zooms nothing.
    ASSERT_TRUE(view.ZoomTo(QRect(plot.center(), plot.center() + QPoint(50, 50))));
    Mouse(QEvent::MouseButtonDblClick, plot.center(), Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(view.IsZoomed());
    EXPECT_FALSE(view.ZoomTo(QRect(plot.right() + 5, plot.top(), 3, 3)));
    Mouse(QEvent::MouseButtonPress, plot.center(), Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, plot.center(), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(view.IsZoomed());
    view.SetZoomEnabled(false);
    Drag(plot.topLeft() + QPoint(10, 10), plot.topLeft() + QPoint(150, 150));
    EXPECT_FALSE(view.IsZoomed());
}

TEST_F(ChartViewTest, RightClickOpensTheWindowsMenuAndCopyMakesAPicture) {
    Ramp(50);
    QMenu menu;
    menu.addAction("Copiar");
    view.SetPopupMenu(&menu);
    int opening = 0;
    QObject::connect(&view, &TChartView::PopupOpening, [&opening] { ++opening; });
    gui::RightClick(&view);
    EXPECT_EQ(opening, 1);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
    EXPECT_FALSE(view.IsZoomed()) << "a right-click must not zoom out as the toolkit's rubber band would";

    QApplication::clipboard()->clear();
    view.CopyToClipboard();
    const QImage picture = QApplication::clipboard()->image();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), view.size() * view.devicePixelRatio());
    bool red = false; // the red line is in the picture
    for (int y = 0; y < picture.height() && !red; ++y)
        for (int x = 0; x < picture.width() && !red; ++x) {
            const QColor c = picture.pixelColor(x, y);
            red = c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
    EXPECT_TRUE(red);
}

} // namespace
