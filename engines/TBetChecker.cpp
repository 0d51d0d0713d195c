#include "TBetChecker.h"

#include "NumberText.h"
#include "TLottery.h"

#include <QJsonArray>
#include <QJsonValue>
#include <algorithm>
#include <atomic>
#include <bit>
#include <boost/math/distributions/hypergeometric.hpp>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

// What one worker needs: the bit sets of the range's draws, ball after ball
// ([index][word], index = ball - first ball), and where each bet's results go.
struct Job {
    const uint64_t* sets = nullptr;
    int32_t words = 0;
    int32_t draws = 0;
    int32_t firstBall = 0;
    int32_t maxHits = 0;                // below 2^P
    const uint64_t* patterns = nullptr; // [tier][plane]: all ones where the tier's bit is 1
    int32_t tierCount = 0;
    const TBetList* bets = nullptr;
    int32_t* tierCounts = nullptr; // [bet][tier]
    TBetChecker::BetResult* results = nullptr;
};

// Bets [begin, end) of the job with P counter planes. For each word of 64
// draws the bet's balls are summed into the planes; each tier's draws are
// those whose planes equal the tier's bits, and a word holding a draw with
// at least the best hits so far is searched for its most hits and newest
// such draw. Padding bits past the last draw are 0 in every set, so they
// read as 0 hits: they are masked off.
template <int P> [[gnu::always_inline]] inline void CheckBets(const Job& job, size_t begin, size_t end) {
    const uint64_t* sets = job.sets;
    const int32_t words = job.words;
    const int32_t maxHits = job.maxHits;
    const int32_t tierCount = job.tierCount;
    const uint64_t* patterns = job.patterns;
    const uint64_t lastValid = job.draws % 64 == 0 ? ~uint64_t{0} : (uint64_t{1} << (job.draws % 64)) - 1;
    int32_t rows[TBetChecker::MaxBetBalls];
    for (size_t b = begin; b < end; ++b) {
        const std::span<const int32_t> bet = job.bets->Bet(b);
        const int32_t m = static_cast<int32_t>(bet.size());
        for (int32_t i = 0; i < m; ++i) rows[i] = (bet[static_cast<size_t>(i)] - job.firstBall) * words;
        int32_t* counts = job.tierCounts + b * static_cast<size_t>(tierCount);
        int32_t best = 0;
        int32_t bestDraw = -1;
        for (int32_t w = 0; w < words; ++w) {
            uint64_t c[P] = {};
            int32_t i = 0;
            for (; i + 1 < m; i += 2) {
                // Carry-save: plane 0 takes both balls, the carry ripples up.
                const uint64_t x = sets[rows[i] + w];
                const uint64_t y = sets[rows[i + 1] + w];
                const uint64_t u = c[0] ^ x;
                uint64_t carry = (c[0] & x) | (u & y);
                c[0] = u ^ y;
                for (int j = 1; j < P; ++j) {
                    const uint64_t next = c[j] & carry;
                    c[j] ^= carry;
                    carry = next;
                }
            }
            if (i < m) {
                uint64_t carry = sets[rows[i] + w];
                for (int j = 0; j < P; ++j) {
                    const uint64_t next = c[j] & carry;
                    c[j] ^= carry;
                    carry = next;
                }
            }
            const uint64_t valid = w == words - 1 ? lastValid : ~uint64_t{0};
            // Tier t: the draws whose planes spell it, bit for bit.
            for (int32_t t = 0; t < tierCount; ++t) {
                uint64_t differ = 0;
                for (int j = 0; j < P; ++j) differ |= c[j] ^ patterns[t * P + j];
                counts[t] += __builtin_popcountll(valid & ~differ);
            }
            // The draws with at least `best` hits (best >= 1): compared from
            // the top plane down, as long as the planes equal best's bits.
            uint64_t greater = 0;
            uint64_t equal = valid;
            for (int j = P - 1; j >= 0; --j) {
                const uint64_t bit = ((best >> j) & 1) ? ~uint64_t{0} : 0;
                greater |= equal & c[j] & ~bit;
                equal &= ~(c[j] ^ bit);
            }
            uint64_t any = 0;
            for (int j = 0; j < P; ++j) any |= c[j];
            if ((best == 0 ? any : greater | equal) != 0) {
                // Rare once the best is high: the word's most hits, newest draw.
                for (int32_t h = maxHits; h >= std::max(best, 1); --h) {
                    uint64_t mask = valid;
                    for (int j = 0; j < P; ++j) mask &= ((h >> j) & 1) ? c[j] : ~c[j];
                    if (mask != 0) {
                        best = h;
                        bestDraw = w * 64 + 63 - __builtin_clzll(mask);
                        break;
                    }
                }
            }
        }
        // A bet that never hit anything has its best (0) in the newest draw.
        if (best == 0) bestDraw = job.draws - 1;
        job.results[b] = {best, bestDraw};
    }
}

