// PGN's tokens over a text view, with the recovery rules that keep one broken
// game from swallowing the games after it.

#include "chess/pgn_lexer.h"

#include <cstdint>
#include <cstring>

namespace quorvane::chess::pgn {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isNameChar(char c) {
    return isLetter(c) || isDigit(c) || c == '_';
}

// Where a word ends: white space or a character with a meaning of its own.
bool isDelimiter(char c) {
    return isSpace(c) || std::strchr("{}()[];$!?\"", c) != nullptr || c == '\0';
}

// The letters a move can start with: a pawn's file, a piece, castling.
bool startsMove(char c) {
    return (c >= 'a' && c <= 'h') || std::strchr("NBRQKOo", c) != nullptr;
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
            for (std::uint64_t word; c == '\n' && pos_ + sizeof word <= text_.size(); pos_ += sizeof word) {
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
        while (i < text_.size() && text_[i] != '"' && text_[i] != '\n' && text_[i] != '\r') {
            if (text_[i] == '\\' && i + 1 < text_.size() && (text_[i + 1] == '"' || text_[i + 1] == '\\'))
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
