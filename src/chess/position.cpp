// The position itself: set-up, making and taking back moves, and what attacks a
// square.

#include "chess/position.h"

#include "chess/rules.h"

#include <cstdlib>

namespace quorvane::chess {

using namespace detail;

namespace {
constexpr std::array<PieceType, 8> kBackRank{PieceType::Rook, PieceType::Knight, PieceType::Bishop, PieceType::Queen,
                                             PieceType::King, PieceType::Bishop, PieceType::Knight, PieceType::Rook};
} // namespace

std::string squareName(int square) {
    if (square < 0 || square > 63)
        return {};
    return {static_cast<char>('a' + fileOf(square)), static_cast<char>('1' + rankOf(square))};
}

std::optional<int> parseSquare(std::string_view name) {
    if (name.size() != 2 || name[0] < 'a' || name[0] > 'h' || name[1] < '1' || name[1] > '8')
        return std::nullopt;
    return makeSquare(name[0] - 'a', name[1] - '1');
}

char pieceLetter(PieceType type) {
    static constexpr std::array<char, 7> kLetters{0, 0, 'N', 'B', 'R', 'Q', 'K'};
    return kLetters[index(type)];
}

std::string toUci(const Move &move) {
    std::string text = squareName(move.from) + squareName(move.to);
    if (move.promotion != PieceType::None)
        text += static_cast<char>(pieceLetter(move.promotion) - 'A' + 'a');
    return text;
}

Position::Position() {
    for (int file = 0; file < 8; ++file) {
        put(makeSquare(file, 0), pieceCode(kBackRank[file], Color::White));
        put(makeSquare(file, 1), pieceCode(PieceType::Pawn, Color::White));
        put(makeSquare(file, 6), pieceCode(PieceType::Pawn, Color::Black));
        put(makeSquare(file, 7), pieceCode(kBackRank[file], Color::Black));
    }
    castling_ = kWhiteKingSide | kWhiteQueenSide | kBlackKingSide | kBlackQueenSide;
}

void Position::clearBoard() {
    board_.fill(0);
    byColor_.fill(0);
    byType_.fill(0);
}

void Position::put(int square, std::uint8_t code) {
    board_[square] = code;
    byColor_[code >> 3] |= bit(square);
    byType_[code & 7] |= bit(square);
}

void Position::remove(int square) {
    const std::uint8_t code = board_[square];
    board_[square] = 0;
    byColor_[code >> 3] &= ~bit(square);
    byType_[code & 7] &= ~bit(square);
}

std::optional<int> Position::enPassantSquare() const {
    if (enPassant_ == kNoSquare)
        return std::nullopt;
    return enPassant_;
}

bool Position::canCastle(Color color, bool kingSide) const {
    for (const Castling &c : kCastlings)
        if (c.color == color && c.kingSide == kingSide)
            return (castling_ & c.right) != 0;
    return false;
}

std::optional<Piece> Position::pieceAt(int square) const {
    if (square < 0 || square > 63 || board_[square] == 0)
        return std::nullopt;
    return Piece{typeOf(board_[square]), colorOf(board_[square])};
}

int Position::kingSquare(Color color) const {
    return lowest(pieces(color, PieceType::King));
}

std::uint64_t Position::attackersTo(int square, std::uint64_t occupancy) const {
    const Bitboard queens = byType_[index(PieceType::Queen)];
    return (kTables.pawn[index(Color::White)][square] & pieces(Color::Black, PieceType::Pawn)) |
           (kTables.pawn[index(Color::Black)][square] & pieces(Color::White, PieceType::Pawn)) |
           (kTables.knight[square] & byType_[index(PieceType::Knight)]) |
           (kTables.king[square] & byType_[index(PieceType::King)]) |
           (rookAttacks(square, occupancy) & (byType_[index(PieceType::Rook)] | queens)) |
           (bishopAttacks(square, occupancy) & (byType_[index(PieceType::Bishop)] | queens));
}

bool Position::attackedBy(Color attacker, int square, std::uint64_t occupancy) const {
    const Bitboard them = byColor_[index(attacker)];
    const Bitboard queens = byType_[index(PieceType::Queen)];
    return (kTables.pawn[index(opposite(attacker))][square] & them & byType_[index(PieceType::Pawn)]) ||
           (kTables.knight[square] & them & byType_[index(PieceType::Knight)]) ||
           (kTables.king[square] & them & byType_[index(PieceType::King)]) ||
           (rookAttacks(square, occupancy) & them & (byType_[index(PieceType::Rook)] | queens)) ||
           (bishopAttacks(square, occupancy) & them & (byType_[index(PieceType::Bishop)] | queens));
}

bool Position::inCheck() const {
    return attackedBy(opposite(side_), kingSquare(side_), occupied());
}

void Position::makeMove(const Move &move) {
    Undo undo;
    makeMove(move, undo);
}

void Position::makeMove(const Move &move, Undo &undo) {
    undo.played = false;
    if (move.from < 0 || move.from > 63 || move.to < 0 || move.to > 63 || move.from == move.to)
        return;
    const std::uint8_t code = board_[move.from];
    const std::uint8_t target = board_[move.to];
    if (code == 0 || colorOf(code) != side_ ||
        (target != 0 && (colorOf(target) == side_ || typeOf(target) == PieceType::King)))
        return;

    const PieceType type = typeOf(code);
    undo.played = true;
    undo.moved = code;
    undo.castling = castling_;
    undo.enPassant = enPassant_;
    undo.halfmoveClock = halfmove_;
    undo.castled = false;

    int captureSquare = move.to;
    if (type == PieceType::Pawn && move.to == enPassant_ && target == 0 && fileOf(move.from) != fileOf(move.to))
        captureSquare = move.to - pawnStep(side_);
    undo.captured = board_[captureSquare];
    undo.captureSquare = static_cast<std::int8_t>(captureSquare);
    ++halfmove_;
    if (undo.captured != 0) {
        remove(captureSquare);
        halfmove_ = 0;
    }

    remove(move.from);
    std::uint8_t placed = code;
    if (type == PieceType::Pawn) {
        halfmove_ = 0;
        if (rankOf(move.to) == lastRank(side_)) {
            const PieceType p = move.promotion;
            const bool named =
                p == PieceType::Queen || p == PieceType::Rook || p == PieceType::Bishop || p == PieceType::Knight;
            placed = pieceCode(named ? p : PieceType::Queen, side_);
        }
    }
    put(move.to, placed);

    if (type == PieceType::King && std::abs(fileOf(move.to) - fileOf(move.from)) == 2) {
        for (const Castling &c : kCastlings) {
            if (c.kingFrom == move.from && c.kingTo == move.to &&
                board_[c.rookFrom] == pieceCode(PieceType::Rook, side_) && board_[c.rookTo] == 0) {
                remove(c.rookFrom);
                put(c.rookTo, pieceCode(PieceType::Rook, side_));
                undo.castled = true;
            }
        }
    }

    castling_ &= kRightsKept[move.from] & kRightsKept[move.to];
    enPassant_ = kNoSquare;
    if (type == PieceType::Pawn && std::abs(move.to - move.from) == 16)
        enPassant_ = static_cast<std::int8_t>((move.from + move.to) / 2);
    if (side_ == Color::Black)
        ++fullmove_;
    side_ = opposite(side_);
}

void Position::undoMove(const Move &move, const Undo &undo) {
    if (!undo.played)
        return;
    side_ = opposite(side_);
    if (side_ == Color::Black)
        --fullmove_;
    if (undo.castled) {
        for (const Castling &c : kCastlings) {
            if (c.kingFrom == move.from && c.kingTo == move.to) {
                remove(c.rookTo);
                put(c.rookFrom, pieceCode(PieceType::Rook, side_));
            }
        }
    }
    remove(move.to);
    put(move.from, undo.moved);
    if (undo.captured != 0)
        put(undo.captureSquare, undo.captured);
    castling_ = undo.castling;
    enPassant_ = undo.enPassant;
    halfmove_ = undo.halfmoveClock;
}

} // namespace quorvane::chess