template <int P> void CheckPortable(const Job& job, size_t begin, size_t end) {
    CheckBets<P>(job, begin, end);
}

// The same code for processors with a popcount instruction (and AVX2 for
// the plane arithmetic).
template <int P>
[[gnu::target("popcnt,avx2,bmi2")]] void CheckFast(const Job& job, size_t begin, size_t end) {
    CheckBets<P>(job, begin, end);
}

using Kernel = void (*)(const Job&, size_t, size_t);

template <int... P> Kernel Choose(int planes, bool fast, std::integer_sequence<int, P...>) {
    Kernel kernel = nullptr;
    ((planes == P + 1 ? (kernel = fast ? &CheckFast<P + 1> : &CheckPortable<P + 1>, 0) : 0), ...);
    return kernel;
}

bool FastAvailable() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("avx2") &&
           __builtin_cpu_supports("bmi2");
}

QString Key(int32_t hits) {
    return QString::number(hits);
}

} // namespace

TBetChecker::TBetChecker(Game game) : game_(std::move(game)) {
    if (game_.Contests.size() != game_.Draws.size())
        throw std::invalid_argument("TBetChecker: contests and draws differ in number");
}

TBetChecker::Game TBetChecker::GameOf(const TLottery& lottery) {
    Game game;
    game.Elements = lottery.Elements();
    game.PerCombination = lottery.PerCombination();
    game.ZeroBased = lottery.ZeroBased;
    const auto draws = static_cast<size_t>(std::max(lottery.DrawCount, 0));
    game.Contests.resize(draws);
    game.Draws.assign(draws, std::vector<int32_t>(static_cast<size_t>(game.PerCombination)));
    for (size_t d = 0; d < draws; ++d) {
        game.Contests[d] = lottery.Draws[0][d];
        for (int32_t c = 1; c <= game.PerCombination; ++c)
            game.Draws[d][static_cast<size_t>(c - 1)] = lottery.Draws[static_cast<size_t>(c)][d];
    }
    return game;
}

TBetList::Rules TBetChecker::Rules() const {
    return {game_.Elements, game_.PerCombination, game_.ZeroBased};
}

TBetChecker::Range TBetChecker::RangeOf(int32_t fromContest, int32_t toContest) const {
    const auto draws = static_cast<int32_t>(game_.Contests.size());
    Range range{draws, draws};
    for (int32_t d = 0; d < draws; ++d)
        if (game_.Contests[static_cast<size_t>(d)] >= fromContest) {
            range.Begin = d;
            break;
        }
    range.End = range.Begin;
    for (int32_t d = draws - 1; d >= range.Begin; --d)
        if (game_.Contests[static_cast<size_t>(d)] <= toContest) {
            range.End = d + 1;
            break;
        }
    return range;
}

