#pragma once
// The program's message boxes. Every window reports through here so that
// window tests can run without a modal box: in recording mode a message is
// kept (last one first to read) instead of being shown, and a question is
// answered with the scripted reply.
#include <QString>
#include <QStringList>

class QWidget;

class TMessageBox {
public:
    enum class Kind { Information, Warning, Error };

    // A plain message box with the application's title and an OK button.
    static void Show(QWidget* parent, const QString& text, Kind kind = Kind::Information);
    // The same with the technical cause behind a "details" button (none when
    // detail is empty).
    static void Show(QWidget* parent, const QString& text, const QString& detail, Kind kind);
    // A Yes/No question; true for Yes.
    static bool Ask(QWidget* parent, const QString& text);

    // Recording mode (tests): nothing is shown, messages are appended to
    // Recorded() and Ask() returns the scripted reply.
    static void SetRecording(bool recording, bool reply = true);
    static bool Recording();
    static const QStringList& Recorded();
    static QString Last();
    // The detail given with the last message (empty for a plain one).
    static QString LastDetail();
    static void ClearRecorded();
};
