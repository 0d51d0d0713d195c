// "Baixar da Internet" in the game window, against a loopback HTTP server
// serving the official results archive of 2019 (Mega-Sena contests 1..2146)
// and today's per-contest answers of the results API: the whole update with
// the window reloading and everything letting go of the old history, the
// stops before the question, the failures that keep the history, "Cancelar",
// closing the window in the middle of a download, and "Importar resultados...".
#include "GuiTestSupport.h"
#include "LoopbackHttpServer.h"
#include "TChartView.h"
#include "TDrawTableModel.h"

#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using namespace gui;
using Outcome = TResultsUpdate::TOutcome;

const QString Question = QStringLiteral("Deseja baixar atualização do jogo?");

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The definition of the official Mega-Sena download: contest in cell 1, the six balls from cell 3.
std::string Ini(const std::string& url, const std::string& ballsCount = "6") {
    const std::string server = url.empty() ? "" : "url=" + url + "\r\n";
    return "[Server]\r\n" + server + "type=ZIP/HTML\r\n[HTML]\r\nSourceFile=d_mega.htm\r\n" +
           "LoteryNumberColumn=1\r\nBallsStartColumn=3\r\nBallsCount=" + ballsCount + "\r\n";
}

// Where a status text stands in the update's order: its step, and the contest
// being read; step -1 for a text that is none of them.
std::pair<int, int> StepOf(const QString& text) {
    const QStringList steps{"Conectando a Internet...", "Recebendo...", "Arquivo recebido.",
                            "Descompactando...", "Lendo..."};
    if (text.startsWith("Lendo... concurso ")) return {5, text.mid(18).toInt()};
    if (text.endsWith(" jogo(s) acrescentado(s).")) return {6, 0};
    return {text.startsWith("Recebendo...") ? 1 : static_cast<int>(steps.indexOf(text)), 0};
}

class GameWindowUpdateTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        server.Add("/D_megase.zip", ReadFile(TOVISCA_DATA_DIR "/official/D_megase.zip"));
    }
    // The definition file beside the game file.
    void Define(const std::string& ini) { folder.Write("megasena.ini", ini); }
    // A game window on the first `draws` draws of the Mega-Sena history.
    TForm3* OpenGame(int draws) {
        const std::string history = ReadFile(TOVISCA_DATA_DIR "/megasena.csv");
        size_t end = 0;
        for (int line = 0; line <= draws; ++line) end = history.find("\r\n", end) + 2;
        before = history.substr(0, end);
        TForm3* game = Open(Write("megasena.csv", before));
        EXPECT_TRUE(game->Loaded());
        return game;
    }
    // Runs the command as the menu does and lets the update end.
    const TUpdateRunner& Update(TForm3* game) {
        TUpdateRunner& runner = TUpdateRunner::Of(*game);
        bool finished = false;
        const auto done =
            QObject::connect(&runner, &TUpdateRunner::Finished, [&finished] { finished = true; });
        game->DownloadAction()->trigger();
        WaitFor([&finished] { return finished; });
        QObject::disconnect(done);
        EXPECT_FALSE(runner.Running());
        return runner;
    }
    std::string Data() const { return ReadFile(PathOf("megasena.csv").toStdString()); }
    bool Backup() const { return std::filesystem::exists(folder.Path() / "megasena.bak"); }
    // Nothing changed: same history, same file, no backup, the command ready again, no cancel control.
    void ExpectUnchanged(TForm3* game, const TLottery* lottery) {
        EXPECT_EQ(game->Lottery(), lottery);
        EXPECT_EQ(Data(), before);
        EXPECT_FALSE(Backup());
        EXPECT_TRUE(game->DownloadAction()->isEnabled());
        EXPECT_TRUE(TUpdateRunner::Of(*game).CancelButton()->isHidden());
    }
    // A download from a server that never answers, waited for until it has asked.
    TForm3* Hanging(LoopbackHttpServer& silent) {
        Define(Ini(silent.Url("/a.zip")));
        TForm3* game = OpenGame(2000);
        TUpdateRunner::Of(*game).Setup = [](TResultsUpdate& update) {
            update.Downloader.LowSpeedSeconds = 3600;
            update.Downloader.ConnectTimeoutMs = 3600000;
        };
        game->DownloadAction()->trigger();
        WaitFor([&silent] { return silent.Requests() == 1; });
        return game;
    }

    LoopbackHttpServer server;
    std::string before;
};

