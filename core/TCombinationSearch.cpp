#include "TCombinationSearch.h"

#include "TLottery.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <immintrin.h>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

constexpr TCsnValue Saturated = ~TCsnValue(0);
constexpr TCsnValue Exact53 = TCsnValue(1) << 53;
constexpr TCsnValue Limit127 = TCsnValue(1) << 127;

TCsnValue SaturatingAdd(TCsnValue a, TCsnValue b) {
    return a > Saturated - b ? Saturated : a + b;
}

// Read-only data shared by the workers of one scan.
struct TPrepared {
    int32_t n = 0;
    int32_t k = 0;
    int32_t S = 0;                   // sample draws (bit i = sample draw i, oldest first)
    int32_t W = 0;                   // 64-bit words per sample bit set
    int32_t Dp = 0;                  // considered draws
    int32_t Wn = 0;                  // 64-bit words per ball bit set (bits 0..n)
    std::vector<uint64_t> ballMasks; // [(n + 1) x W]: sample draws holding ball b
    std::vector<uint64_t> drawBits;  // [Dp x Wn]: balls of each considered draw
    // [b]: the most sample draws that hold one ball of b..n (a bound on what
    // a last ball can add to a prefix's hit counts).
    std::vector<int32_t> suffixMaxFreq;
    // [h]: the highest count of h hits any worker has found in this scan.
    // The final record of h counts at least that much, so a candidate below
    // it is never the record, whichever block it is in.
    std::atomic<int32_t>* bestCounts = nullptr;
    // [b x (k + 1) + r]: the sum of the r largest sample frequencies among
    // balls b..n (b = 1..n + 1).
    std::vector<int32_t> topFrequencies;
    // [m x k + r]: C(m, r), the candidates below a prefix with r balls to
    // come from m; only for universes walked in full (at most 2^53).
    std::vector<TCsnValue> completions;
    const TCombinationSearch* search = nullptr;
    // Candidates come in reverse CSN order (the complements' walk): among
    // equal candidates the later one is the earlier combination and wins.
    bool reversed = false;
};

// Which candidates one block covers: a CSN range of the full universe or a
// slice of the reduced universe's list, plus its position in the sequence.
struct TBlock {
    TCsnValue first = 0; // full universe: CSNs first .. first + count - 1
    uint64_t count = 0;
    std::span<const TCsnValue> list; // reduced universe
};

struct TRecord {
    int32_t count = 0;
    int32_t recency = 0;
    int32_t last = 0;
    TCsnValue csn = 0;
};

// Everything one block finds; merged in block order.
struct TBlockResult {
    uint64_t examined = 0;
    std::vector<TRecord> rec1, rec2; // per h
    std::vector<std::vector<int32_t>> streaks;
    std::vector<int32_t> delayHist, advanceHist;
    int32_t maxDelay = 0, maxAdvance = 0;
    std::vector<TCsnValue> delayList, advanceList, listing;
};

// What a worker does with its block, fixed for one phase.
struct TTask {
    TSearchMode mode = TSearchMode::Recurrence;
    int32_t doubleH = -1;          // the double check of this hit count
    std::vector<uint64_t> doubleA; // sample draws where CSN1[h] has h hits
    int32_t doubleLastA = 0;
    int32_t threshold = 0, floor = 0, listHits = 0, listStreak = 0;
};

// The hit counts of every prefix of the current candidate: for depth d
// (its first d balls) and h = 0..d, the sample draws where they have h hits.
struct TPrefixState {
    std::vector<uint64_t> levels; // k x stride x W: [depth][h] masks (h > depth: empty)
    std::vector<int32_t> counts;  // k x stride: their popcounts (kept for depth k - 1 only)
    // Entries per depth in levels and counts: k, or eight for one-word sets
    // of at most seven balls, where a depth's masks for h = 0..7 are one
    // vector and the last depth is built and bounded lane by lane (Lanes).
    int32_t stride = 0;
    // [depth]: the lowest and highest h whose mask is not empty; every mask
    // and count outside that range is zero, so a level is built and read
    // over its range only (a 60/6 prefix rarely has more than 2 hits in any
    // draw, a 25/15 one never fewer than depth - 10).
    std::vector<int32_t> lo, hi;
    const uint64_t* E = nullptr;   // the full prefix's masks (depth k - 1)
    const int32_t* cntE = nullptr; // and their popcounts
    std::vector<uint64_t> ballSet; // k x Wn: ball bit set of the prefix, per level
    std::vector<int32_t> x;        // scratch: popcounts per (h, last ball)
    std::vector<int32_t> cur;      // scratch
    std::vector<int32_t> reach;    // scratch: per candidate of a batch
    std::vector<int32_t> zeros;    // a batch of zeros
    // [h]: the smallest count that could still be a record: at least 1, the
    // block's own record and (refreshed now and then) every worker's best.
    std::vector<int32_t> need;
    uint32_t runs = 0;
    bool walks = false; // the walks' modes: ball sets, no hit masks
    // Subtrees are rarely hopeless unless the sample is small: after a
    // string of failed checks, the next prefixes go unchecked for a while.
    int32_t hopeFails = 0;
    int32_t hopePause = 0;
    std::vector<int32_t> hopeCounts; // scratch: popcounts of one depth
    std::vector<int32_t> active;     // scratch: hit counts a run can still improve
    std::vector<int32_t> rows;       // scratch: the x rows they read
};

using std::popcount;

// One lane per hit count h = 0..7: a depth's masks, or their counts. The
// arithmetic is written with the compiler's vector extensions, so the same
// source becomes AVX-512 in the AVX-512 kernel and plain code elsewhere.
using TMaskLanes = uint64_t __attribute__((vector_size(64)));
using TMaskIndex = int64_t __attribute__((vector_size(64)));
using TCountLanes = int32_t __attribute__((vector_size(32)));
constexpr int Lanes = 8;
// The shuffles "Lanes, 0, 1, ..., 6" below: lane h takes lane h - 1 (lane 0
// takes 0), "one hit fewer".

template <int FixedW> [[gnu::always_inline]] inline int Words(const TPrepared& p) {
    if constexpr (FixedW > 0)
        return FixedW;
    else
        return p.W;
}

// Depths from + 1 .. upto (k - 1 by default) of the prefix: adding ball m to a depth moves the
// draws that hold it one hit up.
template <int FixedW>
[[gnu::always_inline]] inline void BuildLevels(const TPrepared& p, TPrefixState& st,
                                               std::span<const int32_t> prefix, int from, int upto = -1) {
    const int W = Words<FixedW>(p);
    const int k = p.k;
    const size_t levelSize = static_cast<size_t>(st.stride) * W;
    if (upto < 0) upto = k - 1;
    for (int i = from; i < upto; ++i) {
        if (st.walks) {
            // The walks read the prefix's ball set only.
            const uint64_t* bs = st.ballSet.data() + static_cast<size_t>(i) * p.Wn;
            uint64_t* bd = st.ballSet.data() + static_cast<size_t>(i + 1) * p.Wn;
            for (int w = 0; w < p.Wn; ++w) bd[w] = bs[w];
            const int32_t ball = prefix[static_cast<size_t>(i)];
            bd[ball >> 6] |= uint64_t(1) << (ball & 63);
            continue;
        }
        const uint64_t* src = st.levels.data() + static_cast<size_t>(i) * levelSize;
        uint64_t* dst = st.levels.data() + static_cast<size_t>(i + 1) * levelSize;
        int32_t* cnt = st.counts.data() + static_cast<size_t>(i + 1) * st.stride;
        const uint64_t* m = p.ballMasks.data() + static_cast<size_t>(prefix[static_cast<size_t>(i)]) * W;
        if (FixedW == 1 && st.stride == Lanes && i + 1 == k - 1) {
            // The last depth, every h at once; its lo and hi are not kept
            // (the run bounds read all lanes, and no lane is left stale).
            TMaskLanes below;
            std::memcpy(&below, src, sizeof below);
            const TMaskLanes mask = TMaskLanes{} + m[0];
            const TMaskLanes lifted = __builtin_shufflevector(below, TMaskLanes{}, Lanes, 0, 1, 2, 3, 4, 5, 6);
            const TMaskLanes level = (below & ~mask) | (lifted & mask);
            std::memcpy(dst, &level, sizeof level);
            TMaskIndex c;
            for (int h = 0; h < Lanes; ++h) c[h] = __builtin_popcountll(level[h]);
            const TCountLanes c32 = __builtin_convertvector(c, TCountLanes);
            std::memcpy(cnt, &c32, sizeof c32);
            continue;
        }
        // The new range lies within lo..hi + 1 of the depth below; the old
        // range of this depth is rewritten too, so that what falls out of it
        // becomes zero.
        int32_t& lo = st.lo[static_cast<size_t>(i + 1)];
        int32_t& hi = st.hi[static_cast<size_t>(i + 1)];
        const int a = std::min(st.lo[static_cast<size_t>(i)], lo);
        const int b = std::max(std::min(st.hi[static_cast<size_t>(i)] + 1, i + 1), hi);
        // Only the last depth's counts are read (by the run bounds).
        if (i + 1 == k - 1) {
            for (int h = a; h <= b; ++h) {
                int32_t c = 0;
                for (int w = 0; w < W; ++w) {
                    const uint64_t v = (src[h * W + w] & ~m[w]) | (h > 0 ? src[(h - 1) * W + w] & m[w] : 0);
                    dst[h * W + w] = v;
                    c += popcount(v);
                }
                cnt[h] = c;
            }
        } else {
            for (int h = a; h <= b; ++h)
                for (int w = 0; w < W; ++w)
                    dst[h * W + w] = (src[h * W + w] & ~m[w]) | (h > 0 ? src[(h - 1) * W + w] & m[w] : 0);
        }
        const auto empty = [&](int h) {
            for (int w = 0; w < W; ++w)
                if (dst[h * W + w] != 0) return false;
            return true;
        };
        int newLo = a, newHi = b;
        while (newLo <= newHi && empty(newLo)) ++newLo;
        while (newHi >= newLo && empty(newHi)) --newHi;
        if (newHi < newLo) {
            newLo = 0;
            newHi = -1;
        }
        lo = newLo;
        hi = newHi;
    }
}

