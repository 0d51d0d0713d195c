#pragma once
// The elementary functions of the perceptrons: exp, tanh and the two
// activations built on them.
//
// They exist so that a network trained one at a time (TNNMLP) and the same
// network trained as one lane of a vector (TNNMLPBatch) compute the same
// doubles bit for bit. The library's exp and tanh have no vector form with
// the same results, so both use these, which are written once as templates
// over the value type: T is double or Vec8 (eight doubles in one vector).
// Every step is a single IEEE operation (+, -, *, /, a fused multiply-add),
// a selection, a bit operation or a table entry, which comes out the same in a scalar register
// and in any lane of a vector register, provided floating-point contraction
// is off for every source that instantiates them (the models library is
// compiled with -ffp-contract=off): only Fma fuses.
//
// Accuracy against the C library: Exp within 2 ulps on [-708, 709], Tanh
// within 4 ulps everywhere (checked by the tests). Outside [-708, 709] Exp
// gives 0 or +infinity, where the library still gives subnormal numbers or
// the last finite values.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>

namespace NNMath {

// The kernels that use these are compiled for AVX-512 or AVX2 (a target
// attribute) while this header's functions have no target of their own. A
// vector passed or returned by value across that boundary changes its
// calling convention (zmm register against memory), so nothing here may be
// called out of line, even in a debug build: every function and every lambda
// is always_inline, and vectors are reinterpreted with __builtin_bit_cast
// rather than the library's std::bit_cast, which is a real function at -O0.
using Vec8 = double __attribute__((vector_size(64), aligned(64)));
using Vec8Bits = std::int64_t __attribute__((vector_size(64), aligned(64)));

[[gnu::always_inline]] inline std::int64_t Bits(double x) {
    return std::bit_cast<std::int64_t>(x);
}
[[gnu::always_inline]] inline Vec8Bits Bits(Vec8 x) {
    return __builtin_bit_cast(Vec8Bits, x);
}
[[gnu::always_inline]] inline double FromBits(std::int64_t b, double) {
    return std::bit_cast<double>(b);
}
[[gnu::always_inline]] inline Vec8 FromBits(Vec8Bits b, Vec8) {
    return __builtin_bit_cast(Vec8, b);
}

// N vectors advanced in lock step: every operation is applied to each of the
// N vectors in turn, so a function instantiated over Pack<E, N> computes
// N independent chains side by side. A long chain such as the polynomial of
// Expm1 then keeps the vector units busy instead of waiting on each
// result; each lane still sees exactly the operations of T = double.
template <class E, int N> struct alignas(64) Pack { E v[N]; };

template <class E, int N, class F> [[gnu::always_inline]] inline auto Map(const Pack<E, N>& a, F f) {
    Pack<decltype(f(a.v[0])), N> r;
    for (int j = 0; j < N; ++j) r.v[j] = f(a.v[j]);
    return r;
}
template <class E, int N, class F>
[[gnu::always_inline]] inline auto Map(const Pack<E, N>& a, const Pack<E, N>& b, F f) {
    Pack<decltype(f(a.v[0], b.v[0])), N> r;
    for (int j = 0; j < N; ++j) r.v[j] = f(a.v[j], b.v[j]);
    return r;
}

template <class T> inline constexpr bool IsPack = false;
template <class E, int N> inline constexpr bool IsPack<Pack<E, N>> = true;

// Element j of a pack, or a scalar standing for every element.
template <class T> [[gnu::always_inline]] inline const auto& At(const T& x, int j) {
    if constexpr (IsPack<T>)
        return x.v[j];
    else
        return x;
}

// f element by element over two operands, at least one of them a pack of N.
template <class A, class B, class F> [[gnu::always_inline]] inline auto Zip(const A& a, const B& b, F f) {
    constexpr int N = [] {
        if constexpr (IsPack<A>)
            return int(sizeof(A::v) / sizeof(A::v[0]));
        else
            return int(sizeof(B::v) / sizeof(B::v[0]));
    }();
    Pack<decltype(f(At(a, 0), At(b, 0))), N> r;
    for (int j = 0; j < N; ++j) r.v[j] = f(At(a, j), At(b, j));
    return r;
}

template <class A, class B>
concept PackOperands = IsPack<A> || IsPack<B>;

template <class A, class B>
requires PackOperands<A, B>
[[gnu::always_inline]] inline auto operator+(const A& a, const B& b) {
    return Zip(
        a, b, [](const auto& x, const auto& y) __attribute__((always_inline)) { return x + y; });
}
template <class A, class B>
requires PackOperands<A, B>
[[gnu::always_inline]] inline auto operator-(const A& a, const B& b) {
    return Zip(
        a, b, [](const auto& x, const auto& y) __attribute__((always_inline)) { return x - y; });
}
template <class A, class B>
requires PackOperands<A, B>
[[gnu::always_inline]] inline auto operator*(const A& a, const B& b) {
    return Zip(
        a, b, [](const auto& x, const auto& y) __attribute__((always_inline)) { return x * y; });
}
template <class A, class B>
requires PackOperands<A, B>
[[gnu::always_inline]] inline auto operator/(const A& a, const B& b) {
    return Zip(
        a, b, [](const auto& x, const auto& y) __attribute__((always_inline)) { return x / y; });
}
template <class A, class B>
requires PackOperands<A, B>
[[gnu::always_inline]] inline auto operator<(const A& a, const B& b) {
    return Zip(
        a, b, [](const auto& x, const auto& y) __attribute__((always_inline)) { return x < y; });
}
template <class A, class B>
requires PackOperands<A, B>
[[gnu::always_inline]] inline auto operator>(const A& a, const B& b) {
    return Zip(
        a, b, [](const auto& x, const auto& y) __attribute__((always_inline)) { return x > y; });
}

template <class A, class B>
requires PackOperands<A, B>
[[gnu::always_inline]] inline auto operator&(const A& a, const B& b) {
    return Zip(
        a, b, [](const auto& x, const auto& y) __attribute__((always_inline)) { return x & y; });
}

template <class A, class B>
requires PackOperands<A, B>
[[gnu::always_inline]] inline auto operator|(const A& a, const B& b) {
    return Zip(
        a, b, [](const auto& x, const auto& y) __attribute__((always_inline)) { return x | y; });
}
template <class A, class B>
requires PackOperands<A, B>
[[gnu::always_inline]] inline auto operator^(const A& a, const B& b) {
    return Zip(
        a, b, [](const auto& x, const auto& y) __attribute__((always_inline)) { return x ^ y; });
}

template <class E, int N> [[gnu::always_inline]] inline Pack<E, N> operator-(const Pack<E, N>& a) {
    return Map(
        a, [](const E& x) __attribute__((always_inline)) { return E(-x); });
}
template <class E, int N>
[[gnu::always_inline]] inline Pack<E, N>& operator+=(Pack<E, N>& a, const Pack<E, N>& b) {
    for (int j = 0; j < N; ++j) a.v[j] += b.v[j];
    return a;
}
template <class E, int N> [[gnu::always_inline]] inline auto operator<<(const Pack<E, N>& a, int s) {
    return Map(
        a, [s](const E& x) __attribute__((always_inline)) { return x << s; });
}
template <class E, int N> [[gnu::always_inline]] inline auto Bits(const Pack<E, N>& x) {
    return Map(
        x, [](const E& e) __attribute__((always_inline)) { return Bits(e); });
}
template <class B, class E, int N>
[[gnu::always_inline]] inline Pack<E, N> FromBits(const Pack<B, N>& b, const Pack<E, N>&) {
    return Map(
        b, [](const B& e) __attribute__((always_inline)) { return FromBits(e, E{}); });
}

// a x b + c rounded once (a fused multiply-add), lane by lane; scalars
// stand for every lane. Every AVX2 and AVX-512 processor has an instruction
// for it, which the kernels compiled for them use; elsewhere the C library's
// fma gives the same result, more slowly.
template <class E> [[gnu::always_inline]] inline E Splat(const E& x) {
    return x;
}
template <class E>
requires(!std::is_same_v<E, double>) [[gnu::always_inline]] inline E Splat(double x) {
    return E{} + x;
}
template <class A, class B, class C>
[[gnu::always_inline]] inline auto Fma(const A& a, const B& b, const C& c) {
    if constexpr (IsPack<A> || IsPack<B> || IsPack<C>) {
        using P = std::conditional_t<IsPack<A>, A, std::conditional_t<IsPack<B>, B, C>>;
        using E = std::remove_cvref_t<decltype(std::declval<P>().v[0])>;
        constexpr int N = int(sizeof(P::v) / sizeof(P::v[0]));
        Pack<E, N> r;
#pragma GCC unroll 16
        for (int j = 0; j < N; ++j) r.v[j] = Fma(Splat<E>(At(a, j)), Splat<E>(At(b, j)), Splat<E>(At(c, j)));
        return r;
    } else if constexpr (std::is_same_v<A, double> && std::is_same_v<B, double> &&
                         std::is_same_v<C, double>) {
        return __builtin_fma(a, b, c);
    } else {
        const Vec8 x = Splat<Vec8>(a);
        const Vec8 y = Splat<Vec8>(b);
        const Vec8 z = Splat<Vec8>(c);
        Vec8 r;
#pragma GCC unroll 8
        for (int l = 0; l < 8; ++l) r[l] = __builtin_fma(x[l], y[l], z[l]);
        return r;
    }
}

// c ? a : b, lane by lane.
[[gnu::always_inline]] inline double Select(bool c, double a, double b) {
    return c ? a : b;
}
[[gnu::always_inline]] inline Vec8 Select(Vec8Bits c, Vec8 a, Vec8 b) {
    return c ? a : b;
}
template <class B, class E, int N>
[[gnu::always_inline]] inline Pack<E, N> Select(const Pack<B, N>& c, const Pack<E, N>& a,
                                                const Pack<E, N>& b) {
    Pack<E, N> r;
    for (int j = 0; j < N; ++j) r.v[j] = Select(c.v[j], a.v[j], b.v[j]);
    return r;
}

// Horner coefficients 1/j! of the Taylor series of e^r.
inline constexpr double InverseFactorial[8] = {
    1.0, 1.0, 1.0 / 2.0, 1.0 / 6.0, 1.0 / 24.0, 1.0 / 120.0, 1.0 / 720.0, 1.0 / 5040.0,
};

// 2^(j/16) and 2^(j/16) - 1 for j = 0..15, each the double nearest the exact
// value (worked out to 300 bits). Keeping 2^(j/16) - 1 apart keeps e^y - 1
// accurate where it is small next to 2^(j/16).
alignas(64) inline constexpr double Exp2Sixteenth[16] = {
    0x1.0000000000000p+0, 0x1.0b5586cf9890fp+0, 0x1.172b83c7d517bp+0, 0x1.2387a6e756238p+0,
    0x1.306fe0a31b715p+0, 0x1.3dea64c123422p+0, 0x1.4bfdad5362a27p+0, 0x1.5ab07dd485429p+0,
    0x1.6a09e667f3bcdp+0, 0x1.7a11473eb0187p+0, 0x1.8ace5422aa0dbp+0, 0x1.9c49182a3f090p+0,
    0x1.ae89f995ad3adp+0, 0x1.c199bdd85529cp+0, 0x1.d5818dcfba487p+0, 0x1.ea4afa2a490dap+0,
};
alignas(64) inline constexpr double Exp2Sixteenth1[16] = {
    0x0.0000000000000p+0, 0x1.6ab0d9f3121ecp-5, 0x1.72b83c7d517aep-4, 0x1.1c3d373ab11c3p-3,
    0x1.837f0518db8a9p-3, 0x1.ef5326091a112p-3, 0x1.2ff6b54d8a89cp-2, 0x1.6ac1f752150a5p-2,
    0x1.a827999fcef32p-2, 0x1.e8451cfac061bp-2, 0x1.159ca845541b7p-1, 0x1.389230547e120p-1,
    0x1.5d13f32b5a75bp-1, 0x1.83337bb0aa538p-1, 0x1.ab031b9f7490ep-1, 0x1.d495f454921b3p-1,
};

// table[j] lane by lane, j in 0..15: an index of a scalar, or a two-register
// permutation of a vector (one instruction on AVX-512).
[[gnu::always_inline]] inline double Lookup(const double (&table)[16], std::int64_t j) {
    return table[j];
}
[[gnu::always_inline]] inline Vec8 Lookup(const double (&table)[16], Vec8Bits j) {
#ifdef __clang__
    // clang has no two-register variable shuffle builtin: lane by lane (the
    // same values; only the instrumented fuzz build compiles with clang).
    Vec8 r;
    for (int l = 0; l < 8; ++l) r[l] = table[j[l] & 15];
    return r;
#else
    Vec8 low;
    Vec8 high;
    __builtin_memcpy(&low, table, sizeof low);
    __builtin_memcpy(&high, table + 8, sizeof high);
    return __builtin_shuffle(low, high, j);
#endif
}
template <class B, int N>
[[gnu::always_inline]] inline auto Lookup(const double (&table)[16], const Pack<B, N>& j) {
    Pack<decltype(Lookup(table, j.v[0])), N> r;
    for (int l = 0; l < N; ++l) r.v[l] = Lookup(table, j.v[l]);
    return r;
}

// ln 2 / 16 in two parts (fdlibm's split of ln 2, divided by 16): the high
// part has 21 trailing zero bits, so k * Ln2Hi16 is exact for every |k|
// below 2^21.
inline constexpr double Ln2Hi16 = 6.93147180369123816490e-01 / 16;
inline constexpr double Ln2Lo16 = 1.90821492927058770002e-10 / 16;
inline constexpr double MinusLn2Hi16 = -Ln2Hi16;
inline constexpr double MinusLn2Lo16 = -Ln2Lo16;
inline constexpr double SixteenOverLn2 = 0x1.71547652b82fep+4;
// Adding 1.5 x 2^52 rounds a value below 2^51 in magnitude to an integer and
// leaves that integer in the low bits of the sum.
inline constexpr double Shifter = 0x1.8p52;

// Argument reduction shared by Exp and Expm1, for x in [-708, 709]:
// x = (16 m + j) ln 2 / 16 + r with |r| <= ln 2 / 32 and j in 0..15, so that
// e^x = 2^m 2^(j/16) e^r; scale = 2^m. 16 x 1023 + 16 m + j is positive, so
// the biased exponent m + 1023 is that sum's bits from the fourth on.
template <class T> [[gnu::always_inline]] inline auto Reduce(T x, T& r, T& scale) {
    const T t = Fma(x, SixteenOverLn2, Shifter);
    const T k = t - Shifter;
    r = Fma(k, MinusLn2Lo16, Fma(k, MinusLn2Hi16, x));
    const auto n = Bits(t) - Bits(Shifter);
    scale = FromBits(((n + 16 * 1023) << 48) & 0x7ff0000000000000, x);
    return n & 15;
}

// e^r - 1 = r + r^2 (1/2 + r/6 + ... + r^5/7!) for |r| <= ln 2 / 32: the
// Taylor polynomial of degree 7, whose remainder is at most about 2^-54 |r|
// there.
template <class T> [[gnu::always_inline]] inline T Expm1Reduced(T r) {
    T s = T{} + InverseFactorial[7];
#pragma GCC unroll 8
    for (int j = 6; j >= 2; --j) s = Fma(s, r, InverseFactorial[j]);
    return Fma(r * r, s, r);
}

// e^x = 2^m (2^(j/16) + 2^(j/16) (e^r - 1)), then 0 below -708 and +infinity
// above 709.
template <class T> [[gnu::always_inline]] inline T Exp(T x) {
    constexpr double Low = -708.0;
    constexpr double High = 709.0;
    T c = Select(x < Low, T{} + Low, x);
    c = Select(c > High, T{} + High, c);
    T r, scale;
    const auto j = Reduce(c, r, scale);
    const T table = Lookup(Exp2Sixteenth, j);
    T y = Fma(table, Expm1Reduced(r), table) * scale;
    y = Select(x < Low, T{} + 0.0, y);
    y = Select(x > High, T{} + std::numeric_limits<double>::infinity(), y);
    return y;
}

// e^y - 1 for y in [0, 44], without the cancellation of Exp(y) - 1 near 0:
// 2^(j/16) e^r - 1 = 2^(j/16) (e^r - 1) + (2^(j/16) - 1), then
// e^y - 1 = 2^m (that) + (2^m - 1), where 2^m - 1 is exact (and for
// m = j = 0 the sum is e^r - 1 itself).
template <class T> [[gnu::always_inline]] inline T Expm1(T y) {
    T r, scale;
    const auto j = Reduce(y, r, scale);
    const T q = Fma(Lookup(Exp2Sixteenth, j), Expm1Reduced(r), Lookup(Exp2Sixteenth1, j));
    return Fma(scale, q, scale - 1.0);
}

// tanh x = (e^{2|x|} - 1) / (e^{2|x|} + 1) with the sign of x, which is
// copied bit for bit (tanh -0 = -0). From |x| = 22 on, 2|x| is held at 44,
// where e^44 - 1 is so large that adding 2 leaves it unchanged and the
// quotient is exactly 1.
template <class T> [[gnu::always_inline]] inline T Tanh(T x) {
    constexpr std::int64_t SignBit = std::numeric_limits<std::int64_t>::min();
    const auto sign = Bits(x) & SignBit;
    const T a = FromBits(Bits(x) ^ sign, x);
    const T y = Select(a > 22.0, T{} + 44.0, a + a);
    const T e = Expm1(y);
    const T t = e / (e + 2.0);
    return FromBits(Bits(t) | sign, x);
}

// The activations: 1 / (1 + e^-s) and 1.716 tanh(0.667 s).
template <class T> [[gnu::always_inline]] inline T Logistic(T s) {
    return 1.0 / (1.0 + Exp(-s));
}

template <class T> [[gnu::always_inline]] inline T ScaledTanh(T s) {
    return 1.716 * Tanh(0.667 * s);
}

// Their derivatives through the activation y: (1 - y) y, and
// (1.716 - y) 0.388695 (1.716 + y), 0.388695 being 0.667 / 1.716 to six digits.
template <class T> [[gnu::always_inline]] inline T LogisticDerivative(T y) {
    return (1.0 - y) * y;
}

template <class T> [[gnu::always_inline]] inline T ScaledTanhDerivative(T y) {
    return (1.716 - y) * 0.388695 * (1.716 + y);
}

// The data scaling of the networks, which every lane of a batch shares.

// Position of x in [min, max] as a fraction. A range that is empty or has
// collapsed to one point (possible with negative values: a first value of -3
// gives [-1.5, -12], a later -24 moves the minimum onto -12) has no scale:
// every value sits at its start instead of dividing by zero.
inline double ScaleInto(double x, double min, double max) {
    const double width = max - min;
    if (width == 0 || !std::isfinite(width)) return 0.0;
    return (x - min) / width;
}

// The range update of one input or output element from a training value x;
// returns whether the range changed. A new extreme moves the bound to
// x x grow (maximum) or x x shrink (minimum).
//
// The first flags belong to a layer, not to one element: only the first
// element of a layer is reset through them. An element whose range is still
// empty is treated the same way, so that every output of a network with
// several outputs gets both bounds from its first value (otherwise its
// minimum would stay +infinity, since a raised maximum skips the minimum test
// of an output).
inline bool UpdateRange(double x, bool& first, double& min, double& max, bool isOutput, double grow,
                        double shrink) {
    constexpr double Infinity = std::numeric_limits<double>::infinity();
    double newMin = min;
    double newMax = max;
    bool changed = false;
    if (first || (min == Infinity && max == -Infinity)) {
        newMax = x * grow;
        if (newMax == 0) newMax = 1.0;
        newMin = x * shrink;
        first = false;
        changed = true;
    } else {
        bool raised = false;
        if (x > max) {
            newMax = x * grow;
            if (newMax == 0) newMax = 1.0;
            raised = true;
            changed = true;
        }
        if ((!isOutput || !raised) && x < min) {
            newMin = x * shrink;
            changed = true;
        }
    }
    if (changed) {
        min = newMin;
        max = newMax;
    }
    return changed;
}

} // namespace NNMath
