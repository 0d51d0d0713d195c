// "Baixar da Internet" in the game window, against a loopback HTTP server
// serving the official results archive of 2019 (Mega-Sena contests 1..2146):
// the whole update with the window reloading, the analysis window and the
// calculator letting go of the old history, the stops before the question,
// the failures that keep the history, "Cancelar", and closing the window in
// the middle of a download from a server that never answers.
#include "NumberText.h"
#include "TChartView.h"
#include "TDrawTableModel.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TForm4.h"
#include "TForm6.h"
#include "TMessageBox.h"
#include "TUpdateRunner.h"

#include "LoopbackHttpServer.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>

// Texts in failure messages as text, not as arrays of UTF-16 units.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using Outcome = TResultsUpdate::TOutcome;

const QString Question = QStringLiteral("Deseja baixar atualização do jogo?");

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The header and the first `draws` draws of a game data file.
std::string FirstDraws(const std::string& history, int draws) {
    size_t end = 0;
    for (int line = 0; line <= draws; ++line) end = history.find("\r\n", end) + 2;
    return history.substr(0, end);
}

// The definition of the official Mega-Sena download: contest in cell 1, the
// date in cell 2, the six balls from cell 3.
std::string
Ini(const std::string& url, const std::string& type = "ZIP/HTML",
    const std::string& columns = "LoteryNumberColumn=1\r\nBallsStartColumn=3\r\nBallsCount=6\r\n") {
    std::string ini = "[Server]\r\n";
    if (!url.empty()) ini += "url=" + url + "\r\n";
    return ini + "type=" + type + "\r\n[HTML]\r\nSourceFile=d_mega.htm\r\n" + columns;
}

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
        if (guard.elapsed() > 100000) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    QApplication::processEvents();
    return true;
}

// Order of the update's status texts; -1 for a text that is none of them.
int StepOf(const QString& text) {
    if (text == "Conectando a Internet...") return 0;
    if (text.startsWith("Recebendo...")) return 1;
    if (text == "Arquivo recebido.") return 2;
    if (text == "Descompactando...") return 3;
    if (text == "Lendo...") return 4;
    if (text.startsWith("Lendo... concurso ")) return 5;
    if (text.endsWith(" jogo(s) acrescentado(s).")) return 6;
    return -1;
}

class GameWindowUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        NumberText::SetDecimalSeparator(',');
        TMessageBox::SetRecording(true);
        TMessageBox::ClearRecorded();
        main.SetPrioritySetter([](int) { return true; });
        TForm4::Install(main);
        TForm6::Install(main);
        TUpdateRunner::Install(main);
        main.resize(1200, 900);
        main.show();
        QApplication::processEvents();

        history = ReadFile(TOVISCA_DATA_DIR "/megasena.csv");
        ASSERT_FALSE(history.empty());
        data = dir.filePath("megasena.csv").toStdString();
        ini = dir.filePath("megasena.ini").toStdString();
        bak = dir.filePath("megasena.bak").toStdString();
        server.Add("/D_megase.zip", ReadFile(TOVISCA_DATA_DIR "/official/D_megase.zip"));
    }

    // A game window on the first `draws` draws of the Mega-Sena history.
    TForm3* OpenGame(int draws) {
        before = FirstDraws(history, draws);
        WriteFile(data, before);
        TForm3* game = main.OpenFile(QString::fromStdString(data));
        EXPECT_TRUE(game->Loaded());
        return game;
    }

    // Runs the command as the menu does and lets the update end.
    TUpdateRunner& Update(TForm3* game) {
        TUpdateRunner& runner = TUpdateRunner::Of(*game);
        bool finished = false;
        const QMetaObject::Connection done =
            QObject::connect(&runner, &TUpdateRunner::Finished, [&finished] { finished = true; });
        game->DownloadAction()->trigger();
        EXPECT_TRUE(WaitFor([&finished] { return finished; }));
        QObject::disconnect(done);
        EXPECT_FALSE(runner.Running());
        return runner;
    }

    // Nothing changed: same history object, same file, no backup, the command
    // ready again and its cancel control hidden.
    void ExpectUnchanged(TForm3* game, const TLottery* lottery) {
        EXPECT_EQ(game->Lottery(), lottery);
        EXPECT_EQ(ReadFile(data), before);
        EXPECT_FALSE(std::filesystem::exists(bak));
        EXPECT_TRUE(game->DownloadAction()->isEnabled());
        EXPECT_TRUE(TUpdateRunner::Of(*game).CancelButton()->isHidden());
    }

    QTemporaryDir dir;
    TForm2 main;
    LoopbackHttpServer server;
    std::string history;
    std::string before;
    std::string data;
    std::string ini;
    std::string bak;
};

} // namespace

