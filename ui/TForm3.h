#pragma once
// The game window ("Sorteio"): one game data file, its history (TLottery,
// owned), the figures of the game, the grid of draws with their CSNs, the CSN
// chart, and the commands that open the analysis windows, the CSN calculator
// and the results update.
//
// Ownership: the history is shared. This window holds it as long as it lives
// (or until the update replaces it); every analysis window holds it too, so
// that a window closed during a run, which goes only when its worker has let
// go, never sees its history freed under it. This window closes its analysis
// windows before it drops the history, and forgets each one when it is
// destroyed or released (clearing its WindowOpen flag).
#include "TLottery.h"
#include "TToolBarDock.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <string>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMdiSubWindow;
class QMenu;
class QSplitter;
class QStatusBar;
class QTableView;
class QToolBar;
class TChartSeries;
class TChartView;
class TDrawTableModel;
class TForm2;

class TForm3 : public QWidget {
    Q_OBJECT
public:
    // mainWindow: the frame (may be null in tests; then no child windows open).
    explicit TForm3(TForm2* mainWindow = nullptr, QWidget* parent = nullptr);
    ~TForm3() override;

    QString FileName() const { return fileName_; }
    void SetFileName(const QString& fileName) { fileName_ = fileName; }
    // The history; null before the first "Atualizar tela" and after a load error.
    TLottery* Lottery() const { return lottery_.get(); }
    // The same history, for those who must keep it alive (analysis windows).
    std::shared_ptr<TLottery> SharedLottery() const { return lottery_; }
    bool Loaded() const { return lottery_ && lottery_->Loaded; }

    TForm2* MainWindow() const { return main_; }
    // The main window's tool panel (Panel3), handed to analysis windows.
    QWidget* ToolPanel() const { return dock_->Panel(); }
    void SetToolPanel(QWidget* panel) { dock_->SetPanel(panel); }
    // The frame this window lives in: its tool bar follows the frame's state.
    void AttachFrame(QMdiSubWindow* frame);

    QTableView* Grid() const { return grid_; }
    TDrawTableModel* GridModel() const { return model_; }
    // Grid row of the current cell (1 for the first draw); 1 when none is current.
    int SelectedGridRow() const;
    TChartView* Chart() const { return chart_; }
    TChartSeries& Series1() const { return *series1_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QMenu* ToolsMenu() const { return toolsMenu_; }
    QMenu* PopupMenu() const { return popup_; }
    QString StatusText() const;
    // The status bar and its text (the results update reports its steps there).
    QStatusBar* StatusBar() const { return statusBar_; }
    void SetStatusText(const QString& text);
    // "Baixar da Internet".
    QAction* DownloadAction() const { return baixar_; }
    // "Importar resultados...".
    QAction* ImportAction() const { return importar_; }

    // The analysis window of a kind, if open.
    QWidget* AnalysisWindow(TLottery::WindowKind kind) const;
    // Remembers an opened analysis window and sets its WindowOpen flag; both
    // are cleared when the window is destroyed.
    void RegisterAnalysisWindow(TLottery::WindowKind kind, QWidget* window);
    // Forgets an analysis window that was closed while its run goes on: it
    // hides now and goes by itself when its worker has finished, and the
    // kind can be opened afresh meanwhile.
    void ReleaseAnalysisWindow(QWidget* window);
    // Opens the analysis window of a kind, or brings the open one forward.
    void OpenAnalysis(TLottery::WindowKind kind);
    // Closes every open analysis window of this game; with force an idle one
    // is destroyed at once. A window with a run going on is released instead
    // (it keeps the history alive until its worker ends).
    void CloseAnalysisWindows(bool force = false);
    // For the results update: closes the analysis windows, frees the history
    // and loads the file again.
    void ReloadLottery();
    // Enables the commands whose windows exist and that have a history to work on.
    void UpdateCommands();

public slots:
    void Atualizartela1Click();
    // The results update: runs the update of the main window, when one is set.
    void BaixardaInternet1Click();
    // The import of a results file downloaded by hand (a spreadsheet, a saved
    // answer of the results API, or the old ZIP archive).
    void ImportarResultados1Click();
    void Anliselexicogrfica1Click();
    void Anliseatrasadas1Click();
    void Anlisebase51Click();
    void Anlisebayesiana1Click();
    void Anliseposicional1Click();
    void Anliserecorrencial1Click();
    void Anliseposicionalbayesiana1Click();
    void CalculadoraCSN1Click();
    void CalculadoraCSN2Click();
    void Copiar1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void BuildCommands();
    void ShowPopup(QWidget* source, const QPoint& globalPos);
    void ShowFigures();
    void SizeGridColumns();

    TForm2* main_;
    bool firstPaint_ = true;
    QString fileName_;
    std::shared_ptr<TLottery> lottery_;
    std::array<QPointer<QWidget>, TLottery::WindowKinds> windows_;

    QToolBar* toolBar_ = nullptr;
    QMenu* toolsMenu_ = nullptr;
    QMenu* popup_ = nullptr;
    QWidget* popupSource_ = nullptr;
    QGroupBox* groupBox1_ = nullptr;
    QGroupBox* groupBox2_ = nullptr;
    QSplitter* splitter_ = nullptr;
    std::array<QLineEdit*, 5> edits_{};
    // The ball-frequency test of the whole history ("Edit6"); "Copiar" over
    // it copies the figures and the test.
    QLineEdit* chance_ = nullptr;
    std::string chanceText_;
    QLabel* label4_ = nullptr;
    QTableView* grid_ = nullptr;
    TDrawTableModel* model_ = nullptr;
    TChartView* chart_ = nullptr;
    TChartSeries* series1_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* status_ = nullptr;

    QAction* atualizar_ = nullptr;
    QAction* baixar_ = nullptr;
    QAction* importar_ = nullptr;
    std::array<QAction*, TLottery::WindowKinds> analysisActions_{};
    QAction* calculadora1_ = nullptr;
    QAction* copiar1_ = nullptr;
    QAction* calculadora2_ = nullptr;

    std::unique_ptr<TToolBarDock> dock_;
};
