// Command-line companion of the analyser: a game's figures and draws table,
// and the CSN converter. Each subcommand is one entry of the table below.
#include "NumberText.h"
#include "TBacktest.h"
#include "TCSN.h"
#include "TCombinationSearch.h"
#include "TDrawTable.h"
#include "TGameFigures.h"
#include "TLottery.h"
#include "TRecurrenceAnalysis.h"
#include "TResultsUpdate.h"

#include <QJsonDocument>

#include <charconv>
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
    if (!TCSN::InExactRange(n, k)) return Fail(TCSN::RangeMessage(n, k), UsageError);
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
        // An exact rank, or a rank as the program shows it; outside 1..Total
        // (by more than the shown digits can hide) it denotes no combination.
        const TCSN::CSNInput input = converter.ReadCSN(args[3]);
        if (input.Result == TCSN::CSNInput::Invalid)
            return Fail(NumberText::InvalidFloatMessage(args[3]), UsageError);
        if (input.Result == TCSN::CSNInput::OutOfRange)
            return Fail("o CSN deve estar entre 1 e " + NumberText::FormatGeneral(converter.Total) + ".",
                        UsageError);
        converter.RankToCombination(input.Value);
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

// The combination searches of the recurrence and bayesian windows: what their
// grids and memo show, as tab-separated lines.
int Search(Arguments args) {
    const std::string usage =
        "uso: tovisca-cli search recurrence|best|consecutive|filter ARQUIVO [--sample S] [--reduced] [--seed "
        "X] "
        "[--without-last] [--double] [--threshold t] [--floor f] [--threads N] [--portable]";
    if (args.size() < 2) return Fail(usage, UsageError);
    TSearchOptions options;
    const std::string& mode = args[0];
    if (mode == "recurrence")
        options.Mode = TSearchMode::Recurrence;
    else if (mode == "best")
        options.Mode = TSearchMode::Best;
    else if (mode == "consecutive")
        options.Mode = TSearchMode::Consecutive;
    else if (mode == "filter")
        options.Mode = TSearchMode::Filter;
    else
        return Fail("modo de busca desconhecido: " + mode + "\n" + usage, UsageError);
    auto integer = [](const std::string& text, long long low, long long high, long long& value) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        return error == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
    };
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& option = args[i];
        const bool valued = option == "--sample" || option == "--seed" || option == "--threshold" ||
                            option == "--floor" || option == "--threads";
        if (valued) {
            if (i + 1 >= args.size()) return Fail("falta o valor de " + option + "\n" + usage, UsageError);
            const std::string& text = args[++i];
            long long value = 0;
            if (option == "--seed") {
                uint64_t seed = 0;
                const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
                if (error != std::errc() || end != text.data() + text.size())
                    return Fail("valor inválido para --seed: " + text, UsageError);
                options.Seed = seed;
                continue;
            }
            const long long low = option == "--floor" ? 0 : option == "--threshold" ? 0 : 1;
            const long long high = option == "--threads" ? 256 : 1'000'000'000;
            if (!integer(text, low, high, value))
                return Fail("valor inválido para " + option + ": " + text, UsageError);
            if (option == "--sample")
                options.SampleSize = static_cast<int32_t>(value);
            else if (option == "--threshold")
                options.Threshold = static_cast<int32_t>(value);
            else if (option == "--floor")
                options.Floor = static_cast<int32_t>(value);
            else
                options.Threads = static_cast<int32_t>(value);
        } else if (option == "--reduced") {
            options.ReducedUniverse = true;
        } else if (option == "--without-last") {
            options.WithoutLast = true;
        } else if (option == "--double") {
            options.DoubleCheck = true;
        } else if (option == "--portable") {
            options.Instructions = TInstructionSet::Portable;
        } else {
            return Fail("opção desconhecida: " + option + "\n" + usage, UsageError);
        }
    }
    const bool best = options.Mode == TSearchMode::Best;
    if (best && (options.ReducedUniverse || options.WithoutLast || options.DoubleCheck))
        return Fail("best percorre todo o universo sobre os últimos concursos: sem --reduced, "
                    "--without-last, --double",
                    UsageError);
    if (options.DoubleCheck && options.Mode != TSearchMode::Recurrence)
        return Fail("--double só vale para recurrence", UsageError);
    if ((options.Threshold >= 0 || options.Floor > 0) && options.Mode != TSearchMode::Filter)
        return Fail("--threshold e --floor só valem para filter", UsageError);

    std::string error;
    const auto lottery = LoadGame(args[1], error);
    if (!lottery) return Fail(error);
    if (lottery->PerCombination() < 1 || lottery->DrawCount < 1)
        return Fail("jogo sem concursos: " + args[1]);
    TRecurrenceAnalysis analysis(*lottery);
    const TCombinationSearch& search = analysis.Search();
    if (const std::string message = search.Check(options); !message.empty()) return Fail(message);
    const TSearchResult result = search.Run(options);
    const int32_t k = lottery->PerCombination();
    std::string out;
    // Blank grid cells print as nothing between the tabs.
    auto line = [&out](const std::vector<std::string>& cells) {
        for (size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) out += '\t';
            if (cells[i] != TRecurrenceAnalysis::Blank) out += cells[i];
        }
        out += '\n';
    };

    if (best) {
        line({"Posição (Vitórias):", "CSN"});
        for (int32_t h = 0; h <= k; ++h)
            if (result.Count1[static_cast<size_t>(h)] > 0)
                line({std::to_string(h) + " (" + std::to_string(result.Count1[static_cast<size_t>(h)]) + "):",
                      TCombinationSearch::CsnText(result.CSN1[static_cast<size_t>(h)])});
    } else if (options.Mode == TSearchMode::Filter) {
        for (const std::string& text : TRecurrenceAnalysis::FilterMemo(result)) out += text + "\n";
        out += "\n";
        line({"(-)Atrasos/Adiant.(+)", "Combinações"});
        for (const TRecurrenceAnalysis::Point& p : TRecurrenceAnalysis::FilterPoints(result))
            line({std::to_string(static_cast<long long>(p.x)), std::to_string(static_cast<long long>(p.y))});
    } else {
        const bool consecutive = options.Mode == TSearchMode::Consecutive;
        analysis.Load(options.SampleSize, options.DoubleCheck || consecutive);
        analysis.SetResults(result);
        for (const std::vector<std::string>& row : analysis.ResultGrid()) line(row);
        if (consecutive) {
            // The streak table: rows hit counts, columns streak lengths.
            out += "\n";
            for (const std::vector<std::string>& row : analysis.StreakGrid()) line(row);
        }
    }
    out += result.Stopped ? "Parado.\n" : "Finalizado.\n";
    Print(out);
    return std::fflush(stdout) == 0 ? 0 : Failure;
}

