// The whole results update against a loopback HTTP server (and file:// URLs):
// archives are made here with libzip from the bundled histories and the
// official samples. Every failure must leave the data file byte for byte as
// it was.
#include "TResultsUpdate.h"
#include "CoreTestSupport.h"
#include "LoopbackHttpServer.h"
#include "TLottery.h"
#include "TempFiles.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>

namespace {

using Outcome = TResultsUpdate::TOutcome;
using Texts = std::vector<std::string>;

// A results page in the plain layout: a header row of <th> cells, then per
// draw the contest, a date and the balls, each cell on its own line.
std::string PageFromHistory(const std::string& history) {
    std::string rows = std::regex_replace(history, std::regex("\r\n(\\d+);"), "\r\n$1;01/01/2000;");
    rows = std::regex_replace(rows.substr(rows.find("\r\n") + 2), std::regex("([^\r\n]+)\r\n"),
                              "<tr bgcolor=#D9E6F4>\r\r\n<td>$1</td>\r\r\n<td>0,00</td>\r\r\n</tr>\r\r\n");
    return "<html>\r<table>\r<tr>\r<th>Concurso</th>\r<th>Data</th>\r</tr>\r" +
           std::regex_replace(rows, std::regex(";"), "</td>\r\r\n<td>") + "</table>\r</html>\r";
}

// A ZIP archive (deflated) holding the given members.
std::string Zip(const std::vector<std::pair<std::string, std::string>>& members) {
    const TempFolder folder;
    const std::string path = (folder.Path() / "a.zip").string();
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, bytes] : members)
        zip_file_add(zip, name.c_str(), zip_source_buffer(zip, bytes.data(), bytes.size(), 0),
                     ZIP_FL_ENC_UTF_8);
    EXPECT_EQ(zip_close(zip), 0);
    return ReadFile(path);
}

std::string Ini(const std::string& url, const std::string& type = "ZIP/HTML",
                const std::string& sourceFile = "d_mega.htm",
                const std::string& columns = "LoteryNumberColumn=1\r\nBallsStartColumn=3\r\nBallsCount=6") {
    return "[Server]\r\n" + (url.empty() ? "" : "url=" + url + "\r\n") + "type=" + type +
           "\r\nHost=\r\nUser=\r\nPassword=\r\nFileSource=\r\n[HTML]\r\nSourceFile=" + sourceFile + "\r\n" +
           columns + "\r\n";
}

class ResultsUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        // Working folders of the update go under here, so the test sees
        // whether they are removed.
        std::filesystem::create_directory(work_);
        if (const char* tmp = std::getenv("TMPDIR")) oldTmp_ = tmp;
        setenv("TMPDIR", work_.c_str(), 1);
    }
    void TearDown() override { oldTmp_ ? setenv("TMPDIR", oldTmp_->c_str(), 1) : unsetenv("TMPDIR"); }

    // Runs the update as the command line does (always yes), with short
    // time-outs, recording the status texts.
    TResultsUpdate::TResult Run(int held, bool* asked = nullptr, const std::string& cancelAt = "-") {
        statuses_.clear();
        TResultsUpdate update(data_, held);
        update.Downloader.ConnectTimeoutMs = 5000;
        update.Downloader.LowSpeedSeconds = 1;
        update.Downloader.RetryPauseMs = 10;
        update.OnStatus = [&](const std::string& text) {
            statuses_.push_back(text);
            update.Cancel = update.Cancel || text == cancelAt;
        };
        update.OnConfirm = [asked] { return asked == nullptr || (*asked = true); };
        return update.Run();
    }

    // The statuses without the running percentages and contests.
    Texts Steps() const {
        Texts steps;
        for (const auto& s : statuses_)
            if (s.rfind("Recebendo... ", 0) != 0 && s.rfind("Lendo... concurso ", 0) != 0) steps.push_back(s);
        return steps;
    }

    TempFolder folder_;
    const std::string root_ = folder_.Path().string(), work_ = root_ + "/tmp",
                      data_ = root_ + "/megasena.csv", ini_ = root_ + "/megasena.ini",
                      bak_ = root_ + "/megasena.bak";
    const std::string history_ = ReadFile(TOVISCA_DATA_DIR "/megasena.csv");
    std::optional<std::string> oldTmp_;
    Texts statuses_;
};

} // namespace

