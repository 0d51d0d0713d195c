#include "TChanceAudit.h"

#include "NumberText.h"
#include "TLottery.h"

#include <QJsonDocument>

#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/geometric.hpp>
#include <boost/math/distributions/normal.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>
#include <random>

namespace {

namespace bm = boost::math;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Upper tail of chi-squared with df degrees of freedom.
double ChiSquaredTail(double statistic, double df) {
    if (!(df > 0)) return 1;
    if (!(statistic > 0)) return 1;
    return bm::cdf(bm::complement(bm::chi_squared_distribution<double>(df), statistic));
}

// Two-sided p-value of a standard normal z.
double NormalTwoSided(double z) {
    if (!std::isfinite(z)) return std::isnan(z) ? 1 : 0;
    return std::min(1.0, 2 * bm::cdf(bm::complement(bm::normal_distribution<double>(0, 1), std::fabs(z))));
}

// Exact two-sided binomial p-value: twice the smaller tail, at most 1.
double BinomialTwoSided(int64_t count, int64_t trials, double p) {
    if (trials <= 0 || !(p > 0) || !(p < 1)) return 1;
    const bm::binomial_distribution<double> law(static_cast<double>(trials), p);
    const auto c = static_cast<double>(count);
    const double lower = bm::cdf(law, c);
    const double upper = count <= 0 ? 1.0 : bm::cdf(bm::complement(law, c - 1));
    return std::min(1.0, 2 * std::min(lower, upper));
}

std::string Cell(double value, bool integer) {
    if (std::isnan(value)) return "";
    if (integer) return NumberText::FormatInt(static_cast<long long>(std::llround(value)));
    return NumberText::FormatGeneral(value, 6);
}

TChanceTest Finish(TChanceTest test) {
    test.Outside = test.PValue < TChanceAudit::Alpha;
    test.Verdict = TChanceAudit::Verdict(test.PValue);
    return test;
}

std::vector<int32_t> BallCounts(int32_t n, const TChanceAudit::Draws& draws) {
    std::vector<int32_t> counts(static_cast<size_t>(n) + 1, 0);
    for (const auto& draw : draws)
        for (const int32_t ball : draw)
            if (ball >= 1 && ball <= n) counts[static_cast<size_t>(ball)] += 1;
    return counts;
}

// A list "1, 2, 3".
void Append(std::string& list, const std::string& item) {
    if (!list.empty()) list += ", ";
    list += item;
}

// SplitMix64: the seed of synthetic history r.
uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

} // namespace

double TChanceTest::Value(size_t row, const std::string& key) const {
    if (row >= Rows.size()) return NaN;
    for (size_t c = 0; c < Columns.size(); ++c)
        if (Columns[c].Key == key) return c < Rows[row].size() ? Rows[row][c] : NaN;
    return NaN;
}

std::string TChanceTest::Summary() const {
    return Title + ": " + Verdict;
}

std::vector<std::vector<std::string>> TChanceTest::Cells() const {
    std::vector<std::vector<std::string>> cells;
    cells.push_back({"Teste", "Estatística", "gl", "p", "Veredito"});
    cells.push_back({Title, NumberText::FormatGeneral(Statistic, 6), Df ? Cell(*Df, true) : std::string(),
                     TChanceAudit::PText(PValue), Verdict});
    for (const std::string& note : Notes) cells.push_back({note});
    if (Columns.empty()) return cells;
    cells.push_back({});
    std::vector<std::string> titles;
    for (const TChanceColumn& column : Columns) titles.push_back(column.Title);
    cells.push_back(std::move(titles));
    for (const std::vector<double>& row : Rows) {
        std::vector<std::string> texts;
        for (size_t c = 0; c < Columns.size() && c < row.size(); ++c)
            texts.push_back(Cell(row[c], Columns[c].Integer));
        cells.push_back(std::move(texts));
    }
    return cells;
}

std::string TChanceTest::Tsv() const {
    std::string text;
    for (const std::vector<std::string>& line : Cells()) {
        for (size_t i = 0; i < line.size(); ++i) {
            if (i > 0) text += '\t';
            text += line[i];
        }
        text += '\n';
    }
    return text;
}

