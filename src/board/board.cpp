#include "board/board.h"

#include <cstring>

namespace quorvane::board {

namespace {
constexpr int ColOf(const char *square) { return square[0] - 'a'; }
constexpr int RowOf(const char *square) { return 8 - (square[1] - '0'); }

// Exact text equality, cheapest first: the searches run for every half-move of
// a jump, and most tags differ from the name in length or first character, so
// the library comparison is reached only for likely matches.
inline bool SameText(const std::string &tag, std::string_view name) {
    const std::size_t n = name.size();
    if (tag.size() != n)
        return false;
    if (n == 0)
        return true;
    const char *a = tag.data();
    const char *b = name.data();
    return a[0] == b[0] && (n == 1 || std::memcmp(a + 1, b + 1, n - 1) == 0);
}
} // namespace

std::string SquareName(int index) {
    const int col = index % 8;
    const int row = index / 8;
    return {static_cast<char>('a' + col), static_cast<char>('0' + 8 - row)};
}

int StartLeft(int slot) { return FileLeft(ColOf(kPieceSlots[static_cast<std::size_t>(slot)].startSquare)); }
int StartTop(int slot) { return RankTop(RowOf(kPieceSlots[static_cast<std::size_t>(slot)].startSquare)); }

std::array<ShapeControl, kSquareCount> MakeSquares() {
    std::array<ShapeControl, kSquareCount> squares;
    for (int i = 0; i < kSquareCount; ++i)
        squares[static_cast<std::size_t>(i)] =
            ShapeControl(static_cast<float>(FileLeft(i % 8)), static_cast<float>(RankTop(i / 8)), SquareName(i));
    return squares;
}

std::array<ImageControl, kPieceCount> MakeStartPieces() {
    std::array<ImageControl, kPieceCount> pieces;
    for (int slot = 0; slot < kPieceCount; ++slot) {
        auto &piece = pieces[static_cast<std::size_t>(slot)];
        piece.Left = static_cast<float>(StartLeft(slot));
        piece.Top = static_cast<float>(StartTop(slot));
        piece.Tag = kPieceSlots[static_cast<std::size_t>(slot)].startSquare;
        piece.Visible = true;
    }
    return pieces;
}

PieceKind ShownKind(int slot, const ImageControl &piece) {
    if (piece.Promoted == "Q")
        return PieceKind::Queen;
    if (piece.Promoted == "R")
        return PieceKind::Rook;
    if (piece.Promoted == "B")
        return PieceKind::Bishop;
    if (piece.Promoted == "N")
        return PieceKind::Knight;
    return kPieceSlots[static_cast<std::size_t>(slot)].kind;
}

int FindSquare(const std::array<ShapeControl, kSquareCount> &squares, std::string_view name) {
    for (int i = 0; i < kSquareCount; ++i)
        if (SameText(squares[static_cast<std::size_t>(i)].Tag(), name))
            return i;
    return -1;
}

int FindPiece(const std::array<ImageControl, kPieceCount> &pieces, std::string_view tag) {
    for (int i = 0; i < kPieceCount; ++i)
        if (SameText(pieces[static_cast<std::size_t>(i)].Tag, tag))
            return i;
    return -1;
}

} // namespace quorvane::board
