// The game window inside the main window: a history in the grid, the figures
// and the chart; copying; load failures; its commands and analysis windows.
#include "GuiTestSupport.h"
#include "TChartView.h"
#include "TDrawTableModel.h"

#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>

namespace {

using namespace gui;
using GameWindowTest = WindowTest;

const char* const TwoDraws = "Concurso;Bola1;Bola2\r\n1;1;2\r\n2;3;1\r\n";

// Runs "Copiar" from the pop-up menu that a right-click over the control opens.
void CopyFrom(TForm3* game, QWidget* control) {
    QApplication::clipboard()->clear();
    RightClick(control);
    ASSERT_TRUE(game->PopupMenu()->isVisible());
    Action(game, "Copiar1")->trigger();
    game->PopupMenu()->hide();
}

TEST_F(GameWindowTest, MegaSenaShowsCaptionPathGridFiguresAndChart) {
    const QString path = DataDir + "/megasena.csv";
    TForm3* game = Open(path);
    ASSERT_TRUE(game->Loaded());
    EXPECT_EQ(game->windowTitle(), "Sorteio: megasena.csv");
    EXPECT_EQ(Find<QStatusBar>(game, "StatusBar1")->findChild<QLabel*>()->text(), path);

    // A header row and one row per draw, k + 2 columns.
    const TDrawTableModel* model = game->GridModel();
    const QAbstractItemModel* shown = Find<QTableView>(game, "sg1")->model();
    EXPECT_EQ(model->GridRowCount(), 3048);
    EXPECT_EQ(model->GridColumnCount(), 8);
    EXPECT_EQ(shown->rowCount(), 3047);
    const QStringList header{"Concurso", "Bola 1", "Bola 2", "Bola 3", "Bola 4", "Bola 5", "Bola 6", "CSN"};
    // Contest 1 is 1;41;5;4;52;30;33, balls as read; {4, 5, 30, 33, 41, 52} has CSN 14086154.
    const QStringList first{"1", "41", "5", "4", "52", "30", "33", "14086154"};
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(model->GridCell(0, c), header[c]);
        EXPECT_EQ(shown->headerData(c, Qt::Horizontal).toString(), header[c]);
        EXPECT_EQ(shown->index(0, c).data().toString(), first[c]);
    }
    EXPECT_EQ(model->GridCell(3047, 0), "3047");

    // n, k, C(60, 6) and Trunc(sqrt(C(60, 6)) * 1.2); no Superball.
    EXPECT_EQ(Texts(game, {"Edit1", "Edit2", "Edit3", "Edit5"}),
              QStringList({"60", "6", "50063860", "8490"}));
    EXPECT_FALSE(Shown(game, "Label4") || Shown(game, "Edit4"));

    // One red point per draw: x counts draws from 1, y is the CSN.
    auto* chart = Find<TChartView>(game, "Chart1");
    EXPECT_EQ(chart->Title(), "Posição combinatorial");
    const TChartSeries& real = chart->Series(0);
    EXPECT_EQ(real.Title(), "Real");
    EXPECT_EQ(real.Color(), QColor(Qt::red));
    ASSERT_EQ(real.Count(), 3047);
    EXPECT_EQ(QPointF(real.X(0), real.Y(0)), QPointF(1, 14086154));
    EXPECT_EQ(QPointF(real.X(3046), real.Y(3046)), QPointF(3047, game->Lottery()->CSNs[3046]));
}

TEST_F(GameWindowTest, LotomaniaShowsSuperballWithTheReducedFigures) {
    TForm3* game = Open(DataDir + "/lotomania.csv");
    ASSERT_TRUE(game->Loaded());
    EXPECT_TRUE(Shown(game, "Label4") && Shown(game, "Edit4"));
    EXPECT_EQ(Find<QLabel>(game, "Label4")->text(), "Superball:");
    // Balls 0..99, 20 a draw, 50 in the Superball; Trunc(C(100, 20) / C(50, 20)) = Trunc(11372635.885...),
    // and Trunc(sqrt(that) * 1.2).
    EXPECT_EQ(Texts(game, {"Edit1", "Edit2", "Edit4", "Edit3", "Edit5"}),
              QStringList({"100", "20", "50", "11372635", "4046"}));
}

TEST_F(GameWindowTest, CopyPutsTheGridAsTabTerminatedCellsOrTheChartAsAPicture) {
    // k = 2, n = 3: {1, 2} is CSN 1 and {1, 3} (read as 3;1) is CSN 2.
    TForm3* game = Open(Write("dois.csv", TwoDraws));
    ASSERT_TRUE(game->Loaded());
    CopyFrom(game, game->Grid());
    EXPECT_EQ(QApplication::clipboard()->text(),
              "Concurso\tBola 1\tBola 2\tCSN\t\r\n1\t1\t2\t1\t\r\n2\t3\t1\t2\t\r\n");
    CopyFrom(game, game->Chart());
    EXPECT_FALSE(QApplication::clipboard()->image().isNull());
    CopyFrom(game, game->Grid()); // after the chart, the grid again copies text
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("Concurso\t"));
}

