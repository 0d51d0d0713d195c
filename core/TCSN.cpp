#include "TCSN.h"

#include "NumberText.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string_view>
#include <utility>

namespace {

// Tables beyond this many entries are not worth their memory: the converter
// then computes every binomial directly.
constexpr size_t MaxTableEntries = 4'000'000;

constexpr double TwoPow53 = 9007199254740992.0;
constexpr TCSN::Rank MaxRank = ~static_cast<TCSN::Rank>(0);

TCSN::Rank SaturatedBinomial(int32_t n, int32_t k) {
    return TCSN::ExactBinomial(n, k).value_or(MaxRank);
}

long double IntPower(long double base, int32_t exponent) {
    long double result = 1;
    for (int32_t i = 0; i < exponent; ++i) result *= base;
    return result;
}

std::string ReducedFraction(double numerator, double denominator, bool approximate);

} // namespace

TCSN::TCSN(int32_t elements, int32_t perCombination)
    : Elements(elements), PerCombination(perCombination), Total(Binomial(elements, perCombination)),
      Combination(static_cast<size_t>(perCombination < 0 ? 1 : perCombination + 1), 0) {
    ExactTotal = ExactBinomial(elements, perCombination).value_or(0);
    if (elements >= 0 && perCombination >= 0) {
        const size_t rows = static_cast<size_t>(elements) + 1;
        const size_t columns = static_cast<size_t>(perCombination) + 1;
        if (rows * columns <= MaxTableEntries) {
            binomials_.resize(rows * columns);
            for (size_t n = 0; n < rows; ++n)
                for (size_t k = 0; k < columns; ++k)
                    binomials_[n * columns + k] = Binomial(static_cast<int32_t>(n), static_cast<int32_t>(k));
            // Pascal's rule in 128 bits, held at the largest Rank once past it:
            // a saturated entry is larger than any remainder it is compared with.
            if (Total >= TwoPow53 && ExactTotal > 0) {
                ranks_.assign(rows * columns, 0);
                for (size_t n = 0; n < rows; ++n)
                    for (size_t k = 0; k < columns; ++k) {
                        if (k == 0) {
                            ranks_[n * columns] = 1;
                        } else if (n > 0) {
                            Rank sum = 0;
                            if (__builtin_add_overflow(ranks_[(n - 1) * columns + k - 1],
                                                       ranks_[(n - 1) * columns + k], &sum))
                                sum = MaxRank;
                            ranks_[n * columns + k] = sum;
                        }
                    }
            }
        }
    }
}

std::optional<TCSN::Rank> TCSN::ExactBinomial(int32_t n, int32_t k) {
    if (k > n) return 0;
    if (k <= 0) return 1;
    // C(n-k'+i, i) for i = 1..k' is whole at every step. Dividing c and i by
    // their common divisor first keeps the product within the result's size:
    // (c / g) * ((n-k'+i) / (i / g)), where i / g divides n-k'+i.
    const int64_t kk = std::min<int64_t>(k, static_cast<int64_t>(n) - k);
    const int64_t base = static_cast<int64_t>(n) - kk;
    Rank c = 1;
    for (int64_t i = 1; i <= kk; ++i) {
        Rank a = c;
        Rank b = static_cast<Rank>(i);
        while (b != 0) {
            const Rank t = a % b;
            a = b;
            b = t;
        }
        const Rank g = a;
        const Rank factor = static_cast<Rank>(base + i) / (static_cast<Rank>(i) / g);
        if (__builtin_mul_overflow(c / g, factor, &c)) return std::nullopt;
    }
    return c;
}

std::string TCSN::RangeMessage(int32_t n, int32_t k) {
    return "O jogo de " + std::to_string(n) + " bolas com " + std::to_string(k) +
           " por combinação tem combinações demais para CSNs exatos (o limite é 2^128).";
}

