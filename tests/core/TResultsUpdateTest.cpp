// The whole results update against a loopback HTTP server (and file:// URLs):
// archives are made here with libzip from the bundled histories and the
// official samples. Every failure must leave the data file byte for byte as
// it was.
#include "TResultsUpdate.h"
#include "LoopbackHttpServer.h"
#include "TLottery.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Outcome = TResultsUpdate::TOutcome;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

// The first `draws` draws of a game data file, header included.
std::string FirstDraws(const std::string& history, int draws) {
    size_t end = 0;
    for (int line = 0; line <= draws; ++line) end = history.find("\r\n", end) + 2;
    return history.substr(0, end);
}

// A results page in the plain layout: a header row of <th> cells, then per
// draw the contest, a date and the balls, each cell on its own line.
std::string PageFromHistory(const std::string& history) {
    std::string page =
        "<html>\r<body>\r<table>\r<tr>\r<th>Concurso</th>\r<th>Data</th>\r<th>Dezenas</th>\r</tr>\r";
    std::istringstream in(history);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream fields(line);
        std::string field;
        page += "<tr bgcolor=#D9E6F4>\r\r\n";
        for (int cell = 0; std::getline(fields, field, ';'); ++cell) {
            page += "<td>" + field + "</td>\r\r\n";
            if (cell == 0) page += "<td>01/01/2000</td>\r\r\n";
        }
        page += "<td>0,00</td>\r\r\n</tr>\r\r\n";
    }
    return page + "</table>\r</body>\r</html>\r";
}

// A ZIP archive (deflated) holding the given members.
std::string Zip(const std::vector<std::pair<std::string, std::string>>& members) {
    QTemporaryDir folder;
    const std::string path = folder.path().toStdString() + "/a.zip";
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    EXPECT_NE(zip, nullptr);
    for (const auto& [name, bytes] : members) {
        zip_source_t* source = zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
        EXPECT_GE(zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8), 0);
    }
    EXPECT_EQ(zip_close(zip), 0);
    return ReadFile(path);
}

std::string Ini(const std::string& url, const std::string& type = "ZIP/HTML",
                const std::string& sourceFile = "d_mega.htm", const std::string& columns = "1;3;6") {
    std::string ini = "[Server]\r\n";
    if (!url.empty()) ini += "url=" + url + "\r\n";
    ini += "type=" + type +
           "\r\nHost=\r\nUser=\r\nPassword=\r\nFileSource=\r\n[HTML]\r\nSourceFile=" + sourceFile + "\r\n";
    const std::vector<std::string> keys = {"LoteryNumberColumn", "BallsStartColumn", "BallsCount"};
    std::istringstream in(columns);
    std::string value;
    for (size_t i = 0; std::getline(in, value, ';'); ++i) ini += keys[i] + "=" + value + "\r\n";
    return ini;
}

class ResultsUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        root_ = folder_.path().toStdString();
        // Working folders of the update go under here, so the test sees
        // whether they are removed.
        work_ = root_ + "/tmp";
        std::filesystem::create_directory(work_);
        oldTmp_ = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
        hadTmp_ = std::getenv("TMPDIR") != nullptr;
        setenv("TMPDIR", work_.c_str(), 1);
        data_ = root_ + "/megasena.csv";
        ini_ = root_ + "/megasena.ini";
        bak_ = root_ + "/megasena.bak";
        history_ = ReadFile(TOVISCA_DATA_DIR "/megasena.csv");
        ASSERT_FALSE(history_.empty());
    }
    void TearDown() override {
        if (hadTmp_)
            setenv("TMPDIR", oldTmp_.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }

    // Runs the update as the command line does (always yes), with short
    // time-outs, recording the status texts.
    TResultsUpdate::TResult Run(int held, bool* asked = nullptr) {
        TResultsUpdate update(data_, held);
        update.Downloader.ConnectTimeoutMs = 5000;
        update.Downloader.LowSpeedSeconds = 1;
        update.OnStatus = [this](const std::string& text) { statuses_.push_back(text); };
        update.OnConfirm = [asked] {
            if (asked) *asked = true;
            return true;
        };
        return update.Run();
    }

    bool WorkFolderEmpty() const { return std::filesystem::is_empty(work_); }

    // The statuses without the running percentages and contests.
    std::vector<std::string> Steps() const {
        std::vector<std::string> steps;
        for (const auto& s : statuses_)
            if (s.rfind("Recebendo... ", 0) != 0 && s.rfind("Lendo... concurso ", 0) != 0) steps.push_back(s);
        return steps;
    }

    // Runs an update that must fail and checks that nothing changed.
    TResultsUpdate::TResult ExpectNothingChanges(Outcome expected, int held = 3000) {
        const std::string before = FirstDraws(history_, held);
        WriteFile(data_, before);
        WriteFile(bak_, "older backup");
        const auto result = Run(held);
        EXPECT_EQ(result.Outcome, expected) << result.Message;
        EXPECT_FALSE(result.ReloadHistory());
        EXPECT_EQ(ReadFile(data_), before);
        EXPECT_EQ(ReadFile(bak_), "older backup");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root_), {}), 4)
            << "no stray file beside the data";
        EXPECT_TRUE(WorkFolderEmpty());
        EXPECT_FALSE(statuses_.empty());
        if (!statuses_.empty()) {
            EXPECT_EQ(statuses_.back(), result.Message);
        }
        return result;
    }

    QTemporaryDir folder_;
    std::string root_, work_, data_, ini_, bak_, history_, oldTmp_;
    bool hadTmp_ = false;
    std::vector<std::string> statuses_;
};

} // namespace

TEST_F(ResultsUpdate, FullUpdateRewritesTheFileKeepsTheBackupAndCountsNewDraws) {
    LoopbackHttpServer server;
    server.Add("/loterias/D_megase.zip",
               Zip({{"d_mega.htm", PageFromHistory(history_)}, {"t2.gif", "GIF89a"}}));
    const std::string previous = FirstDraws(history_, 3000);
    WriteFile(data_, previous);
    WriteFile(bak_, "an older backup");
    WriteFile(ini_, Ini(server.Url("/loterias/D_megase.zip")));

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
    EXPECT_EQ(ReadFile(bak_), previous);
    EXPECT_TRUE(WorkFolderEmpty());
    EXPECT_EQ(Steps(),
              (std::vector<std::string>{"Conectando a Internet...", "Recebendo...", "Arquivo recebido.",
                                        "Descompactando...", "Lendo...", "47 jogo(s) acrescentado(s)."}));
    EXPECT_EQ(std::count(statuses_.begin(), statuses_.end(), "Lendo... concurso 3047"), 1);
    EXPECT_EQ(statuses_.end()[-2], "Lendo... concurso 3047");

    // Reloading gives the new history.
    TLottery reloaded(data_);
    EXPECT_TRUE(reloaded.Loaded);
    EXPECT_EQ(reloaded.DrawCount, 3047);

    // A second update keeps the then previous file as the backup.
    statuses_.clear();
    const auto again = Run(3047);
    ASSERT_EQ(again.Outcome, Outcome::Updated) << again.Message;
    EXPECT_EQ(again.NewCount, 0);
    EXPECT_EQ(again.Message, "Jogo atualizado.\r\n0 jogo(s) acrescentado(s).");
    EXPECT_EQ(ReadFile(bak_), history_);
    EXPECT_EQ(server.Requests(), 2);
}

