#pragma once
// One series of a TChartView: the points (x, y, optional label) that a window
// or a game-level forecast writes, and the Qt Charts object that draws them.
//
// Points are kept here, not in the drawn series: Append only stores, Redraw
// pushes the list in one call. Clear empties the picture at once.
//
// A long line series ordered by x (a history of a million draws) is drawn from
// its envelope: the visible x range is cut into DrawnBuckets slices and each
// slice contributes its lowest and highest point, in their order. At a few
// points per pixel column the picture is the same as with every point, and
// drawing, hit-testing and resizing stay fast. Zooming in recuts the visible
// range, down to every point. Clicks and the TSeries reads use all points.
//
// Ownership: the chart view owns its series; the drawn objects belong to the
// view's QChart. UI thread only.
#include "TSeries.h"

#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

class QAbstractSeries;
class QAreaSeries;
class QChart;
class QLineSeries;
class QPieSeries;
class QScatterSeries;
class QXYSeries;
class TChartView;

class TChartSeries : public TSeries {
public:
    enum class Kind { Line, Bar, Point, Pie };
    // Above this many points a line ordered by x is drawn from its envelope.
    static constexpr int EnvelopeThreshold = 20000;
    static constexpr int DrawnBuckets = 4096;
    // Pie slices narrower than this share of the whole show no label.
    static constexpr double MinLabelledShare = 0.03;

    TChartSeries(const TChartSeries&) = delete;
    TChartSeries& operator=(const TChartSeries&) = delete;
    ~TChartSeries() override;

    Kind SeriesKind() const { return kind_; }
    // Position among the view's series, 0 for the first one added.
    int Index() const { return index_; }

    QString Title() const;
    void SetTitle(const QString& title);
    QColor Color() const;
    void SetColor(const QColor& color);
    void SetLineWidth(double width);
    // Value labels ("marks") on every point, bar or slice.
    void SetMarksVisible(bool visible);
    bool MarksVisible() const { return marks_; }
    // Pie slices show their share in percent after their label.
    void SetPercentInMarks(bool percent);
    void SetVisible(bool visible);
    bool Visible() const;
    // Whether the series has an entry in the chart's legend.
    void SetShownInLegend(bool shown);
    bool ShownInLegend() const;
    // Bars: width as a fraction of the smallest step between x values
    // (default 0.8), and a shift of every bar in the same unit, so that two
    // series can stand side by side (for example widths 0.4, offsets -0.2/0.2).
    void SetBarWidth(double fraction);
    void SetBarOffset(double fraction);
    // Bars lying along the x axis: each point (length, position) is a bar
    // from the base to x = length at height y = position, its width taken
    // from the steps between y values.
    void SetHorizontalBars(bool horizontal);
    // The value bars start from (default 0): y for upright bars, x for
    // horizontal ones.
    void SetBarBase(double base);
    // Points: marker diameter in pixels.
    void SetPointSize(double size);

    void AppendLabelled(double x, double y, const QString& label);
    QString Label(int i) const;
    const QList<QPointF>& Points() const { return points_; }
    // Replaces the points by those of another series and redraws.
    void Assign(const TSeries& source);

    int Count() const override { return static_cast<int>(points_.size()); }
    double X(int i) const override { return points_.at(i).x(); }
    double Y(int i) const override { return points_.at(i).y(); }
    void Clear() override;
    void Append(double x, double y) override;
    // Pushes the points into the picture and rescales the view's axes.
    void Redraw() override;

    // The drawn object, for the few settings the view does not cover.
    QAbstractSeries* QtSeries() const;
    // Index of the point nearest to a clicked position (value coordinates),
    // -1 when the series is empty.
    int NearestPoint(const QPointF& value) const;
    // Whether the picture shows the envelope rather than every point.
    bool DrawnFromEnvelope() const;
    // The points drawn for the x range [from, to]: every point when few, the
    // envelope otherwise; one point beyond each end keeps the line running
    // to the edges.
    QList<QPointF> DrawnPoints(double from, double to) const;

private:
    friend class TChartView;
    struct Bounds {
        double minX = 0, maxX = 0, minY = 0, maxY = 0;
        bool valid = false;
    };

    TChartSeries(TChartView& view, QChart& chart, Kind kind, int index, const QString& title,
                 const QColor& color);
    // Copies the points into the drawn object.
    void Push();
    bool Dirty() const { return dirty_; }
    Bounds DataBounds() const;
    // Whether every point's x (or y) is a whole number: such an axis gets
    // whole-number ticks. A pie series has no axes and counts as whole.
    bool WholeValues(bool alongX) const;
    double BarStep() const;
    QString MarkText(int i, double total) const;
    // The series drawn for the value labels of bars (transparent points).
    QScatterSeries* BarMarks() const { return barMarks_; }

    TChartView& view_;
    QChart& chart_;
    Kind kind_;
    int index_;
    QList<QPointF> points_;
    QStringList labels_; // empty, or one per point
    bool sortedByX_ = true;
    bool dirty_ = false;
    bool marks_ = false;
    bool percent_ = false;
    double barWidth_ = 0.8;
    double barOffset_ = 0;
    double barBase_ = 0;
    bool horizontal_ = false;
    QColor color_;

    QXYSeries* xy_ = nullptr;      // line or point series
    QAreaSeries* area_ = nullptr;  // bars, drawn as one filled outline
    QLineSeries* upper_ = nullptr; // owned by area_
    QLineSeries* lower_ = nullptr; // owned by area_
    QScatterSeries* barMarks_ = nullptr;
    QPieSeries* pie_ = nullptr;
};