QJsonObject TChanceTest::Json() const {
    QJsonObject object;
    object["test"] = QString::fromStdString(Test);
    object["title"] = QString::fromStdString(Title);
    object["statistic"] = Statistic;
    if (Df) object["df"] = *Df;
    object["p_value"] = PValue;
    object["verdict"] = QString::fromStdString(Verdict);
    object["outside"] = Outside;
    QJsonArray flagged;
    for (const std::string& label : Flagged) flagged.append(QString::fromStdString(label));
    object["flagged"] = flagged;
    QJsonArray notes;
    for (const std::string& note : Notes) notes.append(QString::fromStdString(note));
    object["notes"] = notes;
    QJsonArray rows;
    for (const std::vector<double>& row : Rows) {
        QJsonObject item;
        for (size_t c = 0; c < Columns.size() && c < row.size(); ++c) {
            const QString key = QString::fromStdString(Columns[c].Key);
            if (std::isnan(row[c]))
                item[key] = QJsonValue(QJsonValue::Null);
            else if (Columns[c].Integer)
                item[key] = static_cast<qint64>(std::llround(row[c]));
            else
                item[key] = row[c];
        }
        rows.append(item);
    }
    object["rows"] = rows;
    return object;
}

std::string TChanceAudit::PText(double p) {
    return NumberText::FormatGeneral(p, 3);
}

std::string TChanceAudit::Verdict(double p) {
    if (p < Alpha) return "fora do acaso (p = " + PText(p) + ")";
    return "dentro do acaso";
}

std::vector<double> TChanceAudit::Holm(std::span<const double> p) {
    const size_t m = p.size();
    std::vector<size_t> order(m);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return p[a] < p[b]; });
    std::vector<double> adjusted(m, 1);
    double running = 0;
    for (size_t i = 0; i < m; ++i) {
        const double value = std::min(1.0, static_cast<double>(m - i) * p[order[i]]);
        running = std::max(running, value);
        adjusted[order[i]] = running;
    }
    return adjusted;
}

std::vector<double> TChanceAudit::BenjaminiHochberg(std::span<const double> p) {
    const size_t m = p.size();
    std::vector<size_t> order(m);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return p[a] < p[b]; });
    std::vector<double> adjusted(m, 1);
    double running = 1;
    for (size_t i = m; i-- > 0;) {
        const double value = std::min(1.0, static_cast<double>(m) * p[order[i]] / static_cast<double>(i + 1));
        running = std::min(running, value);
        adjusted[order[i]] = running;
    }
    return adjusted;
}

TChanceAudit::Draws TChanceAudit::LastDraws(const TLottery& lottery, int32_t sample) {
    Draws draws = TCombinationSearch::GameOf(lottery).Draws;
    const auto count = static_cast<int32_t>(draws.size());
    if (sample > 0 && sample < count) draws.erase(draws.begin(), draws.begin() + (count - sample));
    return draws;
}

TChanceTest TChanceAudit::BallFrequency(int32_t n, int32_t k, const Draws& draws, bool corrected) {
    TChanceTest test;
    test.Test = corrected ? "ball_frequency" : "ball_frequency_uncorrected";
    test.Title = corrected ? "Frequência das bolas" : "Frequência das bolas (qui-quadrado sem correção)";
    test.Columns = {{"ball", "Bola", true}, {"count", "Contagem", true}, {"expected", "Esperado", false},
                    {"z", "z", false},      {"p_value", "p", false},     {"p_holm", "p Holm", false},
                    {"p_bh", "p BH", false}};
    const double d = static_cast<double>(draws.size());
    if (n < 2 || k < 1 || k >= n || draws.empty()) {
        test.Notes.push_back("Sem concursos ou jogo sem variação: nada a testar.");
        return Finish(test);
    }
    const double share = static_cast<double>(k) / n;
    const double expected = d * share;
    const double sd = std::sqrt(d * share * (1 - share));
    const std::vector<int32_t> counts = BallCounts(n, draws);
    double chi = 0;
    std::vector<double> z(static_cast<size_t>(n)), p(static_cast<size_t>(n));
    for (int32_t b = 1; b <= n; ++b) {
        const double c = counts[static_cast<size_t>(b)];
        chi += (c - expected) * (c - expected) / expected;
        z[static_cast<size_t>(b - 1)] = (c - expected) / sd;
        p[static_cast<size_t>(b - 1)] = NormalTwoSided(z[static_cast<size_t>(b - 1)]);
    }
    const double df = n - 1;
    test.Statistic = corrected ? chi * (n - 1) / static_cast<double>(n - k) : chi;
    test.Df = df;
    test.PValue = ChiSquaredTail(test.Statistic, df);
    const std::vector<double> holm = Holm(p);
    const std::vector<double> bh = BenjaminiHochberg(p);
    std::string holmBalls, bhBalls;
    for (int32_t b = 1; b <= n; ++b) {
        const auto i = static_cast<size_t>(b - 1);
        test.Rows.push_back({static_cast<double>(b), static_cast<double>(counts[i + 1]), expected, z[i], p[i],
                             holm[i], bh[i]});
        if (holm[i] < Alpha) {
            test.Flagged.push_back(NumberText::FormatInt(b));
            Append(holmBalls, NumberText::FormatInt(b));
        }
        if (bh[i] < Alpha) Append(bhBalls, NumberText::FormatInt(b));
    }
    test.Notes.push_back("Esperado por bola: " + NumberText::FormatGeneral(expected, 6) + " em " +
                         NumberText::FormatInt(static_cast<long long>(d)) + " concursos");
    test.Notes.push_back("Bolas fora do acaso (Holm): " + (holmBalls.empty() ? "nenhuma" : holmBalls));
    test.Notes.push_back("Bolas fora do acaso (Benjamini-Hochberg): " +
                         (bhBalls.empty() ? "nenhuma" : bhBalls));
    return Finish(test);
}

