#pragma once
// The chance distributions a back-test measures its forecasts against.
//
// Hits. A forecast of m distinct numbers of a game that draws k of n numbers
// hits X of them; when the draw is uniform (chance), X is hypergeometric:
// P(X = x) = C(k, x) C(n - k, m - x) / C(n, m), taken from Boost.Math. Over T
// contests the draws are independent, so the total hits S = X_1 + ... + X_T
// has the convolution of the T terms as its exact distribution (each term
// may have its own m). The convolution is plain arithmetic in long double:
// every term is a probability, so sums of products never cancel.
//
// CSN distance. See DistanceAtMost.
//
// Holm. m p-values p_(1) <= ... <= p_(m) become
// max over j <= i of min(1, (m - j + 1) p_(j)), which keeps the chance of any
// false "outside chance" verdict among the m tests at most alpha.
#include <cstdint>
#include <span>
#include <vector>

class TBacktestStatistics {
public:
    // P(S = s) for s = 0..size - 1.
    using Distribution = std::vector<long double>;

    // The hits of m distinct numbers against k drawn out of n: entries
    // x = 0..min(k, m). m = 0 (an empty forecast) hits 0 for sure. Sizes
    // outside 0 <= k, m <= n give the distribution of 0 hits.
    static Distribution Hits(int n, int k, int m);
    static Distribution Convolve(const Distribution& a, const Distribution& b);
    static long double Mean(const Distribution& d);
    // P(S >= s) and P(S <= s), summed over the tail itself (never 1 minus
    // the other tail, which would lose the small values).
    static long double AtLeast(const Distribution& d, long long s);
    static long double AtMost(const Distribution& d, long long s);

    // Holm's step-down adjustment of p-values, in their given order.
    static std::vector<long double> Holm(std::span<const long double> p);

    // The exact chance bounds of the summed CSN distances. Contest i forecast
    // the CSN F_i (an integer in 1..total); the drawn CSN D_i is uniform on
    // 1..total and independent between contests. With N = total, the
    // distance X_i = |F_i - D_i| takes the value j for
    //   count(j) = [0 <= j <= L_i] + [1 <= j <= s_i]
    // of the N draws, where s_i = min(F_i - 1, N - F_i) and
    // L_i = max(F_i - 1, N - F_i): 0 once, every j up to s_i twice (one draw
    // below the forecast, one above), every j beyond once (only one side
    // reaches so far). So P(X_i = j) = count(j) / N exactly.
    //
    // Summing T of them directly would mean distributions of T x N points
    // (5 x 10^9 for 100 Mega-Sena contests). Instead every distance is read
    // in cells of q = ceil(N / cells) CSNs: Y_i = floor(X_i / q) has the
    // exact law P(Y_i = y) = (number of j in [yq, yq + q - 1] counted as
    // above) / N, and since q Y_i <= X_i <= q Y_i + q - 1,
    //   q ΣY <= S <= q ΣY + T (q - 1).
    // Hence, for the observed sum x,
    //   P(ΣY <= floor((x - T (q - 1)) / q)) <= P(S <= x) <= P(ΣY <= floor(x / q)),
    // two bounds computed exactly from the exact convolution of the Y_i. With
    // N <= cells, q = 1 and both bounds are P(S <= x) itself. With q > 1 the
    // bounds are those of a mean distance shifted by less than 1 / cells of
    // the CSN range.
    //
    // Each Y_i's law is constant over runs of cells (2q/N inside the
    // two-sided stretch, q/N beyond, a few cells at the borders), so each
    // convolution step adds, per run, a difference of prefix sums: the cost
    // is a few passes over the running distribution per contest.
    struct Bounds {
        long double Low = 0;
        long double High = 0;
    };
    // cells below 1: 10^7 / T^2 cells, at least 32 and at most 4000, so that
    // the work stays near 10^7 steps whatever T (1000 cells for 100 contests:
    // a mean distance known to 0.001 of the range, against a chance spread
    // of about 0.02; the bounds widen for runs of thousands of contests).
    static Bounds DistanceAtMost(std::span<const double> forecasts, double total, long double observedSum,
                                 int cells = 0);
    // The expected distance E|F - D| for D uniform on 1..total:
    // (L (L + 1) / 2 + s (s + 1) / 2) / N.
    static long double ExpectedDistance(double forecast, double total);
};
