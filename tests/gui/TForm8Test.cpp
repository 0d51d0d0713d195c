// The bayesian analysis window inside the main window: opening with its
// controls, texts and defaults; the tables and the chart drawn from the grid
// as displayed; the sample-size commands; the decision tree and its outline;
// "Melhor comb." against the engine's records, "Parar" and closing
// mid-search; copying and the calculator hand-off.
#include "GuiTestSupport.h"
#include "TBarChart3D.h"
#include "TChartSeries.h"
#include "TChartView.h"

#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeWidget>

namespace {

using namespace gui;

// A 6/3 game of five draws, oldest first:
//   {1,4,6} {1,2,3} {1,2,4} {1,3,6} {2,3,4}
// 1 is in four draws, 2, 3 and 4 in three, 6 in two, 5 in none.
const char* const SmallGame = "Concurso;Bola1;Bola2;Bola3\n"
                              "1;1;4;6\n2;1;2;3\n3;4;2;1\n4;6;3;1\n5;2;3;4\n";

class TForm8Test : public WindowTest {
protected:
    // The game window of the file and its bayesian window, opened by the
    // game's command.
    TForm8* OpenAnalysis(const QString& path) {
        game = Open(path);
        if (!game) return nullptr;
        Action(game, "Anlisebayesiana1")->trigger();
        auto* window = qobject_cast<TForm8*>(game->AnalysisWindow(TLottery::Bayesian));
        EXPECT_NE(window, nullptr);
        return window;
    }
    TForm8* OpenSmall() { return OpenAnalysis(Write("pequeno.csv", SmallGame)); }
    static QTableWidget* Grid(TForm8* window) { return Find<QTableWidget>(window, "sg1"); }
    static QStringList Row(const QTableWidget* grid, int row) {
        QStringList texts;
        for (int c = 0; c < grid->columnCount(); ++c)
            texts.append(grid->item(row, c) ? grid->item(row, c)->text() : QString());
        return texts;
    }
    static TBayesAnalysis::Grid GridTexts(const QTableWidget* grid) {
        TBayesAnalysis::Grid texts;
        for (int r = 0; r < grid->rowCount(); ++r) {
            texts.emplace_back();
            for (const QString& text : Row(grid, r)) texts.back().push_back(text.toStdString());
        }
        return texts;
    }
    // The 2-D chart (none where the window draws in 3-D).
    static TChartView* Chart(TForm8* window) {
        return window->findChild<TChartView*>(QStringLiteral("Chart2"));
    }
    static int PlottedPoints(TForm8* window) {
        if (window->ThreeDimensional()) {
            const auto* bars = Find<TBarChart3D>(window, "Chart2");
            return bars->Rows() * bars->Columns();
        }
        int points = 0;
        for (int i = 0; i < Chart(window)->SeriesCount(); ++i) points += Chart(window)->Series(i).Count();
        return points;
    }
    static QStringList Lines(const std::vector<std::string>& lines) {
        QStringList texts;
        for (const std::string& line : lines) texts.append(QString::fromStdString(line));
        return texts;
    }
    TForm3* game = nullptr;
};

TEST_F(TForm8Test, OpensWithItsControlsTextsAndDefaults) {
    TForm8* window = OpenAnalysis(DataDir + "/megasena.csv");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Análise bayesiana: megasena.csv");
    EXPECT_TRUE(game->Lottery()->WindowOpen[TLottery::Bayesian]);
    auto* upDown = Find<QSpinBox>(window, "UpDown1");
    EXPECT_EQ(QList<int>({upDown->minimum(), upDown->value(), upDown->maximum()}),
              QList<int>({10, 40, 3047}));
    EXPECT_EQ(Text(window, "Edit1"), "40");
    EXPECT_EQ(Find<QWidget>(window, "Edit1")->toolTip(),
              "Amostra de dados a analisar, a partir do final da base original");
    const std::vector<std::pair<const char*, const char*>> labels = {{"Label1", "Tipo da distribuição:"},
                                                                     {"Label3", "Tamanho da amostra:"},
                                                                     {"Label4", "Campo de análise:"},
                                                                     {"Label5", "Previsão:"}};
    for (const auto& [name, caption] : labels)
        EXPECT_EQ(Find<QLabel>(window, name)->text(), QString::fromUtf8(caption));
    EXPECT_EQ(Find<QRadioButton>(window, "opAeB")->text(), "P(A, B)");
    EXPECT_EQ(Find<QRadioButton>(window, "opAdadoB")->text(), "P(A | B)");
    EXPECT_EQ(Find<QWidget>(window, "opAeB")->toolTip(), "Probabilidade de A e B ocorrerem juntos");
    EXPECT_EQ(Find<QWidget>(window, "opAdadoB")->toolTip(), "Probabilidade de A dado B ocorrer");
    EXPECT_TRUE(Checked(window, "opAeB"));
    EXPECT_FALSE(Checked(window, "opAdadoB"));

    auto* combo = Find<QComboBox>(window, "ComboBox1");
    ASSERT_EQ(combo->count(), 61);
    EXPECT_EQ(combo->itemText(0), "1ª dezena");
    EXPECT_EQ(combo->itemText(59), "60ª dezena");
    EXPECT_EQ(combo->itemText(60), "Todas as dezenas");
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(combo->toolTip(), "Bola a analisar");

    EXPECT_EQ(Find<QAbstractButton>(window, "Button1")->text(), "Analisar");
    EXPECT_EQ(Find<QAbstractButton>(window, "Button2")->text(), "Preview");
    EXPECT_EQ(Find<QAbstractButton>(window, "Button3")->text(), "Parar");
    EXPECT_FALSE(Enabled(window, "Button3"));
    EXPECT_EQ(Find<QAbstractButton>(window, "Button4")->text(), "Carga");
    EXPECT_EQ(Find<QAbstractButton>(window, "Button5")->text(), "Melhor comb.");
    EXPECT_EQ(Find<QWidget>(window, "Button5")->toolTip(),
              "Calcula a combinação que daria o melhor resultado na amostra.");
    EXPECT_FALSE(Shown(window, "Button4"));
    EXPECT_FALSE(Shown(window, "Button5"));
    EXPECT_EQ(Action(window, "MelhorComb1")->text(), "Melhor comb.");
    EXPECT_EQ(Texts(window, {"Edit3", "Edit4"}), QStringList({"0", "0"}));
    EXPECT_EQ(Find<QWidget>(window, "Edit3")->toolTip(), "Erro da rede");
    EXPECT_EQ(Find<QWidget>(window, "Edit4")->toolTip(), "Épocas");
    EXPECT_EQ(Memo(window), "Sem previsão");

    QTableWidget* grid = Grid(window);
    EXPECT_EQ(QList<int>({grid->rowCount(), grid->columnCount()}), QList<int>({62, 62}));
    EXPECT_EQ(Row(grid, 0).mid(0, 3), QStringList({"P(A, B)", "1", "2"}));
    EXPECT_EQ(Row(grid, 0).last(), "P(A)");
    EXPECT_EQ(Column(grid, 0).last(), "P(B)");
    EXPECT_EQ(Row(grid, 61).last(), "1");
    EXPECT_EQ(GridTexts(grid), window->Engine().Table(TBayesAnalysis::TTable::Joint));
    EXPECT_EQ(grid->verticalHeader()->defaultSectionSize(), 18);
    EXPECT_EQ(qobject_cast<QGroupBox*>(grid->parentWidget())->title(),
              "Distribuição de probabilidade conjunta total");

    // Right after opening the chart holds one empty series per number.
    EXPECT_EQ(PlottedPoints(window), 0);
    auto* shown = Find<QWidget>(window, "Chart2");
    EXPECT_EQ(shown->toolTip(), "Marque uma área no gráfico para zoom");
    // In the "Gráfico" box, on the first tab; the heat map on the second.
    auto* box = Find<QGroupBox>(window, "GroupBox3");
    EXPECT_EQ(box->title(), "&Gráfico");
    EXPECT_TRUE(box->isAncestorOf(shown));
    EXPECT_TRUE(box->isAncestorOf(Find<QWidget>(window, "HeatMap1")));
    if (TChartView* chart = Chart(window)) {
        EXPECT_EQ(chart->Title() + "|" + chart->BottomAxisTitle() + "|" + chart->LeftAxisTitle(),
                  "Distribuição conjunta total|A|Probabilidade");
        ASSERT_EQ(chart->SeriesCount(), 60);
        EXPECT_EQ(chart->Series(0).Title() + "|" + chart->Series(59).Title(), "Dez.1|Dez.60");
    }
    auto* tree = Find<QTreeWidget>(window, "tv1");
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_EQ(qobject_cast<QGroupBox*>(tree->parentWidget())->title(),
              "Análise Market Basket (árvore de decisão)");
    ExpectCommands(window, {{"CalculadoraCSN1", "Calculadora CSN", QKeySequence(Qt::Key_F9)}});
    EXPECT_FALSE(Action(window, "CalculadoraCSN2")->isVisible());

    // The game's command again brings the same window forward.
    Action(game, "Anlisebayesiana1")->trigger();
    EXPECT_EQ(game->AnalysisWindow(TLottery::Bayesian), window);
}

TEST_F(TForm8Test, TablesAndTheChartOfTheGridAsDisplayed) {
    TForm8* window = OpenSmall();
    ASSERT_NE(window, nullptr);
    // Fewer than ten draws: the whole history.
    EXPECT_EQ(Text(window, "Edit1"), "5");
    QTableWidget* grid = Grid(window);
    EXPECT_EQ(Row(grid, 1),
              QStringList({"1", "0,8000", "0,4000", "0,4000", "0,4000", "0,0000", "0,4000", "0,8000"}));
    EXPECT_EQ(Row(grid, 5),
              QStringList({"5", "0,0000", "0,0000", "0,0000", "0,0000", "0,0000", "0,0000", "0,0000"}));
    EXPECT_EQ(Row(grid, 7),
              QStringList({"P(B)", "0,8000", "0,6000", "0,6000", "0,6000", "0,0000", "0,4000", "1"}));

    // P(A | B) loads the tables and draws the chart.
    Click(window, "opAdadoB");
    EXPECT_EQ(GridTexts(grid), window->Engine().Table(TBayesAnalysis::TTable::Conditional));
    EXPECT_EQ(Row(grid, 0).first(), "P(A | B)");
    for (int v = 1; v <= 6; ++v) EXPECT_EQ(grid->item(v, v)->text(), v == 5 ? "0,0000" : "1,0000") << v;
    EXPECT_EQ(grid->item(7, 7)->text(), "1");
    // Row A = 1, column B = 2: P(1, 2) / P(2) = 0.4 / 0.6, plotted as shown.
    EXPECT_EQ(grid->item(1, 2)->text(), "0,6667");
    EXPECT_EQ(PlottedPoints(window), 36);
    TChartView* chart = Chart(window);
    if (chart) {
        ASSERT_EQ(chart->SeriesCount(), 6);
        const TChartSeries& two = chart->Series(1);
        EXPECT_EQ(two.Title(), "Dez.2");
        EXPECT_DOUBLE_EQ(two.X(0), 1);
        EXPECT_DOUBLE_EQ(two.Y(0), 0.6667);
        EXPECT_DOUBLE_EQ(chart->Series(4).Y(0), 0.0);
    }

    // "Carga" reloads without drawing; "Preview" draws; P(A, B) does both.
    Click(window, "Button4");
    EXPECT_EQ(PlottedPoints(window), 0);
    Click(window, "Button2");
    EXPECT_EQ(PlottedPoints(window), 36);
    Click(window, "opAeB");
    EXPECT_EQ(GridTexts(grid), window->Engine().Table(TBayesAnalysis::TTable::Joint));
    if (chart) {
        EXPECT_DOUBLE_EQ(chart->Series(1).Y(0), 0.4);
    }
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
}

TEST_F(TForm8Test, SampleSizeCommands) {
    TForm8* window = OpenAnalysis(DataDir + "/megasena.csv");
    ASSERT_NE(window, nullptr);
    TBayesAnalysis engine(*game->Lottery());
    // The up-down reloads the tables only.
    Find<QSpinBox>(window, "UpDown1")->setValue(41);
    EXPECT_EQ(Text(window, "Edit1"), "41");
    engine.Load(41);
    EXPECT_EQ(GridTexts(Grid(window)), engine.Table(TBayesAnalysis::TTable::Joint));
    EXPECT_EQ(PlottedPoints(window), 0);
    // The input box: below 10 is 10, then the tables and the chart; a word
    // changes nothing.
    TInputBox::Script({QString("5")});
    window->Edit1DblClick();
    EXPECT_EQ(Text(window, "Edit1"), "10");
    engine.Load(10);
    EXPECT_EQ(GridTexts(Grid(window)), engine.Table(TBayesAnalysis::TTable::Joint));
    EXPECT_EQ(PlottedPoints(window), 3600);
    TInputBox::Script({QString("vinte")});
    window->Edit1DblClick();
    EXPECT_EQ(Text(window, "Edit1"), "10");
    TInputBox::Script({QString("99999")});
    window->Edit1DblClick();
    EXPECT_EQ(Text(window, "Edit1"), "3047");
    EXPECT_EQ(window->Engine().SampleSize(), 3047);
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
}

TEST_F(TForm8Test, DecisionTreeAndItsCopies) {
    TForm8* window = OpenSmall();
    ASSERT_NE(window, nullptr);
    auto* tree = Find<QTreeWidget>(window, "tv1");
    auto* popup = Find<QMenu>(window, "PopupMenu1");
    // An empty tree copies an empty text.
    QApplication::clipboard()->setText("antes");
    RightClick(tree);
    Action(window, "Copiar1")->trigger();
    popup->hide();
    EXPECT_EQ(QApplication::clipboard()->text(), "");
    // From number 1 (item 0): it is in four draws of five.
    Click(window, "Button1");
    WaitFor([window] { return !window->Running(); });
    EXPECT_EQ(Memo(window), "Análise finalizada.");
    EXPECT_TRUE(Enabled(window, "Button1"));
    EXPECT_FALSE(Enabled(window, "Button3"));
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "P(1) = 0,8000");
    // 2, 3, 4 and 6 are each with 1 in two of its four draws: 2, the lowest.
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), "P(2|1) = 0,5000");
    EXPECT_EQ(tree->topLevelItem(0)->child(1)->text(0), "P(¬2|1) = 0,5000");
    EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
    // Analisar also draws the chart.
    EXPECT_EQ(PlottedPoints(window), 36);

    // "Todas as dezenas": the root is every draw, 1 the first split.
    auto* combo = Find<QComboBox>(window, "ComboBox1");
    combo->setCurrentIndex(combo->count() - 1);
    Click(window, "Button1");
    WaitFor([window] { return !window->Running(); });
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_EQ(root->text(0), "P(*)");
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->child(0)->text(0), "P(1|*) = 0,8000");
    EXPECT_EQ(root->child(1)->text(0), "P(¬1|*) = 0,2000");
    // The draw without 1 is {2,3,4}: 2 is certain there.
    ASSERT_EQ(root->child(1)->childCount(), 1);
    EXPECT_EQ(root->child(1)->child(0)->text(0), "P(2|¬1,*) = 1,0000");

    // Copies: the tree's outline, the grid's text, the chart's picture.
    const QString outline = QString::fromStdString(TBayesAnalysis::Outline(window->Engine().Tree(6)));
    EXPECT_TRUE(outline.startsWith("+P(*)\r\n+-P(1|*) = 0,8000\r\n+--P(2|1,*) = 0,5000\r\n")) << outline;
    EXPECT_TRUE(outline.endsWith("+-P(¬1|*) = 0,2000\r\n+--P(2|¬1,*) = 1,0000\r\n")) << outline;
    RightClick(tree);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_TRUE(Action(window, "MelhorComb1")->isVisible());
    Action(window, "Copiar1")->trigger();
    popup->hide();
    EXPECT_EQ(QApplication::clipboard()->text(), outline);
    RightClick(Grid(window));
    Action(window, "Copiar1")->trigger();
    popup->hide();
    const QStringList rows = QApplication::clipboard()->text().split("\r\n");
    EXPECT_EQ(rows.size(), 9);
    EXPECT_EQ(rows.value(0), "P(A, B)\t1\t2\t3\t4\t5\t6\tP(A)\t");
    EXPECT_EQ(rows.value(7), "P(B)\t0,8000\t0,6000\t0,6000\t0,6000\t0,0000\t0,4000\t1\t");
    if (Chart(window)) {
        QApplication::clipboard()->clear();
        RightClick(Chart(window));
        Action(window, "Copiar1")->trigger();
        popup->hide();
        EXPECT_FALSE(QApplication::clipboard()->image().isNull());
    }
}

