#pragma once
// The frame shared by the analysis windows: the sample-size edit and its
// up-down, "Preview", "Analisar"/"Parar" with the network error and epoch
// fields, the forecast memo, the string grid, the pop-up menu ("Copiar",
// "Calculadora CSN", "k-vizinhos-próximos"), the tool bar with "Calculadora
// CSN" that moves into the main window while the window is maximised, and the
// window's life within its game (WindowOpen flag, closing).
//
// A window kind derives from it, adds its own controls to OptionsLayout()
// and its charts to ChartLayout(), and supplies its load, preview and
// analysis routines; its computation lives in a plain engine beside it.
//
// Ownership: the history and the game window belong to the game window,
// which closes (and so destroys) its analysis windows before it frees the
// history. The window owns its controls through Qt parents.
//
// Threading: long runs go to one worker thread at a time (StartRun). The
// worker never touches widgets: it reports through Post / PostLatest, which
// queue work to this window's thread. "Parar" sets the stop flag, which the
// run reads after each pass; closing the window sets the cancel flag and
// waits for the worker (a derived window calls StopAndWait first thing in
// its destructor, before its own members go).
#include "TLottery.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class QAbstractScrollArea;
class QAction;
class QBoxLayout;
class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableView;
class QTableWidget;
class QToolBar;
class QVBoxLayout;
class TChartSeries;
class TChartView;
class TForm3;
class TToolBarDock;

class TAnalysisForm : public QWidget {
    Q_OBJECT
public:
    // Which of the shared controls a window kind has.
    struct Features {
        bool Network = true;                        // "Analisar", "Parar"
        QString ErrorFieldName = "Edit2";           // "Erro da rede"; empty: none
        QString EpochFieldName = "Edit3";           // "Épocas"; empty: none
        bool CalculatorTool = true;                 // ToolBar1 / ToolButton8, CalculadoraCSN1
        bool CalculatorPopup = true;                // CalculadoraCSN2
        bool Neighbours = true;                     // "k-vizinhos-próximos"
        int NormalWindow = 6, NormalNeighbours = 3; // its parameter pairs
        int DeltaWindow = 6, DeltaNeighbours = 3;
        QString SampleLabel; // Label3 before Edit1; empty: none
        // Whether UpDown1Click runs "Preview" after the load.
        bool PreviewOnSampleStep = true;
    };

    // Hands over the game: its history, grid, n, k, zero-based flag and the
    // main window's tool panel. caption: the window's own caption.
    TAnalysisForm(TForm3& game, TLottery::WindowKind kind, const QString& caption, const Features& features,
                  QWidget* parent = nullptr);
    ~TAnalysisForm() override;

    // The opening steps after the hand-over: UpDown1's maximum := the number
    // of draws, its position := that maximum capped at sampleCap, its minimum
    // := 10 (the whole history when it has fewer draws), then UpDown1Click.
    void Open(int sampleCap = 40);

    TLottery& Lottery() const { return lottery_; }
    TForm3* Game() const;
    TLottery::WindowKind Kind() const { return kind_; }
    int N() const { return n_; }
    int K() const { return k_; }
    bool ZeroBased() const { return zeroBased_; }
    // UpDown1's position.
    int SampleSize() const;
    bool Running() const { return running_; }

    // The grid as text: every cell followed by TAB, every row by CR LF. A
    // window that shows its table through a model of its own gives its text.
    virtual QString GridText() const;
    static QString GridText(const QTableWidget& grid);

public slots:
    void UpDown1Click();
    void Edit1DblClick();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Copiar1Click();
    // "Salvar tabela..." (CSV) and "Salvar gráfico..." (PNG, SVG, PDF): what
    // "Copiar" would copy, saved to a file.
    void Salvartabela1Click();
    void Salvargrafico1Click();
    void CalculadoraCSN1Click();
    void CalculadoraCSN2Click();
    void Normal1Click();
    void Delta1Click();
    void PopupMenu1Popup();

protected:
    // The window's load routine (builds its sample into the grid).
    virtual void LoadSample() = 0;
    // The window's "Preview".
    virtual void PreviewAnalysis() = 0;
    // "Analisar" after the frame's first step (buttons, stop flag, memo):
    // starts the window's run with StartRun, or returns false when there is
    // nothing to train (the frame then ends the command with a preview).
    virtual bool StartAnalysis() = 0;
    // "Parar" was pressed (the stop flag is already set).
    virtual void StopRequested() {}
    // The chart over which "k-vizinhos-próximos" is offered (Chart1).
    virtual TChartView* MainChart() const = 0;
    // Where the neighbour forecast puts the successors of the chosen
    // neighbours (none by default).
    virtual TChartSeries* NeighbourPointsSeries() const { return nullptr; }
    // Enables or disables the commands that must wait while a run is going
    // on; a window extends it with its own controls.
    virtual void SetBusy(bool busy);

