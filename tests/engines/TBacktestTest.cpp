#include "TBacktest.h"

#include "CoreTestSupport.h"
#include "NumberText.h"
#include "TLottery.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

#include <QJsonArray>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>

namespace {

using Stats = TBacktestStatistics;

// Every k-subset of 1..n, in lexicographic order.
void ForEachCombination(int n, int k, const std::function<void(const std::vector<int>&)>& visit) {
    std::vector<int> c(static_cast<size_t>(k));
    for (int i = 0; i < k; ++i) c[static_cast<size_t>(i)] = i + 1;
    for (;;) {
        visit(c);
        int i = k - 1;
        while (i >= 0 && c[static_cast<size_t>(i)] == n - k + i + 1) --i;
        if (i < 0) return;
        ++c[static_cast<size_t>(i)];
        for (int j = i + 1; j < k; ++j) c[static_cast<size_t>(j)] = c[static_cast<size_t>(j - 1)] + 1;
    }
}

int Common(const std::vector<int>& a, const std::vector<int>& b) {
    int hits = 0;
    for (const int v : a) hits += std::count(b.begin(), b.end(), v) > 0 ? 1 : 0;
    return hits;
}

// The hits of a fixed forecast against every draw of the game.
Stats::Distribution Enumerated(int n, int k, const std::vector<int>& forecast) {
    Stats::Distribution counts(static_cast<size_t>(std::min<int>(k, static_cast<int>(forecast.size()))) + 1, 0);
    long double draws = 0;
    ForEachCombination(n, k, [&](const std::vector<int>& draw) {
        counts[static_cast<size_t>(Common(forecast, draw))] += 1;
        draws += 1;
    });
    for (auto& c : counts) c /= draws;
    return counts;
}

std::vector<std::vector<int>> UniformDraws(int n, int k, int count, std::uint64_t seed) {
    std::mt19937_64 engine(seed);
    std::vector<std::vector<int>> draws;
    std::vector<int> balls(static_cast<size_t>(n));
    for (int d = 0; d < count; ++d) {
        for (int i = 0; i < n; ++i) balls[static_cast<size_t>(i)] = i + 1;
        std::shuffle(balls.begin(), balls.end(), engine);
        draws.emplace_back(balls.begin(), balls.begin() + k);
    }
    return draws;
}

// Settings that keep the networks and searches small.
TBacktest::Settings Cheap(int contests) {
    TBacktest::Settings s;
    s.Contests = contests;
    s.Cap = 2;
    s.SegmentationVotes = 3;
    s.SegmentationCut = 1;
    s.LexicographicSample = 14;
    s.SegmentationSample = 14;
    s.BestSample = 20;
    s.Threads = 2;
    s.Seed = 7;
    return s;
}

class BacktestTest : public ::testing::Test {
protected:
    void SetUp() override { NumberText::SetDecimalSeparator(','); }
    TempFolder folder;
};

} // namespace

TEST_F(BacktestTest, HypergeometricTermsMatchEnumeration) {
    for (const auto& [n, k] : {std::pair{10, 3}, std::pair{12, 4}}) {
        for (int m = 0; m <= n; ++m) {
            std::vector<int> forecast;
            for (int i = 1; i <= m; ++i) forecast.push_back(2 * i <= n ? 2 * i : 2 * i - n - 1);
            const auto exact = Enumerated(n, k, forecast);
            const auto law = Stats::Hits(n, k, m);
            ASSERT_EQ(law.size(), exact.size()) << n << "/" << k << " m=" << m;
            for (size_t x = 0; x < law.size(); ++x) EXPECT_NEAR(static_cast<double>(law[x]), static_cast<double>(exact[x]), 1e-15);
            EXPECT_NEAR(static_cast<double>(Stats::Mean(law)), static_cast<double>(m) * k / n, 1e-15);
        }
    }
    // A worked value: 6 numbers of Mega-Sena hit all six once in C(60, 6).
    EXPECT_NEAR(static_cast<double>(Stats::Hits(60, 6, 6)[6]), 1.0 / 50063860.0, 1e-22);
}

