// Runs the built tovisca-cli and checks its output byte for byte; `update`
// runs against a loopback server.
#include "CoreTestSupport.h"
#include "LoopbackHttpServer.h"
#include "TDrawTable.h"
#include "TLottery.h"
#include "TempFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

const std::string DataDir = TOVISCA_DATA_DIR;

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(CliPath())) GTEST_SKIP() << "tovisca-cli is not built: " << CliPath();
    }
    CliResult Run(const std::vector<std::string>& args) const {
        return RunCli(args, (folder_.Path() / "stderr").string());
    }
    // The JSON object of a successful run.
    QJsonObject Json(const std::vector<std::string>& args) const {
        const CliResult result = Run(args);
        EXPECT_EQ(result.status, 0) << result.err;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(result.out), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << result.out;
        return document.object();
    }
    TempFolder folder_;
};

} // namespace

TEST_F(CommandLineTest, InfoDrawsAndCsnOutputs) {
    const CliResult mega = Run({"info", DataDir + "/megasena.csv"});
    EXPECT_EQ(mega.status, 0);
    EXPECT_EQ(mega.out,
              "Elementos combinados: 60\nElementos por combinação: 6\nTotal de combinações: 50063860\n"
              "Paradoxo do aniversário: 8490\nConcursos: 3047\n");
    EXPECT_EQ(mega.err, "");
    // A Superball game shows the reduced total and birthday figure.
    EXPECT_EQ(Run({"info", DataDir + "/lotomania.csv"}).out,
              "Elementos combinados: 100\nElementos por combinação: 20\nTotal de combinações: 11372635\n"
              "Paradoxo do aniversário: 4046\nSuperball: 50\nConcursos: 2965\n");

    const CliResult draws = Run({"draws", DataDir + "/megasena.csv"});
    EXPECT_EQ(draws.status, 0);
    const TLottery lottery(DataDir + "/megasena.csv");
    EXPECT_TRUE(draws.out == TDrawTable(&lottery).ToText());

    for (const auto& [args, out] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"csn", "60", "6", "--balls", "41,5,4,52,30,33"}, "14086154\n"},
             {{"csn", "60", "6", "--csn", "14086154"}, "4, 5, 30, 33, 41, 52\n"},
             {{"csn", "60", "6", "--csn", "50063860"}, "55, 56, 57, 58, 59, 60\n"},
             {{"csn", "4", "2", "--csn", "2.5"}, "1, 4\n"},
             // Lotomania, 5.4e20 combinations: exact ends, the shown Total and an exact rank.
             {{"csn", "100", "20", "--balls", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20"}, "1\n"},
             {{"csn", "100", "20", "--csn", "1"},
              "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20\n"},
             {{"csn", "100", "20", "--csn", "5.3598337040381E20"},
              "81, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95, 96, 97, 98, 99, 100\n"},
             {{"csn", "100", "20", "--csn", "535983370403809682969"},
              "80, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95, 96, 97, 98, 99, 100\n"}}) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, out);
    }
}

TEST_F(CommandLineTest, ErrorsGoToStderrWithAFailingStatus) {
    const std::string none = (folder_.Path() / "none.csv").string();
    const std::string bad = folder_.Write("bad.csv", "Concurso;Bola1\n1;x\n");
    // Each case's error text holds the given part.
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, ""},
        {{"frobnicate"}, ""},
        {{"info", none}, "none.csv"},
        {{"info", bad}, "'x' is not a valid integer value"},
        {{"csn", "6", "7", "--csn", "1"}, ""},
        {{"csn", "x", "6", "--csn", "1"}, ""},
        {{"csn", "60", "6", "--csn", "50063861"}, ""},
        {{"csn", "60", "6", "--balls", "1,2,3,4,5,61"}, ""},
        {{"csn", "60", "6", "--balls", "1,2,3,4,5,5"}, ""}};
    for (const auto& [args, part] : cases) {
        const CliResult result = Run(args);
        EXPECT_NE(result.status, 0) << args.size();
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(result.err.empty());
        EXPECT_NE(result.err.find(part), std::string::npos) << result.err;
    }
}

