#include "TIniFile.h"

#include <fstream>
#include <iterator>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

} // namespace

TIniFile::TIniFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return;
    Loaded = true;
    Parse(text);
}

TIniFile TIniFile::FromText(std::string_view text) {
    TIniFile ini;
    ini.Loaded = true;
    ini.Parse(text);
    return ini;
}

void TIniFile::Parse(std::string_view text) {
    // A UTF-8 byte order mark would otherwise become part of the first name.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::string section;
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            if (close != std::string_view::npos) section = std::string(Trim(line.substr(1, close - 1)));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        entries_.push_back({section, std::string(Trim(line.substr(0, eq))), std::string(value)});
    }
}

const std::string* TIniFile::Find(std::string_view section, std::string_view key) const {
    for (const Entry& e : entries_)
        if (SameText(e.section, section) && SameText(e.key, key)) return &e.value;
    return nullptr;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
    const std::string* value = Find(section, key);
    return value ? *value : std::string(defaultValue);
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
    return Find(section, key) != nullptr;
}
