#pragma once
// Read-only INI file: "[Section]" lines, then "key=value" lines. Lookups
// behave like the classic profile-string reader of the platform the game
// definition files come from: section and key names match without regard to
// case, the first occurrence wins, blanks around names and values are
// dropped, and a value wrapped in a pair of matching quotes loses them.
// Values are returned raw otherwise (commas, percent signs and backslashes
// stay as written).
#include <string>
#include <string_view>
#include <vector>

class TIniFile {
public:
    // Reads the whole file. A file that cannot be read gives an empty INI
    // (every lookup returns its default); Loaded tells the two apart.
    explicit TIniFile(const std::string& fileName);
    // Parses text already in memory.
    static TIniFile FromText(std::string_view text);

    bool Loaded = false;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

private:
    TIniFile() = default;
    void Parse(std::string_view text);
    const std::string* Find(std::string_view section, std::string_view key) const;

    struct Entry {
        std::string section;
        std::string key;
        std::string value;
    };
    std::vector<Entry> entries_;
};
