#include "TNNMLP.h"

#include "NNMath.h"
#include "NumberText.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();

using NNMath::Logistic;
using NNMath::LogisticDerivative;
using NNMath::ScaledTanh;
using NNMath::ScaledTanhDerivative;

using NNMath::ScaleInto;

std::string Trimmed(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin &&
           (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r' || text[end - 1] == '\n'))
        --end;
    return text.substr(begin, end - begin);
}

std::string BoundText(double value, bool minimum) {
    if (std::isinf(value)) return minimum ? "-INF" : "+INF";
    return NumberText::FormatGeneralInvariant(value, 15);
}

} // namespace

TNNMLP::TNNMLP(int inputs, int hidden, int outputs) {
    Engine.seed(
        static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    Allocate(inputs, hidden, outputs);
    LearningRate = Inputs == 1 ? 0.9 : 1.0 / (static_cast<double>(Inputs) * Inputs);
    SetPatternCount(1);
    InitWeights();
}

void TNNMLP::Seed(std::uint64_t seed) {
    Engine.seed(seed);
}

double TNNMLP::Random() {
    // 53 random bits: uniform in [0, 1), never 1.
    return static_cast<double>(Engine() >> 11) * 0x1.0p-53;
}

void TNNMLP::Allocate(int inputs, int hidden, int outputs) {
    Inputs = inputs < 1 ? 1 : inputs;
    Hidden = hidden < 1 ? 1 : hidden;
    Outputs = outputs < 1 ? 1 : outputs;
    const auto I = static_cast<size_t>(Inputs);
    const auto H = static_cast<size_t>(Hidden);
    const auto O = static_cast<size_t>(Outputs);
    HiddenWeight.assign(H, std::vector<double>(I, 0.0));
    HiddenBias.assign(H, std::vector<double>(I, 0.0));
    OutputWeight.assign(O, std::vector<double>(H, 0.0));
    OutputBias.assign(O, std::vector<double>(H, 0.0));
    Input.assign(I, 0.0);
    ScaledInput.assign(I, 0.0);
    HiddenSum.assign(H, 0.0);
    HiddenOut.assign(H, 0.0);
    HiddenError.assign(H, 0.0);
    OutputSum.assign(O, 0.0);
    OutputAct.assign(O, 0.0);
    OutputError.assign(O, 0.0);
    ScaledTarget.assign(O, 0.0);
    Output.assign(O, 0.0);
    InMin.assign(I, Infinity);
    InMax.assign(I, -Infinity);
    OutMin.assign(O, Infinity);
    OutMax.assign(O, -Infinity);
    // Rows of the old sizes cannot survive a change of size.
    PatternIn.clear();
    PatternOut.clear();
    PatternCount = 0;
}

void TNNMLP::SetPatternCount(int count) {
    if (count < 0) count = 0;
    const auto n = static_cast<size_t>(count);
    PatternIn.resize(n, std::vector<double>(static_cast<size_t>(Inputs), 0.0));
    PatternOut.resize(n, std::vector<double>(static_cast<size_t>(Outputs), 0.0));
    PatternCount = count;

    VisitOrder.assign(5, std::vector<int>(n, 0));
    int k = 0;
    for (int p = 0; p < count; ++p) VisitOrder[0][static_cast<size_t>(p)] = p;
    k = 0;
    for (int p = 0; p < count; p += 2) VisitOrder[1][static_cast<size_t>(k++)] = p;
    for (int p = 1; p < count; p += 2) VisitOrder[1][static_cast<size_t>(k++)] = p;
    for (int p = 0; p < count; ++p) VisitOrder[2][static_cast<size_t>(p)] = count - 1 - p;
    k = 0;
    for (int p = 1; p < count; p += 2) VisitOrder[3][static_cast<size_t>(k++)] = p;
    for (int p = 0; p < count; p += 2) VisitOrder[3][static_cast<size_t>(k++)] = p;
    for (int p = 0; p < count; ++p)
        VisitOrder[4][static_cast<size_t>(p)] = p % 2 == 0 ? p / 2 : count - 1 - (p - 1) / 2;
}

void TNNMLP::ClearRanges() {
    std::fill(InMin.begin(), InMin.end(), Infinity);
    std::fill(InMax.begin(), InMax.end(), -Infinity);
    std::fill(OutMin.begin(), OutMin.end(), Infinity);
    std::fill(OutMax.begin(), OutMax.end(), -Infinity);
}

void TNNMLP::InitWeights() {
    Converged = false;
    FirstInput = true;
    FirstOutput = true;
    for (int h = 0; h < Hidden; ++h)
        for (int i = 0; i < Inputs; ++i) {
            HiddenWeight[static_cast<size_t>(h)][static_cast<size_t>(i)] = Random() * 0.8 + 0.1;
            HiddenBias[static_cast<size_t>(h)][static_cast<size_t>(i)] = 0.0;
        }
    for (int o = 0; o < Outputs; ++o)
        for (int h = 0; h < Hidden; ++h) {
            OutputWeight[static_cast<size_t>(o)][static_cast<size_t>(h)] = Random() * 0.8 + 0.1;
            OutputBias[static_cast<size_t>(o)][static_cast<size_t>(h)] = 0.0;
        }
    ClearRanges();
}

[[gnu::always_inline]] inline void TNNMLP::ComputeBody() {
    for (size_t i = 0; i < Input.size(); ++i) {
        double v = ScaleInto(Input[i], InMin[i], InMax[i]);
        if (Activation != 0) v = 2.0 * v - 1.0;
        ScaledInput[i] = v;
    }
    const bool logisticHidden = Activation == 0;
    const bool tanhOutput = Activation == 1;
    // Each hidden sum is accumulated input by input: weight x input fused
    // into the sum (one rounding), then the bias added. The loops run input-major so that the independent
    // sums of the hidden neurons proceed side by side instead of one long chain; the operations on each sum,
    // and so its value, are the same.
    std::fill(HiddenSum.begin(), HiddenSum.end(), 0.0);
    const size_t hiddenCount = HiddenSum.size();
    double* sums = HiddenSum.data();
    for (size_t i = 0; i < ScaledInput.size(); ++i) {
        const double x = ScaledInput[i];
        for (size_t h = 0; h < hiddenCount; ++h)
            sums[h] = NNMath::Fma(HiddenWeight[h][i], x, sums[h]) + HiddenBias[h][i];
    }
    for (size_t h = 0; h < hiddenCount; ++h)
        HiddenOut[h] = logisticHidden ? Logistic(sums[h]) : ScaledTanh(sums[h]);
    const size_t hidden = HiddenOut.size();
    for (size_t o = 0; o < OutputSum.size(); ++o) {
        const double* weight = OutputWeight[o].data();
        const double* bias = OutputBias[o].data();
        double sum = 0.0;
        for (size_t h = 0; h < hidden; ++h) sum = NNMath::Fma(weight[h], HiddenOut[h], sum) + bias[h];
        OutputSum[o] = sum;
        OutputAct[o] = tanhOutput ? ScaledTanh(sum) : Logistic(sum);
        double y = OutputAct[o];
        if (tanhOutput) y = (y + 1.0) / 2.0;
        const double width = OutMax[o] - OutMin[o];
        if (std::isfinite(width))
            Output[o] = OutMin[o] + y * width;
        else
            Output[o] = 0.0; // nothing learnt yet: no scale to read back into
    }
}

[[gnu::always_inline]] inline void TNNMLP::ComputeErrors() {
    const bool tanhOutput = Activation == 1;
    const bool logisticHidden = Activation == 0;
    for (size_t o = 0; o < OutputError.size(); ++o) {
        const double y = OutputAct[o];
        const double derivative = tanhOutput ? ScaledTanhDerivative(y) : LogisticDerivative(y);
        OutputError[o] = (ScaledTarget[o] - y) * derivative;
    }
    for (size_t h = 0; h < HiddenError.size(); ++h) {
        const double y = HiddenOut[h];
        const double derivative = logisticHidden ? LogisticDerivative(y) : ScaledTanhDerivative(y);
        double sum = 0.0;
        for (size_t o = 0; o < OutputError.size(); ++o)
            sum = NNMath::Fma(OutputError[o] * OutputWeight[o][h], derivative, sum);
        HiddenError[h] = sum;
    }
}

[[gnu::always_inline]] inline void TNNMLP::UpdateWeights() {
    const size_t inputs = ScaledInput.size();
    for (size_t h = 0; h < HiddenError.size(); ++h) {
        const double step = LearningRate * HiddenError[h];
        double* weight = HiddenWeight[h].data();
        double* bias = HiddenBias[h].data();
        for (size_t i = 0; i < inputs; ++i) {
            weight[i] = NNMath::Fma(step, ScaledInput[i], weight[i]);
            bias[i] += step;
        }
    }
    const size_t hidden = HiddenOut.size();
    for (size_t o = 0; o < OutputError.size(); ++o) {
        const double step = LearningRate * OutputError[o];
        double* weight = OutputWeight[o].data();
        double* bias = OutputBias[o].data();
        for (size_t h = 0; h < hidden; ++h) {
            weight[h] = NNMath::Fma(step, HiddenOut[h], weight[h]);
            bias[h] += step;
        }
    }
}

[[gnu::always_inline]] inline void TNNMLP::TrainBody(const std::atomic<bool>* stop) {
    const bool tanhOutput = Activation == 1;
    int order = 0;
    bool passed = false;
    for (int epoch = 0; epoch < Epochs; ++epoch) {
        bool quiet = true;
        const std::vector<int>& visit = VisitOrder[static_cast<size_t>(order)];
        for (int k = 0; k < PatternCount; ++k) {
            const auto p = static_cast<size_t>(visit[static_cast<size_t>(k)]);
            const std::vector<double>& in = PatternIn[p];
            for (size_t i = 0; i < Input.size(); ++i) {
                if (NNMath::UpdateRange(in[i], FirstInput, InMin[i], InMax[i], false, GrowFactor,
                                        ShrinkFactor))
                    quiet = false;
                Input[i] = in[i];
            }
            const std::vector<double>& out = PatternOut[p];
            for (size_t o = 0; o < ScaledTarget.size(); ++o) {
                if (NNMath::UpdateRange(out[o], FirstOutput, OutMin[o], OutMax[o], true, GrowFactor,
                                        ShrinkFactor))
                    quiet = false;
                double target = ScaleInto(out[o], OutMin[o], OutMax[o]);
                if (tanhOutput) target = 2.0 * target - 1.0;
                ScaledTarget[o] = target;
            }
            ComputeBody();
            ComputeErrors();
            UpdateWeights();
        }
        passed = false;
        if (quiet) {
            passed = true;
            for (const double error : OutputError)
                if (!(-Tolerance <= error && error <= Tolerance)) {
                    passed = false;
                    break;
                }
        }
        if (passed) break;
        order = order == 4 ? 0 : order + 1;
        if (stop != nullptr && stop->load(std::memory_order_relaxed)) break;
    }
    Converged = passed;
}

// Compute and Train are written once and compiled twice: for processors with
// AVX2 and fused multiply-add, where NNMath::Fma is one instruction, and for
// any x86-64, where it is the C library's fma. Both give the same doubles.
namespace {
bool HasFma() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    }();
    return has;
}
} // namespace

