// The chance audit: the corrected ball-frequency test holds its level on
// uniform histories where the plain one does not, a planted hot ball is
// found and named, hand-worked positional, pair, delay and sum cases, the
// geometric delay band against a simulation, the multiple-comparison
// corrections on worked numbers, the synthetic records repeating from their
// seed, and the texts and JSON of a real history's audit.
#include "TChanceAudit.h"
#include "NumberText.h"
#include "TLottery.h"
#include "TempFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

using Audit = TChanceAudit;
using Draws = TChanceAudit::Draws;

class ChanceAuditTest : public ::testing::Test {
protected:
    void SetUp() override { NumberText::SetDecimalSeparator(','); }
};

// The share of `histories` uniform histories of `draws` draws of k out of n
// on which the ball-frequency test rejects at Alpha.
double RejectionRate(int n, int k, int draws, int histories, bool corrected) {
    int rejected = 0;
    for (int h = 0; h < histories; ++h) {
        const Draws history = Audit::SyntheticHistory(n, k, draws, 1000 + static_cast<uint64_t>(h));
        if (Audit::BallFrequency(n, k, history, corrected).Outside) ++rejected;
    }
    return static_cast<double>(rejected) / histories;
}

TEST_F(ChanceAuditTest, CorrectedBallFrequencyHoldsItsLevelOnUniformHistories) {
    const double mega = RejectionRate(60, 6, 500, 200, true);
    const double facil = RejectionRate(25, 15, 500, 200, true);
    EXPECT_GE(mega, 0.01);
    EXPECT_LE(mega, 0.11);
    EXPECT_GE(facil, 0.01);
    EXPECT_LE(facil, 0.11);
    // The plain statistic has mean n - k = 10 against 24 degrees of freedom.
    EXPECT_LE(RejectionRate(25, 15, 500, 200, false), 0.005);
}

TEST_F(ChanceAuditTest, CorrectedStatisticIsThePlainOneScaled) {
    const Draws history = Audit::SyntheticHistory(25, 15, 300, 5);
    const TChanceTest plain = Audit::BallFrequency(25, 15, history, false);
    const TChanceTest corrected = Audit::BallFrequency(25, 15, history, true);
    EXPECT_NEAR(corrected.Statistic, plain.Statistic * 24.0 / 10.0, 1e-9);
    ASSERT_TRUE(corrected.Df.has_value());
    EXPECT_EQ(*corrected.Df, 24);
    EXPECT_EQ(corrected.Rows.size(), 25u);
}

TEST_F(ChanceAuditTest, PlantedHotBallIsFlaggedAndNamed) {
    // Draws of 6 out of 60 where ball 7 weighs 1.5 and every other ball 1:
    // ball 7 comes about 1.5 times as often as any other.
    std::mt19937_64 generator(42);
    Draws history;
    for (int d = 0; d < 3000; ++d) {
        std::vector<double> weight(60, 1.0);
        weight[6] = 1.5;
        std::vector<int32_t> draw;
        for (int i = 0; i < 6; ++i) {
            std::discrete_distribution<int> pick(weight.begin(), weight.end());
            const int ball = pick(generator);
            draw.push_back(ball + 1);
            weight[static_cast<size_t>(ball)] = 0;
        }
        history.push_back(draw);
    }
    const TChanceTest test = Audit::BallFrequency(60, 6, history);
    EXPECT_TRUE(test.Outside);
    EXPECT_EQ(test.Verdict.rfind("fora do acaso (p = ", 0), 0u) << test.Verdict;
    ASSERT_EQ(test.Flagged, std::vector<std::string>{"7"});
    EXPECT_GT(test.Value(6, "z"), 3);
    EXPECT_LT(test.Value(6, "p_holm"), 0.05);
    EXPECT_LT(test.Value(6, "p_bh"), 0.05);
    EXPECT_NE(test.Tsv().find("Bolas fora do acaso (Holm): 7\n"), std::string::npos);
}

TEST_F(ChanceAuditTest, HolmAndBenjaminiHochbergOnWorkedNumbers) {
    const std::vector<double> p{0.01, 0.04, 0.03, 0.005};
    const std::vector<double> holm = Audit::Holm(p);
    const std::vector<double> bh = Audit::BenjaminiHochberg(p);
    const std::vector<double> holmExpected{0.03, 0.06, 0.06, 0.02};
    const std::vector<double> bhExpected{0.02, 0.04, 0.04, 0.02};
    for (size_t i = 0; i < p.size(); ++i) {
        EXPECT_NEAR(holm[i], holmExpected[i], 1e-12) << i;
        EXPECT_NEAR(bh[i], bhExpected[i], 1e-12) << i;
    }
    EXPECT_EQ(Audit::Holm(std::vector<double>{0.9, 0.8})[0], 1.0);
}

