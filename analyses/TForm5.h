#pragma once
// "Análise atrasadas": the window of the delay analysis. It shows the delay
// table of the whole history (absolute, relative or random-walk view) in a
// grid over a model, analyses one ball over the last rows of the table
// (extremes, theoretical maximum delay, trend, most and least correlated
// balls) and trains the 4-8-1 network that forecasts the ball's next table
// value. The computation is TDelayAnalysis; this class only wires controls
// to it. The lower half ("Gráfico") shows one of ten chart views of the
// sample, chosen in ComboBox2; every Preview refreshes all of them, visible
// or not, from the plain functions of TDelayCharts.
//
// Threading: "Analisar" runs on the frame's worker. While it runs the worker
// owns the engine's network: every handler that would touch it is disabled
// (or returns at once), and progress arrives through queued updates that
// carry copies of the data. The grid keeps reading the table meanwhile (the
// table reads are const).
#include "TAnalysisForm.h"
#include "TDelayAnalysis.h"
#include "TDelayCharts.h"

#include <memory>
#include <vector>

class QCheckBox;
class QBoxLayout;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QResizeEvent;
class QScrollBar;
class QSpinBox;
class QTableView;
class TChancePanel;
class TChartSeries;
class TDelayTableModel;
class TForm2;
class TQSpiderGraph;
class TWL;

class TForm5 : public TAnalysisForm {
    Q_OBJECT
public:
    explicit TForm5(TForm3& game, QWidget* parent = nullptr);
    ~TForm5() override;

    // Makes the game windows of the main window open this window for
    // "Análise atrasadas".
    static void Install(TForm2& mainWindow);

    TDelayAnalysis& Engine() { return *engine_; }
    // The whole delay table as text (what "Copiar" puts on the clipboard).
    QString GridText() const override;

public slots:
    void Button4Click();
    void opAbsolutoClick();
    void opRelativoClick();
    void upUltClick();
    void ComboBox1Change();
    void opLinClick();
    void opExpClick();
    void opLogClick();
    void opPotClick();
    void sb3Change();
    void Suave1Click();
    void Ajustado1Click();
    void ComboBox2Change();
    void Button5Click();
    void sb1Change();
    void sb2Change();
    void opHistXClick();
    void opHistYClick();
    void Button6Click();
    void Button7Click();

protected:
    // The delay window does not rebuild its table for a new sample: the
    // sample only forgets the training.
    void LoadSample() override;
    void PreviewAnalysis() override;
    bool StartAnalysis() override;
    void StopRequested() override;
    TChartView* MainChart() const override { return Chart1; }
    void SetBusy(bool busy) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildOwnControls();
    void BuildCharts();
    void BuildChartViews(QWidget* box, QBoxLayout* layout);
    // The series of one chart per ball, made by the load.
    void BuildBallSeries();
    // Computes every chart view's numbers for the preview; the view on show
    // is drawn at once, the others when they are chosen.
    void ShowChartViews(const TDelayAnalysis::PreviewResult& preview);
    void DrawView(int item);
    void BuildPopup();
    void ReadSettings();
    TDelayAnalysis::View ChosenView() const;
    // A change of ball or regression kind: the training is forgotten.
    void SettingChanged();
    void ShowPreview(const TDelayAnalysis::PreviewResult& preview);
    void ShowFit(const TDelayAnalysis::TrainingPass& pass);
    void MovingAverage(int period);
    void ForecastMenuPopup();

    std::unique_ptr<TDelayAnalysis> engine_;
    TDelayTableModel* model_ = nullptr;

    QTableView* grid_ = nullptr; // sg1
    QLabel* Label1 = nullptr;
    QRadioButton* opAbsoluto = nullptr;
    QRadioButton* opRelativo = nullptr;
    QRadioButton* opPasseio = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Button4 = nullptr;

    QGroupBox* GroupBox2 = nullptr; // "&Gráfico"
    QGroupBox* GroupBox3 = nullptr; // "Regressão"
    QRadioButton* opLin = nullptr;
    QRadioButton* opExp = nullptr;
    QRadioButton* opLog = nullptr;
    QRadioButton* opPot = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QSpinBox* upUlt = nullptr;
    QLabel* Label6 = nullptr;
    QScrollBar* sb3 = nullptr;

    QMenu* Previso1 = nullptr;
    QMenu* Mdiamvel1 = nullptr;
    QAction* Suave1 = nullptr;
    QAction* Ajustado1 = nullptr;

    TChartView* Chart1 = nullptr;
    TChartSeries* Series1 = nullptr; // "Real"
    TChartSeries* Series2 = nullptr; // "Previsão"
    TChartSeries* Series3 = nullptr; // "Regressão linear"
    // The 95 % points of chance delays and advances (absolute view only).
    TChartSeries* Series4 = nullptr; // "Acaso 95 % atraso"
    TChartSeries* Series5 = nullptr; // "Acaso 95 % adiant."
    // Each ball's current delay against its geometric law.
    TChancePanel* Chance = nullptr;

    // The chart views (ComboBox2 shows one of them).
    QComboBox* ComboBox2 = nullptr;
    TChartView* Chart2 = nullptr;    // "Atraso geral": a bar series per ball
    TChartView* Chart3 = nullptr;    // "Share de maior atraso"
    TChartView* Chart4 = nullptr;    // "Share de menor atraso"
    TChartView* Chart5 = nullptr;    // "Share de frequencia"
    TQSpiderGraph* Chart6 = nullptr; // "Teia de correlação"
    QPushButton* Button6 = nullptr;  // "Copiar correlações"
    QPushButton* Button7 = nullptr;  // "Copiar gráfico"
    TChartView* Chart7 = nullptr;    // wavelet levels
    QLabel* Chart7Foot = nullptr;    // "Nível " + level
    QScrollBar* sb1 = nullptr;       // wavelet level
    QPushButton* Button5 = nullptr;  // hidden wavelet refresh
    TChartView* Chart8 = nullptr;    // "Mapa de retorno"
    QScrollBar* sb2 = nullptr;       // lag
    QCheckBox* opHistX = nullptr;
    QCheckBox* opHistY = nullptr;
    TChartSeries* HistogramY = nullptr;
    TChartSeries* HistogramX = nullptr;
    TChartSeries* Distribution = nullptr;
    TChartView* Chart9 = nullptr;  // "Periodograma"
    TChartView* Chart10 = nullptr; // "Distribuição temporal": a point series per ball
    // The controls each ComboBox2 item shows, by item.
    std::vector<std::vector<QWidget*>> views_;
    // The Haar packets of the selected ball's sample, refilled by every Preview.
    std::unique_ptr<TWL> Wavelet;
    // The views' numbers of the last Preview, and which views show them:
    // drawing the pies and the per-ball charts costs far more than the
    // numbers, so a hidden view is drawn when it is chosen.
    struct ChartData {
        std::vector<TDelayCharts::Series> General;
        TDelayCharts::Shares Shares;
        TDelayCharts::Web Web;
        TDelayCharts::ReturnMap Map;
        int Lag = 1;
        TDelayCharts::Series Spectrum;
        std::vector<TDelayCharts::Series> Times;
    };
    ChartData data_;
    std::vector<bool> drawn_;
};
