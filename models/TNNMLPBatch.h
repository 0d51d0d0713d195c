#pragma once
// Many perceptrons of one shape trained at once on one pattern set.
//
// Each lane of the batch is a TNNMLP: the same starting weights, pattern
// order and learning settings give the same weights, outputs and errors bit
// for bit as TNNMLP::Train. The lanes' weights lie side by side, eight lanes
// to a vector of doubles, so that one vector instruction advances eight
// networks; the instruction set (AVX-512, AVX2 or plain x86-64) is chosen at
// run time and gives the same results on every path.
//
// What the lanes share: a network's scaling ranges depend only on the
// patterns it has seen and on its first flags, so lanes started together on
// one pattern set have the same ranges at every step, and the scaled inputs
// and targets of a pattern are computed once for all of them. The per-
// connection biases of TNNMLP all receive the same increments, so a row that
// starts with equal biases (as InitWeights leaves it) keeps them equal: the
// batch holds one bias per neuron.
//
// A lane whose epoch passes the convergence test is set aside exactly as it
// stands (its Converged is true, as Train leaves it) and is not trained
// again; the others go on.
//
// Threading: one batch is used by one thread at a time; the stop flag given
// to Train may be set from any thread and is read once per epoch. Several
// batches may train on different threads at once.
#include "NNMath.h"
#include "TNNMLP.h"

#include <atomic>
#include <cstddef>
#include <new>
#include <string>
#include <vector>

class TNNMLPBatch {
public:
    static constexpr int GroupLanes = 8;
    // Automatic: the widest instructions the processor has. AVX2: those of
    // AVX2 and FMA even where AVX-512 exists (where they do not, Portable).
    // Portable: what every x86-64 processor has. All give the same doubles.
    enum class Path { Automatic, AVX2, Portable };

    // Shape, activation, learning settings (LearningRate, Tolerance, Epochs,
    // GrowFactor, ShrinkFactor) and the pattern set are copied from
    // prototype. lanes (at least 1) is rounded up to whole vectors; the
    // extra lanes compute and are never read. Every lane starts from the
    // prototype's weights until SetStart gives it its own.
    TNNMLPBatch(const TNNMLP& prototype, int lanes, Path path = Path::Automatic);

    int Lanes() const { return lanes_; }
    // The instruction set Train uses: "AVX-512", "AVX2" or "x86-64".
    std::string InstructionSet() const;

    // Lane `lane` starts from start's weights with empty ranges, as after
    // start.InitWeights(). False (and nothing changes) when a row of start's
    // biases holds different values, which InitWeights never leaves.
    //
    // Once the batch has trained, a lane may be started again (a finished
    // network making room for the next) only when CanRestart: the lane's
    // next Train call is then its first, while the other lanes go on.
    bool SetStart(int lane, const TNNMLP& start);
    // Whether SetStart may restart a lane of a batch that has trained. It
    // may once the shared ranges have settled: the second epoch of the
    // batch's training changed no range, so every later epoch of every lane
    // sees the ranges the first epoch left, and a restarted lane's first
    // epoch can replay the scaled patterns that epoch produced.
    bool CanRestart() const { return settled_; }

    // One TNNMLP::Train call for every lane that has not converged.
    void Train(const std::atomic<bool>* stop = nullptr);

    bool Converged(int lane) const;
    bool AllConverged() const { return done_ == lanes_; }
    double OutputError(int lane, int output = 0) const;

    // A lane's network as it stands: weights, one bias per neuron, the last
    // output errors, ranges, first flags and whether it converged.
    struct LaneState {
        bool Done = false;
        std::vector<double> HiddenWeight, HiddenBias, OutputWeight, OutputBias, OutputError;
        std::vector<double> InMin, InMax, OutMin, OutMax;
        bool FirstInput = true;
        bool FirstOutput = true;
    };
    LaneState Capture(int lane) const;
    // Writes lane's weights, biases, ranges, first flags, OutputError and
    // Converged into network, which must have the batch's shape; its
    // settings and patterns are left as they are.
    void Export(int lane, TNNMLP& network) const;
    // The same from a captured state (of a batch of network's shape).
    static void Export(const LaneState& state, TNNMLP& network);

private:
    using Vec8 = NNMath::Vec8;
    // Storage on 64-byte boundaries, which the vector instructions assume
    // (a template argument does not carry the vector type's alignment).
    template <class T> struct Aligned64 {
        using value_type = T;
        Aligned64() = default;
        template <class U> Aligned64(const Aligned64<U>&) {}
        T* allocate(std::size_t n) {
            return static_cast<T*>(::operator new (n * sizeof(T), std::align_val_t{64}));
        }
        void deallocate(T* p, std::size_t) { ::operator delete (p, std::align_val_t{64}); }
        friend bool operator==(const Aligned64&, const Aligned64&) { return true; }
    };
    using Lanes8 = std::vector<Vec8, Aligned64<Vec8>>;
    // The state of eight lanes.
    struct Group {
        Lanes8 HiddenWeight; // [Hidden][Inputs]
        Lanes8 HiddenBias;   // [Hidden]
        Lanes8 OutputWeight; // [Outputs][Hidden]
        Lanes8 OutputBias;   // [Outputs]
        Lanes8 OutputError;  // [Outputs], of the last pattern
    };
    using Masks8 = std::vector<NNMath::Vec8Bits, Aligned64<NNMath::Vec8Bits>>;
    // A converged lane as it stood when it passed.
    using Frozen = LaneState;

    // The training loop, compiled once per instruction set (TNNMLPBatch.cpp).
    struct Kernel;
    friend struct Kernel;

    void Freeze(int lane);
    LaneState Live(int lane) const;
    void ClearFresh();
    double Lane(const Vec8& v, int lane) const { return v[lane % GroupLanes]; }
    const Group& GroupOf(int lane) const { return groups_[static_cast<size_t>(lane / GroupLanes)]; }

    int inputs_ = 0;
    int hidden_ = 0;
    int outputs_ = 0;
    int lanes_ = 0;
    std::uint8_t activation_ = 0;
    double learningRate_ = 0;
    double tolerance_ = 0;
    int epochs_ = 1;
    double growFactor_ = 4.0;
    double shrinkFactor_ = 0.5;
    enum class Isa { AVX512, AVX2, Portable } isa_ = Isa::Portable;

    int patternCount_ = 0;
    std::vector<std::vector<double>> patternIn_;
    std::vector<std::vector<double>> patternOut_;
    std::vector<std::vector<int>> visitOrder_;

    // Shared by every lane still training.
    std::vector<double> inMin_, inMax_, outMin_, outMax_;
    bool firstInput_ = true;
    bool firstOutput_ = true;
    std::vector<double> scaledInput_, scaledTarget_;

    std::vector<Group> groups_;
    std::vector<Frozen> frozen_;
    int done_ = 0;

    // Restarts. epochsRun_ counts the batch's epochs; the first one's scaled
    // inputs and targets are kept by visit position (freshInput_,
    // freshTarget_, and whether it was quiet), and once settled_ the scaled
    // patterns of the settled ranges by pattern (settledInput_,
    // settledTarget_). fresh_ marks the lanes whose next call is their first
    // (freshMask_: the same per vector, all bits set for such a lane).
    long long epochsRun_ = 0;
    bool settled_ = false;
    bool freshQuiet_ = true;
    std::vector<double> freshInput_, freshTarget_;
    std::vector<double> settledInput_, settledTarget_;
    std::vector<char> fresh_;
    int freshCount_ = 0;
    Masks8 freshMask_;
};
