#include "TExport.h"

#include "TChartView.h"
#include "TFileDialog.h"
#include "TMessageBox.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace {

QString CsvCell(const QString& cell) {
    if (!cell.contains(QLatin1Char(';')) && !cell.contains(QLatin1Char('"')) && !cell.contains(QLatin1Char('\n')) &&
        !cell.contains(QLatin1Char('\r')))
        return cell;
    QString quoted = cell;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool WriteWhole(const QString& fileName, const QByteArray& bytes, QString& error) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

// The chart as the window shows it, with the controls drawn over it (the
// list of a pie's slices). QGraphicsView's own render() would draw the
// scene alone.
void Render(TChartView& chart, QPainter& painter) {
    QWidget& widget = chart;
    widget.render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
}

} // namespace

QString TExport::TableFilter() {
    return QStringLiteral("Tabela CSV (*.csv)");
}

QString TExport::ChartFilter() {
    return QStringLiteral("Imagem PNG (*.png);;Desenho SVG (*.svg);;Documento PDF (*.pdf)");
}

QString TExport::CsvText(const QList<QStringList>& rows) {
    QString text;
    for (const QStringList& row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0) text += QLatin1Char(';');
            text += CsvCell(row.at(c));
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

QList<QStringList> TExport::SplitGridText(const QString& text) {
    QList<QStringList> rows;
    for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        QStringList cells = line.split(QLatin1Char('\t'));
        // Every cell is followed by a TAB: the last piece is empty.
        if (!cells.isEmpty() && cells.last().isEmpty()) cells.removeLast();
        rows << cells;
    }
    return rows;
}

bool TExport::SaveTable(const QString& fileName, const QList<QStringList>& rows, QString& error) {
    QByteArray bytes("\xEF\xBB\xBF");
    bytes += CsvText(rows).toUtf8();
    return WriteWhole(fileName, bytes, error);
}

bool TExport::SaveChart(const QString& fileName, TChartView& chart, QString& error) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    const QSize size = chart.size().isEmpty() ? QSize(800, 500) : chart.size();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(chart.Title());
        QPainter painter(&generator);
        Render(chart, painter);
    } else if (suffix == QLatin1String("pdf")) {
        QPdfWriter writer(&buffer);
        writer.setTitle(chart.Title());
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setResolution(150);
        QPainter painter(&writer);
        // The chart keeps its proportions on the page.
        const QSize fitted = size.scaled(painter.viewport().size(), Qt::KeepAspectRatio);
        painter.scale(double(fitted.width()) / size.width(), double(fitted.height()) / size.height());
        Render(chart, painter);
    } else {
        if (!chart.Picture().save(&buffer, "PNG")) {
            error = QStringLiteral("não foi possível gerar a imagem");
            return false;
        }
    }
    buffer.close();
    return WriteWhole(fileName, bytes, error);
}

void TExport::AskAndSaveTable(QWidget* parent, const QList<QStringList>& rows) {
    const QString fileName = TFileDialog::SaveFileName(parent, TableFilter(), QStringLiteral("csv"));
    if (fileName.isEmpty()) return;
    QString error;
    if (!SaveTable(fileName, rows, error))
        TMessageBox::Show(parent, QStringLiteral("Não foi possível salvar ") + fileName + QStringLiteral("."), error,
                          TMessageBox::Kind::Error);
}

void TExport::AskAndSaveChart(QWidget* parent, TChartView& chart) {
    const QString fileName = TFileDialog::SaveFileName(parent, ChartFilter(), QStringLiteral("png"));
    if (fileName.isEmpty()) return;
    QString error;
    if (!SaveChart(fileName, chart, error))
        TMessageBox::Show(parent, QStringLiteral("Não foi possível salvar ") + fileName + QStringLiteral("."), error,
                          TMessageBox::Kind::Error);
}
