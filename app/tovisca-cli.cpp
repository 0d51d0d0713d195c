// Command-line companion of the analyser: a game's figures and draws table,
// and the CSN converter. Each subcommand is one entry of the table below.
#include "NumberText.h"
#include "TCSN.h"
#include "TDrawTable.h"
#include "TGameFigures.h"
#include "TLottery.h"
#include "TResultsUpdate.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using Arguments = std::span<const std::string>;

// Failures of a command: the message goes to stderr, the status is returned.
constexpr int Failure = 1;
constexpr int UsageError = 2;

int Fail(const std::string& message, int status = Failure) {
    std::fprintf(stderr, "tovisca-cli: %s\n", message.c_str());
    return status;
}

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// Loads a history for a command; a missing file is an error here (the game
// window would show an empty grid instead).
std::unique_ptr<TLottery> LoadGame(const std::string& fileName, std::string& error) {
    std::error_code code;
    if (!std::filesystem::exists(fileName, code)) {
        error = "arquivo não encontrado: " + fileName;
        return nullptr;
    }
    try {
        auto lottery = std::make_unique<TLottery>(fileName);
        if (!lottery->Loaded) {
            error = "arquivo não encontrado: " + fileName;
            return nullptr;
        }
        return lottery;
    } catch (const TLoadError& e) {
        error = e.what();
    } catch (const std::bad_alloc&) {
        error = "memória insuficiente para ler " + fileName;
    }
    return nullptr;
}

int Info(Arguments args) {
    if (args.size() != 1) return Fail("uso: tovisca-cli info ARQUIVO", UsageError);
    std::string error;
    const auto lottery = LoadGame(args[0], error);
    if (!lottery) return Fail(error);
    Print(TGameFigures(*lottery).ToText());
    return 0;
}

int Draws(Arguments args) {
    if (args.size() != 1) return Fail("uso: tovisca-cli draws ARQUIVO", UsageError);
    std::string error;
    const auto lottery = LoadGame(args[0], error);
    if (!lottery) return Fail(error);
    Print(TDrawTable(lottery.get()).ToText());
    return std::fflush(stdout) == 0 ? 0 : Failure;
}

