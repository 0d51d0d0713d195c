#include "TTestBase.h"

#include "NumberText.h"
#include "TLottery.h"

#include <algorithm>
#include <cmath>

namespace {

double ParsedOrOne(std::string_view text) {
    double value = 1;
    if (!NumberText::TryParseFloat(text, value)) value = 1;
    return value;
}

// A CSN kept within the combinations of the game.
double Clamped(double csn, double total) {
    if (!(csn >= 1)) return 1;
    return csn > total ? total : csn;
}

} // namespace

TTestBase::TTestBase() : Rows(1) {}

size_t TTestBase::Add(std::string_view candidateText) {
    const double value = ParsedOrOne(candidateText);
    if (!(Rows.size() == 1 && Rows[0].CSN.empty())) Rows.emplace_back();
    const size_t index = Rows.size() - 1;
    Row& row = Rows[index];
    row.Number = NumberText::FormatInt(static_cast<long long>(index) + 1);
    row.CSN = NumberText::FormatGeneral(value);
    row.Combination.clear();
    row.HitsBase.clear();
    return index;
}

bool TTestBase::Remove(size_t selected) {
    if (selected >= Rows.size()) return false;
    if (Rows.size() >= 2) {
        Rows.erase(Rows.begin() + static_cast<std::ptrdiff_t>(selected));
        return true;
    }
    Row& row = Rows[0];
    if (row.CSN.empty()) return false;
    row.CSN.clear();
    row.Combination.clear();
    row.HitsBase.clear();
    return true;
}

size_t TTestBase::Paste(std::string_view text) {
    Rows.assign(1, Row{});
    Rows[0].Number = "1";
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            Rows.back().CSN += c;
        } else if (c == ';' || c == '\n' || c == '\t') {
            Rows.emplace_back();
            Rows.back().Number = NumberText::FormatInt(static_cast<long long>(Rows.size()));
        }
    }
    if (Rows.size() > 1 && Rows.back().CSN.empty()) Rows.pop_back();
    return Rows.size() - 1;
}

std::vector<TTestBase::Point> TTestBase::Verify(const TLottery& lottery, std::string_view candidateText,
                                                bool showBase, bool showHistory) {
    std::vector<Point> points;
    if (!lottery.Converter) return points;
    const TCSN& converter = *lottery.Converter;
    const double total = converter.Total;
    const std::vector<uint8_t> candidate = lottery.BallSetOf(Clamped(ParsedOrOne(candidateText), total));
    const int32_t newest = lottery.DrawCount - 1;
    std::vector<int32_t> balls(static_cast<size_t>(converter.PerCombination) + 1, 0);

    for (size_t r = 0; r < Rows.size(); ++r) {
        Row& row = Rows[r];
        double csn = 0;
        if (row.CSN.empty() || !NumberText::TryParseFloat(row.CSN, csn)) continue;
        csn = Clamped(csn, total);

        converter.CSNToBalls(csn, balls);
        row.Combination.clear();
        for (size_t i = 1; i < balls.size(); ++i) {
            if (i > 1) row.Combination += ", ";
            row.Combination += std::to_string(balls[i]);
        }

        const std::vector<uint8_t> set = lottery.BallSetOf(csn);
        int32_t common = 0;
        for (size_t v = 0; v < set.size() && v < candidate.size(); ++v)
            if (set[v] != 0 && candidate[v] != 0) ++common;
        row.HitsBase = NumberText::FormatInt(common);
        if (showBase) points.push_back({static_cast<double>(r + 1), static_cast<double>(common)});

        // Hits in the newest draw, and for how many draws back in a row the
        // hits stayed the same.
        const int32_t hits = lottery.HitsOfDrawIn(newest, set);
        row.HitsHistory = NumberText::FormatInt(hits);
        int32_t repeats = 0;
        for (int32_t d = newest; d >= 0 && lottery.HitsOfDrawIn(d, set) == hits; --d) ++repeats;
        row.Repeats = NumberText::FormatInt(std::max(repeats, 1));
    }

    if (showHistory && !showBase)
        for (int32_t d = 0; d < lottery.DrawCount; ++d)
            points.push_back(
                {static_cast<double>(d + 1), static_cast<double>(lottery.HitsOfDrawIn(d, candidate))});
    return points;
}

std::string TTestBase::StepCandidate(std::string_view candidateText, bool up, double total) {
    double value = ParsedOrOne(candidateText);
    if (up) {
        if (value < total) value += 1;
    } else if (value > 1) {
        value -= 1;
    }
    return NumberText::FormatGeneral(value);
}
