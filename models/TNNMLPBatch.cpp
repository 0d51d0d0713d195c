#include "TNNMLPBatch.h"

#include <algorithm>
#include <stdexcept>
#include <type_traits>

#include <limits>

using NNMath::Vec8;

// The training loop of TNNMLP::Train, with every per-network value held as
// eight lanes. The operations on each lane are those of TNNMLP::Compute,
// ComputeErrors and UpdateWeights in the same order, so each lane rounds as
// the scalar network does. Everything is inlined into the three entry points,
// each compiled for its instruction set; Kind is the activation (0, 1, 2) and
// FixedInputs/FixedHidden, when not 0, let the compiler unroll the usual
// 5-8-1 shape.
//
// Why G groups at once: one pattern's step is a long chain (the hidden sums,
// their activations, the output's sum and activation, the errors, the
// updates), and the next pattern needs its result. Advancing G groups of
// eight lanes in lock step (values of type Block<L, G>: Pack<Vec8, G>, or
// Pack<double, 8 G> where L is double) and the eight hidden activations of
// the fixed shape as one pack gives the processor independent work while
// each result is pending.
struct TNNMLPBatch::Kernel {
    // The activations of n hidden values in place, Chunk vectors at a time.
    template <bool Logistic, int Chunk, class V>
    [[gnu::always_inline]] static inline void ActivateAll(V* values, int n) {
        constexpr int G = sizeof(V::v) / sizeof(V::v[0]);
        using L = std::remove_cvref_t<decltype(values->v[0])>;
        using C = NNMath::Pack<L, Chunk>;
        static_assert(Chunk % G == 0);
        int h = 0;
        for (; h + Chunk / G <= n; h += Chunk / G) {
            C c;
            for (int j = 0; j < Chunk; ++j) c.v[j] = values[h + j / G].v[j % G];
            c = Logistic ? NNMath::Logistic(c) : NNMath::ScaledTanh(c);
            for (int j = 0; j < Chunk; ++j) values[h + j / G].v[j % G] = c.v[j];
        }
        for (; h < n; ++h) values[h] = Logistic ? NNMath::Logistic(values[h]) : NNMath::ScaledTanh(values[h]);
    }

    // Group l's eight lanes in a block of values of type L: Vec8 holds them
    // in one element, double in eight.
    template <class L, int N>
    [[gnu::always_inline]] static inline void Put(NNMath::Pack<L, N>& v, int l, const Vec8& x) {
        if constexpr (std::is_same_v<L, Vec8>) {
            v.v[l] = x;
        } else {
            for (int e = 0; e < GroupLanes; ++e) v.v[GroupLanes * l + e] = x[e];
        }
    }
    template <class L, int N>
    [[gnu::always_inline]] static inline Vec8 Get(const NNMath::Pack<L, N>& v, int l) {
        if constexpr (std::is_same_v<L, Vec8>) {
            return v.v[l];
        } else {
            Vec8 x;
            for (int e = 0; e < GroupLanes; ++e) x[e] = v.v[GroupLanes * l + e];
            return x;
        }
    }
    template <class L, int G> using Block = NNMath::Pack<L, G* int(sizeof(Vec8) / sizeof(L))>;

