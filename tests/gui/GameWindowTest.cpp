// The game window inside the main window: loading a history into the grid,
// the figures and the chart; copying; the load failures; the analysis,
// calculator and update commands; the tool bar's place; closing.
#include "NumberText.h"
#include "TChartView.h"
#include "TDrawTableModel.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TMessageBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

const QString DataDir = QStringLiteral(TOVISCA_DATA_DIR);

void ProcessDeletes() {
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

class GameWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        NumberText::SetDecimalSeparator(',');
        TMessageBox::SetRecording(true);
        TMessageBox::ClearRecorded();
        main.SetPrioritySetter([](int) { return true; });
        main.resize(1200, 900);
        main.show();
        QApplication::processEvents();
    }

    QString Write(const QString& name, const QByteArray& content) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    static QString Edit(TForm3* game, const char* name) {
        return game->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    }
    static bool Shown(TForm3* game, const char* name) {
        return !game->findChild<QWidget*>(QString::fromLatin1(name))->isHidden();
    }
    static QAction* Action(TForm3* game, const char* name) {
        return game->findChild<QAction*>(QString::fromLatin1(name));
    }

    // Opens the pop-up menu over a control as a right-click does, then runs "Copiar".
    static void CopyFrom(TForm3* game, QWidget* control) {
        const QPoint at(control->width() / 2, control->height() / 2);
        if (auto* view = qobject_cast<QAbstractScrollArea*>(control)) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
            QApplication::sendEvent(view->viewport(), &event);
        }
        QMenu* popup = game->findChild<QMenu*>("PopupMenu1");
        EXPECT_TRUE(popup->isVisible());
        Action(game, "Copiar1")->trigger();
        popup->hide();
    }

    QTemporaryDir dir;
    TForm2 main;
};

TEST_F(GameWindowTest, OpeningMegaSenaShowsCaptionPathGridFiguresAndChart) {
    const QString path = DataDir + "/megasena.csv";
    TForm3* game = main.OpenFile(path);
    ASSERT_NE(game, nullptr);
    ASSERT_TRUE(game->Loaded());
    EXPECT_EQ(game->windowTitle(), "Sorteio: megasena.csv");
    EXPECT_EQ(game->StatusText(), path);
    EXPECT_EQ(game->findChild<QStatusBar*>("StatusBar1")->findChild<QLabel*>()->text(), path);

    // Grid: header row and one row per draw, k + 2 columns.
    auto* grid = game->findChild<QTableView*>("sg1");
    ASSERT_NE(grid, nullptr);
    TDrawTableModel* model = game->GridModel();
    EXPECT_EQ(model->GridRowCount(), 3048);
    EXPECT_EQ(model->GridColumnCount(), 8);
    EXPECT_EQ(grid->model()->rowCount(), 3047);
    const QStringList header{"Concurso", "Bola 1", "Bola 2", "Bola 3", "Bola 4", "Bola 5", "Bola 6", "CSN"};
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(model->GridCell(0, c), header[c]);
        EXPECT_EQ(grid->model()->headerData(c, Qt::Horizontal).toString(), header[c]);
    }
    // Contest 1 of the file: 1;41;5;4;52;30;33, balls as read. Its CSN by the
    // lexicographic rank of {4, 5, 30, 33, 41, 52} among C(60, 6).
    const QStringList first{"1", "41", "5", "4", "52", "30", "33"};
    for (int c = 0; c < 7; ++c) EXPECT_EQ(grid->model()->index(0, c).data().toString(), first[c]);
    EXPECT_EQ(model->GridCell(1, 7), "14086154");
    EXPECT_EQ(model->GridCell(3047, 0), "3047");

    EXPECT_EQ(Edit(game, "Edit1"), "60");
    EXPECT_EQ(Edit(game, "Edit2"), "6");
    EXPECT_EQ(Edit(game, "Edit3"), "50063860");
    EXPECT_EQ(Edit(game, "Edit5"), "8490"); // Trunc(sqrt(50063860) * 1.2)
    EXPECT_FALSE(Shown(game, "Label4"));
    EXPECT_FALSE(Shown(game, "Edit4"));
    EXPECT_TRUE(game->findChild<QLineEdit*>("Edit1")->isReadOnly());
    EXPECT_FALSE(game->findChild<QLineEdit*>("Edit4")->isReadOnly());

    // Chart: one point per draw, x counting draws from 1, y the CSN.
    auto* chart = game->findChild<TChartView*>("Chart1");
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->Title(), "Posição combinatorial");
    EXPECT_EQ(chart->BottomAxisTitle(), "Concurso");
    EXPECT_EQ(chart->LeftAxisTitle(), "Posição");
    ASSERT_EQ(chart->SeriesCount(), 1);
    const TChartSeries& real = chart->Series(0);
    EXPECT_EQ(real.Title(), "Real");
    EXPECT_EQ(real.Color(), QColor(Qt::red));
    ASSERT_EQ(real.Count(), 3047);
    EXPECT_DOUBLE_EQ(real.X(0), 1);
    EXPECT_DOUBLE_EQ(real.Y(0), 14086154);
    EXPECT_DOUBLE_EQ(real.X(3046), 3047);
    EXPECT_DOUBLE_EQ(real.Y(3046), game->Lottery()->CSNs[3046]);
    EXPECT_DOUBLE_EQ(chart->BottomRange().max, 3047);
}

