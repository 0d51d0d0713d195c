#include "TFFT.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

using Extended = long double;

inline double Round(Extended v) {
    return static_cast<double>(v);
}

} // namespace

void TFFT::Create(int n) {
    Count = std::max(n, 0);
    int levels = 1;
    if (n >= 2) {
        // log2 as ln n / ln 2 in extended precision, rounded to double.
        const double lg = Round(std::log(static_cast<Extended>(n)) / std::log(2.0L));
        levels = static_cast<int>(lg);
        if (lg > levels) ++levels;
        levels = std::min(levels, 30); // keeps Size an int
    }
    Size = 1 << levels;
    PadLength = Size - Count;
    Data.assign(static_cast<size_t>(Size) + 2, 0.0);
}

void TFFT::Clear() {
    std::fill(Data.begin(), Data.end(), 0.0);
}

void TFFT::SetValue(int i, double v) {
    if (i >= 0 && i < Size) Data[static_cast<size_t>(i) + 1] = v;
}

double TFFT::GetValue(int i) const {
    return i >= 0 && i < Size ? Data[static_cast<size_t>(i) + 1] : 0.0;
}

double TFFT::GetMagnitude(int i) const {
    return std::fabs(GetValue(i));
}

// Transform of the n/2 complex numbers Data[2m+1] + i Data[2m+2], exponent
// sign plus: bit-reversal reordering, then Danielson-Lanczos butterflies.
void TFFT::ComplexTransform() {
    double* data = Data.data(); // used from index 1
    const int n = Size;
    int j = 1;
    for (int i = 1; i < n; i += 2) {
        if (j > i) {
            std::swap(data[j], data[i]);
            std::swap(data[j + 1], data[i + 1]);
        }
        int m = n / 2;
        while (m >= 2 && j > m) {
            j -= m;
            m /= 2;
        }
        j += m;
    }
    int mmax = 2;
    while (n > mmax) {
        const int istep = 2 * mmax;
        const double theta = Round(6.28318530717959L / mmax);
        const double t = Round(std::sin(static_cast<Extended>(theta) / 2));
        const double wpr = Round(-2.0L * t * t);
        const double wpi = Round(std::sin(static_cast<Extended>(theta)));
        double wr = 1.0;
        double wi = 0.0;
        for (int m = 1; m < mmax; m += 2) {
            for (int i = m; i <= n; i += istep) {
                const int k = i + mmax;
                const double tempr =
                    Round(static_cast<Extended>(wr) * data[k] - static_cast<Extended>(wi) * data[k + 1]);
                const double tempi =
                    Round(static_cast<Extended>(wr) * data[k + 1] + static_cast<Extended>(wi) * data[k]);
                data[k] = Round(static_cast<Extended>(data[i]) - tempr);
                data[k + 1] = Round(static_cast<Extended>(data[i + 1]) - tempi);
                data[i] = Round(static_cast<Extended>(data[i]) + tempr);
                data[i + 1] = Round(static_cast<Extended>(data[i + 1]) + tempi);
            }
            // w := w + w (wpr + i wpi)
            const double previous = wr;
            wr = Round(static_cast<Extended>(wr) * wpr - static_cast<Extended>(wi) * wpi + wr);
            wi = Round(static_cast<Extended>(wi) * wpr + static_cast<Extended>(previous) * wpi + wi);
        }
        mmax = istep;
    }
}

void TFFT::Transform() {
    const int n = Size;
    if (n < 2) return;
    ComplexTransform();
    // Unpack the transform of the real series from that of the complex one.
    double* data = Data.data();
    const double theta = Round(static_cast<Extended>(std::numbers::pi) / (n / 2));
    const double t = Round(std::sin(static_cast<Extended>(theta) / 2));
    const double wpr = Round(-2.0L * t * t);
    const double wpi = Round(std::sin(static_cast<Extended>(theta)));
    double wr = Round(1.0L + wpr);
    double wi = wpi;
    for (int i = 2; i <= n / 4; ++i) {
        const int i1 = 2 * i - 1;
        const int i2 = i1 + 1;
        const int i3 = n + 3 - i2;
        const int i4 = i3 + 1;
        const double h1r = Round((static_cast<Extended>(data[i1]) + data[i3]) / 2);
        const double h1i = Round((static_cast<Extended>(data[i2]) - data[i4]) / 2);
        const double h2r = Round((static_cast<Extended>(data[i2]) + data[i4]) / 2);
        const double h2i = Round(-(static_cast<Extended>(data[i1]) - data[i3]) / 2);
        const Extended xr = wr;
        const Extended xi = wi;
        data[i1] = Round(h1r + xr * h2r - xi * h2i);
        data[i2] = Round(h1i + xr * h2i + xi * h2r);
        data[i3] = Round(h1r - xr * h2r + xi * h2i);
        data[i4] = Round(-h1i + xr * h2i + xi * h2r);
        const double previous = wr;
        wr = Round(xr * wpr - xi * wpi + wr);
        wi = Round(xi * wpr + static_cast<Extended>(previous) * wpi + wi);
    }
    const double h = data[1];
    data[1] = Round(static_cast<Extended>(h) + data[2]);
    data[2] = Round(static_cast<Extended>(h) - data[2]);
}
