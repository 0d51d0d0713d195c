#pragma once
// Combinatorial sequence number: the 1-based rank of a sorted k-ball
// combination out of n among all such combinations in lexicographic order.
// The converter holds one current combination (`Combination`[1..k]; entry 0
// is unused); conversions read or overwrite it.
//
// CSNs and counts are doubles, exact below 2^53; larger games get rounded
// values, which the program accepts.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TCSN {
public:
    TCSN(int32_t elements, int32_t perCombination);

    int32_t Elements = 0;             // n
    int32_t PerCombination = 0;       // k
    double Total = 0;                 // C(n, k)
    std::vector<int32_t> Combination; // k + 1 entries; 1..k hold the balls

    // C(N, K); 0 when K > N, 1 when K <= 0. Exact whenever C(N, K) < 2^53.
    // Larger values come from the product formula in doubles, rounded after
    // every factor (the denominator K!, then the numerator (N-K+1)...N), as
    // the program has always shown them.
    static double Binomial(int32_t n, int32_t k);
    static double GreatestCommonDivisor(double a, double b);

    // Table lookup of Binomial for 0 <= n <= Elements, 0 <= k <= PerCombination
    // (the same values, computed once); other arguments fall back to Binomial.
    double CachedBinomial(int32_t n, int32_t k) const;

    double CombinationToCSN();
    void CSNToCombination(double csn);
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
    // (Elements + 1) x (PerCombination + 1) values, row-major by n.
    std::vector<double> binomials_;
};