TEST_F(GameWindowTest, LotomaniaShowsSuperballWithTheReducedFigures) {
    TForm3* game = main.OpenFile(DataDir + "/lotomania.csv");
    ASSERT_TRUE(game->Loaded());
    EXPECT_EQ(Edit(game, "Edit1"), "100"); // balls 0..99
    EXPECT_EQ(Edit(game, "Edit2"), "20");
    EXPECT_TRUE(Shown(game, "Label4"));
    EXPECT_TRUE(Shown(game, "Edit4"));
    EXPECT_EQ(game->findChild<QLabel*>("Label4")->text(), "Superball:");
    EXPECT_EQ(Edit(game, "Edit4"), "50");
    // Trunc(C(100, 20) / C(50, 20)) = Trunc(11372635.885...), and Trunc(sqrt(that) * 1.2).
    EXPECT_EQ(Edit(game, "Edit3"), "11372635");
    EXPECT_EQ(Edit(game, "Edit5"), "4046");
}

TEST_F(GameWindowTest, CopyPutsTheGridAsTabTerminatedCellsOrTheChartAsAPicture) {
    // Two draws, k = 2, n = 3: {1, 2} is CSN 1 and {1, 3} (read as 3;1) is CSN 2.
    const QString path = Write("dois.csv", "Concurso;Bola1;Bola2\r\n1;1;2\r\n2;3;1\r\n");
    TForm3* game = main.OpenFile(path);
    ASSERT_TRUE(game->Loaded());
    QApplication::clipboard()->clear();
    CopyFrom(game, game->Grid());
    EXPECT_EQ(QApplication::clipboard()->text(),
              "Concurso\tBola 1\tBola 2\tCSN\t\r\n1\t1\t2\t1\t\r\n2\t3\t1\t2\t\r\n");

    QApplication::clipboard()->clear();
    CopyFrom(game, game->Chart());
    EXPECT_FALSE(QApplication::clipboard()->image().isNull());

    // After the chart, the grid again copies text.
    CopyFrom(game, game->Grid());
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("Concurso\t"));
}

TEST_F(GameWindowTest, SameFileTwiceGivesTwoIndependentWindows) {
    const QString path = DataDir + "/quina.csv";
    TForm3* a = main.OpenFile(path);
    TForm3* b = main.OpenFile(path);
    ASSERT_NE(a, b);
    EXPECT_EQ(main.GameWindows().size(), 2);
    ASSERT_TRUE(a->Loaded());
    ASSERT_TRUE(b->Loaded());
    EXPECT_NE(a->Lottery(), b->Lottery());
    EXPECT_EQ(a->GridModel()->GridRowCount(), b->GridModel()->GridRowCount());
    a->parentWidget()->close();
    ProcessDeletes();
    EXPECT_EQ(main.GameWindows().size(), 1);
    EXPECT_EQ(Edit(b, "Edit1"), "80");
}

