// PGN's tokens over a text view, with the recovery rules that keep one broken
// game from swallowing the games after it.

#include "chess/pgn_lexer.h"

#include <cstdint>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorvane::chess::pgn {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The bytes that end the plain run of a quoted tag value: the quote, an
// escape, the end of the line.
constexpr std::array<bool, 256> makeValueStops() {
    std::array<bool, 256> stops{};
    for (const char c : std::string_view("\"\\\r\n"))
        stops[static_cast<unsigned char>(c)] = true;
    return stops;
}
constexpr std::array<bool, 256> kValueStops = makeValueStops();

// What a byte is to the lexer, looked up once per byte.
enum CharClass : std::uint8_t {
    kDelimiter = 1, // ends a word: white space or a character with a meaning of its own
    kMoveStart = 2, // a move's first letter: a pawn's file, a piece, castling
    kSpaceClass = 4,
    kNameClass = 8, // a tag name's: letters, digits, "_"
};

constexpr std::array<std::uint8_t, 256> makeClasses() {
    std::array<std::uint8_t, 256> classes{};
    for (const char c : std::string_view(" \t\r\n\f\v"))
        classes[static_cast<unsigned char>(c)] |= kDelimiter | kSpaceClass;
    for (const char c : std::string_view("{}()[];$!?\""))
        classes[static_cast<unsigned char>(c)] |= kDelimiter;
    classes[0] |= kDelimiter;
    for (char c = 'a'; c <= 'h'; ++c)
        classes[static_cast<unsigned char>(c)] |= kMoveStart;
    for (const char c : std::string_view("NBRQKOo"))
        classes[static_cast<unsigned char>(c)] |= kMoveStart;
    for (int c = 0; c < 256; ++c)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')
            classes[static_cast<std::size_t>(c)] |= kNameClass;
    return classes;
}
constexpr std::array<std::uint8_t, 256> kClasses = makeClasses();

bool isSpace(char c) {
    return (kClasses[static_cast<unsigned char>(c)] & kSpaceClass) != 0;
}

bool isNameChar(char c) {
    return (kClasses[static_cast<unsigned char>(c)] & kNameClass) != 0;
}

bool isDelimiter(char c) {
    return (kClasses[static_cast<unsigned char>(c)] & kDelimiter) != 0;
}

bool startsMove(char c) {
    return (kClasses[static_cast<unsigned char>(c)] & kMoveStart) != 0;
}

constexpr std::string_view kBom = "\xEF\xBB\xBF";

} // namespace

bool Lexer::tagLineAt(std::size_t i) const {
    // "[" then a name's first character, at the start of a line.
    return i + 1 < text_.size() && text_[i] == '[' && isLetter(text_[i + 1]);
}

void Lexer::skipSpace() {
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (isSpace(c)) {
            lineStart_ = c == '\n';
            ++pos_;
            // Empty lines eight at a time: a paste may be millions of them.
            constexpr std::uint64_t kNewlines = 0x0A0A0A0A0A0A0A0AULL;
            for (std::uint64_t word; c == '\n' && pos_ + sizeof word <= text_.size() && text_[pos_] == '\n';
                 pos_ += sizeof word) {
                std::memcpy(&word, text_.data() + pos_, sizeof word);
                if (word != kNewlines)
                    break;
            }
        } else if (c == '\xEF' && text_.substr(pos_, 3) == kBom) {
            pos_ += 3;
        } else if (c == '%' && lineStart_) {
            // The escape line: another program's data, to the end of the line.
            const auto end = text_.find('\n', pos_);
            pos_ = end == std::string_view::npos ? text_.size() : end;
        } else {
            return;
        }
    }
}

