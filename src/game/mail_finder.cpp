#include "game/mail_finder.h"

#include "game/mail_text.h"
#include "platform/text_file.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <exception>

namespace quorvane {

namespace {

constexpr std::string_view kTitle = ";Title:";

bool IsBlank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// "12. e2-e4 e7-e5": a move number, then a point.
bool IsMoveLine(std::string_view line) {
    std::size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
        ++digits;
    return digits > 0 && digits < line.size() && line[digits] == '.';
}

// The next line of text without the quoting of a reply or forward, read in place.
bool NextUnquotedLine(std::string_view text, std::size_t &pos, std::string_view &line) {
    if (!NextMailLine(text, pos, line))
        return false;
    while (!line.empty() && line.front() == '>') {
        line.remove_prefix(1);
        if (!line.empty() && line.front() == ' ')
            line.remove_prefix(1);
    }
    return true;
}

// Where the record lies in text: from the start of its ";Title:" line to the end
// of its last move line.
struct RecordSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t lines = 0;
};

std::optional<RecordSpan> FindRecord(std::string_view text) {
    std::size_t pos = 0;
    std::size_t start = 0;
    std::string_view line;
    while (start = pos, NextUnquotedLine(text, pos, line)) {
        if (line.rfind(kTitle, 0) != 0)
            continue;
        std::size_t ahead = pos;
        std::string_view next;
        bool complete = true;
        for (int i = 1; i <= 4 && complete; ++i)
            complete = NextUnquotedLine(text, ahead, next);
        if (!complete)
            return std::nullopt; // no later title has its five lines either
        if (!IsBlank(next))
            continue;
        RecordSpan span{start, ahead, 5};
        while (NextUnquotedLine(text, ahead, next) && IsMoveLine(next)) {
            span.end = ahead;
            ++span.lines;
        }
        if (span.lines > 5)
            return span;
    }
    return std::nullopt;
}

// Calls f(index, line) for each line of the record at span, its fifth line empty.
template <typename F> void ForEachRecordLine(std::string_view text, const RecordSpan &span, F f) {
    std::size_t pos = span.begin;
    std::string_view line;
    for (std::size_t index = 0; index < span.lines && NextUnquotedLine(text, pos, line); ++index)
        f(index, index == 4 ? std::string_view() : line);
}

// The text after a header line's label: ";White: name" gives "name".
std::string_view AfterLabel(std::string_view line, std::string_view label) {
    if (line.rfind(label, 0) == 0)
        line.remove_prefix(label.size());
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : line.substr(first);
}

bool FoundIn(std::string_view utf8, FoundGame &game, bool keepRecord) {
    const std::optional<RecordSpan> span = FindRecord(utf8);
    if (!span)
        return false;
    if (keepRecord)
        game.record.reserve(span->end - span->begin + 1);
    ForEachRecordLine(utf8, *span, [&](std::size_t index, std::string_view line) {
        if (keepRecord)
            AppendWindows1252(game.record, line), game.record += '\n';
        if (index == 1)
            game.white = ToWindows1252(AfterLabel(line, ";White:"));
        else if (index == 2)
            game.black = ToWindows1252(AfterLabel(line, ";Black:"));
        else if (index == 3)
            game.date = ToWindows1252(AfterLabel(line, ";Date:"));
    });
    game.moveLines = static_cast<int>(span->lines) - 5;
    return true;
}

// No mail client writes more multiparts or header fields than these into one
// message. Past them a message is built to make a parser slow (the work grows
// with nesting depth times lines, and a header field costs the parser far more
// than a body line), and only its plain lines are searched.
constexpr std::size_t kMaxBoundaries = 256;
constexpr std::size_t kMaxFieldLines = 5000;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A boundary parameter in every form MIME allows and the parser honours:
// "boundary=", "boundary =", "boundary*=" (with a charset) and "boundary*0=" (in
// pieces), in any case.
std::size_t CountBoundaries(std::string_view message, std::size_t limit) {
    constexpr std::string_view kName = "boundary";
    // Found in any case a block of characters at a time: the whole message is
    // looked through, and it may be 64 MiB.
    const std::boyer_moore_horspool_searcher search(
        kName.begin(), kName.end(), [](char c) { return std::hash<char>()(Lower(c)); },
        [](char a, char b) { return Lower(a) == Lower(b); });
    std::size_t count = 0;
    auto at = message.begin();
    for (;;) {
        at = std::search(at, message.end(), search);
        if (at == message.end())
            return count;
        std::size_t after = static_cast<std::size_t>(at - message.begin()) + kName.size();
        if (after < message.size() && message[after] == '*') {
            ++after;
            while (after < message.size() && message[after] >= '0' && message[after] <= '9')
                ++after;
            if (after < message.size() && message[after] == '*')
                ++after;
        }
        while (after < message.size() &&
               (message[after] == ' ' || message[after] == '\t' || message[after] == '\r' || message[after] == '\n'))
            ++after;
        if (after < message.size() && message[after] == '=' && ++count > limit)
            return count;
        at = message.begin() + static_cast<std::ptrdiff_t>(after);
    }
}

bool ReasonableForParser(std::string_view message) {
    std::size_t fields = 0;
    std::size_t pos = 0;
    std::string_view line;
    while (NextMailLine(message, pos, line)) {
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && colon > 0 &&
            line.substr(0, colon).find_first_of(" \t") == std::string_view::npos && ++fields > kMaxFieldLines)
            return false;
    }
    return CountBoundaries(message, kMaxBoundaries) <= kMaxBoundaries;
}

