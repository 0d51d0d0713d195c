// tovisca-cli segment: the segmentation analysis window's votes: many
// networks trained from fresh random starts forecast the next draw's value,
// and the forecasts that crowd together weigh least.
#include "TCliArguments.h"
#include "TCliCommand.h"
#include "TCliGame.h"
#include "TCliReport.h"
#include "TLottery.h"
#include "TSegmentationAnalysis.h"

namespace {

using Analysis = TSegmentationAnalysis;

} // namespace

TCliCommand SegmentCommand() {
    TCliCommand command;
    command.Name = "segment";
    command.Arguments = {"ARQUIVO"};
    command.Summary = "análise de segmentação: redes votam no próximo CSN (ou na menor bola)";
    command.Options = {
        {"--sample", "S", "40", TCliGame::SampleHelp(), {}},
        {"--votes", "V", "50", "toviscas a analisar: redes que votam", {}},
        {"--cut", "C", "50", "época para corte: no máximo C + 1 passadas de 100 épocas por rede, de 1 a 500", {}},
        {"--notation", "csn|ball", "csn", "notação: o CSN ou a menor bola (notação decimal)", {"csn", "ball"}},
        {"--without-last", "", "", "não analisar o último concurso", {}},
        {"--seed", "X", "(do relógio)", "semente dos pesos iniciais das redes", {}},
    };
    command.Run = [](const TCliArguments& arguments, TCliReport& report) {
        const int votes = static_cast<int>(arguments.Int("--votes", 1, 1'000'000));
        const int cut = static_cast<int>(arguments.Int("--cut", 1, 500));
        const std::optional<uint64_t> seed = arguments.Seed("--seed");
        const bool decimal = arguments.Text("--notation") == "ball";
        const auto lottery = TCliGame::LoadWithDraws(arguments.Argument(0));

        Analysis analysis(*lottery);
        analysis.NotationMode = decimal ? Analysis::Notation::Decimal : Analysis::Notation::CSN;
        analysis.Load(TCliGame::SampleSize(arguments, *lottery, 40));
        analysis.LeaveLastOut = arguments.Flag("--without-last");
        if (seed) analysis.Network.Seed(*seed);
        const Analysis::Result result = analysis.Gather(votes, cut, {}, {});

        for (int r = 0; r < analysis.RowCount(); ++r) report.Row({analysis.CellText(r, 0), analysis.CellText(r, 1)});
        report.Line("");
        for (const std::string& line : result.Memo) report.Line(line);

        QJsonArray rows;
        for (int r = 1; r < analysis.RowCount(); ++r) {
            const int draw = lottery->DrawCount - analysis.SampleSize() + r - 1;
            QJsonObject row;
            row.insert(QLatin1String("draw"), draw + 1);
            row.insert(QLatin1String("value"), analysis.Value(draw));
            rows.append(row);
        }
        // The taken votes, most agreed first, with their weights relative to
        // the largest (the memo's "Peso") and as computed.
        QJsonArray list;
        for (int i = 1; i <= result.Taken && i < static_cast<int>(result.Votes.size()); ++i) {
            const auto v = static_cast<size_t>(i);
            QJsonObject vote;
            vote.insert(QLatin1String("value"), result.Votes[v]);
            vote.insert(QLatin1String("weight"), result.Weights[v] / result.MaxWeight);
            vote.insert(QLatin1String("rawWeight"), result.Weights[v]);
            list.append(vote);
        }
        report.Set("sampleSize", analysis.SampleSize());
        report.Set("notation", TCliReport::String(decimal ? "ball" : "csn"));
        report.Set("top", analysis.Top());
        report.Set("newest", analysis.Value(lottery->DrawCount - 1));
        report.Set("rows", rows);
        report.Set("requested", result.Requested);
        report.Set("taken", result.Taken);
        report.Set("trainings", result.Trainings);
        report.Set("stopped", result.Stopped);
        report.Set("maxWeight", result.MaxWeight);
        report.Set("votes", list);
    };
    return command;
}