double TCSN::Binomial(int32_t n, int32_t k) {
    if (k > n) return 0;
    if (k <= 0) return 1;
    // Exact first: C(n-k'+i, i) for i = 1..k' (k' the smaller of k and n-k)
    // is an integer at every step and never decreases, so once it passes 2^53
    // the result will too. The product formula alone is not exact there: its
    // numerator passes 2^53 long before the quotient does (C(23, 21) came out
    // as 253.00000000000003), and CSNs built from such values do not convert
    // back to their combinations.
    {
        constexpr unsigned __int128 Limit = static_cast<unsigned __int128>(1) << 53;
        const int64_t kk = std::min<int64_t>(k, static_cast<int64_t>(n) - k);
        const int64_t base = static_cast<int64_t>(n) - kk;
        unsigned __int128 c = 1;
        bool exact = true;
        for (int64_t i = 1; i <= kk; ++i) {
            c = c * static_cast<unsigned __int128>(base + i) / static_cast<unsigned __int128>(i);
            if (c >= Limit) {
                exact = false;
                break;
            }
        }
        if (exact) return static_cast<double>(static_cast<uint64_t>(c));
    }
    // The double nearest the exact count while it fits in 128 bits.
    if (const std::optional<Rank> exact = ExactBinomial(n, k)) return static_cast<double>(*exact);
    double denominator = 1;
    for (int32_t i = 1; i <= k; ++i) denominator = denominator * i;
    double numerator = 1;
    for (int32_t j = n - k + 1; j <= n; ++j) numerator = j * numerator;
    return numerator / denominator;
}

double TCSN::CachedBinomial(int32_t n, int32_t k) const {
    if (!binomials_.empty() && n >= 0 && k >= 0 && n <= Elements && k <= PerCombination)
        return binomials_[static_cast<size_t>(n) * (static_cast<size_t>(PerCombination) + 1) +
                          static_cast<size_t>(k)];
    return Binomial(n, k);
}

double TCSN::GreatestCommonDivisor(double a, double b) {
    if (!std::isfinite(a) || !std::isfinite(b)) return 1;
    if (a <= 1 || b <= 1) return 1;
    // Euclid by repeated remainders, in the program's own steps; the bound only
    // guards against values that are not integers.
    for (int guard = 0; a != b; ++guard) {
        if (guard > 100000) return 1;
        if (a > b) {
            const double q = std::trunc(a / b);
            const double t = b * q;
            a = t >= a ? b : a - t;
        } else {
            const double q = std::trunc(b / a);
            const double t = a * q;
            b = t >= b ? a : b - t;
        }
    }
    return a;
}

double TCSN::CombinationToCSN() {
    return BallsToCSN(Combination);
}

void TCSN::CSNToCombination(double csn) {
    CSNToBalls(csn, Combination);
}

TCSN::Rank TCSN::CachedRank(int32_t n, int32_t k) const {
    if (!ranks_.empty() && n >= 0 && k >= 0 && n <= Elements && k <= PerCombination)
        return ranks_[static_cast<size_t>(n) * (static_cast<size_t>(PerCombination) + 1) +
                      static_cast<size_t>(k)];
    return SaturatedBinomial(n, k);
}

TCSN::Rank TCSN::CombinationToRank() const {
    std::vector<int32_t> balls = Combination;
    const int32_t n = Elements;
    const int32_t k = PerCombination;
    std::sort(balls.begin() + 1, balls.end());
    Rank sum = 0;
    for (int32_t i = 1; i <= k; ++i) {
        const int64_t m = static_cast<int64_t>(n) - balls[static_cast<size_t>(k - i + 1)];
        if (i <= m && m <= INT32_MAX) {
            const Rank term = CachedRank(static_cast<int32_t>(m), i);
            if (__builtin_add_overflow(sum, term, &sum)) sum = MaxRank;
        }
    }
    // Only a combination that is not one (balls outside 1..n, repeats) counts
    // more successors than there are; it has no rank of its own.
    return sum < ExactTotal ? ExactTotal - sum : 0;
}

void TCSN::RankToCombination(Rank rank) {
    RanksToBalls(rank, Combination);
}

void TCSN::RanksToBalls(Rank rank, std::span<int32_t> c) const {
    const int32_t n = Elements;
    const int32_t k = PerCombination;
    if (ExactTotal == 0) return;
    rank = std::clamp<Rank>(rank, 1, ExactTotal);
    // The greedy unranking of CSNToBalls, in exact arithmetic: x counts the
    // combinations after the wanted one, and from the largest V down the
    // largest C(V, R) that fits in x is taken.
    Rank x = ExactTotal - rank;
    int32_t v = n + 1;
    int32_t r = k;
    while (r >= 1 && v > 0) {
        --v;
        const Rank t = CachedRank(v, r);
        if (t > x) continue;
        x -= t;
        c[static_cast<size_t>(k - r + 1)] = n - v;
        --r;
    }
    // C(v, r) is 0 once v < r, so every ball is placed before v reaches 0.
}