std::vector<double> TBetChecker::HitProbabilities(int32_t m) const {
    const int32_t n = game_.Elements;
    const int32_t k = game_.PerCombination;
    std::vector<double> p(static_cast<size_t>(std::max(std::min(m, k), 0)) + 1, 0.0);
    if (n < 1 || k < 1 || m < 0 || m > n || k > n) return p;
    // m of the n balls are the bet's; a draw takes k: X ~ H(m, k, n).
    const boost::math::hypergeometric_distribution<double> chance(
        static_cast<unsigned>(m), static_cast<unsigned>(k), static_cast<unsigned>(n));
    const int32_t low = std::max(0, m + k - n);
    for (int32_t x = low; x <= std::min(m, k); ++x)
        p[static_cast<size_t>(x)] = boost::math::pdf(chance, static_cast<unsigned>(x));
    return p;
}

std::vector<int32_t> TBetChecker::HitsPerContest(std::span<const int32_t> bet, Range range) const {
    const int32_t first = game_.ZeroBased ? 0 : 1;
    std::vector<uint8_t> member(static_cast<size_t>(std::max(game_.Elements, 0)) + 1, 0);
    for (const int32_t ball : bet)
        if (ball >= first && ball - first < game_.Elements) member[static_cast<size_t>(ball - first)] = 1;
    std::vector<int32_t> hits;
    for (int32_t d = range.Begin; d < range.End; ++d) {
        // A draw that repeats a ball counts it once.
        std::vector<int32_t> balls = game_.Draws[static_cast<size_t>(d)];
        std::sort(balls.begin(), balls.end());
        balls.erase(std::unique(balls.begin(), balls.end()), balls.end());
        int32_t h = 0;
        for (const int32_t ball : balls)
            if (ball >= first && ball - first < game_.Elements)
                h += member[static_cast<size_t>(ball - first)];
        hits.push_back(h);
    }
    return hits;
}

