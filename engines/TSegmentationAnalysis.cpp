#include "TSegmentationAnalysis.h"

#include "NumberText.h"
#include "TCSN.h"
#include "TLottery.h"
#include "TTrainingJobs.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <utility>

TSegmentationAnalysis::TSegmentationAnalysis(const TLottery& lottery) : lottery_(lottery) {
    Network.Activation = 2;
    Network.LearningRate = 0.4;
    Network.Tolerance = 1e-9;
}

double TSegmentationAnalysis::Top() const {
    if (NotationMode == Notation::Decimal) return lottery_.Elements();
    return lottery_.Converter ? lottery_.Converter->Total : 0;
}

double TSegmentationAnalysis::Value(int draw) const {
    if (draw < 0 || draw >= lottery_.DrawCount) return 0;
    const auto d = static_cast<size_t>(draw);
    if (NotationMode == Notation::Decimal)
        return lottery_.SortedDraws.empty() ? 0 : lottery_.SortedDraws[0][d];
    return lottery_.CSNs[d];
}

void TSegmentationAnalysis::Load(int sampleSize) {
    Network.InitWeights();
    sampleSize_ = std::clamp(sampleSize, std::min(1, lottery_.DrawCount), lottery_.DrawCount);
    first_ = lottery_.DrawCount - sampleSize_;
}

std::string TSegmentationAnalysis::CellText(int row, int column) const {
    if (row == 0) return column == 0 ? "Concurso" : (NotationMode == Notation::Decimal ? "Bola" : "CSN");
    if (row < 1 || row > sampleSize_) return {};
    const int d = first_ + row - 1;
    return column == 0 ? NumberText::FormatInt(d + 1) : NumberText::FormatGeneral(Value(d));
}

int TSegmentationAnalysis::PatternCount() const {
    return std::max(0, Trained() - 5);
}

void TSegmentationAnalysis::FillTrainingSet() {
    const int count = PatternCount();
    Network.SetPatternCount(count);
    for (int p = 0; p < count; ++p) {
        auto& in = Network.PatternIn[static_cast<size_t>(p)];
        for (int i = 0; i < 4; ++i) in[static_cast<size_t>(i)] = Value(first_ + p + i);
        in[4] = p;
        Network.PatternOut[static_cast<size_t>(p)][0] = Value(first_ + p + 5);
    }
}

std::vector<double> TSegmentationAnalysis::ForecastInputs() const {
    const int m = Trained();
    std::vector<double> in(5);
    for (int i = 0; i < 4; ++i) in[static_cast<size_t>(i)] = Value(first_ + m - 5 + i);
    in[4] = PatternCount(); // the next ordinal: the pattern after the last trained one
    return in;
}

double TSegmentationAnalysis::TrainVote(int vote, int cut, const PassCallback& onPass,
                                        const std::atomic<bool>* cancel, bool& stopped) {
    Network.InitWeights();
    int pass = 0;
    do {
        ++pass;
        Network.Train(cancel);
        const Progress info{vote, 0, pass, Network.OutputError[0]};
        if (onPass && !onPass(info)) stopped = true;
        if (cancel && cancel->load()) stopped = true;
        lastCapped_ = !stopped && pass > cut && !Network.Converged;
        if (stopped || pass > cut) Network.Converged = true;
    } while (!Network.Converged);
    const auto in = ForecastInputs();
    std::copy(in.begin(), in.end(), Network.Input.begin());
    Network.Compute();
    return Network.Output[0];
}

bool TSegmentationAnalysis::Close(double at, double other, double top) {
    const double w0 = 0.0001 * top;
    const double gap = top - at;
    const double d = other - at;
    // An infinite scale: only an exactly equal vote is close (0 x inf would be NaN).
    if (gap == 0) return d == 0;
    const double x = (d * d) * (w0 / (gap * gap));
    // exp(-x) >= 0.5 needs x <= ln 2 < 1: a farther vote is not close, and
    // its exp (of a hugely negative number, which underflows through the
    // slow subnormal range) is never taken. A NaN x fails both tests, as the
    // plain test fails it.
    if (x > 1) return false;
    return std::exp(-x) >= 0.5;
}

