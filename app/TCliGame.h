#pragma once
// The game history a command reads. A missing, unreadable or malformed file is
// a failure (status 1) with the reader's message; the game window would show
// an empty grid instead.
#include <memory>
#include <string>

class TCliArguments;
class TLottery;

class TCliGame {
public:
    static std::unique_ptr<TLottery> Load(const std::string& fileName);
    // As Load, for an analysis: the game must hold at least one draw.
    static std::unique_ptr<TLottery> LoadWithDraws(const std::string& fileName);
    // The option --sample as the windows' sample up-down takes it: at least
    // 10 (or the whole of a shorter history), at most the number of draws. A
    // value below 1 or not an integer is a usage error.
    // Without --sample: `fallback` (the window's opening size), cut the same way.
    static int SampleSize(const TCliArguments& arguments, const TLottery& lottery, int fallback = 0);
    // The usage text of --sample's help, for the commands' declarations.
    static const char* SampleHelp();
};
