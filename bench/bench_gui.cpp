// The game window with a history of a million draws: opening it (reading,
// grid, chart, first paint), repainting the chart, scrolling the grid.
#include "TChartView.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TLottery.h"
#include "TMessageBox.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <numeric>
#include <random>
#include <string>

namespace {

// A 60/6 history of `draws` random draws, seeded, in the program's file format.
QString MakeHistory(const QTemporaryDir& dir, int draws) {
    const QString path = dir.filePath(QStringLiteral("milhao.csv"));
    std::FILE* file = std::fopen(path.toLocal8Bit().constData(), "wb");
    std::fputs("Concurso;Bola1;Bola2;Bola3;Bola4;Bola5;Bola6\r\n", file);
    std::mt19937 random(20240611);
    std::vector<int> balls(60);
    std::iota(balls.begin(), balls.end(), 1);
    for (int d = 1; d <= draws; ++d) {
        // The first six of a partial shuffle are a random draw.
        for (int i = 0; i < 6; ++i) {
            std::uniform_int_distribution<int> pick(i, 59);
            std::swap(balls[static_cast<size_t>(i)], balls[static_cast<size_t>(pick(random))]);
        }
        std::fprintf(file, "%d;%d;%d;%d;%d;%d;%d\r\n", d, balls[0], balls[1], balls[2], balls[3], balls[4],
                     balls[5]);
    }
    std::fclose(file);
    return path;
}

struct Fixture {
    QTemporaryDir dir;
    QString path;
    Fixture() : path(MakeHistory(dir, 1000000)) {}
};

Fixture& Million() {
    static Fixture fixture;
    return fixture;
}

// The share of the opening that is the history's own reading, for comparison.
void BM_LoadMillionDrawHistory(benchmark::State& state) {
    const std::string path = Million().path.toStdString();
    for (auto _ : state) {
        TLottery lottery(path);
        benchmark::DoNotOptimize(lottery.Loaded);
    }
}
BENCHMARK(BM_LoadMillionDrawHistory)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OpenMillionDrawGame(benchmark::State& state) {
    const QString path = Million().path;
    for (auto _ : state) {
        TForm2 main;
        main.resize(1400, 900);
        main.show();
        TForm3* game = main.OpenFile(path);
        QApplication::processEvents(); // first paint of grid and chart
        benchmark::DoNotOptimize(game->Loaded());
        state.PauseTiming();
        if (!game->Loaded()) state.SkipWithError("history not loaded");
        main.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenMillionDrawGame)->Unit(benchmark::kMillisecond)->Iterations(3);

struct OpenGame {
    TForm2 main;
    TForm3* game = nullptr;
    OpenGame() {
        main.resize(1400, 900);
        main.show();
        game = main.OpenFile(Million().path);
        QApplication::processEvents();
    }
};

void BM_RepaintMillionPointChart(benchmark::State& state) {
    OpenGame open;
    for (auto _ : state) benchmark::DoNotOptimize(open.game->Chart()->Picture());
}
BENCHMARK(BM_RepaintMillionPointChart)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ScrollMillionRowGrid(benchmark::State& state) {
    OpenGame open;
    QTableView* grid = open.game->Grid();
    QScrollBar* bar = grid->verticalScrollBar();
    std::mt19937 random(7);
    std::uniform_int_distribution<int> to(0, bar->maximum());
    for (auto _ : state) {
        bar->setValue(to(random));
        benchmark::DoNotOptimize(grid->viewport()->grab());
    }
}
BENCHMARK(BM_ScrollMillionRowGrid)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TMessageBox::SetRecording(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
