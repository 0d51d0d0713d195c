#pragma once
// "Análise segmentação": many networks trained from fresh random weights vote
// for the next draw's CSN (or smallest ball); the chart shows every vote with
// its agreement score next to the newest draw and the memo lists the most
// agreed forecasts. The computation is TSegmentationAnalysis; this class only
// wires controls to it.
//
// Threading: "Analisar" runs the gathering on the frame's worker, which owns
// the engine until it returns; the window learns of progress only through
// queued updates that carry copies of the data.
#include "TAnalysisForm.h"
#include "TSegmentationAnalysis.h"

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class TChartSeries;
class TForm2;

class TForm7 : public TAnalysisForm {
    Q_OBJECT
public:
    explicit TForm7(TForm3& game, QWidget* parent = nullptr);
    ~TForm7() override;

    // Makes the game windows of the main window open this window for
    // "Análise segmentação".
    static void Install(TForm2& mainWindow);

    TSegmentationAnalysis& Engine() { return *engine_; }

public slots:
    void Button4Click();
    void opNotacNormClick();
    void TrackBar1Change();

protected:
    void LoadSample() override;
    void PreviewAnalysis() override;
    bool StartAnalysis() override;
    void StopRequested() override;
    TChartView* MainChart() const override { return Chart1; }
    void SetBusy(bool busy) override;

private:
    void BuildOwnControls();
    void ShowResult(const TSegmentationAnalysis::Result& result);

    std::unique_ptr<TSegmentationAnalysis> engine_;

    QLineEdit* Edit4 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QCheckBox* opSemUltimo = nullptr;
    QCheckBox* opNotacNorm = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    TChartView* Chart1 = nullptr;
    TChartSeries* Series1 = nullptr; // "Rede neural"
    TChartSeries* Series2 = nullptr; // "Último concurso"
};
