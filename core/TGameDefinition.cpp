#include "TGameDefinition.h"

#include "NumberText.h"
#include "TIniFile.h"

#include <algorithm>
#include <functional>

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

namespace {

std::vector<int32_t> PrizeTiersOf(const TIniFile& ini, int32_t k, std::string& error) {
    error.clear();
    std::vector<int32_t> tiers = TGameDefinition::DefaultPrizeTiers(k);
    if (!ini.ValueExists("Premios", "Faixas")) return tiers;
    const std::string text = ini.ReadString("Premios", "Faixas", "");
    if (text.find_first_not_of(" \t") == std::string::npos) return tiers;
    std::vector<int32_t> read;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.pop_back();
        int value = 0;
        if (!NumberText::TryParseInt(item, value) || value < 0 || value > k) {
            error = "Faixas de prêmios inválidas no arquivo INI: " + text;
            return tiers;
        }
        read.push_back(value);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    std::sort(read.begin(), read.end(), std::greater<>());
    read.erase(std::unique(read.begin(), read.end()), read.end());
    return read;
}

} // namespace

std::vector<int32_t> TGameDefinition::DefaultPrizeTiers(int32_t k) {
    std::vector<int32_t> tiers;
    for (int32_t h = k; h >= 1; --h) tiers.push_back(h);
    return tiers;
}

std::vector<int32_t> TGameDefinition::ReadPrizeTiers(const std::string& iniFileName, int32_t k,
                                                     std::string& error) {
    return PrizeTiersOf(TIniFile(iniFileName), k, error);
}

std::vector<int32_t> TGameDefinition::PrizeTiersFromText(std::string_view text, int32_t k,
                                                         std::string& error) {
    return PrizeTiersOf(TIniFile::FromText(text), k, error);
}
