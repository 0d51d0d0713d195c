#include "TDelayAnalysis.h"

#include "NumberText.h"
#include "TLR.h"
#include "TLottery.h"
#include "TNLRExp.h"
#include "TNLRLog.h"
#include "TNLRPow.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

std::string Int(long long value) {
    return NumberText::FormatInt(value);
}

// A mantissa kept below 2^8000 stays far from the long double limit (about
// 2^16384) after one more factor of at most 2^31.
constexpr long double RenormaliseAbove = 0x1p8000L;

// Mean of p minus 1/N, variance of the deviations and its square root: the
// relative view's aggregate columns from the row's shares.
struct RelativeAggregates {
    long double Mean = 0;
    long double Variance = 0;
    long double Deviation = 0;
};

RelativeAggregates Aggregate(std::span<const double> shares, int n) {
    RelativeAggregates result;
    if (n < 1) return result;
    const long double expected = 1.0L / n;
    long double sum = 0;
    long double squares = 0;
    for (const double p : shares) {
        const auto dev = static_cast<double>(p - expected);
        sum += p;
        squares += static_cast<long double>(dev) * dev;
    }
    result.Mean = sum / n - expected;
    result.Variance = squares / n;
    result.Deviation = std::sqrt(result.Variance);
    return result;
}

} // namespace

double TDelayAnalysis::Product::Value() const {
    const long double value =
        std::ldexp(Mantissa, static_cast<int>(std::clamp<int64_t>(Exponent, -20000, 20000)));
    return value > DBL_MAX ? DBL_MAX : static_cast<double>(value);
}

std::string TDelayAnalysis::Product::Text() const {
    int shift = 0;
    const long double fraction = std::frexp(Mantissa, &shift); // in [0.5, 1)
    const int64_t exponent = Exponent + shift;
    if (exponent <= 1100) {
        const long double value = std::ldexp(fraction, static_cast<int>(exponent));
        if (value <= DBL_MAX) return NumberText::FormatGeneral(static_cast<double>(value));
    }
    // Beyond a double: log10 of the value carries about 19 significant
    // digits, of which the exponent takes up to 5; 12 remain for the mantissa.
    const long double logarithm =
        std::log10(fraction) + static_cast<long double>(exponent) * std::log10(2.0L);
    long double decimal = std::floor(logarithm);
    std::string digits =
        NumberText::FormatGeneral(static_cast<double>(std::pow(10.0L, logarithm - decimal)), 12);
    if (digits == "10") {
        digits = "1";
        decimal += 1;
    }
    return digits + "E" + Int(static_cast<long long>(decimal));
}

TDelayAnalysis::TDelayAnalysis(const TLottery& lottery)
    : lottery_(lottery), n_(lottery.Elements()), k_(lottery.PerCombination()),
      draws_(lottery.Loaded ? lottery.DrawCount : 0) {
    Network.Activation = 2;
    Network.LearningRate = 0.4;
    Network.Tolerance = 1e-9;
    Network.Epochs = 100;
    rows_.assign(static_cast<size_t>(n_) + 1, {});
    extra_.assign(static_cast<size_t>(n_) + 1, {});
    const size_t expected = n_ > 0 ? static_cast<size_t>(draws_) * static_cast<size_t>(k_) / n_ + 16 : 0;
    for (int b = 1; b <= n_; ++b) rows_[static_cast<size_t>(b)].reserve(expected);
    const int shift = lottery.ZeroBased ? 1 : 0;
    for (int d = 0; d < draws_; ++d) {
        const int row = d + 1;
        for (int c = 1; c <= k_; ++c) {
            const int ball = lottery.Draws[static_cast<size_t>(c)][static_cast<size_t>(d)] + shift;
            // The loader makes n the largest ball, so every ball is in range.
            if (ball < 1 || ball > n_) continue;
            std::vector<int32_t>& rows = rows_[static_cast<size_t>(ball)];
            if (rows.empty() || rows.back() != row)
                rows.push_back(row);
            else
                extra_[static_cast<size_t>(ball)].push_back(row);
        }
    }
}

void TDelayAnalysis::Load(View view) {
    view_ = view;
    Network.InitWeights();
}

int TDelayAnalysis::MaxDelay(int n, int k) {
    if (n < 2 || k < 1) return 0;
    return static_cast<int>(std::trunc(std::log(0.001L) / std::log(1.0L - 1.0L / n) / k));
}

