// `tovisca-cli backtest`: the table, the JSON form and the refused arguments.
#include "CoreTestSupport.h"
#include "TempFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

const std::string DataDir = TOVISCA_DATA_DIR;

class BacktestCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(CliPath())) GTEST_SKIP() << "tovisca-cli is not built: " << CliPath();
    }
    CliResult Run(const std::vector<std::string>& args) const {
        return RunCli(args, (folder_.Path() / "stderr").string());
    }
    TempFolder folder_;
};

} // namespace

TEST_F(BacktestCommandTest, TableAndJsonOfTheSameRun) {
    const std::vector<std::string> common = {"backtest", DataDir + "/megasena.csv", "--contests", "7",
                                             "--methods", "random,positional", "--seed", "42"};
    const CliResult table = Run(common);
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_TRUE(table.out.starts_with("Previsor\tConcursos\tAcertos\tEsperado\tValor p\tVeredito\t")) << table.out;
    EXPECT_NE(table.out.find("\nAleatória (controle)\t7\t"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("\nPosicional\t7\t"), std::string::npos) << table.out;

    auto args = common;
    args.insert(args.end(), {"--format", "json"});
    const CliResult json = Run(args);
    ASSERT_EQ(json.status, 0) << json.err;
    const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    const QJsonArray rows = root["forecasters"].toArray();
    ASSERT_EQ(rows.size(), 2);
    const QJsonObject random = rows[0].toObject();
    EXPECT_EQ(random["method"].toString(), "random");
    EXPECT_EQ(random["contests"].toInt(), 7);
    EXPECT_NEAR(random["expected"].toDouble(), 7 * 0.6, 1e-12);
    EXPECT_EQ(random["verdict"].toString(), "dentro do acaso");
    const QJsonArray contests = random["per_contest"].toArray();
    ASSERT_EQ(contests.size(), 7);
    EXPECT_EQ(contests[6].toObject()["contest"].toInt(), 3047);
    int hits = 0;
    for (const auto& c : contests) hits += c.toObject()["hits"].toInt();
    EXPECT_EQ(random["hits"].toInt(), hits);
    EXPECT_GE(random["p_value"].toDouble(), 0);
    EXPECT_LE(random["p_value"].toDouble(), 1);
    // The same seed, the same run.
    EXPECT_EQ(Run(args).out, json.out);
}

TEST_F(BacktestCommandTest, RefusesBadArguments) {
    const std::string game = DataDir + "/megasena.csv";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"backtest"}, {"backtest", game, "--methods", "oracle"},
          {"backtest", game, "--contests", "0"}, {"backtest", game, "--contests"},
          {"backtest", game, "--format", "xml"}, {"backtest", game, "--seed", "-1"},
          {"backtest", game, "--nothing", "1"}}) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.status, 2) << args.back();
        EXPECT_TRUE(result.out.empty());
        EXPECT_FALSE(result.err.empty());
    }
    EXPECT_EQ(Run({"backtest", folder_.Path().string() + "/missing.csv"}).status, 1);
}
