// The chart view every window draws into: series as the forecasts see them,
// axes that follow the data, zoom by marking an area, clicks on points, the
// pop-up menu and the copy as a picture.
#include "GuiTestSupport.h"
#include "TChartView.h"
#include "TPointSeries.h"

#include <QClipboard>
#include <QMenu>
#include <QMouseEvent>
#include <QXYSeries>
#include <algorithm>
#include <tuple>

namespace {

using Click = std::tuple<int, double, double, int>; // series, x, y, point

class ChartViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(600, 400);
        view.show();
        QApplication::processEvents();
        QObject::connect(&view, &TChartView::PointClicked,
                         [this](int s, double x, double y, int p) { clicks.emplace_back(s, x, y, p); });
    }
    // The plot area in viewport coordinates, where the mouse works.
    QRect PlotArea() {
        const QRectF scene = view.chart()->mapToScene(view.chart()->plotArea()).boundingRect();
        return view.mapFromScene(scene).boundingRect();
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, view.viewport()->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &event);
    }
    void Drag(QPoint from, QPoint to) {
        Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
        Mouse(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
        Mouse(QEvent::MouseMove, to, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
    }
    // A red line of (i, 10 i) for i = 1..count.
    TChartSeries& Ramp(int count) {
        TChartSeries& s = view.AddLineSeries("Real", Qt::red);
        for (int i = 1; i <= count; ++i) s.Append(i, 10.0 * i);
        s.Redraw();
        QApplication::processEvents();
        return s;
    }
    static QXYSeries* Drawn(const TChartSeries& s) { return static_cast<QXYSeries*>(s.QtSeries()); }
    std::pair<double, double> X() const { return {view.BottomRange().min, view.BottomRange().max}; }
    std::pair<double, double> Y() const { return {view.LeftRange().min, view.LeftRange().max}; }

    TChartView view;
    std::vector<Click> clicks;
};

TEST_F(ChartViewTest, SeriesShowTheirPointsOnlyOnRedrawAndClearAtOnce) {
    TChartSeries& s = view.AddLineSeries("Real", Qt::red);
    TSeries& asForecasts = s; // the forecasts write through the plain interface
    for (const auto& [x, y] : {std::pair{1, 5.0}, {2, 7.5}, {3, -1.0}}) asForecasts.Append(x, y);
    EXPECT_EQ(asForecasts.Count(), 3);
    EXPECT_EQ(QPointF(asForecasts.X(1), asForecasts.Y(2)), QPointF(2, -1));
    EXPECT_TRUE(Drawn(s)->points().isEmpty()) << "appending alone must not redraw point by point";
    asForecasts.Redraw();
    EXPECT_EQ(Drawn(s)->points(), QList<QPointF>({{1, 5}, {2, 7.5}, {3, -1}}));
    EXPECT_EQ(Drawn(s)->pen().color(), QColor(Qt::red));
    asForecasts.Clear();
    EXPECT_EQ(asForecasts.Count(), 0);
    EXPECT_TRUE(Drawn(s)->points().isEmpty());
    s.Assign(TPointSeries({{1, 2}, {2, 4}, {3, 8}, {4, 16}}));
    EXPECT_EQ(Drawn(s)->points().size(), 4);
}

TEST_F(ChartViewTest, AxesFollowTheDataOfEverySeries) {
    TChartSeries& a = view.AddLineSeries("a");
    a.Append(1, 100);
    a.Append(3047, 50063860);
    view.AddPointSeries("b").Append(-5, 7);
    view.Redraw();
    EXPECT_EQ(X(), std::pair(-5.0, 3047.0));
    EXPECT_EQ(Y(), std::pair(7.0, 50063860.0));
    // One point: the axes open around it instead of collapsing.
    view.RemoveAllSeries();
    TChartSeries& single = view.AddLineSeries("one");
    single.Append(4, 9);
    single.Redraw();
    EXPECT_TRUE(X().first < 4 && X().second > 4 && Y().first < 9 && Y().second > 9);
    // A fixed axis stays put until the axes are made automatic again.
    view.SetLeftAxisRange(0, 100);
    single.Append(5, 500);
    single.Redraw();
    EXPECT_EQ(Y().second, 100);
    view.SetAutomaticAxes();
    EXPECT_EQ(Y().second, 500);
    // Bars stand on 0 and reach half their width (0.8 of the smallest x step) beyond the ends.
    view.RemoveAllSeries();
    TChartSeries& bars = view.AddBarSeries("Dezenas", Qt::blue);
    for (const auto& [x, y] : {std::pair{1, 3}, {2, 5}, {4, 2}}) bars.Append(x, y);
    bars.Redraw();
    EXPECT_NEAR(X().first, 0.6, 1e-12);
    EXPECT_NEAR(X().second, 4.4, 1e-12);
    EXPECT_EQ(Y(), std::pair(0.0, 5.0));
}

TEST_F(ChartViewTest, AClickReportsTheNearestPoint) {
    Ramp(100);
    TChartSeries& other = view.AddPointSeries("pontos", Qt::blue);
    for (const auto& [x, y] : {std::pair{50, 900}, {10, 100}, {90, 300}}) other.Append(x, y);
    other.Redraw();
    emit Drawn(view.Series(0))->clicked(QPointF(41.3, 413));
    emit Drawn(other)->clicked(QPointF(88, 310)); // unordered points: the nearest one on the screen
    EXPECT_EQ(clicks, (std::vector<Click>{{0, 41, 410, 40}, {1, 90, 300, 2}}));
}

TEST_F(ChartViewTest, LongLinesAreDrawnFromTheirEnvelope) {
    // A saw of 200000 points with one spike up and one down: the picture keeps
    // both extremes, the ends and the x order with far fewer points.
    TChartSeries& s = view.AddLineSeries("Real", Qt::red);
    for (int i = 0; i < 200000; ++i)
        s.Append(i + 1, i % 97 + (i == 123456 ? 1000 : 0) - (i == 654 ? 1000 : 0));
    s.Redraw();
    ASSERT_TRUE(s.DrawnFromEnvelope());
    const QList<QPointF> drawn = Drawn(s)->points();
    EXPECT_TRUE(drawn.size() > TChartSeries::DrawnBuckets &&
                drawn.size() <= 2 * TChartSeries::DrawnBuckets + 2);
    EXPECT_TRUE(
        std::is_sorted(drawn.begin(), drawn.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); }));
    for (const QPointF kept : {QPointF(1, 0), s.Points().back(), QPointF(123457, 123456 % 97 + 1000),
                               QPointF(655, 654 % 97 - 1000)})
        EXPECT_TRUE(drawn.contains(kept)) << kept.x();
    // Zoomed into a narrow stretch, every point there is drawn, and one beyond each edge.
    const QRect plot = PlotArea();
    ASSERT_TRUE(view.ZoomTo(QRect(plot.center().x(), plot.top(), 3, plot.height())));
    const auto inside = std::count_if(s.Points().begin(), s.Points().end(),
                                      [&](QPointF p) { return p.x() >= X().first && p.x() <= X().second; });
    ASSERT_LT(inside, TChartSeries::EnvelopeThreshold);
    EXPECT_EQ(Drawn(s)->points().size(), inside + 2);
    view.ResetZoom();
    EXPECT_EQ(Drawn(s)->points().size(), drawn.size());
}

