#include "TChartSeries.h"

#include "NumberText.h"
#include "TChartView.h"

#include <QAreaSeries>
#include <QBrush>
#include <QChart>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QPieSeries>
#include <QPieSlice>
#include <QScatterSeries>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

TChartSeries::TChartSeries(TChartView& view, QChart& chart, Kind kind, int index, const QString& title,
                           const QColor& color)
    : view_(view), chart_(chart), kind_(kind), index_(index) {
    switch (kind_) {
    case Kind::Line: {
        auto* line = new QLineSeries;
        xy_ = line;
        break;
    }
    case Kind::Point: {
        auto* scatter = new QScatterSeries;
        scatter->setMarkerShape(QScatterSeries::MarkerShapeCircle);
        scatter->setMarkerSize(7);
        xy_ = scatter;
        break;
    }
    case Kind::Bar: {
        upper_ = new QLineSeries;
        lower_ = new QLineSeries;
        area_ = new QAreaSeries(upper_, lower_);
        // The area series draws its outlines but does not own them.
        upper_->setParent(area_);
        lower_->setParent(area_);
        barMarks_ = new QScatterSeries;
        barMarks_->setMarkerSize(1);
        barMarks_->setColor(Qt::transparent);
        barMarks_->setBorderColor(Qt::transparent);
        barMarks_->setPointLabelsFormat(QStringLiteral("@yPoint"));
        barMarks_->setPointLabelsClipping(false);
        break;
    }
    case Kind::Pie:
        pie_ = new QPieSeries;
        // Room above for the title, also when a slice is pulled out.
        pie_->setPieSize(0.6);
        pie_->setVerticalPosition(0.55);
        break;
    }
    QAbstractSeries* drawn = QtSeries();
    drawn->setName(title);
    chart_.addSeries(drawn);
    if (xy_) xy_->setPointLabelsFormat(QStringLiteral("@yPoint"));
    if (barMarks_) {
        chart_.addSeries(barMarks_);
        for (QLegendMarker* marker : chart_.legend()->markers(barMarks_)) marker->setVisible(false);
    }
    if (color.isValid())
        SetColor(color);
    else if (xy_)
        color_ = xy_->color();
    else if (area_)
        SetColor(area_->color());
    if (kind_ == Kind::Line) SetLineWidth(1);
}

TChartSeries::~TChartSeries() = default;

QAbstractSeries* TChartSeries::QtSeries() const {
    if (xy_) return xy_;
    if (area_) return area_;
    return pie_;
}

QString TChartSeries::Title() const {
    return QtSeries()->name();
}

void TChartSeries::SetTitle(const QString& title) {
    QtSeries()->setName(title);
}

QColor TChartSeries::Color() const {
    return color_;
}

void TChartSeries::SetColor(const QColor& color) {
    color_ = color;
    if (kind_ == Kind::Line) {
        QPen pen = xy_->pen();
        pen.setColor(color);
        xy_->setPen(pen);
    } else if (kind_ == Kind::Point) {
        auto* scatter = static_cast<QScatterSeries*>(xy_);
        scatter->setColor(color);
        scatter->setBorderColor(color.darker(130));
    } else if (area_) {
        area_->setBrush(color);
        area_->setPen(QPen(color.darker(150), 1));
    }
}

void TChartSeries::SetLineWidth(double width) {
    if (kind_ == Kind::Line) {
        QPen pen = xy_->pen();
        pen.setWidthF(width);
        xy_->setPen(pen);
    } else if (area_) {
        QPen pen = area_->pen();
        pen.setWidthF(width);
        area_->setPen(pen);
    }
}

void TChartSeries::SetMarksVisible(bool visible) {
    marks_ = visible;
    if (xy_) xy_->setPointLabelsVisible(visible);
    if (barMarks_) barMarks_->setPointLabelsVisible(visible);
    if (pie_) {
        dirty_ = true;
        Push();
    }
}

void TChartSeries::SetPercentInMarks(bool percent) {
    percent_ = percent;
    if (pie_) {
        dirty_ = true;
        Push();
    }
}

void TChartSeries::SetVisible(bool visible) {
    QtSeries()->setVisible(visible);
    if (barMarks_) barMarks_->setVisible(visible);
}

bool TChartSeries::Visible() const {
    return QtSeries()->isVisible();
}

void TChartSeries::SetBarWidth(double fraction) {
    barWidth_ = fraction;
    dirty_ = true;
}

void TChartSeries::SetShownInLegend(bool shown) {
    for (QLegendMarker* marker : chart_.legend()->markers(QtSeries())) marker->setVisible(shown);
}

bool TChartSeries::ShownInLegend() const {
    const QList<QLegendMarker*> markers = chart_.legend()->markers(QtSeries());
    return std::any_of(markers.begin(), markers.end(), [](const QLegendMarker* m) { return m->isVisible(); });
}

void TChartSeries::SetBarOffset(double fraction) {
    barOffset_ = fraction;
    dirty_ = true;
}

void TChartSeries::SetHorizontalBars(bool horizontal) {
    horizontal_ = horizontal;
    dirty_ = true;
}

