#include "TRecurrenceAnalysis.h"

#include "NumberText.h"
#include "TLottery.h"

#include <algorithm>
#include <cstdint>

TRecurrenceAnalysis::TRecurrenceAnalysis(const TLottery& lottery)
    : search_(std::make_shared<const TCombinationSearch>(TCombinationSearch::GameOf(lottery))) {}

int32_t TRecurrenceAnalysis::K() const {
    return search_->Game().PerCombination;
}

int32_t TRecurrenceAnalysis::DrawCount() const {
    return static_cast<int32_t>(search_->Game().Draws.size());
}

void TRecurrenceAnalysis::Load(int32_t sampleSize, bool wide) {
    sampleSize_ = sampleSize;
    wide_ = wide;
    hasResults_ = false;
    results_ = TSearchResult{};
}

void TRecurrenceAnalysis::SetResults(TSearchResult results) {
    results_ = std::move(results);
    hasResults_ = true;
}

TSearchOptions TRecurrenceAnalysis::Options(TSearchMode mode, const Choices& choices, uint64_t seed) const {
    TSearchOptions options;
    options.Mode = mode;
    options.SampleSize = std::max(1, sampleSize_);
    options.ReducedUniverse = choices.Reduced;
    options.Seed = seed;
    options.WithoutLast = choices.WithoutLast;
    options.DoubleCheck = mode == TSearchMode::Recurrence && choices.DoubleCheck;
    return options;
}

int32_t TRecurrenceAnalysis::DefaultThreshold() const {
    const int32_t n = search_->Game().Elements;
    if (n == 25) return 11;
    if (n == 60) return 4;
    return K();
}

std::string TRecurrenceAnalysis::ChanceText(int32_t count) const {
    // The sample the counts were taken over (the search limits it to the
    // considered history); the up-down's position before any search.
    const int32_t s = hasResults_ && results_.SampleSize > 0 ? results_.SampleSize : sampleSize_;
    const double chance = s > 0 ? static_cast<double>(count) / s * 100.0 : 0.0;
    return NumberText::FormatFixed(chance, 2) + "%";
}

TRecurrenceAnalysis::Grid TRecurrenceAnalysis::ResultGrid() const {
    const int32_t k = K();
    const size_t columns = wide_ ? 11 : 6;
    Grid grid;
    grid.reserve(static_cast<size_t>(k) + 2);
    std::vector<std::string> header = {"Acertos", "Concursos", "Chance", "CSN", "Combinação", "Últ.conc."};
    if (wide_) header.insert(header.end(), {"Concs:2", "Chance:2", "CSN:2", "Comb:2", "Últ:2"});
    grid.push_back(std::move(header));
    for (int32_t h = 0; h <= k; ++h) {
        std::vector<std::string> row(columns, Blank);
        row[0] = std::to_string(h);
        const auto i = static_cast<size_t>(h);
        if (hasResults_ && i < results_.Count1.size() && results_.Count1[i] >= 1) {
            row[1] = std::to_string(results_.Count1[i]);
            row[2] = ChanceText(results_.Count1[i]);
            row[3] = TCombinationSearch::CsnText(results_.CSN1[i]);
            row[4] = search_->CombinationText(results_.CSN1[i]);
            row[5] = std::to_string(results_.Last1[i]);
            if (wide_) {
                // Written even when no second combination was found.
                row[6] = std::to_string(results_.Count2[i]);
                row[7] = ChanceText(results_.Count2[i]);
                row[8] = TCombinationSearch::CsnText(results_.CSN2[i]);
                row[9] = results_.CSN2[i] >= 1 ? search_->CombinationText(results_.CSN2[i]) : Blank;
                row[10] = std::to_string(results_.Last2[i]);
            }
        }
        grid.push_back(std::move(row));
    }
    return grid;
}

std::vector<TRecurrenceAnalysis::Point> TRecurrenceAnalysis::ChancePoints(int set) const {
    std::vector<Point> points;
    if (!hasResults_ || (set == 2 && !wide_)) return points;
    const int32_t s = results_.SampleSize > 0 ? results_.SampleSize : std::max(1, sampleSize_);
    for (size_t h = 0; h < results_.Count1.size(); ++h) {
        if (results_.Count1[h] < 1) continue;
        const int32_t count = set == 2 ? results_.Count2[h] : results_.Count1[h];
        points.push_back({static_cast<double>(h), static_cast<double>(count) / s * 100.0});
    }
    return points;
}

int32_t TRecurrenceAnalysis::StreakCount(int32_t h, int32_t j) const {
    if (!hasResults_ || h < 0 || j < 0 || static_cast<size_t>(h) >= results_.StreakTable.size()) return 0;
    const std::vector<int32_t>& row = results_.StreakTable[static_cast<size_t>(h)];
    return static_cast<size_t>(j) < row.size() ? row[static_cast<size_t>(j)] : 0;
}

TRecurrenceAnalysis::Grid TRecurrenceAnalysis::StreakGrid() const {
    size_t rows = 2, columns = 2;
    if (hasResults_)
        for (size_t h = 0; h < results_.StreakTable.size(); ++h)
            for (size_t j = 0; j < results_.StreakTable[h].size(); ++j)
                if (results_.StreakTable[h][j] > 0) {
                    rows = std::max(rows, h + 1);
                    columns = std::max(columns, j + 1);
                }
    Grid grid(rows, std::vector<std::string>(columns));
    grid[0][0] = "Acertos/Consecut.";
    grid[1][1] = Blank;
    for (size_t r = 1; r < rows; ++r) grid[r][0] = std::to_string(r);
    for (size_t c = 1; c < columns; ++c) grid[0][c] = std::to_string(c);
    if (hasResults_)
        for (size_t h = 0; h < results_.StreakTable.size(); ++h)
            for (size_t j = 0; j < results_.StreakTable[h].size(); ++j)
                if (results_.StreakTable[h][j] > 0) grid[h][j] = std::to_string(results_.StreakTable[h][j]);
    return grid;
}

