// The lexicographic analysis window inside the main window: opening from the
// game window, the sample-size box, training on the worker with "Parar" and
// closing mid-run, "Todas as bolas", bookmarks, copying and the calculator
// hand-offs, the tool bar.
#include "TForm4.h"
#include "NumberText.h"
#include "TChartSeries.h"
#include "TChartView.h"
#include "TFileDialog.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TInputBox.h"
#include "TLexicographicAnalysis.h"
#include "TMessageBox.h"
#include "TempFiles.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QThread>
#include <QToolBar>
#include <fstream>
#include <gtest/gtest.h>

namespace {

const QString DataDir = QStringLiteral(TOVISCA_DATA_DIR);

void ProcessDeletes() {
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

// Lets the event loop run until the condition holds. The bound only keeps a
// broken build from hanging; nothing here measures time.
bool WaitFor(const std::function<bool()>& condition) {
    QElapsedTimer guard;
    guard.start();
    while (!condition()) {
        if (guard.elapsed() > 120000) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    QApplication::processEvents();
    return true;
}

struct HandOff {
    TLottery* lottery;
    int n;
    int k;
    std::optional<QString> csn;
};

class TForm4Test : public ::testing::Test {
protected:
    void SetUp() override {
        NumberText::SetDecimalSeparator(',');
        TMessageBox::SetRecording(true);
        TMessageBox::ClearRecorded();
        TInputBox::Script({});
        TFileDialog::Script({});
        main.SetPrioritySetter([](int) { return true; });
        main.resize(1400, 1000);
        main.show();
        TForm4::Install(main);
        main.SetCalculatorOpener([this](TLottery* l, int n, int k, const std::optional<QString>& csn) {
            handOffs.push_back({l, n, k, csn});
        });
        QApplication::processEvents();
    }
    void TearDown() override {
        TInputBox::StopScripting();
        TFileDialog::StopScripting();
    }

    TForm4* Open(const QString& path = DataDir + QStringLiteral("/megasena.csv")) {
        game = main.OpenFile(path);
        game->findChild<QAction*>("Anliselexicogrfica1")->trigger();
        auto* window = qobject_cast<TForm4*>(game->AnalysisWindow(TLottery::Lexicographic));
        EXPECT_NE(window, nullptr);
        return window;
    }

    template <typename T> static T* Find(QWidget* window, const char* name) {
        T* control = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    static QString Text(QWidget* window, const char* name) { return Find<QLineEdit>(window, name)->text(); }
    static QString Memo(QWidget* window) { return Find<QPlainTextEdit>(window, "Memo1")->toPlainText(); }
    static QAction* Action(QWidget* window, const char* name) { return Find<QAction>(window, name); }
    static bool Shown(QWidget* window, const char* name) { return !Find<QWidget>(window, name)->isHidden(); }

    static void Click(QWidget* window, const char* name) { Find<QPushButton>(window, name)->click(); }
    static bool Finished(TForm4* window) { return !window->Running(); }

    void Train(TForm4* window, int passes, uint64_t seed = 1) {
        window->Engine().Network.Seed(seed);
        window->Engine().MaxPasses = passes;
        Click(window, "Button1");
        ASSERT_TRUE(WaitFor([window] { return Finished(window); }));
    }

    TForm2 main;
    TForm3* game = nullptr;
    std::vector<HandOff> handOffs;
    TempFolder folder;
};

TEST_F(TForm4Test, OpensOncePerGameWithTheLastFortyDraws) {
    TForm4* window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Análise lexicográfica: megasena.csv");
    auto* upDown = Find<QSpinBox>(window, "UpDown1");
    EXPECT_EQ(upDown->maximum(), 3047);
    EXPECT_EQ(upDown->value(), 40);
    EXPECT_EQ(upDown->minimum(), 10);
    EXPECT_EQ(Text(window, "Edit1"), "40");
    EXPECT_EQ(Text(window, "Edit2"), "0");
    EXPECT_EQ(Text(window, "Edit3"), "0");
    auto* combo = Find<QComboBox>(window, "ComboBox1");
    ASSERT_EQ(combo->count(), 7);
    EXPECT_EQ(combo->itemText(0), "1ª bola");
    EXPECT_EQ(combo->itemText(5), "6ª bola");
    EXPECT_EQ(combo->itemText(6), "Todas as bolas");
    EXPECT_EQ(combo->currentIndex(), 0);
    auto* grid = Find<QTableWidget>(window, "sg1");
    EXPECT_EQ(grid->rowCount(), 41);
    EXPECT_EQ(grid->columnCount(), 7);
    EXPECT_EQ(grid->item(0, 1)->text(), "CSN 1");
    EXPECT_EQ(grid->item(40, 0)->text(), "3047");
    EXPECT_EQ(grid->item(40, 1)->text(),
              QString::fromStdString(NumberText::FormatGeneral(game->Lottery()->CSNs[3046])));
    EXPECT_EQ(Memo(window), "Sem previsão");
    EXPECT_FALSE(Find<QPushButton>(window, "Button3")->isEnabled());
    EXPECT_TRUE(game->Lottery()->WindowOpen[TLottery::Lexicographic]);
    EXPECT_EQ(Find<TChartView>(window, "Chart1")->Series(0).Count(), 36);

    // F6 again brings the same window forward.
    main.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(game->parentWidget()));
    game->findChild<QAction*>("Anliselexicogrfica1")->trigger();
    EXPECT_EQ(game->AnalysisWindow(TLottery::Lexicographic), window);
    EXPECT_EQ(main.MdiArea()->findChildren<TForm4*>().size(), 1);
    EXPECT_EQ(main.MdiArea()->activeSubWindow(), window->parentWidget());

    // Closed, it is forgotten; the command then opens a new one.
    QPointer<TForm4> closed(window);
    window->parentWidget()->close();
    ProcessDeletes();
    EXPECT_TRUE(closed.isNull());
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::Lexicographic]);
    game->findChild<QAction*>("Anliselexicogrfica1")->trigger();
    EXPECT_NE(game->AnalysisWindow(TLottery::Lexicographic), nullptr);
    EXPECT_EQ(main.MdiArea()->findChildren<TForm4*>().size(), 1);
}

TEST_F(TForm4Test, AHistoryOfFewerThanTenDrawsIsAnalysedWhole) {
    std::string text = "Concurso;Bola1;Bola2;Bola3\r\n";
    for (int d = 1; d <= 6; ++d) text += std::to_string(d) + ";" + std::to_string(d) + ";7;9\r\n";
    TForm4* window = Open(QString::fromStdString(folder.Write("six.csv", text)));
    ASSERT_NE(window, nullptr);
    auto* upDown = Find<QSpinBox>(window, "UpDown1");
    EXPECT_EQ(upDown->maximum(), 6);
    EXPECT_EQ(upDown->value(), 6);
    EXPECT_EQ(Find<QTableWidget>(window, "sg1")->rowCount(), 7);
    // Two training rows are not enough for a pattern of four draws before:
    // nothing is trained, and nothing breaks.
    Find<QCheckBox>(window, "CheckBox2")->click();
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
    TForm4* window = Open();
    auto* grid = Find<QTableWidget>(window, "sg1");
    auto* upDown = Find<QSpinBox>(window, "UpDown1");
    auto* edit1 = Find<QLineEdit>(window, "Edit1");

    TInputBox::Script({QStringLiteral("5"), QStringLiteral("99999"), QStringLiteral("abc"), std::nullopt,
                       QString(), QStringLiteral("25")});
    window->Edit1DblClick();
    ASSERT_EQ(TInputBox::Asked().size(), 1);
    EXPECT_EQ(TInputBox::Asked()[0].Caption, "Informe o valor:");
    EXPECT_EQ(TInputBox::Asked()[0].Prompt, "Tamanho da amostra");
    EXPECT_EQ(TInputBox::Asked()[0].Value, "40");
    EXPECT_EQ(edit1->text(), "10");
    EXPECT_EQ(upDown->value(), 10);
    EXPECT_EQ(grid->rowCount(), 11);

    window->Edit1DblClick();
    EXPECT_EQ(edit1->text(), "3047");
    EXPECT_EQ(grid->rowCount(), 3048);

    for (int i = 0; i < 3; ++i) window->Edit1DblClick(); // a word, Cancel, an empty answer
    EXPECT_EQ(edit1->text(), "3047");
    EXPECT_EQ(upDown->value(), 3047);
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());