TEST_F(BacktestTest, ConvolutionMatchesEnumerationOverContests) {
    // Three contests of 10/3 with forecasts of 3, 5 and 1 numbers, and two of
    // 12/4 with 4 and 7: every combination of draws enumerated.
    struct Case {
        int n, k;
        std::vector<std::vector<int>> forecasts;
    };
    for (const Case& c : {Case{10, 3, {{1, 2, 3}, {2, 4, 6, 8, 10}, {7}}}, Case{12, 4, {{1, 5, 9, 12}, {1, 2, 3, 4, 5, 6, 7}}}}) {
        std::vector<std::vector<int>> all;
        ForEachCombination(c.n, c.k, [&](const std::vector<int>& d) { all.push_back(d); });
        Stats::Distribution exact(1, 1.0L);
        // Sum distribution by brute force: nested loops over the contests.
        std::vector<long double> counts(40, 0);
        long double outcomes = 0;
        std::function<void(size_t, int)> walk = [&](size_t i, int sum) {
            if (i == c.forecasts.size()) {
                counts[static_cast<size_t>(sum)] += 1;
                outcomes += 1;
                return;
            }
            for (const auto& d : all) walk(i + 1, sum + Common(c.forecasts[i], d));
        };
        walk(0, 0);
        Stats::Distribution sum{1.0L};
        for (const auto& f : c.forecasts) sum = Stats::Convolve(sum, Stats::Hits(c.n, c.k, static_cast<int>(f.size())));
        for (size_t s = 0; s < counts.size(); ++s) {
            const long double expected = counts[s] / outcomes;
            const long double got = s < sum.size() ? sum[s] : 0.0L;
            EXPECT_NEAR(static_cast<double>(got), static_cast<double>(expected), 1e-15) << "S=" << s;
        }
        long double tail = 0;
        for (size_t s = 2; s < counts.size(); ++s) tail += counts[s] / outcomes;
        EXPECT_NEAR(static_cast<double>(Stats::AtLeast(sum, 2)), static_cast<double>(tail), 1e-15);
        EXPECT_NEAR(static_cast<double>(Stats::AtMost(sum, 1)), static_cast<double>(1 - tail), 1e-15);
    }
}

TEST_F(BacktestTest, DistanceLawMatchesEnumerationAndBoundsIt) {
    // 10/3: 120 CSNs. Three contests, every triple of drawn CSNs enumerated.
    const double total = 120;
    const std::vector<double> forecasts = {1, 60, 117};
    std::vector<long double> counts(400, 0);
    for (int a = 1; a <= 120; ++a)
        for (int b = 1; b <= 120; ++b)
            for (int c = 1; c <= 120; ++c)
                counts[static_cast<size_t>(std::abs(a - 1) + std::abs(b - 60) + std::abs(c - 117))] += 1;
    const long double outcomes = 120.0L * 120 * 120;
    long double below = 0;
    for (int x = 0; x < 400; x += 1) {
        below += counts[static_cast<size_t>(x)] / outcomes;
        if (x % 7 != 0) continue;
        const auto exact = Stats::DistanceAtMost(forecasts, total, x);
        EXPECT_NEAR(static_cast<double>(exact.High), static_cast<double>(below), 1e-15) << x;
        EXPECT_EQ(exact.Low, exact.High);
        // Coarse cells (q = 18) bracket the exact value.
        const auto coarse = Stats::DistanceAtMost(forecasts, total, x, 7);
        EXPECT_LE(static_cast<double>(coarse.Low), static_cast<double>(below) + 1e-15) << x;
        EXPECT_GE(static_cast<double>(coarse.High), static_cast<double>(below) - 1e-15) << x;
    }
    // E|F - D|: a forecast at the middle of 1..120 and at an end.
    long double middle = 0;
    for (int d = 1; d <= 120; ++d) middle += std::abs(d - 60);
    EXPECT_NEAR(static_cast<double>(Stats::ExpectedDistance(60, total)), static_cast<double>(middle / 120), 1e-15);
    EXPECT_NEAR(static_cast<double>(Stats::ExpectedDistance(1, total)), 119.0 / 2, 1e-15);
}

TEST_F(BacktestTest, HolmAdjustsStepDown) {
    const std::vector<long double> p = {0.01L, 0.04L, 0.03L, 0.5L};
    const auto adjusted = Stats::Holm(p);
    EXPECT_NEAR(static_cast<double>(adjusted[0]), 0.04, 1e-18);
    EXPECT_NEAR(static_cast<double>(adjusted[2]), 0.09, 1e-18);
    EXPECT_NEAR(static_cast<double>(adjusted[1]), 0.09, 1e-18); // max(0.03 x 3, 0.04 x 2)
    EXPECT_NEAR(static_cast<double>(adjusted[3]), 0.5, 1e-18);
    EXPECT_EQ(TBacktest::VerdictText(TBacktest::Verdict::Above, 0.0123L), "acima do acaso (p = 0,0123)");
    EXPECT_EQ(TBacktest::VerdictText(TBacktest::Verdict::Below, 2.5e-7L), "abaixo do acaso (p = 2,5E-7)");
    EXPECT_EQ(TBacktest::VerdictText(TBacktest::Verdict::Chance, 0.3L), "dentro do acaso");
}

