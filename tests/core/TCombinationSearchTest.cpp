// The combination searches against a plain reference: every candidate, every
// draw, the records' rules written out literally.
#include "TCombinationSearch.h"
#include "CoreTestSupport.h"
#include "TCSN.h"
#include "TLottery.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const std::string DataDir = TOVISCA_DATA_DIR;

TSearchGame RandomGame(int32_t n, int32_t k, int32_t draws, uint32_t seed) {
    std::mt19937 random(seed);
    TSearchGame game{n, k, 10, {}};
    for (int32_t d = 0; d < draws; ++d) {
        std::vector<int32_t> balls(static_cast<size_t>(n));
        for (int32_t b = 0; b < n; ++b) balls[static_cast<size_t>(b)] = b + 1;
        std::shuffle(balls.begin(), balls.end(), random);
        balls.resize(static_cast<size_t>(k));
        game.Draws.push_back(balls);
    }
    return game;
}

int32_t Hits(const std::vector<int32_t>& combination, const std::vector<int32_t>& draw) {
    int32_t hits = 0;
    for (const int32_t b : draw) hits += std::count(combination.begin(), combination.end(), b) > 0 ? 1 : 0;
    return hits;
}

struct Reference {
    std::vector<int32_t> count, csn, recency, last;
};

// Normal recurrence (recency = true) or best combination, over CSNs 1..limit.
Reference Brute(const TSearchGame& game, int32_t S, bool withoutLast, bool recency, int32_t limit) {
    const int32_t k = game.PerCombination;
    TCSN converter(game.Elements, k);
    const int32_t Dp = static_cast<int32_t>(game.Draws.size()) - (withoutLast ? 1 : 0);
    S = std::min(S, Dp);
    Reference r{std::vector<int32_t>(k + 1, 0), std::vector<int32_t>(k + 1, 0),
                std::vector<int32_t>(k + 1, 0), std::vector<int32_t>(k + 1, 0)};
    for (int32_t c = 1; c <= limit; ++c) {
        converter.CSNToCombination(c);
        const std::vector<int32_t> comb(converter.Combination.begin() + 1, converter.Combination.end());
        std::vector<int32_t> cur(k + 1, 0), rec(k + 1, 0);
        int32_t newest = 0;
        for (int32_t s = S; s >= 1; --s) {
            const int32_t h = Hits(comb, game.Draws[static_cast<size_t>(Dp - s)]);
            cur[h] += 1;
            rec[h] += S - s;
            newest = h;
        }
        for (int32_t h = 0; h <= k; ++h)
            if (cur[h] > r.count[h] || (recency && cur[h] == r.count[h] && rec[h] > r.recency[h])) {
                r.count[h] = cur[h];
                r.csn[h] = c;
                r.recency[h] = recency ? rec[h] : 0;
                r.last[h] = newest;
            }
    }
    return r;
}

void ExpectSame(const Reference& ref, const TSearchResult& got, bool recency) {
    for (size_t h = 0; h < ref.count.size(); ++h) {
        EXPECT_EQ(got.Count1[h], ref.count[h]) << "h=" << h;
        EXPECT_EQ(static_cast<int32_t>(got.CSN1[h]), ref.csn[h]) << "h=" << h;
        if (recency) {
            EXPECT_EQ(got.Recency1[h], ref.recency[h]) << "h=" << h;
        }
        if (ref.count[h] > 0) {
            EXPECT_EQ(got.Last1[h], ref.last[h]) << "h=" << h;
        }
    }
}

TEST(TCombinationSearchTest, RecurrenceAndBestAgreeWithTheReferenceOnSmallGames) {
    for (const auto& [n, k, draws] :
         std::vector<std::tuple<int, int, int>>{{12, 3, 30}, {15, 5, 90}, {20, 4, 70}}) {
        const TSearchGame game = RandomGame(n, k, draws, static_cast<uint32_t>(n * 100 + k));
        const TCombinationSearch search(game);
        const int32_t total = static_cast<int32_t>(TCSN::Binomial(n, k));
        for (const int32_t S : {10, 64, 70}) {
            for (const bool withoutLast : {false, true}) {
                TSearchOptions options;
                options.SampleSize = S;
                options.WithoutLast = withoutLast;
                ExpectSame(Brute(game, S, withoutLast, true, total), search.Run(options), true);
                options.Mode = TSearchMode::Best;
                options.WithoutLast = false;
                ExpectSame(Brute(game, S, false, false, total), search.Run(options), false);
            }
        }
    }
}