TBetChecker::Result TBetChecker::Run(const TBetList& bets, Range range, const std::vector<int32_t>& tiers,
                                     const Callback& progress, int32_t threads) const {
    Result result;
    const int32_t n = game_.Elements;
    const int32_t k = game_.PerCombination;
    if (bets.MaxBalls() > MaxBetBalls) throw std::invalid_argument("TBetChecker: a bet of too many balls");
    range.Begin = std::clamp(range.Begin, 0, static_cast<int32_t>(game_.Draws.size()));
    range.End = std::clamp(range.End, range.Begin, static_cast<int32_t>(game_.Draws.size()));
    const int32_t draws = range.End - range.Begin;
    result.Contests = draws;
    if (draws > 0) {
        result.FirstContest = game_.Contests[static_cast<size_t>(range.Begin)];
        result.LastContest = game_.Contests[static_cast<size_t>(range.End - 1)];
    }
    for (const int32_t t : tiers)
        if (t >= 0 && t <= k) result.Tiers.push_back(t);
    std::sort(result.Tiers.begin(), result.Tiers.end(), std::greater<>());
    result.Tiers.erase(std::unique(result.Tiers.begin(), result.Tiers.end()), result.Tiers.end());
    // No draw gives more hits than k, nor than the largest bet's balls.
    const int32_t maxHits = std::max(0, std::min(bets.MaxBalls(), k));
    std::vector<int32_t> kernelTiers;
    std::vector<size_t> kernelSlots; // where each kernel tier's count goes
    for (size_t t = 0; t < result.Tiers.size(); ++t)
        if (result.Tiers[t] <= maxHits) {
            kernelTiers.push_back(result.Tiers[t]);
            kernelSlots.push_back(t);
        }
    const size_t count = bets.Count();
    const size_t tierCount = result.Tiers.size();

    // One bit set per ball over the range's draws.
    const int32_t words = (draws + 63) / 64;
    const int32_t first = game_.ZeroBased ? 0 : 1;
    std::vector<uint64_t> sets(static_cast<size_t>(std::max(n, 0)) * static_cast<size_t>(words), 0);
    for (int32_t d = 0; d < draws; ++d) {
        // A draw that repeats a ball sets its bit once.
        for (const int32_t ball : game_.Draws[static_cast<size_t>(range.Begin + d)])
            if (ball >= first && ball - first < n)
                sets[static_cast<size_t>(ball - first) * static_cast<size_t>(words) +
                     static_cast<size_t>(d / 64)] |= uint64_t{1} << (d % 64);
    }

    std::vector<int32_t> kernelCounts(count * kernelTiers.size(), 0);
    result.Bets.assign(count, {});
    const int planes = std::max(1, static_cast<int>(std::bit_width(static_cast<uint32_t>(maxHits))));
    std::vector<uint64_t> patterns;
    for (const int32_t h : kernelTiers)
        for (int j = 0; j < planes; ++j) patterns.push_back(((h >> j) & 1) ? ~uint64_t{0} : 0);
    const Job job{sets.data(),
                  words,
                  draws,
                  first,
                  maxHits,
                  patterns.data(),
                  static_cast<int32_t>(kernelTiers.size()),
                  &bets,
                  kernelCounts.data(),
                  result.Bets.data()};
    const Kernel kernel = Choose(planes, FastAvailable(), std::make_integer_sequence<int, 11>());
    if (!kernel) throw std::invalid_argument("TBetChecker: too many hits per draw");

    // Blocks of about two million word operations: a few milliseconds each,
    // so a stop takes effect at once.
    const double perBet =
        std::max(1.0, static_cast<double>(words) *
                          (bets.MaxBalls() * planes + (kernelTiers.size() + 2) * (planes + 4)));
    const auto block = static_cast<size_t>(std::clamp(2e6 / perBet, 1.0, 16384.0));
    const size_t blocks = (count + block - 1) / block;
    int32_t workers =
        threads > 0 ? threads : static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    workers =
        static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(workers), std::max<size_t>(blocks, 1)));

    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    std::atomic<size_t> done{0};
    std::mutex mutex;
    std::condition_variable finished;
    int32_t running = workers;
    const auto work = [&] {
        for (;;) {
            if (stop.load(std::memory_order_relaxed)) break;
            const size_t b = next.fetch_add(1);
            if (b >= blocks) break;
            const size_t begin = b * block;
            const size_t end = std::min(count, begin + block);
            kernel(job, begin, end);
            done.fetch_add(end - begin, std::memory_order_relaxed);
        }
        const std::lock_guard lock(mutex);
        if (--running == 0) finished.notify_all();
    };
    {
        std::vector<std::jthread> pool;
        for (int32_t t = 0; t < workers; ++t) pool.emplace_back(work);
        std::unique_lock lock(mutex);
        while (running > 0) {
            finished.wait_for(lock, std::chrono::milliseconds(20));
            if (running == 0 || !progress) continue;
            lock.unlock();
            if (!progress({done.load(), count})) stop = true;
            lock.lock();
        }
    }
    // Blocks are taken in order and every taken block is finished, so the
    // bets checked are a prefix.
    const size_t checked = std::min(count, std::min(next.load(), blocks) * block);
    result.Stopped = checked < count;
    result.Checked = checked;
    result.Bets.resize(checked);
    for (BetResult& bet : result.Bets)
        bet.BestContest = draws > 0 ? game_.Contests[static_cast<size_t>(range.Begin + bet.BestContest)] : 0;

    // Tiers above every bet's size stay 0.
    result.TierCounts.assign(checked * tierCount, 0);
    result.Observed.assign(tierCount, 0);
    for (size_t b = 0; b < checked; ++b)
        for (size_t t = 0; t < kernelTiers.size(); ++t) {
            const int32_t c = kernelCounts[b * kernelTiers.size() + t];
            result.TierCounts[b * tierCount + kernelSlots[t]] = c;
            result.Observed[kernelSlots[t]] += c;
        }
    std::map<int32_t, size_t> sizes; // bets of each size m
    for (size_t b = 0; b < checked; ++b) ++sizes[static_cast<int32_t>(bets.Bet(b).size())];
    result.Expected.assign(tierCount, 0);
    for (const auto& [m, bettors] : sizes) {
        const std::vector<double> p = HitProbabilities(m);
        for (size_t t = 0; t < tierCount; ++t) {
            const auto h = static_cast<size_t>(result.Tiers[t]);
            if (h < p.size())
                result.Expected[t] += p[h] * static_cast<double>(draws) * static_cast<double>(bettors);
        }
    }
    if (progress) progress({checked, count});
    return result;
}