std::vector<std::vector<int32_t>> TChanceAudit::PositionCounts(int32_t n, int32_t k, const Draws& draws) {
    std::vector<std::vector<int32_t>> counts(static_cast<size_t>(std::max(n, 0)),
                                             std::vector<int32_t>(static_cast<size_t>(std::max(k, 0)), 0));
    std::vector<int32_t> sorted;
    for (const auto& draw : draws) {
        sorted = draw;
        std::sort(sorted.begin(), sorted.end());
        for (size_t p = 0; p < sorted.size() && p < static_cast<size_t>(k); ++p)
            if (sorted[p] >= 1 && sorted[p] <= n) counts[static_cast<size_t>(sorted[p] - 1)][p] += 1;
    }
    return counts;
}

TChanceTest TChanceAudit::Positional(const std::vector<std::vector<int32_t>>& counts,
                                     const std::vector<std::vector<double>>& probabilities, int32_t sample) {
    TChanceTest test;
    test.Test = "positional";
    test.Title = "Frequência posicional";
    test.Columns = {{"position", "Posição", true}, {"statistic", "X²", false}, {"df", "gl", true},
                    {"cells", "Classes", true},    {"p_value", "p", false},    {"p_holm", "p Holm", false}};
    const size_t n = std::min(counts.size(), probabilities.size());
    const size_t k = n == 0 ? 0 : std::min(counts[0].size(), probabilities[0].size());
    std::vector<double> p;
    for (size_t pos = 0; pos < k; ++pos) {
        // Pool neighbouring cells (in ball order) until each group expects 5.
        std::vector<double> observed, expected;
        double o = 0, e = 0;
        for (size_t b = 0; b < n; ++b) {
            o += counts[b][pos];
            e += sample * probabilities[b][pos];
            if (e >= 5) {
                observed.push_back(o);
                expected.push_back(e);
                o = e = 0;
            }
        }
        if (e > 0 || o > 0) {
            if (expected.empty()) {
                observed.push_back(o);
                expected.push_back(e);
            } else {
                observed.back() += o;
                expected.back() += e;
            }
        }
        double chi = 0;
        for (size_t i = 0; i < observed.size(); ++i)
            if (expected[i] > 0)
                chi += (observed[i] - expected[i]) * (observed[i] - expected[i]) / expected[i];
        const double df = observed.size() > 1 ? static_cast<double>(observed.size() - 1) : 0;
        const double pv = df > 0 ? ChiSquaredTail(chi, df) : 1;
        p.push_back(pv);
        test.Rows.push_back(
            {static_cast<double>(pos + 1), chi, df, static_cast<double>(observed.size()), pv, NaN});
    }
    const std::vector<double> holm = Holm(p);
    size_t best = 0;
    for (size_t i = 0; i < holm.size(); ++i) {
        test.Rows[i][5] = holm[i];
        if (p[i] < p[best]) best = i;
        if (holm[i] < Alpha) test.Flagged.push_back(NumberText::FormatInt(static_cast<long long>(i + 1)));
    }
    if (!holm.empty()) {
        test.Statistic = test.Rows[best][1];
        test.Df = test.Rows[best][2];
        test.PValue = *std::min_element(holm.begin(), holm.end());
        test.Notes.push_back(
            "Posição de menor p: " + NumberText::FormatInt(static_cast<long long>(best + 1)) +
            " (classes com menos de 5 esperados somadas às vizinhas)");
    }
    test.Notes.push_back("Amostra: " + NumberText::FormatInt(sample) + " concursos");
    return Finish(test);
}

