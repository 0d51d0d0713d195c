// Speed of the results update: reading a 20 MB published table of 100,000
// draws (goal: well under a second), a whole update from a file:// URL
// (ZIP inflation, table reading, the new file written and committed), 100
// contests through the results API from a loopback server (goal: at most
// 2 s), and the 2,981-row Mega-Sena spreadsheet (goal: at most 0.2 s).
#include "../tests/support/LoopbackHttpServer.h"
#include "THtmlTableReader.h"
#include "TResultsUpdate.h"
#include "TXlsxReader.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <zip.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr int Rows = 100000;

// A page in the layout of the official results: a header row of <th> cells,
// then one row per draw with its cells each on a line (about 200 bytes).
const std::string& Page() {
    static const std::string page = [] {
        std::string text = "<html>\r<body>\r<table>\r<tr>\r<th>Concurso</th>\r<th>Data Sorteio</th>\r</tr>\r";
        text.reserve(Rows * 212u);
        unsigned state = 12345;
        for (int i = 1; i <= Rows; ++i) {
            text += i % 2 ? "<tr>\r\r\n" : "<tr bgcolor=#D9E6F4>\r\r\n";
            text += "<td>" + std::to_string(i) + "</td>\r\r\n<td>11/03/1996</td>\r\r\n";
            for (int b = 0; b < 6; ++b) {
                state = state * 1103515245u + 12345u;
                const unsigned ball = 1 + (state >> 16) % 60;
                text += "<td>" + std::string(ball < 10 ? "0" : "") + std::to_string(ball) + "</td>\r\r\n";
            }
            text += "<td>1.714.650,23</td>\r\r\n<td>0,00</td>\r\r\n<td>SIM</td>\r\r\n</tr>\r\r\n";
        }
        return text + "</table>\r</body>\r</html>\r";
    }();
    return page;
}

void BM_ReadTable20MB(benchmark::State& state) {
    const std::string& page = Page();
    THtmlTableReader reader(1, 3, 6, 3000);
    size_t bytes = 0;
    reader.OnLine = [&bytes](std::string_view line) {
        bytes += line.size() + 2;
        return true;
    };
    reader.OnProgress = [](const std::string&) { return true; };
    for (auto _ : state) {
        const auto result = reader.Read(page);
        if (!result.Ok() || result.Draws != Rows) state.SkipWithError("table not read whole");
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
    state.counters["page_MB"] = static_cast<double>(page.size()) / 1e6;
}
BENCHMARK(BM_ReadTable20MB)->Unit(benchmark::kMillisecond);

void BM_WholeUpdateFromFileUrl(benchmark::State& state) {
    QTemporaryDir folder;
    const std::string root = folder.path().toStdString();
    const std::string archive = root + "/results.zip";
    {
        int error = 0;
        zip_t* zip = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        zip_file_add(zip, "d_mega.htm", zip_source_buffer(zip, Page().data(), Page().size(), 0), 0);
        zip_close(zip);
    }
    const std::string data = root + "/game.csv";
    std::ofstream(root + "/game.ini", std::ios::binary)
        << "[Server]\r\nurl=file://" << archive
        << "\r\ntype=ZIP/HTML\r\n[HTML]\r\nSourceFile=d_mega.htm\r\nLoteryNumberColumn=1\r\n"
           "BallsStartColumn=3\r\nBallsCount=6\r\n";
    for (auto _ : state) {
        TResultsUpdate update(data, 0);
        const auto result = update.Run();
        if (!result.Succeeded() || result.DrawsRead != Rows) state.SkipWithError(result.Message.c_str());
    }
}
BENCHMARK(BM_WholeUpdateFromFileUrl)->Unit(benchmark::kMillisecond);

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The history up to contest `last` (the bundled Mega-Sena file).
std::string HistoryUpto(int last) {
    const std::string history = ReadAll(TOVISCA_DATA_DIR "/megasena.csv");
    return history.substr(0, history.find("\r\n" + std::to_string(last + 1) + ";") + 2);
}

void BM_JsonWalk100Contests(benchmark::State& state) {
    constexpr int First = 3046, Last = 3145;
    // Answers in the real layout, each with its own contest and six balls.
    const std::string answer = ReadAll(TOVISCA_DATA_DIR "/official/api/megasena/3045.json");
    LoopbackHttpServer server;
    for (int c = First; c <= Last; ++c) {
        std::string text = answer;
        const std::string numero = "\"numero\": 3045";
        text.replace(text.find(numero), numero.size(), "\"numero\": " + std::to_string(c));
        const size_t start = text.find('[', text.find("\"dezenasSorteadasOrdemSorteio\""));
        std::string balls;
        for (int b = 0; b < 6; ++b) balls += (b ? ",\"" : "\"") + std::to_string(1 + (c * 7 + b * 11) % 60) + "\"";
        text.replace(start + 1, text.find(']', start) - start - 1, balls);
        server.Add("/api/megasena/" + std::to_string(c), text);
        if (c == Last) server.Add("/api/megasena", text);
    }
    QTemporaryDir folder;
    const std::string data = folder.path().toStdString() + "/megasena.csv";
    std::ofstream(folder.path().toStdString() + "/megasena.ini", std::ios::binary)
        << "[Server]\r\nurl=" << server.Url("/api/megasena") << "\r\ntype=JSON\r\n";
    const std::string history = HistoryUpto(3045);
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(data, std::ios::binary | std::ios::trunc) << history;
        state.ResumeTiming();
        TResultsUpdate update(data, 3045);
        const auto result = update.Run();
        if (!result.Succeeded() || result.NewCount != 100) state.SkipWithError(result.Message.c_str());
    }
    state.counters["contests"] = Last - First + 1;
}
BENCHMARK(BM_JsonWalk100Contests)->Unit(benchmark::kMillisecond);

void BM_ReadMegaSenaSpreadsheet(benchmark::State& state) {
    TXlsxReader reader;
    for (auto _ : state) {
        const auto result = reader.Read(TOVISCA_DATA_DIR "/official/xlsx/Mega-Sena.xlsx");
        if (!result.Ok || result.Rows.size() != 2982) state.SkipWithError("spreadsheet not read whole");
    }
}
BENCHMARK(BM_ReadMegaSenaSpreadsheet)->Unit(benchmark::kMillisecond);

// The whole import: spreadsheet, checks of the 2,900 held contests, the 81
// new lines appended and the file committed.
void BM_ImportMegaSenaSpreadsheet(benchmark::State& state) {
    QTemporaryDir folder;
    const std::string data = folder.path().toStdString() + "/megasena.csv";
    const std::string history = HistoryUpto(2900);
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(data, std::ios::binary | std::ios::trunc) << history;
        state.ResumeTiming();
        TResultsUpdate update(data, 2900);
        update.From = TOVISCA_DATA_DIR "/official/xlsx/Mega-Sena.xlsx";
        const auto result = update.Run();
        if (!result.Succeeded() || result.NewCount != 81) state.SkipWithError(result.Message.c_str());
    }
}
BENCHMARK(BM_ImportMegaSenaSpreadsheet)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