TSegmentationAnalysis::VoteWeights::VoteWeights(double top) : top_(top), powers_{0.0001 * top} {}

void TSegmentationAnalysis::VoteWeights::Add(double vote) {
    int count = 0;
    for (size_t u = 0; u < votes_.size(); ++u) {
        if (Close(votes_[u], vote, top_)) ++close_[u];
        if (Close(vote, votes_[u], top_)) ++count;
    }
    votes_.push_back(vote);
    close_.push_back(count);
    // The new vote may have raised the count of the only vote with the
    // fewest: find the fewest again (one pass, as the counts above).
    fewest_ = *std::min_element(close_.begin(), close_.end());
    while (powers_.size() < votes_.size()) powers_.push_back(powers_.back() * 0.8);
}

double TSegmentationAnalysis::VoteWeights::Weight(int u) const {
    return powers_[static_cast<size_t>(close_[static_cast<size_t>(u - 1)])];
}

double TSegmentationAnalysis::VoteWeights::MaxWeight() const {
    // Weights fall as counts rise: the largest is that of the fewest.
    return votes_.empty() ? 1.0 : std::max(1.0, powers_[static_cast<size_t>(fewest_)]);
}

TSegmentationAnalysis::Weighting TSegmentationAnalysis::VoteWeights::Current(size_t size) const {
    Weighting result;
    result.Weights.assign(std::max(size, votes_.size() + 1), powers_[0]);
    for (int u = 1; u <= Count(); ++u) result.Weights[static_cast<size_t>(u)] = Weight(u);
    result.MaxWeight = MaxWeight();
    return result;
}

TSegmentationAnalysis::Weighting TSegmentationAnalysis::Weigh(std::span<const double> votes, int v,
                                                              double top) {
    VoteWeights weights(top);
    for (int u = 1; u <= v; ++u) weights.Add(votes[static_cast<size_t>(u)]);
    return weights.Current(votes.size());
}

std::vector<TSegmentationAnalysis::Point> TSegmentationAnalysis::VotePoints(std::span<const double> votes,
                                                                            const Weighting& weighting, int v,
                                                                            double top) {
    std::vector<Point> points{{0, 0}};
    for (int u = 1; u <= v; ++u) {
        const double at = votes[static_cast<size_t>(u)];
        if (at > 0 && at <= top)
            points.push_back({at, 1 - weighting.Weights[static_cast<size_t>(u)] / weighting.MaxWeight});
    }
    points.push_back({top, 0});
    return points;
}

TSegmentationAnalysis::Result TSegmentationAnalysis::Gather(int n, int cut, const PassCallback& onPass,
                                                            const VoteCallback& onVote,
                                                            const std::atomic<bool>* cancel) {
    n = std::max(1, n);
    cut = std::max(1, cut);
    const double top = Top();
    Result result;
    result.Requested = n;
    result.Votes.assign(static_cast<size_t>(n) + 1, 0);
    result.Weights.assign(static_cast<size_t>(n) + 1, 0.0001 * top);
    Network.Tolerance = 1e-9;
    FillTrainingSet();
    Network.Epochs = 100;
    result.Last = {{0, 0}, {Value(lottery_.DrawCount - 1), 1}, {top, 0}};
    if (PatternCount() < 1) { // nothing to train on: no vote can be formed
        SortAndList(result);
        return result;
    }
    const PassCallback report = [&](const Progress& p) {
        Progress full = p;
        full.Votes = n;
        return !onPass || onPass(full);
    };
    if (!Trainer && BatchedVotes)
        return GatherBatched(n, cut, top, std::move(result), report, onVote, cancel);
    const VoteTrainer trainer =
        Trainer
            ? Trainer
            : VoteTrainer([this](int vote, int cutAt, const PassCallback& pass, const std::atomic<bool>* stop,
                                 bool& stopped) { return TrainVote(vote, cutAt, pass, stop, stopped); });
    VoteWeights weights(top);
    for (int v = 1; v <= n; ++v) {
        bool stopped = false;
        double c = 0;
        do {
            lastCapped_ = false;
            c = std::trunc(trainer(v, cut, report, cancel, stopped));
            ++result.Trainings;
            if (lastCapped_) ++result.Capped;
            if (MaxTrainings > 0 && result.Trainings >= MaxTrainings && (c <= 0 || c > top) && !stopped)
                result.Exhausted = true;
        } while ((c <= 0 || c > top) && !stopped && !result.Exhausted);
        if (result.Exhausted) break;
        TakeVote(result, weights, v, c, top, onVote);
        if (stopped) {
            result.Stopped = true;
            break;
        }
    }
    SortAndList(result);
    return result;
}