TEST_F(GameWindowUpdateTest, UpdateRewritesTheFileAndTheWindowShowsTheNewHistory) {
    WriteFile(ini, Ini(server.Url("/D_megase.zip")));
    WriteFile(bak, "an older backup");
    TForm3* game = OpenGame(2000);
    ASSERT_EQ(game->GridModel()->GridRowCount(), 2001);
    ASSERT_TRUE(game->DownloadAction()->isEnabled());

    // An analysis window training on the history, and the calculator holding it.
    game->findChild<QAction*>("Anliselexicogrfica1")->trigger();
    auto* analysis = qobject_cast<TForm4*>(game->AnalysisWindow(TLottery::Lexicographic));
    ASSERT_NE(analysis, nullptr);
    analysis->Engine().MaxPasses = 0;
    analysis->findChild<QPushButton*>("Button1")->click();
    ASSERT_TRUE(analysis->Running());
    const QPointer<QWidget> analysisAlive(analysis);
    game->findChild<QAction*>("CalculadoraCSN1")->trigger();
    ASSERT_NE(TForm6::Instance(), nullptr);
    ASSERT_EQ(TForm6::Instance()->Lottery(), game->Lottery());

    QStringList statuses;
    QObject::connect(&TUpdateRunner::Of(*game), &TUpdateRunner::StatusShown,
                     [&statuses](const QString& text) { statuses.append(text); });
    const TUpdateRunner& runner = Update(game);

    ASSERT_TRUE(runner.LastResult().has_value());
    const TResultsUpdate::TResult& result = *runner.LastResult();
    ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message << " " << result.Detail;
    EXPECT_EQ(result.NewCount, 146);
    EXPECT_EQ(result.DrawsRead, 2146);
    EXPECT_EQ(TMessageBox::Recorded(),
              QStringList({Question, QStringLiteral("Jogo atualizado.\n146 jogo(s) acrescentado(s).")}));

    // The file holds the published table; the previous one is the backup.
    EXPECT_EQ(ReadFile(data).substr(0, 67),
              "Concurso;Bola1;Bola2;Bola3;Bola4;Bola5;Bola6\r\n1;41;05;04;52;30;33\r\n");
    EXPECT_EQ(ReadFile(bak), before);

    // The window was loaded again from the new file.
    ASSERT_TRUE(game->Loaded());
    EXPECT_EQ(game->Lottery()->DrawCount, 2146);
    EXPECT_EQ(game->GridModel()->GridRowCount(), 2147);
    EXPECT_EQ(game->GridModel()->GridCell(2146, 0), "2146");
    EXPECT_EQ(game->GridModel()->GridCell(1, 1), "41");
    EXPECT_EQ(game->Chart()->Series(0).Count(), 2146);
    EXPECT_EQ(game->windowTitle(), "Sorteio: megasena.csv");
    EXPECT_EQ(game->StatusText(), QString::fromStdString(data));
    EXPECT_EQ(game->findChild<QLineEdit*>("Edit1")->text(), "60");
    EXPECT_EQ(game->findChild<QLineEdit*>("Edit3")->text(), "50063860");
    EXPECT_TRUE(game->DownloadAction()->isEnabled());
    EXPECT_TRUE(runner.CancelButton()->isHidden());

    // Nobody holds the freed history: the analysis window was closed (its
    // worker stopped first) and the calculator forgot it.
    EXPECT_TRUE(analysisAlive.isNull());
    EXPECT_EQ(game->AnalysisWindow(TLottery::Lexicographic), nullptr);
    EXPECT_EQ(TForm6::Instance()->Lottery(), nullptr);
    for (const bool open : game->Lottery()->WindowOpen) EXPECT_FALSE(open);
    // The command opens a new analysis window on the new history.
    game->findChild<QAction*>("Anliselexicogrfica1")->trigger();
    EXPECT_NE(game->AnalysisWindow(TLottery::Lexicographic), nullptr);

    // The status bar followed the steps in order and ended on the count.
    ASSERT_FALSE(statuses.isEmpty());
    int step = 0;
    int contest = 0;
    for (const QString& text : statuses) {
        const int now = StepOf(text);
        ASSERT_GE(now, step) << text.toStdString();
        step = now;
        if (now == 5) {
            const int shown = text.mid(18).toInt();
            EXPECT_GE(shown, contest) << text.toStdString();
            contest = shown;
        }
    }
    EXPECT_EQ(statuses.last(), "146 jogo(s) acrescentado(s).");
    EXPECT_EQ(server.Requests(), 1);
}

