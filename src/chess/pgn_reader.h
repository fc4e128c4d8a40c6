#pragma once
// Reading PGN: the import format of the PGN standard, read as leniently as the
// readers players trust, into the one game model. Standard library only.
//
// (Declarations first, so that the window and the command line can be built
// against them while the reader is written; see pgn_reader.cpp.)

#include "chess/game.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::chess {

// True when text reads as PGN: its first significant line (after a byte order
// mark, blank lines, "%" lines and brace comments) is a tag pair
// [Name "value"], or it starts with movetext (a move number, then a legal
// first move). A record's first line (";Title: ...") is neither.
bool looksLikePgn(std::string_view text);

// One game read from its text. game is set when anything could be read (a
// game whose movetext stops at an illegal move still is one: the stop is in
// game->mainLine.stop); error says why there is no game otherwise ("not a
// standard chess game: Variant \"Atomic\"", "no moves and no tags").
struct PgnGameRead {
    std::optional<Game> game;
    std::string error;
};

// Reads the first game of bytes (UTF-8 with or without a byte order mark;
// text that is not valid UTF-8 is read as Windows-1252).
PgnGameRead readPgnGame(std::string_view bytes);

// Where each game of a PGN text lies, found by scanning, without reading moves.
struct PgnGameSpan {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};
std::vector<PgnGameSpan> splitPgnGames(std::string_view bytes);
// The first count games of bytes, cut as splitPgnGames cuts them.
std::vector<PgnGameSpan> firstPgnGames(std::string_view bytes, std::size_t count);
// The game that starts at or after offset (the end of a game splitPgnGames
// gave), or nothing when no game follows.
std::optional<PgnGameSpan> pgnGameAfter(std::string_view bytes, std::size_t offset);

} // namespace quorvane::chess
