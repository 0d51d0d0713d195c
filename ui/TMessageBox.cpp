#include "TMessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {

struct RecordingState {
    bool on = false;
    bool reply = true;
    QStringList messages;
    QString lastDetail;
};

RecordingState& State() {
    static RecordingState state;
    return state;
}

QString Title() {
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Tovisca") : name;
}

} // namespace

void TMessageBox::Show(QWidget* parent, const QString& text, Kind kind) {
    if (State().on) {
        State().messages.append(text);
        State().lastDetail.clear();
        return;
    }
    switch (kind) {
    case Kind::Information:
        QMessageBox::information(parent, Title(), text);
        break;
    case Kind::Warning:
        QMessageBox::warning(parent, Title(), text);
        break;
    case Kind::Error:
        QMessageBox::critical(parent, Title(), text);
        break;
    }
}

void TMessageBox::Show(QWidget* parent, const QString& text, const QString& detail, Kind kind) {
    if (detail.isEmpty()) {
        Show(parent, text, kind);
        return;
    }
    if (State().on) {
        State().messages.append(text);
        State().lastDetail = detail;
        return;
    }
    const QMessageBox::Icon icon = kind == Kind::Error     ? QMessageBox::Critical
                                   : kind == Kind::Warning ? QMessageBox::Warning
                                                           : QMessageBox::Information;
    QMessageBox box(icon, Title(), text, QMessageBox::Ok, parent);
    box.setDetailedText(detail);
    box.exec();
}

bool TMessageBox::Ask(QWidget* parent, const QString& text) {
    if (State().on) {
        State().messages.append(text);
        return State().reply;
    }
    return QMessageBox::question(parent, Title(), text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void TMessageBox::SetRecording(bool recording, bool reply) {
    State().on = recording;
    State().reply = reply;
}

bool TMessageBox::Recording() {
    return State().on;
}

const QStringList& TMessageBox::Recorded() {
    return State().messages;
}

QString TMessageBox::Last() {
    return State().messages.isEmpty() ? QString() : State().messages.last();
}

QString TMessageBox::LastDetail() {
    return State().lastDetail;
}

void TMessageBox::ClearRecorded() {
    State().messages.clear();
    State().lastDetail.clear();
}
