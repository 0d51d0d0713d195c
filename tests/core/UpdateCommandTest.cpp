// `tovisca-cli update FILE`: the update without the question, for scheduled
// runs. The command is run as a program against a loopback server.
#include "LoopbackHttpServer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zip.h>

#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class UpdateCommand : public ::testing::Test {
protected:
    void SetUp() override {
        cli_ = std::filesystem::read_symlink("/proc/self/exe").parent_path() / ".." / "app" / "tovisca-cli";
        if (!std::filesystem::exists(cli_)) GTEST_SKIP() << "tovisca-cli is not built: " << cli_;
        root_ = folder_.path().toStdString();
        data_ = root_ + "/mega.csv";
        history_ = ReadFile(TOVISCA_DATA_DIR "/megasena.csv");
        server_.Add("/D_megase.zip", ReadFile(TOVISCA_DATA_DIR "/official/D_megase.zip"));
        WriteFile(root_ + "/mega.ini", "[Server]\r\nurl=" + server_.Url("/D_megase.zip") +
                                           "\r\ntype=ZIP/HTML\r\n[HTML]\r\nSourceFile=d_mega.htm\r\n"
                                           "LoteryNumberColumn=1\r\nBallsStartColumn=3\r\nBallsCount=6\r\n");
    }

    int Run(const std::string& file) {
        std::string command = "'";
        command += cli_.string();
        command += "' update '";
        command += file;
        command += "' 2>'";
        command += root_;
        command += "/err'";
        FILE* pipe = popen(command.c_str(), "r");
        out_.clear();
        char buffer[4096];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out_.append(buffer, got);
        const int status = pclose(pipe);
        err_ = ReadFile(root_ + "/err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string FirstDraws(int draws) const {
        size_t end = 0;
        for (int line = 0; line <= draws; ++line) end = history_.find("\r\n", end) + 2;
        return history_.substr(0, end);
    }

    LoopbackHttpServer server_;
    QTemporaryDir folder_;
    std::filesystem::path cli_;
    std::string root_, data_, history_, out_, err_;
};

} // namespace

TEST_F(UpdateCommand, UpdatesWithoutAskingAndPrintsTheStepsAndTheCount) {
    WriteFile(data_, FirstDraws(2000));
    ASSERT_EQ(Run(data_), 0) << err_;
    EXPECT_EQ(err_, "");
    size_t at = 0;
    for (const char* step : {"Conectando a Internet...\n", "Recebendo...\n", "Arquivo recebido.\n",
                             "Descompactando...\n", "Lendo...\n", "Lendo... concurso 2100\n"}) {
        at = out_.find(step, at);
        ASSERT_NE(at, std::string::npos) << step << " in\n" << out_;
    }
    EXPECT_TRUE(out_.ends_with("\nLendo... concurso 2100\n146 jogo(s) acrescentado(s).\n")) << out_;
    EXPECT_EQ(ReadFile(root_ + "/mega.bak"), FirstDraws(2000));
}

TEST_F(UpdateCommand, FailuresExitNonZeroWithTheMessageAndKeepTheFile) {
    // The published table is older than the history.
    WriteFile(data_, history_);
    EXPECT_EQ(Run(data_), 1);
    EXPECT_NE(err_.find("2146"), std::string::npos) << err_;
    EXPECT_EQ(ReadFile(data_), history_);
    EXPECT_FALSE(std::filesystem::exists(root_ + "/mega.bak"));

    // No game definition file beside this one.
    const std::string other = root_ + "/other.csv";
    WriteFile(other, FirstDraws(3));
    EXPECT_EQ(Run(other), 1);
    EXPECT_EQ(err_, "tovisca-cli: Não existe atualização para esse jogo.\n");
    EXPECT_EQ(out_, "");

    // A malformed history is not replaced.
    WriteFile(data_, "Concurso;Bola1\r\n1;x\r\n");
    EXPECT_EQ(Run(data_), 1);
    EXPECT_NE(err_.find("'x' is not a valid integer value"), std::string::npos) << err_;
    EXPECT_EQ(server_.Requests(), 1);
}
