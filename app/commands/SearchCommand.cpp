// tovisca-cli search: the combination searches of the recurrence and
// bayesian windows, with what their grids and memo show.
#include "TCliArguments.h"
#include "TCliCommand.h"
#include "TCliError.h"
#include "TCliGame.h"
#include "TCliReport.h"
#include "TCombinationSearch.h"
#include "TLottery.h"
#include "TRecurrenceAnalysis.h"

namespace {

QJsonArray BallsOf(const TCombinationSearch& search, TCsnValue csn) {
    QJsonArray array;
    if (csn < 1) return array;
    std::vector<int32_t> balls(static_cast<size_t>(search.Game().PerCombination));
    search.Unrank(csn, balls);
    for (const int32_t ball : balls) array.append(ball);
    return array;
}

QJsonArray CsnsOf(const std::vector<TCsnValue>& list) {
    QJsonArray array;
    for (const TCsnValue csn : list) array.append(TCombinationSearch::ToDouble(csn));
    return array;
}

TSearchOptions ReadOptions(const TCliArguments& arguments) {
    TSearchOptions options;
    const std::string& mode = arguments.Argument(0);
    if (mode == "recurrence")
        options.Mode = TSearchMode::Recurrence;
    else if (mode == "best")
        options.Mode = TSearchMode::Best;
    else if (mode == "consecutive")
        options.Mode = TSearchMode::Consecutive;
    else if (mode == "filter")
        options.Mode = TSearchMode::Filter;
    else
        throw TCliError::Usage("modo de busca desconhecido: " + mode);
    options.SampleSize = static_cast<int32_t>(arguments.Int("--sample", 1, 1'000'000'000));
    options.Seed = arguments.Seed("--seed").value_or(0);
    if (const auto threshold = arguments.OptionalInt("--threshold", 0, 1'000'000'000))
        options.Threshold = static_cast<int32_t>(*threshold);
    options.Floor = static_cast<int32_t>(arguments.Int("--floor", 0, 1'000'000'000));
    options.Threads = static_cast<int32_t>(arguments.Int("--threads", 0, 256));
    options.ReducedUniverse = arguments.Flag("--reduced");
    options.WithoutLast = arguments.Flag("--without-last");
    options.DoubleCheck = arguments.Flag("--double");
    if (arguments.Flag("--portable")) options.Instructions = TInstructionSet::Portable;

    const bool best = options.Mode == TSearchMode::Best;
    if (best && (options.ReducedUniverse || options.WithoutLast || options.DoubleCheck))
        throw TCliError::Usage("best percorre todo o universo sobre os últimos concursos: sem --reduced, "
                               "--without-last, --double");
    if (options.DoubleCheck && options.Mode != TSearchMode::Recurrence)
        throw TCliError::Usage("--double só vale para recurrence");
    if ((arguments.Given("--threshold") || options.Floor > 0) && options.Mode != TSearchMode::Filter)
        throw TCliError::Usage("--threshold e --floor só valem para filter");
    return options;
}

} // namespace

TCliCommand SearchCommand() {
    TCliCommand command;
    command.Name = "search";
    command.Arguments = {"recurrence|best|consecutive|filter", "ARQUIVO"};
    command.Summary = "buscas de combinações das janelas de recorrência e bayesiana";
    command.Options = {
        {"--sample", "S", "40", "amostra: os últimos S concursos", {}},
        {"--reduced", "", "", "universo reduzido", {}},
        {"--seed", "X", "0", "semente do universo reduzido", {}},
        {"--without-last", "", "", "sem o último concurso", {}},
        {"--double", "", "", "verificação dupla de combinação (recurrence)", {}},
        {"--threshold", "T", "(11 para 25 números, 4 para 60, k nos demais)", "limiar de acertos (filter)", {}},
        {"--floor", "F", "0", "atraso mínimo listado (filter)", {}},
        {"--threads", "N", "0", "linhas de execução; 0: todos os núcleos", {}},
        {"--portable", "", "", "sem instruções vetoriais", {}},
    };
    command.Run = [](const TCliArguments& arguments, TCliReport& report) {
        const TSearchOptions options = ReadOptions(arguments);
        const auto lottery = TCliGame::LoadWithDraws(arguments.Argument(1));
        TRecurrenceAnalysis analysis(*lottery);
        const TCombinationSearch& search = analysis.Search();
        if (const std::string message = search.Check(options); !message.empty()) throw TCliError::Failure(message);
        const TSearchResult result = search.Run(options);
        const int32_t k = lottery->PerCombination();
        // Blank grid cells print as nothing between the tabs.
        auto row = [&report](std::vector<std::string> cells) {
            for (std::string& cell : cells)
                if (cell == TRecurrenceAnalysis::Blank) cell.clear();
            report.Row(cells);
        };
        report.Set("mode", TCliReport::String(arguments.Argument(0)));
        report.Set("sampleSize", result.SampleSize);
        report.Set("consideredDraws", result.ConsideredDraws);
        report.Set("candidates", result.Candidates);
        report.Set("examined", result.Examined);
        report.Set("stopped", result.Stopped);

        if (options.Mode == TSearchMode::Best) {
            row({"Posição (Vitórias):", "CSN"});
            QJsonArray rows;
            for (int32_t h = 0; h <= k; ++h) {
                const auto i = static_cast<size_t>(h);
                if (result.Count1[i] < 1) continue;
                row({std::to_string(h) + " (" + std::to_string(result.Count1[i]) + "):",
                     TCombinationSearch::CsnText(result.CSN1[i])});
                QJsonObject entry;
                entry.insert(QLatin1String("hits"), h);
                entry.insert(QLatin1String("wins"), result.Count1[i]);
                entry.insert(QLatin1String("csn"), TCombinationSearch::ToDouble(result.CSN1[i]));
                entry.insert(QLatin1String("balls"), BallsOf(search, result.CSN1[i]));
                rows.append(entry);
            }
            report.Set("rows", rows);
        } else if (options.Mode == TSearchMode::Filter) {
            for (const std::string& text : TRecurrenceAnalysis::FilterMemo(result)) report.Line(text);
            report.Line("");
            row({"(-)Atrasos/Adiant.(+)", "Combinações"});
            QJsonArray bars;
            for (const TRecurrenceAnalysis::Point& p : TRecurrenceAnalysis::FilterPoints(result)) {
                row({std::to_string(static_cast<long long>(p.x)), std::to_string(static_cast<long long>(p.y))});
                QJsonObject bar;
                bar.insert(QLatin1String("run"), p.x);
                bar.insert(QLatin1String("combinations"), p.y);
                bars.append(bar);
            }
            report.Set("threshold", result.Threshold);
            report.Set("floor", result.Floor);
            report.Set("maxDelay", result.MaxDelay);
            report.Set("maxAdvance", result.MaxAdvance);
            report.Set("delayList", CsnsOf(result.DelayList));
            report.Set("advanceList", CsnsOf(result.AdvanceList));
            report.Set("bars", bars);
        } else {
            const bool consecutive = options.Mode == TSearchMode::Consecutive;
            const bool wide = options.DoubleCheck || consecutive;
            analysis.Load(options.SampleSize, wide);
            analysis.SetResults(result);
            for (const std::vector<std::string>& cells : analysis.ResultGrid()) row(cells);
            QJsonArray rows;
            const double s = result.SampleSize > 0 ? result.SampleSize : 1;
            for (int32_t h = 0; h <= k; ++h) {
                const auto i = static_cast<size_t>(h);
                if (result.Count1[i] < 1) continue;
                QJsonObject entry;
                entry.insert(QLatin1String("hits"), h);
                entry.insert(QLatin1String("draws"), result.Count1[i]);
                entry.insert(QLatin1String("chance"), result.Count1[i] / s * 100.0);
                entry.insert(QLatin1String("csn"), TCombinationSearch::ToDouble(result.CSN1[i]));
                entry.insert(QLatin1String("balls"), BallsOf(search, result.CSN1[i]));
                entry.insert(QLatin1String("lastContest"), result.Last1[i]);
                if (wide) {
                    QJsonObject second;
                    second.insert(QLatin1String("draws"), result.Count2[i]);
                    second.insert(QLatin1String("chance"), result.Count2[i] / s * 100.0);
                    second.insert(QLatin1String("csn"), TCombinationSearch::ToDouble(result.CSN2[i]));
                    second.insert(QLatin1String("balls"), BallsOf(search, result.CSN2[i]));
                    second.insert(QLatin1String("lastContest"), result.Last2[i]);
                    entry.insert(QLatin1String("second"), second);
                }
                rows.append(entry);
            }
            report.Set("rows", rows);
            if (consecutive) {
                // The streak table: rows hit counts, columns streak lengths.
                report.Line("");
                for (const std::vector<std::string>& cells : analysis.StreakGrid()) row(cells);
                QJsonArray streaks;
                for (const std::vector<int32_t>& counts : result.StreakTable) streaks.append(TCliReport::Numbers(counts));
                report.Set("streaks", streaks);
            }
        }
        report.Line(result.Stopped ? "Parado." : "Finalizado.");
    };
    return command;
}
