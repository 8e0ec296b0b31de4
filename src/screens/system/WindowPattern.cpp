#include "screens/system/WindowPattern.h"

#include <optional>
#include <utility>
#include <vector>

namespace {

struct Token
{
    enum Kind { Star, Any, Digit, Set, Literal } kind = Literal;
    char16_t literal = 0;
    bool negated = false;
    std::vector<std::pair<char16_t, char16_t>> ranges;

    bool matches(char16_t c) const
    {
        switch (kind) {
        case Any:
            return true;
        case Digit:
            return c >= u'0' && c <= u'9';
        case Literal:
            return c == literal;
        case Set: {
            bool in = false;
            for (const auto& [lo, hi] : ranges)
                in = in || (c >= lo && c <= hi);
            return in != negated;
        }
        case Star:
            break;
        }
        return false;
    }
};

// Empty for a malformed pattern. "[]" yields no token at all.
std::optional<std::vector<Token>> tokenize(QStringView pattern)
{
    std::vector<Token> tokens;
    qsizetype i = 0;
    while (i < pattern.size()) {
        const char16_t c = pattern[i].unicode();
        Token t;
        if (c == u'*') {
            t.kind = Token::Star;
            // A run of stars is one star.
            if (!tokens.empty() && tokens.back().kind == Token::Star) {
                ++i;
                continue;
            }
        } else if (c == u'?') {
            t.kind = Token::Any;
        } else if (c == u'#') {
            t.kind = Token::Digit;
        } else if (c == u'[') {
            const qsizetype close = pattern.indexOf(u']', i + 1);
            if (close < 0)
                return std::nullopt;
            QStringView list = pattern.mid(i + 1, close - i - 1);
            i = close + 1;
            if (list.isEmpty())
                continue;
            t.kind = Token::Set;
            if (list.size() > 1 && list[0] == u'!') {
                t.negated = true;
                list = list.mid(1);
            }
            for (qsizetype k = 0; k < list.size(); ++k) {
                const char16_t lo = list[k].unicode();
                if (k + 2 < list.size() && list[k + 1] == u'-') {
                    const char16_t hi = list[k + 2].unicode();
                    if (hi < lo)
                        return std::nullopt;
                    t.ranges.emplace_back(lo, hi);
                    k += 2;
                } else {
                    t.ranges.emplace_back(lo, lo);
                }
            }
            tokens.push_back(std::move(t));
            continue;
        } else {
            t.literal = c;
        }
        tokens.push_back(std::move(t));
        ++i;
    }
    return tokens;
}

} // namespace

namespace WindowPattern {

bool isValid(QStringView pattern)
{
    return tokenize(pattern).has_value();
}

bool matches(QStringView text, QStringView pattern)
{
    const std::optional<std::vector<Token>> tokens = tokenize(pattern);
    if (!tokens)
        return false;
    const std::vector<Token>& p = *tokens;
    // Every token but the star takes exactly one character, so the usual
    // scan that backtracks to the last star is enough.
    std::size_t ti = 0, pi = 0;
    std::optional<std::size_t> star;
    std::size_t starText = 0;
    const auto n = std::size_t(text.size());
    while (ti < n) {
        if (pi < p.size() && p[pi].kind == Token::Star) {
            star = pi++;
            starText = ti;
        } else if (pi < p.size() && p[pi].matches(text[qsizetype(ti)].unicode())) {
            ++pi;
            ++ti;
        } else if (star) {
            pi = *star + 1;
            ti = ++starText;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi].kind == Token::Star)
        ++pi;
    return pi == p.size();
}

} // namespace WindowPattern
