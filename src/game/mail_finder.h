#pragma once
// Finding game records in saved e-mail: a message, a mailbox or pasted text. The
// MIME structure (parts, transfer encodings, charsets) is a MessageParser's job;
// everything after that is plain text work done here, so a found record holds
// exactly the bytes the same record saved as a .txt file would.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// One text part of a message, decoded and converted to UTF-8.
struct MessageTextPart {
    std::string text;
    bool html = false;
};

// Takes a message apart. Untrusted input: never throws, and gives what it could
// read of a broken message.
class MessageParser {
public:
    virtual ~MessageParser() = default;
    // The message's text/plain and text/html parts, nested and attached ones
    // included, in the order they appear.
    virtual std::vector<MessageTextPart> TextParts(std::string_view message) = 0;
};

struct FoundGame {
    // The record: Windows-1252 bytes, lines ending in LF.
    std::string record;
    // Shown when a mailbox holds several games (Windows-1252 bytes): the handles
    // without ";White: " and ";Black: ", the date without ";Date: ".
    std::string white;
    std::string black;
    std::string date;
    int moveLines = 0;
};

struct MailScan {
    // Some message has a ";Title:" line: the file is e-mail, even when no whole
    // record follows it.
    bool titleSeen = false;
    // The first record of each message, in file order.
    std::vector<FoundGame> games;
};

// The record in text (UTF-8, any line ends, reply quoting allowed): the lines
// from a ";Title:" line through the last of the numbered move lines that follow
// its empty fifth line. The first ";Title:" line that starts a whole record wins.
// Empty when there is none.
std::vector<std::string> RecordLines(std::string_view text);

// True when text has a line that starts with ";Title:" once quoting is removed.
bool HasTitleLine(std::string_view text);

// The games of a message or mailbox file. Files whose first line opens no
// message give an empty scan without being parsed.
MailScan FindGames(std::string_view bytes, MessageParser &parser);

class FileSystem;

// Why e-mail gave no game, for whoever needs to say so.
inline constexpr const char *kNoGameInMail = "no complete game record in the message";

// The games of the file at path when its content is e-mail: its first line opens
// a message and some message has a ";Title:" line. std::nullopt for every other
// file, and for one that cannot be read, so the record reader takes it as
// before; only the first line of a record is read here.
std::optional<MailScan> ScanMailFile(FileSystem &files, const std::string &path, MessageParser &parser);

// Pasted text: a whole message or mailbox when its first line says so, else the
// text itself as a message body.
MailScan FindGamesInText(std::string_view text, MessageParser &parser);

} // namespace quorvane
