#pragma once
// The computation behind the lexicographic analysis window: the sample table
// of CSN columns, the one-column network forecast with its memo, the
// "Todas as bolas" votes, and the bookmark (the network text form of a
// training start).
//
// The sample table describes each of the last S draws by the CSN of its whole
// sorted combination (column 1) and of its tails: column c holds the CSN of
// (b_c, ..., b_k) among the (k - c + 1)-ball combinations of n, so column k is
// the largest ball itself. In decimal notation column c is simply b_c.
//
// Ownership: holds a reference to the history (which must outlive it) and
// owns its network. No widgets: the window renders the results.
//
// Threading: one thread at a time. The window runs the long operations
// (RunTraining, AnalyseAll, Generate) on a worker and does not touch the
// object until they return; their callbacks are called on that worker.
#include "TCSN.h"
#include "TNNMLP.h"
#include "TNNMLPBatch.h"
#include "TPointSeries.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TLottery;

class TLexicographicAnalysis {
public:
    using Point = TPointSeries::Point;

    enum class Notation { CSN, Decimal };

    // Progress of one Train call (a pass of 100 epochs).
    struct TrainingPass {
        int Pass = 0;     // Train calls made on this network start, from 1
        double Error = 0; // OutputError[0] after the call
        // One-column training only: the fit over the training rows, then the
        // next-draw forecast.
        std::vector<Point> Fit;
    };
    // Returning false asks the run to stop after the current Train call.
    using PassCallback = std::function<bool(const TrainingPass&)>;

    struct Slice {
        double Value = 0;
        std::string Label;
    };

    // One forecast block of the memo: the draw it stands for (its ordinal),
    // the forecast value (integer part), the ball it implies (0: invalid) and,
    // for a held-out draw, its distance from the real value, absolute and as
    // a fraction of the column's range.
    struct Prediction {
        int Draw = 0;
        double Value = 0;
        int Ball = 0;
        bool HasDistance = false;
        double Distance = 0;
        double Relative = 0;
    };
    struct BallVotes {
        int Ball = 0;
        int Votes = 0;
    };

    // What the window shows after "Preview".
    struct PreviewResult {
        bool AllBalls = false;
        std::vector<std::string> Memo;
        // The memo's numbers. One column with a trained network: the margin
        // of the fit at draw MarginDraw (percent) and one or two forecasts.
        bool Trained = false;
        int MarginDraw = 0;
        double Margin = 0;
        std::vector<Prediction> Predictions;
        // All balls: every ball with its votes, most voted first (empty
        // before any vote).
        std::vector<BallVotes> Tally;
        std::vector<Point> Real;     // "Real"
        std::vector<Point> Forecast; // "Previsão"
        // Decimal notation: the ball counts of the column and their theory.
        std::string DistributionTitle;
        std::vector<Point> Counts; // "Dezenas"
        std::vector<Point> Theory; // "Teórica"
        std::vector<Slice> Slices; // "Share" (all balls)
    };

    // Analyse-all progress: Label is set when a vote starts, Slices after
    // every 10th vote of a column and after its last.
    struct VoteEvent {
        std::string Label;
        std::vector<Slice> Slices;
    };
    using VoteCallback = std::function<bool(const VoteEvent&)>;

    // "Gerar": Label before each attempt; after each attempt Done is set and
    // Preview holds the attempt's preview.
    struct AttemptEvent {
        std::string Label;
        bool Done = false;
        PreviewResult Preview;
    };
    using AttemptCallback = std::function<bool(const AttemptEvent&)>;

    struct GenerateResult {
        int Saved = 0;       // attempts written to the file
        std::string Error;   // empty on success
        bool Loaded = false; // the file's best start became the bookmark
    };

    explicit TLexicographicAnalysis(const TLottery& lottery);
    TLexicographicAnalysis(const TLexicographicAnalysis&) = delete;
    TLexicographicAnalysis& operator=(const TLexicographicAnalysis&) = delete;

    int Elements() const { return n_; }
    int PerCombination() const { return k_; }
    double Total() const { return total_; }

    // Settings, as the window's controls set them.
    Notation NotationMode = Notation::CSN;
    int Skip = 0;   // 0, 1 or 2 draws left out at the end of the training rows
    int Column = 0; // the column forecast, 0-based (grid column Column + 1); k means all balls
    bool AllBalls() const { return Column >= k_; }
    // Upper bound of Train calls per network start; 0 means no bound. A run
    // that reaches it counts as stopped (the network is then trained).
    int MaxPasses = 0;

    // "Carrega dados": the table of the last sampleSize draws (cut to
    // 1..DrawCount), InitWeights, the votes cleared.
    void Load(int sampleSize);
    int SampleSize() const { return sampleSize_; }
    // Grid texts: row 0 is the header, rows 1..S the draws.
    int RowCount() const { return sampleSize_ + 1; }
    int ColumnCount() const { return k_ + 1; }
    std::string CellText(int row, int column) const;
    // A cell as a number; 0 outside rows 1..S (an empty cell reads as 0).
    double Cell(int row, int column) const;
    // Column 0: the draw's ordinal, its row in the game grid.
    double Ordinal(int row) const { return Cell(row, 0); }

    // Last training row of the one-column forecast (S - Skip) and its
    // pattern count (one pattern per row from row 5 on).
    int TrainingRows() const { return sampleSize_ - Skip; }
    int PatternCount() const;

