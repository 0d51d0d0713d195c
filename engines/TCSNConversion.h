#pragma once
// The conversion panel of the CSN calculator without its controls: the
// calculator's own converter (built from the two size fields), the moves of
// the CSN field, the ball cells with their duplicate swap, and the ranking
// texts. Texts go in and out exactly as the fields show them.
#include "TCSN.h"
#include "TCSNRanking.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TCSNConversion {
public:
    // Largest game the calculator builds a converter for: every game a
    // history can describe (ball values up to 1000, from 0 in a zero-based
    // game). Beyond it the tables and grids would only cost memory and time.
    static constexpr int32_t MaxElements = 1001;

    // "Calcular": n and k from their texts; a text that is not an integer
    // makes both 1 (and both texts "1"). Sizes outside 0 <= k <= n <=
    // MaxElements, or with 2^128 combinations or more (no exact CSNs), are
    // refused: the previous converter stays and false is returned.
    bool Build(std::string& nText, std::string& kText);
    // Whether the sizes would be accepted by Build.
    static bool Acceptable(int32_t n, int32_t k);
    bool Built() const { return converter_ != nullptr; }
    // Null before the first accepted Build.
    const TCSN* Converter() const { return converter_.get(); }
    int32_t Elements() const { return converter_ ? converter_->Elements : 0; }
    int32_t PerCombination() const { return converter_ ? converter_->PerCombination : 0; }
    double Total() const { return converter_ ? converter_->Total : 0; }

    // "CSN para Combinação": the CSN text (not a number: 1) clamped to
    // 1..Total and rewritten in general format; returns the k balls.
    std::vector<int32_t> CSNToBalls(std::string& csnText);
    // "Combinação para CSN": the ball texts (not an integer: 1, and the
    // text becomes "1"), at most k of them, in the order typed; the CSN.
    double BallsToCSN(std::vector<std::string>& ballTexts);

    // "20%", "10%", "5%": the CSN text (not a number: 1) times 1 +/- the
    // percentage, formed in extended precision and cut toward zero; a
    // negative result becomes 1. Fixed notation without decimals.
    static std::string Step(std::string_view csnText, int percent, bool up);

    // The editor of ball cell `row` (0-based) closed. Its text becomes a
    // ball of 1..n (not an integer: 1, blank: n, out of range: n); every
    // other cell holding that ball takes the text the edited cell had when
    // it was selected (`remembered`), which then becomes the new ball. So a
    // duplicate swaps places instead of repeating.
    static void CommitBallEdit(std::vector<std::string>& ballTexts, size_t row, std::string& remembered,
                               int32_t n);

    // "Ranking": the centre and the fraction from the CSN and percentage
    // texts; when either is not a number, CSN 0 and 10 %.
    static void RankingInput(std::string_view csnText, std::string_view percentText, double& csn,
                             double& fraction);
    // The memo: "Bola\tVotos", one line per ball ("ball\tshare %"), and a
    // closing line telling the CSNs visited when the band was cut or bounded.
    static std::vector<std::string> RankingLines(const TCSNRanking& ranking);
    static std::string InterruptedLine();

private:
    std::unique_ptr<TCSN> converter_;
};
