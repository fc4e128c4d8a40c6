#pragma once
// A record's half-move tokens ("d2-d4", "b4xb3", "e7-e8=N", "o-o-o+", "end") as
// a game of chess: each token becomes the legal move of its piece from its
// from-square to its to-square, read the way the record's decoder reads it.

#include "chess/position.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quorvane::chess {

struct RecordGame {
    std::vector<Move> moves;
    // SAN of each move, as it was written before the move.
    std::vector<std::string> san;
    // positions[k] is the position after k half-moves; positions[0] the start.
    // Always moves.size() + 1 entries.
    std::vector<Position> positions;
    // False when a token that names no legal move stopped the game.
    bool ended = true;
    // Where it stopped: the token's index (0 = White's first half-move), the
    // token as written, and why: "no piece on d2", "e2-e5 is not a legal move",
    // "unreadable token". -1 and empty when the game ended normally.
    std::int64_t stopIndex = -1;
    std::string stopToken;
    std::string stopReason;
};

// Plays the tokens from the start position. "end" and the empty token end the
// game normally, and so does the end of the list. The first other token that
// names no legal move stops it (ended = false) with its reason:
// - "unreadable token": neither castling ("o-o", "o-o-o", each also with "+" or
//   "++") nor two square names joined by "-" or "x", optionally followed by a
//   promotion ("=Q", "=R", "=B", "=N") and check, mate or annotation marks;
// - "no piece on e2": the from-square is empty;
// - "e2-e5 is not a legal move": no legal move goes there, or the piece belongs
//   to the side not to move ("... is not a legal move (the piece on e7 is
//   Black's)"), or a king's two-square step is written by squares, since
//   records write castling as "o-o" and a board that replays the record moves
//   the king alone for it ("... (castling is written o-o)").
// A pawn that reaches its last rank becomes the piece named after "=", a queen
// when none is named; a promotion named on any other move is ignored.
RecordGame gameFromTokens(const std::vector<std::string> &tokens);

// "half-move 24 (12... e2-e5): e2-e5 is not a legal move" for a stopped game
// (half-moves counted from 1, as a reader counts them); empty when it ended.
std::string describeStop(const RecordGame &game);

} // namespace quorvane::chess
