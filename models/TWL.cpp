#include "TWL.h"

#include <algorithm>
#include <cmath>

namespace {

// log2(n) as ln n / ln 2 in extended precision, rounded to double: exact
// powers of two give exact integers.
double Log2(int n) {
    return static_cast<double>(std::log(static_cast<long double>(n)) / std::log(2.0L));
}

long long RoundHalfEven(long double x) {
    const long double lower = std::floor(x);
    const long double fraction = x - lower;
    auto result = static_cast<long long>(lower);
    if (fraction > 0.5L || (fraction == 0.5L && result % 2 != 0)) ++result;
    return result;
}

} // namespace

void TWL::Create(int n) {
    if (n >= 2) {
        const double lg = Log2(n);
        Levels = static_cast<int>(lg);
        if (lg > Levels) ++Levels;
        Levels = std::min(Levels, 30); // keeps Size an int
        DefaultLevel = static_cast<int>(lg / 2) + 1;
    } else {
        Levels = 1;
        DefaultLevel = 1;
    }
    Size = 1 << Levels;
    PadLength = Size - std::max(n, 0);
    Coefficients.assign(static_cast<size_t>(Levels), std::vector<double>(static_cast<size_t>(Size), 0.0));
}

void TWL::Clear() {
    for (auto& row : Coefficients) std::fill(row.begin(), row.end(), 0.0);
}

void TWL::SetValue(int i, double v) {
    if (i >= 0 && i < Size && !Coefficients.empty()) Coefficients[0][static_cast<size_t>(i)] = v;
}

void TWL::Transform() {
    if (Size >= 2) Split(1, 0, Size - 1, false);
}

void TWL::Split(int level, int lo, int hi, bool swapped) {
    if (level >= Levels) return;
    const int m = hi - lo + 1;
    const int mid = lo + m / 2;
    const std::vector<double>& x = Coefficients[static_cast<size_t>(level - 1)];
    std::vector<double>& row = Coefficients[static_cast<size_t>(level)];
    for (int p = 0; p < m / 2; ++p) {
        const auto i = static_cast<size_t>(lo + 2 * p);
        const double a = static_cast<double>((static_cast<long double>(x[i]) + x[i + 1]) / 2);
        const double d = static_cast<double>((static_cast<long double>(x[i]) - x[i + 1]) / 2);
        row[static_cast<size_t>((swapped ? mid : lo) + p)] = a;
        row[static_cast<size_t>((swapped ? lo : mid) + p)] = d;
    }
    Split(level + 1, lo, mid - 1, false);
    Split(level + 1, mid, hi, true);
}

int TWL::BlockCount(int level) const {
    return level >= 0 && level < Levels ? 1 << level : 0;
}

int TWL::CoefficientCount(int level) const {
    if (level < 0 || level > 62) return 0;
    const long double blocks = std::ldexp(1.0L, level);
    const auto whole = static_cast<long long>(Size / blocks);
    return static_cast<int>(whole - RoundHalfEven(PadLength / blocks));
}

double TWL::GetCoefficient(int level, int block, int i) const {
    if (level < 0 || level >= Levels) return 0.0;
    const long long index = static_cast<long long>(CoefficientCount(level)) * block + i;
    if (index < 0 || index >= Size) return 0.0;
    return Coefficients[static_cast<size_t>(level)][static_cast<size_t>(index)];
}
