#include "TQSpiderGraph.h"

#include "NumberText.h"
#include "TQSGLine.h"
#include "TQSpiderAxe.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace {

constexpr long double Pi = 3.141592653589793238462643383279502884L;
const QColor Grey{128, 128, 128};

// cos and sin of an angle in degrees, exact at the multiples of 90° so that
// the axes at 0°, 90°, 180° and 270° land exactly on the centre's row or
// column whatever the rounding of pi.
long double CosDeg(long double degrees) {
    long double d = std::fmod(degrees, 360.0L);
    if (d < 0) d += 360;
    if (d == 0) return 1;
    if (d == 90 || d == 270) return 0;
    if (d == 180) return -1;
    return std::cos(d * Pi / 180);
}

long double SinDeg(long double degrees) {
    return CosDeg(degrees - 90);
}

// Integer part toward zero. A value too large for a screen coordinate is held
// at a far but drawable distance; a value that is not a number gives
// `fallback`.
int TruncCoordinate(long double value, int fallback) {
    if (std::isnan(value)) return fallback;
    constexpr long double limit = 1 << 20;
    return static_cast<int>(std::trunc(std::clamp(value, -limit, limit)));
}

// A one-pixel frame whose outer edge is the rectangle [left, right) x [top, bottom).
void FrameRect(QPainter& painter, int left, int top, int right, int bottom, const QColor& color) {
    if (right - left < 1 || bottom - top < 1) return;
    painter.setPen(QPen(color, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(left, top, right - left - 1, bottom - top - 1);
}

} // namespace

TQSpiderGraph::TQSpiderGraph(QWidget* parent) : QWidget(parent) {
    mBoxBackColor_ = QGuiApplication::palette().color(QPalette::ToolTipBase);
    titleFont_ = font();
    titleFont_.setPointSize(12);
    titleFont_.setBold(true);
    captionFont_ = font();
    linesBoxFont_ = font();
    setMouseTracking(true);
    RebuildAxes(7);
    RebuildLines(1);
    Relayout();
}

TQSpiderGraph::~TQSpiderGraph() = default;

// ---------------------------------------------------------------- properties

void TQSpiderGraph::SetAxesCount(int count) {
    RebuildAxes(std::max(count, 3));
    RebuildLines(1);
    Relayout();
    update();
}

void TQSpiderGraph::SetAxesAutoSized(bool value) {
    axesAutoSized_ = value;
    for (const auto& axe : axes_) {
        axe->SetAutoMin(value);
        axe->SetAutoMax(value);
    }
}

void TQSpiderGraph::SetAxesColor(const QColor& color) {
    axesColor_ = color;
    update();
}

void TQSpiderGraph::SetAxesCaptionsFramed(bool value) {
    axesCaptionsFramed_ = value;
    update();
}

void TQSpiderGraph::SetPolygonFill(bool value) {
    polygonFill_ = value;
    update();
}

void TQSpiderGraph::SetPolygonColor(const QColor& color) {
    polygonColor_ = color;
    update();
}

void TQSpiderGraph::SetBorderStyle(TQBorderStyle style) {
    borderStyle_ = style;
    Relayout();
    update();
}

void TQSpiderGraph::SetBackGround(TQBackGround background) {
    backGround_ = background;
    update();
}

void TQSpiderGraph::SetBackGroundColor(const QColor& color) {
    backGroundColor_ = color;
    update();
}

void TQSpiderGraph::SetBackGStartColor(const QColor& color) {
    backGStartColor_ = color;
    update();
}

void TQSpiderGraph::SetBackGFinalColor(const QColor& color) {
    backGFinalColor_ = color;
    update();
}

void TQSpiderGraph::SetTitleCaption(const QString& caption) {
    titleCaption_ = caption;
    Relayout();
    update();
}

void TQSpiderGraph::SetTitlePosition(TQTitlePosition position) {
    titlePosition_ = position;
    // The lines box moves to the other side as well.
    Relayout();
    update();
}

void TQSpiderGraph::SetDefaultPenWidth(int width) {
    defaultPenWidth_ = (width <= 0 || width > 255) ? 1 : width;
    for (const auto& line : lines_) line->SetPenWidth(defaultPenWidth_);
    update();
}

void TQSpiderGraph::SetShowLinesPoints(bool value) {
    showLinesPoints_ = value;
    for (const auto& line : lines_) line->SetShowPoints(value);
    update();
}

void TQSpiderGraph::SetShowLinesCaption(bool value) {
    showLinesCaption_ = value;
    Relayout();
    update();
}

void TQSpiderGraph::SetLinesBoxTransparent(bool value) {
    linesBoxTransparent_ = value;
    linesBoxValid_ = false;
    update();
}

void TQSpiderGraph::SetLinesBoxColor(const QColor& color) {
    linesBoxColor_ = color;
    linesBoxValid_ = false;
    update();
}

void TQSpiderGraph::SetTrackMouseMoves(bool value) {
    trackMouseMoves_ = value;
    if (value) return;
    for (auto& box : mouseBoxes_) box.label->hide();
    // Tracking stops here, so the highlighted line is left as well: a later
    // pass over the same line must show its box again.
    ClearHighlight();
    update();
}

void TQSpiderGraph::SetShowMouseBox(bool value) {
    showMouseBox_ = value;
    if (value) return;
    for (auto& box : mouseBoxes_) box.label->hide();
    update();
}

void TQSpiderGraph::SetMBoxForColor(const QColor& color) {
    mBoxForColor_ = color;
    MouseBoxesStale(-1);
}

void TQSpiderGraph::SetMBoxBackColor(const QColor& color) {
    mBoxBackColor_ = color;
    MouseBoxesStale(-1);
}

void TQSpiderGraph::SetMBoxUsesLnColor(bool value) {
    mBoxUsesLnColor_ = value;
    MouseBoxesStale(-1);
}

void TQSpiderGraph::SetTitleFont(const QFont& font, const QColor& color) {
    titleFont_ = font;
    titleFontColor_ = color;
    Relayout();
    update();
}

void TQSpiderGraph::SetAxesCaptionFont(const QFont& font, const QColor& color) {
    captionFont_ = font;
    captionFontColor_ = color;
    update();
}

void TQSpiderGraph::SetLinesBoxFont(const QFont& font, const QColor& color) {
    linesBoxFont_ = font;
    linesBoxFontColor_ = color;
    linesBoxValid_ = false;
    Relayout();
    update();
}

// ------------------------------------------------------------ axes and lines

TQSpiderAxe* TQSpiderGraph::Axes(int index) const {
    if (index < 0 || index >= axesCount()) return nullptr;
    return axes_[static_cast<size_t>(index)].get();
}

TQSGLine* TQSpiderGraph::Lines(int index) const {
    if (index < 0 || index >= linesCount()) return nullptr;
    return lines_[static_cast<size_t>(index)].get();
}

void TQSpiderGraph::SetLinesCount(int count) {
    RebuildLines(count);
    Relayout();
    update();
}

void TQSpiderGraph::RebuildAxes(int count) {
    axes_.clear();
    axes_.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) axes_.push_back(std::make_unique<TQSpiderAxe>(*this, i, axesAutoSized_));
    linesBoxValid_ = false;
}

