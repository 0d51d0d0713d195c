// The lexicographic analysis window inside the main window: opening from the
// game window, the sample-size box, training on the worker with "Parar" and
// closing mid-run, "Todas as bolas", bookmark files, copying and hand-offs.
#include "GuiTestSupport.h"
#include "TChartView.h"
#include "TLexicographicAnalysis.h"

#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QSlider>
#include <QSpinBox>
#include <filesystem>

namespace {

using namespace gui;
using Lines = std::vector<std::string>;

class TForm4Test : public WindowTest {
protected:
    // The game window of the file and its lexicographic window, opened by F6.
    TForm4* OpenAnalysis(const QString& path = DataDir + "/megasena.csv") {
        game = Open(path);
        Action(game, "Anliselexicogrfica1")->trigger();
        auto* window = qobject_cast<TForm4*>(game->AnalysisWindow(TLottery::Lexicographic));
        EXPECT_NE(window, nullptr);
        return window;
    }
    static void Train(TForm4* window, int passes, uint64_t seed = 1) {
        window->Engine().Network.Seed(seed);
        window->Engine().MaxPasses = passes;
        Click(window, "Button1");
        WaitFor([window] { return !window->Running(); });
    }
    // Starts a run without a pass limit and waits until it has made `passes` passes.
    static void TrainEndlessly(TForm4* window, int passes) {
        window->Engine().MaxPasses = 0;
        Click(window, "Button1");
        WaitFor([window, passes] { return Text(window, "Edit3").toInt() >= passes; });
    }
    void ExpectClosed(const QPointer<TForm4>& window) {
        WaitGone(window);
        EXPECT_TRUE(window.isNull());
        EXPECT_TRUE(main.MdiArea()->findChildren<TForm4*>().isEmpty());
    }
    Lines ReadNet(const QString& file) {
        Lines lines;
        std::string error;
        EXPECT_TRUE(TLexicographicAnalysis::ReadLines(file.toStdString(), lines, error)) << error;
        return lines;
    }

    TForm3* game = nullptr;
};

TEST_F(TForm4Test, OpensOncePerGameWithTheLastFortyDraws) {
    TForm4* window = OpenAnalysis();
    EXPECT_EQ(window->windowTitle(), "Análise lexicográfica: megasena.csv");
    auto* upDown = Find<QSpinBox>(window, "UpDown1");
    EXPECT_EQ(QList<int>({upDown->minimum(), upDown->value(), upDown->maximum()}),
              QList<int>({10, 40, 3047}));
    EXPECT_EQ(Text(window, "Edit1"), "40");
    auto* combo = Find<QComboBox>(window, "ComboBox1");
    ASSERT_EQ(combo->count(), 7);
    EXPECT_EQ(combo->itemText(0) + "|" + combo->itemText(6), "1ª bola|Todas as bolas");
    auto* grid = Find<QTableWidget>(window, "sg1");
    EXPECT_EQ(grid->rowCount(), 41);
    EXPECT_EQ(grid->columnCount(), 7);
    EXPECT_EQ(grid->item(40, 0)->text(), "3047");
    EXPECT_EQ(grid->item(40, 1)->text().toStdString(),
              NumberText::FormatGeneral(game->Lottery()->CSNs[3046]));
    EXPECT_EQ(Memo(window), "Sem previsão");
    EXPECT_EQ(Find<TChartView>(window, "Chart1")->Series(0).Count(), 36);
    // F6 again brings the same window forward.
    Activate(game);
    Action(game, "Anliselexicogrfica1")->trigger();
    EXPECT_EQ(game->AnalysisWindow(TLottery::Lexicographic), window);
    EXPECT_EQ(main.MdiArea()->findChildren<TForm4*>().size(), 1);
    EXPECT_EQ(main.MdiArea()->activeSubWindow(), window->parentWidget());
    // Closed, it is forgotten; the command then opens a new one.
    const QPointer<TForm4> closed(window);
    CloseFrame(window);
    ExpectClosed(closed);
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::Lexicographic]);
    Action(game, "Anliselexicogrfica1")->trigger();
    EXPECT_NE(game->AnalysisWindow(TLottery::Lexicographic), nullptr);
}

