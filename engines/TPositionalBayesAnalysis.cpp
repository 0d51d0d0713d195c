#include "TPositionalBayesAnalysis.h"

#include "NumberText.h"
#include "TLottery.h"

#include <algorithm>
#include <cmath>

namespace {

// The sums of the position probabilities carry rounding in their last bits:
// a P[0] within this distance of a threshold counts as standing on it, so
// that 1 - K / N = 0.9 (6 of 60) meets a tolerance of 10 % as the algebra
// says it does.
constexpr long double ThresholdSlack = 1e-12L;

long double LogBinomial(int32_t n, int32_t k) {
    return std::lgamma(static_cast<long double>(n) + 1) - std::lgamma(static_cast<long double>(k) + 1) -
           std::lgamma(static_cast<long double>(n - k) + 1);
}

std::string Percent2(long double part, long double whole) {
    return NumberText::FormatFixed(static_cast<double>(part * 100 / whole), 2);
}

} // namespace

TPositionalBayesAnalysis::TPositionalBayesAnalysis(const TLottery& lottery)
    : lottery_(lottery), n_(lottery.Elements()), k_(lottery.PerCombination()), zeroBased_(lottery.ZeroBased) {
}

int32_t TPositionalBayesAnalysis::DrawCount() const {
    return lottery_.DrawCount;
}

TPositionalBayesAnalysis::Steps TPositionalBayesAnalysis::WindowSteps(int32_t drawCount, int32_t sampleSize,
                                                                      int32_t ignore) {
    Steps steps;
    steps.last = drawCount - ignore - 1;
    steps.first = steps.last - sampleSize - 1;
    steps.next = steps.last + 1;
    return steps;
}

void TPositionalBayesAnalysis::Load() {
    P.assign(static_cast<size_t>(k_ + 1), std::vector<double>(static_cast<size_t>(n_ + 1), 0.0));
    run.assign(static_cast<size_t>(n_ + 1), 0);
}

void TPositionalBayesAnalysis::SetTolerance(int32_t tolerancePercent) {
    loT = static_cast<double>(static_cast<long double>(tolerancePercent) / 100);
    hiT = static_cast<double>(1 - static_cast<long double>(tolerancePercent) / 100);
}

bool TPositionalBayesAnalysis::Present(int32_t number, int32_t draw) const {
    if (number < 1 || number > n_ || draw < 0 || draw >= lottery_.DrawCount) return false;
    const auto ball = static_cast<size_t>(zeroBased_ ? number - 1 : number);
    if (ball >= lottery_.Presence.size()) return false;
    const std::vector<uint8_t>& row = lottery_.Presence[ball];
    return static_cast<size_t>(draw) < row.size() && row[static_cast<size_t>(draw)] != 0;
}

int32_t TPositionalBayesAnalysis::RunOf(int32_t number, int32_t last, int32_t first) const {
    if (last < 0 || last >= lottery_.DrawCount) return 0;
    // The walk never reads before the history: a stretch that would begin
    // before draw 0 is cut there, so the run is at most last + 1.
    const int32_t stop = std::max(first, 0);
    const bool state = Present(number, last);
    int32_t r = 0;
    for (int32_t d = last; d >= stop && Present(number, d) == state; --d) ++r;
    return state ? r : -r;
}

