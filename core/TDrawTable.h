#pragma once
// The game window's grid as plain text cells: row 0 is the header
// ("Concurso", "Bola 1".."Bola k", "CSN"), row d + 1 is draw d (contest
// number, the balls as read, the CSN in general format). The GUI's table model
// and the command line both read it.
//
// The table holds a non-owning pointer: the history must outlive it.
#include <string>

class TLottery;

class TDrawTable {
public:
    // nullptr or a history that was not loaded: one row, one empty column.
    explicit TDrawTable(const TLottery* lottery);

    int RowCount() const;    // DrawCount + 1
    int ColumnCount() const; // k + 2
    // Empty text outside the table.
    std::string Cell(int row, int column) const;
    // Every cell followed by TAB (the last one of a row too), every row ended
    // by CR LF: the grid as the clipboard receives it.
    std::string ToText() const;

private:
    const TLottery* lottery_ = nullptr;
};
