#pragma once
// Reads the draws' cells out of a results spreadsheet (XLSX: a ZIP archive of
// XML parts, read with libzip and Qt's XML stream reader).
//
// Tolerant of how the publisher writes its workbook: an "x:" namespace
// prefix on every element, rows and cells without "r" references (cells are
// then counted in order), numbers with leading zeros ("04"), dates as text,
// empty cells, shared strings and inline strings. Only the contest cell and
// the ball cells are kept, as the texts they hold.
//
// The sheet is the one named Sheet (without regard to case) or, when Sheet is
// empty, the workbook's first.
#include <QByteArray>

#include <cstdint>
#include <string>
#include <vector>

class TXlsxReader {
public:
    // 1-based columns, as in the game definition file.
    int32_t ContestColumn = 1;
    int32_t FirstBallColumn = 3;
    int32_t BallCount = 6;
    std::string Sheet;

    struct TRow {
        int64_t Row = 0; // 1-based row of the sheet
        std::string Contest;
        std::vector<std::string> Balls; // BallCount texts, empty where a cell is missing
    };
    struct TResult {
        bool Ok = false;
        std::string Error;      // why the sheet could not be read whole
        std::vector<TRow> Rows; // every row with a text in a kept cell, in order
    };

    TResult Read(const std::string& fileName) const;
    // The rows of one sheet's XML with the workbook's shared strings.
    TResult ReadSheet(const QByteArray& sheetXml, const std::vector<std::string>& sharedStrings) const;
    // The shared strings of "xl/sharedStrings.xml".
    static bool ReadSharedStrings(const QByteArray& xml, std::vector<std::string>& strings, std::string& error);
    // The 1-based column of a cell reference ("C12" -> 3), 0 when there is none.
    static int32_t ColumnOf(std::string_view reference);
};