TEST_F(ChanceAuditTest, VerdictTexts) {
    EXPECT_EQ(Audit::Verdict(0.2), "dentro do acaso");
    EXPECT_EQ(Audit::Verdict(0.05), "dentro do acaso");
    EXPECT_EQ(Audit::Verdict(0.00848), "fora do acaso (p = 0,00848)");
    EXPECT_EQ(Audit::Verdict(1.5e-7), "fora do acaso (p = 1,5E-7)");
}

// n = 4, k = 2: the smallest ball is b with probability C(4 - b, 1)/6, the
// largest with probability C(b - 1, 1)/6.
std::vector<std::vector<double>> FourTwoProbabilities() {
    return {{3 / 6.0, 0}, {2 / 6.0, 1 / 6.0}, {1 / 6.0, 2 / 6.0}, {0, 3 / 6.0}};
}

TEST_F(ChanceAuditTest, PositionalHandWorked) {
    // 60 draws: expectations 30, 20, 10, 0 at the first position; counts 36,
    // 18, 6: X^2 = 36/30 + 4/20 + 16/10 = 3 with 2 degrees of freedom,
    // p = exp(-3/2). The second position matches its expectation exactly.
    const std::vector<std::vector<int32_t>> counts{{36, 0}, {18, 10}, {6, 20}, {0, 30}};
    const TChanceTest test = Audit::Positional(counts, FourTwoProbabilities(), 60);
    ASSERT_EQ(test.Rows.size(), 2u);
    EXPECT_NEAR(test.Value(0, "statistic"), 3.0, 1e-12);
    EXPECT_EQ(test.Value(0, "df"), 2);
    EXPECT_EQ(test.Value(0, "cells"), 3);
    EXPECT_NEAR(test.Value(0, "p_value"), std::exp(-1.5), 1e-12);
    EXPECT_NEAR(test.Value(1, "statistic"), 0.0, 1e-12);
    // Holm over two positions: 2 exp(-3/2).
    EXPECT_NEAR(test.PValue, 2 * std::exp(-1.5), 1e-12);
    EXPECT_FALSE(test.Outside);
}

TEST_F(ChanceAuditTest, PositionalPoolsSparseCells) {
    // 12 draws: first position expects 6, 4, 2, 0: ball 1 alone, balls 2..4
    // pooled (6). Counts 8, 3, 1, 0: X^2 = 4/6 + 4/6 with 1 degree of freedom.
    // The second position expects 0, 2, 4, 6: balls 1..3 pooled, then ball 4.
    const std::vector<std::vector<int32_t>> counts{{8, 0}, {3, 2}, {1, 4}, {0, 6}};
    const TChanceTest test = Audit::Positional(counts, FourTwoProbabilities(), 12);
    EXPECT_EQ(test.Value(0, "cells"), 2);
    EXPECT_EQ(test.Value(0, "df"), 1);
    EXPECT_NEAR(test.Value(0, "statistic"), 8.0 / 6.0, 1e-12);
    EXPECT_NEAR(test.Value(0, "p_value"), std::erfc(std::sqrt(8.0 / 6.0 / 2)), 1e-12);
    EXPECT_EQ(test.Value(1, "cells"), 2);
    EXPECT_NEAR(test.Value(1, "statistic"), 0.0, 1e-12);
}

