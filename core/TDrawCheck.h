#pragma once
// The checks every results update makes before it writes anything: the
// history held in the data file, and the draws a source offers against it.
//
// A draw the source offers for a contest the history holds must have the
// same set of balls as the held line (the order may differ: the spreadsheet
// lists them ascending, the history in the order drawn); otherwise it is a
// conflict. A later contest is new: new contests must follow the history's
// last one, and each other, with no gap and no repeat, and each must have
// BallCount distinct balls within Lowest..Highest. The first fault found is
// kept as a message that names the contest.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TDrawCheck {
public:
    struct TDraw {
        int32_t Contest = 0;
        std::vector<int32_t> Balls; // as given (for new draws: the order written)
    };

    // Reads the history from the data file's text (empty: no history). The
    // header gives BallCount; the balls seen give the range (1..largest, or
    // 0..largest when a 0 is seen) unless SetRange is called afterwards.
    // False with Error() set when the text is not a game history.
    bool LoadHistory(std::string_view text);
    void SetRange(int32_t lowest, int32_t highest);

    int32_t BallCount = 0;
    int32_t Lowest = 1;
    int32_t Highest = 0;
    // The line end of the data file ("\r\n" unless its header ends in "\n" alone).
    std::string LineEnd = "\r\n";

    const std::vector<TDraw>& Held() const { return held_; }
    // The history's last contest, 0 when it has none.
    int32_t LastHeld() const { return held_.empty() ? 0 : held_.back().Contest; }
    // The contest the next new draw must have.
    int32_t NextContest() const { return (added_.empty() ? LastHeld() : added_.back().Contest) + 1; }
    // True when the history holds `contest`; `balls` then gets its line's balls.
    bool Holds(int32_t contest, std::vector<int32_t>* balls = nullptr) const;
    // Where Held() has `contest`, -1 when it has not.
    int64_t Find(int32_t contest) const;

    // Offers one draw of the source. False when it is at fault (Error() says
    // why, naming the contest); a held contest that agrees is only checked.
    bool Offer(int32_t contest, std::span<const int32_t> balls);
    // Records a fault found elsewhere (a ball that is no number, a missing
    // answer), for the contest named.
    bool Fail(int32_t contest, const std::string& reason);
    // Checks only the balls: count, distinctness, range. Empty when fine.
    std::string BallFault(std::span<const int32_t> balls) const;

    const std::vector<TDraw>& Added() const { return added_; }
    // The lines of the new draws, "contest;ball;...;ball" and the line end.
    std::string AddedText() const;
    const std::string& Error() const { return error_; }

    // "Concurso N: " + reason.
    static std::string ContestMessage(int32_t contest, const std::string& reason);
    // "a;b;c" of the balls.
    static std::string BallsText(std::span<const int32_t> balls);

private:
    std::vector<TDraw> held_;
    std::unordered_map<int32_t, size_t> index_; // contest -> held_ position
    std::vector<TDraw> added_;
    std::string error_;
};
