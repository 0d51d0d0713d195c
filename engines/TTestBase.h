#pragma once
// The test panel of the CSN calculator without its controls: a small base of
// candidate CSNs, each checked against a candidate and against a game's
// history. Cells are kept as the grid shows them; grid row r is Rows[r - 1].
//
// Every check reads the history through its cache-free forms, so the base
// never disturbs the history's shared caches. CSNs outside 1..Total are
// taken as the nearest end, as the conversion panel does: a CSN of 0 or
// below denotes no combination.
#include <string>
#include <string_view>
#include <vector>

class TLottery;

class TTestBase {
public:
    struct Row {
        std::string Number;      // "#"
        std::string CSN;         // "CSN"
        std::string Combination; // "Comb."
        std::string HitsBase;    // "Acertos(Base)"
        std::string HitsHistory; // "Acertos(Hist)"
        std::string Repeats;     // "Repetições(Hist)"
    };
    struct Point {
        double x = 0;
        double y = 0;
        bool operator==(const Point&) const = default;
    };

    // One empty data row.
    TTestBase();

    std::vector<Row> Rows;

    // "Adicionar": the candidate text (not a number: 1) goes into the first
    // row when that is the only row and has no CSN, else into a new row.
    // Returns the index of the row written.
    size_t Add(std::string_view candidateText);
    // "Remover": with two or more rows the selected one goes (the rows below
    // move up with their numbers); a single row loses its CSN, combination and
    // base hits. False when nothing changed.
    bool Remove(size_t selected);
    // "Colar" on the base: digits build CSNs, ";", line feed and TAB start a
    // new row, everything else is skipped; a trailing empty row is dropped.
    // Returns the index of the last row (the current one).
    size_t Paste(std::string_view text);

    // "Verificar": fills the combination and hit columns of every row with a
    // CSN, for the candidate text (not a number: 1). The result is the first
    // chart series: the base hits per row when showBase, else, when
    // showHistory, the candidate's hits in every draw.
    std::vector<Point> Verify(const TLottery& lottery, std::string_view candidateText, bool showBase,
                              bool showHistory);

    // "+" / "-": the candidate text (not a number: 1) one up unless it is at
    // least total, one down while above 1, in general format.
    static std::string StepCandidate(std::string_view candidateText, bool up, double total);
};
