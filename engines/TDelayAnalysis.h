#pragma once
// The computation behind the delay analysis window: the delay table of the
// whole history in its three views, one ball's statistics over a sample of
// the last table rows, the correlation of two balls, and the 4-8-1 network
// that forecasts the ball's next table value from the aggregate column.
//
// The table. Row 0 holds the headers; row r (1..R) belongs to draw r of the
// history; column 0 is r, columns 1..N the balls, then the aggregate columns.
//  - Absolute view: the signed run length of ball b at row r: +m when b was
//    drawn in the last m draws and not in the one before them, -m when it
//    was absent from the last m. Then "Soma" (their sum) and "Produto" (the
//    product of the positive ones, 1 when there is none).
//  - Random-walk view: 2 x (draws 1..r holding b) - r, a coin-tossing walk
//    that steps up when b is drawn and down when it is not; "Soma",
//    "Produto" and an empty column.
//  - Relative view: p - 1/N where p = (100 + occurrences of b in draws
//    1..r) / (100 N + K r), the ball's share of every ball drawn so far, each
//    ball starting with a share of 100; then the mean of p minus 1/N, the
//    variance of the deviations and its square root.
//
// The table is never stored: a history of a million draws would take a
// quarter of a gigabyte per view. The engine keeps, for each ball, the rows
// that hold it (K R numbers in all, whatever the view), and any cell follows
// from them by a binary search; runs of rows (a ball over the sample, the
// aggregate column, the whole table for a copy) are walked forward at a
// constant cost per cell. Changing the view therefore recomputes nothing.
//
// Numbers read back from the table are the values its texts show: relative
// cells rounded to 6 decimals, the aggregate columns to 8. Rows outside 1..R
// read as 0, as the window's empty cells do.
//
// "Produto" is carried as a long double mantissa with a separate binary
// exponent, so it neither wraps nor becomes infinite: up to 15 significant
// digits in general format while it fits a double, beyond that a decimal
// mantissa of 12 significant digits and its exponent ("1,23456789012E400").
//
// Ownership: holds a reference to the history (which must outlive it) and
// owns its network. Threading: the table reads are const and may run on any
// thread; the network and the settings belong to one thread at a time (the
// window's worker during "Analisar", the window otherwise).
#include "TNNMLP.h"
#include "TPointSeries.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

class TLottery;

class TDelayAnalysis {
public:
    using Point = TPointSeries::Point;

    enum class View { Absolute, Relative, RandomWalk };
    enum class Regression { Linear, Exponential, Logarithmic, Power };

    // A product of run lengths: Mantissa x 2^Exponent.
    struct Product {
        long double Mantissa = 1;
        int64_t Exponent = 0;
        // The value when a double holds it; the largest double otherwise.
        double Value() const;
        std::string Text() const;
    };

    // Rows of the table that an operation reads, first..last.
    struct Rows {
        int First = 0;
        int Last = 0;
        int Count() const { return Last - First + 1; }
    };

    // Progress of one Train call (a pass of 100 epochs).
    struct TrainingPass {
        int Pass = 0;     // Train calls made on this training start, from 1
        double Error = 0; // OutputError[0] after the call
        // The network's fit at each training row r: (r, output).
        std::vector<Point> Fit;
    };
    // Returning false asks the run to stop after the current Train call.
    using PassCallback = std::function<bool(const TrainingPass&)>;

    // What "Preview" computes and the window shows.
    struct PreviewResult {
        Rows Sample;
        int Ball = 1;     // the selected ball (table column)
        int MaxDelay = 0; // D, the theoretical maximum delay
        // Extremes over the sample of all balls and of the selected ball:
        // delays (negative cells, integer parts) and advances (cells >= 0).
        long long MinAll = 0, MinSel = 0, MaxAll = 0, MaxSel = 0;
        // Relative view: means of the selected ball and of the aggregate
        // column over the sample.
        double MeanSel = 0, MeanAgg = 0;
        // Slope of the last regression segment of the selected ball.
        double Slope = 0;
        // BallCorrelation(selected, b) for b = 1..N, at index b - 1.
        std::vector<double> Correlations;
        int PositiveBall = 0; // 0 when no other ball correlates positively
        double Positive = 0;
        int NegativeBall = 0;
        double Negative = 0;
        // The forecast, when the network is trained.
        bool Forecast = false;
        double Next = 0;   // the next table value, integer part
        double Margin = 0; // percentage error of the fit at the last row
        // Chart series: "Real", "Previsão" (network fit, or -D in the
        // absolute view without a trained network, then the next value),
        // "Regressão linear" (the chosen regression kind).
        std::vector<Point> Real;
        std::vector<Point> Fit;
        std::vector<Point> RegressionLine;
        std::vector<std::string> Memo;
    };

