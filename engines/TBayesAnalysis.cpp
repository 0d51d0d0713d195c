#include "TBayesAnalysis.h"

#include "NumberText.h"

#include <algorithm>
#include <bit>

TBayesAnalysis::TBayesAnalysis(const TLottery& lottery)
    : TBayesAnalysis(TCombinationSearch::GameOf(lottery)) {}

TBayesAnalysis::TBayesAnalysis(TSearchGame game)
    : search_(std::make_shared<const TCombinationSearch>(std::move(game))) {
    Load(0);
}

void TBayesAnalysis::Load(int32_t sampleSize) {
    const int32_t n = N();
    const int32_t draws = DrawCount();
    sampleSize_ = std::clamp(sampleSize, 0, draws);
    words_ = (static_cast<size_t>(sampleSize_) + 63) / 64;
    marks_.assign(static_cast<size_t>(n + 1) * words_, 0);
    const auto& history = search_->Game().Draws;
    for (int32_t j = 1; j <= sampleSize_; ++j) {
        const size_t bit = static_cast<size_t>(j - 1);
        for (const int32_t v : history[static_cast<size_t>(draws - j)])
            // A value outside the game's numbers marks nothing rather than
            // writing beyond the table.
            if (v >= 1 && v <= n)
                marks_[static_cast<size_t>(v) * words_ + bit / 64] |= uint64_t(1) << (bit % 64);
    }
    Required.assign(static_cast<size_t>(n) + 1, false);
    Excluded.assign(static_cast<size_t>(n) + 1, false);
}

bool TBayesAnalysis::Mark(int32_t number, int32_t j) const {
    if (number < 1 || number > N() || j < 1 || j > sampleSize_) return false;
    const size_t bit = static_cast<size_t>(j - 1);
    return (Marks(number)[bit / 64] >> (bit % 64)) & 1;
}

std::vector<uint64_t> TBayesAnalysis::Matching(const std::vector<bool>& required,
                                               const std::vector<bool>& excluded) const {
    std::vector<uint64_t> draws(words_, ~uint64_t(0));
    if (!draws.empty() && sampleSize_ % 64 != 0) draws.back() = (uint64_t(1) << (sampleSize_ % 64)) - 1;
    for (int32_t v = 1; v <= N(); ++v) {
        const bool in = static_cast<size_t>(v) < required.size() && required[static_cast<size_t>(v)];
        const bool out = static_cast<size_t>(v) < excluded.size() && excluded[static_cast<size_t>(v)];
        if (!in && !out) continue;
        const uint64_t* marks = Marks(v);
        for (size_t w = 0; w < words_; ++w) draws[w] &= in ? marks[w] : ~marks[w];
    }
    return draws;
}

int32_t TBayesAnalysis::Count(const std::vector<uint64_t>& draws) const {
    int32_t count = 0;
    for (const uint64_t word : draws) count += std::popcount(word);
    return count;
}

int32_t TBayesAnalysis::ConditionCount() const {
    return Count(Matching(Required, Excluded));
}

double TBayesAnalysis::ConditionProbability() const {
    if (Denominator() == 0) return 0;
    return static_cast<double>(ConditionCount()) / Denominator();
}

std::string TBayesAnalysis::ProbabilityText(double p) {
    return NumberText::FormatFixed(p, 4);
}

TBayesAnalysis::TProbabilities TBayesAnalysis::Probabilities(TTable table) const {
    const int32_t n = N();
    const double denominator = Denominator();
    const auto probability = [denominator](int32_t count) {
        return denominator > 0 ? static_cast<double>(count) / denominator : 0.0;
    };
    // Draws of each number alone and of each pair: popcounts of the marks.
    std::vector<int32_t> single(static_cast<size_t>(n) + 1, 0);
    for (int32_t v = 1; v <= n; ++v) {
        const uint64_t* marks = Marks(v);
        for (size_t w = 0; w < words_; ++w) single[static_cast<size_t>(v)] += std::popcount(marks[w]);
    }
    TProbabilities result;
    result.Body.assign(static_cast<size_t>(n), std::vector<double>(static_cast<size_t>(n), 0.0));
    result.Margins.assign(static_cast<size_t>(n), 0.0);
    for (int32_t r = 1; r <= n; ++r) {
        const uint64_t* a = Marks(r);
        for (int32_t c = 1; c <= n; ++c) {
            const uint64_t* b = Marks(c);
            int32_t both = 0;
            for (size_t w = 0; w < words_; ++w) both += std::popcount(a[w] & b[w]);
            const double joint = probability(both);
            double value = joint;
            if (table == TTable::Conditional) {
                const double given = probability(single[static_cast<size_t>(c)]);
                value = given == 0 ? 0.0 : joint / given;
            }
            result.Body[static_cast<size_t>(r - 1)][static_cast<size_t>(c - 1)] = value;
        }
        result.Margins[static_cast<size_t>(r - 1)] = probability(single[static_cast<size_t>(r)]);
    }
    return result;
}