double TCSN::BallsToCSN(std::span<int32_t> c) const {
    const int32_t n = Elements;
    const int32_t k = PerCombination;
    for (int32_t i = 1; i <= k - 1; ++i)
        for (int32_t j = i + 1; j <= k; ++j)
            if (c[static_cast<size_t>(i)] > c[static_cast<size_t>(j)])
                std::swap(c[static_cast<size_t>(i)], c[static_cast<size_t>(j)]);
    if (Wide()) {
        // Beyond 2^53 every term and partial sum in doubles would be rounded
        // (errors of thousands): sum exactly, round once.
        Rank sum = 0;
        for (int32_t i = 1; i <= k; ++i) {
            const int64_t m = static_cast<int64_t>(n) - c[static_cast<size_t>(k - i + 1)];
            if (i <= m && m <= INT32_MAX) {
                const Rank term = CachedRank(static_cast<int32_t>(m), i);
                if (__builtin_add_overflow(sum, term, &sum)) sum = MaxRank;
            }
        }
        if (sum < ExactTotal) return static_cast<double>(ExactTotal - sum);
        return -static_cast<double>(sum - ExactTotal);
    }
    // Sum over the balls from the largest down of C(n - ball, i): the number of
    // combinations that come after this one in lexicographic order.
    double sum = 0;
    for (int32_t i = 1; i <= k; ++i) {
        const int64_t m = static_cast<int64_t>(n) - c[static_cast<size_t>(k - i + 1)];
        if (i <= m && m <= INT32_MAX) sum += CachedBinomial(static_cast<int32_t>(m), i);
    }
    return Total - sum;
}

void TCSN::CSNToBalls(double csn, std::span<int32_t> c) const {
    const int32_t n = Elements;
    const int32_t k = PerCombination;
    if (Wide()) {
        // Every double from 2^53 up is a whole number and converts exactly.
        Rank rank = 1;
        if (csn >= Total)
            rank = ExactTotal;
        else if (csn > 1)
            rank = static_cast<Rank>(std::ceil(csn));
        RanksToBalls(rank, c);
        return;
    }
    if (csn > Total) csn = Total;
    // X counts the combinations after the wanted one; the greedy choice takes,
    // from the largest V down, the largest C(V, R) that still fits in X.
    double x = Total - csn;
    int32_t v = n + 1;
    int32_t r = k;
    while (r >= 1) {
        --v;
        const double t = v >= 1 ? CachedBinomial(v, r) : 0;
        // Below ball value 1 no choice is left: place the ball and let the
        // remainder decide (it only happens for CSNs outside 1..Total).
        if (t > x && v >= 1) continue;
        x -= t;
        c[static_cast<size_t>(k - r + 1)] = n - v;
        --r;
    }
    if (k >= 1 && x >= 0) {
        // Only a CSN far below 1 leaves a large remainder; keep the subtraction
        // within the integer range instead of overflowing.
        const double rest = std::min(std::trunc(x), 1e9);
        c[static_cast<size_t>(k)] -= static_cast<int32_t>(rest);
    }
}

TCSN::CSNInput TCSN::ReadCSN(std::string_view text) const {
    CSNInput input;
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.empty()) return input;
    const Rank total = ExactTotal > 0 ? ExactTotal : static_cast<Rank>(Total >= 1 ? Total : 0);
    if (text.find_first_not_of("0123456789") == std::string_view::npos) {
        Rank value = 0;
        for (const char ch : text)
            if (__builtin_mul_overflow(value, 10, &value) ||
                __builtin_add_overflow(value, static_cast<Rank>(ch - '0'), &value))
                value = MaxRank;
        input.Result = value >= 1 && value <= total ? CSNInput::Valid : CSNInput::OutOfRange;
        input.Value = std::clamp<Rank>(value, 1, std::max<Rank>(total, 1));
        return input;
    }
    double value = 0;
    if (!NumberText::TryParseFloat(text, value) || !std::isfinite(value)) return input;
    // One unit of the text's last digit: 10^(exponent - decimals shown).
    int decimals = 0;
    int exponent = 0;
    const size_t e = text.find_first_of("eE");
    const std::string_view mantissa = text.substr(0, e);
    const size_t separator = mantissa.find(NumberText::DecimalSeparator());
    if (separator != std::string_view::npos) {
        for (size_t i = separator + 1; i < mantissa.size(); ++i)
            if (mantissa[i] >= '0' && mantissa[i] <= '9') ++decimals;
    }
    if (e != std::string_view::npos) {
        int parsed = 0;
        std::string_view digits = text.substr(e + 1);
        if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
        if (NumberText::TryParseInt(digits, parsed)) exponent = parsed;
    }
    const long double unit = std::pow(10.0L, static_cast<long double>(exponent - decimals));
    const long double v = value;
    if (v < 1) {
        input.Value = 1;
        if (1 - v >= unit) {
            input.Result = CSNInput::OutOfRange;
            return input;
        }
    } else if (v > static_cast<long double>(Total)) {
        input.Value = std::max<Rank>(total, 1);
        if (v - static_cast<long double>(Total) >= unit) {
            input.Result = CSNInput::OutOfRange;
            return input;
        }
    } else {
        input.Value = std::clamp<Rank>(static_cast<Rank>(std::ceil(v)), 1, total);
    }
    input.Result = total >= 1 ? CSNInput::Valid : CSNInput::OutOfRange;
    return input;
}

