// The recurrence analysis window inside the main window: opening with its
// controls, texts and defaults, the option rules, a finished search's grid
// against the engine's records, the streak table and its CSN listing, the
// filter's input boxes and memo, the plots, copying, stopping and closing
// mid-search.
#include "GuiTestSupport.h"
#include "TChartSeries.h"
#include "TChartView.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QScrollBar>
#include <QSpinBox>

namespace {

using namespace gui;

// A 10/3 game of five draws, oldest first:
//   {1,2,3} {1,2,4} {1,2,3} {5,6,10} {1,2,7}
const char* const SmallGame = "Concurso;Bola1;Bola2;Bola3\n"
                              "1;1;2;3\n2;1;2;4\n3;3;2;1\n4;5;6;10\n5;1;2;7\n";

class TForm10Test : public WindowTest {
protected:
    // The game window of the file and its recurrence window, opened by F12.
    TForm10* OpenAnalysis(const QString& path) {
        game = Open(path);
        if (!game) return nullptr;
        Action(game, "Anliserecorrencial1")->trigger();
        auto* window = qobject_cast<TForm10*>(game->AnalysisWindow(TLottery::Recurrence));
        EXPECT_NE(window, nullptr);
        if (window) window->SetSeed(11);
        return window;
    }
    TForm10* OpenSmall() { return OpenAnalysis(Write("pequeno.csv", SmallGame)); }
    static QTableWidget* Grid(TForm10* window, const char* name = "sg1") {
        return Find<QTableWidget>(window, name);
    }
    static QStringList Row(const QTableWidget* grid, int row) {
        QStringList texts;
        for (int c = 0; c < grid->columnCount(); ++c)
            texts.append(grid->item(row, c) ? grid->item(row, c)->text() : QString());
        return texts;
    }
    static void Analyse(TForm10* window) {
        Click(window, "Button1");
        WaitFor([window] { return !window->Running(); });
    }
    static TChartSeries& SeriesOf(TForm10* window, const char* chart, int index) {
        return Find<TChartView>(window, chart)->Series(index);
    }
    TForm3* game = nullptr;
};

TEST_F(TForm10Test, OpensWithItsControlsTextsAndDefaults) {
    TForm10* window = OpenAnalysis(DataDir + "/megasena.csv");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Análise recorrencial: megasena.csv");
    auto* upDown = Find<QSpinBox>(window, "UpDown1");
    EXPECT_EQ(QList<int>({upDown->minimum(), upDown->value(), upDown->maximum()}),
              QList<int>({10, 60, 3047}));
    EXPECT_EQ(Text(window, "Edit1"), "60");
    EXPECT_EQ(Find<QLabel>(window, "Label3")->text(), "Tamanho da amostra:");
    EXPECT_EQ(Find<QLabel>(window, "Label5")->text(), "Previsão:");
    EXPECT_EQ(Memo(window), "Sem previsão");
    EXPECT_FALSE(Enabled(window, "Button3"));
    const std::vector<std::pair<const char*, const char*>> options = {
        {"opDupla", "Verif. dupla combinação"},
        {"opRecoFinal", "Recorrência consecutiva"},
        {"opUnivRed", "Universo reduzido"},
        {"opSemUlt", "Sem o último concurso"},
        {"opFiltroRec", "Filtro de recorrência"}};
    for (const auto& [name, caption] : options) {
        EXPECT_EQ(Find<QAbstractButton>(window, name)->text(), QString::fromUtf8(caption));
        EXPECT_FALSE(Checked(window, name)) << name;
    }
    EXPECT_EQ(Find<QWidget>(window, "opUnivRed")->toolTip(),
              "Reduz o universo de busca ao tamanho do paradoxo do aniversário.");
    EXPECT_EQ(Find<QWidget>(window, "opFiltroRec")->toolTip(),
              "Procura pelas extremidades do efeito \"filtro de recorrência\"");
    EXPECT_EQ(Row(Grid(window), 0),
              QStringList({"Acertos", "Concursos", "Chance", "CSN", "Combinação", "Últ.conc."}));
    EXPECT_EQ(Grid(window)->rowCount(), 8);
    EXPECT_EQ(Row(Grid(window), 7), QStringList({"6", " ", " ", " ", " ", " "}));
    EXPECT_EQ(Row(Grid(window, "sg2"), 0), QStringList({"Acertos/Consecut.", "1"}));
    EXPECT_EQ(Row(Grid(window, "sg2"), 1), QStringList({"1", " "}));
    auto* charts = Find<QComboBox>(window, "ComboBox2");
    ASSERT_EQ(charts->count(), 3);
    EXPECT_EQ(charts->itemText(2), "Distribuição recorrencial do CSN");
    EXPECT_TRUE(Shown(window, "Chart2"));
    EXPECT_FALSE(Shown(window, "Chart1"));
    EXPECT_FALSE(Shown(window, "Chart3"));
    EXPECT_FALSE(Shown(window, "sb2"));
    auto* chart2 = Find<TChartView>(window, "Chart2");
    EXPECT_EQ(chart2->Title() + "|" + chart2->BottomAxisTitle() + "|" + chart2->LeftAxisTitle(),
              "Distribuição recorrencial otimizado|Acertos|Chance %");
    EXPECT_EQ(chart2->Series(0).Title() + "|" + chart2->Series(1).Title(), "Combinação1|Combinação2");
    EXPECT_FALSE(chart2->Series(1).ShownInLegend());
    EXPECT_EQ(Find<QScrollBar>(window, "sb2")->value(), 3047);
    // The game's own commands and the calculator.
    EXPECT_EQ(Action(window, "CalculadoraCSN1")->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_TRUE(game->Lottery()->WindowOpen[TLottery::Recurrence]);
}

TEST_F(TForm10Test, OptionRulesAndLoads) {
    TForm10* window = OpenSmall();
    ASSERT_NE(window, nullptr);
    Click(window, "opDupla");
    EXPECT_EQ(Grid(window)->columnCount(), 11);
    EXPECT_EQ(Row(Grid(window), 0).mid(6), QStringList({"Concs:2", "Chance:2", "CSN:2", "Comb:2", "Últ:2"}));
    EXPECT_TRUE(Find<TChartView>(window, "Chart2")->Series(1).ShownInLegend());
    Click(window, "opRecoFinal");
    EXPECT_FALSE(Checked(window, "opDupla"));
    EXPECT_FALSE(Enabled(window, "opDupla"));
    EXPECT_EQ(Grid(window)->columnCount(), 11);
    Click(window, "opRecoFinal");
    EXPECT_TRUE(Enabled(window, "opDupla"));
    EXPECT_EQ(Grid(window)->columnCount(), 6);

    Click(window, "opFiltroRec");
    EXPECT_FALSE(Enabled(window, "opDupla"));
    EXPECT_FALSE(Enabled(window, "opRecoFinal"));
    EXPECT_FALSE(Shown(window, "ComboBox2"));
    EXPECT_TRUE(Shown(window, "Chart3"));
    EXPECT_FALSE(Shown(window, "Chart2"));
    Click(window, "opFiltroRec");
    EXPECT_TRUE(Shown(window, "ComboBox2"));
    EXPECT_TRUE(Shown(window, "Chart2"));
    EXPECT_FALSE(Shown(window, "Chart3"));

    // A load discards the results; the options that do not load keep them.
    Analyse(window);
    EXPECT_EQ(Row(Grid(window), 4)[1], "2");
    Click(window, "opUnivRed");
    Click(window, "opUnivRed");
    EXPECT_EQ(Row(Grid(window), 4)[1], "2");
    Click(window, "opDupla");
    EXPECT_EQ(Row(Grid(window), 4)[1], " ");
}

TEST_F(TForm10Test, NormalRecurrenceGridAgreesWithTheEngine) {
    TForm10* window = OpenSmall();
    ASSERT_NE(window, nullptr);
    Click(window, "opDupla");
    Analyse(window);
    EXPECT_EQ(Memo(window), "Finalizado.");
    EXPECT_EQ(Find<QProgressBar>(window, "pb1")->value(), 0);
    const TRecurrenceAnalysis::Grid grid = window->Engine().ResultGrid();
    for (int r = 0; r < Grid(window)->rowCount(); ++r) {
        QStringList expected;
        for (const std::string& cell : grid[static_cast<size_t>(r)])
            expected.append(QString::fromStdString(cell));
        EXPECT_EQ(Row(Grid(window), r), expected) << r;
    }
    EXPECT_EQ(Row(Grid(window), 4),
              QStringList({"3", "2", "40,00%", "1", "1, 2, 3", "2", "3", "60,00%", "2", "1, 2, 4", "2"}));
    EXPECT_EQ(SeriesOf(window, "Chart2", 0).Count(), 4);
    EXPECT_EQ(SeriesOf(window, "Chart2", 0).Y(3), 40);
    EXPECT_EQ(SeriesOf(window, "Chart2", 1).Y(3), 60);

    // "Sem o último concurso" leaves the newest draw {1, 2, 7} out of the
    // search: {1, 2, 3}'s newest considered draw is {5, 6, 10}.
    Click(window, "opDupla");
    Click(window, "opSemUlt");
    Analyse(window);
    EXPECT_EQ(Row(Grid(window), 4), QStringList({"3", "2", "50,00%", "1", "1, 2, 3", "0"}));
    // ... but not the per-CSN plot, which covers the whole history.
    Grid(window)->setCurrentCell(4, 3);
    Find<QComboBox>(window, "ComboBox2")->setCurrentIndex(2);
    EXPECT_TRUE(Shown(window, "Chart1"));
    EXPECT_FALSE(Shown(window, "sb2"));
    EXPECT_EQ(Find<TChartView>(window, "Chart1")->Title(), "Distribuição recorrencial do CSN 1");
    TChartSeries& hits = SeriesOf(window, "Chart1", 0);
    ASSERT_EQ(hits.Count(), 5);
    EXPECT_EQ(hits.Y(4), 2);
    EXPECT_EQ(hits.Y(0), 3);
    // A blank cell plots CSN 1.
    Grid(window)->setCurrentCell(0, 1);
    emit Grid(window)->cellClicked(0, 1);
    EXPECT_EQ(Find<TChartView>(window, "Chart1")->Title(), "Distribuição recorrencial do CSN 1");
}

TEST_F(TForm10Test, PlotPerContest) {
    TForm10* window = OpenSmall();
    ASSERT_NE(window, nullptr);
    Find<QComboBox>(window, "ComboBox2")->setCurrentIndex(1);
    EXPECT_TRUE(Shown(window, "sb2"));
    EXPECT_TRUE(Shown(window, "Chart1"));
    EXPECT_FALSE(Shown(window, "Chart2"));
    EXPECT_EQ(Find<TChartView>(window, "Chart1")->Title(), "Distribuição recorrencial do concurso 5");
    EXPECT_EQ(Memo(window), "Finalizado.");
    TChartSeries& common = SeriesOf(window, "Chart1", 0);
    ASSERT_EQ(common.Count(), 5);
    EXPECT_EQ(common.Y(4), 3);
    EXPECT_EQ(common.Y(3), 0);
    Find<QScrollBar>(window, "sb2")->setValue(2);
    EXPECT_EQ(Find<TChartView>(window, "Chart1")->Title(), "Distribuição recorrencial do concurso 2");
    EXPECT_EQ(common.Count(), 2);
    // The neighbour forecast runs on this chart.
    Action(window, "Normal1")->trigger();
    EXPECT_GT(SeriesOf(window, "Chart1", 1).Count(), 0);
    EXPECT_EQ(TMessageBox::Recorded().value(0), "Análise finalizada");
}

TEST_F(TForm10Test, ConsecutiveStreakTableAndItsCsnListing) {
    TForm10* window = OpenSmall();
    ASSERT_NE(window, nullptr);
    Click(window, "opRecoFinal");
    Analyse(window);
    const TSearchResult& result = window->Engine().Results();
    QTableWidget* streaks = Grid(window, "sg2");
    const TRecurrenceAnalysis::Grid expected = window->Engine().StreakGrid();
    ASSERT_EQ(streaks->rowCount(), static_cast<int>(expected.size()));
    ASSERT_EQ(streaks->columnCount(), static_cast<int>(expected[0].size()));
    ASSERT_GT(streaks->rowCount(), 2);
    // The cell with the most candidates; "Exibir CSNs" lists exactly them.
    int h = 0, j = 0;
    for (size_t r = 1; r < result.StreakTable.size(); ++r)
        for (size_t c = 1; c < result.StreakTable[r].size(); ++c)
            if (result.StreakTable[r][c] > (h ? result.StreakTable[h][j] : 0)) {
                h = static_cast<int>(r);
                j = static_cast<int>(c);
            }
    ASSERT_GT(h, 0);
    EXPECT_EQ(streaks->item(h, j)->text(), QString::number(result.StreakTable[h][j]));
    streaks->setCurrentCell(h, j);
    RightClick(streaks);
    QMenu* menu = Find<QMenu>(window, "PopupMenu1");
    EXPECT_TRUE(Action(window, "ExibirCSNs1")->isVisible());
    EXPECT_FALSE(Find<QMenu>(window, "kvizinhosprximos1")->menuAction()->isVisible());
    menu->hide();
    Action(window, "ExibirCSNs1")->trigger();
    WaitFor([window] { return !window->Running(); });
    const QStringList lines = Memo(window).split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.mid(0, 4), QStringList({"Concurso: 5", "Acertos: " + QString::number(h),
                                            "Consecutivos: " + QString::number(j), "CSN"}));
    EXPECT_EQ(lines.size() - 4, result.StreakTable[h][j]);

    // An empty cell offers no listing; "Copiar" over the table copies it.
    streaks->setCurrentCell(1, 1);
    if (!streaks->item(1, 1) || streaks->item(1, 1)->text().trimmed().isEmpty()) {
        RightClick(streaks);
        EXPECT_FALSE(Action(window, "ExibirCSNs1")->isVisible());
        menu->hide();
    }
    RightClick(streaks);
    menu->hide();
    Action(window, "Copiar1")->trigger();
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("Acertos/Consecut.\t1\t"));
}