    // A double click on the field asks too.
    QMouseEvent press(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit1, &press);
    EXPECT_EQ(edit1->text(), "25");

    // The up-down reloads and previews.
    upDown->setValue(30);
    EXPECT_EQ(edit1->text(), "30");
    EXPECT_EQ(grid->rowCount(), 31);
}

TEST_F(TForm4Test, TrainingShowsProgressAndTheForecast) {
    TForm4* window = Open();
    Train(window, 3, 11);
    EXPECT_EQ(Text(window, "Edit3"), "3");
    EXPECT_TRUE(QRegularExpression("^-?\\d,\\d{7}E[+-]\\d\\d$").match(Text(window, "Edit2")).hasMatch())
        << Text(window, "Edit2").toStdString();
    const QString memo = Memo(window);
    EXPECT_TRUE(memo.startsWith("Margem de erro da rede no concurso 3047: ")) << memo.toStdString();
    EXPECT_TRUE(memo.contains("Previsão p/ concurso 3048:")) << memo.toStdString();
    EXPECT_TRUE(memo.contains("Dezena prevista: "));
    auto* chart = Find<TChartView>(window, "Chart1");
    EXPECT_EQ(chart->Series(1).Count(), 37); // the fit from row 5 on and the next draw
    EXPECT_EQ(chart->Series(1).X(36), 3048);
    EXPECT_TRUE(Find<QPushButton>(window, "Button1")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(window, "Button3")->isEnabled());

    // Changing the column or the skip mode makes the network untrained.
    Find<QCheckBox>(window, "CheckBox2")->click();
    EXPECT_EQ(Memo(window), "Sem previsão");
    Train(window, 2, 11);
    EXPECT_EQ(Memo(window).count("Distância da realidade:"), 2);
    Find<QCheckBox>(window, "CheckBox1")->click();
    EXPECT_FALSE(Find<QCheckBox>(window, "CheckBox2")->isChecked());
    Train(window, 2, 11);
    EXPECT_EQ(Memo(window).count("Distância da realidade:"), 1);
    EXPECT_EQ(Memo(window).count("Previsão p/ concurso"), 2);
}