Token Lexer::next() {
    skipSpace();
    if (pos_ >= text_.size())
        return {TokenKind::End, {}, {}, text_.size()};
    const std::size_t start = pos_;
    const char c = text_[pos_];
    lineStart_ = false;
    switch (c) {
    case '[':
        return tag(start);
    case '{':
        return braceComment(start);
    case ';':
        return lineComment(start);
    case '(':
        ++pos_;
        return {TokenKind::Open, text_.substr(start, 1), {}, start};
    case ')':
        ++pos_;
        return {TokenKind::Close, text_.substr(start, 1), {}, start};
    case '*':
        ++pos_;
        return {TokenKind::Result, text_.substr(start, 1), {}, start};
    case '$': {
        ++pos_;
        while (pos_ < text_.size() && isDigit(text_[pos_]))
            ++pos_;
        if (pos_ == start + 1)
            return word(start, TokenKind::Junk);
        return {TokenKind::Nag, text_.substr(start + 1, pos_ - start - 1), {}, start};
    }
    case '!':
    case '?':
        while (pos_ < text_.size() && (text_[pos_] == '!' || text_[pos_] == '?'))
            ++pos_;
        return {TokenKind::Suffix, text_.substr(start, pos_ - start), {}, start};
    default:
        break;
    }
    if (isDigit(c))
        return number(start);
    if (startsMove(c))
        return word(start, TokenKind::Move);
    return word(start, TokenKind::Junk);
}

namespace {

#if defined(__SSE2__)
// The bytes of kPlainBlock from p that the plain path may pass over, as bit
// masks (bit k for byte k).
constexpr unsigned kPlainBlock = 32;
struct PlainMasks {
    std::uint64_t space;     // ' ', '\t', '\n', '\r'
    std::uint64_t special;   // a byte the token-by-token path must see
    std::uint64_t digit;
    std::uint64_t dot;
    std::uint64_t moveStart; // what startsMove takes
};

// The set bits of a mask (no popcnt instruction in the base x86-64 set).
unsigned bitCount(std::uint64_t v) {
    v = v - ((v >> 1) & 0x5555555555555555ull);
    v = (v & 0x3333333333333333ull) + ((v >> 2) & 0x3333333333333333ull);
    v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<unsigned>((v * 0x0101010101010101ull) >> 56);
}

[[gnu::always_inline]] inline PlainMasks plainMasks16(const char *p) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    // Unsigned comparisons as signed ones, with the top bit flipped.
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i xs = _mm_xor_si128(x, flip);
    auto below = [&](int c) { return _mm_cmplt_epi8(xs, _mm_set1_epi8(static_cast<char>(c ^ 0x80))); };
    auto within = [&](int lo, int hi) { return _mm_andnot_si128(below(lo), below(hi + 1)); };
    auto is = [&](char c) { return _mm_cmpeq_epi8(x, _mm_set1_epi8(c)); };
    auto bits = [](__m128i v) { return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(v))); };
    const __m128i space = _mm_or_si128(_mm_or_si128(is(' '), is('\t')), _mm_or_si128(is('\n'), is('\r')));
    // Everything that is not a letter, a digit, plain white space or one of
    // ".+-/=,:_@<>^`~" (a word's characters, or a word of junk) goes the
    // slow way: delimiters with a meaning, "%", "*", "#", control bytes and
    // all bytes from 0x7B up (braces, UTF-8, a byte order mark). More than
    // needed is only slower.
    // (Below 0x2B but not white space: control bytes and "!" to "*".)
    __m128i special = _mm_andnot_si128(space, below(0x2B));
    special = _mm_or_si128(special, _mm_or_si128(is(';'), is('?')));
    special = _mm_or_si128(special, within(0x5B, 0x5D));
    special = _mm_or_si128(special, _mm_cmpgt_epi8(xs, _mm_set1_epi8(static_cast<char>(0x7A ^ 0x80))));
    __m128i moveStart = _mm_or_si128(within('a', 'h'), _mm_or_si128(is('N'), is('B')));
    moveStart = _mm_or_si128(moveStart, _mm_or_si128(_mm_or_si128(is('R'), is('Q')), is('K')));
    moveStart = _mm_or_si128(moveStart, _mm_or_si128(is('O'), is('o')));
    return {bits(space), bits(special), bits(within('0', '9')), bits(is('.')), bits(moveStart)};
}

[[gnu::always_inline]] inline PlainMasks plainMasks(const char *p) {
    const PlainMasks lo = plainMasks16(p), hi = plainMasks16(p + 16);
    return {lo.space | hi.space << 16, lo.special | hi.special << 16, lo.digit | hi.digit << 16,
            lo.dot | hi.dot << 16, lo.moveStart | hi.moveStart << 16};
}
#endif

} // namespace

