// The numbers of the delay window's chart views: general delay, the three
// shares and the pies' order, the return map and its histogram edges, the
// wavelet levels against the transform's own rows, the periodogram against a
// direct transform, the time distribution of a one- and a zero-based game,
// the correlation web and the correlation matrix text.
#include "TDelayCharts.h"
#include "CoreTestSupport.h"
#include "NumberText.h"
#include "TLottery.h"
#include "TWL.h"
#include "TempFiles.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

using Charts = TDelayCharts;
using Analysis = TDelayAnalysis;
using Point = Charts::Point;
using Series = Charts::Series;

// Ten draws of a 5-ball game, 2 balls a draw. Over rows 6..10 the absolute
// cells are: ball 1: 1 2 -1 -2 1; ball 2: -1 1 -1 -2 -3; ball 3: -3 -4 1 2 3;
// ball 4: -1 -2 1 -1 -2; ball 5: 1 -1 -2 1 -1.
const std::vector<std::vector<int>> Ten = {{1, 2}, {1, 3}, {2, 3}, {4, 5}, {2, 4},
                                           {1, 5}, {1, 2}, {3, 4}, {3, 5}, {1, 3}};

class DelayChartsTest : public ::testing::Test {
protected:
    void SetUp() override { NumberText::SetDecimalSeparator(','); }
    TLottery& Game(const std::vector<std::vector<int>>& draws) {
        lottery = std::make_unique<TLottery>(folder.Write("game.csv", History(draws)));
        return *lottery;
    }
    TempFolder folder;
    std::unique_ptr<TLottery> lottery;
};

TEST_F(DelayChartsTest, GeneralDelayAndSharesOfAHandWorkedSample) {
    Analysis analysis(Game(Ten));
    analysis.SampleSize = 4;
    const Analysis::Rows rows = analysis.SampleRows();
    ASSERT_EQ(rows.First, 6);

    const std::vector<Series> general = Charts::GeneralDelay(analysis, rows);
    ASSERT_EQ(general.size(), 5u);
    EXPECT_EQ(general[2], (Series{{6, -3}, {7, -4}, {8, 1}, {9, 2}, {10, 3}}));
    for (int b = 1; b <= 5; ++b)
        for (const Point& p : general[static_cast<size_t>(b - 1)])
            EXPECT_EQ(p.y, analysis.Cell(static_cast<int>(p.x), b));

    const Charts::Shares shares = Charts::BallShares(analysis, rows);
    EXPECT_EQ(shares.Labels, (std::vector<std::string>{"Dez.1:", "Dez.2:", "Dez.3:", "Dez.4:", "Dez.5:"}));
    EXPECT_EQ(shares.Largest, (std::vector<double>{3, 7, 7, 6, 4}));
    EXPECT_EQ(shares.Smallest, (std::vector<double>{24, 20, 20, 21, 23}));
    EXPECT_EQ(shares.Frequency, (std::vector<double>{2, 1, 1, 1, 2}));
    // Pies show the biggest slice first; equal slices keep ball order.
    EXPECT_EQ(Charts::Descending(shares.Largest), (std::vector<size_t>{1, 2, 3, 4, 0}));

    // Random walk: every cell that reads 1 counts. Relative: no cell reads "1".
    analysis.Load(Analysis::View::RandomWalk);
    EXPECT_EQ(Charts::BallShares(analysis, rows).Frequency, (std::vector<double>{1, 1, 0, 0, 0}));
    analysis.Load(Analysis::View::Relative);
    const Charts::Shares relative = Charts::BallShares(analysis, rows);
    EXPECT_EQ(relative.Frequency, (std::vector<double>(5, 0.0)));
    double delays = 0;
    for (int r = 6; r <= 10; ++r) delays -= std::min(analysis.Cell(r, 4), 0.0);
    EXPECT_GT(delays, 0);
    EXPECT_DOUBLE_EQ(relative.Largest[3], delays);
}

