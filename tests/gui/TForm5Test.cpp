// The delay analysis window inside the main window: opening from the game
// window with its controls and texts, the grid over the whole history in each
// view, the settings that forget the training, training on the worker with
// "Parar" and closing mid-run, copying and the forecast menu.
#include "GuiTestSupport.h"
#include "TChartView.h"
#include "TDelayAnalysis.h"

#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>

namespace {

using namespace gui;

class TForm5Test : public WindowTest {
protected:
    // The game window of the file and its delay window, opened by F7.
    TForm5* OpenAnalysis(const QString& path = DataDir + "/megasena.csv") {
        game = Open(path);
        Action(game, "Anliseatrasadas1")->trigger();
        auto* window = qobject_cast<TForm5*>(game->AnalysisWindow(TLottery::Delay));
        EXPECT_NE(window, nullptr);
        return window;
    }
    // Starts a run without a pass limit and waits until it has made `passes` passes.
    static void TrainEndlessly(TForm5* window, int passes, uint64_t seed = 1) {
        window->Engine().Network.Seed(seed);
        window->Engine().MaxPasses = 0;
        Click(window, "Button1");
        WaitFor([window, passes] { return Text(window, "Edit4").toInt() >= passes; });
    }
    static QTableView* Grid(const TForm5* window) { return Find<QTableView>(window, "sg1"); }
    static QString Cell(const TForm5* window, int row, int column) {
        const QAbstractItemModel* model = Grid(window)->model();
        return model->data(model->index(row - 1, column)).toString();
    }
    static QStringList Header(const TForm5* window) {
        QStringList texts;
        const QAbstractItemModel* model = Grid(window)->model();
        for (int c = 0; c < model->columnCount(); ++c)
            texts.append(model->headerData(c, Qt::Horizontal).toString());
        return texts;
    }
    void ExpectClosed(const QPointer<TForm5>& window) {
        WaitGone(window);
        EXPECT_TRUE(window.isNull());
        EXPECT_TRUE(main.MdiArea()->findChildren<TForm5*>().isEmpty());
    }

