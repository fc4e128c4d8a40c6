// PGN export: a record's header lines and tokens as a game, and any game as
// tag pairs and movetext wrapped below 80 characters.

#include "chess/pgn.h"

#include <algorithm>
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

// A record header's text as a tag value: UTF-8, "?" when there is none.
std::string recordTagValue(std::string_view bytes) {
    std::string text = windows1252ToUtf8(trim(bytes));
    return text.empty() ? "?" : text;
}

// Control characters cannot stand in a tag line or a comment.
bool isControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

void appendTag(std::string &out, std::string_view name, std::string_view value) {
    out.append("[").append(name).append(" \"");
    for (const char c : value) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += isControl(c) ? ' ' : c;
    }
    out.append("\"]\n");
}

// Appends words to lines shorter than 80 characters.
class LineWriter {
public:
    explicit LineWriter(std::string &out) : out_(out) {}
    void word(std::string_view w) {
        const std::size_t size = prefix_.size() + w.size();
        if (length_ > 0 && length_ + 1 + size >= kWidth) {
            out_ += '\n';
            length_ = 0;
            // A line that starts with "[Name" reads as a tag pair even inside
            // a comment; a space keeps it in the comment.
            if (prefix_.empty() && startsTag(w)) {
                out_ += ' ';
                ++length_;
            }
        } else if (length_ > 0) {
            out_ += ' ';
            ++length_;
        }
        out_.append(prefix_).append(w);
        length_ += size;
        prefix_.clear();
    }
    // The next word starts with c, as "(" starts a variation.
    void openWith(char c) { prefix_ += c; }
    // c follows the last word without a space, as ")" ends a variation; the
    // last word goes to a new line when c would make the line too long.
    void closeWith(char c) {
        if (!prefix_.empty())
            word({});
        if (length_ > 0 && length_ + 1 >= kWidth) {
            const std::size_t lineStart = out_.size() - length_;
            const std::size_t space = out_.rfind(' ');
            if (space != std::string::npos && space > lineStart) {
                out_[space] = '\n';
                length_ = out_.size() - space - 1;
                if (startsTag(std::string_view(out_).substr(space + 1))) {
                    out_.insert(space + 1, 1, ' ');
                    ++length_;
                }
            }
        }
        out_ += c;
        ++length_;
    }
    void end() {
        if (length_ > 0)
            out_ += '\n';
        length_ = 0;
    }

private:
    static bool startsTag(std::string_view w) {
        return w.size() >= 2 && w[0] == '[' && ((w[1] >= 'A' && w[1] <= 'Z') || (w[1] >= 'a' && w[1] <= 'z'));
    }

    static constexpr std::size_t kWidth = 80;
    std::string &out_;
    std::string prefix_;
    std::size_t length_ = 0;
};

// A comment in braces, its words wrapped with the movetext. A "}" would end it
// early and becomes ")"; so does "{" when braces is set (a stop's reason
// quotes the record's text, which may hold either).
void writeComment(LineWriter &lines, std::string_view text, bool braces = false) {
    std::string clean(text);
    for (char &c : clean) {
        if (c == '}' || (braces && c == '{'))
            c = c == '}' ? ')' : '(';
        else if (isControl(c))
            c = ' ';
    }
    const std::vector<std::string_view> all = words(clean);
    lines.openWith('{');
    for (const std::string_view w : all)
        lines.word(w);
    lines.closeWith('}');
}

bool isResult(std::string_view text) {
    return text == "1-0" || text == "0-1" || text == "1/2-1/2" || text == "*";
}

// "12." before White's move, "12..." before Black's where a reader needs it
// (a line's first move, after a comment or a variation).
void writeMoveNumber(LineWriter &lines, const Position &position, bool always) {
    if (position.sideToMove() == Color::White)
        lines.word(std::to_string(position.fullmoveNumber()) + ".");
    else if (always)
        lines.word(std::to_string(position.fullmoveNumber()) + "...");
}

