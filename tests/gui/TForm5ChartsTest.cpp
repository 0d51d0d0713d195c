// The delay window's chart views on the Mega-Sena history (sample rows
// 3007..3047, ball 1): the chooser shows one view at a time, each with its
// titles and series; the web has one axis per ball and two lines; the return
// map's lag and histograms; every chart copies as a picture; the correlation
// matrix copies as text.
#include "GuiTestSupport.h"
#include "TChartView.h"
#include "TDelayAnalysis.h"
#include "TQSGLine.h"
#include "TQSpiderAxe.h"
#include "TQSpiderGraph.h"

#include <QAreaSeries>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QPieSeries>
#include <QPieSlice>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <tuple>

namespace {

using namespace gui;

class TForm5ChartsTest : public WindowTest {
protected:
    TForm5* OpenAnalysis() {
        game = Open(DataDir + "/megasena.csv");
        Action(game, "Anliseatrasadas1")->trigger();
        auto* window = qobject_cast<TForm5*>(game->AnalysisWindow(TLottery::Delay));
        EXPECT_NE(window, nullptr);
        return window;
    }
    static void Choose(TForm5* window, int item) {
        Find<QComboBox>(window, "ComboBox2")->setCurrentIndex(item);
    }
    static QStringList SeriesTitles(const TChartView* chart) {
        QStringList titles;
        for (int i = 0; i < chart->SeriesCount(); ++i) titles.append(chart->Series(i).Title());
        return titles;
    }
    TForm3* game = nullptr;
};

TEST_F(TForm5ChartsTest, TheChooserShowsOneViewAtATime) {
    TForm5* window = OpenAnalysis();
    auto* chooser = Find<QComboBox>(window, "ComboBox2");
    QStringList items;
    for (int i = 0; i < chooser->count(); ++i) items.append(chooser->itemText(i));
    EXPECT_EQ(items, QStringList({"Frequência da bola selecionada", "Atraso geral", "Share de maior atraso",
                                  "Share de menor atraso", "Share de frequencia", "Teia de correlação",
                                  "Análise das ondaletas", "Mapa de retorno", "Periodograma",
                                  "Distribuição temporal"}));
    EXPECT_EQ(chooser->font().family(), "Lucida Console");
    EXPECT_EQ(chooser->currentIndex(), 0);
    const std::vector<std::vector<const char*>> views = {
        {"Chart1"},        {"Chart2"},
        {"Chart3"},        {"Chart4"},
        {"Chart5"},        {"Chart6", "Button6", "Button7"},
        {"Chart7", "sb1"}, {"Chart8", "sb2", "opHistX", "opHistY"},
        {"Chart9"},        {"Chart10"}};
    for (int item = 0; item < 10; ++item) {
        Choose(window, item);
        for (int other = 0; other < 10; ++other)
            for (const char* name : views[static_cast<size_t>(other)])
                EXPECT_EQ(Shown(window, name), other == item) << item << " " << name;
    }
    EXPECT_FALSE(Shown(window, "Button5"));
    EXPECT_EQ(Find<QPushButton>(window, "Button6")->text(), "Copiar correlações");
    EXPECT_EQ(Find<QPushButton>(window, "Button7")->text(), "Copiar gráfico");
    EXPECT_EQ(Find<QCheckBox>(window, "opHistX")->text() + "|" + Find<QCheckBox>(window, "opHistY")->text(),
              "Histograma X|Histograma Y");
    EXPECT_FALSE(Checked(window, "opHistX") || Checked(window, "opHistY"));
    for (const char* name :
         {"Chart1", "Chart2", "Chart3", "Chart4", "Chart5", "Chart7", "Chart8", "Chart9", "Chart10"})
        EXPECT_EQ(Find(window, name)->toolTip(), "Marque uma área no gráfico para zoom") << name;
    EXPECT_EQ(Find(window, "Chart6")->toolTip(),
              "Coeficiente de correlação obtido pela regressão linear da bola versus as demais.");

    // "Distribuição temporal" runs Preview before it shows: a ball chosen
    // without its handler is taken up.
    Choose(window, 0);
    {
        auto* ball = Find<QComboBox>(window, "ComboBox1");
        const QSignalBlocker blocker(ball);
        ball->setCurrentIndex(5);
    }
    Choose(window, 9);
    EXPECT_EQ(Find<TChartView>(window, "Chart1")->Series(0).Y(0), window->Engine().Cell(3007, 6));
}

TEST_F(TForm5ChartsTest, EachViewDrawsTheSample) {
    TForm5* window = OpenAnalysis();
    const TDelayAnalysis& engine = window->Engine();

    Choose(window, 1);
    auto* general = Find<TChartView>(window, "Chart2");
    EXPECT_EQ(general->Title() + "|" + general->BottomAxisTitle() + "|" + general->LeftAxisTitle(),
              "Atraso geral|Vez|Atraso (jogos)");
    ASSERT_EQ(general->SeriesCount(), 60);
    EXPECT_EQ(general->Series(0).Title(), "Bola 1");
    EXPECT_EQ(general->Series(59).Title(), "Bola 60");
    EXPECT_EQ(general->Series(16).Count(), 41);
    EXPECT_EQ(general->Series(16).X(40), 3047);
    EXPECT_EQ(general->Series(16).Y(40), engine.Cell(3047, 17));

    // The pies: a slice per ball, biggest first and pulled out.
    for (const auto& [item, name, title] :
         {std::tuple{2, "Chart3", "Share de maior atraso"}, std::tuple{3, "Chart4", "Share de menor atraso"},
          std::tuple{4, "Chart5", "Share de frequencia"}}) {
        Choose(window, item);
        auto* chart = Find<TChartView>(window, name);
        EXPECT_EQ(chart->Title(), title);
        const TChartSeries& pie = chart->Series(0);
        ASSERT_EQ(pie.Count(), 60) << name;
        EXPECT_EQ(pie.Title(), "Share");
        EXPECT_TRUE(pie.Label(0).startsWith("Dez.") && pie.Label(0).endsWith(":")) << pie.Label(0);
        for (int i = 1; i < pie.Count(); ++i) EXPECT_GE(pie.Y(i - 1), pie.Y(i)) << name;
        auto* slices = qobject_cast<QPieSeries*>(pie.QtSeries());
        ASSERT_NE(slices, nullptr);
        EXPECT_TRUE(slices->slices().first()->isExploded());
        EXPECT_FALSE(chart->ZoomEnabled());
    }

    // Wavelet: 41 values make 6 levels; the default level 3 has 8 waves.
    Choose(window, 6);
    auto* waves = Find<TChartView>(window, "Chart7");
    EXPECT_EQ(waves->Title(), "Análise das ondaletas (método Haars)");
    auto* level = Find<QScrollBar>(window, "sb1");
    EXPECT_EQ(QList<int>({level->minimum(), level->value(), level->maximum()}), QList<int>({0, 3, 4}));
    EXPECT_EQ(SeriesTitles(waves),
              QStringList({"Onda 0", "Onda 1", "Onda 2", "Onda 3", "Onda 4", "Onda 5", "Onda 6", "Onda 7"}));
    EXPECT_EQ(Find<QLabel>(window, "Chart7Foot")->text(), "Nível 3");
    EXPECT_FALSE(waves->LegendVisible());
    level->setValue(1);
    EXPECT_EQ(waves->SeriesCount(), 2);
    EXPECT_EQ(Find<QLabel>(window, "Chart7Foot")->text(), "Nível 1");

    Choose(window, 8);
    auto* spectrum = Find<TChartView>(window, "Chart9");
    EXPECT_TRUE(spectrum->Title().startsWith("Periodograma ") &&
                spectrum->Title().endsWith("Transformada de Fourier"));
    EXPECT_EQ(spectrum->BottomAxisTitle() + "|" + spectrum->LeftAxisTitle(), "Frequência|Amplitude");
    EXPECT_EQ(spectrum->Series(0).Title(), "Amplitude");
    EXPECT_EQ(spectrum->Series(0).Count(), 41);
    for (int i = 0; i < spectrum->Series(0).Count(); ++i) EXPECT_GE(spectrum->Series(0).Y(i), 0);

    Choose(window, 9);
    auto* times = Find<TChartView>(window, "Chart10");
    EXPECT_EQ(times->Title() + "|" + times->BottomAxisTitle() + "|" + times->LeftAxisTitle(),
              "Distribuição temporal|Concurso|Dezena");
    ASSERT_EQ(times->SeriesCount(), 60);
    EXPECT_EQ(times->Series(59).Title(), "Dezena 60");
    int marks = 0;
    for (int b = 0; b < 60; ++b)
        for (int i = 0; i < times->Series(b).Count(); ++i) {
            ++marks;
            EXPECT_EQ(times->Series(b).Y(i), b + 1);
        }
    EXPECT_EQ(marks, 41 * 6);

    // A new view of the table keeps the per-ball series and redraws them.
    Click(window, "opPasseio");
    Choose(window, 1);
    EXPECT_EQ(general->SeriesCount(), 60);
    EXPECT_EQ(general->Series(16).Y(40), window->Engine().Cell(3047, 17));
}

TEST_F(TForm5ChartsTest, CorrelationWebAndItsCopies) {
    TForm5* window = OpenAnalysis();
    Choose(window, 5);
    auto* web = Find<TQSpiderGraph>(window, "Chart6");
    EXPECT_EQ(web->titleCaption(), "Teia de correlação");
    ASSERT_EQ(web->axesCount(), 60);
    ASSERT_EQ(web->linesCount(), 2);
    EXPECT_EQ(web->Lines(0)->caption() + "|" + web->Lines(1)->caption(), "Positiva|Negativa");
    EXPECT_EQ(web->Axes(16)->caption(), "17");
    // The selected ball's own axis shows 1 on the positive line.
    EXPECT_EQ(web->Lines(0)->values()[0], 1.0f);
    EXPECT_EQ(web->Lines(1)->values()[0], 0.0f);
    const TDelayAnalysis& engine = window->Engine();
    for (int b = 2; b <= 60; ++b) {
        const double c = engine.BallCorrelation(1, b);
        EXPECT_EQ(web->Lines(0)->values()[static_cast<size_t>(b - 1)], c >= 0 ? static_cast<float>(c) : 0.0f);
        EXPECT_EQ(web->Lines(1)->values()[static_cast<size_t>(b - 1)], c < 0 ? static_cast<float>(-c) : 0.0f);
    }

    Click(window, "Button6");
    EXPECT_EQ(TMessageBox::Last(), "Dados das correlações copiados");
    const QStringList lines = QApplication::clipboard()->text().split("\r\n");
    ASSERT_EQ(lines.size(), 61);
    EXPECT_TRUE(lines.back().isEmpty());
    const QStringList first = lines[0].split('\t');
    ASSERT_EQ(first.size(), 62); // ball, 60 values, the rest after the last TAB
    EXPECT_EQ(first[0], "1");
    EXPECT_EQ(first[1], "1,0000");
    EXPECT_EQ(first[17].toStdString(), NumberText::FormatFixed(engine.BallCorrelation(1, 17), 4));
    EXPECT_EQ(lines[59].split('\t')[60], "1,0000");

    QApplication::clipboard()->clear();
    Click(window, "Button7");
    EXPECT_EQ(TMessageBox::Last(), "Gráfico copiado");
    const QImage picture = QApplication::clipboard()->image();
    EXPECT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), web->size());
}