TEST_F(TForm4Test, PararEndsTheRunAndTheNetworkCountsAsTrained) {
    TForm4* window = Open();
    window->Engine().Network.Seed(2);
    window->Engine().MaxPasses = 0;
    Click(window, "Button1");
    EXPECT_TRUE(window->Running());
    EXPECT_EQ(Memo(window), "Analisando, aguarde");
    EXPECT_FALSE(Find<QPushButton>(window, "Button1")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(window, "Button2")->isEnabled());
    EXPECT_FALSE(Find<QComboBox>(window, "ComboBox1")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(window, "Button3")->isEnabled());
    // The window stays usable: handlers that would touch the engine wait.
    window->UpDown1Click();
    EXPECT_EQ(Memo(window), "Analisando, aguarde");
    ASSERT_TRUE(WaitFor([window] { return Text(window, "Edit3").toInt() >= 3; }));
    Click(window, "Button3");
    ASSERT_TRUE(WaitFor([window] { return Finished(window); }));
    EXPECT_TRUE(window->Engine().Trained());
    EXPECT_TRUE(Memo(window).contains("Previsão p/ concurso 3048:")) << Memo(window).toStdString();
    EXPECT_TRUE(Find<QPushButton>(window, "Button1")->isEnabled());
}

TEST_F(TForm4Test, ClosingInTheMiddleOfARunIsSafe) {
    TForm4* window = Open();
    window->Engine().MaxPasses = 0;
    Click(window, "Button1");
    ASSERT_TRUE(WaitFor([window] { return Text(window, "Edit3").toInt() >= 2; }));
    QPointer<TForm4> analysis(window);
    window->parentWidget()->close();
    ProcessDeletes();
    EXPECT_TRUE(analysis.isNull());
    EXPECT_FALSE(game->Lottery()->WindowOpen[TLottery::Lexicographic]);

    // Now the game window, with its analysis window training.
    game->findChild<QAction*>("Anliselexicogrfica1")->trigger();
    window = qobject_cast<TForm4*>(game->AnalysisWindow(TLottery::Lexicographic));
    ASSERT_NE(window, nullptr);
    window->Engine().MaxPasses = 0;
    Click(window, "Button1");
    ASSERT_TRUE(WaitFor([window] { return Text(window, "Edit3").toInt() >= 2; }));
    analysis = window;
    QPointer<TForm3> gameWindow(game);
    game->parentWidget()->close();
    ProcessDeletes();
    ProcessDeletes();
    EXPECT_TRUE(analysis.isNull());
    EXPECT_TRUE(gameWindow.isNull());

    // And a game window destroyed outright (the history goes with it).
    window = Open();
    window->Engine().MaxPasses = 0;
    Click(window, "Button1");
    ASSERT_TRUE(WaitFor([window] { return Text(window, "Edit3").toInt() >= 1; }));
    delete game->parentWidget();
    QApplication::processEvents();
    EXPECT_TRUE(main.MdiArea()->findChildren<TForm4*>().isEmpty());
}