TChanceTest TChanceAudit::Positional(const TLottery& lottery, int32_t sample) {
    const Draws draws = LastDraws(lottery, sample);
    return Positional(PositionCounts(lottery.Elements(), lottery.PerCombination(), draws),
                      lottery.PositionProbabilities, static_cast<int32_t>(draws.size()));
}

TChanceTest TChanceAudit::Delays(int32_t n, int32_t k, const Draws& draws) {
    TChanceTest test;
    test.Test = "delay";
    test.Title = "Atraso atual";
    test.Columns = {{"ball", "Bola", true},
                    {"delay", "Atraso", true},
                    {"percentile", "Percentil %", false},
                    {"p_value", "P(atraso >= d)", false},
                    {"p_holm", "p Holm", false}};
    if (n < 2 || k < 1 || k >= n) return Finish(test);
    const auto d = static_cast<int32_t>(draws.size());
    std::vector<int32_t> delay(static_cast<size_t>(n) + 1, d);
    for (int32_t i = d - 1; i >= 0; --i)
        for (const int32_t ball : draws[static_cast<size_t>(i)])
            if (ball >= 1 && ball <= n && delay[static_cast<size_t>(ball)] == d)
                delay[static_cast<size_t>(ball)] = d - 1 - i;
    // Failures before the first success, success probability k/n: P(X >= x)
    // = (1 - k/n)^x.
    const bm::geometric_distribution<double> law(static_cast<double>(k) / n);
    std::vector<double> p(static_cast<size_t>(n));
    for (int32_t b = 1; b <= n; ++b) {
        const int32_t x = delay[static_cast<size_t>(b)];
        p[static_cast<size_t>(b - 1)] =
            x <= 0 ? 1.0 : bm::cdf(bm::complement(law, static_cast<double>(x - 1)));
    }
    const std::vector<double> holm = Holm(p);
    int32_t longest = 0;
    for (int32_t b = 1; b <= n; ++b) {
        const auto i = static_cast<size_t>(b - 1);
        longest = std::max(longest, delay[i + 1]);
        test.Rows.push_back(
            {static_cast<double>(b), static_cast<double>(delay[i + 1]), 100 * (1 - p[i]), p[i], holm[i]});
        if (holm[i] < Alpha) test.Flagged.push_back(NumberText::FormatInt(b));
    }
    const TDelayBand band = DelayBand(n, k);
    test.Statistic = longest;
    test.PValue = *std::min_element(holm.begin(), holm.end());
    test.Notes.push_back("Maior atraso atual: " + NumberText::FormatInt(longest));
    test.Notes.push_back("Faixa de 95 % do acaso: atraso até " + NumberText::FormatInt(band.Delay) +
                         ", adiantamento até " + NumberText::FormatInt(band.Advance));
    return Finish(test);
}

TChanceAudit::TDelayBand TChanceAudit::DelayBand(int32_t n, int32_t k, double level) {
    TDelayBand band;
    if (n < 2 || k < 1 || k >= n) return band;
    const double share = static_cast<double>(k) / n;
    // The smallest x with P(X <= x) >= level for X geometric (failures
    // before the first success).
    auto point = [level](double success) {
        const bm::geometric_distribution<double> law(success);
        auto x = static_cast<int32_t>(std::max(0.0, std::floor(bm::quantile(law, level))));
        while (x > 0 && bm::cdf(law, static_cast<double>(x - 1)) >= level) --x;
        while (bm::cdf(law, static_cast<double>(x)) < level) ++x;
        return x;
    };
    // The current delay counts the newest draws without the ball (0 when
    // the last draw holds it): failures before a success of probability
    // k/n. The current advance counts the newest draws with it: failures
    // before an absence, of probability 1 - k/n. The delay table shows them
    // as -delay and +advance.
    band.Delay = point(share);
    band.Advance = point(1 - share);
    return band;
}