// Past one line end, or quoted-printable's soft line break, at text[i]: what a
// transfer encoding may put inside a word. Bounded, so that a text of nothing
// but breaks costs no more than its length.
std::size_t SkipBreak(std::string_view text, std::size_t i) {
    if (i + 1 < text.size() && text[i] == '=' && (text[i + 1] == '\r' || text[i + 1] == '\n'))
        ++i;
    if (i < text.size() && text[i] == '\r')
        ++i;
    if (i < text.size() && text[i] == '\n')
        ++i;
    return i;
}

// Where needle first starts in text at or after from, line breaks allowed inside
// it; npos when nowhere. In a mailbox's raw bytes (mailboxQuote) a ">" after a
// break may stand inside it too: cutting the mailbox may remove one there.
// Only starts before limit are looked for.
std::size_t FindAcrossBreaks(std::string_view text, std::string_view needle, std::size_t from,
                             bool mailboxQuote = false, std::size_t limit = std::string_view::npos) {
    const std::string_view starts = text.substr(0, std::min(limit, text.size()));
    for (std::size_t at = starts.find(needle.front(), from); at != std::string_view::npos;
         at = starts.find(needle.front(), at + 1)) {
        std::size_t i = at + 1;
        std::size_t k = 1;
        for (; k < needle.size(); ++k, ++i) {
            const std::size_t past = SkipBreak(text, i);
            if (mailboxQuote && past != i && past < text.size() && text[past] == '>')
                i = past + 1;
            else
                i = past;
            if (i >= text.size() || text[i] != needle[k])
                break;
        }
        if (k == needle.size())
            return at;
    }
    return std::string_view::npos;
}

bool ContainsAcrossBreaks(std::string_view text, std::string_view needle) {
    return FindAcrossBreaks(text, needle, 0) != std::string_view::npos;
}

// The base64 characters that ";Title:" becomes whatever bytes stand before it:
// one string for each of the three places it can start in a group of three.
std::vector<std::string> Base64Titles() {
    static const char *digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    auto encode = [](const std::string &bytes) {
        std::string out;
        for (std::size_t i = 0; i + 2 < bytes.size(); i += 3) {
            const std::uint32_t v = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
                                    static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                                    static_cast<unsigned char>(bytes[i + 2]);
            for (int shift = 18; shift >= 0; shift -= 6)
                out += digits[(v >> shift) & 63];
        }
        return out;
    };
    std::vector<std::string> titles;
    for (std::size_t lead = 0; lead < 3; ++lead) {
        // A character that comes out the same with zero bits and with one bits
        // around the title depends on the title alone.
        const std::size_t total = (lead + kTitle.size() + 2) / 3 * 3;
        const std::string zeros = encode(std::string(lead, '\0') + std::string(kTitle) +
                                         std::string(total - lead - kTitle.size(), '\0'));
        const std::string ones = encode(std::string(lead, '\xFF') + std::string(kTitle) +
                                        std::string(total - lead - kTitle.size(), '\xFF'));
        std::size_t first = 0;
        while (zeros[first] != ones[first])
            ++first;
        std::size_t last = zeros.size();
        while (zeros[last - 1] != ones[last - 1])
            --last;
        titles.push_back(zeros.substr(first, last - first));
    }
    return titles;
}

