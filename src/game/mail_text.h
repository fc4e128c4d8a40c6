#pragma once
// The plain-text steps of reading a game out of an e-mail: telling a message from
// a record by its first line, cutting a mailbox into messages, turning HTML into
// lines, removing reply quoting and encoding the result as the record's
// Windows-1252 bytes. Standard library only; the MIME structure is left to a
// MessageParser (game/mail_finder.h).

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// True when line (a file's first line, with or without its CR) opens an e-mail
// message: a header field that starts every saved message ("From:", "Received:",
// "Return-Path:", "Delivered-To:", "MIME-Version:", "Content-Type:", "Subject:",
// "Date:", "Message-ID:", any "X-...:") or a mailbox's "From " separator line.
bool StartsLikeMail(std::string_view line);

// The next line of mail text from pos, without its line end (LF, CR LF or a lone
// CR, as mail clients accept), moving pos past it; false at the end of text.
// Lines are read in place, so a text of millions of lines costs no memory.
bool NextMailLine(std::string_view text, std::size_t &pos, std::string_view &line);

// Calls f with each message of bytes in turn. A mailbox (first line "From ") is
// cut at every "From " line that starts the file or follows an empty line; the
// separator lines are dropped and ">From ", ">>From ", ... lose one ">". Anything
// else is one message. A message is given as its bytes stand (CR LF kept) unless
// a line needs that unquoting or ends in a lone CR, which MIME takes for no line
// end: then its lines from there on end in LF. Only one message is held at a
// time, and a message is copied only when it must be.
// Each call also gives where the message lies in bytes, for MessageAt.
struct MessageSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
};
using MessageCallback = std::function<void(std::string_view message, MessageSpan span)>;
void ForEachMessage(std::string_view bytes, const MessageCallback &f);
// ForEachMessage for only the messages where something looked for may start:
// nextStart(from) gives the first offset of bytes at or after from where it may
// (std::string_view::npos when nowhere), found in the bytes as they stand. Only
// the messages around those offsets are cut out: the rest of a mailbox is never
// split into lines, so millions of messages that cannot hold it cost the search
// alone. Every message ForEachMessage gives that holds such an offset is given,
// the same.
using NextStart = std::function<std::size_t(std::size_t from)>;
void ForEachMessageAround(std::string_view bytes, const NextStart &nextStart, const MessageCallback &f);
// The message at span of bytes once more, as ForEachMessage gave it.
std::string MessageAt(std::string_view bytes, MessageSpan span);
// The messages of bytes, as ForEachMessage gives them.
std::vector<std::string> SplitMailbox(std::string_view bytes);

// Each line of text without the quoting of a reply or forward: every leading ">"
// together with one space after it.
std::string StripQuoting(std::string_view text);

// The text of an HTML body as lines (UTF-8 in, UTF-8 out): tags removed, "<br>"
// and the end of each block ("</p>", "</div>", ...) as line ends, script, style
// and comments dropped, white space collapsed except inside "<pre>", entities
// decoded (a no-break space becomes a plain one).
std::string HtmlToText(std::string_view html);

// UTF-8 text as Windows-1252 bytes: a character the code page lacks becomes "?".
// A byte that is not part of valid UTF-8 is kept as it is, so text in a single-byte
// charset that was mislabelled still reads as that charset's letters.
std::string ToWindows1252(std::string_view utf8);
// ToWindows1252 appended to out.
void AppendWindows1252(std::string &out, std::string_view utf8);

// True when bytes are valid UTF-8.
bool IsUtf8(std::string_view bytes);
// Windows-1252 bytes as UTF-8; the five bytes the code page leaves unused stay as
// they are (no valid UTF-8), so ToWindows1252 gives every byte back.
std::string Windows1252ToUtf8(std::string_view bytes);
// Text said to be UTF-8: as it is when it is, else read as Windows-1252, the
// single-byte charset a mislabelled message is nearly always in.
std::string Utf8OrWindows1252(std::string_view bytes);

} // namespace quorvane