TEST_F(GameWindowUpdateTest, UpdateRewritesTheFileAndTheWindowShowsTheNewHistory) {
    Define(Ini(server.Url("/D_megase.zip")));
    folder.Write("megasena.bak", "an older backup");
    TForm3* game = OpenGame(2000);
    ASSERT_TRUE(game->DownloadAction()->isEnabled());
    // An analysis window training on the history, and the calculator holding it.
    Action(game, "Anliselexicogrfica1")->trigger();
    auto* analysis = qobject_cast<TForm4*>(game->AnalysisWindow(TLottery::Lexicographic));
    ASSERT_NE(analysis, nullptr);
    analysis->Engine().MaxPasses = 0;
    Find<QPushButton>(analysis, "Button1")->click();
    ASSERT_TRUE(analysis->Running());
    const QPointer<QWidget> analysisAlive(analysis);
    Action(game, "CalculadoraCSN1")->trigger();
    ASSERT_EQ(TForm6::Instance()->Lottery(), game->Lottery());

    QStringList statuses;
    QObject::connect(&TUpdateRunner::Of(*game), &TUpdateRunner::StatusShown,
                     [&statuses](const QString& text) { statuses.append(text); });
    const TUpdateRunner& runner = Update(game);
    ASSERT_TRUE(runner.LastResult().has_value());
    EXPECT_EQ(runner.LastResult()->Outcome, Outcome::Updated) << runner.LastResult()->Message;
    EXPECT_EQ(TMessageBox::Recorded(),
              QStringList({Question, "Jogo atualizado.\n146 jogo(s) acrescentado(s)."}));
    // The file holds the published table; the previous one is the backup.
    EXPECT_EQ(Data().substr(0, 67),
              "Concurso;Bola1;Bola2;Bola3;Bola4;Bola5;Bola6\r\n1;41;05;04;52;30;33\r\n");
    EXPECT_EQ(ReadFile((folder.Path() / "megasena.bak").string()), before);

    // The window was loaded again from the new file.
    ASSERT_TRUE(game->Loaded());
    EXPECT_EQ(game->Lottery()->DrawCount, 2146);
    EXPECT_EQ(game->GridModel()->GridRowCount(), 2147);
    EXPECT_EQ(game->Chart()->Series(0).Count(), 2146);
    EXPECT_EQ(game->StatusText(), PathOf("megasena.csv"));
    EXPECT_TRUE(game->DownloadAction()->isEnabled() && runner.CancelButton()->isHidden());
    // Nobody holds the freed history: the analysis window was closed (its
    // worker stopped first) and the calculator forgot it.
    EXPECT_TRUE(analysisAlive.isNull());
    EXPECT_EQ(TForm6::Instance()->Lottery(), nullptr);
    for (const bool open : game->Lottery()->WindowOpen) EXPECT_FALSE(open);

    // The status bar followed the steps in order, contests never going back, and ended on the count.
    std::vector<std::pair<int, int>> order;
    for (const QString& text : statuses) order.push_back(StepOf(text));
    EXPECT_TRUE(!order.empty() && order.front().first >= 0 && std::is_sorted(order.begin(), order.end()))
        << statuses.join(" | ");
    EXPECT_EQ(statuses.value(statuses.size() - 1), "146 jogo(s) acrescentado(s).");
    EXPECT_EQ(server.Requests(), 1);
}

TEST_F(GameWindowUpdateTest, ATableShorterThanTheHistoryKeepsFileAndHistory) {
    // The window hands the engine the 3047 draws it holds against the 2146 published in 2019.
    Define(Ini(server.Url("/D_megase.zip")));
    TForm3* game = OpenGame(3047);
    const TLottery* lottery = game->Lottery();
    EXPECT_EQ(Update(game).LastResult()->Outcome, Outcome::FewerDraws);
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
    EXPECT_EQ(game->Lottery(), lottery);
    // With the file, "Atualizar tela" enables the command.
    for (const auto& [ini, message] : {std::pair{Ini(""), QStringLiteral("URL não indicada no arquivo INI.")},
                                       {Ini(server.Url("/D_megase.zip"), "seis"),
                                        QStringLiteral("'seis' is not a valid integer value")}}) {
        Define(ini);
        Action(game, "Atualizartela1")->trigger();
        Answer(true);
        Update(game);
        EXPECT_EQ(TMessageBox::Recorded(), QStringList{message});
        EXPECT_EQ(game->StatusText(), message);
        ExpectUnchanged(game, lottery);
    }
    EXPECT_EQ(server.Requests(), 0);
}

