// A results file the user imports (a saved JSON answer of the results API, a
// spreadsheet or the old ZIP archive) into a two-draw Mega-Sena history: any
// bytes either update the data file to a history that loads again, or leave
// it byte for byte as it was, with a message.
#include "FuzzSupport.h"
#include "TLottery.h"
#include "TResultsUpdate.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>

namespace {

constexpr std::string_view History = "Concurso;Bola1;Bola2;Bola3;Bola4;Bola5;Bola6\r\n"
                                     "1;41;5;4;52;30;33\r\n"
                                     "2;9;39;37;49;43;41\r\n";
constexpr std::string_view Definition = "[Server]\r\nurl=http://127.0.0.1:9/api/megasena\r\ntype=JSON\r\n"
                                        "[HTML]\r\nSourceFile=d_mega.htm\r\nLoteryNumberColumn=1\r\n"
                                        "BallsStartColumn=3\r\nBallsCount=6\r\n"
                                        "[XLSX]\r\nLoteryNumberColumn=1\r\nBallsStartColumn=3\r\nBallsCount=6\r\n"
                                        "[Jogo]\r\nMenorBola=1\r\nMaiorBola=60\r\n";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using FuzzSupport::Check;
    const std::string dataFile = FuzzSupport::WriteFile("megasena.csv", History);
    FuzzSupport::WriteFile("megasena.ini", Definition);
    const std::string imported =
        FuzzSupport::WriteFile("imported", std::string_view(reinterpret_cast<const char*>(data), size));

    TResultsUpdate update(dataFile, 2);
    update.From = imported;
    const TResultsUpdate::TResult result = update.Run();
    const std::string after = ReadAll(dataFile);
    if (!result.Succeeded()) {
        Check(!result.Message.empty(), "a refusal carries a message");
        Check(after == History, "a refused import leaves the data file as it was");
        return 0;
    }
    Check(after.substr(0, History.size()) == History, "the held draws keep their lines");
    try {
        const TLottery history(dataFile);
        Check(history.DrawCount >= 2 && history.PerCombination() == 6, "the updated history has its draws");
    } catch (const TLoadError& error) {
        std::fprintf(stderr, "updated file refused: %s\n", error.what());
        Check(false, "the updated data file loads again");
    }
    return 0;
}