Lexer::MovetextStop Lexer::skipMovetext(int &depth, std::uint32_t &moves) {
    const char *s = text_.data();
    const std::size_t n = text_.size();
    std::size_t i = pos_;
    bool lineStart = lineStart_;
    // Each case does what next() does for a token that starts with that byte.
    while (true) {
#if defined(__SSE2__)
        // The plain path: 32 bytes at a time, between tokens, over
        // white space, move numbers and words ("12.Nf3 Nc6 "), counting the
        // words that start a move. It stops before a byte it does not pass
        // and before a token it cannot see the end of or is not sure of; the
        // token-by-token path below takes one token from there.
        while (i + kPlainBlock <= n) {
            using Bits = std::uint64_t;
            const PlainMasks m = plainMasks(s + i);
            const Bits all = (Bits{1} << kPlainBlock) - 1;
            const Bits region = m.special ? (Bits{1} << __builtin_ctzll(m.special)) - 1 : all;
            const Bits word = ~m.space & region;
            Bits starts = word & ~(word << 1);
            // A move number: its digits, then its dots ("12.", "12...");
            // the word after the dots starts where they end ("1.e4"). Digits
            // followed by anything else but white space ("1-0", "0-0",
            // "12e4") are for the token-by-token path.
            const Bits digits = m.digit & region;
            const Bits numberStarts = starts & digits;
            Bits limit = region;
            if (numberStarts) {
                const Bits afterDigits = (digits + numberStarts) & ~digits;
                const Bits dotStarts = afterDigits & m.dot;
                const Bits afterDots = ((m.dot & region) + dotStarts) & ~m.dot;
                const Bits splits = afterDots & word;
                const Bits odd = (afterDigits & word & ~m.dot) | (splits & digits);
                starts |= splits;
                if (odd) {
                    // Up to the token that holds the first odd byte.
                    const Bits before = starts & ((odd & (~odd + 1)) - 1);
                    limit = before ? (Bits{1} << (63 - __builtin_clzll(before))) - 1 : 0;
                }
            }
            // limit is a run of low bits.
            unsigned stop = static_cast<unsigned>(__builtin_ctzll(~limit));
            // The last token seen ends there only when a delimiter follows it.
            if (limit == region && stop > 0 && (word >> (stop - 1) & 1) &&
                (stop == kPlainBlock || !isDelimiter(s[i + stop]))) {
                const Bits seen = starts & limit;
                stop = seen ? static_cast<unsigned>(63 - __builtin_clzll(seen)) : 0;
            }
            if (stop == 0)
                break;
            if (depth == 0)
                moves += bitCount(starts & m.moveStart & ((Bits{1} << stop) - 1));
            lineStart = s[i + stop - 1] == '\n';
            i += stop;
        }
#endif
        // White space, as skipSpace.
        while (i < n) {
            const char c = s[i];
            if (isSpace(c)) {
                lineStart = c == '\n';
                ++i;
            } else if (c == '\xEF' && text_.substr(i, 3) == kBom) {
                i += 3;
            } else if (c == '%' && lineStart) {
                const void *nl = std::memchr(s + i, '\n', n - i);
                i = nl ? static_cast<std::size_t>(static_cast<const char *>(nl) - s) : n;
            } else {
                break;
            }
        }
        if (i >= n) {
            pos_ = n;
            lineStart_ = lineStart;
            return MovetextStop::End;
        }
        const std::size_t start = i;
        const char c = s[i];
        switch (c) {
        case '[': {
            std::size_t j = i + 1;
            while (j < n && (s[j] == ' ' || s[j] == '\t'))
                ++j;
            if (j < n && isNameChar(s[j])) {
                // A tag pair: the next game's, left for next().
                pos_ = start;
                lineStart_ = lineStart;
                return MovetextStop::Tag;
            }
            ++i;
            while (i < n && s[i] != ']' && s[i] != '\n')
                ++i;
            if (i < n && s[i] == ']')
                ++i;
            lineStart = false;
            continue;
        }
        case '{':
        case ';':
            pos_ = start;
            lineStart_ = false;
            if (c == '{')
                braceComment(start);
            else
                lineComment(start);
            i = pos_;
            lineStart = lineStart_;
            continue;
        case '(':
            ++depth;
            ++i;
            lineStart = false;
            continue;
        case ')':
            depth = depth > 0 ? depth - 1 : 0;
            ++i;
            lineStart = false;
            continue;
        case '*':
            ++i;
            if (depth == 0) {
                pos_ = i;
                lineStart_ = false;
                return MovetextStop::Result;
            }
            lineStart = false;
            continue;
        case '$':
            ++i;
            while (i < n && isDigit(s[i]))
                ++i;
            if (i == start + 1)
                while (i < n && !isDelimiter(s[i]))
                    ++i;
            lineStart = false;
            continue;
        case '!':
        case '?':
            while (i < n && (s[i] == '!' || s[i] == '?'))
                ++i;
            lineStart = false;
            continue;
        default:
            break;
        }
        lineStart = false;
        if (isDigit(c)) {
            std::size_t j = i + 1;
            while (j < n && isDigit(s[j]))
                ++j;
            if (j < n && s[j] == '.') {
                // "12." or "12...": a move number (no result or castling has a dot there).
                while (j < n && s[j] == '.')
                    ++j;
                i = j;
                continue;
            }
            pos_ = start;
            const Token t = number(start);
            i = pos_;
            if (t.kind == TokenKind::Result && depth == 0) {
                lineStart_ = false;
                return MovetextStop::Result;
            }
            if (t.kind == TokenKind::Move && depth == 0)
                ++moves;
            continue;
        }
        if (startsMove(c) && depth == 0)
            ++moves;
        ++i;
        while (i < n && !isDelimiter(s[i]))
            ++i;
    }
}

