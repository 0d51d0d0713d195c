// The CSN calculator window, offscreen: conversion panel, ranking, test
// panel, pop-up commands, forecasts on a worker, hand-offs from the game
// window and what is left once that window has closed.
#include "TForm6.h"
#include "NumberText.h"
#include "TCSNRanking.h"
#include "TChartView.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TMessageBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QString DataDir = QStringLiteral(TOVISCA_DATA_DIR);

class TForm6Test : public ::testing::Test {
protected:
    void SetUp() override {
        NumberText::SetDecimalSeparator(',');
        NumberText::SetThousandSeparator('.');
        TMessageBox::SetRecording(true);
        TMessageBox::ClearRecorded();
        main.SetPrioritySetter([](int) { return true; });
        main.resize(1400, 1000);
        main.show();
        TForm6::Install(main);
        QApplication::processEvents();
    }
    void TearDown() override {
        // The calculator outlives game windows, not the test's main window.
        if (TForm6* form = TForm6::Instance()) delete form->parentWidget();
        ProcessDeletes();
    }

    static void ProcessDeletes() {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    // A calculator with a converter for n balls, k per combination.
    TForm6* Calculator(int n, int k) {
        TForm6* form = TForm6::Open(&main);
        Edit(form, "Edit2")->setText(QString::number(n));
        Edit(form, "Edit3")->setText(QString::number(k));
        Click(form, "Button4");
        return form;
    }

    static QLineEdit* Edit(TForm6* form, const char* name) {
        return form->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    static QPushButton* Button(TForm6* form, const char* name) {
        return form->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    static void Click(TForm6* form, const char* name) { Button(form, name)->click(); }
    static QRadioButton* Option(TForm6* form, const char* name) {
        return form->findChild<QRadioButton*>(QString::fromLatin1(name));
    }
    static QTableWidget* Grid(TForm6* form, const char* name) {
        return form->findChild<QTableWidget*>(QString::fromLatin1(name));
    }
    static QAction* Item(TForm6* form, const char* name) {
        return form->PopupMenu()->findChild<QAction*>(QString::fromLatin1(name));
    }
    static QAction* Submenu(TForm6* form, const char* name) {
        return form->PopupMenu()->findChild<QMenu*>(QString::fromLatin1(name))->menuAction();
    }
    static QStringList Column(QTableWidget* grid, int column) {
        QStringList texts;
        for (int r = 0; r < grid->rowCount(); ++r)
            texts.append(grid->item(r, column) ? grid->item(r, column)->text() : "");
        return texts;
    }
    static QStringList MemoLines(TForm6* form) {
        return form->findChild<QPlainTextEdit*>("Memo1")->toPlainText().split('\n');
    }

    static void WaitForRanking(TForm6* form) {
        if (!form->RankingRunning()) return;
        QEventLoop loop;
        QObject::connect(form, &TForm6::RankingDone, &loop, &QEventLoop::quit);
        loop.exec();
    }
    static void WaitForNetwork(TForm6* form) {
        if (!form->NetworkRunning()) return;
        QEventLoop loop;
        QObject::connect(form, &TForm6::NetworkDone, &loop, &QEventLoop::quit);
        loop.exec();
    }

    TForm3* OpenMegaSena() { return main.OpenFile(DataDir + "/megasena.csv"); }

    TForm2 main;
};

} // namespace

TEST_F(TForm6Test, ControlsAndTheirStartingTexts) {
    TForm6* form = TForm6::Open(&main);
    EXPECT_EQ(form->windowTitle(), "Calculadora CSN");
    EXPECT_EQ(Edit(form, "Edit1")->text(), "1");
    EXPECT_EQ(Edit(form, "Edit2")->text(), "0");
    EXPECT_EQ(Edit(form, "Edit4")->text(), "0");
    EXPECT_TRUE(Edit(form, "Edit4")->isReadOnly());
    EXPECT_EQ(Edit(form, "Edit5")->text(), "10");
    EXPECT_EQ(Edit(form, "Edit6")->toolTip(), "Combinação a adicionar ou verificar na base de teste.");
    EXPECT_TRUE(Option(form, "opMais")->isChecked());
    EXPECT_TRUE(Option(form, "opBase")->isChecked());
    EXPECT_FALSE(Button(form, "Button11")->isEnabled());
    EXPECT_EQ(Button(form, "Button12")->toolTip(), "Verifica os ganhos da combinação na base de testes.");
    QTableWidget* sg2 = Grid(form, "sg2");
    ASSERT_EQ(sg2->columnCount(), 6);
    EXPECT_EQ(sg2->horizontalHeaderItem(5)->text(), "Repetições(Hist)");
    EXPECT_EQ(sg2->rowCount(), 1);
    EXPECT_EQ(form->Chart()->Title(), "Distribuição recorrencial da combinação");
    ASSERT_EQ(form->Chart()->SeriesCount(), 2);
    EXPECT_EQ(form->Chart()->Series(1).Title(), "Previsão");
    EXPECT_FALSE(Submenu(form, "kvizinhosprximos1")->isVisible());
    EXPECT_FALSE(Item(form, "Pararanlisedarede1")->isVisible());
    EXPECT_FALSE(Item(form, "Wavelet1")->isEnabled());
    // Nothing converts before the first "Calcular".
    Click(form, "Button1");
    Click(form, "Button3");
    EXPECT_EQ(MemoLines(form), QStringList{"Bola\tVotos"});

    // One calculator for the whole program.
    EXPECT_EQ(TForm6::Instance(), form);
    EXPECT_EQ(TForm6::Open(&main), form);
    form->parentWidget()->close();
    ProcessDeletes();
    EXPECT_EQ(TForm6::Instance(), nullptr);
    EXPECT_NE(TForm6::Open(&main), nullptr);
}

TEST_F(TForm6Test, SixtySixTotalClampAndPercentMoves) {
    TForm6* form = Calculator(60, 6);
    EXPECT_EQ(Edit(form, "Edit4")->text(), "50063860");
    QTableWidget* sg1 = Grid(form, "sg1");
    EXPECT_EQ(Column(sg1, 0), (QStringList{"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(Column(sg1, 1), (QStringList{"1", "2", "3", "4", "5", "6"}));

    Edit(form, "Edit1")->setText("50063860");
    Click(form, "Button1");
    EXPECT_EQ(Column(sg1, 1), (QStringList{"55", "56", "57", "58", "59", "60"}));
    Edit(form, "Edit1")->setText("50063861");
    Click(form, "Button1");
    EXPECT_EQ(Edit(form, "Edit1")->text(), "50063860");
    EXPECT_EQ(Column(sg1, 1), (QStringList{"55", "56", "57", "58", "59", "60"}));

    struct Move {
        const char* button;
        bool up;
        const char* result;
    };
    for (const Move& move :
         {Move{"Button5", true, "1199"}, Move{"Button5", false, "800"}, Move{"Button6", true, "1100"},
          Move{"Button6", false, "900"}, Move{"Button7", true, "1050"}, Move{"Button7", false, "949"}}) {
        Option(form, move.up ? "opMais" : "opMenos")->setChecked(true);
        Edit(form, "Edit1")->setText("1000");
        Click(form, move.button);
        EXPECT_EQ(Edit(form, "Edit1")->text(), move.result) << move.button << (move.up ? " +" : " -");
    }

    // Back from the balls: the order typed stays, the CSN is the sorted one's.
    Click(form, "Button4");
    sg1->item(0, 1)->setText("6"); // swaps with the 6 below
    Click(form, "Button2");
    EXPECT_EQ(Edit(form, "Edit1")->text(), "1");
    EXPECT_EQ(Column(sg1, 1), (QStringList{"6", "2", "3", "4", "5", "1"}));
}

TEST_F(TForm6Test, AbsurdSizesAreRefused) {
    TForm6* form = Calculator(60, 6);
    for (const auto& [n, k] : {std::pair{"5000000", "6"}, std::pair{"6", "60"}, std::pair{"1000", "500"}}) {
        TMessageBox::ClearRecorded();
        Edit(form, "Edit2")->setText(n);
        Edit(form, "Edit3")->setText(k);
        Click(form, "Button4");
        EXPECT_EQ(TMessageBox::Recorded().size(), 1) << n << "/" << k;
        EXPECT_EQ(Edit(form, "Edit2")->text(), "60");
        EXPECT_EQ(Edit(form, "Edit3")->text(), "6");
        EXPECT_EQ(Edit(form, "Edit4")->text(), "50063860");
        EXPECT_EQ(Grid(form, "sg1")->rowCount(), 6);
    }
    // Not integers: both sizes become 1.
    Edit(form, "Edit2")->setText("x");
    Click(form, "Button4");
    EXPECT_EQ(Edit(form, "Edit2")->text(), "1");
    EXPECT_EQ(Edit(form, "Edit3")->text(), "1");
    EXPECT_EQ(Edit(form, "Edit4")->text(), "1");
}

TEST_F(TForm6Test, EditingBallCellsSwapsDuplicates) {
    TForm6* form = Calculator(60, 6);
    QTableWidget* sg1 = Grid(form, "sg1");

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
    // Typing the old value back swaps again: the cell held 60 before.
    sg1->item(1, 1)->setText("60");
    EXPECT_EQ(Column(sg1, 1), (QStringList{"6", "60", "2", "4", "5", "1"}));
}

TEST_F(TForm6Test, RankingListsSharesAndCanBeStopped) {
    TForm6* form = Calculator(60, 6);
    Edit(form, "Edit1")->setText("25000000");
    Click(form, "Button3");
    WaitForRanking(form);
    TCSNRanking expected(TCSN(60, 6), 25'000'000, 0.1);
    expected.Run();
    QStringList lines;
    for (const std::string& line : TCSNConversion::RankingLines(expected))
        lines.append(QString::fromStdString(line));
    EXPECT_EQ(MemoLines(form), lines);
    EXPECT_EQ(lines.size(), 61) << "the header and all 60 balls, nothing cut";
    EXPECT_EQ(Button(form, "Button3")->text(), "Ranking");

    // Text that is not a number: CSN 0 with 10 %, the band cut at 1.
    Edit(form, "Edit5")->setText("dez");
    Click(form, "Button3");
    WaitForRanking(form);
    EXPECT_EQ(MemoLines(form).size(), 62);
    EXPECT_TRUE(MemoLines(form).last().startsWith("Faixa limitada aos CSNs de 1 a 5006386"))
        << MemoLines(form).last().toStdString();

    // Lotomania's band is bounded; pressing the button again stops it.
    form = Calculator(100, 20);
    Edit(form, "Edit1")->setText("1e20");
    Edit(form, "Edit5")->setText("10");
    Click(form, "Button3");
    ASSERT_TRUE(form->RankingRunning());
    EXPECT_EQ(Button(form, "Button3")->text(), "Parar");
    Click(form, "Button3");
    WaitForRanking(form);
    EXPECT_EQ(MemoLines(form), (QStringList{"Bola\tVotos", "Ranking interrompido."}));
    EXPECT_EQ(Button(form, "Button3")->text(), "Ranking");
}

TEST_F(TForm6Test, CopyAndPasteOfBallsAndTestBase) {
    TForm6* form = Calculator(60, 3);
    QTableWidget* sg1 = Grid(form, "sg1");
    sg1->item(0, 1)->setText("5");
    sg1->item(1, 1)->setText("12");
    sg1->item(2, 1)->setText("33");
    form->PopupMenu1Popup(sg1);
    Item(form, "Copiar1")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "5;12;33");
    Item(form, "Copiardados1")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "#\tBola\t\r\n1\t5\t\r\n2\t12\t\r\n3\t33\t\r\n");

    // Pasting balls needs a history: without one nothing changes.
    QApplication::clipboard()->setText("7;8;9");
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
    TForm6* form = TForm6::Open(&main);
    for (const char* name : {"Button10", "Button12", "Button8", "Button9"})
        EXPECT_FALSE(Button(form, name)->isEnabled());
    EXPECT_FALSE(Option(form, "opBase")->isEnabled());
    EXPECT_FALSE(Option(form, "opHist")->isEnabled());

    TForm3* game = OpenMegaSena();
    TLottery* lottery = game->Lottery();
    form->HandOff(lottery, 60, 6);
    for (const char* name : {"Button10", "Button12", "Button8", "Button9"})
        EXPECT_TRUE(Button(form, name)->isEnabled());
    EXPECT_TRUE(Option(form, "opHist")->isEnabled());

    // "Adicionar" on the empty base fills row 1; the candidate shares all six balls.
    QTableWidget* sg2 = Grid(form, "sg2");
    Edit(form, "Edit6")->setText("14086154"); // the first draw
    Click(form, "Button10");
    ASSERT_EQ(sg2->rowCount(), 1);
    EXPECT_EQ(sg2->item(0, 0)->text(), "1");
    EXPECT_EQ(sg2->item(0, 1)->text(), "14086154");
    EXPECT_EQ(sg2->item(0, 3)->text(), "6");
    EXPECT_EQ(form->Chart()->Series(0).Count(), 1);
    Edit(form, "Edit6")->setText("1");
    Click(form, "Button10");
    ASSERT_EQ(sg2->rowCount(), 2);
    EXPECT_EQ(sg2->item(1, 2)->text(), "1, 2, 3, 4, 5, 6");

    // A row click takes its CSN and enables "Remover".
    form->sg2Click(0);
    EXPECT_EQ(Edit(form, "Edit6")->text(), "14086154");
    EXPECT_TRUE(Button(form, "Button11")->isEnabled());
    sg2->setCurrentCell(0, 0);
    Click(form, "Button11");
    ASSERT_EQ(sg2->rowCount(), 1);
    EXPECT_EQ(sg2->item(0, 0)->text(), "2");

    // "+" and "-" step the candidate and check again.
    Edit(form, "Edit6")->setText("50063860");
    Click(form, "Button8");
    EXPECT_EQ(Edit(form, "Edit6")->text(), "50063860");
    Click(form, "Button9");
    EXPECT_EQ(Edit(form, "Edit6")->text(), "50063859");

    // "Histórico": the candidate's hits in every draw.
    Edit(form, "Edit6")->setText("14086154");
    Option(form, "opHist")->setChecked(true);
    const TChartSeries& hits = form->Chart()->Series(0);
    ASSERT_EQ(hits.Count(), lottery->DrawCount);
    EXPECT_EQ(hits.X(0), 1);
    EXPECT_EQ(hits.Y(0), 6);

    form->PopupMenu1Popup(form->Chart());
    Item(form, "Copiardados1")->trigger();
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("x;y\r\n1;6\r\n2;"));
}

TEST_F(TForm6Test, PopupShowsForecastsOnlyOverTheHistoryChart) {
    TForm3* game = OpenMegaSena();
    TForm6* form = TForm6::Open(&main);
    form->HandOff(game->Lottery(), 60, 6);
    QAction* rede = Submenu(form, "RedeNeural1");
    QAction* vizinhos = Submenu(form, "kvizinhosprximos1");
    form->PopupMenu1Popup(Grid(form, "sg1"));
    EXPECT_FALSE(rede->isVisible());
    form->PopupMenu1Popup(form->Chart());
    EXPECT_FALSE(rede->isVisible()) << "\"Base de testes\" is selected";
    Option(form, "opHist")->setChecked(true);
    form->PopupMenu1Popup(form->Chart());
    EXPECT_TRUE(rede->isVisible());
    EXPECT_TRUE(vizinhos->isVisible());
    form->PopupMenu1Popup(Grid(form, "sg2"));
    EXPECT_FALSE(vizinhos->isVisible());

    // Pasting balls on the chart fills the ball grid from the game's
    // converter; with a calculator of 8 balls per combination only the
    // game's 6 rows are filled.
    Edit(form, "Edit3")->setText("8");
    Click(form, "Button4");
    QApplication::clipboard()->setText("4;15;42;43;44;45");
    form->PopupMenu1Popup(form->Chart());
    Item(form, "Colar1")->trigger();
    EXPECT_EQ(Column(Grid(form, "sg1"), 1), (QStringList{"4", "15", "42", "43", "44", "45", "7", "8"}));
}

TEST_F(TForm6Test, NetworkForecastRunsOnAWorkerAndStops) {
    TForm3* game = OpenMegaSena();
    TForm6* form = TForm6::Open(&main);
    form->HandOff(game->Lottery(), 60, 6);
    Edit(form, "Edit6")->setText("14086154");
    Option(form, "opHist")->setChecked(true);
    const int draws = game->Lottery()->DrawCount;
    const TChartSeries& forecast = form->Chart()->Series(1);

    form->PopupMenu1Popup(form->Chart());
    Item(form, "Anlisesemaltimacombinao1")->trigger();
    ASSERT_TRUE(form->NetworkRunning());
    EXPECT_FALSE(Submenu(form, "RedeNeural1")->isEnabled());
    EXPECT_TRUE(Item(form, "Pararanlisedarede1")->isVisible());
    // The chart follows the training live.
    while (forecast.Count() == 0) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    Item(form, "Pararanlisedarede1")->trigger();
    WaitForNetwork(form);

    EXPECT_EQ(TMessageBox::Last(), "Análise finalizada");
    EXPECT_TRUE(Submenu(form, "RedeNeural1")->isEnabled());
    EXPECT_FALSE(Item(form, "Pararanlisedarede1")->isVisible());
    // 60 fitted values, then 10 forecasts after the second-to-last draw.
    ASSERT_EQ(forecast.Count(), 70);
    EXPECT_EQ(forecast.X(59), draws - 1);
    EXPECT_EQ(forecast.X(60), draws);
    EXPECT_EQ(forecast.X(69), draws + 9);

    // Nearest neighbours: one forecast per draw from the seventh on, then the next.
    TMessageBox::ClearRecorded();
    Item(form, "Normal1")->trigger();
    EXPECT_EQ(TMessageBox::Last(), "Análise finalizada");
    EXPECT_EQ(forecast.Count(), draws - 7 + 1);
    EXPECT_EQ(forecast.X(forecast.Count() - 1), draws + 1);
}

TEST_F(TForm6Test, HandOffFromTheGameWindowPopupShowsTheSelectedDraw) {
    TForm3* game = OpenMegaSena();
    game->Grid()->setCurrentIndex(game->Grid()->model()->index(4, 2));
    game->PopupMenu()->findChild<QAction*>("CalculadoraCSN2")->trigger();
    TForm6* form = TForm6::Instance();
    ASSERT_NE(form, nullptr);
    // The pop-up hands over no history.
    EXPECT_EQ(form->Lottery(), nullptr);
    const TLottery& lottery = *game->Lottery();
    EXPECT_EQ(Edit(form, "Edit1")->text(),
              QString::fromStdString(NumberText::FormatGeneral(lottery.CSNs[4])));
    QStringList balls;
    for (int p = 0; p < 6; ++p) balls.append(QString::number(lottery.SortedDraws[static_cast<size_t>(p)][4]));
    EXPECT_EQ(Column(Grid(form, "sg1"), 1), balls);

    // F10 hands over the history too.
    game->findChild<QAction*>("CalculadoraCSN1")->trigger();
    EXPECT_EQ(TForm6::Instance(), form);
    EXPECT_EQ(form->Lottery(), game->Lottery());
    EXPECT_EQ(Edit(form, "Edit4")->text(), "50063860");
}

TEST_F(TForm6Test, ClosingTheGameWindowLeavesNoReferenceToItsHistory) {
    TForm3* game = OpenMegaSena();
    game->findChild<QAction*>("CalculadoraCSN1")->trigger();
    TForm6* form = TForm6::Instance();
    ASSERT_EQ(form->Lottery(), game->Lottery());
    Edit(form, "Edit6")->setText("14086154");
    Option(form, "opHist")->setChecked(true);
    form->PopupMenu1Popup(form->Chart());
    Item(form, "Anlisecomaltimacombinao1")->trigger();
    ASSERT_TRUE(form->NetworkRunning());

    // Closing the game stops the forecast and waits for it before the history goes.
    game->parentWidget()->close();
    ProcessDeletes();
    EXPECT_EQ(form->Lottery(), nullptr);
    EXPECT_FALSE(form->NetworkRunning());
    for (const char* name : {"Button10", "Button12", "Button8", "Button9"})
        EXPECT_FALSE(Button(form, name)->isEnabled());
    EXPECT_FALSE(Option(form, "opHist")->isEnabled());
    EXPECT_FALSE(Submenu(form, "RedeNeural1")->isEnabled());
    EXPECT_FALSE(Submenu(form, "kvizinhosprximos1")->isEnabled());

    // Nothing reaches the freed history: the commands do nothing.
    form->Button12Click();
    form->Button10Click();
    form->Normal1Click();
    form->Anlisesemaltimacombinao1Click();
    EXPECT_FALSE(form->NetworkRunning());
    QApplication::clipboard()->setText("1;2;3");
    form->PopupMenu1Popup(Grid(form, "sg1"));
    form->Colar1Click();
    // The conversion panel still works.
    Edit(form, "Edit1")->setText("2");
    Click(form, "Button1");
    EXPECT_EQ(Column(Grid(form, "sg1"), 1), (QStringList{"1", "2", "3", "4", "5", "7"}));

    // A new hand-off brings the test panel back.
    TForm3* other = OpenMegaSena();
    other->findChild<QAction*>("CalculadoraCSN1")->trigger();
    EXPECT_EQ(form->Lottery(), other->Lottery());
    EXPECT_TRUE(Button(form, "Button12")->isEnabled());
}

TEST_F(TForm6Test, MainWindowClosesWithTheCalculatorOpen) {
    // The calculator outlives the game windows: closing the program with
    // both open frees the games first, then the calculator, while the main
    // window is still whole.
    auto other = std::make_unique<TForm2>();
    other->SetPrioritySetter([](int) { return true; });
    other->show();
    TForm6::Install(*other);
    TForm3* game = other->OpenFile(DataDir + "/megasena.csv");
    game->findChild<QAction*>("CalculadoraCSN1")->trigger();
    QPointer<TForm6> form = TForm6::Instance();
    ASSERT_FALSE(form.isNull());
    EXPECT_EQ(form->Lottery(), game->Lottery());
    other.reset();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(TForm6::Instance(), nullptr);
}