    // One pattern for groups g[0..G-1]: x and target are the scaled input
    // and target of every lane, scratch the working values of a shape that
    // is not fixed.
    template <int Kind, int FixedInputs, int FixedHidden, int G, class L>
    [[gnu::always_inline]] static inline void Step(TNNMLPBatch& b, Group* const* g, const Block<L, G>* x,
                                                   const Block<L, G>* target, Block<L, G>* scratch) {
        using V = Block<L, G>;
        constexpr int N = sizeof(V::v) / sizeof(V::v[0]);
        const int I = FixedInputs > 0 ? FixedInputs : b.inputs_;
        const int H = FixedHidden > 0 ? FixedHidden : b.hidden_;
        const int O = b.outputs_;
        constexpr bool logisticHidden = Kind == 0;
        constexpr bool tanhOutput = Kind == 1;
        const double rate = b.learningRate_;
        const auto load = [&](Lanes8 Group::*array, int j) __attribute__((always_inline)) {
            V v;
            for (int l = 0; l < G; ++l) Put(v, l, (g[l]->*array)[static_cast<size_t>(j)]);
            return v;
        };
        const auto store = [&](Lanes8 Group::*array, int j, const V& v) __attribute__((always_inline)) {
            for (int l = 0; l < G; ++l) (g[l]->*array)[static_cast<size_t>(j)] = Get(v, l);
        };
        constexpr int Local = FixedHidden > 0 ? FixedHidden : 1;
        V localSum[Local];
        V* sum = FixedHidden > 0 ? localSum : scratch;
        V* he = FixedHidden > 0 ? localSum : scratch; // the sums are dead once activated
        V* ho = scratch + (FixedHidden > 0 ? 0 : H);
        V* act = scratch + (FixedHidden > 0 ? 0 : 2 * H);
        V* oe = act + O;
        // Forward pass: each hidden sum input by input, one neuron after
        // another so that a neuron's sum stays in registers, then the
        // output sums.
        for (int h = 0; h < H; ++h) {
            V s{};
            const V bias = load(&Group::HiddenBias, h);
            for (int i = 0; i < I; ++i)
                s = NNMath::Fma(load(&Group::HiddenWeight, h * I + i), x[i], s) + bias;
            sum[h] = s;
        }
        V localOut[Local];
        if constexpr (FixedHidden > 0) {
            for (int h = 0; h < H; ++h) localOut[h] = sum[h];
            ho = localOut;
            ActivateAll<logisticHidden, FixedHidden * N <= 8 ? FixedHidden * N : (N > 8 ? N : 8)>(ho, H);
        } else {
            for (int h = 0; h < H; ++h) ho[h] = sum[h];
            ActivateAll<logisticHidden, N>(ho, H);
        }
        for (int o = 0; o < O; ++o) {
            V s{};
            const V bo = load(&Group::OutputBias, o);
            for (int h = 0; h < H; ++h) s = NNMath::Fma(load(&Group::OutputWeight, o * H + h), ho[h], s) + bo;
            act[o] = tanhOutput ? NNMath::ScaledTanh(s) : NNMath::Logistic(s);
        }
        // Errors.
        for (int o = 0; o < O; ++o) {
            const V y = act[o];
            const V d = tanhOutput ? NNMath::ScaledTanhDerivative(y) : NNMath::LogisticDerivative(y);
            oe[o] = (target[o] - y) * d;
            store(&Group::OutputError, o, oe[o]);
        }
        for (int h = 0; h < H; ++h) {
            const V y = ho[h];
            const V d = logisticHidden ? NNMath::LogisticDerivative(y) : NNMath::ScaledTanhDerivative(y);
            V s{};
            for (int o = 0; o < O; ++o) s = NNMath::Fma(oe[o] * load(&Group::OutputWeight, o * H + h), d, s);
            he[h] = s;
        }
        // Weight updates; every bias of a row gets the same step.
        for (int h = 0; h < H; ++h) {
            const V step = rate * he[h];
            for (int i = 0; i < I; ++i)
                store(&Group::HiddenWeight, h * I + i,
                      NNMath::Fma(step, x[i], load(&Group::HiddenWeight, h * I + i)));
            store(&Group::HiddenBias, h, load(&Group::HiddenBias, h) + step);
        }
        for (int o = 0; o < O; ++o) {
            const V step = rate * oe[o];
            for (int h = 0; h < H; ++h)
                store(&Group::OutputWeight, o * H + h,
                      NNMath::Fma(step, ho[h], load(&Group::OutputWeight, o * H + h)));
            store(&Group::OutputBias, o, load(&Group::OutputBias, o) + step);
        }
    }

    // The working vectors of G groups stepped together.
    template <int G, class L> struct Work {
        Work(size_t scratch, size_t feed) : Scratch(scratch), Feed(feed) {}
        std::vector<Block<L, G>> Scratch;
        std::vector<Block<L, G>> Feed;
    };

    // The scaled input and target of groups first..first+G-1 as vectors:
    // every lane gets x and target, except that with fresh inputs the lanes
    // in their first epoch get freshX and freshTarget.
    template <int G, class L>
    [[gnu::always_inline]] static inline void
    Feed(const TNNMLPBatch& b, size_t first, int inputs, int outputs, const double* x, const double* target,
         const double* freshX, const double* freshTarget, Block<L, G>* xv, Block<L, G>* tv) {
        for (int l = 0; l < G; ++l) {
            const size_t group = first + static_cast<size_t>(l);
            for (int i = 0; i < inputs; ++i) {
                Vec8 v = Vec8{} + x[i];
                if (freshX != nullptr) v = NNMath::Select(b.freshMask_[group], Vec8{} + freshX[i], v);
                Put(xv[i], l, v);
            }
            for (int o = 0; o < outputs; ++o) {
                Vec8 v = Vec8{} + target[o];
                if (freshTarget != nullptr)
                    v = NNMath::Select(b.freshMask_[group], Vec8{} + freshTarget[o], v);
                Put(tv[o], l, v);
            }
        }
    }