TEST_F(CommandLineTest, UpdateRunsWithoutAskingAndFailuresKeepTheFile) {
    LoopbackHttpServer server;
    server.Add("/D_megase.zip", ReadFile(DataDir + "/official/D_megase.zip"));
    folder_.Write("mega.ini", "[Server]\r\nurl=" + server.Url("/D_megase.zip") +
                                  "\r\ntype=ZIP/HTML\r\n[HTML]\r\nSourceFile=d_mega.htm\r\n"
                                  "LoteryNumberColumn=1\r\nBallsStartColumn=3\r\nBallsCount=6\r\n");
    const std::string history = ReadFile(DataDir + "/megasena.csv");
    const std::string data = folder_.Write("mega.csv", FirstDraws(history, 2000));
    CliResult result = Run({"update", data});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    size_t at = 0;
    for (const char* step : {"Conectando a Internet...\n", "Recebendo...\n", "Arquivo recebido.\n",
                             "Descompactando...\n", "Lendo...\n", "Lendo... concurso 2100\n"}) {
        at = result.out.find(step, at);
        ASSERT_NE(at, std::string::npos) << step << " in\n" << result.out;
    }
    EXPECT_TRUE(result.out.ends_with("\nLendo... concurso 2100\n146 jogo(s) acrescentado(s).\n"))
        << result.out;
    EXPECT_EQ(ReadFile((folder_.Path() / "mega.bak").string()), FirstDraws(history, 2000));

    // The published table is older than the history: nothing is replaced.
    folder_.Write("mega.csv", history);
    result = Run({"update", data});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("2146"), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(data), history);
    EXPECT_EQ(ReadFile((folder_.Path() / "mega.bak").string()), FirstDraws(history, 2000));
    // No game definition file beside this one.
    result = Run({"update", folder_.Write("other.csv", FirstDraws(history, 3))});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "tovisca-cli: Não existe atualização para esse jogo.\n");
    EXPECT_EQ(result.out, "");
}

TEST_F(CommandLineTest, SearchPrintsTheGridAndRefusesBadArguments) {
    const std::string mega = DataDir + "/megasena.csv";
    const CliResult best = Run({"search", "best", DataDir + "/lotofacil.csv", "--sample", "20"});
    EXPECT_EQ(best.status, 0);
    EXPECT_EQ(best.out.rfind("Posição (Vitórias):\tCSN\n", 0), 0u);
    EXPECT_NE(best.out.find("Finalizado.\n"), std::string::npos);
    const CliResult filter = Run({"search", "filter", mega, "--reduced", "--seed", "5", "--threshold", "2"});
    EXPECT_EQ(filter.status, 0);
    EXPECT_EQ(filter.out.rfind("EXTREMIDADES DO FUNIL (<2 acertos)\n", 0), 0u);
    EXPECT_EQ(filter.out,
              Run({"search", "filter", mega, "--reduced", "--seed", "5", "--threshold", "2"}).out);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"search"},
                                               {"search", "nothing", mega},
                                               {"search", "recurrence", mega, "--sample"},
                                               {"search", "recurrence", mega, "--sample", "0"},
                                               {"search", "recurrence", mega, "--sample", "x"},
                                               {"search", "recurrence", mega, "--seed", "-1"},
                                               {"search", "recurrence", mega, "--bogus"},
                                               {"search", "best", mega, "--reduced"},
                                               {"search", "consecutive", mega, "--double"},
                                               {"search", "recurrence", mega, "--threshold", "3"}}) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.status, 2) << args.back();
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err, "") << args.back();
    }
    const CliResult missing = Run({"search", "recurrence", (folder_.Path() / "none.csv").string()});
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.err.find("arquivo não encontrado"), std::string::npos);
}

TEST_F(CommandLineTest, HelpListsEveryCommandAndOption) {
    const CliResult help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    for (const char* command : {"info", "draws", "csn", "search", "update"}) {
        const CliResult own = Run({command, "--help"});
        EXPECT_EQ(own.status, 0);
        EXPECT_EQ(own.out.rfind(std::string("uso: tovisca-cli ") + command + " ", 0), 0u) << own.out;
        EXPECT_NE(own.out.find("  --format tsv|json "), std::string::npos) << own.out;
        EXPECT_NE(help.out.find(own.out), std::string::npos) << command;
    }
    EXPECT_NE(help.out.find("  --threshold T       limiar de acertos (filter) (padrão: 11 para 25 números, 4 para "
                            "60, k nos demais)\n"),
              std::string::npos)
        << help.out;
}