// Games too large for the halves but with one-word sets (27..63 balls, at
// most 64 sample draws) take the walk whose AVX-512 form leaves out, eight
// last-but-one balls at a time, the runs that cannot hold a record, and
// counts whole prefixes of k - 2 balls at once. Every path gives the
// reference's records, over many blocks and two threads; seven balls (every
// lane of the hit-count vectors) against the portable walk, which has none
// of this, since the reference is slow there.
TEST(TCombinationSearchTest, MidSizedGamesAgreeWithTheReferenceOnEveryPath) {
    for (const auto& [n, k, draws] :
         std::vector<std::tuple<int, int, int>>{{30, 4, 80}, {28, 5, 90}, {45, 3, 70}, {27, 7, 100}}) {
        const TSearchGame game = RandomGame(n, k, draws, static_cast<uint32_t>(n * 31 + k));
        const TCombinationSearch search(game);
        const int32_t total = static_cast<int32_t>(TCSN::Binomial(n, k));
        const bool reference = k < 7;
        for (const int32_t S : {12, 64}) {
            SCOPED_TRACE(testing::Message() << n << "/" << k << " S=" << S);
            TSearchOptions options;
            options.SampleSize = S;
            options.WithoutLast = true;
            options.Threads = 2;
            TSearchOptions portable = options;
            portable.Instructions = TInstructionSet::Portable;
            const TSearchResult fast = search.Run(options);
            const TSearchResult plain = search.Run(portable);
            EXPECT_EQ(fast.Examined, static_cast<double>(total));
            EXPECT_EQ(fast.Count1, plain.Count1);
            EXPECT_EQ(fast.CSN1, plain.CSN1);
            EXPECT_EQ(fast.Recency1, plain.Recency1);
            EXPECT_EQ(fast.Last1, plain.Last1);
            if (reference) {
                ExpectSame(Brute(game, S, true, true, total), fast, true);
                ExpectSame(Brute(game, S, true, true, total), plain, true);
            }
            options.Mode = portable.Mode = TSearchMode::Best;
            options.WithoutLast = portable.WithoutLast = false;
            const TSearchResult bestFast = search.Run(options);
            const TSearchResult bestPlain = search.Run(portable);
            EXPECT_EQ(bestFast.Count1, bestPlain.Count1);
            EXPECT_EQ(bestFast.CSN1, bestPlain.CSN1);
            if (reference) ExpectSame(Brute(game, S, false, false, total), bestFast, false);
            // The double check's second combinations, with and without the
            // left-out runs.
            options.Mode = portable.Mode = TSearchMode::Recurrence;
            options.DoubleCheck = portable.DoubleCheck = true;
            const TSearchResult doubleFast = search.Run(options);
            const TSearchResult doublePlain = search.Run(portable);
            EXPECT_EQ(doubleFast.Count2, doublePlain.Count2);
            EXPECT_EQ(doubleFast.CSN2, doublePlain.CSN2);
            EXPECT_EQ(doubleFast.Last2, doublePlain.Last2);
        }
    }
}

// Combinations of more than half the balls are found through their
// complements, walked in reverse CSN order, and small games with short
// samples by adding the hits of two halves (where the processor has AVX2):
// the records, their tie rules (over several blocks and threads) and "Sem o
// último concurso" are those of the plain walk. A history whose draws differ
// in size takes the plain walk or the halves.
TEST(TCombinationSearchTest, DenseGamesThroughTheComplementsAgreeWithTheReference) {
    for (const auto& [n, k, draws] : std::vector<std::tuple<int, int, int>>{
             {9, 5, 30}, {12, 8, 60}, {16, 10, 50}, {18, 12, 80}, {21, 17, 40}}) {
        TSearchGame game = RandomGame(n, k, draws, static_cast<uint32_t>(n * 31 + k));
        const int32_t total = static_cast<int32_t>(TCSN::Binomial(n, k));
        for (const bool uneven : {false, true}) {
            if (uneven) game.Draws[static_cast<size_t>(draws - 3)].pop_back();
            const TCombinationSearch search(game);
            for (const int32_t S : {10, 70}) {
                const Reference recurrence = Brute(game, S, true, true, total);
                const Reference best = Brute(game, S, false, false, total);
                for (const int32_t threads : {1, 2}) {
                    for (const auto& [complements, set] :
                         std::vector<std::pair<bool, TInstructionSet>>{{true, TInstructionSet::Automatic},
                                                                       {true, TInstructionSet::Portable},
                                                                       {false, TInstructionSet::Portable}}) {
                        SCOPED_TRACE(testing::Message()
                                     << n << "/" << k << " S=" << S << " uneven=" << uneven
                                     << " threads=" << threads << " complements=" << complements
                                     << " portable=" << (set == TInstructionSet::Portable));
                        TSearchOptions options;
                        options.Instructions = set;
                        options.SampleSize = S;
                        options.WithoutLast = true;
                        options.Threads = threads;
                        options.Complements = complements;
                        const TSearchResult found = search.Run(options);
                        ExpectSame(recurrence, found, true);
                        EXPECT_EQ(found.Examined, static_cast<double>(total));
                        options.Mode = TSearchMode::Best;
                        ExpectSame(best, search.Run(options), false);
                    }
                }
            }
        }
    }
}

