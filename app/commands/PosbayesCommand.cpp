// tovisca-cli posbayes: the positional/bayesian analysis window's grid of
// P(sorteio) per number and position with each number's run, and its memo:
// the numbers to bet on and to avoid, scored against the next draw when it
// is known.
#include "TCliArguments.h"
#include "TCliCommand.h"
#include "TCliError.h"
#include "TCliGame.h"
#include "TCliReport.h"
#include "TLottery.h"
#include "TPositionalBayesAnalysis.h"

namespace {

using Analysis = TPositionalBayesAnalysis;

QJsonObject ListOf(const Analysis::ListScore& list, bool scored) {
    QJsonArray numbers;
    for (const int32_t number : list.Numbers) numbers.append(number);
    QJsonObject object;
    object.insert(QLatin1String("numbers"), numbers);
    const bool any = scored && list.Scored() > 0;
    const auto only = [any](double value) { return any ? QJsonValue(value) : QJsonValue(); };
    object.insert(QLatin1String("correct"), only(list.Correct));
    object.insert(QLatin1String("incorrect"), only(list.Incorrect));
    object.insert(QLatin1String("randomMean"), only(static_cast<double>(list.ChanceMean)));
    object.insert(QLatin1String("randomAtLeast"), only(static_cast<double>(list.ChanceAtLeast)));
    return object;
}

} // namespace

TCliCommand PosbayesCommand() {
    TCliCommand command;
    command.Name = "posbayes";
    command.Arguments = {"ARQUIVO"};
    command.Summary = "análise posicional/bayesiana: P(sorteio) por posição e as listas apostar / não apostar";
    command.Options = {
        {"--sample", "S", "20", TCliGame::SampleHelp(), {}},
        {"--ignore", "I", "0", "ignora os últimos I concursos (o seguinte pontua as listas)", {}},
        {"--tolerance", "T", "10", "tolerância P(repetição) em %, de 5 a 45 em passos de 5", {}},
        {"--theory-only", "", "", "sem o histórico", {}},
    };
    command.Run = [](const TCliArguments& arguments, TCliReport& report) {
        const int tolerance = static_cast<int>(arguments.Int("--tolerance", 5, 45));
        if (tolerance % 5 != 0)
            throw TCliError::Usage("valor inválido para --tolerance: " + arguments.Text("--tolerance") +
                                   " (múltiplo de 5 de 5 a 45)");
        const auto lottery = TCliGame::LoadWithDraws(arguments.Argument(0));
        // The ignore up-down goes as far as the sample allows.
        const int draws = lottery->DrawCount;
        const int ignore = static_cast<int>(arguments.Int("--ignore", 0, draws - 1));
        const int sample = TCliGame::SampleSize(arguments, *lottery, 20);

        Analysis analysis(*lottery);
        analysis.Load();
        analysis.SetTolerance(tolerance);
        const Analysis::Steps steps = Analysis::WindowSteps(draws, sample, ignore);
        analysis.Calculate(steps, arguments.Flag("--theory-only"));
        const Analysis::Result result = analysis.Analyse(steps);

        report.Row(analysis.HeaderTexts());
        for (int number = 1; number <= analysis.N(); ++number) report.Row(analysis.RowTexts(number));
        report.Line("");
        for (const std::string& line : analysis.MemoLines(result)) report.Line(line);

        QJsonArray numbers;
        for (int number = 1; number <= analysis.N(); ++number) {
            const auto n = static_cast<size_t>(number);
            QJsonArray positions;
            for (int p = 1; p <= analysis.K(); ++p) positions.append(analysis.P[static_cast<size_t>(p)][n]);
            QJsonObject row;
            row.insert(QLatin1String("number"), number);
            row.insert(QLatin1String("label"), analysis.Label(number));
            row.insert(QLatin1String("notDrawn"), analysis.P[0][n]);
            row.insert(QLatin1String("positions"), positions);
            row.insert(QLatin1String("run"), analysis.run[n]);
            numbers.append(row);
        }
        const bool scored = result.ScoredDraw >= 0;
        report.Set("sampleSize", sample);
        report.Set("ignore", ignore);
        report.Set("tolerance", tolerance);
        report.Set("lastDraw", steps.last + 1);
        report.Set("scoredDraw", scored ? QJsonValue(result.ScoredDraw + 1) : QJsonValue());
        report.Set("numbers", numbers);
        report.Set("notBet", ListOf(result.NotBet, scored));
        report.Set("bet", ListOf(result.Bet, scored));
    };
    return command;
}
