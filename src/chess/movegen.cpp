// Legal move generation: the king's moves to safe squares, then (unless two
// pieces give check) the other pieces' moves restricted to what answers a check
// and to their pin lines. En passant is tried on the board as it would be, since
// taking can uncover the king along the rank both pawns leave.

#include "chess/position.h"

#include "chess/rules.h"

#include <bit>

namespace quorvane::chess {

using namespace detail;

namespace {

void pushPawnMove(MoveList &moves, int from, int to, std::uint8_t flags, Color us) {
    if (rankOf(to) == lastRank(us)) {
        for (const PieceType p : kPromotions)
            moves.push(Move{from, to, p, flags});
    } else {
        moves.push(Move{from, to, PieceType::None, flags});
    }
}

void pushAll(MoveList &moves, int from, Bitboard targets, Bitboard theirs) {
    while (targets) {
        const int to = popLowest(targets);
        moves.push(Move{from, to, PieceType::None, (theirs & bit(to)) ? Move::kCapture : std::uint8_t{0}});
    }
}

} // namespace

std::uint64_t Position::pinnedPieces(Color us, int king) const {
    const Color them = opposite(us);
    const Bitboard queens = pieces(them, PieceType::Queen);
    Bitboard snipers = (rookAttacks(king, 0) & (pieces(them, PieceType::Rook) | queens)) |
                       (bishopAttacks(king, 0) & (pieces(them, PieceType::Bishop) | queens));
    const Bitboard occupancy = occupied();
    Bitboard pinned = 0;
    while (snipers) {
        const Bitboard between = kTables.between[king][popLowest(snipers)] & occupancy;
        if (between && !(between & (between - 1)))
            pinned |= between & byColor_[index(us)];
    }
    return pinned;
}

bool Position::enPassantIsLegal(int from, int to) const {
    const Color us = side_, them = opposite(us);
    const int taken = to - pawnStep(us);
    const Bitboard occupancy = (occupied() ^ bit(from) ^ bit(taken)) | bit(to);
    const int king = kingSquare(us);
    const Bitboard theirs = byColor_[index(them)];
    const Bitboard queens = byType_[index(PieceType::Queen)];
    if (rookAttacks(king, occupancy) & theirs & (byType_[index(PieceType::Rook)] | queens))
        return false;
    if (bishopAttacks(king, occupancy) & theirs & (byType_[index(PieceType::Bishop)] | queens))
        return false;
    // A knight's check stays; a pawn's check is answered only by taking that pawn.
    return !(kTables.knight[king] & theirs & byType_[index(PieceType::Knight)]) &&
           !(kTables.pawn[index(us)][king] & pieces(them, PieceType::Pawn) & ~bit(taken));
}

void Position::generateLegalMoves(MoveList &moves) const {
    moves.clear();
    const Color us = side_, them = opposite(us);
    const Bitboard ours = byColor_[index(us)], theirs = byColor_[index(them)];
    const Bitboard occupancy = ours | theirs;
    const int king = kingSquare(us);
    const Bitboard checkers = attackersTo(king, occupancy) & theirs;

    const Bitboard withoutKing = occupancy ^ bit(king);
    for (Bitboard b = kTables.king[king] & ~ours; b;) {
        const int to = popLowest(b);
        if (!attackedBy(them, to, withoutKing))
            moves.push(Move{king, to, PieceType::None, (theirs & bit(to)) ? Move::kCapture : std::uint8_t{0}});
    }
    if (checkers & (checkers - 1))
        return;

    Bitboard target = ~ours;
    if (checkers) {
        target = kTables.between[king][lowest(checkers)] | checkers;
    } else {
        for (const Castling &c : kCastlings) {
            if (c.color != us || !(castling_ & c.right) || (occupancy & c.mustBeEmpty))
                continue;
            bool safe = true;
            for (Bitboard b = c.mustBeSafe; b && safe;)
                safe = !attackedBy(them, popLowest(b), occupancy);
            if (safe)
                moves.push(Move{c.kingFrom, c.kingTo, PieceType::None, Move::kCastling});
        }
    }
    const Bitboard pinned = pinnedPieces(us, king);
    auto allowed = [&](int from) { return (pinned & bit(from)) ? target & kTables.line[king][from] : target; };

    // A pinned knight can never stay on its pin line.
    for (Bitboard b = pieces(us, PieceType::Knight) & ~pinned; b;) {
        const int from = popLowest(b);
        pushAll(moves, from, kTables.knight[from] & target, theirs);
    }
    const Bitboard queens = pieces(us, PieceType::Queen);
    for (Bitboard b = pieces(us, PieceType::Bishop) | queens; b;) {
        const int from = popLowest(b);
        pushAll(moves, from, bishopAttacks(from, occupancy) & allowed(from), theirs);
    }
    for (Bitboard b = pieces(us, PieceType::Rook) | queens; b;) {
        const int from = popLowest(b);
        pushAll(moves, from, rookAttacks(from, occupancy) & allowed(from), theirs);
    }

    const int step = pawnStep(us);
    for (Bitboard b = pieces(us, PieceType::Pawn); b;) {
        const int from = popLowest(b);
        const Bitboard may = allowed(from);
        const int one = from + step;
        if (!(occupancy & bit(one))) {
            if (may & bit(one))
                pushPawnMove(moves, from, one, 0, us);
            const int two = one + step;
            if (rankOf(from) == pawnStartRank(us) && !(occupancy & bit(two)) && (may & bit(two)))
                moves.push(Move{from, two, PieceType::None, Move::kDoublePush});
        }
        for (Bitboard c = kTables.pawn[index(us)][from] & theirs & may; c;)
            pushPawnMove(moves, from, popLowest(c), Move::kCapture, us);
        if (enPassant_ != kNoSquare && (kTables.pawn[index(us)][from] & bit(enPassant_)) &&
            enPassantIsLegal(from, enPassant_))
            moves.push(Move{from, enPassant_, PieceType::None, Move::kCapture | Move::kEnPassant});
    }
}

std::vector<Move> Position::legalMoves() const {
    MoveList list;
    generateLegalMoves(list);
    return {list.begin(), list.end()};
}

bool Position::isLegal(const Move &move) const {
    MoveList list;
    generateLegalMoves(list);
    for (const Move &m : list)
        if (m == move)
            return true;
    return false;
}

bool Position::hasLegalMove() const {
    MoveList list;
    generateLegalMoves(list);
    return !list.empty();
}

bool Position::isCheckmate() const {
    return inCheck() && !hasLegalMove();
}
bool Position::isStalemate() const {
    return !inCheck() && !hasLegalMove();
}

std::uint64_t perft(Position &position, int depth) {
    if (depth <= 0)
        return 1;
    MoveList list;
    position.generateLegalMoves(list);
    if (depth == 1)
        return list.size();
    std::uint64_t nodes = 0;
    for (const Move &move : list) {
        Undo undo;
        position.makeMove(move, undo);
        nodes += perft(position, depth - 1);
        position.undoMove(move, undo);
    }
    return nodes;
}

} // namespace quorvane::chess
