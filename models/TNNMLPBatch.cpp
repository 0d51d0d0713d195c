#include "TNNMLPBatch.h"

#include <algorithm>
#include <stdexcept>

#include <limits>

using NNMath::Vec8;

// The training loop of TNNMLP::Train, with every per-network value held as
// eight lanes. The operations on each lane are those of TNNMLP::Compute,
// ComputeErrors and UpdateWeights in the same order, so each lane rounds as
// the scalar network does. Everything is inlined into the three entry points,
// each compiled for its instruction set; Kind is the activation (0, 1, 2) and
// FixedInputs/FixedHidden, when not 0, let the compiler unroll the usual
// 5-8-1 shape.
struct TNNMLPBatch::Kernel {
    template <int Kind, int FixedInputs, int FixedHidden>
    [[gnu::always_inline]] static inline void Run(TNNMLPBatch& b, const std::atomic<bool>* stop) {
        const int I = FixedInputs > 0 ? FixedInputs : b.inputs_;
        const int H = FixedHidden > 0 ? FixedHidden : b.hidden_;
        const int O = b.outputs_;
        constexpr bool logisticHidden = Kind == 0;
        constexpr bool tanhOutput = Kind == 1;
        const double rate = b.learningRate_;
        const double tolerance = b.tolerance_;
        // Register copies of the hidden layer's working values for the
        // fixed shape; the group's own arrays otherwise.
        constexpr int Local = FixedHidden > 0 ? FixedHidden : 1;
        Vec8 localSum[Local];
        Vec8 localOut[Local];
        int order = 0;
        for (int epoch = 0; epoch < b.epochs_; ++epoch) {
            bool quiet = true;
            const std::vector<int>& visit = b.visitOrder_[static_cast<size_t>(order)];
            for (int k = 0; k < b.patternCount_; ++k) {
                const auto p = static_cast<size_t>(visit[static_cast<size_t>(k)]);
                const std::vector<double>& in = b.patternIn_[p];
                for (int i = 0; i < I; ++i) {
                    const auto ii = static_cast<size_t>(i);
                    if (NNMath::UpdateRange(in[ii], b.firstInput_, b.inMin_[ii], b.inMax_[ii], false,
                                            b.growFactor_, b.shrinkFactor_))
                        quiet = false;
                }
                const std::vector<double>& out = b.patternOut_[p];
                for (int o = 0; o < O; ++o) {
                    const auto oo = static_cast<size_t>(o);
                    if (NNMath::UpdateRange(out[oo], b.firstOutput_, b.outMin_[oo], b.outMax_[oo], true,
                                            b.growFactor_, b.shrinkFactor_))
                        quiet = false;
                    double target = NNMath::ScaleInto(out[oo], b.outMin_[oo], b.outMax_[oo]);
                    if (tanhOutput) target = 2.0 * target - 1.0;
                    b.scaledTarget_[oo] = target;
                }
                for (int i = 0; i < I; ++i) {
                    const auto ii = static_cast<size_t>(i);
                    double v = NNMath::ScaleInto(in[ii], b.inMin_[ii], b.inMax_[ii]);
                    if (Kind != 0) v = 2.0 * v - 1.0;
                    b.scaledInput_[ii] = v;
                }
                const double* x = b.scaledInput_.data();
                const double* target = b.scaledTarget_.data();
                for (Group& g : b.groups_) {
                    Vec8* wh = g.HiddenWeight.data();
                    Vec8* bh = g.HiddenBias.data();
                    Vec8* wo = g.OutputWeight.data();
                    Vec8* bo = g.OutputBias.data();
                    Vec8* sum = FixedHidden > 0 ? localSum : g.Sum.data();
                    Vec8* ho = FixedHidden > 0 ? localOut : g.HiddenOut.data();
                    Vec8* he = g.HiddenError.data();
                    Vec8* act = g.OutputAct.data();
                    Vec8* oe = g.OutputError.data();
                    // Forward pass: each hidden sum input by input, then the output sums.
                    for (int h = 0; h < H; ++h) sum[h] = Vec8{};
                    for (int i = 0; i < I; ++i)
                        for (int h = 0; h < H; ++h) sum[h] = sum[h] + wh[h * I + i] * x[i] + bh[h];
                    for (int h = 0; h < H; ++h)
                        ho[h] = logisticHidden ? NNMath::Logistic(sum[h]) : NNMath::ScaledTanh(sum[h]);
                    for (int o = 0; o < O; ++o) {
                        Vec8 s{};
                        for (int h = 0; h < H; ++h) s = s + wo[o * H + h] * ho[h] + bo[o];
                        act[o] = tanhOutput ? NNMath::ScaledTanh(s) : NNMath::Logistic(s);
                    }
                    // Errors.
                    for (int o = 0; o < O; ++o) {
                        const Vec8 y = act[o];
                        const Vec8 d = tanhOutput ? NNMath::ScaledTanhDerivative(y) : NNMath::LogisticDerivative(y);
                        oe[o] = (target[o] - y) * d;
                    }
                    for (int h = 0; h < H; ++h) {
                        const Vec8 y = ho[h];
                        const Vec8 d = logisticHidden ? NNMath::LogisticDerivative(y) : NNMath::ScaledTanhDerivative(y);
                        Vec8 s{};
                        for (int o = 0; o < O; ++o) s = s + oe[o] * wo[o * H + h] * d;
                        he[h] = s;
                    }
                    // Weight updates; every bias of a row gets the same step.
                    for (int h = 0; h < H; ++h) {
                        const Vec8 step = rate * he[h];
                        for (int i = 0; i < I; ++i) wh[h * I + i] += step * x[i];
                        bh[h] += step;
                    }
                    for (int o = 0; o < O; ++o) {
                        const Vec8 step = rate * oe[o];
                        for (int h = 0; h < H; ++h) wo[o * H + h] += step * ho[h];
                        bo[o] += step;
                    }
                }
            }
            if (quiet) {
                for (int lane = 0; lane < b.lanes_; ++lane) {
                    if (b.frozen_[static_cast<size_t>(lane)].Done) continue;
                    const Group& g = b.GroupOf(lane);
                    bool passed = true;
                    for (int o = 0; o < O; ++o) {
                        const double error = b.Lane(g.OutputError[static_cast<size_t>(o)], lane);
                        if (!(-tolerance <= error && error <= tolerance)) passed = false;
                    }
                    if (passed) b.Freeze(lane);
                }
            }
            order = order == 4 ? 0 : order + 1;
            if (b.done_ == b.lanes_) break;
            if (stop != nullptr && stop->load(std::memory_order_relaxed)) break;
        }
    }

