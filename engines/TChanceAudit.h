#pragma once
// Every statistic beside its chance distribution: tests that tell what
// chance alone produces from a signal, for the figures the windows show.
//
// Each test gives a statistic, its p-value and a verdict, "dentro do acaso"
// or "fora do acaso (p = ...)" at the level Alpha, with its rows (per ball,
// per position, per pair or per hit count) for the windows, the clipboard
// and tovisca-cli.
//
// The chance model is the lottery's own: every draw is k distinct balls out
// of 1..n, all C(n, k) combinations equally likely, draws independent. Then
//  - a ball is in a draw with probability k/n, so its count over D draws is
//    binomial (D, k/n);
//  - the plain chi-squared statistic X^2 = sum (c - e)^2 / e, e = D k/n,
//    has mean n (1 - k/n) = n - k, not n - 1: each count varies as a
//    binomial, e (1 - k/n), not as a Poisson, and the counts always add up
//    to D k. X^2 (n - 1)/(n - k) follows chi-squared with n - 1 degrees of
//    freedom (Genest, Lockhart and Stephens, "chi-squared and the lottery",
//    The Statistician 51, 2002). The plain statistic is far too small for
//    games that draw many of their balls (25/15 divides it by 2.5);
//  - a pair of balls is in a draw with probability k(k - 1)/(n(n - 1));
//  - the current delay of a ball (draws since it was last drawn) is
//    geometric: P(delay >= d) = (1 - k/n)^d;
//  - the sum of a draw has mean k(n + 1)/2 and variance k(n - k)(n + 1)/12
//    (sampling without replacement from 1..n).
// Distributions come from Boost.Math.
//
// Multiple comparisons. Per-ball tests are corrected across the n balls by
// Holm (family-wise) and Benjamini-Hochberg (false discovery rate); the
// pairs by Benjamini-Hochberg across the n(n - 1)/2 pairs. A family's
// overall p-value is its smallest adjusted p-value (Bonferroni-Holm, or
// Simes' global test for BH), so a family is "fora do acaso" exactly when
// at least one member is after correction.
//
// Records. The record of a combination search (the most sample draws with h
// hits reached by one combination) has no closed form; its chance
// distribution comes from running the same search on R synthetic uniform
// histories of the same n, k and sample size, seeded so that they repeat.
// The real record's empirical p-value is (1 + #{synthetic >= real}) / (R + 1)
// (the +1 counts the real history among the R + 1 equally likely ones under
// chance); with R = 20 it is never below 1/21.
//
// Threading: everything is a plain function of its inputs; the long part
// (SyntheticRecords) takes a progress callback that may stop it and uses
// the search's worker threads.
#include "TCombinationSearch.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

class TLottery;

// One column of a test's rows: its JSON key, its title in the grid and
// whether it holds integers.
struct TChanceColumn {
    std::string Key;
    std::string Title;
    bool Integer = false;
};

struct TChanceTest {
    std::string Test;  // "ball_frequency", "positional", "delay", "pairs", "sum", "records"
    std::string Title; // "Frequência das bolas", ...
    double Statistic = 0;
    std::optional<double> Df; // degrees of freedom where they apply
    double PValue = 1;
    bool Outside = false; // p < Alpha
    std::string Verdict;
    // Lines below the summary ("Bolas fora do acaso (Holm): 7").
    std::vector<std::string> Notes;
    // Labels of the rows found "fora do acaso" after correction (balls,
    // positions, pairs "a-b", hit counts).
    std::vector<std::string> Flagged;
    std::vector<TChanceColumn> Columns;
    std::vector<std::vector<double>> Rows;

    // The value of column `key` in row `row` (NaN when there is none).
    double Value(size_t row, const std::string& key) const;
    // "Título: veredito", the line a window shows.
    std::string Summary() const;
    // The test as a grid: "Teste", "Estatística", "gl", "p", "Veredito";
    // its values; the notes; a blank line; the column titles; the rows.
    std::vector<std::vector<std::string>> Cells() const;
    // Cells() as lines of TAB-separated cells, each ended by LF.
    std::string Tsv() const;
    // test, title, statistic, df (where it applies), p_value, verdict,
    // outside, flagged, notes, rows (objects keyed by the columns).
    QJsonObject Json() const;
};

// The chance distribution of the records of one search setting.
struct TSyntheticRecords {
    int32_t Elements = 0;
    int32_t PerCombination = 0;
    int32_t SampleSize = 0;
    uint64_t Seed = 0;
    bool Reduced = false;
    bool Stopped = false;
    // [r][h]: the record of h hits on synthetic history r (r = 0..R-1).
    std::vector<std::vector<int32_t>> Records;
};

class TChanceAudit {
public:
    static constexpr double Alpha = 0.05;
    static constexpr int32_t DefaultRepeats = 20;
    // The synthetic histories' seed unless one is chosen: the windows and
    // tovisca-cli audit then show the same chance distributions.
    static constexpr uint64_t DefaultSeed = 1;
    // Full universes up to this many combinations; beyond it the records are
    // compared on the reduced universe (the same candidates for the real and
    // the synthetic histories).
    static constexpr double FullUniverseLimit = 1e8;

