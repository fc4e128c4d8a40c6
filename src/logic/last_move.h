#pragma once
// The squares of the half-move last played, so that the window can mark them.

#include "logic/chs_main.h"

namespace quorvane {

struct LastMoveSquares {
    // Indexes into sqrSpace; -1 where the half-move names no square.
    int from = -1;
    int to = -1;
    bool operator==(const LastMoveSquares &) const = default;
};

// The half-move at FieldsPosition - 1, decoded as the stepping engine decodes
// it: its from- and to-square, or for castling the king's two squares (the side
// from the index). Nothing at the start, after "end" or an empty token, or while
// the lists are empty after a failed open.
LastMoveSquares LastMoveOf(const ChsMain &form);

} // namespace quorvane
