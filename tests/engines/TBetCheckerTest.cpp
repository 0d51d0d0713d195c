// Checking bets against the history: the engine against a plain double loop
// over bets and draws on random games (60/6, 25/15 and the zero-based
// 100/20), bets larger than k, tier counts on a hand-made history, a stopped
// run, the expected counts against a direct enumeration of every draw, the
// bets file's refusals with their line numbers, and the reports.
#include "TBetChecker.h"
#include "NumberText.h"
#include "TLottery.h"
#include "TempFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Game = TBetChecker::Game;

// A random history of `draws` draws of k distinct balls out of n (numbered
// from 0 in a zero-based game); contests start at 101.
Game RandomGame(int n, int k, bool zeroBased, int draws, std::mt19937& random) {
    Game game{n, k, zeroBased, {}, {}};
    std::vector<int> balls(static_cast<size_t>(n));
    std::iota(balls.begin(), balls.end(), zeroBased ? 0 : 1);
    for (int d = 0; d < draws; ++d) {
        std::shuffle(balls.begin(), balls.end(), random);
        game.Contests.push_back(101 + d);
        game.Draws.emplace_back(balls.begin(), balls.begin() + k);
    }
    return game;
}

TBetList RandomBets(const Game& game, int count, int minBalls, int maxBalls, std::mt19937& random) {
    TBetList bets;
    std::vector<int> balls(static_cast<size_t>(game.Elements));
    std::iota(balls.begin(), balls.end(), game.ZeroBased ? 0 : 1);
    std::uniform_int_distribution<int> size(minBalls, maxBalls);
    for (int b = 0; b < count; ++b) {
        std::shuffle(balls.begin(), balls.end(), random);
        bets.Add(std::span<const int>(balls.data(), static_cast<size_t>(size(random))));
    }
    return bets;
}

// The reference: every bet against every draw of the range, one ball at a time.
void ExpectAgreesWithDoubleLoop(const Game& game, const TBetList& bets, TBetChecker::Range range,
                                const TBetChecker::Result& result) {
    ASSERT_EQ(result.Bets.size(), bets.Count());
    const int k = game.PerCombination;
    std::vector<double> observed(result.Tiers.size(), 0);
    for (size_t b = 0; b < bets.Count(); ++b) {
        const std::set<int> bet(bets.Bet(b).begin(), bets.Bet(b).end());
        std::vector<int> counts(static_cast<size_t>(k) + 1, 0);
        int best = -1, bestContest = 0;
        for (int d = range.Begin; d < range.End; ++d) {
            int hits = 0;
            for (const int ball : game.Draws[static_cast<size_t>(d)]) hits += bet.count(ball) ? 1 : 0;
            ++counts[static_cast<size_t>(hits)];
            if (hits >= best) {
                best = hits;
                bestContest = game.Contests[static_cast<size_t>(d)];
            }
        }
        for (size_t t = 0; t < result.Tiers.size(); ++t) {
            const int h = result.Tiers[t];
            ASSERT_EQ(result.Count(b, t), counts[static_cast<size_t>(h)]) << "bet " << b << " hits " << h;
            observed[t] += counts[static_cast<size_t>(h)];
        }
        ASSERT_EQ(result.Bets[b].Best, std::max(best, 0)) << "bet " << b;
        ASSERT_EQ(result.Bets[b].BestContest, bestContest) << "bet " << b;
    }
    EXPECT_EQ(result.Observed, observed);
}

struct Shape {
    int n, k;
    bool zeroBased;
    int draws;
};

