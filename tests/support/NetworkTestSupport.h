#pragma once
// Small 5-8-1 networks for the tests of the batched trainer and of the
// training jobs: a prototype on a smooth series, its scalar training from a
// seed, and an exact comparison of two networks.
#include "TNNMLP.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

// A 5-8-1 network on a smooth series, as the analyses train them.
inline std::unique_ptr<TNNMLP> Prototype(int activation, int patterns, int epochs, double tolerance) {
    auto net = std::make_unique<TNNMLP>(5, 8, 1);
    net->Activation = static_cast<std::uint8_t>(activation);
    net->LearningRate = 0.4;
    net->Tolerance = tolerance;
    net->Epochs = epochs;
    net->SetPatternCount(patterns);
    for (int p = 0; p < patterns; ++p) {
        for (int i = 0; i < 4; ++i) net->PatternIn[p][i] = 1000 + 700 * std::sin(0.7 * (p + i));
        net->PatternIn[p][4] = p + 5;
        net->PatternOut[p][0] = 1000 + 700 * std::sin(0.7 * (p + 4));
    }
    return net;
}

// The scalar reference: lane's network trained alone, from the start that
// seed gives, calls Train calls or until it converges.
inline std::unique_ptr<TNNMLP> Alone(const TNNMLP& prototype, std::uint64_t seed, int calls) {
    auto net = Prototype(prototype.Activation, prototype.PatternCount, prototype.Epochs, prototype.Tolerance);
    net->Seed(seed);
    net->InitWeights();
    for (int c = 0; c < calls && !net->Converged; ++c) net->Train();
    return net;
}

inline void ExpectSameNetwork(const TNNMLP& a, const TNNMLP& b, const std::string& where) {
    SCOPED_TRACE(where);
    ASSERT_EQ(a.HiddenWeight, b.HiddenWeight);
    ASSERT_EQ(a.HiddenBias, b.HiddenBias);
    ASSERT_EQ(a.OutputWeight, b.OutputWeight);
    ASSERT_EQ(a.OutputBias, b.OutputBias);
    ASSERT_EQ(a.OutputError, b.OutputError);
    ASSERT_EQ(a.InMin, b.InMin);
    ASSERT_EQ(a.InMax, b.InMax);
    ASSERT_EQ(a.OutMin, b.OutMin);
    ASSERT_EQ(a.OutMax, b.OutMax);
    ASSERT_EQ(a.Converged.load(), b.Converged.load());
}
