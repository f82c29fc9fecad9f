#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <vector>

// A compiled pattern of the LIKE operator as the notes' queries use it: "*" any run, "?" one
// character, "#" one digit, "[abc]", "[!abc]", "[a-z]" one character of (or not of) a list;
// letters compare without regard to case, accented and plain letters stay distinct.
class JetPattern
{
public:
    // An escape character, when given, makes the character after it literal.
    explicit JetPattern(const QString& pattern, std::optional<QChar> escape = std::nullopt);

    bool matches(const QString& text) const;

private:
    // SQL's ESCAPE may name a character beyond the Basic Multilingual Plane, which a QChar cannot
    // hold; the store's SQL functions reach the code-point form through this friend.
    friend struct JetPatternAccess;
    struct Uncompiled
    {
    };
    explicit JetPattern(Uncompiled) {}
    void compile(const QString& pattern, std::optional<char32_t> escape);

    struct Token
    {
        enum Kind
        {
            Literal,
            AnyRun,
            AnyChar,
            Digit,
            Set
        } kind;
        char32_t literal = 0; // case-folded
        bool negated = false;
        std::vector<std::pair<char32_t, char32_t>> ranges; // case-folded, inclusive
    };
    bool tokenMatches(const Token& token, char32_t folded) const;

    std::vector<Token> tokens_;
};
