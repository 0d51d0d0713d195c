#pragma once
// The walk-forward back-test: every forecaster of the analysis windows,
// replayed over the last T contests of a history and measured against
// chance.
//
// For each contest t (draw index D - T .. D - 1) the forecasters receive the
// history as it stood before t, a TLottery holding draws 0..t - 1 only
// (TLottery's prefix constructor), so none of them can read draw t or a
// later one; each makes its forecast of t with its window's default
// settings, and the forecast is scored against draw t: the hits of its
// numbers, and for the forecasters of a CSN the distance to the drawn CSN.
// Every random start comes from a seed derived from the run's seed, the
// forecaster and the draw index alone, so a run repeats exactly and the
// forecast of t does not depend on which other contests are replayed.
//
// The forecasters (numbers 1..n; a zero-based game's ball b is number b + 1):
//  - the lexicographic network of the CSN (5-8-1, sample 40), its next-draw
//    CSN cut to 1..Total and turned into a combination;
//  - the lexicographic networks of the balls (decimal notation, one network
//    per sorted position, sample 40): the distinct balls they forecast;
//  - the segmentation vote (CSN notation, sample 40, 50 votes, epoch cut 50):
//    the vote of least weight, the one the most other votes agree with; at
//    most 10 networks per vote are read, since out-of-range forecasts are
//    retrained and some samples give almost nothing else;
//  - the nearest-neighbour (window 6, 3 neighbours) and the moving-average
//    (period 10) forecasts of the lexicographic window's CSN series;
//  - the positional/bayesian bet list ("APOSTAR EM:", sample 20, tolerance
//    10 %), as many numbers as it lists (possibly none);
//  - "Melhor comb." over the last 40 draws: the record of the highest hit
//    count that some combination reached in at least two of them (a count
//    reached in one draw only is that draw itself); without such a count,
//    the record of the highest count reached;
//  - the ball that stood most often at each sorted position over the last n
//    draws (positional analysis; ties to the lower ball): the distinct balls;
//  - a random combination of k numbers: the control.
// A network trains in Train calls of 100 epochs until it converges, at most
// Cap calls (the segmentation votes at most their cut + 1 as well); the
// result counts the networks that stopped at that limit.
//
// Threading: Run works on Threads worker threads, one contest at a time
// each, and calls the progress callback on the calling thread about every
// 50 ms. A stop (callback returning false, or cancel) reaches every running
// forecaster within a training epoch or a search step; the contests whose
// forecasts were all made are kept and scored, those in progress are
// dropped. A stop through cancel returns at once with nothing scored (no
// rows): it is meant for a window that is closing. The history must not
// change while Run reads it.
#include "TBacktestStatistics.h"

#include <QJsonObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TLottery;

class TBacktest {
public:
    enum class Method {
        LexicographicCSN,
        LexicographicBalls,
        Segmentation,
        Neighbours,
        MovingAverage,
        PositionalBayes,
        BestCombination,
        Positional,
        Random,
    };
    static constexpr int MethodCount = 9;
    static std::vector<Method> AllMethods();
    // The key used on the command line and in JSON ("lex-csn", ...).
    static std::string Key(Method method);
    // The row title in the window ("Lexicográfica (CSN)", ...).
    static std::string Title(Method method);
    // A comma-separated list of keys; false (and the unknown key in error)
    // when a key is not a method.
    static bool ParseMethods(const std::string& list, std::vector<Method>& methods, std::string& error);

    // One forecast: its distinct numbers (ascending), and for the
    // forecasters of a CSN that CSN (0 otherwise).
    struct Pick {
        std::vector<int> Numbers;
        double CSN = 0;
        int Networks = 0; // networks trained for it
        int Capped = 0;   // of them, stopped by the call limit
    };
    // A forecaster of the caller's (tests): given the history before the
    // contest, its forecast. The engine hands it nothing else.
    struct Extra {
        std::string Key;
        std::string Title;
        std::function<Pick(const TLottery& before)> Forecast;
    };