TEST_F(ResultsUpdate, OfficialArchiveOf2019UpdatesToItsContestsInTheOrderDrawn) {
    LoopbackHttpServer server;
    server.Add("/D_megase.zip", ReadFile(TOVISCA_DATA_DIR "/official/D_megase.zip"));
    WriteFile(data_, FirstDraws(history_, 2000));
    WriteFile(ini_, Ini(server.Url("/D_megase.zip")));
    const auto result = Run(2000);
    ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message << " " << result.Detail;
    EXPECT_EQ(result.NewCount, 146);
    EXPECT_EQ(result.DrawsRead, 2146);
    const std::string written = ReadFile(data_);
    EXPECT_EQ(written.substr(0, 67),
              "Concurso;Bola1;Bola2;Bola3;Bola4;Bola5;Bola6\r\n1;41;05;04;52;30;33\r\n");
    TLottery updated(data_);
    TLottery bundled(TOVISCA_DATA_DIR "/megasena.csv");
    ASSERT_EQ(updated.DrawCount, 2146);
    for (int d = 0; d < updated.DrawCount; ++d)
        for (int c = 0; c <= 6; ++c) ASSERT_EQ(updated.Draws[c][d], bundled.Draws[c][d]) << d << " " << c;
}

TEST_F(ResultsUpdate, FileAddressAndNoPreviousFile) {
    // The 2014 page zipped here; no data file yet, so no backup either.
    const std::string archive = root_ + "/results.zip";
    WriteFile(archive, Zip({{"d_megasc.htm", ReadFile(TOVISCA_DATA_DIR "/official/d_megasc.htm")}}));
    WriteFile(ini_, Ini("file://" + archive, "ZIP/HTML", "d_megasc.htm"));
    const auto result = Run(0);
    ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message << " " << result.Detail;
    EXPECT_EQ(result.NewCount, 1628);
    EXPECT_FALSE(Exists(bak_));
    TLottery loaded(data_);
    EXPECT_EQ(loaded.DrawCount, 1628);
    EXPECT_EQ(loaded.Draws[0][1627], 1628);
    EXPECT_EQ(loaded.Draws[6][1627], 60);
}

TEST_F(ResultsUpdate, MemberNameMatchesWithoutCase) {
    LoopbackHttpServer server;
    server.Add("/a.zip", Zip({{"D_MEGA.HTM", PageFromHistory(history_)}}));
    WriteFile(ini_, Ini(server.Url("/a.zip")));
    EXPECT_EQ(Run(0).Outcome, Outcome::Updated);
    EXPECT_EQ(ReadFile(data_), history_);
}

TEST_F(ResultsUpdate, StopsBeforeAskingWithoutDefinitionUrlOrValidColumns) {
    LoopbackHttpServer server;
    const std::string before = FirstDraws(history_, 10);
    WriteFile(data_, before);
    bool asked = false;

    auto result = Run(10, &asked);
    EXPECT_EQ(result.Outcome, Outcome::NoDefinition);
    EXPECT_EQ(result.Message, "Não existe atualização para esse jogo.");
    EXPECT_EQ(statuses_, std::vector<std::string>{"Não existe atualização para esse jogo."});

    statuses_.clear();
    WriteFile(ini_, Ini(""));
    result = Run(10, &asked);
    EXPECT_EQ(result.Outcome, Outcome::NoUrl);
    EXPECT_EQ(result.Message, "URL não indicada no arquivo INI.");
    EXPECT_EQ(statuses_, std::vector<std::string>{"URL não indicada no arquivo INI."});

    WriteFile(ini_, Ini(server.Url("/a.zip"), "ZIP/HTML", "d_mega.htm", "1;3;seis"));
    result = Run(10, &asked);
    EXPECT_EQ(result.Outcome, Outcome::InvalidDefinition);
    EXPECT_EQ(result.Message, "'seis' is not a valid integer value");

    WriteFile(ini_, Ini(server.Url("/a.zip"), "ZIP/HTML", "d_mega.htm", "1;3"));
    EXPECT_EQ(Run(10, &asked).Outcome, Outcome::InvalidDefinition);

    for (const std::string name : {"../x.htm", "sub/d_mega.htm", "..\\x.htm", ""}) {
        WriteFile(ini_, Ini(server.Url("/a.zip"), "ZIP/HTML", name));
        result = Run(10, &asked);
        EXPECT_EQ(result.Outcome, Outcome::InvalidDefinition) << name;
        EXPECT_NE(result.Message.find("SourceFile"), std::string::npos) << result.Message;
    }
    // A data file that is its own backup name.
    WriteFile(ini_, Ini(server.Url("/a.zip")));
    WriteFile(bak_, before);
    TResultsUpdate own(bak_, 10);
    EXPECT_EQ(own.Run().Outcome, Outcome::InvalidDefinition);
    EXPECT_EQ(ReadFile(bak_), before);

    EXPECT_FALSE(asked);
    EXPECT_EQ(server.Requests(), 0);
    EXPECT_EQ(ReadFile(data_), before);
}

