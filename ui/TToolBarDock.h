#pragma once
// Where a child window's tool bar lives: in the main window's tool panel
// while the child is maximised and active, at the top of the child otherwise
// (a maximised child has no room of its own above its contents, and an
// inactive child must not leave its buttons in the shared panel).
//
// The tool bar belongs to the child window; while it stands in the panel its
// Qt parent is the panel, so the child calls ReturnHome() before it dies.
#include <QMetaObject>
#include <QPointer>

class QBoxLayout;
class QMdiSubWindow;
class QToolBar;
class QWidget;

class TToolBarDock {
public:
    // home: the child's layout, where the tool bar stands at index 0.
    TToolBarDock(QToolBar* toolBar, QBoxLayout* home);
    ~TToolBarDock();
    TToolBarDock(const TToolBarDock&) = delete;
    TToolBarDock& operator=(const TToolBarDock&) = delete;

    // The main window's tool panel (may be null: the tool bar stays home).
    void SetPanel(QWidget* panel);
    QWidget* Panel() const { return panel_; }
    // Follows the state changes of the child's frame.
    void Attach(QMdiSubWindow* frame);
    void Place(bool maximised, bool active);
    void ReturnHome();
    bool InPanel() const;

private:
    QPointer<QToolBar> toolBar_;
    QBoxLayout* home_;
    QPointer<QWidget> panel_;
    QMetaObject::Connection follow_;
};
