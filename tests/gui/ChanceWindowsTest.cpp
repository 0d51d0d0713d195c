// Every statistic beside its chance distribution, in the windows: the game
// window's ball-frequency verdict, the positional, delay, bayesian and
// recurrence windows' "Acaso" panels (verdict line and grid) and the delay
// chart's 95 % band, each copied by "Copiar".
#include "CoreTestSupport.h"
#include "GuiTestSupport.h"
#include "TChanceAudit.h"
#include "TChartSeries.h"
#include "TChartView.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>

namespace {

using namespace gui;

class ChanceWindowsTest : public WindowTest {
protected:
    template <typename Window> Window* OpenKind(TForm3* game, const char* action, TLottery::WindowKind kind) {
        Action(game, action)->trigger();
        auto* window = qobject_cast<Window*>(game->AnalysisWindow(kind));
        EXPECT_NE(window, nullptr);
        return window;
    }
    // "Copiar" over a control of a window whose pop-up menu is PopupMenu1.
    static QString CopyOver(QWidget* window, QWidget* control) {
        QApplication::clipboard()->clear();
        RightClick(control);
        auto* popup = Find<QMenu>(window, "PopupMenu1");
        Action(window, "Copiar1")->trigger();
        popup->hide();
        return QApplication::clipboard()->text();
    }
    static QString Verdict(QWidget* window) { return Find<QLabel>(window, "lbAcaso")->text(); }
    // A 20/4 history of 40 uniform draws.
    QString SmallGame() {
        std::vector<std::vector<int>> draws;
        for (const auto& draw : TChanceAudit::SyntheticHistory(20, 4, 40, 3))
            draws.emplace_back(draw.begin(), draw.end());
        return Write("pequeno.csv", History(draws));
    }
};

bool IsVerdict(const QString& text) {
    return text == "dentro do acaso" || text.startsWith("fora do acaso (p = ");
}

TEST_F(ChanceWindowsTest, GameWindowShowsAndCopiesTheBallFrequencyVerdict) {
    TForm3* game = Open();
    ASSERT_NE(game, nullptr);
    const TChanceTest test = TChanceAudit::BallFrequency(60, 6, TChanceAudit::LastDraws(*game->Lottery(), 0));
    auto* edit = Find<QLineEdit>(game, "Edit6");
    EXPECT_EQ(Find<QLabel>(game, "Label6")->text(), "Frequência das bolas:");
    EXPECT_EQ(edit->text().toStdString(), test.Verdict);
    EXPECT_TRUE(IsVerdict(edit->text()));
    // The figures stay as they were.
    EXPECT_EQ(Text(game, "Edit1"), "60");
    EXPECT_EQ(Text(game, "Edit2"), "6");

    QApplication::clipboard()->clear();
    const QPoint at(edit->width() / 2, edit->height() / 2);
    emit edit->customContextMenuRequested(at);
    Action(game, "Copiar1")->trigger();
    game->PopupMenu()->hide();
    const QString copied = QApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith("Elementos combinados: 60\n")) << copied.left(80);
    EXPECT_TRUE(copied.contains("\nFrequência das bolas\t")) << copied.left(400);
    EXPECT_TRUE(copied.contains(QString::fromStdString(test.Verdict)));
    EXPECT_TRUE(copied.contains("\nBola\tContagem\tEsperado\tz\tp\tp Holm\tp BH\n"));

    // Over the grid, "Copiar" still copies the draws.
    RightClick(game->Grid());
    Action(game, "Copiar1")->trigger();
    game->PopupMenu()->hide();
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("Concurso\tBola 1\t"));
}

TEST_F(ChanceWindowsTest, PositionalWindowShowsItsGoodnessOfFit) {
    TForm3* game = Open();
    auto* window = OpenKind<TForm9>(game, "Anliseposicional1", TLottery::Positional);
    ASSERT_NE(window, nullptr);
    const TChanceTest test = TChanceAudit::Positional(*game->Lottery(), 60);
    EXPECT_EQ(Verdict(window).toStdString(), test.Summary());
    EXPECT_TRUE(Verdict(window).startsWith("Frequência posicional: "));
    auto* grid = Find<QTableWidget>(window, "sgAcaso");
    const QString copied = CopyOver(window, grid);
    // The grid's rows are as wide as its widest, so short rows end in empty cells.
    EXPECT_TRUE(copied.startsWith("Teste\tEstatística\tgl\tp\tVeredito\t")) << copied.left(120);
    EXPECT_TRUE(copied.contains("\r\nFrequência posicional\t"));
    EXPECT_TRUE(copied.contains("\r\nPosição\tX²\tgl\tClasses\tp\tp Holm\t\r\n1\t")) << copied;
    EXPECT_TRUE(copied.contains("Amostra: 60 concursos"));
    // A new sample size is a new test.
    Find<QSpinBox>(window, "UpDown1")->setValue(200);
    EXPECT_EQ(Verdict(window).toStdString(), TChanceAudit::Positional(*game->Lottery(), 200).Summary());
    // The grid of counts is still copied over sg1.
    EXPECT_TRUE(CopyOver(window, Find<QTableWidget>(window, "sg1")).startsWith("dez/bola\t1\t2\t"));
}

