#pragma once
// The input box of the analysis windows: a caption, a prompt and a default
// text. Tests script the answers instead of showing a modal box: in scripted
// mode each question takes the next queued answer (none queued is Cancel)
// and is recorded.
#include <QList>
#include <QString>
#include <optional>

class QWidget;

class TInputBox {
public:
    struct Question {
        QString Caption;
        QString Prompt;
        QString Value;
    };

    // The text typed, or nothing when the box was cancelled.
    static std::optional<QString> Ask(QWidget* parent, const QString& caption, const QString& prompt,
                                      const QString& value);

    // Scripted mode: nothing is shown; answers are used in order, nullopt
    // standing for Cancel.
    static void Script(const QList<std::optional<QString>>& answers);
    static void StopScripting();
    static bool Scripted();
    static const QList<Question>& Asked();
};
