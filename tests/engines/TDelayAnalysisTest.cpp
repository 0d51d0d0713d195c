// The delay analysis without a window: the table of small hand-worked
// histories in each view, the table of a random history against the counters
// that define it, "Produto" beyond 32 bits and beyond a double, the
// statistics and report of one ball, the theoretical maximum delay, the
// training set and a seeded forecast.
#include "TDelayAnalysis.h"
#include "CoreTestSupport.h"
#include "NumberText.h"
#include "TLottery.h"
#include "TempFiles.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Analysis = TDelayAnalysis;
using View = TDelayAnalysis::View;
using Texts = std::vector<std::string>;

// Ten draws of a 5-ball game, 2 balls a draw. Ball 1 is drawn in draws 1
// and 2, absent from 3 to 5, drawn in 6.
const std::vector<std::vector<int>> Ten = {{1, 2}, {1, 3}, {2, 3}, {4, 5}, {2, 4},
                                           {1, 5}, {1, 2}, {3, 4}, {3, 5}, {1, 3}};

Texts Column(const Analysis& analysis, int column) {
    Texts texts;
    for (int r = 1; r < analysis.RowCount(); ++r) texts.push_back(analysis.CellText(r, column));
    return texts;
}

class DelayTest : public ::testing::Test {
protected:
    void SetUp() override { NumberText::SetDecimalSeparator(','); }
    TLottery& Game(const std::vector<std::vector<int>>& draws) {
        lottery = std::make_unique<TLottery>(folder.Write("game.csv", History(draws)));
        return *lottery;
    }
    TempFolder folder;
    std::unique_ptr<TLottery> lottery;
};

