// tovisca-cli backtest: every forecaster replayed over the last contests, each
// forecast made from the draws before its contest, measured against chance.
#include "TBacktest.h"
#include "TCliArguments.h"
#include "TCliCommand.h"
#include "TCliError.h"
#include "TCliGame.h"
#include "TCliReport.h"
#include "TLottery.h"

TCliCommand BacktestCommand() {
    std::string keys;
    for (const TBacktest::Method m : TBacktest::AllMethods()) {
        if (!keys.empty()) keys += ',';
        keys += TBacktest::Key(m);
    }
    TCliCommand command;
    command.Name = "backtest";
    command.Arguments = {"ARQUIVO"};
    command.Summary = "teste retroativo: as previsões dos últimos concursos contra o acaso";
    command.Options = {
        {"--contests", "T", "100", "concursos a testar, os últimos do histórico", {}},
        {"--methods", "LISTA", keys, "previsores, separados por vírgulas", {}},
        {"--seed", "X", "1", "semente: a mesma semente repete o teste", {}},
        {"--cap", "N", "100", "chamadas de treino (100 épocas) por rede, no máximo", {}},
        {"--threads", "N", "(um por núcleo)", "linhas de execução", {}},
    };
    command.Run = [](const TCliArguments& arguments, TCliReport& report) {
        TBacktest::Settings settings;
        settings.Contests = static_cast<int>(arguments.Int("--contests", 1, 1'000'000));
        settings.Cap = static_cast<int>(arguments.Int("--cap", 1, 1'000'000));
        settings.Seed = arguments.Seed("--seed").value_or(1);
        settings.Threads = static_cast<int>(arguments.OptionalInt("--threads", 1, 256).value_or(0));
        std::string unknown;
        if (!TBacktest::ParseMethods(arguments.Text("--methods"), settings.Methods, unknown))
            throw TCliError::Usage("método desconhecido: " + unknown);
        const auto lottery = TCliGame::LoadWithDraws(arguments.Argument(0));
        if (lottery->DrawCount < 2) throw TCliError::Failure("o teste retroativo precisa de ao menos dois concursos");

        const TBacktest::Result result = TBacktest::Run(*lottery, settings);
        report.Append(result.ToTsv());
        report.Line("Concursos: " + std::to_string(result.Done) + "; limite de treinos por rede: " +
                    std::to_string(settings.Cap) + "; redes: " + std::to_string(result.Networks) +
                    ", no limite: " + std::to_string(result.Capped));
        const QJsonObject json = result.ToJson();
        for (auto field = json.begin(); field != json.end(); ++field) report.Json.insert(field.key(), field.value());
    };
    return command;
}