    template <int Kind, int FixedInputs, int FixedHidden, class L>
    [[gnu::always_inline]] static inline void Run(TNNMLPBatch& b, const std::atomic<bool>* stop) {
        const int I = FixedInputs > 0 ? FixedInputs : b.inputs_;
        const int O = b.outputs_;
        // Groups in lock step where the shape is fixed and the lanes are
        // vectors: four at a time, then a pair, then one (otherwise one at a
        // time).
        constexpr int G = FixedHidden > 0 && std::is_same_v<L, Vec8> ? 4 : 1;
        const double tolerance = b.tolerance_;
        const auto scratchSize = static_cast<size_t>(2 * b.hidden_ + 2 * O);
        const auto feedSize = static_cast<size_t>(I + O);
        Work<G, L> work(scratchSize, feedSize);
        Work<2, L> workPair(G > 2 ? scratchSize : 0, G > 2 ? feedSize : 0); // used only after blocks of four
        Work<1, L> workOne(scratchSize, feedSize);
        const size_t groups = b.groups_.size();
        const auto II = static_cast<size_t>(I);
        const auto OO = static_cast<size_t>(O);
        int order = 0;
        for (int epoch = 0; epoch < b.epochs_; ++epoch) {
            bool quiet = true;
            // Restarted lanes replay the batch's first epoch in this call's first.
            const bool mixed = epoch == 0 && b.freshCount_ > 0;
            const bool settled = b.settled_;
            const bool recording = b.epochsRun_ == 0;
            if (recording) {
                b.freshInput_.assign(static_cast<size_t>(b.patternCount_) * II, 0.0);
                b.freshTarget_.assign(static_cast<size_t>(b.patternCount_) * OO, 0.0);
            }
            const std::vector<int>& visit = b.visitOrder_[static_cast<size_t>(order)];
            for (int k = 0; k < b.patternCount_; ++k) {
                const auto p = static_cast<size_t>(visit[static_cast<size_t>(k)]);
                const auto kk = static_cast<size_t>(k);
                const double* x = nullptr;
                const double* target = nullptr;
                if (settled) {
                    // The ranges are a fixed point: no range moves, the epoch is quiet.
                    x = &b.settledInput_[p * II];
                    target = &b.settledTarget_[p * OO];
                } else {
                    Ranges<Kind>(b, p, quiet);
                    x = b.scaledInput_.data();
                    target = b.scaledTarget_.data();
                    if (recording) {
                        std::copy(x, x + I, b.freshInput_.begin() + static_cast<std::ptrdiff_t>(kk * II));
                        std::copy(target, target + O,
                                  b.freshTarget_.begin() + static_cast<std::ptrdiff_t>(kk * OO));
                    }
                }
                const double* freshX = mixed ? &b.freshInput_[kk * II] : nullptr;
                const double* freshTarget = mixed ? &b.freshTarget_[kk * OO] : nullptr;
                size_t first = 0;
                const auto advance = [&]<int N>(Work<N, L> & w) __attribute__((always_inline)) {
                    Group* g[N];
                    for (int l = 0; l < N; ++l) g[l] = &b.groups_[first + static_cast<size_t>(l)];
                    Feed<N, L>(b, first, I, O, x, target, freshX, freshTarget, w.Feed.data(),
                               w.Feed.data() + I);
                    Step<Kind, FixedInputs, FixedHidden, N, L>(b, g, w.Feed.data(), w.Feed.data() + I,
                                                               w.Scratch.data());
                    first += N;
                };
                while (first + G <= groups) advance(work);
                if constexpr (G > 2)
                    if (first + 2 <= groups) advance(workPair);
                if constexpr (G > 1)
                    while (first < groups) advance(workOne);
            }
            if (recording) b.freshQuiet_ = quiet;
            if (b.epochsRun_ == 1 && !settled && quiet) Settle<Kind>(b);
            ++b.epochsRun_;
            for (int lane = 0; lane < b.lanes_; ++lane) {
                if (b.frozen_[static_cast<size_t>(lane)].Done) continue;
                const bool laneQuiet = mixed && b.fresh_[static_cast<size_t>(lane)] ? b.freshQuiet_ : quiet;
                if (!laneQuiet) continue;
                const Group& g = b.GroupOf(lane);
                bool passed = true;
                for (int o = 0; o < O; ++o) {
                    const double error = b.Lane(g.OutputError[static_cast<size_t>(o)], lane);
                    if (!(-tolerance <= error && error <= tolerance)) passed = false;
                }
                if (passed) b.Freeze(lane);
            }
            if (mixed) b.ClearFresh();
            order = order == 4 ? 0 : order + 1;
            if (b.done_ == b.lanes_) break;
            if (stop != nullptr && stop->load(std::memory_order_relaxed)) break;
        }
    }

