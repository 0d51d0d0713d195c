// Training and forecasting allocate nothing once the network is sized: this
// program counts every global allocation.
#include "TNNMLP.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

TEST(TNNMLPAllocationTest, TrainComputeAndSelectPatternAllocateNothing) {
    TNNMLP net(5, 8, 1);
    net.Seed(1);
    net.InitWeights();
    net.Activation = 2;
    net.LearningRate = 0.4;
    net.Tolerance = 1e-9;
    net.Epochs = 100;
    net.SetPatternCount(40);
    for (int p = 0; p < 40; ++p) {
        for (int i = 0; i < 5; ++i) net.PatternIn[p][i] = 100 + 30 * std::sin(0.4 * (p + i));
        net.PatternOut[p][0] = 100 + 30 * std::sin(0.4 * (p + 5));
    }
    const long before = allocations.load();
    for (int call = 0; call < 3; ++call) net.Train();
    for (int p = 0; p < 40; ++p) {
        net.SelectPattern(p);
        net.Compute();
    }
    EXPECT_EQ(allocations.load() - before, 0);
    EXPECT_TRUE(std::isfinite(net.Output[0]));
    // The counter does see allocations.
    const auto text = net.SaveToStrings();
    EXPECT_GT(allocations.load() - before, 0);
}
