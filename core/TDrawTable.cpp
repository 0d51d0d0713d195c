#include "TDrawTable.h"

#include "NumberText.h"
#include "TLottery.h"

#include <charconv>
#include <cmath>

namespace {

// General format of a CSN. Integer values below 10^15 print as plain digits in
// general format, so they take the fast path; anything else goes through the
// program's number texts.
void AppendGeneral(std::string& text, double value) {
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        char buffer[24];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value)).ptr;
        text.append(buffer, end);
        return;
    }
    text += NumberText::FormatGeneral(value);
}

void AppendInt(std::string& text, int32_t value) {
    char buffer[16];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    text.append(buffer, end);
}

} // namespace

TDrawTable::TDrawTable(const TLottery* lottery)
    : lottery_(lottery != nullptr && lottery->Loaded ? lottery : nullptr) {}

int TDrawTable::RowCount() const {
    return lottery_ ? lottery_->DrawCount + 1 : 1;
}

int TDrawTable::ColumnCount() const {
    return lottery_ ? lottery_->PerCombination() + 2 : 1;
}

std::string TDrawTable::Cell(int row, int column) const {
    if (!lottery_ || row < 0 || column < 0 || row >= RowCount() || column >= ColumnCount()) return {};
    const int k = lottery_->PerCombination();
    if (row == 0) {
        if (column == 0) return "Concurso";
        if (column <= k) return "Bola " + std::to_string(column);
        return "CSN";
    }
    const auto d = static_cast<size_t>(row - 1);
    std::string text;
    if (column <= k)
        AppendInt(text, lottery_->Draws[static_cast<size_t>(column)][d]);
    else
        AppendGeneral(text, lottery_->CSNs[d]);
    return text;
}

std::string TDrawTable::ToText() const {
    const int rows = RowCount();
    const int columns = ColumnCount();
    std::string text;
    if (!lottery_) {
        text = "\t\r\n";
        return text;
    }
    const int k = lottery_->PerCombination();
    // Contest numbers and balls rarely pass 5 digits, CSNs 20: a close guess
    // avoids reallocating a text of tens of megabytes.
    text.reserve(static_cast<size_t>(rows) * (static_cast<size_t>(k) * 4 + 32) + 64);
    for (int c = 0; c < columns; ++c) {
        text += Cell(0, c);
        text += '\t';
    }
    text += "\r\n";
    for (int row = 1; row < rows; ++row) {
        const auto d = static_cast<size_t>(row - 1);
        for (int c = 0; c <= k; ++c) {
            AppendInt(text, lottery_->Draws[static_cast<size_t>(c)][d]);
            text += '\t';
        }
        AppendGeneral(text, lottery_->CSNs[d]);
        text += "\t\r\n";
    }
    return text;
}