TChanceTest TChanceAudit::Pairs(int32_t n, int32_t k, const Draws& draws) {
    TChanceTest test;
    test.Test = "pairs";
    test.Title = "Pares";
    test.Columns = {{"a", "A", true},
                    {"b", "B", true},
                    {"count", "Contagem", true},
                    {"expected", "Esperado", false},
                    {"p_value", "p", false},
                    {"p_bh", "p BH", false}};
    if (n < 2 || k < 2 || k >= n) return Finish(test);
    const auto un = static_cast<size_t>(n);
    std::vector<int32_t> counts(un * un, 0);
    std::vector<int32_t> balls;
    for (const auto& draw : draws) {
        balls.clear();
        for (const int32_t ball : draw)
            if (ball >= 1 && ball <= n) balls.push_back(ball);
        std::sort(balls.begin(), balls.end());
        balls.erase(std::unique(balls.begin(), balls.end()), balls.end());
        for (size_t i = 0; i < balls.size(); ++i)
            for (size_t j = i + 1; j < balls.size(); ++j)
                counts[static_cast<size_t>(balls[i] - 1) * un + static_cast<size_t>(balls[j] - 1)] += 1;
    }
    const double share = static_cast<double>(k) * (k - 1) / (static_cast<double>(n) * (n - 1));
    const auto trials = static_cast<int64_t>(draws.size());
    const double expected = static_cast<double>(trials) * share;
    // The p-value depends only on the count: one evaluation per count seen.
    std::map<int32_t, double> byCount;
    std::vector<double> p;
    for (size_t a = 0; a < un; ++a)
        for (size_t b = a + 1; b < un; ++b) {
            const int32_t c = counts[a * un + b];
            auto found = byCount.find(c);
            if (found == byCount.end()) found = byCount.emplace(c, BinomialTwoSided(c, trials, share)).first;
            p.push_back(found->second);
        }
    const std::vector<double> bh = BenjaminiHochberg(p);
    size_t i = 0;
    int32_t outside = 0;
    for (size_t a = 0; a < un; ++a)
        for (size_t b = a + 1; b < un; ++b, ++i) {
            test.Rows.push_back({static_cast<double>(a + 1), static_cast<double>(b + 1),
                                 static_cast<double>(counts[a * un + b]), expected, p[i], bh[i]});
            if (bh[i] < Alpha) {
                ++outside;
                test.Flagged.push_back(NumberText::FormatInt(static_cast<long long>(a + 1)) + "-" +
                                       NumberText::FormatInt(static_cast<long long>(b + 1)));
            }
        }
    test.Statistic = outside;
    test.PValue = bh.empty() ? 1 : *std::min_element(bh.begin(), bh.end());
    test.Notes.push_back("Esperado por par: " + NumberText::FormatGeneral(expected, 6) + " (probabilidade " +
                         NumberText::FormatGeneral(share, 6) + " por concurso)");
    test.Notes.push_back("Pares fora do acaso (q = " + NumberText::FormatGeneral(Alpha) +
                         "): " + NumberText::FormatInt(outside) + " de " +
                         NumberText::FormatInt(static_cast<long long>(p.size())));
    return Finish(test);
}

TChanceTest TChanceAudit::Sum(int32_t n, int32_t k, const Draws& draws) {
    TChanceTest test;
    test.Test = "sum";
    test.Title = "Soma das bolas";
    test.Columns = {{"observed_mean", "Média observada", false},
                    {"expected_mean", "Média do acaso", false},
                    {"observed_variance", "Variância observada", false},
                    {"expected_variance", "Variância do acaso", false},
                    {"draws", "Concursos", true}};
    if (n < 2 || k < 1 || k >= n || draws.empty()) return Finish(test);
    const double d = static_cast<double>(draws.size());
    double total = 0, squares = 0;
    for (const auto& draw : draws) {
        double s = 0;
        for (const int32_t ball : draw) s += ball;
        total += s;
        squares += s * s;
    }
    const double mean = total / d;
    const double variance = d > 1 ? (squares - d * mean * mean) / (d - 1) : 0;
    const double mu = k * (n + 1) / 2.0;
    const double sigma2 = static_cast<double>(k) * (n - k) * (n + 1) / 12.0;
    // A z test of the mean sum: under chance the mean of D independent sums
    // has the standard error sqrt(sigma2 / D) (and is close to normal).
    const double z = (mean - mu) / std::sqrt(sigma2 / d);
    test.Statistic = z;
    test.PValue = NormalTwoSided(z);
    test.Rows.push_back({mean, mu, variance, sigma2, d});
    test.Notes.push_back("Teste z da média da soma");
    return Finish(test);
}