TEST_F(ChanceWindowsTest, DelayWindowShowsPercentilesAndTheBand) {
    TForm3* game = Open();
    auto* window = OpenKind<TForm5>(game, "Anliseatrasadas1", TLottery::Delay);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(Verdict(window).startsWith("Atraso atual: "));
    const QString copied = CopyOver(window, Find<QTableWidget>(window, "sgAcaso"));
    EXPECT_TRUE(copied.contains("\r\nBola\tAtraso\tPercentil %\tP(atraso >= d)\tp Holm\t\r\n1\t"));
    EXPECT_TRUE(copied.contains("Faixa de 95 % do acaso: atraso até 28, adiantamento até 1"));

    // Chart1: "Real", "Previsão", "Regressão linear", then the band at -28
    // and +1 across the sample.
    const TChartView* chart = Find<TChartView>(window, "Chart1");
    ASSERT_EQ(chart->SeriesCount(), 5);
    EXPECT_EQ(chart->Series(0).Title(), "Real");
    EXPECT_EQ(chart->Series(3).Title(), "Acaso 95 % atraso");
    ASSERT_EQ(chart->Series(3).Count(), 2);
    EXPECT_EQ(chart->Series(3).Y(0), -28);
    EXPECT_EQ(chart->Series(4).Y(1), 1);
    EXPECT_EQ(chart->Series(3).X(0), chart->Series(0).X(0));
    EXPECT_EQ(chart->Series(3).X(1), chart->Series(0).X(chart->Series(0).Count() - 1));
    // Other views have no band.
    Click(window, "opPasseio");
    EXPECT_EQ(chart->Series(3).Count(), 0);
}

TEST_F(ChanceWindowsTest, BayesianWindowShowsThePairsAndTheRecordsOfTheBestCombination) {
    TForm3* game = Open(SmallGame());
    ASSERT_NE(game, nullptr);
    auto* window = OpenKind<TForm8>(game, "Anlisebayesiana1", TLottery::Bayesian);
    ASSERT_NE(window, nullptr);
    const TChanceTest pairs = TChanceAudit::Pairs(20, 4, TChanceAudit::LastDraws(*game->Lottery(), 40));
    EXPECT_EQ(Verdict(window).toStdString(), pairs.Summary());
    Click(window, "Button5");
    WaitFor([window] { return !window->Running(); });
    EXPECT_TRUE(Verdict(window).contains("; Recordes de acertos: ")) << Verdict(window);
    const QString copied = CopyOver(window, Find<QTableWidget>(window, "sgAcaso"));
    EXPECT_TRUE(copied.contains("\r\nA\tB\tContagem\tEsperado\tp\tp BH\t")) << copied.left(600);
    EXPECT_TRUE(copied.contains("\r\n1\t2\t"));
    EXPECT_TRUE(copied.contains("\r\nAcertos\tRecorde\tAcaso mín.\tAcaso mediana\tAcaso média\tAcaso máx.\t"
                                "p empírico\tp Holm\t\r\n0\t"));
    EXPECT_TRUE(copied.contains("Históricos sintéticos: 20 de 40 concursos"));
    // The memo of "Melhor comb." is as before.
    EXPECT_TRUE(Memo(window).startsWith("Posição (Vitórias):\tCSN"));
}

TEST_F(ChanceWindowsTest, RecurrenceWindowComparesItsRecordsWithChance) {
    TForm3* game = Open(SmallGame());
    ASSERT_NE(game, nullptr);
    auto* window = OpenKind<TForm10>(game, "Anliserecorrencial1", TLottery::Recurrence);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(Enabled(window, "btAcaso"));
    Click(window, "Button1");
    WaitFor([window] { return !window->Running(); });
    ASSERT_TRUE(Enabled(window, "btAcaso"));
    Click(window, "btAcaso");
    WaitFor([window] { return !window->Running(); });
    EXPECT_TRUE(Verdict(window).startsWith("Recordes de acertos: ")) << Verdict(window);
    const std::vector<int32_t> real = window->Engine().Results().Count1;
    const QString copied = CopyOver(window, Find<QTableWidget>(window, "sgAcaso"));
    // The real record of 0 hits beside its chance distribution.
    EXPECT_TRUE(copied.contains("\r\n0\t" + QString::number(real[0]) + "\t")) << copied;
    EXPECT_TRUE(copied.contains("Históricos sintéticos: 20 de 20 concursos"));
    // A new sample discards the results and the comparison.
    Find<QSpinBox>(window, "UpDown1")->setValue(30);
    EXPECT_FALSE(Enabled(window, "btAcaso"));
    EXPECT_FALSE(Verdict(window).startsWith("Recordes de acertos: "));
}

} // namespace
