#pragma once
// The computation behind the bayesian analysis window: which numbers of a
// game tend to be drawn together over the last S draws.
//
// Sample marks. Number v (1..n) is marked in sample draw j (1 = the newest
// draw of the history, S = the oldest of the sample) when the draw holds it;
// a zero-based game's ball b is number b + 1. The marks are held as one bit
// set per number over the sample draws (bit j - 1), so the number of draws
// meeting a set of conditions is a few word operations.
//
// Condition probability. For the required and excluded sets, the number of
// sample draws holding every required number and none of the excluded ones,
// divided by the denominator S (0 when S is 0; 1 with both sets empty).
//
// Tables. P(A, B) is the condition probability with {A, B} required (P(A)
// on the diagonal); P(A | B) is P(A, B) / P(B), 0 when P(B) is 0. Both come
// with the margins P(A) down the last column and P(B) across the last row.
//
// Decision tree. From a root (one number required, or all draws), Expand
// picks among the numbers not yet fixed the one most often present in the
// draws of the path (conf = its draws / the path's draws; strictly greater
// wins, so the lowest number wins ties and a number never present is never
// picked), adds its presence child with that child's subtree, then its
// absence child "¬" with its own. The counts are integers, so a branch ends
// exactly when its number is certain or no draw is left in it.
//
// "Melhor comb." is TCombinationSearch's Best scan; this class builds its
// options and turns its records into the memo.
//
// Ownership: holds a copy of the history's draws in a shared search, so a
// worker keeps searching with its own reference whatever the window does.
// Threading: the search may run on a worker; everything else belongs to the
// window's thread.
#include "TCombinationSearch.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TLottery;

class TBayesAnalysis {
public:
    using Grid = std::vector<std::vector<std::string>>; // [row][column]

    // "P(A, B)" or "P(A | B)".
    enum class TTable { Joint, Conditional };

    // A node of the decision tree: its text and its children in order.
    struct TNode {
        std::string Text;
        std::vector<TNode> Children;
    };

    explicit TBayesAnalysis(const TLottery& lottery);
    // The draws as numbers 1..n (a zero-based game already shifted), oldest
    // first; values outside 1..n mark nothing.
    explicit TBayesAnalysis(TSearchGame game);

    int32_t N() const { return search_->Game().Elements; }
    int32_t K() const { return search_->Game().PerCombination; }
    int32_t DrawCount() const { return static_cast<int32_t>(search_->Game().Draws.size()); }
    const TCombinationSearch& Search() const { return *search_; }
    std::shared_ptr<const TCombinationSearch> SharedSearch() const { return search_; }

    // Marks the last sampleSize draws (cut to the history) and clears the
    // required and excluded sets; the denominator becomes the sample size.
    void Load(int32_t sampleSize);
    int32_t SampleSize() const { return sampleSize_; }
    int32_t Denominator() const { return sampleSize_; }
    // Whether number (1..n) is in sample draw j (1..S); false outside.
    bool Mark(int32_t number, int32_t j) const;

    // The current conditions, indexed by number 1..n (entry 0 unused).
    std::vector<bool> Required;
    std::vector<bool> Excluded;
    double ConditionProbability() const;
    // The sample draws meeting the conditions.
    int32_t ConditionCount() const;

    // The numbers of a table: Body[a - 1][b - 1] is P(A, B) or P(A | B) for
    // numbers a, b = 1..n, Margins[a - 1] is P(A).
    struct TProbabilities {
        std::vector<std::vector<double>> Body;
        std::vector<double> Margins;
    };
    TProbabilities Probabilities(TTable table) const;
    // The (n + 2) x (n + 2) texts of the grid: headers, body, margins and
    // the corner "1", probabilities in fixed notation with 4 decimals.
    Grid Table(TTable table) const;
    // A probability as the grid and the tree write it.
    static std::string ProbabilityText(double p);

    // The tree from the combo box's item: 0..n-1 the number item + 1, n (or
    // above) "Todas as dezenas"; a negative item counts as 0.
    TNode Tree(int32_t item) const;
    // One line per node, depth first: "+", one "-" per level below the
    // root, the node's text, CR LF.
    static std::string Outline(const TNode& root);

    // The best-combination scan over the last sampleSize draws.
    TSearchOptions BestOptions(int32_t sampleSize) const;
    // Empty when the scan can run; otherwise the message for the user. A
    // game of more than 2^53 combinations is refused: its CSNs are not exact
    // doubles and the walk would never end.
    std::string BestCheck(const TSearchOptions& options) const;
    // "Posição (Vitórias):" TAB "CSN", then one line per hit count some
    // combination reached in at least one sample draw.
    static std::vector<std::string> BestReport(const TSearchResult& result);
    // The scan's progress: percent with 2 decimals and "%".
    static std::string ProgressText(double done, double total);

private:
    int32_t Count(const std::vector<uint64_t>& draws) const;
    // The draws meeting the conditions of the required and excluded sets.
    std::vector<uint64_t> Matching(const std::vector<bool>& required,
                                   const std::vector<bool>& excluded) const;
    const uint64_t* Marks(int32_t number) const {
        return marks_.data() + static_cast<size_t>(number) * words_;
    }
    // Expands `parent`, whose path text is `path` and whose draws are
    // `draws` (pathCount of them); `fixed` holds the numbers on the path.
    void Expand(TNode& parent, const std::string& path, const std::vector<uint64_t>& draws, int32_t pathCount,
                std::vector<bool>& fixed) const;

    std::shared_ptr<const TCombinationSearch> search_;
    int32_t sampleSize_ = 0;
    size_t words_ = 0;
    std::vector<uint64_t> marks_; // (n + 1) x words_, row 0 unused
};
