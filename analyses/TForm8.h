#pragma once
// "Análise bayesiana": the joint or conditional probabilities of every pair
// of numbers over the last draws in sg1 and as bars in Chart2, the
// market-basket decision tree in tv1, and the best combination of every hit
// count ("Melhor comb."). The computation is TBayesAnalysis (and
// TCombinationSearch for the scan); this class wires controls to it.
//
// Chart2 shows the grid's body as displayed: where a display with OpenGL
// exists, as 3-D bars (A along x, B in depth, TBarChart3D); elsewhere (the
// offscreen platform, no OpenGL) as a 2-D bar chart with, for each A along
// x, one bar per B side by side (series "Dez.B").
//
// Threading: the table load, the chart and the tree run on the window's
// thread to completion; "Melhor comb." runs on the frame's worker with its
// own shared copy of the draws and reports through queued updates.
#include "TAnalysisForm.h"
#include "TBayesAnalysis.h"
#include "TChanceAudit.h"

#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;
class TBarChart3D;
class TChancePanel;
class THeatMap;
class TForm2;

class TForm8 : public TAnalysisForm {
    Q_OBJECT
public:
    explicit TForm8(TForm3& game, QWidget* parent = nullptr);
    ~TForm8() override;

    // Makes the game windows of the main window open this window for
    // "Análise bayesiana".
    static void Install(TForm2& mainWindow);

    const TBayesAnalysis& Engine() const { return *engine_; }
    // Whether Chart2 is the 3-D chart (else the 2-D one).
    bool ThreeDimensional() const { return Chart3D != nullptr; }
    // The records of the last finished or stopped "Melhor comb.".
    const std::optional<TSearchResult>& BestResult() const { return best_; }

public slots:
    void opAeBClick();
    void opAdadoBClick();
    void Button4Click(); // "Carga": the tables
    void Button5Click(); // "Melhor comb."
    // "Copiar": the tree's outline over tv1, otherwise as the frame copies.
    void Copiar1Click();

protected:
    void LoadSample() override;
    void PreviewAnalysis() override;
    bool StartAnalysis() override;
    TChartView* MainChart() const override { return nullptr; }
    void SetBusy(bool busy) override;

private:
    void BuildOwnControls();
    void RebuildSeries();
    void ShowTree(const TBayesAnalysis::TNode& root);

    std::unique_ptr<TBayesAnalysis> engine_;
    std::optional<TBayesAnalysis::TNode> tree_;
    std::optional<TSearchResult> best_;

    QLabel* Label1 = nullptr;
    QRadioButton* opAeB = nullptr;
    QRadioButton* opAdadoB = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QAction* MelhorComb1 = nullptr;
    TChartView* Chart2 = nullptr;   // the 2-D chart, or
    TBarChart3D* Chart3D = nullptr; // the 3-D one
    THeatMap* HeatMap1 = nullptr;   // the same values as coloured cells, on a tab beside
    bool pending3D_ = false;        // the pop-up menu is opening over Chart3D
    bool popupOver3D_ = false;      // it was last opened over Chart3D
    QTreeWidget* tv1 = nullptr;
    // The pairs of the sample against chance, and the records of "Melhor
    // comb." against those of synthetic histories.
    TChancePanel* Chance = nullptr;
    std::optional<TChanceTest> pairs_;
};
