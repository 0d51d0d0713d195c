// The positional analysis window inside the main window: opening from the
// game window with the controls' texts and defaults, the preset ball, the
// styles and notations, the group chart, the line click message, copying
// and the calculator hand-offs.
#include "GuiTestSupport.h"
#include "TChartView.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QSpinBox>

namespace {

using namespace gui;

class TForm9Test : public WindowTest {
protected:
    // The game window of the file and its positional window, opened by F11.
    TForm9* OpenAnalysis(const QString& path = DataDir + "/megasena.csv") {
        game = Open(path);
        Action(game, "Anliseposicional1")->trigger();
        auto* window = qobject_cast<TForm9*>(game->AnalysisWindow(TLottery::Positional));
        EXPECT_NE(window, nullptr);
        return window;
    }
    static QString Cell(TForm9* window, int row, int column) {
        const QTableWidgetItem* item = Find<QTableWidget>(window, "sg1")->item(row, column);
        return item ? item->text() : QString();
    }
    static QStringList Captions(TForm9* window, std::initializer_list<const char*> names) {
        QStringList texts;
        for (const char* name : names) texts.append(Find<QAbstractButton>(window, name)->text());
        return texts;
    }
    TForm3* game = nullptr;
};

TEST_F(TForm9Test, OpensWithItsControlsTextsAndDefaults) {
    TForm9* window = OpenAnalysis();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Análise posicional: megasena.csv");
    auto* upDown = Find<QSpinBox>(window, "UpDown1");
    EXPECT_EQ(QList<int>({upDown->minimum(), upDown->value(), upDown->maximum()}),
              QList<int>({10, 60, 3047}));
    EXPECT_EQ(Text(window, "Edit1"), "60");
    EXPECT_EQ(window->Engine().SampleSize(), 60);
    EXPECT_FALSE(Shown(window, "Button1"));
    EXPECT_FALSE(Shown(window, "Button5"));
    EXPECT_EQ(Find<QAbstractButton>(window, "Button2")->text(), "Preview");
    auto* positions = Find<QComboBox>(window, "ComboBox1");
    ASSERT_EQ(positions->count(), 6);
    EXPECT_EQ(positions->itemText(0) + "|" + positions->itemText(5), "1ª bola|6ª bola");
    EXPECT_EQ(positions->toolTip(), "Bola a analisar");
    auto* balls = Find<QComboBox>(window, "ComboBox2");
    ASSERT_EQ(balls->count(), 60);
    EXPECT_EQ(balls->itemText(59), "60ª dezena");
    EXPECT_EQ(balls->toolTip(), "Dezena a visualizar no gráfico.");
    EXPECT_FALSE(Shown(window, "ComboBox2"));
    EXPECT_TRUE(Shown(window, "opGrupo"));
    EXPECT_FALSE(Shown(window, "opFrac"));
    EXPECT_TRUE(Checked(window, "opPosicao"));
    EXPECT_TRUE(Checked(window, "opReal"));
    EXPECT_EQ(
        Captions(window, {"opPosicao", "opAdiant", "opAtraso", "opReal", "opTeor", "opDifer", "opGrupo"}),
        QStringList({"Posição", "Adiantamento", "Atraso", "Real", "Teórico", "Delta", "Grupo"}));
    auto* frac = Find<QComboBox>(window, "opFrac");
    EXPECT_EQ(QStringList({frac->itemText(0), frac->itemText(1), frac->itemText(2)}),
              QStringList({"Quant.", "Fração", "Percen."}));
    EXPECT_EQ(Find<QRadioButton>(window, "opAtraso")->toolTip(),
              "Mostra o atraso (em número de vezes não sorteada em sequência) da dezena em dada posição.");
    EXPECT_EQ(Memo(window), "Sem previsão");
    EXPECT_EQ(Text(window, "Edit2") + Text(window, "Edit3"), "00");

    // The grid of the last 60 draws: one row per ball, one column per position.
    auto* grid = Find<QTableWidget>(window, "sg1");
    EXPECT_EQ(grid->rowCount(), 61);
    EXPECT_EQ(grid->columnCount(), 7);
    EXPECT_EQ(Cell(window, 0, 0), "dez/bola");
    int total = 0;
    for (int r = 1; r <= 60; ++r) total += Cell(window, r, 1).trimmed().toInt();
    EXPECT_EQ(total, 60);
    auto* chart2 = Find<TChartView>(window, "Chart2");
    EXPECT_TRUE(chart2->isVisible());
    EXPECT_FALSE(Find<TChartView>(window, "Chart1")->isVisible());
    EXPECT_EQ(chart2->Title(), "Distribuição normal - bola 1");
    EXPECT_EQ(chart2->BottomAxisTitle(), "Dezena");
    EXPECT_EQ(chart2->Series(0).Title() + "|" + chart2->Series(1).Title(), "Dezenas|Teórica");
    EXPECT_FALSE(chart2->LegendVisible());

    // Closed, the game forgets it.
    const QPointer<TForm9> closed(window);
    CloseFrame(window);
    EXPECT_TRUE(closed.isNull());
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::Positional]);
}