TEST(TCombinationSearchTest, ExactConversionsMatchTheConverter) {
    const TCombinationSearch search(RandomGame(15, 5, 1, 1));
    TCSN converter(15, 5);
    std::vector<int32_t> balls(5);
    for (int32_t c = 1; c <= 3003; c += 7) {
        search.Unrank(static_cast<TCsnValue>(c), balls);
        converter.CSNToCombination(c);
        EXPECT_EQ(balls,
                  std::vector<int32_t>(converter.Combination.begin() + 1, converter.Combination.end()));
        EXPECT_EQ(search.Rank(balls), static_cast<TCsnValue>(c));
    }
    // 100/50 holds about 1e29 combinations, exactly.
    const TCombinationSearch huge(TSearchGame{100, 50, 1000, {std::vector<int32_t>(50, 1)}});
    EXPECT_EQ(TCombinationSearch::CsnText(huge.Total()), "100891344545564193334812497256");
}

TEST(TCombinationSearchTest, RealHistoriesOverAPrefixOfTheSpace) {
    for (const auto& [file, limit] :
         std::vector<std::pair<std::string, int32_t>>{{"megasena.csv", 30000}, {"lotofacil.csv", 30000}}) {
        const TLottery lottery(DataDir + "/" + file);
        const TSearchGame game = TCombinationSearch::GameOf(lottery);
        // The engine over the same prefix: a game cut to that many
        // combinations is not available, so compare the records the full
        // search reports only where they fall inside the prefix via a
        // reference over the whole prefix of both.
        TSearchGame small = game;
        const TCombinationSearch search(small);
        Reference ref = Brute(game, 60, false, true, limit);
        // Records of the prefix are the engine's records when stopped right
        // after the prefix: run with one thread and stop by candidates.
        TSearchOptions options;
        options.SampleSize = 60;
        options.Threads = 1;
        const TSearchResult full = search.Run(options);
        for (size_t h = 0; h < ref.count.size(); ++h) {
            // The full maximum is at least the prefix's, and where the full
            // record lies in the prefix both agree.
            EXPECT_GE(full.Count1[h], ref.count[h]);
            if (full.CSN1[h] <= static_cast<TCsnValue>(limit) && full.Count1[h] > 0) {
                EXPECT_EQ(full.Count1[h], ref.count[h]);
                EXPECT_EQ(static_cast<int32_t>(full.CSN1[h]), ref.csn[h]);
            }
        }
        if (file == "megasena.csv") {
            // Every thread count and both instruction paths give the same records.
            options.Threads = 2;
            const TSearchResult two = search.Run(options);
            options.Threads = 3;
            options.Instructions = TInstructionSet::Portable;
            const TSearchResult portable = search.Run(options);
            EXPECT_EQ(full.Count1, two.Count1);
            EXPECT_EQ(full.CSN1, two.CSN1);
            EXPECT_EQ(full.Recency1, two.Recency1);
            EXPECT_EQ(full.CSN1, portable.CSN1);
            EXPECT_EQ(full.Recency1, portable.Recency1);
        }
    }
}