TEST_F(ResultsUpdate, AnswerNoChangesNothing) {
    LoopbackHttpServer server;
    WriteFile(data_, "x");
    WriteFile(ini_, Ini(server.Url("/a.zip")));
    TResultsUpdate update(data_, 0);
    update.OnConfirm = [] { return false; };
    EXPECT_EQ(update.Run().Outcome, Outcome::Declined);
    EXPECT_EQ(server.Requests(), 0);
    EXPECT_EQ(ReadFile(data_), "x");
}

TEST_F(ResultsUpdate, OtherTypeOnlyDownloadsAndReportsNothingNew) {
    LoopbackHttpServer server;
    server.Add("/a.zip", Zip({{"d_mega.htm", PageFromHistory(history_)}}));
    const std::string before = FirstDraws(history_, 5);
    WriteFile(data_, before);
    WriteFile(ini_, Ini(server.Url("/a.zip"), "ZIP"));
    const auto result = Run(5);
    EXPECT_EQ(result.Outcome, Outcome::Updated);
    EXPECT_EQ(result.NewCount, 0);
    EXPECT_EQ(result.Message, "Jogo atualizado.\r\n0 jogo(s) acrescentado(s).");
    EXPECT_EQ(Steps(), (std::vector<std::string>{"Conectando a Internet...", "Recebendo...",
                                                 "Arquivo recebido.", "0 jogo(s) acrescentado(s)."}));
    EXPECT_EQ(server.Requests(), 1);
    EXPECT_EQ(ReadFile(data_), before);
    EXPECT_FALSE(Exists(bak_));
    EXPECT_TRUE(WorkFolderEmpty());
}

