#include "TInputBox.h"

#include <QInputDialog>

namespace {

struct ScriptState {
    bool active = false;
    QList<std::optional<QString>> answers;
    QList<TInputBox::Question> asked;
};

// UI thread only, like every dialog.
ScriptState& State() {
    static ScriptState script;
    return script;
}

} // namespace

std::optional<QString> TInputBox::Ask(QWidget* parent, const QString& caption, const QString& prompt,
                                      const QString& value) {
    ScriptState& script = State();
    if (script.active) {
        script.asked.append({caption, prompt, value});
        if (script.answers.isEmpty()) return std::nullopt;
        return script.answers.takeFirst();
    }
    bool ok = false;
    const QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, value, &ok);
    if (!ok) return std::nullopt;
    return text;
}

void TInputBox::Script(const QList<std::optional<QString>>& answers) {
    ScriptState& script = State();
    script.active = true;
    script.answers = answers;
    script.asked.clear();
}

void TInputBox::StopScripting() {
    State() = {};
}

bool TInputBox::Scripted() {
    return State().active;
}

const QList<TInputBox::Question>& TInputBox::Asked() {
    return State().asked;
}
