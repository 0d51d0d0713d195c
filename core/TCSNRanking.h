#pragma once
// Ranking of the balls found near a CSN: every combination whose CSN lies
// within Total x fraction of a centre CSN gives one vote to each of its
// balls, and the balls are listed by votes.
//
// The band is the sequence X = C - D, C - D + 1, ... while X <= C + D
// (D = Total x fraction); a fractional X stands for the combination of the
// next integer above it, so the band is a run of consecutive CSNs. Instead of
// converting every CSN, the engine converts the first one and then steps to
// the next combination in lexicographic order, which gives the same votes.
//
// Bounds: only CSNs 1..Total denote combinations, so the band is cut there;
// and at most MaxSteps combinations are visited (centred on C), which keeps
// the ranking finite for games whose Total is beyond the exact integers of a
// double (there X + 1 == X and the band would never end).
//
// Threading: plain data; Run may execute on a worker thread. The progress
// callback runs on that thread and may end the walk.
#include "TCSN.h"

#include <cstdint>
#include <functional>
#include <vector>

class TCSNRanking {
public:
    static constexpr uint64_t MaxSteps = 100'000'000;
    // Combinations between two progress reports.
    static constexpr uint64_t ProgressStep = uint64_t{1} << 22;
    // Told how many combinations were visited out of Count; false stops the walk.
    using Progress = std::function<bool(uint64_t visited, uint64_t count)>;

    struct Line {
        int32_t Ball = 0;
        uint64_t Votes = 0;
        double Share = 0; // percent of Divisor
    };

    // Plans the band around csn; fraction is the share of Total on each side.
    // The converter is copied: the ranking does not depend on it afterwards.
    TCSNRanking(const TCSN& converter, double csn, double fraction);

    // Visits the band. False when the progress callback stopped it (the votes
    // then cover the combinations visited so far).
    bool Run(const Progress& progress = {});

    // Balls 1..n, most votes first: exchange sort over positions i < j,
    // swapping when votes[i] < votes[j] (equal counts keep their order).
    std::vector<Line> Ranking() const;

    double Centre = 0;
    double Distance = 0; // D = Total x fraction
    double FirstCSN = 0; // first and last CSN visited
    double LastCSN = 0;
    uint64_t Count = 0;   // combinations in the band as planned
    bool Complete = true; // the whole band X = C - D .. C + D is visited
    bool Bounded = false; // cut to MaxSteps combinations
    // Shares are of 2D for a complete band (as many CSNs as the band is
    // wide), of the number of combinations visited otherwise.
    double Divisor = 0;
    uint64_t Visited = 0;
    std::vector<uint64_t> Votes; // [ball 0..n]

private:
    TCSN converter_;
};