TEST_F(DelayChartsTest, ReturnMapBinsAndHistogramEdges) {
    // Lag 1: (20, 0), (5, 20), (20, 5), (10, 20). x spans 5..20 (step 0.75),
    // y spans 0..20 (step 1); each maximum lies on the top edge, bin 20.
    const std::vector<double> values = {0, 20, 5, 20, 10};
    const Charts::ReturnMap map = Charts::ReturnMapOf(values, 1, true, true);
    EXPECT_EQ(map.Points, (Series{{20, 0}, {5, 20}, {20, 5}, {10, 20}}));
    EXPECT_EQ(map.MinX, 5);
    EXPECT_EQ(map.StepX, 0.75);
    EXPECT_EQ(map.MinY, 0);
    EXPECT_EQ(map.StepY, 1);
    std::array<int, Charts::Bins> binsX{}, binsY{};
    binsX[0] = 1;
    binsX[6] = 1;
    binsX[19] = 2;
    binsY[0] = 1;
    binsY[5] = 1;
    binsY[19] = 2;
    EXPECT_EQ(map.BinsX, binsX);
    EXPECT_EQ(map.BinsY, binsY);
    ASSERT_EQ(map.HistogramX.size(), 20u);
    ASSERT_EQ(map.HistogramY.size(), 20u);
    EXPECT_EQ(map.HistogramX[0], (Point{5.75, 0.5}));
    EXPECT_EQ(map.HistogramX[19], (Point{20, 1}));
    EXPECT_EQ(map.HistogramY[19], (Point{5.75, 20}));
    EXPECT_EQ(map.HistogramY[1], (Point{5, 2}));
    // Without the options only the scatter is drawn.
    const Charts::ReturnMap scatter = Charts::ReturnMapOf(values, 2, false, false);
    EXPECT_EQ(scatter.Points.size(), 3u);
    EXPECT_TRUE(scatter.HistogramX.empty() && scatter.HistogramY.empty());

    // A constant series: both steps 1 and every point in bin 0.
    const Charts::ReturnMap flat = Charts::ReturnMapOf(std::vector<double>(6, -3), 1, true, true);
    EXPECT_EQ(flat.StepX, 1);
    EXPECT_EQ(flat.StepY, 1);
    EXPECT_EQ(flat.BinsX[0], 5);
    EXPECT_EQ(flat.BinsY[0], 5);
    EXPECT_EQ(flat.HistogramY[0], (Point{-0.5, -2}));

    // A lag that leaves no pair of values: an empty map, not bars at +-999999999.
    const Charts::ReturnMap none = Charts::ReturnMapOf(values, 5, true, true);
    EXPECT_TRUE(none.Points.empty() && none.HistogramX.empty() && none.HistogramY.empty());
    EXPECT_TRUE(Charts::ReturnMapOf({}, 1, true, true).Points.empty());

    // 41 sample values and lag 1: 40 points.
    std::vector<double> sample(41);
    for (size_t i = 0; i < sample.size(); ++i) sample[i] = static_cast<double>(i % 7) - 3;
    EXPECT_EQ(Charts::ReturnMapOf(sample, 1, false, false).Points.size(), 40u);
}

TEST_F(DelayChartsTest, WaveletLevelsAreTheTransformsRows) {
    std::vector<double> values(41);
    for (size_t i = 0; i < values.size(); ++i) values[i] = std::sin(static_cast<double>(i)) * 5;
    TWL wavelet;
    Charts::FillWavelet(wavelet, values);
    EXPECT_EQ(wavelet.Coefficients[0][40], values[40]);
    const Charts::LevelRange range = Charts::WaveletLevels(wavelet);
    EXPECT_EQ(range.Minimum, 0);
    EXPECT_EQ(range.Maximum, 4); // 64 values, 6 levels
    EXPECT_EQ(range.Position, 3);

    const std::vector<Series> level3 = Charts::WaveletLevel(wavelet, 3);
    ASSERT_EQ(level3.size(), 8u);
    const int count = wavelet.CoefficientCount(3);
    ASSERT_GT(count, 0);
    for (size_t w = 0; w < level3.size(); ++w) {
        ASSERT_EQ(level3[w].size(), static_cast<size_t>(count));
        for (int j = 0; j < count; ++j) {
            EXPECT_EQ(level3[w][static_cast<size_t>(j)].x, j + 1);
            EXPECT_EQ(level3[w][static_cast<size_t>(j)].y,
                      wavelet.Coefficients[3][static_cast<size_t>(count) * w + static_cast<size_t>(j)]);
        }
    }
    EXPECT_EQ(Charts::WaveletLevel(wavelet, 0).size(), 1u);
    EXPECT_TRUE(Charts::WaveletLevel(wavelet, 6).empty());

    // Two or three values: a single level, and the chooser stays at 0.
    for (const size_t n : {size_t{1}, size_t{2}, size_t{3}}) {
        Charts::FillWavelet(wavelet, std::vector<double>(n, 1.0));
        const Charts::LevelRange small = Charts::WaveletLevels(wavelet);
        EXPECT_EQ(small.Maximum, 0) << n;
        EXPECT_EQ(small.Position, 0) << n;
    }
}