TEST_F(ResultsUpdate, FullUpdateRewritesTheFileReplacesTheOlderBackupAndCountsNewDraws) {
    LoopbackHttpServer server;
    // The member's name matches without case.
    server.Add("/loterias/D_megase.zip",
               Zip({{"D_Mega.HTM", PageFromHistory(history_)}, {"t2.gif", "GIF89a"}}));
    folder_.Write("megasena.csv", FirstDraws(history_, 3000));
    folder_.Write("megasena.bak", "an older backup");
    folder_.Write("megasena.ini", Ini(server.Url("/loterias/D_megase.zip")));

    bool asked = false;
    const auto result = Run(3000, &asked);
    ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message << " " << result.Detail;
    EXPECT_TRUE(asked);
    EXPECT_TRUE(result.ReloadHistory());
    EXPECT_EQ(result.NewCount, 47);
    EXPECT_EQ(result.DrawsRead, 3047);
    EXPECT_EQ(result.Message, "Jogo atualizado.\r\n47 jogo(s) acrescentado(s).");
    // The published table rewrites the whole history, exactly as bundled.
    EXPECT_EQ(ReadFile(data_), history_);
    EXPECT_EQ(ReadFile(bak_), FirstDraws(history_, 3000));
    EXPECT_TRUE(std::filesystem::is_empty(work_));
    EXPECT_EQ(Steps(), (Texts{"Conectando a Internet...", "Recebendo...", "Arquivo recebido.",
                              "Descompactando...", "Lendo...", "47 jogo(s) acrescentado(s)."}));
    EXPECT_EQ(statuses_.end()[-2], "Lendo... concurso 3047");
    EXPECT_EQ(server.Requests(), 1);
}

TEST_F(ResultsUpdate, OfficialArchiveOf2019GivesItsContestsInTheOrderDrawn) {
    LoopbackHttpServer server;
    server.Add("/D_megase.zip", ReadFile(TOVISCA_DATA_DIR "/official/D_megase.zip"));
    folder_.Write("megasena.csv", FirstDraws(history_, 2000));
    folder_.Write("megasena.ini", Ini(server.Url("/D_megase.zip")));
    const auto result = Run(2000);
    ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message << " " << result.Detail;
    EXPECT_EQ(result.NewCount, 146);
    // The header for six balls, then the balls in the order the bundled
    // history records them.
    EXPECT_TRUE(ReadFile(data_).starts_with(
        "Concurso;Bola1;Bola2;Bola3;Bola4;Bola5;Bola6\r\n1;41;05;04;52;30;33\r\n"));
    const TLottery updated(data_), bundled(TOVISCA_DATA_DIR "/megasena.csv");
    ASSERT_EQ(updated.DrawCount, 2146);
    for (size_t c = 0; c <= 6; ++c)
        EXPECT_TRUE(
            std::equal(updated.Draws[c].begin(), updated.Draws[c].begin() + 2146, bundled.Draws[c].begin()))
            << c;
}

TEST_F(ResultsUpdate, OfficialPageOf2014ByFileAddressWithoutPreviousFile) {
    const std::string archive = folder_.Write(
        "results.zip", Zip({{"d_megasc.htm", ReadFile(TOVISCA_DATA_DIR "/official/d_megasc.htm")}}));
    folder_.Write("megasena.ini", Ini("file://" + archive, "ZIP/HTML", "d_megasc.htm"));
    const auto result = Run(0);
    ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message << " " << result.Detail;
    EXPECT_EQ(result.NewCount, 1628);
    EXPECT_FALSE(std::filesystem::exists(bak_));
    const std::string written = ReadFile(data_);
    EXPECT_TRUE(
        written.starts_with("Concurso;Bola1;Bola2;Bola3;Bola4;Bola5;Bola6\r\n1;04;05;30;33;41;52\r\n"));
    EXPECT_TRUE(written.ends_with("\r\n1628;26;29;34;38;50;60\r\n"));
    EXPECT_EQ(TLottery(data_).DrawCount, 1628);
}

