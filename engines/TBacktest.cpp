#include "TBacktest.h"

#include "NumberText.h"
#include "TBayesAnalysis.h"
#include "TLexicographicAnalysis.h"
#include "TLottery.h"
#include "TPointSeries.h"
#include "TPositionalAnalysis.h"
#include "TPositionalBayesAnalysis.h"
#include "TSegmentationAnalysis.h"

#include <QJsonArray>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <sstream>
#include <thread>

namespace {

// Verdicts are drawn at this family-wise level.
constexpr long double Alpha = 0.05L;

std::uint64_t SplitMix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

std::vector<int> Distinct(std::vector<int> numbers, int n) {
    std::erase_if(numbers, [n](int v) { return v < 1 || v > n; });
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

// The combination of a CSN forecast, the forecast first cut to a whole CSN
// of 1..Total: a forecast outside the range still stands for its nearest
// combination, so every contest is scored.
TBacktest::Pick FromCSN(double forecast, const TLottery& before) {
    TBacktest::Pick pick;
    const TCSN& game = *before.Converter;
    const double csn = std::clamp(std::trunc(std::isfinite(forecast) ? forecast : 1.0), 1.0, game.Total);
    pick.CSN = csn;
    std::vector<int32_t> balls(static_cast<size_t>(game.PerCombination) + 1);
    game.CSNToBalls(csn, balls);
    pick.Numbers.assign(balls.begin() + 1, balls.end());
    return pick;
}

// One network of the lexicographic window, trained as "Analisar" does.
// Returns the next-draw forecast of the preview (cut and capped as shown).
double TrainLexicographic(TLexicographicAnalysis& lex, std::uint64_t seed, int cap,
                          const std::atomic<bool>* stop, TBacktest::Pick& pick) {
    lex.Network.Seed(seed);
    lex.MaxPasses = cap;
    if (!lex.PrepareTraining(false)) return 0;
    bool convergedItself = false;
    const int passes = lex.RunTraining(
        [&](const TLexicographicAnalysis::TrainingPass&) {
            convergedItself = lex.Network.Converged;
            return true;
        },
        stop);
    ++pick.Networks;
    if (passes >= cap && !convergedItself) ++pick.Capped;
    const auto preview = lex.PreviewColumn();
    return preview.Forecast.empty() ? 0 : preview.Forecast.back().y;
}

TBacktest::Pick LexicographicCSN(const TLottery& before, const TBacktest::Settings& s, std::uint64_t seed,
                                 const std::atomic<bool>* stop) {
    TLexicographicAnalysis lex(before);
    lex.NotationMode = TLexicographicAnalysis::Notation::CSN;
    lex.Column = 0;
    lex.Load(s.LexicographicSample);
    TBacktest::Pick training;
    const double forecast = TrainLexicographic(lex, seed, s.Cap, stop, training);
    TBacktest::Pick pick = FromCSN(forecast, before);
    pick.Networks = training.Networks;
    pick.Capped = training.Capped;
    return pick;
}

TBacktest::Pick LexicographicBalls(const TLottery& before, const TBacktest::Settings& s, std::uint64_t seed,
                                   const std::atomic<bool>* stop) {
    TBacktest::Pick pick;
    TLexicographicAnalysis lex(before);
    lex.NotationMode = TLexicographicAnalysis::Notation::Decimal;
    const int k = before.PerCombination();
    for (int column = 0; column < k && !(stop && stop->load()); ++column) {
        lex.Column = column;
        lex.Load(s.LexicographicSample);
        const double ball = TrainLexicographic(lex, SplitMix(seed + static_cast<std::uint64_t>(column)), s.Cap,
                                               stop, pick);
        pick.Numbers.push_back(static_cast<int>(std::clamp(std::trunc(ball), -1.0, 1e6)));
    }
    pick.Numbers = Distinct(std::move(pick.Numbers), before.Elements());
    return pick;
}

TBacktest::Pick Segmentation(const TLottery& before, const TBacktest::Settings& s, std::uint64_t seed,
                             const std::atomic<bool>* stop) {
    TSegmentationAnalysis segmentation(before);
    segmentation.NotationMode = TSegmentationAnalysis::Notation::CSN;
    segmentation.Load(s.SegmentationSample);
    segmentation.Network.Seed(seed);
    // The contest workers already fill the cores.
    segmentation.VoteThreads = 1;
    const int cut = std::max(1, std::min(s.SegmentationCut, s.Cap - 1));
    segmentation.MaxTrainings = std::max(1, s.SegmentationVotes) * std::max(1, s.SegmentationTrainings);
    const auto result = segmentation.Gather(s.SegmentationVotes, cut, {}, {}, stop);
    // No vote in range within the bound: no forecast, which scores as an
    // empty list (no hits, none expected) and is left out of the distances.
    TBacktest::Pick pick = result.Taken > 0 ? FromCSN(result.Votes[1], before) : TBacktest::Pick{};
    pick.Networks = result.Trainings;
    pick.Capped = result.Capped;
    return pick;
}

// The lexicographic window's "Real" series: the CSNs of sample rows 5..S.
TPointSeries CSNSeries(const TLottery& before, int sample) {
    TLexicographicAnalysis lex(before);
    lex.NotationMode = TLexicographicAnalysis::Notation::CSN;
    lex.Column = 0;
    lex.Load(sample);
    return TPointSeries(lex.PreviewColumn().Real);
}

TBacktest::Pick PositionalBayes(const TLottery& before, const TBacktest::Settings& s) {
    TPositionalBayesAnalysis analysis(before);
    analysis.Load();
    analysis.SetTolerance(s.Tolerance);
    const auto steps = TPositionalBayesAnalysis::WindowSteps(before.DrawCount, s.PositionalBayesSample, 0);
    analysis.Calculate(steps, false);
    TBacktest::Pick pick;
    pick.Numbers = Distinct(analysis.Analyse(steps).Bet.Numbers, before.Elements());
    return pick;
}

TBacktest::Pick BestCombination(const TLottery& before, const TBacktest::Settings& s,
                                const std::atomic<bool>* stop) {
    TBacktest::Pick pick;
    if (before.DrawCount < 1) return pick;
    TBayesAnalysis bayes(TCombinationSearch::GameOf(before));
    TSearchOptions options = bayes.BestOptions(s.BestSample);
    options.Threads = 1;
    if (!bayes.BestCheck(options).empty()) return pick;
    const TSearchResult found = bayes.Search().Run(options, [stop](const TSearchProgress&) {
        return !(stop && stop->load());
    });
    int chosen = -1;
    for (int h = static_cast<int>(found.Count1.size()) - 1; h >= 0 && chosen < 0; --h)
        if (found.Count1[static_cast<size_t>(h)] >= 2) chosen = h;
    for (int h = static_cast<int>(found.Count1.size()) - 1; h >= 0 && chosen < 0; --h)
        if (found.Count1[static_cast<size_t>(h)] >= 1) chosen = h;
    if (chosen < 0) return pick;
    std::vector<int32_t> balls(static_cast<size_t>(before.PerCombination()));
    bayes.Search().Unrank(found.CSN1[static_cast<size_t>(chosen)], balls);
    pick.Numbers = Distinct(std::vector<int>(balls.begin(), balls.end()), before.Elements());
    return pick;
}

TBacktest::Pick Positional(const TLottery& before, const TBacktest::Settings& s) {
    TBacktest::Pick pick;
    // The positional statistics are scratch state of the history: this
    // worker's own copy of the prefix.
    TLottery own(before, before.DrawCount);
    TPositionalAnalysis analysis(own);
    const int n = own.Elements();
    analysis.Load(s.PositionalSample > 0 ? s.PositionalSample : n);
    for (int p = 0; p < own.PerCombination(); ++p) {
        int best = 0;
        long long most = -1;
        for (int b = 0; b < n; ++b) {
            const long long count = analysis.Real(TPositionalAnalysis::Style::Position, b, p, 0);
            if (count > most) {
                most = count;
                best = b;
            }
        }
        pick.Numbers.push_back(best + 1);
    }
    pick.Numbers = Distinct(std::move(pick.Numbers), n);
    return pick;
}

TBacktest::Pick RandomPick(const TLottery& before, std::uint64_t seed) {
    const int n = before.Elements();
    const int k = before.PerCombination();
    // A partial Fisher-Yates shuffle with its own multiply-shift draws, the
    // same on every platform.
    std::vector<int> numbers(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) numbers[static_cast<size_t>(i)] = i + 1;
    std::uint64_t state = seed;
    for (int i = 0; i < k && i < n; ++i) {
        state = SplitMix(state);
        const auto span = static_cast<unsigned __int128>(n - i);
        const auto j = i + static_cast<int>((static_cast<unsigned __int128>(state) * span) >> 64);
        std::swap(numbers[static_cast<size_t>(i)], numbers[static_cast<size_t>(j)]);
    }
    numbers.resize(static_cast<size_t>(std::min(k, n)));
    TBacktest::Pick pick;
    pick.Numbers = Distinct(std::move(numbers), n);
    return pick;
}

std::string Joined(const std::vector<int>& numbers) {
    std::string text;
    for (const int v : numbers) {
        if (!text.empty()) text += " ";
        text += NumberText::FormatInt(v);
    }
    return text;
}

std::string PText(long double p) {
    return NumberText::FormatGeneral(static_cast<double>(p), 3);
}

} // namespace

std::vector<TBacktest::Method> TBacktest::AllMethods() {
    std::vector<Method> all;
    for (int m = 0; m < MethodCount; ++m) all.push_back(static_cast<Method>(m));
    return all;
}

std::string TBacktest::Key(Method method) {
    switch (method) {
    case Method::LexicographicCSN: return "lex-csn";
    case Method::LexicographicBalls: return "lex-balls";
    case Method::Segmentation: return "segmentation";
    case Method::Neighbours: return "knn";
    case Method::MovingAverage: return "moving-average";
    case Method::PositionalBayes: return "positional-bayes";
    case Method::BestCombination: return "best-combination";
    case Method::Positional: return "positional";
    case Method::Random: return "random";
    }
    return {};
}

std::string TBacktest::Title(Method method) {
    switch (method) {
    case Method::LexicographicCSN: return "Lexicográfica (CSN)";
    case Method::LexicographicBalls: return "Lexicográfica (bolas)";
    case Method::Segmentation: return "Segmentação";
    case Method::Neighbours: return "k-vizinhos-próximos (CSN)";
    case Method::MovingAverage: return "Média móvel (CSN)";
    case Method::PositionalBayes: return "Posicional/bayesiana";
    case Method::BestCombination: return "Melhor comb.";
    case Method::Positional: return "Posicional";
    case Method::Random: return "Aleatória (controle)";
    }
    return {};
}

bool TBacktest::ParseMethods(const std::string& list, std::vector<Method>& methods, std::string& error) {
    methods.clear();
    std::stringstream in(list);
    std::string key;
    while (std::getline(in, key, ',')) {
        if (key.empty()) continue;
        bool found = false;
        for (const Method m : AllMethods())
            if (Key(m) == key) {
                if (std::find(methods.begin(), methods.end(), m) == methods.end()) methods.push_back(m);
                found = true;
            }
        if (!found) {
            error = key;
            return false;
        }
    }
    if (methods.empty()) {
        error = list;
        return false;
    }
    return true;
}

std::uint64_t TBacktest::SeedOf(std::uint64_t runSeed, int method, int draw) {
    return SplitMix(SplitMix(runSeed ^ (static_cast<std::uint64_t>(method) << 40)) + static_cast<std::uint64_t>(draw));
}

TBacktest::Pick TBacktest::Forecast(Method method, const TLottery& before, const Settings& s, std::uint64_t seed,
                                    const std::atomic<bool>* stop) {
    if (!before.Loaded || !before.Converter) return {};
    switch (method) {
    case Method::LexicographicCSN: return LexicographicCSN(before, s, seed, stop);
    case Method::LexicographicBalls: return LexicographicBalls(before, s, seed, stop);
    case Method::Segmentation: return Segmentation(before, s, seed, stop);
    case Method::Neighbours: {
        const TPointSeries series = CSNSeries(before, s.LexicographicSample);
        return FromCSN(before.ForecastNeighbours(s.NeighbourWindow, s.NeighbourCount, false, series, nullptr,
                                                 nullptr),
                       before);
    }
    case Method::MovingAverage: {
        const TPointSeries series = CSNSeries(before, s.LexicographicSample);
        return FromCSN(before.MovingAverage(s.AveragePeriod, series, nullptr), before);
    }
    case Method::PositionalBayes: return PositionalBayes(before, s);
    case Method::BestCombination: return BestCombination(before, s, stop);
    case Method::Positional: return Positional(before, s);
    case Method::Random: return RandomPick(before, seed);
    }
    return {};
}

TBacktest::Result TBacktest::Run(const TLottery& lottery, const Settings& settings, const ProgressCallback& progress,
                                 const std::atomic<bool>* cancel) {
    Result result;
    result.Used = settings;
    result.Game = lottery.FileName;
    const int draws = lottery.Loaded ? lottery.DrawCount : 0;
    const int n = lottery.Elements();
    const int k = lottery.PerCombination();
    // Every contest needs at least one earlier draw.
    const int count = std::clamp(settings.Contests, 0, std::max(0, draws - 1));
    result.Requested = count;
    const int first = draws - count;
    const auto& methods = settings.Methods;
    const size_t forecasters = methods.size() + settings.Extras.size();

    struct Contest {
        std::vector<Pick> Picks; // methods, then extras
    };
    std::vector<std::optional<Contest>> done(static_cast<size_t>(count));
    std::atomic<int> next{0};
    std::atomic<int> finished{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable wake;

    const auto work = [&] {
        for (;;) {
            const int i = next++;
            if (i >= count || stop.load()) break;
            const int t = first + i;
            const TLottery before(lottery, t);
            Contest contest;
            for (const Method m : methods) {
                if (stop.load()) break;
                contest.Picks.push_back(
                    Forecast(m, before, settings, SeedOf(settings.Seed, static_cast<int>(m), t), &stop));
            }
            for (const Extra& extra : settings.Extras) {
                if (stop.load()) break;
                contest.Picks.push_back(extra.Forecast ? extra.Forecast(before) : Pick{});
            }
            // A contest cut short by a stop is dropped: some of its forecasts
            // would be those of networks stopped half-way.
            if (stop.load()) break;
            done[static_cast<size_t>(i)] = std::move(contest);
            ++finished;
            const std::lock_guard lock(mutex);
            wake.notify_all();
        }
        const std::lock_guard lock(mutex);
        wake.notify_all();
    };

    const int threads =
        std::max(1, std::min(settings.Threads > 0 ? settings.Threads
                                                  : static_cast<int>(std::max(1u, std::thread::hardware_concurrency())),
                             std::max(count, 1)));
    {
        std::vector<std::jthread> workers;
        for (int w = 0; w < threads; ++w) workers.emplace_back(work);
        for (;;) {
            {
                std::unique_lock lock(mutex);
                wake.wait_for(lock, std::chrono::milliseconds(50));
            }
            const int now = finished.load();
            if ((progress && !progress({now, count})) || (cancel && cancel->load())) stop = true;
            if (stop.load() || now >= count) break;
        }
        // The workers see the stop within an epoch or a search step.
    }
    result.Stopped = stop.load() && finished.load() < count;
    // A cancel (the window closing) wants no result: leave at once.
    if (cancel && cancel->load()) return result;

    for (size_t f = 0; f < forecasters; ++f) {
        Row row;
        if (f < methods.size()) {
            const Method m = methods[f];
            row.Key = Key(m);
            row.Title = Title(m);
            row.HasCSN = m == Method::LexicographicCSN || m == Method::Segmentation || m == Method::Neighbours ||
                         m == Method::MovingAverage;
        } else {
            row.Key = settings.Extras[f - methods.size()].Key;
            row.Title = settings.Extras[f - methods.size()].Title;
        }
        for (int i = 0; i < count; ++i) {
            const auto& contest = done[static_cast<size_t>(i)];
            if (!contest) continue;
            const int t = first + i;
            const Pick& pick = contest->Picks[f];
            Entry entry;
            entry.Draw = t;
            entry.Contest = lottery.Draws[0][static_cast<size_t>(t)];
            entry.Forecast = Distinct(pick.Numbers, n);
            const int shift = lottery.ZeroBased ? 1 : 0;
            for (int p = 0; p < k; ++p)
                entry.Drawn.push_back(lottery.SortedDraws[static_cast<size_t>(p)][static_cast<size_t>(t)] + shift);
            entry.Drawn = Distinct(entry.Drawn, n);
            for (const int v : entry.Forecast)
                if (std::binary_search(entry.Drawn.begin(), entry.Drawn.end(), v)) ++entry.Hits;
            entry.ForecastCSN = pick.CSN;
            entry.DrawnCSN = lottery.CSNs[static_cast<size_t>(t)];
            row.Networks += pick.Networks;
            row.Capped += pick.Capped;
            row.Entries.push_back(std::move(entry));
        }
        result.Networks += row.Networks;
        result.Capped += row.Capped;
        result.Rows.push_back(std::move(row));
    }
    result.Done = result.Rows.empty() ? 0 : static_cast<int>(result.Rows.front().Entries.size());
    Score(result.Rows, n, k, lottery.Converter ? lottery.Converter->Total : 0);
    return result;
}

void TBacktest::Score(std::vector<Row>& rows, int n, int k, double total) {
    std::vector<long double> twoSided;
    for (Row& row : rows) {
        row.Contests = static_cast<int>(row.Entries.size());
        row.Hits = 0;
        row.Excess.clear();
        row.BandLow.clear();
        row.BandHigh.clear();
        TBacktestStatistics::Distribution sum{1.0L};
        long double expected = 0;
        for (const Entry& e : row.Entries) {
            const auto term = TBacktestStatistics::Hits(n, k, static_cast<int>(e.Forecast.size()));
            sum = TBacktestStatistics::Convolve(sum, term);
            expected += TBacktestStatistics::Mean(term);
            row.Hits += e.Hits;
            row.Excess.push_back(static_cast<double>(static_cast<long double>(row.Hits) - expected));
            // The 2.5 % and 97.5 % quantiles of the running sum.
            long double cumulative = 0;
            long long low = -1, high = -1;
            for (size_t s = 0; s < sum.size(); ++s) {
                cumulative += sum[s];
                if (low < 0 && cumulative >= 0.025L) low = static_cast<long long>(s);
                if (high < 0 && cumulative >= 0.975L) high = static_cast<long long>(s);
            }
            if (high < 0) high = static_cast<long long>(sum.size()) - 1;
            row.BandLow.push_back(static_cast<double>(static_cast<long double>(std::max(low, 0LL)) - expected));
            row.BandHigh.push_back(static_cast<double>(static_cast<long double>(high) - expected));
        }
        row.Expected = expected;
        row.PAbove = TBacktestStatistics::AtLeast(sum, row.Hits);
        row.PBelow = TBacktestStatistics::AtMost(sum, row.Hits);
        twoSided.push_back(std::min(1.0L, 2 * std::min(row.PAbove, row.PBelow)));

        if (row.HasCSN && total >= 1 && !row.Entries.empty()) {
            std::vector<double> forecasts;
            long double distance = 0;
            long double chance = 0;
            for (const Entry& e : row.Entries) {
                if (e.ForecastCSN < 1) continue; // no forecast made
                const double f = std::clamp(e.ForecastCSN, 1.0, total);
                forecasts.push_back(f);
                distance += std::fabs(static_cast<long double>(f) - e.DrawnCSN);
                chance += TBacktestStatistics::ExpectedDistance(f, total);
            }
            const auto contests = static_cast<long double>(std::max<size_t>(forecasts.size(), 1));
            row.MeanDistance = distance / contests / total;
            row.ExpectedDistance = chance / contests / total;
            const auto bounds = TBacktestStatistics::DistanceAtMost(forecasts, total, distance);
            row.DistanceP = bounds.High;
            row.DistancePLow = bounds.Low;
        }
    }
    const auto adjusted = TBacktestStatistics::Holm(twoSided);
    for (size_t i = 0; i < rows.size(); ++i) {
        Row& row = rows[i];
        row.PHolm = adjusted[i];
        row.Outcome = Verdict::Chance;
        if (row.Contests > 0 && row.PHolm < Alpha)
            row.Outcome = row.PAbove <= row.PBelow ? Verdict::Above : Verdict::Below;
        row.VerdictText = VerdictText(row.Outcome, row.PHolm);
    }
}

std::string TBacktest::VerdictText(Verdict verdict, long double p) {
    switch (verdict) {
    case Verdict::Above: return "acima do acaso (p = " + PText(p) + ")";
    case Verdict::Below: return "abaixo do acaso (p = " + PText(p) + ")";
    case Verdict::Chance: break;
    }
    return "dentro do acaso";
}

std::vector<std::string> TBacktest::Header() {
    return {"Previsor", "Concursos", "Acertos", "Esperado", "Valor p", "Veredito", "Distância CSN média",
            "Esperada", "Valor p (distância)", "Redes", "No limite"};
}

std::vector<std::string> TBacktest::Cells(const Row& row) {
    std::vector<std::string> cells = {row.Title,
                                      NumberText::FormatInt(row.Contests),
                                      NumberText::FormatInt(row.Hits),
                                      NumberText::FormatFixed(static_cast<double>(row.Expected), 2),
                                      PText(row.PAbove),
                                      row.VerdictText};
    if (row.HasCSN && row.Contests > 0) {
        cells.push_back(NumberText::FormatFixed(static_cast<double>(row.MeanDistance), 4));
        cells.push_back(NumberText::FormatFixed(static_cast<double>(row.ExpectedDistance), 4));
        cells.push_back(PText(row.DistanceP));
    } else {
        cells.insert(cells.end(), 3, std::string());
    }
    cells.push_back(NumberText::FormatInt(row.Networks));
    cells.push_back(NumberText::FormatInt(row.Capped));
    return cells;
}

std::vector<std::vector<std::string>> TBacktest::Detail(const Row& row) {
    std::vector<std::vector<std::string>> lines = {{"Concurso", "Previsão", "Sorteio", "Acertos"}};
    for (const Entry& e : row.Entries)
        lines.push_back({NumberText::FormatInt(e.Contest), Joined(e.Forecast), Joined(e.Drawn),
                         NumberText::FormatInt(e.Hits)});
    return lines;
}

std::string TBacktest::Result::ToTsv() const {
    std::string text;
    const auto line = [&](const std::vector<std::string>& cells) {
        for (size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) text += '\t';
            text += cells[i];
        }
        text += "\n";
    };
    line(Header());
    for (const Row& row : Rows) line(Cells(row));
    return text;
}

QJsonObject TBacktest::Result::ToJson() const {
    const auto numbers = [](const std::vector<int>& values) {
        QJsonArray array;
        for (const int v : values) array.append(v);
        return array;
    };
    QJsonArray rows;
    for (const Row& row : Rows) {
        QJsonObject object;
        object["method"] = QString::fromStdString(row.Key);
        object["title"] = QString::fromStdString(row.Title);
        object["contests"] = row.Contests;
        object["hits"] = static_cast<qint64>(row.Hits);
        object["expected"] = static_cast<double>(row.Expected);
        object["p_value"] = static_cast<double>(row.PAbove);
        object["p_below"] = static_cast<double>(row.PBelow);
        object["p_holm"] = static_cast<double>(row.PHolm);
        object["verdict"] = QString::fromStdString(row.VerdictText);
        object["networks"] = row.Networks;
        object["capped"] = row.Capped;
        if (row.HasCSN && row.Contests > 0) {
            object["mean_distance"] = static_cast<double>(row.MeanDistance);
            object["expected_distance"] = static_cast<double>(row.ExpectedDistance);
            object["distance_p_value"] = static_cast<double>(row.DistanceP);
            object["distance_p_value_low"] = static_cast<double>(row.DistancePLow);
        }
        QJsonArray entries;
        for (const Entry& e : row.Entries) {
            QJsonObject entry;
            entry["contest"] = e.Contest;
            entry["forecast"] = numbers(e.Forecast);
            entry["drawn"] = numbers(e.Drawn);
            entry["hits"] = e.Hits;
            if (row.HasCSN) {
                entry["forecast_csn"] = e.ForecastCSN;
                entry["drawn_csn"] = e.DrawnCSN;
            }
            entries.append(entry);
        }
        object["per_contest"] = entries;
        rows.append(object);
    }
    QJsonObject json;
    json["game"] = QString::fromStdString(Game);
    json["contests"] = Requested;
    json["scored"] = Done;
    json["stopped"] = Stopped;
    json["seed"] = QString::number(Used.Seed);
    json["cap"] = Used.Cap;
    json["networks"] = Networks;
    json["capped"] = Capped;
    json["forecasters"] = rows;
    return json;
}