TEST_F(GameWindowTest, MalformedFileReportsItsErrorAndLeavesTheWindowEmpty) {
    const QString path = Write("ruim.csv", "Concurso;Bola1;Bola2\r\n1;1;2\r\n2;x7;1\r\n");
    TForm3* game = main.OpenFile(path);
    EXPECT_EQ(TMessageBox::Last().toStdString(), NumberText::InvalidIntegerMessage("x7"));
    EXPECT_EQ(game->Lottery(), nullptr);
    EXPECT_EQ(game->windowTitle(), "Sorteio: ruim.csv");
    EXPECT_EQ(game->GridModel()->GridRowCount(), 1);
    EXPECT_EQ(game->GridModel()->GridColumnCount(), 1);
    EXPECT_EQ(game->Chart()->Series(0).Count(), 0);
    EXPECT_EQ(Edit(game, "Edit1"), "0");
    EXPECT_FALSE(Action(game, "Anliselexicogrfica1")->isEnabled());

    // "Atualizar tela" tries again: once the file is mended the history appears.
    Write("ruim.csv", "Concurso;Bola1;Bola2\r\n1;1;2\r\n2;3;1\r\n");
    TMessageBox::ClearRecorded();
    Action(game, "Atualizartela1")->trigger();
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
    ASSERT_TRUE(game->Loaded());
    EXPECT_EQ(game->GridModel()->GridRowCount(), 3);
}

TEST_F(GameWindowTest, MissingFileGivesAOneCellGridWithoutMessage) {
    TForm3* game = main.OpenFile(dir.filePath("nao-existe.csv"));
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
    ASSERT_NE(game->Lottery(), nullptr);
    EXPECT_FALSE(game->Loaded());
    EXPECT_EQ(game->GridModel()->GridRowCount(), 1);
    EXPECT_EQ(game->GridModel()->GridColumnCount(), 1);
    EXPECT_EQ(game->GridModel()->GridCell(0, 0), "");
    EXPECT_FALSE(Action(game, "BaixardaInternet1")->isEnabled());
    QApplication::clipboard()->clear();
    CopyFrom(game, game->Grid());
    EXPECT_EQ(QApplication::clipboard()->text(), "\t\r\n");
}

TEST_F(GameWindowTest, AtualizarTelaRedrawsFromTheSameHistoryWithoutRereading) {
    const QString path = Write("jogo.csv", "Concurso;Bola1;Bola2\r\n1;1;2\r\n2;3;1\r\n");
    TForm3* game = main.OpenFile(path);
    const TLottery* before = game->Lottery();
    Write("jogo.csv", "Concurso;Bola1;Bola2\r\n1;1;2\r\n");
    Action(game, "Atualizartela1")->trigger();
    EXPECT_EQ(game->Lottery(), before);
    EXPECT_EQ(game->GridModel()->GridRowCount(), 3);
    EXPECT_EQ(game->Chart()->Series(0).Count(), 2) << "the chart is refilled, not appended to";

    // The update's reload frees the history and reads the file again.
    game->ReloadLottery();
    ASSERT_TRUE(game->Loaded());
    EXPECT_EQ(game->GridModel()->GridRowCount(), 2);
}

TEST_F(GameWindowTest, BaixarDaInternetNeedsTheGameDefinitionFile) {
    const QString content = "Concurso;Bola1;Bola2\r\n1;1;2\r\n";
    TForm3* without = main.OpenFile(Write("sem.csv", content.toLatin1()));
    EXPECT_FALSE(Action(without, "BaixardaInternet1")->isEnabled());
    Write("com.ini", "[Jogo]\r\n");
    TForm3* with = main.OpenFile(Write("com.csv", content.toLatin1()));
    EXPECT_TRUE(Action(with, "BaixardaInternet1")->isEnabled());

    int runs = 0;
    main.SetUpdateRunner([&runs, with](TForm3& game) { runs += &game == with ? 1 : 100; });
    Action(with, "BaixardaInternet1")->trigger();
    EXPECT_EQ(runs, 1);
}

