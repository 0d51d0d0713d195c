// Speed of the results update: reading a 20 MB published table of 100,000
// draws (goal: well under a second), and a whole update from a file:// URL
// (ZIP inflation, table reading, the new file written and committed).
#include "THtmlTableReader.h"
#include "TResultsUpdate.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <zip.h>

#include <fstream>
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

} // namespace

BENCHMARK_MAIN();
