#include "game/mail_finder.h"

#include "game/mail_text.h"
#include "platform/text_file.h"

#include <exception>

namespace quorvane {

namespace {

constexpr std::string_view kTitle = ";Title:";

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

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

// The text after a header line's label: ";White: name" gives "name".
std::string AfterLabel(std::string_view line, std::string_view label) {
    if (line.rfind(label, 0) == 0)
        line.remove_prefix(label.size());
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(line.substr(first));
}

bool FoundIn(const std::string &utf8, FoundGame &game) {
    const std::vector<std::string> lines = RecordLines(utf8);
    if (lines.empty())
        return false;
    std::string record;
    for (const auto &line : lines)
        record.append(line).append("\n");
    game.record = ToWindows1252(record);
    game.white = ToWindows1252(AfterLabel(lines[1], ";White:"));
    game.black = ToWindows1252(AfterLabel(lines[2], ";Black:"));
    game.date = ToWindows1252(AfterLabel(lines[3], ";Date:"));
    game.moveLines = static_cast<int>(lines.size()) - 5;
    return true;
}

// No mail client writes more multiparts or header fields than these into one
// message. Past them a message is built to make a parser slow (the work grows
// with nesting depth times lines, and a header field costs the parser far more
// than a body line), and only its plain lines are searched.
constexpr std::size_t kMaxBoundaries = 256;
constexpr std::size_t kMaxFieldLines = 5000;

bool ReasonableForParser(std::string_view message) {
    std::size_t boundaries = 0;
    std::size_t fields = 0;
    std::size_t start = 0;
    while (start < message.size()) {
        std::size_t end = message.find('\n', start);
        if (end == std::string_view::npos)
            end = message.size();
        const std::string_view line = message.substr(start, end - start);
        start = end + 1;
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && colon > 0 &&
            line.substr(0, colon).find_first_of(" \t") == std::string_view::npos && ++fields > kMaxFieldLines)
            return false;
        for (std::size_t at = line.find('='); at != std::string_view::npos; at = line.find('=', at + 1)) {
            if (at >= 8) {
                std::string lower(line.substr(at - 8, 8));
                for (char &c : lower)
                    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
                if (lower == "boundary" && ++boundaries > kMaxBoundaries)
                    return false;
            }
        }
    }
    return true;
}

// The first record of one message: its plain parts first, then its HTML ones.
void ScanMessage(std::string_view message, MessageParser &parser, MailScan &scan) {
    const std::vector<MessageTextPart> parts =
        ReasonableForParser(message) ? parser.TextParts(message) : std::vector<MessageTextPart>();
    for (const bool html : {false, true}) {
        for (const auto &part : parts) {
            if (part.html != html)
                continue;
            const std::string text = StripQuoting(html ? HtmlToText(part.text) : part.text);
            if (!HasTitleLine(text))
                continue;
            scan.titleSeen = true;
            FoundGame game;
            if (FoundIn(text, game)) {
                scan.games.push_back(std::move(game));
                return;
            }
        }
    }
    // A structure too broken or too deep for the parser may still hold the
    // record as plain lines.
    const std::string raw = StripQuoting(message);
    if (!HasTitleLine(raw))
        return;
    scan.titleSeen = true;
    FoundGame game;
    if (FoundIn(raw, game))
        scan.games.push_back(std::move(game));
}

std::string_view FirstLine(std::string_view text) {
    return text.substr(0, text.find('\n'));
}

} // namespace

std::vector<std::string> RecordLines(std::string_view text) {
    const std::string unquoted = StripQuoting(text);
    const std::vector<std::string_view> lines = Lines(unquoted);
    for (std::size_t title = 0; title + 5 < lines.size(); ++title) {
        if (lines[title].rfind(kTitle, 0) != 0 || !IsBlank(lines[title + 4]))
            continue;
        std::size_t end = title + 5;
        while (end < lines.size() && IsMoveLine(lines[end]))
            ++end;
        if (end == title + 5)
            continue;
        std::vector<std::string> record(lines.begin() + static_cast<std::ptrdiff_t>(title),
                                        lines.begin() + static_cast<std::ptrdiff_t>(end));
        record[4].clear();
        return record;
    }
    return {};
}

bool HasTitleLine(std::string_view text) {
    for (std::string_view line : Lines(text))
        if (line.rfind(kTitle, 0) == 0)
            return true;
    return false;
}

MailScan FindGames(std::string_view bytes, MessageParser &parser) {
    MailScan scan;
    if (!StartsLikeMail(FirstLine(bytes)))
        return scan;
    for (const std::string &message : SplitMailbox(bytes))
        ScanMessage(message, parser, scan);
    return scan;
}

std::optional<MailScan> ScanMailFile(FileSystem &files, const std::string &path, MessageParser &parser) {
    std::string bytes;
    try {
        const auto stream = files.OpenTextFile(path);
        if (stream->AtEndOfStream())
            return std::nullopt;
        std::string line = stream->ReadLine();
        if (!StartsLikeMail(line))
            return std::nullopt;
        // MIME does not mind the CR LF of a saved message turning into LF.
        bytes = std::move(line);
        bytes += '\n';
        while (!stream->AtEndOfStream())
            bytes.append(stream->ReadLine()).append("\n");
    } catch (const std::exception &) {
        // Unreadable, or over the size limit: the record reader fails on it the
        // designed way.
        return std::nullopt;
    }
    MailScan scan = FindGames(bytes, parser);
    if (!scan.titleSeen)
        return std::nullopt;
    return scan;
}

MailScan FindGamesInText(std::string_view text, MessageParser &parser) {
    if (StartsLikeMail(FirstLine(text)))
        return FindGames(text, parser);
    MailScan scan;
    const std::string unquoted = StripQuoting(text);
    scan.titleSeen = HasTitleLine(unquoted);
    FoundGame game;
    if (scan.titleSeen && FoundIn(unquoted, game))
        scan.games.push_back(std::move(game));
    return scan;
}

} // namespace quorvane
