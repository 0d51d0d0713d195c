#include "TToolBarDock.h"

#include <QBoxLayout>
#include <QMdiSubWindow>
#include <QToolBar>

TToolBarDock::TToolBarDock(QToolBar* toolBar, QBoxLayout* home) : toolBar_(toolBar), home_(home) {}

TToolBarDock::~TToolBarDock() {
    QObject::disconnect(follow_);
}

void TToolBarDock::SetPanel(QWidget* panel) {
    if (InPanel()) ReturnHome();
    panel_ = panel;
}

void TToolBarDock::Attach(QMdiSubWindow* frame) {
    if (!frame || !toolBar_) return;
    QObject::disconnect(follow_);
    follow_ = QObject::connect(frame, &QMdiSubWindow::windowStateChanged, toolBar_,
                               [this](Qt::WindowStates, Qt::WindowStates now) {
                                   Place(now.testFlag(Qt::WindowMaximized), now.testFlag(Qt::WindowActive));
                               });
}

void TToolBarDock::Place(bool maximised, bool active) {
    if (!toolBar_) return;
    if (maximised && active && panel_) {
        if (InPanel()) return;
        if (!panel_->layout()) new QHBoxLayout(panel_);
        panel_->layout()->addWidget(toolBar_);
        toolBar_->show();
    } else {
        ReturnHome();
    }
}

void TToolBarDock::ReturnHome() {
    if (!toolBar_ || !home_) return;
    if (home_->indexOf(toolBar_) >= 0) return;
    home_->insertWidget(0, toolBar_);
    toolBar_->show();
}

bool TToolBarDock::InPanel() const {
    return toolBar_ && panel_ && toolBar_->parentWidget() == panel_;
}
