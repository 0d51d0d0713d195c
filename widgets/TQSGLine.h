#pragma once
// One data line of a spider graph: a closed polygon through one value per
// axis, drawn in `color` with `penWidth`, optionally with a circle at every
// vertex.
//
// Owned by its TQSpiderGraph, which creates and frees its lines. A line
// without values (before its first SetValues) is neither drawn nor found by
// the mouse.
#include <QColor>
#include <QPoint>
#include <QString>

#include <span>
#include <vector>

class TQSpiderGraph;

class TQSGLine {
public:
    TQSGLine(TQSpiderGraph& owner, int index);

    const QString& caption() const { return caption_; }
    void SetCaption(const QString& caption);

    // The colour is replaced by the nearest one the graph's canvas can show,
    // so that the pixel test of mouse tracking finds the line's pixels.
    QColor color() const { return color_; }
    void SetColor(const QColor& color);

    int penWidth() const { return penWidth_; }
    void SetPenWidth(int width); // below 1 becomes 1

    bool showPoints() const { return showPoints_; }
    void SetShowPoints(bool show);

    // One value per axis (`axesCount` entries).
    const std::vector<float>& values() const { return values_; }
    bool hasValues() const { return hasValues_; }
    int index() const { return index_; }

    // Copies the first min(size, axesCount) values; the other axes get their
    // `minValue`. A fixed range end widens to take in every value; an axis
    // that follows its data takes the new data minimum or maximum and is
    // widened again at the next paint.
    void SetValues(std::span<const float> values);

    // Screen points of the vertices as last painted (`axesCount` + 1, the
    // last equal to the first); empty before the first paint with values.
    const std::vector<QPoint>& points() const { return points_; }

private:
    friend class TQSpiderGraph; // fills the points at each paint

    TQSpiderGraph& owner_;
    int index_ = 0;
    QString caption_ = QStringLiteral(" ");
    QColor color_;
    int penWidth_ = 1;
    bool showPoints_ = false;
    std::vector<float> values_;
    bool hasValues_ = false;
    std::vector<QPoint> points_;
};