std::string TCSN::RankText(Rank rank) {
    if (rank == 0) return "0";
    std::string text;
    for (; rank > 0; rank /= 10)
        text.insert(text.begin(), static_cast<char>('0' + static_cast<int>(rank % 10)));
    return text;
}

void TCSN::SortCombination() {
    const int32_t k = PerCombination;
    for (int32_t i = 1; i <= k - 1; ++i)
        for (int32_t j = i + 1; j <= k; ++j)
            if (Combination[static_cast<size_t>(i)] > Combination[static_cast<size_t>(j)])
                std::swap(Combination[static_cast<size_t>(i)], Combination[static_cast<size_t>(j)]);
}

double TCSN::PositionProbability(int32_t ball, int32_t position) const {
    if (!(Total > 0)) return 0;
    const long double ways = static_cast<long double>(CachedBinomial(ball - 1, position - 1)) *
                             CachedBinomial(Elements - ball, PerCombination - position);
    return static_cast<double>(ways / Total);
}

std::string TCSN::PositionProbabilityText(int32_t ball, int32_t position) const {
    const long double ways = static_cast<long double>(CachedBinomial(ball - 1, position - 1)) *
                             CachedBinomial(Elements - ball, PerCombination - position);
    return FractionText(static_cast<double>(ways), Total);
}

namespace {

std::string ReducedFraction(double numerator, double denominator, bool approximate) {
    const double g = TCSN::GreatestCommonDivisor(numerator, denominator);
    if (!(g > 0)) return "0";
    numerator = numerator / g;
    denominator = denominator / g;
    if ((numerator <= 10000 && denominator <= 10000) || !approximate)
        return NumberText::FormatGeneral(numerator) + "/" + NumberText::FormatGeneral(denominator);
    // Approximated in ten-thousandths, reduced once more. A fraction above 1
    // would not fit in ten-thousandths either; it is written as it comes out
    // instead of being approximated again and again.
    const long double scaled = static_cast<long double>(numerator) / denominator * 10000;
    std::string text = "~";
    text += ReducedFraction(static_cast<double>(std::trunc(scaled)), 10000, false);
    return text;
}

} // namespace

std::string TCSN::FractionText(double numerator, double denominator) {
    return ReducedFraction(numerator, denominator, true);
}

double TCSN::DelayProbability(int32_t gap, double p) {
    return static_cast<double>(static_cast<long double>(p) * IntPower(1.0L - p, gap));
}

double TCSN::AdvanceProbability(int32_t run, double p) {
    return static_cast<double>((1.0L - p) * IntPower(p, run));
}

std::string TCSN::CombinationToText() const {
    std::string text;
    for (int32_t i = 1; i <= PerCombination; ++i) {
        if (i > 1) text += ", ";
        text += std::to_string(Combination[static_cast<size_t>(i)]);
    }
    return text;
}

void TCSN::TextToCombination(std::string_view text) {
    // Digit runs saturate above any ball value, so a long run is simply a
    // number above n (skipped) instead of an overflow.
    constexpr long long Saturated = 1'000'000'000'000LL;
    long long v = 0;
    int32_t r = 0;
    const int32_t k = PerCombination;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            v = v * 10 + (c - '0');
            if (v > Saturated) v = Saturated;
        } else if (c == ';') {
            if (r < k) {
                if (v <= Elements) {
                    ++r;
                    Combination[static_cast<size_t>(r)] = static_cast<int32_t>(v);
                }
                v = 0;
            }
        }
    }
    if (v > 0 && r < k && v <= Elements) Combination[static_cast<size_t>(r + 1)] = static_cast<int32_t>(v);
}