TEST(TCombinationSearchTest, TiesGoToTheEarliestCandidate) {
    // Two identical draws of 1..3 out of 6: every combination has the same
    // counts as its mirror; the lowest CSN must win, with recency first.
    TSearchGame game{6, 3, 4, {{1, 2, 3}, {4, 5, 6}}};
    const TCombinationSearch search(game);
    TSearchOptions options;
    options.SampleSize = 2;
    options.Threads = 4;
    const TSearchResult r = search.Run(options);
    // h = 3: {1,2,3} (CSN 1) hits the oldest draw (recency 0), {4,5,6} (CSN 20)
    // the newest (recency 1): the newer one wins.
    EXPECT_EQ(r.Count1[3], 1);
    EXPECT_EQ(r.CSN1[3], TCsnValue(20));
    EXPECT_EQ(r.Last1[3], 3);
    options.Mode = TSearchMode::Best;
    const TSearchResult b = search.Run(options);
    EXPECT_EQ(b.CSN1[3], TCsnValue(1));
    // h = 1 and 2 are reached in both draws by CSN 2 = {1,2,4}.
    EXPECT_EQ(b.Count1[1], 1);
    EXPECT_EQ(b.Count1[2], 1);
    EXPECT_EQ(b.CSN1[1], TCsnValue(2));
    EXPECT_EQ(b.Count1[0], 1); // {1,2,3} misses the newer draw
    EXPECT_EQ(b.CSN1[0], TCsnValue(1));
}

TEST(TCombinationSearchTest, StreaksFilterAndListing) {
    const TSearchGame game = RandomGame(12, 3, 40, 7);
    const TCombinationSearch search(game);
    TCSN converter(12, 3);
    const int32_t Dp = 40;
    TSearchOptions options;
    options.Mode = TSearchMode::Consecutive;
    options.Threads = 3;
    const TSearchResult r = search.Run(options);
    std::vector<int32_t> best(4, 0), bestCsn(4, 0), prev(4, 0);
    std::vector<std::vector<int32_t>> table(4, std::vector<int32_t>(100, 0));
    for (int32_t c = 1; c <= 220; ++c) {
        converter.CSNToCombination(c);
        const std::vector<int32_t> comb(converter.Combination.begin() + 1, converter.Combination.end());
        const int32_t h0 = Hits(comb, game.Draws[Dp - 1]);
        int32_t j = 0;
        for (int32_t d = Dp - 1; d >= 1 && Hits(comb, game.Draws[static_cast<size_t>(d)]) == h0; --d) ++j;
        if (j > best[h0]) {
            prev[h0] = best[h0];
            best[h0] = j;
            bestCsn[h0] = c;
        }
        if (h0 >= 1 && j >= 1) ++table[h0][j];
    }
    for (size_t h = 0; h < 4; ++h) {
        EXPECT_EQ(r.Count1[h], best[h]);
        EXPECT_EQ(static_cast<int32_t>(r.CSN1[h]), bestCsn[h]);
        EXPECT_EQ(r.Count2[h], prev[h]);
        for (size_t j = 0; j < 100; ++j) EXPECT_EQ(r.StreakTable[h][j], table[h][j]);
    }
    // The listing of a filled cell holds exactly its count.
    for (int32_t h = 1; h <= 3; ++h)
        for (int32_t j = 1; j < 100; ++j)
            if (table[h][j] > 0) {
                TSearchOptions list;
                list.Mode = TSearchMode::Listing;
                list.ListHits = h;
                list.ListStreak = j;
                EXPECT_EQ(search.Run(list).Listing.size(), static_cast<size_t>(table[h][j]));
            }
    // A streak longer than 100 draws widens the table.
    TSearchGame same{8, 2, 4, std::vector<std::vector<int32_t>>(130, {1, 2})};
    const TSearchResult wide = TCombinationSearch(same).Run(options);
    EXPECT_EQ(wide.Count1[2], 129);
    ASSERT_GE(wide.StreakTable[2].size(), 130u);
    EXPECT_EQ(wide.StreakTable[2][129], 1);

    // Filter: threshold 1 over the same game, f = 0.
    options.Mode = TSearchMode::Filter;
    options.Threshold = 1;
    const TSearchResult f = search.Run(options);
    int32_t maxDelay = 0, maxAdvance = 0;
    std::vector<TCsnValue> delays, advances;
    for (int32_t c = 1; c <= 220; ++c) {
        converter.CSNToCombination(c);
        const std::vector<int32_t> comb(converter.Combination.begin() + 1, converter.Combination.end());
        const bool below = Hits(comb, game.Draws[Dp - 1]) < 1;
        int32_t run = 0;
        for (int32_t d = Dp - 1; d >= 1 && (Hits(comb, game.Draws[static_cast<size_t>(d)]) < 1) == below; --d)
            ++run;
        int32_t& mx = below ? maxDelay : maxAdvance;
        auto& list = below ? delays : advances;
        if (run > mx) {
            mx = run;
            list.clear();
        }
        if (run == mx && list.size() < 101) list.push_back(static_cast<TCsnValue>(c));
    }
    EXPECT_EQ(f.MaxDelay, maxDelay);
    EXPECT_EQ(f.MaxAdvance, maxAdvance);
    EXPECT_EQ(f.DelayList, delays);
    EXPECT_EQ(f.AdvanceList, advances);
}

