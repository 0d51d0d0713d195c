#pragma once
// "Análise posicional": the window of the positional analysis. It compares
// how often each ball stood at each sorted position in the sample with the
// combinatorial expectation, and for one position the presence and absence
// runs of a ball with the geometric law. The computation is
// TPositionalAnalysis; this class only wires controls to it.
//
// Threading: UI thread only; every command runs to completion.
#include "TAnalysisForm.h"
#include "TPositionalAnalysis.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class TChancePanel;
class TChartSeries;
class TForm2;

class TForm9 : public TAnalysisForm {
    Q_OBJECT
public:
    explicit TForm9(TForm3& game, QWidget* parent = nullptr);
    ~TForm9() override;

    // Makes the game windows of the main window open this window for
    // "Análise posicional".
    static void Install(TForm2& mainWindow);

    TPositionalAnalysis& Engine() { return *engine_; }

public slots:
    void Button5Click();
    void ComboBox1Change();
    void opPosicaoClick();
    void opAdiantClick();
    void opRealClick();
    void opTeorClick();
    void Chart1ClickSeries(int seriesIndex, double x, double y);

protected:
    void LoadSample() override;
    void PreviewAnalysis() override;
    bool StartAnalysis() override { return false; }
    TChartView* MainChart() const override { return Chart1; }

private:
    void BuildOwnControls();
    TPositionalAnalysis::Options CurrentOptions() const;
    void ShowGroup(int position);

    std::unique_ptr<TPositionalAnalysis> engine_;

    QPushButton* Button5 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QRadioButton* opPosicao = nullptr;
    QRadioButton* opAdiant = nullptr;
    QRadioButton* opAtraso = nullptr;
    QRadioButton* opReal = nullptr;
    QRadioButton* opTeor = nullptr;
    QRadioButton* opDifer = nullptr;
    QComboBox* opFrac = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QCheckBox* opGrupo = nullptr;

    TChartView* Chart1 = nullptr;
    TChartView* Chart2 = nullptr;
    TChartSeries* Series1 = nullptr; // "Dezenas"
    TChartSeries* Series2 = nullptr; // "Teórica"
    // The positional counts of the sample against chance, per position.
    TChancePanel* Chance = nullptr;
};
