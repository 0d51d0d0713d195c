// The delay analysis on the real Mega-Sena history and on a generated history
// of a million 60/6 draws (written once into a temporary folder, removed at
// exit):
//  - the delay table: the engine built from the history, then every ball
//    cell and the aggregate column of every row computed (what a table held
//    in memory would cost to fill), per view;
//  - opening: the engine, and the preview of a 40-row sample;
//  - a change of view: the load and the 40 rows a grid shows, at the end of
//    the history;
//  - the copy of the whole Mega-Sena table as text.
#include "TDelayAnalysis.h"
#include "TLottery.h"

#include "TGeneratedHistory.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <sys/resource.h>

namespace {

using Analysis = TDelayAnalysis;

const TLottery& MegaSena() {
    static const TLottery lottery(std::string(TOVISCA_DATA_DIR) + "/megasena.csv");
    return lottery;
}

const TLottery& Million() {
    static const TGeneratedHistory history;
    static const TLottery lottery(history.File());
    return lottery;
}

Analysis::View ViewOf(const benchmark::State& state) {
    return static_cast<Analysis::View>(state.range(0));
}

// The whole table's numbers: every ball over every row, and the aggregate column.
void Table(benchmark::State& state, const TLottery& lottery) {
    double checksum = 0;
    for (auto _ : state) {
        Analysis analysis(lottery);
        analysis.Load(ViewOf(state));
        const Analysis::Rows all{1, analysis.DrawCount()};
        for (int b = 1; b <= analysis.Elements(); ++b) checksum += analysis.BallSeries(b, all).back();
        checksum += analysis.AggregateSeries(all).back();
        benchmark::DoNotOptimize(checksum);
    }
    state.counters["cells"] = static_cast<double>(lottery.DrawCount) * (lottery.Elements() + 1);
    state.counters["peak_rss_MB"] = TGeneratedHistory::PeakResidentMB();
}

void BM_DelayTableMegaSena(benchmark::State& state) {
    Table(state, MegaSena());
}
BENCHMARK(BM_DelayTableMegaSena)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_DelayTableMillionDraws(benchmark::State& state) {
    Table(state, Million());
}
BENCHMARK(BM_DelayTableMillionDraws)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

// Opening: the engine and the first preview (40 rows, ball 1).
void Opening(benchmark::State& state, const TLottery& lottery) {
    for (auto _ : state) {
        Analysis analysis(lottery);
        analysis.SampleSize = 40;
        const Analysis::PreviewResult preview = analysis.Preview();
        benchmark::DoNotOptimize(preview.Memo.data());
    }
}

void BM_OpeningMegaSena(benchmark::State& state) {
    Opening(state, MegaSena());
}
BENCHMARK(BM_OpeningMegaSena)->Unit(benchmark::kMillisecond);

void BM_OpeningMillionDraws(benchmark::State& state) {
    Opening(state, Million());
}
BENCHMARK(BM_OpeningMillionDraws)->Unit(benchmark::kMillisecond)->Iterations(5);

// A change of view as the window makes it: the load, the preview and the
// texts of the 40 rows on screen at the end of the history.
void BM_SwitchViewMillionDraws(benchmark::State& state) {
    Analysis analysis(Million());
    analysis.SampleSize = 40;
    int view = 0;
    for (auto _ : state) {
        view = (view + 1) % 3;
        analysis.Load(static_cast<Analysis::View>(view));
        const Analysis::PreviewResult preview = analysis.Preview();
        benchmark::DoNotOptimize(preview.Memo.data());
        for (int r = analysis.DrawCount() - 39; r <= analysis.DrawCount(); ++r) {
            const std::vector<std::string> texts = analysis.RowTexts(r);
            benchmark::DoNotOptimize(texts.data());
        }
    }
}
BENCHMARK(BM_SwitchViewMillionDraws)->Unit(benchmark::kMillisecond);

void BM_TableTextMegaSena(benchmark::State& state) {
    Analysis analysis(MegaSena());
    analysis.Load(ViewOf(state));
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = analysis.TableText();
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["MB"] = static_cast<double>(bytes) / (1 << 20);
}
BENCHMARK(BM_TableTextMegaSena)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
