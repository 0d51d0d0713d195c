// tovisca-cli draws: the game window's grid.
#include "TCliArguments.h"
#include "TCliCommand.h"
#include "TCliGame.h"
#include "TDrawTable.h"
#include "TLottery.h"

TCliCommand DrawsCommand() {
    TCliCommand command;
    command.Name = "draws";
    command.Arguments = {"ARQUIVO"};
    command.Summary = "tabela dos concursos (em TSV como a área de transferência: TAB após cada célula, CR LF)";
    command.Run = [](const TCliArguments& arguments, TCliReport& report) {
        const auto lottery = TCliGame::Load(arguments.Argument(0));
        if (!report.IsJson()) {
            report.Append(TDrawTable(lottery.get()).ToText());
            return;
        }
        const int32_t k = lottery->PerCombination();
        QJsonArray draws;
        for (int32_t d = 0; d < lottery->DrawCount; ++d) {
            const auto i = static_cast<size_t>(d);
            QJsonArray balls;
            for (int32_t c = 1; c <= k; ++c) balls.append(lottery->Draws[static_cast<size_t>(c)][i]);
            QJsonObject draw;
            draw.insert(QLatin1String("contest"), lottery->Draws[0][i]);
            draw.insert(QLatin1String("balls"), balls);
            draw.insert(QLatin1String("csn"), lottery->CSNs[i]);
            draws.append(draw);
        }
        report.Set("draws", draws);
    };
    return command;
}
