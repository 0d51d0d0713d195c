#pragma once
// The computation behind the recurrence analysis window: which searches its
// options ask for, and what the window shows of their records — the result
// grid per hit count, the streak table, the chance bars, the filter's
// "EXTREMIDADES DO FUNIL" memo and histogram, the CSN listing of one streak
// cell, and the per-contest and per-CSN plots. The scans themselves are
// TCombinationSearch's.
//
// Ownership: holds a copy of the history's draws in a shared search, so a
// worker keeps searching with its own reference whatever the window does.
//
// Threading: Run is const and may be called on a worker while the window
// thread reads the texts of the previous results; SetResults, Load and the
// text functions belong to the window's thread.
#include "TCombinationSearch.h"
#include "TPointSeries.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TLottery;

class TRecurrenceAnalysis {
public:
    using Point = TPointSeries::Point;
    using Grid = std::vector<std::vector<std::string>>;

    // The text of an empty grid cell.
    static inline const std::string Blank = " ";

    // The choices of the window's check boxes.
    struct Choices {
        bool DoubleCheck = false; // "Verif. dupla combinação"
        bool Consecutive = false; // "Recorrência consecutiva"
        bool Reduced = false;     // "Universo reduzido"
        bool WithoutLast = false; // "Sem o último concurso"
    };

    explicit TRecurrenceAnalysis(const TLottery& lottery);

    const TCombinationSearch& Search() const { return *search_; }
    std::shared_ptr<const TCombinationSearch> SharedSearch() const { return search_; }
    int32_t K() const;
    int32_t DrawCount() const;

    // Discards the results; `wide`: the grid has the second combination's
    // columns (double check or consecutive recurrence).
    void Load(int32_t sampleSize, bool wide);
    int32_t SampleSize() const { return sampleSize_; }
    bool Wide() const { return wide_; }
    bool HasResults() const { return hasResults_; }
    const TSearchResult& Results() const { return results_; }
    // Keeps a finished (or stopped) search of the normal or consecutive
    // recurrence as the window's results.
    void SetResults(TSearchResult results);

    // The options of a search. Every reduced-universe search takes `seed`,
    // so a listing repeats the candidates of the analysis before it.
    TSearchOptions Options(TSearchMode mode, const Choices& choices, uint64_t seed) const;
    // The filter's threshold when the user keeps the default: 11 for 25
    // numbers, 4 for 60, k otherwise.
    int32_t DefaultThreshold() const;

    // "Acertos" ... "Últ:2": the header row and one row per hit count 0..k.
    // A hit count no combination reached is a blank row.
    Grid ResultGrid() const;
    // The chance bars of the first or second combination (set 1 or 2).
    std::vector<Point> ChancePoints(int set) const;
    // Rows hit counts, columns streak lengths, grown to the last cell found;
    // at least 2 x 2 with "Acertos/Consecut." in the corner.
    Grid StreakGrid() const;
    // Candidates with a streak of j draws of h hits in the results (0 outside
    // the table).
    int32_t StreakCount(int32_t h, int32_t j) const;

    // The filter's memo, in order, and its "(-)Atrasos/Adiant.(+)" bars.
    static std::vector<std::string> FilterMemo(const TSearchResult& result);
    static std::vector<Point> FilterPoints(const TSearchResult& result);
    // The first lines of a CSN listing of cell (h, j); consideredDraws is D'.
    static std::vector<std::string> ListingHeader(int32_t consideredDraws, int32_t h, int32_t j);

    // How many balls every contest 1..n shares with contest n.
    std::vector<Point> ContestPoints(int32_t n) const;
    // The CSN a grid cell shows (1 when it is blank, not a number or outside
    // 1..Total), with the text the chart's title takes.
    struct CsnChoice {
        TCsnValue Csn = 1;
        std::string Text = "1";
    };
    CsnChoice ReadCsn(std::string_view cellText) const;
    // The hits of the CSN in every draw of the whole history.
    std::vector<Point> CsnPoints(TCsnValue csn) const;

    // The chance of a count over the sample: fixed 2 decimals and "%".
    std::string ChanceText(int32_t count) const;

private:
    std::shared_ptr<const TCombinationSearch> search_;
    int32_t sampleSize_ = 0;
    bool wide_ = false;
    bool hasResults_ = false;
    TSearchResult results_;
};
