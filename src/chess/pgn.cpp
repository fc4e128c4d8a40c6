// PGN export: the seven tag roster and the UTC tags from the record's header
// lines, then the movetext wrapped below 80 characters.

#include "chess/pgn.h"

#include <array>
#include <string_view>
#include <vector>

namespace quorvane::chess {

namespace {

// 0x80-0x9F of Windows-1252.
constexpr std::array<char16_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lower(s[i]) != lower(prefix[i]))
            return false;
    return true;
}

std::vector<std::string_view> words(std::string_view s) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && isSpace(s[i]))
            ++i;
        const std::size_t start = i;
        while (i < s.size() && !isSpace(s[i]))
            ++i;
        if (i > start)
            out.push_back(s.substr(start, i - start));
    }
    return out;
}

bool allDigits(std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

int number(std::string_view digits) {
    int n = 0;
    for (const char c : digits)
        n = n * 10 + (c - '0');
    return n;
}

// A tag value in UTF-8, with PGN's two escapes; control characters, which a tag
// line cannot hold, become spaces.
std::string tagValue(std::string_view bytes) {
    const std::string text = windows1252ToUtf8(trim(bytes));
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? ' ' : c;
    }
    return out.empty() ? "?" : out;
}

void appendTag(std::string &out, std::string_view name, std::string_view value) {
    out.append("[").append(name).append(" \"").append(value).append("\"]\n");
}

// Appends words to lines shorter than 80 characters.
class LineWriter {
public:
    explicit LineWriter(std::string &out) : out_(out) {}
    void word(std::string_view w) {
        if (length_ > 0 && length_ + 1 + w.size() >= kWidth) {
            out_ += '\n';
            length_ = 0;
        }
        if (length_ > 0) {
            out_ += ' ';
            ++length_;
        }
        out_.append(w);
        length_ += w.size();
    }
    void end() {
        if (length_ > 0)
            out_ += '\n';
        length_ = 0;
    }

private:
    static constexpr std::size_t kWidth = 80;
    std::string &out_;
    std::size_t length_ = 0;
};

} // namespace

std::string windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
            continue;
        }
        const char32_t code = byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
        if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        }
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

std::string headerText(std::string_view line, std::string_view key) {
    line = trim(line);
    if (!line.empty() && line.front() == ';')
        line.remove_prefix(1);
    line = trim(line);
    if (startsWithNoCase(line, key) && line.size() > key.size() && line[key.size()] == ':')
        line.remove_prefix(key.size() + 1);
    return std::string(trim(line));
}

RecordDate parseRecordDate(std::string_view dateLine) {
    static constexpr std::array<std::string_view, 12> kMonths{"jan", "feb", "mar", "apr", "may", "jun",
                                                              "jul", "aug", "sep", "oct", "nov", "dec"};
    static constexpr std::array<int, 12> kDays{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    RecordDate result;
    int day = 0, month = 0, year = 0;
    const std::string text = headerText(dateLine, "Date");
    for (const std::string_view w : words(text)) {
        if (!month && w.size() >= 3 &&
            w.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") == std::string_view::npos) {
            for (std::size_t m = 0; m < kMonths.size(); ++m)
                if (startsWithNoCase(w, kMonths[m]))
                    month = static_cast<int>(m) + 1;
            if (month)
                continue;
        }
        if (allDigits(w) && w.size() <= 2 && !day) {
            day = number(w);
        } else if (allDigits(w) && w.size() == 4 && !year) {
            year = number(w);
        } else if (w.size() == 8 && w[2] == ':' && w[5] == ':' && allDigits(w.substr(0, 2)) &&
                   allDigits(w.substr(3, 2)) && allDigits(w.substr(6, 2)) && result.time.empty()) {
            if (number(w.substr(0, 2)) < 24 && number(w.substr(3, 2)) < 60 && number(w.substr(6, 2)) <= 60)
                result.time = std::string(w);
        } else if (w.size() == 3 && (startsWithNoCase(w, "GMT") || startsWithNoCase(w, "UTC"))) {
            result.utc = true;
        }
    }
    // Only a day the month has: a wrong date is worse than none.
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    result.known = month && year && day >= 1 && day <= kDays[month - 1] && (month != 2 || day <= 28 || leap);
    if (result.known) {
        auto two = [](int n) { return std::string{static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)}; };
        result.date = std::to_string(year) + "." + two(month) + "." + two(day);
    } else {
        result.date = "????.??.??";
    }
    return result;
}

std::string pgnResult(const RecordGame &game) {
    if (!game.ended || game.positions.empty())
        return "*";
    const Position &last = game.positions.back();
    if (last.isCheckmate())
        return last.sideToMove() == Color::Black ? "1-0" : "0-1";
    if (last.isStalemate())
        return "1/2-1/2";
    return "*";
}

std::string toPgn(const PgnHeaders &headers, const RecordGame &game) {
    std::string out;
    out.reserve(400 + game.san.size() * 7);
    const RecordDate date = parseRecordDate(headers.dateLine);
    const std::string result = pgnResult(game);
    appendTag(out, "Event", tagValue(headerText(headers.titleLine, "Title")));
    appendTag(out, "Site", "?");
    appendTag(out, "Date", date.date);
    appendTag(out, "Round", "?");
    appendTag(out, "White", tagValue(headerText(headers.whiteLine, "White")));
    appendTag(out, "Black", tagValue(headerText(headers.blackLine, "Black")));
    appendTag(out, "Result", result);
    if (date.utc && date.known)
        appendTag(out, "UTCDate", date.date);
    if (date.utc && !date.time.empty())
        appendTag(out, "UTCTime", date.time);
    out += '\n';

    LineWriter lines(out);
    for (std::size_t k = 0; k < game.san.size(); ++k) {
        if (k % 2 == 0)
            lines.word(std::to_string(k / 2 + 1) + ".");
        lines.word(game.san[k]);
    }
    if (!game.ended) {
        // A comment ends at the first "}", so the record's text may not bring one.
        std::string comment = "{" + describeStop(game) + "}";
        for (std::size_t i = 1; i + 1 < comment.size(); ++i) {
            if (comment[i] == '{' || comment[i] == '}')
                comment[i] = comment[i] == '{' ? '(' : ')';
            else if (static_cast<unsigned char>(comment[i]) < 0x20 || comment[i] == 0x7F)
                comment[i] = ' ';
        }
        for (const std::string_view w : words(comment))
            lines.word(w);
    }
    lines.word(result);
    lines.end();
    out += '\n';
    return out;
}

} // namespace quorvane::chess