void TChartSeries::SetBarBase(double base) {
    barBase_ = base;
    dirty_ = true;
}

void TChartSeries::SetPointSize(double size) {
    if (kind_ == Kind::Point) static_cast<QScatterSeries*>(xy_)->setMarkerSize(size);
}

void TChartSeries::Append(double x, double y) {
    if (!points_.isEmpty() && x < points_.last().x()) sortedByX_ = false;
    points_.append(QPointF(x, y));
    if (!labels_.isEmpty()) labels_.append(QString());
    dirty_ = true;
}

void TChartSeries::AppendLabelled(double x, double y, const QString& label) {
    Append(x, y);
    if (label.isEmpty()) return;
    // Labels are kept only once a series has one: one per point from then on.
    if (labels_.size() < points_.size()) labels_.resize(points_.size());
    labels_.last() = label;
}

QString TChartSeries::Label(int i) const {
    return i >= 0 && i < labels_.size() ? labels_.at(i) : QString();
}

void TChartSeries::Assign(const TSeries& source) {
    points_.clear();
    labels_.clear();
    sortedByX_ = true;
    const int count = source.Count();
    points_.reserve(count);
    for (int i = 0; i < count; ++i) Append(source.X(i), source.Y(i));
    dirty_ = true;
    Redraw();
}

void TChartSeries::Clear() {
    points_.clear();
    labels_.clear();
    sortedByX_ = true;
    dirty_ = true;
    Push();
}

void TChartSeries::Redraw() {
    view_.Redraw();
}

double TChartSeries::BarStep() const {
    // The smallest gap between distinct x values: bars never overlap their
    // neighbours in the same series.
    if (points_.size() < 2) return 1;
    std::vector<double> xs;
    xs.reserve(static_cast<size_t>(points_.size()));
    for (const QPointF& p : points_) xs.push_back(horizontal_ ? p.y() : p.x());
    if (!sortedByX_ || horizontal_) std::sort(xs.begin(), xs.end());
    double step = std::numeric_limits<double>::infinity();
    for (size_t i = 1; i < xs.size(); ++i) {
        const double gap = xs[i] - xs[i - 1];
        if (gap > 0) step = std::min(step, gap);
    }
    return std::isfinite(step) ? step : 1;
}

QString TChartSeries::MarkText(int i, double total) const {
    QString text = Label(i);
    const double value = points_.at(i).y();
    if (text.isEmpty()) text = QString::fromStdString(NumberText::FormatGeneral(value));
    if (percent_) {
        const double share = total != 0 ? value / total * 100 : 0;
        text += QStringLiteral(" (") + QString::fromStdString(NumberText::FormatFixed(share, 1)) +
                QStringLiteral(" %)");
    }
    return text;
}

