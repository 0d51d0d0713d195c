#pragma once
// The results update of one game: reads its game definition file, fetches
// the published results and brings the game data file up to date, keeping
// the previous file as a ".bak" copy. By the definition's type:
//  - "ZIP/HTML": the HTML page is taken out of the ZIP archive and the data
//    file is written anew from its table; a table that would drop or change
//    a contest the history holds is refused;
//  - "JSON": the results API is asked for its latest answer (contest N), then
//    for every contest after the history's last one up to N, in order, over
//    one connection; only these new contests are appended;
//  - "XLSX": the full-history spreadsheet; the contests the history holds
//    are checked against it and keep their lines, later ones are appended.
// An import (From) reads a file the user downloaded instead (a spreadsheet,
// a saved JSON answer or the old ZIP archive) with the same checks.
//
// Nothing is written unless every new draw passed TDrawCheck: no gap, no
// repeat, k distinct balls in the game's range, no conflict with a held
// line. The lines already in the file stay byte for byte as they were.
//
// Threading: Prepare is quick (it reads one small INI file) and belongs on the
// thread that asks the user; Execute blocks for the whole transfer and is
// meant for a worker thread. Neither touches a user interface nor the game's
// TLottery: the caller passes the number of draws it holds, and reloads the
// history itself when the result asks for it. OnStatus is called on the
// thread that runs the step; Cancel may be set from any thread.
//
// Safety: the new file is written to a temporary file beside the data file,
// and the data file is replaced (by a rename) only once every draw was read
// and checked; for "ZIP/HTML" the table must also hold every contest of the
// history with the same balls. The previous file becomes the ".bak" copy
// just before the rename. A stop, like every failure, leaves
// the data file exactly as it was. Working files live in a private temporary
// folder that is removed at the end.
#include "TDownloader.h"
#include "TDrawCheck.h"
#include "TGameDefinition.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QSaveFile;

class TResultsUpdate {
public:
    static constexpr std::string_view NoDefinitionText = "Não existe atualização para esse jogo.";
    static constexpr std::string_view NoUrlText = "URL não indicada no arquivo INI.";
    static constexpr std::string_view ConfirmText = "Deseja baixar atualização do jogo?";
    static constexpr std::string_view ConnectingText = "Conectando a Internet...";
    static constexpr std::string_view ReceivingText = "Recebendo...";
    static constexpr std::string_view DownloadFailedText = "Ocorreu um erro no recebimento do arquivo.";
    static constexpr std::string_view ReceivedText = "Arquivo recebido.";
    static constexpr std::string_view UnpackingText = "Descompactando...";
    static constexpr std::string_view ReadingText = "Lendo...";
    static constexpr std::string_view AddedSuffix = " jogo(s) acrescentado(s).";
    static constexpr std::string_view UpdatedText = "Jogo atualizado.";
    static constexpr std::string_view CancelledText = "Atualização cancelada.";
    static constexpr std::string_view UnchangedText = "O arquivo do jogo não foi alterado.";
    static constexpr std::string_view ImportSuggestion =
        "A rede do publicador recusa alguns endereços: baixe os resultados pelo navegador (a planilha ou a "
        "resposta JSON) e use \"Importar resultados...\" na janela do jogo.";

    enum class TOutcome {
        Updated,           // done (for a type other than "ZIP/HTML": nothing written, 0 new)
        NoDefinition,      // no ".ini" beside the data file
        NoUrl,             // empty url
        InvalidDefinition, // a column key that is not an integer, bad SourceFile or columns
        Declined,          // the user answered No
        DownloadFailed,
        Cancelled,
        FewerDraws, // the table would drop held draws: file kept
        Rejected,   // the source breaks a check (gap, repeat, balls, conflict, bad answer): file kept
        Forbidden,  // the server refused the address (HTTP 403): file kept
        Failed,     // extraction, reading or writing failed
    };

    struct TResult {
        TOutcome Outcome = TOutcome::Failed;
        int32_t NewCount = 0;  // draws whose contest is above the held count
        int32_t DrawsRead = 0; // draws in the published table
        std::string Message;   // the text of the final message box (none when Declined)
        std::string Detail;    // the technical cause of a failure, when known
        bool Succeeded() const { return Outcome == TOutcome::Updated; }
        // The caller frees its history and loads the data file again.
        bool ReloadHistory() const { return Outcome == TOutcome::Updated; }
    };

    TResultsUpdate(std::string dataFileName, int32_t heldDrawCount);

    // Transfer limits (its OnProgress is set by Execute).
    TDownloader Downloader;
    int64_t MaxPageBytes = int64_t{1} << 30;
    // "Lendo... concurso N" after every ProgressEvery-th draw.
    int32_t ProgressEvery = 1;

    std::function<void(const std::string& status)> OnStatus;
    // Asked "Deseja baixar atualização do jogo?" by Run; a missing callback
    // means yes.
    std::function<bool()> OnConfirm;
    std::atomic<bool> Cancel{false};
    // A downloaded file to import instead of asking the network. The
    // definition file is then optional (it gives the columns and the range).
    std::string From;

    // The steps before the question: a result when the update stops there,
    // nothing when it may go on.
    std::optional<TResult> Prepare();
    // The steps after the question. Prepare must have returned nothing.
    TResult Execute();
    // Prepare, the question, Execute.
    TResult Run();

    const TGameDefinition& Definition() const { return definition_; }
    const std::string& DataFileName() const { return dataFileName_; }

    // "_update" followed by the URL's extension (from its last "." after the
    // last "\" or ":"), or plain "_update" when that extension is not a short
    // plain word, so that the name can never leave the working folder.
    static std::string DownloadFileName(std::string_view url);
    // The message of the final box: "Jogo atualizado." CR LF "N jogo(s) acrescentado(s).".
    static std::string UpdatedMessage(int32_t newCount);

private:
    TResult Stop(TOutcome outcome, std::string message, std::string detail = {});
    void Status(std::string_view text);
    TResult ReadPage(const std::string& pagePath);
    bool LoadHeld(TResult& failure);
    int32_t BallsWanted() const;
    TResult Walk();
    TResult ReadSpreadsheet(const std::string& path);
    TResult ReadAnswers(const std::string& path);
    TResult Import(const std::string& folder);
    TResult Commit(int32_t read);
    TResult Rejected(const std::string& reason);
    TResult CancelledAt(const std::string& what);
    TResult NetworkFailure(const TDownloader::TResult& transfer, const std::string& what);
    std::optional<TResult> ReplaceDataFile(QSaveFile& out);

    std::string dataFileName_;
    int32_t heldDrawCount_;
    TGameDefinition definition_;
    bool prepared_ = false;
    TDrawCheck check_;
    std::string heldText_;
};