int TDelayAnalysis::DrawsWith(int b, int r) const {
    const std::vector<int32_t>& rows = rows_[static_cast<size_t>(b)];
    return static_cast<int>(std::upper_bound(rows.begin(), rows.end(), r) - rows.begin());
}

int TDelayAnalysis::Occurrences(int b, int r) const {
    const std::vector<int32_t>& extra = extra_[static_cast<size_t>(b)];
    return DrawsWith(b, r) +
           static_cast<int>(std::upper_bound(extra.begin(), extra.end(), r) - extra.begin());
}

int TDelayAnalysis::RunLength(int b, int r) const {
    const std::vector<int32_t>& rows = rows_[static_cast<size_t>(b)];
    const int i = static_cast<int>(std::upper_bound(rows.begin(), rows.end(), r) - rows.begin()) - 1;
    if (i < 0 || rows[static_cast<size_t>(i)] != r) return -(r - (i >= 0 ? rows[static_cast<size_t>(i)] : 0));
    // Drawn at r: the run is the longest stretch of consecutive rows ending
    // at r, i.e. the smallest j with rows[i] - rows[j] = i - j. Runs are
    // short, so the search gallops back from i before it halves.
    const auto consecutive = [&](int j) {
        return rows[static_cast<size_t>(i)] - rows[static_cast<size_t>(j)] == i - j;
    };
    int good = i;
    int bad = -1;
    for (int step = 1;; step *= 2) {
        const int j = good - step;
        if (j < 0) break;
        if (!consecutive(j)) {
            bad = j;
            break;
        }
        good = j;
    }
    while (good - bad > 1) {
        const int mid = bad + (good - bad) / 2;
        (consecutive(mid) ? good : bad) = mid;
    }
    return i - good + 1;
}

long double TDelayAnalysis::Share(int b, int r) const {
    const long double total = 100.0L * n_ + static_cast<long double>(k_) * r;
    return static_cast<double>((100.0L + Occurrences(b, r)) / total);
}

long double TDelayAnalysis::Value(int b, int r) const {
    if (b < 1 || b > n_ || r < 1 || r > draws_) return 0;
    switch (view_) {
    case View::Absolute:
        return RunLength(b, r);
    case View::RandomWalk:
        return 2.0L * DrawsWith(b, r) - r;
    case View::Relative:
        return static_cast<double>(Share(b, r) - 1.0L / n_);
    }
    return 0;
}