    explicit TDelayAnalysis(const TLottery& lottery);
    TDelayAnalysis(const TDelayAnalysis&) = delete;
    TDelayAnalysis& operator=(const TDelayAnalysis&) = delete;

    int Elements() const { return n_; }
    int PerCombination() const { return k_; }
    int DrawCount() const { return draws_; }

    // Settings, as the window's controls set them.
    int SampleSize = 20; // S
    int Excluded = 0;    // U, rows left out at the end
    int Selected = 0;    // the selected ball, 0-based (table column Selected + 1)
    Regression Kind = Regression::Linear;
    int Segments = 1; // regression segments
    // Upper bound of Train calls per training; 0 means none. A run that
    // reaches it counts as stopped (the network is then trained).
    int MaxPasses = 0;

    // The load: chooses the view and forgets the training.
    void Load(View view);
    View TableView() const { return view_; }

    int RowCount() const { return draws_ + 1; }
    int ColumnCount() const { return n_ + (view_ == View::Absolute ? 3 : 4); }
    // Column of the network's input series (Soma or Média).
    int AggregateColumn() const { return n_ + 1; }
    std::string CellText(int row, int column) const;
    // Every cell of a row: one binary search per ball.
    std::vector<std::string> RowTexts(int row) const;
    // A cell as a number (see above); 0 outside the table. The "Produto"
    // column reads as Product::Value.
    double Cell(int row, int column) const;
    // Ball b's value at rows rows.First..rows.Last, walked forward.
    std::vector<double> BallSeries(int ball, Rows rows) const;
    // The aggregate column at those rows.
    std::vector<double> AggregateSeries(Rows rows) const;
    // "Produto" of a row (absolute and random-walk views; 1 elsewhere).
    Product RowProduct(int row) const;
    // The whole table as text: each cell followed by TAB, each row by CR LF.
    std::string TableText() const;

    // D = Trunc(ln 0.001 / ln(1 - 1/N) / K): a ball drawn with probability
    // 1/N per ball stays out of D draws in a row with probability ~0.1 %.
    // 0 when the game has fewer than 2 balls or no ball per draw.
    static int MaxDelay(int n, int k);

    // Sample rows of "Preview": last = R - U, first = last - S raised to 5,
    // last raised to first. With atLeastFive (the correlations) last is
    // raised to 5 instead.
    Rows SampleRows(bool atLeastFive = false) const;
    // Correlation of table columns a and b (1..N) over the sample by the
    // regression kind: 1 for a = b; 0 for a series without spread.
    double BallCorrelation(int a, int b) const;

    // Sets up the training set of "Analisar" and a fresh start of the
    // network; false when the sample holds no training row (nothing to train).
    bool PrepareTraining();
    // Training rows of the last PrepareTraining.
    Rows TrainingRows() const { return training_; }
    // Train calls of 100 epochs until the network converges, the callback
    // returns false, cancel is set or MaxPasses is reached; a stopped network
    // counts as trained. Returns the number of passes.
    int RunTraining(const PassCallback& onPass, const std::atomic<bool>* cancel = nullptr);
    bool Trained() const { return Network.Converged; }

    PreviewResult Preview();

    TNNMLP Network{4, 8, 1};

private:
    // Table value of ball b at row r (1..R), before any rounding.
    long double Value(int b, int r) const;
    // Absolute-view run length of ball b at row r.
    int RunLength(int b, int r) const;
    // Draws among 1..r holding b, and occurrences of b in them.
    int DrawsWith(int b, int r) const;
    int Occurrences(int b, int r) const;
    long double Share(int b, int r) const; // p, relative view
    // Rounds a relative-view number as its text shows it.
    static double Rounded(long double value, int decimals);
    std::string BallText(long double value) const;
    // The aggregate columns of a row from its ball values.
    void AppendAggregates(int row, std::span<const long double> values,
                          std::vector<std::string>& texts) const;
    // Fills Input from the aggregate at rows row - 4 .. row - 1.
    double ForecastAt(std::span<const double> aggregate, int offset);

    const TLottery& lottery_;
    int n_ = 0;
    int k_ = 0;
    int draws_ = 0;
    View view_ = View::Absolute;
    // rows_[b]: the rows holding ball b, ascending, each once (b = 1..N).
    std::vector<std::vector<int32_t>> rows_;
    // extra_[b]: a row for every further occurrence of b in the same draw
    // (a file may repeat a ball within a draw; the relative view counts
    // every occurrence, as it counts every ball of a draw).
    std::vector<std::vector<int32_t>> extra_;
    Rows training_;
};