TSearchOptions TChanceAudit::RecordOptions(double total, int32_t sample, uint64_t seed) {
    TSearchOptions options;
    options.Mode = TSearchMode::Recurrence;
    options.SampleSize = sample;
    options.ReducedUniverse = total > FullUniverseLimit;
    options.Seed = seed;
    return options;
}

TChanceAudit::Draws TChanceAudit::SyntheticHistory(int32_t n, int32_t k, int32_t draws, uint64_t seed) {
    Draws history;
    if (n < 1 || k < 1 || k > n || draws < 1) return history;
    std::mt19937_64 generator(seed);
    std::vector<int32_t> urn(static_cast<size_t>(n));
    history.reserve(static_cast<size_t>(draws));
    for (int32_t d = 0; d < draws; ++d) {
        std::iota(urn.begin(), urn.end(), 1);
        // Partial Fisher-Yates: the first k places are a uniform k-subset.
        // x % m has a bias below m / 2^64: nothing a test can see.
        for (int32_t i = 0; i < k; ++i) {
            const auto m = static_cast<uint64_t>(n - i);
            const auto j = static_cast<size_t>(i) + static_cast<size_t>(generator() % m);
            std::swap(urn[static_cast<size_t>(i)], urn[j]);
        }
        std::vector<int32_t> draw(urn.begin(), urn.begin() + k);
        std::sort(draw.begin(), draw.end());
        history.push_back(std::move(draw));
    }
    return history;
}

TSyntheticRecords TChanceAudit::SyntheticRecords(int32_t n, int32_t k, double birthday,
                                                 const TSearchOptions& options, int32_t repeats,
                                                 uint64_t seed, const Progress& progress) {
    TSyntheticRecords result;
    result.Elements = n;
    result.PerCombination = k;
    result.SampleSize = options.SampleSize;
    result.Seed = seed;
    result.Reduced = options.ReducedUniverse;
    for (int32_t r = 0; r < repeats; ++r) {
        if (progress && !progress(static_cast<double>(r) / repeats)) {
            result.Stopped = true;
            break;
        }
        TSearchGame game;
        game.Elements = n;
        game.PerCombination = k;
        game.Birthday = birthday;
        game.Draws = SyntheticHistory(n, k, options.SampleSize, Mix(seed + static_cast<uint64_t>(r)));
        const TCombinationSearch search(std::move(game));
        TSearchOptions run = options;
        run.DoubleCheck = false;
        run.WithoutLast = false;
        const TSearchCallback callback = [&](const TSearchProgress& step) {
            if (!progress) return true;
            const double part = step.Candidates > 0 ? step.Done / step.Candidates : 0;
            return progress((r + part) / repeats);
        };
        TSearchResult records = search.Run(run, callback);
        if (records.Stopped) {
            result.Stopped = true;
            break;
        }
        result.Records.push_back(std::move(records.Count1));
    }
    if (progress && !result.Stopped) progress(1);
    return result;
}

