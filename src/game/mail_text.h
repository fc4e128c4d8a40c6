#pragma once
// The plain-text steps of reading a game out of an e-mail: telling a message from
// a record by its first line, cutting a mailbox into messages, turning HTML into
// lines, removing reply quoting and encoding the result as the record's
// Windows-1252 bytes. Standard library only; the MIME structure is left to a
// MessageParser (game/mail_finder.h).

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// True when line (a file's first line, with or without its CR) opens an e-mail
// message: a header field that starts every saved message ("From:", "Received:",
// "Return-Path:", "Delivered-To:", "MIME-Version:", "Content-Type:", "Subject:",
// "Date:", "Message-ID:", any "X-...:") or a mailbox's "From " separator line.
bool StartsLikeMail(std::string_view line);

// The messages of bytes. A mailbox (first line "From ") is cut at every "From "
// line that starts the file or follows an empty line; the separator lines are
// dropped and ">From ", ">>From ", ... lose one ">". Anything else is one message,
// returned as it is.
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

} // namespace quorvane
