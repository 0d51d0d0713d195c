// "Conferir apostas": a million bets of 6 balls against the whole Mega-Sena
// history, the check alone and with the reading of the bets' text.
// scripts/bench also times the whole tovisca-cli check process.
#include "TBetChecker.h"
#include "TLottery.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <time.h>

namespace {

// The process's processor time: the workers' share too, which the
// benchmark's own CPU column (the calling thread only) leaves out.
double ProcessSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

constexpr int BetCount = 1'000'000;

const TBetChecker& MegaSena() {
    static const std::unique_ptr<TBetChecker> checker = [] {
        const TLottery lottery(std::string(TOVISCA_DATA_DIR) + "/megasena.csv");
        return std::make_unique<TBetChecker>(TBetChecker::GameOf(lottery));
    }();
    return *checker;
}

// A million lines of six distinct balls out of 60.
const std::string& BetsText() {
    static const std::string text = [] {
        std::mt19937 random(38);
        std::vector<int> balls(60);
        std::iota(balls.begin(), balls.end(), 1);
        std::string out;
        out.reserve(18u * BetCount);
        for (int b = 0; b < BetCount; ++b) {
            for (int i = 0; i < 6; ++i) {
                std::swap(balls[static_cast<size_t>(i)], balls[static_cast<size_t>(i + random() % (60 - i))]);
                if (i > 0) out += ' ';
                out += std::to_string(balls[static_cast<size_t>(i)]);
            }
            out += '\n';
        }
        return out;
    }();
    return text;
}

void Check(benchmark::State& state) {
    const TBetChecker& checker = MegaSena();
    std::string error;
    const TBetList bets = TBetList::Parse(BetsText(), checker.Rules(), error);
    const double start = ProcessSeconds();
    for (auto _ : state) benchmark::DoNotOptimize(checker.Run(bets, checker.Whole(), {6, 5, 4}).Observed);
    state.counters["process_cpu_s"] = (ProcessSeconds() - start) / static_cast<double>(state.iterations());
    state.counters["bets"] = static_cast<double>(bets.Count());
    state.counters["draws"] = checker.GetGame().Draws.size();
}
BENCHMARK(Check)->Unit(benchmark::kMillisecond);

void CheckOneThread(benchmark::State& state) {
    const TBetChecker& checker = MegaSena();
    std::string error;
    const TBetList bets = TBetList::Parse(BetsText(), checker.Rules(), error);
    const double start = ProcessSeconds();
    for (auto _ : state)
        benchmark::DoNotOptimize(checker.Run(bets, checker.Whole(), {6, 5, 4}, {}, 1).Observed);
    state.counters["process_cpu_s"] = (ProcessSeconds() - start) / static_cast<double>(state.iterations());
}
BENCHMARK(CheckOneThread)->Unit(benchmark::kMillisecond);

void ReadAndCheck(benchmark::State& state) {
    const TBetChecker& checker = MegaSena();
    const std::string& text = BetsText();
    for (auto _ : state) {
        std::string error;
        const TBetList bets = TBetList::Parse(text, checker.Rules(), error);
        benchmark::DoNotOptimize(checker.Run(bets, checker.Whole(), {6, 5, 4}).Observed);
    }
}
BENCHMARK(ReadAndCheck)->Unit(benchmark::kMillisecond);

void ReadCheckAndReport(benchmark::State& state) {
    const TBetChecker& checker = MegaSena();
    const std::string& text = BetsText();
    for (auto _ : state) {
        std::string error;
        const TBetList bets = TBetList::Parse(text, checker.Rules(), error);
        const TBetChecker::Result result = checker.Run(bets, checker.Whole(), {6, 5, 4});
        benchmark::DoNotOptimize(TBetChecker::ToTsv(result, bets));
    }
}
BENCHMARK(ReadCheckAndReport)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
