#pragma once
// "Análise lexicográfica": the window of the lexicographic analysis. It shows
// the sample table of CSN (or ball) columns, trains the network on one column
// or lets networks vote for balls ("Todas as bolas"), and keeps the training
// start as a bookmark that can be saved, loaded and searched for. The
// computation is TLexicographicAnalysis; this class only wires controls to it.
//
// Threading: "Analisar" and "Gerar" run on the frame's worker. While a run
// goes on the worker owns the engine: every handler that would touch it is
// disabled (or returns at once), and the window learns of progress only
// through queued updates that carry copies of the data.
#include "TAnalysisForm.h"
#include "TLexicographicAnalysis.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class TChartSeries;
class TForm2;

class TForm4 : public TAnalysisForm {
    Q_OBJECT
public:
    explicit TForm4(TForm3& game, QWidget* parent = nullptr);
    ~TForm4() override;

    // Makes the game windows of the main window open this window for
    // "Análise lexicográfica".
    static void Install(TForm2& mainWindow);

    TLexicographicAnalysis& Engine() { return *engine_; }

public slots:
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void ComboBox1Change();
    void opNotacNormClick();
    void CheckBox1Click();
    void CheckBox2Click();
    void opErroMaxClick();
    void opDistNormClick();
    void TrackBar1Change();
    void Salvar1Click();
    void Carregar1Click();
    void Gerar1Click();

protected:
    void LoadSample() override;
    void PreviewAnalysis() override;
    bool StartAnalysis() override;
    void StopRequested() override;
    TChartView* MainChart() const override { return Chart1; }
    void SetBusy(bool busy) override;

private:
    void BuildOwnControls();
    void FillGrid();
    void ShowPreview(const TLexicographicAnalysis::PreviewResult& preview);
    void ShowSlices(const std::vector<TLexicographicAnalysis::Slice>& slices);
    void ShowFit(const TLexicographicAnalysis::TrainingPass& pass);
    // Analyse-all in the notation the table was loaded in.
    void AnalyseAll();
    bool Decimal() const;
    int SkipMode() const;

    std::unique_ptr<TLexicographicAnalysis> engine_;
    bool generating_ = false;
    std::atomic<bool> generationStop_{false};

    QComboBox* ComboBox1 = nullptr;
    QCheckBox* opNotacNorm = nullptr;
    QWidget* Panel5 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QWidget* Panel4 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QCheckBox* opErroMax = nullptr;
    QLabel* Label2 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QLabel* Label5 = nullptr;
    QCheckBox* opDistNorm = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QAction* Salvar1 = nullptr;
    QAction* Carregar1 = nullptr;
    QAction* Gerar1 = nullptr;

    TChartView* Chart1 = nullptr;
    TChartView* Chart2 = nullptr;
    TChartView* Chart4 = nullptr;
    TChartSeries* Series1 = nullptr;
    TChartSeries* Series2 = nullptr;
    TChartSeries* LineSeries1 = nullptr;
    TChartSeries* Series3 = nullptr;
    TChartSeries* PieSeries1 = nullptr;
};
