// Runs the built tovisca-cli (beside the tests: ../app/tovisca-cli relative to
// this test program) and checks its output byte for byte.
#include "TDrawTable.h"
#include "TLottery.h"

#include "TempFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

const std::string DataDir = TOVISCA_DATA_DIR;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        cli_ = std::filesystem::read_symlink("/proc/self/exe").parent_path() / ".." / "app" / "tovisca-cli";
        if (!std::filesystem::exists(cli_)) GTEST_SKIP() << "tovisca-cli is not built: " << cli_;
    }

    Result Run(const std::vector<std::string>& args) const {
        std::string command = Quote(cli_.string());
        for (const std::string& arg : args) {
            command += ' ';
            command += Quote(arg);
        }
        const std::string errFile = (folder_.Path() / "stderr").string();
        command += " 2>" + Quote(errFile);
        Result result;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return result;
        char buffer[1 << 16];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
        const int status = pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream err(errFile, std::ios::binary);
        std::ostringstream text;
        text << err.rdbuf();
        result.err = text.str();
        return result;
    }

    std::filesystem::path cli_;
    TempFolder folder_;
};

} // namespace

TEST_F(CommandLineTest, InfoPrintsTheGameWindowsFigures) {
    const Result mega = Run({"info", DataDir + "/megasena.csv"});
    EXPECT_EQ(mega.status, 0);
    EXPECT_EQ(mega.out, "Elementos combinados: 60\n"
                        "Elementos por combinação: 6\n"
                        "Total de combinações: 50063860\n"
                        "Paradoxo do aniversário: 8490\n"
                        "Concursos: 3047\n");
    EXPECT_EQ(mega.err, "");
    // A Superball game shows the reduced total and birthday figure.
    const Result mania = Run({"info", DataDir + "/lotomania.csv"});
    EXPECT_EQ(mania.status, 0);
    EXPECT_EQ(mania.out, "Elementos combinados: 100\n"
                         "Elementos por combinação: 20\n"
                         "Total de combinações: 11372635\n"
                         "Paradoxo do aniversário: 4046\n"
                         "Superball: 50\n"
                         "Concursos: 2965\n");
}

TEST_F(CommandLineTest, DrawsPrintsTheTableExactly) {
    for (const char* game : {"megasena.csv", "lotofacil.csv"}) {
        const Result result = Run({"draws", DataDir + "/" + game});
        EXPECT_EQ(result.status, 0);
        const TLottery lottery(DataDir + "/" + game);
        EXPECT_TRUE(result.out == TDrawTable(&lottery).ToText()) << game;
    }
}

TEST_F(CommandLineTest, CsnConvertsBothWays) {
    EXPECT_EQ(Run({"csn", "60", "6", "--balls", "41,5,4,52,30,33"}).out, "14086154\n");
    EXPECT_EQ(Run({"csn", "60", "6", "--balls", "1,2,3,4,5,6"}).out, "1\n");
    EXPECT_EQ(Run({"csn", "60", "6", "--csn", "14086154"}).out, "4, 5, 30, 33, 41, 52\n");
    EXPECT_EQ(Run({"csn", "60", "6", "--csn", "50063860"}).out, "55, 56, 57, 58, 59, 60\n");
    EXPECT_EQ(Run({"csn", "4", "2", "--csn", "2.5"}).out, "1, 4\n");
    const Result ok = Run({"csn", "4", "2", "--balls", "3,4"});
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.out, "6\n");
}

TEST_F(CommandLineTest, ErrorsGoToStderrWithAFailingStatus) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"info"},
        {"info", (folder_.Path() / "none.csv").string()},
        {"draws", (folder_.Path() / "none.csv").string()},
        {"csn", "6", "7", "--csn", "1"},
        {"csn", "1001", "2", "--csn", "1"},
        {"csn", "60", "0", "--csn", "1"},
        {"csn", "x", "6", "--csn", "1"},
        {"csn", "60", "6", "--csn", "0"},
        {"csn", "60", "6", "--csn", "50063861"},
        {"csn", "60", "6", "--csn", "abc"},
        {"csn", "60", "6", "--balls", "1,2,3,4,5"},
        {"csn", "60", "6", "--balls", "1,2,3,4,5,61"},
        {"csn", "60", "6", "--balls", "1,2,3,4,5,5"},
        {"csn", "60", "6", "--balls", "1,2,3,4,5,"},
        {"csn", "60", "6", "--wrong", "1"},
    };
    for (const auto& args : bad) {
        const Result result = Run(args);
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        EXPECT_NE(result.status, 0) << joined;
        EXPECT_EQ(result.out, "") << joined;
        EXPECT_FALSE(result.err.empty()) << joined;
    }
    const Result malformed = Run({"info", folder_.Write("bad.csv", "Concurso;Bola1\n1;x\n")});
    EXPECT_EQ(malformed.status, 1);
    EXPECT_NE(malformed.err.find("'x' is not a valid integer value"), std::string::npos);
    const Result missing = Run({"info", (folder_.Path() / "none.csv").string()});
    EXPECT_NE(missing.err.find("none.csv"), std::string::npos);
}