TEST_F(TForm5ChartsTest, ReturnMapLagAndHistograms) {
    TForm5* window = OpenAnalysis();
    Choose(window, 7);
    auto* map = Find<TChartView>(window, "Chart8");
    auto* lag = Find<QScrollBar>(window, "sb2");
    EXPECT_EQ(QList<int>({lag->minimum(), lag->value(), lag->maximum()}), QList<int>({1, 1, 39}));
    EXPECT_EQ(map->Title(), "Mapa de retorno");
    EXPECT_EQ(map->BottomAxisTitle() + "|" + map->LeftAxisTitle(), "Retorno 1|Frequência");
    EXPECT_EQ(SeriesTitles(map), QStringList({"Histograma Y", "Histograma X", "Distribuição"}));
    const TChartSeries& points = map->Series(2);
    ASSERT_EQ(points.Count(), 40);
    const TDelayAnalysis& engine = window->Engine();
    EXPECT_EQ(points.X(0), engine.Cell(3008, 1));
    EXPECT_EQ(points.Y(0), engine.Cell(3007, 1));
    EXPECT_EQ(map->Series(0).Count() + map->Series(1).Count(), 0);

    lag->setValue(5);
    EXPECT_EQ(map->BottomAxisTitle(), "Retorno 5");
    EXPECT_EQ(points.Count(), 36);
    Click(window, "opHistX");
    Click(window, "opHistY");
    EXPECT_EQ(map->Series(0).Count(), 20);
    EXPECT_EQ(map->Series(1).Count(), 20);
    // The bars of each histogram count every point once.
    double stepY = 0;
    double lowY = points.Y(0), highY = points.Y(0);
    for (int i = 0; i < points.Count(); ++i) {
        lowY = std::min(lowY, points.Y(i));
        highY = std::max(highY, points.Y(i));
    }
    stepY = highY > lowY ? (highY - lowY) / 20 : 1;
    double counted = 0;
    for (int b = 0; b < 20; ++b) counted += (map->Series(1).Y(b) - lowY) / (stepY * 0.5);
    EXPECT_NEAR(counted, 36, 1e-9);
    // The lag and the histogram options forget the training, as every setting does.
    EXPECT_EQ(Memo(window).split('\n').back(), "Sem previsão");
}

