// The update from the results as the publisher serves them today: the
// per-contest answers of the results API (type "JSON") and the full-history
// spreadsheet (type "XLSX"), against a loopback HTTP server serving the real
// samples, and the import of a downloaded file. Every fault must leave the
// data file byte for byte as it was and name the contest.
#include "CoreTestSupport.h"
#include "LoopbackHttpServer.h"
#include "TDrawCheck.h"
#include "TGameDefinition.h"
#include "TLottery.h"
#include "TResultsUpdate.h"
#include "TXlsxReader.h"
#include "TempFiles.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <tuple>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>

namespace {

using Outcome = TResultsUpdate::TOutcome;
using Texts = std::vector<std::string>;

const std::string Official = TOVISCA_DATA_DIR "/official/";

std::string Answer(const std::string& game, const std::string& name) {
    return ReadFile(Official + "api/" + game + "/" + name + ".json");
}

// The answer with its drawn balls replaced by `balls` (JSON array items).
std::string WithBalls(const std::string& answer, const std::string& balls) {
    const size_t start = answer.find('[', answer.find("\"dezenasSorteadasOrdemSorteio\""));
    const size_t end = answer.find(']', start);
    return answer.substr(0, start + 1) + balls + answer.substr(end);
}

// The lines of a history from contest `first` to `last`, each draw's balls
// in ascending order (as the spreadsheet lists them).
std::string AscendingLines(const std::string& history, int first, int last) {
    std::istringstream in(history);
    std::string line, text;
    std::getline(in, line);
    while (std::getline(in, line)) {
        line.pop_back(); // '\r'
        std::vector<int> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ';');) fields.push_back(std::stoi(cell));
        if (fields[0] < first || fields[0] > last) continue;
        std::sort(fields.begin() + 1, fields.end());
        text += std::to_string(fields[0]);
        for (size_t i = 1; i < fields.size(); ++i) text += ";" + std::to_string(fields[i]);
        text += "\r\n";
    }
    return text;
}

// The history with the line of a contest replaced by `line`.
std::string ReplaceLine(std::string history, const std::string& line) {
    const std::string contest = line.substr(0, line.find(';'));
    const size_t at = history.find("\r\n" + contest + ";") + 2;
    return history.replace(at, history.find("\r\n", at) - at, line);
}

// The Mega-Sena workbook with its sheet replaced by `sheet`.
std::string WorkbookWithSheet(const std::string& path, const std::string& sheet) {
    std::filesystem::copy_file(Official + "xlsx/Mega-Sena.xlsx", path,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), 0, &error);
    zip_file_add(zip, "xl/worksheets/sheet1.xml", zip_source_buffer(zip, sheet.data(), sheet.size(), 0),
                 ZIP_FL_OVERWRITE);
    EXPECT_EQ(zip_close(zip), 0);
    return path;
}

std::string SheetOf(const std::string& xlsx) {
    int error = 0;
    zip_t* zip = zip_open(xlsx.c_str(), ZIP_RDONLY, &error);
    zip_stat_t stat;
    zip_stat(zip, "xl/worksheets/sheet1.xml", 0, &stat);
    std::string bytes(stat.size, '\0');
    zip_file_t* file = zip_fopen(zip, "xl/worksheets/sheet1.xml", 0);
    zip_fread(file, bytes.data(), bytes.size());
    zip_fclose(file);
    zip_discard(zip);
    return bytes;
}

class OfficialUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(work_);
        if (const char* tmp = std::getenv("TMPDIR")) oldTmp_ = tmp;
        setenv("TMPDIR", work_.c_str(), 1);
        Serve();
    }
    // A new server with the API as it answers on the day contest 3045 is the
    // latest, and the spreadsheet.
    void Serve() {
        server_.reset();
        server_ = std::make_unique<LoopbackHttpServer>();
        server_->Add("/api/megasena", Answer("megasena", "3045"));
        for (int c = 3040; c <= 3045; ++c)
            server_->Add("/api/megasena/" + std::to_string(c), Answer("megasena", std::to_string(c)));
        server_->Add("/download/Mega-Sena.xlsx", ReadFile(Official + "xlsx/Mega-Sena.xlsx"));
    }
    void TearDown() override { oldTmp_ ? setenv("TMPDIR", oldTmp_->c_str(), 1) : unsetenv("TMPDIR"); }

    void Define(const std::string& type, const std::string& url, int k = 6, int lowest = 1, int highest = 60) {
        folder_.Write("megasena.ini",
                      "[Server]\r\nurl=" + url + "\r\ntype=" + type + "\r\n[XLSX]\r\nLoteryNumberColumn=1\r\n" +
                          "BallsStartColumn=3\r\nBallsCount=" + std::to_string(k) +
                          "\r\n[Jogo]\r\nMenorBola=" + std::to_string(lowest) +
                          "\r\nMaiorBola=" + std::to_string(highest) + "\r\n");
    }

    // Runs as the command line does, with short time-outs and pauses.
    TResultsUpdate::TResult Run(const std::string& from = {}, const std::string& cancelAt = "-") {
        statuses_.clear();
        TResultsUpdate update(data_, 0);
        update.From = from;
        update.Downloader.ConnectTimeoutMs = 2000;
        update.Downloader.LowSpeedSeconds = 1;
        update.Downloader.RequestTimeoutMs = 1000;
        update.Downloader.RetryPauseMs = 10;
        update.OnStatus = [&](const std::string& text) {
            statuses_.push_back(text);
            update.Cancel = update.Cancel || text == cancelAt;
        };
        const auto result = update.Run();
        connections_ = update.Downloader.ConnectionsOpened();
        return result;
    }

    TempFolder folder_;
    const std::string root_ = folder_.Path().string(), work_ = root_ + "/tmp",
                      data_ = root_ + "/megasena.csv", bak_ = root_ + "/megasena.bak";
    const std::string history_ = ReadFile(TOVISCA_DATA_DIR "/megasena.csv");
    std::unique_ptr<LoopbackHttpServer> server_;
    std::optional<std::string> oldTmp_;
    Texts statuses_;
    long connections_ = 0;
};

} // namespace

TEST_F(OfficialUpdate, JsonWalkBringsTheHistoryTo3045ByteForByteOverOneConnection) {
    Define("JSON", server_->Url("/api/megasena"));
    const std::string before = FirstDraws(history_, 3039);
    folder_.Write("megasena.csv", before);
    folder_.Write("megasena.bak", "an older backup");
    const auto result = Run();
    ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message;
    EXPECT_EQ(result.NewCount, 6);
    EXPECT_EQ(result.Message, "Jogo atualizado.\r\n6 jogo(s) acrescentado(s).");
    EXPECT_EQ(ReadFile(data_), FirstDraws(history_, 3045));
    EXPECT_EQ(ReadFile(bak_), before);
    // The latest answer first, then every missing contest in order.
    EXPECT_EQ(server_->Paths(), (Texts{"/api/megasena", "/api/megasena/3040", "/api/megasena/3041",
                                      "/api/megasena/3042", "/api/megasena/3043", "/api/megasena/3044",
                                      "/api/megasena/3045"}));
    EXPECT_EQ(server_->Connections(), 1);
    EXPECT_EQ(connections_, 1);
    EXPECT_NE(std::find(statuses_.begin(), statuses_.end(), "Lendo... concurso 3043"), statuses_.end());
    EXPECT_TRUE(std::filesystem::is_empty(work_));

    // Up to date: nothing asked beyond the latest, nothing written.
    const auto again = Run();
    EXPECT_EQ(again.Outcome, Outcome::Updated);
    EXPECT_EQ(again.NewCount, 0);
    EXPECT_EQ(ReadFile(bak_), before);
    EXPECT_EQ(server_->Paths().size(), 8u);
}

TEST_F(OfficialUpdate, JsonTakesTheFirstKBallsAndZero) {
    // Dupla Sena lists both draws (12 numbers): the first 6 are the history's.
    // Lotomania's "00" is ball 0.
    for (const auto& [game, last, latest, k, lowest, highest] :
         std::vector<std::tuple<std::string, int, int, int, int, int>>{{"duplasena", 2994, 2997, 6, 1, 50},
                                                                       {"lotomania", 2961, 2964, 20, 0, 99}}) {
        SCOPED_TRACE(game);
        const std::string history = ReadFile(TOVISCA_DATA_DIR "/" + game + ".csv");
        server_->Add("/api/" + game, Answer(game, std::to_string(latest)));
        for (int c = last + 1; c <= latest; ++c)
            server_->Add("/api/" + game + "/" + std::to_string(c), Answer(game, std::to_string(c)));
        Define("JSON", server_->Url("/api/" + game), k, lowest, highest);
        folder_.Write("megasena.csv", FirstDraws(history, last));
        const auto result = Run();
        ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message;
        EXPECT_EQ(ReadFile(data_), FirstDraws(history, latest));
    }
}

