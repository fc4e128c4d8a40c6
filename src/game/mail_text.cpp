#include "game/mail_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <utility>

namespace quorvane {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != Lower(prefix[i]))
            return false;
    return true;
}

} // namespace

bool NextMailLine(std::string_view text, std::size_t &pos, std::string_view &line) {
    if (pos >= text.size())
        return false;
    // Short lines by a plain loop (find_first_of would look each character up
    // in the set); a long one a block at a time with memchr, each block bounded
    // so that a text with no LF at all is not searched to its end per line.
    constexpr std::size_t kShortLine = 64;
    constexpr std::size_t kBlock = 64 * 1024;
    std::size_t end = pos;
    const std::size_t shortEnd = std::min(text.size(), pos + kShortLine);
    while (end < shortEnd && text[end] != '\n' && text[end] != '\r')
        ++end;
    const bool longLine = end == shortEnd;
    while (longLine && end < text.size()) {
        const std::size_t block = std::min(text.size() - end, kBlock);
        const char *start = text.data() + end;
        const auto *lf = static_cast<const char *>(std::memchr(start, '\n', block));
        const auto *cr = static_cast<const char *>(
            std::memchr(start, '\r', lf ? static_cast<std::size_t>(lf - start) : block));
        if (cr || lf) {
            end += static_cast<std::size_t>((cr ? cr : lf) - start);
            break;
        }
        end += block;
    }
    line = text.substr(pos, end - pos);
    pos = end;
    if (pos < text.size() && text[pos] == '\r')
        ++pos;
    if (pos < text.size() && text[pos] == '\n')
        ++pos;
    return true;
}

namespace {

bool HasLoneCr(std::string_view text) {
    for (std::size_t at = text.find('\r'); at != std::string_view::npos; at = text.find('\r', at + 1))
        if (at + 1 == text.size() || text[at + 1] != '\n')
            return true;
    return false;
}

// Calls f with each line of text, without its LF, CR LF or lone CR.
template <typename F> void ForEachLine(std::string_view text, F f) {
    std::size_t pos = 0;
    std::string_view line;
    while (NextMailLine(text, pos, line))
        f(line);
}

void AppendUtf8(std::string &out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Windows-1252's bytes 0x80 to 0x9F; 0 where the code page leaves the byte unused.
constexpr std::array<std::uint16_t, 32> kCp1252High = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                                       0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char Cp1252Byte(std::uint32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<char>(cp);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] != 0 && kCp1252High[i] == cp)
            return static_cast<char>(0x80 + i);
    return '?';
}

// The named entities worth knowing in a mail body; the rest stay as written.
constexpr std::pair<std::string_view, std::uint32_t> kEntities[] = {
    {"amp", '&'},      {"lt", '<'},       {"gt", '>'},       {"quot", '"'},      {"apos", '\''},    {"nbsp", 0xA0},
    {"copy", 0xA9},    {"reg", 0xAE},     {"laquo", 0xAB},   {"raquo", 0xBB},    {"shy", 0xAD},     {"eacute", 0xE9},
    {"egrave", 0xE8},  {"agrave", 0xE0},  {"aacute", 0xE1},  {"ccedil", 0xE7},   {"auml", 0xE4},    {"ouml", 0xF6},
    {"uuml", 0xFC},    {"Auml", 0xC4},    {"Ouml", 0xD6},    {"Uuml", 0xDC},     {"szlig", 0xDF},   {"ntilde", 0xF1},
    {"euro", 0x20AC},  {"ndash", 0x2013}, {"mdash", 0x2014}, {"hellip", 0x2026}, {"lsquo", 0x2018}, {"rsquo", 0x2019},
    {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"bull", 0x2022},  {"middot", 0xB7}};

constexpr std::size_t kLongestEntity = 13;

