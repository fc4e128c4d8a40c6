#pragma once
// What a game of the rules' model becomes on the designed board and in the
// move list (logic/game_load.cpp; ChsMain::LoadGame puts it all in place).

#include "board/board.h"
#include "chess/game.h"

#include <array>
#include <string>
#include <vector>

namespace quorvane {

// The token the designed decoder reads for move, a legal move in before:
// "e2-e4", "e4xd5" (en passant too), "o-o", "o-o-o", "e7-e8=Q".
std::string RecordToken(const chess::Position &before, const chess::Move &move);

// The main line in SAN, one numbered line per move as record lines are
// numbered ("1. d4 d5"); a game that Black begins opens with "12... Nf6".
std::vector<std::string> SanMoveLines(const chess::Game &game);

// The move list's last line for a game that an illegal or unreadable move
// stopped ("12... Nf9 illegal"); empty for a game that does not stop.
std::string StopLine(const chess::Game &game);

// Puts position on the 32 piece slots: each piece in a free slot of its kind
// and colour (a piece on its slot's start square in that slot, so the standard
// position is the designed start), a piece beyond the set in a pawn slot shown
// promoted, unused slots hidden.
void LayOutPosition(const chess::Position &position, std::array<ImageControl, board::kPieceCount> &pieces,
                    const std::array<ShapeControl, board::kSquareCount> &squares);

} // namespace quorvane