std::string TBetChecker::TierCaption(int32_t hits) {
    return std::to_string(hits) + (hits == 1 ? " acerto" : " acertos");
}

std::vector<std::string> TBetChecker::TableHeader(const Result& result) {
    std::vector<std::string> row{"Aposta"};
    for (const int32_t t : result.Tiers) row.push_back(TierCaption(t));
    row.push_back("Melhor");
    row.push_back("Concurso");
    return row;
}

std::vector<std::string> TBetChecker::TableRow(const Result& result, const TBetList& bets, size_t bet) {
    std::vector<std::string> row{TBetList::Text(bets.Bet(bet))};
    for (size_t t = 0; t < result.Tiers.size(); ++t)
        row.push_back(NumberText::FormatInt(result.Count(bet, t)));
    const BetResult& r = result.Bets[bet];
    row.push_back(NumberText::FormatInt(r.Best));
    row.push_back(result.Contests > 0 ? NumberText::FormatInt(r.BestContest) : std::string());
    return row;
}

std::vector<std::string> TBetChecker::TotalsHeader() {
    return {"Faixa", "Observado", "Esperado"};
}

std::vector<std::vector<std::string>> TBetChecker::TotalsRows(const Result& result) {
    std::vector<std::vector<std::string>> rows;
    for (size_t t = 0; t < result.Tiers.size(); ++t) {
        const double observed = result.Observed[t];
        const double expected = result.Expected[t];
        // Rare tiers expect far less than one: they keep their digits.
        const std::string expectedText = expected >= 1 || expected == 0
                                             ? NumberText::FormatFixed(expected, 2)
                                             : NumberText::FormatGeneral(expected, 4);
        rows.push_back({TierCaption(result.Tiers[t]), NumberText::FormatInt(static_cast<long long>(observed)),
                        expectedText});
    }
    return rows;
}

std::string TBetChecker::ToTsv(const Result& result, const TBetList& bets) {
    std::string out;
    const auto line = [&out](const std::vector<std::string>& cells) {
        for (size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) out += '\t';
            out += cells[i];
        }
        out += '\n';
    };
    out.reserve(result.Bets.size() * 40 + 256);
    line({"Concursos", NumberText::FormatInt(result.Contests),
          result.Contests > 0 ? NumberText::FormatInt(result.FirstContest) : std::string(),
          result.Contests > 0 ? NumberText::FormatInt(result.LastContest) : std::string()});
    out += '\n';
    line(TableHeader(result));
    // The rows as TableRow writes them, straight into the text: a million
    // bets make a million rows.
    const auto number = [&out](long long value) {
        char digits[24];
        const auto [end, ignored] = std::to_chars(digits, digits + sizeof digits, value);
        out.append(digits, end);
    };
    for (size_t b = 0; b < result.Bets.size(); ++b) {
        const std::span<const int32_t> bet = bets.Bet(b);
        for (size_t i = 0; i < bet.size(); ++i) {
            if (i > 0) out += ' ';
            number(bet[i]);
        }
        for (size_t t = 0; t < result.Tiers.size(); ++t) {
            out += '\t';
            number(result.Count(b, t));
        }
        out += '\t';
        number(result.Bets[b].Best);
        out += '\t';
        if (result.Contests > 0) number(result.Bets[b].BestContest);
        out += '\n';
    }
    out += '\n';
    line(TotalsHeader());
    for (const auto& row : TotalsRows(result)) line(row);
    if (result.Stopped) out += "Parado.\n";
    return out;
}

