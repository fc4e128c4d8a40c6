#pragma once
// A position of the rules' model on the designed board's 32 piece slots, for
// boards the record's replay does not reach (a variation the user plays).

#include "board/board.h"
#include "chess/position.h"

#include <array>

namespace quorvane {

// Puts position on the piece slots: a slot that already shows a piece standing
// on its square keeps it, so stepping moves only the pieces that moved; then
// each piece takes a free slot of its kind and colour (its own start square's
// slot first), a piece beyond the set takes a pawn slot shown promoted, and
// unused slots are hidden with an empty Tag.
void LayOutPosition(const chess::Position &position, std::array<ImageControl, board::kPieceCount> &pieces,
                    const std::array<ShapeControl, board::kSquareCount> &squares);

// The board square (index into sqrSpace) of a rules' square (0 = a1), and back.
int BoardSquareOf(int chessSquare);
int ChessSquareOf(int boardSquare);

} // namespace quorvane