TEST_F(BacktestTest, PrefixHistoryEqualsTheFileCutBeforeTheContest) {
    const std::string text = ReadFile(TOVISCA_DATA_DIR "/megasena.csv");
    const TLottery full(folder.Write("full.csv", text));
    const TLottery cut(folder.Write("cut.csv", FirstDraws(text, 500)));
    const TLottery prefix(full, 500);
    ASSERT_TRUE(prefix.Loaded);
    EXPECT_EQ(prefix.DrawCount, 500);
    EXPECT_EQ(prefix.Draws, cut.Draws);
    EXPECT_EQ(prefix.SortedDraws, cut.SortedDraws);
    EXPECT_EQ(prefix.CSNs, cut.CSNs);
    EXPECT_EQ(prefix.Presence, cut.Presence);
    EXPECT_EQ(prefix.PositionProbabilities, cut.PositionProbabilities);
    EXPECT_EQ(TLottery(full, 99999).DrawCount, full.DrawCount);
}

TEST_F(BacktestTest, NoForecastSeesItsContestOrLater) {
    // Two histories equal before draw t and different from t on: every
    // forecast of t must be bit for bit the same.
    const auto draws = UniformDraws(25, 5, 120, 11);
    auto changed = draws;
    const int t = 100;
    const auto other = UniformDraws(25, 5, 120, 99);
    for (int d = t; d < 120; ++d) changed[static_cast<size_t>(d)] = other[static_cast<size_t>(d)];
    const TLottery a(folder.Write("a.csv", History(draws)));
    const TLottery b(folder.Write("b.csv", History(changed)));
    auto settings = Cheap(120 - t);
    const auto ra = TBacktest::Run(a, settings);
    const auto rb = TBacktest::Run(b, settings);
    ASSERT_EQ(ra.Rows.size(), static_cast<size_t>(TBacktest::MethodCount));
    for (size_t r = 0; r < ra.Rows.size(); ++r) {
        const auto& ea = ra.Rows[r].Entries.front();
        const auto& eb = rb.Rows[r].Entries.front();
        ASSERT_EQ(ea.Draw, t);
        EXPECT_EQ(ea.Forecast, eb.Forecast) << ra.Rows[r].Key;
        EXPECT_EQ(std::memcmp(&ea.ForecastCSN, &eb.ForecastCSN, sizeof(double)), 0) << ra.Rows[r].Key;
        EXPECT_NE(ea.Drawn, eb.Drawn);
    }
}

TEST_F(BacktestTest, UniformHistoryStaysWithinChanceAndAPlantedForecasterIsCaught) {
    const auto draws = UniformDraws(20, 4, 2030, 2024);
    const TLottery lottery(folder.Write("uniform.csv", History(draws)));
    auto settings = Cheap(2000);
    settings.Cap = 1;
    settings.SegmentationVotes = 1;
    settings.SegmentationTrainings = 3;
    // Allowed to read draw t: it gives two of t's numbers and two others.
    settings.Extras.push_back({"planted", "Plantado", [&lottery, &draws](const TLottery& before) {
                                   const auto t = static_cast<size_t>(before.DrawCount);
                                   TBacktest::Pick pick;
                                   pick.Numbers = {lottery.SortedDraws[0][t], lottery.SortedDraws[1][t]};
                                   for (int v = 1; pick.Numbers.size() < 4; ++v)
                                       if (std::find(draws[t].begin(), draws[t].end(), v) == draws[t].end())
                                           pick.Numbers.push_back(v);
                                   return pick;
                               }});
    const auto result = TBacktest::Run(lottery, settings);
    ASSERT_EQ(result.Done, 2000);
    for (const auto& row : result.Rows) {
        EXPECT_EQ(row.Contests, 2000) << row.Key;
        if (row.Key == "planted") {
            EXPECT_EQ(row.Outcome, TBacktest::Verdict::Above);
            EXPECT_EQ(row.Hits, 4000);
            EXPECT_TRUE(row.VerdictText.starts_with("acima do acaso (p = ")) << row.VerdictText;
            continue;
        }
        EXPECT_EQ(row.Outcome, TBacktest::Verdict::Chance) << row.Key << " hits " << row.Hits << " expected "
                                                           << static_cast<double>(row.Expected) << " p "
                                                           << static_cast<double>(row.PAbove);
        EXPECT_EQ(row.VerdictText, "dentro do acaso");
        if (row.HasCSN) {
            EXPECT_GT(static_cast<double>(row.DistanceP), 0.001) << row.Key;
        }
        // The chance band holds the expected path.
        EXPECT_LE(row.BandLow.back(), 0);
        EXPECT_GE(row.BandHigh.back(), 0);
    }
}

