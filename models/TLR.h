#pragma once
// Least-squares straight-line regression over a list of points, cut into
// consecutive segments of equal point counts, each with its own line and its
// Pearson correlation.
//
// Segments are formed by point index when fitting (segment s holds points
// s*p .. s*p + p - 1 with p = Count / Segments; the remainder of the division
// belongs to no segment) and by equal x widths when predicting; with points in
// ascending, evenly spaced x order the two agree.
//
// Sums and quotients are taken in extended precision and rounded to double
// when stored, as are all fields.
#include <array>
#include <vector>

class TLR {
public:
    // Sets the number of points (negative reads as 0), keeps the requested
    // number of segments (at least one) and refits it to the new count, then
    // clears every point.
    void SetCount(int count);
    // S is raised to 1 and lowered to Count - 1 when S >= Count. Fewer than two
    // points make a single segment holding the points there are.
    void SetSegments(int segments);
    void ClearPoints();
    void SetPoint(int i, double x, double y);
    void SetX(int i, double x);
    void SetY(int i, double y);
    double GetX(int i) const;
    double GetY(int i) const;

    void Compute();
    void ComputeSegment(int s);
    // Value at X of the line of the segment X falls into (by equal widths of
    // the x span from the first to the last point); 0 without points.
    double Predict(double x) const;
    double AverageR() const;
    double LastSlope() const;
    double LastMeanY() const;
    // Smallest x (y) over all points; 0 without points.
    double MinX() const;
    double MinY() const;

    int Count = 0;
    std::vector<std::array<double, 2>> Points;
    int Segments = 0;
    int PointsPerSegment = 0;
    std::vector<double> MeanX;
    std::vector<double> MeanY;
    std::vector<double> R;
    std::vector<double> Slope;
    // Working sums of the last segment computed.
    double Sxx = 0;
    double Syy = 0;
    double Sxy = 0;
};
