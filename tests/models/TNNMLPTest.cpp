#include "TNNMLP.h"
#include "NumberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();

std::vector<int> Order(const TNNMLP& net, int k) {
    return net.VisitOrder[static_cast<size_t>(k)];
}

// A 5-8-1 network with activation kind 2 fed with a sliding window of a
// smooth series: 5 previous values predict the next one.
void FillSmoothSeries(TNNMLP& net, int patterns) {
    net.SetPatternCount(patterns);
    for (int p = 0; p < patterns; ++p) {
        for (int i = 0; i < 5; ++i) net.PatternIn[p][i] = 10 + 5 * std::sin(0.3 * (p + i));
        net.PatternOut[p][0] = 10 + 5 * std::sin(0.3 * (p + 5));
    }
}

double MeanSquaredError(TNNMLP& net) {
    double sum = 0;
    for (int p = 0; p < net.PatternCount; ++p) {
        net.SelectPattern(p);
        net.Compute();
        const double e = net.Output[0] - net.PatternOut[p][0];
        sum += e * e;
    }
    return sum / net.PatternCount;
}

std::unique_ptr<TNNMLP> TrainedNetwork(std::uint64_t seed) {
    auto net = std::make_unique<TNNMLP>(5, 8, 1);
    net->Seed(seed);
    net->Activation = 2;
    net->LearningRate = 0.4;
    net->Tolerance = 1e-9;
    net->Epochs = 100;
    net->InitWeights();
    FillSmoothSeries(*net, 40);
    for (int call = 0; call < 5; ++call) net->Train();
    return net;
}

class TNNMLPText : public ::testing::Test {
protected:
    void SetUp() override { NumberText::SetDecimalSeparator(','); }
    void TearDown() override { NumberText::SetDecimalSeparator('.'); }
};

} // namespace

TEST(TNNMLPTest, ConstructionDefaults) {
    TNNMLP one(1, 8, 1);
    EXPECT_DOUBLE_EQ(one.LearningRate, 0.9);
    TNNMLP net(5, 8, 1);
    EXPECT_EQ(net.Inputs, 5);
    EXPECT_EQ(net.Hidden, 8);
    EXPECT_EQ(net.Outputs, 1);
    EXPECT_EQ(net.PatternCount, 1);
    EXPECT_DOUBLE_EQ(net.LearningRate, 0.04);
    EXPECT_EQ(net.Epochs, 1);
    EXPECT_DOUBLE_EQ(net.Tolerance, 0.0001);
    EXPECT_DOUBLE_EQ(net.GrowFactor, 4.0);
    EXPECT_DOUBLE_EQ(net.ShrinkFactor, 0.5);
    EXPECT_EQ(net.Activation, 0);
    EXPECT_FALSE(net.Converged);
    EXPECT_TRUE(net.FirstInput);
    EXPECT_TRUE(net.FirstOutput);
    ASSERT_EQ(net.PatternIn.size(), 1u);
    ASSERT_EQ(net.PatternIn[0].size(), 5u);
    ASSERT_EQ(net.HiddenWeight.size(), 8u);
    ASSERT_EQ(net.OutputWeight[0].size(), 8u);
    for (int h = 0; h < 8; ++h)
        for (int i = 0; i < 5; ++i) {
            EXPECT_GE(net.HiddenWeight[h][i], 0.1);
            EXPECT_LT(net.HiddenWeight[h][i], 0.9);
            EXPECT_EQ(net.HiddenBias[h][i], 0.0);
        }
    for (int h = 0; h < 8; ++h) {
        EXPECT_GE(net.OutputWeight[0][h], 0.1);
        EXPECT_LT(net.OutputWeight[0][h], 0.9);
        EXPECT_EQ(net.OutputBias[0][h], 0.0);
    }
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(net.InMin[i], Inf);
        EXPECT_EQ(net.InMax[i], -Inf);
    }
    EXPECT_EQ(net.OutMin[0], Inf);
    EXPECT_EQ(net.OutMax[0], -Inf);
}