    TForm3* game = nullptr;
};

TEST_F(TForm5Test, OpensOncePerGameWithItsControlsAndTexts) {
    TForm5* window = OpenAnalysis();
    EXPECT_EQ(window->windowTitle(), "Análise atrasadas: megasena.csv");
    EXPECT_TRUE(game->Lottery()->WindowOpen[TLottery::Delay]);
    EXPECT_EQ(Find<QGroupBox>(window, "GroupBox1")->title(), "Análise do atraso por bola");
    EXPECT_EQ(Find<QGroupBox>(window, "GroupBox2")->title(), "&Gráfico");
    EXPECT_EQ(Find<QGroupBox>(window, "GroupBox3")->title(), "Regressão");
    const auto label = [window](const char* name) { return Find<QLabel>(window, name)->text(); };
    EXPECT_EQ(QStringList({label("Label1"), label("Label2"), label("Label3"), label("Label4"),
                           label("Label5"), label("Label6")}),
              QStringList({"Frequência:", "Não incluir últimos:", "Tamanho da amostra:", "Campo de análise:",
                           "Previsão:", "spLines:"}));
    const auto radio = [window](const char* name) {
        const auto* button = Find<QRadioButton>(window, name);
        return button->text() + "|" + button->toolTip() + (button->isChecked() ? "|x" : "");
    };
    EXPECT_EQ(radio("opAbsoluto"),
              "Absoluta|Mostra, para cada bola, a quantidade de ocorrência de atrasos (não "
              "sorteio) e adiantamentos (sorteio).|x");
    EXPECT_EQ(radio("opRelativo"),
              "Relativa|Mostra, para cada bola, a distância da probabilidade real desta para a "
              "teórica");
    EXPECT_EQ(radio("opPasseio"),
              "Passeio aleatório|Mostra, para cada bola, o passeio aleatório (estilo cara-ou-coroa)");
    EXPECT_EQ(QStringList({radio("opLin"), radio("opExp"), radio("opLog"), radio("opPot")}),
              QStringList({"Linear||x", "Exponencial|", "Logarítmica|", "Potência|"}));
    EXPECT_EQ(Find<QPushButton>(window, "Button2")->text() + "|" +
                  Find<QPushButton>(window, "Button2")->toolTip(),
              "Preview|Atualizar a previsão");
    EXPECT_TRUE(Enabled(window, "Button1") && !Enabled(window, "Button3"));
    EXPECT_FALSE(Shown(window, "Button4"));
    EXPECT_EQ(Texts(window, {"Edit1", "Edit2", "Edit3", "Edit4"}), QStringList({"40", "0", "0", "0"}));
    EXPECT_EQ(Find<QLineEdit>(window, "Edit3")->toolTip() + "|" + Find<QLineEdit>(window, "Edit4")->toolTip(),
              "Erro da rede|Épocas");
    auto* upDown = Find<QSpinBox>(window, "UpDown1");
    EXPECT_EQ(QList<int>({upDown->minimum(), upDown->value(), upDown->maximum()}),
              QList<int>({10, 40, 3047}));
    auto* upUlt = Find<QSpinBox>(window, "upUlt");
    EXPECT_EQ(QList<int>({upUlt->minimum(), upUlt->value(), upUlt->maximum()}), QList<int>({0, 0, 3037}));
    auto* sb3 = Find<QScrollBar>(window, "sb3");
    EXPECT_EQ(QList<int>({sb3->minimum(), sb3->value(), sb3->maximum()}), QList<int>({1, 1, 30}));
    auto* combo = Find<QComboBox>(window, "ComboBox1");
    ASSERT_EQ(combo->count(), 60);
    EXPECT_EQ(combo->itemText(0) + "|" + combo->itemText(59) + "|" + combo->toolTip(),
              "1ª dezena|60ª dezena|Bola a analisar");
    EXPECT_EQ(combo->currentIndex(), 0);
    // No tool bar and no calculator commands.
    EXPECT_FALSE(Shown(window, "ToolBar1"));
    EXPECT_FALSE(Action(window, "CalculadoraCSN2")->isVisible());

    // The sample is rows 3007..3047; without training the line -68 and no forecast.
    const QStringList memo = Memo(window).split('\n');
    EXPECT_TRUE(memo.front().startsWith("Tendência à ")) << memo.front();
    EXPECT_EQ(memo.mid(memo.indexOf("Atraso máximo teórico com 99,9% de certeza:"), 2),
              QStringList({"Atraso máximo teórico com 99,9% de certeza:", "-68"}));
    EXPECT_EQ(memo.mid(memo.size() - 2), QStringList({"------------", "Sem previsão"}));
    const TChartView* chart = Find<TChartView>(window, "Chart1");
    EXPECT_EQ(chart->Title(), "Freqüência da bola selecionada");
    EXPECT_EQ(chart->Series(0).Count(), 41);
    EXPECT_EQ(chart->Series(0).X(0), 3007);
    EXPECT_EQ(chart->Series(1).Y(40), -68);
    EXPECT_EQ(chart->Series(2).Title(), "Regressão linear");

    // F7 again brings the same window forward; closed, it is forgotten.
    Activate(game);
    Action(game, "Anliseatrasadas1")->trigger();
    EXPECT_EQ(game->AnalysisWindow(TLottery::Delay), window);
    EXPECT_EQ(main.MdiArea()->activeSubWindow(), window->parentWidget());
    const QPointer<TForm5> closed(window);
    CloseFrame(window);
    ExpectClosed(closed);
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::Delay]);
}