    // Fraction done (0..1); returning false stops the run.
    using Progress = std::function<bool(double)>;

    // "dentro do acaso" or "fora do acaso (p = 0,0123)".
    static std::string Verdict(double p);
    static std::string PText(double p);

    // Adjusted p-values in the input order.
    static std::vector<double> Holm(std::span<const double> p);
    static std::vector<double> BenjaminiHochberg(std::span<const double> p);

    // The draws of a history as numbers 1..n, oldest first, and its last
    // `sample` draws (all of them when sample <= 0 or above the history).
    using Draws = std::vector<std::vector<int32_t>>;
    static Draws LastDraws(const TLottery& lottery, int32_t sample);

    // Ball counts against D k/n: the corrected chi-squared (or, with
    // corrected false, the plain one, both with n - 1 degrees of freedom);
    // rows ball, count, expected, z, p, p Holm, p BH.
    static TChanceTest BallFrequency(int32_t n, int32_t k, const Draws& draws, bool corrected = true);
    // Per sorted position, its counts [ball 0..n-1][position 0..k-1] over
    // `sample` draws against sample x probabilities[ball][position] (chi-
    // squared goodness of fit). Cells whose expectation is below 5 are pooled
    // with their neighbours in ball order (a position's probabilities are a
    // single hump, so the pooled cells are its thin tails): a run of cells is
    // closed once its expectation reaches 5, and a last run below 5 joins
    // the one before it. df = pooled cells - 1. Rows position, X^2, df,
    // cells, p, p Holm; the overall p-value is Holm's smallest.
    static TChanceTest Positional(const std::vector<std::vector<int32_t>>& counts,
                                  const std::vector<std::vector<double>>& probabilities, int32_t sample);
    // Counts [ball][position] of the last `sample` draws.
    static std::vector<std::vector<int32_t>> PositionCounts(int32_t n, int32_t k, const Draws& draws);
    static TChanceTest Positional(const TLottery& lottery, int32_t sample);

    // Each ball's current delay d over the draws (D when it never came), its
    // percentile 100 (1 - q^d) and its upper-tail p-value q^d, q = 1 - k/n;
    // Holm across the balls.
    static TChanceTest Delays(int32_t n, int32_t k, const Draws& draws);
    // The 95 % points of the run lengths: 95 % of chance delays are at most
    // Delay draws, and 95 % of chance runs of presence at most Advance.
    struct TDelayBand {
        int32_t Delay = 0;
        int32_t Advance = 0;
    };
    static TDelayBand DelayBand(int32_t n, int32_t k, double level = 0.95);

    // Each pair's count against D k(k - 1)/(n(n - 1)), exact two-sided
    // binomial p-value, Benjamini-Hochberg across the pairs; statistic: the
    // pairs "fora do acaso" at q = Alpha. Rows a, b, count, expected, p, p BH.
    static TChanceTest Pairs(int32_t n, int32_t k, const Draws& draws);
    // The mean sum of the draws against k(n + 1)/2: a z test of the mean,
    // whose standard error is sqrt(k(n - k)(n + 1)/12 / D).
    static TChanceTest Sum(int32_t n, int32_t k, const Draws& draws);

    // The options a record search of this setting runs with (Recurrence
    // mode: the same records as "Melhor comb." for the full universe).
    static TSearchOptions RecordOptions(double total, int32_t sample, uint64_t seed);
    // R synthetic uniform histories of `sample` draws of k out of n, each
    // searched with `options` (its sample size set to `sample`). History r
    // comes from its own seed (derived from seed and r), so the first R of
    // them repeat whatever R is.
    static TSyntheticRecords SyntheticRecords(int32_t n, int32_t k, double birthday,
                                              const TSearchOptions& options, int32_t repeats, uint64_t seed,
                                              const Progress& progress = {});
    // One synthetic history (numbers 1..n, sorted draws).
    static Draws SyntheticHistory(int32_t n, int32_t k, int32_t draws, uint64_t seed);
    // The real records (Count1 of a search) against their chance
    // distribution: rows h, record, synthetic min, median, mean, max,
    // empirical p (upper tail); overall Holm's smallest.
    static TChanceTest Records(std::span<const int32_t> real, const TSyntheticRecords& chance);

    // The whole audit of a history. sample <= 0: every draw for the
    // statistics and min(D, n) draws (the recurrence window's default) for
    // the records.
    struct TOptions {
        int32_t Sample = 0;
        int32_t Repeats = DefaultRepeats;
        uint64_t Seed = DefaultSeed;
        int32_t Threads = 0;
    };
    // The tests in order; a stopped run leaves the records out.
    static std::vector<TChanceTest> Audit(const TLottery& lottery, const TOptions& options,
                                          const Progress& progress = {});
    static std::string Tsv(const std::vector<TChanceTest>& tests);
    // {"tests": [...]} as indented JSON text.
    static std::string Json(const std::vector<TChanceTest>& tests);
};
