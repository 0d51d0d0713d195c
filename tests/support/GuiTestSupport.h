#pragma once
// Set-up shared by the window tests: a shown main window wired as the program
// wires it, with message boxes recorded, input boxes and file dialogs
// scripted, game files written into a private folder; waits on conditions
// through the event loop; controls found by their object names.
#include "NumberText.h"
#include "TFileDialog.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TForm4.h"
#include "TForm9.h"
#include "TForm11.h"
#include "TForm7.h"
#include "TForm10.h"
#include "TForm5.h"
#include "TForm8.h"
#include "TForm6.h"
#include "TInputBox.h"
#include "TMessageBox.h"
#include "TUpdateRunner.h"
#include "TempFiles.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

// Texts in failure messages as text, not as arrays of UTF-16 units.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << text.toStdString();
}
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text << '"';
}

namespace gui {

inline const QString DataDir = QStringLiteral(TOVISCA_DATA_DIR);

// Runs the deferred deletions of closed windows and what they post.
inline void ProcessDeletes() {
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

// Runs the event loop until the condition holds. A short timer wakes the loop
// for conditions no event announces (another thread's counter); a condition
// that never comes true is left to the test runner's time-out.
inline void WaitFor(const std::function<bool()>& condition) {
    QTimer tick;
    tick.start(2);
    while (!condition()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
}

// A window closed mid-run goes when its worker has let go: waits for it,
// ten seconds at most (the caller's checks then tell).
template <typename T> void WaitGone(const QPointer<T>& window) {
    QElapsedTimer clock;
    clock.start();
    WaitFor([&window, &clock] {
        ProcessDeletes();
        return window.isNull() || clock.elapsed() > 10000;
    });
}

template <typename T = QWidget> T* Find(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}
inline QAction* Action(const QObject* parent, const char* name) {
    return Find<QAction>(parent, name);
}
inline QString Text(const QObject* parent, const char* name) {
    return Find<QLineEdit>(parent, name)->text();
}
inline bool Shown(const QObject* parent, const char* name) {
    return !Find(parent, name)->isHidden();
}
inline bool Enabled(const QObject* parent, const char* name) {
    return Find(parent, name)->isEnabled();
}
inline bool Checked(const QObject* parent, const char* name) {
    return Find<QAbstractButton>(parent, name)->isChecked();
}
inline void Click(const QObject* parent, const char* name) {
    Find<QAbstractButton>(parent, name)->click();
}
inline QString Memo(const QObject* parent) {
    return Find<QPlainTextEdit>(parent, "Memo1")->toPlainText();
}
// The texts of several line edits, to compare at once.
inline QStringList Texts(const QObject* parent, std::initializer_list<const char*> names) {
    QStringList texts;
    for (const char* name : names) texts.append(Text(parent, name));
    return texts;
}

// The captions of menu items, separators left out.
inline QStringList Captions(const QList<QAction*>& actions) {
    QStringList texts;
    for (const QAction* action : actions)
        if (!action->isSeparator()) texts.append(action->text());
    return texts;
}

// A command's object name, caption and shortcut.
struct Command {
    const char* name;
    const char* caption;
    QKeySequence key;
};
inline void ExpectCommands(const QObject* parent, std::initializer_list<Command> commands) {
    for (const Command& command : commands) {
        const QAction* action = Action(parent, command.name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromUtf8(command.caption));
        EXPECT_EQ(action->shortcut(), command.key) << command.name;
    }
}

// The texts of one column of a string grid ("" for a cell without an item).
inline QStringList Column(const QTableWidget* grid, int column) {
    QStringList texts;
    for (int r = 0; r < grid->rowCount(); ++r)
        texts.append(grid->item(r, column) ? grid->item(r, column)->text() : QString());
    return texts;
}

// A right-click in the middle of a control (on its viewport for grids and charts).
inline void RightClick(QWidget* control) {
    auto* area = qobject_cast<QAbstractScrollArea*>(control);
    QWidget* target = area ? area->viewport() : control;
    const QPoint at(target->width() / 2, target->height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        NumberText::SetDecimalSeparator(',');
        NumberText::SetThousandSeparator('.');
        Answer(true);
        TInputBox::Script({});
        TFileDialog::Script({});
        main.SetPrioritySetter([](int) { return true; });
        TForm4::Install(main);
        TForm9::Install(main);
        TForm11::Install(main);
        TForm7::Install(main);
        TForm10::Install(main);
        TForm5::Install(main);
        TForm8::Install(main);
        TForm6::Install(main);
        TUpdateRunner::Install(main);
        main.resize(1400, 1000);
        main.show();
        QApplication::processEvents();
    }
    void TearDown() override {
        TInputBox::StopScripting();
        TFileDialog::StopScripting();
    }

    // Records message boxes from now on; questions get the given answer.
    static void Answer(bool yes) {
        TMessageBox::SetRecording(true, yes);
        TMessageBox::ClearRecorded();
    }
    QString Write(const std::string& name, std::string_view bytes) const {
        return QString::fromStdString(folder.Write(name, bytes));
    }
    QString PathOf(const std::string& name) const {
        return QString::fromStdString((folder.Path() / name).string());
    }
    TForm3* Open(const QString& path = DataDir + "/megasena.csv") { return main.OpenFile(path); }
    void Activate(QWidget* window) {
        main.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(window->parentWidget()));
    }
    // A window closed mid-run hides at once and goes when its worker has
    // let go: wait for that (a few seconds at most, then the test's own
    // checks tell).
    void CloseFrame(QWidget* window) {
        const QPointer<QWidget> frame(window->parentWidget());
        frame->close();
        ProcessDeletes();
        QElapsedTimer clock;
        clock.start();
        WaitFor([&frame, &clock] {
            ProcessDeletes();
            return frame.isNull() || frame->isVisible() || clock.elapsed() > 10000;
        });
    }

    TempFolder folder;
    TForm2 main;
};

} // namespace gui
