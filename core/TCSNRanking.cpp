#include "TCSNRanking.h"

#include <algorithm>
#include <cmath>
#include <utility>

TCSNRanking::TCSNRanking(const TCSN& converter, double csn, double fraction)
    : Centre(csn), converter_(converter) {
    Votes.assign(static_cast<size_t>(std::max(converter_.Elements, 0)) + 1, 0);
    const double total = converter_.Total;
    Distance = static_cast<double>(static_cast<long double>(total) * fraction);

    // The band X = lo, lo + 1, ... while X <= hi. X = lo + j stands for the
    // CSN ceil(lo) + j, and it is a combination exactly when that CSN lies
    // in 1..Total. Long double keeps these integers exact up to 2^64.
    const long double lo = static_cast<double>(static_cast<long double>(csn) - Distance);
    const long double hi = static_cast<long double>(csn) + Distance;
    if (!std::isfinite(lo) || !std::isfinite(hi) || !(hi >= lo) || !(total >= 1)) {
        Complete = !(hi >= lo); // a negative distance: the band is empty as asked
        return;
    }
    const long double start = std::ceil(lo);
    const long double end = start + std::floor(hi - lo);
    long double first = std::max(start, 1.0L);
    long double last = std::min(end, static_cast<long double>(total));
    Complete = first == start && last == end;
    if (last < first) return;

    long double count = last - first + 1;
    if (count > static_cast<long double>(MaxSteps)) {
        // Centred on C, moved inside the band when C lies near one of its ends.
        constexpr long double Steps = MaxSteps;
        long double from = std::ceil(static_cast<long double>(csn)) - Steps / 2;
        from = std::min(std::max(from, first), last - Steps + 1);
        first = from;
        last = from + Steps - 1;
        count = Steps;
        Bounded = true;
        Complete = false;
    }
    Count = static_cast<uint64_t>(count);
    FirstCSN = static_cast<double>(first);
    LastCSN = static_cast<double>(last);
    Divisor = Complete && Distance > 0 ? 2 * Distance : static_cast<double>(Count);
}

bool TCSNRanking::Run(const Progress& progress) {
    std::fill(Votes.begin(), Votes.end(), 0);
    Visited = 0;
    const int32_t n = converter_.Elements;
    const int32_t k = converter_.PerCombination;
    if (Count == 0) return true;
    if (k <= 0) {
        // The one empty combination: nothing to vote for.
        Visited = Count;
        return true;
    }

    std::vector<int32_t> c(static_cast<size_t>(k) + 1, 0);
    converter_.CSNToBalls(FirstCSN, c);
    // Beyond 2^53 the conversion works on rounded counts; whatever it gives,
    // the walk starts from a true combination (ascending, within 1..n).
    for (int32_t i = 1; i <= k; ++i)
        c[static_cast<size_t>(i)] =
            std::clamp(c[static_cast<size_t>(i)], c[static_cast<size_t>(i - 1)] + 1, n - k + i);

    uint64_t* votes = Votes.data();
    uint64_t remaining = Count;
    uint64_t nextReport = ProgressStep;
    for (;;) {
        // With the first k - 1 balls fixed the last one runs up to n: one
        // vote each for those values, `run` votes for each fixed ball.
        const int32_t lastBall = c[static_cast<size_t>(k)];
        const uint64_t run = std::min<uint64_t>(static_cast<uint64_t>(n - lastBall) + 1, remaining);
        uint64_t* v = votes + lastBall;
        for (uint64_t r = 0; r < run; ++r) ++v[r];
        for (int32_t i = 1; i < k; ++i) votes[c[static_cast<size_t>(i)]] += run;
        Visited += run;
        remaining -= run;
        if (remaining == 0) break;

        // The last ball stands at n: the next combination raises the
        // rightmost ball that can still move and packs the rest after it.
        int32_t i = k - 1;
        while (i >= 1 && c[static_cast<size_t>(i)] == n - k + i) --i;
        if (i == 0) break; // the last combination has no successor
        ++c[static_cast<size_t>(i)];
        for (int32_t j = i + 1; j <= k; ++j) c[static_cast<size_t>(j)] = c[static_cast<size_t>(j - 1)] + 1;

        if (progress && Visited >= nextReport) {
            nextReport = Visited + ProgressStep;
            if (!progress(Visited, Count)) return false;
        }
    }
    if (progress) progress(Visited, Count);
    return true;
}

std::vector<TCSNRanking::Line> TCSNRanking::Ranking() const {
    const auto n = static_cast<int32_t>(Votes.size()) - 1;
    std::vector<Line> lines(static_cast<size_t>(n) + 1);
    for (int32_t b = 1; b <= n; ++b) lines[static_cast<size_t>(b)] = {b, Votes[static_cast<size_t>(b)], 0};
    for (int32_t i = 1; i < n; ++i)
        for (int32_t j = i + 1; j <= n; ++j)
            if (lines[static_cast<size_t>(i)].Votes < lines[static_cast<size_t>(j)].Votes)
                std::swap(lines[static_cast<size_t>(i)], lines[static_cast<size_t>(j)]);
    lines.erase(lines.begin());
    for (Line& line : lines)
        line.Share =
            Divisor > 0 ? static_cast<double>(static_cast<long double>(line.Votes) / Divisor * 100) : 0;
    return lines;
}
