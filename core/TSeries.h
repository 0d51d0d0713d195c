#pragma once
// A chart series as the game-level forecasts see it: an ordered list of
// points (x, y) indexed from 0. The chart view implements it over a Qt Charts
// series; TPointSeries implements it over plain vectors (worker threads,
// tests, the command line).
class TSeries {
public:
    virtual ~TSeries() = default;
    virtual int Count() const = 0;
    virtual double X(int i) const = 0;
    virtual double Y(int i) const = 0;
    virtual void Clear() = 0;
    // Appends a point with an empty label and the series' default colour.
    virtual void Append(double x, double y) = 0;
    // Shows the points appended since the last redraw.
    virtual void Redraw() = 0;
};
