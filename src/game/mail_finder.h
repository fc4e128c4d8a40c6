#pragma once
// Finding game records in saved e-mail: a message, a mailbox or pasted text. The
// MIME structure (parts, transfer encodings, charsets) is a MessageParser's job;
// everything after that is plain text work done here, so a found record holds
// exactly the bytes the same record saved as a .txt file would.

#include "game/mail_text.h"

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
    // included, in the order they appear; an attachment of another type counts as
    // a plain part when its decoded bytes hold ";Title:".
    virtual std::vector<MessageTextPart> TextParts(std::string_view message) = 0;
};

struct FoundGame {
    // The record: Windows-1252 bytes, lines ending in LF. Empty when the scan
    // kept only the summary: RecordOf decodes it again.
    std::string record;
    // Shown when a mailbox holds several games (Windows-1252 bytes): the handles
    // without ";White: " and ";Black: ", the date without ";Date: ".
    std::string white;
    std::string black;
    std::string date;
    int moveLines = 0;
    // Where the message lies in the scanned bytes.
    MessageSpan message;
};

struct MailScan {
    // The first line opens a message: the file is e-mail, and what it holds is
    // read as e-mail only, even when that is no record.
    bool isMail = false;
    // Some message has a ";Title:" line: the file is e-mail, even when no whole
    // record follows it.
    bool titleSeen = false;
    // The first record of each message, in file order.
    std::vector<FoundGame> games;
    // The scanned text, kept when several games were found without their
    // records, for RecordOf.
    std::string bytes;
};

// The record in text (UTF-8, any line ends, reply quoting allowed): the lines
// from a ";Title:" line through the last of the numbered move lines that follow
// its empty fifth line. The first ";Title:" line that starts a whole record wins.
// Empty when there is none.
std::vector<std::string> RecordLines(std::string_view text);

// True when text has a line that starts with ";Title:" once quoting is removed.
bool HasTitleLine(std::string_view text);

// The games of a message or mailbox file. Files whose first line opens no
// message give an empty scan without being parsed. Messages whose raw bytes
// cannot hold ";Title:" in any transfer encoding are not parsed either. Unless
// keepRecords, only the first game's record is kept when several are found:
// the others' summaries and the text to decode them from with RecordOf.
MailScan FindGames(std::string_view bytes, MessageParser &parser, bool keepRecords = true);

// The record of the game at index: kept in the scan, or decoded once more.
std::string RecordOf(const MailScan &scan, std::size_t index, MessageParser &parser);

class FileSystem;

// Why e-mail gave no game, for whoever needs to say so.
inline constexpr const char *kNoGameInMail = "no complete game record in the message";
inline constexpr const char *kNoRecordInMail = "no game record in the message";

// The games of the file at path when its content is e-mail: its first line opens
// a message. std::nullopt for every other file, and for one that cannot be read,
// so the record reader takes it as before; only the first line of a record is
// read here.
std::optional<MailScan> ScanMailFile(FileSystem &files, const std::string &path, MessageParser &parser,
                                     bool keepRecords = true);

// Pasted text: a whole message or mailbox when its first line says so, else the
// text itself as a message body.
MailScan FindGamesInText(std::string_view text, MessageParser &parser);

} // namespace quorvane