void TQSpiderGraph::RebuildLines(int count) {
    // The highlighted line and its box are about to go.
    ClearHighlight();
    mouseBoxes_.clear();
    lines_.clear();
    const int n = count < 2 ? 1 : count;
    lines_.reserve(static_cast<size_t>(n));
    mouseBoxes_.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        lines_.push_back(std::make_unique<TQSGLine>(*this, i));
        auto label = std::make_unique<QLabel>(this);
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setLineWidth(1);
        label->setMargin(0);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        label->setAutoFillBackground(true);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, mBoxBackColor_);
        label->setPalette(palette);
        label->hide();
        mouseBoxes_[static_cast<size_t>(i)].label = std::move(label);
    }
    linesBoxValid_ = false;
}

bool TQSpiderGraph::DataRange(int axis, float& low, float& high) const {
    bool any = false;
    for (const auto& line : lines_) {
        if (!line->hasValues_ || axis >= static_cast<int>(line->values_.size())) continue;
        const float v = line->values_[static_cast<size_t>(axis)];
        if (!any) {
            low = high = v;
            any = true;
        } else {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    return any;
}

void TQSpiderGraph::MouseBoxesStale(int line) {
    for (size_t i = 0; i < mouseBoxes_.size(); ++i)
        if (line < 0 || static_cast<int>(i) == line) mouseBoxes_[i].built = false;
}

void TQSpiderGraph::ClearHighlight() {
    if (highlighted_ < 0) return;
    const int old = highlighted_;
    highlighted_ = -1;
    if (old < static_cast<int>(mouseBoxes_.size())) mouseBoxes_[static_cast<size_t>(old)].label->hide();
    update();
    emit OnMouseExitLine(old);
}

// ---------------------------------------------------------- layout, geometry

QRect TQSpiderGraph::DrawingRect() const {
    return {drawLeft_, drawTop_, drawRight_ - drawLeft_, drawBottom_ - drawTop_};
}

void TQSpiderGraph::Relayout() {
    Layout();
    Geometry();
}

void TQSpiderGraph::Layout() {
    const int w = width();
    const int h = height();
    borderWidth_ = borderStyle_ == bsNone ? 0 : borderStyle_ == bsFlat ? 1 : 2;
    const int b = borderWidth_;
    drawLeft_ = b;
    drawTop_ = b;
    drawRight_ = w - b;
    drawBottom_ = h - b;

    titleRect_ = QRect();
    if (!titleCaption_.isEmpty()) {
        const QFontMetrics fm(titleFont_, this);
        const int tw = fm.horizontalAdvance(titleCaption_);
        const int th = fm.height();
        const int left = (w - tw) / 2;
        if (titlePosition_ == qtpTop) {
            titleRect_ = QRect(left, b + 4, tw, th);
            drawTop_ = 2 * (b + 4) + th;
        } else {
            titleRect_ = QRect(left, h - b - 4 - th, tw, th);
            drawBottom_ = h - 2 * b - th;
        }
    }

    if (showLinesCaption_ && !lines_.empty() && lines_.front()->hasValues_) {
        // A resize of a hidden control reaches resizeEvent only when shown.
        if (!linesBoxValid_ || linesBoxForWidth_ != w) BuildLinesBox();
        if (titlePosition_ == qtpTop)
            drawBottom_ -= linesBox_.height();
        else
            drawTop_ += linesBox_.height();
    }

    cx_ = b + (w - 2 * b) / 2;
    cy_ = drawTop_ + (drawBottom_ - drawTop_) / 2;
}

void TQSpiderGraph::Geometry() {
    const int n = axesCount();
    const float step = static_cast<float>(360.0L / n);
    float angle = 0;
    for (const auto& axe : axes_) {
        axe->angle_ = angle;
        angle = angle + step; // summed in single precision
    }

    const int side = std::min(drawRight_ - drawLeft_, drawBottom_ - drawTop_);
    radius_ = std::max(0, 9 * (side / 20));

    endPoints_.clear();
    endPoints_.reserve(static_cast<size_t>(n) + 1);
    for (const auto& axe : axes_) {
        const float a = axe->angle_;
        const long double t = static_cast<long double>(a) - 90;
        int x = TruncCoordinate(cx_ + radius_ * CosDeg(t), cx_);
        int y = TruncCoordinate(cy_ + radius_ * SinDeg(t), cy_);
        // The one-pixel corrections of the web's end points.
        if (a == 45.0f || a == 225.0f) y += 1;
        if (a == 90.0f || a == 270.0f) y = cy_;
        if (a == 180.0f) x = cx_;
        endPoints_.emplace_back(x, y);
    }
    endPoints_.push_back(endPoints_.front());
}

QPoint TQSpiderGraph::ValueToPoint(const TQSpiderAxe& axe, float value) const {
    if (axe.maxValue_ == axe.minValue_) return {cx_, cy_};
    const auto f = static_cast<float>((static_cast<long double>(value) - axe.minValue_) /
                                      (static_cast<long double>(axe.maxValue_) - axe.minValue_));
    const auto r = static_cast<float>(radius_ * static_cast<long double>(f));
    const long double t = static_cast<long double>(axe.angle_) - 90;
    return {TruncCoordinate(cx_ + r * CosDeg(t), cx_), TruncCoordinate(cy_ + r * SinDeg(t), cy_)};
}

void TQSpiderGraph::RefreshAutoRanges() {
    // An axis that follows its data starts again from the data range each
    // time, so that setting the same values again and painting does not keep
    // widening it.
    for (const auto& axe : axes_) {
        if (!axe->autoMin_ && !axe->autoMax_) continue;
        float low = 0;
        float high = 0;
        if (DataRange(axe->index_, low, high)) {
            if (axe->autoMin_) axe->minValue_ = low;
            if (axe->autoMax_) axe->maxValue_ = high;
        }
        axe->SetAutoMin(axe->autoMin_);
        axe->SetAutoMax(axe->autoMax_);
    }
    rangesValid_ = true;
}

// ---------------------------------------------------------------- lines box

void TQSpiderGraph::BuildLinesBox() {
    const QFontMetrics fm(linesBoxFont_, this);
    const int rowHeight = fm.height() + 2;
    const int available = width() - borderWidth_ - 4;

    struct Item {
        int row = 0;
        int x = 0;
    };
    std::vector<Item> items(lines_.size());
    std::vector<int> rowWidths{0};
    for (size_t i = 0; i < lines_.size(); ++i) {
        const int itemWidth = fm.horizontalAdvance(lines_[i]->caption_) + 28;
        if (rowWidths.back() > 0 && rowWidths.back() + itemWidth > available) rowWidths.push_back(0);
        items[i] = {static_cast<int>(rowWidths.size()) - 1, rowWidths.back()};
        rowWidths.back() += itemWidth;
    }
    const int boxWidth = *std::max_element(rowWidths.begin(), rowWidths.end());
    const int boxHeight = static_cast<int>(rowWidths.size()) * rowHeight + 3;

    QImage box(boxWidth, boxHeight, QImage::Format_ARGB32);
    box.fill(linesBoxColor_);
    {
        QPainter painter(&box);
        painter.setFont(linesBoxFont_);
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(linesBoxColor_);
        for (size_t i = 0; i < lines_.size(); ++i) {
            const TQSGLine& line = *lines_[i];
            const int rowTop = items[i].row * rowHeight;
            const int swatchX = 12 + items[i].x;
            const int swatchY = rowTop + (rowHeight - 5) / 2 + 1;
            painter.fillRect(swatchX, swatchY, 10, 5, line.color_);
            FrameRect(painter, swatchX, swatchY, swatchX + 10, swatchY + 5, Grey);
            const int textX = 25 + items[i].x;
            const int textY = rowTop + 2;
            painter.setPen(linesBoxFontColor_);
            painter.drawText(QRect(textX, textY, fm.horizontalAdvance(line.caption_), fm.height()),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line.caption_);
        }
        FrameRect(painter, 0, 0, boxWidth, boxHeight, Grey);
    }
    if (linesBoxTransparent_) {
        // The box colour is the transparent colour.
        const QRgb key = linesBoxColor_.rgb();
        for (int y = 0; y < box.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(box.scanLine(y));
            for (int x = 0; x < box.width(); ++x)
                if (row[x] == key) row[x] = 0;
        }
    }
    linesBox_ = box;
    linesBoxValid_ = true;
    linesBoxForWidth_ = width();
}

// ------------------------------------------------------------------ painting

QImage TQSpiderGraph::Render() {
    Relayout();
    if (!rangesValid_) RefreshAutoRanges();
    if (width() <= 0 || height() <= 0) return {};

    QImage image(size(), QImage::Format_RGB32);
    // What lies under a transparent background: the control's own colour.
    image.fill(palette().color(backgroundRole()));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);

    const int w = width();
    const int h = height();
    if (borderStyle_ == bsFlat) {
        FrameRect(painter, 0, 0, w, h, Grey);
    } else if (borderStyle_ == bs3D) {
        FrameRect(painter, 1, 1, w, h, Qt::white);
        FrameRect(painter, 0, 0, w - 1, h - 1, QColor(172, 168, 153));
    }
    PaintBackground(painter);
    PaintWeb(painter);

    if (!titleCaption_.isEmpty()) {
        painter.setFont(titleFont_);
        painter.setPen(titleFontColor_);
        painter.setBackgroundMode(Qt::TransparentMode);
        painter.drawText(titleRect_, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, titleCaption_);
    }

    PaintCaptions(painter);
    PaintLines(painter);

    if (showLinesCaption_ && linesBoxValid_ && linesBox_.height() >= 1) {
        const int left = (w - linesBox_.width()) / 2;
        const int top =
            titlePosition_ == qtpBottom ? borderWidth_ + 2 : h - borderWidth_ - 2 - linesBox_.height();
        painter.drawImage(left, top, linesBox_);
    }
    return image;
}

void TQSpiderGraph::PaintBackground(QPainter& painter) const {
    const int b = borderWidth_;
    const QRect inside(b, b, width() - 2 * b, height() - 2 * b);
    if (inside.isEmpty()) return;
    QLinearGradient gradient;
    switch (backGround_) {
    case bgTransparent:
        return;
    case bgColored:
        painter.fillRect(inside, backGroundColor_);
        return;
    case bgTopBottom:
        gradient = QLinearGradient(inside.topLeft(), inside.bottomLeft());
        break;
    case bgBottomTop:
        gradient = QLinearGradient(inside.bottomLeft(), inside.topLeft());
        break;
    case bgLeftToRight:
        gradient = QLinearGradient(inside.topLeft(), inside.topRight());
        break;
    case bgRightToLeft:
        gradient = QLinearGradient(inside.topRight(), inside.topLeft());
        break;
    }
    gradient.setColorAt(0, backGStartColor_);
    gradient.setColorAt(1, backGFinalColor_);
    painter.fillRect(inside, gradient);
}

void TQSpiderGraph::PaintWeb(QPainter& painter) const {
    painter.setPen(QPen(axesColor_, 1));
    const QPolygon closed(QList<QPoint>(endPoints_.begin(), endPoints_.end()));
    if (polygonFill_) {
        painter.setBrush(polygonColor_);
        painter.drawPolygon(closed.first(closed.size() - 1));
    } else {
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(closed);
    }
    const QPoint centre(cx_, cy_);
    for (const QPoint& p : endPoints_) painter.drawLine(centre, p);
}

void TQSpiderGraph::PaintCaptions(QPainter& painter) const {
    painter.setFont(captionFont_);
    painter.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics fm(captionFont_, this);
    for (size_t i = 0; i < axes_.size(); ++i) {
        const TQSpiderAxe& axe = *axes_[i];
        if (axe.caption_.isEmpty()) continue;
        const int ex = endPoints_[i].x();
        const int ey = endPoints_[i].y();
        const int tw = fm.horizontalAdvance(axe.caption_);
        const int w = tw + 4;
        const int h = fm.height() + 4;
        const float a = axe.angle_;
        const auto clampRight = [&](int left) { return left + w > drawRight_ ? drawRight_ - w : left; };
        const auto clampLeft = [&](int left) { return std::max(left, drawLeft_); };
        int top = 0;
        int left = 0;
        if (a == 0) {
            top = std::max(ey - h - 2, drawTop_);
            left = clampLeft(ex - w / 2);
        } else if (a < 90) {
            top = ey - 2 - h;
            left = clampRight(ex + 2);
        } else if (a == 90) {
            top = ey - h / 2;
            left = clampRight(ex + 2);
        } else if (a < 180) {
            top = ey + 2;
            left = clampRight(ex + 2);
        } else if (a == 180) {
            top = ey + 2;
            if (top + h > drawBottom_) top = drawBottom_ - h;
            left = ex - w / 2;
        } else if (a < 270) {
            top = ey + 2;
            left = clampLeft(ex - 2 - w);
        } else if (a == 270) {
            top = ey - h / 2;
            left = clampLeft(ex - 2 - w);
        } else {
            top = ey - 2 - h;
            left = clampLeft(ex - 2 - w);
        }
        if (axesCaptionsFramed_) FrameRect(painter, left, top, left + w, top + h, captionFontColor_);
        painter.setPen(captionFontColor_);
        painter.drawText(QRect(left + 2, top + 2, tw, fm.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, axe.caption_);
    }
}

void TQSpiderGraph::PaintLines(QPainter& painter) {
    const int n = axesCount();
    for (const auto& linePtr : lines_) {
        TQSGLine& line = *linePtr;
        if (!line.hasValues_) continue;
        line.points_.clear();
        line.points_.reserve(static_cast<size_t>(n) + 1);
        for (int i = 0; i < n; ++i)
            line.points_.push_back(
                ValueToPoint(*axes_[static_cast<size_t>(i)], line.values_[static_cast<size_t>(i)]));
        line.points_.push_back(line.points_.front());

        QPen pen(line.color_, line.penWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(QPolygon(QList<QPoint>(line.points_.begin(), line.points_.end())));
        if (line.showPoints_) {
            const int r = std::max(line.penWidth_, 4);
            painter.setPen(QPen(line.color_, 2));
            painter.setBrush(line.color_);
            for (int i = 0; i < n; ++i) painter.drawEllipse(line.points_[static_cast<size_t>(i)], r, r);
        }
    }
}

void TQSpiderGraph::paintEvent(QPaintEvent*) {
    canvas_ = Render();
    QPainter painter(this);
    painter.drawImage(0, 0, canvas_);
}

void TQSpiderGraph::resizeEvent(QResizeEvent* event) {
    linesBoxValid_ = false;
    QWidget::resizeEvent(event);
    Relayout();
    update();
}

bool TQSpiderGraph::CopyToBitmap(QImage* bitmap) {
    if (bitmap == nullptr) return false;
    const QImage picture = Render();
    if (bitmap->format() == QImage::Format_Invalid || picture.isNull())
        *bitmap = picture;
    else
        *bitmap = picture.convertToFormat(bitmap->format());
    return true;
}

QColor TQSpiderGraph::NearestColor(const QColor& color) {
    return QColor::fromRgb(color.rgb());
}

// ------------------------------------------------------------ mouse tracking

bool TQSpiderGraph::HitsLine(const TQSGLine& line, QPoint at) const {
    if (!line.hasValues_) return false;
    const QRgb wanted = line.color_.rgb();
    static constexpr QPoint offsets[] = {{0, 0}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const QPoint& offset : offsets) {
        const QPoint p = at + offset;
        if (canvas_.valid(p) && canvas_.pixel(p) == wanted) return true;
    }
    return false;
}

void TQSpiderGraph::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    if (!trackMouseMoves_ || at.y() < drawTop_ + 2 || at.y() >= drawBottom_ - 2) return;
    // The pixels on screen are those of the last paint; paint once if the
    // graph has never been painted at its current size.
    if (canvas_.size() != size()) canvas_ = Render();

    int hit = -1;
    for (const auto& line : lines_)
        if (HitsLine(*line, at)) hit = line->index_;

    if (hit < 0) {
        ClearHighlight();
        return;
    }
    if (highlighted_ < 0 || hit == highlighted_) {
        mouseBoxes_[static_cast<size_t>(hit)].label->move(at.x() + 15, at.y());
        if (highlighted_ < 0) {
            if (showMouseBox_) ShowMouseBox(hit, at);
            highlighted_ = hit;
            emit OnMouseEnterLine(hit);
        }
        return;
    }
    const int old = highlighted_;
    mouseBoxes_[static_cast<size_t>(old)].label->hide();
    update();
    emit OnMouseExitLine(old);
    if (showMouseBox_) ShowMouseBox(hit, at);
    highlighted_ = hit;
    emit OnMouseEnterLine(hit);
}

// ---------------------------------------------------------------- mouse box

QLabel* TQSpiderGraph::MouseBox(int line) const {
    if (line < 0 || line >= static_cast<int>(mouseBoxes_.size())) return nullptr;
    return mouseBoxes_[static_cast<size_t>(line)].label.get();
}

QString TQSpiderGraph::MouseBoxText(int line) {
    if (line < 0 || line >= static_cast<int>(mouseBoxes_.size())) return {};
    if (!mouseBoxes_[static_cast<size_t>(line)].built) BuildMouseBox(line);
    return mouseBoxes_[static_cast<size_t>(line)].text;
}

void TQSpiderGraph::ShowMouseBox(int line, QPoint at) {
    MouseBoxState& box = mouseBoxes_[static_cast<size_t>(line)];
    if (!box.built) BuildMouseBox(line);
    box.label->move(at.x() + 15, at.y());
    box.label->show();
    box.label->raise();
}

void TQSpiderGraph::BuildMouseBox(int lineIndex) {
    const TQSGLine& line = *lines_[static_cast<size_t>(lineIndex)];
    MouseBoxState& box = mouseBoxes_[static_cast<size_t>(lineIndex)];

    QFont boxFont(QStringLiteral("Courier New"), 8);
    boxFont.setStyleHint(QFont::TypeWriter); // the text is laid out in columns
    boxFont.setFixedPitch(true);

    // Caption and value text of every axis; Lc and Lv the longest of each.
    const int n = axesCount();
    std::vector<QString> values(static_cast<size_t>(n));
    qsizetype lc = 0;
    qsizetype lv = 0;
    for (int i = 0; i < n; ++i) {
        const float v =
            i < static_cast<int>(line.values_.size()) ? line.values_[static_cast<size_t>(i)] : 0.0f;
        values[static_cast<size_t>(i)] = QString::fromStdString(NumberText::FormatGeneral(v, 7));
        lc = std::max(lc, axes_[static_cast<size_t>(i)]->caption_.size());
        lv = std::max(lv, values[static_cast<size_t>(i)].size());
    }

    const QString title =
        line.caption_.isEmpty() ? QStringLiteral("Line N° ") + QString::number(lineIndex) : line.caption_;
    const qsizetype width = std::max(lc + lv + 5, title.size() + 2);
    const qsizetype pad = (width - title.size()) / 2 + 1;
    const qsizetype extra = (width - title.size()) % 2;
    const QString centred = QString(pad, ' ') + title + QString(pad + extra, ' ');

    QStringList rows{centred};
    for (int i = 0; i < n; ++i)
        rows << QStringLiteral(" ") + axes_[static_cast<size_t>(i)]->caption_.leftJustified(lc + 1, ' ') +
                    QStringLiteral(": ") + values[static_cast<size_t>(i)];
    box.text = rows.join(QStringLiteral("\r\n"));

    QLabel& label = *box.label;
    label.setFont(boxFont);
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, mBoxBackColor_);
    palette.setColor(QPalette::WindowText, mBoxUsesLnColor_ ? line.color_ : mBoxForColor_);
    label.setPalette(palette);
    label.setText(rows.join('\n'));
    const QFontMetrics fm(boxFont, &label);
    label.resize(fm.horizontalAdvance(centred), (fm.height() + 2) * (n + 2));
    box.built = true;
}
