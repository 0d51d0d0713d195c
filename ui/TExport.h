#pragma once
// Saving what a window shows to files: a table as CSV and a chart as a
// picture (PNG), a drawing (SVG) or a document (PDF).
//
// The CSV is what a Brazilian spreadsheet opens as columns: cells separated by
// ";", numbers with the system's decimal separator exactly as the grid shows
// them, UTF-8 with a byte-order mark (without it the usual spreadsheet reads
// the accents as Latin-1), rows ended by CR LF. A cell holding ";", a quote or
// a line break is quoted, quotes doubled.
//
// Files are written whole or not at all (QSaveFile): a failed save leaves an
// earlier file of that name as it was.
#include <QString>
#include <QStringList>

class QWidget;
class TChartView;

class TExport {
public:
    // The file filters of the save dialogs.
    static QString TableFilter();
    static QString ChartFilter();

    // Rows of cells as CSV text (without the byte-order mark).
    static QString CsvText(const QList<QStringList>& rows);
    // A grid's clipboard text (every cell followed by TAB, every row by CR LF)
    // split back into rows of cells.
    static QList<QStringList> SplitGridText(const QString& text);

    // False, with the reason in error, when the file cannot be written.
    static bool SaveTable(const QString& fileName, const QList<QStringList>& rows, QString& error);
    // The format follows the file's extension: .svg, .pdf, anything else PNG.
    static bool SaveChart(const QString& fileName, TChartView& chart, QString& error);

    // The commands of the pop-up menus: ask for a name, save, report a
    // failure in a message box. Cancelling the dialog does nothing.
    static void AskAndSaveTable(QWidget* parent, const QList<QStringList>& rows);
    static void AskAndSaveChart(QWidget* parent, TChartView& chart);
};