// Decodes the entity at text[pos] == '&'. Returns the code point and moves pos
// past it, or returns 0 and leaves pos when it is no entity.
std::uint32_t DecodeEntity(std::string_view text, std::size_t &pos) {
    // The longest entity is 12 characters with its "&" and ";": look no further,
    // or a text of many "&" costs the square of its length.
    const std::size_t semi = text.substr(0, pos + kLongestEntity).find(';', pos + 1);
    if (semi == std::string_view::npos)
        return 0;
    const std::string_view name = text.substr(pos + 1, semi - pos - 1);
    std::uint32_t cp = 0;
    if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty())
            return 0;
        for (char c : digits) {
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (hex && Lower(c) >= 'a' && Lower(c) <= 'f')
                d = Lower(c) - 'a' + 10;
            else
                return 0;
            cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
            if (cp > 0x10FFFF)
                return 0;
        }
        if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF))
            cp = 0xFFFD;
    } else {
        for (const auto &[entity, value] : kEntities)
            if (entity == name)
                cp = value;
        if (cp == 0)
            return 0;
    }
    pos = semi + 1;
    return cp;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Tags whose end (and start) breaks the line.
constexpr std::string_view kBlockTags[] = {"p",          "div",     "tr",       "li",     "ul",   "ol",      "h1",
                                           "h2",         "h3",      "h4",       "h5",     "h6",   "pre",     "table",
                                           "blockquote", "dd",      "dt",       "dl",     "hr",   "section", "article",
                                           "header",     "footer",  "address",  "center", "form", "body",    "html",
                                           "title",      "caption", "fieldset", "figure", "main", "nav",     "aside"};
// Tags whose contents are not text.
constexpr std::string_view kSkippedTags[] = {"script", "style", "head", "template"};

template <std::size_t N> bool OneOf(std::string_view name, const std::string_view (&names)[N]) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

class HtmlText {
public:
    // Text that the page shows; white space collapses unless in <pre>.
    void Text(std::string_view text) {
        for (char c : text) {
            if (pre_ == 0 && IsSpace(c)) {
                pendingSpace_ = true;
                continue;
            }
            if (pre_ > 0 && c == '\n') {
                Break();
                continue;
            }
            if (pre_ > 0 && c == '\r')
                continue;
            Char(c);
        }
    }
    void CodePoint(std::uint32_t cp) {
        if (cp == 0xA0) {
            // A no-break space is a space that counts as content: "<p>&nbsp;</p>"
            // is an empty line the writer meant to keep.
            content_ = true;
            pendingSpace_ = true;
            return;
        }
        std::string bytes;
        AppendUtf8(bytes, cp);
        for (char c : bytes)
            Char(c);
    }
    void Break() {
        while (!out_.empty() && out_.back() == ' ' && lineStart_ < out_.size())
            out_.pop_back();
        out_ += '\n';
        lineStart_ = out_.size();
        pendingSpace_ = false;
        content_ = false;
    }
    // Ends the line when anything was written on it.
    void EndBlock() {
        if (content_ || out_.size() > lineStart_)
            Break();
    }
    void Pre(bool open) { pre_ = open ? pre_ + 1 : std::max(0, pre_ - 1); }
    std::string Take() {
        EndBlock();
        return std::move(out_);
    }

private:
    void Char(char c) {
        if (pendingSpace_ && out_.size() > lineStart_)
            out_ += ' ';
        pendingSpace_ = false;
        out_ += c;
        content_ = true;
    }

    std::string out_;
    std::size_t lineStart_ = 0;
    bool pendingSpace_ = false;
    bool content_ = false;
    int pre_ = 0;
};

} // namespace

bool StartsLikeMail(std::string_view line) {
    if (line.rfind("From ", 0) == 0)
        return true;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return false;
    const std::string_view name = line.substr(0, colon);
    for (char c : name)
        if (c <= ' ' || c > '~')
            return false;
    static constexpr std::string_view kFirstFields[] = {"from",         "received",     "return-path",
                                                        "delivered-to", "mime-version", "content-type",
                                                        "subject",      "date",         "message-id"};
    std::string lower;
    for (char c : name)
        lower += Lower(c);
    return OneOf(lower, kFirstFields) || (lower.size() > 2 && lower.rfind("x-", 0) == 0);
}