TEST_F(TForm8Test, BestCombinationAgreesWithTheEngine) {
    TForm8* window = OpenSmall();
    ASSERT_NE(window, nullptr);
    Action(window, "MelhorComb1")->trigger();
    WaitFor([window] { return !window->Running(); });
    const TBayesAnalysis& engine = window->Engine();
    const TSearchResult records = engine.Search().Run(engine.BestOptions(5));
    const QStringList lines = Memo(window).split('\n');
    EXPECT_EQ(lines, Lines(TBayesAnalysis::BestReport(records)));
    EXPECT_EQ(lines.value(0), "Posição (Vitórias):\tCSN");
    // {1,2,3} (CSN 1) is one of the draws.
    EXPECT_EQ(lines.last(), "3 (1):\t1");
    EXPECT_EQ(Text(window, "Edit3"), "100,00%");
    EXPECT_TRUE(Enabled(window, "Button1"));
    EXPECT_TRUE(Enabled(window, "Button5"));
    EXPECT_FALSE(Enabled(window, "Button3"));
    // The hidden button runs the same search.
    Click(window, "Button5");
    WaitFor([window] { return !window->Running(); });
    EXPECT_EQ(Memo(window).split('\n'), lines);
}

TEST_F(TForm8Test, PararKeepsWhatWasFoundAndClosingMidSearchIsSafe) {
    TForm8* window = OpenAnalysis(DataDir + "/megasena.csv");
    ASSERT_NE(window, nullptr);
    Click(window, "Button5");
    EXPECT_TRUE(window->Running());
    EXPECT_EQ(Memo(window), "Aguarde...");
    EXPECT_FALSE(Enabled(window, "Button1"));
    EXPECT_FALSE(Enabled(window, "Button5"));
    EXPECT_TRUE(Enabled(window, "Button3"));
    Click(window, "Button3");
    WaitFor([window] { return !window->Running(); });
    ASSERT_TRUE(window->BestResult().has_value());
    const QStringList lines = Memo(window).split('\n');
    EXPECT_EQ(lines.value(0), "Posição (Vitórias):\tCSN");
    EXPECT_EQ(lines, Lines(TBayesAnalysis::BestReport(*window->BestResult())));
    EXPECT_TRUE(Text(window, "Edit3").endsWith("%"));
    EXPECT_TRUE(Enabled(window, "Button1"));
    EXPECT_TRUE(Enabled(window, "Button5"));
    EXPECT_FALSE(Enabled(window, "Button3"));

    Click(window, "Button5");
    EXPECT_TRUE(window->Running());
    const QPointer<TForm8> closed(window);
    CloseFrame(window);
    EXPECT_TRUE(closed.isNull());
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::Bayesian]);
}