TEST_F(GameWindowUpdateTest, ATableShorterThanTheHistoryKeepsFileAndHistory) {
    // The window hands the engine the number of draws it holds: 3047 against
    // the 2146 published in 2019.
    WriteFile(ini, Ini(server.Url("/D_megase.zip")));
    TForm3* game = OpenGame(3047);
    const TLottery* lottery = game->Lottery();
    const TUpdateRunner& runner = Update(game);
    ASSERT_TRUE(runner.LastResult().has_value());
    EXPECT_EQ(runner.LastResult()->Outcome, Outcome::FewerDraws);
    EXPECT_EQ(TMessageBox::Last(),
              "A tabela recebida tem 2146 jogo(s), menos que os 3047 do histórico atual: "
              "o arquivo do jogo não foi alterado.");
    ExpectUnchanged(game, lottery);
    EXPECT_EQ(game->GridModel()->GridRowCount(), 3048);
}

TEST_F(GameWindowUpdateTest, DefinitionProblemsStopBeforeTheQuestion) {
    // No ".ini": the command stays disabled; run anyway, it only reports.
    TForm3* game = OpenGame(30);
    const TLottery* lottery = game->Lottery();
    EXPECT_FALSE(game->DownloadAction()->isEnabled());
    TUpdateRunner& runner = TUpdateRunner::Of(*game);
    runner.Start();
    EXPECT_EQ(TMessageBox::Recorded(), QStringList{"Não existe atualização para esse jogo."});
    EXPECT_EQ(game->StatusText(), "Não existe atualização para esse jogo.");
    EXPECT_EQ(runner.LastResult()->Outcome, Outcome::NoDefinition);
    EXPECT_FALSE(runner.Running());
    EXPECT_EQ(game->Lottery(), lottery);

    // With the file, "Atualizar tela" enables the command.
    const struct {
        std::string ini;
        QString message;
    } cases[] = {
        {Ini(""), "URL não indicada no arquivo INI."},
        {Ini(server.Url("/D_megase.zip"), "ZIP/HTML",
             "LoteryNumberColumn=1\r\nBallsStartColumn=3\r\nBallsCount=seis\r\n"),
         "'seis' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        WriteFile(ini, c.ini);
        game->findChild<QAction*>("Atualizartela1")->trigger();
        TMessageBox::ClearRecorded();
        Update(game);
        EXPECT_EQ(TMessageBox::Recorded(), QStringList{c.message});
        EXPECT_EQ(game->StatusText(), c.message);
        ExpectUnchanged(game, lottery);
    }
    EXPECT_EQ(server.Requests(), 0);
}

TEST_F(GameWindowUpdateTest, AFailedDownloadOrANoKeepsTheHistory) {
    WriteFile(ini, Ini(server.Url("/not-published.zip")));
    TForm3* game = OpenGame(2000);
    const TLottery* lottery = game->Lottery();
    const TUpdateRunner& runner = Update(game);
    EXPECT_EQ(runner.LastResult()->Outcome, Outcome::DownloadFailed);
    EXPECT_EQ(TMessageBox::Recorded(),
              QStringList({Question, QStringLiteral("Ocorreu um erro no recebimento do arquivo.")}));
    EXPECT_FALSE(TMessageBox::LastDetail().isEmpty()) << "the transfer's own error as the detail";
    EXPECT_EQ(game->StatusText(), "Ocorreu um erro no recebimento do arquivo.");
    ExpectUnchanged(game, lottery);
    EXPECT_EQ(game->GridModel()->GridRowCount(), 2001);
    EXPECT_EQ(server.Requests(), 1);

    // Answering No asks nothing of the server and changes nothing.
    WriteFile(ini, Ini(server.Url("/D_megase.zip")));
    game->findChild<QAction*>("Atualizartela1")->trigger();
    TMessageBox::ClearRecorded();
    TMessageBox::SetRecording(true, false);
    Update(game);
    TMessageBox::SetRecording(true, true);
    EXPECT_EQ(TMessageBox::Recorded(), QStringList{Question});
    EXPECT_EQ(runner.LastResult()->Outcome, Outcome::Declined);
    EXPECT_EQ(game->StatusText(), QString::fromStdString(data));
    ExpectUnchanged(game, lottery);
    EXPECT_EQ(server.Requests(), 1);
}

TEST_F(GameWindowUpdateTest, CancelarEndsADownloadThatNeverArrives) {
    LoopbackHttpServer silent(true);
    WriteFile(ini, Ini(silent.Url("/a.zip")));
    TForm3* game = OpenGame(2000);
    const TLottery* lottery = game->Lottery();
    TUpdateRunner& runner = TUpdateRunner::Of(*game);
    runner.Setup = [](TResultsUpdate& update) { update.Downloader.LowSpeedSeconds = 3600; };
    bool finished = false;
    QObject::connect(&runner, &TUpdateRunner::Finished, [&finished] { finished = true; });

    game->DownloadAction()->trigger();
    ASSERT_TRUE(runner.Running());
    ASSERT_TRUE(WaitFor([&silent] { return silent.Requests() == 1; }));
    QPushButton* cancel = game->findChild<QPushButton*>("CancelarAtualizacao");
    ASSERT_NE(cancel, nullptr);
    EXPECT_TRUE(cancel->isVisible());
    EXPECT_EQ(cancel->text(), "Cancelar");
    EXPECT_FALSE(game->DownloadAction()->isEnabled());
    // A second start while one runs is ignored: no second question.
    runner.Start();
    EXPECT_EQ(TMessageBox::Recorded(), QStringList{Question});
    EXPECT_FALSE(finished);

    cancel->click();
    ASSERT_TRUE(WaitFor([&finished] { return finished; }));
    EXPECT_EQ(runner.LastResult()->Outcome, Outcome::Cancelled);
    EXPECT_EQ(TMessageBox::Recorded(), QStringList({Question, QStringLiteral("Atualização cancelada.")}));
    ExpectUnchanged(game, lottery);
    EXPECT_EQ(silent.Requests(), 1);
}

TEST_F(GameWindowUpdateTest, ClosingTheWindowDuringADownloadStopsItFirst) {
    // Only the window's closing can end this transfer: without it the test
    // would hang until ctest's time-out.
    LoopbackHttpServer silent(true);
    WriteFile(ini, Ini(silent.Url("/a.zip")));
    TForm3* game = OpenGame(2000);
    game->findChild<QAction*>("CalculadoraCSN1")->trigger();
    game->findChild<QAction*>("Anliselexicogrfica1")->trigger();
    const QPointer<QWidget> analysis(game->AnalysisWindow(TLottery::Lexicographic));
    ASSERT_FALSE(analysis.isNull());
    TUpdateRunner::Of(*game).Setup = [](TResultsUpdate& update) {
        update.Downloader.LowSpeedSeconds = 3600;
        update.Downloader.ConnectTimeoutMs = 3600000;
    };
    game->DownloadAction()->trigger();
    ASSERT_TRUE(WaitFor([&silent] { return silent.Requests() == 1; }));

    const QPointer<TForm3> alive(game);
    qobject_cast<QMdiSubWindow*>(game->parentWidget())->close();
    ProcessDeletes();
    EXPECT_TRUE(alive.isNull());
    EXPECT_TRUE(analysis.isNull());
    EXPECT_EQ(TForm6::Instance()->Lottery(), nullptr);
    EXPECT_EQ(TMessageBox::Recorded(), QStringList{Question}) << "no outcome reported to a closed window";
    EXPECT_EQ(ReadFile(data), before);
    EXPECT_FALSE(std::filesystem::exists(bak));
}