    template <int FixedInputs, int FixedHidden>
    [[gnu::always_inline]] static inline void RunKind(TNNMLPBatch& b, const std::atomic<bool>* stop) {
        switch (b.activation_) {
        case 0: Run<0, FixedInputs, FixedHidden>(b, stop); break;
        case 1: Run<1, FixedInputs, FixedHidden>(b, stop); break;
        default: Run<2, FixedInputs, FixedHidden>(b, stop); break;
        }
    }

    [[gnu::always_inline]] static inline void RunAny(TNNMLPBatch& b, const std::atomic<bool>* stop) {
        if (b.inputs_ == 5 && b.hidden_ == 8)
            RunKind<5, 8>(b, stop);
        else
            RunKind<0, 0>(b, stop);
    }

    [[gnu::target("avx512f")]] static void RunAVX512(TNNMLPBatch& b, const std::atomic<bool>* stop) {
        RunAny(b, stop);
    }
    [[gnu::target("avx2")]] static void RunAVX2(TNNMLPBatch& b, const std::atomic<bool>* stop) {
        RunAny(b, stop);
    }
    static void RunPortable(TNNMLPBatch& b, const std::atomic<bool>* stop) { RunAny(b, stop); }
};

TNNMLPBatch::TNNMLPBatch(const TNNMLP& prototype, int lanes, Path path)
    : inputs_(prototype.Inputs), hidden_(prototype.Hidden), outputs_(prototype.Outputs),
      lanes_(std::max(1, lanes)), activation_(prototype.Activation), learningRate_(prototype.LearningRate),
      tolerance_(prototype.Tolerance), epochs_(prototype.Epochs), growFactor_(prototype.GrowFactor),
      shrinkFactor_(prototype.ShrinkFactor), patternCount_(prototype.PatternCount),
      patternIn_(prototype.PatternIn), patternOut_(prototype.PatternOut), visitOrder_(prototype.VisitOrder) {
    if (path == Path::Automatic) {
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx512f"))
            isa_ = Isa::AVX512;
        else if (__builtin_cpu_supports("avx2"))
            isa_ = Isa::AVX2;
    }
    const auto I = static_cast<size_t>(inputs_);
    const auto H = static_cast<size_t>(hidden_);
    const auto O = static_cast<size_t>(outputs_);
    constexpr double Infinity = std::numeric_limits<double>::infinity();
    inMin_.assign(I, Infinity);
    inMax_.assign(I, -Infinity);
    outMin_.assign(O, Infinity);
    outMax_.assign(O, -Infinity);
    scaledInput_.assign(I, 0.0);
    scaledTarget_.assign(O, 0.0);
    groups_.resize(static_cast<size_t>((lanes_ + GroupLanes - 1) / GroupLanes));
    for (Group& g : groups_) {
        g.HiddenWeight.assign(H * I, Vec8{});
        g.HiddenBias.assign(H, Vec8{});
        g.OutputWeight.assign(O * H, Vec8{});
        g.OutputBias.assign(O, Vec8{});
        g.Sum.assign(H, Vec8{});
        g.HiddenOut.assign(H, Vec8{});
        g.HiddenError.assign(H, Vec8{});
        g.OutputAct.assign(O, Vec8{});
        g.OutputError.assign(O, Vec8{});
    }
    frozen_.resize(static_cast<size_t>(lanes_));
    for (int lane = 0; lane < static_cast<int>(groups_.size()) * GroupLanes; ++lane) {
        Group& g = groups_[static_cast<size_t>(lane / GroupLanes)];
        const int l = lane % GroupLanes;
        for (size_t h = 0; h < H; ++h) {
            for (size_t i = 0; i < I; ++i) g.HiddenWeight[h * I + i][l] = prototype.HiddenWeight[h][i];
            g.HiddenBias[h][l] = prototype.HiddenBias[h][0];
        }
        for (size_t o = 0; o < O; ++o) {
            for (size_t h = 0; h < H; ++h) g.OutputWeight[o * H + h][l] = prototype.OutputWeight[o][h];
            g.OutputBias[o][l] = prototype.OutputBias[o][0];
        }
    }
}

