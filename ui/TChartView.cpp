#include "TChartView.h"

#include "TLocalization.h"

#include <QApplication>
#include <QAreaSeries>
#include <QChart>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QListWidget>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPieSeries>
#include <QPieSlice>
#include <QPixmap>
#include <QResizeEvent>
#include <QRubberBand>
#include <QScatterSeries>
#include <QValueAxis>
#include <QXYSeries>
#include <algorithm>
#include <cmath>

namespace {

// A round tick interval giving about the given number of divisions of the
// range: 1, 2 or 5 times a power of ten.
double NiceStep(double range, int divisions) {
    if (!(range > 0) || !std::isfinite(range)) return 1;
    const double raw = range / divisions;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double norm = raw / magnitude;
    const double factor = norm < 1.5 ? 1 : norm < 3 ? 2 : norm < 7 ? 5 : 10;
    return factor * magnitude;
}

// About six divisions, fewer when the plot is too small for their labels to
// stand apart (the toolkit elides labels that collide).
int Divisions(double pixels, double perDivision) {
    if (!(pixels > 0)) return 6;
    return std::clamp(static_cast<int>(pixels / perDivision), 2, 6);
}

} // namespace

TChartView::TChartView(QWidget* parent) : QChartView(new QChart, parent) {
    // The base class's rubber band zooms on a right-click too, which would
    // fight the pop-up menu: the selection is drawn here instead.
    setRubberBand(QChartView::NoRubberBand);
    setRenderHint(QPainter::Antialiasing, false);
    QChart* c = chart();
    c->legend()->setVisible(true);
    c->legend()->setAlignment(Qt::AlignRight);
    c->setAnimationOptions(QChart::NoAnimation);
    c->setMargins(QMargins(4, 4, 4, 4));
    c->layout()->setContentsMargins(0, 0, 0, 0);
    c->setBackgroundRoundness(0);
    // Axis labels and value marks with the grids' decimal separator.
    c->setLocalizeNumbers(true);
    c->setLocale(TLocalization::NumberLocale());
    axisX_ = new QValueAxis;
    axisY_ = new QValueAxis;
    for (QValueAxis* axis : {axisX_, axisY_}) {
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(0);
        axis->setLabelFormat(QStringLiteral("%.15g"));
        SetRange(axis, 0, 1);
        // Zooming changes the range from inside the chart: refine the ticks after it.
        connect(axis, &QValueAxis::rangeChanged, this, [this, axis] { RefreshTicks(axis); });
    }
    connect(c, &QChart::plotAreaChanged, this, [this] {
        RefreshTicks(axisX_);
        RefreshTicks(axisY_);
    });
    c->addAxis(axisX_, Qt::AlignBottom);
    c->addAxis(axisY_, Qt::AlignLeft);
    band_ = new QRubberBand(QRubberBand::Rectangle, viewport());
    pieLegend_ = new QListWidget(viewport());
    pieLegend_->setObjectName(QStringLiteral("PieLegend"));
    pieLegend_->setFrameShape(QFrame::NoFrame);
    pieLegend_->setSelectionMode(QAbstractItemView::NoSelection);
    pieLegend_->setFocusPolicy(Qt::NoFocus);
    pieLegend_->setAttribute(Qt::WA_TranslucentBackground);
    pieLegend_->viewport()->setAutoFillBackground(false);
    pieLegend_->hide();
    UpdateAxesVisibility();
}

// The interval goes first: ticks laid out over a wide new range with the old,
// fine interval would number in the millions.
void TChartView::SetRange(QValueAxis* axis, double min, double max) {
    axis->setTickInterval(TickStep(axis, max - min));
    axis->setRange(min, max);
}

void TChartView::RefreshTicks(QValueAxis* axis) {
    const double step = TickStep(axis, axis->max() - axis->min());
    if (step != axis->tickInterval()) axis->setTickInterval(step);
}

// Labels along x need room for their width, those along y for their height.
double TChartView::TickStep(const QValueAxis* axis, double range) const {
    const QRectF area = chart()->plotArea();
    const int divisions = axis == axisX_ ? Divisions(area.width(), 70) : Divisions(area.height(), 28);
    const double step = NiceStep(range, divisions);
    // Counts, contests and balls: no tick between two whole numbers.
    const bool whole = axis == axisX_ ? wholeX_ : wholeY_;
    return whole ? std::max(1.0, step) : step;
}

TChartView::~TChartView() {
    // The chart deletes the drawn series; the point lists go with series_.
}

TChartSeries& TChartView::AddLineSeries(const QString& title, const QColor& color) {
    return Add(TChartSeries::Kind::Line, title, color);
}

TChartSeries& TChartView::AddBarSeries(const QString& title, const QColor& color) {
    return Add(TChartSeries::Kind::Bar, title, color);
}

TChartSeries& TChartView::AddPointSeries(const QString& title, const QColor& color) {
    return Add(TChartSeries::Kind::Point, title, color);
}

