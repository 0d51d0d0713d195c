// The positional/bayesian window inside the main window: opening by
// Ctrl+F6 with every control's text, hint and default, the grid and chart
// after load, the memo lists with and without a held-out draw, the theory
// only case, the painted cell colours, a zero-based game whose walks reach
// draw 0, the sample-size input box, copying and the calculator hand-off,
// and the base window on its own.
#include "GuiTestSupport.h"
#include "TChartView.h"
#include "TForm1.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>

namespace {

using namespace gui;

class TForm11Test : public WindowTest {
protected:
    TForm11* OpenAnalysis(const QString& path = DataDir + "/megasena.csv") {
        game = Open(path);
        Action(game, "Anliseposicionalbayesiana1")->trigger();
        auto* window = qobject_cast<TForm11*>(game->AnalysisWindow(TLottery::PositionalBayesian));
        EXPECT_NE(window, nullptr);
        return window;
    }
    static QString Cell(const QWidget* window, int row, int column) {
        const QTableWidgetItem* item = Find<QTableWidget>(window, "sg1")->item(row, column);
        return item ? item->text() : QString();
    }
    static QStringList MemoLines(const QWidget* window) {
        return Find<QPlainTextEdit>(window, "memoPreview")->toPlainText().split('\n');
    }
    // The numbers listed under a heading of the memo, up to the next text line.
    static QList<int> Listed(const QWidget* window, const QString& heading) {
        const QStringList lines = MemoLines(window);
        QList<int> numbers;
        for (qsizetype i = lines.indexOf(heading) + 1; i > 0 && i < lines.size(); ++i) {
            bool ok = false;
            const int n = lines[i].toInt(&ok);
            if (!ok) break;
            numbers.append(n);
        }
        return numbers;
    }
    // The colour painted inside a cell, away from its text.
    static QColor Painted(QWidget* window, int row, int column) {
        auto* grid = Find<QTableWidget>(window, "sg1");
        grid->scrollTo(grid->model()->index(row, column));
        QApplication::processEvents();
        const QRect rect = grid->visualRect(grid->model()->index(row, column));
        const QImage image = grid->viewport()->grab().toImage();
        return image.pixelColor(rect.right() - 3, rect.bottom() - 3);
    }
    static void DoubleClick(QWidget* widget) {
        QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &click);
    }
    TForm3* game = nullptr;
};