void TSegmentationAnalysis::TakeVote(Result& result, VoteWeights& weights, int v, double c, double top,
                                     const VoteCallback& onVote) {
    result.Votes[static_cast<size_t>(v)] = c;
    result.Taken = v;
    weights.Add(c);
    for (int u = 1; u <= v; ++u) result.Weights[static_cast<size_t>(u)] = weights.Weight(u);
    result.MaxWeight = weights.MaxWeight();
    result.Points.clear();
    result.Points.push_back({0, 0});
    for (int u = 1; u <= v; ++u) {
        const double at = result.Votes[static_cast<size_t>(u)];
        if (at > 0 && at <= top) result.Points.push_back({at, 1 - weights.Weight(u) / result.MaxWeight});
    }
    result.Points.push_back({top, 0});
    if (onVote) onVote(v, result.Points);
}

TSegmentationAnalysis::Result TSegmentationAnalysis::GatherBatched(int n, int cut, double top, Result result,
                                                                   const PassCallback& report,
                                                                   const VoteCallback& onVote,
                                                                   const std::atomic<bool>* cancel) {
    using Job = TTrainingJobs::Job;
    using Trained = TTrainingJobs::Trained;
    constexpr int Lanes = 4 * TNNMLPBatch::GroupLanes;
    // The votes are the first n in-range forecasts of the starts in the
    // order Network's generator draws them, as in the one-by-one loop. Each
    // core trains thirty-two networks at a time (four vectors, which the
    // trainer advances in lock step); a lane whose network has finished takes the
    // next start while the others go on, and the finished networks are read
    // in the order of their starts.
    //
    // Threading: the jobs' threads draw the next start from Network through
    // their Next, under `starts`, which guards Network, `issued` and
    // `enough`; the forecasts use a network of their own on this thread.
    std::mutex starts;
    int issued = 0;
    bool enough = false;
    TTrainingJobs jobs(VoteThreads); // after what its threads use: it joins them first
    std::vector<std::shared_ptr<Job>> active;
    std::map<int, Trained> done;
    int consumed = 0;
    TNNMLP forecaster(Network.Inputs, Network.Hidden, Network.Outputs);
    forecaster.Activation = Network.Activation;
    const auto forecast = [&](const Trained& network) {
        TNNMLPBatch::Export(network.State, forecaster);
        const auto in = ForecastInputs();
        std::copy(in.begin(), in.end(), forecaster.Input.begin());
        forecaster.Compute();
        return std::trunc(forecaster.Output[0]);
    };
    const TTrainingJobs::NextStart next = [&](TNNMLPBatch& batch, int lane) {
        const std::lock_guard lock(starts);
        if (enough) return -1;
        Network.InitWeights();
        if (!batch.SetStart(lane, Network)) return -1; // not for starts InitWeights leaves
        return issued++;
    };
    const auto launch = [&] {
        const std::lock_guard lock(starts);
        auto batch = std::make_unique<TNNMLPBatch>(Network, Lanes, VotePath);
        for (int lane = 0; lane < Lanes; ++lane) {
            Network.InitWeights();
            batch->SetStart(lane, Network);
        }
        active.push_back(jobs.Start(std::move(batch), cut + 1, 0, issued, next));
        issued += Lanes;
    };
    const auto gather = [&](Job& job) {
        for (Trained& network : job.Take()) done[network.Start] = std::move(network);
    };
    VoteWeights weights(top);
    int taken = 0;
    bool stopped = false;
    while (taken < n && !result.Stopped && !result.Exhausted) {
        while (jobs.Running() < jobs.Threads() && !stopped) launch();
        jobs.Wait(std::chrono::milliseconds(50));
        if (!active.empty() && active.front()->Pass.load() > 0) {
            const Progress info{taken + 1, n, active.front()->Pass.load(), active.front()->Error.load()};
            if (!report(info)) stopped = true;
        }
        if (cancel && cancel->load()) stopped = true;
        if (stopped) jobs.StopAll();
        for (const std::shared_ptr<Job>& job : active) gather(*job);
        for (const std::shared_ptr<Job>& job : jobs.Collect()) {
            gather(*job);
            active.erase(std::find(active.begin(), active.end(), job));
        }
        for (auto found = done.find(consumed); found != done.end() && taken < n;
             found = done.find(consumed)) {
            const Trained network = std::move(found->second);
            done.erase(found);
            ++consumed;
            ++result.Trainings;
            if (!network.Stopped && !network.State.Done) ++result.Capped;
            const double c = forecast(network);
            if (network.Stopped) {
                // The network in training when the run stopped: its
                // forecast is the last vote, in range or not.
                TakeVote(result, weights, ++taken, c, top, onVote);
                result.Stopped = true;
                break;
            }
            if (c > 0 && c <= top)
                TakeVote(result, weights, ++taken, c, top, onVote);
            else if (MaxTrainings > 0 && result.Trainings >= MaxTrainings) {
                result.Exhausted = true;
                break;
            }
        }
        if (stopped) result.Stopped = true; // and the networks in training, if any, are set aside
    }
    {
        const std::lock_guard lock(starts);
        enough = true;
    }
    jobs.StopAll();
    SortAndList(result);
    return result;
}