TChartSeries& TChartView::AddPieSeries(const QString& title) {
    return Add(TChartSeries::Kind::Pie, title, QColor());
}

TChartSeries& TChartView::Add(TChartSeries::Kind kind, const QString& title, const QColor& color) {
    const int index = SeriesCount();
    series_.push_back(
        std::unique_ptr<TChartSeries>(new TChartSeries(*this, *chart(), kind, index, title, color)));
    TChartSeries& s = *series_.back();
    if (s.xy_) {
        s.xy_->attachAxis(axisX_);
        s.xy_->attachAxis(axisY_);
        connect(s.xy_, &QXYSeries::clicked, this,
                [this, index](const QPointF& p) { SeriesClicked(index, p); });
    } else if (s.area_) {
        for (QAbstractSeries* drawn :
             {static_cast<QAbstractSeries*>(s.area_), static_cast<QAbstractSeries*>(s.barMarks_)}) {
            drawn->attachAxis(axisX_);
            drawn->attachAxis(axisY_);
        }
        connect(s.area_, &QAreaSeries::clicked, this,
                [this, index](const QPointF& p) { SeriesClicked(index, p); });
    } else if (s.pie_) {
        connect(s.pie_, &QPieSeries::clicked, this, [this, index](QPieSlice* slice) {
            const int i = static_cast<int>(Series(index).pie_->slices().indexOf(slice));
            if (i >= 0 && i < Series(index).Count())
                emit PointClicked(index, Series(index).X(i), Series(index).Y(i), i);
        });
    }
    UpdateAxesVisibility();
    return s;
}

void TChartView::RemoveAllSeries() {
    series_.clear();
    chart()->removeAllSeries();
    zoomed_ = false;
    UpdateAxesVisibility();
}

void TChartView::SeriesClicked(int index, const QPointF& value) {
    if (index < 0 || index >= SeriesCount()) return;
    const TChartSeries& s = Series(index);
    const int i = s.NearestPoint(value);
    if (i >= 0) emit PointClicked(index, s.X(i), s.Y(i), i);
}

void TChartView::SetTitle(const QString& title) {
    chart()->setTitle(title);
}

QString TChartView::Title() const {
    return chart()->title();
}

void TChartView::SetAxisTitles(const QString& bottom, const QString& left) {
    axisX_->setTitleText(bottom);
    axisY_->setTitleText(left);
}

QString TChartView::BottomAxisTitle() const {
    return axisX_->titleText();
}

QString TChartView::LeftAxisTitle() const {
    return axisY_->titleText();
}

void TChartView::SetLegendVisible(bool visible) {
    legendWanted_ = visible;
    UpdatePieLegend();
}

bool TChartView::LegendVisible() const {
    return legendWanted_;
}

QStringList TChartView::LegendEntries() const {
    QStringList entries;
    if (!legendWanted_) return entries;
    if (!pieLegend_->isHidden()) {
        for (int i = 0; i < pieLegend_->count(); ++i) entries << pieLegend_->item(i)->text();
        return entries;
    }
    for (const QLegendMarker* marker : chart()->legend()->markers())
        if (marker->isVisible()) entries << marker->label();
    return entries;
}

// A pie of many slices: the toolkit's legend would cut its list at the
// chart's height, so the slices are listed in a scrolling column of their
// own on the right, and the chart leaves room for it.
void TChartView::UpdatePieLegend() {
    QPieSeries* pie = nullptr;
    bool onlyPies = !series_.empty();
    for (const auto& s : series_) {
        if (s->SeriesKind() != TChartSeries::Kind::Pie) onlyPies = false;
        else if (!pie && s->Visible()) pie = s->pie_;
    }
    const bool listed = legendWanted_ && onlyPies && pie && pie->count() > MaxLegendSlices;
    chart()->legend()->setVisible(legendWanted_ && !listed);
    pieLegend_->clear();
    pieLegend_->setVisible(listed);
    QMargins margins(4, 4, 4, 4);
    if (listed) {
        for (QPieSlice* slice : pie->slices()) {
            QPixmap swatch(10, 10);
            swatch.fill(slice->color());
            pieLegend_->addItem(new QListWidgetItem(QIcon(swatch), slice->label()));
        }
        margins.setRight(PieLegendWidth + 8);
        PlacePieLegend();
    }
    chart()->setMargins(margins);
}

void TChartView::PlacePieLegend() {
    const QRect area = viewport()->rect();
    pieLegend_->setGeometry(area.right() - PieLegendWidth - 4, area.top() + 28, PieLegendWidth,
                            std::max(40, area.height() - 36));
}

void TChartView::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    if (!pieLegend_->isHidden()) PlacePieLegend();
}

void TChartView::SetGradientBackground(const QColor& top, const QColor& bottom) {
    QLinearGradient gradient(0, 0, 0, 1);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    chart()->setBackgroundBrush(gradient);
}

void TChartView::SetBottomAxisRange(double min, double max) {
    autoX_ = false;
    SetRange(axisX_, min, max);
}

void TChartView::SetLeftAxisRange(double min, double max) {
    autoY_ = false;
    SetRange(axisY_, min, max);
}

