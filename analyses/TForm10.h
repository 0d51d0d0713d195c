#pragma once
// "Análise recorrencial": for every hit count, the combination that would
// have hit the sample's draws that many times most often (or whose current
// streak is the longest), the double check, the streak table, the
// recurrence filter's "EXTREMIDADES DO FUNIL", and plots per contest and per
// CSN. The scans are TCombinationSearch's, the texts TRecurrenceAnalysis';
// this class wires controls to them.
//
// Threading: every search runs on the frame's worker with its own shared
// copy of the draws; the window learns of progress only through queued
// updates and keeps the results when the worker has returned.
#include "TAnalysisForm.h"
#include "TRecurrenceAnalysis.h"

#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QScrollBar;
class QTableWidget;
class TChancePanel;
class TChartSeries;
class TForm2;

class TForm10 : public TAnalysisForm {
    Q_OBJECT
public:
    explicit TForm10(TForm3& game, QWidget* parent = nullptr);
    ~TForm10() override;

    // Makes the game windows of the main window open this window for
    // "Análise recorrencial".
    static void Install(TForm2& mainWindow);

    const TRecurrenceAnalysis& Engine() const { return *engine_; }
    // The seed of the reduced universe of the next searches (a fresh random
    // one per analysis unless set).
    void SetSeed(uint64_t seed);

public slots:
    void opDuplaClick();
    void opRecoFinalClick();
    void opFiltroRecClick();
    void ComboBox2Change();
    void Button4Click(); // the plot
    void Button5Click(); // the load
    void ExibirCSNs1Click();
    // "Comparar com o acaso": the same search on synthetic uniform histories
    // of the sample's size, and where each record of the results falls.
    void btAcasoClick();

protected:
    void LoadSample() override;
    void PreviewAnalysis() override;
    bool StartAnalysis() override;
    TChartView* MainChart() const override { return Chart1; }
    TChartSeries* NeighbourPointsSeries() const override { return Series3; }
    void SetBusy(bool busy) override;

private:
    void BuildOwnControls();
    TRecurrenceAnalysis::Choices Choices() const;
    uint64_t NextSeed();
    bool StartRecurrence();
    bool StartFilter();
    // Runs a search on the worker; `done` gets its result on this thread.
    void RunSearch(const TSearchOptions& options, std::function<void(const TSearchResult&)> done);
    void ShowProgress(const TSearchProgress& progress);
    void PopupOpening();
    void UpdateOptionRules();

    std::unique_ptr<TRecurrenceAnalysis> engine_;
    bool fixedSeed_ = false;
    uint64_t seed_ = 0;     // the seed of the next search
    uint64_t lastSeed_ = 0; // the seed of the analysis that filled the tables
    int phase_ = -1;        // the search phase the memo shows
    // The results are a normal recurrence, whose records can meet chance.
    bool records_ = false;
    QPushButton* btAcaso = nullptr;
    TChancePanel* Chance = nullptr;

    QCheckBox* opDupla = nullptr;
    QCheckBox* opRecoFinal = nullptr;
    QCheckBox* opUnivRed = nullptr;
    QCheckBox* opSemUlt = nullptr;
    QCheckBox* opFiltroRec = nullptr;
    QLabel* Label5 = nullptr;
    QProgressBar* pb1 = nullptr;
    QTableWidget* sg2 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QScrollBar* sb2 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button8 = nullptr;
    QAction* ExibirCSNs1 = nullptr;
    TChartView* Chart1 = nullptr;
    TChartView* Chart2 = nullptr;
    TChartView* Chart3 = nullptr;
    TChartSeries* Series1 = nullptr;    // Chart1 "Combinação"
    TChartSeries* Series2 = nullptr;    // Chart1 "Previsão"
    TChartSeries* Series3 = nullptr;    // Chart1 "Faixa previsão"
    TChartSeries* BarSeries1 = nullptr; // Chart2 "Combinação1"
    TChartSeries* BarSeries2 = nullptr; // Chart2 "Combinação2"
    TChartSeries* BarSeries3 = nullptr; // Chart3
};
