#pragma once
// "Conferir apostas": bets of m >= k balls checked against every draw of a
// range of contests. A bet's hits in a draw are how many of its m balls the
// draw holds (at most k). Per bet: how many contests gave each hit count, the
// counts of the game's prize tiers, and its best result with the newest
// contest that gave it. In total: the observed count of every tier beside the
// count expected by chance.
//
// Chance. A draw takes k of the n balls at random, so a bet of m balls hits x
// of them with the hypergeometric probability
//     P(X = x) = C(k, x) C(n - k, m - x) / C(n, m)   (= C(m, x) C(n - m, k - x) / C(n, k)),
// and the expected count of tier x is P(X = x) times the contests checked,
// summed over the bets.
//
// Counting. The draws of the range are held as one bit set per ball (bit i =
// the i-th draw of the range). A bet's balls are added word by word into
// bit-sliced counters (plane j holds bit j of each draw's hit count; two balls
// at a time through a carry-save adder), and the draws with exactly h hits
// are the AND of the planes (or their complements) that spell h: one popcount
// per tier and word, plus the hit counts above the best found so far. So a
// bet costs about (m / 2 + tiers) x log2(k) word operations per 64 draws,
// whatever n is.
//
// Threads and stop. Run() cuts the bets into blocks, which worker threads take
// in turn; each bet's result depends on that bet alone, so every thread count
// gives the same results. The callback runs on the calling thread about every
// 20 ms; returning false stops the workers after their current block (blocks
// are sized to a few milliseconds of work), and the result then holds the
// bets checked so far (`Checked`).
#include "TBetList.h"

#include <QJsonObject>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

class TLottery;

class TBetChecker {
public:
    // Largest bet checked (a game holds at most 1001 balls).
    static constexpr int32_t MaxBetBalls = 1024;
    // The draws as the checker reads them: contests in file order, each
    // draw's balls as the game numbers them (see TBetList).
    struct Game {
        int32_t Elements = 0;
        int32_t PerCombination = 0;
        bool ZeroBased = false;
        std::vector<int32_t> Contests;           // [draw]
        std::vector<std::vector<int32_t>> Draws; // [draw][0..k-1]
    };

    struct BetResult {
        int32_t Best = 0;        // most hits in one contest
        int32_t BestContest = 0; // the newest contest with Best hits (0: no contest checked)
    };

    struct Result {
        bool Stopped = false;
        size_t Checked = 0;       // bets checked (all of them unless stopped)
        int32_t Contests = 0;     // draws in the range
        int32_t FirstContest = 0; // their contest numbers
        int32_t LastContest = 0;
        std::vector<int32_t> Tiers; // the prize tiers, most hits first
        // [bet][tier] flattened: contests in which the bet hit exactly the
        // tier's number of balls.
        std::vector<int32_t> TierCounts;
        std::vector<BetResult> Bets;
        std::vector<double> Observed; // [tier]: summed over the bets checked
        std::vector<double> Expected; // [tier]: by chance, over the same bets

        int32_t Count(size_t bet, size_t tier) const { return TierCounts[bet * Tiers.size() + tier]; }
    };

    struct Progress {
        size_t Done = 0;
        size_t Total = 0;
    };
    // Returns false to stop.
    using Callback = std::function<bool(const Progress&)>;

    explicit TBetChecker(Game game);
    // The draws of a history (copied: the checker never touches the history).
    static Game GameOf(const TLottery& lottery);

    const Game& GetGame() const { return game_; }
    TBetList::Rules Rules() const;

    // The draws whose contest numbers lie within from..to (both included).
    struct Range {
        int32_t Begin = 0; // first draw index
        int32_t End = 0;   // one past the last
    };
    Range RangeOf(int32_t fromContest, int32_t toContest) const;
    Range Whole() const { return {0, static_cast<int32_t>(game_.Draws.size())}; }

    // Checks every bet over the range. tiers: the prize tiers (hit counts in
    // 0..k; sorted here, most hits first, each once); threads 0: every core.
    Result Run(const TBetList& bets, Range range, const std::vector<int32_t>& tiers,
               const Callback& progress = {}, int32_t threads = 0) const;

    // Hits of one bet in each draw of the range, in draw order.
    std::vector<int32_t> HitsPerContest(std::span<const int32_t> bet, Range range) const;

    // P(X = x) for a bet of m balls, x = 0..min(m, k) (hypergeometric,
    // Boost.Math).
    std::vector<double> HitProbabilities(int32_t m) const;

    // Reports: the bets' table and the totals as tab-separated lines (numbers
    // as NumberText writes them), or as JSON:
    //   {"contests": D, "from": C1, "to": C2, "stopped": false,
    //    "bets": [{"balls": [...], "tiers": {"6": 0, "5": 1, "4": 9},
    //              "best": 5, "best_contest": 1234}, ...],
    //    "totals": {"observed": {"6": ...}, "expected": {"6": ...}}}
    // A bet with no contest checked has "best_contest": null.
    static std::string TierCaption(int32_t hits); // "6 acertos", "1 acerto"
    static std::vector<std::string> TableHeader(const Result& result);
    static std::vector<std::string> TableRow(const Result& result, const TBetList& bets, size_t bet);
    static std::vector<std::string> TotalsHeader();
    static std::vector<std::vector<std::string>> TotalsRows(const Result& result);
    static std::string ToTsv(const Result& result, const TBetList& bets);
    static QJsonObject ToJson(const Result& result, const TBetList& bets);
    // The same JSON written straight as compact text (what ToJson's document
    // holds, keys sorted alike), for a million bets without a million objects.
    static std::string ToJsonText(const Result& result, const TBetList& bets);

private:
    Game game_;
};
