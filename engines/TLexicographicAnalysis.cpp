#include "TLexicographicAnalysis.h"

#include "NumberText.h"
#include "TLottery.h"
#include "TTrainingJobs.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <span>
#include <utility>

namespace {

// A 5-8-1 text form is about a hundred short lines; anything near this size
// is not a bookmark, and reading it whole would only waste memory.
constexpr std::streamoff MaxBookmarkBytes = 16 << 20;
// Train calls after which an analyse-all network counts as converged.
constexpr int VoteTrainingCap = 5000;

// Integer part of value / total x 10000, in ten-thousandths: the relative
// distance of a forecast to the real value.
double RelativeDistance(long double distance, double total) {
    return static_cast<double>(std::trunc(distance / total * 10000.0L) / 10000.0L);
}

std::string General(long double value) {
    return NumberText::FormatGeneral(static_cast<double>(value));
}

std::string Int(long long value) {
    return NumberText::FormatInt(value);
}

} // namespace

TLexicographicAnalysis::TLexicographicAnalysis(const TLottery& lottery)
    : lottery_(lottery), n_(lottery.Elements()), k_(lottery.PerCombination()), zeroBased_(lottery.ZeroBased) {
    total_ = TCSN::Binomial(n_, k_);
    tails_.resize(static_cast<size_t>(std::max(k_, 0)) + 1);
    for (int m = 1; m <= k_; ++m) tails_[static_cast<size_t>(m)] = std::make_unique<TCSN>(n_, m);
    Network.Activation = 2;
    Network.LearningRate = 0.4;
    Network.Tolerance = 1e-9;
    Votes.assign(static_cast<size_t>(n_) + 2, 0);
    VoteBalls.assign(static_cast<size_t>(n_) + 2, 0);
}

void TLexicographicAnalysis::Load(int sampleSize) {
    const int draws = lottery_.Loaded ? lottery_.DrawCount : 0;
    sampleSize_ = std::clamp(sampleSize, std::min(1, draws), draws);
    Votes.assign(static_cast<size_t>(n_) + 2, 0);
    VoteBalls.assign(static_cast<size_t>(n_) + 2, 0);
    Network.InitWeights();
    loadedNotation_ = NotationMode;

    table_.assign(static_cast<size_t>(sampleSize_) + 1,
                  std::vector<double>(static_cast<size_t>(k_) + 1, 0.0));
    std::vector<int32_t> balls(static_cast<size_t>(k_));
    std::vector<int32_t> tail(static_cast<size_t>(k_) + 1);
    for (int row = 1; row <= sampleSize_; ++row) {
        const int ordinal = draws - sampleSize_ + row; // the draw's row in the game grid
        const auto d = static_cast<size_t>(ordinal - 1);
        std::vector<double>& cells = table_[static_cast<size_t>(row)];
        cells[0] = ordinal;
        for (int c = 1; c <= k_; ++c)
            balls[static_cast<size_t>(c - 1)] =
                lottery_.Draws[static_cast<size_t>(c)][d] + (zeroBased_ ? 1 : 0);
        std::sort(balls.begin(), balls.end());
        for (int c = 1; c <= k_; ++c) {
            if (loadedNotation_ == Notation::Decimal) {
                cells[static_cast<size_t>(c)] = balls[static_cast<size_t>(c - 1)];
                continue;
            }
            // The tail (b_c, ..., b_k) as a combination of m balls, laid out
            // as the converter wants it (entries 1..m).
            const int m = k_ - c + 1;
            for (int i = 1; i <= m; ++i) tail[static_cast<size_t>(i)] = balls[static_cast<size_t>(c - 2 + i)];
            cells[static_cast<size_t>(c)] = tails_[static_cast<size_t>(m)]->BallsToCSN(
                std::span<int32_t>(tail.data(), static_cast<size_t>(m) + 1));
        }
    }
}

std::string TLexicographicAnalysis::CellText(int row, int column) const {
    if (column < 0 || column > k_ || row < 0 || row > sampleSize_) return {};
    if (row == 0) {
        if (column == 0) return "Concurso";
        return (loadedNotation_ == Notation::Decimal ? "Bola " : "CSN ") + Int(column);
    }
    const double value = table_[static_cast<size_t>(row)][static_cast<size_t>(column)];
    return column == 0 ? Int(static_cast<long long>(value)) : NumberText::FormatGeneral(value);
}