TEST_F(OfficialUpdate, SpreadsheetAndImportsAddOnlyLaterContests) {
    const std::string before = FirstDraws(history_, 2900);
    const std::string expected = before + AscendingLines(history_, 2901, 2981);

    Define("XLSX", server_->Url("/download/Mega-Sena.xlsx"));
    folder_.Write("megasena.csv", before);
    auto result = Run();
    ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message;
    EXPECT_EQ(result.NewCount, 81);
    EXPECT_EQ(result.DrawsRead, 2981);
    EXPECT_EQ(ReadFile(data_), expected);
    EXPECT_EQ(ReadFile(bak_), before);
    EXPECT_TRUE(std::filesystem::is_empty(work_));

    // The same spreadsheet imported, with no definition file at all.
    std::filesystem::remove(root_ + "/megasena.ini");
    std::filesystem::remove(bak_);
    folder_.Write("megasena.csv", before);
    result = Run(Official + "xlsx/Mega-Sena.xlsx");
    ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message;
    EXPECT_EQ(ReadFile(data_), expected);
    EXPECT_EQ(server_->Requests(), 1);

    // A saved JSON answer, and a list of answers.
    folder_.Write("megasena.csv", FirstDraws(history_, 3044));
    result = Run(folder_.Write("3045.json", Answer("megasena", "3045")));
    ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message;
    EXPECT_EQ(ReadFile(data_), FirstDraws(history_, 3045));
    folder_.Write("megasena.csv", FirstDraws(history_, 3041));
    result = Run(folder_.Write("list.json", "[" + Answer("megasena", "3042") + "," + Answer("megasena", "3043") +
                                                "]"));
    ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message;
    EXPECT_EQ(ReadFile(data_), FirstDraws(history_, 3043));

    // The old archive is read as "ZIP/HTML" reads it: the whole table, its
    // page found without a SourceFile.
    folder_.Write("megasena.ini", "[HTML]\r\nLoteryNumberColumn=1\r\nBallsStartColumn=3\r\nBallsCount=6\r\n");
    folder_.Write("megasena.csv", FirstDraws(history_, 2000));
    result = Run(Official + "D_megase.zip");
    ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message;
    EXPECT_EQ(result.NewCount, 146);
    EXPECT_EQ(TLottery(data_).DrawCount, 2146);
}