    // Sets up the network for "Analisar": from a fresh random start, which
    // becomes the bookmark, or from the bookmark. False when the sample
    // holds no pattern (nothing to train).
    bool PrepareTraining(bool useBookmark);
    // The training loop: Train calls of 100 epochs until the network
    // converges, the callback returns false, cancel is set or MaxPasses is
    // reached; a stopped network counts as trained (Converged). Returns the
    // number of passes.
    int RunTraining(const PassCallback& onPass, const std::atomic<bool>* cancel = nullptr);
    bool Trained() const { return Network.Converged; }

    PreviewResult Preview();
    PreviewResult PreviewColumn();
    // Orders Votes and VoteBalls (descending votes) and lists them.
    PreviewResult PreviewAll();

    // How "Todas as bolas" trains: many networks at once on every core
    // (TNNMLPBatch, VoteThreads threads, 0 meaning one per hardware thread)
    // or one after another on Network. Column c draws its starts from its
    // own generator, seeded from c and from one number of Network's
    // generator (so Network.Seed makes a run repeatable), and its votes are
    // its first accepted networks in start order: both ways give the same
    // votes from the same seed.
    bool BatchedVotes = true;
    int VoteThreads = 0;
    TNNMLPBatch::Path VotePath = TNNMLPBatch::Path::Automatic;

    // "Todas as bolas": votes of `votes` accepted networks per column. The
    // error test applies in CSN notation only; acceptedError is a fraction.
    // Returns false when stopped (by a callback or cancel).
    bool AnalyseAll(int votes, bool errorTest, double acceptedError, const PassCallback& onPass,
                    const VoteCallback& onVote, const std::atomic<bool>* cancel = nullptr);
    // One slice per ball in ball order, labelled as the analyse-all run of
    // the current notation labels them.
    std::vector<Slice> VoteSlices() const;

    // "Gerar": attempts runs of "Analisar" (skip 2, fresh starts); each start
    // whose two held-out distances beat the best so far is written to path.
    // At the end the file's start becomes the bookmark.
    GenerateResult Generate(int attempts, const std::string& path, const PassCallback& onPass,
                            const AttemptCallback& onAttempt, const std::atomic<bool>* cancel = nullptr);

    // The bookmark: the network text form of the last training start.
    const std::optional<std::vector<std::string>>& Bookmark() const { return bookmark_; }
    // Replaces the bookmark by a text form after checking it: it must load
    // as a network of 5 inputs and 1 output. On failure nothing changes and
    // the reason is returned.
    std::string SetBookmark(const std::vector<std::string>& lines);
    // A bookmark file's lines (CR LF or LF ends); false with a message when
    // it cannot be read or is implausibly large.
    static bool ReadLines(const std::string& path, std::vector<std::string>& lines, std::string& error);
    // Writes lines each ended by CR LF; false with a message on failure.
    static bool WriteLines(const std::string& path, const std::vector<std::string>& lines,
                           std::string& error);

    // Progress texts of the long runs.
    static std::string VoteLabel(int column, int columns, int vote, int votes);
    static std::string AttemptLabel(int attempt, int attempts, double best1, double best2, int saved);

    // The first ball of the combination of CSN `csn` among the m-ball
    // combinations of n; 0 when there is none (csn below 1 or above C(n, m)).
    int FirstBall(double csn, int m) const;

    TNNMLP Network{5, 8, 1};
    // Indices 0..n + 1; entries 1..n are used.
    std::vector<int> Votes;
    std::vector<int> VoteBalls;
    double RelDistance1 = 1;
    double RelDistance2 = 1;

    // Column c's generator of starts for a run seeded with seed.
    static std::unique_ptr<TNNMLP> VoteStarter(std::uint64_t seed, int column);

private:
    struct Judgement {
        bool Accepted = false;
        int Ball = 0; // the ball voted for
    };
    // The next start of starter becomes Network's (untrained) weights.
    void TakeStart(TNNMLP& starter);
    // The tests of an analyse-all network (Network, trained on column c):
    // the held-out error test (sets RelDistance1/2), then the next draw's
    // forecast, which must lie in the column's range.
    Judgement Judge(int c, bool errorTest, double acceptedError);
    void CountVote(const Judgement& judgement);
    bool AnalyseAllBatched(int total, int trainingRows, std::uint64_t seed, int passes, bool errorTest,
                           double acceptedError, const PassCallback& onPass, const VoteCallback& onVote,
                           const std::atomic<bool>* cancel);

    // Inputs: inputColumn of rows row - 4 .. row - 1 and the row number.
    void SetInputs(int inputColumn, int row);
    double Forecast(int inputColumn, int row);
    // Training set from rows 5..lastRow: inputs from inputColumn, target
    // from targetColumn.
    void FillPatterns(int inputColumn, int targetColumn, int lastRow);
    std::vector<Point> FitPoints();
    double CappedFit(int row);
    int PredictedBall(double forecast) const;
    Prediction Predict(int draw, double forecast, bool withDistance, double distance, double relative) const;
    static void ForecastBlock(std::vector<std::string>& memo, const Prediction& prediction);

    const TLottery& lottery_;
    int n_ = 0;
    int k_ = 0;
    double total_ = 0;
    bool zeroBased_ = false;
    int sampleSize_ = 0;
    // [row 0..S][column 0..k]; row 0 unused (the header).
    std::vector<std::vector<double>> table_;
    Notation loadedNotation_ = Notation::CSN;
    // Converters of the tails: tails_[m] for m-ball combinations, m = 1..k.
    std::vector<std::unique_ptr<TCSN>> tails_;
    std::optional<std::vector<std::string>> bookmark_;
};
