// The network against hand-worked passes, its range rules, seeded training,
// its text form and its allocations. This program replaces the global
// operator new to count allocations.
#include "TNNMLP.h"
#include "NumberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <ranges>

namespace {

std::atomic<long> allocations{0};

// The program's usual shape: 5 previous values of a smooth series predict
// the next one.
std::unique_ptr<TNNMLP> SmoothSeriesNetwork(std::uint64_t seed) {
    auto net = std::make_unique<TNNMLP>(5, 8, 1);
    net->Seed(seed);
    net->InitWeights();
    net->Activation = 2;
    net->LearningRate = 0.4;
    net->Tolerance = 1e-9;
    net->Epochs = 100;
    net->SetPatternCount(40);
    for (int p = 0; p < 40; ++p) {
        for (int i = 0; i < 5; ++i) net->PatternIn[p][i] = 10 + 5 * std::sin(0.3 * (p + i));
        net->PatternOut[p][0] = 10 + 5 * std::sin(0.3 * (p + 5));
    }
    return net;
}

// Trains the last pattern with a tolerance nothing can miss, so that only the
// ranges decide convergence.
void TrainOn(TNNMLP& net, std::vector<double> in, double out) {
    net.Tolerance = 1e9;
    net.PatternIn.back() = std::move(in);
    net.PatternOut.back()[0] = out;
    net.Train();
}

} // namespace

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
// Kept out of line: inlined into a caller, GCC would pair the caller's new
// expression with free and warn of a mismatch.
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

TEST(TNNMLPTest, VisitingOrdersArePermutations) {
    TNNMLP net(1, 2, 1);
    net.SetPatternCount(5);
    EXPECT_EQ(net.VisitOrder,
              (std::vector<std::vector<int>>{
                  {0, 1, 2, 3, 4}, {0, 2, 4, 1, 3}, {4, 3, 2, 1, 0}, {1, 3, 0, 2, 4}, {0, 4, 1, 3, 2}}));
    for (int n = 0; n <= 13; ++n) {
        net.SetPatternCount(n);
        for (const auto& order : net.VisitOrder)
            EXPECT_TRUE(std::ranges::is_permutation(order, std::views::iota(0, n))) << n;
    }
}