TEST_F(TForm4Test, AllBallsVotes) {
    TForm4* window = Open();
    auto* combo = Find<QComboBox>(window, "ComboBox1");
    combo->setCurrentIndex(6);
    EXPECT_TRUE(Shown(window, "Panel4"));
    EXPECT_FALSE(Shown(window, "Panel5"));
    EXPECT_EQ(Memo(window), "Sem previsão");
    EXPECT_EQ(Find<QSlider>(window, "TrackBar1")->value(), 40);
    EXPECT_EQ(Text(window, "Edit4"), "3");

    auto* edit4 = Find<QLineEdit>(window, "Edit4");
    edit4->setText("0");
    Train(window, 1);
    QStringList lines = Memo(window).split('\n');
    ASSERT_EQ(lines.size(), 62);
    EXPECT_EQ(lines[0], "Estatística de toviscas:");
    EXPECT_EQ(lines[1], "Bola\tVoto");
    EXPECT_EQ(lines[2], "1\t0");
    EXPECT_EQ(lines[61], "60\t0");
    EXPECT_TRUE(Shown(window, "Chart4"));
    EXPECT_FALSE(Shown(window, "Chart1"));
    EXPECT_EQ(Find<TChartView>(window, "Chart4")->Series(0).Count(), 0) << "no ball has a vote";
    EXPECT_EQ(Find<QLabel>(window, "Label5")->text(), "Previsão");

    // A word counts as one vote per column; without the error test every
    // network whose forecast lies in its tail space votes.
    edit4->setText("x");
    Find<QCheckBox>(window, "opErroMax")->click();
    EXPECT_FALSE(Shown(window, "TrackBar1"));
    Train(window, 1);
    EXPECT_EQ(edit4->text(), "1");
    lines = Memo(window).split('\n');
    ASSERT_EQ(lines.size(), 62);
    int votes = 0;
    for (int i = 2; i < lines.size(); ++i) votes += lines[i].section('\t', 1).toInt();
    EXPECT_EQ(votes, 6);
    EXPECT_GE(lines[2].section('\t', 1).toInt(), lines[61].section('\t', 1).toInt());
    const TChartSeries& share = Find<TChartView>(window, "Chart4")->Series(0);
    double shares = 0;
    for (int i = 0; i < share.Count(); ++i) {
        shares += share.Y(i);
        EXPECT_TRUE(share.Label(i).startsWith("Bola ")) << share.Label(i).toStdString();
    }
    EXPECT_EQ(shares, 6);
    edit4->setText("");
    Train(window, 1);
    EXPECT_EQ(edit4->text(), "1");

    // Decimal notation hides the error test and offers the distribution.
    Find<QCheckBox>(window, "opNotacNorm")->click();
    EXPECT_FALSE(Shown(window, "opErroMax"));
    EXPECT_FALSE(Shown(window, "opDistNorm")); // all balls
    combo->setCurrentIndex(0);
    EXPECT_TRUE(Shown(window, "opDistNorm"));
    EXPECT_EQ(Find<QTableWidget>(window, "sg1")->item(0, 1)->text(), "Bola 1");
    Find<QCheckBox>(window, "opDistNorm")->click();
    EXPECT_TRUE(Shown(window, "Chart2"));
    EXPECT_FALSE(Shown(window, "Chart1"));
    EXPECT_EQ(Find<TChartView>(window, "Chart2")->Title(), "Distribuição normal - bola 1");

    auto* slider = Find<QSlider>(window, "TrackBar1");
    slider->setValue(55);
    EXPECT_EQ(slider->toolTip(), "55%");
}

