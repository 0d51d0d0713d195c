#pragma once
// "Conferir apostas": the user's bets, typed or read from a file, checked
// against a range of contests. The table lists each bet's count per prize
// tier with its best result; the totals grid sets the observed count of each
// tier beside the count expected by chance; the chart shows the hits of the
// selected bet in every contest. The computation is TBetChecker; this class
// only wires controls to it.
//
// Threading: "Conferir" reads and checks the bets on the frame's worker,
// which only reads the checker (a copy of the draws made at opening) and
// returns its outcome in a shared object; "Parar" and closing stop it within
// a few milliseconds. Progress arrives through coalesced queued updates.
#include "TAnalysisForm.h"
#include "TBetChecker.h"

#include <memory>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QSpinBox;
class QTableView;
class TBetCheckTableModel;
class TChartSeries;
class TForm2;

class TBetCheckForm : public TAnalysisForm {
    Q_OBJECT
public:
    explicit TBetCheckForm(TForm3& game, QWidget* parent = nullptr);
    ~TBetCheckForm() override;

    // Makes the game windows of the main window open this window for
    // "Conferir apostas".
    static void Install(TForm2& mainWindow);

    // What the last check gave (null before the first).
    struct Outcome {
        TBetList Bets;
        TBetChecker::Result Result;
        TBetChecker::Range Range;
        std::string Error;
    };
    const Outcome* LastOutcome() const { return outcome_.get(); }
    const std::vector<int32_t>& Tiers() const { return tiers_; }

    QString GridText() const override;

public slots:
    void btArquivoClick();
    void BetSelected();

protected:
    void LoadSample() override;
    void PreviewAnalysis() override;
    bool StartAnalysis() override;
    TChartView* MainChart() const override { return Chart1; }
    void SetBusy(bool busy) override;

private:
    void BuildOwnControls();
    void ShowOutcome(std::shared_ptr<Outcome> outcome);
    void ShowTotals();

    std::unique_ptr<TBetChecker> engine_;
    std::vector<int32_t> tiers_;
    QString tierError_;
    std::shared_ptr<Outcome> outcome_;

    QPlainTextEdit* MemoBets = nullptr;
    QLineEdit* edArquivo = nullptr;
    QPushButton* btArquivo = nullptr;
    QSpinBox* edFrom = nullptr;
    QSpinBox* edTo = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QTableView* grid_ = nullptr;
    TBetCheckTableModel* model_ = nullptr;
    QTableWidget* sg2 = nullptr;
    TChartView* Chart1 = nullptr;
    TChartSeries* Series1 = nullptr; // "Acertos"
};