TEST_F(ChartViewTest, MarkingAnAreaZoomsAndMarkingBackwardsRestores) {
    TChartSeries& s = Ramp(100);
    const QRect plot = PlotArea();
    ASSERT_GT(plot.width(), 100);
    // Down and to the right over the middle half of the plot.
    Drag(plot.topLeft() + QPoint(plot.width() / 4, plot.height() / 4),
         plot.topLeft() + QPoint(plot.width() * 3 / 4, plot.height() * 3 / 4));
    ASSERT_TRUE(view.IsZoomed());
    const auto zoomed = X();
    EXPECT_NEAR(zoomed.first, 1 + 99 * 0.25, 2);
    EXPECT_NEAR(zoomed.second, 1 + 99 * 0.75, 2);
    EXPECT_NEAR(Y().first, 10 + 990 * 0.25, 20);
    s.Append(101, 5000); // new points while zoomed do not throw the user out of the zoom
    s.Redraw();
    EXPECT_EQ(X(), zoomed);
    // Up and to the left: everything again, including the new point.
    Drag(plot.center(), plot.center() - QPoint(60, 40));
    EXPECT_FALSE(view.IsZoomed());
    EXPECT_EQ(X().second, 101);
    EXPECT_EQ(Y().second, 5000);
    // A double click restores too; a rectangle beside the plot, a plain click or a
    // drag with zoom turned off zoom nothing.
    ASSERT_TRUE(view.ZoomTo(QRect(plot.center(), plot.center() + QPoint(50, 50))));
    Mouse(QEvent::MouseButtonDblClick, plot.center(), Qt::LeftButton);
    EXPECT_FALSE(view.IsZoomed());
    EXPECT_FALSE(view.ZoomTo(QRect(plot.right() + 5, plot.top(), 3, 3)));
    Drag(plot.center(), plot.center());
    EXPECT_FALSE(view.IsZoomed());
    view.SetZoomEnabled(false);
    Drag(plot.topLeft() + QPoint(10, 10), plot.topLeft() + QPoint(150, 150));
    EXPECT_FALSE(view.IsZoomed());
}

TEST_F(ChartViewTest, RightClickOpensTheWindowsMenuAndCopyMakesAPicture) {
    Ramp(50);
    QMenu menu;
    view.SetPopupMenu(&menu);
    menu.addAction("Copiar");
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
    EXPECT_EQ(picture.size(), view.size() * view.devicePixelRatio());
    bool red = false; // the red line is in the picture
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width() && !red; ++x) {
            const QColor c = picture.pixelColor(x, y);
            red = c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
    EXPECT_TRUE(red);
}

} // namespace
