#include "THeatMap.h"

#include "NumberText.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace {

constexpr int LabelStep = 5; // every fifth row and column is numbered

} // namespace

THeatMap::THeatMap(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumSize(200, 160);
}

void THeatMap::SetTitle(const QString& title) {
    title_ = title;
    update();
}

void THeatMap::SetAxisTitles(const QString& columns, const QString& rows) {
    columnsTitle_ = columns;
    rowsTitle_ = rows;
    update();
}

void THeatMap::SetData(const QStringList& rowLabels, const QStringList& columnLabels,
                       const std::vector<std::vector<double>>& values) {
    rows_ = rowLabels;
    columns_ = columnLabels;
    values_.assign(static_cast<size_t>(rowLabels.size()), std::vector<double>(static_cast<size_t>(columnLabels.size()), 0.0));
    bool first = true;
    for (size_t r = 0; r < values_.size() && r < values.size(); ++r)
        for (size_t c = 0; c < values_[r].size() && c < values[r].size(); ++c) {
            const double v = std::isfinite(values[r][c]) ? values[r][c] : 0.0;
            values_[r][c] = v;
            low_ = first ? v : std::min(low_, v);
            high_ = first ? v : std::max(high_, v);
            first = false;
        }
    if (first) low_ = high_ = 0;
    update();
}

void THeatMap::Clear() {
    SetData({}, {}, {});
}

QColor THeatMap::Shade(double value, double low, double high) {
    const double t = high > low ? std::clamp((value - low) / (high - low), 0.0, 1.0) : 0.0;
    // White to dark blue through a light blue: the eye reads the order.
    const QColor from(255, 255, 255), to(8, 48, 107);
    return QColor::fromRgbF(static_cast<float>(from.redF() + t * (to.redF() - from.redF())),
                            static_cast<float>(from.greenF() + t * (to.greenF() - from.greenF())),
                            static_cast<float>(from.blueF() + t * (to.blueF() - from.blueF())));
}

QRect THeatMap::Plot() const {
    const QFontMetrics metrics(font());
    const int line = metrics.height();
    const int left = metrics.horizontalAdvance(QStringLiteral("000")) + line + 8;
    return QRect(left, line * 2 + 4, std::max(1, width() - left - 8), std::max(1, height() - line * 4 - 12));
}

std::pair<int, int> THeatMap::CellAt(const QPoint& at) const {
    const QRect plot = Plot();
    if (Rows() == 0 || Columns() == 0 || !plot.contains(at)) return {-1, -1};
    const int column = std::min(Columns() - 1, (at.x() - plot.left()) * Columns() / plot.width());
    const int row = std::min(Rows() - 1, (at.y() - plot.top()) * Rows() / plot.height());
    return {row, column};
}

QString THeatMap::CellText(int row, int column) const {
    if (row < 0 || row >= Rows() || column < 0 || column >= Columns()) return {};
    return rowsTitle_ + QStringLiteral(" ") + rows_.at(row) + QStringLiteral(", ") + columnsTitle_ +
           QStringLiteral(" ") + columns_.at(column) + QStringLiteral(": ") +
           QString::fromStdString(
               NumberText::FormatGeneral(values_[static_cast<size_t>(row)][static_cast<size_t>(column)], 6));
}

bool THeatMap::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const auto [row, column] = CellAt(help->pos());
        if (row >= 0)
            QToolTip::showText(help->globalPos(), CellText(row, column), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void THeatMap::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QFontMetrics metrics(font());
    const int line = metrics.height();
    painter.setPen(palette().text().color());
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.drawText(QRect(0, 2, width(), line), Qt::AlignHCenter, title_);
    painter.setFont(font());
    const QRect plot = Plot();
    const int rows = Rows(), columns = Columns();
    if (rows == 0 || columns == 0) return;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const QRect cell(QPoint(plot.left() + c * plot.width() / columns, plot.top() + r * plot.height() / rows),
                             QPoint(plot.left() + (c + 1) * plot.width() / columns - 1,
                                    plot.top() + (r + 1) * plot.height() / rows - 1));
            painter.fillRect(cell, Shade(values_[static_cast<size_t>(r)][static_cast<size_t>(c)], low_, high_));
        }
    painter.setPen(palette().mid().color());
    painter.drawRect(plot.adjusted(0, 0, -1, -1));
    painter.setPen(palette().text().color());
    // Numbers along the top and the left, upright, every LabelStep cells.
    for (int c = 0; c < columns; ++c)
        if ((c + 1) % LabelStep == 0 || c == 0 || columns <= 2 * LabelStep) {
            const int x = plot.left() + (2 * c + 1) * plot.width() / (2 * columns);
            painter.drawText(QRect(x - 20, plot.top() - line - 2, 40, line), Qt::AlignCenter, columns_.at(c));
        }
    for (int r = 0; r < rows; ++r)
        if ((r + 1) % LabelStep == 0 || r == 0 || rows <= 2 * LabelStep) {
            const int y = plot.top() + (2 * r + 1) * plot.height() / (2 * rows);
            painter.drawText(QRect(line, y - line / 2, plot.left() - line - 4, line), Qt::AlignRight | Qt::AlignVCenter,
                             rows_.at(r));
        }
    painter.drawText(QRect(plot.left(), plot.bottom() + 4, plot.width(), line), Qt::AlignHCenter, columnsTitle_);
    painter.save();
    painter.translate(2, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-plot.height() / 2, 0, plot.height(), line), Qt::AlignHCenter, rowsTitle_);
    painter.restore();
    // The scale: lowest and highest value at the ends of a strip.
    const QRect strip(plot.left(), plot.bottom() + line + 8, std::min(200, plot.width()), line / 2);
    QLinearGradient gradient(strip.topLeft(), strip.topRight());
    gradient.setColorAt(0, Shade(low_, low_, high_));
    gradient.setColorAt(1, Shade(high_, low_, high_));
    painter.fillRect(strip, gradient);
    painter.drawRect(strip);
    painter.drawText(QPoint(strip.right() + 6, strip.bottom() + 2),
                     QString::fromStdString(NumberText::FormatGeneral(low_, 4)) + QStringLiteral(" – ") +
                         QString::fromStdString(NumberText::FormatGeneral(high_, 4)));
}
