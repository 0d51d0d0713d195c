#include "TTrainingJobs.h"

#include <algorithm>
#include <utility>

TTrainingJobs::TTrainingJobs(int threads) {
    threads_ = threads >= 1 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

TTrainingJobs::~TTrainingJobs() {
    StopAll();
    Collect();
}

std::vector<TTrainingJobs::Trained> TTrainingJobs::Job::Take() {
    const std::lock_guard lock(mutex_);
    return std::exchange(finished_, {});
}

void TTrainingJobs::Job::Hand(Trained network) {
    const std::lock_guard lock(mutex_);
    finished_.push_back(std::move(network));
}

void TTrainingJobs::Train(Job& job) {
    TNNMLPBatch& batch = *job.Batch;
    const int lanes = batch.Lanes();
    std::vector<int> start(static_cast<size_t>(lanes));
    std::vector<int> pass(static_cast<size_t>(lanes), 0);
    for (int lane = 0; lane < lanes; ++lane) start[static_cast<size_t>(lane)] = job.First + lane;
    int active = lanes;
    while (active > 0) {
        batch.Train(&job.Stop);
        int shown = -1; // the lane of the earliest start: the one progress follows
        for (int lane = 0; lane < lanes; ++lane) {
            const auto l = static_cast<size_t>(lane);
            if (start[l] < 0) continue;
            ++pass[l];
            if (shown < 0 || start[l] < start[static_cast<size_t>(shown)]) shown = lane;
        }
        job.Pass.store(pass[static_cast<size_t>(shown)], std::memory_order_relaxed);
        job.Error.store(batch.OutputError(shown), std::memory_order_relaxed);
        const bool stop = job.Stop.load();
        for (int lane = 0; lane < lanes; ++lane) {
            const auto l = static_cast<size_t>(lane);
            if (start[l] < 0) continue;
            const bool ended = batch.Converged(lane) || pass[l] >= job.Passes;
            if (!ended && !stop) continue;
            job.Hand({start[l], batch.Capture(lane), !ended});
            const int next = !stop && job.Next && batch.CanRestart() ? job.Next(batch, lane) : -1;
            start[l] = next;
            pass[l] = 0;
            if (next < 0) --active;
        }
        if (stop) {
            job.Stopped = true;
            break;
        }
    }
}

std::shared_ptr<TTrainingJobs::Job> TTrainingJobs::Start(std::unique_ptr<TNNMLPBatch> batch, int passes,
                                                         int tag, int first, NextStart next) {
    auto job = std::make_shared<Job>();
    job->Next = std::move(next);
    job->Batch = std::move(batch);
    job->Passes = passes;
    job->Tag = tag;
    job->First = first;
    std::thread thread([this, job] {
        Train(*job);
        {
            const std::lock_guard lock(mutex_);
            job->Finished.store(true);
        }
        finished_.notify_all();
    });
    running_.push_back({job, std::move(thread)});
    return job;
}

void TTrainingJobs::Wait(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    finished_.wait_for(lock, timeout, [this] {
        return std::any_of(running_.begin(), running_.end(),
                           [](const Worker& r) { return r.Work->Finished.load(); });
    });
}

std::vector<std::shared_ptr<TTrainingJobs::Job>> TTrainingJobs::Collect() {
    std::vector<std::shared_ptr<Job>> done;
    std::vector<Worker> still;
    for (Worker& r : running_) {
        if (r.Work->Finished.load()) {
            if (r.Thread.joinable()) r.Thread.join();
            done.push_back(std::move(r.Work));
        } else {
            still.push_back(std::move(r));
        }
    }
    running_ = std::move(still);
    return done;
}

void TTrainingJobs::StopAll() {
    for (Worker& r : running_) r.Work->Stop.store(true);
    for (Worker& r : running_)
        if (r.Thread.joinable()) r.Thread.join();
    // Every thread has ended (and set Finished): Collect hands the jobs over.
}