namespace {

// The first byte from i that ends the plain run of a tag value (kValueStops),
// or the end: sixteen bytes at a time, as a database has a dozen values a game.
std::size_t valueStop(std::string_view text, std::size_t i) {
#if defined(__SSE2__)
    const char *s = text.data();
    const __m128i quote = _mm_set1_epi8('"'), escape = _mm_set1_epi8('\\'), cr = _mm_set1_epi8('\r'),
                  lf = _mm_set1_epi8('\n');
    for (; i + 16 <= text.size(); i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, quote), _mm_cmpeq_epi8(x, escape)),
                                         _mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, lf)));
        if (const int bits = _mm_movemask_epi8(hit))
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(bits)));
    }
#endif
    while (i < text.size() && !kValueStops[static_cast<unsigned char>(text[i])])
        ++i;
    return i;
}

} // namespace

Token Lexer::tag(std::size_t start) {
    std::size_t i = start + 1;
    while (i < text_.size() && (text_[i] == ' ' || text_[i] == '\t'))
        ++i;
    const std::size_t nameStart = i;
    while (i < text_.size() && isNameChar(text_[i]))
        ++i;
    if (i == nameStart) {
        // "[" that starts no tag ("[%clk ...]" outside a comment): a word of junk.
        ++pos_;
        while (pos_ < text_.size() && text_[pos_] != ']' && text_[pos_] != '\n')
            ++pos_;
        if (pos_ < text_.size() && text_[pos_] == ']')
            ++pos_;
        return {TokenKind::Junk, text_.substr(start, pos_ - start), {}, start};
    }
    const std::string_view name = text_.substr(nameStart, i - nameStart);
    while (i < text_.size() && (text_[i] == ' ' || text_[i] == '\t'))
        ++i;
    std::string_view value;
    if (i < text_.size() && text_[i] == '"') {
        const std::size_t valueStart = ++i;
        while (i < text_.size()) {
            i = valueStop(text_, i);
            if (i >= text_.size() || text_[i] != '\\')
                break;
            if (i + 1 < text_.size() && (text_[i + 1] == '"' || text_[i + 1] == '\\'))
                ++i;
            ++i;
        }
        value = text_.substr(valueStart, i - valueStart);
        if (i < text_.size() && text_[i] == '"')
            ++i;
    } else {
        // No quotes: the value is what stands before the "]".
        const std::size_t valueStart = i;
        while (i < text_.size() && text_[i] != ']' && text_[i] != '\n' && text_[i] != '\r')
            ++i;
        value = text_.substr(valueStart, i - valueStart);
        while (!value.empty() && isSpace(value.back()))
            value.remove_suffix(1);
    }
    // Up to the "]", on the same line.
    while (i < text_.size() && text_[i] != ']' && text_[i] != '\n')
        ++i;
    if (i < text_.size() && text_[i] == ']')
        ++i;
    pos_ = i;
    return {TokenKind::Tag, name, value, start};
}