TEST_F(TForm4Test, AHistoryOfFewerThanTenDrawsIsAnalysedWhole) {
    std::string text = "Concurso;Bola1;Bola2;Bola3\r\n";
    for (int d = 1; d <= 6; ++d) text += std::to_string(d) + ";" + std::to_string(d) + ";7;9\r\n";
    TForm4* window = OpenAnalysis(Write("six.csv", text));
    ASSERT_NE(window, nullptr);
    auto* upDown = Find<QSpinBox>(window, "UpDown1");
    EXPECT_EQ(std::pair(upDown->value(), upDown->maximum()), std::pair(6, 6));
    EXPECT_EQ(Find<QTableWidget>(window, "sg1")->rowCount(), 7);
    // Two training rows are not enough for a pattern of four draws before: nothing is trained or breaks.
    Click(window, "CheckBox2");
    Click(window, "Button1");
    EXPECT_FALSE(window->Running());
    EXPECT_EQ(Memo(window), "Sem previsão");
    Find<QComboBox>(window, "ComboBox1")->setCurrentIndex(3);
    Train(window, 1);
    EXPECT_EQ(Memo(window).split('\n').size(), 2 + 9);
    TInputBox::Script({QStringLiteral("3")});
    window->Edit1DblClick();
    EXPECT_EQ(upDown->value(), 6);
}

TEST_F(TForm4Test, SampleSizeBoxClampsAndIgnoresWords) {
    TForm4* window = OpenAnalysis();
    auto* grid = Find<QTableWidget>(window, "sg1");
    auto* edit1 = Find<QLineEdit>(window, "Edit1");
    TInputBox::Script({"5", "99999", "abc", std::nullopt, "", "25"});
    window->Edit1DblClick();
    ASSERT_EQ(TInputBox::Asked().size(), 1);
    const TInputBox::Question& asked = TInputBox::Asked()[0];
    EXPECT_EQ(QStringList({asked.Caption, asked.Prompt, asked.Value}),
              QStringList({"Informe o valor:", "Tamanho da amostra", "40"}));
    EXPECT_EQ(edit1->text(), "10");
    EXPECT_EQ(grid->rowCount(), 11);
    window->Edit1DblClick();
    for (int i = 0; i < 3; ++i) window->Edit1DblClick(); // a word, Cancel, an empty answer
    EXPECT_EQ(edit1->text(), "3047");
    EXPECT_EQ(Find<QSpinBox>(window, "UpDown1")->value(), 3047);
    EXPECT_EQ(grid->rowCount(), 3048);
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
    // A double click on the field asks too; the up-down reloads.
    QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit1, &click);
    EXPECT_EQ(edit1->text(), "25");
    EXPECT_EQ(grid->rowCount(), 26);
}

TEST_F(TForm4Test, TrainingRunsUntilPararAndShowsTheForecast) {
    TForm4* window = OpenAnalysis();
    window->Engine().Network.Seed(2);
    TrainEndlessly(window, 0);
    EXPECT_TRUE(window->Running());
    EXPECT_EQ(Memo(window), "Analisando, aguarde");
    for (const char* name : {"Button1", "Button2", "ComboBox1"}) EXPECT_FALSE(Enabled(window, name)) << name;
    window->UpDown1Click(); // handlers that would touch the engine wait
    EXPECT_EQ(Memo(window), "Analisando, aguarde");
    WaitFor([window] { return Text(window, "Edit3").toInt() >= 3; });
    Click(window, "Button3");
    WaitFor([window] { return !window->Running(); });
    EXPECT_TRUE(window->Engine().Trained());
    EXPECT_TRUE(Enabled(window, "Button1") && !Enabled(window, "Button3"));
    // The network error in exponent notation, the forecast in the memo and beside the real values.
    EXPECT_TRUE(QRegularExpression("^-?\\d,\\d{7}E[+-]\\d\\d$").match(Text(window, "Edit2")).hasMatch())
        << Text(window, "Edit2");
    const QString memo = Memo(window);
    EXPECT_TRUE(memo.startsWith("Margem de erro da rede no concurso 3047: ")) << memo;
    EXPECT_TRUE(memo.contains("Previsão p/ concurso 3048:\n") && memo.contains("Dezena prevista: ")) << memo;
    const TChartSeries& fit = Find<TChartView>(window, "Chart1")->Series(1);
    EXPECT_EQ(fit.Count(), 37); // from row 5 on, and the next draw
    EXPECT_EQ(fit.X(36), 3048);
    // Changing the skip mode makes the network untrained; the two modes exclude each other.
    Click(window, "CheckBox2");
    EXPECT_EQ(Memo(window), "Sem previsão");
    Click(window, "CheckBox1");
    EXPECT_FALSE(Checked(window, "CheckBox2"));
}