TEST(TNNMLPTest, SeedMakesWeightsReproducibleAndInitWeightsResets) {
    TNNMLP a(5, 8, 1), b(5, 8, 1);
    a.Seed(42);
    b.Seed(42);
    a.InitWeights();
    b.InitWeights();
    EXPECT_EQ(a.HiddenWeight, b.HiddenWeight);
    EXPECT_EQ(a.OutputWeight, b.OutputWeight);
    TNNMLP c(5, 8, 1);
    c.Seed(43);
    c.InitWeights();
    EXPECT_NE(a.HiddenWeight, c.HiddenWeight);

    FillSmoothSeries(a, 10);
    a.Train();
    EXPECT_FALSE(a.FirstInput);
    a.Converged = true;
    a.InitWeights();
    EXPECT_FALSE(a.Converged);
    EXPECT_TRUE(a.FirstInput);
    EXPECT_TRUE(a.FirstOutput);
    EXPECT_EQ(a.InMin[0], Inf);
    EXPECT_EQ(a.OutMax[0], -Inf);
    EXPECT_EQ(a.HiddenBias[0][0], 0.0);
}

TEST(TNNMLPTest, VisitingOrders) {
    TNNMLP net(1, 2, 1);
    net.SetPatternCount(5);
    EXPECT_EQ(Order(net, 0), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(Order(net, 1), (std::vector<int>{0, 2, 4, 1, 3}));
    EXPECT_EQ(Order(net, 2), (std::vector<int>{4, 3, 2, 1, 0}));
    EXPECT_EQ(Order(net, 3), (std::vector<int>{1, 3, 0, 2, 4}));
    EXPECT_EQ(Order(net, 4), (std::vector<int>{0, 4, 1, 3, 2}));
    net.SetPatternCount(6);
    EXPECT_EQ(Order(net, 1), (std::vector<int>{0, 2, 4, 1, 3, 5}));
    EXPECT_EQ(Order(net, 3), (std::vector<int>{1, 3, 5, 0, 2, 4}));
    EXPECT_EQ(Order(net, 4), (std::vector<int>{0, 5, 1, 4, 2, 3}));
    // Every order visits every pattern exactly once.
    for (int n = 0; n <= 13; ++n) {
        net.SetPatternCount(n);
        std::vector<int> all(static_cast<size_t>(n));
        std::iota(all.begin(), all.end(), 0);
        for (int k = 0; k < 5; ++k) {
            auto order = Order(net, k);
            std::sort(order.begin(), order.end());
            EXPECT_EQ(order, all) << "order " << k << " of " << n;
        }
    }
}

TEST(TNNMLPTest, SetPatternCountKeepsRowsAndSelectPatternCopies) {
    TNNMLP net(3, 2, 1);
    net.SetPatternCount(2);
    net.PatternIn[1] = {7, 8, 9};
    net.PatternOut[1][0] = 4;
    net.SetPatternCount(4);
    EXPECT_EQ(net.PatternIn[1], (std::vector<double>{7, 8, 9}));
    EXPECT_EQ(net.PatternOut[1][0], 4);
    EXPECT_EQ(net.PatternIn[3], (std::vector<double>{0, 0, 0}));
    net.SelectPattern(1);
    EXPECT_EQ(net.Input, (std::vector<double>{7, 8, 9}));
    net.SelectPattern(4);
    net.SelectPattern(-1);
    EXPECT_EQ(net.Input, (std::vector<double>{7, 8, 9}));
    net.SetPatternCount(-3);
    EXPECT_EQ(net.PatternCount, 0);
}

TEST(TNNMLPTest, RangesGrowAndShrinkFromTheirFirstValues) {
    TNNMLP net(2, 2, 1);
    net.Tolerance = 1e9;
    net.PatternIn[0] = {10, 0};
    net.PatternOut[0][0] = 10;
    net.Train();
    EXPECT_EQ(net.InMin[0], 5);
    EXPECT_EQ(net.InMax[0], 40);
    // A first value of 0 gives [0, 1]; the second input is not the layer's
    // first element but its empty range takes both bounds all the same.
    EXPECT_EQ(net.InMin[1], 0);
    EXPECT_EQ(net.InMax[1], 1);
    EXPECT_EQ(net.OutMin[0], 5);
    EXPECT_EQ(net.OutMax[0], 40);
    EXPECT_FALSE(net.FirstInput);
    EXPECT_FALSE(net.FirstOutput);

    net.SetPatternCount(2);
    net.PatternIn[1] = {50, 0};
    net.PatternOut[1][0] = 50;
    net.Train();
    EXPECT_EQ(net.InMin[0], 5);
    EXPECT_EQ(net.InMax[0], 200);
    EXPECT_EQ(net.OutMax[0], 200);
    // A later value below the minimum halves it.
    net.PatternIn[1] = {2, 0};
    net.PatternOut[1][0] = 50;
    net.Train();
    EXPECT_EQ(net.InMin[0], 1);
    EXPECT_EQ(net.InMax[0], 200);
}

TEST(TNNMLPTest, NegativeRangesSwapRolesAndOutputsMoveOnlyTheMaximum) {
    TNNMLP net(1, 2, 1);
    net.Tolerance = 1e9;
    net.PatternIn[0][0] = -3;
    net.PatternOut[0][0] = -3;
    net.Train();
    EXPECT_EQ(net.InMin[0], -1.5);
    EXPECT_EQ(net.InMax[0], -12);
    EXPECT_EQ(net.OutMin[0], -1.5);
    EXPECT_EQ(net.OutMax[0], -12);
    // Values between the swapped bounds still scale into [0, 1].
    net.Input[0] = -6;
    net.Activation = 0;
    net.Compute();
    EXPECT_GT(net.ScaledInput[0], 0);
    EXPECT_LT(net.ScaledInput[0], 1);

    net.SetPatternCount(2);
    net.PatternIn[1][0] = -5;
    net.PatternOut[1][0] = -5;
    net.Train();
    EXPECT_EQ(net.InMax[0], -20);
    EXPECT_EQ(net.InMin[0], -2.5);
    EXPECT_EQ(net.OutMax[0], -20);
    EXPECT_EQ(net.OutMin[0], -1.5);
}

TEST(TNNMLPTest, EveryOutputOfSeveralGetsBothBounds) {
    TNNMLP net(1, 2, 3);
    net.PatternIn[0][0] = 1;
    net.PatternOut[0] = {2, 4, 6};
    net.Train();
    for (int o = 0; o < 3; ++o) {
        EXPECT_EQ(net.OutMin[o], net.PatternOut[0][o] * 0.5) << o;
        EXPECT_EQ(net.OutMax[o], net.PatternOut[0][o] * 4) << o;
        EXPECT_TRUE(std::isfinite(net.Output[o])) << o;
    }
}

TEST(TNNMLPTest, CollapsedRangeDoesNotPoisonTheWeights) {
    // -3 gives [-1.5, -12]; -24 then moves the minimum onto -12.
    TNNMLP net(1, 3, 1);
    net.Seed(7);
    net.InitWeights();
    net.Epochs = 20;
    net.SetPatternCount(3);
    net.PatternIn[0][0] = -3;
    net.PatternIn[1][0] = -24;
    net.PatternIn[2][0] = -3;
    for (int p = 0; p < 3; ++p) net.PatternOut[p][0] = -3 - p;
    net.Train();
    EXPECT_EQ(net.InMin[0], net.InMax[0]);
    for (const auto& row : net.HiddenWeight)
        for (double w : row) EXPECT_TRUE(std::isfinite(w));
    net.SelectPattern(0);
    net.Compute();
    EXPECT_TRUE(std::isfinite(net.Output[0]));
}

// One hidden neuron, one input, one output: the forward pass by hand.
TEST(TNNMLPTest, ActivationKindsInTheForwardPass) {
    TNNMLP net(1, 1, 1);
    net.HiddenWeight[0][0] = 0.5;
    net.HiddenBias[0][0] = 0.25;
    net.OutputWeight[0][0] = -1.5;
    net.OutputBias[0][0] = 0.125;
    net.InMin[0] = 0;
    net.InMax[0] = 4;
    net.OutMin[0] = 10;
    net.OutMax[0] = 20;
    net.Input[0] = 3; // 0.75 of its range

    const auto logistic = [](double s) { return 1 / (1 + std::exp(-s)); };
    const auto scaledTanh = [](double s) { return 1.716 * std::tanh(0.667 * s); };

    net.Activation = 0;
    net.Compute();
    double h = logistic(0.5 * 0.75 + 0.25);
    double y = logistic(-1.5 * h + 0.125);
    EXPECT_DOUBLE_EQ(net.ScaledInput[0], 0.75);
    EXPECT_NEAR(net.HiddenOut[0], h, 1e-15);
    EXPECT_NEAR(net.OutputAct[0], y, 1e-15);
    EXPECT_NEAR(net.Output[0], 10 + 10 * y, 1e-13);

    net.Activation = 1;
    net.Compute();
    h = scaledTanh(0.5 * 0.5 + 0.25);
    y = scaledTanh(-1.5 * h + 0.125);
    EXPECT_DOUBLE_EQ(net.ScaledInput[0], 0.5);
    EXPECT_NEAR(net.HiddenOut[0], h, 1e-15);
    EXPECT_NEAR(net.OutputAct[0], y, 1e-15);
    EXPECT_NEAR(net.Output[0], 10 + 10 * (y + 1) / 2, 1e-13);

    net.Activation = 2;
    net.Compute();
    y = logistic(-1.5 * h + 0.125);
    EXPECT_NEAR(net.HiddenOut[0], h, 1e-15);
    EXPECT_NEAR(net.OutputAct[0], y, 1e-15);
    EXPECT_NEAR(net.Output[0], 10 + 10 * y, 1e-13);
}

// One training step of a 1-1-1 network worked by hand, for kinds 0 and 1
// (which differ in every derivative and in the target mapping).
TEST(TNNMLPTest, ErrorSignalsAndWeightUpdateOfOneStep) {
    for (int kind : {0, 1}) {
        TNNMLP net(1, 1, 1);
        net.Activation = static_cast<std::uint8_t>(kind);
        net.LearningRate = 0.5;
        net.Tolerance = 1e9;
        net.HiddenWeight[0][0] = 0.3;
        net.OutputWeight[0][0] = 0.7;
        net.PatternIn[0][0] = 2;  // range [1, 8]: scales to 1/7
        net.PatternOut[0][0] = 6; // range [3, 24]: scales to 1/7
        net.Train();

        const double x = kind == 0 ? 1.0 / 7 : 2.0 / 7 - 1;
        const double target = kind == 0 ? 1.0 / 7 : 2.0 / 7 - 1;
        double h, y, dy, dh;
        if (kind == 0) {
            h = 1 / (1 + std::exp(-0.3 * x));
            y = 1 / (1 + std::exp(-0.7 * h));
            dy = (target - y) * (1 - y) * y;
            dh = dy * 0.7 * (1 - h) * h;
        } else {
            h = 1.716 * std::tanh(0.667 * 0.3 * x);
            y = 1.716 * std::tanh(0.667 * 0.7 * h);
            dy = (target - y) * (1.716 - y) * 0.388695 * (1.716 + y);
            dh = dy * 0.7 * (1.716 - h) * 0.388695 * (1.716 + h);
        }
        EXPECT_NEAR(net.OutputError[0], dy, 1e-15) << kind;
        EXPECT_NEAR(net.HiddenError[0], dh, 1e-15) << kind;
        EXPECT_NEAR(net.HiddenWeight[0][0], 0.3 + 0.5 * dh * x, 1e-15) << kind;
        EXPECT_NEAR(net.HiddenBias[0][0], 0.5 * dh, 1e-15) << kind;
        // The output layer learns from the hidden activation of the forward
        // pass, before the hidden weight changed.
        EXPECT_NEAR(net.OutputWeight[0][0], 0.7 + 0.5 * dy * h, 1e-15) << kind;
        EXPECT_NEAR(net.OutputBias[0][0], 0.5 * dy, 1e-15) << kind;
    }
}

TEST(TNNMLPTest, ConvergenceRule) {
    // A range that widens during an epoch vetoes convergence however small
    // the error: the first epoch always widens.
    TNNMLP net(1, 2, 1);
    net.Tolerance = 1e9;
    net.PatternIn[0][0] = 3;
    net.PatternOut[0][0] = 3;
    net.Train();
    EXPECT_FALSE(net.Converged);
    net.Train();
    EXPECT_TRUE(net.Converged);

    // Within one call: the second epoch passes and ends the call.
    TNNMLP a(1, 2, 1), b(1, 2, 1);
    for (TNNMLP* n : {&a, &b}) {
        n->Seed(3);
        n->InitWeights();
        n->Tolerance = 1e9;
        n->PatternIn[0][0] = 3;
        n->PatternOut[0][0] = 3;
    }
    a.Epochs = 50;
    a.Train();
    EXPECT_TRUE(a.Converged);
    b.Epochs = 2;
    b.Train();
    EXPECT_EQ(a.HiddenWeight, b.HiddenWeight);

    // A tight tolerance is not met in a few epochs.
    TNNMLP tight(1, 2, 1);
    tight.Tolerance = 1e-15;
    tight.Epochs = 3;
    tight.PatternIn[0][0] = 3;
    tight.PatternOut[0][0] = 3;
    tight.Train();
    EXPECT_FALSE(tight.Converged);

    // No patterns: the stored error signals (0 after construction) pass.
    TNNMLP empty(5, 8, 1);
    empty.SetPatternCount(0);
    empty.Epochs = 100;
    empty.Train();
    EXPECT_TRUE(empty.Converged);
    empty.Epochs = 0;
    empty.Train();
    EXPECT_FALSE(empty.Converged);
}

TEST(TNNMLPTest, StopFlagEndsTrainingAfterTheCurrentEpoch) {
    auto a = std::make_unique<TNNMLP>(5, 8, 1);
    auto b = std::make_unique<TNNMLP>(5, 8, 1);
    for (TNNMLP* n : {a.get(), b.get()}) {
        n->Seed(11);
        n->InitWeights();
        n->Activation = 2;
        n->LearningRate = 0.4;
        n->Tolerance = 1e-9;
        FillSmoothSeries(*n, 20);
    }
    std::atomic<bool> stop{true};
    a->Epochs = 1000;
    a->Train(&stop);
    EXPECT_FALSE(a->Converged);
    b->Epochs = 1;
    b->Train();
    EXPECT_EQ(a->HiddenWeight, b->HiddenWeight);
    EXPECT_EQ(a->OutputWeight, b->OutputWeight);
}

TEST(TNNMLPTest, LearnsASmoothSeries) {
    TNNMLP net(5, 8, 1);
    net.Seed(2024);
    net.Activation = 2;
    net.LearningRate = 0.4;
    net.Tolerance = 1e-9;
    net.Epochs = 100;
    net.InitWeights();
    FillSmoothSeries(net, 40);
    net.Train();
    const double early = MeanSquaredError(net);
    for (int call = 0; call < 200 && !net.Converged; ++call) net.Train();
    const double late = MeanSquaredError(net);
    EXPECT_LT(late, early / 100) << early << " -> " << late;
    EXPECT_LT(late, 0.05);
}

TEST_F(TNNMLPText, UntrainedNetworkSavesEmptyRangesAndTrainsLikeAFreshOne) {
    TNNMLP fresh(2, 3, 1);
    fresh.Seed(5);
    fresh.InitWeights();
    fresh.Activation = 2;
    const auto lines = fresh.SaveToStrings();
    ASSERT_EQ(lines.size(), 4u + 2 * 3 * 2 + 2 * 1 * 3 + 2 * 2 + 2 * 1);
    EXPECT_EQ(lines[0], "2");
    EXPECT_EQ(lines[1], "3");
    EXPECT_EQ(lines[2], "1");
    EXPECT_EQ(lines[3], "2");
    EXPECT_EQ(lines[4], NumberText::FormatGeneral(fresh.HiddenWeight[0][0], 15));
    EXPECT_EQ(lines[5], "0");
    const size_t ranges = 4 + 12 + 6;
    for (size_t k = ranges; k < lines.size(); k += 2) {
        EXPECT_EQ(lines[k], "-INF");
        EXPECT_EQ(lines[k + 1], "+INF");
    }

    TNNMLP loaded(7, 1, 1);
    ASSERT_TRUE(loaded.LoadFromStrings(lines));
    EXPECT_EQ(loaded.Activation, 2);
    EXPECT_EQ(loaded.InMin[1], Inf);
    EXPECT_EQ(loaded.InMax[1], -Inf);
    EXPECT_TRUE(loaded.FirstInput);
    for (TNNMLP* n : {&fresh, &loaded}) {
        n->SetPatternCount(3);
        for (int p = 0; p < 3; ++p) {
            n->PatternIn[p] = {1.0 + p, 20.0 - 3 * p};
            n->PatternOut[p][0] = 100.0 * (p + 1);
        }
        n->Epochs = 10;
        n->Train();
    }
    EXPECT_EQ(loaded.InMin, fresh.InMin);
    EXPECT_EQ(loaded.InMax, fresh.InMax);
    EXPECT_EQ(loaded.OutMin, fresh.OutMin);
    EXPECT_EQ(loaded.OutMax, fresh.OutMax);
}

TEST_F(TNNMLPText, SaveLoadRoundTrip) {
    auto trained = TrainedNetwork(99);
    trained->Input = {10, 11, 12, 13, 14};
    trained->Compute();
    const double original = trained->Output[0];

    const auto text = trained->SaveToStrings();
    // The locale's separator, 15 significant digits.
    EXPECT_NE(text[4].find(','), std::string::npos);
    EXPECT_EQ(text[4].find('.'), std::string::npos);
    double parsed = 0;
    ASSERT_TRUE(NumberText::TryParseFloat(text[4], parsed));
    EXPECT_NEAR(parsed, trained->HiddenWeight[0][0], 1e-14 * std::fabs(parsed));

    TNNMLP b(1, 1, 1), c(3, 3, 3);
    b.LearningRate = 0.25;
    b.Epochs = 7;
    ASSERT_TRUE(b.LoadFromStrings(text));
    ASSERT_TRUE(c.LoadFromStrings(text));
    EXPECT_EQ(b.Inputs, 5);
    EXPECT_EQ(b.Hidden, 8);
    EXPECT_EQ(b.PatternCount, 1);
    EXPECT_FALSE(b.Converged);
    EXPECT_TRUE(b.FirstInput);
    EXPECT_TRUE(b.FirstOutput);
    EXPECT_EQ(b.LearningRate, 0.25);
    EXPECT_EQ(b.Epochs, 7);
    // A loaded network saves the text it was loaded from.
    EXPECT_EQ(b.SaveToStrings(), text);
    // Two networks loaded from one text compute bit for bit alike, and as
    // the saved network up to the 15 digits of the text.
    for (double shift : {0.0, 1.5, -3.25, 40.0}) {
        for (TNNMLP* n : {&b, &c}) {
            n->Input = {10 + shift, 11, 12 - shift, 13, 14 + shift};
            n->Compute();
        }
        EXPECT_EQ(b.Output[0], c.Output[0]);
        EXPECT_EQ(b.HiddenOut, c.HiddenOut);
    }
    b.Input = {10, 11, 12, 13, 14};
    b.Compute();
    EXPECT_NEAR(b.Output[0], original, 1e-11 * std::fabs(original));

    // Lines read back from a file may keep their CR; a '.' is read too.
    auto crlf = text;
    for (auto& line : crlf) {
        std::replace(line.begin(), line.end(), ',', '.');
        line += "\r";
    }
    TNNMLP d(1, 1, 1);
    ASSERT_TRUE(d.LoadFromStrings(crlf));
    EXPECT_EQ(d.SaveToStrings(), text);
}

TEST_F(TNNMLPText, UnknownActivationLineKeepsTheKind) {
    TNNMLP source(1, 2, 1);
    auto lines = source.SaveToStrings();
    lines[3] = "7";
    TNNMLP net(1, 2, 1);
    net.Activation = 1;
    ASSERT_TRUE(net.LoadFromStrings(lines));
    EXPECT_EQ(net.Activation, 1);
    lines[3] = "0";
    ASSERT_TRUE(net.LoadFromStrings(lines));
    EXPECT_EQ(net.Activation, 0);
}

TEST_F(TNNMLPText, FailedLoadsReportAndLeaveTheNetworkAsItWas) {
    auto net = TrainedNetwork(17);
    net->Activation = 1;
    const auto before = net->SaveToStrings();
    const std::vector<std::vector<double>> weights = net->HiddenWeight;
    const auto good = TrainedNetwork(18)->SaveToStrings();

    struct Case {
        const char* name;
        std::vector<std::string> lines;
        const char* fragment; // expected in the error text
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}, "too short"});
    cases.push_back({"three lines", {"5", "8", "1"}, "too short"});
    auto badSize = good;
    badSize[1] = "oito";
    cases.push_back({"non-numeric size", badSize, "'oito' is not a valid integer value"});
    auto badValue = good;
    badValue[20] = "0,12x";
    cases.push_back({"non-numeric weight", badValue, "'0,12x' is not a valid floating point value"});
    auto infiniteWeight = good;
    infiniteWeight[6] = "+INF";
    cases.push_back({"infinite weight", infiniteWeight, "'+INF' is not a valid floating point value"});
    auto badBound = good;
    badBound[badBound.size() - 1] = "";
    cases.push_back({"empty bound", badBound, "is not a valid floating point value"});
    auto truncated = good;
    truncated.resize(truncated.size() - 1);
    cases.push_back({"truncated", truncated, "needs"});
    auto absurd = good;
    absurd[0] = "1000000000";
    cases.push_back({"a billion inputs", absurd, "do not fit"});
    auto huge = good;
    huge[0] = "99999999999";
    cases.push_back({"size beyond 32 bits", huge, "is not a valid integer value"});
    auto zero = good;
    zero[2] = "0";
    cases.push_back({"no outputs", zero, "at least 1"});
    auto negative = good;
    negative[1] = "-8";
    cases.push_back({"negative hidden", negative, "at least 1"});

    for (const auto& c : cases) {
        const auto result = net->LoadFromStrings(c.lines);
        EXPECT_FALSE(result) << c.name;
        EXPECT_NE(result.Error.find(c.fragment), std::string::npos) << c.name << ": " << result.Error;
        EXPECT_EQ(net->SaveToStrings(), before) << c.name;
        EXPECT_EQ(net->Activation, 1) << c.name;
        EXPECT_EQ(net->PatternCount, 40) << c.name;
        EXPECT_EQ(net->HiddenWeight, weights) << c.name;
    }
    // Still usable.
    net->Activation = 2;
    net->Train();
    net->SelectPattern(3);
    net->Compute();
    EXPECT_TRUE(std::isfinite(net->Output[0]));
}
