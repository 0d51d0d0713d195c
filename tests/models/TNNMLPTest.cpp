#include "TNNMLP.h"
#include "NumberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <numeric>

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();

// A network of the program's usual shape: 5 previous values of a smooth
// series predict the next one.
std::unique_ptr<TNNMLP> SmoothSeriesNetwork(std::uint64_t seed, int patterns = 40) {
    auto net = std::make_unique<TNNMLP>(5, 8, 1);
    net->Seed(seed);
    net->InitWeights();
    net->Activation = 2;
    net->LearningRate = 0.4;
    net->Tolerance = 1e-9;
    net->Epochs = 100;
    net->SetPatternCount(patterns);
    for (int p = 0; p < patterns; ++p) {
        for (int i = 0; i < 5; ++i) net->PatternIn[p][i] = 10 + 5 * std::sin(0.3 * (p + i));
        net->PatternOut[p][0] = 10 + 5 * std::sin(0.3 * (p + 5));
    }
    return net;
}

double MeanSquaredError(TNNMLP& net) {
    double sum = 0;
    for (int p = 0; p < net.PatternCount; ++p) {
        net.SelectPattern(p);
        net.Compute();
        sum += std::pow(net.Output[0] - net.PatternOut[p][0], 2);
    }
    return sum / net.PatternCount;
}

// A 1-1-1 (or 2-2-1...) network whose single pattern is trained with a
// tolerance nothing can miss, so that only the ranges decide convergence.
void TrainOn(TNNMLP& net, std::vector<double> in, double out) {
    net.Tolerance = 1e9;
    net.PatternIn.back() = std::move(in);
    net.PatternOut.back()[0] = out;
    net.Train();
}

class TNNMLPText : public ::testing::Test {
protected:
    void SetUp() override { NumberText::SetDecimalSeparator(','); }
    void TearDown() override { NumberText::SetDecimalSeparator('.'); }
};

} // namespace

TEST(TNNMLPTest, ConstructionDefaults) {
    EXPECT_DOUBLE_EQ(TNNMLP(1, 8, 1).LearningRate, 0.9);
    TNNMLP net(5, 8, 1);
    EXPECT_DOUBLE_EQ(net.LearningRate, 0.04);
    EXPECT_EQ(net.PatternCount, 1);
    EXPECT_EQ(net.Epochs, 1);
    EXPECT_EQ(net.Tolerance, 0.0001);
    EXPECT_EQ(net.GrowFactor, 4.0);
    EXPECT_EQ(net.ShrinkFactor, 0.5);
    EXPECT_EQ(net.Activation, 0);
    EXPECT_FALSE(net.Converged);
    EXPECT_TRUE(net.FirstInput && net.FirstOutput);
    for (const auto* rows : {&net.HiddenWeight, &net.OutputWeight})
        for (const auto& row : *rows)
            for (double w : row) EXPECT_TRUE(w >= 0.1 && w < 0.9) << w;
    EXPECT_EQ(net.HiddenBias, std::vector<std::vector<double>>(8, std::vector<double>(5, 0.0)));
    EXPECT_EQ(net.InMin, std::vector<double>(5, Inf));
    EXPECT_EQ(net.OutMax, std::vector<double>(1, -Inf));

    // Seeded generators give the same weights; InitWeights resets the state.
    auto a = SmoothSeriesNetwork(42, 10), b = SmoothSeriesNetwork(42, 10), c = SmoothSeriesNetwork(43, 10);
    EXPECT_EQ(a->HiddenWeight, b->HiddenWeight);
    EXPECT_NE(a->HiddenWeight, c->HiddenWeight);
    a->Train();
    a->Converged = true;
    a->InitWeights();
    EXPECT_FALSE(a->Converged);
    EXPECT_TRUE(a->FirstInput && a->FirstOutput);
    EXPECT_EQ(a->InMin[0], Inf);
    EXPECT_EQ(a->OutputBias[0][3], 0.0);
}

