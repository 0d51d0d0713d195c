// The lexicographic analysis on the Mega-Sena history: one "Analisar" of the
// first column on the last 40 draws (to convergence or 300 passes), bare and
// through the window (worker thread, live chart), against the bare Train
// calls of the same network on the same patterns; and an analyse-all with
// three votes per column in CSN notation.
//
// Counters: passes (Train calls of 100 epochs), updates/s (pattern updates
// per second), and for the window the number of times its fields and chart
// were redrawn.
#include "TForm2.h"
#include "TForm3.h"
#include "TForm4.h"
#include "TLexicographicAnalysis.h"
#include "TLottery.h"
#include "TMessageBox.h"
#include "TProcessPriority.h"
#include "TSegmentationAnalysis.h"

#include <QApplication>
#include <QLineEdit>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <sys/resource.h>

namespace {

const std::string History = std::string(TOVISCA_DATA_DIR) + "/megasena.csv";
constexpr int Sample = 40;
constexpr int Passes = 300;

const TLottery& MegaSena() {
    static const TLottery lottery(History);
    return lottery;
}

void Report(benchmark::State& state, double passes, double patterns) {
    state.counters["passes"] = benchmark::Counter(passes, benchmark::Counter::kAvgIterations);
    state.counters["updates/s"] = benchmark::Counter(passes * 100 * patterns, benchmark::Counter::kIsRate);
}

// The Train calls alone, on the training set "Analisar" builds.
void BM_RawTrain(benchmark::State& state) {
    TLexicographicAnalysis analysis(MegaSena());
    analysis.Load(Sample);
    double passes = 0;
    for (auto _ : state) {
        analysis.Network.Seed(1);
        analysis.PrepareTraining(false);
        for (int pass = 0; pass < Passes && !analysis.Network.Converged; ++pass) {
            analysis.Network.Train();
            ++passes;
        }
    }
    Report(state, passes, analysis.PatternCount());
}
BENCHMARK(BM_RawTrain)->Unit(benchmark::kMillisecond)->UseRealTime();

// The engine's loop: Train, then the fitted points of every pass.
void BM_AnalyseColumn(benchmark::State& state) {
    TLexicographicAnalysis analysis(MegaSena());
    analysis.Load(Sample);
    analysis.MaxPasses = Passes;
    double passes = 0;
    for (auto _ : state) {
        analysis.Network.Seed(1);
        analysis.PrepareTraining(false);
        passes += analysis.RunTraining([](const TLexicographicAnalysis::TrainingPass& pass) {
            benchmark::DoNotOptimize(pass.Fit.data());
            return true;
        });
    }
    Report(state, passes, analysis.PatternCount());
}
BENCHMARK(BM_AnalyseColumn)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Analisar" in the window: the worker trains while the window shows every
// pass it gets to (epoch and error fields, the fit on the chart).
void BM_WindowAnalyse(benchmark::State& state) {
    TMessageBox::SetRecording(true);
    TForm2 main;
    main.resize(1400, 1000);
    main.show();
    TForm4::Install(main);
    TForm3* game = main.OpenFile(QString::fromStdString(History));
    game->Anliselexicogrfica1Click();
    auto* window = qobject_cast<TForm4*>(game->AnalysisWindow(TLottery::Lexicographic));
    if (!window || window->Engine().SampleSize() != Sample) {
        state.SkipWithError("the window did not open with the last 40 draws");
        return;
    }
    auto* epochs = window->findChild<QLineEdit*>(QStringLiteral("Edit3"));
    int redraws = 0;
    QObject::connect(epochs, &QLineEdit::textChanged, [&redraws] { ++redraws; });
    window->Engine().MaxPasses = Passes;
    double passes = 0;
    for (auto _ : state) {
        window->Engine().Network.Seed(1);
        window->Button1Click();
        while (window->Running()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        passes += epochs->text().toDouble();
    }
    Report(state, passes, window->Engine().PatternCount());
    state.counters["redraws"] = benchmark::Counter(redraws, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_WindowAnalyse)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Todas as bolas" in CSN notation, three votes per column, with the
// accepted-error test at its default of 40%: the networks train in batches
// on every core. Arg 0 trains them one by one instead (about ten minutes).
void BM_AnalyseAllCSN(benchmark::State& state) {
    TLexicographicAnalysis analysis(MegaSena());
    analysis.Column = MegaSena().PerCombination();
    analysis.BatchedVotes = state.range(0) != 0;
    analysis.Load(Sample);
    for (auto _ : state) {
        analysis.Network.Seed(1);
        analysis.AnalyseAll(3, true, 0.4, nullptr, nullptr);
    }
}
BENCHMARK(BM_AnalyseAllCSN)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The segmentation window's gathering of 50 votes with cut 500 on the same
// sample, batched on every core.
void BM_SegmentationGather(benchmark::State& state) {
    TSegmentationAnalysis analysis(MegaSena());
    analysis.Load(Sample);
    TSegmentationAnalysis::Result result;
    for (auto _ : state) {
        analysis.Network.Seed(1);
        result = analysis.Gather(50, 500, {}, {});
    }
    state.counters["votes"] = result.Taken;
    state.counters["trainings"] = result.Trainings;
}
BENCHMARK(BM_SegmentationGather)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    // The main window lowers the program's priority (nice 10) when it is
    // created, and threads started later inherit it. Every benchmark runs at
    // that priority from the start, so that on a busy machine the bare and
    // the windowed figures compare.
    setpriority(PRIO_PROCESS, 0, TProcessPriority::BelowNormalNice);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