std::string TNNMLPBatch::InstructionSet() const {
    switch (isa_) {
    case Isa::AVX512: return "AVX-512";
    case Isa::AVX2: return "AVX2";
    default: return "x86-64";
    }
}

bool TNNMLPBatch::SetStart(int lane, const TNNMLP& start) {
    if (lane < 0 || lane >= lanes_ || start.Inputs != inputs_ || start.Hidden != hidden_ ||
        start.Outputs != outputs_)
        return false;
    const auto I = static_cast<size_t>(inputs_);
    const auto H = static_cast<size_t>(hidden_);
    const auto O = static_cast<size_t>(outputs_);
    for (size_t h = 0; h < H; ++h)
        if (std::any_of(start.HiddenBias[h].begin(), start.HiddenBias[h].end(),
                        [&](double b) { return b != start.HiddenBias[h][0]; }))
            return false;
    for (size_t o = 0; o < O; ++o)
        if (std::any_of(start.OutputBias[o].begin(), start.OutputBias[o].end(),
                        [&](double b) { return b != start.OutputBias[o][0]; }))
            return false;
    Group& g = groups_[static_cast<size_t>(lane / GroupLanes)];
    const int l = lane % GroupLanes;
    for (size_t h = 0; h < H; ++h) {
        for (size_t i = 0; i < I; ++i) g.HiddenWeight[h * I + i][l] = start.HiddenWeight[h][i];
        g.HiddenBias[h][l] = start.HiddenBias[h][0];
    }
    for (size_t o = 0; o < O; ++o) {
        for (size_t h = 0; h < H; ++h) g.OutputWeight[o * H + h][l] = start.OutputWeight[o][h];
        g.OutputBias[o][l] = start.OutputBias[o][0];
    }
    Frozen& f = frozen_[static_cast<size_t>(lane)];
    if (f.Done) --done_;
    f = Frozen{};
    return true;
}

