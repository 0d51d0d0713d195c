#pragma once
// The computation behind "Análise posicional/bayesiana": for every number n
// of a game, the probability P[p][n] that it is drawn next at sorted
// position p (p = 1..K) and the probability P[0][n] that it is not drawn,
// starting from the combinatorial position probabilities and corrected by
// the number's current run of presences or absences in the sample.
//
// With a = K / N the theoretical chance of being drawn and b = 1 - a, a
// number present in each of the last r examined draws is drawn again with
// probability a^(r + 1); one absent from each of them stays away with
// probability b^(r + 1). The rest is spread over the positions in their
// theoretical proportions, so P[0..K][n] always sums to 1.
//
// From P[0] and a tolerance t the numbers split into "NÃO APOSTAR EM:"
// (P[0] >= 1 - t) and "APOSTAR EM:" (P[0] <= t); when the draw after the
// analysed stretch is known, both lists are scored against it, beside what a
// list of the same size picked at random would score (hypergeometric law).
//
// Numbers run 1..N; in a zero-based game number n is the stored ball n - 1.
//
// Ownership: holds a reference to the history, which must outlive it.
// Threading: UI thread only. Every call is short: a walk touches at most the
// sample's draws once per number.
#include <cstdint>
#include <string>
#include <vector>

class TLottery;

class TPositionalBayesAnalysis {
public:
    // The stretch of history a preview looks at. last: the newest draw
    // analysed (DrawCount - I - 1 for I ignored draws); first: last - S - 1
    // for a sample of S draws, where the walk of each number stops (never
    // before draw 0); next: last + 1, the draw the lists are scored against
    // (it exists only when at least one draw was ignored).
    struct Steps {
        int32_t last = -1;
        int32_t first = -1;
        int32_t next = 0;
    };
    // How a grid row is painted, from the number's P[0].
    enum class Fill { Plain, Avoid, Bet };

    // One list of the memo and its score against draw next.
    struct ListScore {
        std::vector<int32_t> Numbers;
        int32_t Correct = 0;
        int32_t Incorrect = 0;
        // What a list of Numbers.size() numbers drawn at random scores: its
        // expected count of correct numbers, and the chance that it scores at
        // least Correct.
        long double ChanceMean = 0;
        long double ChanceAtLeast = 0;
        int32_t Scored() const { return Correct + Incorrect; }
    };
    struct Result {
        ListScore NotBet;        // correct: absent from draw next
        ListScore Bet;           // correct: present in draw next
        int32_t ScoredDraw = -1; // next, or -1 when it does not exist
    };

    explicit TPositionalBayesAnalysis(const TLottery& lottery);

    int32_t N() const { return n_; }
    int32_t K() const { return k_; }
    bool ZeroBased() const { return zeroBased_; }
    int32_t DrawCount() const;

    static Steps WindowSteps(int32_t drawCount, int32_t sampleSize, int32_t ignore);

    // Sizes P to [K + 1][N + 1] and run to N + 1, all cleared.
    void Load();
    // loT := tolerance / 100, hiT := 1 - tolerance / 100.
    void SetTolerance(int32_t tolerancePercent);
    // The theory, then (unless theoryOnly) each number's run over the steps'
    // stretch and the corrected probabilities.
    void Calculate(const Steps& steps, bool theoryOnly);
    // The run of number n going back from draw last, stopping at draw first
    // or at draw 0, whichever comes later: +r when present in each of those
    // r draws, -r when absent from each; 0 when last is outside the history.
    int32_t RunOf(int32_t number, int32_t last, int32_t first) const;

    Fill RowFill(int32_t number) const;
    // Grid texts: P[p][n] x 100 with one decimal and "%", and run[n].
    std::string PercentText(int32_t position, int32_t number) const;
    std::string RunText(int32_t number) const;
    // The grid label of number n (n - 1 in a zero-based game).
    int32_t Label(int32_t number) const { return zeroBased_ ? number - 1 : number; }
    // The grid's K + 3 columns: the header row ("dez/posição", 0..K,
    // "repetição") and the row of number n (its label, the percents, the run).
    std::vector<std::string> HeaderTexts() const;
    std::vector<std::string> RowTexts(int32_t number) const;

    struct Bar {
        double x = 0;
        double y = 0;
    };
    // (p, P[p][n] x 100) for p = 0..K; none for a number outside 1..N.
    std::vector<Bar> Bars(int32_t number) const;

    Result Analyse(const Steps& steps) const;
    std::vector<std::string> MemoLines(const Result& result) const;

    // Whether number n (1..N) is in draw d; false outside the history.
    bool Present(int32_t number, int32_t draw) const;

    // A list of `drawn` numbers out of `population`, of which `successes`
    // count as hits: the mean hits (drawn x successes / population) and the
    // chance of at least `atLeast` hits. Degenerate sizes give 0 (mean) and
    // 1 or 0 (tail) as the counting says.
    static long double HypergeometricMean(int32_t population, int32_t successes, int32_t drawn);
    static long double HypergeometricAtLeast(int32_t population, int32_t successes, int32_t drawn,
                                             int32_t atLeast);

    // P[p][n], p = 0..K, n = 0..N (n = 0 unused); run[n]; the thresholds.
    std::vector<std::vector<double>> P;
    std::vector<int32_t> run;
    double loT = 0.1;
    double hiT = 0.9;

private:
    void Score(ListScore& list, int32_t next, bool presentIsCorrect) const;

    const TLottery& lottery_;
    int32_t n_ = 0;
    int32_t k_ = 0;
    bool zeroBased_ = false;
};
