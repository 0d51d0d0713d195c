// The CSN texts of the calculator: the sizes, the CSN field, the ball cells
// and a pasted combination, as a user may type or paste them. Lines of the
// input: n, k, the CSN, a pasted text, then ball cells. The first byte picks
// the decimal separator. Whatever the texts, the balls shown are a
// combination of the game and the conversions agree.
#include "FuzzSupport.h"
#include "NumberText.h"
#include "TCSN.h"
#include "TCSNConversion.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty() && lines.size() < 64) {
        const size_t end = text.find('\n');
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    while (lines.size() < 4) lines.emplace_back();
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using FuzzSupport::Check;
    if (size < 1) return 0;
    NumberText::SetDecimalSeparator(data[0] % 2 == 0 ? ',' : '.');
    NumberText::SetThousandSeparator(data[0] % 2 == 0 ? '.' : ',');
    std::vector<std::string> lines = Lines(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));

    TCSNConversion conversion;
    std::string nText = lines[0];
    std::string kText = lines[1];
    if (!conversion.Build(nText, kText)) return 0;
    const TCSN& converter = *conversion.Converter();
    const int32_t n = converter.Elements;
    const int32_t k = converter.PerCombination;
    const auto ascending = [&](const std::vector<int32_t>& balls) {
        for (size_t i = 0; i < balls.size(); ++i) {
            if (balls[i] < 1 || balls[i] > n) return false;
            if (i > 0 && balls[i - 1] >= balls[i]) return false;
        }
        return true;
    };

    // "CSN para Combinação", then back.
    std::string csnText = lines[2];
    (void)converter.ReadCSN(csnText);
    const std::vector<int32_t> balls = conversion.CSNToBalls(csnText);
    Check(static_cast<int32_t>(balls.size()) == k, "k balls");
    if (converter.Total >= 1) {
        Check(ascending(balls), "the balls of a CSN are a combination of the game");
        std::vector<std::string> texts;
        for (const int32_t ball : balls) texts.push_back(NumberText::FormatInt(ball));
        const double csn = conversion.BallsToCSN(texts);
        Check(csn >= 1 && csn <= converter.Total, "a combination's CSN lies in 1..Total");
        if (!converter.Wide()) {
            double shown = 0;
            Check(NumberText::TryParseFloat(csnText, shown), "the CSN field reads as a number");
            Check(csn == std::ceil(shown), "the CSN shown converts back to its combination");
        }
    }

    // The steps of the CSN field and the ranking inputs.
    for (const int percent : {20, 10, 5}) {
        double stepped = 0;
        Check(NumberText::TryParseFloat(TCSNConversion::Step(lines[2], percent, true), stepped) && stepped >= 0,
              "a step gives a number");
        Check(NumberText::TryParseFloat(TCSNConversion::Step(lines[2], percent, false), stepped) && stepped >= 0,
              "a step gives a number");
    }
    double centre = 0;
    double fraction = 0;
    TCSNConversion::RankingInput(lines[2], lines[3], centre, fraction);

    // A pasted combination.
    TCSN pasted(n, k);
    pasted.TextToCombination(lines[3]);
    for (int32_t j = 1; j <= k; ++j)
        Check(pasted.Combination[static_cast<size_t>(j)] >= 0 && pasted.Combination[static_cast<size_t>(j)] <= n,
              "a pasted ball is 0..n");
    (void)pasted.CombinationToText();

    // Ball cells typed one by one, with the swap of a duplicate.
    if (k > 0 && lines.size() > 4) {
        std::vector<std::string> cells(lines.begin() + 4, lines.end());
        cells.resize(static_cast<size_t>(k), "1");
        std::string remembered = cells[0];
        for (size_t row = 0; row < cells.size() && row < 16; ++row) {
            remembered = cells[row];
            TCSNConversion::CommitBallEdit(cells, row, remembered, n);
            int value = 0;
            Check(NumberText::TryParseInt(cells[row], value) && value >= 1 && value <= n,
                  "an edited cell holds a ball of the game");
        }
        (void)conversion.BallsToCSN(cells);
    }
    return 0;
}