TEST(TCombinationSearchTest, ReducedUniverseRepeatsFromItsSeedAndStaysInRange) {
    const TCombinationSearch search(TSearchGame{100, 50, 2.8e10, {std::vector<int32_t>(50, 1)}});
    TCombinationSearch::TGenerator a{42, 0}, b{42, 0};
    const double length = search.ReducedLength(10);
    EXPECT_EQ(length, 280000.0); // 2.8e11 cut by tens
    const auto first = search.ReducedCandidates(a, 1000);
    EXPECT_EQ(first, search.ReducedCandidates(b, 1000));
    for (const TCsnValue c : first) {
        EXPECT_GE(c, TCsnValue(1));
        EXPECT_LE(c, search.Total());
    }
    // The counter keeps advancing far above 2^53.
    EXPECT_GT(first.back(), first.front());
    TSearchOptions options;
    EXPECT_NE(search.Check(options).find("Universo reduzido"), std::string::npos);
    options.ReducedUniverse = true;
    EXPECT_EQ(search.Check(options), "");
}

TEST(TCombinationSearchTest, DoubleCheckAndAStopKeepTheRecords) {
    const TSearchGame game = RandomGame(15, 5, 60, 3);
    const TCombinationSearch search(game);
    TSearchOptions options;
    options.SampleSize = 50;
    options.DoubleCheck = true;
    const TSearchResult r = search.Run(options);
    TCSN converter(15, 5);
    for (int32_t h = 0; h <= 5; ++h) {
        if (r.Count1[h] == 0) continue;
        converter.CSNToCombination(static_cast<double>(r.CSN1[h]));
        const std::vector<int32_t> a(converter.Combination.begin() + 1, converter.Combination.end());
        int32_t best = 0, bestCsn = 0;
        for (int32_t c = 1; c <= 3003; ++c) {
            converter.CSNToCombination(c);
            const std::vector<int32_t> b(converter.Combination.begin() + 1, converter.Combination.end());
            int32_t cur = 0;
            for (int32_t s = 50; s >= 1; --s)
                cur += Hits(a, game.Draws[60 - s]) == h || Hits(b, game.Draws[60 - s]) == h ? 1 : 0;
            if (cur > best) {
                best = cur;
                bestCsn = c;
            }
        }
        EXPECT_EQ(r.Count2[h], best);
        EXPECT_EQ(static_cast<int32_t>(r.CSN2[h]), bestCsn);
    }

    // Stopped at the first progress report: records of what was examined.
    const TCombinationSearch mega(TCombinationSearch::GameOf(TLottery(DataDir + "/megasena.csv")));
    TSearchOptions stopOptions;
    stopOptions.SampleSize = 60;
    const TSearchResult stopped = mega.Run(stopOptions, [](const TSearchProgress&) { return false; });
    EXPECT_TRUE(stopped.Stopped);
    EXPECT_LT(stopped.Examined, 50063860.0);
    EXPECT_GT(stopped.Examined, 0.0);
    EXPECT_GT(stopped.Count1[0], 0);

    // The same on Lotofácil, whichever way its space is walked: what the
    // stopped search reports is the truth about the combinations it names.
    const TSearchGame lotofacil = TCombinationSearch::GameOf(TLottery(DataDir + "/lotofacil.csv"));
    const TCombinationSearch fifteen(lotofacil);
    for (const TInstructionSet set : {TInstructionSet::Automatic, TInstructionSet::Portable}) {
        stopOptions.Instructions = set;
        // A fast machine may finish before the first report.
        const TSearchResult part = fifteen.Run(stopOptions, [](const TSearchProgress&) { return false; });
        if (part.Examined < 3268760.0) {
            EXPECT_TRUE(part.Stopped);
        }
        std::vector<int32_t> balls(15);
        const auto D = lotofacil.Draws.size();
        for (int32_t h = 0; h <= 15; ++h) {
            if (part.Count1[h] == 0) continue;
            fifteen.Unrank(part.CSN1[h], balls);
            int32_t count = 0;
            for (size_t s = D - 60; s < D; ++s) count += Hits(balls, lotofacil.Draws[s]) == h ? 1 : 0;
            EXPECT_EQ(count, part.Count1[h]) << h;
            EXPECT_EQ(Hits(balls, lotofacil.Draws[D - 1]), part.Last1[h]) << h;
        }
    }
}

} // namespace
