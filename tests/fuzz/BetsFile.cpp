// The bets file: any bytes give a list of bets or the message of the first bad
// line, never both; every bet read keeps to the game's rules and reads back
// the same from its own text.
#include "FuzzSupport.h"
#include "TBetList.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using FuzzSupport::Check;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The first byte picks a game: 60/6, 25/15 or the zero-based 100/20.
    static constexpr TBetList::Rules Games[] = {{60, 6, false}, {25, 15, false}, {100, 20, true}};
    const TBetList::Rules rules = Games[size > 0 ? data[0] % 3 : 0];

    std::string error;
    const TBetList bets = TBetList::Parse(text, rules, error);
    if (!error.empty()) {
        Check(bets.Empty(), "a refused text checks nothing");
        Check(error.rfind("Linha ", 0) == 0, "a refusal names its line");
        return 0;
    }
    std::string again;
    for (size_t i = 0; i < bets.Count(); ++i) {
        const auto bet = bets.Bet(i);
        Check(static_cast<int32_t>(bet.size()) >= rules.PerCombination &&
                  static_cast<int32_t>(bet.size()) <= rules.Elements,
              "a bet has k to n balls");
        Check(std::is_sorted(bet.begin(), bet.end()) && std::adjacent_find(bet.begin(), bet.end()) == bet.end(),
              "balls ascending and distinct");
        Check(bet.front() >= rules.FirstBall() && bet.back() <= rules.LastBall(), "balls within the game");
        Check(bets.Line(i) >= 1, "a bet knows its line");
        again += TBetList::Text(bet) + "\n";
    }
    std::string secondError;
    const TBetList reread = TBetList::Parse(again, rules, secondError);
    Check(secondError.empty() && reread.Count() == bets.Count(), "the bets' own text reads back");
    for (size_t i = 0; i < bets.Count(); ++i)
        Check(std::ranges::equal(reread.Bet(i), bets.Bet(i)), "the same balls read back");
    return 0;
}