TEST_F(GameWindowTest, SameFileTwiceGivesTwoIndependentWindows) {
    TForm3* a = Open(DataDir + "/quina.csv");
    TForm3* b = Open(DataDir + "/quina.csv");
    ASSERT_NE(a, b);
    ASSERT_TRUE(a->Loaded() && b->Loaded());
    EXPECT_NE(a->Lottery(), b->Lottery());
    EXPECT_EQ(main.GameWindows().size(), 2);
    CloseFrame(a);
    EXPECT_EQ(main.GameWindows(), QList<TForm3*>{b});
    EXPECT_EQ(Text(b, "Edit1"), "80");
}

TEST_F(GameWindowTest, LoadFailures) {
    // A malformed number: the conversion error, and an empty window.
    TForm3* game = Open(Write("ruim.csv", "Concurso;Bola1;Bola2\r\n1;1;2\r\n2;x7;1\r\n"));
    EXPECT_EQ(TMessageBox::Recorded(),
              QStringList{QString::fromStdString(NumberText::InvalidIntegerMessage("x7"))});
    EXPECT_EQ(game->Lottery(), nullptr);
    EXPECT_EQ(game->windowTitle(), "Sorteio: ruim.csv");
    EXPECT_EQ(game->GridModel()->GridRowCount(), 1);
    EXPECT_EQ(game->Chart()->Series(0).Count(), 0);
    EXPECT_EQ(Text(game, "Edit1"), "0");
    EXPECT_FALSE(Action(game, "Anliselexicogrfica1")->isEnabled());
    // "Atualizar tela" tries again: once the file is mended the history appears.
    Write("ruim.csv", TwoDraws);
    Answer(true);
    Action(game, "Atualizartela1")->trigger();
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
    ASSERT_TRUE(game->Loaded());
    EXPECT_EQ(game->GridModel()->GridRowCount(), 3);

    // A missing file: no message, a grid of one empty cell, no update.
    TForm3* missing = Open(PathOf("nao-existe.csv"));
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
    EXPECT_FALSE(missing->Loaded());
    EXPECT_EQ(missing->GridModel()->GridRowCount(), 1);
    EXPECT_EQ(missing->GridModel()->GridColumnCount(), 1);
    EXPECT_FALSE(missing->DownloadAction()->isEnabled());
    CopyFrom(missing, missing->Grid());
    EXPECT_EQ(QApplication::clipboard()->text(), "\t\r\n");
}

TEST_F(GameWindowTest, AtualizarTelaRedrawsTheSameHistoryAndReloadRereads) {
    TForm3* game = Open(Write("jogo.csv", TwoDraws));
    const TLottery* before = game->Lottery();
    Write("jogo.csv", "Concurso;Bola1;Bola2\r\n1;1;2\r\n");
    Action(game, "Atualizartela1")->trigger();
    EXPECT_EQ(game->Lottery(), before);
    EXPECT_EQ(game->GridModel()->GridRowCount(), 3);
    EXPECT_EQ(game->Chart()->Series(0).Count(), 2) << "the chart is refilled, not appended to";
    game->ReloadLottery();
    ASSERT_TRUE(game->Loaded());
    EXPECT_EQ(game->GridModel()->GridRowCount(), 2);
}

TEST_F(GameWindowTest, BaixarDaInternetNeedsTheGameDefinitionFile) {
    TForm3* without = Open(Write("sem.csv", TwoDraws));
    EXPECT_FALSE(without->DownloadAction()->isEnabled());
    Write("com.ini", "[Jogo]\r\n");
    TForm3* with = Open(Write("com.csv", TwoDraws));
    EXPECT_TRUE(with->DownloadAction()->isEnabled());
    std::vector<TForm3*> runs;
    main.SetUpdateRunner([&runs](TForm3& game) { runs.push_back(&game); });
    with->DownloadAction()->trigger();
    EXPECT_EQ(runs, std::vector<TForm3*>{with});
}