void TChartView::SetAutomaticAxes() {
    autoX_ = autoY_ = true;
    if (!zoomed_) ApplyAutomaticRanges();
}

TChartView::Range TChartView::BottomRange() const {
    return {axisX_->min(), axisX_->max()};
}

TChartView::Range TChartView::LeftRange() const {
    return {axisY_->min(), axisY_->max()};
}

void TChartView::SetZoomEnabled(bool enabled) {
    zoomEnabled_ = enabled;
    if (!enabled) {
        band_->hide();
        dragging_ = false;
    }
}

bool TChartView::ZoomTo(const QRect& area) {
    const QRectF inChart = chart()->mapFromScene(mapToScene(area.normalized()).boundingRect()).boundingRect();
    const QRectF target = inChart.intersected(chart()->plotArea());
    if (target.width() < 1 || target.height() < 1) return false;
    chart()->zoomIn(target);
    zoomed_ = true;
    RecutEnvelopes();
    return true;
}

void TChartView::ResetZoom() {
    const bool was = zoomed_;
    zoomed_ = false;
    ApplyAutomaticRanges();
    if (was) RecutEnvelopes();
}

void TChartView::RecutEnvelopes() {
    for (const auto& s : series_)
        if (s->DrawnFromEnvelope()) s->Push();
}

void TChartView::Redraw() {
    for (const auto& s : series_)
        if (s->Dirty()) s->Push();
    UpdateAxesVisibility();
    UpdatePieLegend();
    if (!zoomed_) ApplyAutomaticRanges();
}

void TChartView::ApplyAutomaticRanges() {
    TChartSeries::Bounds all;
    wholeX_ = wholeY_ = true;
    for (const auto& s : series_) {
        if (!s->Visible()) continue;
        wholeX_ = wholeX_ && s->WholeValues(true);
        wholeY_ = wholeY_ && s->WholeValues(false);
        const TChartSeries::Bounds b = s->DataBounds();
        if (!b.valid) continue;
        if (!all.valid) {
            all = b;
            continue;
        }
        all.minX = std::min(all.minX, b.minX);
        all.maxX = std::max(all.maxX, b.maxX);
        all.minY = std::min(all.minY, b.minY);
        all.maxY = std::max(all.maxY, b.maxY);
    }
    RefreshTicks(axisX_);
    RefreshTicks(axisY_);
    if (!all.valid) return;
    // A flat range would collapse the axis: open it by one unit each way.
    if (all.maxX <= all.minX) {
        all.minX -= 1;
        all.maxX += 1;
    }
    if (all.maxY <= all.minY) {
        all.minY -= 1;
        all.maxY += 1;
    }
    if (autoX_) SetRange(axisX_, all.minX, all.maxX);
    if (autoY_) SetRange(axisY_, all.minY, all.maxY);
}

void TChartView::UpdateAxesVisibility() {
    const bool anyXY = std::any_of(series_.begin(), series_.end(),
                                   [](const auto& s) { return s->SeriesKind() != TChartSeries::Kind::Pie; });
    const bool onlyPies = !series_.empty() && !anyXY;
    axisX_->setVisible(!onlyPies);
    axisY_->setVisible(!onlyPies);
}

QImage TChartView::Picture() {
    return grab().toImage();
}

void TChartView::CopyToClipboard() {
    QApplication::clipboard()->setImage(Picture());
}

void TChartView::SetPopupMenu(QMenu* menu) {
    popup_ = menu;
}

void TChartView::mousePressEvent(QMouseEvent* event) {
    if (zoomEnabled_ && event->button() == Qt::LeftButton) {
        bandOrigin_ = event->position().toPoint();
        dragging_ = true;
    }
    QChartView::mousePressEvent(event);
}

void TChartView::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        const QPoint at = event->position().toPoint();
        if ((at - bandOrigin_).manhattanLength() >= QApplication::startDragDistance()) {
            band_->setGeometry(QRect(bandOrigin_, at).normalized());
            band_->show();
        }
    }
    QChartView::mouseMoveEvent(event);
}

void TChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        const bool marked = band_->isVisible();
        band_->hide();
        if (marked) {
            const QPoint end = event->position().toPoint();
            // Marking down and to the right zooms in; any other direction
            // returns to the whole picture.
            if (end.x() > bandOrigin_.x() && end.y() > bandOrigin_.y())
                ZoomTo(QRect(bandOrigin_, end));
            else
                ResetZoom();
            event->accept();
            return;
        }
    }
    QChartView::mouseReleaseEvent(event);
}

void TChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (zoomEnabled_ && event->button() == Qt::LeftButton && zoomed_) ResetZoom();
    QChartView::mouseDoubleClickEvent(event);
}

void TChartView::contextMenuEvent(QContextMenuEvent* event) {
    if (!popup_) {
        QChartView::contextMenuEvent(event);
        return;
    }
    emit PopupOpening();
    popup_->popup(event->globalPos());
    event->accept();
}
