#include "TLR.h"

#include <algorithm>
#include <cmath>

void TLR::SetCount(int count) {
    Count = count < 0 ? 0 : count;
    Points.assign(static_cast<size_t>(Count), {0.0, 0.0});
    // Points per segment always follow the current count: a segment count
    // kept from an earlier size with its old division would leave points out
    // of every segment or divide a segment's sums by points it does not hold.
    SetSegments(Segments < 1 ? 1 : Segments);
    ClearPoints();
}

void TLR::SetSegments(int segments) {
    if (segments < 1) segments = 1;
    if (segments >= Count) segments = Count - 1;
    if (segments < 1) segments = 1; // fewer than two points: one segment
    Segments = segments;
    const auto n = static_cast<size_t>(Segments);
    MeanX.assign(n, 0.0);
    MeanY.assign(n, 0.0);
    R.assign(n, 0.0);
    Slope.assign(n, 0.0);
    PointsPerSegment = Count / Segments;
}

void TLR::ClearPoints() {
    std::fill(Points.begin(), Points.end(), std::array<double, 2>{0.0, 0.0});
}

void TLR::SetPoint(int i, double x, double y) {
    if (i < 0 || i >= Count) return;
    Points[static_cast<size_t>(i)] = {x, y};
}

void TLR::SetX(int i, double x) {
    if (i >= 0 && i < Count) Points[static_cast<size_t>(i)][0] = x;
}

void TLR::SetY(int i, double y) {
    if (i >= 0 && i < Count) Points[static_cast<size_t>(i)][1] = y;
}

double TLR::GetX(int i) const {
    return i >= 0 && i < Count ? Points[static_cast<size_t>(i)][0] : 0.0;
}

double TLR::GetY(int i) const {
    return i >= 0 && i < Count ? Points[static_cast<size_t>(i)][1] : 0.0;
}

void TLR::Compute() {
    for (int s = 0; s < Segments; ++s) ComputeSegment(s);
}

void TLR::ComputeSegment(int s) {
    if (s < 0 || s >= Segments) return;
    const auto k = static_cast<size_t>(s);
    const int p = PointsPerSegment;
    MeanX[k] = 0;
    MeanY[k] = 0;
    Sxx = 0;
    Syy = 0;
    Sxy = 0;
    Slope[k] = 0;
    R[k] = 0;
    if (p <= 0) return;
    const int first = s * p;
    const int last = std::min(first + p - 1, Count - 1);
    for (int i = first; i <= last; ++i) {
        const auto& point = Points[static_cast<size_t>(i)];
        MeanX[k] = static_cast<double>(static_cast<long double>(MeanX[k]) + point[0]);
        MeanY[k] = static_cast<double>(static_cast<long double>(MeanY[k]) + point[1]);
    }
    MeanX[k] = static_cast<double>(static_cast<long double>(MeanX[k]) / p);
    MeanY[k] = static_cast<double>(static_cast<long double>(MeanY[k]) / p);
    for (int i = first; i <= last; ++i) {
        const auto& point = Points[static_cast<size_t>(i)];
        const long double dx = static_cast<long double>(point[0]) - MeanX[k];
        const long double dy = static_cast<long double>(point[1]) - MeanY[k];
        Sxx = static_cast<double>(Sxx + dx * dx);
        Syy = static_cast<double>(Syy + dy * dy);
        Sxy = static_cast<double>(Sxy + dx * dy);
    }
    if (Sxx != 0) Slope[k] = static_cast<double>(static_cast<long double>(Sxy) / Sxx);
    const double spread = static_cast<double>(std::sqrt(static_cast<long double>(Sxx)) *
                                              std::sqrt(static_cast<long double>(Syy)));
    if (spread != 0) R[k] = static_cast<double>(static_cast<long double>(Sxy) / spread);
}

double TLR::Predict(double x) const {
    if (Count < 1 || Segments < 1) return 0.0;
    const double firstX = Points.front()[0];
    const double lastX = Points.back()[0];
    int segment = 0;
    if (x >= lastX) {
        segment = Segments - 1;
    } else if (x > firstX) {
        const double width = static_cast<double>((static_cast<long double>(lastX) - firstX) / Segments);
        const long double position = (static_cast<long double>(x) - firstX) / width;
        // x lies below the last x, so the quotient is below Segments; rounding
        // must not carry it past the last segment.
        segment = static_cast<int>(std::min<long double>(std::trunc(position), Segments - 1));
    }
    const auto k = static_cast<size_t>(segment);
    return static_cast<double>((static_cast<long double>(x) - MeanX[k]) * Slope[k] + MeanY[k]);
}

double TLR::AverageR() const {
    if (Segments < 1) return 0.0;
    long double sum = 0;
    for (const double r : R) sum += r;
    return static_cast<double>(sum / Segments);
}

double TLR::LastSlope() const {
    return Segments < 1 ? 0.0 : Slope.back();
}

double TLR::LastMeanY() const {
    return Segments < 1 ? 0.0 : MeanY.back();
}

double TLR::MinX() const {
    if (Points.empty()) return 0.0;
    double m = Points.front()[0];
    for (const auto& point : Points) m = std::min(m, point[0]);
    return m;
}

double TLR::MinY() const {
    if (Points.empty()) return 0.0;
    double m = Points.front()[1];
    for (const auto& point : Points) m = std::min(m, point[1]);
    return m;
}
