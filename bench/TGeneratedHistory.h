#pragma once
// What the benchmarks share: a generated history of a million 60/6 draws,
// written once into a temporary folder and removed with the object, and the
// process's peak memory.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

class TGeneratedHistory {
public:
    static constexpr int Draws = 1'000'000;

    TGeneratedHistory() {
        folder_ = std::filesystem::temp_directory_path() /
                  ("tovisca-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder_);
        file_ = (folder_ / "million.csv").string();
        std::mt19937 random(60606);
        std::vector<int> balls(60);
        std::iota(balls.begin(), balls.end(), 1);
        std::string text = "Concurso;Bola1;Bola2;Bola3;Bola4;Bola5;Bola6\r\n";
        text.reserve(24u * Draws);
        for (int d = 1; d <= Draws; ++d) {
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
    ~TGeneratedHistory() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TGeneratedHistory(const TGeneratedHistory&) = delete;
    TGeneratedHistory& operator=(const TGeneratedHistory&) = delete;

    const std::string& File() const { return file_; }

    static double PeakResidentMB() {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return static_cast<double>(usage.ru_maxrss) / 1024.0;
    }

private:
    std::filesystem::path folder_;
    std::string file_;
};
