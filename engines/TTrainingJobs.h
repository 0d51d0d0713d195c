#pragma once
// Batches of networks (TNNMLPBatch) trained on worker threads while the
// calling thread follows them: the vote loops of the analyses start a batch
// per free core, read the progress of the running ones, and take the
// networks each batch has finished with.
//
// Every lane of a job trains one network after another: a lane whose
// network has converged or made the job's Passes calls hands it over (Take)
// and, while the batch can restart lanes, takes the start the job's Next
// gives it. A job ends when every lane is idle, or on Stop, which hands over
// the networks still in training as stopped.
//
// Ownership: the jobs own their batches; the caller keeps a shared_ptr to
// each job it started. The destructor stops every job and waits for its
// thread, so an object that a job's Next uses must outlive the TTrainingJobs.
//
// Threading: Start, Wait, Collect and StopAll belong to one thread (the
// caller's); a job's thread touches only its own batch, the job's atomic
// fields and its hand-over list (under the job's mutex), and calls Next.
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
        // Train calls made on, and the last OutputError of, the network of
        // the earliest start in training.
        std::atomic<int> Pass{0};
        std::atomic<double> Error{0};
        std::atomic<bool> Finished{false};
        // Read after Finished: the job ended on Stop.
        bool Stopped = false;
        // Lane l starts as start number First + l; none takes a further
        // start when Next is empty.
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

    // Starts a job on batch whose networks each make up to `passes` Train
    // calls.
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

    int threads_ = 1;
    std::vector<Worker> running_;
    std::mutex mutex_;
    std::condition_variable finished_;
};
