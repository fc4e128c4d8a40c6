#pragma once
// A game's tree of moves as the rows of a move list, as players read one: the
// main line two half-moves to a row under its move number, and each variation
// in rows of its own after the move it is an alternative to, in parentheses,
// with its move numbers, one level deeper for each variation it sits in.
//
// A main-line row ends early where its move has variations, so they come
// straight after it; the line goes on in a new row ("12... e5"). A variation's
// row ends where one of its moves has variations of its own, and where it would
// grow longer than a row's width; it goes on in the next row at its level.

#include "chess/game.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

struct MoveToken {
    chess::GamePath path;  // where the cursor stands after the move
    std::string san;
    bool white = true;     // White plays it
    // Its characters in the row's text, with its number when it has one
    // (variation rows only).
    std::size_t begin = 0;
    std::size_t end = 0;
    // The half-move (from 1) of the game as read that this is: the moves from
    // the start to it are the game's own. Its review figures belong to it.
    std::optional<std::size_t> gamePly;
};

struct MoveRow {
    // 0 for the main line, 1 for its variations, 2 for theirs, ...
    std::size_t depth = 0;
    // The main line's rows: the move number, and White's and Black's half-moves
    // (a row may start with Black's, or end after White's).
    int moveNumber = 0;
    // A variation's row: "(12... Nf6 13. Nd2", "Nc6 14. Bb5)" with the tokens'
    // places in it.
    std::string text;
    std::vector<MoveToken> moves;
};

// The rows of game. gameMoves are the moves of the game as read (its main line
// before any promotion), for MoveToken::gamePly. A variation row holds at most
// rowChars characters, or one move where a move is longer.
std::vector<MoveRow> moveRows(const chess::Game &game, const std::vector<chess::Move> &gameMoves,
                              std::size_t rowChars = 40);

// The row and token at path; nothing where no move leads there (the start).
std::optional<std::pair<std::size_t, std::size_t>> findMove(const std::vector<MoveRow> &rows,
                                                            const chess::GamePath &path);

} // namespace quorvane
