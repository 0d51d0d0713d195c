#include "TCliReport.h"

#include <QJsonDocument>

#include <cstdio>

TCliReport::TCliReport(TFormat format) : format_(format) {}

void TCliReport::Line(const std::string& text) {
    tsv_ += text;
    tsv_ += '\n';
}

void TCliReport::Row(const std::vector<std::string>& cells) {
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) tsv_ += '\t';
        tsv_ += cells[i];
    }
    tsv_ += '\n';
}

void TCliReport::Rows(const std::vector<std::vector<std::string>>& grid) {
    for (const std::vector<std::string>& row : grid) Row(row);
}

std::string TCliReport::Text(const std::string& command) const {
    if (!IsJson()) return tsv_;
    QJsonObject object = Json;
    object.insert(QLatin1String("command"), QString::fromStdString(command));
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

void TCliReport::WriteNow(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

QJsonArray TCliReport::Strings(const std::vector<std::string>& texts) {
    QJsonArray array;
    for (const std::string& text : texts) array.append(QString::fromStdString(text));
    return array;
}
