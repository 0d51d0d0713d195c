// Speed of the numerical models: network training and neighbour forecasts.
#include "TFFT.h"
#include "TKNN.h"
#include "TNNMLP.h"
#include "TNNMLPBatch.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace {

// Pattern updates per second of a 5-8-1 network, activation kind 2, trained
// on 40 patterns in calls of 100 epochs. The tolerance is negative so that
// no epoch can pass and every call runs all its epochs.
std::unique_ptr<TNNMLP> ThroughputNetwork() {
    auto net = std::make_unique<TNNMLP>(5, 8, 1);
    net->Seed(1);
    net->Activation = 2;
    net->LearningRate = 0.4;
    net->Tolerance = -1;
    net->Epochs = 100;
    net->InitWeights();
    const int patterns = 40;
    net->SetPatternCount(patterns);
    for (int p = 0; p < patterns; ++p) {
        for (int i = 0; i < 5; ++i) net->PatternIn[p][i] = 1e6 * (2 + std::sin(0.7 * (p + i)));
        net->PatternOut[p][0] = 1e6 * (2 + std::sin(0.7 * (p + 5)));
    }
    return net;
}

void BM_TrainPatternUpdates(benchmark::State& state) {
    const auto net = ThroughputNetwork();
    for (auto _ : state) {
        net->Train();
        benchmark::DoNotOptimize(net->OutputError[0]);
    }
    state.SetItemsProcessed(state.iterations() * net->Epochs * net->PatternCount);
}
BENCHMARK(BM_TrainPatternUpdates)->Unit(benchmark::kMillisecond);

// The same training for many networks at once: one batch of `lanes`
// networks per thread, every thread training its batch through one Train
// call per iteration. Items are pattern updates of single networks, so the
// rate compares directly with BM_TrainPatternUpdates.
void BM_BatchPatternUpdates(benchmark::State& state) {
    const int lanes = static_cast<int>(state.range(0));
    const int threads = static_cast<int>(state.range(1));
    const auto path = state.range(2) != 0 ? TNNMLPBatch::Path::AVX2 : TNNMLPBatch::Path::Automatic;
    const auto prototype = ThroughputNetwork();
    std::vector<std::unique_ptr<TNNMLPBatch>> batches;
    for (int t = 0; t < threads; ++t) {
        batches.push_back(std::make_unique<TNNMLPBatch>(*prototype, lanes, path));
        for (int lane = 0; lane < lanes; ++lane) {
            prototype->Seed(static_cast<std::uint64_t>(t * lanes + lane));
            prototype->InitWeights();
            batches.back()->SetStart(lane, *prototype);
        }
    }
    state.SetLabel(batches.front()->InstructionSet());
    for (auto _ : state) {
        std::vector<std::jthread> workers;
        for (int t = 1; t < threads; ++t)
            workers.emplace_back([&batch = *batches[static_cast<size_t>(t)]] { batch.Train(); });
        batches.front()->Train();
    }
    state.SetItemsProcessed(state.iterations() * threads * lanes * prototype->Epochs * prototype->PatternCount);
}
BENCHMARK(BM_BatchPatternUpdates)
    ->ArgNames({"lanes", "threads", "avx2"})
    ->Args({8, 1, 0})
    ->Args({16, 1, 0})
    ->Args({32, 1, 0})
    ->Args({8, 2, 0})
    ->Args({16, 2, 0})
    ->Args({32, 2, 0})
    ->Args({32, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// 3,000 consecutive forecasts (window 6, 3 neighbours) over a series of
// 3,000 values, one per position as the chart forecasts do.
void BM_KnnForecasts(benchmark::State& state) {
    TKNN knn;
    knn.SetCount(3000);
    std::mt19937_64 engine(7);
    std::uniform_int_distribution<int> ball(1, 60);
    for (double& v : knn.Values) v = ball(engine);
    for (auto _ : state) {
        double sum = 0;
        for (int t = 1; t <= 3000; ++t) sum += knn.Forecast(t, 6, 3);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 3000);
}
BENCHMARK(BM_KnnForecasts)->Unit(benchmark::kMillisecond);

void BM_FFT(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TFFT fft;
    std::mt19937_64 engine(3);
    std::uniform_real_distribution<double> value(0, 100);
    for (auto _ : state) {
        state.PauseTiming();
        fft.Create(n);
        for (int i = 0; i < n; ++i) fft.SetValue(i, value(engine));
        state.ResumeTiming();
        fft.Transform();
        benchmark::DoNotOptimize(fft.Data[1]);
    }
}
BENCHMARK(BM_FFT)->Arg(4096)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
