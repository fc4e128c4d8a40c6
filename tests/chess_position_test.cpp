// The rules module's positions: move generation against published perft counts,
// notation out and back in, FEN, and the ends of a game.

#include "chess/position.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane::chess {
namespace {

constexpr const char *kStartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char *kKiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
constexpr const char *kPosition3 = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1";
constexpr const char *kPosition4 = "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1";
constexpr const char *kPosition5 = "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8";
constexpr const char *kPosition6 = "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10";

Position FromFen(const std::string &fen) {
    std::string error;
    const auto position = Position::fromFen(fen, &error);
    EXPECT_TRUE(position) << fen << ": " << error;
    return position.value_or(Position());
}

Move Uci(const Position &position, const std::string &uci) {
    const auto move = position.parseUci(uci);
    EXPECT_TRUE(move) << uci << " in " << position.toFen();
    return move.value_or(Move{});
}

// Published node counts (chessprogramming.org, "Perft Results"). They cover
// castling through and out of check, en passant with the pawn pinned along the
// rank, promotions to every piece and discovered checks.
TEST(ChessPerft, PublishedCounts) {
    struct Row {
        const char *name;
        const char *fen;
        int depth;
        std::uint64_t nodes;
    };
    const std::vector<Row> rows{
        {"start depth 1", kStartFen, 1, 20},
        {"start depth 3", kStartFen, 3, 8902},
        {"start depth 5", kStartFen, 5, 4865609},
        {"Kiwipete depth 1", kKiwipete, 1, 48},
        {"Kiwipete depth 2", kKiwipete, 2, 2039},
        {"Kiwipete depth 4", kKiwipete, 4, 4085603},
        {"position 3 depth 5", kPosition3, 5, 674624},
        {"position 4 depth 4", kPosition4, 4, 422333},
        {"position 5 depth 4", kPosition5, 4, 2103487},
        {"position 6 depth 4", kPosition6, 4, 3894594},
    };
    for (const Row &row : rows) {
        Position position = FromFen(row.fen);
        const Position before = position;
        EXPECT_EQ(perft(position, row.depth), row.nodes) << row.name;
        EXPECT_EQ(position, before) << row.name << ": make and undo left the position changed";
    }
}

TEST(ChessNotation, SanOfTrickyMoves) {
    struct Row {
        const char *name;
        const char *fen;
        const char *uci;
        const char *san;
    };
    const std::vector<Row> rows{
        {"file and rank: three queens", "8/8/1k6/8/4Q2Q/8/8/1K5Q w - - 0 1", "h4e1", "Qh4e1"},
        {"file tells", "4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "b1d2", "Nbd2"},
        {"rank tells", "7k/8/8/R7/8/8/8/R3K3 w - - 0 1", "a1a3", "R1a3"},
        {"a pinned twin needs none", "4r1k1/8/8/8/8/8/4N3/1N2K3 w - - 0 1", "b1c3", "Nc3"},
        {"promotion taking with check", "r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7a8q", "bxa8=Q+"},
        {"under-promotion", "r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7a8n", "bxa8=N"},
        {"promotion by a step", "4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8r", "a8=R+"},
        {"castling with check", "5k2/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", "O-O+"},
        {"castling queen side", "r3k3/8/8/8/8/8/8/4K3 b q - 0 1", "e8c8", "O-O-O"},
        {"mate", "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "a1a8", "Ra8#"},
        {"en passant", "4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1", "d5e6", "dxe6"},
        {"en passant uncovering check", "8/8/8/1k1Pp2R/8/8/8/4K3 w - e6 0 1", "d5e6", "dxe6+"},
        {"a knight takes", "4k3/8/8/4p3/8/5N2/8/4K3 w - - 0 1", "f3e5", "Nxe5"},
        {"the king takes", "4k3/8/8/8/8/8/3p4/4K3 w - - 0 1", "e1d2", "Kxd2"},
        {"black pawn promotes", "4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "a2a1q", "a1=Q+"},
    };
    for (const Row &row : rows) {
        const Position position = FromFen(row.fen);
        EXPECT_EQ(position.toSan(Uci(position, row.uci)), row.san) << row.name;
    }
}

// Every legal move of positions full of special moves: its SAN and UCI read back
// to the same move, and undo restores the position exactly.
TEST(ChessNotation, EveryMoveReadsBack) {
    for (const char *fen :
         {kStartFen, kKiwipete, kPosition3, kPosition4, kPosition5, kPosition6, "8/8/1k6/8/4Q2Q/8/8/1K5Q w - - 0 1",
          "r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1"}) {
        Position position = FromFen(fen);
        const Position before = position;
        const auto moves = position.legalMoves();
        ASSERT_FALSE(moves.empty()) << fen;
        for (const Move &move : moves) {
            const std::string san = position.toSan(move);
            EXPECT_EQ(position.parseSan(san), move) << fen << " " << san;
            EXPECT_EQ(position.parseUci(toUci(move)), move) << fen << " " << toUci(move);
            Undo undo;
            position.makeMove(move, undo);
            position.undoMove(move, undo);
            EXPECT_EQ(position, before) << fen << " after " << san << " and back";
        }
    }
}

TEST(ChessNotation, SanInTolerance) {
    struct Row {
        const char *name;
        const char *fen;
        const char *san;
        const char *uci; // empty: must be refused
    };
    const std::string afterE4 = "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 0 1";
    const std::string castle = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
    const std::vector<Row> rows{
        {"check mark", kKiwipete, "Qxf6+", "f3f6"},
        {"annotations", afterE4.c_str(), "Nxe5!?", "f3e5"},
        {"zeros", castle.c_str(), "0-0", "e1g1"},
        {"zeros queen side", castle.c_str(), "0-0-0+", "e1c1"},
        {"letter o", castle.c_str(), "o-o", "e1g1"},
        {"from square given", afterE4.c_str(), "Ng1-f3", ""},
        {"long form", afterE4.c_str(), "Nf3-e5", "f3e5"},
        {"promotion without =", "4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a8Q", "a7a8q"},
        {"promotion missing", "4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a8", ""},
        {"ambiguous", "4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "Nd2", ""},
        {"the king's step is no castling", castle.c_str(), "Kg1", ""},
        {"a pawn does not take by its file alone", afterE4.c_str(), "d5", ""},
        {"no such piece", kStartFen, "Qh5", ""},
        {"not SAN", kStartFen, "hello", ""},
        {"empty", kStartFen, "", ""},
        {"marks only", kStartFen, "+#", ""},
    };
    for (const Row &row : rows) {
        const Position position = FromFen(row.fen);
        const auto move = position.parseSan(row.san);
        if (std::string(row.uci).empty())
            EXPECT_FALSE(move) << row.name << ": read as " << toUci(move.value_or(Move{}));
        else
            EXPECT_EQ(move, position.parseUci(row.uci)) << row.name;
    }
}

TEST(ChessFen, RoundTrip) {
    for (const char *fen :
         {kStartFen, kKiwipete, kPosition3, kPosition4, kPosition5, kPosition6,
          "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3",
          "rnbqkbnr/pppp1ppp/8/8/3Pp3/8/PPP1PPPP/RNBQKBNR b Kq d3 0 3", "8/8/8/8/8/8/8/k6K b - - 99 120"})
        EXPECT_EQ(FromFen(fen).toFen(), fen);
    EXPECT_EQ(Position::start().toFen(), kStartFen);
    EXPECT_EQ(FromFen("  8/8/8/8/8/8/8/k6K  b -  - ").toFen(), "8/8/8/8/8/8/8/k6K b - - 0 1");

    // Playing moves keeps the FEN's fields in step: the en passant square after
    // a double step, castling rights lost by a rook taken at home, the counters.
    Position p = FromFen("r3k2r/8/8/8/8/8/1p6/R1N1K2R b KQkq - 5 9");
    p.makeMove(Uci(p, "b2a1q"));
    EXPECT_EQ(p.toFen(), "r3k2r/8/8/8/8/8/8/q1N1K2R w Kkq - 0 10");
    p.makeMove(Uci(p, "h1h8"));
    EXPECT_EQ(p.toFen(), "r3k2R/8/8/8/8/8/8/q1N1K3 b q - 0 10");
    Position q;
    q.makeMove(Uci(q, "e2e4"));
    EXPECT_EQ(q.toFen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
}

TEST(ChessFen, MalformedIsRefusedWithAReason) {
    struct Row {
        const char *name;
        const char *fen;
        const char *reasonPart;
    };
    const std::vector<Row> rows{
        {"empty", "", "six fields"},
        {"five fields", "8/8/8/8/8/8/8/k6K w - - 0", "six fields"},
        {"seven ranks", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1", "8 ranks"},
        {"nine ranks", "8/8/8/8/8/8/8/8/k6K w - - 0 1", "more than 8 ranks"},
        {"nine squares", "rnbqkbnrr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "more than 8"},
        {"short rank", "rnbqkbn/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "8 squares"},
        {"digit nine", "9/8/8/8/8/8/8/k6K w - - 0 1", "piece letter"},
        {"unknown letter", "x7/8/8/8/8/8/8/k6K w - - 0 1", "piece letter"},
        {"side", "8/8/8/8/8/8/8/k6K x - - 0 1", "side to move"},
        {"castling letters", "8/8/8/8/8/8/8/k6K w A - 0 1", "castling rights"},
        {"castling twice", "r3k2r/8/8/8/8/8/8/R3K2R w KK - 0 1", "castling rights"},
        {"castling without rook", "4k3/8/8/8/8/8/8/4K3 w K - 0 1", "castling right K"},
        {"en passant off the board", "8/8/8/8/8/8/8/k6K w - e9 0 1", "en passant"},
        {"en passant with no double step", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e6 0 1", "en passant"},
        {"negative counter", "8/8/8/8/8/8/8/k6K w - - -1 1", "counters"},
        {"move number zero", "8/8/8/8/8/8/8/k6K w - - 0 0", "counters"},
        {"counter not a number", "8/8/8/8/8/8/8/k6K w - - x 1", "counters"},
        {"counter too large", "8/8/8/8/8/8/8/k6K w - - 0 99999999999", "counters"},
        {"no black king", "8/8/8/8/8/8/8/K7 w - - 0 1", "Black must have exactly one king"},
        {"two white kings", "k7/8/8/8/8/8/8/K6K w - - 0 1", "White must have exactly one king"},
        {"pawn on the last rank", "P3k3/8/8/8/8/8/8/4K3 w - - 0 1", "first or last rank"},
        {"pieces no promotion explains", "QQQQQQQQ/QQQQQQQQ/8/8/8/8/8/k6K w - - 0 1", "more pieces"},
        {"nine pawns", "4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - - 0 1", "more pieces"},
        {"the side not to move in check", "4k3/8/8/8/4R3/8/8/4K3 w - - 0 1", "not to move is in check"},
    };
    for (const Row &row : rows) {
        std::string error;
        EXPECT_FALSE(Position::fromFen(row.fen, &error)) << row.name;
        EXPECT_NE(error.find(row.reasonPart), std::string::npos) << row.name << ": " << error;
    }
}

TEST(ChessRules, EndsOfTheGame) {
    struct Row {
        const char *name;
        const char *fen;
        bool check, mate, stalemate;
    };
    const std::vector<Row> rows{
        {"start", kStartFen, false, false, false},
        {"fool's mate", "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3", true, true, false},
        {"check with a way out", "R3k3/8/8/8/8/8/8/4K3 b - - 0 1", true, false, false},
        {"check the knight answers", "4k3/8/8/8/8/1N6/3PPP2/r3K3 w - - 0 1", true, false, false},
        {"no way out but no check", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", false, false, true},
        {"the pinned knight cannot move", "k7/1nK5/1P6/8/8/8/8/7Q b - - 0 1", false, false, true},
        {"only en passant is left", "7K/8/8/8/1pP5/1B1N4/3N4/k7 b - c3 0 1", false, false, false},
        {"without en passant nothing", "7K/8/8/8/1pP5/1B1N4/3N4/k7 b - - 0 1", false, false, true},
        {"double check, only the king may move", "3qkb2/3p1p2/3N4/8/8/8/8/4R1K1 b - - 0 1", true, true, false},
    };
    for (const Row &row : rows) {
        const Position position = FromFen(row.fen);
        EXPECT_EQ(position.inCheck(), row.check) << row.name;
        EXPECT_EQ(position.isCheckmate(), row.mate) << row.name;
        EXPECT_EQ(position.isStalemate(), row.stalemate) << row.name;
    }
}

TEST(ChessRules, AWrongMoveCannotBreakThePosition) {
    Position position;
    const Position before = position;
    for (const Move &wrong : {Move{20, 28}, Move{52, 44}, Move{-1, 3}, Move{4, 64}, Move{0, 1}, Move{3, 3}}) {
        Undo undo;
        position.makeMove(wrong, undo);
        position.undoMove(wrong, undo);
        EXPECT_EQ(position, before) << wrong.from << "-" << wrong.to;
    }
    EXPECT_EQ(squareName(-1), "");
    EXPECT_EQ(squareName(64), "");
    EXPECT_EQ(parseSquare("e4"), 28);
    EXPECT_FALSE(parseSquare("E4"));
    EXPECT_FALSE(parseSquare("e0"));
    EXPECT_FALSE(position.pieceAt(64));
    EXPECT_EQ(position.pieceAt(4), (Piece{PieceType::King, Color::White}));
}

} // namespace
} // namespace quorvane::chess