// Whether no candidate below the depth-d prefix ending in ball `last` can
// take a record. The k - d balls still to come are among last + 1..n; a draw
// where the prefix has a < h hits reaches h only if it holds one of them, so
// at most the sum of their r largest frequencies such draws reach it, and
// only from a >= h - r:
//   count(h) <= counts[d][h] + min(sum of counts[d][h - r .. h - 1], top_r).
template <int FixedW>
[[gnu::always_inline]] inline bool Hopeless(const TPrepared& p, TPrefixState& st, int d, int32_t last) {
    const int k = p.k;
    const int remaining = k - d;
    const int32_t top = p.topFrequencies[static_cast<size_t>(last + 1) * (k + 1) + remaining];
    const int W = Words<FixedW>(p);
    const int hLo = st.lo[static_cast<size_t>(d)];
    const int hHi = std::min(k, st.hi[static_cast<size_t>(d)] + remaining);
    // The depth's counts, zero outside its range.
    int32_t* cnt = st.hopeCounts.data();
    const uint64_t* level = st.levels.data() + static_cast<size_t>(d) * st.stride * W;
    for (int h = 0; h <= d; ++h) {
        int32_t c = 0;
        if (h >= hLo && h <= st.hi[static_cast<size_t>(d)])
            for (int w = 0; w < W; ++w) c += popcount(level[h * W + w]);
        cnt[h] = c;
    }
    // Outside lo .. hi + r every term is zero, and so is the bound.
    int32_t below = 0; // counts[d][h - r .. h - 1]
    for (int h = hLo; h <= hHi; ++h) {
        if (h - 1 >= 0 && h - 1 <= d) below += cnt[h - 1];
        if (h - 1 - remaining >= 0 && h - 1 - remaining <= d) below -= cnt[h - 1 - remaining];
        const int32_t bound = (h <= d ? cnt[h] : 0) + std::min(below, top);
        if (bound >= st.need[static_cast<size_t>(h)]) return false;
    }
    return true;
}

// Sample draws where the candidate prefix + last ball has h hits.
template <int FixedW>
[[gnu::always_inline]] inline uint64_t EqualWord(const TPrepared& p, const TPrefixState& st, int h,
                                                 const uint64_t* m, int w) {
    const int W = Words<FixedW>(p);
    const uint64_t stay = h < p.k ? st.E[static_cast<size_t>(h) * W + w] & ~m[w] : 0;
    const uint64_t rise = h > 0 ? st.E[static_cast<size_t>(h - 1) * W + w] & m[w] : 0;
    return stay | rise;
}

template <int FixedW>
int32_t RecencyOf(const TPrepared& p, const TPrefixState& st, int h, const uint64_t* m) {
    int32_t sum = 0;
    for (int w = 0; w < Words<FixedW>(p); ++w)
        for (uint64_t e = EqualWord<FixedW>(p, st, h, m, w); e != 0; e &= e - 1)
            sum += w * 64 + std::countr_zero(e);
    return sum;
}

template <int FixedW> int32_t NewestHits(const TPrepared& p, const TPrefixState& st, const uint64_t* m) {
    const int bit = p.S - 1;
    for (int h = 0; h <= p.k; ++h)
        if ((EqualWord<FixedW>(p, st, h, m, bit >> 6) >> (bit & 63)) & 1) return h;
    return 0;
}

// Scores the candidates prefix + b for b = from..to (CSNs csn0, csn0 + 1, ...).
template <int FixedW>
[[gnu::always_inline]] inline void ScoreRun(const TPrepared& p, const TTask& task, TPrefixState& st, int from,
                                            int to, TCsnValue csn0, TBlockResult& r) {
    const int W = Words<FixedW>(p);
    const int k = p.k;
    constexpr int Batch = 64;
    int32_t* x = st.x.data();
    const bool doubleCheck = task.mode == TSearchMode::Recurrence && task.doubleH >= 0;
    const bool recency = task.mode == TSearchMode::Recurrence;
    // need[h]: the smallest count that could still take the record of h (a
    // count of 0 never does). A candidate's count of h is the prefix's
    // draws of h hits without the last ball plus its draws of h - 1 hits
    // with it, so it is at most cntE[h] + min(cntE[h - 1], the most draws
    // one of the remaining last balls is in). The hit counts this bound
    // cannot lift to their record are left out for the whole run, and a
    // run where none is left is skipped: most runs are, once the records
    // have grown.
    int32_t* need = st.need.data();
    const int32_t* cntE = st.cntE;
    // The active hit counts, and the x rows they read (cur[h] reads x[h]
    // and x[h - 1]; there is no x[k]).
    int32_t* active = st.active.data();
    int32_t* rows = st.rows.data();
    int activeCount = 0, rowCount = 0;
    if (!doubleCheck) {
        const int32_t most = p.suffixMaxFreq[static_cast<size_t>(from)];
        // What the other workers found raises the bar now and then.
        if ((++st.runs & 63) == 0)
            for (int h = 0; h <= k; ++h)
                need[h] = std::max(need[h], p.bestCounts[h].load(std::memory_order_relaxed));
        int hLo = st.lo[static_cast<size_t>(k - 1)];
        int hHi = std::min(k, st.hi[static_cast<size_t>(k - 1)] + 1);
        if (FixedW == 1 && st.stride == Lanes) {
            // Every lane's bound at once; most runs end here. Lanes above k
            // hold zero counts against a need of INT32_MAX.
            TCountLanes counts, bars;
            std::memcpy(&counts, cntE, sizeof counts);
            std::memcpy(&bars, need, sizeof bars);
            const TCountLanes lower = __builtin_shufflevector(counts, TCountLanes{}, Lanes, 0, 1, 2, 3, 4, 5, 6);
            const TCountLanes cap = TCountLanes{} + most;
            const TCountLanes reach = (counts + (lower < cap ? lower : cap)) >= bars;
            int any = 0;
            for (int h = 0; h < Lanes; ++h) any |= reach[h];
            if (any == 0) return;
            hLo = 0;
            hHi = k;
        }
        for (int h = hLo; h <= hHi; ++h) {
            const int32_t bound = (h < k ? cntE[h] : 0) + (h > 0 ? std::min(cntE[h - 1], most) : 0);
            if (bound < need[h]) continue;
            active[activeCount++] = h;
            if (h > 0 && (rowCount == 0 || rows[rowCount - 1] != h - 1)) rows[rowCount++] = h - 1;
            if (h < k) rows[rowCount++] = h;
        }
        if (activeCount == 0) return;
    }
    // The candidate with last-ball mask m and the given CSN, whose counts
    // are in cur, against the records of the active hit counts.
    const auto offer = [&](const uint64_t* m, TCsnValue csn) {
        int32_t newest = -1;
        for (int i = 0; i < activeCount; ++i) {
            const int h = active[i];
            const int32_t c = st.cur[static_cast<size_t>(h)];
            TRecord& rec = r.rec1[static_cast<size_t>(h)];
            if (c == 0 || c < rec.count) continue;
            // Without the recency rule every candidate has recency 0.
            const int32_t rc = recency ? RecencyOf<FixedW>(p, st, h, m) : 0;
            if (c == rec.count && (p.reversed ? rc < rec.recency : rc <= rec.recency)) continue;
            if (newest < 0) newest = NewestHits<FixedW>(p, st, m);
            rec = TRecord{c, rc, newest, csn};
            need[h] = c;
            std::atomic<int32_t>& best = p.bestCounts[h];
            for (int32_t seen = best.load(std::memory_order_relaxed);
                 seen < c && !best.compare_exchange_weak(seen, c, std::memory_order_relaxed);) {
            }
        }
    };
    if constexpr (FixedW == 1) {
        // One-word masks and a short run (most runs of a dense game): each
        // candidate's counts straight from two popcounts per hit count.
        if (!doubleCheck && to - from < 8) {
            const uint64_t* E = st.E;
            for (int b = from; b <= to; ++b) {
                const uint64_t m = p.ballMasks[static_cast<size_t>(b)];
                bool any = false;
                for (int i = 0; i < activeCount; ++i) {
                    const int h = active[i];
                    const int32_t c =
                        (h < k ? cntE[h] - popcount(E[h] & m) : 0) + (h > 0 ? popcount(E[h - 1] & m) : 0);
                    st.cur[static_cast<size_t>(h)] = c;
                    any |= c >= need[h];
                }
                if (any) offer(&p.ballMasks[static_cast<size_t>(b)], csn0 + static_cast<TCsnValue>(b - from));
            }
            return;
        }
    }
    for (int b0 = from; b0 <= to; b0 += Batch) {
        const int len = std::min(Batch, to - b0 + 1);
        const uint64_t* masks = p.ballMasks.data() + static_cast<size_t>(b0) * W;
        if (doubleCheck) {
            const int h = task.doubleH;
            for (int j = 0; j < len; ++j) {
                int32_t c = 0;
                for (int w = 0; w < W; ++w)
                    c += popcount(task.doubleA[static_cast<size_t>(w)] |
                                  EqualWord<FixedW>(p, st, h, masks + static_cast<size_t>(j) * W, w));
                TRecord& rec = r.rec2[static_cast<size_t>(h)];
                if (c > rec.count) {
                    rec.count = c;
                    rec.csn = csn0 + static_cast<TCsnValue>(b0 - from + j);
                    rec.last = std::max(task.doubleLastA,
                                        NewestHits<FixedW>(p, st, masks + static_cast<size_t>(j) * W));
                }
            }
            continue;
        }
        // x[h][j] = hits-h draws of the prefix that also hold ball b0 + j,
        // for the hit counts the active ones read: a plain loop over
        // contiguous masks, vectorised where it can be.
        for (int i = 0; i < rowCount; ++i) {
            const int h = rows[i];
            const uint64_t* e = st.E + static_cast<size_t>(h) * W;
            int32_t* xh = x + h * Batch;
            for (int j = 0; j < len; ++j) {
                int32_t c = 0;
                for (int w = 0; w < W; ++w) c += popcount(e[w] & masks[static_cast<size_t>(j) * W + w]);
                xh[j] = c;
            }
        }
        // Which candidates reach a record's bar for some active h: across
        // the candidates first (a vector loop per h), as almost none do.
        int32_t* reach = st.reach.data();
        for (int j = 0; j < len; ++j) reach[j] = 0;
        for (int i = 0; i < activeCount; ++i) {
            const int h = active[i];
            const int32_t bar = need[h];
            const int32_t base = h < k ? cntE[h] : 0;
            const int32_t* stayRow = h < k ? x + h * Batch : st.zeros.data();
            const int32_t* riseRow = h > 0 ? x + (h - 1) * Batch : st.zeros.data();
            for (int j = 0; j < len; ++j) reach[j] |= base - stayRow[j] + riseRow[j] >= bar ? 1 : 0;
        }
        for (int j = 0; j < len; ++j) {
            if (reach[j] == 0) continue;
            for (int i = 0; i < activeCount; ++i) {
                const int h = active[i];
                st.cur[static_cast<size_t>(h)] =
                    (h < k ? cntE[h] - x[h * Batch + j] : 0) + (h > 0 ? x[(h - 1) * Batch + j] : 0);
            }
            offer(masks + static_cast<size_t>(j) * W, csn0 + static_cast<TCsnValue>(b0 - from + j));
        }
    }
}