// Whether a message's raw bytes may hold a ";Title:" line once decoded: as it
// stands, in quoted-printable, in base64 at any of the three offsets, or in
// UTF-16. A message without one holds no record and is never parsed, so a
// mailbox of millions of empty messages costs no more than reading it.
const std::vector<std::string> &TitleNeedles() {
    static const std::vector<std::string> needles = [] {
        std::vector<std::string> list = {std::string(kTitle), "=3BTitle:", "=3bTitle:"};
        for (std::string &base64 : Base64Titles())
            list.push_back(std::move(base64));
        // UTF-16 in either byte order: ";", NUL, "T", NUL, ... ":".
        std::string utf16;
        for (char c : kTitle)
            utf16.append(1, c).append(1, '\0');
        utf16.pop_back();
        list.push_back(utf16);
        return list;
    }();
    return needles;
}

bool MayHoldTitle(std::string_view message) {
    for (const std::string &needle : TitleNeedles())
        if (ContainsAcrossBreaks(message, needle))
            return true;
    return false;
}

// Where in a mailbox's raw bytes a ";Title:" may start, in any of the forms
// MayHoldTitle knows, asked with offsets that only grow: each form is searched
// for once through the bytes, whatever the number of messages.
// Each form is looked for no further than the nearest start another form has
// given, so a title near the top of a long message is not followed by a search
// of the whole message for the rarer forms.
class TitleStarts {
public:
    explicit TitleStarts(std::string_view bytes) : bytes_(bytes), forms_(TitleNeedles().size()) {}
    std::size_t operator()(std::size_t from) {
        std::size_t first = std::string_view::npos;
        for (std::size_t i = 0; i < forms_.size(); ++i) {
            Form &form = forms_[i];
            if (form.found != std::string_view::npos && form.found < from) {
                form.found = std::string_view::npos;
                form.searched = from;
            }
            if (form.found == std::string_view::npos && form.searched < std::min(first, bytes_.size())) {
                const std::size_t start = std::max(from, form.searched);
                form.found = FindAcrossBreaks(bytes_, TitleNeedles()[i], start, true, first);
                form.searched = form.found == std::string_view::npos ? std::min(first, bytes_.size()) : form.found;
            }
            first = std::min(first, form.found);
        }
        return first;
    }

private:
    struct Form {
        std::size_t found = std::string_view::npos; // a start, or none before searched
        std::size_t searched = 0;
    };
    std::string_view bytes_;
    std::vector<Form> forms_;
};

// The body of a message whose header has no MIME field of its own ("Content-"
// anything): plain text in the transfer encoding it was written in, as the
// parser would give it, so it needs no parser. A mailbox of a million such
// messages then costs what reading it costs.
std::optional<std::string_view> PlainBody(std::string_view message) {
    constexpr std::string_view kContent = "content-";
    std::size_t pos = 0;
    std::string_view line;
    while (NextMailLine(message, pos, line)) {
        if (line.empty())
            return message.substr(pos);
        if (line.size() >= kContent.size()) {
            std::size_t i = 0;
            while (i < kContent.size() && Lower(line[i]) == kContent[i])
                ++i;
            if (i == kContent.size())
                return std::nullopt;
        }
    }
    return std::string_view();
}

std::vector<MessageTextPart> TextPartsOf(std::string_view message, MessageParser &parser) {
    if (const std::optional<std::string_view> body = PlainBody(message)) {
        if (IsUtf8(*body))
            return {{std::string(), false, true, *body}};
        return {{Utf8OrWindows1252(*body), false}};
    }
    if (!ReasonableForParser(message))
        return {};
    return parser.TextParts(message);
}

// The first record of one message: its plain parts first, then its HTML ones.
// The record itself is kept only when keepRecord says so; the rest always.
bool GameOfMessage(std::string_view message, MessageParser &parser, bool keepRecord, bool &titleSeen,
                   FoundGame &game) {
    if (!MayHoldTitle(message))
        return false;
    const std::vector<MessageTextPart> parts = TextPartsOf(message, parser);
    for (const bool html : {false, true}) {
        for (const auto &part : parts) {
            if (part.html != html)
                continue;
            const std::string lines = html ? HtmlToText(part.Text()) : std::string();
            const std::string_view text = html ? std::string_view(lines) : part.Text();
            if (!HasTitleLine(text))
                continue;
            titleSeen = true;
            if (FoundIn(text, game, keepRecord))
                return true;
        }
    }
    // A structure too broken or too deep for the parser may still hold the
    // record as plain lines.
    if (!HasTitleLine(message))
        return false;
    titleSeen = true;
    return FoundIn(message, game, keepRecord);
}

