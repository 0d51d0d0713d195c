#include "TDrawCheck.h"

#include "NumberText.h"

#include <algorithm>

namespace {

// Splits one line at ';' into integers; false when a field is not one.
bool ReadFields(std::string_view line, std::vector<int32_t>& fields, std::string& bad) {
    fields.clear();
    for (;;) {
        const size_t end = line.find(';');
        const std::string_view field = line.substr(0, end);
        int value = 0;
        if (!NumberText::TryParseInt(field, value)) {
            bad = std::string(field);
            return false;
        }
        fields.push_back(value);
        if (end == std::string_view::npos) return true;
        line.remove_prefix(end + 1);
    }
}

std::vector<int32_t> Sorted(std::span<const int32_t> balls) {
    std::vector<int32_t> sorted(balls.begin(), balls.end());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

} // namespace

std::string TDrawCheck::ContestMessage(int32_t contest, const std::string& reason) {
    return "Concurso " + NumberText::FormatInt(contest) + ": " + reason;
}

std::string TDrawCheck::BallsText(std::span<const int32_t> balls) {
    std::string text;
    for (const int32_t ball : balls) {
        if (!text.empty()) text += ' ';
        text += NumberText::FormatInt(ball);
    }
    return text;
}

bool TDrawCheck::LoadHistory(std::string_view text) {
    held_.clear();
    index_.clear();
    added_.clear();
    error_.clear();
    if (text.empty()) return true;
    const size_t headerEnd = text.find('\n');
    std::string_view header = text.substr(0, headerEnd);
    LineEnd = header.ends_with('\r') ? "\r\n" : "\n";
    if (header.ends_with('\r')) header.remove_suffix(1);
    BallCount = static_cast<int32_t>(std::count(header.begin(), header.end(), ';'));
    if (BallCount < 1) {
        error_ = "O arquivo do jogo não tem cabeçalho \"Concurso;Bola1;...\".";
        return false;
    }
    std::vector<int32_t> fields;
    int32_t largest = 0;
    bool zero = false;
    int64_t lineNumber = 1;
    size_t at = headerEnd == std::string_view::npos ? text.size() : headerEnd + 1;
    while (at < text.size()) {
        ++lineNumber;
        const size_t end = text.find('\n', at);
        std::string_view line = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        at = end == std::string_view::npos ? text.size() : end + 1;
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty()) continue;
        std::string bad;
        if (!ReadFields(line, fields, bad) || static_cast<int32_t>(fields.size()) != BallCount + 1) {
            error_ = "O arquivo do jogo não pôde ser lido: linha " + NumberText::FormatInt(lineNumber) +
                     (bad.empty() ? " com número errado de bolas." : ", \"" + bad + "\" não é um número.");
            return false;
        }
        TDraw draw;
        draw.Contest = fields[0];
        draw.Balls.assign(fields.begin() + 1, fields.end());
        for (const int32_t ball : draw.Balls) {
            largest = std::max(largest, ball);
            zero = zero || ball == 0;
        }
        if (!held_.empty() && draw.Contest <= held_.back().Contest) {
            error_ = "O arquivo do jogo não pôde ser lido: o concurso " + NumberText::FormatInt(draw.Contest) +
                     " vem depois do " + NumberText::FormatInt(held_.back().Contest) + ".";
            return false;
        }
        index_.emplace(draw.Contest, held_.size());
        held_.push_back(std::move(draw));
    }
    Lowest = zero ? 0 : 1;
    Highest = largest;
    return true;
}

void TDrawCheck::SetRange(int32_t lowest, int32_t highest) {
    Lowest = lowest;
    Highest = highest;
}

bool TDrawCheck::Holds(int32_t contest, std::vector<int32_t>* balls) const {
    const auto found = index_.find(contest);
    if (found == index_.end()) return false;
    if (balls) *balls = held_[found->second].Balls;
    return true;
}

int64_t TDrawCheck::Find(int32_t contest) const {
    const auto found = index_.find(contest);
    return found == index_.end() ? -1 : static_cast<int64_t>(found->second);
}

std::string TDrawCheck::BallFault(std::span<const int32_t> balls) const {
    if (static_cast<int32_t>(balls.size()) != BallCount)
        return NumberText::FormatInt(static_cast<long long>(balls.size())) + " bola(s) sorteada(s), " +
               NumberText::FormatInt(BallCount) + " esperada(s).";
    for (const int32_t ball : balls)
        if (ball < Lowest || (Highest > 0 && ball > Highest))
            return "a bola " + NumberText::FormatInt(ball) + " está fora de " + NumberText::FormatInt(Lowest) +
                   ".." + NumberText::FormatInt(Highest) + ".";
    const std::vector<int32_t> sorted = Sorted(balls);
    const auto twice = std::adjacent_find(sorted.begin(), sorted.end());
    if (twice != sorted.end()) return "a bola " + NumberText::FormatInt(*twice) + " aparece mais de uma vez.";
    return {};
}

bool TDrawCheck::Fail(int32_t contest, const std::string& reason) {
    error_ = ContestMessage(contest, reason);
    return false;
}

bool TDrawCheck::Offer(int32_t contest, std::span<const int32_t> balls) {
    if (contest <= LastHeld()) {
        std::vector<int32_t> held;
        // An older contest the history lacks is not written: only later
        // contests are ever added.
        if (!Holds(contest, &held)) return true;
        if (Sorted(held) != Sorted(balls))
            return Fail(contest, "as bolas recebidas (" + BallsText(balls) + ") diferem das do histórico (" +
                                     BallsText(held) + ").");
        return true;
    }
    const int32_t expected = NextContest();
    if (contest < expected) return Fail(contest, "aparece mais de uma vez.");
    if (contest > expected)
        return Fail(contest, "falta o concurso " + NumberText::FormatInt(expected) + " antes dele.");
    if (const std::string fault = BallFault(balls); !fault.empty()) return Fail(contest, fault);
    added_.push_back({contest, std::vector<int32_t>(balls.begin(), balls.end())});
    return true;
}

std::string TDrawCheck::AddedText() const {
    std::string text;
    for (const TDraw& draw : added_) {
        text += NumberText::FormatInt(draw.Contest);
        for (const int32_t ball : draw.Balls) text.append(";").append(NumberText::FormatInt(ball));
        text += LineEnd;
    }
    return text;
}