TEST(TNNMLPTest, VisitingOrders) {
    TNNMLP net(1, 2, 1);
    net.SetPatternCount(5);
    const std::vector<std::vector<int>> five = {
        {0, 1, 2, 3, 4}, {0, 2, 4, 1, 3}, {4, 3, 2, 1, 0}, {1, 3, 0, 2, 4}, {0, 4, 1, 3, 2}};
    EXPECT_EQ(net.VisitOrder, five);
    net.SetPatternCount(6);
    EXPECT_EQ(net.VisitOrder[3], (std::vector<int>{1, 3, 5, 0, 2, 4}));
    EXPECT_EQ(net.VisitOrder[4], (std::vector<int>{0, 5, 1, 4, 2, 3}));
    for (int n = 0; n <= 13; ++n) {
        net.SetPatternCount(n);
        std::vector<int> all(static_cast<size_t>(n));
        std::iota(all.begin(), all.end(), 0);
        for (auto order : net.VisitOrder) {
            std::sort(order.begin(), order.end());
            EXPECT_EQ(order, all) << n;
        }
    }
    // Rows survive a resize; SelectPattern ignores indices past the end.
    net.PatternIn[1][0] = 7;
    net.SetPatternCount(9);
    EXPECT_EQ(net.PatternIn[1][0], 7);
    EXPECT_EQ(net.PatternIn[8][0], 0);
    net.SelectPattern(1);
    net.SelectPattern(9);
    EXPECT_EQ(net.Input[0], 7);
}

