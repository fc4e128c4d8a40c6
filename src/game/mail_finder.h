#pragma once
// Finding game records in saved e-mail: a message, a mailbox or pasted text. The
// MIME structure (parts, transfer encodings, charsets) is a MessageParser's job;
// everything after that is plain text work done here, so a found record holds
// exactly the bytes the same record saved as a .txt file would.

#include "game/mail_text.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// One text part of a message, decoded and converted to UTF-8.
struct MessageTextPart {
    std::string text;
    bool html = false;
    // Instead of text, for a part that needed no decoding: its bytes where they
    // stand in the message given to the parser, valid while that message is.
    // A body of 64 MiB is then not copied to be read.
    bool borrowed = false;
    std::string_view inMessage = {};
    std::string_view Text() const { return borrowed ? inMessage : std::string_view(text); }
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

// The games a scan found, in file order. A mailbox may hold a million: each
// game is a few numbers here, its texts in one shared buffer, and only the
// records that were kept are strings of their own.
class FoundGames {
public:
    std::size_t size() const { return games_.size(); }
    bool empty() const { return games_.empty(); }
    FoundGame operator[](std::size_t index) const;
    // A game's summary without its record, its texts where they are kept
    // (valid until the next push_back): no copy of a name of megabytes.
    struct Summary {
        std::string_view white, black, date;
        int moveLines = 0;
        MessageSpan message;
    };
    Summary summary(std::size_t index) const;
    FoundGame back() const { return (*this)[size() - 1]; }
    void push_back(FoundGame game);
    // The kept record of a game (empty when only its summary was kept), and the
    // same handed over, so that a record of 64 MiB is not copied to be loaded.
    const std::string &record(std::size_t index) const;
    std::string takeRecord(std::size_t index);

    class const_iterator {
    public:
        using value_type = FoundGame;
        using difference_type = std::ptrdiff_t;
        const_iterator(const FoundGames &games, std::size_t index) : games_(&games), index_(index) {}
        FoundGame operator*() const { return (*games_)[index_]; }
        const_iterator &operator++() { return ++index_, *this; }
        bool operator!=(const const_iterator &other) const { return index_ != other.index_; }
        bool operator==(const const_iterator &other) const { return index_ == other.index_; }

    private:
        const FoundGames *games_;
        std::size_t index_;
    };
    const_iterator begin() const { return {*this, 0}; }
    const_iterator end() const { return {*this, size()}; }

private:
    static constexpr std::uint32_t kNoRecord = UINT32_MAX;
    struct Entry {
        MessageSpan message;
        std::uint64_t texts = 0; // White, Black and Date, one after another in texts_
        std::uint32_t whiteBytes = 0;
        std::uint32_t blackBytes = 0;
        std::uint32_t dateBytes = 0;
        std::uint32_t record = kNoRecord; // index in records_
        int moveLines = 0;
    };
    // In blocks: a million games are never moved to a larger array.
    std::deque<Entry> games_;
    std::string texts_;
    std::vector<std::string> records_;
};

struct MailScan {
    // The first line opens a message: the file is e-mail, and what it holds is
    // read as e-mail only, even when that is no record.
    bool isMail = false;
    // Some message has a ";Title:" line: the file is e-mail, even when no whole
    // record follows it.
    bool titleSeen = false;
    // The first record of each message, in file order.
    FoundGames games;
    // False when the scan stopped at the most games it was asked for: more
    // may follow the last one's message (ScanMailGames from its end).
    bool complete = true;
    // The scanned text, kept when several games were found without their
    // records, or the scan stopped early, for RecordOf and ScanMailGames.
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
// The scan stops at maxGames games, as ScanMailFile's does.
MailScan FindGames(std::string_view bytes, MessageParser &parser, bool keepRecords = true,
                   std::size_t maxGames = static_cast<std::size_t>(-1));

// The record of the game at index: kept in the scan, or decoded once more.
std::string RecordOf(const MailScan &scan, std::size_t index, MessageParser &parser);
// The record of the message at span of bytes (as a scan of them gave it),
// decoded once more; empty when it holds none.
std::string RecordOfMessage(std::string_view bytes, MessageSpan span, MessageParser &parser);

// The games of a message or mailbox's bytes a chunk at a time, for a list that
// shows them as they are found: those of the messages that start at or after
// from (0, or the end of a message a scan gave), chunkGames to a call of chunk
// (the last may have fewer) with how far into bytes the scan got. Only the
// summaries are kept, never the records. Ends at the end of bytes, when chunk
// returns false, or once *stop is set (looked at before each message that may
// hold a game, so a mailbox of few games stops as soon).
using MailChunk = std::function<bool(FoundGames &&games, std::size_t scanned)>;
void ScanMailGames(std::string_view bytes, MessageParser &parser, std::size_t from, std::size_t chunkGames,
                   const MailChunk &chunk, const std::atomic<bool> *stop = nullptr);
// Each game of the messages of bytes that start at or after from, with its
// record, in order, until f returns false: one record is held at a time.
void ForEachMailGame(std::string_view bytes, MessageParser &parser, std::size_t from,
                     const std::function<bool(FoundGame &&game)> &f);
// The first game of the messages of bytes that start at or after from, without
// its record; nothing when none follows.
std::optional<FoundGame> MailGameAfter(std::string_view bytes, MessageParser &parser, std::size_t from);

class FileSystem;

// Why e-mail gave no game, for whoever needs to say so.
inline constexpr const char *kNoGameInMail = "no complete game record in the message";
inline constexpr const char *kNoRecordInMail = "no game record in the message";

// The games of the file at path when its content is e-mail: its first line opens
// a message. std::nullopt for every other file, and for one that cannot be read,
// so the record reader takes it as before; only the first line of a record is
// read here. The scan stops at maxGames games (complete is then false and the
// text is kept), so that one game can be told from several at once.
std::optional<MailScan> ScanMailFile(FileSystem &files, const std::string &path, MessageParser &parser,
                                     bool keepRecords = true,
                                     std::size_t maxGames = static_cast<std::size_t>(-1));

// Pasted text: a whole message or mailbox when its first line says so, else the
// text itself as a message body.
MailScan FindGamesInText(std::string_view text, MessageParser &parser);

} // namespace quorvane
