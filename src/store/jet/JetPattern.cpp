#include "store/jet/JetPattern.h"

#include <QChar>
#include <QList>

#include <cstddef>
#include <utility>

namespace {

// Full Unicode folding one code point at a time: "ñ" meets "Ñ", but "é" stays apart from "e",
// because folding never strips a diacritic.
char32_t fold(char32_t c)
{
    return QChar::toCaseFolded(c);
}

std::vector<char32_t> codePoints(const QString& text)
{
    // toUcs4 joins surrogate pairs, so an emoji is one character to "?" just as to a reader.
    const QList<uint> ucs4 = text.toUcs4();
    return std::vector<char32_t>(ucs4.cbegin(), ucs4.cend());
}

} // namespace

JetPattern::JetPattern(const QString& pattern, std::optional<QChar> escape)
{
    std::optional<char32_t> codePoint;
    if (escape)
        codePoint = char32_t(escape->unicode());
    compile(pattern, codePoint);
}

void JetPattern::compile(const QString& pattern, std::optional<char32_t> escape)
{
    const std::vector<char32_t> p = codePoints(pattern);
    const std::size_t n = p.size();

    // An escape as the pattern's last character has nothing to protect and stands for itself.
    const auto escapesAt = [&](std::size_t k) { return escape && k + 1 < n && p[k] == *escape; };

    const auto make = [](Token::Kind kind) {
        Token token{};
        token.kind = kind;
        return token;
    };

    const auto pushLiteral = [this, &make](char32_t c) {
        Token token = make(Token::Literal);
        token.literal = fold(c);
        tokens_.push_back(std::move(token));
    };

    // Reads the list that starts after the "[" at `open`; returns the index past its "]" and
    // the Set (none for "[]"), or nothing when the list never closes.
    const auto readList = [&](std::size_t open,
                              std::optional<Token>& set) -> std::optional<std::size_t> {
        std::size_t k = open + 1;
        Token token = make(Token::Set);
        // "[!]" alone would negate an empty list; taking the "!" as the member keeps a search
        // for a lone exclamation mark meaningful.
        if (k + 1 < n && p[k] == U'!' && p[k + 1] != U']') {
            token.negated = true;
            ++k;
        }
        while (k < n) {
            char32_t low;
            if (escapesAt(k)) {
                low = p[k + 1];
                k += 2;
            } else if (p[k] == U']') {
                if (!token.ranges.empty())
                    set = std::move(token);
                return k + 1;
            } else {
                low = p[k];
                ++k;
            }
            char32_t high = low;
            // A "-" is a range only between two members; first or last it is itself.
            if (k + 1 < n && p[k] == U'-' && !escapesAt(k) && p[k + 1] != U']') {
                if (escapesAt(k + 1)) {
                    high = p[k + 2];
                    k += 3;
                } else {
                    high = p[k + 1];
                    k += 2;
                }
            }
            // A range reversed (even by folding, as "[Z-a]") holds nothing rather than failing:
            // the search words come from users and must never make a query error out.
            token.ranges.emplace_back(fold(low), fold(high));
        }
        return std::nullopt;
    };

    std::size_t i = 0;
    while (i < n) {
        if (escapesAt(i)) {
            pushLiteral(p[i + 1]);
            i += 2;
            continue;
        }
        switch (p[i]) {
        case U'*':
            // Runs of stars are one star; keeping them apart would only slow the matcher.
            if (tokens_.empty() || tokens_.back().kind != Token::AnyRun)
                tokens_.push_back(make(Token::AnyRun));
            ++i;
            break;
        case U'?':
            tokens_.push_back(make(Token::AnyChar));
            ++i;
            break;
        case U'#':
            tokens_.push_back(make(Token::Digit));
            ++i;
            break;
        case U'[': {
            std::optional<Token> set;
            if (const auto next = readList(i, set)) {
                if (set)
                    tokens_.push_back(std::move(*set));
                i = *next;
            } else {
                pushLiteral(U'[');
                ++i;
            }
            break;
        }
        default:
            pushLiteral(p[i]);
            ++i;
            break;
        }
    }
}

bool JetPattern::tokenMatches(const Token& token, char32_t folded) const
{
    switch (token.kind) {
    case Token::Literal:
        return folded == token.literal;
    case Token::AnyChar:
        return true;
    case Token::Digit:
        return folded >= U'0' && folded <= U'9';
    case Token::Set: {
        bool inList = false;
        for (const auto& [low, high] : token.ranges) {
            if (folded >= low && folded <= high) {
                inList = true;
                break;
            }
        }
        return inList != token.negated;
    }
    case Token::AnyRun:
        break;
    }
    return false;
}

bool JetPattern::matches(const QString& text) const
{
    std::vector<char32_t> t = codePoints(text);
    for (char32_t& c : t)
        c = fold(c);

    // Every token but "*" takes exactly one character, so on a mismatch it is enough to go back
    // to the latest star and let it take one character more: earlier stars never need to
    // change, which keeps the work at most text length times pattern length.
    const std::size_t n = t.size();
    const std::size_t m = tokens_.size();
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::size_t ti = 0;
    std::size_t pi = 0;
    std::size_t starToken = none;
    std::size_t starText = 0;
    while (ti < n) {
        if (pi < m && tokens_[pi].kind == Token::AnyRun) {
            starToken = pi++;
            starText = ti;
        } else if (pi < m && tokenMatches(tokens_[pi], t[ti])) {
            ++pi;
            ++ti;
        } else if (starToken != none) {
            pi = starToken + 1;
            ti = ++starText;
        } else {
            return false;
        }
    }
    while (pi < m && tokens_[pi].kind == Token::AnyRun)
        ++pi;
    return pi == m;
}
