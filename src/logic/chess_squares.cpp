#include "logic/chess_squares.h"

#include "chess/position.h"
#include "board/board.h"

namespace quorvane {

int BoardSquareOf(int chessSquare) {
    return board::SquareIndex(chess::fileOf(chessSquare), 7 - chess::rankOf(chessSquare));
}

int ChessSquareOf(int boardSquare) {
    return chess::makeSquare(boardSquare % 8, 7 - boardSquare / 8);
}

} // namespace quorvane
