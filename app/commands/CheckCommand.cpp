// tovisca-cli check: "Conferir apostas" on the command line: every bet of a
// bets file against the game's contests (or a range of them), per bet its
// prize tiers and best result, and the totals beside the counts by chance.
#include "TBetChecker.h"
#include "TCliArguments.h"
#include "TCliCommand.h"
#include "TCliError.h"
#include "TCliGame.h"
#include "TCliReport.h"
#include "TGameDefinition.h"
#include "TLottery.h"

#include <climits>
#include <cstdio>

TCliCommand CheckCommand() {
    TCliCommand command;
    command.Name = "check";
    command.Arguments = {"ARQUIVO", "APOSTAS"};
    command.Summary = "confere as apostas de um arquivo (uma por linha) nos concursos do jogo";
    command.Options = {
        {"--from", "C", "(o primeiro)", "primeiro concurso conferido", {}},
        {"--to", "C", "(o último)", "último concurso conferido", {}},
    };
    command.Run = [](const TCliArguments& arguments, TCliReport& report) {
        const auto from = arguments.OptionalInt("--from", INT32_MIN, INT32_MAX);
        const auto to = arguments.OptionalInt("--to", INT32_MIN, INT32_MAX);
        if (from && to && *from > *to) throw TCliError::Usage("--from deve ser no máximo --to.");
        const std::string& gameFile = arguments.Argument(0);
        const std::string& betsFile = arguments.Argument(1);
        const auto lottery = TCliGame::Load(gameFile);
        std::string error;
        const std::vector<int32_t> tiers = TGameDefinition::ReadPrizeTiers(
            TGameDefinition::DefinitionFileName(gameFile), lottery->PerCombination(), error);
        // A bad tier list only costs the game's own tiers: every hit count is shown.
        if (!error.empty()) std::fprintf(stderr, "tovisca-cli: %s\n", error.c_str());
        const TBetChecker checker(TBetChecker::GameOf(*lottery));
        const TBetList bets = TBetList::Load(betsFile, checker.Rules(), error);
        if (!error.empty()) throw TCliError::Failure(betsFile + ": " + error);
        if (bets.Empty()) throw TCliError::Failure("nenhuma aposta em " + betsFile);
        const TBetChecker::Range range = checker.RangeOf(static_cast<int32_t>(from.value_or(INT32_MIN)),
                                                         static_cast<int32_t>(to.value_or(INT32_MAX)));
        const TBetChecker::Result result = checker.Run(bets, range, tiers);
        if (report.IsJson())
            report.SetJsonText(TBetChecker::ToJsonText(result, bets));
        else
            report.Append(TBetChecker::ToTsv(result, bets));
    };
    return command;
}
