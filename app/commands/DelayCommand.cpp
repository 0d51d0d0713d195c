// tovisca-cli delay: the delay analysis window's table in one of its three
// views and, for one ball, the statistics of its memo over the sample.
#include "TCliArguments.h"
#include "TCliCommand.h"
#include "TCliGame.h"
#include "TCliReport.h"
#include "TDelayAnalysis.h"
#include "TLottery.h"

namespace {

using Analysis = TDelayAnalysis;

Analysis::View ViewOf(const std::string& name) {
    if (name == "relative") return Analysis::View::Relative;
    if (name == "walk") return Analysis::View::RandomWalk;
    return Analysis::View::Absolute;
}

QJsonValue BallAndValue(int ball, double value) {
    if (ball <= 0) return {};
    QJsonObject object;
    object.insert(QLatin1String("ball"), ball);
    object.insert(QLatin1String("correlation"), value);
    return object;
}

// One ball's statistics, as the memo reports them.
QJsonObject Statistics(const Analysis& analysis, const Analysis::PreviewResult& preview) {
    QJsonObject object;
    object.insert(QLatin1String("ball"), preview.Ball);
    object.insert(QLatin1String("firstRow"), preview.Sample.First);
    object.insert(QLatin1String("lastRow"), preview.Sample.Last);
    object.insert(QLatin1String("slope"), preview.Slope);
    object.insert(QLatin1String("trend"), QLatin1String(preview.Slope > 0 ? "draw" : "delay"));
    object.insert(QLatin1String("positive"), BallAndValue(preview.PositiveBall, preview.Positive));
    object.insert(QLatin1String("negative"), BallAndValue(preview.NegativeBall, preview.Negative));
    object.insert(QLatin1String("correlations"), TCliReport::Numbers(preview.Correlations));
    const bool absolute = analysis.TableView() == Analysis::View::Absolute;
    const bool relative = analysis.TableView() == Analysis::View::Relative;
    const auto only = [](bool shown, double value) { return shown ? QJsonValue(value) : QJsonValue(); };
    object.insert(QLatin1String("theoreticalMaxDelay"), only(absolute, -preview.MaxDelay));
    object.insert(QLatin1String("maxDelayAll"), only(absolute, static_cast<double>(preview.MinAll)));
    object.insert(QLatin1String("maxDelayBall"), only(absolute, static_cast<double>(preview.MinSel)));
    object.insert(QLatin1String("maxAdvanceAll"), only(absolute, static_cast<double>(preview.MaxAll)));
    object.insert(QLatin1String("maxAdvanceBall"), only(absolute, static_cast<double>(preview.MaxSel)));
    object.insert(QLatin1String("theoreticalProbability"), only(relative, 1.0 / analysis.Elements()));
    object.insert(QLatin1String("meanProbabilityAll"), only(relative, preview.MeanAgg));
    object.insert(QLatin1String("meanProbabilityBall"), only(relative, preview.MeanSel));
    QJsonObject forecast;
    forecast.insert(QLatin1String("next"), preview.Next);
    forecast.insert(QLatin1String("margin"), preview.Margin);
    object.insert(QLatin1String("forecast"), preview.Forecast ? QJsonValue(forecast) : QJsonValue());
    return object;
}

} // namespace

TCliCommand DelayCommand() {
    TCliCommand command;
    command.Name = "delay";
    command.Arguments = {"ARQUIVO"};
    command.Summary = "análise de atrasos: a tabela por bola e, com --ball, as estatísticas da bola";
    command.Options = {
        {"--view", "absolute|relative|walk", "absolute",
         "frequência: absoluta, relativa ou passeio aleatório",
         {"absolute", "relative", "walk"}},
        {"--ball", "B", "", "a bola analisada: acrescenta o relatório da janela", {}},
        {"--sample", "S", "40", TCliGame::SampleHelp(), {}},
    };
    command.Run = [](const TCliArguments& arguments, TCliReport& report) {
        const std::optional<int64_t> ball = arguments.OptionalInt("--ball", 1, 1'000'000);
        const auto lottery = TCliGame::LoadWithDraws(arguments.Argument(0));
        Analysis analysis(*lottery);
        const int n = analysis.Elements();
        if (ball) TCliArguments::ParseInt(arguments.Text("--ball"), 1, n, "--ball");
        analysis.Load(ViewOf(arguments.Text("--view")));
        analysis.SampleSize = TCliGame::SampleSize(arguments, *lottery);
        analysis.Selected = ball ? static_cast<int>(*ball) - 1 : 0;

        const bool relative = analysis.TableView() == Analysis::View::Relative;
        QJsonArray rows;
        for (int r = 0; r < analysis.RowCount(); ++r) {
            std::vector<std::string> texts = analysis.RowTexts(r);
            report.Row(texts);
            if (r == 0) continue;
            QJsonArray balls;
            for (int b = 1; b <= n; ++b) balls.append(analysis.Cell(r, b));
            QJsonObject row;
            row.insert(QLatin1String("row"), r);
            row.insert(QLatin1String("balls"), balls);
            if (relative) {
                row.insert(QLatin1String("mean"), analysis.Cell(r, n + 1));
                row.insert(QLatin1String("variance"), analysis.Cell(r, n + 2));
                row.insert(QLatin1String("deviation"), analysis.Cell(r, n + 3));
            } else {
                row.insert(QLatin1String("sum"), analysis.Cell(r, n + 1));
                row.insert(QLatin1String("product"), analysis.Cell(r, n + 2));
            }
            rows.append(row);
        }
        report.Set("view", TCliReport::String(arguments.Text("--view")));
        report.Set("sampleSize", analysis.SampleSize);
        report.Set("rows", rows);
        if (ball) {
            const Analysis::PreviewResult preview = analysis.Preview();
            report.Line("");
            for (const std::string& line : preview.Memo) report.Line(line);
            report.Set("statistics", Statistics(analysis, preview));
        } else {
            report.Set("statistics", QJsonValue());
        }
    };
    return command;
}
