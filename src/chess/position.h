#pragma once
// The rules of chess: a position, its legal moves, and the notations a move or a
// position is written in (SAN, UCI, FEN). Standard library only; nothing here
// knows of records, the board model or the windows.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::chess {

enum class Color : std::uint8_t { White, Black };
enum class PieceType : std::uint8_t { None, Pawn, Knight, Bishop, Rook, Queen, King };

struct Piece {
    PieceType type;
    Color color;
    friend bool operator==(const Piece &, const Piece &) = default;
};

constexpr Color opposite(Color c) {
    return c == Color::White ? Color::Black : Color::White;
}

// Squares are 0..63: a1 = 0, b1 = 1, ..., h1 = 7, a2 = 8, ..., h8 = 63.
constexpr int kNoSquare = -1;
constexpr int fileOf(int square) {
    return square & 7;
}
constexpr int rankOf(int square) {
    return square >> 3;
}
constexpr int makeSquare(int file, int rank) {
    return rank * 8 + file;
}
// "e4"; the empty text for a number that is no square.
std::string squareName(int square);
// "e4" gives 28; anything but a lower-case file and a rank digit gives nothing.
std::optional<int> parseSquare(std::string_view name);

// "Q", "R", "B", "N", "K"; the empty text for a pawn or none.
char pieceLetter(PieceType type);

struct Move {
    int from = 0;
    int to = 0;
    PieceType promotion = PieceType::None;
    // What the generator knew about the move (kCapture, ...). Only for callers'
    // convenience: makeMove reads the board, so a Move built from just its squares
    // (and promotion) plays the same.
    std::uint8_t flags = 0;

    static constexpr std::uint8_t kCapture = 1; // includes en passant
    static constexpr std::uint8_t kEnPassant = 2;
    static constexpr std::uint8_t kCastling = 4; // the king's move: e1g1, e1c1, e8g8, e8c8
    static constexpr std::uint8_t kDoublePush = 8;

    bool isCapture() const { return (flags & kCapture) != 0; }
    bool isCastling() const { return (flags & kCastling) != 0; }
    bool isEnPassant() const { return (flags & kEnPassant) != 0; }

    // Two moves are the same move when squares and promotion agree; flags follow.
    friend bool operator==(const Move &a, const Move &b) {
        return a.from == b.from && a.to == b.to && a.promotion == b.promotion;
    }
};

// "e2e4", "e7e8q", castling as the king's move ("e1g1").
std::string toUci(const Move &move);

// A fixed buffer for the moves of one position, so that searching allocates
// nothing. 322 is more than any position fromFen accepts can have: at most nine
// queens, two rooks, bishops and knights and a king, each with all its moves.
class MoveList {
public:
    static constexpr std::size_t kCapacity = 322;

    MoveList() {}
    void push(const Move &move) { std::construct_at(&storage_.moves[size_++], move); }
    void clear() { size_ = 0; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const Move &operator[](std::size_t i) const { return storage_.moves[i]; }
    const Move *begin() const { return storage_.moves; }
    const Move *end() const { return storage_.moves + size_; }

private:
    // Left uninitialised: a list is made at every node of a search.
    union Storage {
        Storage() {}
        Move moves[kCapacity];
    } storage_;
    std::size_t size_ = 0;
};

// What undoMove needs to take a move back.
struct Undo {
    bool played = false;
    bool castled = false;
    std::uint8_t moved = 0;
    std::uint8_t captured = 0;
    std::int8_t captureSquare = kNoSquare;
    std::uint8_t castling = 0;
    std::int8_t enPassant = kNoSquare;
    int halfmoveClock = 0;
};

class Position {
public:
    // The start position.
    Position();
    static Position start() { return Position(); }
    // Reads the six FEN fields (the two counters may be left out: 0 and 1). Any
    // text that is not a sound position (malformed fields, a missing or extra
    // king, pawns on the first or last rank, more pieces than promotions allow,
    // castling rights without king and rook at home, an en passant square no
    // double step explains, the side not to move in check) gives nothing, with
    // the reason in *error.
    static std::optional<Position> fromFen(std::string_view fen, std::string *error = nullptr);
    std::string toFen() const;

    Color sideToMove() const { return side_; }
    int fullmoveNumber() const { return fullmove_; }
    int halfmoveClock() const { return halfmove_; }
    // The square behind a pawn that has just stepped two squares, if any.
    std::optional<int> enPassantSquare() const;
    bool canCastle(Color color, bool kingSide) const;
    // Nothing for an empty square or a number that is no square.
    std::optional<Piece> pieceAt(int square) const;
    int kingSquare(Color color) const;

    std::vector<Move> legalMoves() const;
    void generateLegalMoves(MoveList &moves) const;
    bool isLegal(const Move &move) const;

    // Plays a legal move (one that legalMoves gives, or parseSan / parseUci).
    // A move from a square without a piece of the side to move, or onto a king,
    // is refused and changes nothing, so a wrong move cannot break the position.
    void makeMove(const Move &move);
    void makeMove(const Move &move, Undo &undo);
    // Takes back the move makeMove(move, undo) played, the last one played.
    void undoMove(const Move &move, const Undo &undo);

    bool inCheck() const;
    bool isCheckmate() const;
    bool isStalemate() const;

    // Standard algebraic notation of a legal move, before it is played: "Nbd2",
    // "exd6", "e8=Q+", "O-O-O#".
    std::string toSan(const Move &move) const;
    // Reads SAN, tolerating check and mate marks and annotations (+ # ! ?) and
    // castling with zeros ("0-0"). Nothing unless it names exactly one legal move.
    std::optional<Move> parseSan(std::string_view san) const;
    // Reads "e2e4" or "e7e8q"; nothing unless it is a legal move.
    std::optional<Move> parseUci(std::string_view uci) const;

    friend bool operator==(const Position &, const Position &) = default;

private:
    void clearBoard();
    void put(int square, std::uint8_t code);
    void remove(int square);
    std::uint64_t occupied() const { return byColor_[0] | byColor_[1]; }
    std::uint64_t pieces(Color c, PieceType t) const {
        return byColor_[static_cast<int>(c)] & byType_[static_cast<int>(t)];
    }
    std::uint64_t attackersTo(int square, std::uint64_t occupancy) const;
    bool attackedBy(Color attacker, int square, std::uint64_t occupancy) const;
    std::uint64_t pinnedPieces(Color us, int king) const;
    bool enPassantIsLegal(int from, int to) const;
    bool hasLegalMove() const;
    std::string validate() const;

    // Piece codes: 0 empty, else type | colour << 3.
    std::array<std::uint8_t, 64> board_{};
    std::array<std::uint64_t, 2> byColor_{};
    std::array<std::uint64_t, 7> byType_{};
    Color side_ = Color::White;
    std::uint8_t castling_ = 0; // kWhiteKingSide | ... (see position.cpp)
    std::int8_t enPassant_ = kNoSquare;
    int halfmove_ = 0;
    int fullmove_ = 1;
};

// Leaf nodes of the legal move tree to depth plies (perft), for testing the
// move generator against published counts.
std::uint64_t perft(Position &position, int depth);

} // namespace quorvane::chess
