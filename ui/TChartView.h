#pragma once
// The chart of every window: line, bar, point and pie series with titles and
// colours, axis titles, a legend, zoom by marking an area with the mouse
// (drag down-right to zoom in, drag up-left or double-click to see
// everything again), a notification when a series point is clicked, copy as
// a picture, and the window's pop-up menu. Windows talk only to this class
// and to TChartSeries, so the drawing toolkit can be replaced.
//
// Axes: one bottom and one left value axis shared by the line, bar and point
// series; each follows the data on Redraw (unless fixed with a range, or while
// the user is zoomed in). A chart with only pie series shows no axes.
#include "TChartSeries.h"

#include <QChartView>
#include <QImage>
#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <memory>
#include <vector>

class QListWidget;
class QRubberBand;
class QValueAxis;

class TChartView : public QChartView {
    Q_OBJECT
public:
    struct Range {
        double min = 0;
        double max = 0;
    };

    explicit TChartView(QWidget* parent = nullptr);
    ~TChartView() override;

    TChartSeries& AddLineSeries(const QString& title, const QColor& color = QColor());
    TChartSeries& AddBarSeries(const QString& title, const QColor& color = QColor());
    TChartSeries& AddPointSeries(const QString& title, const QColor& color = QColor());
    TChartSeries& AddPieSeries(const QString& title);
    int SeriesCount() const { return static_cast<int>(series_.size()); }
    TChartSeries& Series(int index) { return *series_.at(static_cast<size_t>(index)); }
    const TChartSeries& Series(int index) const { return *series_.at(static_cast<size_t>(index)); }
    void RemoveAllSeries();

    void SetTitle(const QString& title);
    QString Title() const;
    void SetAxisTitles(const QString& bottom, const QString& left);
    QString BottomAxisTitle() const;
    QString LeftAxisTitle() const;
    void SetLegendVisible(bool visible);
    bool LegendVisible() const;
    // The names the legend shows, in order (empty when it is hidden). A pie
    // of more than MaxLegendSlices slices lists them in a scrolling column.
    QStringList LegendEntries() const;
    static constexpr int MaxLegendSlices = 12;
    // A vertical two-colour gradient behind the chart.
    void SetGradientBackground(const QColor& top, const QColor& bottom);

    // Fixed axis ranges; SetAutomaticAxes makes both follow the data again.
    void SetBottomAxisRange(double min, double max);
    void SetLeftAxisRange(double min, double max);
    void SetAutomaticAxes();
    Range BottomRange() const;
    Range LeftRange() const;

    // Zoom by marking an area; off for pie charts.
    void SetZoomEnabled(bool enabled);
    bool ZoomEnabled() const { return zoomEnabled_; }
    // Shows only what lies in the given rectangle (viewport coordinates), as a
    // mouse selection does. False when the rectangle misses the plot area.
    bool ZoomTo(const QRect& area);
    void ResetZoom();
    bool IsZoomed() const { return zoomed_; }

    // Pushes the points of every changed series and rescales the axes.
    void Redraw();

    QImage Picture();
    void CopyToClipboard();

    // The window's pop-up menu (not owned); shown on a right-click.
    void SetPopupMenu(QMenu* menu);
    QMenu* PopupMenu() const { return popup_; }

signals:
    // A click on or near a point of a series: the series index and the
    // nearest point's values and index.
    void PointClicked(int seriesIndex, double x, double y, int pointIndex);
    // The pop-up menu is about to open over this chart.
    void PopupOpening();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TChartSeries;
    TChartSeries& Add(TChartSeries::Kind kind, const QString& title, const QColor& color);
    void SeriesClicked(int index, const QPointF& value);
    void ApplyAutomaticRanges();
    // Redraws the series drawn from their envelope for the new visible range.
    void RecutEnvelopes();
    void UpdateAxesVisibility();
    void UpdatePieLegend();
    void PlacePieLegend();
    void SetRange(QValueAxis* axis, double min, double max);
    void RefreshTicks(QValueAxis* axis);
    double TickStep(const QValueAxis* axis, double range) const;

    std::vector<std::unique_ptr<TChartSeries>> series_;
    QValueAxis* axisX_ = nullptr; // owned by the chart
    QValueAxis* axisY_ = nullptr;
    bool autoX_ = true;
    bool autoY_ = true;
    // Whether every shown value along the axis is a whole number.
    bool wholeX_ = false;
    bool wholeY_ = false;
    bool zoomEnabled_ = true;
    bool zoomed_ = false;
    QPointer<QMenu> popup_;
    QRubberBand* band_ = nullptr;
    bool legendWanted_ = true;
    static constexpr int PieLegendWidth = 150;
    QListWidget* pieLegend_ = nullptr; // child of the viewport
    QPoint bandOrigin_;
    bool dragging_ = false;
};
