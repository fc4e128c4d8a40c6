#pragma once
// The board: 64 named squares and 32 pieces, in twips of the main window's client
// area, seen from White's side (rank 8 at the top, file a at the left).

#include "platform/controls.h"

#include <array>
#include <string>
#include <string_view>

namespace quorvane {

enum class PieceKind { King, Queen, Rook, Bishop, Knight, Pawn };

struct PieceSlot {
    PieceKind kind;
    bool white;
    const char *startSquare;
};

namespace board {

constexpr int kSquareCount = 64;
constexpr int kPieceCount = 32;
constexpr int kFileLeft0 = 600;   // file a
constexpr int kFilePitch = 840;
constexpr int kRankTop0 = 1440;   // rank 8
constexpr int kRankPitch = 720;
constexpr int kSquareWidth = 855; // 15 twips more than the pitch: neighbours overlap
constexpr int kSquareHeight = 735;

// Slot i stands for one piece for the whole run: 0-15 White, 16-31 Black.
constexpr std::array<PieceSlot, kPieceCount> kPieceSlots{{
    {PieceKind::Rook, true, "a1"},    {PieceKind::Knight, true, "b1"},  {PieceKind::Bishop, true, "c1"},
    {PieceKind::Queen, true, "d1"},   {PieceKind::King, true, "e1"},    {PieceKind::Bishop, true, "f1"},
    {PieceKind::Knight, true, "g1"},  {PieceKind::Rook, true, "h1"},    {PieceKind::Pawn, true, "h2"},
    {PieceKind::Pawn, true, "g2"},    {PieceKind::Pawn, true, "f2"},    {PieceKind::Pawn, true, "e2"},
    {PieceKind::Pawn, true, "d2"},    {PieceKind::Pawn, true, "c2"},    {PieceKind::Pawn, true, "b2"},
    {PieceKind::Pawn, true, "a2"},    {PieceKind::Pawn, false, "a7"},   {PieceKind::Pawn, false, "b7"},
    {PieceKind::Pawn, false, "c7"},   {PieceKind::Pawn, false, "d7"},   {PieceKind::Pawn, false, "e7"},
    {PieceKind::Pawn, false, "f7"},   {PieceKind::Pawn, false, "g7"},   {PieceKind::Pawn, false, "h7"},
    {PieceKind::Rook, false, "h8"},   {PieceKind::Knight, false, "g8"}, {PieceKind::Bishop, false, "f8"},
    {PieceKind::King, false, "e8"},   {PieceKind::Queen, false, "d8"},  {PieceKind::Bishop, false, "c8"},
    {PieceKind::Knight, false, "b8"}, {PieceKind::Rook, false, "a8"},
}};

constexpr int FileLeft(int col) { return kFileLeft0 + kFilePitch * col; }
constexpr int RankTop(int row) { return kRankTop0 + kRankPitch * row; }
// Index of a square: 8 * row + col, row 0 being rank 8.
constexpr int SquareIndex(int col, int row) { return 8 * row + col; }
std::string SquareName(int index);
// Light squares (row + col even) are light yellow, the others green.
constexpr bool IsLightSquare(int index) { return (index / 8 + index % 8) % 2 == 0; }

// Start Left and Top of a piece slot: those of its start square.
int StartLeft(int slot);
int StartTop(int slot);

// The 64 squares in their places, tagged with their names.
std::array<ShapeControl, kSquareCount> MakeSquares();
// The 32 pieces in the start position.
std::array<ImageControl, kPieceCount> MakeStartPieces();

// The kind a slot shows: its own, or the one it was promoted to.
PieceKind ShownKind(int slot, const ImageControl &piece);

// First square, in index order, whose Tag equals name; -1 for none.
int FindSquare(const std::array<ShapeControl, kSquareCount> &squares, std::string_view name);
// First piece, in slot order, whose Tag equals tag; -1 for none.
int FindPiece(const std::array<ImageControl, kPieceCount> &pieces, std::string_view tag);

} // namespace board
} // namespace quorvane
