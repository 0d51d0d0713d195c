#include "TFFT.h"
#include "TWL.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

namespace {

std::vector<double> Packed(const TFFT& fft) {
    return {fft.Data.begin() + 1, fft.Data.begin() + 1 + fft.Size};
}

TFFT Transformed(const std::vector<double>& values) {
    TFFT fft;
    fft.Create(static_cast<int>(values.size()));
    for (size_t i = 0; i < values.size(); ++i) fft.SetValue(static_cast<int>(i), values[i]);
    fft.Transform();
    return fft;
}

std::vector<double> Row(const TWL& wl, int level) {
    return wl.Coefficients[static_cast<size_t>(level)];
}

} // namespace

TEST(TFFTTest, WorkedExamples) {
    // F0 = 10, F2 = -2, F1 = -2 - 2i.
    EXPECT_EQ(Packed(Transformed({1, 2, 3, 4})), (std::vector<double>{10, -2, -2, -2}));
    const double r2 = std::numbers::sqrt2;
    const std::vector<double> ramp = {36, -4, -4, -4 * (1 + r2), -4, -4, -4, -4 * (r2 - 1)};
    const std::vector<double> impulse = {1, 1, 1, 0, 1, 0, 1, 0};
    const TFFT a = Transformed({1, 2, 3, 4, 5, 6, 7, 8}), b = Transformed({1, 0, 0, 0, 0, 0, 0, 0});
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(a.GetValue(i), ramp[i], 1e-13) << i;
        EXPECT_NEAR(b.GetValue(i), impulse[i], 1e-15) << i;
    }
    EXPECT_NEAR(a.GetValue(3), -9.656854, 5e-7);
    EXPECT_NEAR(a.GetMagnitude(7), 1.656854, 5e-7);
    // Fewer than two values are padded to two: the sum and the difference.
    EXPECT_EQ(Packed(Transformed({5, 2})), (std::vector<double>{7, 3}));
    EXPECT_EQ(Packed(Transformed({3})), (std::vector<double>{3, 3}));
    EXPECT_EQ(Packed(Transformed({})), (std::vector<double>{0, 0}));
}

TEST(TFFTTest, SizingAndAccessors) {
    TFFT fft;
    fft.Create(5);
    EXPECT_EQ(fft.Size, 8);
    EXPECT_EQ(fft.PadLength, 3);
    EXPECT_EQ(fft.Data.size(), 10u);
    for (int i = -1; i < 10; ++i) fft.SetValue(i, i + 1.0); // -1, 8 and 9 ignored
    EXPECT_EQ(fft.GetValue(7), 8);
    EXPECT_EQ(fft.GetValue(8), 0);
    EXPECT_EQ(fft.GetValue(-1), 0);
    EXPECT_EQ(fft.Data[0], 0);
    fft.Create(16); // re-initialises
    EXPECT_EQ(fft.GetValue(1), 0);
    for (int k = 1; k <= 20; ++k) {
        fft.Create(1 << k);
        EXPECT_EQ(fft.Size, 1 << k) << k;
        fft.Create((1 << k) + 1);
        EXPECT_EQ(fft.Size, 1 << (k + 1)) << k;
    }
}

// Against a direct DFT (exponent sign plus) of the zero-padded series.
TEST(TFFTTest, AgreesWithADirectTransform) {
    std::mt19937_64 engine(31337);
    std::uniform_real_distribution<double> value(-50, 100);
    for (int n : {2, 3, 4, 5, 7, 8, 16, 17, 31, 64, 100, 256, 1000, 1024}) {
        std::vector<double> x(static_cast<size_t>(n));
        for (double& v : x) v = value(engine);
        const TFFT fft = Transformed(x);
        const int size = fft.Size;
        ASSERT_GE(size, n);
        ASSERT_LT(size, 2 * n);
        double scale = 0;
        for (double v : x) scale += std::fabs(v);
        for (int j = 0; j <= size / 2; ++j) {
            std::complex<long double> f = 0;
            for (int k = 0; k < n; ++k) {
                const long double angle = 2 * std::numbers::pi_v<long double> * j * k / size;
                f += static_cast<long double>(x[k]) *
                     std::complex<long double>(std::cos(angle), std::sin(angle));
            }
            const double tolerance = 1e-13 * scale * std::log2(size);
            if (j == 0) {
                EXPECT_NEAR(fft.GetValue(0), static_cast<double>(f.real()), tolerance) << n;
            } else if (j == size / 2) {
                EXPECT_NEAR(fft.GetValue(1), static_cast<double>(f.real()), tolerance) << n;
            } else {
                EXPECT_NEAR(fft.GetValue(2 * j), static_cast<double>(f.real()), tolerance) << n << " F" << j;
                EXPECT_NEAR(fft.GetValue(2 * j + 1), static_cast<double>(f.imag()), tolerance)
                    << n << " F" << j;
            }
        }
    }
}