TEST(TNNMLPTest, RangesFollowTheirValues) {
    TNNMLP net(2, 2, 1);
    TrainOn(net, {10, 0}, 10);
    EXPECT_EQ(std::pair(net.InMin[0], net.InMax[0]), std::pair(5.0, 40.0));
    EXPECT_EQ(std::pair(net.InMin[1], net.InMax[1]), std::pair(0.0, 1.0)); // a first 0 gives [0, 1]
    TrainOn(net, {50, 0}, 50);
    EXPECT_EQ(std::pair(net.InMin[0], net.InMax[0]), std::pair(5.0, 200.0));
    TrainOn(net, {2, 0}, 50);
    EXPECT_EQ(std::pair(net.InMin[0], net.InMax[0]), std::pair(1.0, 200.0));
    // Negative values: the bounds change roles; a later -5 moves both bounds
    // of an input but only the maximum of an output.
    TNNMLP neg(1, 2, 1);
    TrainOn(neg, {-3}, -3);
    EXPECT_EQ(std::pair(neg.InMin[0], neg.InMax[0]), std::pair(-1.5, -12.0));
    TrainOn(neg, {-5}, -5);
    EXPECT_EQ(std::pair(neg.InMin[0], neg.InMax[0]), std::pair(-2.5, -20.0));
    EXPECT_EQ(std::pair(neg.OutMin[0], neg.OutMax[0]), std::pair(-1.5, -20.0));
    // Every output of several takes both bounds from its first value.
    TNNMLP multi(1, 2, 3);
    multi.PatternOut[0] = {2, 4, 6};
    multi.Train();
    EXPECT_EQ(multi.OutMin, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(multi.OutMax, (std::vector<double>{8, 16, 24}));

    // -3 gives [-1.5, -12]; -24 then moves the minimum onto -12. The empty
    // range must not poison the weights.
    TNNMLP collapsed(1, 3, 1);
    collapsed.Epochs = 20;
    collapsed.SetPatternCount(3);
    for (int p = 0; p < 3; ++p) collapsed.PatternIn[p][0] = collapsed.PatternOut[p][0] = p == 1 ? -24 : -3;
    collapsed.Train();
    EXPECT_EQ(collapsed.InMin[0], collapsed.InMax[0]);
    for (const auto& row : collapsed.HiddenWeight) EXPECT_TRUE(std::isfinite(row[0]));
    collapsed.Compute();
    EXPECT_EQ(collapsed.Output[0], -12);
}

// One training step of a 1-1-1 network by hand, then its forward pass, for
// each kind (they differ in derivatives, data scaling and output mapping).
TEST(TNNMLPTest, OneStepAndForwardPassByHand) {
    auto act = [](bool t, double s) { return t ? 1.716 * std::tanh(0.667 * s) : 1 / (1 + std::exp(-s)); };
    auto slope = [](bool t, double y) { return t ? (1.716 - y) * 0.388695 * (1.716 + y) : (1 - y) * y; };
    for (int kind : {0, 1, 2}) {
        const bool tanhHidden = kind != 0, tanhOutput = kind == 1;
        TNNMLP net(1, 1, 1);
        net.Activation = static_cast<std::uint8_t>(kind);
        net.LearningRate = 0.5;
        net.HiddenWeight[0][0] = 0.3;
        net.OutputWeight[0][0] = 0.7;
        TrainOn(net, {2}, 6); // ranges [1, 8] and [3, 24]: both scale to 1/7
        // Data go into [0, 1], or into [-1, 1] beside a tanh layer.
        const double x = tanhHidden ? 2.0 / 7 - 1 : 1.0 / 7, target = tanhOutput ? 2.0 / 7 - 1 : 1.0 / 7;
        const double h = act(tanhHidden, 0.3 * x), y = act(tanhOutput, 0.7 * h);
        const double dy = (target - y) * slope(tanhOutput, y), dh = dy * 0.7 * slope(tanhHidden, h);
        EXPECT_NEAR(net.OutputError[0], dy, 1e-15) << kind;
        EXPECT_NEAR(net.HiddenError[0], dh, 1e-15) << kind;
        EXPECT_NEAR(net.HiddenWeight[0][0], 0.3 + 0.5 * dh * x, 1e-15) << kind;
        EXPECT_NEAR(net.HiddenBias[0][0], 0.5 * dh, 1e-15) << kind;
        // The output layer learns from the activation of the forward pass.
        EXPECT_NEAR(net.OutputWeight[0][0], 0.7 + 0.5 * dy * h, 1e-15) << kind;
        EXPECT_NEAR(net.OutputBias[0][0], 0.5 * dy, 1e-15) << kind;
        // 4.5 lies half way through [1, 8]; the output is read back from [3, 24].
        net.Input[0] = 4.5;
        net.Compute();
        const double h2 = act(tanhHidden, net.HiddenWeight[0][0] * (kind ? 0 : 0.5) + net.HiddenBias[0][0]);
        const double y2 = act(tanhOutput, net.OutputWeight[0][0] * h2 + net.OutputBias[0][0]);
        EXPECT_NEAR(net.Output[0], 3 + 21 * (tanhOutput ? (y2 + 1) / 2 : y2), 1e-13) << kind;
    }
}

TEST(TNNMLPTest, LearnsASmoothSeriesAndStopsOnRequest) {
    // An epoch in which a range widens never passes, however small the error.
    TNNMLP first(1, 2, 1);
    TrainOn(first, {3}, 3);
    EXPECT_FALSE(first.Converged);
    first.Train();
    EXPECT_TRUE(first.Converged);

    // A seeded 5-8-1 network learns the smooth series to a small fraction of
    // its variance (12.5); once sized, training and forecasting allocate
    // nothing.
    auto net = SmoothSeriesNetwork(2024);
    const long before = allocations.load();
    for (int call = 0; call < 200 && !net->Converged; ++call) net->Train();
    double error = 0;
    for (int p = 0; p < 40; ++p) {
        net->SelectPattern(p);
        net->Compute();
        error += std::pow(net->Output[0] - net->PatternOut[p][0], 2) / 40;
    }
    EXPECT_LT(error, 0.05);
    EXPECT_EQ(allocations.load() - before, 0);
    const auto text = net->SaveToStrings();
    EXPECT_GT(allocations.load(), before); // the counter does count

    // A raised stop flag ends a long call after its first epoch.
    auto a = SmoothSeriesNetwork(11), b = SmoothSeriesNetwork(11);
    std::atomic<bool> stop{true};
    a->Epochs = 1000;
    a->Train(&stop);
    EXPECT_FALSE(a->Converged);
    b->Epochs = 1;
    b->Train();
    EXPECT_EQ(a->HiddenWeight, b->HiddenWeight);
}

TEST(TNNMLPTest, UntrainedNetworkSavesEmptyRangesAndTrainsLikeAFreshOne) {
    TNNMLP fresh(2, 3, 1), loaded(7, 1, 1);
    fresh.Activation = 2;
    const auto lines = fresh.SaveToStrings();
    ASSERT_EQ(lines.size(), 4u + 12 + 6 + 4 + 2);
    EXPECT_EQ(std::vector(lines.begin(), lines.begin() + 4), (std::vector<std::string>{"2", "3", "1", "2"}));
    for (size_t k = 22; k < lines.size(); k += 2) EXPECT_EQ(lines[k] + lines[k + 1], "-INF+INF") << k;
    // Read back, the ranges are empty again: the first values set them.
    ASSERT_TRUE(loaded.LoadFromStrings(lines));
    for (TNNMLP* n : {&fresh, &loaded}) TrainOn(*n, {3, 20}, 100);
    const auto a = loaded.SaveToStrings(), b = fresh.SaveToStrings();
    EXPECT_EQ(std::vector(a.begin() + 22, a.end()), std::vector(b.begin() + 22, b.end()));
}

TEST(TNNMLPTest, SaveLoadRoundTripUnderEveryLocale) {
    // Saved under a Brazilian locale (decimal comma), the text still has a
    // decimal point: a bookmark file loads wherever it is opened.
    NumberText::SetDecimalSeparator(',');
    auto trained = SmoothSeriesNetwork(99);
    for (int call = 0; call < 5; ++call) trained->Train();
    const auto text = trained->SaveToStrings();
    EXPECT_NE(text[4].find('.'), std::string::npos) << text[4];
    for (const std::string& line : text) EXPECT_EQ(line.find(','), std::string::npos) << line;
    NumberText::SetDecimalSeparator('.');
    EXPECT_EQ(trained->SaveToStrings(), text) << "the same text under the C locale";

    // 15 significant digits read back and write again unchanged; the loaded
    // network computes like the saved one up to the text's digits.
    for (const char separator : {'.', ','}) {
        NumberText::SetDecimalSeparator(separator);
        TNNMLP loaded(1, 1, 1);
        ASSERT_TRUE(loaded.LoadFromStrings(text)) << separator;
        EXPECT_EQ(loaded.SaveToStrings(), text);
        for (double shift : {0.0, 1.5, -3.25, 40.0}) {
            for (TNNMLP* n : {trained.get(), &loaded}) {
                n->Input = {10 + shift, 11, 12 - shift, 13, 14 + shift};
                n->Compute();
            }
            EXPECT_NEAR(loaded.Output[0], trained->Output[0], 1e-11 * std::fabs(trained->Output[0])) << shift;
        }
        // A file written before, with decimal commas and CRs, loads under
        // either locale and gives the same network; an activation line other
        // than 0, 1, 2 keeps the network's kind (2, from the load above).
        auto older = text;
        for (auto& line : older) std::ranges::replace(line += '\r', '.', ',');
        older[3] = "7";
        ASSERT_TRUE(loaded.LoadFromStrings(older)) << separator;
        EXPECT_EQ(loaded.SaveToStrings(), text);
    }
    NumberText::SetDecimalSeparator('.');
}

TEST(TNNMLPTest, FailedLoadsReportAndLeaveTheNetworkAsItWas) {
    auto net = SmoothSeriesNetwork(17);
    const auto before = net->SaveToStrings();
    const auto good = SmoothSeriesNetwork(18)->SaveToStrings();
    const auto with = [&](size_t line, const char* text) {
        auto lines = good;
        lines[line] = text;
        return lines;
    };
    // clang-format off
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "too short"}, {{"5", "8", "1"}, "too short"},
        {with(1, "oito"), "'oito' is not a valid integer value"},
        {with(20, "0,12x"), "Line 21: '0,12x' is not a valid floating point value"},
        {with(6, "+INF"), "'+INF' is not a valid floating point value"},
        {with(good.size() - 1, ""), "'' is not a valid floating point value"},
        {std::vector(good.begin(), good.end() - 1), "needs 112"},
        {with(0, "1000000000"), "do not fit"}, {with(0, "99999999999"), "is not a valid integer value"},
        {with(2, "0"), "at least 1"}, {with(1, "-8"), "at least 1"}};
    // clang-format on
    for (const auto& [lines, fragment] : cases) {
        const auto result = net->LoadFromStrings(lines);
        EXPECT_FALSE(result) << fragment;
        EXPECT_NE(result.Error.find(fragment), std::string::npos) << result.Error;
        EXPECT_EQ(net->SaveToStrings(), before) << fragment;
        EXPECT_EQ(net->PatternCount, 40) << fragment;
    }
}
