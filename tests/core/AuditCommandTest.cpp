// tovisca-cli audit: every test in TSV and JSON from the engine's own texts,
// the same records from the same seed, and its usage errors.
#include "CoreTestSupport.h"
#include "TempFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

class AuditCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(CliPath())) GTEST_SKIP() << "tovisca-cli is not built: " << CliPath();
        // A 12/3 history of 120 draws: balls 5..7 come 40 times each, ball 8
        // never, the others 30 times.
        std::vector<std::vector<int>> draws;
        for (int d = 0; d < 120; ++d) draws.push_back({1 + d % 4, 5 + d % 3, 9 + d % 4});
        file_ = folder_.Write("g.csv", History(draws));
    }
    CliResult Run(const std::vector<std::string>& args) const {
        return RunCli(args, (folder_.Path() / "stderr").string());
    }
    TempFolder folder_;
    std::string file_;
};

TEST_F(AuditCommandTest, EveryTestAsTextAndJson) {
    const CliResult tsv = Run({"audit", file_, "--repeats", "3"});
    ASSERT_EQ(tsv.status, 0) << tsv.err;
    EXPECT_EQ(tsv.out.rfind("Teste\tEstatística\tgl\tp\tVeredito\nFrequência das bolas\t", 0), 0u) << tsv.out;
    for (const char* title : {"\nFrequência posicional\t", "\nAtraso atual\t", "\nPares\t",
                              "\nSoma das bolas\t", "\nRecordes de acertos\t"})
        EXPECT_NE(tsv.out.find(title), std::string::npos) << title;
    // Ball 8 never comes: far outside chance.
    EXPECT_NE(tsv.out.find("Frequência das bolas\t"), std::string::npos);
    EXPECT_NE(tsv.out.find("fora do acaso (p = "), std::string::npos);

    const CliResult json = Run({"audit", file_, "--repeats", "3", "--format", "json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    EXPECT_EQ(root["command"].toString(), "audit");
    EXPECT_EQ(root["draws"].toInt(), 120);
    const QJsonArray tests = root["tests"].toArray();
    ASSERT_EQ(tests.size(), 6);
    const QJsonObject balls = tests[0].toObject();
    EXPECT_EQ(balls["test"].toString(), "ball_frequency");
    EXPECT_EQ(balls["df"].toInt(), 11);
    EXPECT_TRUE(balls["outside"].toBool());
    EXPECT_LT(balls["p_value"].toDouble(), 0.05);
    EXPECT_EQ(balls["rows"].toArray().size(), 12);
    EXPECT_EQ(balls["rows"].toArray()[0].toObject()["count"].toInt(), 30);
    EXPECT_EQ(balls["rows"].toArray()[7].toObject()["count"].toInt(), 0);
    for (const QJsonValue& test : tests) {
        const QJsonObject object = test.toObject();
        for (const char* key : {"test", "statistic", "p_value", "verdict", "rows"})
            EXPECT_TRUE(object.contains(key)) << key << " " << object["test"].toString().toStdString();
    }
    EXPECT_FALSE(tests[3].toObject().contains("df"));
    EXPECT_EQ(tests[5].toObject()["rows"].toArray().size(), 4);
    // The same seed, the same records.
    EXPECT_EQ(Run({"audit", file_, "--repeats", "3", "--format", "json"}).out, json.out);
}

TEST_F(AuditCommandTest, SampleAndUsageErrors) {
    const CliResult sample = Run({"audit", file_, "--sample", "12", "--repeats", "0"});
    ASSERT_EQ(sample.status, 0) << sample.err;
    EXPECT_NE(sample.out.find("em 12 concursos"), std::string::npos) << sample.out;
    EXPECT_EQ(sample.out.find("Recordes de acertos"), std::string::npos);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"audit"},
                                                 {"audit", file_, "--format", "xml"},
                                                 {"audit", file_, "--seed", "x"},
                                                 {"audit", file_, "--sample", "0"}}) {
        const CliResult bad = Run(args);
        EXPECT_EQ(bad.status, 2) << args.back();
        EXPECT_TRUE(bad.out.empty());
    }
    EXPECT_EQ(Run({"audit", folder_.Path().string() + "/nada.csv"}).status, 1);
}

} // namespace
