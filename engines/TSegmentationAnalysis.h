#pragma once
// The computation behind the segmentation analysis window: many networks,
// each trained from fresh random weights on the same sample, vote for the
// next draw's value (its CSN, or in decimal notation its smallest ball), and
// every vote loses weight for each other vote that lands close to it, so that
// the region where forecasts crowd together gets the smallest weights.
//
// Training set: pattern p = 0..P - 1 (P = M - 5) takes the values of draws
// a0 + p .. a0 + p + 3 and the ordinal p as inputs, and the value of draw
// a0 + p + 5 as target (two steps ahead of the last input). The forecast
// pattern takes draws a0 + M - 5 .. a0 + M - 2, so it aims at draw a0 + M.
// Its fifth input is the next ordinal P: the training inputs count patterns,
// and the forecast is the pattern that would follow the last one.
//
// Ownership: holds a reference to the history (which must outlive it) and
// owns its network. No widgets.
//
// Threading: one thread at a time; the window runs Gather on a worker and
// does not touch the object until it returns. Callbacks run on that worker.
#include "TNNMLP.h"
#include "TNNMLPBatch.h"
#include "TPointSeries.h"

#include <atomic>
#include <functional>
#include <span>
#include <string>
#include <vector>

class TLottery;

class TSegmentationAnalysis {
public:
    using Point = TPointSeries::Point;
    enum class Notation { CSN, Decimal };

    // Progress of one Train call of a vote.
    struct Progress {
        int Vote = 0;  // 1..Votes
        int Votes = 0; // n
        int Pass = 0;  // Train calls made on this random start, from 1
        double Error = 0;
    };
    // Returning false asks the gathering to stop after the current Train call.
    using PassCallback = std::function<bool(const Progress&)>;
    // After each vote has been weighed: the "Rede neural" points.
    using VoteCallback = std::function<void(int vote, const std::vector<Point>& points)>;

    // One vote: trains the network from the random start InitWeights has just
    // drawn, at most cut + 1 Train calls, and returns the raw forecast of the
    // forecast pattern. `vote` numbers the vote for progress reports. A
    // replacement (for instance a trainer of many networks at once) must
    // honour the same contract: stop early when the callback returns false
    // or cancel is set, and still return the stopped network's forecast.
    using VoteTrainer = std::function<double(int vote, int cut, const PassCallback& onPass,
                                             const std::atomic<bool>* cancel, bool& stopped)>;

    explicit TSegmentationAnalysis(const TLottery& lottery);
    TSegmentationAnalysis(const TSegmentationAnalysis&) = delete;
    TSegmentationAnalysis& operator=(const TSegmentationAnalysis&) = delete;

    Notation NotationMode = Notation::CSN;
    bool LeaveLastOut = false; // "Não analisar último item"

    // The range top U: the game's Total, or N in decimal notation.
    double Top() const;
    // The value of draw d (0-based) in the current notation.
    double Value(int draw) const;

    // Load: InitWeights and the sample of the last sampleSize draws (cut to
    // 1..DrawCount). Grid rows 0 (header) .. S, columns 0..1.
    void Load(int sampleSize);
    int SampleSize() const { return sampleSize_; }
    int RowCount() const { return sampleSize_ + 1; }
    std::string CellText(int row, int column) const;

    int Trained() const { return LeaveLastOut ? sampleSize_ - 1 : sampleSize_; } // M
    int PatternCount() const;                                                    // P
    // Sets the pattern count and fills the training set.
    void FillTrainingSet();
    // The forecast pattern's five inputs.
    std::vector<double> ForecastInputs() const;

    // The default vote step on Network (see VoteTrainer).
    double TrainVote(int vote, int cut, const PassCallback& onPass, const std::atomic<bool>* cancel,
                     bool& stopped);

    struct Weighting {
        std::vector<double> Weights; // same indices as the votes
        double MaxWeight = 1.0;
    };
    // Weighs votes[1..v] (entry 0 unused): each starts at w0 = 0.0001 U and
    // loses 20 % for every other vote t with exp(-(t - u)^2 w0 / (U - u)^2)
    // >= 0.5. A vote equal to U would divide by zero: its distance scale is
    // taken as infinite, so it interacts only with votes at exactly its value.
    static Weighting Weigh(std::span<const double> votes, int v, double top);
    // Whether vote `other` counts against vote `at`: the test above.
    static bool Close(double at, double other, double top);

