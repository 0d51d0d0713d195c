#include "TLR.h"
#include "TNLRExp.h"
#include "TNLRLog.h"
#include "TNLRPow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>

namespace {

TLR Points(const std::vector<double>& x, const std::vector<double>& y, int segments = 1) {
    TLR lr;
    lr.SetCount(static_cast<int>(x.size()));
    lr.SetSegments(segments);
    for (size_t i = 0; i < x.size(); ++i) lr.SetPoint(static_cast<int>(i), x[i], y[i]);
    lr.Compute();
    return lr;
}

TLR Curve(double (*f)(double), int first, int last) {
    TLR lr;
    lr.SetCount(last - first + 1);
    for (int x = first; x <= last; ++x) lr.SetPoint(x - first, x, f(x));
    return lr;
}

} // namespace

TEST(TLRTest, SegmentsOfTenPointsAndDegenerateInput) {
    const std::vector<double> x = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    TLR lr = Points(x, {2, 4, 6, 6, 5, 4, 6, 5, 6, 1e6}, 3);
    EXPECT_DOUBLE_EQ(lr.Slope[0], 2);
    EXPECT_DOUBLE_EQ(lr.R[1], -1);
    EXPECT_DOUBLE_EQ(lr.MeanX[2], 8);
    EXPECT_DOUBLE_EQ(lr.LastMeanY(), 17.0 / 3); // the tenth point is in no segment
    EXPECT_DOUBLE_EQ(lr.AverageR(), (1.0 - 1 + lr.R[2]) / 3);
    // Predict picks the segment by equal widths of the x span 1..10 (3 each).
    EXPECT_DOUBLE_EQ(lr.Predict(0), -4 + 4);
    EXPECT_DOUBLE_EQ(lr.Predict(3.5), 3 + 4);
    EXPECT_DOUBLE_EQ(lr.Predict(4.5), 0.5 + 5);
    EXPECT_DOUBLE_EQ(lr.Predict(50), 17.0 / 3 + 42 * lr.Slope[2]);

    // At most Count - 1 segments, at least one; one point per segment has no
    // line and no correlation.
    lr.SetSegments(20);
    EXPECT_EQ(lr.Segments, 9);
    lr.Compute();
    EXPECT_EQ(lr.R, std::vector<double>(9, 0.0));
    lr.SetSegments(0);
    EXPECT_EQ(lr.Segments, 1);
    // A new count refits the points per segment and clears the points; indices
    // past the end are ignored.
    lr.SetSegments(3);
    lr.SetCount(100);
    EXPECT_EQ(lr.PointsPerSegment, 33);
    lr.SetPoint(100, 1, 1);
    EXPECT_EQ(lr.GetY(0), 0);
    EXPECT_EQ(lr.GetY(100), 0);

    // No spread in x or in y: slope and correlation stay 0.
    for (const TLR& flat : {Points({4, 4, 4}, {0, 1, 2}), Points({0, 1, 2}, {7, 7, 7})})
        EXPECT_TRUE(flat.Slope[0] == 0 && flat.R[0] == 0);
    // Fewer than two points: one segment; none predict 0, one its own y.
    const TLR none = Points({}, {}, 5);
    EXPECT_EQ(none.Predict(3), 0);
    EXPECT_EQ(none.AverageR(), 0);
    EXPECT_EQ(TLR().Predict(1), 0); // never sized: no segment at all
    const TLR one = Points({2}, {5}, 4);
    EXPECT_EQ(one.Predict(-1), 5);
    EXPECT_EQ(one.Predict(9), 5);
}

TEST(TLRTest, AgreesWithClosedFormsOnRandomData) {
    std::mt19937_64 engine(12345);
    std::normal_distribution<double> noise(0, 3);
    std::uniform_real_distribution<double> coordinate(-50, 50);
    for (int trial = 0; trial < 50; ++trial) {
        const int n = 2 + trial * 7;
        std::vector<double> x(static_cast<size_t>(n)), y(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) x[i] = coordinate(engine);
        for (int i = 0; i < n; ++i) y[i] = 0.7 * x[i] - 4 + noise(engine);
        const TLR lr = Points(x, y, 1 + trial % 4);
        const int p = lr.PointsPerSegment;
        for (int s = 0; s < lr.Segments; ++s) {
            long double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
            for (int i = s * p; i < s * p + p; ++i) {
                const long double a = x[i], b = y[i];
                sx += a, sy += b, sxx += a * a, syy += b * b, sxy += a * b;
            }
            const long double vx = sxx - sx * sx / p, vy = syy - sy * sy / p, cxy = sxy - sx * sy / p;
            const double slope = vx != 0 ? static_cast<double>(cxy / vx) : 0.0;
            const double r = vx * vy > 0 ? static_cast<double>(cxy / std::sqrt(vx * vy)) : 0.0;
            EXPECT_NEAR(lr.Slope[s], slope, 1e-9 * (1 + std::fabs(slope))) << trial << "/" << s;
            EXPECT_NEAR(lr.R[s], r, 1e-9) << trial << "/" << s;
        }
    }
}

TEST(TNLRTest, FitsOfExactCurvesAndShifts) {
    TNLRExp exp;
    exp.Fit(Curve([](double x) { return 3 * std::exp(0.5 * x); }, 1, 5));
    EXPECT_EQ(std::pair(exp.XShift, exp.YShift), std::pair(0.0, 0.0));
    EXPECT_NEAR(exp.A, 3, 1e-12);
    EXPECT_NEAR(exp.B, 0.5, 1e-13);
    EXPECT_NEAR(exp.GetR(), 1, 1e-15);
    EXPECT_NEAR(exp.Predict(6), 3 * std::exp(3.0), 1e-10);
    // The source's segments play no part in a fit.
    TLR segmented = Curve([](double x) { return 3 * std::exp(0.5 * x); }, 1, 6);
    segmented.SetSegments(3);
    exp.Fit(segmented);
    EXPECT_NEAR(exp.A, 3, 1e-12);

    // Shifts make every transformed value valid. A minimum y of -2 gives
    // YShift -3, so every y - YShift is at least 1.
    exp.Fit(Curve([](double x) { return x * x - 3 * x; }, 1, 4)); // -2, -2, 0, 4
    EXPECT_EQ(std::pair(exp.XShift, exp.YShift), std::pair(0.0, -3.0));
    EXPECT_TRUE(std::isfinite(exp.A) && std::isfinite(exp.Predict(2)));
    // A minimum x of 0 gives XShift -1: ln(x + 1) is taken.
    TNLRLog log;
    log.Fit(Curve([](double x) { return 4 + 2 * std::log(x + 1); }, 0, 6));
    EXPECT_EQ(log.XShift, -1);
    EXPECT_NEAR(log.A, 4, 1e-12);
    EXPECT_NEAR(log.B, 2, 1e-12);
    EXPECT_NEAR(log.Predict(20), 4 + 2 * std::log(21.0), 1e-11);
    // A minimum x of -4 gives XShift -5 and a minimum y of -2 YShift -3, so
    // that y - YShift = (x - XShift)^1.5 exactly.
    TNLRPow pow;
    pow.Fit(Curve([](double x) { return std::pow(x + 5, 1.5) - 3; }, -4, 3));
    EXPECT_EQ(std::pair(pow.XShift, pow.YShift), std::pair(-5.0, -3.0));
    EXPECT_NEAR(pow.A, 1, 1e-12);
    EXPECT_NEAR(pow.B, 1.5, 1e-12);
    EXPECT_NEAR(pow.Predict(11), 61, 1e-9);
}