TEST_F(OfficialUpdate, EveryFaultWritesNothingAndNamesTheContest) {
    const std::string folder = root_;
    std::string truncated = SheetOf(Official + "xlsx/Mega-Sena.xlsx");
    truncated.resize(truncated.find("<x:row><x:c t=\"n\"><x:v>2950</x:v>") + 200);
    const std::string cutSheet = WorkbookWithSheet(folder + "/cut.xlsx", truncated);
    std::string textBall = SheetOf(Official + "xlsx/Mega-Sena.xlsx");
    const size_t at2950 = textBall.find("<x:v>2950</x:v>");
    const size_t ballCell = textBall.find("<x:v>", textBall.find("<x:v>", at2950 + 10) + 5);
    textBall.replace(ballCell + 5, textBall.find('<', ballCell + 5) - ballCell - 5, "dez");
    WorkbookWithSheet(folder + "/text.xlsx", textBall);

    struct Fault {
        std::string name;
        std::string type = "JSON";
        int held = 3039;
        std::string from;            // an import when set
        std::function<void(LoopbackHttpServer&)> serve; // changes to the server's answers
        Outcome outcome = Outcome::Rejected;
        Texts parts;                 // texts the message must hold
        std::string cancelAt = "-";
        std::string changeHeld;      // a held line replaced by this one
    };
    const std::vector<Fault> faults = {
        {"404 in the middle", "JSON", 3039, {}, [&](LoopbackHttpServer& s) { s.AddStatus("/api/megasena/3042", 404); },
         Outcome::DownloadFailed, {"concurso 3042", "404"}, "-", ""},
        {"403", "JSON", 3039, {}, [&](LoopbackHttpServer& s) { s.AddStatus("/api/megasena/3041", 403); }, Outcome::Forbidden,
         {"concurso 3041", "403", "\"Importar resultados...\""}, "-", ""},
        {"time-out", "JSON", 3039, {}, [&](LoopbackHttpServer& s) { s.AddSilent("/api/megasena/3043"); }, Outcome::DownloadFailed,
         {"concurso 3043", "3 tentativas"}, "-", ""},
        {"malformed JSON", "JSON", 3039, {}, [&](LoopbackHttpServer& s) { s.Add("/api/megasena/3042", "{\"numero\": 3042, \"dez"); },
         Outcome::Rejected, {"concurso 3042"}, "-", ""},
        {"another contest", "JSON", 3039, {},
         [&](LoopbackHttpServer& s) { s.Add("/api/megasena/3042", Answer("megasena", "3043")); }, Outcome::Rejected,
         {"Concurso 3042: a resposta traz o concurso 3043."}, "-", ""},
        {"repeated ball", "JSON", 3039, {},
         [&](LoopbackHttpServer& s) { s.Add("/api/megasena/3042", WithBalls(Answer("megasena", "3042"), "\"02\",\"35\",\"53\",\"10\",\"35\",\"05\"")); },
         Outcome::Rejected, {"Concurso 3042: a bola 35 aparece mais de uma vez."}, "-", ""},
        {"ball out of range", "JSON", 3039, {},
         [&](LoopbackHttpServer& s) { s.Add("/api/megasena/3044", WithBalls(Answer("megasena", "3044"), "\"58\",\"04\",\"17\",\"61\",\"15\",\"40\"")); },
         Outcome::Rejected, {"Concurso 3044: a bola 61 está fora de 1..60."}, "-", ""},
        {"text for a ball", "JSON", 3039, {},
         [&](LoopbackHttpServer& s) { s.Add("/api/megasena/3041", WithBalls(Answer("megasena", "3041"), "\"16\",\"ab\",\"24\",\"54\",\"31\",\"43\"")); },
         Outcome::Rejected, {"Concurso 3041: \"ab\" não é um número de bola."}, "-", ""},
        {"gap", "JSON", 3039, Official + "api/megasena/3045.json", {}, Outcome::Rejected,
         {"Concurso 3045: falta o concurso 3040 antes dele."}, "-", ""},
        {"repeat", "JSON", 3039,
         folder_.Write("twice.json", "[" + Answer("megasena", "3040") + "," + Answer("megasena", "3040") + "]"), {},
         Outcome::Rejected, {"Concurso 3040: aparece mais de uma vez."}, "-", ""},
        {"conflict", "XLSX", 2900, Official + "xlsx/Mega-Sena.xlsx", {}, Outcome::Rejected,
         {"Concurso 2500: as bolas recebidas", "diferem das do histórico (1 2 3 4 5 6)"}, "-", "2500;1;2;3;4;5;6"},
        {"truncated spreadsheet", "XLSX", 2900, cutSheet, {}, Outcome::Rejected,
         {"incompleta ou danificada depois do concurso 2949"}, "-", ""},
        {"text in the spreadsheet", "XLSX", 2900, folder + "/text.xlsx", {}, Outcome::Rejected,
         {"Concurso 2950: \"dez\" não é um número de bola."}, "-", ""},
        {"stop in the middle", "JSON", 3039, {}, {}, Outcome::Cancelled, {"Atualização cancelada no concurso 3042."},
         "Lendo... concurso 3042", ""},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        // Each case on a server of its own with the real answers.
        Serve();
        if (fault.serve) fault.serve(*server_);
        Define(fault.type, server_->Url("/api/megasena"));
        std::string before = FirstDraws(history_, fault.held);
        if (!fault.changeHeld.empty()) {
            const std::string contest = fault.changeHeld.substr(0, fault.changeHeld.find(';'));
            before = ReplaceLine(before, fault.changeHeld);
        }
        folder_.Write("megasena.csv", before);
        folder_.Write("megasena.bak", "older backup");
        const auto result = Run(fault.from, fault.cancelAt);
        EXPECT_EQ(result.Outcome, fault.outcome) << result.Message;
        for (const std::string& part : fault.parts)
            EXPECT_NE(result.Message.find(part), std::string::npos) << result.Message;
        if (fault.outcome != Outcome::Cancelled) {
            EXPECT_NE(result.Message.find("O arquivo do jogo não foi alterado."), std::string::npos);
        }
        EXPECT_EQ(statuses_.back(), result.Message);
        EXPECT_EQ(ReadFile(data_), before);
        EXPECT_EQ(ReadFile(bak_), "older backup");
        EXPECT_TRUE(std::filesystem::is_empty(work_));
    }
}