TEST_F(TForm10Test, FilterAsksItsLimitsAndFillsTheMemoAndChart) {
    TForm10* window = OpenSmall();
    ASSERT_NE(window, nullptr);
    Click(window, "opFiltroRec");
    TInputBox::Script({QString("2"), QString("0")});
    Analyse(window);
    ASSERT_EQ(TInputBox::Asked().size(), 2);
    EXPECT_EQ(TInputBox::Asked()[0].Caption + "|" + TInputBox::Asked()[0].Prompt + "|" +
                  TInputBox::Asked()[0].Value,
              "Limite adiantamento|Buscar acertos igual ou acima de:|3");
    EXPECT_EQ(TInputBox::Asked()[1].Caption + "|" + TInputBox::Asked()[1].Prompt + "|" +
                  TInputBox::Asked()[1].Value,
              "Histórico de atraso|Guarda atrasos iguais ou acima de (0=somente último):|0");
    QStringList lines = Memo(window).split('\n');
    EXPECT_EQ(lines.value(0), "EXTREMIDADES DO FUNIL (<2 acertos)");
    EXPECT_TRUE(lines.value(1).startsWith("Maximo atraso: "));
    EXPECT_TRUE(lines.value(2).startsWith("Combinações: "));
    EXPECT_TRUE(lines.contains("-------------"));
    EXPECT_TRUE(lines.contains("EXTREMIDADES DO FUNIL (>=2 acertos)"));
    EXPECT_TRUE(lines.contains("Maximo adiantamento: 1"));
    double total = 0;
    TChartSeries& bars = SeriesOf(window, "Chart3", 0);
    for (int i = 0; i < bars.Count(); ++i) total += bars.Y(i);
    EXPECT_EQ(total, 120);
    EXPECT_TRUE(Enabled(window, "Button1"));
    EXPECT_FALSE(Enabled(window, "Button3"));

    // A floor above 0 adds its line; words keep the defaults.
    TInputBox::Script({QString("dois"), QString("1")});
    Analyse(window);
    lines = Memo(window).split('\n');
    EXPECT_EQ(lines.value(0), "EXTREMIDADES DO FUNIL (<3 acertos)");
    EXPECT_EQ(lines.value(2), "Atrasos >= 1");
}

