#pragma once
// The group box "Acaso" of an analysis window: the verdict of the window's
// chance test on one line (lbAcaso) and the whole test as a grid (sgAcaso):
// its summary, notes and rows as TChanceTest::Cells gives them. The window
// attaches the grid to its pop-up menu, so "Copiar" over it copies the test,
// verdict included.
//
// Ownership: a child of its window, through Qt parents.
#include "TChanceAudit.h"

#include <QGroupBox>
#include <vector>

class QLabel;
class QTableWidget;

class TChancePanel : public QGroupBox {
    Q_OBJECT
public:
    explicit TChancePanel(QWidget* parent = nullptr);

    // One test, or several one after another (a blank row between them).
    void SetTest(const TChanceTest& test);
    void SetTests(const std::vector<TChanceTest>& tests);
    // A line without a test ("Calculando...", a reason why there is none).
    void SetMessage(const QString& text);

    QLabel* Verdict() const { return verdict_; }
    QTableWidget* Grid() const { return grid_; }

private:
    QLabel* verdict_ = nullptr;
    QTableWidget* grid_ = nullptr;
};