TEST_F(DelayTest, AbsoluteAndRandomWalkTablesOfAHandWorkedHistory) {
    Analysis analysis(Game(Ten));
    EXPECT_EQ(analysis.RowCount(), 11);
    EXPECT_EQ(analysis.ColumnCount(), 8);
    EXPECT_EQ(analysis.RowTexts(0),
              Texts({"Concurso", "Dez.1", "Dez.2", "Dez.3", "Dez.4", "Dez.5", "Soma", "Produto"}));
    EXPECT_EQ(Column(analysis, 0), Texts({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    EXPECT_EQ(Column(analysis, 1), Texts({"1", "2", "-1", "-2", "-3", "1", "2", "-1", "-2", "1"}));
    EXPECT_EQ(Column(analysis, 3), Texts({"-1", "1", "2", "-1", "-2", "-3", "-4", "1", "2", "3"}));
    EXPECT_EQ(Column(analysis, 6), Texts({"-1", "-2", "-4", "-2", "-3", "-3", "-4", "-2", "-2", "-2"}));
    // The product of the positive cells; 1 when there is none.
    EXPECT_EQ(Column(analysis, 7), Texts({"1", "2", "2", "1", "2", "1", "2", "1", "2", "3"}));
    EXPECT_EQ(analysis.RowTexts(7), Texts({"7", "2", "1", "-4", "-2", "-1", "-4", "2"}));

    analysis.Load(View::RandomWalk);
    EXPECT_EQ(analysis.ColumnCount(), 9);
    EXPECT_EQ(analysis.RowTexts(0).back(), "");
    EXPECT_EQ(analysis.RowTexts(0)[6], "Soma");
    EXPECT_EQ(Column(analysis, 1), Texts({"1", "2", "1", "0", "-1", "0", "1", "0", "-1", "0"}));
    EXPECT_EQ(analysis.RowTexts(3), Texts({"3", "1", "1", "1", "-3", "-3", "-3", "1", ""}));
    // Each draw adds K steps up and N - K down: the sum is r (2K - N).
    EXPECT_EQ(Column(analysis, 6), Texts({"-1", "-2", "-3", "-4", "-5", "-6", "-7", "-8", "-9", "-10"}));
    // Outside the table every cell is empty and reads as 0.
    EXPECT_EQ(analysis.CellText(11, 1), "");
    EXPECT_EQ(analysis.Cell(11, 1), 0);
    EXPECT_EQ(analysis.Cell(-1, 1), 0);
    EXPECT_EQ(analysis.Cell(3, 6), -3);
}

TEST_F(DelayTest, RelativeViewOfOneDraw) {
    // N = 25, K = 15: after a draw holding the ball p = 101 / 2515.
    std::vector<int> draw;
    for (int b = 11; b <= 25; ++b) draw.push_back(b);
    Analysis analysis(Game({draw}));
    analysis.Load(View::Relative);
    ASSERT_EQ(analysis.ColumnCount(), 29);
    const Texts header = analysis.RowTexts(0);
    EXPECT_EQ(Texts(header.end() - 3, header.end()), Texts({"Média", "Variância", "Desvio padrão"}));
    const Texts row = analysis.RowTexts(1);
    EXPECT_EQ(row[25], "0,000159");
    EXPECT_EQ(row[1], "-0,000239");
    EXPECT_EQ(Texts(row.end() - 3, row.end()), Texts({"0,00000000", "0,00000004", "0,00019479"}));
    // Read back as shown.
    EXPECT_DOUBLE_EQ(analysis.Cell(1, 25), 0.000159);
    EXPECT_DOUBLE_EQ(analysis.Cell(1, 28), 0.00019479);
    NumberText::SetDecimalSeparator('.');
    EXPECT_EQ(analysis.CellText(1, 25), "0.000159");
}

TEST_F(DelayTest, ZeroBasedGameAndABallNeverDrawn) {
    // Ball values 0..4 stand for balls 1..5; value 2 (ball 3) never comes.
    Analysis analysis(Game({{0, 1}, {0, 4}, {1, 4}, {0, 1}}));
    EXPECT_EQ(analysis.Elements(), 5);
    EXPECT_EQ(Column(analysis, 1), Texts({"1", "2", "-1", "1"}));
    EXPECT_EQ(Column(analysis, 3), Texts({"-1", "-2", "-3", "-4"}));
    EXPECT_EQ(Column(analysis, 5), Texts({"-1", "1", "2", "-1"}));
    analysis.Load(View::RandomWalk);
    EXPECT_EQ(Column(analysis, 3), Texts({"-1", "-2", "-3", "-4"}));
    analysis.Load(View::Relative);
    EXPECT_EQ(analysis.CellText(4, 3), NumberText::FormatFixed(100.0 / 508 - 0.2, 6));
    // Its statistics are defined: no delay beyond the table, correlations are numbers.
    analysis.Load(View::Absolute);
    analysis.Selected = 2;
    analysis.SampleSize = 10;
    const Analysis::PreviewResult preview = analysis.Preview();
    EXPECT_EQ(preview.Sample.First, 5);
    EXPECT_EQ(preview.Sample.Last, 5); // the sample lies beyond four draws: empty cells
    for (const double c : preview.Correlations) EXPECT_TRUE(std::isfinite(c));
    EXPECT_EQ(preview.Memo.front(), "Tendência à atraso");
    EXPECT_FALSE(analysis.PrepareTraining()) << "no training row";
}

TEST_F(DelayTest, RandomHistoryAgreesWithTheCountersOfEveryView) {
    // Balls drawn at random (sometimes twice in a draw); the table follows
    // the counters that define each view, draw after draw.
    std::mt19937 random(5);
    const int n = 12;
    const int k = 3;
    std::vector<std::vector<int>> draws(300, std::vector<int>(k));
    for (auto& draw : draws)
        for (int& ball : draw) ball = 1 + static_cast<int>(random() % (n - 1));
    draws[0][0] = n;
    Analysis analysis(Game(draws));
    std::vector<int> run(n + 1), walk(n + 1), count(n + 1, 100);
    int total = 100 * n;
    for (size_t d = 0; d < draws.size(); ++d) {
        const int row = static_cast<int>(d) + 1;
        std::vector<int> drawn(n + 1);
        for (const int ball : draws[d]) {
            drawn[static_cast<size_t>(ball)] = 1;
            ++count[static_cast<size_t>(ball)];
            ++total;
        }
        for (int b = 1; b <= n; ++b) {
            int& c = run[static_cast<size_t>(b)];
            c = drawn[static_cast<size_t>(b)] ? std::max(c, 0) + 1 : std::min(c, 0) - 1;
            walk[static_cast<size_t>(b)] += drawn[static_cast<size_t>(b)] ? 1 : -1;
            analysis.Load(View::Absolute);
            ASSERT_EQ(analysis.Cell(row, b), c) << row << " " << b;
            analysis.Load(View::RandomWalk);
            ASSERT_EQ(analysis.Cell(row, b), walk[static_cast<size_t>(b)]);
            analysis.Load(View::Relative);
            ASSERT_EQ(analysis.CellText(row, b),
                      NumberText::FormatFixed(
                          static_cast<double>(count[static_cast<size_t>(b)]) / total - 1.0 / n, 6));
        }
    }
    // The walks over runs of rows, the aggregate column and the copy text agree with the cells.
    for (const View view : {View::Absolute, View::RandomWalk, View::Relative}) {
        analysis.Load(view);
        const Analysis::Rows rows{-2, 305};
        const std::vector<double> ball = analysis.BallSeries(7, rows);
        const std::vector<double> aggregate = analysis.AggregateSeries(rows);
        for (int r = rows.First; r <= rows.Last; ++r) {
            ASSERT_EQ(ball[static_cast<size_t>(r - rows.First)], analysis.Cell(r, 7)) << r;
            ASSERT_EQ(aggregate[static_cast<size_t>(r - rows.First)], analysis.Cell(r, n + 1)) << r;
        }
        std::string text;
        for (int r = 0; r < analysis.RowCount(); ++r) {
            for (const std::string& cell : analysis.RowTexts(r)) text += cell + "\t";
            text += "\r\n";
        }
        EXPECT_EQ(analysis.TableText(), text);
    }
}

TEST_F(DelayTest, ProductNeitherWrapsNorOverflows) {
    // Every ball in every draw: each cell is the row number, the product r^N.
    std::vector<std::vector<int>> draws(50, {1, 2, 3, 4, 5});
    Analysis five(Game(draws));
    EXPECT_EQ(five.CellText(50, 7), "312500000"); // 50^5
    EXPECT_EQ(five.CellText(48, 6), "240");
    draws.resize(100, {1, 2, 3, 4, 5});
    Analysis hundred(Game(draws));
    // 100^5 = 10^10 is beyond 32 bits.
    EXPECT_EQ(hundred.CellText(100, 7), "10000000000");
    EXPECT_EQ(hundred.Cell(100, 7), 1e10);
    // 200 balls: 50^200 = 6.2230152778611... x 10^339 is beyond a double.
    std::vector<int> all(200);
    for (int b = 1; b <= 200; ++b) all[static_cast<size_t>(b - 1)] = b;
    Analysis wide(Game(std::vector<std::vector<int>>(50, all)));
    wide.Load(View::RandomWalk);
    EXPECT_EQ(wide.CellText(50, 202), "6,22301527786E339");
    EXPECT_EQ(wide.CellText(40, 201), "8000");
    EXPECT_EQ(wide.Cell(50, 202), std::numeric_limits<double>::max());
    const Analysis::Product product = wide.RowProduct(2);
    EXPECT_EQ(product.Text(), NumberText::FormatGeneral(std::pow(2.0, 200)));
}

TEST_F(DelayTest, MaxDelayAndSampleRows) {
    EXPECT_EQ(Analysis::MaxDelay(60, 6), 68);
    EXPECT_EQ(Analysis::MaxDelay(25, 15), 11);
    for (const auto& [n, k] : {std::pair(5, 2), std::pair(80, 5), std::pair(100, 20), std::pair(50, 5)}) {
        const int d = Analysis::MaxDelay(n, k);
        // The largest D with (1 - 1/N)^(K D) still at least 0.001.
        EXPECT_GE(std::pow(1 - 1.0 / n, k * d), 0.001) << n << " " << k;
        EXPECT_LT(std::pow(1 - 1.0 / n, k * (d + 1)), 0.001) << n << " " << k;
    }
    EXPECT_EQ(Analysis::MaxDelay(1, 1), 0);
    EXPECT_EQ(Analysis::MaxDelay(60, 0), 0);

    std::vector<std::vector<int>> draws(100, {1, 2});
    Analysis analysis(Game(draws));
    analysis.SampleSize = 40;
    const auto rows = [&](int u, int s) {
        analysis.Excluded = u;
        analysis.SampleSize = s;
        const Analysis::Rows sample = analysis.SampleRows();
        return std::pair(sample.First, sample.Last);
    };
    EXPECT_EQ(rows(0, 40), std::pair(60, 100));
    EXPECT_EQ(rows(10, 40), std::pair(50, 90));
    EXPECT_EQ(rows(0, 98), std::pair(5, 100));
}

TEST_F(DelayTest, StatisticsAndReportOfOneBall) {
    Analysis analysis(Game(Ten));
    analysis.SampleSize = 4; // rows 6..10
    const Analysis::PreviewResult preview = analysis.Preview();
    EXPECT_EQ(preview.Sample.First, 6);
    EXPECT_EQ(preview.Sample.Count(), 5);
    EXPECT_EQ(preview.MaxDelay, 15);
    EXPECT_NEAR(preview.Slope, -0.4, 1e-12);
    EXPECT_NEAR(preview.Correlations[1], 0.43082021842766455, 1e-12);
    EXPECT_NEAR(preview.Correlations[2], -0.625291073877919, 1e-12);
    EXPECT_EQ(preview.Correlations[0], 1.0);
    EXPECT_EQ(preview.Memo,
              Texts({"Tendência à atraso", "Maior correlação positiva:", "dezena 2 em 43,08%",
                     "Maior correlação negativa:", "dezena 3 em 62,53%",
                     "Atraso máximo teórico com 99,9% de certeza:", "-15", "Atraso máximo real:", "-4",
                     "Atraso máximo da dezena:", "-2", "Adiantamento máximo real:", "3",
                     "Adiantamento máximo da dezena:", "2", "------------", "Sem previsão"}));
    // Untrained, the absolute view's forecast line is -D.
    ASSERT_EQ(preview.Fit.size(), 5u);
    for (const auto& point : preview.Fit) EXPECT_EQ(point.y, -15);
    EXPECT_EQ(preview.Real.back(), (Analysis::Point{10, 1}));
    EXPECT_NEAR(preview.RegressionLine.front().y, 0.2 + 0.8, 1e-12); // mean 0.2 at row 8, slope -0.4

    analysis.Load(View::RandomWalk);
    const Texts memo = analysis.Preview().Memo;
    EXPECT_EQ(memo,
              Texts({"Tendência à atraso", "Maior correlação positiva:", "dezena 2 em 62,02%",
                     "Maior correlação negativa:", "dezena 3 em 62,02%", "Primeira passagem na origem: 0",
                     "Probabilidade de retorno à origem: 0", "------------", "Sem previsão"}));
    EXPECT_TRUE(analysis.Preview().Fit.empty());
    // Other regression kinds measure other correlations; all are numbers.
    for (const auto kind : {Analysis::Regression::Exponential, Analysis::Regression::Logarithmic,
                            Analysis::Regression::Power}) {
        analysis.Kind = kind;
        for (int b = 1; b <= 5; ++b) EXPECT_TRUE(std::isfinite(analysis.BallCorrelation(1, b)));
        EXPECT_EQ(analysis.Preview().RegressionLine.size(), 5u);
    }
}

TEST_F(DelayTest, ConstantSeriesGiveDefinedStatistics) {
    // Both balls in every draw: every relative cell is exactly 0, without spread.
    Analysis analysis(Game(std::vector<std::vector<int>>(30, {1, 2})));
    analysis.Load(View::Relative);
    analysis.SampleSize = 10;
    EXPECT_EQ(analysis.BallCorrelation(1, 2), 0);
    analysis.Kind = Analysis::Regression::Power;
    EXPECT_EQ(analysis.BallCorrelation(1, 2), 0);
    const Analysis::PreviewResult preview = analysis.Preview();
    EXPECT_EQ(preview.PositiveBall, 0);
    EXPECT_EQ(preview.NegativeBall, 0);
    EXPECT_EQ(preview.Memo,
              Texts({"Tendência à atraso", "Probabilidade teórica:", "0,50000000",
                     "Probabilidade média total:", "0,00000000",
                     "Probabilidade média da dezena:", "0,00000000", "------------", "Sem previsão"}));
    // Every regression kind draws a defined line over the constant series.
    for (const auto kind : {Analysis::Regression::Linear, Analysis::Regression::Exponential,
                            Analysis::Regression::Logarithmic, Analysis::Regression::Power}) {
        analysis.Kind = kind;
        const Analysis::PreviewResult fit = analysis.Preview();
        ASSERT_EQ(fit.RegressionLine.size(), 11u);
        for (const auto& point : fit.RegressionLine) EXPECT_EQ(point.y, 0) << static_cast<int>(kind);
    }
    // A one-row sample: its mean is that row's value, not a division by zero.
    analysis.SampleSize = 0;
    const Analysis::PreviewResult one = analysis.Preview();
    EXPECT_EQ(one.Sample.Count(), 1);
    EXPECT_EQ(one.MeanSel, 0);
}

TEST_F(DelayTest, TrainingSetAndSeededForecast) {
    std::mt19937 random(9);
    std::vector<std::vector<int>> draws(120, std::vector<int>(6));
    for (auto& draw : draws) {
        std::vector<int> balls(60);
        for (int b = 0; b < 60; ++b) balls[static_cast<size_t>(b)] = b + 1;
        std::shuffle(balls.begin(), balls.end(), random);
        draw.assign(balls.begin(), balls.begin() + 6);
    }
    draws[0][0] = 60;
    Analysis analysis(Game(draws));
    analysis.SampleSize = 40;
    analysis.Excluded = 10;
    analysis.Selected = 4;
    ASSERT_TRUE(analysis.PrepareTraining());
    EXPECT_EQ(analysis.TrainingRows().First, 70);
    EXPECT_EQ(analysis.TrainingRows().Last, 110);
    ASSERT_EQ(analysis.Network.PatternCount, 41);
    for (int p : {0, 17, 40}) {
        const int row = 70 + p;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(analysis.Network.PatternIn[static_cast<size_t>(p)][static_cast<size_t>(i)],
                      analysis.Cell(row - 4 + i, 61));
        EXPECT_EQ(analysis.Network.PatternOut[static_cast<size_t>(p)][0], analysis.Cell(row, 5));
    }

    const auto forecast = [&](uint64_t seed) {
        Analysis run(*lottery);
        run.SampleSize = 40;
        run.Selected = 4;
        run.MaxPasses = 3;
        run.Network.Seed(seed);
        EXPECT_TRUE(run.PrepareTraining());
        int passes = 0;
        run.RunTraining([&](const Analysis::TrainingPass& pass) {
            passes = pass.Pass;
            EXPECT_EQ(pass.Fit.size(), 41u);
            return true;
        });
        EXPECT_EQ(passes, 3);
        EXPECT_TRUE(run.Trained());
        return run.Preview();
    };
    const Analysis::PreviewResult first = forecast(7);
    const Analysis::PreviewResult again = forecast(7);
    EXPECT_EQ(first.Memo, again.Memo);
    ASSERT_TRUE(first.Forecast);
    const Texts& memo = first.Memo;
    ASSERT_GE(memo.size(), 4u);
    EXPECT_EQ(memo[memo.size() - 4], "Próximo atraso para a dezena:");
    EXPECT_EQ(memo[memo.size() - 3], NumberText::FormatGeneral(first.Next));
    EXPECT_EQ(memo[memo.size() - 2], "Margem de erro da rede no último atraso:");
    EXPECT_EQ(memo.back(), NumberText::FormatGeneral(first.Margin) + "%");
    EXPECT_EQ(first.Next, std::trunc(first.Next));
    EXPECT_EQ(first.Fit.size(), 42u);
    EXPECT_EQ(first.Fit.back().x, 121);
    // The margin is the fit's error at the last row, truncated to hundredths of a percent.
    const double real = first.Real.back().y;
    const double fit = first.Fit[40].y;
    EXPECT_NEAR(first.Margin, real > 0 ? std::trunc((fit / real - 1) * 10000) / 100 : 0, 0.011);
    EXPECT_DOUBLE_EQ(first.Margin * 100, std::round(first.Margin * 100));
    // Loading forgets the training.
    analysis.Load(View::Absolute);
    EXPECT_FALSE(analysis.Trained());
}

} // namespace