TEST_F(BacktestTest, SeededRunRepeatsExactlyOnAnyThreadCount) {
    const TLottery lottery(folder.Write("g.csv", History(UniformDraws(30, 5, 80, 5))));
    auto settings = Cheap(12);
    const auto first = TBacktest::Run(lottery, settings);
    settings.Threads = 1;
    const auto second = TBacktest::Run(lottery, settings);
    EXPECT_EQ(first.ToTsv(), second.ToTsv());
    EXPECT_EQ(first.ToJson(), second.ToJson());
    settings.Seed = 8;
    const auto reseeded = TBacktest::Run(lottery, settings);
    EXPECT_NE(first.ToJson()["forecasters"], reseeded.ToJson()["forecasters"]);
    EXPECT_GT(first.Networks, 0);
}

TEST_F(BacktestTest, StopKeepsAndScoresTheContestsDone) {
    const TLottery lottery(folder.Write("g.csv", History(UniformDraws(30, 5, 400, 6))));
    auto settings = Cheap(300);
    settings.Cap = 50;
    const auto result =
        TBacktest::Run(lottery, settings, [](const TBacktest::Progress& p) { return p.Done < 3; });
    EXPECT_TRUE(result.Stopped);
    EXPECT_GE(result.Done, 3);
    EXPECT_LT(result.Done, 300);
    for (const auto& row : result.Rows) {
        EXPECT_EQ(row.Contests, result.Done);
        EXPECT_GT(static_cast<double>(row.Expected), 0) << row.Key;
        EXPECT_EQ(row.Excess.size(), static_cast<size_t>(result.Done));
    }
    const auto json = result.ToJson();
    EXPECT_TRUE(json["stopped"].toBool());
    EXPECT_EQ(json["forecasters"].toArray().first().toObject()["per_contest"].toArray().size(), static_cast<qsizetype>(result.Done));
}

TEST_F(BacktestTest, MethodListsAndTexts) {
    std::vector<TBacktest::Method> methods;
    std::string error;
    EXPECT_TRUE(TBacktest::ParseMethods("random,lex-csn,random", methods, error));
    EXPECT_EQ(methods, (std::vector{TBacktest::Method::Random, TBacktest::Method::LexicographicCSN}));
    EXPECT_FALSE(TBacktest::ParseMethods("random,oracle", methods, error));
    EXPECT_EQ(error, "oracle");
    EXPECT_FALSE(TBacktest::ParseMethods("", methods, error));

    const TLottery lottery(folder.Write("g.csv", History(UniformDraws(10, 3, 40, 3))));
    auto settings = Cheap(5);
    settings.Methods = {TBacktest::Method::Random};
    const auto result = TBacktest::Run(lottery, settings);
    const auto& row = result.Rows.front();
    // Three numbers of ten against three drawn: 0.9 hits expected per contest.
    EXPECT_NEAR(static_cast<double>(row.Expected), 4.5, 1e-12);
    const auto detail = TBacktest::Detail(row);
    ASSERT_EQ(detail.size(), 6u);
    EXPECT_EQ(detail[0], (std::vector<std::string>{"Concurso", "Previsão", "Sorteio", "Acertos"}));
    EXPECT_EQ(detail[1][0], "36");
    const auto tsv = result.ToTsv();
    EXPECT_TRUE(tsv.starts_with("Previsor\tConcursos\tAcertos\tEsperado\tValor p\tVeredito")) << tsv;
    EXPECT_NE(tsv.find("Aleatória (controle)\t5\t"), std::string::npos) << tsv;
    EXPECT_NE(tsv.find("\t4,50\t"), std::string::npos) << tsv;
}
