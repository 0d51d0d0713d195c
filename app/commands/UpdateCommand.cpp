// tovisca-cli update: the results update without the question, for
// scheduled runs.
#include "TCliArguments.h"
#include "TCliCommand.h"
#include "TCliError.h"
#include "TCliGame.h"
#include "TCliReport.h"
#include "TLottery.h"
#include "TResultsUpdate.h"

#include <filesystem>

#include <unistd.h>

namespace {

// Prints the update's status texts as they come (TSV). The running texts
// ("Recebendo... 40%", "Lendo... concurso N") overwrite each other on a
// terminal and are reduced to the last of each run otherwise. Every other
// text is held back by one, so that a failure's message (also the last
// status) is printed once, on stderr, by the program.
class UpdateStatusPrinter {
public:
    void operator()(const std::string& text) {
        const bool running = text.rfind("Recebendo... ", 0) == 0 || text.rfind("Lendo... concurso ", 0) == 0;
        if (running) {
            FlushHeld();
            if (terminal_) {
                TCliReport::WriteNow("\r" + text + "\x1b[K");
                overwriting_ = true;
            } else {
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
    }

private:
    void FlushHeld() {
        if (held_.empty()) return;
        EndRunning();
        TCliReport::WriteNow(held_ + "\n");
        held_.clear();
    }
    void EndRunning() {
        if (overwriting_) TCliReport::WriteNow("\n");
        overwriting_ = false;
        if (!running_.empty()) TCliReport::WriteNow(running_ + "\n");
        running_.clear();
    }

    bool terminal_ = isatty(STDOUT_FILENO) != 0;
    bool overwriting_ = false;
    std::string held_;
    std::string running_;
};

} // namespace

TCliCommand UpdateCommand() {
    TCliCommand command;
    command.Name = "update";
    command.Arguments = {"ARQUIVO"};
    command.Summary = "atualiza o jogo pela internet, sem perguntar (em TSV, o andamento à medida que vem)";
    command.Run = [](const TCliArguments& arguments, TCliReport& report) {
        const std::string& fileName = arguments.Argument(0);
        // The draws held now guard against a published table that would drop
        // some; a missing file holds none, a malformed one is not replaced.
        int held = 0;
        std::error_code code;
        if (std::filesystem::exists(fileName, code)) held = TCliGame::Load(fileName)->DrawCount;
        TResultsUpdate update(fileName, held);
        update.ProgressEvery = 100;
        UpdateStatusPrinter printer;
        QJsonArray statuses;
        if (report.IsJson())
            update.OnStatus = [&statuses](const std::string& text) { statuses.append(QString::fromStdString(text)); };
        else
            update.OnStatus = [&printer](const std::string& text) { printer(text); };
        update.OnConfirm = [] { return true; };
        const TResultsUpdate::TResult result = update.Run();
        if (!report.IsJson()) printer.Finish(result.Succeeded() ? std::string() : result.Message);
        if (!result.Succeeded())
            throw TCliError::Failure(result.Detail.empty() ? result.Message
                                                           : result.Message + " (" + result.Detail + ")");
        report.Set("added", result.NewCount);
        report.Set("drawsRead", result.DrawsRead);
        report.Set("message", TCliReport::String(result.Message));
        report.Set("status", statuses);
    };
    return command;
}
