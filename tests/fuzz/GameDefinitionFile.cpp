// The game definition file: any bytes read as INI text give a definition or
// the conversion message; the update's preparation either stops with a
// message or accepts a definition it can act on safely.
#include "FuzzSupport.h"
#include "TGameDefinition.h"
#include "TIniFile.h"
#include "TResultsUpdate.h"
#include "TZipExtractor.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using FuzzSupport::Check;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const TIniFile ini = TIniFile::FromText(text);
    Check(ini.ReadString("Server", "url", "x") == ini.ReadString("SERVER", "URL", "y") ||
              !ini.ValueExists("Server", "url"),
          "names match without regard to case");

    TGameDefinition definition;
    std::string error;
    if (!definition.LoadText(text, error)) Check(!error.empty(), "a refusal carries a message");

    // The same bytes as the definition file beside a data file.
    FuzzSupport::WriteFile("game.ini", text);
    const std::string dataFile = (FuzzSupport::Folder() / "game.csv").string();
    TResultsUpdate update(dataFile, 10);
    if (const std::optional<TResultsUpdate::TResult> stopped = update.Prepare()) {
        Check(!stopped->Succeeded() && !stopped->Message.empty(), "a stop carries a message");
        return 0;
    }
    const TGameDefinition& accepted = update.Definition();
    Check(!accepted.Url.empty(), "an accepted definition has an address");
    if (accepted.Type == TGameDefinition::ZipHtmlType) {
        Check(TZipExtractor::IsPlainFileName(accepted.SourceFile), "the page name stays in the work folder");
        Check(accepted.ContestColumn >= 1 && accepted.FirstBallColumn >= 1 && accepted.BallCount >= 1,
              "the columns are cells");
    }
    const std::string target = TResultsUpdate::DownloadFileName(accepted.Url);
    Check(target.rfind("_update", 0) == 0 && target.find_first_of("/\\") == std::string::npos &&
              target.find("..") == std::string::npos,
          "the download stays in the work folder");
    return 0;
}