void TPositionalBayesAnalysis::Calculate(const Steps& steps, bool theoryOnly) {
    if (P.size() != static_cast<size_t>(k_ + 1) || run.size() != static_cast<size_t>(n_ + 1)) Load();
    for (int32_t n = 1; n <= n_; ++n) {
        long double drawn = 0;
        for (int32_t p = 1; p <= k_; ++p) {
            const double q = lottery_.Converter ? lottery_.Converter->PositionProbability(n, p) : 0.0;
            P[static_cast<size_t>(p)][static_cast<size_t>(n)] = q;
            drawn += q;
        }
        P[0][static_cast<size_t>(n)] = static_cast<double>(1 - drawn);
        run[static_cast<size_t>(n)] = 0;
    }
    if (theoryOnly) return;
    for (int32_t n = 1; n <= n_; ++n) {
        const int32_t signedRun = RunOf(n, steps.last, steps.first);
        if (signedRun == 0) continue; // no history to learn from
        const auto i = static_cast<size_t>(n);
        const long double a = 1 - static_cast<long double>(P[0][i]);
        const long double b = P[0][i];
        const int32_t r = std::abs(signedRun);
        run[i] = signedRun;
        if (signedRun > 0) {
            // Drawn again after r presences: a^(r + 1), spread as a^r times
            // each position's theoretical share.
            const long double ar = std::pow(a, static_cast<long double>(r));
            P[0][i] = static_cast<double>(1 - ar * a);
            for (int32_t p = 1; p <= k_; ++p)
                P[static_cast<size_t>(p)][i] = static_cast<double>(P[static_cast<size_t>(p)][i] * ar);
        } else {
            // Staying away after r absences: b^(r + 1); the rest, 1 - b^(r + 1),
            // spread in the positions' proportions (each share over a). A
            // number that can stand at no position has nothing to spread.
            const long double away = std::pow(b, static_cast<long double>(r + 1));
            P[0][i] = static_cast<double>(away);
            for (int32_t p = 1; p <= k_; ++p) {
                double& cell = P[static_cast<size_t>(p)][i];
                cell = a > 0 ? static_cast<double>(cell / a * (1 - away)) : 0.0;
            }
        }
    }
}

TPositionalBayesAnalysis::Fill TPositionalBayesAnalysis::RowFill(int32_t number) const {
    if (number < 1 || number > n_ || P.empty()) return Fill::Plain;
    const long double notDrawn = P[0][static_cast<size_t>(number)];
    if (notDrawn >= hiT - ThresholdSlack) return Fill::Avoid;
    if (notDrawn <= loT + ThresholdSlack) return Fill::Bet;
    return Fill::Plain;
}

std::string TPositionalBayesAnalysis::PercentText(int32_t position, int32_t number) const {
    if (position < 0 || position > k_ || number < 0 || number > n_ || P.empty()) return {};
    const long double value =
        static_cast<long double>(P[static_cast<size_t>(position)][static_cast<size_t>(number)]);
    return NumberText::FormatFixed(static_cast<double>(value * 100), 1) + "%";
}

std::string TPositionalBayesAnalysis::RunText(int32_t number) const {
    if (number < 0 || number >= static_cast<int32_t>(run.size())) return {};
    return NumberText::FormatInt(run[static_cast<size_t>(number)]);
}

std::vector<TPositionalBayesAnalysis::Bar> TPositionalBayesAnalysis::Bars(int32_t number) const {
    std::vector<Bar> bars;
    if (number < 1 || number > n_ || P.empty()) return bars;
    for (int32_t p = 0; p <= k_; ++p)
        bars.push_back(
            {static_cast<double>(p),
             static_cast<double>(
                 static_cast<long double>(P[static_cast<size_t>(p)][static_cast<size_t>(number)]) * 100)});
    return bars;
}

void TPositionalBayesAnalysis::Score(ListScore& list, int32_t next, bool presentIsCorrect) const {
    int32_t drawnNumbers = 0;
    for (int32_t n = 1; n <= n_; ++n) drawnNumbers += Present(n, next) ? 1 : 0;
    for (const int32_t n : list.Numbers) {
        if (Present(n, next) == presentIsCorrect)
            ++list.Correct;
        else
            ++list.Incorrect;
    }
    // A random list of the same size: its hits are the numbers it shares with
    // the draw (present ones for "APOSTAR", absent ones for "NÃO APOSTAR").
    const int32_t successes = presentIsCorrect ? drawnNumbers : n_ - drawnNumbers;
    const auto size = static_cast<int32_t>(list.Numbers.size());
    list.ChanceMean = HypergeometricMean(n_, successes, size);
    list.ChanceAtLeast = HypergeometricAtLeast(n_, successes, size, list.Correct);
}

