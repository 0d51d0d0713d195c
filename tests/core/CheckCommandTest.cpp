// tovisca-cli check: the bets' table and the totals as tab-separated text and
// as JSON, the prize tiers of the game definition file beside the data file,
// the contest range, and bad bets or options refused with a failing status.
#include "CoreTestSupport.h"
#include "TempFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

class CheckCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(CliPath())) GTEST_SKIP() << "tovisca-cli is not built: " << CliPath();
        // A 10/3 game of contests 1..4, with its tiers 3 and 2.
        game_ = folder_.Write("g.csv",
                              "Concurso;Bola1;Bola2;Bola3\r\n1;1;2;3\r\n2;1;2;4\r\n3;3;2;1\r\n4;5;6;10\r\n");
        folder_.Write("g.ini", "[Server]\r\nurl=\r\n[Premios]\r\nFaixas=3,2\r\n");
        bets_ = folder_.Write("bets.txt", "# duas apostas\n1 2 3\n4;5;6;7\n");
    }
    CliResult Run(const std::vector<std::string>& args) const {
        return RunCli(args, (folder_.Path() / "stderr").string());
    }
    TempFolder folder_;
    std::string game_, bets_;
};

TEST_F(CheckCommandTest, PrintsTheTableAndTheTotals) {
    const CliResult tsv = Run({"check", game_, bets_});
    EXPECT_EQ(tsv.status, 0) << tsv.err;
    EXPECT_EQ(tsv.out.substr(0, tsv.out.find("Faixa")), "Concursos\t4\t1\t4\n"
                                                        "\n"
                                                        "Aposta\t3 acertos\t2 acertos\tMelhor\tConcurso\n"
                                                        "1 2 3\t2\t1\t3\t3\n"
                                                        "4 5 6 7\t0\t1\t2\t4\n"
                                                        "\n");

    const CliResult json = Run({"check", game_, bets_, "--from", "2", "--to", "3", "--format", "json"});
    EXPECT_EQ(json.status, 0) << json.err;
    const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    EXPECT_EQ(root["contests"].toInt(), 2);
    const QJsonArray bets = root["bets"].toArray();
    ASSERT_EQ(bets.size(), 2);
    const QJsonObject first = bets[0].toObject();
    EXPECT_EQ(first["balls"].toArray(), (QJsonArray{1, 2, 3}));
    EXPECT_EQ(first["tiers"].toObject(), (QJsonObject{{"3", 1}, {"2", 1}}));
    EXPECT_EQ(first["best"].toInt(), 3);
    EXPECT_EQ(first["best_contest"].toInt(), 3);
    const QJsonObject totals = root["totals"].toObject();
    EXPECT_EQ(totals["observed"].toObject()["3"].toDouble(), 1);
    // Two contests, bets of 3 and 4 balls: 2 x (1/120 + 4/120) of 3 hits.
    EXPECT_NEAR(totals["expected"].toObject()["3"].toDouble(), 2 * 5.0 / 120, 1e-12);
}

TEST_F(CheckCommandTest, RefusesBadBetsAndOptions) {
    const std::string bad = folder_.Write("bad.txt", "1 2 3\n\n1 2 11\n");
    const CliResult refused = Run({"check", game_, bad});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "tovisca-cli: " + bad + ": Linha 3: a bola 11 está fora de 1 a 10.\n");
    EXPECT_EQ(Run({"check", game_, bets_, "--format", "xml"}).status, 2);
    EXPECT_EQ(Run({"check", game_, bets_, "--from", "x"}).status, 2);
    EXPECT_EQ(Run({"check", game_, bets_, "--from", "3", "--to", "2"}).status, 2);
    EXPECT_EQ(Run({"check", game_}).status, 2);
    EXPECT_EQ(Run({"check", game_, folder_.Write("empty.txt", "# nada\n")}).status, 1);
}

} // namespace
