// tovisca-cli positional: the positional analysis window's grid: how often
// each ball stood at each sorted position (or ran so many draws in a row at
// one position) in the sample, against the combinatorial expectation.
#include "TCliArguments.h"
#include "TCliCommand.h"
#include "TCliGame.h"
#include "TCliReport.h"
#include "TLottery.h"
#include "TPositionalAnalysis.h"

namespace {

using Analysis = TPositionalAnalysis;

} // namespace

TCliCommand PositionalCommand() {
    TCliCommand command;
    command.Name = "positional";
    command.Arguments = {"ARQUIVO"};
    command.Summary = "análise posicional: bolas por posição ordenada, real e teórico";
    command.Options = {
        {"--sample", "S", "(n, o número de bolas do jogo)", TCliGame::SampleHelp(), {}},
        {"--style", "position|advance|delay", "position",
         "estilo: posição, adiantamento ou atraso",
         {"position", "advance", "delay"}},
        {"--position", "P", "1", "posição ordenada analisada (adiantamento e atraso), de 1 a k", {}},
        {"--type", "real|theory|delta", "real", "o que a grade mostra: real, teórico ou a diferença",
         {"real", "theory", "delta"}},
        {"--notation", "quantity|fraction|percent", "quantity", "notação do teórico: quantidade, fração ou percentual",
         {"quantity", "fraction", "percent"}},
    };
    command.Run = [](const TCliArguments& arguments, TCliReport& report) {
        const auto lottery = TCliGame::LoadWithDraws(arguments.Argument(0));
        const int k = lottery->PerCombination();
        const int n = lottery->Elements();
        Analysis::Options options;
        const std::string style = arguments.Text("--style");
        options.Kind = style == "advance"  ? Analysis::Style::Advance
                       : style == "delay" ? Analysis::Style::Delay
                                          : Analysis::Style::Position;
        const std::string type = arguments.Text("--type");
        options.Shown = type == "theory"  ? Analysis::Value::Theory
                        : type == "delta" ? Analysis::Value::Delta
                                          : Analysis::Value::Real;
        const std::string notation = arguments.Text("--notation");
        options.Format = notation == "fraction"  ? Analysis::Notation::Fraction
                         : notation == "percent" ? Analysis::Notation::Percent
                                                 : Analysis::Notation::Quantity;
        options.Position = static_cast<int>(arguments.Int("--position", 1, k)) - 1;

        Analysis analysis(*lottery);
        analysis.Load(TCliGame::SampleSize(arguments, *lottery, n));
        options.Ball = analysis.PresetBall(options.Position);
        const Analysis::Result result = analysis.Compute(options);
        for (int r = 0; r < result.Rows; ++r) {
            std::vector<std::string> cells;
            for (int c = 0; c < result.Columns; ++c) cells.push_back(result.Cell(r, c));
            report.Row(cells);
        }

        // Per ball, indexed by position (position style) or by run length.
        const bool positions = options.Kind == Analysis::Style::Position;
        const int count = positions ? k : Analysis::MaxRun;
        QJsonArray balls;
        for (int b = 0; b < n; ++b) {
            QJsonArray real, theory, probability;
            for (int i = 0; i < count; ++i) {
                const int p = positions ? i : options.Position;
                const int m = positions ? 0 : i + 1;
                real.append(static_cast<double>(analysis.Real(options.Kind, b, p, m)));
                theory.append(static_cast<double>(analysis.Theory(options.Kind, b, p, m)));
                probability.append(analysis.Probability(options.Kind, b, p, m));
            }
            QJsonObject ball;
            ball.insert(QLatin1String("ball"), b + 1);
            ball.insert(QLatin1String("real"), real);
            ball.insert(QLatin1String("theory"), theory);
            ball.insert(QLatin1String("probability"), probability);
            balls.append(ball);
        }
        report.Set("sampleSize", analysis.SampleSize());
        report.Set("style", TCliReport::String(style));
        report.Set("position", positions ? QJsonValue() : QJsonValue(options.Position + 1));
        report.Set("presetBall", options.Ball + 1);
        report.Set("balls", balls);
    };
    return command;
}