TEST_F(TForm4Test, ClosingInTheMiddleOfARunIsSafe) {
    // The analysis window itself.
    QPointer<TForm4> analysis = OpenAnalysis();
    TrainEndlessly(analysis, 2);
    CloseFrame(analysis);
    ExpectClosed(analysis);
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::Lexicographic]);
    // The game window, with its analysis window training.
    Action(game, "Anliselexicogrfica1")->trigger();
    analysis = qobject_cast<TForm4*>(game->AnalysisWindow(TLottery::Lexicographic));
    TrainEndlessly(analysis, 2);
    const QPointer<TForm3> gameWindow(game);
    CloseFrame(game);
    ProcessDeletes();
    ExpectClosed(analysis);
    EXPECT_TRUE(gameWindow.isNull());
    // A game window destroyed outright (the history goes with it).
    analysis = OpenAnalysis();
    TrainEndlessly(analysis, 1);
    delete game->parentWidget();
    QApplication::processEvents();
    ExpectClosed(analysis);
}

TEST_F(TForm4Test, AllBallsVotes) {
    TForm4* window = OpenAnalysis();
    Find<QComboBox>(window, "ComboBox1")->setCurrentIndex(6);
    EXPECT_TRUE(Shown(window, "Panel4") && !Shown(window, "Panel5"));
    EXPECT_EQ(Find<QSlider>(window, "TrackBar1")->value(), 40);
    EXPECT_EQ(Text(window, "Edit4"), "3");
    // A word counts as one vote per column; without the error test every network
    // whose forecast lies in its tail space votes: six votes, in the memo and the pie.
    Find<QLineEdit>(window, "Edit4")->setText("x");
    Click(window, "opErroMax");
    EXPECT_FALSE(Shown(window, "TrackBar1"));
    Train(window, 1);
    EXPECT_EQ(Text(window, "Edit4"), "1");
    const QStringList lines = Memo(window).split('\n');
    ASSERT_EQ(lines.size(), 62);
    EXPECT_EQ(lines.mid(0, 2), QStringList({"Estatística de toviscas:", "Bola\tVoto"}));
    int votes = 0;
    for (int i = 2; i < lines.size(); ++i) votes += lines[i].section('\t', 1).toInt();
    EXPECT_EQ(votes, 6);
    EXPECT_TRUE(Shown(window, "Chart4") && !Shown(window, "Chart1"));
    const TChartSeries& share = Find<TChartView>(window, "Chart4")->Series(0);
    double shares = 0;
    for (int i = 0; i < share.Count(); ++i) shares += share.Y(i);
    EXPECT_EQ(shares, 6);
}