std::vector<std::string> TRecurrenceAnalysis::FilterMemo(const TSearchResult& result) {
    const std::string t = std::to_string(result.Threshold);
    std::vector<std::string> lines;
    lines.reserve(result.DelayList.size() + result.AdvanceList.size() + 8);
    lines.push_back("EXTREMIDADES DO FUNIL (<" + t + " acertos)");
    lines.push_back("Maximo atraso: " + std::to_string(result.MaxDelay));
    if (result.Floor > 0) lines.push_back("Atrasos >= " + std::to_string(result.Floor));
    lines.push_back("Combinações: " + std::to_string(result.DelayList.size()));
    for (const TCsnValue c : result.DelayList) lines.push_back(TCombinationSearch::CsnText(c));
    lines.push_back("-------------");
    lines.push_back("EXTREMIDADES DO FUNIL (>=" + t + " acertos)");
    lines.push_back("Maximo adiantamento: " + std::to_string(result.MaxAdvance));
    lines.push_back("Combinações: " + std::to_string(result.AdvanceList.size()));
    for (const TCsnValue c : result.AdvanceList) lines.push_back(TCombinationSearch::CsnText(c));
    return lines;
}

std::vector<TRecurrenceAnalysis::Point> TRecurrenceAnalysis::FilterPoints(const TSearchResult& result) {
    std::vector<Point> points;
    // Delays to the left (as negative run lengths), advances to the right.
    for (size_t d = result.DelayHistogram.size(); d-- > 0;)
        if (result.DelayHistogram[d] != 0)
            points.push_back({-static_cast<double>(d), static_cast<double>(result.DelayHistogram[d])});
    for (size_t a = 0; a < result.AdvanceHistogram.size(); ++a)
        if (result.AdvanceHistogram[a] != 0)
            points.push_back({static_cast<double>(a), static_cast<double>(result.AdvanceHistogram[a])});
    return points;
}

std::vector<std::string> TRecurrenceAnalysis::ListingHeader(int32_t consideredDraws, int32_t h, int32_t j) {
    return {"Concurso: " + std::to_string(consideredDraws), "Acertos: " + std::to_string(h),
            "Consecutivos: " + std::to_string(j), "CSN"};
}

std::vector<TRecurrenceAnalysis::Point> TRecurrenceAnalysis::ContestPoints(int32_t n) const {
    const auto& draws = search_->Game().Draws;
    std::vector<Point> points;
    if (n < 1 || static_cast<size_t>(n) > draws.size()) return points;
    // Balls as distinct values: a ball written twice in a draw is one ball.
    const int32_t elements = search_->Game().Elements;
    std::vector<uint8_t> inContest(static_cast<size_t>(elements) + 1, 0);
    for (const int32_t ball : draws[static_cast<size_t>(n - 1)])
        if (ball >= 1 && ball <= elements) inContest[static_cast<size_t>(ball)] = 1;
    std::vector<int32_t> seen(static_cast<size_t>(elements) + 1, -1);
    points.reserve(static_cast<size_t>(n));
    for (int32_t d = 0; d < n; ++d) {
        int32_t common = 0;
        for (const int32_t ball : draws[static_cast<size_t>(d)]) {
            if (ball < 1 || ball > elements || seen[static_cast<size_t>(ball)] == d) continue;
            seen[static_cast<size_t>(ball)] = d;
            common += inContest[static_cast<size_t>(ball)];
        }
        points.push_back({static_cast<double>(d + 1), static_cast<double>(common)});
    }
    return points;
}

TRecurrenceAnalysis::CsnChoice TRecurrenceAnalysis::ReadCsn(std::string_view cellText) const {
    while (!cellText.empty() && cellText.front() == ' ') cellText.remove_prefix(1);
    while (!cellText.empty() && cellText.back() == ' ') cellText.remove_suffix(1);
    if (cellText.empty() || cellText.size() > 39) return {};
    TCsnValue value = 0;
    for (const char c : cellText) {
        if (c < '0' || c > '9') return {};
        const TCsnValue next = value * 10 + static_cast<unsigned>(c - '0');
        if (next / 10 != value) return {};
        value = next;
    }
    if (value < 1 || value > search_->Total()) return {};
    return {value, std::string(cellText)};
}

std::vector<TRecurrenceAnalysis::Point> TRecurrenceAnalysis::CsnPoints(TCsnValue csn) const {
    const TSearchGame& game = search_->Game();
    std::vector<int32_t> balls(static_cast<size_t>(game.PerCombination));
    search_->Unrank(std::clamp<TCsnValue>(csn, 1, search_->Total()), balls);
    std::vector<uint8_t> inCombination(static_cast<size_t>(game.Elements) + 1, 0);
    for (const int32_t ball : balls) inCombination[static_cast<size_t>(ball)] = 1;
    // As the searches count: a ball written twice in a draw hits once.
    std::vector<size_t> seen(static_cast<size_t>(game.Elements) + 1, SIZE_MAX);
    std::vector<Point> points;
    points.reserve(game.Draws.size());
    for (size_t d = 0; d < game.Draws.size(); ++d) {
        int32_t hits = 0;
        for (const int32_t ball : game.Draws[d]) {
            if (ball < 1 || ball > game.Elements || seen[static_cast<size_t>(ball)] == d) continue;
            seen[static_cast<size_t>(ball)] = d;
            hits += inCombination[static_cast<size_t>(ball)];
        }
        points.push_back({static_cast<double>(d + 1), static_cast<double>(hits)});
    }
    return points;
}
