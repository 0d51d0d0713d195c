#pragma once
// Three-layer perceptron (inputs, one hidden layer, outputs) trained on-line by
// error backpropagation with a fixed learning rate and no momentum.
//
// The network scales its own data: every input and output has a range
// [min, max] learnt from the training patterns (see UpdateRange), inputs are
// mapped into [0, 1] or [-1, 1] and outputs are read back into raw units, so
// callers hand over and read back raw values.
//
// The network computes in double precision, every intermediate result
// rounded to double: each neuron sums a handful of terms, so carrying the sums
// in extended precision would change only the last bits of values that are
// stored as doubles anyway, at twice the cost of a training step.
//
// Threading: one network is used by one thread at a time. Train may run on a
// worker thread; another thread may end a training loop early either by
// setting Converged (as a stop button does) or through the stop flag passed to
// Train, which is read once per epoch.
#include <atomic>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

class TNNMLP {
public:
    struct LoadResult {
        bool Ok = false;
        std::string Error;
        explicit operator bool() const { return Ok; }
    };

    // Sizes below 1 are raised to 1. Reseeds the random generator from the
    // clock, allocates every array, runs SetPatternCount(1) and InitWeights.
    TNNMLP(int inputs, int hidden, int outputs);
    TNNMLP(const TNNMLP&) = delete;
    TNNMLP& operator=(const TNNMLP&) = delete;

    // Reseeds the generator, so that InitWeights gives reproducible weights.
    void Seed(std::uint64_t seed);
    // 64 bits from the generator, to seed further generators from this one.
    std::uint64_t NextSeed() { return Engine(); }

    // Resizes the training set; existing rows survive, new rows are zero.
    // The five visiting orders are rebuilt. Negative counts read as 0.
    void SetPatternCount(int count);
    // New random weights in [0.1, 0.9), zero biases, empty ranges, Converged
    // false, both first flags set.
    void InitWeights();
    // Runs up to Epochs epochs over the patterns and sets Converged. When
    // stop is given and becomes true, training ends after the current epoch
    // (Converged then tells whether that epoch passed).
    void Train(const std::atomic<bool>* stop = nullptr);
    // Scales Input, runs the forward pass and reads the result back into Output.
    void Compute();
    // Copies PatternIn[p] into Input; nothing when p is not a pattern index.
    void SelectPattern(int p);

    // The text form: sizes, activation kind, weights and biases, ranges, one
    // value per line (general format, 15 significant digits, a decimal point
    // under every locale so that a saved file loads anywhere; empty-range
    // bounds as "-INF"/"+INF"). Loading also takes the decimal commas of
    // files written before.
    std::vector<std::string> SaveToStrings() const;
    // Rebuilds the network from its text form. Everything is read and checked
    // before anything changes: on failure the network is left exactly as it
    // was and the result holds the reason. LearningRate, Tolerance, Epochs,
    // GrowFactor and ShrinkFactor are not part of the text and keep their
    // values; after a load PatternCount is 1 and Converged is false.
    LoadResult LoadFromStrings(const std::vector<std::string>& lines);

    // Sizes and settings.
    int Inputs = 0;
    int Hidden = 0;
    int Outputs = 0;
    int PatternCount = 0;
    double LearningRate = 0;
    int Epochs = 1;
    double Tolerance = 0.0001;
    double GrowFactor = 4.0;
    double ShrinkFactor = 0.5;
    // 0: logistic everywhere, data in [0, 1]; 1: scaled tanh everywhere, data
    // in [-1, 1]; 2: scaled tanh hidden layer, logistic output, inputs in
    // [-1, 1], outputs in [0, 1].
    std::uint8_t Activation = 0;
    std::atomic<bool> Converged{false};
    bool FirstInput = true;
    bool FirstOutput = true;

    // Weights: [Hidden][Inputs] and [Outputs][Hidden]; one bias per connection.
    std::vector<std::vector<double>> HiddenWeight;
    std::vector<std::vector<double>> HiddenBias;
    std::vector<std::vector<double>> OutputWeight;
    std::vector<std::vector<double>> OutputBias;

    // Working vectors.
    std::vector<double> Input;
    std::vector<double> ScaledInput;
    std::vector<double> HiddenSum;
    std::vector<double> HiddenOut;
    std::vector<double> HiddenError;
    std::vector<double> OutputSum;
    std::vector<double> OutputAct;
    std::vector<double> OutputError;
    std::vector<double> ScaledTarget;
    std::vector<double> Output;

    // Scaling ranges; minimum +infinity and maximum -infinity is empty.
    std::vector<double> InMin;
    std::vector<double> InMax;
    std::vector<double> OutMin;
    std::vector<double> OutMax;

    // Training set, filled by the caller: [PatternCount][Inputs] and
    // [PatternCount][Outputs].
    std::vector<std::vector<double>> PatternIn;
    std::vector<std::vector<double>> PatternOut;
    // [5][PatternCount]: the orders in which successive epochs visit patterns.
    std::vector<std::vector<int>> VisitOrder;

private:
    void Allocate(int inputs, int hidden, int outputs);
    void ClearRanges();
    double Random();
    void ComputeBody();
    void ComputeErrors();
    void UpdateWeights();
    void TrainBody(const std::atomic<bool>* stop);
    void ComputeFast();
    void ComputePlain();
    void TrainFast(const std::atomic<bool>* stop);
    void TrainPlain(const std::atomic<bool>* stop);

    std::mt19937_64 Engine;
};
