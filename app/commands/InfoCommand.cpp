// tovisca-cli info: the figures the game window shows.
#include "TCliArguments.h"
#include "TCliCommand.h"
#include "TCliGame.h"
#include "TGameFigures.h"
#include "TLottery.h"

TCliCommand InfoCommand() {
    TCliCommand command;
    command.Name = "info";
    command.Arguments = {"ARQUIVO"};
    command.Summary = "figuras do jogo";
    command.Run = [](const TCliArguments& arguments, TCliReport& report) {
        const auto lottery = TCliGame::Load(arguments.Argument(0));
        report.Append(TGameFigures(*lottery).ToText());
        // A Superball game shows its reduced total and birthday figure.
        const bool superball = lottery->Superball;
        report.Set("elements", lottery->Elements());
        report.Set("perCombination", lottery->PerCombination());
        report.Set("total", superball ? lottery->SuperballTotal
                                      : lottery->Converter ? lottery->Converter->Total : 0.0);
        report.Set("birthday", superball ? lottery->SuperballBirthday : lottery->Birthday);
        report.Set("superball", superball ? QJsonValue(lottery->SuperballBalls) : QJsonValue());
        report.Set("draws", lottery->DrawCount);
    };
    return command;
}