void TSegmentationAnalysis::SortAndList(Result& result) {
    // Entries after the votes taken (a stopped run) hold vote 0 and weight w0,
    // the largest weight there is, so they already stand at the end.
    const int n = std::min(result.Requested, result.Taken);
    auto& votes = result.Votes;
    auto& weights = result.Weights;
    const int exchanged = std::min(n - 1, ListedVotes);
    for (int i = 1; i <= exchanged; ++i)
        for (int j = i; j <= n; ++j) {
            const auto a = static_cast<size_t>(i);
            const auto b = static_cast<size_t>(j);
            if (weights[a] > weights[b]) {
                std::swap(weights[a], weights[b]);
                std::swap(votes[a], votes[b]);
            }
        }
    // Rows 1..exchanged now hold the smallest weights in the exchange sort's
    // order; the rest are all at least as heavy.
    if (exchanged + 1 < n) {
        const auto first = static_cast<size_t>(exchanged + 1);
        const auto last = static_cast<size_t>(n) + 1;
        std::vector<std::pair<double, double>> rest; // (weight, vote)
        rest.reserve(last - first);
        for (size_t i = first; i < last; ++i) rest.emplace_back(weights[i], votes[i]);
        std::stable_sort(rest.begin(), rest.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (size_t i = first; i < last; ++i) std::tie(weights[i], votes[i]) = rest[i - first];
    }
    result.Memo = {"Votos: " + NumberText::FormatInt(result.Requested), "Tovisca\tPeso"};
    for (int i = 1; i <= std::min(n, ListedVotes); ++i) {
        const auto a = static_cast<size_t>(i);
        if (votes[a] > 0)
            result.Memo.push_back(NumberText::FormatGeneral(votes[a]) + "\t" +
                                  NumberText::FormatFixed(weights[a] / result.MaxWeight, 2));
    }
}