TEST(TBetChecker, AgreesWithADoubleLoopOnRandomGames) {
    std::mt19937 random(38);
    // Draw counts on both sides of a 64-draw word.
    for (const Shape shape : {Shape{60, 6, false, 200}, Shape{25, 15, false, 129}, Shape{100, 20, true, 64},
                              Shape{100, 20, true, 1}}) {
        SCOPED_TRACE(std::to_string(shape.n) + "/" + std::to_string(shape.k));
        const TBetChecker checker(RandomGame(shape.n, shape.k, shape.zeroBased, shape.draws, random));
        const TBetList bets =
            RandomBets(checker.GetGame(), 300, shape.k, std::min(shape.n, shape.k + 4), random);
        // Every hit count as a tier, and only the top two (the best then
        // comes from the hit counts below the tiers too).
        std::vector<int> every(static_cast<size_t>(shape.k) + 1);
        std::iota(every.begin(), every.end(), 0);
        const std::vector<int> top = {shape.k, shape.k - 1};
        for (const auto& tiers : {every, top})
            for (const int threads : {1, 2}) {
                const TBetChecker::Result whole = checker.Run(bets, checker.Whole(), tiers, {}, threads);
                EXPECT_FALSE(whole.Stopped);
                EXPECT_EQ(whole.Contests, shape.draws);
                ExpectAgreesWithDoubleLoop(checker.GetGame(), bets, checker.Whole(), whole);
            }
        const TBetChecker::Range part = checker.RangeOf(103, 101 + shape.draws - 2);
        ExpectAgreesWithDoubleLoop(checker.GetGame(), bets, part, checker.Run(bets, part, every));
    }
}

TEST(TBetChecker, ABetOfEightBallsCountsItsHitsAmongTheEight) {
    // 60/6: draws hitting 6, 3 and 0 of the bet 1..8.
    const TBetChecker checker(
        Game{60, 6, false, {7, 8, 9}, {{1, 2, 3, 4, 5, 6}, {8, 7, 6, 50, 51, 52}, {10, 20, 30, 40, 50, 60}}});
    TBetList bets;
    bets.Add(std::vector<int>{8, 7, 6, 5, 4, 3, 2, 1});
    const TBetChecker::Result result = checker.Run(bets, checker.Whole(), {0, 3, 4, 5, 6});
    EXPECT_EQ(result.Tiers, (std::vector<int>{6, 5, 4, 3, 0}));
    EXPECT_EQ(result.Count(0, 0), 1); // 6 hits
    EXPECT_EQ(result.Count(0, 1), 0);
    EXPECT_EQ(result.Count(0, 3), 1); // 3 hits
    EXPECT_EQ(result.Count(0, 4), 1); // 0 hits
    EXPECT_EQ(result.Bets[0].Best, 6);
    EXPECT_EQ(result.Bets[0].BestContest, 7);
    EXPECT_EQ(checker.HitsPerContest(bets.Bet(0), checker.Whole()), (std::vector<int>{6, 3, 0}));
    // The chance of 6 hits with 8 balls: C(8,6)/C(60,6) = 28 / 50,063,860.
    EXPECT_NEAR(checker.HitProbabilities(8)[6], 28.0 / 50063860.0, 1e-20);
}

TEST(TBetChecker, TierCountsOnAHandMadeHistory) {
    // A 10/3 game, tiers 3 and 2, contests 1..6.
    const TBetChecker checker(Game{10,
                                   3,
                                   false,
                                   {1, 2, 3, 4, 5, 6},
                                   {{1, 2, 3}, {1, 2, 4}, {3, 2, 1}, {5, 6, 10}, {1, 7, 8}, {2, 3, 9}}});
    TBetList bets;
    bets.Add(std::vector<int>{1, 2, 3});
    bets.Add(std::vector<int>{4, 5, 6});
    bets.Add(std::vector<int>{8, 9, 10});
    const TBetChecker::Result result = checker.Run(bets, checker.Whole(), {3, 2});
    // {1,2,3}: 3 hits in contests 1 and 3, 2 in 2 and 6, 1 in 5, 0 in 4.
    EXPECT_EQ(result.Count(0, 0), 2);
    EXPECT_EQ(result.Count(0, 1), 2);
    EXPECT_EQ(result.Bets[0].Best, 3);
    EXPECT_EQ(result.Bets[0].BestContest, 3); // the newest of the two
    // {4,5,6}: 2 hits in contest 4, 1 in contest 2.
    EXPECT_EQ(result.Count(1, 0), 0);
    EXPECT_EQ(result.Count(1, 1), 1);
    EXPECT_EQ(result.Bets[1].Best, 2);
    EXPECT_EQ(result.Bets[1].BestContest, 4);
    // {8,9,10}: one hit in contests 4, 5 and 6: the newest is 6.
    EXPECT_EQ(result.Bets[2].Best, 1);
    EXPECT_EQ(result.Bets[2].BestContest, 6);
    EXPECT_EQ(result.Observed, (std::vector<double>{2, 3}));

    // Contests 2..4 only.
    const TBetChecker::Result part = checker.Run(bets, checker.RangeOf(2, 4), {3, 2});
    EXPECT_EQ(part.Contests, 3);
    EXPECT_EQ(part.FirstContest, 2);
    EXPECT_EQ(part.LastContest, 4);
    EXPECT_EQ(part.Count(0, 0), 1);
    EXPECT_EQ(part.Count(0, 1), 1);

    // An empty range: no contest, no best contest.
    const TBetChecker::Result none = checker.Run(bets, checker.RangeOf(7, 9), {3, 2});
    EXPECT_EQ(none.Contests, 0);
    EXPECT_EQ(none.Bets[0].Best, 0);
    EXPECT_EQ(none.Count(0, 0), 0);
    EXPECT_EQ(none.Expected[0], 0);
}