TEST_F(OfficialUpdate, FiveHundredsAreTriedAgainAndThreeTriesAtMost) {
    Define("JSON", server_->Url("/api/megasena"));
    folder_.Write("megasena.csv", FirstDraws(history_, 3043));
    server_->AddStatus("/api/megasena/3044", 503, 2);
    auto result = Run();
    ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message;
    EXPECT_EQ(ReadFile(data_), FirstDraws(history_, 3045));
    const Texts first = server_->Paths();
    EXPECT_EQ(std::count(first.begin(), first.end(), "/api/megasena/3044"), 3);

    folder_.Write("megasena.csv", FirstDraws(history_, 3043));
    server_->AddStatus("/api/megasena/3044", 500, 3);
    result = Run();
    EXPECT_EQ(result.Outcome, Outcome::DownloadFailed);
    EXPECT_NE(result.Message.find("concurso 3044"), std::string::npos) << result.Message;
    EXPECT_EQ(ReadFile(data_), FirstDraws(history_, 3043));
    const Texts paths = server_->Paths();
    EXPECT_EQ(std::count(paths.begin(), paths.end(), "/api/megasena/3044"), 6);
}

// The published table of "ZIP/HTML" used to replace the history whatever it
// held: a partial table lost draws. Now it must hold every held contest with
// the same balls.
TEST_F(OfficialUpdate, ZipHtmlRefusesATableThatDropsOrChangesAHeldContest) {
    const std::string page = ReadFile(Official + "d_megasc.htm"); // contests 1..1628, ascending
    const auto archive = [&](const std::string& html) {
        const std::string path = folder_.Write("results.zip", "");
        int error = 0;
        zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        zip_file_add(zip, "d_megasc.htm", zip_source_buffer(zip, html.data(), html.size(), 0), 0);
        EXPECT_EQ(zip_close(zip), 0);
        return path;
    };
    const auto define = [&](const std::string& path) {
        folder_.Write("megasena.ini", "[Server]\r\nurl=file://" + path +
                                          "\r\ntype=ZIP/HTML\r\n[HTML]\r\nSourceFile=d_megasc.htm\r\n"
                                          "LoteryNumberColumn=1\r\nBallsStartColumn=3\r\nBallsCount=6\r\n");
    };
    // Contest 1000's row removed, the held history ending at 1500.
    std::string without = page;
    const size_t row = without.rfind("<tr", without.find("<td>1000</td>"));
    without.erase(row, without.find("</tr>", row) + 5 - row);
    define(archive(without));
    const std::string before = FirstDraws(history_, 1500);
    folder_.Write("megasena.csv", before);
    auto result = Run();
    EXPECT_EQ(result.Outcome, Outcome::FewerDraws) << result.Message;
    EXPECT_EQ(result.Message, "Concurso 1000: está no histórico mas não na tabela recebida. "
                              "O arquivo do jogo não foi alterado.");
    EXPECT_EQ(ReadFile(data_), before);
    EXPECT_FALSE(std::filesystem::exists(bak_));

    // A held line whose balls differ from the table's.
    const std::string changed = ReplaceLine(before, "700;1;2;3;4;5;6");
    ASSERT_EQ(TLottery(folder_.Write("megasena.csv", changed)).DrawCount, 1500);
    define(archive(page));
    result = Run();
    EXPECT_EQ(result.Outcome, Outcome::Rejected) << result.Message;
    EXPECT_EQ(result.Message, "Concurso 700: as bolas recebidas (2 3 14 24 31 40) diferem das do histórico "
                              "(1 2 3 4 5 6). O arquivo do jogo não foi alterado.");
    EXPECT_EQ(ReadFile(data_), changed);

    // The whole table still rewrites the file as it always did.
    folder_.Write("megasena.csv", before);
    result = Run();
    ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message;
    EXPECT_EQ(result.DrawsRead, 1628);
    EXPECT_EQ(ReadFile(bak_), before);
}