Token Lexer::braceComment(std::size_t start) {
    std::size_t i = start + 1;
    while (i < text_.size()) {
        const char *found = static_cast<const char *>(std::memchr(text_.data() + i, '}', text_.size() - i));
        const std::size_t close = found ? static_cast<std::size_t>(found - text_.data()) : text_.size();
        // A line in between that starts with a tag pair ends an open comment.
        std::size_t nl = i;
        bool cut = false;
        while (true) {
            const char *line = static_cast<const char *>(std::memchr(text_.data() + nl, '\n', close - nl));
            if (!line)
                break;
            nl = static_cast<std::size_t>(line - text_.data()) + 1;
            if (tagLineAt(nl)) {
                cut = true;
                break;
            }
        }
        if (cut) {
            pos_ = nl;
            lineStart_ = true;
            return {TokenKind::Comment, text_.substr(start + 1, nl - start - 1), {}, start};
        }
        if (close >= text_.size()) {
            pos_ = text_.size();
            return {TokenKind::Comment, text_.substr(start + 1), {}, start};
        }
        pos_ = close + 1;
        return {TokenKind::Comment, text_.substr(start + 1, close - start - 1), {}, start};
    }
    pos_ = text_.size();
    return {TokenKind::Comment, {}, {}, start};
}

Token Lexer::lineComment(std::size_t start) {
    std::size_t end = text_.find('\n', start);
    if (end == std::string_view::npos)
        end = text_.size();
    pos_ = end;
    std::string_view body = text_.substr(start + 1, end - start - 1);
    if (!body.empty() && body.back() == '\r')
        body.remove_suffix(1);
    return {TokenKind::Comment, body, {}, start};
}

Token Lexer::number(std::size_t start) {
    for (const std::string_view result : {std::string_view("1-0"), std::string_view("0-1"), std::string_view("1/2-1/2")}) {
        if (text_.substr(start, result.size()) == result &&
            (start + result.size() == text_.size() || isDelimiter(text_[start + result.size()]))) {
            pos_ = start + result.size();
            return {TokenKind::Result, result, {}, start};
        }
    }
    if (text_.substr(start, 3) == "0-0")
        return word(start, TokenKind::Move);
    std::size_t i = start;
    while (i < text_.size() && isDigit(text_[i]))
        ++i;
    const std::size_t digitsEnd = i;
    while (i < text_.size() && text_[i] == '.')
        ++i;
    // "12." and "12...": a move number; "1.e4" leaves the move to the next token.
    if (i < text_.size() && !isDelimiter(text_[i]) && i == digitsEnd)
        return word(start, TokenKind::Junk);
    pos_ = i;
    return {TokenKind::MoveNumber, text_.substr(start, i - start), {}, start};
}

Token Lexer::word(std::size_t start, TokenKind kind) {
    std::size_t i = start + 1;
    while (i < text_.size() && !isDelimiter(text_[i]))
        ++i;
    pos_ = i;
    return {kind, text_.substr(start, i - start), {}, start};
}

std::string unescapeTagValue(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size() && (raw[i + 1] == '"' || raw[i + 1] == '\\'))
            ++i;
        out += raw[i];
    }
    return out;
}

bool isValidUtf8(std::string_view bytes) {
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        // Runs of ASCII, eight bytes at a time.
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ull)
                break;
            p += 8;
        }
        if (p >= end)
            break;
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length;
        std::uint32_t code;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (end - p < length)
            return false;
        for (int k = 1; k < length; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[k] & 0x3F);
        }
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += length;
    }
    return true;
}

} // namespace quorvane::chess::pgn