TEST_F(TForm10Test, PararShowsWhatWasFoundAndClosingMidSearchIsSafe) {
    TForm10* window = OpenAnalysis(DataDir + "/megasena.csv");
    ASSERT_NE(window, nullptr);
    Click(window, "opDupla");
    Click(window, "Button1");
    EXPECT_TRUE(window->Running());
    EXPECT_EQ(Memo(window), "Aguarde...");
    EXPECT_FALSE(Enabled(window, "Button1"));
    EXPECT_FALSE(Enabled(window, "Button2"));
    EXPECT_FALSE(Enabled(window, "opDupla"));
    EXPECT_TRUE(Enabled(window, "Button3"));
    Click(window, "Button3");
    WaitFor([window] { return !window->Running(); });
    const QStringList lines = Memo(window).split('\n');
    EXPECT_EQ(lines.value(0), "Finalizado.");
    const TSearchResult& result = window->Engine().Results();
    if (result.Stopped) {
        EXPECT_TRUE(lines.value(1).startsWith("Busca interrompida: ")) << Memo(window);
    }
    EXPECT_TRUE(Enabled(window, "Button1"));
    EXPECT_TRUE(Enabled(window, "opDupla"));
    EXPECT_FALSE(Enabled(window, "Button3"));

    Click(window, "Button1");
    EXPECT_TRUE(window->Running());
    const QPointer<TForm10> closed(window);
    CloseFrame(window);
    EXPECT_TRUE(closed.isNull());
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::Recurrence]);
}

