#pragma once
// The output of one command, built whole before anything is printed so that a
// failure leaves standard output empty.
//
// TSV: the window's texts (numbers with the system's decimal separator), cells
// separated by TAB, lines ended by LF. JSON: one object with named fields and
// plain numbers; QJsonDocument writes them in the C locale with the shortest
// text that reads back to the same double. The program adds "command" with the
// command's name.
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include <string>
#include <vector>

class TCliReport {
public:
    enum class TFormat { Tsv, Json };

    explicit TCliReport(TFormat format);

    TFormat Format() const { return format_; }
    bool IsJson() const { return format_ == TFormat::Json; }

    // TSV output: raw text, a line (LF added), a row of cells.
    void Append(const std::string& text) { tsv_ += text; }
    void Line(const std::string& text);
    void Row(const std::vector<std::string>& cells);
    void Rows(const std::vector<std::vector<std::string>>& grid);
    const std::string& TsvText() const { return tsv_; }

    // JSON output: the command's fields.
    QJsonObject Json;
    void Set(const char* field, const QJsonValue& value) { Json.insert(QLatin1String(field), value); }

    // The whole output of a command named `command`.
    std::string Text(const std::string& command) const;

    // Writes a text at once, for running status lines of a long command in TSV
    // (the update's progress); fails when standard output does.
    static void WriteNow(const std::string& text);

    // Helpers for JSON fields.
    static QJsonValue String(const std::string& text) { return QString::fromStdString(text); }
    static QJsonArray Strings(const std::vector<std::string>& texts);
    template <typename Number> static QJsonArray Numbers(const std::vector<Number>& values) {
        QJsonArray array;
        for (const Number value : values) array.append(static_cast<double>(value));
        return array;
    }

private:
    TFormat format_;
    std::string tsv_;
};
