#include "TLottery.h"

#include "NumberText.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <type_traits>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

constexpr uint64_t MiB = 1ull << 20;

// The tables of a long history are tens of megabytes. Touching fresh memory
// page by page costs a fault per 4 KB, which dominates the load on virtual
// machines; asking for huge pages before the first touch cuts that 512-fold.
// Only advice: without support nothing changes.
void AdviseHugePages(const void* data, size_t bytes) {
#ifdef __linux__
    constexpr uintptr_t Page = 4096;
    if (bytes < (2u << 20)) return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + Page - 1) & ~(Page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(Page - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

template <class T> void AssignZeroed(std::vector<T>& values, size_t count) {
    values = {};
    values.reserve(count);
    AdviseHugePages(values.data(), count * sizeof(T));
    values.resize(count);
}

template <class T> void AssignZeroed(std::vector<std::vector<T>>& table, size_t rows, size_t count) {
    table.assign(rows, {});
    for (std::vector<T>& row : table) AssignZeroed(row, count);
}

// Blanks and control characters 1..32 separate fields and are skipped around
// them. NUL is not among them: in a data file it is an ordinary (invalid)
// character, so binary files fail on their first field instead of loading.
bool IsBlank(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

// Lines end with CR LF, a bare LF or a bare CR; a line break at the very end
// of the file does not start another line.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}

    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        const size_t start = pos_;
        const char* data = text_.data();
        const size_t size = text_.size();
        size_t i = start;
        while (i < size && data[i] != '\n' && data[i] != '\r') ++i;
        line = text_.substr(start, i - start);
        if (i < size && data[i] == '\r') ++i;
        if (i < size && data[i] == '\n') ++i;
        pos_ = i;
        return true;
    }

    static size_t Count(std::string_view text) {
        size_t lines = 0;
        const size_t size = text.size();
        const char* data = text.data();
        for (size_t i = 0; i < size; ++i) {
            const char c = data[i];
            if (c == '\n')
                ++lines;
            else if (c == '\r') {
                ++lines;
                if (i + 1 < size && data[i + 1] == '\n') ++i;
            }
        }
        // A last line without its line break.
        if (size > 0 && data[size - 1] != '\n' && data[size - 1] != '\r') ++lines;
        return lines;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// Splits one line into fields: ";" separates them, and so does any run of
// blanks or control characters, which is skipped around every field. A field
// that begins with a double quote runs to the closing quote (two quotes inside
// stand for one) and may contain ";" and blanks; without a closing quote it
// runs to the end of the line. Two separators in a row give an empty field,
// and a ";" as the very last character gives a final empty field.
//
// The fields are views into the line; only a quoted field with doubled quotes
// is copied, into a buffer reused from field to field.
class FieldSplitter {
public:
    explicit FieldSplitter(std::string_view line) : p_(line.data()), end_(line.data() + line.size()) {
        SkipBlanks();
    }

    bool Next(std::string_view& field) {
        if (pendingEmpty_) {
            pendingEmpty_ = false;
            field = {};
            return true;
        }
        if (p_ >= end_) return false;
        if (*p_ == '"')
            field = Quoted();
        else {
            const char* start = p_;
            while (p_ < end_ && !IsBlank(*p_) && *p_ != ';') ++p_;
            field = std::string_view(start, static_cast<size_t>(p_ - start));
        }
        SkipBlanks();
        if (p_ < end_ && *p_ == ';') {
            ++p_;
            if (p_ == end_) pendingEmpty_ = true;
            SkipBlanks();
        }
        return true;
    }

private:
    void SkipBlanks() {
        while (p_ < end_ && IsBlank(*p_)) ++p_;
    }

    std::string_view Quoted() {
        ++p_; // opening quote
        const char* start = p_;
        bool copied = false;
        for (;;) {
            const char* quote =
                static_cast<const char*>(std::memchr(p_, '"', static_cast<size_t>(end_ - p_)));
            if (quote == nullptr) {
                const char* last = end_;
                p_ = end_;
                if (!copied) return std::string_view(start, static_cast<size_t>(last - start));
                scratch_.append(start, last);
                return scratch_;
            }
            if (quote + 1 < end_ && quote[1] == '"') {
                if (!copied) scratch_.clear();
                copied = true;
                scratch_.append(start, quote + 1);
                p_ = quote + 2;
                start = p_;
                continue;
            }
            p_ = quote + 1;
            if (!copied) return std::string_view(start, static_cast<size_t>(quote - start));
            scratch_.append(start, quote);
            return scratch_;
        }
    }

    const char* p_;
    const char* end_;
    bool pendingEmpty_ = false;
    std::string scratch_;
};

// A field's text as it may appear in a message: control characters shown as
// '?', and an enormous field cut short instead of filling the message box.
std::string DisplayText(std::string_view field) {
    constexpr size_t Shown = 80;
    std::string text;
    const size_t length = std::min(field.size(), Shown);
    text.reserve(length + 3);
    for (size_t i = 0; i < length; ++i) {
        const auto u = static_cast<unsigned char>(field[i]);
        text += u < 32 || u == 127 ? '?' : field[i];
    }
    if (field.size() > Shown) text += "...";
    return text;
}

// Decimal integer with an optional sign, 32 bits. The common case is parsed
// here directly; anything unusual (blanks inside a quoted field, leading
// zeros beyond ten digits) goes through the program's general conversion.
bool ParseInt(std::string_view field, int32_t& value) {
    const char* p = field.data();
    const char* end = p + field.size();
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    if (p < end && end - p <= 10) {
        int64_t v = 0;
        const char* q = p;
        while (q < end && *q >= '0' && *q <= '9') v = v * 10 + (*q++ - '0');
        if (q == end) {
            if (negative) v = -v;
            if (v < INT32_MIN || v > INT32_MAX) return false;
            value = static_cast<int32_t>(v);
            return true;
        }
    }
    int parsed = 0;
    if (!NumberText::TryParseInt(field, parsed)) return false;
    value = parsed;
    return true;
}

[[noreturn]] void ThrowIndexOutOfBounds(size_t index) {
    throw TLoadError("List index out of bounds (" + std::to_string(index) + ")");
}

[[noreturn]] void ThrowTooLarge(const std::string& fileName) {
    throw TLoadError("O arquivo '" + fileName + "' é grande demais para um histórico de jogo (mais de " +
                     std::to_string(TLottery::MaxFileBytes / MiB) + " MB).");
}

std::string ReadWholeFile(const std::string& fileName) {
    std::error_code error;
    if (std::filesystem::is_directory(fileName, error))
        throw TLoadError("'" + fileName + "' é uma pasta, não um arquivo de jogo.");
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(fileName.c_str(), "rb"),
                                                               &std::fclose);
    if (!file) throw TLoadError("Não foi possível ler o arquivo '" + fileName + "'.");
    const auto expected = std::filesystem::file_size(fileName, error);
    if (!error && expected > TLottery::MaxFileBytes) ThrowTooLarge(fileName);
    // One byte beyond the expected size shows the end of the file at once; a
    // file of unknown size (or one that grows meanwhile) is read in doubling
    // steps.
    size_t capacity = error ? size_t{1} << 20 : static_cast<size_t>(expected) + 1;
    std::string text;
    for (;;) {
        const size_t used = text.size();
        text.reserve(capacity);
        AdviseHugePages(text.data(), capacity);
        text.resize(capacity);
        const size_t got = std::fread(text.data() + used, 1, capacity - used, file.get());
        text.resize(used + got);
        if (text.size() > TLottery::MaxFileBytes) ThrowTooLarge(fileName);
        if (got < capacity - used) break;
        capacity *= 2;
    }
    if (std::ferror(file.get()) != 0) throw TLoadError("Não foi possível ler o arquivo '" + fileName + "'.");
    return text;
}

void CheckMemory(const std::string& fileName, uint64_t bytes) {
    if (bytes > TLottery::MaxTableBytes)
        throw TLoadError("O arquivo '" + fileName +
                         "' descreve um jogo grande demais para ser analisado (seriam necessários " +
                         std::to_string(bytes / MiB) + " MB de memória).");
}

// Sorts the k balls of one draw; draws are short, so insertion sort unless k
// is large.
void SortBalls(std::span<int32_t> balls) {
    if (balls.size() > 32) {
        std::sort(balls.begin(), balls.end());
        return;
    }
    for (size_t i = 1; i < balls.size(); ++i) {
        const int32_t v = balls[i];
        size_t j = i;
        for (; j > 0 && balls[j - 1] > v; --j) balls[j] = balls[j - 1];
        balls[j] = v;
    }
}

} // namespace

TLottery::TLottery(const std::string& fileName) : FileName(fileName) {
    Load();
}

TLottery::TLottery(const TLottery& source, int32_t drawCount) : FileName(source.FileName) {
    if (!source.Loaded || !source.Converter) return;
    DrawCount = std::clamp(drawCount, 0, source.DrawCount);
    ZeroBased = source.ZeroBased;
    Superball = source.Superball;
    SuperballBalls = source.SuperballBalls;
    SuperballTotal = source.SuperballTotal;
    SuperballBirthday = source.SuperballBirthday;
    Birthday = source.Birthday;
    const auto slots = static_cast<size_t>(DrawCount);
    // Each table keeps the extra last slot, left at 0 as Load leaves it.
    const auto prefix = [slots](const auto& table) {
        std::remove_cvref_t<decltype(table)> copy(table.size());
        for (size_t c = 0; c < table.size(); ++c) {
            copy[c].assign(table[c].begin(), table[c].begin() + static_cast<std::ptrdiff_t>(slots));
            copy[c].push_back(0);
        }
        return copy;
    };
    Draws = prefix(source.Draws);
    SortedDraws = prefix(source.SortedDraws);
    CSNs.assign(source.CSNs.begin(), source.CSNs.begin() + static_cast<std::ptrdiff_t>(slots));
    CSNs.push_back(0);
    Converter = std::make_unique<TCSN>(source.Elements(), source.PerCombination());
    BuildTheory();
    BuildPresenceAndCaches();
    Loaded = true;
}

TLottery::~TLottery() = default;

void TLottery::Load() {
    std::error_code error;
    if (!std::filesystem::exists(FileName, error)) return;

    const std::string text = ReadWholeFile(FileName);
    const size_t lineCount = LineCursor::Count(text);
    LineCursor lines(text);
    std::string_view line;
    // An empty file has no header: its field 0 is missing.
    if (!lines.Next(line)) ThrowIndexOutOfBounds(0);

    size_t headerFields = 0;
    {
        FieldSplitter header(line);
        std::string_view field;
        while (header.Next(field)) ++headerFields;
    }
    if (headerFields == 0) ThrowIndexOutOfBounds(0);
    if (headerFields - 1 > static_cast<size_t>(MaxPerCombination))
        throw TLoadError("O cabeçalho de '" + FileName + "' tem " + std::to_string(headerFields) +
                         " campos: um jogo tem no máximo " + std::to_string(MaxPerCombination) +
                         " bolas por sorteio.");
    const auto k = static_cast<int32_t>(headerFields - 1);
    const size_t draws = lineCount - 1;
    if (draws > static_cast<size_t>(INT32_MAX - 1))
        throw TLoadError("O arquivo '" + FileName + "' tem linhas demais.");
    const size_t slots = draws + 1;
    const size_t columns = static_cast<size_t>(k) + 1;
    CheckMemory(FileName,
                static_cast<uint64_t>(columns) * slots * 2 * sizeof(int32_t) + slots * sizeof(double));

    DrawCount = static_cast<int32_t>(draws);
    AssignZeroed(Draws, columns, slots);
    AssignZeroed(SortedDraws, columns, slots);
    AssignZeroed(CSNs, slots);

    int32_t maxBall = 0;
    std::vector<int32_t> row(columns, 0);
    const std::span<int32_t> balls(row.data() + 1, static_cast<size_t>(k));
    for (size_t d = 0; d < draws; ++d) {
        lines.Next(line);
        FieldSplitter fields(line);
        std::string_view field;
        for (size_t c = 0; c < columns; ++c) {
            if (!fields.Next(field)) ThrowIndexOutOfBounds(c);
            int32_t v = 0;
            if (!ParseInt(field, v)) throw TLoadError(NumberText::InvalidIntegerMessage(DisplayText(field)));
            if (c >= 1) {
                // A ball outside 0..MaxBallValue would make n (and every table
                // sized by it) meaningless, or index below zero.
                if (v < 0 || v > MaxBallValue)
                    throw TLoadError("Bola inválida na linha " + std::to_string(d + 2) + " de '" + FileName +
                                     "': " + std::to_string(v) + ". As bolas devem ser números de 0 a " +
                                     std::to_string(MaxBallValue) + ".");
                if (v == 0) ZeroBased = true;
                if (v > maxBall) maxBall = v;
            }
            row[c] = v;
            Draws[c][d] = v;
        }
        SortBalls(balls);
        for (int32_t p = 0; p < k; ++p)
            SortedDraws[static_cast<size_t>(p)][d] = balls[static_cast<size_t>(p)];
        SortedDraws[static_cast<size_t>(k)][d] = row[0];
    }

    const int32_t n = maxBall + (ZeroBased ? 1 : 0);
    // Presence, the four run tables, the position tables and the fractions.
    const uint64_t theoryCells = static_cast<uint64_t>(n) * static_cast<uint64_t>(k);
    CheckMemory(FileName, static_cast<uint64_t>(columns) * slots * 2 * sizeof(int32_t) +
                              slots * sizeof(double) + (static_cast<uint64_t>(n) + 1) * slots +
                              theoryCells * ((MaxRun + 1) * 24 + 64));

    // Every CSN shown must be the exact rank of its draw, rounded once.
    if (!TCSN::InExactRange(n, k)) throw TLoadError(TCSN::RangeMessage(n, k));
    Converter = std::make_unique<TCSN>(n, k);
    for (int32_t d = 0; d < DrawCount; ++d) CSNs[static_cast<size_t>(d)] = DrawCSN(d);

    const double total = Converter->Total;
    if (n >= 100) {
        Superball = true;
        SuperballBalls = std::max(50, k);
        const long double reduced =
            static_cast<long double>(total) / static_cast<long double>(TCSN::Binomial(SuperballBalls, k));
        SuperballTotal = static_cast<double>(std::trunc(reduced));
        SuperballBirthday =
            static_cast<double>(std::trunc(std::sqrt(static_cast<long double>(SuperballTotal)) * 1.2L));
    }
    Birthday = static_cast<double>(std::trunc(std::sqrt(static_cast<long double>(total)) * 1.2L));

    BuildTheory();
    BuildPresenceAndCaches();
    Loaded = true;
}

double TLottery::DrawCSN(int32_t d) {
    if (d < 0 || d >= DrawCount || !Converter) return 0;
    const int32_t k = PerCombination();
    const int32_t shift = ZeroBased ? 1 : 0;
    for (int32_t j = 1; j <= k; ++j)
        Converter->Combination[static_cast<size_t>(j)] =
            Draws[static_cast<size_t>(j)][static_cast<size_t>(d)] + shift;
    return Converter->CombinationToCSN();
}

void TLottery::BuildTheory() {
    const auto n = static_cast<size_t>(Elements());
    const auto k = static_cast<size_t>(PerCombination());
    const std::array<int32_t, MaxRun + 1> zeroCounts{};
    const std::array<double, MaxRun + 1> zeroTheory{};
    DelayCounts.assign(n, std::vector<std::array<int32_t, MaxRun + 1>>(k, zeroCounts));
    AdvanceCounts.assign(n, std::vector<std::array<int32_t, MaxRun + 1>>(k, zeroCounts));
    DelayTheory.assign(n, std::vector<std::array<double, MaxRun + 1>>(k, zeroTheory));
    AdvanceTheory.assign(n, std::vector<std::array<double, MaxRun + 1>>(k, zeroTheory));
    PositionCounts.assign(n, std::vector<int32_t>(k, 0));
    PositionProbabilities.assign(n, std::vector<double>(k, 0));
    PositionFractions.assign(n, std::vector<std::string>(k));
    WindowCount = 0;
    for (size_t b = 0; b < n; ++b) {
        for (size_t p = 0; p < k; ++p) {
            const auto ball = static_cast<int32_t>(b + 1);
            const auto position = static_cast<int32_t>(p + 1);
            const double probability = Converter->PositionProbability(ball, position);
            PositionProbabilities[b][p] = probability;
            PositionFractions[b][p] = Converter->PositionProbabilityText(ball, position);
            if (probability > 0) {
                for (int32_t m = 0; m <= MaxRun; ++m) {
                    DelayTheory[b][p][static_cast<size_t>(m)] = TCSN::DelayProbability(m, probability);
                    AdvanceTheory[b][p][static_cast<size_t>(m)] = TCSN::AdvanceProbability(m, probability);
                }
            }
        }
    }
}

void TLottery::BuildPresenceAndCaches() {
    const auto n = static_cast<size_t>(Elements());
    const auto k = static_cast<size_t>(PerCombination());
    const size_t slots = static_cast<size_t>(DrawCount) + 1;
    cacheA_ = BallSetCache{0, std::vector<uint8_t>(n + 1, 0)};
    cacheB_ = BallSetCache{0, std::vector<uint8_t>(n + 1, 0)};
    AssignZeroed(Presence, n + 1, slots);
    // Ball values as read: rows 0..n-1 in a zero-based game, 1..n otherwise.
    for (size_t j = 1; j <= k; ++j) {
        const std::vector<int32_t>& column = Draws[j];
        for (size_t d = 0; d + 1 < slots; ++d) Presence[static_cast<size_t>(column[d])][d] = 1;
    }
}

void TLottery::ComputePositionStatistics(int32_t sampleSize) {
    const auto n = static_cast<size_t>(Elements());
    const auto k = static_cast<size_t>(PerCombination());
    // A sample cannot reach before the first draw.
    const int32_t s = std::min(sampleSize, DrawCount);
    SampleSize = s;
    for (size_t b = 0; b < n; ++b) {
        std::fill(PositionCounts[b].begin(), PositionCounts[b].end(), 0);
        for (size_t p = 0; p < k; ++p) {
            DelayCounts[b][p].fill(0);
            AdvanceCounts[b][p].fill(0);
        }
    }
    if (s < 1) return;

    // Run[b][p] > 0: ball b has stood at position p for that many draws in a
    // row; < 0: it has been absent from p for -Run draws; 0: no draw yet.
    std::vector<int32_t> run(n * k, 0);
    std::vector<int32_t> pos(n, -1);
    const size_t shift = ZeroBased ? 0 : 1;
    for (int32_t d = DrawCount - s; d < DrawCount; ++d) {
        std::fill(pos.begin(), pos.end(), -1);
        for (size_t p = 0; p < k; ++p) {
            const size_t b = static_cast<size_t>(SortedDraws[p][static_cast<size_t>(d)]) - shift;
            PositionCounts[b][p] += 1;
            pos[b] = static_cast<int32_t>(p);
        }
        for (size_t b = 0; b < n; ++b) {
            for (size_t p = 0; p < k; ++p) {
                int32_t& r = run[b * k + p];
                if (pos[b] == static_cast<int32_t>(p)) {
                    r = r >= 0 ? r + 1 : 1;
                    if (r <= MaxRun) AdvanceCounts[b][p][static_cast<size_t>(r)] += 1;
                } else {
                    r = r >= 0 ? -1 : r - 1;
                    if (-r <= MaxRun) DelayCounts[b][p][static_cast<size_t>(-r)] += 1;
                }
            }
        }
    }
}

void TLottery::CountWindowHits(int32_t windowSize, int32_t ball, int32_t position) {
    WindowSize = windowSize;
    // Windows must fit in the history: anything else gives no windows rather
    // than a negative count.
    if (windowSize < 1 || windowSize > DrawCount) {
        WindowCount = 0;
        WindowHits.clear();
        return;
    }
    WindowCount = DrawCount - windowSize + 1;
    WindowHits.assign(static_cast<size_t>(WindowCount), 0);
    if (position < 0 || position >= PerCombination()) return;
    const std::vector<int32_t>& column = SortedDraws[static_cast<size_t>(position)];
    size_t i = 0;
    for (int32_t d = 0; d < DrawCount; ++d) {
        if (d >= windowSize) {
            ++i;
            WindowHits[i] = WindowHits[i - 1];
            if (column[static_cast<size_t>(d - windowSize)] == ball) WindowHits[i] -= 1;
        }
        if (column[static_cast<size_t>(d)] == ball) WindowHits[i] += 1;
    }
}

std::vector<uint8_t> TLottery::BallSetOf(double csn) const {
    const int32_t n = Elements();
    std::vector<uint8_t> set(static_cast<size_t>(n) + 1, 0);
    if (!Converter) return set;
    std::vector<int32_t> balls(static_cast<size_t>(PerCombination()) + 1, 0);
    Converter->CSNToBalls(csn, balls);
    // A CSN outside 1..Total yields values outside 1..n: they mark nothing.
    for (size_t j = 1; j < balls.size(); ++j)
        if (balls[j] >= 0 && balls[j] <= n) set[static_cast<size_t>(balls[j])] = 1;
    return set;
}

int32_t TLottery::HitsOfDrawIn(int32_t d, std::span<const uint8_t> ballSet) const {
    if (d < 0 || d >= DrawCount) return 0;
    const int32_t k = PerCombination();
    const int32_t shift = ZeroBased ? 1 : 0;
    int32_t hits = 0;
    for (int32_t j = 1; j <= k; ++j) {
        const auto v = static_cast<size_t>(Draws[static_cast<size_t>(j)][static_cast<size_t>(d)] + shift);
        if (v < ballSet.size() && ballSet[v] != 0) ++hits;
    }
    return hits;
}

void TLottery::LoadCache(BallSetCache& cache, double csn) {
    if (csn == cache.csn) return;
    const int32_t n = Elements();
    std::fill(cache.set.begin(), cache.set.end(), 0);
    if (Converter) {
        Converter->CSNToCombination(csn);
        for (int32_t j = 1; j <= PerCombination(); ++j) {
            const int32_t v = Converter->Combination[static_cast<size_t>(j)];
            if (v >= 0 && v <= n) cache.set[static_cast<size_t>(v)] = 1;
        }
    }
    cache.csn = csn;
}

int32_t TLottery::CommonBalls(double csn1, double csn2) {
    LoadCache(cacheA_, csn1);
    LoadCache(cacheB_, csn2);
    int32_t common = 0;
    for (size_t v = 0; v < cacheA_.set.size(); ++v)
        if (cacheA_.set[v] != 0 && cacheB_.set[v] != 0) ++common;
    return common;
}

int32_t TLottery::HitsWithCache(BallSetCache& cache, int32_t d, double csn) {
    LoadCache(cache, csn);
    return HitsOfDrawIn(d, cache.set);
}

int32_t TLottery::HitsOfDraw(int32_t d, double csn) {
    return HitsWithCache(cacheA_, d, csn);
}

int32_t TLottery::HitsOfDrawB(int32_t d, double csn) {
    return HitsWithCache(cacheB_, d, csn);
}

int32_t TLottery::CommonBallsOfDraws(int32_t d1, int32_t d2) const {
    if (d1 < 0 || d2 < 0 || d1 >= DrawCount || d2 >= DrawCount) return 0;
    int32_t common = 0;
    for (const std::vector<uint8_t>& row : Presence)
        if (row[static_cast<size_t>(d1)] != 0 && row[static_cast<size_t>(d2)] != 0) ++common;
    return common;
}
