// The walk-forward back-test on the Mega-Sena history: every forecaster over
// the last 100 contests (goal: 60 s on two cores), each forecaster alone
// (the lexicographic CSN network's goal: 5 s), with the windows' defaults
// and the cap of 100 Train calls per network.
//
// Counters: contests scored, networks trained and networks that reached
// their call limit.
#include "TBacktest.h"
#include "TLottery.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

const TLottery& MegaSena() {
    static const TLottery lottery(std::string(TOVISCA_DATA_DIR) + "/megasena.csv");
    return lottery;
}

void Run(benchmark::State& state, std::vector<TBacktest::Method> methods) {
    TBacktest::Settings settings;
    settings.Contests = 100;
    settings.Methods = std::move(methods);
    TBacktest::Result result;
    for (auto _ : state) result = TBacktest::Run(MegaSena(), settings);
    state.counters["contests"] = result.Done;
    state.counters["networks"] = result.Networks;
    state.counters["capped"] = result.Capped;
}

void BM_AllForecasters(benchmark::State& state) {
    Run(state, TBacktest::AllMethods());
}
BENCHMARK(BM_AllForecasters)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

void BM_Forecaster(benchmark::State& state) {
    const auto method = static_cast<TBacktest::Method>(state.range(0));
    state.SetLabel(TBacktest::Key(method));
    Run(state, {method});
}
BENCHMARK(BM_Forecaster)
    ->DenseRange(0, TBacktest::MethodCount - 1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();