// Hits of ball set `set` (with ball `b` added) in considered draw d.
template <int FixedW>
[[gnu::always_inline]] inline int32_t DrawHits(const TPrepared& p, const uint64_t* set, int32_t b,
                                               int32_t d) {
    const uint64_t* row = p.drawBits.data() + static_cast<size_t>(d) * p.Wn;
    int32_t c = static_cast<int32_t>((row[b >> 6] >> (b & 63)) & 1);
    if constexpr (FixedW == 1) {
        c += popcount(row[0] & set[0]);
    } else {
        for (int w = 0; w < p.Wn; ++w) c += popcount(row[w] & set[w]);
    }
    return c;
}

void AddStreak(std::vector<std::vector<int32_t>>& table, int32_t h, int32_t j) {
    auto& row = table[static_cast<size_t>(h)];
    if (static_cast<size_t>(j) >= row.size()) row.resize(static_cast<size_t>(j) + 1, 0);
    ++row[static_cast<size_t>(j)];
}

// The walks from the newest considered draw back to draw 1.
template <int FixedW>
[[gnu::always_inline]] inline void WalkRun(const TPrepared& p, const TTask& task, const uint64_t* set,
                                           int from, int to, TCsnValue csn0, TBlockResult& r) {
    const int32_t newestDraw = p.Dp - 1;
    for (int b = from; b <= to; ++b) {
        const TCsnValue csn = csn0 + static_cast<TCsnValue>(b - from);
        const int32_t h0 = DrawHits<FixedW>(p, set, b, newestDraw);
        if (task.mode == TSearchMode::Consecutive || task.mode == TSearchMode::Listing) {
            int32_t j = 0;
            for (int32_t d = newestDraw; d >= 1 && DrawHits<FixedW>(p, set, b, d) == h0; --d) ++j;
            if (task.mode == TSearchMode::Listing) {
                if (h0 == task.listHits && j == task.listStreak &&
                    r.listing.size() < TCombinationSearch::ListingLimit)
                    r.listing.push_back(csn);
                continue;
            }
            TRecord& r1 = r.rec1[static_cast<size_t>(h0)];
            if (j > r1.count) {
                r.rec2[static_cast<size_t>(h0)] = TRecord{r1.count, 0, 0, r1.csn};
                r1 = TRecord{j, 0, 0, csn};
            }
            if (h0 >= 1 && j >= 1) AddStreak(r.streaks, h0, j);
            continue;
        }
        // Filter.
        const int32_t t = task.threshold;
        if (h0 < t) {
            int32_t d = 0;
            for (int32_t e = newestDraw; e >= 1 && DrawHits<FixedW>(p, set, b, e) < t; --e) ++d;
            if (d <= TCombinationSearch::FilterHistogramMax) ++r.delayHist[static_cast<size_t>(d)];
            if (task.floor == 0) {
                if (d > r.maxDelay) {
                    r.maxDelay = d;
                    r.delayList.clear();
                }
                if (d == r.maxDelay && r.delayList.size() < TCombinationSearch::FilterListMax)
                    r.delayList.push_back(csn);
            } else {
                r.maxDelay = std::max(r.maxDelay, d);
                if (d >= task.floor && r.delayList.size() < TCombinationSearch::FilterListMax)
                    r.delayList.push_back(csn);
            }
        } else {
            int32_t a = 0;
            for (int32_t e = newestDraw; e >= 1 && DrawHits<FixedW>(p, set, b, e) >= t; --e) ++a;
            if (a <= TCombinationSearch::FilterHistogramMax) ++r.advanceHist[static_cast<size_t>(a)];
            if (a > r.maxAdvance) {
                r.maxAdvance = a;
                r.advanceList.clear();
            }
            if (a == r.maxAdvance && r.advanceList.size() < TCombinationSearch::FilterListMax)
                r.advanceList.push_back(csn);
        }
    }
}

// One run of candidates sharing their first K - 1 balls.
template <int FixedW>
[[gnu::always_inline]] inline void ScoreOrWalk(const TPrepared& p, const TTask& task, TPrefixState& st,
                                               bool walks, int from, int to, TCsnValue csn0,
                                               TBlockResult& r) {
    if (walks)
        WalkRun<FixedW>(p, task, st.ballSet.data() + static_cast<size_t>(p.k - 1) * p.Wn, from, to, csn0, r);
    else
        ScoreRun<FixedW>(p, task, st, from, to, csn0, r);
    r.examined += static_cast<uint64_t>(to - from + 1);
}

// The runs below a prefix of k - 2 balls (the last one `after`) that can
// still take a record: bit b is set when the run whose prefix ends in ball
// b may hold one. For each such b the run's bound of ScoreRun,
//   count(h) <= base + cnt(h) + min(cnt(h - 1), most draws of one ball above b),
// where cnt are the hit counts of the prefix with b over the draws in
// `keep`, is computed for eight balls at once from the depth's masks
// `level` (one word each, h = 0..k - 2), for h = hLo..hHi against need[h].
// The record scans count every draw (keep all, base 0); the double check
// of h counts the draws where its first combination has h hits (base) and
// the candidate's h-hit draws among the others. The bars only rise, so a
// run left out here would also be left out when its turn came. One-word
// sets, 3 <= k <= 7.
[[gnu::target("avx512f,avx512bw,avx512vl,avx512vpopcntdq,popcnt")]] uint64_t
LiveRunsAvx512(const TPrepared& p, const uint64_t* level, int32_t after, const int32_t* need, uint64_t keep,
               int32_t base, int hLo, int hHi) {
    const int k = p.k;
    int32_t total[Lanes] = {};
    for (int h = 0; h <= k - 2; ++h) total[h] = popcount(level[h] & keep);
    uint64_t live = 0;
    const int32_t lastStart = p.n - 1; // the prefix's last ball leaves room for one more
    for (int32_t b0 = after + 1; b0 <= lastStart; b0 += Lanes) {
        const __mmask8 valid =
            static_cast<__mmask8>(lastStart - b0 >= 7 ? 0xff : (1u << (lastStart - b0 + 1)) - 1);
        const __m512i masks = _mm512_maskz_loadu_epi64(valid, p.ballMasks.data() + b0);
        const __m512i most = _mm512_maskz_cvtepi32_epi64(
            valid, _mm256_maskz_loadu_epi32(valid, p.suffixMaxFreq.data() + b0 + 1));
        __m512i lowerX = _mm512_setzero_si512();
        __m512i lowerC = _mm512_setzero_si512();
        __mmask8 reach = 0;
        // x: the draws of h hits that hold the ball; c: the hit counts of
        // h with it (h - 1 hits before, or h hits and the ball not drawn).
        for (int h = 0; h <= k; ++h) {
            const bool inPrefix = h <= k - 2; // a prefix of k - 2 balls has no more hits
            const __m512i x = inPrefix
                                  ? _mm512_popcnt_epi64(_mm512_and_si512(
                                        _mm512_set1_epi64(static_cast<long long>(level[h] & keep)), masks))
                                  : _mm512_setzero_si512();
            const __m512i c =
                _mm512_add_epi64(_mm512_sub_epi64(_mm512_set1_epi64(inPrefix ? total[h] : 0), x), lowerX);
            const __m512i bound = _mm512_add_epi64(_mm512_add_epi64(c, _mm512_set1_epi64(base)),
                                                   _mm512_maskz_min_epi64(valid, lowerC, most));
            if (h >= hLo && h <= hHi) reach |= _mm512_cmpge_epi64_mask(bound, _mm512_set1_epi64(need[h]));
            lowerX = x;
            lowerC = c;
        }
        live |= static_cast<uint64_t>(reach & valid) << b0;
    }
    return live;
}

// A run below a prefix of k - 2 balls, by its last-but-one ball, with the
// last balls whose candidates reach the bar of some hit count.
struct TLiveRun {
    int32_t ball = 0;
    uint64_t last = 0;
};

// Every candidate below a prefix of k - 2 balls at once: for each run in
// `live` (bits as LiveRunsAvx512 gives them), the prefix's masks with the
// run's ball, then for eight last balls at a time the counts of the hit
// counts whose run bound reaches need[h]. Writes the runs with a candidate
// at or above some bar (at most one per ball) and returns how many. These
// candidates are then offered one by one, where the bars that have risen
// meanwhile and the tie rules decide; every other candidate has a count
// below a bar, so it could not take a record. One-word sets, 3 <= k <= 7.
[[gnu::target("avx512f,avx512bw,avx512vl,avx512vpopcntdq,popcnt")]] int
SubtreeHitsAvx512(const TPrepared& p, const uint64_t* level, uint64_t live, const int32_t* need,
                  TLiveRun* out) {
    const int n = p.n;
    const __m512i below = _mm512_loadu_si512(level);
    const __m512i fromBelow = _mm512_set_epi64(6, 5, 4, 3, 2, 1, 0, 0);
    const __m512i lifted = _mm512_maskz_permutexvar_epi64(0xfe, fromBelow, below);
    const __m512i bars =
        _mm512_maskz_cvtepi32_epi64(0xff, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(need)));
    int found = 0;
    for (uint64_t bits = live; bits != 0; bits &= bits - 1) {
        const int32_t ball = std::countr_zero(bits);
        const __m512i m = _mm512_set1_epi64(static_cast<long long>(p.ballMasks[static_cast<size_t>(ball)]));
        // h hits with the ball: h - 1 before and drawn, or h and not drawn
        // (0xca: m ? lifted : below, bit by bit).
        const __m512i level1 = _mm512_ternarylogic_epi64(m, lifted, below, 0xca);
        const __m512i counts = _mm512_popcnt_epi64(level1);
        const __m512i lower = _mm512_maskz_permutexvar_epi64(0xfe, fromBelow, counts);
        const __m512i most = _mm512_set1_epi64(p.suffixMaxFreq[static_cast<size_t>(ball) + 1]);
        const __m512i bound = _mm512_add_epi64(counts, _mm512_maskz_min_epi64(0xff, lower, most));
        const __mmask8 active = _mm512_cmpge_epi64_mask(bound, bars);
        if (active == 0) continue;
        alignas(64) uint64_t masks[Lanes];
        alignas(64) long long sums[Lanes];
        _mm512_store_si512(masks, level1);
        _mm512_store_si512(sums, counts);
        uint64_t reached = 0;
        for (int32_t b0 = ball + 1; b0 <= n; b0 += Lanes) {
            const __mmask8 valid = static_cast<__mmask8>(n - b0 >= 7 ? 0xff : (1u << (n - b0 + 1)) - 1);
            const __m512i last = _mm512_maskz_loadu_epi64(valid, p.ballMasks.data() + b0);
            __mmask8 reach = 0;
            for (unsigned a = active; a != 0; a &= a - 1) {
                const int h = std::countr_zero(a);
                // Lane h of the depth is empty for h = k, as is "h - 1" for h = 0.
                __m512i c = _mm512_sub_epi64(_mm512_set1_epi64(sums[h]),
                                             _mm512_popcnt_epi64(_mm512_and_si512(
                                                 _mm512_set1_epi64(static_cast<long long>(masks[h])), last)));
                if (h > 0)
                    c = _mm512_add_epi64(c,
                                         _mm512_popcnt_epi64(_mm512_and_si512(
                                             _mm512_set1_epi64(static_cast<long long>(masks[h - 1])), last)));
                reach |= _mm512_cmpge_epi64_mask(c, _mm512_set1_epi64(need[h]));
            }
            reached |= static_cast<uint64_t>(reach & valid) << b0;
        }
        if (reached != 0) out[found++] = TLiveRun{ball, reached};
    }
    return found;
}

