// Loading game histories and writing the draws table: the real Mega-Sena
// history, and a generated history of a million 60/6 draws (written once into
// a temporary folder, removed at exit).
#include "TDrawTable.h"
#include "TLottery.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <sys/resource.h>

namespace {

constexpr int MillionDraws = 1'000'000;

class GeneratedGame {
public:
    GeneratedGame() {
        folder_ = std::filesystem::temp_directory_path() /
                  ("tovisca-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder_);
        file_ = (folder_ / "million.csv").string();
        std::mt19937 random(60606);
        std::vector<int> balls(60);
        std::iota(balls.begin(), balls.end(), 1);
        std::string text = "Concurso;Bola1;Bola2;Bola3;Bola4;Bola5;Bola6\r\n";
        text.reserve(24u * MillionDraws);
        for (int d = 1; d <= MillionDraws; ++d) {
            // Six distinct balls in drawn (random) order.
            for (int i = 0; i < 6; ++i) std::swap(balls[i], balls[i + random() % (60 - i)]);
            text += std::to_string(d);
            for (int i = 0; i < 6; ++i) {
                text += ';';
                text += std::to_string(balls[i]);
            }
            text += "\r\n";
        }
        std::ofstream(file_, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    ~GeneratedGame() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    const std::string& File() const { return file_; }

private:
    std::filesystem::path folder_;
    std::string file_;
};

const GeneratedGame& Million() {
    static const GeneratedGame game;
    return game;
}

double PeakResidentMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_LoadMegaSena(benchmark::State& state) {
    const std::string file = std::string(TOVISCA_DATA_DIR) + "/megasena.csv";
    for (auto _ : state) {
        TLottery lottery(file);
        benchmark::DoNotOptimize(lottery.CSNs.data());
    }
}
BENCHMARK(BM_LoadMegaSena)->Unit(benchmark::kMillisecond);

void BM_LoadMillionDraws(benchmark::State& state) {
    const std::string& file = Million().File();
    for (auto _ : state) {
        TLottery lottery(file);
        benchmark::DoNotOptimize(lottery.CSNs.data());
        if (lottery.DrawCount != MillionDraws) state.SkipWithError("wrong draw count");
    }
    state.counters["peak_rss_MB"] = PeakResidentMB();
}
BENCHMARK(BM_LoadMillionDraws)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DrawTableTextMillionDraws(benchmark::State& state) {
    const TLottery lottery(Million().File());
    const TDrawTable table(&lottery);
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = table.ToText();
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["MB"] = static_cast<double>(bytes) / (1 << 20);
    state.counters["peak_rss_MB"] = PeakResidentMB();
}
BENCHMARK(BM_DrawTableTextMillionDraws)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