TEST(TNNMLPTest, RangesFollowTheirValues) {
    TNNMLP net(2, 2, 1);
    TrainOn(net, {10, 0}, 10);
    EXPECT_EQ(net.InMin[0], 5);
    EXPECT_EQ(net.InMax[0], 40);
    EXPECT_EQ(net.InMin[1], 0); // a first value of 0 gives [0, 1]
    EXPECT_EQ(net.InMax[1], 1);
    EXPECT_EQ(net.OutMin[0], 5);
    EXPECT_FALSE(net.FirstInput || net.FirstOutput);
    net.SetPatternCount(2);
    TrainOn(net, {50, 0}, 50);
    EXPECT_EQ(net.InMin[0], 5);
    EXPECT_EQ(net.InMax[0], 200);
    TrainOn(net, {2, 0}, 50);
    EXPECT_EQ(net.InMin[0], 1);
    EXPECT_EQ(net.InMax[0], 200);

    // Negative values: the bounds change roles; a later -5 moves both bounds
    // of an input but only the maximum of an output.
    TNNMLP neg(1, 2, 1);
    TrainOn(neg, {-3}, -3);
    EXPECT_EQ(neg.InMin[0], -1.5);
    EXPECT_EQ(neg.InMax[0], -12);
    neg.Input[0] = -6;
    neg.Compute();
    EXPECT_TRUE(neg.ScaledInput[0] > 0 && neg.ScaledInput[0] < 1);
    neg.SetPatternCount(2);
    TrainOn(neg, {-5}, -5);
    EXPECT_EQ(neg.InMax[0], -20);
    EXPECT_EQ(neg.InMin[0], -2.5);
    EXPECT_EQ(neg.OutMax[0], -20);
    EXPECT_EQ(neg.OutMin[0], -1.5);

    // Every output of several gets both bounds from its first value.
    TNNMLP multi(1, 2, 3);
    multi.PatternOut[0] = {2, 4, 6};
    multi.Train();
    EXPECT_EQ(multi.OutMin, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(multi.OutMax, (std::vector<double>{8, 16, 24}));
}

TEST(TNNMLPTest, CollapsedRangeDoesNotPoisonTheWeights) {
    // -3 gives [-1.5, -12]; -24 then moves the minimum onto -12.
    TNNMLP net(1, 3, 1);
    net.Epochs = 20;
    net.SetPatternCount(3);
    const double in[] = {-3, -24, -3};
    for (int p = 0; p < 3; ++p) {
        net.PatternIn[p][0] = in[p];
        net.PatternOut[p][0] = in[p];
    }
    net.Train();
    EXPECT_EQ(net.InMin[0], net.InMax[0]);
    EXPECT_EQ(net.OutMin[0], net.OutMax[0]);
    for (const auto& row : net.HiddenWeight)
        for (double w : row) EXPECT_TRUE(std::isfinite(w));
    net.Compute();
    EXPECT_EQ(net.Output[0], -12);
}

// One hidden neuron, one input, one output: the forward pass by hand.
TEST(TNNMLPTest, ActivationKinds) {
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
    struct Case {
        int kind;
        double scaled, hidden, output, result;
    };
    const double h0 = logistic(0.5 * 0.75 + 0.25), h1 = scaledTanh(0.5 * 0.5 + 0.25);
    const double y0 = logistic(-1.5 * h0 + 0.125), y1 = scaledTanh(-1.5 * h1 + 0.125);
    const double y2 = logistic(-1.5 * h1 + 0.125);
    for (const Case& c : {Case{0, 0.75, h0, y0, 10 + 10 * y0}, Case{1, 0.5, h1, y1, 10 + 10 * (y1 + 1) / 2},
                          Case{2, 0.5, h1, y2, 10 + 10 * y2}}) {
        net.Activation = static_cast<std::uint8_t>(c.kind);
        net.Compute();
        EXPECT_DOUBLE_EQ(net.ScaledInput[0], c.scaled) << c.kind;
        EXPECT_NEAR(net.HiddenOut[0], c.hidden, 1e-15) << c.kind;
        EXPECT_NEAR(net.OutputAct[0], c.output, 1e-15) << c.kind;
        EXPECT_NEAR(net.Output[0], c.result, 1e-13) << c.kind;
    }
}

// One training step of a 1-1-1 network worked by hand, for kinds 0 and 1
// (which differ in every derivative and in the target mapping).
TEST(TNNMLPTest, ErrorSignalsAndWeightUpdateOfOneStep) {
    for (int kind : {0, 1}) {
        TNNMLP net(1, 1, 1);
        net.Activation = static_cast<std::uint8_t>(kind);
        net.LearningRate = 0.5;
        net.HiddenWeight[0][0] = 0.3;
        net.OutputWeight[0][0] = 0.7;
        TrainOn(net, {2}, 6); // ranges [1, 8] and [3, 24]: both scale to 1/7

        const double x = kind == 0 ? 1.0 / 7 : 2.0 / 7 - 1;
        double h, y, dy, dh;
        if (kind == 0) {
            h = 1 / (1 + std::exp(-0.3 * x));
            y = 1 / (1 + std::exp(-0.7 * h));
            dy = (x - y) * (1 - y) * y;
            dh = dy * 0.7 * (1 - h) * h;
        } else {
            h = 1.716 * std::tanh(0.667 * 0.3 * x);
            y = 1.716 * std::tanh(0.667 * 0.7 * h);
            dy = (x - y) * (1.716 - y) * 0.388695 * (1.716 + y);
            dh = dy * 0.7 * (1.716 - h) * 0.388695 * (1.716 + h);
        }
        EXPECT_NEAR(net.OutputError[0], dy, 1e-15) << kind;
        EXPECT_NEAR(net.HiddenError[0], dh, 1e-15) << kind;
        EXPECT_NEAR(net.HiddenWeight[0][0], 0.3 + 0.5 * dh * x, 1e-15) << kind;
        EXPECT_NEAR(net.HiddenBias[0][0], 0.5 * dh, 1e-15) << kind;
        // The output layer learns from the activation of the forward pass.
        EXPECT_NEAR(net.OutputWeight[0][0], 0.7 + 0.5 * dy * h, 1e-15) << kind;
        EXPECT_NEAR(net.OutputBias[0][0], 0.5 * dy, 1e-15) << kind;
    }
}

TEST(TNNMLPTest, ConvergenceRuleAndStop) {
    // An epoch in which a range widens never passes, however small the error.
    TNNMLP net(1, 2, 1);
    TrainOn(net, {3}, 3);
    EXPECT_FALSE(net.Converged);
    net.Train();
    EXPECT_TRUE(net.Converged);
    net.Tolerance = 1e-15;
    net.Epochs = 3;
    net.Train();
    EXPECT_FALSE(net.Converged);

    // No patterns: the stored error signals (0 after construction) pass.
    TNNMLP empty(5, 8, 1);
    empty.SetPatternCount(0);
    empty.Train();
    EXPECT_TRUE(empty.Converged);
    empty.Epochs = 0;
    empty.Train();
    EXPECT_FALSE(empty.Converged);

    // A raised stop flag ends a long call after its first epoch.
    auto a = SmoothSeriesNetwork(11, 20), b = SmoothSeriesNetwork(11, 20);
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
    auto net = SmoothSeriesNetwork(2024);
    net->Train();
    const double early = MeanSquaredError(*net);
    for (int call = 0; call < 200 && !net->Converged; ++call) net->Train();
    const double late = MeanSquaredError(*net);
    EXPECT_LT(late, early / 100) << early << " -> " << late;
    EXPECT_LT(late, 0.05);
}

TEST_F(TNNMLPText, UntrainedNetworkSavesEmptyRangesAndTrainsLikeAFreshOne) {
    TNNMLP fresh(2, 3, 1);
    fresh.Activation = 2;
    const auto lines = fresh.SaveToStrings();
    ASSERT_EQ(lines.size(), 4u + 12 + 6 + 4 + 2);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4),
              (std::vector<std::string>{"2", "3", "1", "2"}));
    EXPECT_EQ(lines[4], NumberText::FormatGeneral(fresh.HiddenWeight[0][0], 15));
    EXPECT_EQ(lines[5], "0");
    for (size_t k = 22; k < lines.size(); k += 2) {
        EXPECT_EQ(lines[k], "-INF");
        EXPECT_EQ(lines[k + 1], "+INF");
    }
    TNNMLP loaded(7, 1, 1);
    ASSERT_TRUE(loaded.LoadFromStrings(lines));
    EXPECT_EQ(loaded.InMin[1], Inf);
    EXPECT_EQ(loaded.InMax[1], -Inf);
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
    auto trained = SmoothSeriesNetwork(99);
    for (int call = 0; call < 5; ++call) trained->Train();
    trained->Input = {10, 11, 12, 13, 14};
    trained->Compute();
    const double original = trained->Output[0];
    const auto text = trained->SaveToStrings();
    EXPECT_NE(text[4].find(','), std::string::npos); // the locale's separator

    TNNMLP b(1, 1, 1), c(3, 3, 3);
    b.LearningRate = 0.25;
    b.Epochs = 7;
    b.Activation = 1;
    ASSERT_TRUE(b.LoadFromStrings(text));
    ASSERT_TRUE(c.LoadFromStrings(text));
    EXPECT_EQ(b.Inputs, 5);
    EXPECT_EQ(b.Activation, 2);
    EXPECT_EQ(b.PatternCount, 1);
    EXPECT_TRUE(b.FirstInput && b.FirstOutput && !b.Converged);
    EXPECT_EQ(b.LearningRate, 0.25);
    EXPECT_EQ(b.Epochs, 7);
    // 15 significant digits read back and write again unchanged.
    EXPECT_EQ(b.SaveToStrings(), text);
    // Networks loaded from one text compute bit for bit alike, and like the
    // saved network up to the digits of the text.
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

    // Lines from a file may keep their CR; '.' is read as well; an activation
    // line other than 0, 1, 2 keeps the kind.
    auto other = text;
    for (auto& line : other) {
        std::replace(line.begin(), line.end(), ',', '.');
        line += "\r";
    }
    other[3] = "7";
    ASSERT_TRUE(b.LoadFromStrings(other));
    EXPECT_EQ(b.SaveToStrings(), text);
    c.Activation = 0;
    ASSERT_TRUE(c.LoadFromStrings(other));
    EXPECT_EQ(c.Activation, 0);
}