    // The weighting kept up to date while votes come in. Vote u's weight is
    // w0 x 0.8^c(u), c(u) the number of other votes close to it, so only the
    // counts need keeping: a new vote raises the count of every vote it is
    // close to and gets its own count, one pass over the votes taken. The
    // whole gathering of V votes thus costs V^2 / 2 pair tests instead of
    // the V^3 / 3 of weighing everything afresh after every vote, and each
    // weight is w0 multiplied by 0.8 c(u) times in a row, exactly as the
    // fresh weighing multiplies it: the figures are the same to the bit.
    class VoteWeights {
    public:
        explicit VoteWeights(double top);
        // Adds the next vote (numbered Count() + 1).
        void Add(double vote);
        int Count() const { return static_cast<int>(votes_.size()); }
        double Vote(int u) const { return votes_[static_cast<size_t>(u - 1)]; } // u = 1..Count()
        double Weight(int u) const;
        double MaxWeight() const;
        // Weights[1..Count()] with entry 0 = w0, as Weigh gives them.
        Weighting Current(size_t size) const;

    private:
        double top_;
        std::vector<double> votes_;
        std::vector<int> close_;     // c(u) of vote u + 1
        std::vector<double> powers_; // powers_[c] = w0 x 0.8 x ... x 0.8 (c times)
        int fewest_ = 0;             // the smallest c(u): the largest weight
    };
    // The "Rede neural" points: (0, 0), each vote in 1..U with 1 - w/max, (U, 0).
    static std::vector<Point> VotePoints(std::span<const double> votes, const Weighting& weighting, int v,
                                         double top);

    struct Result {
        bool Stopped = false;
        int Requested = 0;         // n
        int Taken = 0;             // votes taken
        int Trainings = 0;         // networks whose forecasts were read, in range or not
        // Of those, the networks that made their cut + 1 Train calls without
        // converging (not counted through a Trainer of the caller's).
        int Capped = 0;
        bool Exhausted = false; // ended by MaxTrainings
        std::vector<double> Votes; // [0..n], sorted by weight, ascending, over 1..n
        std::vector<double> Weights;
        double MaxWeight = 1.0;
        std::vector<Point> Last;   // "Último concurso" bars
        std::vector<Point> Points; // last "Rede neural" points
        std::vector<std::string> Memo;
    };
    // "Analisar": n votes (at least 1), each trained with at most cut + 1
    // Train calls (cut at least 1). Out-of-range forecasts are trained again
    // until a stop, which keeps the vote in progress and ends the gathering.
    Result Gather(int n, int cut, const PassCallback& onPass, const VoteCallback& onVote,
                  const std::atomic<bool>* cancel = nullptr);
    // Sorts entries 1..n by weight, ascending, and builds the memo lines.
    // Only entries 1..Taken are sorted: the others were never taken. The
    // twenty rows the memo can list come from the window's exchange sort
    // (for i, for j >= i, swap when weights[i] > weights[j]), whose order
    // among equal weights the memo shows; it is run row by row for those
    // rows only, and the rows after them, which nothing shows, are sorted
    // stably: n log n instead of n^2 / 2 for the thousands of votes a long
    // run gathers.
    static void SortAndList(Result& result);
    // The rows that the exchange sort orders (the memo's).
    static constexpr int ListedVotes = 20;

    TNNMLP Network{5, 8, 1};
    // How Gather trains: through Trainer when one is set; otherwise many
    // networks at once on every core (TNNMLPBatch, VoteThreads threads, 0
    // meaning one per hardware thread) or, with BatchedVotes false, one
    // after another with TrainVote. Both built-in ways draw the starts from
    // Network's generator in the same order and give the same votes.
    VoteTrainer Trainer;
    // Bound of the retraining: once Gather has read this many networks'
    // forecasts, the next forecast out of range ends it; 0 means no bound. The window retrains out-of-range forecasts until "Parar", but
    // a network's output range grows beyond its targets, and on some
    // samples nearly every start forecasts beyond U: an unattended caller
    // (the back-test) needs the gathering to end. It then ends with the
    // votes taken so far (Exhausted is set).
    int MaxTrainings = 0;
    bool BatchedVotes = true;
    int VoteThreads = 0;
    TNNMLPBatch::Path VotePath = TNNMLPBatch::Path::Automatic;

private:
    // Vote v := c, weighed with the votes before it; onVote sees the points.
    static void TakeVote(Result& result, VoteWeights& weights, int v, double c, double top,
                         const VoteCallback& onVote);
    Result GatherBatched(int n, int cut, double top, Result result, const PassCallback& report,
                         const VoteCallback& onVote, const std::atomic<bool>* cancel);

    const TLottery& lottery_;
    // Whether the last TrainVote ended at the call limit without converging.
    bool lastCapped_ = false;
    int sampleSize_ = 0;
    int first_ = 0; // a0
};