// The same for the double check of h: the candidates whose draws of h
// hits, joined with the first combination's (a), number at least `bar`.
[[gnu::target("avx512f,avx512bw,avx512vl,avx512vpopcntdq,popcnt")]] int
SubtreeDoubleHitsAvx512(const TPrepared& p, const uint64_t* level, uint64_t live, int h, uint64_t a,
                        int32_t bar, TLiveRun* out) {
    const int n = p.n;
    const __m512i below = _mm512_loadu_si512(level);
    const __m512i fromBelow = _mm512_set_epi64(6, 5, 4, 3, 2, 1, 0, 0);
    const __m512i lifted = _mm512_maskz_permutexvar_epi64(0xfe, fromBelow, below);
    const __m512i bars = _mm512_set1_epi64(bar);
    int found = 0;
    for (uint64_t bits = live; bits != 0; bits &= bits - 1) {
        const int32_t ball = std::countr_zero(bits);
        const __m512i m = _mm512_set1_epi64(static_cast<long long>(p.ballMasks[static_cast<size_t>(ball)]));
        alignas(64) uint64_t masks[Lanes];
        _mm512_store_si512(masks, _mm512_ternarylogic_epi64(m, lifted, below, 0xca));
        // The draws of h hits: those of h - 1 that hold the last ball, and
        // those of h that do not; each side already joined with a.
        const __m512i rise = _mm512_set1_epi64(static_cast<long long>((h > 0 ? masks[h - 1] : 0) | a));
        const __m512i stay = _mm512_set1_epi64(static_cast<long long>((h < p.k ? masks[h] : 0) | a));
        uint64_t reached = 0;
        for (int32_t b0 = ball + 1; b0 <= n; b0 += Lanes) {
            const __mmask8 valid = static_cast<__mmask8>(n - b0 >= 7 ? 0xff : (1u << (n - b0 + 1)) - 1);
            const __m512i last = _mm512_maskz_loadu_epi64(valid, p.ballMasks.data() + b0);
            const __m512i joined = _mm512_ternarylogic_epi64(last, rise, stay, 0xca);
            const __mmask8 reach = _mm512_cmpge_epi64_mask(_mm512_popcnt_epi64(joined), bars);
            reached |= static_cast<uint64_t>(reach & valid) << b0;
        }
        if (reached != 0) out[found++] = TLiveRun{ball, reached};
    }
    return found;
}

// Filter: the AVX-512 kernel's one-word instance, which leaves out the runs
// LiveRunsAvx512 rules out without building their last depth.
template <int FixedW, bool Filter = false>
[[gnu::always_inline]] inline void ScanBlockBody(const TPrepared& p, const TTask& task, const TBlock& block,
                                                 const std::atomic<bool>& stop, TBlockResult& r) {
    const int k = p.k;
    const int W = Words<FixedW>(p);
    TPrefixState st;
    st.stride = FixedW == 1 && k < Lanes ? Lanes : k;
    st.levels.assign(static_cast<size_t>(k) * st.stride * W, 0);
    st.counts.assign(static_cast<size_t>(k) * st.stride, 0);
    // Depth 0: every sample draw has 0 hits.
    for (int w = 0; w < W; ++w) {
        const int valid = p.S - w * 64;
        st.levels[static_cast<size_t>(w)] = valid >= 64 ? ~uint64_t(0) : (uint64_t(1) << valid) - 1;
    }
    st.counts[0] = p.S;
    st.lo.assign(static_cast<size_t>(k), 0);
    st.hi.assign(static_cast<size_t>(k), -1);
    st.hi[0] = 0;
    st.E = st.levels.data() + static_cast<size_t>(k - 1) * st.stride * W;
    st.cntE = st.counts.data() + static_cast<size_t>(k - 1) * st.stride;
    st.ballSet.assign(static_cast<size_t>(k) * p.Wn, 0);
    st.x.assign(static_cast<size_t>(k) * 64, 0);
    st.cur.assign(static_cast<size_t>(k) + 1, 0);
    st.reach.assign(64, 0);
    st.zeros.assign(64, 0);
    // need[h] for h = 0..k, then bars no count reaches (read as one vector).
    st.need.assign(static_cast<size_t>(std::max(k + 1, Lanes)), INT32_MAX);
    std::fill_n(st.need.begin(), k + 1, 1);
    st.hopeCounts.assign(static_cast<size_t>(k) + 1, 0);
    st.active.assign(static_cast<size_t>(k) + 1, 0);
    st.rows.assign(static_cast<size_t>(k) + 1, 0);
    std::vector<int32_t> balls(static_cast<size_t>(k), 0);
    const bool walks = task.mode == TSearchMode::Consecutive || task.mode == TSearchMode::Filter ||
                       task.mode == TSearchMode::Listing;
    const std::span<const int32_t> prefix(balls.data(), static_cast<size_t>(k - 1));
    st.walks = walks;

    if (!block.list.empty()) {
        for (const TCsnValue csn : block.list) {
            if (stop.load(std::memory_order_relaxed)) return;
            p.search->Unrank(csn, balls);
            BuildLevels<FixedW>(p, st, prefix, 0);
            ScoreOrWalk<FixedW>(p, task, st, walks, balls[static_cast<size_t>(k - 1)],
                                balls[static_cast<size_t>(k - 1)], csn, r);
        }
        return;
    }
    if (block.count == 0) return;
    p.search->Unrank(block.first, balls);
    BuildLevels<FixedW>(p, st, prefix, 0);
    TCsnValue csn = block.first;
    const TCsnValue end = block.first + block.count;
    int first = balls[static_cast<size_t>(k - 1)];
    // Whole subtrees are skipped only in the record scans of the first
    // combination, and only where the universe is walked in CSN order.
    const bool prune =
        !p.completions.empty() && !walks &&
        (task.mode == TSearchMode::Best || (task.mode == TSearchMode::Recurrence && task.doubleH < 0));
    const bool doubleCheck = task.mode == TSearchMode::Recurrence && task.doubleH >= 0;
    const bool filter = Filter && FixedW == 1 && !p.completions.empty() && !walks && (prune || doubleCheck) &&
                        k >= 3 && k < Lanes;
    // The runs still live below the current prefix of k - 2 balls.
    uint64_t live = ~uint64_t(0);
    const auto refreshLive = [&] {
        if constexpr (Filter) {
            const uint64_t* level = st.levels.data() + static_cast<size_t>(k - 2) * st.stride;
            const int32_t after = balls[static_cast<size_t>(k - 3)];
            if (doubleCheck) {
                // A candidate replaces the block's record only with more draws.
                const int h = task.doubleH;
                int32_t bars[Lanes + 1];
                std::fill_n(bars, Lanes + 1, INT32_MAX);
                bars[h] = r.rec2[static_cast<size_t>(h)].count + 1;
                const uint64_t a = task.doubleA[0];
                live = LiveRunsAvx512(p, level, after, bars, ~a, popcount(a), h, h);
                return;
            }
            for (int h = 0; h <= k; ++h)
                st.need[static_cast<size_t>(h)] = std::max(st.need[static_cast<size_t>(h)],
                                                           p.bestCounts[h].load(std::memory_order_relaxed));
            live = LiveRunsAvx512(p, level, after, st.need.data(), ~uint64_t(0), 0, 0, k);
        }
    };
    // A whole prefix of k - 2 balls is taken at once where its candidates
    // all lie in the block.
    const bool subtrees = filter;
    // Every run below the prefix of k - 2 balls ending in `after`, from the
    // CSN csn on; the prefix's last-but-one ball is left at its last value.
    const auto wholeSubtree = [&](int32_t after) {
        if constexpr (Filter) {
            TLiveRun runs[64];
            const uint64_t* level = st.levels.data() + static_cast<size_t>(k - 2) * st.stride;
            // A second combination replaces the block's only with more draws.
            const int found =
                doubleCheck
                    ? SubtreeDoubleHitsAvx512(p, level, live, task.doubleH, task.doubleA[0],
                                              r.rec2[static_cast<size_t>(task.doubleH)].count + 1, runs)
                    : SubtreeHitsAvx512(p, level, live, st.need.data(), runs);
            TCsnValue runStart = csn; // the first candidate of the run of ball `at`
            int32_t at = after + 1;
            for (int j = 0; j < found; ++j) {
                const int32_t ball = runs[j].ball;
                for (; at < ball; ++at) runStart += static_cast<TCsnValue>(p.n - at);
                balls[static_cast<size_t>(k - 2)] = ball;
                BuildLevels<FixedW>(p, st, prefix, k - 2, k - 1);
                for (uint64_t m = runs[j].last; m != 0; m &= m - 1) {
                    const int32_t b = std::countr_zero(m);
                    ScoreRun<FixedW>(p, task, st, b, b, runStart + static_cast<TCsnValue>(b - ball - 1), r);
                }
            }
            balls[static_cast<size_t>(k - 2)] = p.n - 1;
        }
    };
    if (filter) refreshLive();
    bool scoreRun = true; // whether the current prefix's run is still to be scored
    for (;;) {
        if (stop.load(std::memory_order_relaxed)) return;
        if (scoreRun) {
            const TCsnValue left = end - csn;
            const int last =
                left < static_cast<TCsnValue>(p.n - first + 1) ? first + static_cast<int>(left) - 1 : p.n;
            ScoreOrWalk<FixedW>(p, task, st, walks, first, last, csn, r);
            csn += static_cast<TCsnValue>(last - first + 1);
            if (csn >= end) return;
        }
        scoreRun = true;
        // Next prefix in lexicographic order; position i may hold at most
        // n - k + 1 + i. Each new prefix of depth i + 1 whose candidates
        // cannot take a record is skipped whole: its C(n - ball, k - 1 - i)
        // candidates follow it in CSN order.
        int i = k - 2;
        while (i >= 0 && balls[static_cast<size_t>(i)] == p.n - k + 1 + i) --i;
        if (i < 0) return;
        for (;;) {
            ++balls[static_cast<size_t>(i)];
            if (filter && i == k - 2 && ((live >> balls[static_cast<size_t>(i)]) & 1) == 0) {
                // Runs that cannot hold a record, up to the next live one (or
                // the last run below this prefix): the run of ball x has
                // n - x candidates, counted as examined as ScoreRun would.
                const int32_t from = balls[static_cast<size_t>(i)];
                const uint64_t above = live >> from;
                const int32_t next = above != 0 ? from + std::countr_zero(above) : p.n;
                const TCsnValue runs = static_cast<TCsnValue>(next - from);
                const TCsnValue skipped =
                    runs * static_cast<TCsnValue>(p.n) - runs * static_cast<TCsnValue>(from + next - 1) / 2;
                const TCsnValue counted = std::min(skipped, end - csn);
                r.examined += static_cast<uint64_t>(counted);
                csn += counted;
                if (csn >= end) return;
                balls[static_cast<size_t>(i)] = next - 1;
                while (i >= 0 && balls[static_cast<size_t>(i)] == p.n - k + 1 + i) --i;
                if (i < 0) return;
                continue;
            }
            BuildLevels<FixedW>(p, st, prefix, i, i + 1);
            const int32_t ball = balls[static_cast<size_t>(i)];
            // The last depth is bounded by the run itself.
            bool check = prune && i < k - 2;
            if (check && st.hopePause > 0) {
                --st.hopePause;
                check = false;
            }
            bool hopeless = false;
            if (check) {
                hopeless = Hopeless<FixedW>(p, st, i + 1, ball);
                st.hopeFails = hopeless ? 0 : st.hopeFails + 1;
                if (st.hopeFails == 64) {
                    st.hopeFails = 0;
                    st.hopePause = 1024;
                }
            }
            if (hopeless) {
                const TCsnValue skipped = p.completions[static_cast<size_t>(p.n - ball) * k + (k - 1 - i)];
                const TCsnValue counted = std::min(skipped, end - csn);
                r.examined += static_cast<uint64_t>(counted);
                csn += counted;
                if (csn >= end) return;
                while (i >= 0 && balls[static_cast<size_t>(i)] == p.n - k + 1 + i) --i;
                if (i < 0) return;
                continue;
            }
            if (i == k - 2) break;
            balls[static_cast<size_t>(i + 1)] = ball;
            ++i;
            if (filter && i == k - 2) {
                refreshLive();
                const TCsnValue below = p.completions[static_cast<size_t>(p.n - ball) * k + 2];
                if (subtrees && below <= end - csn) {
                    wholeSubtree(ball);
                    r.examined += static_cast<uint64_t>(below);
                    csn += below;
                    if (csn >= end) return;
                    scoreRun = false;
                    break;
                }
            }
        }
        if (scoreRun) first = balls[static_cast<size_t>(k - 2)] + 1;
    }
}

