#pragma once
// Reads the draws out of the HTML table of a published results page.
//
// The page is scanned in chunks of 16384 bytes from a current offset. In
// each chunk the first "<tr" (P) and the first "</tr>" (Q) are looked up:
//  - P before Q: the row is the text from P (or from the chunk's start when
//    there is no "<tr") up to Q; it is read and the next chunk starts just
//    after the "<" of that "</tr>";
//  - a "<tr" with no "</tr>" after it: the chunk is read again from the
//    "<tr", so a row cut by the chunk's end is seen whole. When the chunk
//    already starts at that "<tr", the row is longer than a chunk or its end
//    tag is missing: the reading stops with an error;
//  - neither: the next chunk overlaps the last ten bytes of this one, so a
//    "<tr" cut by the chunk's end is still found; a short chunk ends the page.
//
// Within a row, cells are numbered from 1 in order. A cell is opened by
// "<td>" or by "<td" followed by blanks and attributes up to ">", and ends at
// the next "</td>"; its text is kept exactly as written. Header cells ("<th")
// are not cells. The contest cell restarts the row's line: ball cells met
// before it are dropped. A row is a draw when its contest cell and every one
// of its BallCount ball cells are present and not empty; only then is its
// contest converted to an integer and its line "contest;ball;...;ball"
// handed to the sink. Other rows (headers, rows of extra winners' cities,
// rows with empty cells) write nothing.
//
// A draw is new when its contest number is above the number of draws held
// before the update. Ball cells must be integers from 0 to the largest ball a
// game history takes (TLottery::MaxBallValue), so the file written can be
// read back as a game history; Elements tells the game size the table makes.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class THtmlTableReader {
public:
    static constexpr size_t ChunkSize = 16384;
    static constexpr size_t Overlap = 10;

    enum class TStatus {
        Completed,    // the whole page was read
        InvalidValue, // a contest or ball cell of a draw is not an integer, or a ball is out of range
        RowTooLong,   // a "<tr" without "</tr>" within the chunk starting at it
        Stopped,      // the progress callback asked to stop
        SinkFailed,   // the sink could not take a line
    };

    struct TResult {
        TStatus Status = TStatus::Completed;
        int32_t Draws = 0;    // lines handed to the sink
        int32_t NewCount = 0; // draws whose contest is above the held count
        int32_t Elements = 0; // n of the draws read: the largest ball, plus 1 when a ball is 0
        std::string Error;    // the user's message when not Completed
        bool Ok() const { return Status == TStatus::Completed; }
    };

    THtmlTableReader(int32_t contestColumn, int32_t firstBallColumn, int32_t ballCount,
                     int32_t heldDrawCount);

    // Receives each draw's line, without line end. Returning false stops the
    // reading (SinkFailed).
    std::function<bool(std::string_view line)> OnLine;
    // Receives "Lendo... concurso N" after every ProgressEvery-th draw.
    // Returning false stops the reading (Stopped).
    std::function<bool(const std::string& status)> OnProgress;
    int32_t ProgressEvery = 1;

    // Reads the whole page. The text is only viewed; chunks are views into it.
    TResult Read(std::string_view page) const;

    // "Lendo... concurso " followed by the contest cell.
    static std::string ProgressText(std::string_view contest);
    // The message when a ball is beyond the values a history takes.
    static std::string InvalidBallMessage(std::string_view contest, std::string_view ball);
    // The message when a row does not end within a chunk.
    static std::string RowTooLongMessage(int64_t offset);

private:
    struct TRow {
        std::string_view contest;
        std::string line;
        int32_t balls = 0;
    };
    bool ReadRow(std::string_view row, TRow& out) const;

    int32_t contestColumn_;
    int32_t firstBallColumn_;
    int32_t ballCount_;
    int32_t heldDrawCount_;
};