TEST_F(TForm11Test, OpensWithItsControlsTextsAndDefaults) {
    TForm11* window = OpenAnalysis();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Análise posicional/bayesiana: megasena.csv");
    EXPECT_TRUE(game->Lottery()->WindowOpen[TLottery::PositionalBayesian]);
    auto* size = Find<QSpinBox>(window, "udSampleSize");
    EXPECT_EQ(QList<int>({size->minimum(), size->value(), size->maximum()}), QList<int>({10, 20, 3047}));
    auto* ignore = Find<QSpinBox>(window, "udSampleIgnore");
    EXPECT_EQ(QList<int>({ignore->minimum(), ignore->value(), ignore->maximum()}), QList<int>({0, 0, 3046}));
    auto* tolerance = Find<QSpinBox>(window, "udTolerancia");
    EXPECT_EQ(
        QList<int>({tolerance->minimum(), tolerance->value(), tolerance->maximum(), tolerance->singleStep()}),
        QList<int>({5, 10, 45, 5}));
    EXPECT_EQ(Texts(window, {"edSampleSize", "edSampleIgnore", "edTolerancia", "edProgress1", "edProgress2"}),
              QStringList({"20", "0", "10", "0", "0"}));
    EXPECT_EQ(Find<QLabel>(window, "Label3")->text() + "|" + Find<QLabel>(window, "Label1")->text() + "|" +
                  Find<QLabel>(window, "Label2")->text(),
              "Tamanho da amostra:|Ignora últimos:|Tolerância (%):");
    const QString sampleHint = "Amostra de dados a analisar, a partir do final da base original";
    EXPECT_EQ(Find(window, "edSampleSize")->toolTip(), sampleHint);
    EXPECT_EQ(Find(window, "udSampleSize")->toolTip(), sampleHint);
    EXPECT_EQ(Find(window, "udSampleIgnore")->toolTip(), sampleHint);
    EXPECT_EQ(Find(window, "edSampleIgnore")->toolTip(), "Ignora os últimos n elementos da base original");
    EXPECT_EQ(Find(window, "edTolerancia")->toolTip(),
              "Tolerância P(repetição) para selecionar dezenas a apostar e não apostar.");
    EXPECT_EQ(Find(window, "cbTheoryOnly")->toolTip(),
              "Se marcado não leva em conta o histórico no cálculo da probabilidade de acerto.");
    EXPECT_EQ(Find(window, "edProgress1")->toolTip() + "|" + Find(window, "edProgress2")->toolTip(),
              "Erro da rede|Épocas");
    EXPECT_EQ(Find(window, "sg1")->toolTip(), "P(repetição)");
    EXPECT_EQ(Find<QAbstractButton>(window, "cbTheoryOnly")->text(), "Sem o histórico");
    EXPECT_FALSE(Checked(window, "cbTheoryOnly"));
    EXPECT_EQ(Find<QAbstractButton>(window, "btPreview")->text(), "Preview");
    EXPECT_EQ(Find(window, "btPreview")->toolTip(), "Atualizar a previsão");
    EXPECT_EQ(Find<QAbstractButton>(window, "btAnalyse")->text(), "Analisa");
    EXPECT_TRUE(Enabled(window, "btAnalyse"));
    QStringList hidden;
    for (const char* name : {"btLoad", "btCalculate", "btGridRefresh", "btChartRefresh"}) {
        EXPECT_FALSE(Shown(window, name)) << name;
        hidden.append(Find<QAbstractButton>(window, name)->text());
    }
    EXPECT_EQ(hidden, QStringList({"Carrega dados", "Calcula dados", "Atualiza GRID", "Atualiza CHART"}));
    EXPECT_EQ(Find<QGroupBox>(window, "GroupBox2")->title() + "|" +
                  Find<QGroupBox>(window, "GroupBox3")->title(),
              "Análise posicional|&Gráfico");
    ExpectCommands(window, {{"CalculadoraCSN1", "Calculadora CSN", QKeySequence(Qt::Key_F9)}});
    EXPECT_NE(Find(window, "ToolButton8"), nullptr);

    // The grid: one row per number, columns "0" (not drawn), the positions
    // and the run.
    auto* grid = Find<QTableWidget>(window, "sg1");
    ASSERT_EQ(grid->rowCount(), 61);
    ASSERT_EQ(grid->columnCount(), 9);
    QStringList header;
    for (int c = 0; c < 9; ++c) header.append(Cell(window, 0, c));
    EXPECT_EQ(header, QStringList({"dez/posição", "0", "1", "2", "3", "4", "5", "6", "repetição"}));
    EXPECT_EQ(Cell(window, 1, 0) + "|" + Cell(window, 60, 0), "1|60");
    for (int r = 1; r <= 60; ++r) {
        EXPECT_TRUE(Cell(window, r, 1).endsWith('%'));
        const int run = Cell(window, r, 8).toInt();
        EXPECT_GE(std::abs(run), 1);
        EXPECT_LE(std::abs(run), 22); // S + 2
    }
    // Number 60 never stands first, and number 1 never last.
    EXPECT_EQ(Cell(window, 60, 2) + "|" + Cell(window, 1, 7), "0,0%|0,0%");

    auto* chart = Find<TChartView>(window, "Chart1");
    EXPECT_EQ(chart->Title(), "Gráfico posicional/bayesiano");
    EXPECT_EQ(chart->BottomAxisTitle() + "|" + chart->LeftAxisTitle(), "Posição|P(sorteio)");
    EXPECT_EQ(chart->toolTip(),
              "Marque uma área no gráfico para zoom, clique numa das linhas para saber qual a "
              "dezena correspondente.");
    ASSERT_EQ(chart->SeriesCount(), 1);
    const TChartSeries& bars = chart->Series(0);
    EXPECT_EQ(bars.Title(), "Dezena 1");
    EXPECT_EQ(bars.SeriesKind(), TChartSeries::Kind::Bar);
    EXPECT_EQ(bars.Color(), QColor(Qt::red));
    EXPECT_TRUE(bars.MarksVisible());
    ASSERT_EQ(bars.Count(), 7);
    double total = 0;
    for (int p = 0; p < 7; ++p) total += bars.Y(p);
    EXPECT_NEAR(total, 100, 1e-9);
    // A click on another row plots that number.
    grid->setCurrentCell(7, 3);
    EXPECT_EQ(bars.Title(), "Dezena 7");

    // Nothing ignored: the lists, no score. Every number of the newest draw
    // (presence runs give at least 1 - 0.1^2) is advised against.
    const QStringList lines = MemoLines(window);
    EXPECT_EQ(lines.first(), "NÃO APOSTAR EM:");
    EXPECT_EQ(lines.last(), "FIM DA ANÁLISE");
    EXPECT_TRUE(lines.contains("APOSTAR EM:"));
    EXPECT_EQ(Find<QPlainTextEdit>(window, "memoPreview")->toPlainText().indexOf("Acertividade"), -1);
    QList<int> newest;
    const TLottery& lottery = *game->Lottery();
    for (int p = 0; p < 6; ++p) newest.append(lottery.SortedDraws[static_cast<size_t>(p)][3046]);
    EXPECT_EQ(Listed(window, "NÃO APOSTAR EM:"), newest);

    // The command again brings the same window forward.
    Action(game, "Anliseposicionalbayesiana1")->trigger();
    EXPECT_EQ(game->AnalysisWindow(TLottery::PositionalBayesian), window);
    EXPECT_EQ(main.MdiArea()->activeSubWindow(), window->parentWidget());

    const QPointer<TForm11> closed(window);
    CloseFrame(window);
    EXPECT_TRUE(closed.isNull());
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::PositionalBayesian]);
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
}

