#include "TKNN.h"

#include <algorithm>
#include <cmath>

namespace {

// Pearson correlation of the reference window (x) with a candidate window (y),
// carried out with exactly the operations of a one-segment TLR of w points,
// so that scores (and hence ties) come out bit for bit as TLR gives them. The
// reference's mean, deviations and Sxx are the same for every candidate and
// are computed once.
struct Reference {
    std::vector<long double> dx; // x - mean x, per point
    double Sxx = 0;
    long double SqrtSxx = 0;
};

Reference MakeReference(const double* x, int w) {
    Reference ref;
    double meanX = 0;
    for (int i = 0; i < w; ++i) meanX = static_cast<double>(static_cast<long double>(meanX) + x[i]);
    meanX = static_cast<double>(static_cast<long double>(meanX) / w);
    ref.dx.resize(static_cast<size_t>(w));
    for (int i = 0; i < w; ++i) {
        const long double d = static_cast<long double>(x[i]) - meanX;
        ref.dx[static_cast<size_t>(i)] = d;
        ref.Sxx = static_cast<double>(ref.Sxx + d * d);
    }
    ref.SqrtSxx = std::sqrt(static_cast<long double>(ref.Sxx));
    return ref;
}

// Scores of the candidate windows starting at y, y + 1, ..., y + Lanes - 1.
// The lanes are independent; stepping them together lets their chains of
// rounded sums overlap. Each lane performs exactly the operations of
// Correlation below.
constexpr int Lanes = 4;

void Correlations(const Reference& ref, const double* y, int w, double* scores) {
    double meanY[Lanes] = {};
    for (int i = 0; i < w; ++i)
        for (int l = 0; l < Lanes; ++l)
            meanY[l] = static_cast<double>(static_cast<long double>(meanY[l]) + y[l + i]);
    for (int l = 0; l < Lanes; ++l) meanY[l] = static_cast<double>(static_cast<long double>(meanY[l]) / w);
    double syy[Lanes] = {};
    double sxy[Lanes] = {};
    for (int i = 0; i < w; ++i) {
        const long double dx = ref.dx[static_cast<size_t>(i)];
        for (int l = 0; l < Lanes; ++l) {
            const long double dy = static_cast<long double>(y[l + i]) - meanY[l];
            syy[l] = static_cast<double>(syy[l] + dy * dy);
            sxy[l] = static_cast<double>(sxy[l] + dx * dy);
        }
    }
    for (int l = 0; l < Lanes; ++l) {
        const double spread = static_cast<double>(ref.SqrtSxx * std::sqrt(static_cast<long double>(syy[l])));
        scores[l] = spread == 0 ? 0.0 : static_cast<double>(static_cast<long double>(sxy[l]) / spread);
    }
}

double Correlation(const Reference& ref, const double* y, int w) {
    double meanY = 0;
    for (int i = 0; i < w; ++i) meanY = static_cast<double>(static_cast<long double>(meanY) + y[i]);
    meanY = static_cast<double>(static_cast<long double>(meanY) / w);
    double syy = 0;
    double sxy = 0;
    for (int i = 0; i < w; ++i) {
        const long double dy = static_cast<long double>(y[i]) - meanY;
        syy = static_cast<double>(syy + dy * dy);
        sxy = static_cast<double>(sxy + ref.dx[static_cast<size_t>(i)] * dy);
    }
    // As TLR: sqrt(Sxx) * sqrt(Syy) rounded to double; no spread scores 0.
    const double spread = static_cast<double>(ref.SqrtSxx * std::sqrt(static_cast<long double>(syy)));
    if (spread == 0) return 0.0;
    return static_cast<double>(static_cast<long double>(sxy) / spread);
}

} // namespace

void TKNN::SetCount(int count) {
    Count = count < 0 ? 0 : count;
    Values.assign(static_cast<size_t>(Count), 0.0);
}

void TKNN::Clear() {
    std::fill(Values.begin(), Values.end(), 0.0);
}

double TKNN::Forecast(int t, int w, int k) {
    int last = std::min(t, Count);
    if (last < w) last = w;
    K = std::max(k, 1);
    Neighbours.assign(static_cast<size_t>(K), 0.0);

    const int candidates = last - w;
    if (w < 1 || last > Count || candidates < 1) {
        const int known = std::min(std::max(last, 0), Count);
        const double value = known >= 1 ? Values[static_cast<size_t>(known - 1)] : 0.0;
        std::fill(Neighbours.begin(), Neighbours.end(), value);
        return value;
    }

    const double* values = Values.data();
    const Reference ref = MakeReference(values + (last - w), w);
    Scores.resize(static_cast<size_t>(candidates));
    Order.resize(static_cast<size_t>(candidates));
    int c = 0;
    for (; c + Lanes <= candidates; c += Lanes) Correlations(ref, values + c, w, Scores.data() + c);
    for (; c < candidates; ++c) Scores[static_cast<size_t>(c)] = Correlation(ref, values + c, w);
    for (c = 0; c < candidates; ++c) Order[static_cast<size_t>(c)] = c;

    const int used = std::min(K, candidates);
    // Exchange ordering, highest score first: for each position i and each
    // later position j, exchange i and j when score i < score j. Pass i only
    // touches positions i and beyond, so the first `used` passes fix the
    // first `used` positions exactly as the full procedure would.
    for (int i = 0; i < used; ++i)
        for (int j = i + 1; j < candidates; ++j)
            if (Scores[static_cast<size_t>(i)] < Scores[static_cast<size_t>(j)]) {
                std::swap(Scores[static_cast<size_t>(i)], Scores[static_cast<size_t>(j)]);
                std::swap(Order[static_cast<size_t>(i)], Order[static_cast<size_t>(j)]);
            }

    const double lastValue = values[last - 1];
    const double reference = Delta ? 0.0 : lastValue;
    long double upSum = 0;
    long double downSum = 0;
    int up = 0;
    int down = 0;
    for (int i = 0; i < used; ++i) {
        const int c = Order[static_cast<size_t>(i)];
        double successor = values[c + w];
        if (Delta) successor = static_cast<double>(static_cast<long double>(successor) - values[c + w - 1]);
        if (successor >= reference) {
            upSum += successor;
            ++up;
        } else {
            downSum += successor;
            ++down;
        }
        Neighbours[static_cast<size_t>(i)] =
            Delta ? static_cast<double>(static_cast<long double>(successor) + lastValue) : successor;
    }
    long double result = up > down ? upSum / up : downSum / down;
    if (Delta) result += lastValue;
    return static_cast<double>(result);
}