TEST_F(GameWindowTest, CommandsCarryTheirCaptionsAndShortcuts) {
    TForm3* game = main.OpenFile(DataDir + "/megasena.csv");
    const struct {
        const char* name;
        const char* caption;
        QKeySequence key;
    } commands[] = {
        {"Atualizartela1", "Atualizar tela", QKeySequence(Qt::Key_F5)},
        {"BaixardaInternet1", "Baixar da Internet", QKeySequence()},
        {"Anliselexicogrfica1", "Análise lexicográfica", QKeySequence(Qt::Key_F6)},
        {"Anliseatrasadas1", "Análise atrasadas", QKeySequence(Qt::Key_F7)},
        {"Anlisebase51", "Análise segmentação", QKeySequence(Qt::Key_F8)},
        {"Anlisebayesiana1", "Análise bayesiana", QKeySequence(Qt::Key_F9)},
        {"Anliseposicional1", "Análise posicional", QKeySequence(Qt::Key_F11)},
        {"Anliserecorrencial1", "Análise recorrencial", QKeySequence(Qt::Key_F12)},
        {"Anliseposicionalbayesiana1", "Análise posicional/bayesiana", QKeySequence(Qt::CTRL | Qt::Key_F6)},
        {"CalculadoraCSN1", "Calculadora CSN", QKeySequence(Qt::Key_F10)},
    };
    QMenu* tools = game->ToolsMenu();
    EXPECT_EQ(tools->title(), "Ferramentas");
    for (const auto& command : commands) {
        QAction* action = Action(game, command.name);
        ASSERT_NE(action, nullptr) << command.name;
        EXPECT_EQ(action->text(), QString::fromUtf8(command.caption));
        EXPECT_EQ(action->shortcut(), command.key) << command.name;
        EXPECT_TRUE(tools->actions().contains(action)) << command.name;
    }
    // The tool bar: the seven analyses and the calculator, in menu order.
    const QList<QAction*> buttons = game->findChild<QToolBar*>("ToolBar1")->actions();
    ASSERT_EQ(buttons.size(), 8);
    EXPECT_EQ(buttons.front()->text(), "Análise lexicográfica");
    EXPECT_EQ(buttons.back()->text(), "Calculadora CSN");
    // Nothing opens analysis windows or the calculator yet: their commands wait disabled.
    EXPECT_FALSE(Action(game, "Anliselexicogrfica1")->isEnabled());
    EXPECT_FALSE(Action(game, "CalculadoraCSN1")->isEnabled());
    EXPECT_FALSE(Action(game, "CalculadoraCSN2")->isEnabled());
    EXPECT_TRUE(Action(game, "Atualizartela1")->isEnabled());

    // While the game window is active its menu stands in the main menu bar, before "&Janela".
    main.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(game->parentWidget()));
    const QList<QAction*> bar = main.menuBar()->actions();
    const qsizetype at = bar.indexOf(tools->menuAction());
    ASSERT_GE(at, 0);
    EXPECT_EQ(bar.at(at + 1)->text(), "&Janela");
}

// A stand-in analysis window, counting how often it is made.
QWidget* MakeDummy(TForm3& game, int& made) {
    ++made;
    auto* window = new QWidget;
    window->setWindowTitle("Dummy");
    window->setProperty("lottery", QVariant::fromValue(static_cast<void*>(game.Lottery())));
    return window;
}

TEST_F(GameWindowTest, AnAnalysisWindowOpensOnceAndIsForgottenWhenClosed) {
    TForm3* game = main.OpenFile(DataDir + "/megasena.csv");
    int made = 0;
    main.SetAnalysisOpener(TLottery::Delay, [&made](TForm3& g) { return MakeDummy(g, made); });
    QAction* command = Action(game, "Anliseatrasadas1");
    ASSERT_TRUE(command->isEnabled());
    EXPECT_FALSE(Action(game, "Anliselexicogrfica1")->isEnabled());

    command->trigger();
    QWidget* window = game->AnalysisWindow(TLottery::Delay);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(window->windowTitle(), "Dummy: megasena.csv");
    EXPECT_EQ(window->property("lottery").value<void*>(), game->Lottery());
    EXPECT_TRUE(game->Lottery()->WindowOpen[TLottery::Delay]);
    EXPECT_TRUE(window->isVisible());

    // Second command: the same window comes forward.
    main.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(game->parentWidget()));
    command->trigger();
    EXPECT_EQ(made, 1);
    EXPECT_EQ(game->AnalysisWindow(TLottery::Delay), window);
    EXPECT_EQ(main.MdiArea()->activeSubWindow(), window->parentWidget());
    // Also from a minimised frame.
    window->parentWidget()->showMinimized();
    command->trigger();
    EXPECT_FALSE(window->parentWidget()->isMinimized());
    EXPECT_EQ(made, 1);

    // Closed by the user: flag cleared, the next command opens a new one.
    window->parentWidget()->close();
    ProcessDeletes();
    EXPECT_EQ(game->AnalysisWindow(TLottery::Delay), nullptr);
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::Delay]);
    command->trigger();
    EXPECT_EQ(made, 2);
    EXPECT_NE(game->AnalysisWindow(TLottery::Delay), nullptr);
}