TEST_F(TForm4Test, BookmarksThroughFiles) {
    TForm4* window = OpenAnalysis();
    Action(window, "Salvar1")->trigger();
    EXPECT_EQ(TMessageBox::Last(), "Você precisa analisar os dados primeiro.");
    Train(window, 2, 5);
    const Lines start = *window->Engine().Bookmark();
    TFileDialog::Script({PathOf("start.net")});
    Action(window, "Salvar1")->trigger();
    EXPECT_EQ(TMessageBox::Last(), "Bookmark salvo.");
    EXPECT_TRUE(Checked(window, "CheckBox4"));
    EXPECT_EQ(ReadNet(PathOf("start.net")), start);
    QFile saved(PathOf("start.net"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().startsWith("5\r\n8\r\n")) << "lines end in CR LF";

    // Files that are not a network's text form change nothing: another file, a cut
    // network, absurd sizes, a missing file, a huge file.
    std::filesystem::resize_file(Write("huge.net", "5").toStdString(), 64ull << 20);
    for (const QString& file :
         {Write("draws.net", "Concurso;Bola1\r\n1;2\r\n"),
          Write("truncated.net", "5\r\n8\r\n1\r\n2\r\n0,5\r\n"),
          Write("absurd.net", "99999\r\n99999\r\n1\r\n2\r\n"), PathOf("missing.net"), PathOf("huge.net")}) {
        Answer(true);
        TFileDialog::Script({file});
        Action(window, "Carregar1")->trigger();
        EXPECT_EQ(TMessageBox::Recorded().size(), 1) << file;
        EXPECT_NE(TMessageBox::Last(), "Bookmark carregado.");
        EXPECT_EQ(*window->Engine().Bookmark(), start);
    }
    // A network's text form loads, also with LF line ends, and ticks the bookmark box.
    const Lines fresh = TNNMLP(5, 8, 1).SaveToStrings();
    std::string text;
    for (const std::string& line : fresh) text += line + "\n";
    TFileDialog::Script({Write("fresh.net", text)});
    Find<QAbstractButton>(window, "CheckBox4")->setChecked(false);
    Action(window, "Carregar1")->trigger();
    EXPECT_EQ(TMessageBox::Last(), "Bookmark carregado.");
    EXPECT_TRUE(Checked(window, "CheckBox4"));
    EXPECT_EQ(*window->Engine().Bookmark(), fresh);
    // Cancelled dialogs do nothing.
    Answer(true);
    Action(window, "Carregar1")->trigger();
    Action(window, "Salvar1")->trigger();
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
}

TEST_F(TForm4Test, GerarSearchesTheBestStartIntoAFile) {
    TForm4* window = OpenAnalysis();
    window->Engine().Network.Seed(3);
    window->Engine().MaxPasses = 2;
    TInputBox::Script({"x", "0", "3"});
    Action(window, "Gerar1")->trigger();
    EXPECT_EQ(TMessageBox::Last(), "'x' is not a valid integer value");
    const TInputBox::Question& asked = TInputBox::Asked()[0];
    EXPECT_EQ(QStringList({asked.Caption, asked.Prompt, asked.Value}),
              QStringList({"Quantas tentativas a considerar?", "Gerar melhor bookmark", "0"}));
    Action(window, "Gerar1")->trigger(); // 0 attempts: nothing
    EXPECT_FALSE(window->Running());
    // Three attempts: the skip-2 box is ticked for the search and the best start is saved and loaded.
    TFileDialog::Script({PathOf("best.net")});
    Answer(true);
    Action(window, "Gerar1")->trigger();
    EXPECT_TRUE(window->Running());
    EXPECT_TRUE(Checked(window, "CheckBox2") && Enabled(window, "CheckBox2"))
        << "unticking it ends the search";
    WaitFor([window] { return !window->Running(); });
    EXPECT_EQ(TMessageBox::Recorded(), QStringList{"Fim da geração do bookmark"});
    EXPECT_TRUE(Checked(window, "CheckBox4"));
    EXPECT_FALSE(Checked(window, "CheckBox2"));
    EXPECT_EQ(*window->Engine().Bookmark(), ReadNet(PathOf("best.net")));
}

TEST_F(TForm4Test, CopyAndCalculatorHandOffs) {
    std::vector<std::pair<TLottery*, std::optional<QString>>> handOffs;
    main.SetCalculatorOpener([&](TLottery* l, int n, int k, const std::optional<QString>& csn) {
        EXPECT_EQ(n * 100 + k, 6006);
        handOffs.emplace_back(l, csn);
    });
    TForm4* window = OpenAnalysis();
    Find<QSpinBox>(window, "UpDown1")->setValue(10);
    auto* grid = Find<QTableWidget>(window, "sg1");
    auto* popup = Find<QMenu>(window, "PopupMenu1");
    RightClick(grid);
    EXPECT_TRUE(popup->isVisible());
    Action(window, "Copiar1")->trigger();
    popup->hide();
    const QStringList rows = QApplication::clipboard()->text().split("\r\n");
    EXPECT_EQ(rows.size(), 12); // 11 rows and the empty rest after the last CR LF
    EXPECT_EQ(rows.value(0), "Concurso\tCSN 1\tCSN 2\tCSN 3\tCSN 4\tCSN 5\tCSN 6\t");
    // F10 hands over the history; the pop-up the current row's CSN (the first draw's on the header row).
    Action(window, "CalculadoraCSN1")->trigger();
    grid->setCurrentCell(3, 2);
    Action(window, "CalculadoraCSN2")->trigger();
    grid->setCurrentCell(0, 0);
    Action(window, "CalculadoraCSN2")->trigger();
    EXPECT_EQ(handOffs, (decltype(handOffs){{game->Lottery(), std::nullopt},
                                            {nullptr, grid->item(3, 1)->text()},
                                            {nullptr, grid->item(1, 1)->text()}}));
}

} // namespace