namespace {

// ">From " loses one ">" in a mailbox's message: the quoting mailboxes add.
void AppendMailboxLine(std::string &message, std::string_view line) {
    std::size_t quotes = 0;
    while (quotes < line.size() && line[quotes] == '>')
        ++quotes;
    if (quotes > 0 && line.substr(quotes).rfind("From ", 0) == 0)
        line.remove_prefix(1);
    message.append(line).append("\n");
}

} // namespace

namespace {

// The message of a mailbox at span: the bytes as they stand, unless a line
// needs ">From " unquoting or ends in a lone CR (which MIME does not take for a
// line end); then a copy, made from that line on, in scratch.
std::string_view MailboxMessage(std::string_view bytes, MessageSpan span, std::string &scratch) {
    const std::string_view raw = bytes.substr(span.begin, span.end - span.begin);
    // Most messages have neither, and need no look at their lines.
    if (raw.find('\r') == std::string_view::npos && raw.find('>') == std::string_view::npos)
        return raw;
    bool copying = false;
    std::size_t pos = 0;
    std::size_t lineStart = 0;
    std::string_view line;
    while (lineStart = pos, NextMailLine(raw, pos, line)) {
        if (!copying) {
            const std::size_t after = lineStart + line.size();
            const bool loneCr = after < raw.size() && raw[after] == '\r' && (after + 1 == raw.size() || raw[after + 1] != '\n');
            std::size_t quotes = 0;
            while (quotes < line.size() && line[quotes] == '>')
                ++quotes;
            if (!loneCr && !(quotes > 0 && line.substr(quotes).rfind("From ", 0) == 0))
                continue;
            scratch.assign(raw.substr(0, lineStart));
            copying = true;
        }
        AppendMailboxLine(scratch, line);
    }
    return copying ? std::string_view(scratch) : raw;
}

} // namespace

void ForEachMessage(std::string_view bytes, const MessageCallback &f) {
    const bool mailbox = bytes.rfind("From ", 0) == 0;
    std::string message;
    if (!mailbox) {
        // One message, byte for byte unless it has lone CRs: MIME minds no CR LF.
        if (!HasLoneCr(bytes)) {
            f(bytes, {0, bytes.size()});
            return;
        }
        ForEachLine(bytes, [&](std::string_view line) { message.append(line).append("\n"); });
        f(message, {0, bytes.size()});
        return;
    }
    // Cut at the separators first, then give each message as it stands where
    // it can: a mailbox of one huge message is not copied.
    MessageSpan span{};
    bool started = false;
    bool previousEmpty = true;
    std::size_t pos = 0;
    std::size_t lineStart = 0;
    std::string_view line;
    while (lineStart = pos, NextMailLine(bytes, pos, line)) {
        if (previousEmpty && line.rfind("From ", 0) == 0) {
            if (started) {
                span.end = lineStart;
                f(MailboxMessage(bytes, span, message), span);
            }
            started = true;
            span.begin = pos;
            previousEmpty = false;
            continue;
        }
        previousEmpty = line.empty();
    }
    span.end = bytes.size();
    f(MailboxMessage(bytes, span, message), span);
}

