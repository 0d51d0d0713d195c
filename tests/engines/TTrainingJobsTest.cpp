// Training jobs whose lanes train one network after another: every network
// handed over equals the scalar training of its start.
#include "TTrainingJobs.h"
#include "NetworkTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using Trained = TTrainingJobs::Trained;

// Runs one job of eight lanes on prototype with starts from seeds 100 +
// number, `count` starts in all, and returns the networks by start number.
std::map<int, Trained> RunInTurn(const TNNMLP& prototype, int passes, int count, bool stop) {
    auto batch = std::make_unique<TNNMLPBatch>(prototype, 8);
    TNNMLP start(5, 8, 1);
    const auto draw = [&](TNNMLPBatch& b, int lane, int number) {
        start.Seed(static_cast<std::uint64_t>(100 + number));
        start.InitWeights();
        return b.SetStart(lane, start);
    };
    for (int lane = 0; lane < 8; ++lane) EXPECT_TRUE(draw(*batch, lane, lane));
    std::mutex mutex;
    int issued = 8;
    TTrainingJobs jobs(1);
    const auto job = jobs.Start(std::move(batch), passes, 0, 0, [&](TNNMLPBatch& b, int lane) {
        const std::lock_guard lock(mutex);
        if (issued == count || !draw(b, lane, issued)) return -1;
        return issued++;
    });
    if (stop) jobs.StopAll();
    while (!job->Finished.load()) jobs.Wait(std::chrono::milliseconds(20));
    jobs.Collect();
    std::map<int, Trained> networks;
    for (Trained& t : job->Take()) {
        EXPECT_FALSE(networks.contains(t.Start)) << t.Start;
        networks[t.Start] = std::move(t);
    }
    return networks;
}

TEST(TTrainingJobsTest, LanesTrainStartAfterStartLikeNetworksOfTheirOwn) {
    // The first tolerance that some starts meet early and others never: lanes
    // then take new starts at different times, beside lanes that train on.
    constexpr int Passes = 40;
    constexpr int Count = 30;
    for (int activation = 1; activation <= 2; ++activation) {
        bool split = false;
        for (const double tolerance : {1e-2, 3e-3, 1e-3, 3e-4, 1e-4, 3e-5, 1e-5, 3e-6, 1e-6}) {
            const auto prototype = Prototype(activation, 13, 7, tolerance);
            std::vector<std::unique_ptr<TNNMLP>> alone;
            int early = 0;
            for (int number = 0; number < Count; ++number) {
                alone.push_back(Alone(*prototype, static_cast<std::uint64_t>(100 + number), Passes));
                early += alone.back()->Converged ? 1 : 0;
            }
            if (early == 0 || early == Count) continue;
            split = true;
            const auto networks = RunInTurn(*prototype, Passes, Count, false);
            ASSERT_EQ(static_cast<int>(networks.size()), Count);
            auto exported = Prototype(activation, 13, 7, tolerance);
            for (const auto& [number, t] : networks) {
                EXPECT_FALSE(t.Stopped);
                TNNMLPBatch::Export(t.State, *exported);
                ExpectSameNetwork(*exported, *alone[static_cast<size_t>(number)],
                                  "start " + std::to_string(number));
            }
            break;
        }
        EXPECT_TRUE(split) << activation;
    }
}

TEST(TTrainingJobsTest, StopHandsOverTheNetworksInTrainingAsStopped) {
    const auto prototype = Prototype(2, 13, 100, 1e-9);
    const auto networks = RunInTurn(*prototype, 1000000, 1000000, true);
    ASSERT_EQ(networks.size(), 8u);
    for (int number = 0; number < 8; ++number) {
        ASSERT_TRUE(networks.contains(number));
        EXPECT_TRUE(networks.at(number).Stopped);
    }
}

} // namespace