double TDelayAnalysis::Rounded(long double value, int decimals) {
    // Relative-view numbers are far below 1, so value x 10^8 fits a long
    // long; llrint rounds halves to even as the text does. The whole number
    // of units is divided in double: one correctly rounded division gives the
    // double nearest the decimal text. (A library power and a long double
    // division per cell took most of the time of a whole table.)
    static constexpr double Scales[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    const double scale = Scales[std::clamp(decimals, 0, 8)];
    const long double scaled = value * scale;
    if (!(std::fabs(scaled) < 0x1p62L)) return static_cast<double>(value);
    const double rounded = static_cast<double>(std::llrint(scaled)) / scale;
    return rounded == 0 ? 0.0 : rounded; // no negative zero
}

std::string TDelayAnalysis::BallText(long double value) const {
    if (view_ == View::Relative) return NumberText::FormatFixed(static_cast<double>(value), 6);
    return Int(static_cast<long long>(value));
}

void TDelayAnalysis::AppendAggregates(int row, std::span<const long double> values,
                                      std::vector<std::string>& texts) const {
    if (view_ == View::Relative) {
        std::vector<double> shares(values.size());
        for (size_t b = 0; b < values.size(); ++b)
            shares[b] = static_cast<double>(Share(static_cast<int>(b) + 1, row));
        const RelativeAggregates aggregates = Aggregate(shares, n_);
        for (const long double value : {aggregates.Mean, aggregates.Variance, aggregates.Deviation})
            texts.push_back(NumberText::FormatFixed(static_cast<double>(value), 8));
        return;
    }
    long long sum = 0;
    Product product;
    for (const long double value : values) {
        sum += static_cast<long long>(value);
        if (value > 0) {
            product.Mantissa *= value;
            if (product.Mantissa > RenormaliseAbove) {
                int shift = 0;
                product.Mantissa = std::frexp(product.Mantissa, &shift);
                product.Exponent += shift;
            }
        }
    }
    texts.push_back(Int(sum));
    texts.push_back(product.Text());
    if (view_ == View::RandomWalk) texts.emplace_back();
}

std::vector<std::string> TDelayAnalysis::RowTexts(int row) const {
    std::vector<std::string> texts;
    const auto columns = static_cast<size_t>(ColumnCount());
    texts.reserve(columns);
    if (row == 0) {
        texts.emplace_back("Concurso");
        for (int b = 1; b <= n_; ++b) texts.push_back("Dez." + Int(b));
        if (view_ == View::Relative) {
            for (const char* header : {"Média", "Variância", "Desvio padrão"}) texts.emplace_back(header);
        } else {
            texts.emplace_back("Soma");
            texts.emplace_back("Produto");
            if (view_ == View::RandomWalk) texts.emplace_back();
        }
        return texts;
    }
    if (row < 0 || row > draws_) return std::vector<std::string>(columns);
    texts.push_back(Int(row));
    std::vector<long double> values(static_cast<size_t>(n_));
    for (int b = 1; b <= n_; ++b) {
        values[static_cast<size_t>(b - 1)] = Value(b, row);
        texts.push_back(BallText(values[static_cast<size_t>(b - 1)]));
    }
    AppendAggregates(row, values, texts);
    return texts;
}

std::string TDelayAnalysis::CellText(int row, int column) const {
    if (column < 0 || column >= ColumnCount() || row < 0 || row > draws_) return {};
    if (row > 0 && column == 0) return Int(row);
    if (row > 0 && column <= n_) return BallText(Value(column, row));
    return RowTexts(row)[static_cast<size_t>(column)];
}

TDelayAnalysis::Product TDelayAnalysis::RowProduct(int row) const {
    Product product;
    if (view_ == View::Relative) return product;
    for (int b = 1; b <= n_; ++b) {
        const long double value = Value(b, row);
        if (value <= 0) continue;
        product.Mantissa *= value;
        if (product.Mantissa > RenormaliseAbove) {
            int shift = 0;
            product.Mantissa = std::frexp(product.Mantissa, &shift);
            product.Exponent += shift;
        }
    }
    return product;
}

double TDelayAnalysis::Cell(int row, int column) const {
    if (row < 1 || row > draws_ || column < 0 || column >= ColumnCount()) return 0;
    if (column == 0) return row;
    if (column <= n_) {
        const long double value = Value(column, row);
        return view_ == View::Relative ? Rounded(value, 6) : static_cast<double>(value);
    }
    if (view_ == View::Relative) {
        std::vector<double> shares(static_cast<size_t>(n_));
        for (int b = 1; b <= n_; ++b) shares[static_cast<size_t>(b - 1)] = static_cast<double>(Share(b, row));
        const RelativeAggregates aggregates = Aggregate(shares, n_);
        const long double value = column == n_ + 1   ? aggregates.Mean
                                  : column == n_ + 2 ? aggregates.Variance
                                                     : aggregates.Deviation;
        return Rounded(value, 8);
    }
    if (column == n_ + 1) {
        long double sum = 0;
        for (int b = 1; b <= n_; ++b) sum += Value(b, row);
        return static_cast<double>(sum);
    }
    if (column == n_ + 2) return RowProduct(row).Value();
    return 0;
}

std::vector<double> TDelayAnalysis::BallSeries(int ball, Rows rows) const {
    std::vector<double> out(static_cast<size_t>(std::max(rows.Count(), 0)), 0.0);
    const int start = std::max(rows.First, 1);
    const int end = std::min(rows.Last, draws_);
    if (ball < 1 || ball > n_ || start > end) return out;
    const std::vector<int32_t>& present = rows_[static_cast<size_t>(ball)];
    const std::vector<int32_t>& extra = extra_[static_cast<size_t>(ball)];
    auto next = std::lower_bound(present.begin(), present.end(), start);
    auto nextExtra = std::lower_bound(extra.begin(), extra.end(), start);
    // The state at the row before the walk: run length, draws holding the
    // ball, its occurrences.
    int run = start > 1 ? RunLength(ball, start - 1) : 0;
    long long drawn = static_cast<long long>(next - present.begin());
    long long occurrences = drawn + (nextExtra - extra.begin());
    const long double expected = 1.0L / n_;
    for (int r = start; r <= end; ++r) {
        const bool in = next != present.end() && *next == r;
        if (in) {
            ++next;
            ++drawn;
            ++occurrences;
            run = run < 0 ? 1 : run + 1;
        } else {
            run = run > 0 ? -1 : run - 1;
        }
        while (nextExtra != extra.end() && *nextExtra == r) {
            ++nextExtra;
            ++occurrences;
        }
        double value = 0;
        switch (view_) {
        case View::Absolute:
            value = run;
            break;
        case View::RandomWalk:
            value = static_cast<double>(2 * drawn - r);
            break;
        case View::Relative: {
            const long double total = 100.0L * n_ + static_cast<long double>(k_) * r;
            const auto p = static_cast<double>((100.0L + occurrences) / total);
            value = Rounded(static_cast<double>(p - expected), 6);
            break;
        }
        }
        out[static_cast<size_t>(r - rows.First)] = value;
    }
    return out;
}

std::vector<double> TDelayAnalysis::AggregateSeries(Rows rows) const {
    const auto count = static_cast<size_t>(std::max(rows.Count(), 0));
    std::vector<double> out(count, 0.0);
    if (count == 0 || n_ < 1) return out;
    if (view_ != View::Relative) {
        for (int b = 1; b <= n_; ++b) {
            const std::vector<double> series = BallSeries(b, rows);
            for (size_t i = 0; i < count; ++i) out[i] += series[i];
        }
        return out;
    }
    // The relative aggregate needs every share of a row; the walk goes row
    // by row with one cursor per ball.
    const int start = std::max(rows.First, 1);
    const int end = std::min(rows.Last, draws_);
    if (start > end) return out;
    std::vector<long long> occurrences(static_cast<size_t>(n_) + 1);
    std::vector<size_t> next(static_cast<size_t>(n_) + 1);
    std::vector<size_t> nextExtra(static_cast<size_t>(n_) + 1);
    for (int b = 1; b <= n_; ++b) {
        const auto ub = static_cast<size_t>(b);
        const std::vector<int32_t>& present = rows_[ub];
        const std::vector<int32_t>& extra = extra_[ub];
        next[ub] =
            static_cast<size_t>(std::lower_bound(present.begin(), present.end(), start) - present.begin());
        nextExtra[ub] =
            static_cast<size_t>(std::lower_bound(extra.begin(), extra.end(), start) - extra.begin());
        occurrences[ub] = static_cast<long long>(next[ub] + nextExtra[ub]);
    }
    std::vector<double> shares(static_cast<size_t>(n_));
    for (int r = start; r <= end; ++r) {
        const long double total = 100.0L * n_ + static_cast<long double>(k_) * r;
        for (int b = 1; b <= n_; ++b) {
            const auto ub = static_cast<size_t>(b);
            const std::vector<int32_t>& present = rows_[ub];
            const std::vector<int32_t>& extra = extra_[ub];
            if (next[ub] < present.size() && present[next[ub]] == r) {
                ++next[ub];
                ++occurrences[ub];
            }
            while (nextExtra[ub] < extra.size() && extra[nextExtra[ub]] == r) {
                ++nextExtra[ub];
                ++occurrences[ub];
            }
            shares[ub - 1] = static_cast<double>((100.0L + occurrences[ub]) / total);
        }
        out[static_cast<size_t>(r - rows.First)] = Rounded(Aggregate(shares, n_).Mean, 8);
    }
    return out;
}

std::string TDelayAnalysis::TableText() const {
    std::string text;
    const auto appendRow = [&text](const std::vector<std::string>& cells) {
        for (const std::string& cell : cells) {
            text += cell;
            text += '\t';
        }
        text += "\r\n";
    };
    appendRow(RowTexts(0));
    if (draws_ < 1) return text;
    // Column by column walks, then rows: the ball cells of every row come
    // from one forward walk per ball. Walked in blocks of rows so that the
    // columns of a block stay small.
    constexpr int Block = 4096;
    std::vector<std::vector<double>> columns(static_cast<size_t>(n_));
    std::vector<std::string> cells;
    std::vector<long double> values(static_cast<size_t>(n_));
    for (int first = 1; first <= draws_; first += Block) {
        const Rows block{first, std::min(first + Block - 1, draws_)};
        for (int b = 1; b <= n_; ++b) columns[static_cast<size_t>(b - 1)] = BallSeries(b, block);
        for (int r = block.First; r <= block.Last; ++r) {
            cells.clear();
            cells.push_back(Int(r));
            for (int b = 1; b <= n_; ++b) {
                const auto ub = static_cast<size_t>(b - 1);
                // Relative cells need the unrounded value for their text.
                values[ub] =
                    view_ == View::Relative ? Value(b, r) : columns[ub][static_cast<size_t>(r - block.First)];
                cells.push_back(BallText(values[ub]));
            }
            AppendAggregates(r, values, cells);
            appendRow(cells);
        }
    }
    return text;
}

TDelayAnalysis::Rows TDelayAnalysis::SampleRows(bool atLeastFive) const {
    Rows rows;
    rows.Last = draws_ - Excluded;
    rows.First = std::max(rows.Last - SampleSize, 5);
    if (atLeastFive)
        rows.Last = std::max(rows.Last, 5);
    else
        rows.Last = std::max(rows.Last, rows.First);
    return rows;
}

namespace {

// Correlation of two equally long series as the regression kind measures it.
double Correlation(std::span<const double> xs, std::span<const double> ys, TDelayAnalysis::Regression kind) {
    TLR line;
    line.SetCount(static_cast<int>(xs.size()));
    for (size_t i = 0; i < xs.size(); ++i) line.SetPoint(static_cast<int>(i), xs[i], ys[i]);
    double r = 0;
    switch (kind) {
    case TDelayAnalysis::Regression::Linear:
        line.Compute();
        r = line.AverageR();
        break;
    case TDelayAnalysis::Regression::Exponential: {
        TNLRExp fit;
        fit.Fit(line);
        r = fit.GetR();
        break;
    }
    case TDelayAnalysis::Regression::Logarithmic: {
        TNLRLog fit;
        fit.Fit(line);
        r = fit.GetR();
        break;
    }
    case TDelayAnalysis::Regression::Power: {
        TNLRPow fit;
        fit.Fit(line);
        r = fit.GetR();
        break;
    }
    }
    // A series without spread has no correlation: 0, never NaN.
    return std::isfinite(r) ? r : 0.0;
}

} // namespace

double TDelayAnalysis::BallCorrelation(int a, int b) const {
    if (a < 1 || a > n_ || b < 1 || b > n_) return 0;
    if (a == b) return 1.0;
    const Rows rows = SampleRows(true);
    return Correlation(BallSeries(a, rows), BallSeries(b, rows), Kind);
}

bool TDelayAnalysis::PrepareTraining() {
    const int ball = std::clamp(Selected, 0, std::max(n_ - 1, 0)) + 1;
    Rows rows;
    rows.Last = draws_ - Excluded;
    rows.First = std::max(rows.Last - SampleSize, 5);
    // Rows beyond the table read as empty cells; the search for the last
    // filled one stops at the first training row.
    while (rows.Last > draws_ && rows.Last >= rows.First) --rows.Last;
    if (rows.Last < rows.First || n_ < 1) return false;
    training_ = rows;
    const int count = rows.Count();
    const std::vector<double> aggregate = AggregateSeries({rows.First - 4, rows.Last - 1});
    const std::vector<double> target = BallSeries(ball, rows);
    Network.SetPatternCount(count);
    Network.InitWeights();
    for (int p = 0; p < count; ++p) {
        std::vector<double>& in = Network.PatternIn[static_cast<size_t>(p)];
        for (int i = 0; i < 4; ++i) in[static_cast<size_t>(i)] = aggregate[static_cast<size_t>(p + i)];
        Network.PatternOut[static_cast<size_t>(p)][0] = target[static_cast<size_t>(p)];
    }
    Network.Epochs = 100;
    Network.Tolerance = 1e-9;
    return true;
}

int TDelayAnalysis::RunTraining(const PassCallback& onPass, const std::atomic<bool>* cancel) {
    int pass = 0;
    do {
        ++pass;
        Network.Train(cancel);
        TrainingPass info;
        info.Pass = pass;
        info.Error = Network.OutputError[0];
        info.Fit.reserve(static_cast<size_t>(Network.PatternCount));
        for (int p = 0; p < Network.PatternCount; ++p) {
            Network.SelectPattern(p);
            Network.Compute();
            info.Fit.push_back({static_cast<double>(training_.First + p), Network.Output[0]});
        }
        const bool go = !onPass || onPass(info);
        const bool cancelled = cancel && cancel->load();
        // Train decides Converged from its last epoch; a stop is applied
        // after it so that the loop sees it.
        if (!go || cancelled || (MaxPasses > 0 && pass >= MaxPasses)) Network.Converged = true;
    } while (!Network.Converged);
    return pass;
}

double TDelayAnalysis::ForecastAt(std::span<const double> aggregate, int offset) {
    for (int i = 0; i < 4; ++i)
        Network.Input[static_cast<size_t>(i)] = aggregate[static_cast<size_t>(offset + i)];
    Network.Compute();
    return Network.Output[0];
}

TDelayAnalysis::PreviewResult TDelayAnalysis::Preview() {
    PreviewResult result;
    if (n_ < 1) {
        result.Memo = {"Sem previsão"};
        return result;
    }
    const int ball = std::clamp(Selected, 0, n_ - 1) + 1;
    const int d = MaxDelay(n_, k_);
    const Rows rows = SampleRows();
    const Rows correlationRows = SampleRows(true);
    const bool sameRows = rows.First == correlationRows.First && rows.Last == correlationRows.Last;
    result.Sample = rows;
    result.Ball = ball;
    result.MaxDelay = d;

    // Extremes over every ball, and the correlations with the selected one.
    const std::vector<double> selected = BallSeries(ball, rows);
    const std::vector<double> selectedForCorrelation =
        sameRows ? selected : BallSeries(ball, correlationRows);
    result.Correlations.assign(static_cast<size_t>(n_), 0.0);
    for (int b = 1; b <= n_; ++b) {
        const std::vector<double> series = b == ball ? selected : BallSeries(b, rows);
        for (const double v : series) {
            const auto whole = static_cast<long long>(std::trunc(v));
            if (v < 0) {
                result.MinAll = std::min(result.MinAll, whole);
                if (b == ball) result.MinSel = std::min(result.MinSel, whole);
            } else {
                result.MaxAll = std::max(result.MaxAll, whole);
                if (b == ball) result.MaxSel = std::max(result.MaxSel, whole);
            }
        }
        double& c = result.Correlations[static_cast<size_t>(b - 1)];
        if (b == ball)
            c = 1.0;
        else
            c = Correlation(selectedForCorrelation, sameRows ? series : BallSeries(b, correlationRows), Kind);
        // The best other balls; ties keep the lower ball number.
        if (b != ball && c > result.Positive) {
            result.Positive = c;
            result.PositiveBall = b;
        }
        if (b != ball && c < result.Negative) {
            result.Negative = c;
            result.NegativeBall = b;
        }
    }

    // The aggregate column from four rows before the sample to its last row.
    const std::vector<double> aggregate = AggregateSeries({rows.First - 4, rows.Last});
    if (view_ == View::Relative) {
        // Divided by one less than the number of rows, as the window always
        // has; a sample of one row is divided by 1.
        const long double divisor = std::max(rows.Last - rows.First, 1);
        long double sumSel = 0;
        long double sumAgg = 0;
        for (size_t i = 0; i < selected.size(); ++i) {
            sumSel += selected[i];
            sumAgg += aggregate[i + 4];
        }
        result.MeanSel = static_cast<double>(sumSel / divisor);
        result.MeanAgg = static_cast<double>(sumAgg / divisor);
    }

    // "Real" and the network's fit (or the line -D).
    const bool trained = Network.Converged;
    double fitLast = 0;
    for (int r = rows.First; r <= rows.Last; ++r) {
        const auto i = static_cast<size_t>(r - rows.First);
        result.Real.push_back({static_cast<double>(r), selected[i]});
        if (trained) {
            fitLast = ForecastAt(aggregate, static_cast<int>(i));
            result.Fit.push_back({static_cast<double>(r), fitLast});
        } else if (view_ == View::Absolute) {
            result.Fit.push_back({static_cast<double>(r), static_cast<double>(-d)});
        }
    }
    const double realLast = selected.back();

    // The regression of the selected ball over the sample: x the row, y its value.
    TLR line;
    line.SetCount(rows.Count());
    line.SetSegments(Segments);
    for (int r = rows.First; r <= rows.Last; ++r)
        line.SetPoint(r - rows.First, r, selected[static_cast<size_t>(r - rows.First)]);
    line.Compute();
    result.Slope = line.LastSlope();
    // A curve that runs out of range at some row (an exponential of a steep
    // fit) leaves that row without a point rather than drawing a non-number.
    const auto addPoint = [&](int r, double y) {
        if (std::isfinite(y)) result.RegressionLine.push_back({static_cast<double>(r), y});
    };
    const auto regression = [&](auto& fit) {
        fit.Fit(line);
        for (int r = rows.First; r <= rows.Last; ++r) addPoint(r, fit.Predict(r));
    };
    switch (Kind) {
    case Regression::Linear:
        for (int r = rows.First; r <= rows.Last; ++r) addPoint(r, line.Predict(r));
        break;
    case Regression::Exponential: {
        TNLRExp fit;
        regression(fit);
        break;
    }
    case Regression::Logarithmic: {
        TNLRLog fit;
        regression(fit);
        break;
    }
    case Regression::Power: {
        TNLRPow fit;
        regression(fit);
        break;
    }
    }

    // The report.
    std::vector<std::string>& memo = result.Memo;
    memo.emplace_back(result.Slope > 0 ? "Tendência à sorteio" : "Tendência à atraso");
    if (result.PositiveBall > 0) {
        memo.emplace_back("Maior correlação positiva:");
        memo.push_back("dezena " + Int(result.PositiveBall) + " em " +
                       NumberText::FormatFixed(static_cast<double>(result.Positive * 100.0L), 2) + "%");
    }
    if (result.NegativeBall > 0) {
        memo.emplace_back("Maior correlação negativa:");
        memo.push_back("dezena " + Int(result.NegativeBall) + " em " +
                       NumberText::FormatFixed(static_cast<double>(-result.Negative * 100.0L), 2) + "%");
    }
    switch (view_) {
    case View::Absolute:
        memo.emplace_back("Atraso máximo teórico com 99,9% de certeza:");
        memo.push_back(Int(-d));
        memo.emplace_back("Atraso máximo real:");
        memo.push_back(Int(result.MinAll));
        memo.emplace_back("Atraso máximo da dezena:");
        memo.push_back(Int(result.MinSel));
        memo.emplace_back("Adiantamento máximo real:");
        memo.push_back(Int(result.MaxAll));
        memo.emplace_back("Adiantamento máximo da dezena:");
        memo.push_back(Int(result.MaxSel));
        break;
    case View::Relative:
        memo.emplace_back("Probabilidade teórica:");
        memo.push_back(NumberText::FormatFixed(static_cast<double>(1.0L / n_), 8));
        memo.emplace_back("Probabilidade média total:");
        memo.push_back(NumberText::FormatFixed(result.MeanAgg, 8));
        memo.emplace_back("Probabilidade média da dezena:");
        memo.push_back(NumberText::FormatFixed(result.MeanSel, 8));
        break;
    case View::RandomWalk:
        memo.emplace_back("Primeira passagem na origem: 0");
        memo.emplace_back("Probabilidade de retorno à origem: 0");
        break;
    }

    if (trained) {
        const long double margin =
            realLast > 0 ? std::trunc((static_cast<long double>(fitLast) / realLast - 1) * 10000) / 100 : 0;
        const double next = std::trunc(ForecastAt(aggregate, rows.Count()));
        // A network whose output is not a number forecasts nothing.
        if (std::isfinite(next) && std::isfinite(static_cast<double>(margin))) {
            result.Forecast = true;
            result.Next = next;
            result.Margin = static_cast<double>(margin);
            result.Fit.push_back({static_cast<double>(rows.Last + 1), next});
            memo.emplace_back("Próximo atraso para a dezena:");
            memo.push_back(NumberText::FormatGeneral(next));
            memo.emplace_back("Margem de erro da rede no último atraso:");
            memo.push_back(NumberText::FormatGeneral(result.Margin) + "%");
            return result;
        }
    }
    memo.emplace_back("------------");
    memo.emplace_back("Sem previsão");
    return result;
}
