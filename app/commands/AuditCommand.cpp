// tovisca-cli audit: every statistic of a history beside its chance
// distribution (ball frequencies, positions, delays, pairs, sum and the
// records of the combination search), each with its statistic, p-value and
// verdict, and its rows per ball, position, pair or hit count.
#include "TChanceAudit.h"
#include "TCliArguments.h"
#include "TCliCommand.h"
#include "TCliGame.h"
#include "TCliReport.h"
#include "TLottery.h"

TCliCommand AuditCommand() {
    TCliCommand command;
    command.Name = "audit";
    command.Arguments = {"ARQUIVO"};
    command.Summary = "cada estatística diante da sua distribuição ao acaso";
    command.Options = {
        {"--sample", "S", "(todos os concursos; recordes: os últimos n)", TCliGame::SampleHelp(), {}},
        {"--seed", "X", "1", "semente dos históricos sintéticos dos recordes", {}},
        {"--repeats", "R", "20", "históricos sintéticos dos recordes (0: sem recordes)", {}},
    };
    command.Run = [](const TCliArguments& arguments, TCliReport& report) {
        const auto lottery = TCliGame::LoadWithDraws(arguments.Argument(0));
        TChanceAudit::TOptions options;
        if (arguments.Given("--sample")) options.Sample = TCliGame::SampleSize(arguments, *lottery);
        options.Seed = arguments.Seed("--seed").value_or(1);
        options.Repeats = static_cast<int32_t>(arguments.Int("--repeats", 0, 1000));
        const std::vector<TChanceTest> tests = TChanceAudit::Audit(*lottery, options);
        report.Append(TChanceAudit::Tsv(tests));
        QJsonArray array;
        for (const TChanceTest& test : tests) array.append(test.Json());
        report.Set("draws", lottery->DrawCount);
        report.Set("tests", array);
    };
    return command;
}
