// Loading game histories and writing the draws table: the real Mega-Sena
// history, and a generated history of a million 60/6 draws (written once into
// a temporary folder, removed at exit).
#include "TDrawTable.h"
#include "TLottery.h"

#include "TGeneratedHistory.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <sys/resource.h>

namespace {

const TGeneratedHistory& Million() {
    static const TGeneratedHistory history;
    return history;
}

void BM_LoadMegaSena(benchmark::State& state) {
    const std::string file = std::string(TOVISCA_DATA_DIR) + "/megasena.csv";
    for (auto _ : state) {
        TLottery lottery(file);
        benchmark::DoNotOptimize(lottery.CSNs.data());
    }
}
BENCHMARK(BM_LoadMegaSena)->Unit(benchmark::kMillisecond);

void BM_LoadMillionDraws(benchmark::State& state) {
    const std::string& file = Million().File();
    for (auto _ : state) {
        TLottery lottery(file);
        benchmark::DoNotOptimize(lottery.CSNs.data());
        if (lottery.DrawCount != TGeneratedHistory::Draws) state.SkipWithError("wrong draw count");
    }
    state.counters["peak_rss_MB"] = TGeneratedHistory::PeakResidentMB();
}
BENCHMARK(BM_LoadMillionDraws)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DrawTableTextMillionDraws(benchmark::State& state) {
    const TLottery lottery(Million().File());
    const TDrawTable table(&lottery);
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = table.ToText();
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["MB"] = static_cast<double>(bytes) / (1 << 20);
    state.counters["peak_rss_MB"] = TGeneratedHistory::PeakResidentMB();
}
BENCHMARK(BM_DrawTableTextMillionDraws)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