TEST_F(GameWindowUpdateTest, AFailedDownloadOrANoKeepsTheHistory) {
    Define(Ini(server.Url("/not-published.zip")));
    TForm3* game = OpenGame(2000);
    const TLottery* lottery = game->Lottery();
    const TUpdateRunner& runner = Update(game);
    EXPECT_EQ(runner.LastResult()->Outcome, Outcome::DownloadFailed);
    EXPECT_EQ(TMessageBox::Recorded(), QStringList({Question, "Ocorreu um erro no recebimento do arquivo."}));
    EXPECT_FALSE(TMessageBox::LastDetail().isEmpty()) << "the transfer's own error as the detail";
    EXPECT_EQ(game->StatusText(), "Ocorreu um erro no recebimento do arquivo.");
    ExpectUnchanged(game, lottery);
    // Answering No asks nothing of the server and changes nothing.
    Define(Ini(server.Url("/D_megase.zip")));
    Action(game, "Atualizartela1")->trigger();
    Answer(false);
    Update(game);
    EXPECT_EQ(TMessageBox::Recorded(), QStringList{Question});
    EXPECT_EQ(runner.LastResult()->Outcome, Outcome::Declined);
    EXPECT_EQ(game->StatusText(), PathOf("megasena.csv"));
    ExpectUnchanged(game, lottery);
    EXPECT_EQ(server.Requests(), 1);
}

TEST_F(GameWindowUpdateTest, CancelarEndsADownloadThatNeverArrives) {
    LoopbackHttpServer silent(true);
    TForm3* game = Hanging(silent);
    const TLottery* lottery = game->Lottery();
    TUpdateRunner& runner = TUpdateRunner::Of(*game);
    bool finished = false;
    QObject::connect(&runner, &TUpdateRunner::Finished, [&finished] { finished = true; });
    auto* cancel = Find<QPushButton>(game, "CancelarAtualizacao");
    EXPECT_TRUE(cancel->isVisible());
    EXPECT_EQ(cancel->text(), "Cancelar");
    EXPECT_FALSE(game->DownloadAction()->isEnabled());
    runner.Start(); // a second start while one runs is ignored: no second question
    EXPECT_EQ(TMessageBox::Recorded(), QStringList{Question});
    cancel->click();
    WaitFor([&finished] { return finished; });
    EXPECT_EQ(runner.LastResult()->Outcome, Outcome::Cancelled);
    EXPECT_EQ(TMessageBox::Recorded(), QStringList({Question, "Atualização cancelada."}));
    ExpectUnchanged(game, lottery);
    EXPECT_EQ(silent.Requests(), 1);
}

TEST_F(GameWindowUpdateTest, ClosingTheWindowDuringADownloadStopsItFirst) {
    // Only the window's closing can end this transfer: without it the test would hang until ctest's time-out.
    LoopbackHttpServer silent(true);
    TForm3* game = Hanging(silent);
    Action(game, "CalculadoraCSN1")->trigger();
    Action(game, "Anliselexicogrfica1")->trigger();
    const QPointer<QWidget> analysis(game->AnalysisWindow(TLottery::Lexicographic));
    ASSERT_FALSE(analysis.isNull());
    const QPointer<TForm3> alive(game);
    CloseFrame(game);
    EXPECT_TRUE(alive.isNull());
    EXPECT_TRUE(analysis.isNull());
    EXPECT_EQ(TForm6::Instance()->Lottery(), nullptr);
    EXPECT_EQ(TMessageBox::Recorded(), QStringList{Question}) << "no outcome reported to a closed window";
    EXPECT_EQ(Data(), before);
    EXPECT_FALSE(Backup());
}

// The results API as the bundled definition file describes it.
class GameWindowApiTest : public GameWindowUpdateTest {
protected:
    void SetUp() override {
        GameWindowUpdateTest::SetUp();
        server.Add("/api/megasena", ReadFile(TOVISCA_DATA_DIR "/official/api/megasena/3045.json"));
        for (int c = 3040; c <= 3045; ++c)
            server.Add("/api/megasena/" + std::to_string(c),
                       ReadFile(TOVISCA_DATA_DIR "/official/api/megasena/" + std::to_string(c) + ".json"));
        std::string ini = ReadFile(TOVISCA_DATA_DIR "/megasena.ini");
        const size_t url = ini.find("\nurl=") + 5;
        Define(ini.replace(url, ini.find("\r\n", url) - url, server.Url("/api/megasena")));
    }
    // The history up to `last` as the bundled file has it.
    static std::string Upto(int last) {
        const std::string history = ReadFile(TOVISCA_DATA_DIR "/megasena.csv");
        return history.substr(0, history.find("\r\n" + std::to_string(last + 1) + ";") + 2);
    }
};