TEST_F(TForm9Test, PositionPresetsTheMostLikelyBallAndStylesSwitchControls) {
    TForm9* window = OpenAnalysis();
    auto* balls = Find<QComboBox>(window, "ComboBox2");
    EXPECT_EQ(balls->currentIndex(), 0);
    Find<QComboBox>(window, "ComboBox1")->setCurrentIndex(5);
    EXPECT_EQ(balls->currentIndex(), 59);
    EXPECT_EQ(Find<TChartView>(window, "Chart2")->Title(), "Distribuição normal - bola 6");
    Find<QComboBox>(window, "ComboBox1")->setCurrentIndex(0);

    Click(window, "opAtraso");
    EXPECT_TRUE(Shown(window, "ComboBox2"));
    EXPECT_FALSE(Shown(window, "opGrupo"));
    EXPECT_EQ(Find<QTableWidget>(window, "sg1")->columnCount(), 51);
    EXPECT_EQ(Cell(window, 0, 0) + "|" + Cell(window, 0, 1) + "|" + Cell(window, 0, 50), "dez/atraso|-1|-50");
    EXPECT_EQ(Find<TChartView>(window, "Chart2")->BottomAxisTitle(), "Atraso(-)/Adiantamento(+)");
    Click(window, "opAdiant");
    EXPECT_EQ(Cell(window, 0, 0) + "|" + Cell(window, 0, 1) + "|" + Cell(window, 0, 50), "dez/adiant.|1|50");

    Click(window, "opPosicao");
    EXPECT_FALSE(Shown(window, "ComboBox2"));
    Click(window, "opTeor");
    EXPECT_TRUE(Shown(window, "opFrac"));
    Find<QComboBox>(window, "opFrac")->setCurrentIndex(1);
    EXPECT_EQ(Cell(window, 1, 1), "1/10");
    Find<QComboBox>(window, "opFrac")->setCurrentIndex(2);
    EXPECT_EQ(Cell(window, 1, 1), "10,00%");
    EXPECT_EQ(Cell(window, 60, 1), " ");
    Click(window, "opDifer");
    EXPECT_FALSE(Shown(window, "opFrac"));
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
}

TEST_F(TForm9Test, GroupChartOfTheWholeHistoryHasOnePointPerLineAndNamesALineOnClick) {
    TForm9* window = OpenAnalysis();
    Find<QSpinBox>(window, "UpDown1")->setValue(3047);
    Click(window, "opGrupo");
    auto* chart1 = Find<TChartView>(window, "Chart1");
    EXPECT_TRUE(chart1->isVisible());
    EXPECT_FALSE(Find<TChartView>(window, "Chart2")->isVisible());
    EXPECT_EQ(chart1->Title(), "Evolução percentual das dezenas ao longo do tempo");
    ASSERT_GT(chart1->SeriesCount(), 0);
    EXPECT_EQ(chart1->Series(0).Title(), "Dez.1");
    double sum = 0;
    for (int i = 0; i < chart1->SeriesCount(); ++i) {
        ASSERT_EQ(chart1->Series(i).Count(), 1);
        EXPECT_EQ(chart1->Series(i).X(0), 1);
        sum += chart1->Series(i).Y(0);
    }
    EXPECT_NEAR(sum, 100, 1e-9); // every draw has one smallest ball
    // A smaller sample: windows over the whole history.
    Find<QSpinBox>(window, "UpDown1")->setValue(3000);
    EXPECT_EQ(chart1->Series(0).Count(), 48);
    NumberText::SetDecimalSeparator(',');
    emit chart1->PointClicked(0, 2, 12.5, 1);
    ASSERT_EQ(TMessageBox::Recorded().size(), 1);
    EXPECT_EQ(TMessageBox::Recorded()[0], "Dez.1\r\nTempo = 2\r\nPercentual = 12,5%");
    Click(window, "opGrupo");
    EXPECT_FALSE(chart1->isVisible());
}

TEST_F(TForm9Test, ZeroBasedGameOpens) {
    std::string text = "Concurso;Bola1;Bola2;Bola3\r\n";
    for (int d = 1; d <= 12; ++d)
        text += std::to_string(d) + ";" + std::to_string(d % 3) + ";" + std::to_string(4 + d % 2) + ";9\r\n";
    TForm9* window = OpenAnalysis(Write("zero.csv", text));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Find<QTableWidget>(window, "sg1")->rowCount(), 11);
    EXPECT_EQ(Cell(window, 10, 3), "10"); // ball 9, always last (the sample is n = 10 draws)
    Click(window, "opGrupo");
    EXPECT_GT(Find<TChartView>(window, "Chart1")->SeriesCount(), 0);
}

TEST_F(TForm9Test, CopyAndCalculatorHandOffs) {
    std::vector<TLottery*> handOffs;
    main.SetCalculatorOpener([&](TLottery* l, int n, int k, const std::optional<QString>&) {
        EXPECT_EQ(n * 100 + k, 6006);
        handOffs.push_back(l);
    });
    TForm9* window = OpenAnalysis();
    auto* grid = Find<QTableWidget>(window, "sg1");
    auto* popup = Find<QMenu>(window, "PopupMenu1");
    RightClick(grid);
    EXPECT_TRUE(popup->isVisible());
    Action(window, "Copiar1")->trigger();
    popup->hide();
    const QStringList rows = QApplication::clipboard()->text().split("\r\n");
    EXPECT_EQ(rows.size(), 62);
    EXPECT_EQ(rows.value(0), "dez/bola\t1\t2\t3\t4\t5\t6\t");
    Action(window, "CalculadoraCSN1")->trigger();
    Action(window, "CalculadoraCSN2")->trigger();
    ASSERT_EQ(handOffs.size(), 2u);
    EXPECT_EQ(handOffs[0], game->Lottery());
}

} // namespace
