// The CSN calculator window: conversion panel, ranking, test panel, pop-up
// commands, forecasts on a worker, hand-offs from the game window and what is
// left once that window has closed.
#include "GuiTestSupport.h"
#include "TCSNConversion.h"
#include "TChartView.h"

#include <QClipboard>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <memory>

namespace {

using namespace gui;

class TForm6Test : public WindowTest {
protected:
    // The calculator with a converter for n balls, k per combination.
    TForm6* Calculator(int n, int k) {
        TForm6* form = TForm6::Open(&main);
        Set(form, "Edit2", QString::number(n));
        Set(form, "Edit3", QString::number(k));
        Click(form, "Button4");
        return form;
    }
    // The calculator holding the Mega-Sena history of a game window, as F10 leaves it.
    TForm6* WithHistory(TForm3*& game) {
        game = Open();
        Action(game, "CalculadoraCSN1")->trigger();
        return TForm6::Instance();
    }
    // Candidate CSN 14086154 (the first draw) shown against the history in the chart.
    static void FirstDrawHistory(TForm6* form) {
        Set(form, "Edit6", "14086154");
        Click(form, "opHist");
        form->PopupMenu1Popup(form->Chart());
    }
    static void Set(TForm6* form, const char* name, const QString& text) {
        Find<QLineEdit>(form, name)->setText(text);
    }
    static QTableWidget* Grid(TForm6* form, const char* name) { return Find<QTableWidget>(form, name); }
    static QAction* Item(TForm6* form, const char* name) { return Action(form->PopupMenu(), name); }
    static QAction* Submenu(TForm6* form, const char* name) {
        return Find<QMenu>(form->PopupMenu(), name)->menuAction();
    }
    static QStringList Lines(TForm6* form) { return Memo(form).split('\n'); }
    static void ExpectTestPanel(TForm6* form, bool enabled) {
        for (const char* name : {"Button10", "Button12", "Button8", "Button9", "opHist"})
            EXPECT_EQ(Enabled(form, name), enabled) << name;
    }
};

TEST_F(TForm6Test, OneCalculatorThatConvertsNothingBeforeCalcular) {
    TForm6* form = TForm6::Open(&main);
    EXPECT_EQ(form->windowTitle(), "Calculadora CSN");
    ExpectTestPanel(form, false);
    Click(form, "Button1");
    Click(form, "Button3");
    EXPECT_EQ(Memo(form), "Bola\tVotos");
    EXPECT_EQ(TForm6::Open(&main), form);
    CloseFrame(form);
    EXPECT_EQ(TForm6::Instance(), nullptr);
}

TEST_F(TForm6Test, SixtySixTotalClampAndPercentMoves) {
    TForm6* form = Calculator(60, 6);
    EXPECT_EQ(Text(form, "Edit4"), "50063860");
    QTableWidget* sg1 = Grid(form, "sg1");
    EXPECT_EQ(Column(sg1, 0), (QStringList{"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(Column(sg1, 1), Column(sg1, 0));
    for (const char* csn : {"50063860", "50063861"}) {
        Set(form, "Edit1", csn);
        Click(form, "Button1");
        EXPECT_EQ(Text(form, "Edit1"), "50063860");
        EXPECT_EQ(Column(sg1, 1), (QStringList{"55", "56", "57", "58", "59", "60"}));
    }
    const struct {
        const char* button;
        const char* direction;
        const char* result;
    } moves[] = {{"Button5", "opMais", "1199"}, {"Button5", "opMenos", "800"}, {"Button6", "opMais", "1100"},
                 {"Button6", "opMenos", "900"}, {"Button7", "opMais", "1050"}, {"Button7", "opMenos", "949"}};
    for (const auto& move : moves) {
        Click(form, move.direction);
        Set(form, "Edit1", "1000");
        Click(form, move.button);
        EXPECT_EQ(Text(form, "Edit1"), move.result) << move.button << move.direction;
    }
    // Back from the balls: the order typed stays, the CSN is the sorted one's.
    Click(form, "Button4");
    sg1->item(0, 1)->setText("6"); // swaps with the 6 below
    Click(form, "Button2");
    EXPECT_EQ(Text(form, "Edit1"), "1");
    EXPECT_EQ(Column(sg1, 1), (QStringList{"6", "2", "3", "4", "5", "1"}));
}

TEST_F(TForm6Test, AbsurdSizesAreRefusedWithAMessage) {
    Calculator(60, 6);
    Answer(true);
    TForm6* form = Calculator(5000000, 6);
    EXPECT_EQ(TMessageBox::Recorded().size(), 1);
    EXPECT_EQ(Texts(form, {"Edit2", "Edit3", "Edit4"}), QStringList({"60", "6", "50063860"}));
    EXPECT_EQ(Grid(form, "sg1")->rowCount(), 6);
}

TEST_F(TForm6Test, EditingBallCellsSwapsDuplicates) {
    QTableWidget* sg1 = Grid(Calculator(60, 6), "sg1");
    // Through the cell editor, as the user types.
    sg1->setCurrentCell(0, 1);
    sg1->editItem(sg1->item(0, 1));
    auto* editor = sg1->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("6");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    ProcessDeletes();
    EXPECT_EQ(Column(sg1, 1), (QStringList{"6", "2", "3", "4", "5", "1"}));
    for (const char* typed : {"0", "61"}) {
        sg1->item(2, 1)->setText(typed);
        EXPECT_EQ(sg1->item(2, 1)->text(), "60") << typed;
    }
    sg1->item(1, 1)->setText("60"); // typing the old value back swaps again: the cell held 60 before
    EXPECT_EQ(Column(sg1, 1), (QStringList{"6", "60", "2", "4", "5", "1"}));
}

TEST_F(TForm6Test, RankingListsSharesAndCanBeStopped) {
    TForm6* form = Calculator(60, 6);
    Set(form, "Edit1", "25000000");
    Click(form, "Button3");
    WaitFor([form] { return !form->RankingRunning(); });
    TCSNRanking expected(TCSN(60, 6), 25'000'000, 0.1);
    expected.Run();
    QStringList lines;
    for (const std::string& line : TCSNConversion::RankingLines(expected)) lines.append(line.c_str());
    EXPECT_EQ(lines.size(), 61) << "the header and all 60 balls, nothing cut";
    EXPECT_EQ(Lines(form), lines);
    // Lotomania's band is bounded; pressing the button again stops it.
    form = Calculator(100, 20);
    Set(form, "Edit1", "1e20");
    Click(form, "Button3");
    ASSERT_TRUE(form->RankingRunning());
    EXPECT_EQ(Find<QPushButton>(form, "Button3")->text(), "Parar");
    Click(form, "Button3");
    WaitFor([form] { return !form->RankingRunning(); });
    EXPECT_EQ(Lines(form), (QStringList{"Bola\tVotos", "Ranking interrompido."}));
    EXPECT_EQ(Find<QPushButton>(form, "Button3")->text(), "Ranking");
}

TEST_F(TForm6Test, CopyAndPasteOfBallsAndTestBase) {
    TForm6* form = Calculator(60, 3);
    QTableWidget* sg1 = Grid(form, "sg1");
    for (const int r : {0, 1, 2}) sg1->item(r, 1)->setText(QStringList{"5", "12", "33"}[r]);
    form->PopupMenu1Popup(sg1);
    Item(form, "Copiar1")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "5;12;33");
    Item(form, "Copiardados1")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "#\tBola\t\r\n1\t5\t\r\n2\t12\t\r\n3\t33\t\r\n");
    QApplication::clipboard()->setText("7;8;9"); // pasting balls needs a history
    Item(form, "Colar1")->trigger();
    EXPECT_EQ(Column(sg1, 1), (QStringList{"5", "12", "33"}));
    // The test base takes CSNs joined by ";".
    QTableWidget* sg2 = Grid(form, "sg2");
    QApplication::clipboard()->setText("10;20;30");
    form->PopupMenu1Popup(sg2);
    Item(form, "Colar1")->trigger();
    EXPECT_EQ(Column(sg2, 0), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(Column(sg2, 1), (QStringList{"10", "20", "30"}));
    Item(form, "Copiar1")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "10;20;30");
}

TEST_F(TForm6Test, TestPanelWorksOnTheHistoryHandedOver) {
    TForm3* game = nullptr;
    TForm6* form = WithHistory(game);
    ExpectTestPanel(form, true);
    // "Adicionar" on the empty base fills row 1; the first draw's CSN shares all six balls with it.
    QTableWidget* sg2 = Grid(form, "sg2");
    Set(form, "Edit6", "14086154");
    Click(form, "Button10");
    ASSERT_EQ(sg2->rowCount(), 1);
    EXPECT_EQ(QStringList({sg2->item(0, 0)->text(), sg2->item(0, 1)->text(), sg2->item(0, 3)->text()}),
              QStringList({"1", "14086154", "6"}));
    EXPECT_EQ(form->Chart()->Series(0).Count(), 1);
    // "Histórico": the candidate's hits in every draw.
    FirstDrawHistory(form);
    const TChartSeries& hits = form->Chart()->Series(0);
    ASSERT_EQ(hits.Count(), game->Lottery()->DrawCount);
    EXPECT_EQ(QPointF(hits.X(0), hits.Y(0)), QPointF(1, 6));
    Item(form, "Copiardados1")->trigger();
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("x;y\r\n1;6\r\n2;"));
}

TEST_F(TForm6Test, NetworkForecastRunsOnAWorkerAndStops) {
    TForm3* game = nullptr;
    TForm6* form = WithHistory(game);
    const int draws = game->Lottery()->DrawCount;
    const TChartSeries& forecast = form->Chart()->Series(1);
    FirstDrawHistory(form);
    Item(form, "Anlisesemaltimacombinao1")->trigger();
    ASSERT_TRUE(form->NetworkRunning());
    EXPECT_FALSE(Submenu(form, "RedeNeural1")->isEnabled());
    EXPECT_TRUE(Item(form, "Pararanlisedarede1")->isVisible());
    WaitFor([&forecast] { return forecast.Count() > 0; }); // the chart follows the training live
    Item(form, "Pararanlisedarede1")->trigger();
    WaitFor([form] { return !form->NetworkRunning(); });
    EXPECT_EQ(TMessageBox::Last(), "Análise finalizada");
    EXPECT_TRUE(Submenu(form, "RedeNeural1")->isEnabled());
    EXPECT_FALSE(Item(form, "Pararanlisedarede1")->isVisible());
    // 60 fitted values, then 10 forecasts after the second-to-last draw.
    ASSERT_EQ(forecast.Count(), 70);
    EXPECT_EQ(forecast.X(59), draws - 1);
    EXPECT_EQ(forecast.X(69), draws + 9);
    // Nearest neighbours: one forecast per draw from the seventh on, then the next.
    Item(form, "Normal1")->trigger();
    EXPECT_EQ(forecast.Count(), draws - 7 + 1);
    EXPECT_EQ(forecast.X(forecast.Count() - 1), draws + 1);
}

TEST_F(TForm6Test, HandOffFromTheGameWindowPopupShowsTheSelectedDraw) {
    TForm3* game = Open();
    game->Grid()->setCurrentIndex(game->Grid()->model()->index(4, 2));
    Action(game->PopupMenu(), "CalculadoraCSN2")->trigger();
    TForm6* form = TForm6::Instance();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Lottery(), nullptr) << "the pop-up hands over no history";
    const TLottery& lottery = *game->Lottery();
    EXPECT_EQ(Text(form, "Edit1").toStdString(), NumberText::FormatGeneral(lottery.CSNs[4]));
    QStringList balls;
    for (size_t p = 0; p < 6; ++p) balls.append(QString::number(lottery.SortedDraws[p][4]));
    EXPECT_EQ(Column(Grid(form, "sg1"), 1), balls);
    Action(game, "CalculadoraCSN1")->trigger(); // F10 hands over the history too
    EXPECT_EQ(TForm6::Instance(), form);
    EXPECT_EQ(form->Lottery(), game->Lottery());
}

