#pragma once
// The shapes of the rules both colours share, as tables: piece codes, the
// castlings and what a move on a square does to the castling rights. Internal
// to the chess module.

#include "chess/attacks.h"
#include "chess/position.h"

#include <array>
#include <cstdint>

namespace quorvane::chess::detail {

constexpr int index(Color c) {
    return static_cast<int>(c);
}
constexpr int index(PieceType t) {
    return static_cast<int>(t);
}

// A square's content: 0 for empty, else type | colour << 3.
constexpr std::uint8_t pieceCode(PieceType t, Color c) {
    return static_cast<std::uint8_t>(index(t) | index(c) << 3);
}
constexpr PieceType typeOf(std::uint8_t code) {
    return static_cast<PieceType>(code & 7);
}
constexpr Color colorOf(std::uint8_t code) {
    return static_cast<Color>(code >> 3);
}

constexpr std::uint8_t kWhiteKingSide = 1, kWhiteQueenSide = 2, kBlackKingSide = 4, kBlackQueenSide = 8;

struct Castling {
    std::uint8_t right;
    Color color;
    bool kingSide;
    int kingFrom, kingTo, rookFrom, rookTo;
    Bitboard mustBeEmpty; // between king and rook
    Bitboard mustBeSafe;  // the squares the king crosses and lands on
    char fenLetter;
};

constexpr std::array<Castling, 4> kCastlings{{
    {kWhiteKingSide, Color::White, true, 4, 6, 7, 5, bit(5) | bit(6), bit(5) | bit(6), 'K'},
    {kWhiteQueenSide, Color::White, false, 4, 2, 0, 3, bit(1) | bit(2) | bit(3), bit(2) | bit(3), 'Q'},
    {kBlackKingSide, Color::Black, true, 60, 62, 63, 61, bit(61) | bit(62), bit(61) | bit(62), 'k'},
    {kBlackQueenSide, Color::Black, false, 60, 58, 56, 59, bit(57) | bit(58) | bit(59), bit(58) | bit(59), 'q'},
}};

// The castling rights that survive any move from or to a square: a king or rook
// leaving home, or a rook taken at home, ends them.
constexpr std::array<std::uint8_t, 64> makeRightsKept() {
    std::array<std::uint8_t, 64> kept{};
    kept.fill(15);
    for (const Castling &c : kCastlings) {
        kept[c.kingFrom] &= static_cast<std::uint8_t>(~c.right);
        kept[c.rookFrom] &= static_cast<std::uint8_t>(~c.right);
    }
    return kept;
}
inline constexpr std::array<std::uint8_t, 64> kRightsKept = makeRightsKept();

// Rank steps and ranks that differ by colour.
constexpr int pawnStep(Color c) {
    return c == Color::White ? 8 : -8;
}
constexpr int pawnStartRank(Color c) {
    return c == Color::White ? 1 : 6;
}
constexpr int lastRank(Color c) {
    return c == Color::White ? 7 : 0;
}

constexpr std::array<PieceType, 4> kPromotions{PieceType::Queen, PieceType::Rook, PieceType::Bishop, PieceType::Knight};

} // namespace quorvane::chess::detail