template <int FixedW, bool Filter = false>
[[gnu::always_inline]] inline void ScanBlockAny(const TPrepared& p, const TTask& task, const TBlock& block,
                                                const std::atomic<bool>& stop, TBlockResult& r) {
    ScanBlockBody<FixedW, Filter>(p, task, block, stop, r);
}

// The same kernel for three instruction sets. One-word sets (S <= 64 or
// n <= 63) get their own instance.
[[gnu::target("avx512f,avx512bw,avx512vl,avx512vpopcntdq,popcnt")]] void
ScanAvx512(const TPrepared& p, const TTask& task, const TBlock& block, const std::atomic<bool>& stop,
           TBlockResult& r) {
    if (p.W == 1 && p.Wn == 1)
        ScanBlockAny<1, true>(p, task, block, stop, r);
    else
        ScanBlockAny<0>(p, task, block, stop, r);
}

[[gnu::target("popcnt")]] void ScanPopcnt(const TPrepared& p, const TTask& task, const TBlock& block,
                                          const std::atomic<bool>& stop, TBlockResult& r) {
    if (p.W == 1 && p.Wn == 1)
        ScanBlockAny<1>(p, task, block, stop, r);
    else
        ScanBlockAny<0>(p, task, block, stop, r);
}

void ScanBaseline(const TPrepared& p, const TTask& task, const TBlock& block, const std::atomic<bool>& stop,
                  TBlockResult& r) {
    if (p.W == 1 && p.Wn == 1)
        ScanBlockAny<1>(p, task, block, stop, r);
    else
        ScanBlockAny<0>(p, task, block, stop, r);
}

using ScanFunction = void (*)(const TPrepared&, const TTask&, const TBlock&, const std::atomic<bool>&,
                              TBlockResult&);

ScanFunction PickScan(TInstructionSet set) {
    __builtin_cpu_init();
    if (set != TInstructionSet::Portable && TCombinationSearch::Avx512Available()) return ScanAvx512;
    if (__builtin_cpu_supports("popcnt")) return ScanPopcnt;
    return ScanBaseline;
}

TBlockResult EmptyResult(int32_t k) {
    TBlockResult r;
    r.rec1.assign(static_cast<size_t>(k) + 1, TRecord{});
    r.rec2.assign(static_cast<size_t>(k) + 1, TRecord{});
    r.streaks.assign(static_cast<size_t>(k) + 1, {});
    r.delayHist.assign(TCombinationSearch::FilterHistogramMax + 1, 0);
    r.advanceHist.assign(TCombinationSearch::FilterHistogramMax + 1, 0);
    return r;
}

// Runs one phase over its blocks on the workers and merges the block results
// in sequence order. `stop` is set by the callback or found set already.
// Runs work(t) on `threads` threads while this one reports the examined
// count every 20 ms; a callback answering false sets `stop`.
void RunPool(int32_t threads, const std::function<void(int32_t)>& work, const std::atomic<uint64_t>& examined,
             const TSearchCallback& progress, int32_t phase, double candidates, std::atomic<bool>& stop) {
    std::mutex mutex;
    std::condition_variable done;
    int32_t running = threads;
    std::vector<std::thread> pool;
    for (int32_t t = 0; t < threads; ++t)
        pool.emplace_back([&, t] {
            work(t);
            const std::lock_guard lock(mutex);
            if (--running == 0) done.notify_all();
        });
    {
        std::unique_lock lock(mutex);
        while (!done.wait_for(lock, std::chrono::milliseconds(20), [&] { return running == 0; })) {
            if (!progress) continue;
            lock.unlock();
            const TSearchProgress report{phase, static_cast<double>(examined.load()), candidates};
            if (!progress(report)) stop.store(true);
            lock.lock();
        }
    }
    for (std::thread& t : pool) t.join();
}

TBlockResult RunPhase(const TPrepared& p, const TTask& task, const std::vector<TBlock>& blocks,
                      int32_t threads, ScanFunction scan, const TSearchCallback& progress, int32_t phase,
                      double candidates, std::atomic<bool>& stop) {
    std::vector<TBlockResult> results(blocks.size());
    for (TBlockResult& r : results) r = EmptyResult(p.k);
    std::atomic<size_t> nextBlock{0};
    std::atomic<uint64_t> examined{0};
    const auto worker = [&](int32_t) {
        for (size_t b; (b = nextBlock.fetch_add(1)) < blocks.size();) {
            if (stop.load(std::memory_order_relaxed)) break;
            scan(p, task, blocks[b], stop, results[b]);
            examined.fetch_add(results[b].examined, std::memory_order_relaxed);
        }
    };
    RunPool(threads, worker, examined, progress, phase, candidates, stop);

    // Merge in block order: a later block only replaces a record it beats.
    TBlockResult merged = EmptyResult(p.k);
    for (TBlockResult& r : results) {
        merged.examined += r.examined;
        for (size_t h = 0; h < merged.rec1.size(); ++h) {
            TRecord& m1 = merged.rec1[h];
            const TRecord& b1 = r.rec1[h];
            if (task.mode == TSearchMode::Consecutive) {
                // The record before the final one: the best of everything up
                // to the block holding the final record, or that block's own
                // previous record.
                if (b1.count > m1.count) {
                    const TRecord& b2 = r.rec2[h];
                    merged.rec2[h] = b2.count > m1.count ? b2 : m1;
                    m1 = b1;
                }
                continue;
            }
            const bool tieWins = p.reversed ? b1.recency >= m1.recency : b1.recency > m1.recency;
            if (b1.count > m1.count || (b1.count == m1.count && b1.count > 0 && tieWins)) m1 = b1;
            if (r.rec2[h].count > merged.rec2[h].count) merged.rec2[h] = r.rec2[h];
        }
        for (size_t h = 0; h < r.streaks.size(); ++h) {
            auto& row = merged.streaks[h];
            if (r.streaks[h].size() > row.size()) row.resize(r.streaks[h].size(), 0);
            for (size_t j = 0; j < r.streaks[h].size(); ++j) row[j] += r.streaks[h][j];
        }
        for (size_t i = 0; i < merged.delayHist.size(); ++i) {
            merged.delayHist[i] += r.delayHist[i];
            merged.advanceHist[i] += r.advanceHist[i];
        }
        auto append = [](std::vector<TCsnValue>& to, const std::vector<TCsnValue>& from, size_t limit) {
            for (size_t i = 0; i < from.size() && to.size() < limit; ++i) to.push_back(from[i]);
        };
        if (r.examined > 0 && r.maxDelay >= merged.maxDelay && !r.delayList.empty() && task.floor == 0) {
            if (r.maxDelay > merged.maxDelay) merged.delayList.clear();
            append(merged.delayList, r.delayList, TCombinationSearch::FilterListMax);
        }
        if (task.floor > 0) append(merged.delayList, r.delayList, TCombinationSearch::FilterListMax);
        merged.maxDelay = std::max(merged.maxDelay, r.maxDelay);
        if (r.examined > 0 && r.maxAdvance >= merged.maxAdvance && !r.advanceList.empty()) {
            if (r.maxAdvance > merged.maxAdvance) merged.advanceList.clear();
            append(merged.advanceList, r.advanceList, TCombinationSearch::FilterListMax);
        }
        merged.maxAdvance = std::max(merged.maxAdvance, r.maxAdvance);
        append(merged.listing, r.listing, TCombinationSearch::ListingLimit);
    }
    return merged;
}

// Small games with one-word samples (n <= 26, S <= 64): a combination is a
// subset a of balls 1..s plus a subset b of balls s + 1..n, and its hits in
// sample draw i are A[a][i] + B[b][i]. Both tables hold one byte per sample
// draw (64 bytes a subset, at most 2^13 subsets a half), so a candidate
// costs one byte-vector addition and, per hit count, a compare and a
// popcount: no prefixes and no runs. The candidates come in subset order,
// so the records follow a total order instead of the walk's: more draws,
// then (with the recency rule) the larger recency, then the smaller CSN,
// which is what the walk in CSN order keeps.
constexpr int32_t SplitMaxBalls = 26;

