// The command-line framework: arguments read against a declaration, the usage
// texts, and the JSON a report writes.
#include "TCliArguments.h"
#include "TCliCommand.h"
#include "TCliError.h"
#include "TCliProgram.h"
#include "TCliReport.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace {

TCliCommand Sample() {
    TCliCommand command;
    command.Name = "sample";
    command.Arguments = {"ARQUIVO"};
    command.Summary = "um comando de teste";
    command.Options = {
        {"--sample", "S", "40", "amostra", {}},
        {"--view", "absolute|relative", "absolute", "vista", {"absolute", "relative"}},
        {"--ball", "B", "", "uma bola", {}},
        {"--cut", "C", "(metade da amostra)", "corte", {}},
        {"--seed", "X", "", "semente", {}},
        {"--analyse", "", "", "analisa", {}},
    };
    command.Run = [](const TCliArguments&, TCliReport&) {};
    return command;
}

TCliArguments Read(const TCliCommand& command, const std::vector<std::string>& args) {
    return TCliArguments(command, args);
}

// The status and message of the usage error the arguments give.
std::string UsageFault(const TCliCommand& command, const std::vector<std::string>& args) {
    try {
        Read(command, args);
    } catch (const TCliError& e) {
        EXPECT_EQ(e.Status(), TCliError::UsageStatus);
        return e.what();
    }
    return "(aceito)";
}

} // namespace

TEST(TCliArguments, ReadsOptionsAndFallsBackToTheirDefaults) {
    const TCliCommand command = Sample();
    const TCliArguments plain = Read(command, {"mega.csv"});
    EXPECT_EQ(plain.Argument(0), "mega.csv");
    EXPECT_EQ(plain.Int("--sample", 1, 100), 40);
    EXPECT_EQ(plain.Text("--view"), "absolute");
    EXPECT_FALSE(plain.OptionalInt("--ball", 1, 60).has_value());
    // A described default is the command's to work out.
    EXPECT_EQ(plain.Text("--cut"), "");
    EXPECT_FALSE(plain.OptionalInt("--cut", 0, 10).has_value());
    EXPECT_FALSE(plain.Seed("--seed").has_value());
    EXPECT_FALSE(plain.Flag("--analyse"));
    EXPECT_EQ(plain.Format(), TCliReport::TFormat::Tsv);

    const TCliArguments given = Read(command, {"--sample=12", "--view", "relative", "mega.csv", "--ball", "-0",
                                               "--seed", "18446744073709551615", "--analyse", "--format", "json"});
    EXPECT_EQ(given.Int("--sample", 1, 100), 12);
    EXPECT_EQ(given.Text("--view"), "relative");
    EXPECT_EQ(given.OptionalInt("--ball", 0, 60), 0);
    EXPECT_EQ(given.Seed("--seed"), UINT64_MAX);
    EXPECT_TRUE(given.Flag("--analyse"));
    EXPECT_EQ(given.Format(), TCliReport::TFormat::Json);
    // --help needs no positional argument.
    EXPECT_TRUE(Read(command, {"--help"}).HelpAsked());
}

TEST(TCliArguments, BadArgumentsAreUsageErrors) {
    const TCliCommand command = Sample();
    EXPECT_EQ(UsageFault(command, {}), "faltam argumentos: ARQUIVO");
    EXPECT_EQ(UsageFault(command, {"a", "b"}), "argumentos demais");
    EXPECT_EQ(UsageFault(command, {"a", "--bogus"}), "opção desconhecida: --bogus");
    EXPECT_EQ(UsageFault(command, {"a", "--sample"}), "falta o valor de --sample");
    EXPECT_EQ(UsageFault(command, {"a", "--sample", "1", "--sample", "2"}), "opção repetida: --sample");
    EXPECT_EQ(UsageFault(command, {"a", "--analyse=1"}), "--analyse não recebe valor");
    EXPECT_EQ(UsageFault(command, {"a", "--view", "walk"}),
              "valor inválido para --view: walk (use absolute|relative)");
    EXPECT_EQ(UsageFault(command, {"a", "--format", "xml"}), "valor inválido para --format: xml (use tsv|json)");

    // Typed reads: the whole text, in range, in the C locale.
    for (const std::string text : {"0", "101", "1.5", "1,5", " 5", "5x", "", "99999999999999999999"}) {
        const TCliArguments arguments = Read(command, {"a", "--sample", text});
        try {
            arguments.Int("--sample", 1, 100);
            ADD_FAILURE() << text;
        } catch (const TCliError& e) {
            EXPECT_EQ(e.Status(), TCliError::UsageStatus);
            EXPECT_EQ(std::string(e.what()), "valor inválido para --sample: " + text + " (inteiro de 1 a 100)");
        }
    }
    for (const std::string text : {"-1", "18446744073709551616", "0x10"})
        EXPECT_THROW(Read(command, {"a", "--seed", text}).Seed("--seed"), TCliError) << text;
}

TEST(TCliCommand, UsageListsEveryOptionWithItsDefault) {
    const TCliCommand command = Sample();
    const std::string usage = command.Usage();
    EXPECT_EQ(usage.rfind("uso: tovisca-cli sample ARQUIVO [opções]\n  um comando de teste\n", 0), 0u) << usage;
    for (const char* line : {"  --sample S                 amostra (padrão: 40)\n",
                             "  --view absolute|relative   vista (padrão: absolute)\n",
                             "  --ball B                   uma bola (padrão: nenhum)\n",
                             "  --cut C                    corte (padrão: metade da amostra)\n",
                             "  --analyse                  analisa (padrão: desligada)\n",
                             "  --format tsv|json          formato da saída: texto com TAB ou JSON (padrão: tsv)\n",
                             "  --help                     mostra o uso do comando e sai\n"})
        EXPECT_NE(usage.find(line), std::string::npos) << line << usage;

    // The program's usage: every command's line, then every command's usage.
    const TCliProgram program({Sample()});
    EXPECT_NE(program.Usage().find("  sample      um comando de teste\n"), std::string::npos);
    EXPECT_NE(program.Usage().find(usage), std::string::npos);
}

TEST(TCliReport, WritesTheTsvLinesOrOneJsonObject) {
    TCliReport tsv(TCliReport::TFormat::Tsv);
    tsv.Line("Memo");
    tsv.Row({"a", "", "1,5"});
    tsv.Set("ignored", 1);
    EXPECT_EQ(tsv.Text("x"), "Memo\na\t\t1,5\n");

    // Full precision in the C locale whatever the process's locale says.
    std::setlocale(LC_ALL, "pt_BR.UTF-8");
    TCliReport json(TCliReport::TFormat::Json);
    json.Line("not in JSON");
    json.Set("third", 0.1 + 0.2);
    json.Set("big", 5.3598337040380968e20);
    json.Set("tiny", 1e-300);
    json.Set("count", 50063860);
    json.Set("name", TCliReport::String("Atraso médio"));
    const std::string text = json.Text("sample");
    std::setlocale(LC_ALL, "C");
    EXPECT_NE(text.find("0.30000000000000004"), std::string::npos) << text;
    EXPECT_NE(text.find("\"count\": 50063860"), std::string::npos) << text;
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_EQ(object.value("command").toString(), "sample");
    EXPECT_EQ(object.value("third").toDouble(), 0.1 + 0.2);
    EXPECT_EQ(object.value("big").toDouble(), 5.3598337040380968e20);
    EXPECT_EQ(object.value("tiny").toDouble(), 1e-300);
    EXPECT_EQ(object.value("name").toString(), QString::fromUtf8("Atraso médio"));
    EXPECT_EQ(object.size(), 6);
}