TEST_F(GameWindowTest, ClosingTheGameWindowClosesItsAnalysisWindowsFirst) {
    TForm3* game = main.OpenFile(DataDir + "/megasena.csv");
    TForm3* other = main.OpenFile(DataDir + "/megasena.csv");
    int made = 0;
    for (auto kind : {TLottery::Lexicographic, TLottery::Bayesian, TLottery::Recurrence})
        main.SetAnalysisOpener(kind, [&made](TForm3& g) { return MakeDummy(g, made); });
    std::vector<QPointer<QWidget>> windows;
    for (auto kind : {TLottery::Lexicographic, TLottery::Bayesian, TLottery::Recurrence}) {
        game->OpenAnalysis(kind);
        windows.emplace_back(game->AnalysisWindow(kind));
    }
    other->OpenAnalysis(TLottery::Bayesian);
    QPointer<QWidget> othersWindow = other->AnalysisWindow(TLottery::Bayesian);
    ASSERT_EQ(made, 4);
    EXPECT_NE(othersWindow, windows[1]) << "each game has its own analysis windows";

    game->parentWidget()->close();
    ProcessDeletes();
    for (const auto& window : windows) EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(othersWindow.isNull());
    EXPECT_EQ(main.GameWindows().size(), 1);

    // The update's reload also closes them before the history is replaced.
    other->ReloadLottery();
    EXPECT_TRUE(othersWindow.isNull());
    EXPECT_FALSE(other->Lottery()->WindowOpen[TLottery::Bayesian]);
}

TEST_F(GameWindowTest, CalculatorHandOffsPassTheHistoryOrTheSelectedCSN) {
    TForm3* game = main.OpenFile(DataDir + "/megasena.csv");
    struct HandOff {
        TLottery* lottery;
        int n, k;
        std::optional<QString> csn;
    };
    std::vector<HandOff> handOffs;
    main.SetCalculatorOpener([&handOffs](TLottery* l, int n, int k, const std::optional<QString>& csn) {
        handOffs.push_back({l, n, k, csn});
    });
    ASSERT_TRUE(Action(game, "CalculadoraCSN1")->isEnabled());
    Action(game, "CalculadoraCSN1")->trigger();
    ASSERT_EQ(handOffs.size(), 1u);
    EXPECT_EQ(handOffs[0].lottery, game->Lottery());
    EXPECT_EQ(handOffs[0].n, 60);
    EXPECT_EQ(handOffs[0].k, 6);
    EXPECT_FALSE(handOffs[0].csn.has_value());

    // Pop-up variant with nothing selected: draw 1; then with draw 2's row current.
    Action(game, "CalculadoraCSN2")->trigger();
    ASSERT_EQ(handOffs.size(), 2u);
    EXPECT_EQ(handOffs[1].lottery, nullptr);
    EXPECT_EQ(handOffs[1].csn.value_or(""), "14086154");
    game->Grid()->setCurrentIndex(game->Grid()->model()->index(1, 3));
    EXPECT_EQ(game->SelectedGridRow(), 2);
    Action(game, "CalculadoraCSN2")->trigger();
    EXPECT_EQ(handOffs[2].csn.value_or(""), game->GridModel()->GridCell(2, 7));
}

TEST_F(GameWindowTest, ToolBarMovesToTheMainToolPanelWhileMaximised) {
    TForm3* game = main.OpenFile(DataDir + "/megasena.csv");
    auto* frame = qobject_cast<QMdiSubWindow*>(game->parentWidget());
    QToolBar* toolBar = game->ToolBar();
    EXPECT_EQ(toolBar->parentWidget(), game);
    EXPECT_EQ(game->ToolPanel(), main.ToolPanel());
    EXPECT_EQ(main.ToolPanel()->objectName(), "Panel3");

    main.activateWindow();
    QApplication::setActiveWindow(&main);
    main.MdiArea()->setActiveSubWindow(frame);
    frame->showMaximized();
    QApplication::processEvents();
    EXPECT_EQ(toolBar->parentWidget(), main.ToolPanel());

    frame->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(toolBar->parentWidget(), game);
    EXPECT_EQ(game->layout()->indexOf(toolBar), 0) << "back at the top of the window";

    // Closing while maximised leaves no orphan tool bar in the panel.
    frame->showMaximized();
    QApplication::processEvents();
    frame->close();
    ProcessDeletes();
    EXPECT_TRUE(main.ToolPanel()->findChildren<QToolBar*>().isEmpty());
}

} // namespace