// The walk-forward back-test: the table (TSV) or the whole result (JSON).
int Backtest(Arguments args) {
    const std::string usage =
        "uso: tovisca-cli backtest ARQUIVO [--contests T] [--methods LISTA] [--seed X] [--cap N] "
        "[--threads N] [--format tsv|json]\n  métodos: ";
    std::string methodList;
    for (const TBacktest::Method m : TBacktest::AllMethods())
    {
        if (!methodList.empty()) methodList += ',';
        methodList += TBacktest::Key(m);
    }
    if (args.empty()) return Fail(usage + methodList, UsageError);
    TBacktest::Settings settings;
    std::string format = "tsv";
    auto integer = [](const std::string& text, long long low, long long high, long long& value) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        return error == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
    };
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option != "--contests" && option != "--methods" && option != "--seed" && option != "--cap" &&
            option != "--threads" && option != "--format")
            return Fail("opção desconhecida: " + option + "\n" + usage + methodList, UsageError);
        if (i + 1 >= args.size()) return Fail("falta o valor de " + option + "\n" + usage + methodList, UsageError);
        const std::string& text = args[++i];
        long long value = 0;
        if (option == "--methods") {
            std::string unknown;
            if (!TBacktest::ParseMethods(text, settings.Methods, unknown))
                return Fail("método desconhecido: " + unknown + "\n  métodos: " + methodList, UsageError);
        } else if (option == "--format") {
            if (text != "tsv" && text != "json") return Fail("formato desconhecido: " + text, UsageError);
            format = text;
        } else if (option == "--seed") {
            uint64_t seed = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
            if (error != std::errc() || end != text.data() + text.size())
                return Fail("valor inválido para --seed: " + text, UsageError);
            settings.Seed = seed;
        } else if (!integer(text, 1, option == "--threads" ? 256 : 1'000'000, value)) {
            return Fail("valor inválido para " + option + ": " + text, UsageError);
        } else if (option == "--contests") {
            settings.Contests = static_cast<int>(value);
        } else if (option == "--cap") {
            settings.Cap = static_cast<int>(value);
        } else {
            settings.Threads = static_cast<int>(value);
        }
    }
    std::string error;
    const auto lottery = LoadGame(args[0], error);
    if (!lottery) return Fail(error);
    if (lottery->PerCombination() < 1 || lottery->DrawCount < 2)
        return Fail("jogo sem concursos suficientes: " + args[0]);
    const TBacktest::Result result = TBacktest::Run(*lottery, settings);
    if (format == "json") {
        Print(QJsonDocument(result.ToJson()).toJson(QJsonDocument::Indented).toStdString());
    } else {
        Print(result.ToTsv());
        Print("Concursos: " + std::to_string(result.Done) + "; limite de chamadas de Train por rede: " +
              std::to_string(settings.Cap) + "; redes: " + std::to_string(result.Networks) +
              ", no limite: " + std::to_string(result.Capped) + "\n");
    }
    return std::fflush(stdout) == 0 ? 0 : Failure;
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
    {"search",
     "search MODO ARQUIVO [opções]     buscas de combinações (recurrence, best, consecutive, filter)",
     Search},
    {"backtest",
     "backtest ARQUIVO [--contests T] [--methods LISTA] [--seed X] [--format tsv|json]   teste retroativo",
     Backtest},
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