TEST_F(TForm11Test, IgnoredDrawIsScoredAndColoursFollowTheTolerance) {
    TForm11* window = OpenAnalysis();
    ASSERT_NE(window, nullptr);
    Find<QSpinBox>(window, "udSampleIgnore")->setValue(1);
    EXPECT_EQ(Text(window, "edSampleIgnore"), "1");
    EXPECT_EQ(window->Last(), 3045);
    EXPECT_EQ(window->First(), 3024);
    EXPECT_EQ(window->Next(), 3046);
    const TLottery& lottery = *game->Lottery();
    QList<int> analysed, held;
    for (int p = 0; p < 6; ++p) {
        analysed.append(lottery.SortedDraws[static_cast<size_t>(p)][3045]);
        held.append(lottery.SortedDraws[static_cast<size_t>(p)][3046]);
    }
    EXPECT_EQ(Listed(window, "NÃO APOSTAR EM:"), analysed);
    int repeated = 0;
    for (int n : analysed) repeated += held.contains(n) ? 1 : 0;
    const QStringList lines = MemoLines(window);
    const qsizetype score = lines.indexOf("Acertividade (sorteio 3047):");
    ASSERT_GT(score, 0);
    EXPECT_TRUE(lines[score + 1].startsWith("Corretos = " + QString::number(6 - repeated) + " ("));
    EXPECT_TRUE(lines[score + 2].startsWith("Incorretos = " + QString::number(repeated) + " ("));
    // A random list of six misses 6 x 54 / 60 of the six drawn numbers.
    EXPECT_TRUE(lines[score + 3].startsWith("Ao acaso = 5,40 corretos em média; P(corretos >= "))
        << lines[score + 3];

    // Widest tolerance: red at P0 >= 55 %, sky blue at P0 <= 45 %, the grid's
    // colour between; header cells in the fixed colour.
    auto* tolerance = Find<QSpinBox>(window, "udTolerancia");
    tolerance->setValue(45);
    EXPECT_EQ(Text(window, "edTolerancia"), "45");
    const TPositionalBayesAnalysis& engine = window->Engine();
    int red = 0, blue = 0, plain = 0;
    const QColor base = Find<QTableWidget>(window, "sg1")->palette().color(QPalette::Base);
    for (int n = 1; n <= 60; ++n) {
        const double notDrawn = engine.P[0][static_cast<size_t>(n)];
        const QColor expected = notDrawn >= 0.55   ? QColor(Qt::red)
                                : notDrawn <= 0.45 ? TForm11::SkyBlue()
                                                   : base;
        for (int c = 1; c <= 8; ++c) EXPECT_EQ(window->CellColor(n, c), expected) << n << " " << c;
        red += expected == QColor(Qt::red);
        blue += expected == TForm11::SkyBlue();
        plain += expected == base;
    }
    EXPECT_GE(red, 6); // the newest draw, and numbers missing for at most 4 draws
    EXPECT_GT(blue, 0);
    EXPECT_EQ(Listed(window, "APOSTAR EM:").size(), blue);
    EXPECT_EQ(window->CellColor(0, 3), Find<QTableWidget>(window, "sg1")->palette().color(QPalette::Button));
    EXPECT_EQ(window->CellColor(5, 0), window->CellColor(0, 0));

    // What the grid really paints.
    const int avoided = analysed[0];
    EXPECT_EQ(Painted(window, avoided, 2), QColor(Qt::red));
    EXPECT_EQ(Painted(window, Listed(window, "APOSTAR EM:").first(), 8), TForm11::SkyBlue());
    EXPECT_EQ(Painted(window, 0, 4), window->CellColor(0, 0));
    // Back to 10 %: the same cells repaint without their fill where P0 no
    // longer meets the narrower thresholds.
    tolerance->setValue(10);
    for (int n = 1; n <= 60; ++n) {
        const double notDrawn = engine.P[0][static_cast<size_t>(n)];
        if (notDrawn > 0.1 && notDrawn < 0.9) {
            EXPECT_EQ(Painted(window, n, 1), base) << n;
            break;
        }
    }
}