TEST_F(TForm10Test, ReducedUniverseOnASuperballGameAndTooLargeFullUniverse) {
    TForm10* window = OpenAnalysis(DataDir + "/lotomania.csv");
    ASSERT_NE(window, nullptr);
    // Lotomania's full universe (C(100, 50) combinations) cannot be walked:
    // the window says so and starts nothing.
    if (!Checked(window, "opUnivRed")) {
        Click(window, "Button1");
        EXPECT_FALSE(window->Running());
        EXPECT_TRUE(Memo(window).contains("Universo reduzido")) << Memo(window);
        Click(window, "opUnivRed");
    }
    Click(window, "Button1");
    WaitFor([window] { return !window->Running(); });
    EXPECT_EQ(Memo(window), "Finalizado.");
    const TSearchResult& result = window->Engine().Results();
    // 2 x B candidates, cut by tens to at most 1,000,000.
    EXPECT_LE(result.Examined, 1'000'000);
    EXPECT_GT(result.Examined, 0);
}

} // namespace

namespace {

TEST_F(TForm10Test, LegendsNameEverySeriesShownAndTheFilterAxisCoversBothSides) {
    TForm10* window = OpenSmall();
    ASSERT_NE(window, nullptr);
    auto* chart2 = Find<TChartView>(window, "Chart2");
    EXPECT_EQ(chart2->LegendEntries(), QStringList{"Combinação1"});
    Click(window, "opDupla");
    Analyse(window);
    EXPECT_EQ(chart2->LegendEntries(), (QStringList{"Combinação1", "Combinação2"}));
    Click(window, "opDupla");
    EXPECT_EQ(chart2->LegendEntries(), QStringList{"Combinação1"});

    // The filter's bars run from the longest delay (left) to the longest
    // advance (right): the axis shows both sides.
    Click(window, "opFiltroRec");
    TInputBox::Script({QString("2"), QString("0")});
    Analyse(window);
    auto* chart3 = Find<TChartView>(window, "Chart3");
    TChartSeries& bars = chart3->Series(0);
    ASSERT_GT(bars.Count(), 0);
    double low = bars.X(0), high = bars.X(0);
    for (int i = 0; i < bars.Count(); ++i) {
        low = std::min(low, bars.X(i));
        high = std::max(high, bars.X(i));
    }
    EXPECT_LT(low, 0);
    EXPECT_GT(high, 0);
    EXPECT_LE(chart3->BottomRange().min, low);
    EXPECT_GE(chart3->BottomRange().max, high);
}

} // namespace