struct TSplitTables {
    int32_t s = 0;             // balls 1..s form the first half
    std::vector<uint8_t> a, b; // [subset x 64 + sample draw]: hits
    // [subset]: the fewest and most hits of a subset in any sample draw; a
    // candidate's hit counts lie within the sums of its halves' ranges.
    std::vector<uint8_t> aLow, aHigh, bLow, bHigh;
    std::vector<uint32_t> aList; // the first half's subsets, of every usable size
    std::vector<std::vector<uint32_t>> bBySize;
    // [size]: the rows of b, bLow and bHigh of the subsets of bBySize[size],
    // in that order, so that a scan over one size reads memory in sequence.
    std::vector<std::vector<uint8_t>> bRows, bRowLow, bRowHigh;
};

// Whether record x goes before record y of the same hit count.
bool SplitBetter(const TRecord& x, const TRecord& y, bool recency) {
    if (x.count != y.count) return x.count > y.count;
    if (x.count == 0) return false;
    if (recency && x.recency != y.recency) return x.recency > y.recency;
    return x.csn < y.csn;
}

struct TSplitCandidate {
    uint32_t a = 0, b = 0;
    int32_t h = 0, count = 0;
    uint64_t draws = 0; // the sample draws with h hits
    int32_t last = 0;
};

// A candidate that reaches the bar of its hit count h against the worker's
// record (kept apart so that the scan's vectors stay in registers).
[[gnu::noinline]] void SplitOffer(const TPrepared& p, const TSplitTables& t, bool recency,
                                  const TSplitCandidate& c, std::vector<int32_t>& balls,
                                  std::vector<TRecord>& rec, std::vector<int32_t>& need) {
    TRecord& record = rec[static_cast<size_t>(c.h)];
    TRecord candidate{c.count, 0, c.last, 0};
    if (recency)
        for (uint64_t e = c.draws; e != 0; e &= e - 1) candidate.recency += std::countr_zero(e);
    if (c.count == record.count && candidate.recency < record.recency) return;
    size_t j = 0;
    for (uint32_t e = c.a; e != 0; e &= e - 1) balls[j++] = 1 + std::countr_zero(e);
    for (uint32_t e = c.b; e != 0; e &= e - 1) balls[j++] = t.s + 1 + std::countr_zero(e);
    candidate.csn = p.search->Rank(balls);
    if (!SplitBetter(candidate, record, recency)) return;
    record = candidate;
    need[static_cast<size_t>(c.h)] = c.count;
}

TSplitTables SplitTables(const TPrepared& p) {
    TSplitTables t;
    t.s = p.n / 2;
    // Bytes past the sample hold 128 in the first half's table and 0 in the
    // second's: their sum never equals a hit count.
    const auto fill = [&](std::vector<uint8_t>& table, std::vector<uint8_t>& low, std::vector<uint8_t>& high,
                          int32_t first, int32_t count, uint8_t pad) {
        const uint32_t subsets = uint32_t(1) << count;
        table.assign(static_cast<size_t>(subsets) * 64, 0);
        low.assign(subsets, 0);
        high.assign(subsets, 0);
        for (int32_t i = p.S; i < 64; ++i) table[static_cast<size_t>(i)] = pad;
        for (uint32_t m = 1; m < subsets; ++m) {
            const uint32_t rest = m & (m - 1);
            const uint64_t draws = p.ballMasks[static_cast<size_t>(first + std::countr_zero(m))];
            uint8_t lo = 255, hi = 0;
            for (int32_t i = 0; i < 64; ++i) {
                const auto v =
                    static_cast<uint8_t>(table[static_cast<size_t>(rest) * 64 + i] + ((draws >> i) & 1));
                table[static_cast<size_t>(m) * 64 + i] = v;
                if (i < p.S) {
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
            }
            low[m] = lo;
            high[m] = hi;
        }
    };
    const int32_t sb = p.n - t.s;
    fill(t.a, t.aLow, t.aHigh, 1, t.s, 0x80);
    fill(t.b, t.bLow, t.bHigh, t.s + 1, sb, 0);
    t.bBySize.assign(static_cast<size_t>(sb) + 1, {});
    for (uint32_t m = 0; m < (uint32_t(1) << sb); ++m)
        t.bBySize[static_cast<size_t>(popcount(m))].push_back(m);
    t.bRows.assign(t.bBySize.size(), {});
    t.bRowLow.assign(t.bBySize.size(), {});
    t.bRowHigh.assign(t.bBySize.size(), {});
    for (size_t size = 0; size < t.bBySize.size(); ++size)
        for (const uint32_t m : t.bBySize[size]) {
            const auto row = t.b.begin() + static_cast<std::ptrdiff_t>(m) * 64;
            t.bRows[size].insert(t.bRows[size].end(), row, row + 64);
            t.bRowLow[size].push_back(t.bLow[m]);
            t.bRowHigh[size].push_back(t.bHigh[m]);
        }
    for (uint32_t m = 0; m < (uint32_t(1) << t.s); ++m) {
        const int32_t rest = p.k - popcount(m);
        if (rest >= 0 && rest <= sb) t.aList.push_back(m);
    }
    return t;
}

// What the scan of one first-half subset reads and keeps.
struct TSplitScan {
    const TPrepared& p;
    const TSplitTables& t;
    bool recency;
    std::vector<int32_t>& need;
    std::vector<int32_t>& balls;
    std::vector<TRecord>& rec;
};

// The candidates a + b for every b of `completions`: the hit bytes of a
// candidate are one vector addition, and the draws with h hits one compare.
[[gnu::target("avx2,popcnt")]] void SplitSubsetAvx2(const TSplitScan& s, uint32_t a, size_t size) {
    const uint8_t* ha = s.t.a.data() + static_cast<size_t>(a) * 64;
    const __m256i a0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ha));
    const __m256i a1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ha + 32));
    const std::vector<uint32_t>& completions = s.t.bBySize[size];
    for (size_t j = 0; j < completions.size(); ++j) {
        const uint32_t b = completions[j];
        const uint8_t* hb = s.t.bRows[size].data() + j * 64;
        const __m256i v0 = _mm256_add_epi8(a0, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(hb)));
        const __m256i v1 = _mm256_add_epi8(a1, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(hb + 32)));
        const int32_t hLow = s.t.aLow[a] + s.t.bRowLow[size][j], hHigh = s.t.aHigh[a] + s.t.bRowHigh[size][j];
        for (int32_t h = hLow; h <= hHigh; ++h) {
            const __m256i hh = _mm256_set1_epi8(static_cast<char>(h));
            const uint64_t m =
                static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v0, hh))) |
                static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v1, hh))))
                    << 32;
            const int32_t c = popcount(m);
            if (c >= s.need[static_cast<size_t>(h)]) {
                const TSplitCandidate candidate{a, b, h, c, m, ha[s.p.S - 1] + hb[s.p.S - 1]};
                SplitOffer(s.p, s.t, s.recency, candidate, s.balls, s.rec, s.need);
            }
        }
    }
}

// bars[g], lane l: need[h] for h = 8g + l, or more than any count above k.
[[gnu::target("avx512f,avx512bw,avx512vpopcntdq,popcnt"), gnu::always_inline]] inline void
SplitBars(const TSplitScan& s, int groups, __m512i* bars) {
    for (int g = 0; g < groups; ++g) {
        alignas(64) long long lanes[8];
        for (int l = 0; l < 8; ++l) {
            const int h = 8 * g + l;
            lanes[l] = h <= s.p.k ? s.need[static_cast<size_t>(h)] : INT32_MAX;
        }
        bars[g] = _mm512_load_si512(lanes);
    }
}

// The same with AVX-512, all hit counts at once: bit j of every hit byte
// is one 64-bit mask P_j (one bit per sample draw), and the draws with h
// hits are the valid ones where each P_j agrees with bit j of h. Eight hit
// counts per vector (lane h, plus 8 per further vector): four bit-wise
// steps and one popcount give their counts, one compare their bars. Only a
// candidate with some count at its bar takes the per-h path of the offers.
template <int Groups, int Bits>
[[gnu::target("avx512f,avx512bw,avx512vpopcntdq,popcnt")]] void SplitSubsetPlanes(const TSplitScan& s,
                                                                                  uint32_t a, size_t size) {
    constexpr int groups = Groups;
    constexpr int bits = Bits;
    // agree[g][j]: the lanes whose h = 8g + lane has bit j set.
    __m512i agree[Groups][Bits];
    __m512i bars[Groups];
    for (int g = 0; g < groups; ++g) {
        alignas(64) long long lanes[8];
        for (int j = 0; j < bits; ++j) {
            for (int l = 0; l < 8; ++l) lanes[l] = ((8 * g + l) >> j) & 1 ? -1 : 0;
            agree[g][j] = _mm512_load_si512(lanes);
        }
    }
    SplitBars(s, groups, bars);
    const uint8_t* ha = s.t.a.data() + static_cast<size_t>(a) * 64;
    const __m512i va = _mm512_loadu_si512(ha);
    const std::vector<uint32_t>& completions = s.t.bBySize[size];
    for (size_t c = 0; c < completions.size(); ++c) {
        const uint8_t* hb = s.t.bRows[size].data() + c * 64;
        const __m512i v = _mm512_add_epi8(va, _mm512_loadu_si512(hb));
        // Pad bytes past the sample have bit 7 set.
        const __m512i valid = _mm512_set1_epi64(
            static_cast<long long>(_mm512_testn_epi8_mask(v, _mm512_set1_epi8(char(0x80)))));
        __m512i plane[Bits];
        for (int j = 0; j < bits; ++j)
            plane[j] = _mm512_set1_epi64(static_cast<long long>(
                _mm512_test_epi8_mask(v, _mm512_set1_epi8(static_cast<char>(1 << j)))));
        __mmask8 reach[Groups];
        __mmask8 any = 0;
        for (int g = 0; g < groups; ++g) {
            __m512i m = valid;
            // m & ~(plane ^ agree): 0x90 keeps m where plane and agree are equal.
            for (int j = 0; j < bits; ++j) m = _mm512_ternarylogic_epi64(m, plane[j], agree[g][j], 0x90);
            reach[g] = _mm512_cmpge_epi64_mask(_mm512_popcnt_epi64(m), bars[g]);
            any |= reach[g];
        }
        if (any == 0) continue;
        const uint32_t b = completions[c];
        bool raised = false;
        for (int g = 0; g < groups; ++g)
            for (unsigned r = reach[g]; r != 0; r &= r - 1) {
                const int32_t h = 8 * g + std::countr_zero(r);
                const uint64_t m = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(static_cast<char>(h)));
                const int32_t count = popcount(m);
                const int32_t bar = s.need[static_cast<size_t>(h)];
                if (count < bar) continue; // raised by an offer of this candidate
                const TSplitCandidate candidate{a, b, h, count, m, ha[s.p.S - 1] + hb[s.p.S - 1]};
                SplitOffer(s.p, s.t, s.recency, candidate, s.balls, s.rec, s.need);
                raised |= s.need[static_cast<size_t>(h)] != bar;
            }
        if (raised) SplitBars(s, groups, bars);
    }
}