TEST_F(GameWindowTest, CommandsCarryTheirCaptionsAndShortcuts) {
    TForm3* game = Open();
    ExpectCommands(game, {{"Atualizartela1", "Atualizar tela", QKeySequence(Qt::Key_F5)},
                          {"BaixardaInternet1", "Baixar da Internet", {}},
                          {"Importarresultados1", "Importar resultados...", {}},
                          {"Anliselexicogrfica1", "Análise lexicográfica", QKeySequence(Qt::Key_F6)},
                          {"Anliseatrasadas1", "Análise atrasadas", QKeySequence(Qt::Key_F7)},
                          {"Anlisebase51", "Análise segmentação", QKeySequence(Qt::Key_F8)},
                          {"Anlisebayesiana1", "Análise bayesiana", QKeySequence(Qt::Key_F9)},
                          {"Anliseposicional1", "Análise posicional", QKeySequence(Qt::Key_F11)},
                          {"Anliserecorrencial1", "Análise recorrencial", QKeySequence(Qt::Key_F12)},
                          {"Anliseposicionalbayesiana1", "Análise posicional/bayesiana",
                           QKeySequence(Qt::CTRL | Qt::Key_F6)},
                          {"Conferirapostas1", "Conferir apostas", QKeySequence(Qt::CTRL | Qt::Key_K)},
                          {"Testeretroativo1", "Teste retroativo", QKeySequence(Qt::CTRL | Qt::Key_R)},
                          {"CalculadoraCSN1", "Calculadora CSN", QKeySequence(Qt::Key_F10)}});
    // All in the "Ferramentas" menu; the tool bar has the seven analyses and the calculator.
    QMenu* tools = game->ToolsMenu();
    EXPECT_EQ(tools->title(), "Ferramentas");
    EXPECT_EQ(Captions(tools->actions()).size(), 13);
    EXPECT_EQ(game->ToolBar()->actions().size(), 8);
    // While the game window is active its menu stands in the main menu bar, before "&Janela".
    Activate(game);
    const QStringList bar = Captions(main.menuBar()->actions());
    EXPECT_EQ(bar.mid(bar.indexOf("Ferramentas"), 2), QStringList({"Ferramentas", "&Janela"}));
}

// A stand-in analysis window, counting how often it is made.
TForm2::AnalysisOpener Dummy(int& made) {
    return [&made](TForm3&) {
        ++made;
        auto* window = new QWidget;
        window->setWindowTitle("Dummy");
        return window;
    };
}

TEST_F(GameWindowTest, AnalysisWindowsOpenOnceAndCloseWithTheirGame) {
    TForm3* game = Open();
    TForm3* other = Open();
    int made = 0;
    std::vector<QPointer<QWidget>> windows;
    for (const auto kind : {TLottery::Delay, TLottery::Bayesian, TLottery::Recurrence}) {
        main.SetAnalysisOpener(kind, Dummy(made));
        game->OpenAnalysis(kind);
        windows.emplace_back(game->AnalysisWindow(kind));
        EXPECT_TRUE(game->Lottery()->WindowOpen[kind]);
    }
    QWidget* delay = windows[0];
    ASSERT_NE(delay, nullptr);
    EXPECT_EQ(delay->windowTitle(), "Dummy: megasena.csv");
    EXPECT_TRUE(delay->isVisible());
    // The command again, also from a minimised frame: the same window comes forward.
    Activate(game);
    delay->parentWidget()->showMinimized();
    Action(game, "Anliseatrasadas1")->trigger();
    EXPECT_FALSE(delay->parentWidget()->isMinimized());
    EXPECT_EQ(main.MdiArea()->activeSubWindow(), delay->parentWidget());
    EXPECT_EQ(game->AnalysisWindow(TLottery::Delay), delay);
    // Closed by the user: flag cleared, the next command opens a new one.
    CloseFrame(delay);
    EXPECT_EQ(game->AnalysisWindow(TLottery::Delay), nullptr);
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::Delay]);
    Action(game, "Anliseatrasadas1")->trigger();
    windows[0] = game->AnalysisWindow(TLottery::Delay);
    EXPECT_EQ(made, 4);

    // Closing the game closes its own analysis windows, not another game's; the
    // update's reload closes them too before the history is replaced.
    other->OpenAnalysis(TLottery::Bayesian);
    const QPointer<QWidget> othersWindow = other->AnalysisWindow(TLottery::Bayesian);
    CloseFrame(game);
    for (const auto& window : windows) EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(othersWindow.isNull());
    other->ReloadLottery();
    EXPECT_TRUE(othersWindow.isNull());
    EXPECT_FALSE(other->Lottery()->WindowOpen[TLottery::Bayesian]);
}

} // namespace

namespace {

// The game window's tool bar stands in the main window's tool panel while the
// window is maximised and back in the window otherwise; closing it leaves no
// buttons behind in the panel.
TEST_F(GameWindowTest, ToolBarMovesToThePanelWhileMaximised) {
    TForm3* game = Open();
    auto* toolBar = Find<QToolBar>(game, "ToolBar1");
    ASSERT_NE(toolBar, nullptr);
    QWidget* panel = main.ToolPanel();
    game->parentWidget()->showMaximized();
    WaitFor([&] { return toolBar->parentWidget() == panel; });
    game->parentWidget()->showNormal();
    WaitFor([&] { return toolBar->parentWidget() == game; });
    game->parentWidget()->showMaximized();
    WaitFor([&] { return toolBar->parentWidget() == panel; });
    CloseFrame(game);
    EXPECT_TRUE(panel->findChildren<QToolBar*>().isEmpty());
}

} // namespace