TEST(DrawCheck, HeldHistoryRangeLineEndAndOffers) {
    TDrawCheck check;
    ASSERT_TRUE(check.LoadHistory("Concurso;Bola1;Bola2\n7;3;0\n8;9;4\n"));
    EXPECT_EQ(check.BallCount, 2);
    EXPECT_EQ(check.Lowest, 0);
    EXPECT_EQ(check.Highest, 9);
    EXPECT_EQ(check.LineEnd, "\n");
    EXPECT_EQ(check.LastHeld(), 8);
    const std::vector<int32_t> same{4, 9}, other{4, 8}, fine{1, 2}, twice{5, 5}, high{5, 10}, three{1, 2, 3};
    EXPECT_TRUE(check.Offer(8, same));
    EXPECT_TRUE(check.Offer(6, other)); // older than the history and not in it: ignored
    EXPECT_FALSE(check.Offer(8, other));
    EXPECT_EQ(check.Error(), "Concurso 8: as bolas recebidas (4 8) diferem das do histórico (9 4).");
    EXPECT_FALSE(check.Offer(10, fine));
    EXPECT_EQ(check.Error(), "Concurso 10: falta o concurso 9 antes dele.");
    EXPECT_FALSE(check.Offer(9, twice));
    EXPECT_FALSE(check.Offer(9, high));
    EXPECT_EQ(check.Error(), "Concurso 9: a bola 10 está fora de 0..9.");
    EXPECT_FALSE(check.Offer(9, three));
    EXPECT_EQ(check.Error(), "Concurso 9: 3 bola(s) sorteada(s), 2 esperada(s).");
    EXPECT_TRUE(check.Offer(9, fine));
    EXPECT_FALSE(check.Offer(9, fine));
    EXPECT_EQ(check.Error(), "Concurso 9: aparece mais de uma vez.");
    EXPECT_EQ(check.AddedText(), "9;1;2\n");

    EXPECT_FALSE(check.LoadHistory("Concurso;Bola1\r\n1;4\r\n1;5\r\n"));
    EXPECT_FALSE(check.LoadHistory("Concurso;Bola1\r\n1;x\r\n"));
    EXPECT_FALSE(check.LoadHistory("Concurso;Bola1\r\n1;2;3\r\n"));
}

TEST(XlsxReader, ReferencesSharedAndInlineStringsAndEmptyCells) {
    EXPECT_EQ(TXlsxReader::ColumnOf("A1"), 1);
    EXPECT_EQ(TXlsxReader::ColumnOf("C12"), 3);
    EXPECT_EQ(TXlsxReader::ColumnOf("AA3"), 27);
    EXPECT_EQ(TXlsxReader::ColumnOf("12"), 0);
    // Cells placed by reference (B skipped), a shared string, an inline
    // string, an empty row and cells counted in order after a referenced one.
    const QByteArray sheet =
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"C1\" t=\"s\"><v>1</v></c></row>"
        "<row r=\"2\"><c r=\"A2\"><v>7</v></c><c r=\"C2\" t=\"inlineStr\"><is><t>05</t></is></c>"
        "<c><v>011</v></c></row>"
        "<row r=\"4\"><c r=\"B4\" t=\"str\"><v>x</v></c></row>"
        "<row><c><v>8</v></c><c t=\"str\"><v></v></c><c><v>3</v></c></row>"
        "</sheetData></worksheet>";
    TXlsxReader reader;
    reader.BallCount = 2;
    const auto result = reader.ReadSheet(sheet, {"Concurso", "Bola1"});
    ASSERT_TRUE(result.Ok) << result.Error;
    ASSERT_EQ(result.Rows.size(), 3u);
    EXPECT_EQ(result.Rows[0].Contest, "Concurso");
    EXPECT_EQ(result.Rows[0].Balls, (Texts{"Bola1", ""}));
    EXPECT_EQ(result.Rows[1].Row, 2);
    EXPECT_EQ(result.Rows[1].Contest, "7");
    EXPECT_EQ(result.Rows[1].Balls, (Texts{"05", "011"}));
    EXPECT_EQ(result.Rows[2].Row, 5);
    EXPECT_EQ(result.Rows[2].Balls, (Texts{"3", ""}));

    // The real workbook: "x:" prefixes, no references, leading zeros.
    TXlsxReader official;
    const auto real = official.Read(Official + "xlsx/Mega-Sena.xlsx");
    ASSERT_TRUE(real.Ok) << real.Error;
    ASSERT_EQ(real.Rows.size(), 2982u);
    EXPECT_EQ(real.Rows[1].Contest, "1");
    EXPECT_EQ(real.Rows[1].Balls, (Texts{"04", "05", "30", "33", "41", "52"}));
    EXPECT_EQ(real.Rows.back().Contest, "2981");
    official.Sheet = "mega sena";
    EXPECT_TRUE(official.Read(Official + "xlsx/Mega-Sena.xlsx").Ok);
    official.Sheet = "Outra";
    EXPECT_EQ(official.Read(Official + "xlsx/Mega-Sena.xlsx").Error, "A folha \"Outra\" não existe na planilha.");
}