TEST_F(DelayChartsTest, PeriodogramAgainstADirectTransform) {
    // Five values padded to eight: F_j = sum x_k e^(+2 pi i j k / 8), packed
    // as F_0, F_4, Re F_1, Im F_1, Re F_2, ...; the chart shows the first five.
    const std::vector<double> values = {3, -1, 2, 0.5, -4};
    std::vector<std::complex<double>> f(8);
    for (int j = 0; j < 8; ++j)
        for (size_t k = 0; k < values.size(); ++k)
            f[static_cast<size_t>(j)] +=
                values[k] * std::polar(1.0, 2 * std::numbers::pi * j * static_cast<double>(k) / 8);
    const std::vector<double> packed = {f[0].real(), f[4].real(), f[1].real(), f[1].imag(), f[2].real()};
    const Series spectrum = Charts::Periodogram(values);
    ASSERT_EQ(spectrum.size(), 5u);
    for (size_t i = 0; i < spectrum.size(); ++i) {
        EXPECT_EQ(spectrum[i].x, static_cast<double>(i));
        EXPECT_NEAR(spectrum[i].y, std::fabs(packed[i]), 1e-12) << i;
    }
    EXPECT_EQ(Charts::Periodogram(std::vector<double>{7}), (Series{{0, 7}}));
}

TEST_F(DelayChartsTest, TimeDistributionOfOneAndZeroBasedGames) {
    Game(Ten);
    const std::vector<Series> marks = Charts::TimeDistribution(*lottery, {6, 10});
    ASSERT_EQ(marks.size(), 5u);
    EXPECT_EQ(marks[0], (Series{{6, 1}, {7, 1}, {10, 1}}));
    EXPECT_EQ(marks[4], (Series{{6, 5}, {9, 5}}));
    size_t points = 0;
    for (const Series& series : marks) points += series.size();
    EXPECT_EQ(points, 10u); // two balls in each of five draws

    // Ball values 0..4: value b has series b - 1, value 0 none; rows beyond
    // the history have no draw.
    Game({{0, 1}, {0, 4}, {1, 4}, {0, 1}});
    const std::vector<Series> zero = Charts::TimeDistribution(*lottery, {1, 8});
    ASSERT_EQ(zero.size(), 5u);
    EXPECT_EQ(zero[0], (Series{{1, 1}, {3, 1}, {4, 1}}));
    EXPECT_EQ(zero[3], (Series{{2, 4}, {3, 4}}));
    EXPECT_TRUE(zero[4].empty());
}

TEST_F(DelayChartsTest, CorrelationWebAndMatrixText) {
    const Charts::Web web = Charts::CorrelationWeb(
        std::vector<double>{1, 0.5, -0.25, 0, std::numeric_limits<double>::quiet_NaN()});
    EXPECT_EQ(web.Positive, (std::vector<float>{1, 0.5f, 0, 0, 0}));
    EXPECT_EQ(web.Negative, (std::vector<float>{0, 0, 0.25f, 0, 0}));

    Analysis analysis(Game(Ten));
    analysis.SampleSize = 4;
    const std::string text = Charts::CorrelationText(analysis);
    std::string expected;
    for (int i = 1; i <= 5; ++i) {
        expected += std::to_string(i) + "\t";
        for (int j = 1; j <= 5; ++j)
            expected += NumberText::FormatFixed(analysis.BallCorrelation(i, j), 4) + "\t";
        expected += "\r\n";
    }
    EXPECT_EQ(text, expected);
    // The preview's correlations of ball 1 (hand-worked there) in the first line.
    EXPECT_EQ(text.substr(0, text.find("\r\n")),
              "1\t1,0000\t0,4308\t-0,6253\t" + NumberText::FormatFixed(analysis.BallCorrelation(1, 4), 4) +
                  "\t" + NumberText::FormatFixed(analysis.BallCorrelation(1, 5), 4) + "\t");
    // A constant ball correlates with nothing: 0, never "nan".
    Analysis flat(Game(std::vector<std::vector<int>>(20, {1, 2})));
    flat.Load(Analysis::View::Relative);
    flat.SampleSize = 10;
    EXPECT_EQ(Charts::CorrelationText(flat), "1\t1,0000\t0,0000\t\r\n2\t0,0000\t1,0000\t\r\n");
}

} // namespace