TEST(TBetChecker, ExpectedCountsMatchAnEnumerationOfEveryDraw) {
    // 9/3 and bets of 3 and 5 balls: every one of the C(9,3) = 84 draws once,
    // so the observed counts of a bet are exactly its chances times 84.
    Game game{9, 3, false, {}, {}};
    for (int a = 1; a <= 9; ++a)
        for (int b = a + 1; b <= 9; ++b)
            for (int c = b + 1; c <= 9; ++c) {
                game.Contests.push_back(static_cast<int>(game.Contests.size()) + 1);
                game.Draws.push_back({a, b, c});
            }
    ASSERT_EQ(game.Draws.size(), 84u);
    const TBetChecker checker(game);
    TBetList bets;
    bets.Add(std::vector<int>{1, 2, 3});
    bets.Add(std::vector<int>{2, 4, 6, 8, 9});
    const TBetChecker::Result result = checker.Run(bets, checker.Whole(), {3, 2, 1, 0});
    for (size_t t = 0; t < 4; ++t) EXPECT_NEAR(result.Expected[t], result.Observed[t], 1e-9) << t;
    // Worked, 9/3 and a bet of 5: P(3) = C(5,3)/C(9,3) = 10/84; no hit
    // takes all 3 from the other 4 balls: P(0) = C(4,3)/84.
    EXPECT_NEAR(checker.HitProbabilities(5)[3], 10.0 / 84.0, 1e-15);
    EXPECT_NEAR(checker.HitProbabilities(5)[0], 4.0 / 84.0, 1e-15);
}

TEST(TBetChecker, AStopKeepsTheBetsCheckedSoFar) {
    std::mt19937 random(7);
    const TBetChecker checker(RandomGame(60, 6, false, 3000, random));
    const TBetList bets = RandomBets(checker.GetGame(), 200000, 6, 6, random);
    int calls = 0;
    const TBetChecker::Result result = checker.Run(
        bets, checker.Whole(), {6, 5, 4}, [&calls](const TBetChecker::Progress&) { return ++calls > 1; });
    if (!result.Stopped) GTEST_SKIP() << "the run ended before the stop";
    EXPECT_LT(result.Checked, bets.Count());
    EXPECT_EQ(result.Bets.size(), result.Checked);
    TBetList prefix;
    for (size_t b = 0; b < result.Checked && b < 500; ++b) prefix.Add(bets.Bet(b));
    TBetChecker::Result head = result;
    head.Bets.resize(prefix.Count());
    head.TierCounts.resize(prefix.Count() * head.Tiers.size());
    head.Observed = checker.Run(prefix, checker.Whole(), {6, 5, 4}).Observed;
    ExpectAgreesWithDoubleLoop(checker.GetGame(), prefix, checker.Whole(), head);
}

// ---- The bets file ----