TBayesAnalysis::Grid TBayesAnalysis::Table(TTable table) const {
    const int32_t n = N();
    const auto size = static_cast<size_t>(n) + 2;
    Grid grid(size, std::vector<std::string>(size));
    std::vector<std::string>& header = grid.front();
    std::vector<std::string>& margins = grid.back();
    header.front() = table == TTable::Joint ? "P(A, B)" : "P(A | B)";
    header.back() = "P(A)";
    margins.front() = "P(B)";
    margins.back() = std::string(1, '1');
    const TProbabilities numbers = Probabilities(table);
    for (int32_t r = 1; r <= n; ++r) {
        const auto row = static_cast<size_t>(r);
        grid[row][0] = std::to_string(r);
        grid[0][row] = std::to_string(r);
        for (int32_t c = 1; c <= n; ++c)
            grid[row][static_cast<size_t>(c)] = ProbabilityText(numbers.Body[row - 1][static_cast<size_t>(c - 1)]);
        const std::string margin = ProbabilityText(numbers.Margins[row - 1]);
        grid[row][size - 1] = margin;
        grid[size - 1][row] = margin;
    }
    return grid;
}

TBayesAnalysis::TNode TBayesAnalysis::Tree(int32_t item) const {
    const int32_t n = N();
    const int32_t a = std::max(item, 0) + 1;
    std::vector<bool> fixed(static_cast<size_t>(n) + 1, false);
    std::vector<bool> none(static_cast<size_t>(n) + 1, false);
    TNode root;
    std::string path;
    std::vector<uint64_t> draws;
    // The combo box holds n numbers and "Todas as dezenas".
    if (a >= n + 1) {
        path = "*) = ";
        root.Text = "P(*)";
        draws = Matching(none, none);
    } else {
        fixed[static_cast<size_t>(a)] = true;
        path = std::to_string(a) + ") = ";
        draws = Matching(fixed, none);
        const double p0 = Denominator() > 0 ? static_cast<double>(Count(draws)) / Denominator() : 0.0;
        root.Text = "P(" + path + ProbabilityText(p0);
    }
    Expand(root, path, draws, Count(draws), fixed);
    return root;
}

void TBayesAnalysis::Expand(TNode& parent, const std::string& path, const std::vector<uint64_t>& draws,
                            int32_t pathCount, std::vector<bool>& fixed) const {
    if (pathCount <= 0) return;
    int32_t best = 0;
    int32_t bestCount = 0;
    for (int32_t v = 1; v <= N(); ++v) {
        if (fixed[static_cast<size_t>(v)]) continue;
        const uint64_t* marks = Marks(v);
        int32_t count = 0;
        for (size_t w = 0; w < words_; ++w) count += std::popcount(draws[w] & marks[w]);
        // Equal confidences come from equal counts: the first number keeps it.
        if (count > bestCount) {
            best = v;
            bestCount = count;
        }
    }
    if (best == 0) return;
    const double conf = static_cast<double>(bestCount) / pathCount;
    const std::string number = std::to_string(best);
    const uint64_t* marks = Marks(best);
    fixed[static_cast<size_t>(best)] = true;

    parent.Children.push_back({"P(" + number + "|" + path + ProbabilityText(conf), {}});
    if (bestCount < pathCount) {
        std::vector<uint64_t> present(draws);
        for (size_t w = 0; w < words_; ++w) present[w] &= marks[w];
        Expand(parent.Children.back(), number + "," + path, present, bestCount, fixed);

        parent.Children.push_back({"P(¬" + number + "|" + path + ProbabilityText(1.0 - conf), {}});
        std::vector<uint64_t> absent(draws);
        for (size_t w = 0; w < words_; ++w) absent[w] &= ~marks[w];
        Expand(parent.Children.back(), "¬" + number + "," + path, absent, pathCount - bestCount, fixed);
    }
    fixed[static_cast<size_t>(best)] = false;
}

namespace {

void OutlineOf(const TBayesAnalysis::TNode& node, int depth, std::string& text) {
    text += '+';
    text.append(static_cast<size_t>(depth), '-');
    text += node.Text;
    text += "\r\n";
    for (const TBayesAnalysis::TNode& child : node.Children) OutlineOf(child, depth + 1, text);
}

} // namespace

std::string TBayesAnalysis::Outline(const TNode& root) {
    std::string text;
    OutlineOf(root, 0, text);
    return text;
}

TSearchOptions TBayesAnalysis::BestOptions(int32_t sampleSize) const {
    TSearchOptions options;
    options.Mode = TSearchMode::Best;
    options.SampleSize = std::max(sampleSize, 1);
    return options;
}

std::string TBayesAnalysis::BestCheck(const TSearchOptions& options) const {
    if (search_->Total() > TCsnValue(1) << 53)
        return "o universo completo tem " + TCombinationSearch::CsnText(search_->Total()) +
               " combinações, além do que a busca percorre";
    return search_->Check(options);
}

std::vector<std::string> TBayesAnalysis::BestReport(const TSearchResult& result) {
    std::vector<std::string> lines = {"Posição (Vitórias):\tCSN"};
    for (size_t h = 0; h < result.Count1.size() && h < result.CSN1.size(); ++h)
        if (result.Count1[h] > 0)
            lines.push_back(std::to_string(h) + " (" + std::to_string(result.Count1[h]) + "):\t" +
                            TCombinationSearch::CsnText(result.CSN1[h]));
    return lines;
}

std::string TBayesAnalysis::ProgressText(double done, double total) {
    const double percent = total > 0 ? done / total * 100.0 : 0.0;
    return NumberText::FormatFixed(percent, 2) + "%";
}
