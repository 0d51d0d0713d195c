// The CSN calculator's long commands: the ball ranking around a CSN of a
// 60/6 game (about ten million combinations at 10 %), by walking consecutive
// combinations and, for comparison, by converting every CSN; the ranking of
// a game beyond exact doubles (bounded band); and the nearest-neighbour
// forecast over the whole Mega-Sena history, one forecast per draw.
#include "TCSNRanking.h"
#include "TLottery.h"
#include "TPointSeries.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

const std::string DataDir = TOVISCA_DATA_DIR;
constexpr double Centre = 25'000'000;

// Every CSN of the band converted on its own, as the ranking was first written.
std::vector<uint64_t> VotesByConversion(const TCSN& converter, double csn, double fraction) {
    std::vector<uint64_t> votes(static_cast<size_t>(converter.Elements) + 1, 0);
    const double d = static_cast<double>(static_cast<long double>(converter.Total) * fraction);
    const long double hi = static_cast<long double>(csn) + d;
    std::vector<int32_t> balls(static_cast<size_t>(converter.PerCombination) + 1, 0);
    for (double x = static_cast<double>(static_cast<long double>(csn) - d); x <= hi; x += 1) {
        if (!(x > 0 && x <= converter.Total)) continue;
        converter.CSNToBalls(x, balls);
        for (size_t i = 1; i < balls.size(); ++i) ++votes[static_cast<size_t>(balls[i])];
    }
    return votes;
}

void BM_RankingSixtySixTenPercent(benchmark::State& state) {
    const TCSN converter(60, 6);
    uint64_t visited = 0;
    for (auto _ : state) {
        TCSNRanking ranking(converter, Centre, 0.1);
        ranking.Run();
        benchmark::DoNotOptimize(ranking.Ranking());
        visited = ranking.Visited;
    }
    state.counters["combinations"] = static_cast<double>(visited);
}
BENCHMARK(BM_RankingSixtySixTenPercent)->Unit(benchmark::kMillisecond);

void BM_RankingByConversionSixtySixTenPercent(benchmark::State& state) {
    const TCSN converter(60, 6);
    TCSNRanking walk(converter, Centre, 0.1);
    walk.Run();
    bool same = true;
    for (auto _ : state) {
        const std::vector<uint64_t> votes = VotesByConversion(converter, Centre, 0.1);
        same = same && votes == walk.Votes;
    }
    if (!same) state.SkipWithError("the walk's votes differ from converting every CSN");
}
BENCHMARK(BM_RankingByConversionSixtySixTenPercent)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_RankingLotomaniaBoundedBand(benchmark::State& state) {
    const TCSN converter(100, 20);
    for (auto _ : state) {
        TCSNRanking ranking(converter, converter.Total / 2, 0.1);
        ranking.Run();
        benchmark::DoNotOptimize(ranking.Votes.data());
    }
    state.counters["combinations"] = static_cast<double>(TCSNRanking::MaxSteps);
}
BENCHMARK(BM_RankingLotomaniaBoundedBand)->Unit(benchmark::kMillisecond);

void BM_NeighboursWholeMegaSena(benchmark::State& state) {
    const TLottery lottery(DataDir + "/megasena.csv");
    TPointSeries input;
    for (int32_t d = 0; d < lottery.DrawCount; ++d) input.Append(d + 1, lottery.CSNs[static_cast<size_t>(d)]);
    TPointSeries output;
    TPointSeries neighbours;
    const bool delta = state.range(0) != 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lottery.ForecastNeighbours(6, 3, delta, input, &output, &neighbours));
    }
    state.counters["forecasts"] = static_cast<double>(output.Count());
}
BENCHMARK(BM_NeighboursWholeMegaSena)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
