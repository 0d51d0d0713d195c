#pragma once
// Combinatorial sequence number: the 1-based rank of a sorted k-ball
// combination out of n among all such combinations in lexicographic order.
// The converter holds one current combination (`Combination`[1..k]; entry 0
// is unused); conversions read or overwrite it.
//
// CSNs and counts are doubles, exact below 2^53. Games with more
// combinations than that convert through exact 128-bit ranks (C(100, 50) is
// about 1.0e29, C(n, k) below 2^128 ~ 3.4e38 is the exact range) and round
// only the result; games beyond the exact range are refused by whoever opens
// them (see InExactRange).
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TCSN {
public:
    // An exact rank; the doubles that callers see are its nearest values.
    using Rank = unsigned __int128;

    TCSN(int32_t elements, int32_t perCombination);

    int32_t Elements = 0;             // n
    int32_t PerCombination = 0;       // k
    double Total = 0;                 // C(n, k)
    std::vector<int32_t> Combination; // k + 1 entries; 1..k hold the balls

    // C(N, K); 0 when K > N, 1 when K <= 0. Exact whenever C(N, K) < 2^53,
    // the double nearest the exact value below 2^128. Beyond that the product
    // formula in doubles, rounded after every factor (the denominator K!, then
    // the numerator (N-K+1)...N).
    static double Binomial(int32_t n, int32_t k);
    // C(N, K) exactly, or nothing when it is 2^128 or more.
    static std::optional<Rank> ExactBinomial(int32_t n, int32_t k);
    // Whether every CSN of the game is exact (C(N, K) below 2^128).
    static bool InExactRange(int32_t n, int32_t k) { return ExactBinomial(n, k).has_value(); }
    // The message of a game beyond the exact range.
    static std::string RangeMessage(int32_t n, int32_t k);

    // C(n, k) exactly when the game is in the exact range; 0 otherwise.
    Rank ExactTotal = 0;
    static double GreatestCommonDivisor(double a, double b);

    // Table lookup of Binomial for 0 <= n <= Elements, 0 <= k <= PerCombination
    // (the same values, computed once); other arguments fall back to Binomial.
    double CachedBinomial(int32_t n, int32_t k) const;

    // CombinationToCSN gives the double nearest the exact rank.
    // CSNToCombination takes the whole number its argument holds (a fraction
    // names the combination of the next CSN), limited to 1..Total.
    double CombinationToCSN();
    void CSNToCombination(double csn);
    // The exact rank of the current combination, and the combination of an
    // exact rank (limited to 1..ExactTotal). In the exact range only.
    Rank CombinationToRank() const;
    // Whether conversions go through exact ranks (Total of 2^53 or more, in
    // the exact range); below 2^53 the doubles are exact themselves.
    bool Wide() const { return Total >= 9007199254740992.0 && ExactTotal > 0; }
    void RankToCombination(Rank rank);

    // A CSN as the user types it or the program shows it: a whole number of
    // digits is taken exactly; any other number text is read as a double. A
    // shown rank that is beyond Total (or below 1) by less than one unit of
    // its last digit is Total (or 1): "5,3598337040381E20" on Lotomania.
    struct CSNInput {
        enum Kind { Valid, Invalid, OutOfRange } Result = Invalid;
        // 1..Total; for OutOfRange the end it is beyond.
        Rank Value = 0;
    };
    CSNInput ReadCSN(std::string_view text) const;
    static std::string RankText(Rank rank);
    void SortCombination();

    // The same conversions on a caller's array laid out like `Combination`
    // (k + 1 entries, 1..k the balls). They leave `Combination` alone, so one
    // converter can serve several threads at once.
    double BallsToCSN(std::span<int32_t> balls) const;
    void CSNToBalls(double csn, std::span<int32_t> balls) const;

    // 0 when no combination exists (Total = 0).
    double PositionProbability(int32_t ball, int32_t position) const;
    std::string PositionProbabilityText(int32_t ball, int32_t position) const;
    static std::string FractionText(double numerator, double denominator);

    static double DelayProbability(int32_t gap, double p);
    static double AdvanceProbability(int32_t run, double p);

    std::string CombinationToText() const;
    void TextToCombination(std::string_view text);

private:
    void RanksToBalls(Rank rank, std::span<int32_t> balls) const;
    Rank CachedRank(int32_t n, int32_t k) const;

    // (Elements + 1) x (PerCombination + 1) values, row-major by n.
    std::vector<double> binomials_;
    // The same table exactly, saturated at the largest Rank, for games whose
    // Total is 2^53 or more (empty otherwise: the doubles are exact there).
    std::vector<Rank> ranks_;
};