// One line of the tree from position, with its variations in parentheses.
// Variations nest as deep as the game's tree (the reader bounds it).
void writeLine(LineWriter &lines, const Line &line, Position position, bool numberFirst) {
    const Position lineStart = position;
    bool needNumber = numberFirst;
    for (const MoveNode &node : line.moves) {
        if (!node.commentBefore.empty()) {
            writeComment(lines, node.commentBefore);
            needNumber = true;
        }
        writeMoveNumber(lines, position, needNumber);
        lines.word(node.san.empty() ? position.toSan(node.move) : node.san);
        for (const std::uint8_t nag : node.nags)
            lines.word("$" + std::to_string(nag));
        needNumber = false;
        if (!node.commentAfter.empty()) {
            writeComment(lines, node.commentAfter);
            needNumber = true;
        }
        for (const Line &variation : node.variations) {
            lines.openWith('(');
            writeLine(lines, variation, position, true);
            lines.closeWith(')');
            needNumber = true;
        }
        position.makeMove(node.move);
    }
    if (line.stop)
        writeComment(lines, describeStop(lineStart, *line.stop), true);
}

constexpr std::array<std::string_view, 7> kRoster{"Event", "Site", "Date", "Round", "White", "Black", "Result"};

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

Game gameFromRecord(const PgnHeaders &headers, const RecordGame &record) {
    Game game;
    const RecordDate date = parseRecordDate(headers.dateLine);
    game.result = pgnResult(record);
    game.tags = {
        {"Event", recordTagValue(headerText(headers.titleLine, "Title"))},
        {"Site", "?"},
        {"Date", date.date},
        {"Round", "?"},
        {"White", recordTagValue(headerText(headers.whiteLine, "White"))},
        {"Black", recordTagValue(headerText(headers.blackLine, "Black"))},
        {"Result", game.result},
    };
    if (date.utc && date.known)
        game.tags.push_back({"UTCDate", date.date});
    if (date.utc && !date.time.empty())
        game.tags.push_back({"UTCTime", date.time});
    game.mainLine.moves.resize(record.moves.size());
    for (std::size_t k = 0; k < record.moves.size(); ++k) {
        game.mainLine.moves[k].move = record.moves[k];
        game.mainLine.moves[k].san = record.san[k];
    }
    if (!record.ended && record.stopIndex >= 0)
        game.mainLine.stop = LineStop{static_cast<std::size_t>(record.stopIndex), windows1252ToUtf8(record.stopToken),
                                      windows1252ToUtf8(record.stopReason)};
    return game;
}

Game gameFromRecord(const PgnHeaders &headers, const std::vector<std::string> &tokens) {
    return gameFromRecord(headers, gameFromTokens(tokens));
}

std::string toPgn(const Game &game) {
    std::string out;
    out.reserve(400 + game.plies() * 7);
    const std::string_view result = isResult(game.result) ? std::string_view(game.result) : "*";
    for (const std::string_view name : kRoster) {
        const std::string *value = game.tag(name);
        if (name == "Result")
            appendTag(out, name, result);
        else
            appendTag(out, name, value ? std::string_view(*value) : name == "Date" ? "????.??.??" : "?");
    }
    if (game.setUp) {
        appendTag(out, "SetUp", "1");
        appendTag(out, "FEN", game.start.toFen());
    }
    for (const TagPair &tag : game.tags) {
        const bool written = std::find(kRoster.begin(), kRoster.end(), tag.name) != kRoster.end() ||
                             tag.name == "SetUp" || tag.name == "FEN";
        if (!written)
            appendTag(out, tag.name, tag.value);
    }
    out += '\n';

    LineWriter lines(out);
    bool numberFirst = false;
    if (!game.gameComment.empty()) {
        writeComment(lines, game.gameComment);
        numberFirst = true;
    }
    writeLine(lines, game.mainLine, game.start, numberFirst || !game.whiteStarts());
    lines.word(result);
    lines.end();
    out += '\n';
    return out;
}

} // namespace quorvane::chess