TEST_F(OfficialUpdate, CommandLineUpdatesAndImportsWithFaultsOnStderr) {
    Define("JSON", server_->Url("/api/megasena"));
    folder_.Write("megasena.csv", FirstDraws(history_, 3039));
    const std::string errors = root_ + "/err.txt";
    CliResult result = RunCli({"update", data_}, errors);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out.ends_with("\n6 jogo(s) acrescentado(s).\n")) << result.out;
    EXPECT_EQ(ReadFile(data_), FirstDraws(history_, 3045));

    server_->AddStatus("/api/megasena/3042", 404);
    folder_.Write("megasena.csv", FirstDraws(history_, 3039));
    result = RunCli({"update", data_}, errors);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("Ocorreu um erro no recebimento do concurso 3042"), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(data_), FirstDraws(history_, 3039));

    folder_.Write("megasena.csv", FirstDraws(history_, 2900));
    result = RunCli({"update", data_, "--from", Official + "xlsx/Mega-Sena.xlsx"}, errors);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFile(data_), FirstDraws(history_, 2900) + AscendingLines(history_, 2901, 2981));

    const std::string held = ReadFile(data_);
    result = RunCli({"update", data_, "--from", Official + "api/megasena/3045.json"}, errors);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "tovisca-cli: Concurso 3045: falta o concurso 2982 antes dele. O arquivo do jogo não foi "
                          "alterado.\n");
    EXPECT_EQ(ReadFile(data_), held);
    EXPECT_EQ(RunCli({"update", data_, "--to", "x"}, errors).status, 2);
}

TEST_F(OfficialUpdate, ImportIntoAGameWithoutHistoryWritesTheHeaderFirst) {
    // The first two contests ever; their answers have an empty
    // "dataProximoConcurso" and "nomeTimeCoracaoMesSorte".
    Define("JSON", server_->Url("/api/megasena"));
    const auto result = Run(folder_.Write("first.json", "[" + Answer("megasena", "1") + "," +
                                                            Answer("megasena", "2") + "]"));
    ASSERT_EQ(result.Outcome, Outcome::Updated) << result.Message;
    EXPECT_EQ(ReadFile(data_), FirstDraws(history_, 2));
    EXPECT_FALSE(std::filesystem::exists(bak_));
}

// Every bundled Brazilian game has its definition file: the results API at its
// real address, and columns and a range that fit its history.
TEST(BundledDefinitions, EveryBrazilianGameHasItsApiAndFitsItsHistory) {
    for (const std::string game :
         {"megasena", "lotofacil", "quina", "lotomania", "duplasena", "timemania", "diadesorte"}) {
        SCOPED_TRACE(game);
        TGameDefinition definition;
        std::string error;
        ASSERT_TRUE(definition.Load(TOVISCA_DATA_DIR "/" + game + ".ini", error)) << error;
        EXPECT_EQ(definition.Type, "JSON");
        EXPECT_EQ(definition.Url, "https://servicebus2.caixa.gov.br/portaldeloterias/api/" + game);
        TDrawCheck check;
        ASSERT_TRUE(check.LoadHistory(ReadFile(TOVISCA_DATA_DIR "/" + game + ".csv"))) << check.Error();
        EXPECT_EQ(definition.XlsxBallCount, check.BallCount);
        EXPECT_EQ(definition.BallCount, check.BallCount);
        EXPECT_EQ(definition.LowestBall, check.Lowest);
        EXPECT_EQ(definition.HighestBall, check.Highest);
        EXPECT_EQ(definition.XlsxContestColumn, 1);
        EXPECT_EQ(definition.XlsxFirstBallColumn, 3);
    }
}