TEST_F(TForm5Test, GridShowsTheWholeHistoryInEachView) {
    TForm5* window = OpenAnalysis();
    const TDelayAnalysis& engine = window->Engine();
    const QAbstractItemModel* model = Grid(window)->model();
    EXPECT_EQ(model->rowCount(), 3047);
    EXPECT_EQ(model->columnCount(), 63);
    QStringList header = Header(window);
    EXPECT_EQ(header.mid(0, 2) + header.mid(60),
              QStringList({"Concurso", "Dez.1", "Dez.60", "Soma", "Produto"}));
    // The first draw of the Mega-Sena holds 4, 5, 30, 33, 41, 52.
    EXPECT_EQ(QStringList({Cell(window, 1, 0), Cell(window, 1, 4), Cell(window, 1, 5), Cell(window, 1, 1)}),
              QStringList({"1", "1", "1", "-1"}));
    for (const int row : {1, 1500, 3047})
        for (const int column : {0, 17, 61, 62})
            EXPECT_EQ(Cell(window, row, column).toStdString(), engine.CellText(row, column))
                << row << " " << column;

    // Another view rebuilds the table and forgets U.
    auto* upUlt = Find<QSpinBox>(window, "upUlt");
    upUlt->setValue(5);
    EXPECT_EQ(Text(window, "Edit2"), "5");
    Click(window, "opRelativo");
    EXPECT_EQ(Text(window, "Edit2"), "0");
    EXPECT_EQ(upUlt->value(), 0);
    header = Header(window);
    EXPECT_EQ(header.mid(61), QStringList({"Média", "Variância", "Desvio padrão"}));
    EXPECT_TRUE(Cell(window, 3047, 1).contains(',')) << Cell(window, 3047, 1);
    QStringList memo = Memo(window).split('\n');
    EXPECT_EQ(memo.mid(memo.indexOf("Probabilidade teórica:"), 2),
              QStringList({"Probabilidade teórica:", "0,01666667"}));
    Click(window, "opPasseio");
    EXPECT_EQ(model->columnCount(), 64);
    EXPECT_EQ(Header(window).mid(61), QStringList({"Soma", "Produto", ""}));
    EXPECT_EQ(Cell(window, 2, 61), "-96"); // each draw adds 6 - 54
    memo = Memo(window).split('\n');
    EXPECT_TRUE(memo.contains("Primeira passagem na origem: 0") &&
                memo.contains("Probabilidade de retorno à origem: 0"))
        << Memo(window);
    Click(window, "opAbsoluto");
    EXPECT_EQ(model->columnCount(), 63);
}

TEST_F(TForm5Test, SettingsChangeTheSampleAndTheBall) {
    TForm5* window = OpenAnalysis();
    const TChartView* chart = Find<TChartView>(window, "Chart1");
    // U = 10 moves the sample to rows 2997..3037.
    Find<QSpinBox>(window, "upUlt")->setValue(10);
    EXPECT_EQ(chart->Series(0).X(40), 3037);
    // The sample-size box of the frame: 5 sets 10, rows 3027..3037.
    TInputBox::Script({"5"});
    window->Edit1DblClick();
    EXPECT_EQ(Text(window, "Edit1"), "10");
    EXPECT_EQ(chart->Series(0).Count(), 11);
    // Another ball: its column becomes the grid's current one and its values the "Real" series.
    Find<QComboBox>(window, "ComboBox1")->setCurrentIndex(9);
    EXPECT_EQ(Grid(window)->currentIndex().column(), 10);
    EXPECT_EQ(chart->Series(0).Y(0), window->Engine().Cell(3027, 10));
    // Regression kinds and segments redraw the regression line.
    Click(window, "opExp");
    EXPECT_EQ(window->Engine().Kind, TDelayAnalysis::Regression::Exponential);
    Find<QScrollBar>(window, "sb3")->setValue(3);
    EXPECT_EQ(window->Engine().Segments, 3);
    EXPECT_EQ(chart->Series(2).Count(), 11);
}