TPositionalBayesAnalysis::Result TPositionalBayesAnalysis::Analyse(const Steps& steps) const {
    Result result;
    for (int32_t n = 1; n <= n_; ++n) {
        const Fill fill = RowFill(n);
        if (fill == Fill::Avoid) result.NotBet.Numbers.push_back(n);
        if (fill == Fill::Bet) result.Bet.Numbers.push_back(n);
    }
    if (steps.next >= 0 && steps.next < lottery_.DrawCount) {
        result.ScoredDraw = steps.next;
        Score(result.NotBet, steps.next, false);
        Score(result.Bet, steps.next, true);
    }
    return result;
}

std::vector<std::string> TPositionalBayesAnalysis::HeaderTexts() const {
    std::vector<std::string> texts{"dez/posição"};
    for (int32_t p = 0; p <= k_; ++p) texts.push_back(NumberText::FormatInt(p));
    texts.emplace_back("repetição");
    return texts;
}

std::vector<std::string> TPositionalBayesAnalysis::RowTexts(int32_t number) const {
    std::vector<std::string> texts{NumberText::FormatInt(Label(number))};
    for (int32_t p = 0; p <= k_; ++p) texts.push_back(PercentText(p, number));
    texts.push_back(RunText(number));
    return texts;
}

std::vector<std::string> TPositionalBayesAnalysis::MemoLines(const Result& result) const {
    std::vector<std::string> lines;
    const auto list = [&](const char* heading, const ListScore& score) {
        lines.emplace_back(heading);
        for (const int32_t n : score.Numbers) lines.push_back(NumberText::FormatInt(n));
        if (result.ScoredDraw < 0 || score.Scored() == 0) return;
        lines.push_back("Acertividade (sorteio " + NumberText::FormatInt(result.ScoredDraw + 1) + "):");
        lines.push_back("Corretos = " + NumberText::FormatInt(score.Correct) + " (" +
                        Percent2(score.Correct, score.Scored()) + "%)");
        lines.push_back("Incorretos = " + NumberText::FormatInt(score.Incorrect) + " (" +
                        Percent2(score.Incorrect, score.Scored()) + "%)");
        lines.push_back("Ao acaso = " + NumberText::FormatFixed(static_cast<double>(score.ChanceMean), 2) +
                        " corretos em média; P(corretos >= " + NumberText::FormatInt(score.Correct) +
                        ") = " + Percent2(score.ChanceAtLeast, 1) + "%");
    };
    list("NÃO APOSTAR EM:", result.NotBet);
    list("APOSTAR EM:", result.Bet);
    lines.emplace_back("FIM DA ANÁLISE");
    return lines;
}

long double TPositionalBayesAnalysis::HypergeometricMean(int32_t population, int32_t successes,
                                                         int32_t drawn) {
    if (population <= 0 || drawn <= 0 || successes <= 0) return 0;
    return static_cast<long double>(drawn) * successes / population;
}

long double TPositionalBayesAnalysis::HypergeometricAtLeast(int32_t population, int32_t successes,
                                                            int32_t drawn, int32_t atLeast) {
    if (atLeast <= 0) return 1;
    if (population <= 0 || drawn <= 0 || successes <= 0 || drawn > population || successes > population)
        return 0;
    // P(X = h) = C(s, h) C(N - s, m - h) / C(N, m), summed over the tail in
    // logarithms so that games of hundreds of numbers do not overflow.
    const int32_t low = std::max(atLeast, drawn - (population - successes));
    const int32_t high = std::min(drawn, successes);
    const long double logTotal = LogBinomial(population, drawn);
    long double tail = 0;
    for (int32_t h = low; h <= high; ++h)
        tail +=
            std::exp(LogBinomial(successes, h) + LogBinomial(population - successes, drawn - h) - logTotal);
    return std::min<long double>(tail, 1);
}
