#pragma once
// Helpers of the core tests: whole-file reads, the head of a game history, a
// history's text from its draws, and a run of the command-line program built
// beside the tests.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The header and the first `draws` draws of a data file with CR LF line ends.
// A history file's text: "Concurso;Bola1;…" and one numbered line per draw.
inline std::string History(const std::vector<std::vector<int>>& draws) {
    std::string text = "Concurso";
    for (size_t i = 1; i <= draws.front().size(); ++i) text.append(";Bola").append(std::to_string(i));
    text += "\r\n";
    for (size_t d = 0; d < draws.size(); ++d) {
        text += std::to_string(d + 1);
        for (const int ball : draws[d]) text.append(";").append(std::to_string(ball));
        text += "\r\n";
    }
    return text;
}

inline std::string FirstDraws(const std::string& history, int draws) {
    size_t end = 0;
    for (int line = 0; line <= draws; ++line) end = history.find("\r\n", end) + 2;
    return history.substr(0, end);
}

// tovisca-cli is built in ../app relative to the test program.
inline std::filesystem::path CliPath() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / ".." / "app" / "tovisca-cli";
}

struct CliResult {
    int status = -1;
    std::string out, err;
};

// Runs tovisca-cli with the arguments; standard error goes through `errFile`.
inline CliResult RunCli(const std::vector<std::string>& args, const std::string& errFile) {
    const auto quote = [](const std::string& text) {
        std::string quoted = "'";
        for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted + "'";
    };
    std::string command = quote(CliPath().string());
    for (const std::string& arg : args) command.append(" ").append(quote(arg));
    command.append(" 2>").append(quote(errFile));
    CliResult result;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[1 << 16];
    for (size_t got = 0; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.out.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = ReadFile(errFile);
    return result;
}