TEST_F(ResultsUpdate, DownloadFailuresLeaveTheFile) {
    LoopbackHttpServer server;
    WriteFile(ini_, Ini(server.Url("/missing.zip")));
    auto result = ExpectNothingChanges(Outcome::DownloadFailed);
    EXPECT_EQ(result.Message, "Ocorreu um erro no recebimento do arquivo.");
    EXPECT_NE(result.Detail.find("404"), std::string::npos) << result.Detail;

    statuses_.clear();
    WriteFile(ini_, Ini("http://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort()) + "/a.zip"));
    result = ExpectNothingChanges(Outcome::DownloadFailed);
    EXPECT_EQ(result.Message, "Ocorreu um erro no recebimento do arquivo.");

    statuses_.clear();
    WriteFile(ini_, Ini("file://" + root_ + "/nothing-here.zip"));
    EXPECT_EQ(ExpectNothingChanges(Outcome::DownloadFailed).Message,
              "Ocorreu um erro no recebimento do arquivo.");
}

TEST_F(ResultsUpdate, SilentServerTimesOut) {
    LoopbackHttpServer silent(true);
    WriteFile(ini_, Ini(silent.Url("/a.zip")));
    const auto result = ExpectNothingChanges(Outcome::DownloadFailed);
    EXPECT_EQ(result.Message, "Ocorreu um erro no recebimento do arquivo.");
    EXPECT_EQ(silent.Requests(), 1);
}

TEST_F(ResultsUpdate, CancelStopsAHangingDownloadAndLaterSteps) {
    LoopbackHttpServer silent(true);
    WriteFile(ini_, Ini(silent.Url("/a.zip")));
    const std::string before = FirstDraws(history_, 3000);
    WriteFile(data_, before);
    TResultsUpdate update(data_, 3000);
    update.Downloader.LowSpeedSeconds = 3600; // only the cancel can end it
    update.OnStatus = [&](const std::string& text) {
        if (text == "Recebendo...") update.Cancel = true;
    };
    auto result = update.Run();
    EXPECT_EQ(result.Outcome, Outcome::Cancelled);
    EXPECT_EQ(result.Message, "Atualização cancelada.");
    EXPECT_EQ(ReadFile(data_), before);

    // Cancelled while reading the table.
    LoopbackHttpServer server;
    server.Add("/a.zip", Zip({{"d_mega.htm", PageFromHistory(history_)}}));
    WriteFile(ini_, Ini(server.Url("/a.zip")));
    TResultsUpdate reading(data_, 3000);
    reading.OnStatus = [&](const std::string& text) {
        if (text == "Lendo... concurso 10") reading.Cancel = true;
    };
    result = reading.Run();
    EXPECT_EQ(result.Outcome, Outcome::Cancelled);
    EXPECT_EQ(ReadFile(data_), before);
    EXPECT_FALSE(Exists(bak_));
    EXPECT_TRUE(WorkFolderEmpty());
}

TEST_F(ResultsUpdate, BadArchivesAndTablesLeaveTheFile) {
    LoopbackHttpServer server;
    std::string corrupt = Zip({{"d_mega.htm", PageFromHistory(history_)}});
    corrupt.resize(corrupt.size() / 2);
    server.Add("/corrupt.zip", corrupt);
    server.Add("/other.zip", Zip({{"outro.htm", PageFromHistory(history_)}}));
    std::string bad = history_;
    bad.replace(bad.find("\r\n2500;") + 2, 4, "abc");
    server.Add("/abc.zip", Zip({{"d_mega.htm", PageFromHistory(bad)}}));

    WriteFile(ini_, Ini(server.Url("/corrupt.zip")));
    auto result = ExpectNothingChanges(Outcome::Failed);
    EXPECT_EQ(result.Message.rfind("Cannot open file \"", 0), 0u) << result.Message;

    statuses_.clear();
    WriteFile(ini_, Ini(server.Url("/other.zip")));
    result = ExpectNothingChanges(Outcome::Failed);
    EXPECT_EQ(result.Message.rfind("Cannot open file \"", 0), 0u) << result.Message;
    EXPECT_NE(result.Message.find("d_mega.htm"), std::string::npos) << result.Message;

    statuses_.clear();
    WriteFile(ini_, Ini(server.Url("/abc.zip")));
    result = ExpectNothingChanges(Outcome::Failed);
    EXPECT_EQ(result.Message, "'abc' is not a valid integer value");
}

TEST_F(ResultsUpdate, OlderPublishedTableDoesNotDropDraws) {
    // The 2019 archive holds 2146 draws; the history holds 3047.
    LoopbackHttpServer server;
    server.Add("/D_megase.zip", ReadFile(TOVISCA_DATA_DIR "/official/D_megase.zip"));
    WriteFile(ini_, Ini(server.Url("/D_megase.zip")));
    const auto result = ExpectNothingChanges(Outcome::FewerDraws, 3047);
    EXPECT_EQ(result.DrawsRead, 2146);
    EXPECT_NE(result.Message.find("2146"), std::string::npos);
    EXPECT_NE(result.Message.find("3047"), std::string::npos);
}

TEST(ResultsUpdateNames, DownloadTargetStaysAPlainName) {
    EXPECT_EQ(TResultsUpdate::DownloadFileName("http://www1.caixa.gov.br/loterias/D_megase.zip"),
              "_update.zip");
    EXPECT_EQ(TResultsUpdate::DownloadFileName("ftp://127.0.0.1:2121/x.ZIP"), "_update.ZIP");
    EXPECT_EQ(TResultsUpdate::DownloadFileName("http://caixa.gov.br/download"), "_update");
    EXPECT_EQ(TResultsUpdate::DownloadFileName("http://h/x.zip?f=../../etc/y"), "_update");
    EXPECT_EQ(TResultsUpdate::DownloadFileName("http://h/x"), "_update");
    EXPECT_EQ(TResultsUpdate::DownloadFileName("http://h/a.b\\..\\c"), "_update");
}
