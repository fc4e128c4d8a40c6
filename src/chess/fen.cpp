// FEN in and out. Reading checks everything the move generator relies on, so a
// position from outside can never make it misbehave.

#include "chess/position.h"

#include "chess/rules.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace quorvane::chess {

using namespace detail;

namespace {

constexpr std::string_view kPieceLetters = "pnbrqk"; // in PieceType order from Pawn

std::vector<std::string_view> splitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !(text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
            ++i;
        if (i > start)
            fields.push_back(text.substr(start, i - start));
    }
    return fields;
}

std::optional<int> parseCounter(std::string_view field, int least) {
    int value = 0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (ec != std::errc() || end != field.data() + field.size() || value < least || field.size() > 9)
        return std::nullopt;
    return value;
}

std::optional<Position> fail(std::string *error, std::string text) {
    if (error)
        *error = std::move(text);
    return std::nullopt;
}

} // namespace

std::optional<Position> Position::fromFen(std::string_view fen, std::string *error) {
    const auto fields = splitFields(fen);
    if (fields.size() != 4 && fields.size() != 6)
        return fail(error, "a FEN has six fields (or four, without the move counters), this one has " +
                               std::to_string(fields.size()));
    Position p;
    p.clearBoard();

    int rank = 7, file = 0;
    for (const char c : fields[0]) {
        if (c == '/') {
            if (rank == 0)
                return fail(error, "the board has more than 8 ranks");
            if (file != 8)
                return fail(error, "rank " + std::to_string(rank + 1) + " of the board does not hold 8 squares");
            --rank;
            file = 0;
        } else if (c >= '1' && c <= '8') {
            file += c - '0';
            if (file > 8)
                return fail(error, "rank " + std::to_string(rank + 1) + " of the board holds more than 8 squares");
        } else {
            const char lower = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            const auto at = kPieceLetters.find(lower);
            if (at == std::string_view::npos)
                return fail(error, std::string("'") + c + "' is not a piece letter");
            if (file > 7)
                return fail(error, "rank " + std::to_string(rank + 1) + " of the board holds more than 8 squares");
            const Color color = c == lower ? Color::Black : Color::White;
            p.put(makeSquare(file, rank), pieceCode(static_cast<PieceType>(at + 1), color));
            ++file;
        }
    }
    if (rank != 0 || file != 8)
        return fail(error, "the board does not have 8 ranks of 8 squares");

    if (fields[1] == "w")
        p.side_ = Color::White;
    else if (fields[1] == "b")
        p.side_ = Color::Black;
    else
        return fail(error, "the side to move is \"" + std::string(fields[1]) + "\", not w or b");

    p.castling_ = 0;
    if (fields[2] != "-") {
        for (const char c : fields[2]) {
            const auto row =
                std::find_if(kCastlings.begin(), kCastlings.end(), [c](const Castling &k) { return k.fenLetter == c; });
            if (row == kCastlings.end() || (p.castling_ & row->right) || fields[2].size() > 4)
                return fail(error, "castling rights \"" + std::string(fields[2]) + "\" are not - or KQkq");
            p.castling_ |= row->right;
        }
    }

    if (fields[3] != "-") {
        const auto square = parseSquare(fields[3]);
        if (!square)
            return fail(error, "the en passant square \"" + std::string(fields[3]) + "\" is no square");
        p.enPassant_ = static_cast<std::int8_t>(*square);
    }

    if (fields.size() == 6) {
        const auto halfmove = parseCounter(fields[4], 0);
        const auto fullmove = parseCounter(fields[5], 1);
        if (!halfmove || !fullmove)
            return fail(error, "the move counters \"" + std::string(fields[4]) + " " + std::string(fields[5]) +
                                   "\" are not numbers (the move number from 1)");
        p.halfmove_ = *halfmove;
        p.fullmove_ = *fullmove;
    }

    if (const std::string problem = p.validate(); !problem.empty())
        return fail(error, problem);
    return p;
}

std::string Position::validate() const {
    static constexpr std::array<const char *, 2> kColorNames{"White", "Black"};
    for (const Color c : {Color::White, Color::Black}) {
        const std::string name = kColorNames[index(c)];
        if (std::popcount(pieces(c, PieceType::King)) != 1)
            return name + " must have exactly one king";
        auto count = [&](PieceType t) { return std::popcount(pieces(c, t)); };
        const int pawns = count(PieceType::Pawn);
        const int promoted = std::max(0, count(PieceType::Queen) - 1) + std::max(0, count(PieceType::Rook) - 2) +
                             std::max(0, count(PieceType::Bishop) - 2) + std::max(0, count(PieceType::Knight) - 2);
        if (pawns > 8 || promoted > 8 - pawns)
            return name + " has more pieces than its pawns could have become";
    }
    if (byType_[index(PieceType::Pawn)] & (Bitboard{0xFF} | Bitboard{0xFF} << 56))
        return "a pawn stands on the first or last rank";
    for (const Castling &c : kCastlings) {
        if ((castling_ & c.right) && (board_[c.kingFrom] != pieceCode(PieceType::King, c.color) ||
                                      board_[c.rookFrom] != pieceCode(PieceType::Rook, c.color)))
            return std::string("castling right ") + c.fenLetter + " without king and rook on their squares";
    }
    if (enPassant_ != kNoSquare) {
        const Color mover = opposite(side_);
        const int step = pawnStep(mover);
        const int pushed = enPassant_ + step;
        const int origin = enPassant_ - step;
        if (rankOf(enPassant_) != (mover == Color::White ? 2 : 5) || board_[enPassant_] != 0 || board_[origin] != 0 ||
            board_[pushed] != pieceCode(PieceType::Pawn, mover))
            return "the en passant square " + squareName(enPassant_) + " does not follow a pawn's double step";
    }
    if (attackedBy(side_, kingSquare(opposite(side_)), occupied()))
        return "the side not to move is in check";
    return {};
}

std::string Position::toFen() const {
    std::string fen;
    fen.reserve(90);
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const std::uint8_t code = board_[makeSquare(file, rank)];
            if (code == 0) {
                ++empty;
                continue;
            }
            if (empty)
                fen += static_cast<char>('0' + empty);
            empty = 0;
            const char letter = kPieceLetters[index(typeOf(code)) - 1];
            fen += colorOf(code) == Color::White ? static_cast<char>(letter - 'a' + 'A') : letter;
        }
        if (empty)
            fen += static_cast<char>('0' + empty);
        if (rank > 0)
            fen += '/';
    }
    fen += side_ == Color::White ? " w " : " b ";
    const std::size_t before = fen.size();
    for (const Castling &c : kCastlings)
        if (castling_ & c.right)
            fen += c.fenLetter;
    if (fen.size() == before)
        fen += '-';
    fen += ' ';
    fen += enPassant_ == kNoSquare ? std::string("-") : squareName(enPassant_);
    fen += ' ' + std::to_string(halfmove_) + ' ' + std::to_string(fullmove_);
    return fen;
}

} // namespace quorvane::chess
