#pragma once
// The CSN calculator ("Calculadora CSN"): one window for the whole program,
// living in the main window's frame. Its conversion panel works with its own
// converter (TCSNConversion); its test panel (TTestBase) and its chart
// forecasts work with the history handed over last.
//
// Ownership: the calculator never owns the history. A game window that
// frees its history first calls ForgetLottery, which stops any forecast
// running on it and drops the reference; from then on the test panel and
// the forecasts stay disabled until a new hand-off.
//
// Threading: the network forecast and the ranking run on worker threads
// (QtConcurrent). The network worker has its own copy of the input series
// and its own output series; every cycle it hands a copy of its points to
// this window by a queued call. Workers never touch widgets or the history's
// caches. Before the history is forgotten, and in the destructor, the
// window stops its workers and waits for them.
#include "TCSNConversion.h"
#include "TTestBase.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class TChartSeries;
class TChartView;
class TForm2;
class TLottery;

class TForm6 : public QWidget {
    Q_OBJECT
public:
    // The open calculator, or null.
    static TForm6* Instance();
    // The open calculator, created in the main window's frame when there is
    // none (a top-level window without a main window), shown and brought to
    // the front.
    static TForm6* Open(TForm2* mainWindow);
    // Makes the main window's calculator commands open this window: the
    // hand-off of the game windows.
    static void Install(TForm2& mainWindow);
    // A window is about to free or replace this history: stop the forecast
    // running on it, drop the reference, disable the test panel.
    static void ForgetLottery(const TLottery* lottery);

    // The hand-off: keeps the history (null keeps the one held), writes n and
    // k into the size fields and runs "Calcular".
    void HandOff(TLottery* lottery, int n, int k);
    // Writes a CSN into "CSN:" and runs "CSN para Combinação".
    void ShowCSN(const QString& csnText);

    TLottery* Lottery() const { return lottery_; }
    const TCSNConversion& Conversion() const { return conversion_; }
    const TTestBase& TestBase() const { return base_; }
    TChartView* Chart() const { return chart_; }
    QMenu* PopupMenu() const { return popup_; }
    bool NetworkRunning() const { return networkWatcher_ != nullptr; }
    bool RankingRunning() const { return rankingWatcher_ != nullptr; }

    ~TForm6() override;

signals:
    // A network forecast or a ranking has ended (also when stopped).
    void NetworkDone();
    void RankingDone();

public slots:
    void Button4Click();  // "Calcular"
    void Button1Click();  // "CSN para Combinação"
    void Button2Click();  // "Combinação para CSN"
    void Button5Click();  // "20%"
    void Button6Click();  // "10%"
    void Button7Click();  // "5%"
    void Button3Click();  // "Ranking"; while a ranking runs, stops it
    void Button10Click(); // "Adicionar"
    void Button11Click(); // "Remover"
    void Button8Click();  // "+"
    void Button9Click();  // "-"
    void Button12Click(); // "Verificar"
    // A click on a test-base row (0-based).
    void sg2Click(int row);
    // The editor of a ball cell (0-based row) has closed.
    void sg1EditorClosed(int row);
    // The pop-up is opening over one of the grids or the chart.
    void PopupMenu1Popup(QWidget* source);
    void Copiar1Click();
    void Copiardados1Click();
    void Colar1Click();
    void Anlisesemaltimacombinao1Click();
    void Anlisecomaltimacombinao1Click();
    void Pararanlisedarede1Click();
    void Normal1Click();
    void Delta1Click();

private:
    struct NetworkJob;
    struct RankingJob;

    explicit TForm6(QWidget* parent = nullptr);
    void BuildControls();
    void BuildPopup();
    void UpdateCommands();
    void StepPercent(int percent);
    void ShowTestBase();
    void ShowPopup(QWidget* source, const QPoint& globalPos);
    void StartNetwork(bool withoutLast);
    void ShowNetworkPoints();
    void FinishNetwork(bool report);
    // Stops the network worker and waits for it; nothing is reported.
    void CancelNetwork();
    void FinishRanking();
    void CancelRanking();
    void RunNeighbours(bool delta);
    QString BallCell(int row) const;
    // Writes the ball cells (rows 0..) and remembers them.
    void SetBallTexts(const std::vector<std::string>& texts);

    TLottery* lottery_ = nullptr;
    TCSNConversion conversion_;
    TTestBase base_;
    // The ball cells as the program last wrote them: the text a cell held
    // before the user edited it.
    QStringList shadow_;
    QWidget* popupSource_ = nullptr;

    QGroupBox* groupBox1_ = nullptr;
    QGroupBox* groupBox2_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    QLineEdit* edit2_ = nullptr;
    QLineEdit* edit3_ = nullptr;
    QLineEdit* edit4_ = nullptr;
    QLineEdit* edit5_ = nullptr;
    QLineEdit* edit6_ = nullptr;
    QPushButton* button3_ = nullptr;
    QPushButton* button8_ = nullptr;
    QPushButton* button9_ = nullptr;
    QPushButton* button10_ = nullptr;
    QPushButton* button11_ = nullptr;
    QPushButton* button12_ = nullptr;
    QRadioButton* opMais_ = nullptr;
    QRadioButton* opBase_ = nullptr;
    QRadioButton* opHist_ = nullptr;
    QTableWidget* sg1_ = nullptr;
    QTableWidget* sg2_ = nullptr;
    QPlainTextEdit* memo1_ = nullptr;
    QProgressBar* progress_ = nullptr;
    TChartView* chart_ = nullptr;
    TChartSeries* series1_ = nullptr;
    TChartSeries* series2_ = nullptr;

    QMenu* popup_ = nullptr;
    QAction* copiar_ = nullptr;
    QAction* copiarDados_ = nullptr;
    QAction* colar_ = nullptr;
    QMenu* redeNeural_ = nullptr;
    QMenu* vizinhos_ = nullptr;
    QAction* parar_ = nullptr;

    std::shared_ptr<NetworkJob> networkJob_;
    QFutureWatcher<double>* networkWatcher_ = nullptr;
    std::shared_ptr<RankingJob> rankingJob_;
    QFutureWatcher<bool>* rankingWatcher_ = nullptr;
};
