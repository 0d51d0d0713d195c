#include "TXlsxReader.h"

#include "NumberText.h"
#include "TZipArchive.h"

#include <QXmlStreamReader>

#include <utility>

namespace {

std::string Text(QStringView text) {
    return text.toString().toStdString();
}

// The part a relationship target names, from the folder "xl/".
std::string PartPath(const std::string& target) {
    if (!target.empty() && target.front() == '/') return target.substr(1);
    if (target.starts_with("../")) return target.substr(3);
    return "xl/" + target;
}

bool SameText(const std::string& a, const std::string& b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

// The worksheet part of the sheet named `sheet` (the first when empty).
bool SheetPart(TZipArchive& zip, const std::string& sheet, std::string& part, std::string& error) {
    QByteArray workbook, rels;
    if (!zip.Read("xl/workbook.xml", workbook) || !zip.Read("xl/_rels/workbook.xml.rels", rels)) {
        error = "O arquivo não é uma planilha XLSX: " + zip.Error();
        return false;
    }
    std::string id;
    std::vector<std::string> names;
    QXmlStreamReader xml(workbook);
    while (!xml.atEnd() && id.empty()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"sheet") continue;
        const std::string name = Text(xml.attributes().value(QLatin1String("name")));
        names.push_back(name);
        if (!sheet.empty() && !SameText(name, sheet)) continue;
        for (const QXmlStreamAttribute& attribute : xml.attributes())
            if (attribute.name() == u"id") id = Text(attribute.value());
    }
    if (id.empty()) {
        error = sheet.empty() ? "A planilha não tem folhas."
                              : "A folha \"" + sheet + "\" não existe na planilha.";
        return false;
    }
    QXmlStreamReader relations(rels);
    while (!relations.atEnd()) {
        if (relations.readNext() != QXmlStreamReader::StartElement || relations.name() != u"Relationship")
            continue;
        if (Text(relations.attributes().value(QLatin1String("Id"))) == id) {
            part = PartPath(Text(relations.attributes().value(QLatin1String("Target"))));
            return true;
        }
    }
    error = "A folha da planilha não foi encontrada no arquivo.";
    return false;
}

} // namespace

int32_t TXlsxReader::ColumnOf(std::string_view reference) {
    int64_t column = 0;
    for (const char c : reference) {
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper < 'A' || upper > 'Z') break;
        column = column * 26 + (upper - 'A' + 1);
        if (column > 1 << 20) return 0;
    }
    return static_cast<int32_t>(column);
}

bool TXlsxReader::ReadSharedStrings(const QByteArray& xml, std::vector<std::string>& strings,
                                    std::string& error) {
    strings.clear();
    QXmlStreamReader reader(xml);
    QString item;
    int depth = 0; // inside a phonetic run, whose text is not part of the string
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (reader.name() == u"si") item.clear();
            else if (reader.name() == u"rPh") ++depth;
            else if (reader.name() == u"t" && depth == 0) item += reader.readElementText();
        } else if (token == QXmlStreamReader::EndElement) {
            if (reader.name() == u"si") strings.push_back(item.toStdString());
            else if (reader.name() == u"rPh") --depth;
        }
    }
    if (reader.hasError()) {
        error = "Textos da planilha danificados: " + reader.errorString().toStdString();
        return false;
    }
    return true;
}

TXlsxReader::TResult TXlsxReader::Read(const std::string& fileName) const {
    TResult result;
    TZipArchive zip(fileName);
    if (!zip.Ok()) {
        result.Error = "A planilha não pôde ser aberta: " + zip.Error();
        return result;
    }
    std::string part;
    if (!SheetPart(zip, Sheet, part, result.Error)) return result;
    std::vector<std::string> shared;
    QByteArray bytes;
    if (zip.Contains("xl/sharedStrings.xml")) {
        if (!zip.Read("xl/sharedStrings.xml", bytes)) {
            result.Error = "A planilha não pôde ser lida: " + zip.Error();
            return result;
        }
        if (!ReadSharedStrings(bytes, shared, result.Error)) return result;
    }
    if (!zip.Read(part, bytes)) {
        result.Error = "A planilha não pôde ser lida: " + zip.Error();
        return result;
    }
    return ReadSheet(bytes, shared);
}

TXlsxReader::TResult TXlsxReader::ReadSheet(const QByteArray& sheetXml,
                                           const std::vector<std::string>& sharedStrings) const {
    TResult result;
    const int64_t firstBall = FirstBallColumn;
    const int64_t endBall = firstBall + BallCount;
    QXmlStreamReader xml(sheetXml);
    TRow row;
    bool kept = false;       // the row has a text in a kept cell
    int64_t rowNumber = 0;
    int32_t column = 0;      // of the current cell
    QString typeText;
    QString value;
    bool inCell = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = xml.name();
            if (name == u"row") {
                const QStringView r = xml.attributes().value(QLatin1String("r"));
                long long number = 0;
                rowNumber = !r.isEmpty() && NumberText::TryParseInt64(r.toString().toStdString(), number)
                                ? number
                                : rowNumber + 1;
                row = TRow{};
                row.Row = rowNumber;
                row.Balls.assign(static_cast<size_t>(std::max(BallCount, 0)), std::string());
                kept = false;
                column = 0;
            } else if (name == u"c") {
                const QStringView r = xml.attributes().value(QLatin1String("r"));
                const int32_t referenced = r.isEmpty() ? 0 : ColumnOf(r.toString().toStdString());
                column = referenced > 0 ? referenced : column + 1;
                // Most cells are prizes and places: skipped unread.
                if (column != ContestColumn && (column < firstBall || column >= endBall)) {
                    xml.skipCurrentElement();
                    continue;
                }
                typeText = xml.attributes().value(QLatin1String("t")).toString();
                value.clear();
                inCell = true;
            } else if (inCell && (name == u"v" || name == u"t")) {
                value += xml.readElementText(QXmlStreamReader::IncludeChildElements);
            }
        } else if (token == QXmlStreamReader::EndElement) {
            const QStringView name = xml.name();
            if (name == u"c" && inCell) {
                inCell = false;
                const bool wanted = column == ContestColumn || (column >= firstBall && column < endBall);
                if (!wanted) continue;
                std::string text;
                if (typeText == u"s") {
                    bool ok = false;
                    const qsizetype index = value.trimmed().toLongLong(&ok);
                    if (ok && index >= 0 && static_cast<size_t>(index) < sharedStrings.size())
                        text = sharedStrings[static_cast<size_t>(index)];
                } else {
                    text = value.toStdString();
                }
                if (text.empty()) continue;
                kept = true;
                if (column == ContestColumn) row.Contest = std::move(text);
                else row.Balls[static_cast<size_t>(column - firstBall)] = std::move(text);
            } else if (name == u"row") {
                if (kept) result.Rows.push_back(std::move(row));
            }
        }
    }
    if (xml.hasError()) {
        // The last whole row tells the user where the file stops.
        const std::string after = result.Rows.empty() ? std::string() : result.Rows.back().Contest;
        result.Error = "A planilha está incompleta ou danificada" +
                       (after.empty() ? std::string() : " depois do concurso " + after) + " (linha " +
                       NumberText::FormatInt(rowNumber) + "): " + xml.errorString().toStdString();
        return result;
    }
    result.Ok = true;
    return result;
}