void TNNMLPBatch::Train(const std::atomic<bool>* stop) {
    if (done_ == lanes_) return;
    switch (isa_) {
    case Isa::AVX512: Kernel::RunAVX512(*this, stop); break;
    case Isa::AVX2: Kernel::RunAVX2(*this, stop); break;
    default: Kernel::RunPortable(*this, stop); break;
    }
}

void TNNMLPBatch::Freeze(int lane) {
    const Group& g = GroupOf(lane);
    Frozen& f = frozen_[static_cast<size_t>(lane)];
    auto column = [&](const Lanes8& values) {
        std::vector<double> out(values.size());
        for (size_t j = 0; j < values.size(); ++j) out[j] = Lane(values[j], lane);
        return out;
    };
    f.HiddenWeight = column(g.HiddenWeight);
    f.HiddenBias = column(g.HiddenBias);
    f.OutputWeight = column(g.OutputWeight);
    f.OutputBias = column(g.OutputBias);
    f.OutputError = column(g.OutputError);
    f.InMin = inMin_;
    f.InMax = inMax_;
    f.OutMin = outMin_;
    f.OutMax = outMax_;
    f.FirstInput = firstInput_;
    f.FirstOutput = firstOutput_;
    f.Done = true;
    ++done_;
}

bool TNNMLPBatch::Converged(int lane) const {
    return lane >= 0 && lane < lanes_ && frozen_[static_cast<size_t>(lane)].Done;
}

double TNNMLPBatch::OutputError(int lane, int output) const {
    if (lane < 0 || lane >= lanes_ || output < 0 || output >= outputs_) return 0;
    const Frozen& f = frozen_[static_cast<size_t>(lane)];
    if (f.Done) return f.OutputError[static_cast<size_t>(output)];
    return Lane(GroupOf(lane).OutputError[static_cast<size_t>(output)], lane);
}

void TNNMLPBatch::Export(int lane, TNNMLP& network) const {
    if (lane < 0 || lane >= lanes_ || network.Inputs != inputs_ || network.Hidden != hidden_ ||
        network.Outputs != outputs_)
        throw std::invalid_argument("TNNMLPBatch::Export: no such lane or a network of another shape");
    const auto I = static_cast<size_t>(inputs_);
    const auto H = static_cast<size_t>(hidden_);
    const auto O = static_cast<size_t>(outputs_);
    const Frozen& f = frozen_[static_cast<size_t>(lane)];
    const Group& g = GroupOf(lane);
    auto value = [&](const std::vector<double>& frozen, const Lanes8& live, size_t j) {
        return f.Done ? frozen[j] : Lane(live[j], lane);
    };
    for (size_t h = 0; h < H; ++h)
        for (size_t i = 0; i < I; ++i) {
            network.HiddenWeight[h][i] = value(f.HiddenWeight, g.HiddenWeight, h * I + i);
            network.HiddenBias[h][i] = value(f.HiddenBias, g.HiddenBias, h);
        }
    for (size_t o = 0; o < O; ++o) {
        for (size_t h = 0; h < H; ++h) {
            network.OutputWeight[o][h] = value(f.OutputWeight, g.OutputWeight, o * H + h);
            network.OutputBias[o][h] = value(f.OutputBias, g.OutputBias, o);
        }
        network.OutputError[o] = value(f.OutputError, g.OutputError, o);
    }
    network.InMin = f.Done ? f.InMin : inMin_;
    network.InMax = f.Done ? f.InMax : inMax_;
    network.OutMin = f.Done ? f.OutMin : outMin_;
    network.OutMax = f.Done ? f.OutMax : outMax_;
    network.FirstInput = f.Done ? f.FirstInput : firstInput_;
    network.FirstOutput = f.Done ? f.FirstOutput : firstOutput_;
    network.Converged = f.Done;
}
