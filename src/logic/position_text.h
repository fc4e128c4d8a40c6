#pragma once
// The position on the board in words, for assistive technology.

#include "logic/chs_main.h"

#include <string>

namespace quorvane {

// "White to move; White: Kg1, Qd1, Ra1, a2; Black: Kg8, ...": the side whose
// half-move is next (from the number played), then each side's pieces on the
// board, king to pawns and from file a to h within a kind, pawns by their square
// alone. A promoted pawn is named as the piece it became.
std::string DescribePosition(const ChsMain &form);

} // namespace quorvane