void TChartSeries::Push() {
    dirty_ = false;
    if (xy_) {
        // One call for the whole list: no per-point signals.
        if (DrawnFromEnvelope()) {
            const TChartView::Range visible =
                view_.IsZoomed() ? view_.BottomRange()
                                 : TChartView::Range{points_.first().x(), points_.last().x()};
            xy_->replace(DrawnPoints(visible.min, visible.max));
        } else {
            xy_->replace(points_);
        }
        return;
    }
    if (area_ && horizontal_) {
        // The same outline turned on its side: it runs up the base line and
        // out to each bar's length; the lower line closes it along the base.
        QList<QPointF> sorted = points_;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
        const double step = BarStep();
        const double width = barWidth_ * step;
        QList<QPointF> outline;
        QList<QPointF> tops;
        for (const QPointF& p : sorted) {
            const double bottom = p.y() + barOffset_ * step - width / 2;
            const double top = bottom + width;
            outline.append(QPointF(barBase_, bottom));
            outline.append(QPointF(p.x(), bottom));
            outline.append(QPointF(p.x(), top));
            outline.append(QPointF(barBase_, top));
            tops.append(QPointF(p.x(), p.y() + barOffset_ * step));
        }
        upper_->replace(outline);
        QList<QPointF> base;
        if (!outline.isEmpty())
            base = {QPointF(barBase_, outline.first().y()), QPointF(barBase_, outline.last().y())};
        lower_->replace(base);
        barMarks_->replace(tops);
        return;
    }
    if (area_) {
        QList<QPointF> sorted = points_;
        if (!sortedByX_)
            std::stable_sort(sorted.begin(), sorted.end(),
                             [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
        const double step = BarStep();
        const double width = barWidth_ * step;
        QList<QPointF> outline;
        outline.reserve(sorted.size() * 4);
        QList<QPointF> tops;
        tops.reserve(sorted.size());
        for (const QPointF& p : sorted) {
            const double left = p.x() + barOffset_ * step - width / 2;
            const double right = left + width;
            outline.append(QPointF(left, barBase_));
            outline.append(QPointF(left, p.y()));
            outline.append(QPointF(right, p.y()));
            outline.append(QPointF(right, barBase_));
            tops.append(QPointF(p.x() + barOffset_ * step, p.y()));
        }
        upper_->replace(outline);
        QList<QPointF> base;
        if (!outline.isEmpty())
            base = {QPointF(outline.first().x(), barBase_), QPointF(outline.last().x(), barBase_)};
        lower_->replace(base);
        barMarks_->replace(tops);
        return;
    }
    // Pie: one slice per point, labelled with its label or value.
    pie_->clear();
    double total = 0;
    for (const QPointF& p : points_) total += p.y();
    // Appended in one call: the chart lays out the pie and its legend once.
    QList<QPieSlice*> slices;
    slices.reserve(points_.size());
    for (int i = 0; i < points_.size(); ++i) {
        auto* slice = new QPieSlice(MarkText(i, total), points_.at(i).y());
        // A label beside a thin slice would pile up on its neighbours'; the
        // legend names every slice.
        const double share = total > 0 ? points_.at(i).y() / total : 0;
        slice->setLabelVisible(marks_ && share >= MinLabelledShare);
        slices.append(slice);
    }
    pie_->append(slices);
}

TChartSeries::Bounds TChartSeries::DataBounds() const {
    Bounds b;
    if (pie_ || points_.isEmpty()) return b;
    b.valid = true;
    b.minX = b.maxX = points_.first().x();
    b.minY = b.maxY = points_.first().y();
    for (const QPointF& p : points_) {
        b.minX = std::min(b.minX, p.x());
        b.maxX = std::max(b.maxX, p.x());
        b.minY = std::min(b.minY, p.y());
        b.maxY = std::max(b.maxY, p.y());
    }
    if (area_ && horizontal_) {
        const double step = BarStep();
        const double half = barWidth_ * step / 2;
        b.minY += barOffset_ * step - half;
        b.maxY += barOffset_ * step + half;
        b.minX = std::min(b.minX, barBase_);
        b.maxX = std::max(b.maxX, barBase_);
    } else if (area_) {
        const double step = BarStep();
        const double half = barWidth_ * step / 2;
        b.minX += barOffset_ * step - half;
        b.maxX += barOffset_ * step + half;
        b.minY = std::min(b.minY, barBase_);
        b.maxY = std::max(b.maxY, barBase_);
    }
    return b;
}

bool TChartSeries::WholeValues(bool alongX) const {
    if (pie_) return true;
    return std::all_of(points_.begin(), points_.end(), [alongX](const QPointF& p) {
        const double v = alongX ? p.x() : p.y();
        return v == std::trunc(v);
    });
}

int TChartSeries::NearestPoint(const QPointF& value) const {
    if (points_.isEmpty()) return -1;
    if (sortedByX_) {
        const auto it = std::lower_bound(points_.begin(), points_.end(), value.x(),
                                         [](const QPointF& p, double x) { return p.x() < x; });
        int i = static_cast<int>(it - points_.begin());
        if (i >= points_.size()) return static_cast<int>(points_.size()) - 1;
        if (i > 0 && value.x() - points_.at(i - 1).x() <= points_.at(i).x() - value.x()) --i;
        return i;
    }
    // Unordered points: nearest on the screen, where both axes count alike.
    const QPointF target = chart_.mapToPosition(value, QtSeries());
    int best = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int i = 0; i < points_.size(); ++i) {
        const QPointF d = chart_.mapToPosition(points_.at(i), QtSeries()) - target;
        const double distance = d.x() * d.x() + d.y() * d.y();
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

bool TChartSeries::DrawnFromEnvelope() const {
    return kind_ == Kind::Line && sortedByX_ && points_.size() > EnvelopeThreshold;
}

QList<QPointF> TChartSeries::DrawnPoints(double from, double to) const {
    if (!sortedByX_) return points_;
    const auto byX = [](const QPointF& p, double x) { return p.x() < x; };
    // [first, last): the visible points, widened by one on each side.
    qsizetype first = std::lower_bound(points_.begin(), points_.end(), from, byX) - points_.begin();
    qsizetype last = std::upper_bound(points_.begin(), points_.end(), to,
                                      [](double x, const QPointF& p) { return x < p.x(); }) -
                     points_.begin();
    first = std::max<qsizetype>(0, first - 1);
    last = std::min<qsizetype>(points_.size(), last + 1);
    const qsizetype count = last - first;
    if (count <= EnvelopeThreshold) return points_.mid(first, count);

    QList<QPointF> drawn;
    drawn.reserve(DrawnBuckets * 2 + 2);
    const double x0 = points_.at(first).x();
    const double width = (points_.at(last - 1).x() - x0) / DrawnBuckets;
    qsizetype i = first;
    while (i < last) {
        // One slice of x: its lowest and highest point, in the order they come.
        const double end = width > 0 ? x0 + width * (std::floor((points_.at(i).x() - x0) / width) + 1) : x0;
        qsizetype low = i, high = i;
        qsizetype j = i;
        for (; j < last && (points_.at(j).x() < end || j == i); ++j) {
            if (points_.at(j).y() < points_.at(low).y()) low = j;
            if (points_.at(j).y() > points_.at(high).y()) high = j;
        }
        drawn.append(points_.at(std::min(low, high)));
        if (low != high) drawn.append(points_.at(std::max(low, high)));
        i = j;
    }
    return drawn;
}
