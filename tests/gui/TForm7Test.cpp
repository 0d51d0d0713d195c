// The segmentation analysis window inside the main window: opening from the
// game window, its controls, a seeded voting run on the worker, "Parar" and
// closing mid-run.
#include "GuiTestSupport.h"
#include "TChartSeries.h"
#include "TChartView.h"

#include <QLabel>
#include <QPointer>
#include <QSlider>
#include <QSpinBox>

namespace {

using namespace gui;

class TForm7Test : public WindowTest {
protected:
    // The game window of the file and its segmentation window, opened by F8.
    TForm7* OpenAnalysis(const QString& path = DataDir + "/quina.csv") {
        game = Open(path);
        Action(game, "Anlisebase51")->trigger();
        auto* window = qobject_cast<TForm7*>(game->AnalysisWindow(TLottery::Segmentation));
        EXPECT_NE(window, nullptr);
        return window;
    }
    static void Run(TForm7* window, const QString& votes, uint64_t seed) {
        window->Engine().Network.Seed(seed);
        Find<QLineEdit>(window, "Edit4")->setText(votes);
        Click(window, "Button1");
        WaitFor([window] { return !window->Running(); });
    }
    static const TChartSeries& Series(TForm7* window, int i) {
        return Find<TChartView>(window, "Chart1")->Series(i);
    }

    TForm3* game = nullptr;
};

TEST_F(TForm7Test, OpensWithItsControlsAndSample) {
    TForm7* window = OpenAnalysis();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Análise segmentação: quina.csv");
    const int draws = game->Lottery()->DrawCount;
    auto* upDown = Find<QSpinBox>(window, "UpDown1");
    EXPECT_EQ(QList<int>({upDown->minimum(), upDown->value(), upDown->maximum()}),
              QList<int>({10, 40, draws}));
    EXPECT_EQ(Text(window, "Edit4"), "50");
    auto* track = Find<QSlider>(window, "TrackBar1");
    EXPECT_EQ(QList<int>({track->minimum(), track->value(), track->maximum()}), QList<int>({1, 50, 500}));
    track->setValue(123);
    EXPECT_EQ(track->toolTip(), "123");
    EXPECT_EQ(Find<QLabel>(window, "Label5")->text(), "Previsão:");
    EXPECT_EQ(Find<QAbstractButton>(window, "opSemUltimo")->text(), "Não analisar último item");
    EXPECT_FALSE(Enabled(window, "Button3"));
    auto* grid = Find<QTableWidget>(window, "sg1");
    ASSERT_EQ(grid->rowCount(), 41);
    ASSERT_EQ(grid->columnCount(), 2);
    const auto newest = static_cast<size_t>(draws - 1);
    EXPECT_EQ(grid->item(0, 1)->text(), "CSN");
    EXPECT_EQ(grid->item(40, 0)->text(), QString::number(draws));
    EXPECT_EQ(grid->item(40, 1)->text().toStdString(),
              NumberText::FormatGeneral(game->Lottery()->CSNs[newest]));
    Click(window, "opNotacNorm");
    EXPECT_EQ(grid->item(0, 1)->text(), "Bola");
    EXPECT_EQ(grid->item(40, 1)->text(), QString::number(game->Lottery()->SortedDraws[0][newest]));
    // F8 again brings the same window forward.
    Activate(game);
    Action(game, "Anlisebase51")->trigger();
    EXPECT_EQ(main.MdiArea()->findChildren<TForm7*>().size(), 1);
}

TEST_F(TForm7Test, SeededVotesAreReproducibleInBothNotations) {
    TForm7* window = OpenAnalysis();
    ASSERT_NE(window, nullptr);
    Find<QSlider>(window, "TrackBar1")->setValue(1);
    Run(window, "3", 5);
    const QString first = Memo(window);
    const QStringList lines = first.split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "Votos: 3");
    EXPECT_EQ(lines[1], "Tovisca\tPeso");
    EXPECT_EQ(Find<QLabel>(window, "Label5")->text(), "Previsão");
    EXPECT_TRUE(Enabled(window, "Button1"));
    EXPECT_FALSE(Enabled(window, "Button3"));
    const auto newest = static_cast<size_t>(game->Lottery()->DrawCount - 1);
    ASSERT_EQ(Series(window, 1).Count(), 3);
    EXPECT_EQ(Series(window, 1).Points()[1].x(), game->Lottery()->CSNs[newest]);
    EXPECT_GE(Series(window, 0).Count(), 3) << "(0, 0), the votes, (U, 0)";
    Run(window, "3", 5);
    EXPECT_EQ(Memo(window), first);

    Click(window, "opNotacNorm");
    Run(window, "abc", 5);
    EXPECT_TRUE(Memo(window).startsWith("Votos: 1\nTovisca\tPeso\n"));
    EXPECT_EQ(Series(window, 1).Points()[1].x(), game->Lottery()->SortedDraws[0][newest]);
    EXPECT_EQ(Series(window, 1).Points()[2].x(), game->Lottery()->Elements());
}

TEST_F(TForm7Test, PararKeepsTheVoteAndClosingMidRunIsSafe) {
    TForm7* window = OpenAnalysis();
    ASSERT_NE(window, nullptr);
    Find<QLineEdit>(window, "Edit4")->setText("100000");
    Click(window, "Button1");
    EXPECT_TRUE(window->Running());
    EXPECT_EQ(Memo(window), "Analisando, aguarde");
    WaitFor([window] { return Text(window, "Edit3").toInt() >= 1; });
    Click(window, "Button3");
    WaitFor([window] { return !window->Running(); });
    EXPECT_TRUE(Memo(window).startsWith("Votos: 100000\nTovisca\tPeso")) << Memo(window).toStdString();

    Click(window, "Button1");
    WaitFor([window] { return Text(window, "Edit3").toInt() >= 1; });
    const QPointer<TForm7> closed(window);
    CloseFrame(window);
    EXPECT_TRUE(closed.isNull());
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::Segmentation]);
}

} // namespace