TEST_F(TForm5ChartsTest, EveryChartCopiesAsAPicture) {
    TForm5* window = OpenAnalysis();
    for (const auto& [item, name] :
         {std::pair{0, "Chart1"}, std::pair{1, "Chart2"}, std::pair{2, "Chart3"}, std::pair{3, "Chart4"},
          std::pair{4, "Chart5"}, std::pair{6, "Chart7"}, std::pair{7, "Chart8"}, std::pair{8, "Chart9"},
          std::pair{9, "Chart10"}}) {
        Choose(window, item);
        auto* chart = Find<TChartView>(window, name);
        QApplication::clipboard()->clear();
        RightClick(chart);
        Action(window, "Copiar1")->trigger();
        Find<QMenu>(window, "PopupMenu1")->hide();
        const QImage picture = QApplication::clipboard()->image();
        ASSERT_FALSE(picture.isNull()) << name;
        // Not a blank picture: the chart's title, axes and series leave more than one colour.
        const QImage small = picture.scaled(64, 64);
        bool varied = false;
        for (int y = 0; y < small.height() && !varied; ++y)
            for (int x = 0; x < small.width() && !varied; ++x)
                varied = small.pixel(x, y) != small.pixel(0, 0);
        EXPECT_TRUE(varied) << name;
    }
}

