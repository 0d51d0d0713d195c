#pragma once
// "Análise": the base of the positional/bayesian window. It holds the
// controls every such window shares (sample size, draws to ignore,
// "Preview", "Analisa", the grid, the chart, the memo) and the command
// sequence, and leaves the computation to the window built on it.
//
// The steps are the handlers of the buttons btLoad, btCalculate,
// btGridRefresh, btChartRefresh, btPreview and btAnalyse. They are virtual:
// a derived window overrides a step and begins its override with the base
// step. btPreview works out the stretch (last, first, next) and runs
// calculate, grid refresh and chart refresh in this order.
//
// Never opened by itself; a derived window is opened by the game window,
// which then runs btLoadClick.
//
// Threading: UI thread only; every step is short and runs to completion.
#include "TAnalysisForm.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class TForm1 : public TAnalysisForm {
    Q_OBJECT
public:
    TForm1(TForm3& game, TLottery::WindowKind kind, const QString& caption = QStringLiteral("Análise"),
           QWidget* parent = nullptr);
    ~TForm1() override;

    // The stretch of the last preview: newest draw analysed, the draw where
    // the walks stop, and the draw the lists are scored against.
    int32_t Last() const { return last_; }
    int32_t First() const { return first_; }
    int32_t Next() const { return next_; }
    int SampleIgnore() const;
    const QString& FileName() const { return fileName_; }

public slots:
    virtual void btLoadClick();
    virtual void btCalculateClick() {}
    virtual void btGridRefreshClick() {}
    virtual void btChartRefreshClick() {}
    virtual void btPreviewClick();
    virtual void btAnalyseClick();
    void udSampleSizeClick();
    void edSampleSizeDblClick();

protected:
    // The frame's up-down reload: this window loads only at opening, and a
    // sample change only previews.
    void LoadSample() override {}
    void PreviewAnalysis() override { btPreviewClick(); }
    bool StartAnalysis() override { return false; }
    TChartView* MainChart() const override { return Chart1; }
    bool eventFilter(QObject* watched, QEvent* event) override;

    // A read-only edit and the up-down that sets it, as the sample size has.
    static QSpinBox* UpDown(QWidget* parent, const QString& name, const QString& hint);

    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* edSampleSize = nullptr; // the frame's sample edit
    QSpinBox* udSampleSize = nullptr;  // the frame's sample up-down
    QLineEdit* edSampleIgnore = nullptr;
    QSpinBox* udSampleIgnore = nullptr;
    QPushButton* btPreview = nullptr;
    QPushButton* btAnalyse = nullptr;
    QPushButton* btLoad = nullptr;
    QPushButton* btCalculate = nullptr;
    QPushButton* btGridRefresh = nullptr;
    QPushButton* btChartRefresh = nullptr;
    QPlainTextEdit* memoPreview = nullptr;
    TChartView* Chart1 = nullptr;

private:
    void BuildControls();

    QString fileName_;
    int32_t last_ = -1;
    int32_t first_ = -1;
    int32_t next_ = 0;
};
