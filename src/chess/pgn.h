#pragma once
// PGN out: a record's game as the one game model, and any game as PGN text,
// UTF-8.

#include "chess/game.h"
#include "chess/record_game.h"

#include <string>
#include <string_view>

namespace quorvane::chess {

// The record's first four lines, as bytes (Windows-1252): ";Title: ...",
// ";White: ...", ";Black: ...", ";Date: Tue Jun 01 20:11:16 GMT 2004". Each may
// also be given without its ";" and name (as the reader keeps the players
// "White: ..." and the date "Tue Jun 01 ..."); see headerText.
struct PgnHeaders {
    std::string titleLine, whiteLine, blackLine, dateLine;
};

// The record's game: the tags in the PGN's order (Event, Site, Date, Round,
// White, Black, Result, then UTCDate and UTCTime when the date line gives
// them), the moves gameFromTokens plays from the start position, and where
// they stopped (the token and its reason in UTF-8). The result is pgnResult's.
Game gameFromRecord(const PgnHeaders &headers, const RecordGame &game);
Game gameFromRecord(const PgnHeaders &headers, const std::vector<std::string> &tokens);

// A game in PGN's export format: the seven-tag roster in its order (values
// the game lacks are "?", the date "????.??.??", the result the game's),
// [SetUp "1"] and [FEN] for a set-up start, the game's other tags in their
// order, a blank line, the movetext (move numbers, SAN, NAGs as $n, comments
// in braces, variations in parentheses) in lines shorter than 80 characters,
// the result, and a blank line. A line stopped at a move that could not be
// played ends with a comment naming it (describeStop). Tag values are
// escaped (\" and \\); control characters become spaces.
std::string toPgn(const Game &game);

// "1-0" or "0-1" when the last half-move mates, "1/2-1/2" on stalemate, else "*".
std::string pgnResult(const RecordGame &game);

// The value of a header line: the text after ";Key: " (or "Key: ", or ";"),
// else the whole line; trimmed of spaces and line-end characters.
std::string headerText(std::string_view line, std::string_view key);

// A date line's date as "YYYY.MM.DD" ("????.??.??" when it has no readable day,
// month name and year) and its time as "HH:MM:SS" (empty when it has none).
// utc is true when the line names GMT or UTC.
struct RecordDate {
    std::string date;
    std::string time;
    bool known = false;
    bool utc = false;
};
RecordDate parseRecordDate(std::string_view dateLine);

// Windows-1252 bytes as UTF-8. The five bytes the code page leaves undefined
// become the C1 controls of the same number, as Windows decodes them.
std::string windows1252ToUtf8(std::string_view bytes);

} // namespace quorvane::chess