TEST(ReturnMapBars, HorizontalBarsAndABaseOtherThanZero) {
    // The return map's histograms: bars along x from the axis minimum (Y) and
    // upright bars from the axis minimum (X).
    TChartView chart;
    TChartSeries& across = chart.AddBarSeries(QStringLiteral("Histograma Y"));
    across.SetHorizontalBars(true);
    across.SetBarBase(2);
    across.Append(5, 1);
    across.Append(3, 2);
    TChartSeries& upright = chart.AddBarSeries(QStringLiteral("Histograma X"));
    upright.SetBarBase(-1);
    upright.Append(1, 4);
    chart.Redraw();
    auto* area = qobject_cast<QAreaSeries*>(across.QtSeries());
    ASSERT_NE(area, nullptr);
    const QList<QPointF> outline = area->upperSeries()->points();
    const QList<QPointF> expected = {{2, 0.6}, {5, 0.6}, {5, 1.4}, {2, 1.4},
                                     {2, 1.6}, {3, 1.6}, {3, 2.4}, {2, 2.4}};
    ASSERT_EQ(outline.size(), expected.size());
    for (int i = 0; i < outline.size(); ++i) {
        EXPECT_NEAR(outline[i].x(), expected[i].x(), 1e-12) << i;
        EXPECT_NEAR(outline[i].y(), expected[i].y(), 1e-12) << i;
    }
    EXPECT_EQ(area->lowerSeries()->points().size(), 2);
    EXPECT_EQ(area->lowerSeries()->points().front().x(), 2);
    const QList<QPointF> bar = qobject_cast<QAreaSeries*>(upright.QtSeries())->upperSeries()->points();
    ASSERT_EQ(bar.size(), 4);
    EXPECT_EQ(bar[0].y(), -1);
    EXPECT_EQ(bar[1].y(), 4);
    EXPECT_EQ(bar[3].y(), -1);
    // The axes take in the bars and their bases.
    EXPECT_LE(chart.LeftRange().min, -1);
    EXPECT_LE(chart.LeftRange().min, 0.6);
    EXPECT_GE(chart.LeftRange().max, 4);
    EXPECT_GE(chart.BottomRange().max, 5);
}

} // namespace
