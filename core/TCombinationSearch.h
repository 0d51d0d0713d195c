#pragma once
// Scans over the combinations of a game, scoring each candidate against the
// draws: the normal and consecutive recurrence, the double check, the
// recurrence filter and the CSN listing of the recurrence window, and the
// best-combination search of the bayesian window.
//
// Candidates. The full universe is every CSN 1..Total in order; the reduced
// universe is L pseudo-random CSNs (L := m x B cut by tens to at most
// 1,000,000; c := c + r x B + 1 with r uniform in 0..999, wrapped once past
// Total), repeatable from a seed. CSNs are exact 128-bit integers, so games
// whose total exceeds 2^53 still walk their reduced universe correctly; the
// full universe of such a game is refused.
//
// Representation. The sample is held as one bit set per ball over the sample
// draws (bit i = sample draw i, oldest first), so the hit counts of one
// candidate over all draws are a few word operations: the first K - 1 balls
// of a run of candidates are added once into bit-sliced counters, and each
// last ball only costs one AND and one popcount per hit count. The streak
// walks use one ball bit set per draw instead.
//
// Threads. The candidate sequence is cut into blocks in sequence order;
// worker threads take blocks as they come and keep their own records, which
// are merged block by block in sequence order with the same rules as one
// pass, so every thread count gives the same records (ties to the earliest
// candidate). The AVX-512 kernel is the same code compiled for that
// processor and chosen at run time; it gives the same results.
//
// Progress and stop. Run() calls the progress callback on the calling thread
// about every 20 ms; returning false stops the workers after their current
// run of candidates (well within 0.1 s). A stopped search returns the records
// of the candidates examined so far.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

class TLottery;

// An exact CSN or combination count.
using TCsnValue = unsigned __int128;

// The draws as a search needs them: n, k, the birthday-paradox figure B and
// every draw's balls as numbers 1..n (a zero-based game shifted by one);
// values outside 1..n match nothing.
struct TSearchGame {
    int32_t Elements = 0;
    int32_t PerCombination = 0;
    double Birthday = 0;
    std::vector<std::vector<int32_t>> Draws; // [draw 0..D-1][0..k-1]
};

enum class TSearchMode {
    Recurrence,  // records per hit count with the recency rule (and the double check)
    Best,        // "Melhor comb.": records per hit count, strictly more wins
    Consecutive, // longest current streak per hit count and the streak table
    Filter,      // "Filtro de recorrência": delays below / advances at-or-above t
    Listing,     // CSNs whose newest hits and streak are one (h, j) cell
};

enum class TInstructionSet { Automatic, Portable, Avx512 };

struct TSearchOptions {
    TSearchMode Mode = TSearchMode::Recurrence;
    int32_t SampleSize = 40;      // S (limited to the considered history)
    bool ReducedUniverse = false; // "Universo reduzido"
    uint64_t Seed = 0;            // generator of the reduced universe
    bool WithoutLast = false;     // "Sem o último concurso" (not used by Best)
    bool DoubleCheck = false;     // "Verif. dupla combinação" (Recurrence)
    int32_t Threshold = -1;       // Filter; below 0: 11 for n = 25, 4 for n = 60, else k
    int32_t Floor = 0;            // Filter delay floor f
    int32_t ListHits = 0;         // Listing cell (h, j)
    int32_t ListStreak = 0;
    int32_t Threads = 0; // 0: every core
    // Records of a game whose combinations hold more than half its balls
    // may be found by walking the complements (the same results, faster).
    bool Complements = true;
    TInstructionSet Instructions = TInstructionSet::Automatic;
};

struct TSearchProgress {
    int32_t Phase = 0;     // 0 the main scan; 1 + h the double check of h
    double Done = 0;       // candidates examined in this phase
    double Candidates = 0; // L of this phase
};

// Returns false to stop the search.
using TSearchCallback = std::function<bool(const TSearchProgress&)>;

struct TSearchResult {
    bool Stopped = false;
    int32_t SampleSize = 0;      // effective S
    int32_t ConsideredDraws = 0; // D'
    double Candidates = 0;       // L of the main scan
    double Examined = 0;         // candidates of the main scan actually scored

    // Per hit count h = 0..K (see the recurrence window's tables).
    std::vector<int32_t> Count1, Last1, Recency1, Count2, Last2;
    std::vector<TCsnValue> CSN1, CSN2;
    // [h][j]: candidates with a streak of exactly j draws of h hits; at least
    // 100 columns, more when a longer streak was found.
    std::vector<std::vector<int32_t>> StreakTable;

    // Filter.
    int32_t Threshold = 0;
    int32_t Floor = 0;
    int32_t MaxDelay = 0;
    int32_t MaxAdvance = 0;
    std::vector<int32_t> DelayHistogram, AdvanceHistogram; // 0..500
    std::vector<TCsnValue> DelayList, AdvanceList;         // at most 101 each

    // Listing (at most ListingLimit entries).
    std::vector<TCsnValue> Listing;
};

class TCombinationSearch {
public:
    static constexpr int32_t FilterHistogramMax = 500;
    static constexpr size_t FilterListMax = 101;
    static constexpr size_t ListingLimit = 1'000'000;
    static constexpr int32_t StreakColumns = 100;

    // Throws std::invalid_argument for a game the search cannot hold (k < 1,
    // k > n, or a total above 2^127).
    explicit TCombinationSearch(TSearchGame game);

    // The draws of a history as the search reads them (copied, so the search
    // never touches the history or its caches).
    static TSearchGame GameOf(const TLottery& lottery);

    const TSearchGame& Game() const { return game_; }
    TCsnValue Total() const { return total_; }

    // Empty when the options can run; otherwise the message for the user
    // (for example a full universe above 2^53 combinations).
    std::string Check(const TSearchOptions& options) const;
    // Throws std::invalid_argument with Check()'s message.
    TSearchResult Run(const TSearchOptions& options, const TSearchCallback& progress = {}) const;

    // The reduced-universe candidate sequence of m x B candidates (m = 2 or
    // 10) from a generator state; exposed so it can be checked.
    struct TGenerator {
        uint64_t State = 0;
        TCsnValue C = 0;
        uint32_t Next1000(); // uniform in 0..999
    };
    double ReducedLength(int32_t m) const;
    std::vector<TCsnValue> ReducedCandidates(TGenerator& generator, double length) const;

    // Exact conversions in lexicographic order (1 = {1..k}).
    void Unrank(TCsnValue csn, std::span<int32_t> balls) const; // balls[0..k-1]
    TCsnValue Rank(std::span<const int32_t> balls) const;
    std::string CombinationText(TCsnValue csn) const; // "3, 17, 25"

    static bool Avx512Available();
    static std::string CsnText(TCsnValue value);
    static double ToDouble(TCsnValue value) { return static_cast<double>(value); }

private:
    TSearchGame game_;
    TCsnValue total_ = 0;
    std::vector<TCsnValue> binomials_; // (n + 1) x (k + 1), saturating
    TCsnValue Binomial(int32_t n, int32_t k) const;
};
