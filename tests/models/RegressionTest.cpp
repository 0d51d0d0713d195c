#include "TLR.h"
#include "TNLRExp.h"
#include "TNLRLog.h"
#include "TNLRPow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

TLR Line(const std::vector<std::pair<double, double>>& points, int segments = 1) {
    TLR lr;
    lr.SetCount(static_cast<int>(points.size()));
    lr.SetSegments(segments);
    for (size_t i = 0; i < points.size(); ++i)
        lr.SetPoint(static_cast<int>(i), points[i].first, points[i].second);
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

TEST(TLRTest, ThreePointsOnALine) {
    const TLR lr = Line({{1, 2}, {2, 4}, {3, 6}});
    EXPECT_EQ(lr.Segments, 1);
    EXPECT_EQ(lr.PointsPerSegment, 3);
    EXPECT_DOUBLE_EQ(lr.MeanX[0], 2);
    EXPECT_DOUBLE_EQ(lr.MeanY[0], 4);
    EXPECT_DOUBLE_EQ(lr.Slope[0], 2);
    EXPECT_DOUBLE_EQ(lr.R[0], 1);
    EXPECT_DOUBLE_EQ(lr.AverageR(), 1);
    EXPECT_DOUBLE_EQ(lr.LastSlope(), 2);
    EXPECT_DOUBLE_EQ(lr.LastMeanY(), 4);
    EXPECT_DOUBLE_EQ(lr.Predict(4), 8);
    EXPECT_DOUBLE_EQ(lr.Predict(0), 0);
    EXPECT_EQ(lr.Sxx, 2);
    EXPECT_EQ(lr.Syy, 8);
    EXPECT_EQ(lr.Sxy, 4);

    const TLR down = Line({{1, 6}, {2, 4}, {3, 2}});
    EXPECT_DOUBLE_EQ(down.Slope[0], -2);
    EXPECT_DOUBLE_EQ(down.R[0], -1);
}

TEST(TLRTest, SegmentsOfTenPoints) {
    std::vector<std::pair<double, double>> points;
    for (int i = 1; i <= 10; ++i)
        points.push_back({i, i <= 3 ? 2.0 * i : (i <= 6 ? 10.0 - i : 5.0 + (i % 2))});
    TLR lr = Line(points, 3);
    EXPECT_EQ(lr.Segments, 3);
    EXPECT_EQ(lr.PointsPerSegment, 3);
    EXPECT_DOUBLE_EQ(lr.Slope[0], 2);
    EXPECT_DOUBLE_EQ(lr.R[0], 1);
    EXPECT_DOUBLE_EQ(lr.Slope[1], -1);
    EXPECT_DOUBLE_EQ(lr.R[1], -1);
    EXPECT_DOUBLE_EQ(lr.MeanX[2], 8);
    EXPECT_DOUBLE_EQ(lr.LastMeanY(), (6.0 + 5 + 6) / 3);
    EXPECT_DOUBLE_EQ(lr.AverageR(), (1.0 - 1 + lr.R[2]) / 3);

    // The tenth point belongs to no segment.
    lr.SetY(9, 1e6);
    lr.Compute();
    EXPECT_DOUBLE_EQ(lr.LastMeanY(), (6.0 + 5 + 6) / 3);

    // Predict picks the segment by equal widths of the x span 1..10 (3 each).
    EXPECT_DOUBLE_EQ(lr.Predict(0), (0 - 2.0) * 2 + 4);     // below: segment 0
    EXPECT_DOUBLE_EQ(lr.Predict(3.5), (3.5 - 2.0) * 2 + 4); // (3.5 - 1) / 3 < 1
    EXPECT_DOUBLE_EQ(lr.Predict(4.5), (4.5 - 5.0) * -1 + 5);
    EXPECT_DOUBLE_EQ(lr.Predict(10), lr.MeanY[2] + (10 - 8) * lr.Slope[2]); // at the last x
    EXPECT_DOUBLE_EQ(lr.Predict(50), lr.MeanY[2] + (50 - 8) * lr.Slope[2]);

    lr.SetSegments(20);
    EXPECT_EQ(lr.Segments, 9);
    EXPECT_EQ(lr.PointsPerSegment, 1);
    lr.Compute();
    for (int s = 0; s < 9; ++s) {
        EXPECT_EQ(lr.Slope[s], 0) << s;
        EXPECT_EQ(lr.R[s], 0) << s;
        EXPECT_EQ(lr.MeanY[s], lr.GetY(s)) << s;
    }
    lr.SetSegments(0);
    EXPECT_EQ(lr.Segments, 1);
    EXPECT_EQ(lr.PointsPerSegment, 10);
}

TEST(TLRTest, CountChangeRefitsThePointsPerSegment) {
    TLR lr;
    lr.SetCount(10);
    lr.SetSegments(3);
    lr.SetCount(100);
    EXPECT_EQ(lr.Segments, 3);
    EXPECT_EQ(lr.PointsPerSegment, 33);
    for (int i = 0; i < 100; ++i) lr.SetPoint(i, i, 3.0 * i);
    lr.Compute();
    EXPECT_DOUBLE_EQ(lr.MeanX[2], 82); // points 66..98
    lr.SetCount(2);
    EXPECT_EQ(lr.Segments, 1);
    EXPECT_EQ(lr.PointsPerSegment, 2);
    EXPECT_EQ(lr.GetX(1), 0); // cleared
}

TEST(TLRTest, AccessorsOutsideThePointsAndZeroSpread) {
    TLR lr;
    lr.SetCount(3);
    lr.SetPoint(3, 9, 9);
    lr.SetPoint(-1, 9, 9);
    lr.SetX(5, 1);
    lr.SetY(-2, 1);
    EXPECT_EQ(lr.GetX(3), 0);
    EXPECT_EQ(lr.GetY(-1), 0);
    for (int i = 0; i < 3; ++i) lr.SetPoint(i, 4, i); // all x equal
    lr.Compute();
    EXPECT_EQ(lr.Slope[0], 0);
    EXPECT_EQ(lr.R[0], 0);
    for (int i = 0; i < 3; ++i) lr.SetPoint(i, i, 7); // all y equal
    lr.Compute();
    EXPECT_EQ(lr.Slope[0], 0);
    EXPECT_EQ(lr.R[0], 0);
    EXPECT_EQ(lr.MinX(), 0);
    EXPECT_EQ(lr.MinY(), 7);
    lr.SetPoint(1, -3, 2);
    EXPECT_EQ(lr.MinX(), -3);
    EXPECT_EQ(lr.MinY(), 2);
}

TEST(TLRTest, FewerThanTwoPoints) {
    TLR none;
    none.SetCount(0);
    none.SetSegments(5);
    none.Compute();
    EXPECT_EQ(none.Segments, 1);
    EXPECT_EQ(none.PointsPerSegment, 0);
    EXPECT_EQ(none.Predict(3), 0);
    EXPECT_EQ(none.AverageR(), 0);
    EXPECT_EQ(none.MinX(), 0);

    TLR one;
    one.SetCount(1);
    one.SetSegments(4);
    one.SetPoint(0, 2, 5);
    one.Compute();
    EXPECT_EQ(one.Segments, 1);
    EXPECT_EQ(one.MeanY[0], 5);
    EXPECT_EQ(one.LastSlope(), 0);
    EXPECT_EQ(one.Predict(-1), 5);
    EXPECT_EQ(one.Predict(9), 5);

    // An object never sized has no segment at all.
    const TLR fresh;
    EXPECT_EQ(fresh.Predict(1), 0);
    EXPECT_EQ(fresh.LastSlope(), 0);
    EXPECT_EQ(fresh.LastMeanY(), 0);
}

TEST(TLRTest, AgreesWithClosedFormsOnRandomData) {
    std::mt19937_64 engine(12345);
    std::normal_distribution<double> noise(0, 3);
    std::uniform_real_distribution<double> coordinate(-50, 50);
    for (int trial = 0; trial < 50; ++trial) {
        const int n = 2 + trial * 7;
        const int segments = 1 + trial % 4;
        TLR lr;
        lr.SetCount(n);
        lr.SetSegments(segments);
        std::vector<double> x(static_cast<size_t>(n)), y(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            x[i] = coordinate(engine);
            y[i] = 0.7 * x[i] - 4 + noise(engine);
            lr.SetPoint(i, x[i], y[i]);
        }
        lr.Compute();
        const int p = lr.PointsPerSegment;
        ASSERT_EQ(p, n / lr.Segments);
        long double sumR = 0;
        for (int s = 0; s < lr.Segments; ++s) {
            long double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
            for (int i = s * p; i < s * p + p; ++i) {
                sx += x[i];
                sy += y[i];
                sxx += static_cast<long double>(x[i]) * x[i];
                syy += static_cast<long double>(y[i]) * y[i];
                sxy += static_cast<long double>(x[i]) * y[i];
            }
            const long double vx = sxx - sx * sx / p, vy = syy - sy * sy / p, cxy = sxy - sx * sy / p;
            const double slope = vx != 0 ? static_cast<double>(cxy / vx) : 0.0;
            const double r = vx * vy > 0 ? static_cast<double>(cxy / std::sqrt(vx * vy)) : 0.0;
            EXPECT_NEAR(lr.MeanX[s], static_cast<double>(sx / p), 1e-12) << trial << "/" << s;
            EXPECT_NEAR(lr.Slope[s], slope, 1e-9 * (1 + std::fabs(slope))) << trial << "/" << s;
            EXPECT_NEAR(lr.R[s], r, 1e-9) << trial << "/" << s;
            EXPECT_LE(std::fabs(lr.R[s]), 1.0) << trial << "/" << s;
            sumR += lr.R[s];
        }
        EXPECT_NEAR(lr.AverageR(), static_cast<double>(sumR / lr.Segments), 1e-15);
    }
}

TEST(TNLRTest, ExponentialFitOfAnExactCurve) {
    const TLR source = Curve([](double x) { return 3 * std::exp(0.5 * x); }, 1, 5);
    TNLRExp fit;
    fit.Fit(source);
    EXPECT_EQ(fit.XShift, 0);
    EXPECT_EQ(fit.YShift, 0);
    EXPECT_NEAR(fit.A, 3, 1e-12);
    EXPECT_NEAR(fit.B, 0.5, 1e-13);
    EXPECT_NEAR(fit.GetR(), 1, 1e-15);
    EXPECT_NEAR(fit.Predict(6), 3 * std::exp(3.0), 1e-10);
}

TEST(TNLRTest, LogarithmicAndPowerFitsOfExactCurves) {
    const TLR logSource = Curve([](double x) { return 2 + 3 * std::log(x); }, 1, 8);
    TNLRLog log;
    log.Fit(logSource);
    EXPECT_EQ(log.XShift, 0);
    EXPECT_EQ(log.YShift, 0);
    EXPECT_NEAR(log.A, 2, 1e-12);
    EXPECT_NEAR(log.B, 3, 1e-12);
    EXPECT_NEAR(log.R, 1, 1e-15);
    EXPECT_NEAR(log.Predict(20), 2 + 3 * std::log(20.0), 1e-11);

    const TLR powSource = Curve([](double x) { return 2 * std::pow(x, 1.5); }, 1, 8);
    TNLRPow pow;
    pow.Fit(powSource);
    EXPECT_NEAR(pow.A, 2, 1e-12);
    EXPECT_NEAR(pow.B, 1.5, 1e-12);
    EXPECT_NEAR(pow.R, 1, 1e-15);
    EXPECT_NEAR(pow.Predict(16), 128, 1e-9);
}

TEST(TNLRTest, ShiftsMakeEveryTransformedValueValid) {
    // y minimum -2: YShift = -3, so y - YShift >= 1.
    TLR source;
    source.SetCount(4);
    const double ys[] = {-2, 0, 5, 1};
    for (int i = 0; i < 4; ++i) source.SetPoint(i, i + 1, ys[i]);
    TNLRExp exp;
    exp.Fit(source);
    EXPECT_EQ(exp.YShift, -3);
    EXPECT_EQ(exp.XShift, 0);
    EXPECT_TRUE(std::isfinite(exp.A));
    EXPECT_TRUE(std::isfinite(exp.Predict(2)));

    // Minimum x of 0: XShift = -1, so ln(x + 1) is taken.
    const TLR fromZero = Curve([](double x) { return 4 + 2 * std::log(x + 1); }, 0, 6);
    TNLRLog log;
    log.Fit(fromZero);
    EXPECT_EQ(log.XShift, -1);
    EXPECT_EQ(log.YShift, 0);
    EXPECT_NEAR(log.A, 4, 1e-12);
    EXPECT_NEAR(log.B, 2, 1e-12);
    EXPECT_NEAR(log.Predict(9), 4 + 2 * std::log(10.0), 1e-11);

    // A negative minimum x of -4 gives XShift -5; a minimum y of 0 gives
    // YShift -1.
    const TLR negative = Curve([](double x) { return 5 * std::pow(x + 5, 2.0) - 5; }, -4, 3);
    TNLRPow pow;
    pow.Fit(negative);
    EXPECT_EQ(pow.XShift, -5);
    EXPECT_EQ(pow.YShift, -1);
    EXPECT_TRUE(std::isfinite(pow.A));
    EXPECT_GT(pow.R, 0.9);

    // The source's segments play no part in a fit.
    TLR segmented = Curve([](double x) { return 3 * std::exp(0.5 * x); }, 1, 6);
    segmented.SetSegments(3);
    segmented.Compute();
    TNLRExp again;
    again.Fit(segmented);
    EXPECT_NEAR(again.A, 3, 1e-12);
    EXPECT_NEAR(again.B, 0.5, 1e-13);
}
