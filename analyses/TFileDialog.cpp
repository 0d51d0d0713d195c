#include "TFileDialog.h"

#include <QFileDialog>
#include <QRegularExpression>

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
    // Several filters come separated by ";;"; the chosen one gives the
    // extension added to a name typed without one.
    dialog.setNameFilters(filter.split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(suffix);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& chosen) {
        static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
        const QRegularExpressionMatch match = pattern.match(chosen);
        if (match.hasMatch()) dialog.setDefaultSuffix(match.captured(1));
    });
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