TEST_F(TNNMLPText, FailedLoadsReportAndLeaveTheNetworkAsItWas) {
    auto net = SmoothSeriesNetwork(17);
    net->Train();
    net->Activation = 1;
    const auto before = net->SaveToStrings();
    const auto good = SmoothSeriesNetwork(18)->SaveToStrings();
    const auto with = [&](size_t line, const char* text) {
        auto lines = good;
        lines[line] = text;
        return lines;
    };
    auto truncated = good;
    truncated.pop_back();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "too short"},
        {{"5", "8", "1"}, "too short"},
        {with(1, "oito"), "'oito' is not a valid integer value"},
        {with(20, "0,12x"), "Line 21: '0,12x' is not a valid floating point value"},
        {with(6, "+INF"), "'+INF' is not a valid floating point value"},
        {with(good.size() - 1, ""), "'' is not a valid floating point value"},
        {truncated, "needs 112"},
        {with(0, "1000000000"), "do not fit"},
        {with(0, "99999999999"), "is not a valid integer value"},
        {with(2, "0"), "at least 1"},
        {with(1, "-8"), "at least 1"},
    };
    for (const auto& [lines, fragment] : cases) {
        const auto result = net->LoadFromStrings(lines);
        EXPECT_FALSE(result) << fragment;
        EXPECT_NE(result.Error.find(fragment), std::string::npos) << result.Error;
        EXPECT_EQ(net->SaveToStrings(), before) << fragment;
        EXPECT_EQ(net->Activation, 1) << fragment;
        EXPECT_EQ(net->PatternCount, 40) << fragment;
        EXPECT_FALSE(net->FirstInput) << fragment;
    }
    // Still usable.
    net->Train();
    net->SelectPattern(3);
    net->Compute();
    EXPECT_TRUE(std::isfinite(net->Output[0]));
}