void TNNMLP::Compute() {
    if (HasFma())
        ComputeFast();
    else
        ComputePlain();
}

[[gnu::target("avx2,fma")]] void TNNMLP::ComputeFast() {
    ComputeBody();
}

void TNNMLP::ComputePlain() {
    ComputeBody();
}

void TNNMLP::Train(const std::atomic<bool>* stop) {
    if (HasFma())
        TrainFast(stop);
    else
        TrainPlain(stop);
}

[[gnu::target("avx2,fma")]] void TNNMLP::TrainFast(const std::atomic<bool>* stop) {
    TrainBody(stop);
}

void TNNMLP::TrainPlain(const std::atomic<bool>* stop) {
    TrainBody(stop);
}

void TNNMLP::SelectPattern(int p) {
    if (p < 0 || p >= PatternCount) return;
    Input = PatternIn[static_cast<size_t>(p)];
}

std::vector<std::string> TNNMLP::SaveToStrings() const {
    std::vector<std::string> lines;
    lines.reserve(4 + 2 * static_cast<size_t>(Hidden) * static_cast<size_t>(Inputs + Outputs) +
                  2 * static_cast<size_t>(Inputs + Outputs));
    lines.push_back(NumberText::FormatInt(Inputs));
    lines.push_back(NumberText::FormatInt(Hidden));
    lines.push_back(NumberText::FormatInt(Outputs));
    lines.push_back(NumberText::FormatInt(Activation));
    for (int h = 0; h < Hidden; ++h)
        for (int i = 0; i < Inputs; ++i) {
            lines.push_back(
                NumberText::FormatGeneralInvariant(HiddenWeight[static_cast<size_t>(h)][static_cast<size_t>(i)]));
            lines.push_back(
                NumberText::FormatGeneralInvariant(HiddenBias[static_cast<size_t>(h)][static_cast<size_t>(i)]));
        }
    for (int o = 0; o < Outputs; ++o)
        for (int h = 0; h < Hidden; ++h) {
            lines.push_back(
                NumberText::FormatGeneralInvariant(OutputWeight[static_cast<size_t>(o)][static_cast<size_t>(h)]));
            lines.push_back(
                NumberText::FormatGeneralInvariant(OutputBias[static_cast<size_t>(o)][static_cast<size_t>(h)]));
        }
    for (int i = 0; i < Inputs; ++i) {
        lines.push_back(BoundText(InMin[static_cast<size_t>(i)], true));
        lines.push_back(BoundText(InMax[static_cast<size_t>(i)], false));
    }
    for (int o = 0; o < Outputs; ++o) {
        lines.push_back(BoundText(OutMin[static_cast<size_t>(o)], true));
        lines.push_back(BoundText(OutMax[static_cast<size_t>(o)], false));
    }
    return lines;
}

