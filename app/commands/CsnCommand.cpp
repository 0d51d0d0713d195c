// tovisca-cli csn: the CSN calculator's conversions between a combination and
// its CSN.
#include "NumberText.h"
#include "TCSN.h"
#include "TCliArguments.h"
#include "TCliCommand.h"
#include "TCliError.h"
#include "TCliReport.h"
#include "TLottery.h"

#include <set>

namespace {

int ReadInt(const std::string& text) {
    int value = 0;
    if (!NumberText::TryParseInt(text, value)) throw TCliError::Usage(NumberText::InvalidIntegerMessage(text));
    return value;
}

// "B1,B2,...,BK": k distinct balls of 1..n, in any order.
std::vector<int> ReadBalls(const std::string& list, int n, int k) {
    std::vector<int> balls;
    std::set<int> seen;
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(',', start);
        const int ball = ReadInt(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (ball < 1 || ball > n)
            throw TCliError::Usage("a bola " + std::to_string(ball) + " está fora de 1.." + std::to_string(n) + ".");
        if (!seen.insert(ball).second)
            throw TCliError::Usage("a bola " + std::to_string(ball) + " aparece mais de uma vez.");
        balls.push_back(ball);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (static_cast<int>(balls.size()) != k)
        throw TCliError::Usage("são necessárias exatamente " + std::to_string(k) + " bolas.");
    return balls;
}

} // namespace

TCliCommand CsnCommand() {
    TCliCommand command;
    command.Name = "csn";
    command.Arguments = {"N", "K"};
    command.Summary = "conversão entre combinação e CSN (uma de --balls ou --csn)";
    command.Options = {
        {"--balls", "B1,...,BK", "", "a combinação: dá o seu CSN", {}},
        {"--csn", "X", "", "o CSN: dá a sua combinação", {}},
    };
    command.Run = [](const TCliArguments& arguments, TCliReport& report) {
        const int n = ReadInt(arguments.Argument(0));
        const int k = ReadInt(arguments.Argument(1));
        if (n < 1 || n > TLottery::MaxBallValue)
            throw TCliError::Usage("N deve estar entre 1 e " + std::to_string(TLottery::MaxBallValue) + ".");
        if (k < 1 || k > n) throw TCliError::Usage("K deve estar entre 1 e N.");
        if (!TCSN::InExactRange(n, k)) throw TCliError::Usage(TCSN::RangeMessage(n, k));
        if (arguments.Given("--balls") == arguments.Given("--csn"))
            throw TCliError::Usage("use --balls ou --csn (um dos dois)");
        TCSN converter(n, k);
        if (arguments.Given("--balls")) {
            const std::vector<int> balls = ReadBalls(arguments.Text("--balls"), n, k);
            for (int i = 0; i < k; ++i) converter.Combination[static_cast<size_t>(i + 1)] = balls[static_cast<size_t>(i)];
            const double csn = converter.CombinationToCSN();
            report.Line(NumberText::FormatGeneral(csn));
            converter.SortCombination();
        } else {
            // An exact rank, or a rank as the program shows it; outside
            // 1..Total (by more than the shown digits can hide) it denotes no
            // combination.
            const std::string& text = arguments.Text("--csn");
            const TCSN::CSNInput input = converter.ReadCSN(text);
            if (input.Result == TCSN::CSNInput::Invalid) throw TCliError::Usage(NumberText::InvalidFloatMessage(text));
            if (input.Result == TCSN::CSNInput::OutOfRange)
                throw TCliError::Usage("o CSN deve estar entre 1 e " + NumberText::FormatGeneral(converter.Total) + ".");
            converter.RankToCombination(input.Value);
            report.Line(converter.CombinationToText());
        }
        report.Set("n", n);
        report.Set("k", k);
        report.Set("csn", converter.CombinationToCSN());
        report.Set("csnExact", TCliReport::String(TCSN::RankText(converter.CombinationToRank())));
        QJsonArray balls;
        for (int i = 1; i <= k; ++i) balls.append(converter.Combination[static_cast<size_t>(i)]);
        report.Set("balls", balls);
    };
    return command;
}
