// tovisca-cli lexico: the lexicographic analysis window's table of CSN (or
// ball) columns and its memo: one column's network forecast, or the votes of
// "Todas as bolas".
#include "TCliArguments.h"
#include "TCliCommand.h"
#include "TCliError.h"
#include "TCliGame.h"
#include "TCliReport.h"
#include "TLexicographicAnalysis.h"
#include "TLottery.h"

namespace {

using Analysis = TLexicographicAnalysis;

} // namespace

TCliCommand LexicoCommand() {
    TCliCommand command;
    command.Name = "lexico";
    command.Arguments = {"ARQUIVO"};
    command.Summary = "análise lexicográfica: a tabela de CSNs e a previsão da rede (ou os votos de todas as bolas)";
    command.Options = {
        {"--sample", "S", "40", TCliGame::SampleHelp(), {}},
        {"--notation", "csn|ball", "csn", "notação: CSN das caudas ou as bolas (notação decimal)", {"csn", "ball"}},
        {"--column", "C", "1", "coluna prevista, de 1 a k (\"Cª bola\")", {}},
        {"--skip", "0|1|2", "0", "concursos finais fora do treino (\"Não analisar último item\")", {"0", "1", "2"}},
        {"--analyse", "", "", "treina a rede na coluna e mostra a previsão (\"Analisar\")", {}},
        {"--analyse-all", "T", "", "\"Todas as bolas\": T toviscas por coluna", {}},
        {"--max-error", "P", "40", "todas as bolas em CSN: erro máximo aceitável nos 2 últimos jogos (%); 0 sem teste", {}},
        {"--passes", "N", "1000", "limite de passadas de 100 épocas por rede", {}},
        {"--seed", "X", "(do relógio)", "semente dos pesos iniciais das redes", {}},
    };
    command.Run = [](const TCliArguments& arguments, TCliReport& report) {
        const bool all = arguments.Given("--analyse-all");
        if (all && arguments.Flag("--analyse")) throw TCliError::Usage("use --analyse ou --analyse-all, não os dois");
        if (all && (arguments.Given("--column") || arguments.Given("--skip")))
            throw TCliError::Usage("--analyse-all analisa todas as colunas: sem --column nem --skip");
        const int votes = all ? static_cast<int>(arguments.Int("--analyse-all", 0, 1'000'000)) : 0;
        const int maxError = static_cast<int>(arguments.Int("--max-error", 0, 100));
        const int passes = static_cast<int>(arguments.Int("--passes", 1, 1'000'000));
        const std::optional<uint64_t> seed = arguments.Seed("--seed");
        const bool decimal = arguments.Text("--notation") == "ball";
        const int skip = std::stoi(arguments.Text("--skip"));
        const auto lottery = TCliGame::LoadWithDraws(arguments.Argument(0));
        const int k = lottery->PerCombination();
        const int column = static_cast<int>(arguments.Int("--column", 1, k));

        Analysis analysis(*lottery);
        analysis.NotationMode = decimal ? Analysis::Notation::Decimal : Analysis::Notation::CSN;
        analysis.Load(TCliGame::SampleSize(arguments, *lottery));
        analysis.Column = all ? k : column - 1;
        analysis.Skip = all ? 0 : skip;
        analysis.MaxPasses = passes;
        if (seed) analysis.Network.Seed(*seed);
        int trainingPasses = 0;
        double error = 0;
        const auto onPass = [&](const Analysis::TrainingPass& pass) {
            ++trainingPasses;
            error = pass.Error;
            return true;
        };
        if (all) {
            // The error test applies in CSN notation only, as in the window.
            analysis.AnalyseAll(votes, !decimal && maxError > 0, maxError / 100.0, onPass, {});
        } else if (arguments.Flag("--analyse")) {
            if (analysis.PrepareTraining(false)) analysis.RunTraining(onPass);
        }
        const Analysis::PreviewResult preview = analysis.Preview();

        for (int r = 0; r < analysis.RowCount(); ++r) {
            std::vector<std::string> cells;
            for (int c = 0; c < analysis.ColumnCount(); ++c) cells.push_back(analysis.CellText(r, c));
            report.Row(cells);
        }
        report.Line("");
        for (const std::string& line : preview.Memo) report.Line(line);

        report.Set("sampleSize", analysis.SampleSize());
        report.Set("notation", TCliReport::String(decimal ? "ball" : "csn"));
        report.Set("column", all ? QJsonValue() : QJsonValue(column));
        report.Set("skip", analysis.Skip);
        QJsonArray rows;
        for (int r = 1; r < analysis.RowCount(); ++r) {
            QJsonArray values;
            for (int c = 1; c < analysis.ColumnCount(); ++c) values.append(analysis.Cell(r, c));
            QJsonObject row;
            row.insert(QLatin1String("draw"), analysis.Ordinal(r));
            row.insert(QLatin1String("values"), values);
            rows.append(row);
        }
        report.Set("rows", rows);
        // "Todas as bolas" trains its networks side by side: how many passes
        // they made, and which reported last, depends on the threads' pace.
        const bool trained = !all && trainingPasses > 0;
        report.Set("passes", all ? QJsonValue() : QJsonValue(trainingPasses));
        report.Set("error", trained ? QJsonValue(error) : QJsonValue());
        report.Set("trained", preview.Trained);
        if (preview.Trained) {
            QJsonObject margin;
            margin.insert(QLatin1String("draw"), preview.MarginDraw);
            margin.insert(QLatin1String("percent"), preview.Margin);
            report.Set("margin", margin);
        } else {
            report.Set("margin", QJsonValue());
        }
        QJsonArray predictions;
        for (const Analysis::Prediction& p : preview.Predictions) {
            QJsonObject prediction;
            prediction.insert(QLatin1String("draw"), p.Draw);
            prediction.insert(QLatin1String("value"), p.Value);
            prediction.insert(QLatin1String("ball"), p.Ball > 0 ? QJsonValue(p.Ball) : QJsonValue());
            prediction.insert(QLatin1String("distance"), p.HasDistance ? QJsonValue(p.Distance) : QJsonValue());
            prediction.insert(QLatin1String("relativeDistance"),
                              p.HasDistance ? QJsonValue(p.Relative) : QJsonValue());
            predictions.append(prediction);
        }
        report.Set("predictions", predictions);
        QJsonArray tally;
        for (const Analysis::BallVotes& entry : preview.Tally) {
            QJsonObject ball;
            ball.insert(QLatin1String("ball"), entry.Ball);
            ball.insert(QLatin1String("votes"), entry.Votes);
            tally.append(ball);
        }
        report.Set("votes", tally);
    };
    return command;
}
