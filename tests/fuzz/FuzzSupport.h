#pragma once
// Helpers shared by the libFuzzer harnesses: a private scratch folder for the
// readers that take a file name, and a check that ends the run with a message
// (libFuzzer then keeps the input that broke the invariant).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace FuzzSupport {

// One folder per process, in memory when /dev/shm exists; removed at exit.
inline const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        std::error_code error;
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::filesystem::path path = base / ("tovisca-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path, error);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(Folder(), ignored);
        });
        return path;
    }();
    return folder;
}

inline std::string WriteFile(const std::string& name, std::string_view bytes) {
    const std::string path = (Folder() / name).string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

inline void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

} // namespace FuzzSupport