// Hit counts 0..k in 8-lane groups, k of at most SplitMaxBalls.
[[gnu::target("avx512f,avx512bw,avx512vpopcntdq,popcnt")]] void SplitSubsetAvx512(const TSplitScan& s,
                                                                                  uint32_t a, size_t size) {
    if (s.p.k < 8)
        SplitSubsetPlanes<1, 3>(s, a, size);
    else if (s.p.k < 16)
        SplitSubsetPlanes<2, 4>(s, a, size);
    else
        SplitSubsetPlanes<4, 5>(s, a, size);
}

// One worker: the first-half subsets it takes from `next`, each with every
// second-half subset that completes it to k balls.
void SplitWork(const TPrepared& p, const TSplitTables& t, bool recency, bool avx512,
               std::atomic<size_t>& next, std::atomic<uint64_t>& examined, const std::atomic<bool>& stop,
               std::vector<TRecord>& rec) {
    const int32_t k = p.k;
    std::vector<int32_t> need(static_cast<size_t>(k) + 1, 1);
    std::vector<int32_t> balls(static_cast<size_t>(k));
    const TSplitScan scan{p, t, recency, need, balls, rec};
    for (size_t index; (index = next.fetch_add(1)) < t.aList.size();) {
        if (stop.load(std::memory_order_relaxed)) return;
        const uint32_t a = t.aList[index];
        const auto size = static_cast<size_t>(k - popcount(a));
        if (avx512)
            SplitSubsetAvx512(scan, a, size);
        else
            SplitSubsetAvx2(scan, a, size);
        examined.fetch_add(t.bBySize[size].size(), std::memory_order_relaxed);
    }
}

bool SplitUsable(const TPrepared& p, TInstructionSet set) {
    __builtin_cpu_init();
    return set != TInstructionSet::Portable && p.n <= SplitMaxBalls && p.W == 1 && p.S >= 1 &&
           __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
}

TBlockResult RunSplit(const TPrepared& p, bool recency, TInstructionSet set, int32_t threads,
                      const TSearchCallback& progress, double candidates, std::atomic<bool>& stop) {
    const TSplitTables tables = SplitTables(p);
    const bool avx512 = set != TInstructionSet::Portable && TCombinationSearch::Avx512Available();
    std::vector<std::vector<TRecord>> records(static_cast<size_t>(threads),
                                              std::vector<TRecord>(static_cast<size_t>(p.k) + 1));
    std::atomic<size_t> next{0};
    std::atomic<uint64_t> examined{0};
    RunPool(
        threads,
        [&](int32_t t) {
            SplitWork(p, tables, recency, avx512, next, examined, stop, records[static_cast<size_t>(t)]);
        },
        examined, progress, 0, candidates, stop);
    TBlockResult merged = EmptyResult(p.k);
    merged.examined = examined.load();
    for (const std::vector<TRecord>& found : records)
        for (size_t h = 0; h < found.size(); ++h)
            if (SplitBetter(found[h], merged.rec1[h], recency)) merged.rec1[h] = found[h];
    return merged;
}

// Blocks of the full universe (CSN ranges) or of a candidate list.
std::vector<TBlock> FullBlocks(TCsnValue total, uint64_t limit, int32_t threads) {
    const TCsnValue count = std::min<TCsnValue>(total, limit);
    std::vector<TBlock> blocks;
    if (count == 0) return blocks;
    const TCsnValue wanted = static_cast<TCsnValue>(threads) * 256;
    TCsnValue size = std::max<TCsnValue>(count / wanted, 4096);
    for (TCsnValue first = 1; first <= count; first += size)
        blocks.push_back(TBlock{first, static_cast<uint64_t>(std::min(size, count - first + 1)), {}});
    return blocks;
}

std::vector<TBlock> ListBlocks(std::span<const TCsnValue> list) {
    std::vector<TBlock> blocks;
    constexpr size_t Size = 4096;
    for (size_t i = 0; i < list.size(); i += Size)
        blocks.push_back(TBlock{0, 0, list.subspan(i, std::min(Size, list.size() - i))});
    return blocks;
}

// The number of balls every sample draw holds, or -1 when they differ.
int32_t DrawSize(const TPrepared& p) {
    int32_t size = -1;
    for (int32_t i = 0; i < p.S; ++i) {
        int32_t balls = 0;
        for (int32_t b = 1; b <= p.n; ++b)
            balls +=
                static_cast<int32_t>((p.ballMasks[static_cast<size_t>(b) * p.W + i / 64] >> (i % 64)) & 1);
        if (size >= 0 && balls != size) return -1;
        size = balls;
    }
    return size;
}

uint64_t SplitMix(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

} // namespace

TSearchGame TCombinationSearch::GameOf(const TLottery& lottery) {
    TSearchGame game;
    game.Elements = lottery.Elements();
    game.PerCombination = lottery.PerCombination();
    game.Birthday = lottery.Birthday;
    const int32_t shift = lottery.ZeroBased ? 1 : 0;
    game.Draws.resize(static_cast<size_t>(lottery.DrawCount));
    for (int32_t d = 0; d < lottery.DrawCount; ++d)
        for (int32_t j = 1; j <= game.PerCombination; ++j)
            game.Draws[static_cast<size_t>(d)].push_back(
                lottery.Draws[static_cast<size_t>(j)][static_cast<size_t>(d)] + shift);
    return game;
}

uint32_t TCombinationSearch::TGenerator::Next1000() {
    // Multiply-shift: the top bits of a 64 x 1000 product, uniform enough
    // for a 1,000-value draw and identical on every platform.
    return static_cast<uint32_t>((static_cast<TCsnValue>(SplitMix(State)) * 1000) >> 64);
}

TCombinationSearch::TCombinationSearch(TSearchGame game) : game_(std::move(game)) {
    const int32_t n = game_.Elements, k = game_.PerCombination;
    if (k < 1 || n < k || n > 1000) throw std::invalid_argument("jogo inválido para a busca de combinações");
    binomials_.assign(static_cast<size_t>(n + 1) * (k + 1), 0);
    for (int32_t i = 0; i <= n; ++i)
        for (int32_t j = 0; j <= k; ++j) {
            TCsnValue v = 0;
            if (j == 0)
                v = 1;
            else if (i > 0)
                v = SaturatingAdd(binomials_[static_cast<size_t>(i - 1) * (k + 1) + j - 1],
                                  binomials_[static_cast<size_t>(i - 1) * (k + 1) + j]);
            binomials_[static_cast<size_t>(i) * (k + 1) + j] = v;
        }
    total_ = Binomial(n, k);
    if (total_ >= Limit127) throw std::invalid_argument("jogo grande demais para a busca de combinações");
}

TCsnValue TCombinationSearch::Binomial(int32_t n, int32_t k) const {
    if (k < 0 || n < 0 || k > n) return 0;
    return binomials_[static_cast<size_t>(n) * (game_.PerCombination + 1) + k];
}

void TCombinationSearch::Unrank(TCsnValue csn, std::span<int32_t> balls) const {
    const int32_t n = game_.Elements, k = game_.PerCombination;
    TCsnValue rest = csn - 1;
    int32_t x = 1;
    for (int32_t i = 0; i < k; ++i) {
        // Combinations whose ball i is x number C(n - x, k - i - 1).
        while (x < n - (k - i - 1) && Binomial(n - x, k - i - 1) <= rest) {
            rest -= Binomial(n - x, k - i - 1);
            ++x;
        }
        balls[static_cast<size_t>(i)] = x++;
    }
}

TCsnValue TCombinationSearch::Rank(std::span<const int32_t> balls) const {
    const int32_t n = game_.Elements, k = game_.PerCombination;
    TCsnValue rank = 1;
    int32_t x = 1;
    for (int32_t i = 0; i < k; ++i) {
        for (; x < balls[static_cast<size_t>(i)]; ++x) rank += Binomial(n - x, k - i - 1);
        ++x;
    }
    return rank;
}

std::string TCombinationSearch::CombinationText(TCsnValue csn) const {
    std::vector<int32_t> balls(static_cast<size_t>(game_.PerCombination));
    Unrank(csn, balls);
    std::string text;
    for (size_t i = 0; i < balls.size(); ++i) {
        if (i > 0) text += ", ";
        text += std::to_string(balls[i]);
    }
    return text;
}

std::string TCombinationSearch::CsnText(TCsnValue value) {
    char digits[40];
    char* end = digits + sizeof digits;
    char* at = end;
    do {
        *--at = static_cast<char>('0' + static_cast<int>(value % 10));
        value /= 10;
    } while (value != 0);
    return std::string(at, end);
}

bool TCombinationSearch::Avx512Available() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vpopcntdq");
}

double TCombinationSearch::ReducedLength(int32_t m) const {
    double length = static_cast<double>(m) * game_.Birthday;
    while (length > 1'000'000.0) length = std::trunc(length / 10.0);
    return length;
}

std::vector<TCsnValue> TCombinationSearch::ReducedCandidates(TGenerator& generator, double length) const {
    const auto birthday = static_cast<TCsnValue>(std::max(0.0, std::trunc(game_.Birthday)));
    std::vector<TCsnValue> list;
    list.reserve(static_cast<size_t>(std::max(0.0, length)));
    for (double i = 1; i <= length; i += 1) {
        generator.C += static_cast<TCsnValue>(generator.Next1000()) * birthday + 1;
        if (generator.C > total_) generator.C -= total_;
        // A wrap that still lands above the total (B x 1000 > T) keeps the
        // CSN inside the universe.
        if (generator.C > total_) generator.C = (generator.C - 1) % total_ + 1;
        list.push_back(generator.C);
    }
    return list;
}

std::string TCombinationSearch::Check(const TSearchOptions& options) const {
    const int32_t draws = static_cast<int32_t>(game_.Draws.size());
    const int32_t considered = options.Mode == TSearchMode::Best || !options.WithoutLast ? draws : draws - 1;
    if (considered < 1) return "não há concursos a analisar";
    if (options.SampleSize < 1) return "o tamanho da amostra deve ser ao menos 1";
    const bool reduced = options.ReducedUniverse && options.Mode != TSearchMode::Best;
    if (!reduced && total_ > Exact53)
        return "o universo completo tem " + CsnText(total_) +
               " combinações, além do que a busca percorre; use \"Universo reduzido\"";
    return {};
}

