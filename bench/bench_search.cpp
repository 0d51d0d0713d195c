// The combination searches over full universes with a sample of 60 draws.
#include "TCombinationSearch.h"
#include "TLottery.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

const TCombinationSearch& Game(const char* file) {
    static std::map<std::string, std::unique_ptr<TCombinationSearch>> games;
    auto& slot = games[file];
    if (!slot) {
        const TLottery lottery(std::string(TOVISCA_DATA_DIR) + "/" + file);
        slot = std::make_unique<TCombinationSearch>(TCombinationSearch::GameOf(lottery));
    }
    return *slot;
}

void Search(benchmark::State& state, const char* file, TSearchMode mode, bool doubleCheck,
            TInstructionSet set) {
    const TCombinationSearch& search = Game(file);
    TSearchOptions options;
    options.Mode = mode;
    options.SampleSize = 60;
    options.DoubleCheck = doubleCheck;
    options.Instructions = set;
    for (auto _ : state) benchmark::DoNotOptimize(search.Run(options).Count1);
}

BENCHMARK_CAPTURE(Search, MegaRecurrence, "megasena.csv", TSearchMode::Recurrence, false,
                  TInstructionSet::Automatic)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, MegaRecurrencePortable, "megasena.csv", TSearchMode::Recurrence, false,
                  TInstructionSet::Portable)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, MegaBest, "megasena.csv", TSearchMode::Best, false, TInstructionSet::Automatic)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, MegaDouble, "megasena.csv", TSearchMode::Recurrence, true,
                  TInstructionSet::Automatic)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(Search, LotofacilRecurrence, "lotofacil.csv", TSearchMode::Recurrence, false,
                  TInstructionSet::Automatic)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
