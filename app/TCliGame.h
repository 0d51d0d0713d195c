#pragma once
// The game history a command reads. A missing, unreadable or malformed file is
// a failure (status 1) with the reader's message; the game window would show
// an empty grid instead.
#include <memory>
#include <string>

class TLottery;

class TCliGame {
public:
    static std::unique_ptr<TLottery> Load(const std::string& fileName);
    // As Load, for an analysis: the game must hold at least one draw.
    static std::unique_ptr<TLottery> LoadWithDraws(const std::string& fileName);
};
