// The HTML table of the published results. The first four bytes choose the
// contest column, the first ball column, the number of balls and the draws
// held; the rest is the page. Whatever the page, the reading ends; when it
// succeeds, the game data file written from its lines loads back as a history
// with one draw per line.
#include "FuzzSupport.h"
#include "THtmlTableReader.h"
#include "TLottery.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using FuzzSupport::Check;
    if (size < 4) return 0;
    const int32_t contestColumn = data[0] % 8 + 1;
    const int32_t firstBall = data[1] % 8 + 1;
    const int32_t ballCount = data[2] % 8 + 1;
    const int32_t held = data[3];
    const std::string_view page(reinterpret_cast<const char*>(data + 4), size - 4);

    THtmlTableReader reader(contestColumn, firstBall, ballCount, held);
    std::vector<std::string> lines;
    reader.OnLine = [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    };
    int32_t progress = 0;
    reader.OnProgress = [&](const std::string& status) {
        Check(status.rfind("Lendo... concurso ", 0) == 0, "the progress text");
        ++progress;
        return true;
    };
    const THtmlTableReader::TResult result = reader.Read(page);
    Check(result.Draws == static_cast<int32_t>(lines.size()), "every draw reached the sink");
    Check(result.NewCount >= 0 && result.NewCount <= result.Draws, "new draws are among the draws");
    Check(progress == result.Draws, "one progress text per draw");
    if (!result.Ok()) {
        Check(!result.Error.empty(), "a failure carries a message");
        return 0;
    }

    // The file the update would write.
    std::string file = "Concurso";
    for (int32_t i = 1; i <= ballCount; ++i) file += ";Bola" + std::to_string(i);
    file += "\r\n";
    for (const std::string& line : lines) file += line + "\r\n";
    const std::string path = FuzzSupport::WriteFile("update.csv", file);
    try {
        const TLottery history(path);
        Check(history.Loaded, "the written file exists");
        Check(history.DrawCount == result.Draws, "one draw per line written");
        Check(history.PerCombination() == ballCount, "the header counts the balls");
    } catch (const TLoadError& error) {
        std::fprintf(stderr, "written file refused: %s\n", error.what());
        Check(false, "the file written from a table that was read in full loads back");
    }
    return 0;
}
