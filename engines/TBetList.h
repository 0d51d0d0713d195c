#pragma once
// The bets a user checks against the history: typed into the window or kept in
// a plain text file, one bet per line, balls separated by blanks, commas or
// semicolons; blank lines and lines whose first visible character is "#" are
// skipped. Lines end with CR LF, LF or CR. The text reads the same under any
// locale (balls are plain decimal integers).
//
// Balls are written as the game numbers them, as its data file and the game
// window's grid show them: 1..n, or 0..n-1 in a zero-based game (Lotomania's
// 00..99). A bet holds at least k balls and at most n.
//
// All bets sit in one array, bet after bet, so a file of millions of bets
// costs two allocations, not one per bet.
#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TBetList {
public:
    // The balls a bet file may hold: FirstBall..FirstBall + n - 1, and at
    // least k of them per bet.
    struct Rules {
        int32_t Elements = 0;       // n
        int32_t PerCombination = 0; // k
        bool ZeroBased = false;
        int32_t FirstBall() const { return ZeroBased ? 0 : 1; }
        int32_t LastBall() const { return FirstBall() + Elements - 1; }
    };
    // Largest file read (a bets file of this size holds some ten million bets).
    static constexpr uint64_t MaxFileBytes = 512ull << 20;

    size_t Count() const { return starts_.size() - 1; }
    bool Empty() const { return Count() == 0; }
    // Bet i's balls, ascending.
    std::span<const int32_t> Bet(size_t i) const {
        return {balls_.data() + starts_[i], balls_.data() + starts_[i + 1]};
    }
    // The 1-based line of the text that bet i came from.
    int32_t Line(size_t i) const { return lines_[i]; }
    // The largest bet.
    int32_t MaxBalls() const { return maxBalls_; }
    // Adds a bet (the balls are sorted; no check is made).
    void Add(std::span<const int32_t> balls, int32_t line = 0);
    void Clear();

    // "3 17 25 41 52 60": a bet as the window and the reports write it.
    static std::string Text(std::span<const int32_t> bet);

    // Reads bets from text. On the first bad line the result is empty and
    // `error` holds the user's message with the line number; bad lines are a
    // ball outside the game, a repeated ball, fewer than k balls, or a word
    // that is not a whole number. A text without any bet gives an empty list
    // and no error. When `stop` becomes true (checked every few thousand
    // lines) the reading ends with an empty list and no error.
    static TBetList Parse(std::string_view text, const Rules& rules, std::string& error,
                          const std::atomic<bool>* stop = nullptr);
    // The same from a file; a file that cannot be read gives its own message.
    static TBetList Load(const std::string& fileName, const Rules& rules, std::string& error,
                         const std::atomic<bool>* stop = nullptr);

private:
    std::vector<int32_t> balls_;
    std::vector<size_t> starts_{0};
    std::vector<int32_t> lines_;
    int32_t maxBalls_ = 0;
};