TEST(TWLTest, OneToEight) {
    TWL wl;
    wl.Create(8);
    EXPECT_EQ(wl.GetLevels(), 3);
    EXPECT_EQ(wl.Size, 8);
    EXPECT_EQ(wl.PadLength, 0);
    EXPECT_EQ(wl.GetDefaultLevel(), 2);
    for (int i = 0; i < 8; ++i) wl.SetValue(i, i + 1);
    wl.Transform();
    EXPECT_EQ(Row(wl, 0), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(Row(wl, 1), (std::vector<double>{1.5, 3.5, 5.5, 7.5, -0.5, -0.5, -0.5, -0.5}));
    EXPECT_EQ(Row(wl, 2), (std::vector<double>{2.5, 6.5, -1, -1, 0, 0, -0.5, -0.5}));
    EXPECT_EQ(wl.BlockCount(0), 1);
    EXPECT_EQ(wl.BlockCount(2), 4);
    EXPECT_EQ(wl.BlockCount(3), 0);
    EXPECT_EQ(wl.CoefficientCount(1), 4);
    EXPECT_EQ(wl.CoefficientCount(2), 2);
    // Block b of level l starts at b * Size / 2^l.
    EXPECT_EQ(wl.GetCoefficient(1, 1, 0), -0.5);
    EXPECT_EQ(wl.GetCoefficient(2, 1, 1), -1);
    EXPECT_EQ(wl.GetCoefficient(2, 3, 0), -0.5);
    EXPECT_EQ(wl.GetCoefficient(3, 0, 0), 0);
    EXPECT_EQ(wl.GetCoefficient(2, 4, 0), 0);
    EXPECT_EQ(wl.GetCoefficient(-1, 0, 0), 0);
}

TEST(TWLTest, FiveValuesArePadded) {
    TWL wl;
    wl.Create(5);
    EXPECT_EQ(wl.GetLevels(), 3);
    EXPECT_EQ(wl.Size, 8);
    EXPECT_EQ(wl.PadLength, 3);
    for (int i = -1; i < 10; ++i)
        wl.SetValue(i, i < 0 || i > 7 ? 99 : (i < 5 ? i + 1 : 0)); // -1, 8, 9 ignored
    EXPECT_EQ(Row(wl, 0), (std::vector<double>{1, 2, 3, 4, 5, 0, 0, 0}));
    EXPECT_EQ(wl.CoefficientCount(0), 5);
    EXPECT_EQ(wl.CoefficientCount(1), 2); // 4 - 1.5 rounded to even (2)
    EXPECT_EQ(wl.CoefficientCount(2), 1); // 2 - 0.75 rounded (1)
    wl.Transform();
    EXPECT_EQ(Row(wl, 1), (std::vector<double>{1.5, 3.5, 2.5, 0, -0.5, -0.5, 2.5, 0}));
    EXPECT_EQ(wl.GetCoefficient(1, 1, 0), 2.5); // blocks two apart at level 1
}

TEST(TWLTest, SizesRoundHalvesToEvenAndPowersOfTwoAreExact) {
    TWL wl;
    wl.Create(11); // Size 16, padding 5
    EXPECT_EQ(wl.PadLength, 5);
    EXPECT_EQ(wl.GetDefaultLevel(), 2); // log2 11 = 3.46: 1 + 1
    // 16 - 5, 8 - 2.5 (to 2), 4 - 1.25, 2 - 0.625
    EXPECT_EQ((std::vector<int>{wl.CoefficientCount(0), wl.CoefficientCount(1), wl.CoefficientCount(2),
                                wl.CoefficientCount(3)}),
              (std::vector<int>{11, 6, 3, 1}));
    wl.Create(13);                            // padding 3
    EXPECT_EQ(wl.CoefficientCount(1), 8 - 2); // 1.5 to 2
    for (int k = 1; k <= 16; ++k) {
        wl.Create(1 << k);
        EXPECT_EQ(wl.GetLevels(), k) << k;
        EXPECT_EQ(wl.GetDefaultLevel(), k / 2 + 1) << k;
        wl.Create((1 << k) + 1);
        EXPECT_EQ(wl.GetLevels(), k + 1) << k;
    }
}

TEST(TWLTest, FewerThanTwoValues) {
    TWL wl;
    wl.Create(1);
    EXPECT_EQ(wl.GetLevels(), 1);
    EXPECT_EQ(wl.Size, 2);
    EXPECT_EQ(wl.PadLength, 1);
    wl.SetValue(0, 7);
    wl.Transform();
    EXPECT_EQ(wl.CoefficientCount(0), 1);
    EXPECT_EQ(wl.GetCoefficient(0, 0, 0), 7);
    EXPECT_EQ(wl.BlockCount(1), 0);
    wl.Create(0);
    EXPECT_EQ(wl.PadLength, 2);
    EXPECT_EQ(wl.CoefficientCount(0), 0);
    wl.Transform();
    EXPECT_EQ(wl.GetCoefficient(0, 0, 0), 0);
    wl.Create(2); // one row and nothing to split
    EXPECT_EQ(wl.GetLevels(), 1);
}

// Each Haar step keeps half the energy: a^2 + d^2 = (x^2 + y^2) / 2. And the
// series can be rebuilt from level 1 (x = a + d, y = a - d).
TEST(TWLTest, PacketsKeepHalfTheEnergyPerLevel) {
    std::mt19937_64 engine(8);
    std::uniform_real_distribution<double> value(-10, 10);
    TWL wl;
    wl.Create(64);
    std::vector<double> x(64);
    for (int i = 0; i < 64; ++i) wl.SetValue(i, x[i] = value(engine));
    wl.Transform();
    ASSERT_EQ(wl.GetLevels(), 6);
    double previous = 0;
    for (double v : x) previous += v * v;
    for (int level = 1; level < 6; ++level) {
        double energy = 0;
        for (double v : Row(wl, level)) energy += v * v;
        EXPECT_NEAR(energy, previous / 2, 1e-9 * previous) << level;
        previous = energy;
    }
    const auto level1 = Row(wl, 1);
    for (int p = 0; p < 32; ++p) {
        EXPECT_NEAR(level1[p] + level1[32 + p], x[2 * p], 1e-12);
        EXPECT_NEAR(level1[p] - level1[32 + p], x[2 * p + 1], 1e-12);
    }
    // The second half of level 1 was split with its differences first.
    const auto level2 = Row(wl, 2);
    EXPECT_NEAR(level2[32], (level1[32] - level1[33]) / 2, 1e-15);
    EXPECT_NEAR(level2[48], (level1[32] + level1[33]) / 2, 1e-15);
}
