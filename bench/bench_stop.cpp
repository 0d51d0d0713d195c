// How long every window kind's longest run takes to end after "Parar", and
// how long closing the window mid-run holds the interface (the goals: 0.2 s
// and 0.5 s). The runs and their large settings are the window tests'
// scenarios. Reported time: for Stop, from the click to the end of the run;
// for Close, the longest stretch in which the interface did not answer. The
// counters give the other figure of each (Held, Gone).
#include "StopScenarios.h"

#include <QApplication>
#include <QSpinBox>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void StopRun(benchmark::State& state, size_t index, bool close) {
    QTemporaryDir scratch;
    const stop::Scenario scenario = stop::Scenarios(scratch.path()).at(index);
    double held = 0;
    double other = 0;
    for (auto _ : state) {
        TForm2 main;
        main.resize(1400, 1000);
        stop::Install(main);
        main.show();
        QWidget* window = scenario.Start(main);
        if (!window || !scenario.Running(window)) {
            state.SkipWithError("the run did not start");
            break;
        }
        stop::Spin(scenario.Warm);
        if (scenario.Warm >= 0 && !scenario.Running(window)) {
            state.SkipWithError("the run ended by itself");
            break;
        }
        const stop::Times times = close ? stop::TimeClose(stop::FrameOf(window), {QPointer<QWidget>(window)}, 120)
                                        : stop::TimeStop(scenario, window, 120);
        if (times.Ended < 0) {
            state.SkipWithError("the run did not end");
            break;
        }
        state.SetIterationTime(close ? times.Held : times.Ended);
        held = std::max(held, times.Held);
        other = std::max(other, close ? times.Ended : times.Held);
        if (!close && !scenario.Stopped(window).empty()) state.SkipWithError(scenario.Stopped(window).c_str());
        stop::RunLoopUntil([] { return stop::ActiveWorkers() == 0; }, 60);
    }
    if (close)
        state.counters["Gone_s"] = other;
    else
        state.counters["Held_s"] = other;
}

// The game window closed while its segmentation window gathers 5000 votes.
void BM_CloseGameDuringSegmentation(benchmark::State& state) {
    QTemporaryDir scratch;
    const stop::Scenario scenario = stop::Scenarios(scratch.path()).at(0);
    double gone = 0;
    for (auto _ : state) {
        TForm2 main;
        main.resize(1400, 1000);
        stop::Install(main);
        main.show();
        QWidget* window = scenario.Start(main);
        if (!window) {
            state.SkipWithError("the run did not start");
            break;
        }
        stop::Spin(scenario.Warm);
        QWidget* game = qobject_cast<TAnalysisForm*>(window)->Game();
        const stop::Times times =
            stop::TimeClose(stop::FrameOf(game), {QPointer<QWidget>(window), QPointer<QWidget>(game)}, 120);
        if (times.Ended < 0) {
            state.SkipWithError("the windows did not go");
            break;
        }
        state.SetIterationTime(times.Held);
        gone = std::max(gone, times.Ended);
    }
    state.counters["Gone_s"] = gone;
}

// The decision tree runs on the interface thread (it only partitions the
// sample draws): its whole time holds the interface. Lotomania, all draws,
// "Todas as dezenas".
void BM_BayesianTreeOnTheInterfaceThread(benchmark::State& state) {
    TForm2 main;
    stop::Install(main);
    main.resize(1400, 1000);
    main.show();
    QWidget* window = stop::OpenAnalysis(main, "/lotomania.csv", "Anlisebayesiana1", TLottery::Bayesian);
    auto* combo = stop::Child<QComboBox>(window, "ComboBox1");
    if (!window || !combo) {
        state.SkipWithError("no bayesian window");
        return;
    }
    // The whole history as the sample.
    if (auto* sample = stop::Child<QSpinBox>(window, "UpDown1")) sample->setValue(sample->maximum());
    combo->setCurrentIndex(combo->count() - 1);
    const auto* form = qobject_cast<TForm8*>(window);
    double tree = 0;
    double preview = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        stop::Click(window, "Button1");
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        QApplication::processEvents();
        clock.restart();
        benchmark::DoNotOptimize(form->Engine().Tree(combo->count() - 1));
        tree = std::max(tree, static_cast<double>(clock.nsecsElapsed()) / 1e9);
        clock.restart();
        stop::Click(window, "Button2");
        preview = std::max(preview, static_cast<double>(clock.nsecsElapsed()) / 1e9);
    }
    state.counters["Tree_s"] = tree;
    state.counters["Preview_s"] = preview;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TMessageBox::SetRecording(true);
    const std::vector<stop::Scenario> scenarios = stop::Scenarios(QString());
    for (size_t i = 0; i < scenarios.size(); ++i)
        for (const bool close : {false, true})
            benchmark::RegisterBenchmark((std::string(close ? "Close/" : "Stop/") + scenarios[i].Name).c_str(),
                                         [i, close](benchmark::State& state) { StopRun(state, i, close); })
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond)
                ->Iterations(3);
    benchmark::RegisterBenchmark("Close/Jogo durante segmentação", BM_CloseGameDuringSegmentation)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("Hold/Árvore bayesiana (Lotomania)", BM_BayesianTreeOnTheInterfaceThread)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