QJsonObject TBetChecker::ToJson(const Result& result, const TBetList& bets) {
    QJsonArray list;
    for (size_t b = 0; b < result.Bets.size(); ++b) {
        QJsonArray balls;
        for (const int32_t ball : bets.Bet(b)) balls.append(ball);
        QJsonObject tiers;
        for (size_t t = 0; t < result.Tiers.size(); ++t)
            tiers.insert(Key(result.Tiers[t]), result.Count(b, t));
        const BetResult& r = result.Bets[b];
        QJsonObject bet;
        bet.insert(QStringLiteral("balls"), balls);
        bet.insert(QStringLiteral("tiers"), tiers);
        bet.insert(QStringLiteral("best"), r.Best);
        bet.insert(QStringLiteral("best_contest"),
                   result.Contests > 0 ? QJsonValue(r.BestContest) : QJsonValue());
        list.append(bet);
    }
    QJsonObject observed;
    QJsonObject expected;
    for (size_t t = 0; t < result.Tiers.size(); ++t) {
        observed.insert(Key(result.Tiers[t]), result.Observed[t]);
        expected.insert(Key(result.Tiers[t]), result.Expected[t]);
    }
    QJsonObject totals;
    totals.insert(QStringLiteral("observed"), observed);
    totals.insert(QStringLiteral("expected"), expected);
    QJsonObject root;
    root.insert(QStringLiteral("contests"), result.Contests);
    root.insert(QStringLiteral("from"), result.Contests > 0 ? QJsonValue(result.FirstContest) : QJsonValue());
    root.insert(QStringLiteral("to"), result.Contests > 0 ? QJsonValue(result.LastContest) : QJsonValue());
    root.insert(QStringLiteral("stopped"), result.Stopped);
    root.insert(QStringLiteral("bets"), list);
    root.insert(QStringLiteral("totals"), totals);
    return root;
}

std::string TBetChecker::ToJsonText(const Result& result, const TBetList& bets) {
    std::string out;
    out.reserve(result.Bets.size() * (60 + 12 * result.Tiers.size()) + 256);
    const auto number = [&out](auto value) {
        char digits[32];
        const auto [end, ignored] = std::to_chars(digits, digits + sizeof digits, value);
        out.append(digits, end);
    };
    // Tier keys in the order a JSON object keeps them: as sorted text.
    std::vector<size_t> order(result.Tiers.size());
    for (size_t t = 0; t < order.size(); ++t) order[t] = t;
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return Key(result.Tiers[a]) < Key(result.Tiers[b]); });
    const auto tierObject = [&](const auto& valueOf) {
        out += '{';
        for (size_t i = 0; i < order.size(); ++i) {
            if (i > 0) out += ',';
            out += '"';
            number(result.Tiers[order[i]]);
            out += "\":";
            number(valueOf(order[i]));
        }
        out += '}';
    };
    out += "{\"bets\":[";
    for (size_t b = 0; b < result.Bets.size(); ++b) {
        if (b > 0) out += ',';
        out += "{\"balls\":[";
        const std::span<const int32_t> bet = bets.Bet(b);
        for (size_t i = 0; i < bet.size(); ++i) {
            if (i > 0) out += ',';
            number(bet[i]);
        }
        out += "],\"best\":";
        number(result.Bets[b].Best);
        out += ",\"best_contest\":";
        if (result.Contests > 0)
            number(result.Bets[b].BestContest);
        else
            out += "null";
        out += ",\"tiers\":";
        tierObject([&](size_t t) { return result.Count(b, t); });
        out += '}';
    }
    out += "],\"contests\":";
    number(result.Contests);
    out += ",\"from\":";
    if (result.Contests > 0)
        number(result.FirstContest);
    else
        out += "null";
    out += ",\"stopped\":";
    out += result.Stopped ? "true" : "false";
    out += ",\"to\":";
    if (result.Contests > 0)
        number(result.LastContest);
    else
        out += "null";
    out += ",\"totals\":{\"expected\":";
    tierObject([&](size_t t) { return result.Expected[t]; });
    out += ",\"observed\":";
    tierObject([&](size_t t) { return result.Observed[t]; });
    out += "}}";
    return out;
}
