#include "THtmlTableReader.h"

#include "NumberText.h"
#include "TLottery.h"

#include <algorithm>

namespace {

constexpr std::string_view RowOpen = "<tr";
constexpr std::string_view RowClose = "</tr>";
constexpr std::string_view CellOpen = "<td";
constexpr std::string_view CellClose = "</td>";

bool IsTagBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Position just after the opening tag of the next cell at or after `from`:
// "<td>" or "<td" + blank + attributes + ">". npos when there is none.
size_t NextCellText(std::string_view row, size_t from) {
    for (size_t at = row.find(CellOpen, from); at != std::string_view::npos;
         at = row.find(CellOpen, at + 1)) {
        const size_t next = at + CellOpen.size();
        if (next >= row.size()) return std::string_view::npos;
        if (row[next] == '>') return next + 1;
        if (IsTagBlank(row[next])) {
            const size_t end = row.find('>', next);
            return end == std::string_view::npos ? end : end + 1;
        }
    }
    return std::string_view::npos;
}

} // namespace

THtmlTableReader::THtmlTableReader(int32_t contestColumn, int32_t firstBallColumn, int32_t ballCount,
                                   int32_t heldDrawCount)
    : contestColumn_(contestColumn), firstBallColumn_(firstBallColumn), ballCount_(ballCount),
      heldDrawCount_(heldDrawCount) {}

std::string THtmlTableReader::ProgressText(std::string_view contest) {
    return "Lendo... concurso " + std::string(contest);
}

std::string THtmlTableReader::InvalidBallMessage(std::string_view contest, std::string_view ball) {
    return "Bola inválida na tabela recebida (concurso " + std::string(contest) + "): " + std::string(ball) +
           ". As bolas devem ser números de 0 a " + NumberText::FormatInt(TLottery::MaxBallValue) + ".";
}

std::string THtmlTableReader::RowTooLongMessage(int64_t offset) {
    return "Linha da tabela sem \"</tr>\" dentro de " + NumberText::FormatInt(ChunkSize) +
           " bytes (posição " + NumberText::FormatInt(offset) + " do arquivo recebido).";
}

bool THtmlTableReader::ReadRow(std::string_view row, TRow& out) const {
    const int64_t firstBall = firstBallColumn_;
    const int64_t endBall = firstBall + ballCount_;
    int32_t column = 0;
    size_t pos = 0;
    while (true) {
        const size_t text = NextCellText(row, pos);
        if (text == std::string_view::npos) break;
        const size_t close = row.find(CellClose, text);
        if (close == std::string_view::npos) break;
        ++column;
        const std::string_view cell = row.substr(text, close - text);
        pos = close + CellClose.size();
        if (cell.empty()) continue;
        if (column == contestColumn_) {
            out.contest = cell;
            out.line.assign(cell);
            out.balls = 0;
        } else if (column >= firstBall && column < endBall) {
            out.line += ';';
            out.line += cell;
            ++out.balls;
        }
    }
    return !out.contest.empty() && out.balls == ballCount_;
}

THtmlTableReader::TResult THtmlTableReader::Read(std::string_view page) const {
    TResult result;
    TRow row;
    int32_t maxBall = 0;
    bool zeroBased = false;
    size_t offset = 0;
    while (offset < page.size()) {
        const std::string_view chunk = page.substr(offset, ChunkSize);
        const size_t p = chunk.find(RowOpen);
        const size_t q = chunk.find(RowClose);
        if (q != std::string_view::npos && (p == std::string_view::npos || p < q)) {
            const size_t from = p == std::string_view::npos ? 0 : p;
            row.contest = {};
            row.line.clear();
            row.balls = 0;
            if (ReadRow(chunk.substr(from, q - from), row)) {
                int contest = 0;
                if (!NumberText::TryParseInt(row.contest, contest)) {
                    result.Status = TStatus::InvalidValue;
                    result.Error = NumberText::InvalidIntegerMessage(row.contest);
                    return result;
                }
                // Every field after the contest is a ball: check them as the
                // history reader will.
                std::string_view balls = std::string_view(row.line).substr(row.contest.size());
                while (!balls.empty()) {
                    balls.remove_prefix(1); // ';'
                    const size_t end = balls.find(';');
                    const std::string_view ball = balls.substr(0, end);
                    int value = 0;
                    if (!NumberText::TryParseInt(ball, value)) {
                        result.Status = TStatus::InvalidValue;
                        result.Error = NumberText::InvalidIntegerMessage(ball);
                        return result;
                    }
                    // A history refuses such a ball: the file written from
                    // this table could not be opened.
                    if (value < 0 || value > TLottery::MaxBallValue) {
                        result.Status = TStatus::InvalidValue;
                        result.Error = InvalidBallMessage(row.contest, ball);
                        return result;
                    }
                    maxBall = std::max(maxBall, value);
                    zeroBased = zeroBased || value == 0;
                    result.Elements = maxBall + (zeroBased ? 1 : 0);
                    balls.remove_prefix(end == std::string_view::npos ? balls.size() : end);
                }
                if (OnLine && !OnLine(row.line)) {
                    result.Status = TStatus::SinkFailed;
                    return result;
                }
                ++result.Draws;
                if (static_cast<int64_t>(contest) >= static_cast<int64_t>(heldDrawCount_) + 1)
                    ++result.NewCount;
                if (OnProgress && (ProgressEvery <= 1 || result.Draws % ProgressEvery == 0) &&
                    !OnProgress(ProgressText(row.contest))) {
                    result.Status = TStatus::Stopped;
                    return result;
                }
            }
            offset += q + 1; // just after the "<" of "</tr>"
        } else if (p != std::string_view::npos) {
            if (p == 0) {
                // The chunk starts at this "<tr" and still holds no "</tr>":
                // reading it again would find the same.
                result.Status = TStatus::RowTooLong;
                result.Error = RowTooLongMessage(static_cast<int64_t>(offset));
                return result;
            }
            offset += p;
        } else if (chunk.size() == ChunkSize) {
            offset += ChunkSize - Overlap;
        } else {
            break;
        }
    }
    return result;
}