TEST_F(GameWindowApiTest, TheWalkBringsTheHistoryUpToDateAndTheWindowReloads) {
    TForm3* game = OpenGame(3039);
    const TUpdateRunner& runner = Update(game);
    ASSERT_EQ(runner.LastResult()->Outcome, Outcome::Updated) << runner.LastResult()->Message;
    EXPECT_EQ(TMessageBox::Recorded(), QStringList({Question, "Jogo atualizado.\n6 jogo(s) acrescentado(s)."}));
    EXPECT_EQ(Data(), Upto(3045));
    EXPECT_EQ(game->Lottery()->DrawCount, 3045);
    EXPECT_EQ(server.Connections(), 1);
}

TEST_F(GameWindowApiTest, StopInTheMiddleOfTheWalkWritesNothing) {
    server.AddSilent("/api/megasena/3042");
    TForm3* game = OpenGame(3039);
    const TLottery* lottery = game->Lottery();
    TUpdateRunner& runner = TUpdateRunner::Of(*game);
    runner.Setup = [](TResultsUpdate& update) { update.Downloader.RequestTimeoutMs = 3600000; };
    bool finished = false;
    QObject::connect(&runner, &TUpdateRunner::Finished, [&finished] { finished = true; });
    game->DownloadAction()->trigger();
    // The status bar names the contest being read while it is awaited.
    WaitFor([game] { return game->StatusText() == "Lendo... concurso 3042"; });
    EXPECT_EQ(server.Paths().size(), 4u);
    EXPECT_FALSE(game->ImportAction()->isEnabled());
    runner.CancelButton()->click();
    WaitFor([&finished] { return finished; });
    EXPECT_EQ(runner.LastResult()->Outcome, Outcome::Cancelled);
    EXPECT_EQ(TMessageBox::Last(), "Atualização cancelada no concurso 3042. O arquivo do jogo não foi alterado.");
    ExpectUnchanged(game, lottery);
    EXPECT_TRUE(game->ImportAction()->isEnabled());
}

TEST_F(GameWindowApiTest, ForbiddenSuggestsTheImportWhichBringsTheSpreadsheet) {
    server.AddStatus("/api/megasena", 403);
    TForm3* game = OpenGame(2900);
    const TLottery* lottery = game->Lottery();
    Update(game);
    EXPECT_EQ(TUpdateRunner::Of(*game).LastResult()->Outcome, Outcome::Forbidden);
    EXPECT_TRUE(TMessageBox::Last().contains("HTTP 403") && TMessageBox::Last().contains("\"Importar resultados...\""))
        << TMessageBox::Last();
    ExpectUnchanged(game, lottery);

    // The import asks no question: choosing the file was the answer.
    Answer(true);
    TFileDialog::Script({DataDir + "/official/xlsx/Mega-Sena.xlsx"});
    TUpdateRunner& runner = TUpdateRunner::Of(*game);
    bool finished = false;
    QObject::connect(&runner, &TUpdateRunner::Finished, [&finished] { finished = true; });
    ASSERT_TRUE(game->ImportAction()->isEnabled());
    game->ImportAction()->trigger();
    WaitFor([&finished] { return finished; });
    EXPECT_EQ(TMessageBox::Recorded(), QStringList{"Jogo atualizado.\n81 jogo(s) acrescentado(s)."});
    EXPECT_EQ(game->Lottery()->DrawCount, 2981);
    EXPECT_TRUE(Data().starts_with(before));

    // A saved answer that leaves a gap is refused, naming the contest.
    finished = false;
    Answer(true);
    TFileDialog::Script({DataDir + "/official/api/megasena/3045.json"});
    lottery = game->Lottery();
    const std::string held = Data();
    game->ImportAction()->trigger();
    WaitFor([&finished] { return finished; });
    EXPECT_EQ(TMessageBox::Recorded(),
              QStringList{"Concurso 3045: falta o concurso 2982 antes dele. O arquivo do jogo não foi alterado."});
    EXPECT_EQ(game->Lottery(), lottery);
    EXPECT_EQ(Data(), held);
}

TEST_F(GameWindowApiTest, BundledGamesCanBeBroughtUpToDate) {
    TForm3* game = Open();
    EXPECT_TRUE(game->DownloadAction()->isEnabled());
    EXPECT_TRUE(game->ImportAction()->isEnabled());
}

} // namespace
