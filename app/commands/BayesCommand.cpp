// tovisca-cli bayes: the bayesian analysis window's pair tables, P(A, B) and
// P(A | B) with the margins P(A), over the last S draws.
#include "TBayesAnalysis.h"
#include "TCliArguments.h"
#include "TCliCommand.h"
#include "TCliGame.h"
#include "TCliReport.h"
#include "TLottery.h"

namespace {

QJsonArray Matrix(const std::vector<std::vector<double>>& rows) {
    QJsonArray matrix;
    for (const std::vector<double>& row : rows) matrix.append(TCliReport::Numbers(row));
    return matrix;
}

} // namespace

TCliCommand BayesCommand() {
    TCliCommand command;
    command.Name = "bayes";
    command.Arguments = {"ARQUIVO"};
    command.Summary = "análise bayesiana: as tabelas de pares P(A, B) e P(A | B)";
    command.Options = {
        {"--sample", "S", "40", TCliGame::SampleHelp(), {}},
    };
    command.Run = [](const TCliArguments& arguments, TCliReport& report) {
        const auto lottery = TCliGame::LoadWithDraws(arguments.Argument(0));
        TBayesAnalysis analysis(*lottery);
        analysis.Load(TCliGame::SampleSize(arguments, *lottery, 40));
        report.Rows(analysis.Table(TBayesAnalysis::TTable::Joint));
        report.Line("");
        report.Rows(analysis.Table(TBayesAnalysis::TTable::Conditional));

        const TBayesAnalysis::TProbabilities joint = analysis.Probabilities(TBayesAnalysis::TTable::Joint);
        const TBayesAnalysis::TProbabilities conditional =
            analysis.Probabilities(TBayesAnalysis::TTable::Conditional);
        report.Set("sampleSize", analysis.SampleSize());
        report.Set("probabilities", TCliReport::Numbers(joint.Margins));
        report.Set("joint", Matrix(joint.Body));
        report.Set("conditional", Matrix(conditional.Body));
    };
    return command;
}
