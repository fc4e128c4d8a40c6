// Standard algebraic notation out and in, and UCI in.

#include "chess/position.h"

#include "chess/rules.h"

namespace quorvane::chess {

using namespace detail;

namespace {

std::optional<PieceType> pieceFromLetter(char c) {
    switch (c) {
    case 'N':
        return PieceType::Knight;
    case 'B':
        return PieceType::Bishop;
    case 'R':
        return PieceType::Rook;
    case 'Q':
        return PieceType::Queen;
    case 'K':
        return PieceType::King;
    default:
        return std::nullopt;
    }
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isFile(char c) {
    return c >= 'a' && c <= 'h';
}
bool isRank(char c) {
    return c >= '1' && c <= '8';
}

} // namespace

std::string Position::toSan(const Move &move) const {
    const std::uint8_t code = (move.from >= 0 && move.from < 64) ? board_[move.from] : 0;
    if (code == 0 || move.to < 0 || move.to > 63)
        return {};
    const PieceType type = typeOf(code);
    const bool capture = board_[move.to] != 0 || (type == PieceType::Pawn && fileOf(move.from) != fileOf(move.to));

    std::string san;
    san.reserve(8);
    if (type == PieceType::King && (move.to - move.from == 2 || move.from - move.to == 2)) {
        san = move.to > move.from ? "O-O" : "O-O-O";
    } else if (type == PieceType::Pawn) {
        if (capture) {
            san += static_cast<char>('a' + fileOf(move.from));
            san += 'x';
        }
        san += squareName(move.to);
        if (rankOf(move.to) == lastRank(side_)) {
            san += '=';
            san += pieceLetter(move.promotion == PieceType::None ? PieceType::Queen : move.promotion);
        }
    } else {
        san += pieceLetter(type);
        // Other pieces of the same kind that could go there: only legal moves
        // count, so a pinned twin needs no disambiguation.
        const Bitboard occupancy = occupied();
        Bitboard reach = 0;
        switch (type) {
        case PieceType::Knight:
            reach = kTables.knight[move.to];
            break;
        case PieceType::Bishop:
            reach = bishopAttacks(move.to, occupancy);
            break;
        case PieceType::Rook:
            reach = rookAttacks(move.to, occupancy);
            break;
        case PieceType::Queen:
            reach = rookAttacks(move.to, occupancy) | bishopAttacks(move.to, occupancy);
            break;
        default:
            break;
        }
        const Bitboard twins = reach & pieces(side_, type) & ~bit(move.from);
        if (twins) {
            MoveList list;
            generateLegalMoves(list);
            bool any = false, sameFile = false, sameRank = false;
            for (const Move &m : list) {
                if (m.to != move.to || m.from == move.from || board_[m.from] != code)
                    continue;
                any = true;
                sameFile = sameFile || fileOf(m.from) == fileOf(move.from);
                sameRank = sameRank || rankOf(m.from) == rankOf(move.from);
            }
            if (any) {
                if (!sameFile)
                    san += static_cast<char>('a' + fileOf(move.from));
                else if (!sameRank)
                    san += static_cast<char>('1' + rankOf(move.from));
                else
                    san += squareName(move.from);
            }
        }
        if (capture)
            san += 'x';
        san += squareName(move.to);
    }

    Position after = *this;
    after.makeMove(move);
    if (after.inCheck())
        san += after.hasLegalMove() ? '+' : '#';
    return san;
}

std::optional<Move> Position::parseSan(std::string_view san) const {
    while (!san.empty() && (san.front() == ' ' || san.front() == '\t'))
        san.remove_prefix(1);
    while (!san.empty() && std::string_view(" \t\r\n+#!?").find(san.back()) != std::string_view::npos)
        san.remove_suffix(1);
    if (san.empty())
        return std::nullopt;

    MoveList list;
    generateLegalMoves(list);

    // Castling: O-O, 0-0, also in lower case.
    {
        std::string letters;
        for (const char c : san)
            letters += c == '0' || c == 'o' ? 'O' : c;
        if (letters == "O-O" || letters == "O-O-O") {
            const int step = letters.size() == 3 ? 2 : -2;
            for (const Move &m : list)
                if (m.isCastling() && m.to - m.from == step)
                    return m;
            return std::nullopt;
        }
    }

    PieceType type = PieceType::Pawn;
    if (const auto piece = pieceFromLetter(san.front())) {
        type = *piece;
        san.remove_prefix(1);
    }
    PieceType promotion = PieceType::None;
    if (type == PieceType::Pawn && san.size() >= 3) {
        const auto promoted = pieceFromLetter(upper(san.back()));
        if (promoted && *promoted != PieceType::King && isRank(san[san.size() - 2 - (san[san.size() - 2] == '=')])) {
            promotion = *promoted;
            san.remove_suffix(san[san.size() - 2] == '=' ? 2 : 1);
        }
    }
    if (san.size() < 2)
        return std::nullopt;
    const auto to = parseSquare(san.substr(san.size() - 2));
    if (!to)
        return std::nullopt;
    san.remove_suffix(2);
    if (!san.empty() && (san.back() == 'x' || san.back() == ':' || san.back() == '-'))
        san.remove_suffix(1);

    int fromFile = -1, fromRank = -1;
    for (const char c : san) {
        if (isFile(c) && fromFile < 0 && fromRank < 0)
            fromFile = c - 'a';
        else if (isRank(c) && fromRank < 0)
            fromRank = c - '1';
        else
            return std::nullopt;
    }
    // A pawn that does not take stays on its file.
    if (type == PieceType::Pawn && fromFile < 0)
        fromFile = fileOf(*to);

    std::optional<Move> found;
    for (const Move &m : list) {
        if (m.to != *to || typeOf(board_[m.from]) != type || m.promotion != promotion || m.isCastling())
            continue;
        if ((fromFile >= 0 && fileOf(m.from) != fromFile) || (fromRank >= 0 && rankOf(m.from) != fromRank))
            continue;
        if (found)
            return std::nullopt;
        found = m;
    }
    return found;
}

std::optional<Move> Position::parseUci(std::string_view uci) const {
    if (uci.size() != 4 && uci.size() != 5)
        return std::nullopt;
    const auto from = parseSquare(uci.substr(0, 2));
    const auto to = parseSquare(uci.substr(2, 2));
    if (!from || !to)
        return std::nullopt;
    PieceType promotion = PieceType::None;
    if (uci.size() == 5) {
        const auto p = pieceFromLetter(upper(uci[4]));
        if (!p || *p == PieceType::King)
            return std::nullopt;
        promotion = *p;
    }
    MoveList list;
    generateLegalMoves(list);
    for (const Move &m : list)
        if (m.from == *from && m.to == *to && m.promotion == promotion)
            return m;
    return std::nullopt;
}

} // namespace quorvane::chess
