#include "TPositionalAnalysis.h"

#include "NumberText.h"
#include "TCSN.h"

#include <algorithm>
#include <cmath>

void TPositionalAnalysis::Load(int sampleSize) {
    // The history's tables exist only once a game is loaded.
    if (N() < 1 || K() < 1 || lottery_.PositionCounts.empty()) return;
    lottery_.ComputePositionStatistics(std::max(sampleSize, 0));
}

int TPositionalAnalysis::ClampPosition(int position) const {
    return std::clamp(position, 0, std::max(K() - 1, 0));
}

int TPositionalAnalysis::ClampBall(int ball) const {
    return std::clamp(ball, 0, std::max(N() - 1, 0));
}

int TPositionalAnalysis::PresetBall(int position) const {
    const int n = N();
    if (n < 1 || K() < 1 || lottery_.PositionProbabilities.empty()) return 0;
    const auto p = static_cast<size_t>(ClampPosition(position));
    double previous = 0;
    for (int b = 0; b < n; ++b) {
        const double probability = lottery_.PositionProbabilities[static_cast<size_t>(b)][p];
        if (probability < previous) return b - 1;
        previous = probability;
    }
    return n - 1;
}

int64_t TPositionalAnalysis::Nearest(double value) {
    if (!std::isfinite(value)) return 0;
    return static_cast<int64_t>(std::nearbyint(value)); // default rounding: halves to even
}

int64_t TPositionalAnalysis::Real(Style style, int ball, int position, int m) const {
    if (!Inside(ball, position) || lottery_.PositionCounts.empty()) return 0;
    const auto b = static_cast<size_t>(ball);
    const auto p = static_cast<size_t>(position);
    if (style == Style::Position) return lottery_.PositionCounts[b][p];
    if (m < 1 || m > MaxRun) return 0;
    const auto run = static_cast<size_t>(m);
    if (style == Style::Advance) return lottery_.AdvanceCounts[b][p][run];
    // Absence runs of a ball that never stood at the position say nothing
    // about that position.
    return lottery_.AdvanceCounts[b][p][1] > 0 ? lottery_.DelayCounts[b][p][run] : 0;
}

double TPositionalAnalysis::Probability(Style style, int ball, int position, int m) const {
    if (!Inside(ball, position) || lottery_.PositionProbabilities.empty()) return 0;
    const auto b = static_cast<size_t>(ball);
    const auto p = static_cast<size_t>(position);
    if (style == Style::Position) return lottery_.PositionProbabilities[b][p];
    if (m < 1 || m > MaxRun) return 0;
    const auto run = static_cast<size_t>(m);
    return style == Style::Advance ? lottery_.AdvanceTheory[b][p][run] : lottery_.DelayTheory[b][p][run];
}

int64_t TPositionalAnalysis::Theory(Style style, int ball, int position, int m) const {
    return Nearest(static_cast<double>(SampleSize()) * Probability(style, ball, position, m));
}

std::string TPositionalAnalysis::CellText(const Options& options, int ball, int position, int m) const {
    const int64_t real = Real(options.Kind, ball, position, m);
    const int64_t theory = Theory(options.Kind, ball, position, m);
    const int64_t value = options.Shown == Value::Real     ? real
                          : options.Shown == Value::Theory ? theory
                                                           : real - theory;
    if (value == 0) return " ";
    if (options.Shown != Value::Theory || options.Format == Notation::Quantity)
        return NumberText::FormatInt(value);
    const double q = Probability(options.Kind, ball, position, m);
    if (options.Format == Notation::Percent) return NumberText::FormatFixed(q * 100, 2) + "%";
    if (options.Kind == Style::Position)
        return lottery_.PositionFractions[static_cast<size_t>(ball)][static_cast<size_t>(position)];
    return "~" + TCSN::FractionText(std::trunc(q * 10000), 10000);
}

