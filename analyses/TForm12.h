#pragma once
// "Teste retroativo": every forecaster of the analysis windows replayed over
// the last contests of the game, each forecast made from the draws before
// its contest only and scored against chance. The sample-size control of the
// frame is the number of contests; "Analisar" runs the back-test, "Parar"
// ends it and keeps the contests already scored. The computation is
// TBacktest; this class only wires controls to it.
//
// Threading: the run goes to the frame's worker and reads the history only;
// the window learns of its progress through queued updates and shows the
// result when it returns. Closing stops the run (within a training epoch)
// before the window goes.
#include "TAnalysisForm.h"
#include "TBacktest.h"

#include <optional>

class QLineEdit;
class QProgressBar;
class QSpinBox;
class QTableWidget;
class TForm2;

class TForm12 : public TAnalysisForm {
    Q_OBJECT
public:
    explicit TForm12(TForm3& game, QWidget* parent = nullptr);
    ~TForm12() override;

    // Makes the game windows of the main window open this window for
    // "Teste retroativo".
    static void Install(TForm2& mainWindow);

    const std::optional<TBacktest::Result>& LastResult() const { return result_; }

public slots:
    // Double click on a row of sg1: its contests in sg2.
    void sg1DblClick(int row);

protected:
    void LoadSample() override;
    void PreviewAnalysis() override;
    bool StartAnalysis() override;
    TChartView* MainChart() const override { return Chart1; }
    void SetBusy(bool busy) override;

private:
    void BuildOwnControls();
    void ShowResult();
    void ShowChart(int row);

    std::optional<TBacktest::Result> result_;

    QLineEdit* edSeed = nullptr;
    QSpinBox* udCap = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QTableWidget* sg2 = nullptr;
    TChartView* Chart1 = nullptr;
};