// Calls found with each game of the messages of bytes that start at or after
// from, in order, until it returns false or stop is set (looked at before each
// message that may hold a game). The record is kept while keep() says so.
template <typename Keep, typename Found>
void ScanMessagesFrom(std::string_view bytes, MessageParser &parser, std::size_t from, bool &titleSeen, Keep keep,
                      Found found, const std::atomic<bool> *stop = nullptr) {
    // Only messages that may hold a title are cut out of a mailbox at all.
    TitleStarts titles(bytes);
    bool done = false;
    const NextStart next = [&](std::size_t at) {
        if (done || (stop && stop->load(std::memory_order_relaxed)))
            return std::string_view::npos;
        return titles(std::max(at, from));
    };
    ForEachMessageAround(bytes, next, [&](std::string_view message, MessageSpan span) {
        FoundGame game;
        if (GameOfMessage(message, parser, keep(), titleSeen, game)) {
            game.message = span;
            done = !found(std::move(game));
        }
    });
}

void ScanMessages(std::string_view bytes, MessageParser &parser, bool keepRecords, std::size_t maxGames,
                  MailScan &scan) {
    ScanMessagesFrom(
        bytes, parser, 0, scan.titleSeen,
        // The first game's record is kept: most files hold one.
        [&] { return keepRecords || scan.games.empty(); },
        [&](FoundGame &&game) {
            scan.games.push_back(std::move(game));
            if (scan.games.size() < maxGames)
                return true;
            scan.complete = false;
            return false;
        });
}

std::string_view FirstLine(std::string_view text) {
    std::size_t pos = 0;
    std::string_view line;
    NextMailLine(text, pos, line);
    return line;
}

} // namespace

FoundGame FoundGames::operator[](std::size_t index) const {
    const Entry &entry = games_.at(index);
    FoundGame game;
    game.white.assign(texts_, entry.texts, entry.whiteBytes);
    game.black.assign(texts_, entry.texts + entry.whiteBytes, entry.blackBytes);
    game.date.assign(texts_, entry.texts + entry.whiteBytes + entry.blackBytes, entry.dateBytes);
    if (entry.record != kNoRecord)
        game.record = records_[entry.record];
    game.moveLines = entry.moveLines;
    game.message = entry.message;
    return game;
}

FoundGames::Summary FoundGames::summary(std::size_t index) const {
    const Entry &entry = games_.at(index);
    const std::string_view texts = texts_;
    return {texts.substr(entry.texts, entry.whiteBytes), texts.substr(entry.texts + entry.whiteBytes, entry.blackBytes),
            texts.substr(entry.texts + entry.whiteBytes + entry.blackBytes, entry.dateBytes), entry.moveLines,
            entry.message};
}

void FoundGames::push_back(FoundGame game) {
    Entry entry;
    entry.message = game.message;
    entry.texts = texts_.size();
    // Each text is at most a record's 64 MiB.
    entry.whiteBytes = static_cast<std::uint32_t>(game.white.size());
    entry.blackBytes = static_cast<std::uint32_t>(game.black.size());
    entry.dateBytes = static_cast<std::uint32_t>(game.date.size());
    entry.moveLines = game.moveLines;
    texts_.append(game.white).append(game.black).append(game.date);
    if (!game.record.empty()) {
        entry.record = static_cast<std::uint32_t>(records_.size());
        records_.push_back(std::move(game.record));
    }
    games_.push_back(entry);
}

const std::string &FoundGames::record(std::size_t index) const {
    static const std::string none;
    const std::uint32_t at = games_.at(index).record;
    return at == kNoRecord ? none : records_[at];
}

std::string FoundGames::takeRecord(std::size_t index) {
    const std::uint32_t at = games_.at(index).record;
    return at == kNoRecord ? std::string() : std::move(records_[at]);
}

std::vector<std::string> RecordLines(std::string_view text) {
    std::vector<std::string> lines;
    if (const std::optional<RecordSpan> span = FindRecord(text))
        ForEachRecordLine(text, *span, [&](std::size_t, std::string_view line) { lines.emplace_back(line); });
    return lines;
}

namespace {

// Whether text[at] starts a line once the quoting NextUnquotedLine removes is
// removed: only ">" and a space after each may stand between it and the line's
// start. Looked at backwards over that quoting alone, so each look is short.
bool StartsUnquotedLine(std::string_view text, std::size_t at) {
    std::size_t start = at;
    while (start > 0 && (text[start - 1] == '>' || text[start - 1] == ' '))
        --start;
    if (start > 0 && text[start - 1] != '\n' && text[start - 1] != '\r')
        return false;
    std::size_t i = start;
    while (i < at && text[i] == '>') {
        ++i;
        if (i < at && text[i] == ' ')
            ++i;
    }
    return i == at;
}

} // namespace

