// Command-line companion of the analyser: a game's figures and draws, the CSN
// converter, the searches and the update, each printed as the window shows it
// (--format tsv) or as JSON (--format json, described in docs/cli-json.md).
#include "TCliCommand.h"
#include "TCliProgram.h"

#include <string>
#include <vector>

// The command table. To add a command:
//  1. write app/commands/NameCommand.cpp with a function `TCliCommand
//     NameCommand()` that declares its name, positional arguments, options
//     (with their defaults) and the function that runs it: it reads its
//     arguments through TCliArguments, throws TCliError::Usage for a bad
//     argument and TCliError::Failure for anything else, and fills TCliReport
//     (the TSV lines and the JSON fields; nothing is printed before it ends);
//  2. declare the function below and add it to the table, one line each.
// app/CMakeLists.txt picks up every source in app/commands by itself; the
// program adds --format and --help to every command.
TCliCommand InfoCommand();
TCliCommand DrawsCommand();
TCliCommand CsnCommand();
TCliCommand SearchCommand();
TCliCommand UpdateCommand();
TCliCommand LexicoCommand();
TCliCommand DelayCommand();
TCliCommand PositionalCommand();
TCliCommand BayesCommand();
TCliCommand SegmentCommand();
TCliCommand PosbayesCommand();
TCliCommand CheckCommand();
TCliCommand AuditCommand();
TCliCommand BacktestCommand();

namespace {

// One command per line, so that branches adding commands merge cleanly.
// clang-format off
std::vector<TCliCommand> Commands() {
    return {
        InfoCommand(),
        DrawsCommand(),
        CsnCommand(),
        SearchCommand(),
        UpdateCommand(),
        LexicoCommand(),
        DelayCommand(),
        PositionalCommand(),
        BayesCommand(),
        SegmentCommand(),
        PosbayesCommand(),
        CheckCommand(),
        AuditCommand(),
        BacktestCommand(),
    };
}
// clang-format on

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return TCliProgram(Commands()).Run(args);
}