TChanceTest TChanceAudit::Records(std::span<const int32_t> real, const TSyntheticRecords& chance) {
    TChanceTest test;
    test.Test = "records";
    test.Title = "Recordes de acertos";
    test.Columns = {{"hits", "Acertos", true},
                    {"record", "Recorde", true},
                    {"chance_min", "Acaso mín.", true},
                    {"chance_median", "Acaso mediana", false},
                    {"chance_mean", "Acaso média", false},
                    {"chance_max", "Acaso máx.", true},
                    {"p_value", "p empírico", false},
                    {"p_holm", "p Holm", false}};
    const size_t repeats = chance.Records.size();
    std::vector<double> p;
    int32_t above = 0;
    for (size_t h = 0; h < real.size(); ++h) {
        std::vector<int32_t> values;
        for (const std::vector<int32_t>& records : chance.Records)
            values.push_back(h < records.size() ? records[h] : 0);
        std::sort(values.begin(), values.end());
        const double r = real[h];
        double median = NaN, mean = NaN, low = NaN, high = NaN;
        if (!values.empty()) {
            const size_t m = values.size();
            median = m % 2 == 1 ? values[m / 2] : (values[m / 2 - 1] + values[m / 2]) / 2.0;
            mean = std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(m);
            low = values.front();
            high = values.back();
        }
        const auto atLeast =
            std::count_if(values.begin(), values.end(), [&](int32_t v) { return v >= real[h]; });
        // Upper tail with the real history counted among the R + 1.
        const double pv = static_cast<double>(1 + atLeast) / static_cast<double>(repeats + 1);
        if (atLeast == 0 && repeats > 0) ++above;
        p.push_back(pv);
        test.Rows.push_back({static_cast<double>(h), r, low, median, mean, high, pv, NaN});
    }
    const std::vector<double> holm = Holm(p);
    for (size_t h = 0; h < holm.size(); ++h) {
        test.Rows[h][7] = holm[h];
        if (holm[h] < Alpha) test.Flagged.push_back(NumberText::FormatInt(static_cast<long long>(h)));
    }
    test.Statistic = above;
    test.PValue = holm.empty() || repeats == 0 ? 1 : *std::min_element(holm.begin(), holm.end());
    test.Notes.push_back("Históricos sintéticos: " + NumberText::FormatInt(static_cast<long long>(repeats)) +
                         " de " + NumberText::FormatInt(chance.SampleSize) + " concursos (semente " +
                         std::to_string(chance.Seed) + (chance.Reduced ? ", universo reduzido" : "") + ")");
    test.Notes.push_back("Recordes acima de todos os do acaso: " + NumberText::FormatInt(above) +
                         "; o menor p empírico possível é 1/" +
                         NumberText::FormatInt(static_cast<long long>(repeats + 1)));
    if (chance.Stopped) test.Notes.push_back("Interrompido: distribuição parcial.");
    return Finish(test);
}

std::vector<TChanceTest> TChanceAudit::Audit(const TLottery& lottery, const TOptions& options,
                                             const Progress& progress) {
    const int32_t n = lottery.Elements();
    const int32_t k = lottery.PerCombination();
    const Draws draws = LastDraws(lottery, options.Sample);
    std::vector<TChanceTest> tests;
    tests.push_back(BallFrequency(n, k, draws));
    tests.push_back(Positional(PositionCounts(n, k, draws), lottery.PositionProbabilities,
                               static_cast<int32_t>(draws.size())));
    tests.push_back(Delays(n, k, draws));
    tests.push_back(Pairs(n, k, draws));
    tests.push_back(Sum(n, k, draws));

    if (n < 1 || k < 1 || lottery.DrawCount < 1 || options.Repeats < 1) return tests;
    const int32_t sample =
        options.Sample > 0 ? std::min(options.Sample, lottery.DrawCount) : std::min(lottery.DrawCount, n);
    TCombinationSearch search(TCombinationSearch::GameOf(lottery));
    TSearchOptions searchOptions =
        RecordOptions(TCombinationSearch::ToDouble(search.Total()), sample, options.Seed);
    searchOptions.Threads = options.Threads;
    if (!search.Check(searchOptions).empty()) return tests;
    const int32_t repeats = options.Repeats;
    // The real search counts as one more history in the progress.
    const double parts = repeats + 1.0;
    const TSearchCallback realProgress = [&](const TSearchProgress& step) {
        if (!progress) return true;
        return progress(step.Candidates > 0 ? step.Done / step.Candidates / parts : 0);
    };
    const TSearchResult real = search.Run(searchOptions, realProgress);
    if (real.Stopped) return tests;
    const Progress chanceProgress = [&](double done) {
        return !progress || progress((1 + done * repeats) / parts);
    };
    const TSyntheticRecords chance =
        SyntheticRecords(n, k, lottery.Birthday, searchOptions, repeats, options.Seed, chanceProgress);
    if (chance.Stopped) return tests;
    tests.push_back(Records(real.Count1, chance));
    return tests;
}

std::string TChanceAudit::Tsv(const std::vector<TChanceTest>& tests) {
    std::string text;
    for (size_t i = 0; i < tests.size(); ++i) {
        if (i > 0) text += '\n';
        text += tests[i].Tsv();
    }
    return text;
}

std::string TChanceAudit::Json(const std::vector<TChanceTest>& tests) {
    QJsonArray array;
    for (const TChanceTest& test : tests) array.append(test.Json());
    QJsonObject root;
    root["tests"] = array;
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}