bool HasTitleLine(std::string_view text) {
    // Found where it stands rather than line by line: a text of millions of
    // empty lines costs one search.
    for (std::size_t at = text.find(kTitle); at != std::string_view::npos; at = text.find(kTitle, at + 1))
        if (StartsUnquotedLine(text, at))
            return true;
    return false;
}

MailScan FindGames(std::string_view bytes, MessageParser &parser, bool keepRecords, std::size_t maxGames) {
    MailScan scan;
    if (!StartsLikeMail(FirstLine(bytes)))
        return scan;
    scan.isMail = true;
    ScanMessages(bytes, parser, keepRecords, maxGames, scan);
    if ((!keepRecords && scan.games.size() > 1) || !scan.complete)
        scan.bytes.assign(bytes);
    return scan;
}

std::string RecordOfMessage(std::string_view bytes, MessageSpan span, MessageParser &parser) {
    if (span.begin > span.end || span.end > bytes.size())
        return {};
    const std::string message = MessageAt(bytes, span);
    bool titleSeen = false;
    FoundGame game;
    GameOfMessage(message, parser, true, titleSeen, game);
    return game.record;
}

std::string RecordOf(const MailScan &scan, std::size_t index, MessageParser &parser) {
    if (index >= scan.games.size())
        return {};
    const std::string &kept = scan.games.record(index);
    if (!kept.empty() || scan.bytes.empty())
        return kept;
    return RecordOfMessage(scan.bytes, scan.games[index].message, parser);
}

void ScanMailGames(std::string_view bytes, MessageParser &parser, std::size_t from, std::size_t chunkGames,
                   const MailChunk &chunk, const std::atomic<bool> *stop) {
    if (!StartsLikeMail(FirstLine(bytes)))
        return;
    chunkGames = std::max<std::size_t>(chunkGames, 1);
    FoundGames games;
    std::size_t found = 0;
    bool going = true;
    bool titleSeen = false;
    ScanMessagesFrom(
        bytes, parser, from, titleSeen, [] { return false; },
        [&](FoundGame &&game) {
            const std::size_t end = game.message.end;
            games.push_back(std::move(game));
            if (++found % chunkGames == 0) {
                going = chunk(std::move(games), end);
                games = FoundGames();
            }
            return going;
        },
        stop);
    if (going && !games.empty())
        chunk(std::move(games), bytes.size());
}

void ForEachMailGame(std::string_view bytes, MessageParser &parser, std::size_t from,
                     const std::function<bool(FoundGame &&game)> &f) {
    if (!StartsLikeMail(FirstLine(bytes)))
        return;
    bool titleSeen = false;
    ScanMessagesFrom(bytes, parser, from, titleSeen, [] { return true; }, f);
}

std::optional<FoundGame> MailGameAfter(std::string_view bytes, MessageParser &parser, std::size_t from) {
    std::optional<FoundGame> next;
    if (!StartsLikeMail(FirstLine(bytes)))
        return next;
    bool titleSeen = false;
    ScanMessagesFrom(
        bytes, parser, from, titleSeen, [] { return false; },
        [&](FoundGame &&game) {
            next = std::move(game);
            return false;
        });
    return next;
}

std::optional<MailScan> ScanMailFile(FileSystem &files, const std::string &path, MessageParser &parser,
                                     bool keepRecords, std::size_t maxGames) {
    std::string bytes;
    try {
        const auto stream = files.OpenTextFile(path);
        if (stream->AtEndOfStream())
            return std::nullopt;
        std::string line = stream->ReadLine();
        if (!StartsLikeMail(FirstLine(line)))
            return std::nullopt;
        // MIME does not mind the CR LF of a saved message turning into LF.
        bytes = std::move(line);
        bytes += '\n';
        stream->ReadRest(bytes);
    } catch (const std::exception &) {
        // Unreadable, or over the size limit: the record reader fails on it the
        // designed way.
        return std::nullopt;
    }
    MailScan scan;
    scan.isMail = true;
    ScanMessages(bytes, parser, keepRecords, maxGames, scan);
    if ((!keepRecords && scan.games.size() > 1) || !scan.complete)
        scan.bytes = std::move(bytes);
    return scan;
}

MailScan FindGamesInText(std::string_view text, MessageParser &parser) {
    if (StartsLikeMail(FirstLine(text)))
        return FindGames(text, parser, false);
    MailScan scan;
    scan.titleSeen = HasTitleLine(text);
    FoundGame game;
    if (scan.titleSeen && FoundIn(text, game, true))
        scan.games.push_back(std::move(game));
    return scan;
}

} // namespace quorvane
