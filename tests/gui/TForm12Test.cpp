// The back-test window inside the main window: opening by its menu command
// (Ctrl+R), a run on a small game with its table, verdicts, detail and copy,
// and "Parar", which keeps and scores the contests done.
#include "GuiTestSupport.h"
#include "TForm12.h"

#include <QClipboard>
#include <QProgressBar>
#include <QSpinBox>
#include <QTableWidget>

#include <random>

namespace {

using namespace gui;

class TForm12Test : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        TForm12::Install(main);
    }
    // A uniform history of `count` draws of 10 numbers, 3 per draw.
    QString SmallGame(int count) {
        std::mt19937 engine(4);
        std::string text = "Concurso;Bola1;Bola2;Bola3\r\n";
        for (int d = 1; d <= count; ++d) {
            std::vector<int> balls{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
            std::shuffle(balls.begin(), balls.end(), engine);
            text += std::to_string(d) + ";" + std::to_string(balls[0]) + ";" + std::to_string(balls[1]) + ";" +
                    std::to_string(balls[2]) + "\r\n";
        }
        return Write("small.csv", text);
    }
    TForm12* OpenWindow(const QString& path) {
        game = Open(path);
        QAction* command = Action(game, "Testeretroativo1");
        EXPECT_EQ(command->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
        command->trigger();
        auto* window = qobject_cast<TForm12*>(game->AnalysisWindow(TLottery::Backtest));
        EXPECT_NE(window, nullptr);
        return window;
    }
    TForm3* game = nullptr;
};

TEST_F(TForm12Test, RunsShowsTheTableAndTheDetailOfARow) {
    TForm12* window = OpenWindow(SmallGame(30));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Teste retroativo: small.csv");
    EXPECT_TRUE(game->Lottery()->WindowOpen[TLottery::Backtest]);
    auto* contests = Find<QSpinBox>(window, "UpDown1");
    EXPECT_EQ(contests->value(), 30);
    contests->setValue(12);
    Find<QSpinBox>(window, "udCap")->setValue(1);
    Click(window, "Button1");
    WaitFor([window] { return !window->Running(); });
    ASSERT_TRUE(window->LastResult().has_value());
    EXPECT_EQ(window->LastResult()->Done, 12);
    auto* grid = Find<QTableWidget>(window, "sg1");
    ASSERT_EQ(grid->rowCount(), TBacktest::MethodCount + 1);
    EXPECT_EQ(grid->item(0, 0)->text(), "Previsor");
    EXPECT_EQ(grid->item(0, 5)->text(), "Veredito");
    EXPECT_EQ(grid->item(9, 0)->text(), "Aleatória (controle)");
    for (int r = 1; r < grid->rowCount(); ++r) {
        EXPECT_EQ(grid->item(r, 1)->text(), "12");
        const QString verdict = grid->item(r, 5)->text();
        EXPECT_TRUE(verdict == "dentro do acaso" || verdict.startsWith("acima do acaso (p = ") ||
                    verdict.startsWith("abaixo do acaso (p = "))
            << verdict;
    }
    EXPECT_EQ(Find<QProgressBar>(window, "ProgressBar1")->value(), 12);
    window->sg1DblClick(9);
    auto* detail = Find<QTableWidget>(window, "sg2");
    ASSERT_EQ(detail->rowCount(), 13);
    EXPECT_EQ(detail->item(0, 1)->text(), "Previsão");
    EXPECT_EQ(detail->item(1, 0)->text(), "19");
    EXPECT_EQ(detail->item(1, 1)->text().split(' ').size(), 3);
    // "Copiar" over the table copies it as tab-separated text.
    window->Copiar1Click();
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("Previsor\tConcursos\tAcertos\tEsperado\tValor p\tVeredito"));
}

TEST_F(TForm12Test, StopKeepsTheContestsDoneAndClosingDoesNotWait) {
    TForm12* window = OpenWindow(SmallGame(300));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Find<QSpinBox>(window, "UpDown1")->value(), 100);
    EXPECT_EQ(Find<QSpinBox>(window, "udCap")->value(), 100);
    Find<QSpinBox>(window, "udCap")->setValue(3);
    Click(window, "Button1");
    EXPECT_TRUE(window->Running());
    WaitFor([window] { return Find<QProgressBar>(window, "ProgressBar1")->value() >= 1; });
    Click(window, "Button3");
    WaitFor([window] { return !window->Running(); });
    ASSERT_TRUE(window->LastResult().has_value());
    const auto& result = *window->LastResult();
    EXPECT_TRUE(result.Stopped);
    EXPECT_GE(result.Done, 1);
    EXPECT_LT(result.Done, 100);
    EXPECT_TRUE(Memo(window).startsWith("Parado: ")) << Memo(window);
    // A second run, closed while it trains: the window goes at once.
    Click(window, "Button1");
    EXPECT_TRUE(window->Running());
    QPointer<TForm12> alive(window);
    CloseFrame(window);
    EXPECT_TRUE(alive.isNull());
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::Backtest]);
}

} // namespace

