// The "Conferir apostas" window inside the main window: opened by Ctrl+K from
// the game window with the game's prize tiers, typed bets and a bets file
// checked on the worker over a contest range, a bad line refused with its
// number, the chart of the selected bet, "Copiar", "Parar" and closing mid-run.
#include "TBetCheckForm.h"
#include "GuiTestSupport.h"
#include "TChartSeries.h"
#include "TChartView.h"

#include <QClipboard>
#include <QPointer>
#include <QProgressBar>
#include <QSpinBox>
#include <QTableView>

namespace {

using namespace gui;

// A 10/3 game of contests 1..4 with its tiers 3 and 2:
//   {1,2,3} {1,2,4} {1,2,3} {5,6,10}
const char* const SmallGame = "Concurso;Bola1;Bola2;Bola3\r\n1;1;2;3\r\n2;1;2;4\r\n3;3;2;1\r\n4;5;6;10\r\n";

class TBetCheckFormTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        TBetCheckForm::Install(main);
    }
    TBetCheckForm* OpenWindow(const QString& path) {
        game = Open(path);
        Action(game, "Conferirapostas1")->trigger();
        auto* window = qobject_cast<TBetCheckForm*>(game->AnalysisWindow(TLottery::BetCheck));
        EXPECT_NE(window, nullptr);
        return window;
    }
    TBetCheckForm* OpenSmallGame() {
        Write("g.ini", "[Server]\r\nurl=\r\n[Premios]\r\nFaixas=3,2\r\n");
        return OpenWindow(Write("g.csv", SmallGame));
    }
    static void Check(TBetCheckForm* window) {
        Click(window, "Button1");
        WaitFor([window] { return !window->Running(); });
    }
    static QString Cell(TBetCheckForm* window, int row, int column) {
        const QAbstractItemModel* model = Find<QTableView>(window, "sg1")->model();
        return model->data(model->index(row, column)).toString();
    }
    static const TChartSeries& Hits(TBetCheckForm* window) {
        return Find<TChartView>(window, "Chart1")->Series(0);
    }

    TForm3* game = nullptr;
};

