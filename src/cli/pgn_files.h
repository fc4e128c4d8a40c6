#pragma once
// The command line's PGN files: --list prints a file's games, and --to-pgn
// writes PGN files' games again, validated and normalised.

#include "game/mail_finder.h"

#include <ostream>
#include <string>
#include <vector>

namespace quorvane::cli {

// quorvane --list: one line per game, tab-separated: file, game number,
// White, Black, Result, Date, Event, ECO, half-moves. PGN files by their index
// (tags only, the move words counted); records and e-mail through their
// reader. "FILE: REASON" on err for a file that gives no game; the exit status
// is 1 when any did, else 0.
int listGames(const std::vector<std::string> &paths, std::ostream &out, std::ostream &err,
              MessageParser *mail = nullptr);

// Converts the PGN file at path when its content is PGN; false leaves the
// path to the record reader (not PGN, or it cannot be opened: that reader
// says why). Each game is read and written again with its opening's tags;
// one that cannot be read, or stops at a move that cannot be played, gives a
// "FILE: game N: REASON" line on err and sets *failed.
bool convertPgnFile(const std::string &path, std::ostream &out, std::ostream &err, bool *failed);

} // namespace quorvane::cli