TEST_F(TForm11Test, TheoryOnlyListsEveryNumberAtTheDefaultTolerance) {
    TForm11* window = OpenAnalysis();
    ASSERT_NE(window, nullptr);
    Click(window, "cbTheoryOnly");
    ASSERT_TRUE(Checked(window, "cbTheoryOnly"));
    for (int r = 1; r <= 60; ++r) {
        EXPECT_EQ(Cell(window, r, 1), "90,0%");
        EXPECT_EQ(Cell(window, r, 8), "0");
        EXPECT_EQ(window->CellColor(r, 1), QColor(Qt::red));
    }
    EXPECT_EQ(Listed(window, "NÃO APOSTAR EM:").size(), 60);
    EXPECT_TRUE(Listed(window, "APOSTAR EM:").isEmpty());
    // Position 1 of number 1 is C(59,5) / C(60,6) = 6 / 60.
    EXPECT_EQ(Cell(window, 1, 2), "10,0%");
    EXPECT_NEAR(Find<TChartView>(window, "Chart1")->Series(0).Y(0), 90, 1e-12);
    Click(window, "cbTheoryOnly");
    EXPECT_NE(Cell(window, 1, 8), "0");
}

TEST_F(TForm11Test, ZeroBasedGameLabelsRowsFromZeroAndWalksStopAtTheFirstDraw) {
    // Balls 0..9, three a draw; ball 7 is never drawn (number 8).
    std::string text = "Concurso;Bola1;Bola2;Bola3\r\n";
    for (int d = 1; d <= 12; ++d)
        text += std::to_string(d) + ";" + std::to_string(d % 3) + ";" + std::to_string(4 + d % 2) + ";" +
                (d % 4 == 0 ? "9" : "6") + "\r\n";
    text += "13;0;3;8\r\n";
    TForm11* window = OpenAnalysis(Write("zero.csv", text));
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(game->Lottery()->ZeroBased);
    // Fewer than 20 draws: the whole history, from draw 0 onwards.
    auto* size = Find<QSpinBox>(window, "udSampleSize");
    EXPECT_EQ(QList<int>({size->minimum(), size->value(), size->maximum()}), QList<int>({10, 13, 13}));
    EXPECT_LT(window->First(), 0);
    auto* grid = Find<QTableWidget>(window, "sg1");
    ASSERT_EQ(grid->rowCount(), 11);
    EXPECT_EQ(Cell(window, 1, 0) + "|" + Cell(window, 10, 0), "0|9");
    EXPECT_EQ(Cell(window, 8, 5), "-13"); // ball 7: absent from all 13 draws, no further
    EXPECT_EQ(Cell(window, 4, 5), "1");   // ball 3: only in the newest draw
    // The chart and the memo name the number.
    EXPECT_EQ(Find<TChartView>(window, "Chart1")->Series(0).Title(), "Dezena 1");
    grid->setCurrentCell(8, 1);
    EXPECT_EQ(Find<TChartView>(window, "Chart1")->Series(0).Title(), "Dezena 8");
    EXPECT_EQ(Listed(window, "NÃO APOSTAR EM:"), QList<int>({1, 4, 9}));
    // Held out, the newest draw scores the lists.
    Find<QSpinBox>(window, "udSampleIgnore")->setValue(1);
    EXPECT_TRUE(MemoLines(window).contains("Acertividade (sorteio 13):"));
    Find<QSpinBox>(window, "udSampleIgnore")->setValue(12);
    EXPECT_EQ(window->Last(), 0);
    EXPECT_EQ(Cell(window, 8, 5), "-1");
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
}

