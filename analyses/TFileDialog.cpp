#include "TFileDialog.h"

#include <QFileDialog>

namespace {

struct ScriptState {
    bool active = false;
    QStringList names;
};

ScriptState& State() {
    static ScriptState script;
    return script;
}

QString Run(QWidget* parent, QFileDialog::AcceptMode mode, const QString& filter, const QString& suffix) {
    ScriptState& script = State();
    if (script.active) return script.names.isEmpty() ? QString() : script.names.takeFirst();
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    // Overwriting is confirmed by the dialog itself (the default).
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString TFileDialog::OpenFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix) {
    return Run(parent, QFileDialog::AcceptOpen, filter, defaultSuffix);
}

QString TFileDialog::SaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix) {
    return Run(parent, QFileDialog::AcceptSave, filter, defaultSuffix);
}

void TFileDialog::Script(const QStringList& names) {
    State().active = true;
    State().names = names;
}

void TFileDialog::StopScripting() {
    State() = {};
}

bool TFileDialog::Scripted() {
    return State().active;
}