double TLexicographicAnalysis::Cell(int row, int column) const {
    if (row < 1 || row > sampleSize_ || column < 0 || column > k_) return 0;
    return table_[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

int TLexicographicAnalysis::PatternCount() const {
    return std::max(0, TrainingRows() - 4);
}

void TLexicographicAnalysis::SetInputs(int inputColumn, int row) {
    for (int i = 0; i < 4; ++i) Network.Input[static_cast<size_t>(i)] = Cell(row - 4 + i, inputColumn);
    Network.Input[4] = row;
}

double TLexicographicAnalysis::Forecast(int inputColumn, int row) {
    SetInputs(inputColumn, row);
    Network.Compute();
    return Network.Output[0];
}

double TLexicographicAnalysis::CappedFit(int row) {
    return std::min(Forecast(1, row), total_);
}

void TLexicographicAnalysis::FillPatterns(int inputColumn, int targetColumn, int lastRow) {
    const int count = std::max(0, lastRow - 4);
    Network.SetPatternCount(count);
    for (int p = 0; p < count; ++p) {
        const int row = p + 5;
        std::vector<double>& in = Network.PatternIn[static_cast<size_t>(p)];
        for (int i = 0; i < 4; ++i) in[static_cast<size_t>(i)] = Cell(row - 4 + i, inputColumn);
        in[4] = row;
        Network.PatternOut[static_cast<size_t>(p)][0] = Cell(row, targetColumn);
    }
}

bool TLexicographicAnalysis::PrepareTraining(bool useBookmark) {
    const int count = PatternCount();
    if (count < 1 || k_ < 1) return false;
    Network.SetPatternCount(count);
    Network.Tolerance = 1e-9;
    bool fromBookmark = false;
    if (useBookmark && bookmark_) {
        // The bookmark was checked when it was set, so this load succeeds.
        fromBookmark = static_cast<bool>(Network.LoadFromStrings(*bookmark_));
        Network.SetPatternCount(count);
    }
    if (!fromBookmark) {
        Network.InitWeights();
        bookmark_ = Network.SaveToStrings();
    }
    const int column = std::min(Column, k_ - 1) + 1;
    FillPatterns(1, column, TrainingRows());
    Network.Epochs = 100;
    return true;
}

std::vector<TLexicographicAnalysis::Point> TLexicographicAnalysis::FitPoints() {
    std::vector<Point> points;
    const int count = Network.PatternCount;
    points.reserve(static_cast<size_t>(count) + 1);
    for (int p = 0; p < count; ++p) {
        Network.SelectPattern(p);
        Network.Compute();
        points.push_back({Ordinal(p + 5), std::min(Network.Output[0], total_)});
    }
    const int last = TrainingRows();
    points.push_back({Ordinal(last) + 1, std::min(std::trunc(Forecast(1, last + 1)), total_)});
    return points;
}

int TLexicographicAnalysis::RunTraining(const PassCallback& onPass, const std::atomic<bool>* cancel) {
    int pass = 0;
    do {
        ++pass;
        Network.Train(cancel);
        TrainingPass info;
        info.Pass = pass;
        info.Error = Network.OutputError[0];
        info.Fit = FitPoints();
        const bool go = !onPass || onPass(info);
        const bool cancelled = cancel && cancel->load();
        // Train decides Converged from its last epoch; a stop is applied
        // after it so that the loop sees it.
        if (!go || cancelled || (MaxPasses > 0 && pass >= MaxPasses)) Network.Converged = true;
    } while (!Network.Converged);
    return pass;
}

TLexicographicAnalysis::PreviewResult TLexicographicAnalysis::Preview() {
    return AllBalls() ? PreviewAll() : PreviewColumn();
}

int TLexicographicAnalysis::FirstBall(double csn, int m) const {
    if (m < 1 || m > k_) return 0;
    const TCSN& tail = *tails_[static_cast<size_t>(m)];
    if (!(csn >= 1) || csn > tail.Total) return 0;
    std::vector<int32_t> balls(static_cast<size_t>(m) + 1);
    tail.CSNToBalls(csn, balls);
    return balls[1];
}

int TLexicographicAnalysis::PredictedBall(double forecast) const {
    const int j = std::min(Column, k_ - 1);
    if (loadedNotation_ == Notation::Decimal || j + 1 == k_) {
        const double ball = std::trunc(forecast);
        // Beyond any ball value; what matters is only whether it is positive.
        return ball >= 1 ? static_cast<int>(std::min(ball, 1e9)) : 0;
    }
    return FirstBall(forecast, k_ - j);
}

TLexicographicAnalysis::Prediction TLexicographicAnalysis::Predict(int draw, double forecast, bool withDistance,
                                                                  double distance, double relative) const {
    Prediction prediction;
    prediction.Draw = draw;
    prediction.Value = std::trunc(forecast);
    prediction.Ball = PredictedBall(forecast);
    prediction.HasDistance = withDistance;
    if (withDistance) {
        prediction.Distance = std::trunc(distance);
        prediction.Relative = relative;
    }
    return prediction;
}

void TLexicographicAnalysis::ForecastBlock(std::vector<std::string>& memo, const Prediction& prediction) {
    if (prediction.Ball <= 0) {
        memo.push_back("Previsão inválida para concurso " + Int(prediction.Draw));
        return;
    }
    memo.push_back("Previsão p/ concurso " + Int(prediction.Draw) + ":");
    memo.push_back(General(prediction.Value));
    memo.push_back("Dezena prevista: " + Int(prediction.Ball));
    if (prediction.HasDistance) {
        memo.push_back("Distância da realidade:");
        memo.push_back(General(prediction.Distance) + " (" +
                       General(static_cast<long double>(prediction.Relative) * 100) + "%)");
    }
}

TLexicographicAnalysis::PreviewResult TLexicographicAnalysis::PreviewColumn() {
    PreviewResult result;
    if (k_ < 1) return result;
    const int j = std::min(Column, k_ - 1);
    const int column = j + 1;
    const int last = sampleSize_; // R, the last grid row
    const bool decimal = loadedNotation_ == Notation::Decimal;
    const bool trained = Trained();
    result.DistributionTitle = "Distribuição normal - bola " + Int(j + 1);

    std::vector<int> counts(static_cast<size_t>(n_) + 1, 0);
    for (int row = 5; row <= last; ++row) {
        const double real = Cell(row, column);
        result.Real.push_back({Ordinal(row), real});
        if (decimal) {
            const double ball = std::trunc(real);
            if (ball >= 1 && ball <= n_) ++counts[static_cast<size_t>(ball)];
        }
        if (trained) result.Forecast.push_back({Ordinal(row), CappedFit(row)});
    }
    if (decimal) {
        const TCSN& game = *tails_[static_cast<size_t>(k_)];
        for (int ball = 1; ball <= n_; ++ball) {
            const int count = counts[static_cast<size_t>(ball)];
            if (count <= 0) continue;
            const long double theory = static_cast<long double>(last) * game.PositionProbability(ball, j + 1);
            result.Theory.push_back({static_cast<double>(ball), static_cast<double>(theory)});
            result.Counts.push_back({static_cast<double>(ball), static_cast<double>(count)});
        }
    }

    if (!trained) {
        result.Memo.push_back("Sem previsão");
        return result;
    }

    // The check row is the last row the network was trained on.
    const int check = last - Skip;
    const long double checkReal = Cell(check, column);
    const long double checkFit = CappedFit(check);
    const long double margin = std::trunc((checkFit / checkReal - 1) * 10000) / 100;

    auto nextDraw = [&] { return std::min(std::trunc(Forecast(1, last + 1)), total_); };
    double f1 = 0;
    double f2 = 0;
    switch (Skip) {
    case 1:
        f1 = CappedFit(last);
        f2 = nextDraw();
        result.Forecast.push_back({Ordinal(last) + 1, f2});
        break;
    case 2:
        f1 = CappedFit(last - 1);
        f2 = CappedFit(last);
        break;
    default:
        f1 = nextDraw();
        result.Forecast.push_back({Ordinal(last) + 1, f1});
        break;
    }

    double distance1 = 1;
    double distance2 = 1;
    if (Skip == 1 || Skip == 2) {
        const double real1 = Cell(Skip == 1 ? last : last - 1, column);
        distance1 = static_cast<double>(static_cast<long double>(real1) - f1);
        RelDistance1 = RelativeDistance(distance1, total_);
        if (Skip == 2) {
            distance2 = static_cast<double>(static_cast<long double>(Cell(last, column)) - f2);
            RelDistance2 = RelativeDistance(distance2, total_);
        }
    } else {
        RelDistance1 = 0;
    }

    const int next = static_cast<int>(Ordinal(check)) + 1;
    result.Trained = true;
    result.MarginDraw = next - 1;
    result.Margin = static_cast<double>(margin);
    result.Predictions.push_back(Predict(next, f1, Skip >= 1, distance1, RelDistance1));
    if (f2 > 0) result.Predictions.push_back(Predict(next + 1, f2, Skip == 2, distance2, RelDistance2));
    result.Memo.push_back("Margem de erro da rede no concurso " + Int(next - 1) + ": " + General(margin) +
                          "%");
    for (const Prediction& prediction : result.Predictions) {
        result.Memo.emplace_back();
        ForecastBlock(result.Memo, prediction);
    }
    return result;
}

TLexicographicAnalysis::PreviewResult TLexicographicAnalysis::PreviewAll() {
    PreviewResult result;
    result.AllBalls = true;
    // Descending votes by exchanges; this procedure also decides where equal
    // counts end up (votes 1, 2, 1, 2 list balls 2, 4, 3, 1).
    for (int i = 1; i <= n_ - 1; ++i)
        for (int j = i + 1; j <= n_; ++j)
            if (Votes[static_cast<size_t>(i)] < Votes[static_cast<size_t>(j)]) {
                std::swap(Votes[static_cast<size_t>(i)], Votes[static_cast<size_t>(j)]);
                std::swap(VoteBalls[static_cast<size_t>(i)], VoteBalls[static_cast<size_t>(j)]);
            }
    if (n_ < 1 || VoteBalls[1] == 0) {
        result.Memo.push_back("Sem previsão");
        return result;
    }
    result.Memo.push_back("Estatística de toviscas:");
    result.Memo.push_back("Bola\tVoto");
    for (int i = 1; i <= n_; ++i) {
        const int ball = VoteBalls[static_cast<size_t>(i)];
        const int votes = Votes[static_cast<size_t>(i)];
        result.Memo.push_back(Int(ball) + "\t" + Int(votes));
        result.Tally.push_back({ball, votes});
        result.Slices.push_back({static_cast<double>(votes), "Bola " + Int(ball) + ":"});
    }
    return result;
}

std::vector<TLexicographicAnalysis::Slice> TLexicographicAnalysis::VoteSlices() const {
    std::vector<Slice> slices;
    const std::string prefix = loadedNotation_ == Notation::Decimal ? "Dez." : "Dez. ";
    for (int ball = 1; ball <= n_; ++ball)
        slices.push_back({static_cast<double>(Votes[static_cast<size_t>(ball)]), prefix + Int(ball) + ":"});
    return slices;
}

std::unique_ptr<TNNMLP> TLexicographicAnalysis::VoteStarter(std::uint64_t seed, int column) {
    auto starter = std::make_unique<TNNMLP>(5, 8, 1);
    // splitmix64 of (seed, column): well-spread seeds for neighbouring columns.
    std::uint64_t z = seed + 0x9E3779B97F4A7C15ULL * static_cast<std::uint64_t>(column + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    starter->Seed(z ^ (z >> 31));
    return starter;
}

void TLexicographicAnalysis::TakeStart(TNNMLP& starter) {
    starter.InitWeights();
    Network.InitWeights();
    Network.HiddenWeight = starter.HiddenWeight;
    Network.OutputWeight = starter.OutputWeight;
}

TLexicographicAnalysis::Judgement TLexicographicAnalysis::Judge(int c, bool errorTest, double acceptedError) {
    const bool decimal = loadedNotation_ == Notation::Decimal;
    const int last = sampleSize_;
    const int m = k_ - c + 1;
    const double tailTotal = tails_[static_cast<size_t>(m)]->Total;
    bool acceptable = true;
    if (!decimal && errorTest) {
        const auto held = [&](int row) {
            const double f = std::trunc(Forecast(c, row));
            return RelativeDistance(static_cast<long double>(Cell(row, c)) - f, tailTotal);
        };
        RelDistance1 = held(last - 1);
        RelDistance2 = held(last);
        acceptable = std::fabs(RelDistance1) + std::fabs(RelDistance2) < acceptedError;
    }
    Judgement result;
    if (!acceptable) return result;
    const double forecast = std::trunc(Forecast(c, last + 1));
    result.Accepted = forecast > 0 && forecast <= (decimal ? n_ : tailTotal);
    if (result.Accepted) result.Ball = decimal ? static_cast<int>(forecast) : FirstBall(forecast, m);
    return result;
}

void TLexicographicAnalysis::CountVote(const Judgement& judgement) {
    if (judgement.Accepted && judgement.Ball >= 1 && judgement.Ball <= n_)
        ++Votes[static_cast<size_t>(judgement.Ball)];
}

bool TLexicographicAnalysis::AnalyseAll(int votes, bool errorTest, double acceptedError,
                                        const PassCallback& onPass, const VoteCallback& onVote,
                                        const std::atomic<bool>* cancel) {
    const bool decimal = loadedNotation_ == Notation::Decimal;
    Skip = 0;
    const int last = sampleSize_;
    // In CSN notation the last two draws are always held out for the error test.
    const int trainingRows = decimal ? last : last - 2;
    Network.SetPatternCount(std::max(0, trainingRows - 4));
    Network.Epochs = 100;
    Network.Tolerance = 1e-9;
    Votes.assign(static_cast<size_t>(n_) + 2, 0);
    for (size_t b = 0; b < VoteBalls.size(); ++b) VoteBalls[b] = static_cast<int>(b);
    if (trainingRows - 4 < 1) return true; // no pattern: no network can be trained
    const int total = std::max(votes, 0);
    if (total == 0 || k_ < 1) return true;
    const std::uint64_t seed = Network.NextSeed();
    const auto passes = MaxPasses > 0 ? std::min(MaxPasses, VoteTrainingCap + 1) : VoteTrainingCap + 1;
    if (BatchedVotes)
        return AnalyseAllBatched(total, trainingRows, seed, passes, errorTest, acceptedError, onPass, onVote,
                                 cancel);

    bool stopped = false;
    for (int c = 1; c <= k_ && !stopped; ++c) {
        FillPatterns(c, c, trainingRows);
        const auto starter = VoteStarter(seed, c);
        for (int t = 1; t <= total && !stopped; ++t) {
            if (onVote && !onVote({VoteLabel(c, k_, t, total), {}})) {
                stopped = true;
                break;
            }
            RelDistance1 = 1;
            RelDistance2 = 1;
            Judgement judgement;
            while (true) {
                TakeStart(*starter);
                bool halted = false;
                int pass = 0;
                do {
                    ++pass;
                    Network.Train(cancel);
                    TrainingPass info;
                    info.Pass = pass;
                    info.Error = Network.OutputError[0];
                    if (onPass && !onPass(info)) halted = true;
                    if (cancel && cancel->load()) halted = true;
                    if (halted || pass >= passes) Network.Converged = true;
                } while (!Network.Converged);
                judgement = Judge(c, errorTest, acceptedError);
                if (halted) stopped = true;
                if (judgement.Accepted || halted) break;
            }
            // Only an accepted network votes: a run stopped before any
            // network passed the tests leaves the counts as they were.
            CountVote(judgement);
            if ((t % 10 == 0 || t == total) && onVote && !onVote({{}, VoteSlices()})) stopped = true;
        }
    }
    return !stopped;
}

bool TLexicographicAnalysis::AnalyseAllBatched(int total, int trainingRows, std::uint64_t seed, int passes,
                                               bool errorTest, double acceptedError,
                                               const PassCallback& onPass, const VoteCallback& onVote,
                                               const std::atomic<bool>* cancel) {
    using Job = TTrainingJobs::Job;
    using Trained = TTrainingJobs::Trained;
    constexpr int Lanes = TNNMLPBatch::GroupLanes;
    // Column c's votes are the first `total` accepted networks among its
    // starts 0, 1, 2, ... (its own generator), exactly as the one-by-one
    // loop takes them. A column's batch trains eight starts at a time on a
    // core; its networks need anything from a few passes to the cap, so a
    // lane whose network has finished takes the column's next start while
    // the others go on. The columns are worked on side by side, so that a
    // core never waits for the last network of a column.
    //
    // Threading: a job's thread draws the next start of its column through
    // Next, under `starts`, which also guards every column's Starter, Issued
    // and Satisfied; everything else belongs to this thread.
    struct Column {
        int Number = 0;
        std::unique_ptr<TNNMLP> Starter;
        int Issued = 0;   // starts handed to batches
        int Consumed = 0; // starts judged, in order
        int Accepted = 0;
        int InFlight = 0;
        bool Satisfied = false;
        std::map<int, Trained> Done; // by start number
    };
    std::vector<Column> columns(static_cast<size_t>(k_));
    for (int c = 1; c <= k_; ++c) {
        columns[static_cast<size_t>(c - 1)].Number = c;
        columns[static_cast<size_t>(c - 1)].Starter = VoteStarter(seed, c);
    }
    std::mutex starts;
    // Declared after the columns and the mutex that the jobs' threads use,
    // so that its destructor stops and joins them first.
    TTrainingJobs jobs(VoteThreads);
    std::vector<std::shared_ptr<Job>> active;
    bool stopped = false;

    const auto launch = [&](Column& column) {
        FillPatterns(column.Number, column.Number, trainingRows);
        auto batch = std::make_unique<TNNMLPBatch>(Network, Lanes, VotePath);
        int first = 0;
        {
            const std::lock_guard lock(starts);
            for (int lane = 0; lane < Lanes; ++lane) {
                column.Starter->InitWeights();
                batch->SetStart(lane, *column.Starter);
            }
            first = column.Issued;
            column.Issued += Lanes;
        }
        const TTrainingJobs::NextStart next = [&starts, &column](TNNMLPBatch& batch, int lane) {
            const std::lock_guard lock(starts);
            if (column.Satisfied) return -1;
            column.Starter->InitWeights();
            if (!batch.SetStart(lane, *column.Starter)) return -1; // not for starts InitWeights leaves
            return column.Issued++;
        };
        active.push_back(jobs.Start(std::move(batch), passes, column.Number, first, next));
        ++column.InFlight;
    };
    const auto gather = [&](Job& job) {
        Column& column = columns[static_cast<size_t>(job.Tag - 1)];
        for (Trained& network : job.Take())
            if (!column.Satisfied) column.Done[network.Start] = std::move(network);
    };
    // Judges the column's finished starts in order. With `halted`, the first
    // start stopped in training is judged too, as the one-by-one loop judges
    // the network it was training when stopped. False when a callback asks
    // to stop.
    const auto consume = [&](Column& column, bool halted) {
        while (!column.Satisfied) {
            const auto found = column.Done.find(column.Consumed);
            if (found == column.Done.end()) return true;
            const bool wasStopped = found->second.Stopped;
            if (wasStopped && !halted) return true;
            TNNMLPBatch::Export(found->second.State, Network);
            column.Done.erase(found);
            ++column.Consumed;
            RelDistance1 = 1;
            RelDistance2 = 1;
            const Judgement judgement = Judge(column.Number, errorTest, acceptedError);
            if (judgement.Accepted) {
                CountVote(judgement);
                const int t = ++column.Accepted;
                if (t == total) {
                    const std::lock_guard lock(starts);
                    column.Satisfied = true;
                    column.Done.clear();
                }
                if ((t % 10 == 0 || t == total) && onVote && !onVote({{}, VoteSlices()})) return false;
            }
            if (wasStopped) return true; // the stopped network was the last one
        }
        return true;
    };

    int shownColumn = 0;
    int shownVote = 0;
    while (!stopped) {
        while (jobs.Running() < jobs.Threads()) {
            Column* pick = nullptr;
            for (Column& column : columns)
                if (!column.Satisfied && column.InFlight == 0) {
                    pick = &column;
                    break;
                }
            for (Column& column : columns)
                if (pick == nullptr && !column.Satisfied) pick = &column;
            if (pick == nullptr) break;
            launch(*pick);
        }
        const auto open =
            std::find_if(columns.begin(), columns.end(), [](const Column& c) { return !c.Satisfied; });
        if (open == columns.end()) break;
        if (open->Number != shownColumn || open->Accepted + 1 != shownVote) {
            shownColumn = open->Number;
            shownVote = open->Accepted + 1;
            if (onVote && !onVote({VoteLabel(shownColumn, k_, shownVote, total), {}})) {
                stopped = true;
                break;
            }
        }
        jobs.Wait(std::chrono::milliseconds(50));
        if (!active.empty() && active.front()->Pass.load() > 0) {
            TrainingPass info;
            info.Pass = active.front()->Pass.load();
            info.Error = active.front()->Error.load();
            if (onPass && !onPass(info)) stopped = true;
        }
        if (cancel && cancel->load()) stopped = true;
        if (stopped) jobs.StopAll();
        for (const std::shared_ptr<Job>& job : active) gather(*job);
        for (const std::shared_ptr<Job>& job : jobs.Collect()) {
            gather(*job);
            active.erase(std::find(active.begin(), active.end(), job));
            --columns[static_cast<size_t>(job->Tag - 1)].InFlight;
        }
        for (Column& column : columns) {
            if (!consume(column, stopped)) {
                stopped = true;
                jobs.StopAll();
                break;
            }
            // A satisfied column's batches still running are not needed.
            if (column.Satisfied)
                for (const std::shared_ptr<Job>& job : active)
                    if (job->Tag == column.Number) job->Stop.store(true);
        }
    }
    jobs.StopAll();
    return !stopped;
}

TLexicographicAnalysis::GenerateResult TLexicographicAnalysis::Generate(int attempts, const std::string& path,
                                                                        const PassCallback& onPass,
                                                                        const AttemptCallback& onAttempt,
                                                                        const std::atomic<bool>* cancel) {
    GenerateResult result;
    Skip = 2;
    double best1 = 1;
    double best2 = 1;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        if (cancel && cancel->load()) break;
        AttemptEvent before;
        before.Label = AttemptLabel(attempt, attempts, best1, best2, result.Saved);
        if (onAttempt && !onAttempt(before)) break;
        if (!PrepareTraining(false)) {
            result.Error = "A amostra não tem concursos suficientes para treinar a rede.";
            break;
        }
        RunTraining(onPass, cancel);
        AttemptEvent after;
        after.Done = true;
        after.Preview = PreviewColumn();
        // The bests are kept as magnitudes: a start that misses low is as
        // good as one that misses high by the same amount.
        const double d1 = std::fabs(RelDistance1);
        const double d2 = std::fabs(RelDistance2);
        if (d1 < best1 && d2 < best2) {
            if (!WriteLines(path, *bookmark_, result.Error)) break;
            best1 = d1;
            best2 = d2;
            ++result.Saved;
        }
        if (onAttempt && !onAttempt(after)) break;
    }
    if (!result.Error.empty()) return result;

    std::vector<std::string> lines;
    std::ifstream probe(path, std::ios::binary);
    if (!probe && result.Saved == 0) return result; // nothing was written and no file was there
    probe.close();
    if (!ReadLines(path, lines, result.Error)) return result;
    result.Error = SetBookmark(lines);
    result.Loaded = result.Error.empty();
    return result;
}

std::string TLexicographicAnalysis::SetBookmark(const std::vector<std::string>& lines) {
    // Checked on a scratch network, so that a bad file changes nothing.
    TNNMLP check(5, 8, 1);
    const TNNMLP::LoadResult loaded = check.LoadFromStrings(lines);
    if (!loaded) return loaded.Error;
    if (check.Inputs != 5 || check.Outputs != 1)
        return "O arquivo contém uma rede " + Int(check.Inputs) + "-" + Int(check.Hidden) + "-" +
               Int(check.Outputs) + "; esta análise usa redes de 5 entradas e 1 saída.";
    bookmark_ = lines;
    return {};
}

bool TLexicographicAnalysis::ReadLines(const std::string& path, std::vector<std::string>& lines,
                                       std::string& error) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        error = "Não foi possível abrir o arquivo " + path + ".";
        return false;
    }
    const std::streamoff size = file.tellg();
    if (size < 0 || size > MaxBookmarkBytes) {
        error = "O arquivo " + path + " é grande demais para ser uma rede neural.";
        return false;
    }
    file.seekg(0);
    std::string text(static_cast<size_t>(size), '\0');
    if (!file.read(text.data(), size)) {
        error = "Não foi possível ler o arquivo " + path + ".";
        return false;
    }
    lines.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

bool TLexicographicAnalysis::WriteLines(const std::string& path, const std::vector<std::string>& lines,
                                        std::string& error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) file << line << "\r\n";
    file.close();
    if (!file) {
        error = "Não foi possível gravar o arquivo " + path + ".";
        return false;
    }
    return true;
}

std::string TLexicographicAnalysis::VoteLabel(int column, int columns, int vote, int votes) {
    return Int(column) + "/" + Int(columns) + ", voto: " + Int(vote) + "/" + Int(votes);
}

std::string TLexicographicAnalysis::AttemptLabel(int attempt, int attempts, double best1, double best2,
                                                 int saved) {
    return Int(attempt) + "/" + Int(attempts) + " (" + General(static_cast<long double>(best1) * 100) + "%/" +
           General(static_cast<long double>(best2) * 100) + "%/" + Int(saved) + ")";
}
