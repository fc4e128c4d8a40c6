#pragma once
// Where a square of the rules' model (0 = a1) is on the designed board
// (sqrSpace, 0 = a8), and back.

namespace quorvane {

int BoardSquareOf(int chessSquare);
int ChessSquareOf(int boardSquare);

} // namespace quorvane