// Only where a display with OpenGL exists (for example on Xvfb with
// QT_QPA_PLATFORM=xcb); offscreen the window shows the 2-D chart above.
TEST_F(TForm8Test, ThreeDimensionalChartWhereADisplayExists) {
    if (!TBarChart3D::Available()) {
        EXPECT_FALSE(TForm8Test::OpenSmall()->ThreeDimensional());
        GTEST_SKIP() << "no display with OpenGL";
    }
    TForm8* window = OpenSmall();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->ThreeDimensional());
    auto* chart = Find<TBarChart3D>(window, "Chart2");
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->Title(), "Distribuição conjunta total");
    EXPECT_EQ(chart->Rows(), 0);
    Click(window, "opAdadoB");
    EXPECT_EQ(QList<int>({chart->Rows(), chart->Columns()}), QList<int>({6, 6}));
    WaitFor([] { return true; });
    QApplication::clipboard()->clear();
    chart->CopyToClipboard();
    EXPECT_FALSE(QApplication::clipboard()->image().isNull());
    // The tree and the grid copy as before.
    Click(window, "Button1");
    WaitFor([window] { return !window->Running(); });
    EXPECT_EQ(Find<QTreeWidget>(window, "tv1")->topLevelItemCount(), 1);
}

TEST_F(TForm8Test, BestCombinationOfAGameTooLargeToWalk) {
    TForm8* window = OpenAnalysis(DataDir + "/lotomania.csv");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Grid(window)->rowCount(), 102);
    Click(window, "Button5");
    EXPECT_FALSE(window->Running());
    EXPECT_TRUE(Memo(window).startsWith("o universo completo tem ")) << Memo(window);
    ASSERT_EQ(TMessageBox::Recorded().size(), 1);
    EXPECT_TRUE(Enabled(window, "Button5"));
}

TEST_F(TForm8Test, CalculatorHandOff) {
    std::vector<TLottery*> handOffs;
    main.SetCalculatorOpener([&](TLottery* l, int n, int k, const std::optional<QString>&) {
        EXPECT_EQ(n * 100 + k, 6006);
        handOffs.push_back(l);
    });
    TForm8* window = OpenAnalysis(DataDir + "/megasena.csv");
    ASSERT_NE(window, nullptr);
    Action(window, "CalculadoraCSN1")->trigger();
    ASSERT_EQ(handOffs.size(), 1u);
    EXPECT_EQ(handOffs[0], game->Lottery());
}

} // namespace