TEST_F(TForm6Test, ClosingTheGameWindowLeavesNoReferenceToItsHistory) {
    TForm3* game = nullptr;
    TForm6* form = WithHistory(game);
    FirstDrawHistory(form);
    Item(form, "Anlisecomaltimacombinao1")->trigger();
    ASSERT_TRUE(form->NetworkRunning());
    // Closing the game stops the forecast and waits for it before the history goes.
    CloseFrame(game);
    EXPECT_EQ(form->Lottery(), nullptr);
    EXPECT_FALSE(form->NetworkRunning());
    ExpectTestPanel(form, false);
    EXPECT_FALSE(Submenu(form, "RedeNeural1")->isEnabled() ||
                 Submenu(form, "kvizinhosprximos1")->isEnabled());
    // Nothing reaches the freed history (the sanitizer build would see it): the commands do nothing.
    form->Button12Click();
    form->Button10Click();
    form->Normal1Click();
    form->Anlisesemaltimacombinao1Click();
    EXPECT_FALSE(form->NetworkRunning());
    QApplication::clipboard()->setText("1;2;3");
    form->PopupMenu1Popup(Grid(form, "sg1"));
    form->Colar1Click();
    // The conversion panel still works, and a new hand-off brings the test panel back.
    Set(form, "Edit1", "2");
    Click(form, "Button1");
    EXPECT_EQ(Column(Grid(form, "sg1"), 1), (QStringList{"1", "2", "3", "4", "5", "7"}));
    EXPECT_EQ(WithHistory(game), form);
    EXPECT_EQ(form->Lottery(), game->Lottery());
    ExpectTestPanel(form, true);
}

TEST(TForm6Closing, MainWindowClosesWithTheCalculatorHoldingAHistory) {
    // The main window frees the games first, then the calculator, while it is still whole.
    auto main = std::make_unique<TForm2>();
    main->SetPrioritySetter([](int) { return true; });
    TForm6::Install(*main);
    main->show();
    TForm3* game = main->OpenFile(gui::DataDir + "/megasena.csv");
    gui::Action(game, "CalculadoraCSN1")->trigger();
    const QPointer<TForm6> form = TForm6::Instance();
    ASSERT_EQ(form->Lottery(), game->Lottery());
    main.reset();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(TForm6::Instance(), nullptr);
}

} // namespace
