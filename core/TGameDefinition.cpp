#include "TGameDefinition.h"

#include "NumberText.h"
#include "TIniFile.h"

template <class Ini> bool TGameDefinition::Read(const Ini& ini, std::string& error) {
    Url = ini.ReadString("Server", "url", "");
    Type = ini.ReadString("Server", "type", "");
    Host = ini.ReadString("Server", "Host", "");
    User = ini.ReadString("Server", "User", "");
    Password = ini.ReadString("Server", "Password", "");
    FileSource = ini.ReadString("Server", "FileSource", "");
    SourceFile = ini.ReadString("HTML", "SourceFile", "");
    XlsxSheet = ini.ReadString("XLSX", "Sheet", "");
    const auto readInt = [&](std::string_view key, int32_t& value, std::string_view section = "HTML",
                             std::string_view fallback = "0") {
        const std::string text = ini.ReadString(section, key, fallback);
        int parsed = 0;
        if (!NumberText::TryParseInt(text, parsed)) {
            error = NumberText::InvalidIntegerMessage(text);
            return false;
        }
        value = parsed;
        return true;
    };
    return readInt("LoteryNumberColumn", ContestColumn) && readInt("BallsStartColumn", FirstBallColumn) &&
           readInt("BallsCount", BallCount) && readInt("LoteryNumberColumn", XlsxContestColumn, "XLSX") &&
           readInt("BallsStartColumn", XlsxFirstBallColumn, "XLSX") &&
           readInt("BallsCount", XlsxBallCount, "XLSX") && readInt("MenorBola", LowestBall, "Jogo", "-1") &&
           readInt("MaiorBola", HighestBall, "Jogo", "-1");
}

bool TGameDefinition::Load(const std::string& iniFileName, std::string& error) {
    return Read(TIniFile(iniFileName), error);
}

bool TGameDefinition::LoadText(std::string_view text, std::string& error) {
    return Read(TIniFile::FromText(text), error);
}

std::string TGameDefinition::ChangeExtension(std::string_view fileName, std::string_view extension) {
    const size_t slash = fileName.find_last_of('/');
    const size_t dot = fileName.find_last_of('.');
    const bool hasExtension =
        dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
    std::string result(hasExtension ? fileName.substr(0, dot) : fileName);
    result += extension;
    return result;
}

std::string TGameDefinition::DefinitionFileName(std::string_view dataFileName) {
    return ChangeExtension(dataFileName, ".ini");
}

std::string TGameDefinition::BackupFileName(std::string_view dataFileName) {
    return ChangeExtension(dataFileName, ".bak");
}
