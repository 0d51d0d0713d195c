#include "TFFT.h"
#include "TWL.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

namespace {

TFFT Transformed(const std::vector<double>& values) {
    TFFT fft;
    fft.Create(static_cast<int>(values.size()));
    for (size_t i = 0; i < values.size(); ++i) fft.SetValue(static_cast<int>(i), values[i]);
    fft.Transform();
    return fft;
}

std::vector<double> Packed(const TFFT& fft) {
    return {fft.Data.begin() + 1, fft.Data.begin() + 1 + fft.Size};
}

std::vector<int> Counts(const TWL& wl) {
    std::vector<int> counts;
    for (int level = 0; level < wl.GetLevels(); ++level) counts.push_back(wl.CoefficientCount(level));
    return counts;
}

} // namespace

// Packed real layout: F0, F(N/2), then real and imaginary parts of F1, F2...
TEST(TFFTTest, WorkedExamples) {
    EXPECT_EQ(Packed(Transformed({1, 2, 3, 4})), (std::vector<double>{10, -2, -2, -2}));
    const double r2 = std::numbers::sqrt2;
    const std::vector<double> ramp = {36, -4, -4, -4 * (1 + r2), -4, -4, -4, -4 * (r2 - 1)};
    const TFFT a = Transformed({1, 2, 3, 4, 5, 6, 7, 8});
    for (int i = 0; i < 8; ++i) EXPECT_NEAR(a.GetValue(i), ramp[i], 1e-13) << i;
    // The impulse has a flat spectrum: every F is 1.
    EXPECT_EQ(Packed(Transformed({1, 0, 0, 0, 0, 0, 0, 0})), (std::vector<double>{1, 1, 1, 0, 1, 0, 1, 0}));
    // Fewer than two values are padded to two: the sum and the difference.
    EXPECT_EQ(Packed(Transformed({3})), (std::vector<double>{3, 3}));
    EXPECT_EQ(Packed(Transformed({})), (std::vector<double>{0, 0}));
    // Indices outside the padded series are ignored.
    TFFT fft;
    fft.Create(5);
    for (int i : {-1, 8, 9}) fft.SetValue(i, 1);
    EXPECT_EQ(Packed(fft), std::vector<double>(8, 0.0));
}

// Against a direct DFT (exponent sign plus) of the zero-padded series.
TEST(TFFTTest, AgreesWithADirectTransform) {
    std::mt19937_64 engine(31337);
    std::uniform_real_distribution<double> value(-50, 100);
    for (int n : {2, 3, 5, 7, 8, 17, 31, 64, 100, 1000, 1024}) {
        std::vector<double> x(static_cast<size_t>(n));
        double scale = 0;
        for (double& v : x) scale += std::fabs(v = value(engine));
        const TFFT fft = Transformed(x);
        const int size = fft.Size;
        ASSERT_TRUE(size >= n && size < 2 * n) << n;
        const double tolerance = 1e-13 * scale * std::log2(size);
        for (int j = 0; j <= size / 2; ++j) {
            std::complex<long double> f = 0;
            for (int k = 0; k < n; ++k)
                f += static_cast<long double>(x[k]) *
                     std::polar(1.0L, 2 * std::numbers::pi_v<long double> * j * k / size);
            // F0 and F(N/2) are real and share the first pair of slots.
            const int re = j == 0 ? 0 : j == size / 2 ? 1 : 2 * j;
            const double im = j > 0 && j < size / 2 ? fft.GetValue(re + 1) : 0.0;
            EXPECT_NEAR(fft.GetValue(re), static_cast<double>(f.real()), tolerance) << n << " F" << j;
            EXPECT_NEAR(im, static_cast<double>(f.imag()), tolerance) << n << " F" << j;
        }
    }
}

TEST(TWLTest, WorkedRowsAndSizes) {
    TWL wl;
    wl.Create(8);
    for (int i = 0; i < 8; ++i) wl.SetValue(i, i + 1);
    wl.Transform();
    // Averages then half-differences; a block from a second half keeps its
    // differences first.
    EXPECT_EQ(wl.Coefficients[1], (std::vector<double>{1.5, 3.5, 5.5, 7.5, -0.5, -0.5, -0.5, -0.5}));
    EXPECT_EQ(wl.Coefficients[2], (std::vector<double>{2.5, 6.5, -1, -1, 0, 0, -0.5, -0.5}));
    EXPECT_EQ(wl.GetCoefficient(2, 1, 1), -1);
    EXPECT_EQ(wl.GetCoefficient(2, 3, 0), -0.5);
    EXPECT_EQ(wl.BlockCount(3), 0);
    for (const auto& [level, block] : {std::pair{3, 0}, {2, 4}, {-1, 0}})
        EXPECT_EQ(wl.GetCoefficient(level, block, 0), 0);

    // Five values padded to 8: counts 5, 4 - 1.5 and 2 - 0.75 rounded half
    // to even.
    wl.Create(5);
    for (int i = -1; i < 10; ++i)
        wl.SetValue(i, i < 0 || i > 7 ? 99 : (i < 5 ? i + 1 : 0)); // -1, 8, 9 ignored
    EXPECT_EQ(Counts(wl), (std::vector<int>{5, 2, 1}));
    wl.Transform();
    EXPECT_EQ(wl.Coefficients[1], (std::vector<double>{1.5, 3.5, 2.5, 0, -0.5, -0.5, 2.5, 0}));
    EXPECT_EQ(wl.GetCoefficient(1, 1, 0), 2.5); // blocks two apart at level 1

    // 11 values padded to 16: 16 - 5, 8 - 2.5 (to 2), 4 - 1.25, 2 - 0.625.
    wl.Create(11);
    EXPECT_EQ(Counts(wl), (std::vector<int>{11, 6, 3, 1}));
    EXPECT_EQ(wl.GetDefaultLevel(), 2);
    // Levels round log2 up; the default level is half its integer part, plus 1.
    for (const auto& [n, levels, level] :
         {std::tuple{16, 4, 3}, {17, 5, 3}, {1 << 16, 16, 9}, {(1 << 16) + 1, 17, 9}}) {
        wl.Create(n);
        EXPECT_EQ(std::pair(wl.GetLevels(), wl.GetDefaultLevel()), std::pair(levels, level)) << n;
    }

    // One value or none: one row of two, nothing to split.
    wl.Create(1);
    wl.SetValue(0, 7);
    wl.Transform();
    EXPECT_EQ(Counts(wl), std::vector<int>{1});
    EXPECT_EQ(wl.GetCoefficient(0, 0, 0), 7);
    wl.Create(0);
    wl.Transform();
    EXPECT_EQ(Counts(wl), std::vector<int>{0});
}