TEST_F(TForm5Test, TrainingRunsUntilPararAndShowsTheForecast) {
    TForm5* window = OpenAnalysis();
    TrainEndlessly(window, 0);
    EXPECT_TRUE(window->Running());
    EXPECT_EQ(Memo(window), "Analisando, aguarde");
    for (const char* name : {"Button1", "Button2", "ComboBox1", "opRelativo", "upUlt", "sb3"})
        EXPECT_FALSE(Enabled(window, name)) << name;
    EXPECT_TRUE(Enabled(window, "Button3"));
    WaitFor([window] { return Text(window, "Edit4").toInt() >= 3; });
    Click(window, "Button3");
    WaitFor([window] { return !window->Running(); });
    EXPECT_TRUE(window->Engine().Trained());
    EXPECT_TRUE(Enabled(window, "Button1") && !Enabled(window, "Button3"));
    double error = 0;
    EXPECT_TRUE(NumberText::TryParseFloat(Text(window, "Edit3").toStdString(), error))
        << Text(window, "Edit3");
    const QStringList memo = Memo(window).split('\n');
    ASSERT_GE(memo.size(), 4);
    EXPECT_EQ(memo[memo.size() - 4], "Próximo atraso para a dezena:");
    EXPECT_EQ(memo[memo.size() - 2], "Margem de erro da rede no último atraso:");
    EXPECT_TRUE(memo.back().endsWith("%")) << memo.back();
    const TChartSeries& fit = Find<TChartView>(window, "Chart1")->Series(1);
    EXPECT_EQ(fit.Count(), 42); // the sample's fit and the next draw
    EXPECT_EQ(fit.X(41), 3048);
    // Another ball forgets the training.
    Find<QComboBox>(window, "ComboBox1")->setCurrentIndex(1);
    EXPECT_EQ(Memo(window).split('\n').back(), "Sem previsão");
}

TEST_F(TForm5Test, ClosingInTheMiddleOfARunIsSafe) {
    QPointer<TForm5> analysis = OpenAnalysis();
    TrainEndlessly(analysis, 2);
    CloseFrame(analysis);
    ExpectClosed(analysis);
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::Delay]);
    // The game window, with its delay window training.
    Action(game, "Anliseatrasadas1")->trigger();
    analysis = qobject_cast<TForm5*>(game->AnalysisWindow(TLottery::Delay));
    TrainEndlessly(analysis, 2);
    const QPointer<TForm3> gameWindow(game);
    CloseFrame(game);
    ProcessDeletes();
    ExpectClosed(analysis);
    EXPECT_TRUE(gameWindow.isNull());
}

TEST_F(TForm5Test, CopyAndForecastMenu) {
    TForm5* window = OpenAnalysis();
    auto* popup = Find<QMenu>(window, "PopupMenu1");
    auto* forecast = Find<QMenu>(window, "Previso1");
    RightClick(Grid(window));
    EXPECT_TRUE(popup->isVisible());
    EXPECT_FALSE(forecast->menuAction()->isVisible());
    Action(window, "Copiar1")->trigger();
    popup->hide();
    const QStringList rows = QApplication::clipboard()->text().split("\r\n");
    ASSERT_EQ(rows.size(), 3049); // 3048 rows and the empty rest after the last CR LF
    EXPECT_TRUE(rows[0].startsWith("Concurso\tDez.1\tDez.2\t") && rows[0].endsWith("\tSoma\tProduto\t"))
        << rows[0];
    EXPECT_TRUE(rows[3047].startsWith("3047\t")) << rows[3047];
    EXPECT_EQ(QApplication::clipboard()->text(), window->GridText());

    // Over Chart1 the forecasts are offered: k-nearest neighbours and moving averages.
    auto* chart = Find<TChartView>(window, "Chart1");
    RightClick(chart);
    EXPECT_TRUE(forecast->menuAction()->isVisible());
    EXPECT_EQ(Captions(forecast->actions()), QStringList({"k-vizinhos-próximos", "Média móvel"}));
    EXPECT_EQ(Captions(Find<QMenu>(window, "Mdiamvel1")->actions()), QStringList({"Suave", "Ajustado"}));
    EXPECT_FALSE(Action(window, "Wavelet1")->isEnabled());
    popup->hide();
    Action(window, "Suave1")->trigger();
    EXPECT_EQ(chart->Series(1).Count(), 41 - 10 + 1);
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
    Action(window, "Normal1")->trigger();
    EXPECT_EQ(TMessageBox::Last(), "Análise finalizada");
    EXPECT_GT(chart->Series(1).Count(), 0);
}

} // namespace