TEST_F(CommandLineTest, JsonOfTheGameCommands) {
    const std::string mega = DataDir + "/megasena.csv";
    const QJsonObject info = Json({"info", mega, "--format", "json"});
    EXPECT_EQ(info.value("command").toString(), "info");
    EXPECT_EQ(info.value("elements").toInt(), 60);
    EXPECT_EQ(info.value("perCombination").toInt(), 6);
    EXPECT_EQ(info.value("total").toDouble(), 50063860);
    EXPECT_EQ(info.value("birthday").toDouble(), 8490);
    EXPECT_TRUE(info.value("superball").isNull());
    EXPECT_EQ(info.value("draws").toInt(), 3047);
    const QJsonObject lotomania = Json({"info", DataDir + "/lotomania.csv", "--format=json"});
    EXPECT_EQ(lotomania.value("superball").toInt(), 50);
    EXPECT_EQ(lotomania.value("total").toDouble(), 11372635);

    const QJsonArray draws = Json({"draws", mega, "--format", "json"}).value("draws").toArray();
    const TLottery lottery(mega);
    ASSERT_EQ(draws.size(), 3047);
    for (const qsizetype d : {qsizetype{0}, qsizetype{1500}, qsizetype{3046}}) {
        const QJsonObject draw = draws.at(d).toObject();
        const auto i = static_cast<size_t>(d);
        EXPECT_EQ(draw.value("contest").toInt(), lottery.Draws[0][i]);
        EXPECT_EQ(draw.value("csn").toDouble(), lottery.CSNs[i]);
        const QJsonArray balls = draw.value("balls").toArray();
        ASSERT_EQ(balls.size(), 6);
        for (int c = 1; c <= 6; ++c) EXPECT_EQ(balls.at(c - 1).toInt(), lottery.Draws[static_cast<size_t>(c)][i]);
    }

    const QJsonObject csn = Json({"csn", "60", "6", "--balls", "41,5,4,52,30,33", "--format", "json"});
    EXPECT_EQ(csn.value("csn").toDouble(), 14086154);
    EXPECT_EQ(csn.value("csnExact").toString(), "14086154");
    EXPECT_EQ(csn.value("balls").toArray(), QJsonArray({4, 5, 30, 33, 41, 52}));
    const QJsonObject wide = Json({"csn", "100", "20", "--csn", "535983370403809682969", "--format", "json"});
    EXPECT_EQ(wide.value("csnExact").toString(), "535983370403809682969");
    EXPECT_EQ(wide.value("balls").toArray().first().toInt(), 80);

    const QJsonObject filter =
        Json({"search", "filter", mega, "--reduced", "--seed", "5", "--threshold", "2", "--format", "json"});
    EXPECT_EQ(filter.value("threshold").toInt(), 2);
    EXPECT_TRUE(filter.value("bars").isArray());
    EXPECT_FALSE(filter.value("stopped").toBool());
    const QJsonArray rows = Json({"search", "recurrence", mega, "--sample", "10", "--reduced", "--format", "json"})
                                .value("rows")
                                .toArray();
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_EQ(rows.first().toObject().value("balls").toArray().size(), 6);
}

TEST_F(CommandLineTest, BadArgumentsPrintTheUsageAndExitWithTwo) {
    const std::string mega = DataDir + "/megasena.csv";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"info"},
             {"info", mega, "extra"},
             {"info", mega, "--format", "xml"},
             {"draws", mega, "--format"},
             {"draws", mega, "--bogus"},
             {"csn", "60", "6"},
             {"csn", "60", "6", "--balls", "1,2,3,4,5,6", "--csn", "1"},
             {"search", "recurrence", mega, "--sample", "5", "--sample", "6"},
             {"update"}}) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.status, 2) << args.back();
        EXPECT_EQ(result.out, "") << args.back();
        EXPECT_NE(result.err.find("\nuso: tovisca-cli " + args[0] + " "), std::string::npos) << result.err;
    }
    // A malformed file: its message alone, status 1, in either format.
    const std::string bad = folder_.Write("bad.csv", "Concurso;Bola1\n1;x\n");
    for (const char* format : {"tsv", "json"}) {
        const CliResult result = Run({"draws", bad, "--format", format});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.find("uso:"), std::string::npos) << result.err;
    }
}
