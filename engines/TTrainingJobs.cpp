#include "TTrainingJobs.h"

#include <algorithm>

TTrainingJobs::TTrainingJobs(int threads) {
    threads_ = threads >= 1 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

TTrainingJobs::~TTrainingJobs() {
    StopAll();
    Collect();
}

void TTrainingJobs::Train(Job& job) {
    for (int pass = 1; pass <= job.Passes; ++pass) {
        job.Batch->Train(&job.Stop);
        job.Pass.store(pass, std::memory_order_relaxed);
        job.Error.store(job.Batch->OutputError(0), std::memory_order_relaxed);
        if (job.Stop.load()) {
            job.Stopped = pass < job.Passes;
            break;
        }
        if (job.Batch->AllConverged()) break;
    }
}

std::shared_ptr<TTrainingJobs::Job> TTrainingJobs::Start(std::unique_ptr<TNNMLPBatch> batch, int passes, int tag,
                                                         int first) {
    auto job = std::make_shared<Job>();
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
