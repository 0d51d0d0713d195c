#include "TBacktestStatistics.h"

#include <boost/math/distributions/hypergeometric.hpp>

#include <algorithm>
#include <cmath>
#include <numeric>

TBacktestStatistics::Distribution TBacktestStatistics::Hits(int n, int k, int m) {
    if (n < 1 || k < 0 || m < 1 || k > n || m > n) return {1.0L};
    // Boost's (r, n, N): r marked items (the k drawn numbers), a sample of n
    // (the m forecast numbers), N items in all.
    const boost::math::hypergeometric_distribution<long double> law(static_cast<unsigned>(k),
                                                                    static_cast<unsigned>(m),
                                                                    static_cast<unsigned>(n));
    const int top = std::min(k, m);
    const int bottom = std::max(0, m - (n - k));
    Distribution d(static_cast<size_t>(top) + 1, 0.0L);
    for (int x = bottom; x <= top; ++x) d[static_cast<size_t>(x)] = boost::math::pdf(law, static_cast<unsigned>(x));
    return d;
}

TBacktestStatistics::Distribution TBacktestStatistics::Convolve(const Distribution& a, const Distribution& b) {
    if (a.empty() || b.empty()) return {};
    Distribution c(a.size() + b.size() - 1, 0.0L);
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == 0) continue;
        for (size_t j = 0; j < b.size(); ++j) c[i + j] += a[i] * b[j];
    }
    return c;
}

long double TBacktestStatistics::Mean(const Distribution& d) {
    long double mean = 0;
    for (size_t s = 0; s < d.size(); ++s) mean += static_cast<long double>(s) * d[s];
    return mean;
}

long double TBacktestStatistics::AtLeast(const Distribution& d, long long s) {
    long double tail = 0;
    for (long long i = std::max(0LL, s); i < static_cast<long long>(d.size()); ++i) tail += d[static_cast<size_t>(i)];
    return std::min(tail, 1.0L);
}

long double TBacktestStatistics::AtMost(const Distribution& d, long long s) {
    long double tail = 0;
    const long long last = std::min(s, static_cast<long long>(d.size()) - 1);
    for (long long i = 0; i <= last; ++i) tail += d[static_cast<size_t>(i)];
    return std::min(tail, 1.0L);
}

std::vector<long double> TBacktestStatistics::Holm(std::span<const long double> p) {
    const size_t m = p.size();
    std::vector<size_t> order(m);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return p[a] < p[b]; });
    std::vector<long double> adjusted(m, 1.0L);
    long double running = 0;
    for (size_t i = 0; i < m; ++i) {
        const long double scaled = std::min(1.0L, static_cast<long double>(m - i) * p[order[i]]);
        running = std::max(running, scaled);
        adjusted[order[i]] = running;
    }
    return adjusted;
}

namespace {

// A stretch of cells y = First..Last over which P(Y = y) is Count / N.
struct Run {
    long long First = 0;
    long long Last = 0;
    long long Count = 0;
};

// How many integers of [lo, hi] lie in [a, b].
long long Overlap(long long lo, long long hi, long long a, long long b) {
    return std::max(0LL, std::min(hi, b) - std::max(lo, a) + 1);
}

// The law of Y = floor(|F - D| / q), D uniform on 1..N, as runs of cells.
std::vector<Run> CellRuns(long long f, long long n, long long q) {
    const long long s = std::min(f - 1, n - f);
    const long long longest = std::max(f - 1, n - f);
    std::vector<Run> runs;
    for (long long y = 0; y * q <= longest;) {
        const long long lo = y * q;
        const long long hi = lo + q - 1;
        const long long count = Overlap(lo, hi, 0, longest) + Overlap(lo, hi, 1, s);
        // Cells wholly inside one stretch share their count: jump to the
        // stretch's last whole cell.
        long long last = y;
        // (y + 1) q <= e + 1 says that cell y ends at or before e.
        if (lo >= 1 && hi <= s)
            last = (s + 1) / q - 1;
        else if (lo > s && hi <= longest)
            last = (longest + 1) / q - 1;
        last = std::max(last, y);
        if (!runs.empty() && runs.back().Count == count && runs.back().Last + 1 == y)
            runs.back().Last = last;
        else
            runs.push_back({y, last, count});
        y = last + 1;
    }
    return runs;
}

} // namespace

TBacktestStatistics::Bounds TBacktestStatistics::DistanceAtMost(std::span<const double> forecasts, double total,
                                                                long double observedSum, int cells) {
    const auto n = static_cast<long long>(total);
    if (n < 1 || forecasts.empty()) return {observedSum >= 0 ? 1.0L : 0.0L, observedSum >= 0 ? 1.0L : 0.0L};
    const auto contests = static_cast<long long>(forecasts.size());
    if (cells < 1) cells = static_cast<int>(std::clamp(10'000'000LL / (contests * contests), 32LL, 4000LL));
    const long long q = std::max(1LL, (n + cells - 1) / cells);
    const long double x = std::floor(observedSum);
    if (x < 0) return {0.0L, 0.0L};
    // Y never decreases the sum, so cells beyond the observed one can never
    // count again: the running distribution is kept only up to it.
    const auto limit = static_cast<long long>(std::floor(x / static_cast<long double>(q)));

    Distribution current{1.0L};
    Distribution prefix;
    for (const double forecast : forecasts) {
        const long long f = std::clamp(static_cast<long long>(forecast), 1LL, n);
        const std::vector<Run> runs = CellRuns(f, n, q);
        const long long width = runs.back().Last + 1;
        prefix.resize(current.size());
        std::partial_sum(current.begin(), current.end(), prefix.begin());
        const auto size = static_cast<long long>(current.size());
        // Sum of current[i] for i in [lo, hi] (clipped to the distribution).
        const auto stretch = [&](long long lo, long long hi) -> long double {
            lo = std::max(lo, 0LL);
            hi = std::min(hi, size - 1);
            if (lo > hi) return 0.0L;
            return prefix[static_cast<size_t>(hi)] - (lo > 0 ? prefix[static_cast<size_t>(lo - 1)] : 0.0L);
        };
        Distribution next(static_cast<size_t>(std::min(size + width - 1, limit + 1)), 0.0L);
        for (long long y = 0; y < static_cast<long long>(next.size()); ++y) {
            long double p = 0;
            for (const Run& run : runs)
                p += static_cast<long double>(run.Count) * stretch(y - run.Last, y - run.First);
            next[static_cast<size_t>(y)] = p / static_cast<long double>(n);
        }
        current = std::move(next);
    }
    Bounds bounds;
    bounds.High = AtMost(current, static_cast<long long>(std::floor(x / static_cast<long double>(q))));
    const long double shifted = x - static_cast<long double>(contests * (q - 1));
    bounds.Low =
        shifted < 0 ? 0.0L : AtMost(current, static_cast<long long>(std::floor(shifted / static_cast<long double>(q))));
    return bounds;
}

long double TBacktestStatistics::ExpectedDistance(double forecast, double total) {
    const auto n = static_cast<long long>(total);
    if (n < 1) return 0;
    const long long f = std::clamp(static_cast<long long>(forecast), 1LL, n);
    const auto s = static_cast<long double>(std::min(f - 1, n - f));
    const auto l = static_cast<long double>(std::max(f - 1, n - f));
    return (l * (l + 1) / 2 + s * (s + 1) / 2) / static_cast<long double>(n);
}
