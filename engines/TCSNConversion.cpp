#include "TCSNConversion.h"

#include "NumberText.h"

#include <cmath>

bool TCSNConversion::Acceptable(int32_t n, int32_t k) {
    if (k < 0 || n < k || n > MaxElements) return false;
    return TCSN::InExactRange(n, k);
}

bool TCSNConversion::Build(std::string& nText, std::string& kText) {
    int n = 0;
    int k = 0;
    if (!NumberText::TryParseInt(nText, n) || !NumberText::TryParseInt(kText, k)) {
        n = 1;
        k = 1;
        nText = "1";
        kText = "1";
    }
    if (!Acceptable(n, k)) return false;
    converter_ = std::make_unique<TCSN>(n, k);
    return true;
}

std::vector<int32_t> TCSNConversion::CSNToBalls(std::string& csnText) {
    if (!converter_) return {};
    const TCSN::CSNInput input = converter_->ReadCSN(csnText);
    double csn = 1;
    if (!NumberText::TryParseFloat(csnText, csn)) csn = 1;
    if (csn < 1) csn = 1;
    if (csn > converter_->Total) csn = converter_->Total;
    csnText = NumberText::FormatGeneral(csn);
    if (converter_->Wide() && input.Result != TCSN::CSNInput::Invalid)
        // An exact rank typed in full keeps every digit; a shown one is limited
        // to 1..Total as it reads.
        converter_->RankToCombination(input.Value);
    else
        converter_->CSNToCombination(csn);
    return {converter_->Combination.begin() + 1, converter_->Combination.end()};
}

double TCSNConversion::BallsToCSN(std::vector<std::string>& ballTexts) {
    if (!converter_) return 0;
    const auto k = static_cast<size_t>(converter_->PerCombination);
    for (size_t i = 0; i < k; ++i) {
        int ball = 1;
        if (i >= ballTexts.size()) {
            converter_->Combination[i + 1] = ball;
            continue;
        }
        if (!NumberText::TryParseInt(ballTexts[i], ball)) {
            ball = 1;
            ballTexts[i] = "1";
        }
        converter_->Combination[i + 1] = ball;
    }
    return converter_->CombinationToCSN();
}

std::string TCSNConversion::Step(std::string_view csnText, int percent, bool up) {
    double csn = 1;
    if (!NumberText::TryParseFloat(csnText, csn)) csn = 1;
    // The nearest doubles to 1.2, 0.8, ... multiplied in extended precision:
    // 1000 x 0.95 is 949.99999999999995559 there, 950 in doubles.
    double factor = 1;
    switch (percent) {
    case 20:
        factor = up ? 1.2 : 0.8;
        break;
    case 10:
        factor = up ? 1.1 : 0.9;
        break;
    case 5:
        factor = up ? 1.05 : 0.95;
        break;
    default:
        break;
    }
    long double value = std::trunc(static_cast<long double>(csn) * factor);
    if (value < 0) value = 1;
    return NumberText::FormatFixed(static_cast<double>(value), 0);
}

void TCSNConversion::CommitBallEdit(std::vector<std::string>& ballTexts, size_t row, std::string& remembered,
                                    int32_t n) {
    if (row >= ballTexts.size()) return;
    std::string& cell = ballTexts[row];
    int value = 1;
    if (cell.find_first_not_of(' ') == std::string::npos)
        value = n;
    else if (!NumberText::TryParseInt(cell, value))
        value = 1;
    if (value <= 0 || value > n) value = n;
    const std::string text = NumberText::FormatInt(value);
    if (cell != text) cell = text;
    for (size_t r = 0; r < ballTexts.size(); ++r) {
        int other = 0;
        if (r == row || !NumberText::TryParseInt(ballTexts[r], other) || other != value) continue;
        ballTexts[r] = remembered;
        remembered = text;
    }
}

void TCSNConversion::RankingInput(std::string_view csnText, std::string_view percentText, double& csn,
                                  double& fraction) {
    double c = 0;
    double p = 0;
    if (NumberText::TryParseFloat(csnText, c) && NumberText::TryParseFloat(percentText, p)) {
        csn = c;
        fraction = static_cast<double>(static_cast<long double>(p) / 100);
    } else {
        csn = 0;
        fraction = 0.1;
    }
}

std::vector<std::string> TCSNConversion::RankingLines(const TCSNRanking& ranking) {
    std::vector<std::string> lines{"Bola\tVotos"};
    for (const TCSNRanking::Line& line : ranking.Ranking())
        lines.push_back(NumberText::FormatInt(line.Ball) + "\t" + NumberText::FormatNumber(line.Share, 2) +
                        " %");
    if (!ranking.Complete && ranking.Count > 0)
        lines.push_back("Faixa limitada aos CSNs de " + NumberText::FormatGeneral(ranking.FirstCSN) + " a " +
                        NumberText::FormatGeneral(ranking.LastCSN) + " (" +
                        NumberText::FormatInt(static_cast<long long>(ranking.Count)) + " combinações).");
    else if (ranking.Count == 0)
        lines.push_back("Nenhuma combinação na faixa.");
    return lines;
}

std::string TCSNConversion::InterruptedLine() {
    return "Ranking interrompido.";
}