TEST_F(TForm4Test, BookmarksThroughFiles) {
    TForm4* window = Open();
    Action(window, "Salvar1")->trigger();
    EXPECT_EQ(TMessageBox::Last(), "Você precisa analisar os dados primeiro.");

    Train(window, 2, 5);
    const std::vector<std::string> start = *window->Engine().Bookmark();
    const QString saved = QString::fromStdString((folder.Path() / "start.net").string());
    TFileDialog::Script({saved});
    Action(window, "Salvar1")->trigger();
    EXPECT_EQ(TMessageBox::Last(), "Bookmark salvo.");
    EXPECT_TRUE(Find<QCheckBox>(window, "CheckBox4")->isChecked());
    std::vector<std::string> lines;
    std::string error;
    ASSERT_TRUE(TLexicographicAnalysis::ReadLines(saved.toStdString(), lines, error));
    EXPECT_EQ(lines, start);

    // Files that are not a network's text form change nothing.
    const std::string truncated = folder.Write("truncated.net", "5\r\n8\r\n1\r\n2\r\n0,5\r\n");
    const QStringList bad{QString::fromStdString(folder.Write("draws.net", "Concurso;Bola1\r\n1;2\r\n")),
                          QString::fromStdString(truncated),
                          QString::fromStdString(folder.Write("absurd.net", "99999\r\n99999\r\n1\r\n2\r\n")),
                          QString::fromStdString((folder.Path() / "missing.net").string())};
    for (const QString& file : bad) {
        TMessageBox::ClearRecorded();
        TFileDialog::Script({file});
        Action(window, "Carregar1")->trigger();
        ASSERT_EQ(TMessageBox::Recorded().size(), 1) << file.toStdString();
        EXPECT_NE(TMessageBox::Last(), "Bookmark carregado.");
        EXPECT_EQ(*window->Engine().Bookmark(), start);
    }

    // A saved start loads, and training from it repeats the same run.
    TNNMLP fresh(5, 8, 1);
    const auto other = fresh.SaveToStrings();
    const QString otherFile = QString::fromStdString((folder.Path() / "fresh.net").string());
    ASSERT_TRUE(TLexicographicAnalysis::WriteLines(otherFile.toStdString(), other, error));
    Find<QCheckBox>(window, "CheckBox4")->setChecked(false);
    TFileDialog::Script({otherFile});
    Action(window, "Carregar1")->trigger();
    EXPECT_EQ(TMessageBox::Last(), "Bookmark carregado.");
    EXPECT_TRUE(Find<QCheckBox>(window, "CheckBox4")->isChecked());
    EXPECT_EQ(*window->Engine().Bookmark(), other);
    Train(window, 2);
    const QString first = Memo(window);
    Train(window, 2);
    EXPECT_EQ(Memo(window), first);
    EXPECT_EQ(*window->Engine().Bookmark(), other);

    // A cancelled dialog does nothing.
    TMessageBox::ClearRecorded();
    TFileDialog::Script({});
    Action(window, "Carregar1")->trigger();
    Action(window, "Salvar1")->trigger();
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
}

TEST_F(TForm4Test, GenerateSearchesTheBestStart) {
    TForm4* window = Open();
    window->Engine().Network.Seed(3);
    window->Engine().MaxPasses = 2;

    TInputBox::Script({QStringLiteral("x"), QStringLiteral("0"), QStringLiteral("3")});
    Action(window, "Gerar1")->trigger();
    EXPECT_EQ(TMessageBox::Last(), "'x' is not a valid integer value");
    EXPECT_EQ(TInputBox::Asked()[0].Caption, "Quantas tentativas a considerar?");
    EXPECT_EQ(TInputBox::Asked()[0].Prompt, "Gerar melhor bookmark");
    EXPECT_EQ(TInputBox::Asked()[0].Value, "0");
    TMessageBox::ClearRecorded();
    Action(window, "Gerar1")->trigger(); // 0 attempts: nothing
    EXPECT_FALSE(window->Running());

    const QString file = QString::fromStdString((folder.Path() / "best.net").string());
    TFileDialog::Script({file});
    Action(window, "Gerar1")->trigger();
    EXPECT_TRUE(window->Running());
    EXPECT_TRUE(Find<QCheckBox>(window, "CheckBox2")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(window, "CheckBox2")->isEnabled()) << "unticking it ends the search";
    EXPECT_FALSE(Find<QCheckBox>(window, "CheckBox4")->isChecked());
    ASSERT_TRUE(WaitFor([window] { return Finished(window); }));
    EXPECT_EQ(TMessageBox::Last(), "Fim da geração do bookmark");
    EXPECT_EQ(TMessageBox::Recorded().size(), 1);
    EXPECT_TRUE(Find<QCheckBox>(window, "CheckBox4")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(window, "CheckBox2")->isChecked());
    EXPECT_EQ(Find<QLabel>(window, "Label5")->text(), "Previsão");
    std::vector<std::string> lines;
    std::string error;
    ASSERT_TRUE(TLexicographicAnalysis::ReadLines(file.toStdString(), lines, error));
    EXPECT_EQ(*window->Engine().Bookmark(), lines);

    // Unticking the box during the search ends it.
    window->Engine().MaxPasses = 0;
    TInputBox::Script({QStringLiteral("1000")});
    TFileDialog::Script({file});
    TMessageBox::ClearRecorded();
    Action(window, "Gerar1")->trigger();
    ASSERT_TRUE(WaitFor([window] { return Text(window, "Edit3").toInt() >= 2; }));
    Find<QCheckBox>(window, "CheckBox2")->click();
    Click(window, "Button3"); // ends the attempt in progress
    ASSERT_TRUE(WaitFor([window] { return Finished(window); }));
    EXPECT_EQ(TMessageBox::Last(), "Fim da geração do bookmark");
}