TEST_F(ChanceAuditTest, PositionCountsSortTheDraws) {
    const Draws draws{{3, 1}, {2, 4}, {1, 2}};
    const auto counts = Audit::PositionCounts(4, 2, draws);
    EXPECT_EQ(counts[0], (std::vector<int32_t>{2, 0}));
    EXPECT_EQ(counts[1], (std::vector<int32_t>{1, 1}));
    EXPECT_EQ(counts[2], (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(counts[3], (std::vector<int32_t>{0, 1}));
}

TEST_F(ChanceAuditTest, PairsHandWorked) {
    // n = 4, k = 2: a pair is drawn with probability 1/6. Four draws: {1,2}
    // three times, {3,4} once. P(X >= 3) = (4 x 5 + 1)/1296 = 21/1296.
    const Draws draws{{1, 2}, {2, 1}, {1, 2}, {3, 4}};
    const TChanceTest test = Audit::Pairs(4, 2, draws);
    ASSERT_EQ(test.Rows.size(), 6u);
    EXPECT_EQ(test.Value(0, "a"), 1);
    EXPECT_EQ(test.Value(0, "b"), 2);
    EXPECT_EQ(test.Value(0, "count"), 3);
    EXPECT_NEAR(test.Value(0, "expected"), 4 / 6.0, 1e-12);
    EXPECT_NEAR(test.Value(0, "p_value"), 2 * 21 / 1296.0, 1e-12);
    // A pair never drawn: 2 P(X = 0) = 2 x 625/1296; {3,4} once: capped at 1.
    EXPECT_NEAR(test.Value(1, "p_value"), 2 * 625 / 1296.0, 1e-12);
    EXPECT_EQ(test.Value(5, "p_value"), 1.0);
    // BH: the smallest of six, 6 x 42/1296.
    EXPECT_NEAR(test.Value(0, "p_bh"), 6 * 42 / 1296.0, 1e-12);
    EXPECT_EQ(test.Statistic, 0);
    EXPECT_FALSE(test.Outside);
    EXPECT_FALSE(test.Df.has_value());
}

TEST_F(ChanceAuditTest, PairsFlagAHistoryOfOnePair) {
    const Draws draws(30, std::vector<int32_t>{1, 2});
    const TChanceTest test = Audit::Pairs(4, 2, draws);
    // {1,2} far too often, every other pair never: 2 (5/6)^30 = 0.0084.
    EXPECT_EQ(test.Statistic, 6);
    EXPECT_TRUE(test.Outside);
    EXPECT_EQ(test.Flagged.front(), "1-2");
    EXPECT_NE(test.Tsv().find("Pares fora do acaso (q = 0,05): 6 de 6\n"), std::string::npos);
}

TEST_F(ChanceAuditTest, DelaysHandWorked) {
    // n = 4, k = 2, q = 1/2: ball 1 and 2 in the last draw, ball 3 one draw
    // ago, ball 4 never (delay 3, P = 1/8).
    const Draws draws{{1, 2}, {1, 3}, {1, 2}};
    const TChanceTest test = Audit::Delays(4, 2, draws);
    EXPECT_EQ(test.Value(0, "delay"), 0);
    EXPECT_EQ(test.Value(2, "delay"), 1);
    EXPECT_EQ(test.Value(3, "delay"), 3);
    EXPECT_NEAR(test.Value(3, "p_value"), 0.125, 1e-12);
    EXPECT_NEAR(test.Value(3, "percentile"), 87.5, 1e-9);
    EXPECT_NEAR(test.Value(2, "percentile"), 50, 1e-9);
    EXPECT_EQ(test.Value(0, "percentile"), 0);
    EXPECT_EQ(test.Statistic, 3);
    EXPECT_NEAR(test.PValue, 0.5, 1e-12); // Holm: 4 x 1/8
}

TEST_F(ChanceAuditTest, DelayBandWorkedNumbers) {
    // 60/6: 0.9^(x + 1) <= 0.05 from x = 28; 0.1^(a + 1) from a = 1.
    EXPECT_EQ(Audit::DelayBand(60, 6).Delay, 28);
    EXPECT_EQ(Audit::DelayBand(60, 6).Advance, 1);
    // 25/15: 0.4^(x + 1) from x = 3; 0.6^(a + 1) from a = 5.
    EXPECT_EQ(Audit::DelayBand(25, 15).Delay, 3);
    EXPECT_EQ(Audit::DelayBand(25, 15).Advance, 5);
}

TEST_F(ChanceAuditTest, DelayBandAgainstASimulation) {
    for (const auto& [n, k] : {std::pair{60, 6}, std::pair{25, 15}}) {
        const Draws history = Audit::SyntheticHistory(n, k, 20000, 99);
        const Audit::TDelayBand band = Audit::DelayBand(n, k);
        std::vector<int> delay(static_cast<size_t>(n) + 1, 0), advance(static_cast<size_t>(n) + 1, 0);
        std::vector<long> delayAt(200, 0), advanceAt(200, 0);
        long cells = 0;
        for (size_t d = 0; d < history.size(); ++d) {
            std::vector<bool> in(static_cast<size_t>(n) + 1, false);
            for (const int32_t ball : history[d]) in[static_cast<size_t>(ball)] = true;
            for (int b = 1; b <= n; ++b) {
                const auto i = static_cast<size_t>(b);
                delay[i] = in[i] ? 0 : delay[i] + 1;
                advance[i] = in[i] ? advance[i] + 1 : 0;
                if (d < 500) continue; // every run has started
                delayAt[static_cast<size_t>(std::min(delay[i], 199))] += 1;
                advanceAt[static_cast<size_t>(std::min(advance[i], 199))] += 1;
            }
            if (d >= 500) cells += n;
        }
        auto share = [&](const std::vector<long>& at, int upto) {
            long sum = 0;
            for (int x = 0; x <= upto; ++x) sum += at[static_cast<size_t>(x)];
            return static_cast<double>(sum) / static_cast<double>(cells);
        };
        const double q = 1 - static_cast<double>(k) / n;
        for (int x = 1; x <= 8; ++x)
            EXPECT_NEAR(1 - share(delayAt, x - 1), std::pow(q, x), 0.01) << n << " " << x;
        EXPECT_GE(share(delayAt, band.Delay), 0.945) << n;
        EXPECT_LT(share(delayAt, band.Delay - 1), 0.955) << n;
        EXPECT_GE(share(advanceAt, band.Advance), 0.945) << n;
        if (band.Advance > 0) {
            EXPECT_LT(share(advanceAt, band.Advance - 1), 0.955) << n;
        }
    }
}

TEST_F(ChanceAuditTest, SumHandWorked) {
    // n = 4, k = 2: mean 5, variance 2 x 2 x 5/12.
    const TChanceTest centred = Audit::Sum(4, 2, Draws{{1, 2}, {3, 4}});
    EXPECT_NEAR(centred.Value(0, "expected_mean"), 5, 1e-12);
    EXPECT_NEAR(centred.Value(0, "expected_variance"), 20 / 12.0, 1e-12);
    EXPECT_NEAR(centred.Statistic, 0, 1e-12);
    EXPECT_NEAR(centred.PValue, 1, 1e-12);
    // Eight draws of sum 7: z = 2 / sqrt(20/12/8) = 4.38.
    const TChanceTest high = Audit::Sum(4, 2, Draws(8, std::vector<int32_t>{3, 4}));
    EXPECT_NEAR(high.Statistic, 2 / std::sqrt(20 / 12.0 / 8), 1e-12);
    EXPECT_TRUE(high.Outside);
    // A uniform history's mean sum is within chance.
    EXPECT_FALSE(Audit::Sum(60, 6, Audit::SyntheticHistory(60, 6, 2000, 3)).Outside);
}

TEST_F(ChanceAuditTest, SyntheticHistoriesAreUniformDraws) {
    const Draws history = Audit::SyntheticHistory(10, 3, 500, 11);
    ASSERT_EQ(history.size(), 500u);
    for (const auto& draw : history) {
        ASSERT_EQ(draw.size(), 3u);
        EXPECT_LT(draw[0], draw[1]);
        EXPECT_LT(draw[1], draw[2]);
        EXPECT_GE(draw[0], 1);
        EXPECT_LE(draw[2], 10);
    }
    EXPECT_EQ(Audit::SyntheticHistory(10, 3, 5, 11), Draws(history.begin(), history.begin() + 5));
}

TEST_F(ChanceAuditTest, SyntheticRecordsRepeatFromTheirSeed) {
    TSearchOptions options = Audit::RecordOptions(4845, 20, 7);
    options.Threads = 1;
    const TSyntheticRecords first = Audit::SyntheticRecords(20, 4, 0, options, 5, 7);
    const TSyntheticRecords again = Audit::SyntheticRecords(20, 4, 0, options, 5, 7);
    const TSyntheticRecords fewer = Audit::SyntheticRecords(20, 4, 0, options, 3, 7);
    const TSyntheticRecords other = Audit::SyntheticRecords(20, 4, 0, options, 5, 8);
    ASSERT_EQ(first.Records.size(), 5u);
    EXPECT_EQ(first.Records, again.Records);
    EXPECT_EQ(fewer.Records, decltype(first.Records)(first.Records.begin(), first.Records.begin() + 3));
    EXPECT_NE(first.Records, other.Records);
    // Each record is the search's on that history: h = 0 is reached in at
    // least as many draws as any other count, and every record is within S.
    for (const auto& records : first.Records) {
        ASSERT_EQ(records.size(), 5u);
        for (const int32_t r : records) EXPECT_LE(r, 20);
        EXPECT_GT(records[0], 0);
    }
    bool stopped = false;
    const TSyntheticRecords halted = Audit::SyntheticRecords(20, 4, 0, options, 5, 7, [&](double done) {
        stopped = done > 0.3;
        return !stopped;
    });
    EXPECT_TRUE(halted.Stopped);
    EXPECT_LT(halted.Records.size(), 5u);
}

TEST_F(ChanceAuditTest, RecordsEmpiricalPValues) {
    TSyntheticRecords chance;
    chance.SampleSize = 40;
    chance.Records = {{5, 2}, {3, 2}, {4, 1}, {5, 2}};
    const std::vector<int32_t> real{5, 3};
    const TChanceTest test = Audit::Records(real, chance);
    // h = 0: two of four at least 5: (1 + 2)/5; h = 1: none reach 3: 1/5.
    EXPECT_NEAR(test.Value(0, "p_value"), 0.6, 1e-12);
    EXPECT_NEAR(test.Value(1, "p_value"), 0.2, 1e-12);
    EXPECT_EQ(test.Value(0, "chance_min"), 3);
    EXPECT_EQ(test.Value(0, "chance_max"), 5);
    EXPECT_NEAR(test.Value(0, "chance_median"), 4.5, 1e-12);
    EXPECT_NEAR(test.Value(1, "chance_mean"), 1.75, 1e-12);
    EXPECT_EQ(test.Statistic, 1);
    EXPECT_NEAR(test.PValue, 0.4, 1e-12); // Holm: 2 x 0.2
    EXPECT_FALSE(test.Outside);
}

TEST_F(ChanceAuditTest, AuditOfARealHistoryAsTextAndJson) {
    TempFolder folder;
    // The first 200 draws of the Mega-Sena file.
    std::string text;
    {
        std::FILE* file = std::fopen(TOVISCA_DATA_DIR "/megasena.csv", "rb");
        ASSERT_NE(file, nullptr);
        char buffer[4096];
        size_t read = 0;
        while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, read);
        std::fclose(file);
    }
    size_t end = 0;
    for (int line = 0; line <= 200; ++line) end = text.find("\r\n", end) + 2;
    const TLottery lottery(folder.Write("m.csv", text.substr(0, end)));
    TChanceAudit::TOptions options;
    options.Repeats = 3;
    options.Threads = 1;
    const std::vector<TChanceTest> tests = Audit::Audit(lottery, options);
    ASSERT_EQ(tests.size(), 6u);
    const std::vector<std::string> names{"ball_frequency", "positional", "delay", "pairs", "sum", "records"};
    for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(tests[i].Test, names[i]);
    EXPECT_EQ(tests[0].Rows.size(), 60u);
    EXPECT_EQ(tests[3].Rows.size(), 1770u);
    EXPECT_EQ(tests[5].Rows.size(), 7u);
    EXPECT_EQ(tests[0].Value(0, "count") + tests[0].Value(1, "count") >= 0, true);

    const std::string tsv = Audit::Tsv(tests);
    EXPECT_EQ(tsv.rfind("Teste\tEstatística\tgl\tp\tVeredito\nFrequência das bolas\t", 0), 0u);
    EXPECT_NE(tsv.find("\nBola\tContagem\tEsperado\tz\tp\tp Holm\tp BH\n1\t"), std::string::npos);
    EXPECT_NE(tsv.find("Históricos sintéticos: 3 de 60 concursos (semente 1)"), std::string::npos);

    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(Audit::Json(tests)));
    const QJsonArray array = document.object()["tests"].toArray();
    ASSERT_EQ(array.size(), 6);
    const QJsonObject balls = array[0].toObject();
    EXPECT_EQ(balls["test"].toString(), "ball_frequency");
    EXPECT_EQ(balls["df"].toDouble(), 59);
    EXPECT_NEAR(balls["statistic"].toDouble(), tests[0].Statistic, 1e-9);
    EXPECT_NEAR(balls["p_value"].toDouble(), tests[0].PValue, 1e-15);
    EXPECT_EQ(balls["verdict"].toString().toStdString(), tests[0].Verdict);
    const QJsonObject firstBall = balls["rows"].toArray()[0].toObject();
    EXPECT_EQ(firstBall["ball"].toInt(), 1);
    EXPECT_EQ(firstBall["count"].toInt(), static_cast<int>(tests[0].Value(0, "count")));
    EXPECT_TRUE(firstBall.contains("p_holm"));
    const QJsonObject pairs = array[3].toObject();
    EXPECT_FALSE(pairs.contains("df"));
    EXPECT_EQ(pairs["rows"].toArray().size(), 1770);
    EXPECT_EQ(pairs["rows"].toArray()[0].toObject()["b"].toInt(), 2);
}

} // namespace
