#include "TBetList.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}

// Blanks (and other control characters), commas and semicolons part balls.
bool IsSeparator(char c) {
    return c == ',' || c == ';' || (static_cast<unsigned char>(c) <= 32 && !IsLineEnd(c));
}

std::string LinePrefix(int32_t line) {
    return "Linha " + std::to_string(line) + ": ";
}

std::string NotANumber(std::string_view token) {
    std::string text(1, '"');
    text.append(token);
    text.append("\" não é um número.");
    return text;
}

} // namespace

void TBetList::Add(std::span<const int32_t> balls, int32_t line) {
    const size_t start = balls_.size();
    balls_.insert(balls_.end(), balls.begin(), balls.end());
    std::sort(balls_.begin() + static_cast<std::ptrdiff_t>(start), balls_.end());
    starts_.push_back(balls_.size());
    lines_.push_back(line);
    maxBalls_ = std::max(maxBalls_, static_cast<int32_t>(balls.size()));
}

void TBetList::Clear() {
    *this = TBetList();
}

std::string TBetList::Text(std::span<const int32_t> bet) {
    std::string text;
    for (size_t i = 0; i < bet.size(); ++i) {
        if (i > 0) text += ' ';
        text += std::to_string(bet[i]);
    }
    return text;
}

TBetList TBetList::Parse(std::string_view text, const Rules& rules, std::string& error,
                         const std::atomic<bool>* stop) {
    error.clear();
    TBetList list;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    const int32_t first = rules.FirstBall();
    const int32_t last = rules.LastBall();
    // seen[ball - first] == line: the ball already stands in this line's bet.
    std::vector<int32_t> seen(static_cast<size_t>(std::max(rules.Elements, 0)), 0);
    std::vector<int32_t> bet;
    const auto refuse = [&](int32_t line, const std::string& message) {
        error = LinePrefix(line) + message;
        return TBetList();
    };

    int32_t line = 0;
    size_t i = 0;
    const size_t size = text.size();
    while (i < size) {
        ++line;
        if (stop && line % 4096 == 0 && stop->load(std::memory_order_relaxed)) return TBetList();
        size_t end = i;
        while (end < size && !IsLineEnd(text[end])) ++end;
        const size_t next =
            end < size && text[end] == '\r' && end + 1 < size && text[end + 1] == '\n' ? end + 2 : end + 1;
        size_t p = i;
        while (p < end && IsSeparator(text[p])) ++p;
        if (p == end || text[p] == '#') {
            i = next;
            continue;
        }
        bet.clear();
        while (p < end) {
            const size_t tokenStart = p;
            while (p < end && !IsSeparator(text[p])) ++p;
            const std::string_view token = text.substr(tokenStart, p - tokenStart);
            while (p < end && IsSeparator(text[p])) ++p;

            size_t q = 0;
            bool negative = false;
            if (token[0] == '+' || token[0] == '-') {
                negative = token[0] == '-';
                q = 1;
            }
            if (q == token.size()) return refuse(line, NotANumber(token));
            // Values far beyond any game are only told apart as "too large".
            long long value = 0;
            for (; q < token.size(); ++q) {
                const char c = token[q];
                if (c < '0' || c > '9') return refuse(line, NotANumber(token));
                if (value < 1'000'000'000) value = value * 10 + (c - '0');
            }
            if (negative) value = -value;
            if (value < first || value > last) {
                std::string message = "a bola ";
                message.append(token);
                message += " está fora de " + std::to_string(first) + " a " + std::to_string(last) + ".";
                return refuse(line, message);
            }
            const auto ball = static_cast<int32_t>(value);
            int32_t& mark = seen[static_cast<size_t>(ball - first)];
            if (mark == line)
                return refuse(line, "a bola " + std::to_string(ball) + " aparece mais de uma vez.");
            mark = line;
            bet.push_back(ball);
        }
        if (static_cast<int32_t>(bet.size()) < rules.PerCombination)
            return refuse(line, "a aposta tem " + std::to_string(bet.size()) +
                                    (bet.size() == 1 ? " bola" : " bolas") + "; são necessárias pelo menos " +
                                    std::to_string(rules.PerCombination) + ".");
        list.Add(bet, line);
        i = next;
    }
    return list;
}

TBetList TBetList::Load(const std::string& fileName, const Rules& rules, std::string& error,
                        const std::atomic<bool>* stop) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        error = "Não foi possível abrir o arquivo de apostas " + fileName + ".";
        return TBetList();
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || static_cast<uint64_t>(size) > MaxFileBytes) {
        error = "O arquivo de apostas " + fileName + " é grande demais.";
        return TBetList();
    }
    std::string text(static_cast<size_t>(size), '\0');
    in.read(text.data(), size);
    if (in.gcount() != size) {
        error = "Não foi possível ler o arquivo de apostas " + fileName + ".";
        return TBetList();
    }
    return Parse(text, rules, error, stop);
}