TEST_F(TForm4Test, CopyAndCalculatorHandOffs) {
    TForm4* window = Open();
    Find<QSpinBox>(window, "UpDown1")->setValue(10);
    auto* grid = Find<QTableWidget>(window, "sg1");
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            grid->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(grid->viewport(), &event);
    auto* popup = Find<QMenu>(window, "PopupMenu1");
    EXPECT_TRUE(popup->isVisible());
    EXPECT_FALSE(Find<QMenu>(window, "kvizinhosprximos1")->menuAction()->isVisible());
    Action(window, "Copiar1")->trigger();
    popup->hide();
    const QStringList rows = QApplication::clipboard()->text().split("\r\n");
    ASSERT_EQ(rows.size(), 12); // 11 rows and the empty rest after the last CR LF
    EXPECT_EQ(rows[0], "Concurso\tCSN 1\tCSN 2\tCSN 3\tCSN 4\tCSN 5\tCSN 6\t");
    EXPECT_TRUE(rows[10].startsWith("3047\t"));
    EXPECT_EQ(rows[11], "");

    Action(window, "CalculadoraCSN1")->trigger();
    grid->setCurrentCell(3, 2);
    Action(window, "CalculadoraCSN2")->trigger();
    grid->setCurrentCell(0, 0);
    Action(window, "CalculadoraCSN2")->trigger();
    ASSERT_EQ(handOffs.size(), 3u);
    EXPECT_EQ(handOffs[0].lottery, game->Lottery());
    EXPECT_EQ(handOffs[0].n, 60);
    EXPECT_EQ(handOffs[0].k, 6);
    EXPECT_FALSE(handOffs[0].csn.has_value());
    EXPECT_EQ(handOffs[1].lottery, nullptr);
    EXPECT_EQ(handOffs[1].csn.value_or(""), grid->item(3, 1)->text());
    EXPECT_EQ(handOffs[2].csn.value_or(""), grid->item(1, 1)->text());

    // Over the main chart the neighbour forecast is offered and fills "Previsão".
    auto* chart = Find<TChartView>(window, "Chart1");
    QContextMenuEvent overChart(QContextMenuEvent::Mouse, QPoint(20, 20),
                                chart->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(chart->viewport(), &overChart);
    EXPECT_TRUE(Find<QMenu>(window, "kvizinhosprximos1")->menuAction()->isVisible());
    EXPECT_FALSE(Action(window, "Wavelet1")->isEnabled());
    Action(window, "Normal1")->trigger();
    popup->hide();
    EXPECT_EQ(TMessageBox::Last(), "Análise finalizada");
    EXPECT_EQ(chart->Series(1).Count(), 1); // 6 real points: only the forecast after them
    EXPECT_EQ(chart->Series(1).X(0), 3048);
}

TEST_F(TForm4Test, ToolBarMovesIntoTheMainWindowWhileMaximised) {
    TForm4* window = Open();
    auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    auto* toolBar = Find<QToolBar>(window, "ToolBar1");
    ASSERT_NE(Find<QWidget>(window, "ToolButton8"), nullptr);
    EXPECT_EQ(toolBar->parentWidget(), window);

    main.activateWindow();
    QApplication::setActiveWindow(&main);
    main.MdiArea()->setActiveSubWindow(frame);
    frame->showMaximized();
    QApplication::processEvents();
    EXPECT_EQ(toolBar->parentWidget(), main.ToolPanel());
    frame->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(toolBar->parentWidget(), window);

    frame->showMaximized();
    QApplication::processEvents();
    frame->close();
    ProcessDeletes();
    EXPECT_TRUE(main.ToolPanel()->findChildren<QToolBar*>(QStringLiteral("ToolBar1")).size() <= 1)
        << "only the game window's own tool bar may remain";
    for (QToolBar* bar : main.ToolPanel()->findChildren<QToolBar*>()) EXPECT_EQ(bar, game->ToolBar());
}

} // namespace
