#pragma once
// The figures the game window shows for one history, as texts: n, k, the
// number of combinations, the Superball size and the birthday-paradox figure.
// A Superball game shows its reduced total and birthday figure in place of the
// full ones.
#include <string>

class TLottery;

class TGameFigures {
public:
    explicit TGameFigures(const TLottery& lottery);

    std::string Elements;       // "Elementos combinados:"
    std::string PerCombination; // "Elementos por combinação:"
    std::string Total;          // "Total de combinações:"
    bool Superball = false;     // "Superball:" is shown
    std::string SuperballBalls; // "Superball:"
    std::string Birthday;       // "Paradoxo do aniversário:"
    std::string DrawCount;

    // One "Label: value" line per figure, each ended by LF, the Superball line
    // only for a Superball game, then "Concursos:" with the number of draws.
    std::string ToText() const;
};