    // The range updates of pattern p and its scaled input and target, into
    // scaledInput_ and scaledTarget_; quiet is cleared when a range moves.
    template <int Kind>
    [[gnu::always_inline]] static inline void Ranges(TNNMLPBatch& b, size_t p, bool& quiet) {
        constexpr bool tanhOutput = Kind == 1;
        const int I = b.inputs_;
        const int O = b.outputs_;
        const std::vector<double>& in = b.patternIn_[p];
        for (int i = 0; i < I; ++i) {
            const auto ii = static_cast<size_t>(i);
            if (NNMath::UpdateRange(in[ii], b.firstInput_, b.inMin_[ii], b.inMax_[ii], false, b.growFactor_,
                                    b.shrinkFactor_))
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
    }

    // The second epoch moved no range: the ranges are a fixed point of the
    // updates, so every pattern's scaled input and target are final.
    template <int Kind> static void Settle(TNNMLPBatch& b) {
        const auto I = static_cast<size_t>(b.inputs_);
        const auto O = static_cast<size_t>(b.outputs_);
        b.settledInput_.assign(static_cast<size_t>(b.patternCount_) * I, 0.0);
        b.settledTarget_.assign(static_cast<size_t>(b.patternCount_) * O, 0.0);
        for (size_t p = 0; p < static_cast<size_t>(b.patternCount_); ++p) {
            bool quiet = true;
            Ranges<Kind>(b, p, quiet);
            std::copy(b.scaledInput_.begin(), b.scaledInput_.end(),
                      b.settledInput_.begin() + static_cast<std::ptrdiff_t>(p * I));
            std::copy(b.scaledTarget_.begin(), b.scaledTarget_.end(),
                      b.settledTarget_.begin() + static_cast<std::ptrdiff_t>(p * O));
        }
        b.settled_ = true;
    }

    template <int FixedInputs, int FixedHidden, class L>
    [[gnu::always_inline]] static inline void RunKind(TNNMLPBatch& b, const std::atomic<bool>* stop) {
        switch (b.activation_) {
        case 0:
            Run<0, FixedInputs, FixedHidden, L>(b, stop);
            break;
        case 1:
            Run<1, FixedInputs, FixedHidden, L>(b, stop);
            break;
        default:
            Run<2, FixedInputs, FixedHidden, L>(b, stop);
            break;
        }
    }

    template <class L>
    [[gnu::always_inline]] static inline void RunAny(TNNMLPBatch& b, const std::atomic<bool>* stop) {
        if (b.inputs_ == 5 && b.hidden_ == 8)
            RunKind<5, 8, L>(b, stop);
        else
            RunKind<0, 0, L>(b, stop);
    }

    [[gnu::target("avx512f")]] static void RunAVX512(TNNMLPBatch& b, const std::atomic<bool>* stop) {
        RunAny<Vec8>(b, stop);
    }
    // Without AVX-512 the compiler splits eight-double vectors poorly, so the
    // AVX2 kernel holds a group's lanes as eight separate doubles: eight
    // independent chains, which it runs side by side and packs into 256-bit
    // registers where it can.
    [[gnu::target("avx2,fma")]] static void RunAVX2(TNNMLPBatch& b, const std::atomic<bool>* stop) {
        RunAny<double>(b, stop);
    }
    static void RunPortable(TNNMLPBatch& b, const std::atomic<bool>* stop) { RunAny<Vec8>(b, stop); }
};

TNNMLPBatch::TNNMLPBatch(const TNNMLP& prototype, int lanes, Path path)
    : inputs_(prototype.Inputs), hidden_(prototype.Hidden), outputs_(prototype.Outputs),
      lanes_(std::max(1, lanes)), activation_(prototype.Activation), learningRate_(prototype.LearningRate),
      tolerance_(prototype.Tolerance), epochs_(prototype.Epochs), growFactor_(prototype.GrowFactor),
      shrinkFactor_(prototype.ShrinkFactor), patternCount_(prototype.PatternCount),
      patternIn_(prototype.PatternIn), patternOut_(prototype.PatternOut), visitOrder_(prototype.VisitOrder) {
    if (path != Path::Portable) {
        __builtin_cpu_init();
        if (path == Path::Automatic && __builtin_cpu_supports("avx512f"))
            isa_ = Isa::AVX512;
        else if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
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
        g.OutputError.assign(O, Vec8{});
    }
    frozen_.resize(static_cast<size_t>(lanes_));
    fresh_.assign(static_cast<size_t>(lanes_), 0);
    freshMask_.assign(groups_.size(), NNMath::Vec8Bits{});
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
    case Isa::AVX512:
        return "AVX-512";
    case Isa::AVX2:
        return "AVX2";
    default:
        return "x86-64";
    }
}