const TBetList::Rules MegaSena{60, 6, false};
const TBetList::Rules Lotomania{100, 20, true};

TEST(TBetList, ReadsBlanksCommasSemicolonsCommentsAndAnyLineEnd) {
    std::string error;
    const TBetList bets = TBetList::Parse("\xEF\xBB\xBF# minhas apostas\r\n"
                                          "1 2 3 4 5 6\r\n"
                                          "\r\n"
                                          "   # outra\n"
                                          "60,59, 58;57;\t56  55\r"
                                          "10 20 30 40 50 60 5 7\n",
                                          MegaSena, error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(bets.Count(), 3u);
    EXPECT_EQ(TBetList::Text(bets.Bet(1)), "55 56 57 58 59 60");
    EXPECT_EQ(bets.Line(0), 2);
    EXPECT_EQ(bets.Line(1), 5);
    EXPECT_EQ(bets.Line(2), 6);
    EXPECT_EQ(bets.MaxBalls(), 8);
}

TEST(TBetList, EveryBadLineIsRefusedWithItsNumber) {
    const struct {
        const char* line;
        const char* message;
    } cases[] = {
        {"1 2 3 4 5 61", "Linha 3: a bola 61 está fora de 1 a 60."},
        {"0 1 2 3 4 5", "Linha 3: a bola 0 está fora de 1 a 60."},
        {"1 2 3 4 5 -6", "Linha 3: a bola -6 está fora de 1 a 60."},
        {"1 2 3 4 5 99999999999999", "Linha 3: a bola 99999999999999 está fora de 1 a 60."},
        {"1 2 3 4 5 5", "Linha 3: a bola 5 aparece mais de uma vez."},
        {"1 2 3 4 05 5", "Linha 3: a bola 5 aparece mais de uma vez."},
        {"1 2 3 4 5", "Linha 3: a aposta tem 5 bolas; são necessárias pelo menos 6."},
        {";;7", "Linha 3: a aposta tem 1 bola; são necessárias pelo menos 6."},
        {"1 2 3 4 5 6a", "Linha 3: \"6a\" não é um número."},
        {"1 2 3 4 5 6.0", "Linha 3: \"6.0\" não é um número."},
        {"1 2 3 4 5 +", "Linha 3: \"+\" não é um número."},
        {"um dois três quatro cinco seis", "Linha 3: \"um\" não é um número."},
    };
    for (const auto& c : cases) {
        std::string error;
        const TBetList bets = TBetList::Parse(
            std::string("1 2 3 4 5 6\n# comentário\n") + c.line + "\n7 8 9 10 11 12\n", MegaSena, error);
        EXPECT_EQ(error, c.message) << c.line;
        EXPECT_TRUE(bets.Empty()) << c.line;
    }
}

TEST(TBetList, ZeroBasedGamesTakeBallsAsTheyArePrinted) {
    std::string error;
    const std::string good = "00 01 02 03 04 05 06 07 08 09 10 11 12 13 14 15 16 17 18 99\n";
    const TBetList bets = TBetList::Parse(good, Lotomania, error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(bets.Count(), 1u);
    EXPECT_EQ(bets.Bet(0).front(), 0);
    EXPECT_EQ(bets.Bet(0).back(), 99);
    TBetList::Parse("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 100\n", Lotomania, error);
    EXPECT_EQ(error, "Linha 1: a bola 100 está fora de 0 a 99.");
}

TEST(TBetList, NoBetIsNoErrorAndAMissingFileIsOne) {
    std::string error;
    EXPECT_TRUE(TBetList::Parse("\n# nada\n\n", MegaSena, error).Empty());
    EXPECT_EQ(error, "");
    TempFolder folder;
    EXPECT_TRUE(TBetList::Load((folder.Path() / "none.txt").string(), MegaSena, error).Empty());
    EXPECT_NE(error, "");
    const std::string file = folder.Write("bets.txt", "1 2 3 4 5 6\r\n7 8 9 10 11 12\r\n");
    EXPECT_EQ(TBetList::Load(file, MegaSena, error).Count(), 2u);
    EXPECT_EQ(error, "");
}

// ---- The history and the reports ----

TEST(TBetChecker, ReadsAZeroBasedHistoryAsTheGridShowsIt) {
    TempFolder folder;
    TLottery lottery(folder.Write("g.csv", "Concurso;Bola1;Bola2;Bola3\n10;0;5;9\n11;1;2;3\n"));
    ASSERT_TRUE(lottery.ZeroBased);
    const TBetChecker checker(TBetChecker::GameOf(lottery));
    EXPECT_EQ(checker.Rules().FirstBall(), 0);
    EXPECT_EQ(checker.Rules().LastBall(), 9);
    std::string error;
    const TBetList bets = TBetList::Parse("0 5 9\n0 1 9 3\n", checker.Rules(), error);
    ASSERT_EQ(error, "");
    const TBetChecker::Result result = checker.Run(bets, checker.Whole(), {3, 2});
    EXPECT_EQ(result.Bets[0].Best, 3);
    EXPECT_EQ(result.Bets[0].BestContest, 10);
    EXPECT_EQ(result.Bets[1].Best, 2);
    EXPECT_EQ(result.Bets[1].BestContest, 11);
}

TEST(TBetChecker, ReportsAsTabSeparatedTextAndJson) {
    NumberText::SetDecimalSeparator(',');
    const TBetChecker checker(Game{10, 3, false, {1, 2}, {{1, 2, 3}, {1, 2, 4}}});
    TBetList bets;
    bets.Add(std::vector<int>{1, 2, 3});
    const TBetChecker::Result result = checker.Run(bets, checker.Whole(), {3, 2});
    // Chance of 3 hits: 1/120 per contest, of 2: 21/120.
    EXPECT_EQ(TBetChecker::ToTsv(result, bets), "Concursos\t2\t1\t2\n"
                                                "\n"
                                                "Aposta\t3 acertos\t2 acertos\tMelhor\tConcurso\n"
                                                "1 2 3\t1\t1\t3\t1\n"
                                                "\n"
                                                "Faixa\tObservado\tEsperado\n"
                                                "3 acertos\t1\t0,01667\n"
                                                "2 acertos\t1\t0,35\n");
    const QJsonObject json = TBetChecker::ToJson(result, bets);
    const QJsonObject bet = json["bets"].toArray()[0].toObject();
    EXPECT_EQ(bet["balls"].toArray(), (QJsonArray{1, 2, 3}));
    EXPECT_EQ(bet["tiers"].toObject()["3"].toInt(), 1);
    EXPECT_EQ(bet["tiers"].toObject()["2"].toInt(), 1);
    EXPECT_EQ(bet["best"].toInt(), 3);
    EXPECT_EQ(bet["best_contest"].toInt(), 1);
    const QJsonObject totals = json["totals"].toObject();
    EXPECT_EQ(totals["observed"].toObject()["3"].toDouble(), 1);
    EXPECT_NEAR(totals["expected"].toObject()["3"].toDouble(), 2.0 / 120.0, 1e-15);
    EXPECT_NEAR(totals["expected"].toObject()["2"].toDouble(), 2 * 21.0 / 120.0, 1e-15);
    // The streamed text is the same document, byte for byte.
    EXPECT_EQ(TBetChecker::ToJsonText(result, bets),
              QJsonDocument(json).toJson(QJsonDocument::Compact).toStdString());
}

TEST(TBetChecker, StreamedJsonIsTheJsonDocument) {
    std::mt19937 random(5);
    const TBetChecker checker(RandomGame(100, 20, true, 90, random));
    const TBetList bets = RandomBets(checker.GetGame(), 40, 20, 50, random);
    for (const auto range : {checker.Whole(), checker.RangeOf(1000, 2000)}) {
        const TBetChecker::Result result = checker.Run(bets, range, {20, 19, 18, 17, 16, 15, 0});
        const QJsonObject document = TBetChecker::ToJson(result, bets);
        EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(TBetChecker::ToJsonText(result, bets)))
                      .object(),
                  document);
    }
}

} // namespace
