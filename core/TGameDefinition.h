#pragma once
// The game definition file: an INI file beside the game data file, with the
// same name and the extension ".ini", that tells the results update where the
// published results are and how to read their HTML table.
//
//   [Server]  url, type (only "ZIP/HTML" is processed), and Host, User,
//             Password, FileSource (read, without effect)
//   [HTML]    SourceFile (the page inside the ZIP archive), and the 1-based
//             cell indices LoteryNumberColumn, BallsStartColumn and the
//             number of ball cells BallsCount (decimal integers, default 0)
#include <cstdint>
#include <string>
#include <string_view>

class TGameDefinition {
public:
    static constexpr std::string_view ZipHtmlType = "ZIP/HTML";
    static constexpr std::string_view JsonType = "JSON";
    static constexpr std::string_view XlsxType = "XLSX";

    std::string Url;
    std::string Type;
    std::string Host;
    std::string User;
    std::string Password;
    std::string FileSource;
    std::string SourceFile;
    int32_t ContestColumn = 0;   // LoteryNumberColumn
    int32_t FirstBallColumn = 0; // BallsStartColumn
    int32_t BallCount = 0;       // BallsCount
    int32_t XlsxContestColumn = 0;
    int32_t XlsxFirstBallColumn = 0;
    int32_t XlsxBallCount = 0;
    std::string XlsxSheet;
    int32_t LowestBall = -1; // MenorBola; -1 when not given
    int32_t HighestBall = -1; // MaiorBola; -1 when not given

    // Reads the file. Returns false with the user's message in `error` when a
    // column key is not a decimal integer ("'%s' is not a valid integer
    // value"); the text keys are read first and stay filled in.
    bool Load(const std::string& iniFileName, std::string& error);
    // The same from INI text in memory.
    bool LoadText(std::string_view text, std::string& error);

    // `fileName` with its extension (from the last "." of the last path
    // component) replaced by `extension`, or with `extension` appended when
    // the name has none. DefinitionFileName("x/megasena.csv") = "x/megasena.ini".
    static std::string ChangeExtension(std::string_view fileName, std::string_view extension);
    static std::string DefinitionFileName(std::string_view dataFileName);
    static std::string BackupFileName(std::string_view dataFileName);

private:
    template <class Ini> bool Read(const Ini& ini, std::string& error);
};