    // Layout pieces for the window's own controls.
    QGroupBox* OptionsBox() const { return optionsBox_; }
    QHBoxLayout* OptionsLayout() const { return optionsLayout_; }
    QVBoxLayout* ChartLayout() const { return chartLayout_; }
    QMenu* ToolsMenu() const { return toolsMenu_; }
    // Charts get the window's pop-up menu and are recognised as its source.
    void AttachChart(TChartView* chart);
    // A hidden button in the window's own row: one of its steps, run by the
    // visible commands.
    QPushButton* StepButton(const char* name, const QString& caption);
    // Another grid of the window gets the pop-up menu; "Copiar" over it
    // copies that grid.
    void AttachGrid(QTableWidget* grid);
    // Any other scrolling control (a tree view) gets the pop-up menu and is
    // recognised as its source; the window copies it itself.
    void AttachPopup(QAbstractScrollArea* control);
    // The control the pop-up menu was last opened over.
    QWidget* PopupSource() const { return popupSource_.data(); }
    // Shows a view over the window's own model in place of the string grid
    // sg1 (which stays, hidden, for the frame's cell helpers); the view gets
    // the window's pop-up menu. The window then overrides GridText.
    void SetGridView(QTableView* view);

    // Worker runs. work runs on a worker thread; finished runs on this
    // window's thread after it, unless the window is being destroyed.
    void StartRun(std::function<void()> work, std::function<void()> finished);
    // Sets the cancel and stop flags and waits for the worker.
    void StopAndWait();
    std::atomic<bool>& StopFlag() { return stop_; }
    const std::atomic<bool>& CancelFlag() const { return cancel_; }
    // Queues an update to this window's thread.
    void Post(std::function<void()> update);
    // Like Post, but while an update of the same channel waits to run, a new
    // one replaces it: a fast worker cannot flood the window. When the run
    // ends, the newest update of every channel is shown before `finished`.
    void PostLatest(int channel, std::function<void()> update);
    static constexpr int MinimumRedrawInterval = 40; // milliseconds
    // "Épocas" and "Erro da rede" (exponent format, 8 digits, 2 exponent digits).
    void ShowPass(int pass, double error);
    // A read-only number field shows the start of its number (the whole of
    // it in the tooltip).
    static void ShowNumber(QLineEdit& field, const QString& text);

    void SetMemo(const QStringList& lines);
    void SetGridSize(int rows, int columns);
    void SetCell(int row, int column, const QString& text);
    QString CellText(int row, int column) const;

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Shared controls (objectNames as the fields are named).
    QLineEdit* Edit1 = nullptr;
    QSpinBox* UpDown1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QLineEdit* ErrorField = nullptr;
    QLineEdit* EpochField = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QTableWidget* sg1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Copiar1 = nullptr;
    QAction* Salvartabela1 = nullptr;
    QAction* Salvargrafico1 = nullptr;
    QAction* CalculadoraCSN1 = nullptr;
    QAction* CalculadoraCSN2 = nullptr;
    QMenu* kvizinhosprximos1 = nullptr;
    QAction* Normal1 = nullptr;
    QAction* Delta1 = nullptr;
    QAction* Wavelet1 = nullptr;

private:
    void BuildControls(const QString& caption);
    void SetSampleSize(int value);
    void Neighbours(bool delta);
    void RunFinished();
    QString PopupGridText() const;
    TChartView* PopupChart() const;

    QPointer<TForm3> game_;
    TLottery& lottery_;
    TLottery::WindowKind kind_;
    Features features_;
    int n_ = 0;
    int k_ = 0;
    bool zeroBased_ = false;

    QGroupBox* optionsBox_ = nullptr;
    QHBoxLayout* optionsLayout_ = nullptr;
    QVBoxLayout* chartLayout_ = nullptr;
    QMenu* toolsMenu_ = nullptr;
    QBoxLayout* mainLayout_ = nullptr;
    std::unique_ptr<TToolBarDock> dock_;
    bool docked_ = false;
    QPointer<QWidget> popupSource_;

    std::atomic<bool> stop_{false};
    std::atomic<bool> cancel_{false};
    bool running_ = false;
    bool closing_ = false;
    QFutureWatcher<void> watcher_;
    std::function<void()> finished_;
    // Coalesced updates: the newest waiting update of each channel, and
    // whether a delivery is already on its way. Deliveries of a channel are
    // paced (at most one per MinimumRedrawInterval) so that redrawing does
    // not take the worker's processor; the last one is always shown.
    struct Pending {
        std::function<void()> update;
        bool scheduled = false;
        qint64 lastDelivery = -1;
    };
    void Deliver(int channel);
    void FlushLatest();
    std::mutex latestMutex_;
    std::map<int, Pending> latest_;
    QElapsedTimer clock_;
};