int Csn(Arguments args) {
    const std::string usage = "uso: tovisca-cli csn N K --balls B1,B2,...,BK | tovisca-cli csn N K --csn X";
    if (args.size() != 4) return Fail(usage, UsageError);
    int n = 0;
    int k = 0;
    if (!NumberText::TryParseInt(args[0], n))
        return Fail(NumberText::InvalidIntegerMessage(args[0]), UsageError);
    if (!NumberText::TryParseInt(args[1], k))
        return Fail(NumberText::InvalidIntegerMessage(args[1]), UsageError);
    if (n < 1 || n > TLottery::MaxBallValue)
        return Fail("N deve estar entre 1 e " + std::to_string(TLottery::MaxBallValue) + ".", UsageError);
    if (k < 1 || k > n) return Fail("K deve estar entre 1 e N.", UsageError);
    TCSN converter(n, k);

    if (args[2] == "--balls") {
        std::vector<int> balls;
        std::set<int> seen;
        const std::string& list = args[3];
        size_t start = 0;
        for (;;) {
            const size_t comma = list.find(',', start);
            const std::string item =
                list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            int ball = 0;
            if (!NumberText::TryParseInt(item, ball))
                return Fail(NumberText::InvalidIntegerMessage(item), UsageError);
            if (ball < 1 || ball > n)
                return Fail("a bola " + std::to_string(ball) + " está fora de 1.." + std::to_string(n) + ".",
                            UsageError);
            if (!seen.insert(ball).second)
                return Fail("a bola " + std::to_string(ball) + " aparece mais de uma vez.", UsageError);
            balls.push_back(ball);
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        if (static_cast<int>(balls.size()) != k)
            return Fail("são necessárias exatamente " + std::to_string(k) + " bolas.", UsageError);
        for (int i = 0; i < k; ++i)
            converter.Combination[static_cast<size_t>(i + 1)] = balls[static_cast<size_t>(i)];
        Print(NumberText::FormatGeneral(converter.CombinationToCSN()) + "\n");
        return 0;
    }
    if (args[2] == "--csn") {
        double csn = 0;
        if (!NumberText::TryParseFloat(args[3], csn) || !std::isfinite(csn))
            return Fail(NumberText::InvalidFloatMessage(args[3]), UsageError);
        // Outside 1..Total a CSN denotes no combination.
        if (csn < 1 || csn > converter.Total)
            return Fail("o CSN deve estar entre 1 e " + NumberText::FormatGeneral(converter.Total) + ".",
                        UsageError);
        converter.CSNToCombination(csn);
        Print(converter.CombinationToText() + "\n");
        return 0;
    }
    return Fail(usage, UsageError);
}

// Prints the update's status texts as they come. The running texts
// ("Recebendo... 40%", "Lendo... concurso N") overwrite each other on a
// terminal and are reduced to the last of each run otherwise. Every other
// text is held back by one, so that a failure's message (also the last
// status) is printed once, on stderr, by the caller.
class UpdateStatusPrinter {
public:
    void operator()(const std::string& text) {
        const bool running = text.rfind("Recebendo... ", 0) == 0 || text.rfind("Lendo... concurso ", 0) == 0;
        if (running) {
            if (terminal_) {
                FlushHeld();
                std::fprintf(stdout, "\r%s\x1b[K", text.c_str());
                std::fflush(stdout);
                overwriting_ = true;
            } else {
                FlushHeld();
                running_ = text;
            }
            return;
        }
        FlushHeld();
        EndRunning();
        held_ = text;
    }
    // Ends the output; the held text is printed unless it is the failure's
    // message.
    void Finish(const std::string& failure) {
        EndRunning();
        if (held_ != failure) FlushHeld();
        std::fflush(stdout);
    }

private:
    void FlushHeld() {
        if (held_.empty()) return;
        EndRunning();
        Print(held_ + "\n");
        held_.clear();
    }
    void EndRunning() {
        if (overwriting_) std::fputc('\n', stdout);
        overwriting_ = false;
        if (!running_.empty()) Print(running_ + "\n");
        running_.clear();
    }

    bool terminal_ = isatty(STDOUT_FILENO) != 0;
    bool overwriting_ = false;
    std::string held_;
    std::string running_;
};

// The results update without the question, for scheduled runs.
int Update(Arguments args) {
    if (args.size() != 1) return Fail("uso: tovisca-cli update ARQUIVO", UsageError);
    const std::string& fileName = args[0];
    // The draws held now guard against a published table that would drop
    // some; a missing file holds none, a malformed one is not replaced.
    int held = 0;
    std::error_code code;
    if (std::filesystem::exists(fileName, code)) {
        std::string error;
        const auto lottery = LoadGame(fileName, error);
        if (!lottery) return Fail(error);
        held = lottery->DrawCount;
    }
    TResultsUpdate update(fileName, held);
    update.ProgressEvery = 100;
    UpdateStatusPrinter printer;
    update.OnStatus = [&printer](const std::string& text) { printer(text); };
    update.OnConfirm = [] { return true; };
    const TResultsUpdate::TResult result = update.Run();
    printer.Finish(result.Succeeded() ? std::string() : result.Message);
    if (!result.Succeeded())
        return Fail(result.Detail.empty() ? result.Message : result.Message + " (" + result.Detail + ")");
    return 0;
}

struct Command {
    const char* name;
    const char* usage;
    int (*run)(Arguments);
};

constexpr Command Commands[] = {
    {"info", "info ARQUIVO                    figuras do jogo", Info},
    {"draws", "draws ARQUIVO                   tabela dos concursos (TAB, CR LF)", Draws},
    {"csn", "csn N K --balls B1,...,BK | --csn X   conversão entre combinação e CSN", Csn},
    {"update", "update ARQUIVO                  atualiza o jogo pela internet, sem perguntar", Update},
};

int Usage() {
    std::string text = "uso: tovisca-cli COMANDO ...\n";
    for (const Command& command : Commands) text += std::string("  tovisca-cli ") + command.usage + "\n";
    std::fputs(text.c_str(), stderr);
    return UsageError;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string name = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& command : Commands)
        if (name == command.name) {
            try {
                return command.run(args);
            } catch (const std::exception& e) {
                return Fail(e.what());
            }
        }
    return Usage();
}