TEST_F(TBetCheckFormTest, OpensFromTheGameWindowWithTheWholeHistoryAndTheGameTiers) {
    TBetCheckForm* window = OpenSmallGame();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Conferir apostas: g.csv");
    EXPECT_EQ(Action(game, "Conferirapostas1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_K));
    EXPECT_TRUE(game->Lottery()->WindowOpen[TLottery::BetCheck]);
    EXPECT_EQ(window->Tiers(), (std::vector<int32_t>{3, 2}));
    EXPECT_EQ(Find<QSpinBox>(window, "edFrom")->value(), 1);
    EXPECT_EQ(Find<QSpinBox>(window, "edTo")->value(), 4);
    EXPECT_EQ(Find<QAbstractButton>(window, "Button1")->text(), "Conferir");
    EXPECT_FALSE(Enabled(window, "Button3"));
    EXPECT_FALSE(Shown(window, "Edit1"));
    EXPECT_FALSE(Shown(window, "Button2"));
    EXPECT_EQ(Find<QAbstractButton>(window, "btArquivo")->text(), "Abrir...");
    EXPECT_NE(Find<QProgressBar>(window, "ProgressBar1"), nullptr);
    EXPECT_EQ(Find<QTableWidget>(window, "sg2")->item(0, 2)->text(), "Esperado");
    // The same command again brings the same window forward.
    Action(game, "Conferirapostas1")->trigger();
    EXPECT_EQ(game->AnalysisWindow(TLottery::BetCheck), window);
}

TEST_F(TBetCheckFormTest, ChecksTypedBetsAndShowsTablesChartAndCopy) {
    TBetCheckForm* window = OpenSmallGame();
    Find<QPlainTextEdit>(window, "MemoBets")->setPlainText("# minhas\n1 2 3\n4;5;6;7\n");
    Check(window);
    ASSERT_NE(window->LastOutcome(), nullptr);
    const auto* view = Find<QTableView>(window, "sg1");
    ASSERT_EQ(view->model()->rowCount(), 2);
    EXPECT_EQ(QStringList({Cell(window, 0, 0), Cell(window, 0, 1), Cell(window, 0, 2), Cell(window, 0, 3),
                           Cell(window, 0, 4)}),
              QStringList({"1 2 3", "2", "1", "3", "3"}));
    EXPECT_EQ(QStringList({Cell(window, 1, 0), Cell(window, 1, 3), Cell(window, 1, 4)}),
              QStringList({"4 5 6 7", "2", "4"}));
    // Totals: 3 hits twice; by chance 4 x (1/120 + 4/120) = 0,1667.
    auto* totals = Find<QTableWidget>(window, "sg2");
    EXPECT_EQ(Column(totals, 0), QStringList({"Faixa", "3 acertos", "2 acertos"}));
    EXPECT_EQ(Column(totals, 1), QStringList({"Observado", "2", "2"}));
    EXPECT_EQ(totals->item(1, 2)->text(), "0,1667");
    EXPECT_TRUE(Memo(window).contains("Apostas conferidas: 2")) << Memo(window);
    EXPECT_TRUE(Memo(window).contains("Melhor resultado: 3 acertos na aposta 1, concurso 3")) << Memo(window);
    EXPECT_EQ(Find<QProgressBar>(window, "ProgressBar1")->value(), 1000);

    // The chart: the first bet's hits per contest, then the second's.
    const TChartSeries& hits = Hits(window);
    ASSERT_EQ(hits.Count(), 4);
    EXPECT_EQ(QList<double>({hits.X(0), hits.Y(0), hits.X(3), hits.Y(3)}), QList<double>({1, 3, 4, 0}));
    Find<QTableView>(window, "sg1")->selectRow(1);
    EXPECT_EQ(QList<double>({hits.Y(0), hits.Y(1), hits.Y(3)}), QList<double>({0, 1, 2}));

    // "Copiar" over the table copies every bet, over the totals the totals.
    RightClick(Find(window, "sg1"));
    Action(window, "Copiar1")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "Aposta\t3 acertos\t2 acertos\tMelhor\tConcurso\t\r\n"
                                                 "1 2 3\t2\t1\t3\t3\t\r\n"
                                                 "4 5 6 7\t0\t1\t2\t4\t\r\n");
    RightClick(totals);
    Action(window, "Copiar1")->trigger();
    EXPECT_TRUE(
        QApplication::clipboard()->text().startsWith("Faixa\tObservado\tEsperado\t\r\n3 acertos\t2\t"));
}

TEST_F(TBetCheckFormTest, ABadLineIsRefusedWithItsNumberAndNothingIsChecked) {
    TBetCheckForm* window = OpenSmallGame();
    Find<QPlainTextEdit>(window, "MemoBets")->setPlainText("1 2 3\n1 2 3\n\n4 5 11\n");
    Check(window);
    EXPECT_EQ(TMessageBox::Last(), "Linha 4: a bola 11 está fora de 1 a 10.");
    EXPECT_EQ(Find<QTableView>(window, "sg1")->model()->rowCount(), 0);
    EXPECT_EQ(Find<QTableWidget>(window, "sg2")->rowCount(), 1);
    EXPECT_EQ(Memo(window), "Linha 4: a bola 11 está fora de 1 a 10.");
}

TEST_F(TBetCheckFormTest, ChecksABetsFileOverAContestRange) {
    TBetCheckForm* window = OpenSmallGame();
    // A file named in the field wins over typed bets.
    TFileDialog::Script({Write("bets.txt", "1,2,3\r\n5 6 10 9\r\n")});
    Click(window, "btArquivo");
    EXPECT_EQ(Text(window, "edArquivo"), PathOf("bets.txt"));
    Find<QPlainTextEdit>(window, "MemoBets")->setPlainText("7 8 9\n");
    Find<QSpinBox>(window, "edFrom")->setValue(2);
    Find<QSpinBox>(window, "edTo")->setValue(3);
    Check(window);
    ASSERT_EQ(Find<QTableView>(window, "sg1")->model()->rowCount(), 2);
    EXPECT_EQ(window->LastOutcome()->Result.Contests, 2);
    EXPECT_EQ(QStringList({Cell(window, 0, 1), Cell(window, 0, 2), Cell(window, 0, 4)}),
              QStringList({"1", "1", "3"}));
    EXPECT_EQ(Hits(window).Count(), 2);
    EXPECT_TRUE(Memo(window).contains("Concursos: 2 (de 2 a 3)")) << Memo(window);
}

TEST_F(TBetCheckFormTest, StopsAndClosesWhileChecking) {
    // Many bets against Mega-Sena: long enough to be stopped.
    std::string bets;
    for (int b = 0; b < 300000; ++b)
        for (int i = 0; i < 6; ++i) bets += std::to_string((b * 7 + i * 11) % 60 + 1) + (i < 5 ? " " : "\n");
    const QString file = Write("many.txt", bets);
    TBetCheckForm* window = OpenWindow(DataDir + "/megasena.csv");
    Find<QLineEdit>(window, "edArquivo")->setText(file);
    Click(window, "Button1");
    EXPECT_TRUE(window->Running());
    EXPECT_TRUE(Enabled(window, "Button3"));
    EXPECT_FALSE(Enabled(window, "MemoBets"));
    Click(window, "Button3");
    WaitFor([window] { return !window->Running(); });
    EXPECT_TRUE(Enabled(window, "Button1"));
    EXPECT_FALSE(Enabled(window, "Button3"));

    // Closing mid-run stops the worker; the window and its flag go.
    Click(window, "Button1");
    const QPointer<TBetCheckForm> closing = window;
    CloseFrame(window);
    EXPECT_TRUE(closing.isNull());
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::BetCheck]);
}

} // namespace
