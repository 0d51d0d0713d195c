#include "TCliProgram.h"

#include "TCliArguments.h"
#include "TCliError.h"
#include "TCliReport.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace {

void WriteTo(FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

int Report(const std::string& message, int status, const std::string& usage) {
    WriteTo(stderr, "tovisca-cli: " + message + "\n");
    if (!usage.empty()) WriteTo(stderr, usage);
    return status;
}

} // namespace

TCliProgram::TCliProgram(std::vector<TCliCommand> commands) : commands_(std::move(commands)) {}

const TCliCommand* TCliProgram::Find(const std::string& name) const {
    for (const TCliCommand& command : commands_)
        if (command.Name == name) return &command;
    return nullptr;
}

std::string TCliProgram::Usage() const {
    std::string text = "uso: tovisca-cli COMANDO ARGUMENTOS [opções]\n"
                       "     tovisca-cli COMANDO --help\n\ncomandos:\n";
    for (const TCliCommand& command : commands_) {
        std::string name = command.Name;
        name.resize(std::max<size_t>(name.size() + 2, 12), ' ');
        text += "  " + name + command.Summary + "\n";
    }
    for (const TCliCommand& command : commands_) text += "\n" + command.Usage();
    return text;
}

int TCliProgram::Run(std::span<const std::string> args) const {
    if (args.empty()) return Report("falta o comando", TCliError::UsageStatus, Usage());
    if (args[0] == "--help" || args[0] == "-h") {
        WriteTo(stdout, Usage());
        return std::fflush(stdout) == 0 ? 0 : TCliError::FailureStatus;
    }
    const TCliCommand* command = Find(args[0]);
    if (command == nullptr) return Report("comando desconhecido: " + args[0], TCliError::UsageStatus, Usage());
    return RunCommand(*command, args.subspan(1));
}

int TCliProgram::RunCommand(const TCliCommand& command, std::span<const std::string> args) const {
    try {
        const TCliArguments arguments(command, args);
        if (arguments.HelpAsked()) {
            WriteTo(stdout, command.Usage());
            return std::fflush(stdout) == 0 ? 0 : TCliError::FailureStatus;
        }
        TCliReport report(arguments.Format());
        command.Run(arguments, report);
        WriteTo(stdout, report.Text(command.Name));
        if (std::fflush(stdout) != 0) return Report("falha ao escrever a saída", TCliError::FailureStatus, {});
        return 0;
    } catch (const TCliError& e) {
        return Report(e.what(), e.Status(), e.IsUsage() ? command.Usage() : std::string());
    } catch (const std::bad_alloc&) {
        return Report("memória insuficiente", TCliError::FailureStatus, {});
    } catch (const std::exception& e) {
        return Report(e.what(), TCliError::FailureStatus, {});
    }
}
