#pragma once
// The computation of "Análise posicional": for the balls of a game sorted in
// ascending order, how often each ball stood at each sorted position in the
// sample against the combinatorial expectation, and for one position the
// observed presence runs ("Adiantamento") and absence runs ("Atraso")
// against the geometric law. The counts and theory tables are the history's
// positional statistics (TLottery::ComputePositionStatistics and the tables
// built at load); this class chooses what to show and writes the texts.
//
// Ownership: the history belongs to the game window, which outlives this
// engine. UI thread only (every call is short).
#include "TLottery.h"

#include <cstdint>
#include <string>
#include <vector>

class TPositionalAnalysis {
public:
    enum class Style { Position, Advance, Delay };
    enum class Value { Real, Theory, Delta };
    enum class Notation { Quantity, Fraction, Percent };
    static constexpr int MaxRun = TLottery::MaxRun;

    struct Point {
        double x = 0;
        double y = 0;
    };
    struct Line {
        std::string Title;
        std::vector<Point> Points;
    };
    struct Options {
        Style Kind = Style::Position;
        Value Shown = Value::Real;
        Notation Format = Notation::Quantity;
        int Position = 0; // sorted position P, 0-based
        int Ball = 0;     // ball B of the run styles, 0-based
    };
    struct Result {
        std::string Title;      // of the distribution chart
        std::string BottomAxis; // of the distribution chart
        int Rows = 0;
        int Columns = 0;
        std::vector<std::string> Cells; // row-major
        std::vector<Point> Counts;      // "Dezenas"
        std::vector<Point> Theory;      // "Teórica"
        const std::string& Cell(int row, int column) const {
            return Cells[static_cast<size_t>(row) * static_cast<size_t>(Columns) +
                         static_cast<size_t>(column)];
        }
    };

    explicit TPositionalAnalysis(TLottery& lottery) : lottery_(lottery) {}

    int N() const { return lottery_.Elements(); }
    int K() const { return lottery_.PerCombination(); }
    // The size of the last load (the history's SampleSize).
    int SampleSize() const { return lottery_.SampleSize; }

    // Counts of the last sampleSize draws.
    void Load(int sampleSize);
    // The most likely ball of a sorted position: the ball before the first
    // fall of the position probabilities, the last ball when they never fall.
    int PresetBall(int position) const;

    Result Compute(const Options& options) const;
    // Real, theoretical (nearest integer of S times the probability) and
    // theoretical probability of one cell; m is the run length (1..MaxRun),
    // ignored in the position style. Out-of-range cells are 0.
    int64_t Real(Style style, int ball, int position, int m) const;
    int64_t Theory(Style style, int ball, int position, int m) const;
    double Probability(Style style, int ball, int position, int m) const;
    std::string CellText(const Options& options, int ball, int position, int m) const;

    // "Grupo": for each ball that stood at the position in the sample, the
    // percentage of draws with it there, window by window (windows of the
    // sample size) over the whole history. Overwrites the history's window
    // counts.
    std::vector<Line> GroupLines(int position);

    // Nearest integer, halves to the even neighbour.
    static int64_t Nearest(double value);

private:
    bool Inside(int ball, int position) const {
        return ball >= 0 && ball < N() && position >= 0 && position < K();
    }
    int ClampPosition(int position) const;
    int ClampBall(int ball) const;

    TLottery& lottery_;
};
