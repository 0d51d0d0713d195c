#pragma once
#include "TSeries.h"

#include <vector>

// A series held in memory: what a worker thread fills and the window then
// copies into its chart.
class TPointSeries : public TSeries {
public:
    struct Point {
        double x = 0;
        double y = 0;
        bool operator==(const Point&) const = default;
    };

    TPointSeries() = default;
    explicit TPointSeries(std::vector<Point> points) : Points(std::move(points)) {}

    std::vector<Point> Points;

    int Count() const override { return static_cast<int>(Points.size()); }
    double X(int i) const override { return Points[static_cast<size_t>(i)].x; }
    double Y(int i) const override { return Points[static_cast<size_t>(i)].y; }
    void Clear() override { Points.clear(); }
    void Append(double x, double y) override { Points.push_back({x, y}); }
    void Redraw() override {}
};