bool TNNMLPBatch::SetStart(int lane, const TNNMLP& start) {
    if (lane < 0 || lane >= lanes_ || start.Inputs != inputs_ || start.Hidden != hidden_ ||
        start.Outputs != outputs_ || (epochsRun_ > 0 && !settled_))
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
        g.OutputError[o][l] = start.OutputError[o];
    }
    Frozen& f = frozen_[static_cast<size_t>(lane)];
    if (f.Done) --done_;
    f = Frozen{};
    if (epochsRun_ > 0 && !fresh_[static_cast<size_t>(lane)]) {
        fresh_[static_cast<size_t>(lane)] = 1;
        ++freshCount_;
        freshMask_[static_cast<size_t>(lane / GroupLanes)][lane % GroupLanes] = -1;
    }
    return true;
}

void TNNMLPBatch::ClearFresh() {
    std::fill(fresh_.begin(), fresh_.end(), 0);
    std::fill(freshMask_.begin(), freshMask_.end(), NNMath::Vec8Bits{});
    freshCount_ = 0;
}

void TNNMLPBatch::Train(const std::atomic<bool>* stop) {
    if (done_ == lanes_) return;
    switch (isa_) {
    case Isa::AVX512:
        Kernel::RunAVX512(*this, stop);
        break;
    case Isa::AVX2:
        Kernel::RunAVX2(*this, stop);
        break;
    default:
        Kernel::RunPortable(*this, stop);
        break;
    }
}

void TNNMLPBatch::Freeze(int lane) {
    Frozen& f = frozen_[static_cast<size_t>(lane)];
    f = Live(lane);
    f.Done = true;
    ++done_;
}

TNNMLPBatch::LaneState TNNMLPBatch::Live(int lane) const {
    const Group& g = GroupOf(lane);
    LaneState f;
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
    // A lane restarted since the last call has not begun its first epoch:
    // its ranges are still empty.
    if (fresh_[static_cast<size_t>(lane)]) {
        constexpr double Infinity = std::numeric_limits<double>::infinity();
        f.InMin.assign(inMin_.size(), Infinity);
        f.InMax.assign(inMax_.size(), -Infinity);
        f.OutMin.assign(outMin_.size(), Infinity);
        f.OutMax.assign(outMax_.size(), -Infinity);
        return f;
    }
    f.InMin = inMin_;
    f.InMax = inMax_;
    f.OutMin = outMin_;
    f.OutMax = outMax_;
    f.FirstInput = firstInput_;
    f.FirstOutput = firstOutput_;
    return f;
}

TNNMLPBatch::LaneState TNNMLPBatch::Capture(int lane) const {
    if (lane < 0 || lane >= lanes_) throw std::invalid_argument("TNNMLPBatch::Capture: no such lane");
    const Frozen& f = frozen_[static_cast<size_t>(lane)];
    return f.Done ? f : Live(lane);
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
    Export(Capture(lane), network);
}

void TNNMLPBatch::Export(const LaneState& f, TNNMLP& network) {
    const auto I = static_cast<size_t>(network.Inputs);
    const auto H = static_cast<size_t>(network.Hidden);
    const auto O = static_cast<size_t>(network.Outputs);
    if (f.HiddenWeight.size() != H * I || f.OutputWeight.size() != O * H || f.InMin.size() != I ||
        f.OutMin.size() != O)
        throw std::invalid_argument("TNNMLPBatch::Export: a state of another shape");
    for (size_t h = 0; h < H; ++h)
        for (size_t i = 0; i < I; ++i) {
            network.HiddenWeight[h][i] = f.HiddenWeight[h * I + i];
            network.HiddenBias[h][i] = f.HiddenBias[h];
        }
    for (size_t o = 0; o < O; ++o) {
        for (size_t h = 0; h < H; ++h) {
            network.OutputWeight[o][h] = f.OutputWeight[o * H + h];
            network.OutputBias[o][h] = f.OutputBias[o];
        }
        network.OutputError[o] = f.OutputError[o];
    }
    network.InMin = f.InMin;
    network.InMax = f.InMax;
    network.OutMin = f.OutMin;
    network.OutMax = f.OutMax;
    network.FirstInput = f.FirstInput;
    network.FirstOutput = f.FirstOutput;
    network.Converged = f.Done;
}