TSearchResult TCombinationSearch::Run(const TSearchOptions& options, const TSearchCallback& progress) const {
    if (const std::string message = Check(options); !message.empty()) throw std::invalid_argument(message);
    const int32_t n = game_.Elements, k = game_.PerCombination;
    const bool best = options.Mode == TSearchMode::Best;
    const bool reduced = options.ReducedUniverse && !best;
    const auto draws = static_cast<int32_t>(game_.Draws.size());

    TPrepared p;
    std::vector<std::atomic<int32_t>> bestCounts(static_cast<size_t>(k) + 1);
    for (std::atomic<int32_t>& best : bestCounts) best.store(0);
    p.bestCounts = bestCounts.data();
    p.n = n;
    p.k = k;
    p.Dp = best || !options.WithoutLast ? draws : draws - 1;
    // The sample never reaches before draw 0 of the considered history.
    p.S = std::min(options.SampleSize, p.Dp);
    p.W = (p.S + 63) / 64;
    p.Wn = (n + 64) / 64;
    p.search = this;
    p.ballMasks.assign(static_cast<size_t>(n + 1) * p.W, 0);
    for (int32_t i = 0; i < p.S; ++i)
        for (const int32_t ball : game_.Draws[static_cast<size_t>(p.Dp - p.S + i)])
            if (ball >= 1 && ball <= n)
                p.ballMasks[static_cast<size_t>(ball) * p.W + i / 64] |= uint64_t(1) << (i % 64);
    p.suffixMaxFreq.assign(static_cast<size_t>(n) + 2, 0);
    for (int32_t b = n; b >= 1; --b) {
        int32_t f = 0;
        for (int32_t w = 0; w < p.W; ++w) f += std::popcount(p.ballMasks[static_cast<size_t>(b) * p.W + w]);
        p.suffixMaxFreq[static_cast<size_t>(b)] = std::max(f, p.suffixMaxFreq[static_cast<size_t>(b) + 1]);
    }
    const bool walks = !best && options.Mode != TSearchMode::Recurrence;
    // Bounds for skipping hopeless prefixes of the full universe, for
    // combinations of p.k balls.
    const auto prepareBounds = [this](TPrepared& p) {
        const int32_t n = p.n, k = p.k;
        p.topFrequencies.assign(static_cast<size_t>(n + 2) * (k + 1), 0);
        std::vector<int32_t> frequencies;
        for (int32_t b = n; b >= 1; --b) {
            int32_t f = 0;
            for (int32_t w = 0; w < p.W; ++w)
                f += std::popcount(p.ballMasks[static_cast<size_t>(b) * p.W + w]);
            frequencies.insert(std::upper_bound(frequencies.begin(), frequencies.end(), f, std::greater<>()),
                               f);
            int32_t sum = 0;
            for (int32_t r = 1; r <= k; ++r) {
                if (static_cast<size_t>(r) <= frequencies.size())
                    sum += frequencies[static_cast<size_t>(r - 1)];
                p.topFrequencies[static_cast<size_t>(b) * (k + 1) + r] = sum;
            }
        }
        p.completions.assign(static_cast<size_t>(n + 1) * k, 0);
        for (int32_t m = 0; m <= n; ++m)
            for (int32_t r = 0; r < k; ++r) p.completions[static_cast<size_t>(m) * k + r] = Binomial(m, r);
    };
    if (!walks && !reduced) prepareBounds(p);
    if (walks) {
        p.drawBits.assign(static_cast<size_t>(p.Dp) * p.Wn, 0);
        for (int32_t d = 0; d < p.Dp; ++d)
            for (const int32_t ball : game_.Draws[static_cast<size_t>(d)])
                if (ball >= 1 && ball <= n)
                    p.drawBits[static_cast<size_t>(d) * p.Wn + ball / 64] |= uint64_t(1) << (ball % 64);
    }

    const int32_t threads = options.Threads > 0
                                ? options.Threads
                                : static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    const ScanFunction scan = PickScan(options.Instructions);
    std::atomic<bool> stop{false};

    TTask task;
    task.mode = options.Mode;
    task.threshold = options.Threshold >= 0 ? options.Threshold : n == 25 ? 11 : n == 60 ? 4 : k;
    task.floor = options.Floor;
    task.listHits = options.ListHits;
    task.listStreak = options.ListStreak;

    TSearchResult result;
    result.SampleSize = p.S;
    result.ConsideredDraws = p.Dp;
    result.Threshold = task.threshold;
    result.Floor = task.floor;
    const size_t hs = static_cast<size_t>(k) + 1;
    result.Count1.assign(hs, 0);
    result.Last1.assign(hs, 0);
    result.Recency1.assign(hs, 0);
    result.Count2.assign(hs, 0);
    result.Last2.assign(hs, 0);
    result.CSN1.assign(hs, 0);
    result.CSN2.assign(hs, 0);
    result.StreakTable.assign(hs, std::vector<int32_t>(StreakColumns, 0));
    result.DelayHistogram.assign(FilterHistogramMax + 1, 0);
    result.AdvanceHistogram.assign(FilterHistogramMax + 1, 0);
    if (options.Mode == TSearchMode::Listing &&
        (options.ListHits < 1 || options.ListHits > k || options.ListStreak < 1))
        return result;

    TGenerator generator{options.Seed, 0};
    const int32_t m = options.Mode == TSearchMode::Recurrence ? 2 : 10;
    // One phase's candidates: the whole universe, or the next L of the
    // reduced sequence; `limit` cuts a phase run after a stop to one
    // candidate, as the stop flag is tested after each candidate.
    std::vector<TCsnValue> list;
    auto phaseBlocks = [&](uint64_t limit, double& candidates) {
        if (!reduced) {
            candidates = static_cast<double>(total_);
            return FullBlocks(total_, limit, threads);
        }
        candidates = ReducedLength(m);
        list = ReducedCandidates(generator, std::min(candidates, static_cast<double>(limit)));
        return ListBlocks(list);
    };

    double candidates = 0;
    const std::vector<TBlock> blocks = phaseBlocks(UINT64_MAX, candidates);
    TBlockResult main;
    if (!walks && !reduced && SplitUsable(p, options.Instructions)) {
        main = RunSplit(p, options.Mode == TSearchMode::Recurrence, options.Instructions, threads, progress,
                        candidates, stop);
    } else if (const int32_t q = options.Complements && !walks && !reduced && 2 * k > n ? DrawSize(p) : -1;
               q >= 0) {
        // Every sample draw holds the same q balls, so a combination C and
        // its complement C' (n - k balls) split them: hits(C) = q -
        // hits(C'), in the same draws. The complements are fewer balls
        // deep, and their lexicographic order is the reverse of CSN order
        // (where two combinations first differ, the earlier one holds the
        // ball and the later one's complement does), so the complement of
        // CSN' is CSN Total + 1 - CSN'. The scan walks the complements with
        // ties to the later candidate and maps the records back.
        const TCombinationSearch complements(TSearchGame{n, n - k, 0, {}});
        TPrepared pc;
        pc.n = n;
        pc.k = n - k;
        pc.S = p.S;
        pc.W = p.W;
        pc.Dp = p.Dp;
        pc.Wn = p.Wn;
        pc.ballMasks = p.ballMasks;
        pc.suffixMaxFreq = p.suffixMaxFreq;
        std::vector<std::atomic<int32_t>> complementCounts(static_cast<size_t>(pc.k) + 1);
        for (std::atomic<int32_t>& count : complementCounts) count.store(0);
        pc.bestCounts = complementCounts.data();
        pc.search = &complements;
        pc.reversed = true;
        prepareBounds(pc);
        const TBlockResult walked = RunPhase(pc, task, blocks, threads, scan, progress, 0, candidates, stop);
        main = EmptyResult(k);
        main.examined = walked.examined;
        for (int32_t h = 0; h <= k; ++h) {
            const int32_t hc = q - h;
            if (hc < 0 || hc > pc.k) continue;
            TRecord record = walked.rec1[static_cast<size_t>(hc)];
            if (record.count == 0) continue;
            record.csn = total_ + 1 - record.csn;
            record.last = q - record.last;
            main.rec1[static_cast<size_t>(h)] = record;
        }
    } else {
        main = RunPhase(p, task, blocks, threads, scan, progress, 0, candidates, stop);
    }
    result.Candidates = candidates;
    result.Examined = static_cast<double>(main.examined);
    for (size_t h = 0; h < hs; ++h) {
        result.Count1[h] = main.rec1[h].count;
        result.CSN1[h] = main.rec1[h].csn;
        if (options.Mode == TSearchMode::Consecutive) {
            result.Count2[h] = main.rec2[h].count;
            result.CSN2[h] = main.rec2[h].csn;
            const auto& row = main.streaks[h];
            if (row.size() > result.StreakTable[h].size()) result.StreakTable[h].resize(row.size(), 0);
            if (h >= 1)
                for (size_t j = 0; j < row.size(); ++j) result.StreakTable[h][j] = row[j];
        } else {
            result.Last1[h] = main.rec1[h].last;
            result.Recency1[h] = main.rec1[h].recency;
        }
    }
    // Every row of the streak table has the width of the longest streak.
    size_t width = StreakColumns;
    for (const auto& row : result.StreakTable) width = std::max(width, row.size());
    for (auto& row : result.StreakTable) row.resize(width, 0);
    result.MaxDelay = main.maxDelay;
    result.MaxAdvance = main.maxAdvance;
    result.DelayHistogram = main.delayHist;
    result.AdvanceHistogram = main.advanceHist;
    result.DelayList = std::move(main.delayList);
    result.AdvanceList = std::move(main.advanceList);
    result.Listing = std::move(main.listing);

    if (options.Mode == TSearchMode::Recurrence && options.DoubleCheck) {
        std::vector<int32_t> first(static_cast<size_t>(k));
        for (int32_t h = 0; h <= k; ++h) {
            if (result.Count1[static_cast<size_t>(h)] <= 0) continue;
            // Sample draws in which the first combination has h hits.
            TTask pass = task;
            pass.doubleH = h;
            pass.doubleA.assign(static_cast<size_t>(p.W), 0);
            Unrank(result.CSN1[static_cast<size_t>(h)], first);
            for (int32_t i = 0; i < p.S; ++i) {
                int32_t hits = 0;
                for (const int32_t ball : first)
                    hits += (p.ballMasks[static_cast<size_t>(ball) * p.W + i / 64] >> (i % 64)) & 1;
                if (hits == h) pass.doubleA[static_cast<size_t>(i / 64)] |= uint64_t(1) << (i % 64);
                if (i == p.S - 1) pass.doubleLastA = hits;
            }
            const bool stopped = stop.load();
            double passCandidates = 0;
            const std::vector<TBlock> passBlocks = phaseBlocks(stopped ? 1 : UINT64_MAX, passCandidates);
            std::atomic<bool> passStop{false};
            TBlockResult r = RunPhase(p, pass, passBlocks, threads, scan, progress, 1 + h, passCandidates,
                                      stopped ? passStop : stop);
            result.Count2[static_cast<size_t>(h)] = r.rec2[static_cast<size_t>(h)].count;
            result.CSN2[static_cast<size_t>(h)] = r.rec2[static_cast<size_t>(h)].csn;
            result.Last2[static_cast<size_t>(h)] = r.rec2[static_cast<size_t>(h)].last;
        }
    }
    result.Stopped = stop.load();
    return result;
}
