// The chance audit of the Mega-Sena history: every test, with the records of
// 20 synthetic full 60/6 recurrence searches of 60 draws (the goal: the whole
// audit within 2 s on two cores), and its parts.
#include "TChanceAudit.h"
#include "TLottery.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

const TLottery& Mega() {
    static const auto lottery = std::make_unique<TLottery>(std::string(TOVISCA_DATA_DIR) + "/megasena.csv");
    return *lottery;
}

void WholeAudit(benchmark::State& state) {
    const TLottery& lottery = Mega();
    TChanceAudit::TOptions options;
    options.Repeats = 20;
    for (auto _ : state) benchmark::DoNotOptimize(TChanceAudit::Audit(lottery, options));
}
BENCHMARK(WholeAudit)->Unit(benchmark::kMillisecond)->UseRealTime();

void StatisticsOnly(benchmark::State& state) {
    const TLottery& lottery = Mega();
    TChanceAudit::TOptions options;
    options.Repeats = 0;
    for (auto _ : state) benchmark::DoNotOptimize(TChanceAudit::Audit(lottery, options));
}
BENCHMARK(StatisticsOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void OneSyntheticSearch(benchmark::State& state) {
    const TSearchOptions options = TChanceAudit::RecordOptions(50063860, 60, 1);
    uint64_t seed = 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(TChanceAudit::SyntheticRecords(60, 6, 0, options, 1, seed++).Records);
}
BENCHMARK(OneSyntheticSearch)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