TPositionalAnalysis::Result TPositionalAnalysis::Compute(const Options& options) const {
    Result result;
    const int n = N();
    const int k = K();
    const int position = ClampPosition(options.Position);
    const int selected = ClampBall(options.Ball);
    result.Title = "Distribuição normal - bola " + std::to_string(position + 1);
    if (n < 1 || k < 1) return result;

    const auto grid = [&result](int rows, int columns) {
        result.Rows = rows;
        result.Columns = columns;
        result.Cells.assign(static_cast<size_t>(rows) * static_cast<size_t>(columns), std::string());
    };
    const auto cell = [&result](int row, int column) -> std::string& {
        return result.Cells[static_cast<size_t>(row) * static_cast<size_t>(result.Columns) +
                            static_cast<size_t>(column)];
    };

    if (options.Kind == Style::Position) {
        result.BottomAxis = "Dezena";
        grid(n + 1, k + 1);
        cell(0, 0) = "dez/bola";
        for (int p = 0; p < k; ++p) cell(0, p + 1) = std::to_string(p + 1);
        for (int b = 0; b < n; ++b) {
            cell(b + 1, 0) = std::to_string(b + 1);
            for (int p = 0; p < k; ++p) cell(b + 1, p + 1) = CellText(options, b, p, 0);
            const int64_t real = Real(Style::Position, b, position, 0);
            if (real > 0) {
                result.Counts.push_back({static_cast<double>(b + 1), static_cast<double>(real)});
                result.Theory.push_back({static_cast<double>(b + 1),
                                         static_cast<double>(Theory(Style::Position, b, position, 0))});
            }
        }
        return result;
    }

    const bool advance = options.Kind == Style::Advance;
    result.BottomAxis = "Atraso(-)/Adiantamento(+)";
    grid(n + 1, MaxRun + 1);
    cell(0, 0) = advance ? "dez/adiant." : "dez/atraso";
    for (int m = 1; m <= MaxRun; ++m) cell(0, m) = std::to_string(advance ? m : -m);
    Options run = options;
    run.Position = position;
    for (int b = 0; b < n; ++b) {
        cell(b + 1, 0) = std::to_string(b + 1);
        for (int m = 1; m <= MaxRun; ++m) cell(b + 1, m) = CellText(run, b, position, m);
    }
    // Both sides for the selected ball: delays left of 0, advances right.
    for (int m = MaxRun; m >= 1; --m) {
        const int64_t real = Real(Style::Delay, selected, position, m);
        if (real > 0) {
            result.Counts.push_back({static_cast<double>(-m), static_cast<double>(real)});
            result.Theory.push_back(
                {static_cast<double>(-m), static_cast<double>(Theory(Style::Delay, selected, position, m))});
        }
    }
    for (int m = 1; m <= MaxRun; ++m) {
        const int64_t real = Real(Style::Advance, selected, position, m);
        if (real > 0) {
            result.Counts.push_back({static_cast<double>(m), static_cast<double>(real)});
            result.Theory.push_back(
                {static_cast<double>(m), static_cast<double>(Theory(Style::Advance, selected, position, m))});
        }
    }
    return result;
}

std::vector<TPositionalAnalysis::Line> TPositionalAnalysis::GroupLines(int position) {
    std::vector<Line> lines;
    const int n = N();
    if (n < 1 || K() < 1 || lottery_.PositionCounts.empty()) return lines;
    const int p = ClampPosition(position);
    const int s = SampleSize();
    for (int b = 0; b < n; ++b) {
        if (lottery_.PositionCounts[static_cast<size_t>(b)][static_cast<size_t>(p)] <= 0) continue;
        const int value = lottery_.ZeroBased ? b : b + 1;
        lottery_.CountWindowHits(s, value, p);
        Line line;
        line.Title = "Dez." + std::to_string(b + 1);
        // No windows (an empty sample) give an empty line, not a division by 0.
        if (lottery_.WindowSize > 0)
            for (int i = 0; i < lottery_.WindowCount; ++i)
                line.Points.push_back({static_cast<double>(i + 1),
                                       static_cast<double>(lottery_.WindowHits[static_cast<size_t>(i)]) /
                                           lottery_.WindowSize * 100});
        lines.push_back(std::move(line));
    }
    return lines;
}