    struct Settings {
        int Contests = 100;
        std::vector<Method> Methods = AllMethods();
        std::vector<Extra> Extras;
        std::uint64_t Seed = 1;
        int Cap = 100;   // Train calls per network at most
        int Threads = 0; // contest workers; 0: one per hardware thread
        // The windows' defaults.
        int LexicographicSample = 40;
        int SegmentationSample = 40;
        int SegmentationVotes = 50;
        int SegmentationCut = 50;
        // Networks read per vote at most (out-of-range forecasts are
        // retrained); a contest without a vote in range gets no forecast.
        int SegmentationTrainings = 10;
        int NeighbourWindow = 6;
        int NeighbourCount = 3;
        int AveragePeriod = 10;
        int PositionalBayesSample = 20;
        int Tolerance = 10;
        int BestSample = 40;
        int PositionalSample = 0; // 0: n
    };

    // One contest of one forecaster.
    struct Entry {
        int Draw = 0;    // index in the history
        int Contest = 0; // its contest number
        std::vector<int> Forecast;
        std::vector<int> Drawn;
        int Hits = 0;
        double ForecastCSN = 0; // forecasters of a CSN
        double DrawnCSN = 0;
    };

    enum class Verdict { Chance, Above, Below };

    struct Row {
        std::string Key;
        std::string Title;
        bool HasCSN = false;
        std::vector<Entry> Entries; // in contest order
        int Contests = 0;
        long long Hits = 0;
        long double Expected = 0;
        long double PAbove = 1; // P(S >= hits) under chance
        long double PBelow = 1; // P(S <= hits)
        long double PHolm = 1;  // two-sided, Holm-adjusted across the rows
        Verdict Outcome = Verdict::Chance;
        std::string VerdictText;
        // Forecasters of a CSN: mean |forecast - drawn| / Total, its chance
        // expectation and the bounds of P(mean <= observed) (equal unless
        // the game has more CSNs than the distribution's cells).
        long double MeanDistance = 0;
        long double ExpectedDistance = 0;
        long double DistanceP = 1;
        long double DistancePLow = 1;
        int Networks = 0;
        int Capped = 0;
        // Cumulative hits minus expected hits after each contest, and the
        // 95 % chance band of that running sum (its 2.5 % and 97.5 %
        // quantiles minus the expected hits).
        std::vector<double> Excess;
        std::vector<double> BandLow;
        std::vector<double> BandHigh;
    };

    struct Result {
        Settings Used;
        std::string Game;
        int Requested = 0; // contests asked for (cut to the history)
        int Done = 0;      // contests scored
        bool Stopped = false;
        int Networks = 0;
        int Capped = 0;
        std::vector<Row> Rows;
        // The table as tab-separated lines (header first, "\n" ends).
        std::string ToTsv() const;
        QJsonObject ToJson() const;
    };

    struct Progress {
        int Done = 0;
        int Total = 0;
    };
    // Returning false stops the run.
    using ProgressCallback = std::function<bool(const Progress&)>;

    static Result Run(const TLottery& lottery, const Settings& settings, const ProgressCallback& progress = {},
                      const std::atomic<bool>* cancel = nullptr);

    // The forecast of one method from the history before a contest; seed
    // gives its random starts. stop ends a long forecast early (the pick is
    // then incomplete and must not be scored).
    static Pick Forecast(Method method, const TLottery& before, const Settings& settings, std::uint64_t seed,
                         const std::atomic<bool>* stop);
    // The seed of a method's forecast of draw index `draw`.
    static std::uint64_t SeedOf(std::uint64_t runSeed, int method, int draw);

    // Scores rows whose Entries are filled, then applies Holm across them.
    static void Score(std::vector<Row>& rows, int n, int k, double total);
    static std::string VerdictText(Verdict verdict, long double p);
    // Column titles of the table.
    static std::vector<std::string> Header();
    // The cells of a row, as the table shows them.
    static std::vector<std::string> Cells(const Row& row);
    // Per-contest detail of a row: header, then contest, forecast, drawn, hits.
    static std::vector<std::vector<std::string>> Detail(const Row& row);
};
