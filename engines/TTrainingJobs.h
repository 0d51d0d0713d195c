#pragma once
// Batches of networks (TNNMLPBatch) trained on worker threads while the
// calling thread follows them: the vote loops of the analyses start a batch
// per free core, read the progress of the running ones, and collect each
// batch when its last Train call is done.
//
// Ownership: the jobs own their batches; the caller keeps a shared_ptr to
// each job it started and reads the batch only after the job has finished.
// The destructor stops every job and waits for its thread.
//
// Threading: Start, Wait, Collect and StopAll belong to one thread (the
// caller's); a job's thread touches only its own batch and the job's atomic
// fields.
#include "TNNMLPBatch.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TTrainingJobs {
public:
    // A network a job has finished with: the number of its start, its state,
    // and whether the job stopped before the network's training had ended.
    struct Trained {
        int Start = 0;
        TNNMLPBatch::LaneState State;
        bool Stopped = false;
    };
    // Gives lane its next start (through batch.SetStart) and returns that
    // start's number, or -1 to leave the lane idle. Called on the job's thread.
    using NextStart = std::function<int(TNNMLPBatch& batch, int lane)>;

    struct Job {
        std::unique_ptr<TNNMLPBatch> Batch;
        int Passes = 0; // Train calls to make at most
        int Tag = 0;    // the caller's: what the batch trains for
        int First = 0;  // the caller's: the number of the batch's first start
        std::atomic<bool> Stop{false};
        std::atomic<int> Pass{0};     // Train calls made
        std::atomic<double> Error{0}; // lane 0's OutputError after the last call
        std::atomic<bool> Finished{false};
        // Read after Finished: the job ended on Stop before its last call.
        bool Stopped = false;

        // With Next, every lane trains one network after another: a lane
        // whose network has converged or made Passes calls hands it over
        // (Take) and, while the batch can restart lanes, takes the start Next
        // gives it; the job ends when every lane is idle or on Stop, which
        // hands over the networks in training as stopped. Lane l starts as
        // start number First + l.
        NextStart Next;
        // The networks handed over since the last call, in no set order.
        std::vector<Trained> Take();

    private:
        friend class TTrainingJobs;
        void Hand(Trained network);
        std::mutex mutex_;
        std::vector<Trained> finished_;
    };

    // threads below 1: one per hardware thread.
    explicit TTrainingJobs(int threads);
    TTrainingJobs(const TTrainingJobs&) = delete;
    TTrainingJobs& operator=(const TTrainingJobs&) = delete;
    ~TTrainingJobs();

    int Threads() const { return threads_; }
    int Running() const { return static_cast<int>(running_.size()); }

    // Starts a job that makes up to `passes` Train calls on batch, ending
    // early when every lane has converged or when the job's Stop is set.
    std::shared_ptr<Job> Start(std::unique_ptr<TNNMLPBatch> batch, int passes, int tag, int first,
                               NextStart next = {});
    // Returns when a job finishes or after timeout.
    void Wait(std::chrono::milliseconds timeout);
    // The finished jobs not yet collected, in the order they were started;
    // their threads are joined.
    std::vector<std::shared_ptr<Job>> Collect();
    // Sets every running job's Stop and waits for all of them; they are then
    // collected by the next Collect.
    void StopAll();

private:
    struct Worker {
        std::shared_ptr<Job> Work;
        std::thread Thread;
    };
    static void Train(Job& job);
    static void TrainInTurn(Job& job);

    int threads_ = 1;
    std::vector<Worker> running_;
    std::mutex mutex_;
    std::condition_variable finished_;
};