namespace {

constexpr std::string_view kSeparator = "From ";

// Whether a mailbox's separator line starts at p: "From " at the start of a line
// that follows an empty line, or of the mailbox. Lines end as NextMailLine ends
// them, so this is what ForEachMessage finds, told from the bytes nearby.
bool SeparatorAt(std::string_view bytes, std::size_t p) {
    if (bytes.substr(p, kSeparator.size()) != kSeparator)
        return false;
    if (p == 0)
        return true;
    // The line end before p ("\n", "\r\n" or a lone "\r": bytes[p] is 'F').
    std::size_t end;
    if (bytes[p - 1] == '\n')
        end = p >= 2 && bytes[p - 2] == '\r' ? p - 2 : p - 1;
    else if (bytes[p - 1] == '\r')
        end = p - 1;
    else
        return false;
    // The line before is empty when its end is where it starts.
    return end == 0 || bytes[end - 1] == '\n' || (bytes[end - 1] == '\r' && bytes[end] != '\n');
}

// The last separator at or before p, no earlier than known (a separator).
std::size_t SeparatorBefore(std::string_view bytes, std::size_t p, std::size_t known) {
    while (p > known) {
        const void *f = ::memrchr(bytes.data() + known + 1, 'F', p - known);
        if (!f)
            break;
        const auto at = static_cast<std::size_t>(static_cast<const char *>(f) - bytes.data());
        if (SeparatorAt(bytes, at))
            return at;
        p = at - 1;
    }
    return known;
}

// The first separator at or after p, or the end of bytes.
std::size_t SeparatorFrom(std::string_view bytes, std::size_t p) {
    for (;; ++p) {
        p = bytes.find(kSeparator, p);
        if (p == std::string_view::npos)
            return bytes.size();
        if (SeparatorAt(bytes, p))
            return p;
    }
}

} // namespace

void ForEachMessageAround(std::string_view bytes, const NextStart &nextStart, const MessageCallback &f) {
    if (bytes.rfind(kSeparator, 0) != 0) {
        if (nextStart(0) != std::string_view::npos)
            ForEachMessage(bytes, f);
        return;
    }
    std::string scratch;
    std::size_t known = 0; // a separator no later than anything still to give
    for (std::size_t from = 0, at; (at = nextStart(from)) != std::string_view::npos && at < bytes.size();) {
        const std::size_t separator = SeparatorBefore(bytes, at, known);
        std::size_t begin = separator;
        std::string_view line;
        NextMailLine(bytes, begin, line);
        known = separator;
        if (at < begin) {
            // On the separator line itself, which belongs to no message.
            from = begin;
            continue;
        }
        const MessageSpan span{begin, SeparatorFrom(bytes, begin)};
        f(MailboxMessage(bytes, span, scratch), span);
        if (span.end == bytes.size())
            return;
        known = from = span.end;
    }
}

std::string MessageAt(std::string_view bytes, MessageSpan span) {
    std::string message;
    if (bytes.rfind("From ", 0) != 0) {
        ForEachMessage(bytes.substr(span.begin, span.end - span.begin),
                       [&](std::string_view m, MessageSpan) { message.assign(m); });
        return message;
    }
    std::string scratch;
    return std::string(MailboxMessage(bytes, span, scratch));
}

std::vector<std::string> SplitMailbox(std::string_view bytes) {
    std::vector<std::string> messages;
    ForEachMessage(bytes, [&](std::string_view message, MessageSpan) { messages.emplace_back(message); });
    return messages;
}

std::string StripQuoting(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachLine(text, [&](std::string_view line) {
        while (!line.empty() && line.front() == '>') {
            line.remove_prefix(1);
            if (!line.empty() && line.front() == ' ')
                line.remove_prefix(1);
        }
        out.append(line).append("\n");
    });
    return out;
}