TEST_F(TForm11Test, SampleSizeBoxStoresTheValueWithoutRefreshing) {
    TForm11* window = OpenAnalysis();
    ASSERT_NE(window, nullptr);
    const QString memo = Find<QPlainTextEdit>(window, "memoPreview")->toPlainText();
    ASSERT_FALSE(memo.isEmpty());
    TInputBox::Script({"15", "abc", std::nullopt, "3", "99999"});
    DoubleClick(Find(window, "edSampleSize"));
    ASSERT_EQ(TInputBox::Asked().size(), 1);
    EXPECT_EQ(TInputBox::Asked()[0].Caption + "|" + TInputBox::Asked()[0].Prompt + "|" +
                  TInputBox::Asked()[0].Value,
              "Informe o valor:|Tamanho da amostra|20");
    EXPECT_EQ(Text(window, "edSampleSize"), "15");
    EXPECT_EQ(Find<QSpinBox>(window, "udSampleSize")->value(), 15);
    EXPECT_EQ(window->First(), 3046 - 21); // still the sample of 20
    EXPECT_EQ(Find<QPlainTextEdit>(window, "memoPreview")->toPlainText(), memo);
    DoubleClick(Find(window, "edSampleIgnore")); // a word: ignored
    DoubleClick(Find(window, "edSampleIgnore")); // Cancel
    EXPECT_EQ(Text(window, "edSampleSize"), "15");
    DoubleClick(Find(window, "edSampleIgnore")); // raised to 10, into the sample size
    EXPECT_EQ(Text(window, "edSampleSize"), "10");
    EXPECT_EQ(Text(window, "edSampleIgnore"), "0");
    window->edSampleSizeDblClick(); // lowered to the number of draws
    EXPECT_EQ(Text(window, "edSampleSize"), "3047");
    Click(window, "btPreview");
    EXPECT_EQ(window->First(), 3046 - 3048);
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
}

TEST_F(TForm11Test, CopyAndCalculatorHandOff) {
    std::vector<TLottery*> handOffs;
    main.SetCalculatorOpener([&](TLottery* l, int n, int k, const std::optional<QString>&) {
        EXPECT_EQ(n * 100 + k, 6006);
        handOffs.push_back(l);
    });
    TForm11* window = OpenAnalysis();
    ASSERT_NE(window, nullptr);
    auto* grid = Find<QTableWidget>(window, "sg1");
    auto* popup = Find<QMenu>(window, "PopupMenu1");
    RightClick(grid);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_FALSE(Action(window, "CalculadoraCSN2")->isVisible());
    EXPECT_FALSE(Find<QMenu>(window, "kvizinhosprximos1")->menuAction()->isVisible());
    Action(window, "Copiar1")->trigger();
    popup->hide();
    const QStringList rows = QApplication::clipboard()->text().split("\r\n");
    EXPECT_EQ(rows.size(), 62);
    EXPECT_EQ(rows.value(0), "dez/posição\t0\t1\t2\t3\t4\t5\t6\trepetição\t");
    EXPECT_TRUE(rows.value(1).startsWith("1\t"));
    Action(window, "CalculadoraCSN1")->trigger();
    ASSERT_EQ(handOffs.size(), 1u);
    EXPECT_EQ(handOffs[0], game->Lottery());
}

TEST_F(TForm11Test, BaseWindowRunsTheStepsWithoutComputing) {
    game = Open(
        Write("small.csv", "Concurso;Bola1;Bola2\r\n1;1;2\r\n2;3;4\r\n3;2;5\r\n4;1;5\r\n5;4;3\r\n6;2;1\r\n"));
    ASSERT_NE(game, nullptr);
    TForm1 base(*game, TLottery::PositionalBayesian);
    EXPECT_EQ(base.windowTitle(), "Análise");
    EXPECT_FALSE(Enabled(&base, "btAnalyse"));
    auto* chart = Find<TChartView>(&base, "Chart1");
    EXPECT_EQ(chart->Title() + "|" + chart->BottomAxisTitle() + "|" + chart->LeftAxisTitle(),
              "Gráfico|Tempo|Percentual");
    EXPECT_EQ(Text(&base, "edSampleIgnore"), "1");
    EXPECT_EQ(Find<QPlainTextEdit>(&base, "memoPreview")->toPlainText(), "Sem previsão");
    base.btLoadClick();
    // Six draws: the sample is all of them, and at most five can be ignored.
    auto* size = Find<QSpinBox>(&base, "udSampleSize");
    EXPECT_EQ(QList<int>({size->minimum(), size->value(), size->maximum()}), QList<int>({6, 6, 6}));
    EXPECT_EQ(Find<QSpinBox>(&base, "udSampleIgnore")->maximum(), 5);
    EXPECT_EQ(Text(&base, "edSampleIgnore"), "0");
    Find<QSpinBox>(&base, "udSampleIgnore")->setValue(2);
    EXPECT_EQ(QList<int>({base.Last(), base.First(), base.Next()}), QList<int>({3, -4, 4}));
    base.btAnalyseClick();
    EXPECT_EQ(Find<QPlainTextEdit>(&base, "memoPreview")->toPlainText(), "Analisando...");
}

} // namespace
