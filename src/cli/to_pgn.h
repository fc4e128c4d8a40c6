#pragma once
// quorvane --to-pgn: records to PGN on standard output, with no window.

#include "chess/pgn.h"
#include "game/mail_finder.h"

#include <ostream>
#include <functional>
#include <string>
#include <vector>

namespace quorvane::cli {

// One game record as the window's reader sees it: its header lines and its
// half-move tokens, two to a move line, as the hidden half-move list holds them.
struct GameRecord {
    chess::PgnHeaders headers;
    std::vector<std::string> tokens;
};

// What one path on the command line gave: zero or more records, or why none
// could be read ("no such file", "fewer than 6 lines").
struct RecordsRead {
    std::vector<GameRecord> records;
    std::string failure;
};

// Reads the records a path holds, through the window's own two reading passes.
// Every file kind the command line accepts goes through here. With a mail
// parser, a saved message gives its game and a mailbox every game it holds, in
// order.
RecordsRead readRecords(const std::string &path, MessageParser *mail = nullptr);
// The same one record at a time, each given to f as soon as it is read (a
// mailbox's next game is looked for only then); the reason the reading
// stopped, or nothing.
std::string forEachRecord(const std::string &path, MessageParser *mail, const std::function<void(GameRecord &&)> &f);

// Converts each path in turn, writing its games to out and one "FILE: REASON"
// line to err for each record that could not be read or stopped at an illegal
// half-move. Returns the exit status: 0 when every game came out whole, else 1.
int convertToPgn(const std::vector<std::string> &paths, std::ostream &out, std::ostream &err,
                 MessageParser *mail = nullptr);

} // namespace quorvane::cli
