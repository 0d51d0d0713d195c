#pragma once
// The main window: a multi-document frame holding the game windows, the
// analysis windows and the CSN calculator. It owns the menus "&Arquivo",
// "&Janela" and "A&juda", the tool strip (its own tool bar in Panel2, the
// active child's tool bar in Panel3 while that child is maximised) and the
// status bar. The active child's own menus (those with the dynamic property
// "mergedIntoMainMenu") are shown in the menu bar while it is active.
//
// Later windows plug in through the openers: a game window enables an
// analysis command once the opener of its kind is set here, and the
// calculator commands once the calculator opener is set.
#include "TLottery.h"
#include "TProcessPriority.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <array>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class TForm3;
class THelpWindow;

class TForm2 : public QMainWindow {
    Q_OBJECT
public:
    // Creates the analysis window of one kind for a game: hands it the
    // history and what else it needs, runs its start-up, and returns it not
    // yet shown (the game window adds it to the frame and remembers it).
    using AnalysisOpener = std::function<QWidget*(TForm3& game)>;
    // The calculator hand-off: a history (nullptr keeps the one handed over
    // last), n, k, and for the pop-up variant the CSN text to convert.
    using CalculatorOpener =
        std::function<void(TLottery* lottery, int n, int k, const std::optional<QString>& csn)>;
    // The results update of a game window ("Baixar da Internet").
    using UpdateRunner = std::function<void(TForm3& game)>;
    // "Importar resultados..." of a game window, with the file the user chose.
    using ImportRunner = std::function<void(TForm3& game, const QString& fileName)>;

    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    QMdiArea* MdiArea() const { return mdi_; }
    // Panel3: host of the active child's tool bar while it is maximised.
    QWidget* ToolPanel() const { return panel3_; }
    QString StatusText() const;

    // Puts a window into the frame (deleted when closed) and returns its frame.
    QMdiSubWindow* AddChild(QWidget* window);
    // Shrinks a child's frame to the visible area and moves it inside, so no
    // window opens partly off-screen.
    void FitChild(QMdiSubWindow* frame) const;
    // "Abrir" after the dialog: a new game window for the file, loaded and shown.
    TForm3* OpenFile(const QString& fileName);
    QList<TForm3*> GameWindows() const;

    void SetAnalysisOpener(TLottery::WindowKind kind, AnalysisOpener opener);
    const AnalysisOpener& GetAnalysisOpener(TLottery::WindowKind kind) const;
    void SetCalculatorOpener(CalculatorOpener opener);
    bool HasCalculator() const { return static_cast<bool>(calculatorOpener_); }
    void OpenCalculator(TLottery* lottery, int n, int k, const std::optional<QString>& csn = std::nullopt);
    void SetUpdateRunner(UpdateRunner runner);
    const UpdateRunner& GetUpdateRunner() const { return updateRunner_; }
    void SetImportRunner(ImportRunner runner);
    const ImportRunner& GetImportRunner() const { return importRunner_; }

    // Seam for tests: how the priority is set.
    void SetPrioritySetter(TProcessPriority::Setter setter);
    TProcessPriority::Level Priority() const { return priority_.Current(); }
    // The manual's help collection in the program's data folder.
    static QString HelpFileName();
    // Another collection (tests); an empty name restores the default.
    void SetHelpFileName(const QString& fileName) { helpFile_ = fileName; }
    // The manual's window, once "Conteúdo" has opened it.
    THelpWindow* HelpWindow() const;

public slots:
    void Abrir1Click();
    void Definirprioridadeacimadonormal1Click(bool checked);
    void Sair1Click();
    void Organizar1Click();
    void Contedo1Click();
    void Sobre1Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void SubWindowActivated(QMdiSubWindow* frame);
    void FillWindowMenu();

    QMdiArea* mdi_ = nullptr;
    QWidget* panel2_ = nullptr;
    QWidget* panel3_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QLabel* status_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QAction* priorityItem_ = nullptr;
    QList<QPointer<QMenu>> merged_;

    std::array<AnalysisOpener, TLottery::WindowKinds> openers_;
    CalculatorOpener calculatorOpener_;
    UpdateRunner updateRunner_;
    ImportRunner importRunner_;
    TProcessPriority priority_;
    QString helpFile_;
    QPointer<THelpWindow> help_;
};