TEST_F(ResultsUpdate, FailuresCancelAndDownloadOnlyLeaveTheDataFileByteForByte) {
    LoopbackHttpServer server;
    LoopbackHttpServer silent(true);
    std::string corrupt = Zip({{"d_mega.htm", PageFromHistory(history_)}});
    corrupt.resize(corrupt.size() / 2);
    server.Add("/corrupt.zip", corrupt);
    server.Add("/other.zip", Zip({{"outro.htm", PageFromHistory(history_)}}));
    std::string bad = history_;
    bad.replace(bad.find("\r\n2500;") + 2, 4, "abc");
    server.Add("/abc.zip", Zip({{"d_mega.htm", PageFromHistory(bad)}}));
    server.Add("/full.zip", Zip({{"d_mega.htm", PageFromHistory(history_)}}));
    // The 2019 archive holds 2146 draws, fewer than the history's 3047.
    server.Add("/D_megase.zip", ReadFile(TOVISCA_DATA_DIR "/official/D_megase.zip"));
    const std::string refused =
        "http://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort()) + "/a.zip";
    const std::string received = "Ocorreu um erro no recebimento do arquivo.";
    struct Failure {
        std::string ini; // no definition file when empty
        Outcome outcome;
        std::string message; // the whole message, or a part of it after '~'
        int held = 3000;
        std::string cancelAt = "-"; // the status on which the update is cancelled
    };
    const std::vector<Failure> failures = {
        {"", Outcome::NoDefinition, "Não existe atualização para esse jogo."},
        {Ini(""), Outcome::NoUrl, "URL não indicada no arquivo INI."},
        {Ini(server.Url("/a.zip"), "ZIP/HTML", "d_mega.htm",
             "LoteryNumberColumn=1\r\nBallsStartColumn=3\r\nBallsCount=seis"),
         Outcome::InvalidDefinition, "'seis' is not a valid integer value"},
        {Ini(server.Url("/a.zip"), "ZIP/HTML", "../x.htm"), Outcome::InvalidDefinition, "~SourceFile"},
        {Ini(server.Url("/missing.zip")), Outcome::DownloadFailed, received},
        {Ini(refused), Outcome::DownloadFailed, received},
        {Ini(silent.Url("/a.zip")), Outcome::DownloadFailed, received}, // times out
        {Ini(server.Url("/corrupt.zip")), Outcome::Failed, "~Cannot open file \""},
        {Ini(server.Url("/other.zip")), Outcome::Failed, "~d_mega.htm"},
        {Ini(server.Url("/abc.zip")), Outcome::Failed, "'abc' is not a valid integer value"},
        {Ini(server.Url("/D_megase.zip")), Outcome::FewerDraws, "~2146", 3047},
        {Ini(server.Url("/full.zip")), Outcome::Cancelled, "Atualização cancelada.", 3000,
         "Lendo... concurso 10"},
        // Any type but "ZIP/HTML" only downloads.
        {Ini(server.Url("/abc.zip"), "ZIP"), Outcome::Updated,
         "Jogo atualizado.\r\n0 jogo(s) acrescentado(s)."}};
    for (const Failure& failure : failures) {
        SCOPED_TRACE(failure.ini);
        std::filesystem::remove(ini_);
        if (!failure.ini.empty()) folder_.Write("megasena.ini", failure.ini);
        const std::string before = FirstDraws(history_, failure.held);
        folder_.Write("megasena.csv", before);
        folder_.Write("megasena.bak", "older backup");
        const int requests = server.Requests() + silent.Requests();
        const auto result = Run(failure.held, nullptr, failure.cancelAt);
        EXPECT_EQ(result.Outcome, failure.outcome) << result.Message;
        if (failure.message.front() == '~') {
            EXPECT_NE(result.Message.find(failure.message.substr(1)), std::string::npos) << result.Message;
        } else {
            EXPECT_EQ(result.Message, failure.message);
        }
        EXPECT_EQ(ReadFile(data_), before);
        EXPECT_EQ(ReadFile(bak_), "older backup");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root_), {}), 3 + !failure.ini.empty())
            << "no stray file beside the data";
        EXPECT_TRUE(std::filesystem::is_empty(work_));
        EXPECT_TRUE(result.Message.ends_with(statuses_.back())) << statuses_.back();
        // A definition that cannot work downloads nothing.
        if (failure.outcome >= Outcome::NoDefinition && failure.outcome <= Outcome::InvalidDefinition) {
            EXPECT_EQ(server.Requests() + silent.Requests(), requests);
        }
    }
    // A data file that is its own backup name is not touched either.
    folder_.Write("megasena.ini", Ini(server.Url("/a.zip")));
    EXPECT_EQ(TResultsUpdate(bak_, 10).Run().Outcome, Outcome::InvalidDefinition);
    EXPECT_EQ(ReadFile(bak_), "older backup");
}

TEST(ResultsUpdateNames, DownloadTargetStaysAPlainName) {
    for (const auto& [url, name] : std::vector<std::pair<std::string, std::string>>{
             {"http://www1.caixa.gov.br/loterias/D_megase.zip", "_update.zip"},
             {"ftp://127.0.0.1:2121/x.ZIP", "_update.ZIP"},
             {"http://caixa.gov.br/download", "_update"},
             {"http://h/x.zip?f=../../etc/y", "_update"},
             {"http://h/a.b\\..\\c", "_update"}})
        EXPECT_EQ(TResultsUpdate::DownloadFileName(url), name);
}
