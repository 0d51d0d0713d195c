// Every window kind's longest run, with large settings: "Parar" ends it and
// the window shows what a stopped run shows; closing the window mid-run
// leaves the interface answering, the window goes once its worker has let
// go, and no worker is left running. The bounds here are loose on purpose:
// the timings themselves are bench_stop's.
#include "GuiTestSupport.h"
#include "StopScenarios.h"

#include <QPointer>

namespace {

using namespace gui;

// Far beyond what a stop or a close takes; only a run that ignores them, or
// a close that waits for a whole run, comes near.
constexpr double EndBound = 10.0;
constexpr double HeldBound = 2.0;

class StopAndCloseTest : public WindowTest, public ::testing::WithParamInterface<size_t> {
protected:
    stop::Scenario Scenario() const { return stop::Scenarios(QString::fromStdString(folder.Path().string())).at(GetParam()); }
    QWidget* Start(const stop::Scenario& scenario) {
        QWidget* window = scenario.Start(main);
        EXPECT_NE(window, nullptr) << scenario.Name;
        if (!window) return nullptr;
        EXPECT_TRUE(scenario.Running(window)) << scenario.Name;
        stop::Spin(scenario.Warm);
        // On an idle, fast machine a run may end before it can be stopped:
        // there is then nothing to measure.
        endedByItself = scenario.Warm >= 0 && !scenario.Running(window);
        return window;
    }
    bool endedByItself = false;
    static void ExpectNoWorker() {
        stop::RunLoopUntil([] { return stop::ActiveWorkers() == 0; }, EndBound);
        EXPECT_EQ(stop::ActiveWorkers(), 0);
    }
};

TEST_P(StopAndCloseTest, PararEndsTheRunAndShowsWhatItHad) {
    const stop::Scenario scenario = Scenario();
    QWidget* window = Start(scenario);
    ASSERT_NE(window, nullptr);
    if (endedByItself) GTEST_SKIP() << scenario.Name << " ended by itself before it could be stopped";
    const stop::Times times = stop::TimeStop(scenario, window, 60);
    ASSERT_GE(times.Ended, 0) << scenario.Name << ": still running";
    EXPECT_LT(times.Ended, EndBound) << scenario.Name;
    if (!scenario.SlowPreview) EXPECT_LT(times.Held, HeldBound) << scenario.Name;
    EXPECT_EQ(scenario.Stopped(window), "") << scenario.Name;
    ExpectNoWorker();
}

TEST_P(StopAndCloseTest, ClosingMidRunNeverWaitsForTheRun) {
    const stop::Scenario scenario = Scenario();
    QWidget* window = Start(scenario);
    ASSERT_NE(window, nullptr);
    if (endedByItself) GTEST_SKIP() << scenario.Name << " ended by itself before it could be stopped";
    const stop::Times times = stop::TimeClose(stop::FrameOf(window), {QPointer<QWidget>(window)}, 60);
    ASSERT_GE(times.Ended, 0) << scenario.Name << ": the window is still there";
    EXPECT_LT(times.Ended, EndBound) << scenario.Name;
    EXPECT_LT(times.Held, HeldBound) << scenario.Name;
    ExpectNoWorker();
}

INSTANTIATE_TEST_SUITE_P(EveryWindowKind, StopAndCloseTest,
                         ::testing::Range<size_t>(0, stop::Scenarios(QString()).size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             const std::vector<stop::Scenario> scenarios = stop::Scenarios(QString());
                             std::string name;
                             for (const char c : scenarios.at(info.param).Name)
                                 if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
                                     name += c;
                             return name;
                         });

class ClosingMidRunTest : public WindowTest {};

// The segmentation run of many votes: closing the game window closes the
// analysis window too; neither waits for the votes.
TEST_F(ClosingMidRunTest, GameWindowWithASegmentationRunGoesAtOnce) {
    const stop::Scenario scenario = stop::Scenarios(QString::fromStdString(folder.Path().string())).at(0);
    QWidget* window = scenario.Start(main);
    ASSERT_NE(window, nullptr);
    stop::Spin(scenario.Warm);
    ASSERT_TRUE(scenario.Running(window));
    QWidget* game = qobject_cast<TAnalysisForm*>(window)->Game();
    const stop::Times times =
        stop::TimeClose(stop::FrameOf(game), {QPointer<QWidget>(window), QPointer<QWidget>(game)}, 60);
    ASSERT_GE(times.Ended, 0);
    EXPECT_LT(times.Ended, EndBound);
    EXPECT_LT(times.Held, HeldBound);
    EXPECT_TRUE(main.GameWindows().isEmpty());
    stop::RunLoopUntil([] { return stop::ActiveWorkers() == 0; }, EndBound);
    EXPECT_EQ(stop::ActiveWorkers(), 0);
}

// A window closed mid-run hides at once and is forgotten by its game
// window, which opens a new one of the kind while the old one winds down;
// the old one's going does not clear the new one's flag.
TEST_F(ClosingMidRunTest, AClosedWindowHidesAndTheKindOpensAfresh) {
    const stop::Scenario scenario = stop::Scenarios(QString::fromStdString(folder.Path().string())).at(0);
    QWidget* window = scenario.Start(main);
    ASSERT_NE(window, nullptr);
    stop::Spin(0.5);
    auto* form = qobject_cast<TAnalysisForm*>(window);
    TForm3* game = form->Game();
    const QPointer<QWidget> old(window);
    stop::FrameOf(window)->close();
    if (old) { // still winding down
        EXPECT_TRUE(form->Closing());
        EXPECT_FALSE(stop::FrameOf(window)->isVisible());
    }
    EXPECT_EQ(game->AnalysisWindow(TLottery::Segmentation), nullptr);
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::Segmentation]);
    Activate(game);
    Action(game, "Anlisebase51")->trigger();
    QWidget* fresh = game->AnalysisWindow(TLottery::Segmentation);
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, old.data());
    stop::RunLoopUntil([&] { return old.isNull(); }, EndBound);
    ProcessDeletes();
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(game->AnalysisWindow(TLottery::Segmentation), fresh);
    EXPECT_TRUE(game->Lottery()->WindowOpen[TLottery::Segmentation]);
}

} // namespace