std::string HtmlToText(std::string_view html) {
    HtmlText text;
    std::size_t pos = 0;
    while (pos < html.size()) {
        const char c = html[pos];
        if (c == '&') {
            if (const std::uint32_t cp = DecodeEntity(html, pos)) {
                text.CodePoint(cp);
                continue;
            }
            text.Text(html.substr(pos, 1));
            ++pos;
            continue;
        }
        if (c != '<') {
            const std::size_t next = std::min(html.find_first_of("<&", pos), html.size());
            text.Text(html.substr(pos, next - pos));
            pos = next;
            continue;
        }
        if (html.substr(pos, 4) == "<!--") {
            const std::size_t end = html.find("-->", pos + 4);
            pos = end == std::string_view::npos ? html.size() : end + 3;
            continue;
        }
        const std::size_t close = html.find('>', pos + 1);
        if (close == std::string_view::npos)
            break; // an unfinished tag at the very end shows nothing
        std::string_view tag = html.substr(pos + 1, close - pos - 1);
        pos = close + 1;
        const bool ending = !tag.empty() && tag.front() == '/';
        if (ending)
            tag.remove_prefix(1);
        std::string name;
        for (char t : tag) {
            if (IsSpace(t) || t == '/')
                break;
            name += Lower(t);
        }
        if (name == "br") {
            text.Break();
        } else if (OneOf(name, kSkippedTags) && !ending) {
            // Up to the matching end tag, which is found without regard to case.
            std::size_t end = pos;
            for (;;) {
                end = html.find("</", end);
                if (end == std::string_view::npos || StartsWithNoCase(html.substr(end + 2), name))
                    break;
                end += 2;
            }
            if (end == std::string_view::npos) {
                pos = html.size();
            } else {
                const std::size_t gt = html.find('>', end);
                pos = gt == std::string_view::npos ? html.size() : gt + 1;
            }
        } else if (OneOf(name, kBlockTags)) {
            text.EndBlock();
            if (name == "pre")
                text.Pre(!ending);
        }
    }
    return text.Take();
}

namespace {

// The end of the run of ASCII bytes that starts at text[i].
std::size_t AsciiRun(std::string_view text, std::size_t i) {
    // Eight bytes at a time while none has its high bit set: a record of 64 MiB
    // is nearly all ASCII.
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    for (std::uint64_t word; i + sizeof word <= text.size(); i += sizeof word) {
        std::memcpy(&word, text.data() + i, sizeof word);
        if (word & kHighBits)
            break;
    }
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80)
        ++i;
    return i;
}

// The length of the UTF-8 character at text[i] and its code point in cp; 0 when
// the bytes there are no valid UTF-8.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, std::uint32_t &cp) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
        cp = b;
        return 1;
    }
    std::size_t length = 0;
    std::uint32_t min = 0;
    if ((b & 0xE0) == 0xC0) {
        length = 2, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        length = 3, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        length = 4, cp = b & 0x07, min = 0x10000;
    }
    bool valid = length > 0 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        valid = (next & 0xC0) == 0x80;
        cp = (cp << 6) | (next & 0x3F);
    }
    valid = valid && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    return valid ? length : 0;
}

} // namespace

std::string ToWindows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    AppendWindows1252(out, utf8);
    return out;
}

void AppendWindows1252(std::string &out, std::string_view utf8) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        // Runs of ASCII, nearly all of a record, are copied whole.
        const std::size_t ascii = AsciiRun(utf8, i);
        if (ascii > i) {
            out.append(utf8.substr(i, ascii - i));
            i = ascii;
            continue;
        }
        std::uint32_t cp = 0;
        const std::size_t length = DecodeUtf8(utf8, i, cp);
        if (length == 0) {
            out += utf8[i];
            ++i;
            continue;
        }
        out += Cp1252Byte(cp);
        i += length;
    }
}

bool IsUtf8(std::string_view bytes) {
    std::uint32_t cp = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        i = AsciiRun(bytes, i);
        if (i == bytes.size())
            break;
        const std::size_t length = DecodeUtf8(bytes, i, cp);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xA0 && kCp1252High[b - 0x80] == 0) {
            out += c; // unused: kept as the byte, which ToWindows1252 gives back
            continue;
        }
        AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b);
    }
    return out;
}

std::string Utf8OrWindows1252(std::string_view bytes) {
    return IsUtf8(bytes) ? std::string(bytes) : Windows1252ToUtf8(bytes);
}

} // namespace quorvane