TNNMLP::LoadResult TNNMLP::LoadFromStrings(const std::vector<std::string>& lines) {
    LoadResult result;
    if (lines.size() <= 3) {
        result.Error = "The network text is too short: " + std::to_string(lines.size()) +
                       " lines, at least 4 are needed";
        return result;
    }

    // Sizes. Each must be at least 1, and since the text holds at least two
    // lines per size unit, no size can exceed the number of lines present:
    // an absurd header fails here, before anything is allocated.
    int sizes[3] = {0, 0, 0};
    const char* names[3] = {"inputs", "hidden neurons", "outputs"};
    const long long available = static_cast<long long>(lines.size());
    for (int k = 0; k < 3; ++k) {
        const std::string text = Trimmed(lines[static_cast<size_t>(k)]);
        if (!NumberText::TryParseInt(text, sizes[k])) {
            result.Error = NumberText::InvalidIntegerMessage(text);
            return result;
        }
        if (sizes[k] < 1) {
            result.Error = "Line " + std::to_string(k + 1) + ": the number of " + names[k] + " (" + text +
                           ") must be at least 1";
            return result;
        }
        if (sizes[k] > available) {
            result.Error = "Line " + std::to_string(k + 1) + ": " + text + " " + names[k] +
                           " do not fit in a text of " + std::to_string(lines.size()) + " lines";
            return result;
        }
    }
    const long long I = sizes[0];
    const long long H = sizes[1];
    const long long O = sizes[2];
    const long long needed = 4 + 2 * H * I + 2 * O * H + 2 * I + 2 * O;
    if (available < needed) {
        result.Error = "The network text has " + std::to_string(lines.size()) + " lines; a " +
                       std::to_string(I) + "-" + std::to_string(H) + "-" + std::to_string(O) +
                       " network needs " + std::to_string(needed);
        return result;
    }

    // Read every value into a staging copy; the network changes only when
    // the whole text has been read.
    std::vector<double> values;
    values.reserve(static_cast<size_t>(needed - 4));
    const size_t rangeStart = static_cast<size_t>(4 + 2 * H * I + 2 * O * H);
    for (size_t line = 4; line < static_cast<size_t>(needed); ++line) {
        const std::string text = Trimmed(lines[line]);
        if (line >= rangeStart && (text == "-INF" || text == "+INF")) {
            // Bounds of an empty range; even offsets are minima.
            const bool minimum = (line - rangeStart) % 2 == 0;
            values.push_back(minimum ? Infinity : -Infinity);
            continue;
        }
        double value = 0;
        if (!NumberText::TryParseStoredFloat(text, value)) {
            result.Error = "Line " + std::to_string(line + 1) + ": " + NumberText::InvalidFloatMessage(text);
            return result;
        }
        values.push_back(value);
    }

    Allocate(sizes[0], sizes[1], sizes[2]);
    SetPatternCount(1);
    Converged = false;
    FirstInput = true;
    FirstOutput = true;
    const std::string kind = Trimmed(lines[3]);
    if (kind == "0" || kind == "1" || kind == "2") Activation = static_cast<std::uint8_t>(kind[0] - '0');

    size_t v = 0;
    for (size_t h = 0; h < static_cast<size_t>(Hidden); ++h)
        for (size_t i = 0; i < static_cast<size_t>(Inputs); ++i) {
            HiddenWeight[h][i] = values[v++];
            HiddenBias[h][i] = values[v++];
        }
    for (size_t o = 0; o < static_cast<size_t>(Outputs); ++o)
        for (size_t h = 0; h < static_cast<size_t>(Hidden); ++h) {
            OutputWeight[o][h] = values[v++];
            OutputBias[o][h] = values[v++];
        }
    for (size_t i = 0; i < static_cast<size_t>(Inputs); ++i) {
        InMin[i] = values[v++];
        InMax[i] = values[v++];
    }
    for (size_t o = 0; o < static_cast<size_t>(Outputs); ++o) {
        OutMin[o] = values[v++];
        OutMax[o] = values[v++];
    }
    result.Ok = true;
    return result;
}
