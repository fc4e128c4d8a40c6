// Reading engine output and the figures made from it.
#include "engine/line.h"
#include "engine/uci.h"

#include <gtest/gtest.h>

#include <climits>

namespace quorvane::engine {
namespace {

TEST(Uci, ParsesInfoLines) {
    struct Row {
        const char *name;
        const char *line;
        std::optional<int> depth, cp, mate;
        bool lower, upper;
        std::optional<std::int64_t> nodes;
        int multipv;
        std::vector<std::string> pv;
    };
    const Row rows[] = {
        {"centipawns and pv",
         "info depth 18 seldepth 24 multipv 1 score cp 34 nodes 1234567 nps 900000 hashfull 12 tbhits 0 time 1371 pv "
         "e2e4 e7e5 g1f3",
         18,
         34,
         {},
         false,
         false,
         1234567,
         1,
         {"e2e4", "e7e5", "g1f3"}},
        {"mate for the mover",
         "info depth 5 score mate 3 pv d1h5 g7g6 h5e5",
         5,
         {},
         3,
         false,
         false,
         {},
         1,
         {"d1h5", "g7g6", "h5e5"}},
        {"mated", "info depth 0 score mate 0", 0, {}, 0, false, false, {}, 1, {}},
        {"negative mate", "info depth 9 score mate -2 pv a2a3", 9, {}, -2, false, false, {}, 1, {"a2a3"}},
        {"lowerbound", "info depth 12 score cp -55 lowerbound nodes 10", 12, -55, {}, true, false, 10, 1, {}},
        {"upperbound", "info depth 12 score cp 7 upperbound", 12, 7, {}, false, true, {}, 1, {}},
        {"wdl after the score",
         "info depth 3 score cp 12 wdl 300 600 100 pv g1f3",
         3,
         12,
         {},
         false,
         false,
         {},
         1,
         {"g1f3"}},
        {"second line of several",
         "info multipv 2 depth 7 score cp -20 pv c7c5",
         7,
         -20,
         {},
         false,
         false,
         {},
         2,
         {"c7c5"}},
        {"promotion in the pv",
         "info depth 4 score cp 900 pv e7e8q d8e8",
         4,
         900,
         {},
         false,
         false,
         {},
         1,
         {"e7e8q", "d8e8"}},
        {"extra blanks and CR", "info  depth\t6   score cp 1 pv  b1c3 \r", 6, 1, {}, false, false, {}, 1, {"b1c3"}},
        {"free text",
         "info string NNUE evaluation using nn.nnue enabled depth 99",
         {},
         {},
         {},
         false,
         false,
         {},
         1,
         {}},
        {"current move only", "info depth 20 currmove e2e4 currmovenumber 1", 20, {}, {}, false, false, {}, 1, {}},
        {"garbage numbers", "info depth x score cp 99999999999 nodes -", {}, {}, {}, false, false, {}, 1, {}},
        {"cut short", "info depth", {}, {}, {}, false, false, {}, 1, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const UciMessage m = parseUciLine(row.line);
        ASSERT_EQ(m.kind, UciKind::Info);
        EXPECT_EQ(m.info.depth, row.depth);
        EXPECT_EQ(m.info.scoreCp, row.cp);
        EXPECT_EQ(m.info.scoreMate, row.mate);
        EXPECT_EQ(m.info.lowerbound, row.lower);
        EXPECT_EQ(m.info.upperbound, row.upper);
        EXPECT_EQ(m.info.nodes, row.nodes);
        EXPECT_EQ(m.info.multipv, row.multipv);
        EXPECT_EQ(m.info.pv, row.pv);
    }
}

TEST(Uci, ParsesTheOtherReplies) {
    struct Row {
        const char *line;
        UciKind kind;
        const char *best, *idName, *idValue;
    };
    const Row rows[] = {
        {"bestmove e2e4 ponder e7e5", UciKind::BestMove, "e2e4", "", ""},
        {"bestmove (none)", UciKind::BestMove, "(none)", "", ""},
        {"bestmove", UciKind::BestMove, "(none)", "", ""},
        {"id name Stockfish 16.1\r\n", UciKind::Id, "", "name", "Stockfish 16.1"},
        {"id author the Stockfish developers", UciKind::Id, "", "author", "the Stockfish developers"},
        {"uciok", UciKind::UciOk, "", "", ""},
        {"readyok\n", UciKind::ReadyOk, "", "", ""},
        {"readyokay", UciKind::Other, "", "", ""},
        {"option name Hash type spin default 16", UciKind::Other, "", "", ""},
        {"", UciKind::Other, "", "", ""},
        {"Stockfish 16 by the Stockfish developers", UciKind::Other, "", "", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        const UciMessage m = parseUciLine(row.line);
        EXPECT_EQ(m.kind, row.kind);
        EXPECT_EQ(m.bestMove, row.best);
        EXPECT_EQ(m.idName, row.idName);
        EXPECT_EQ(m.idValue, row.idValue);
    }
}

// Scores from the side to move, turned to White's side and written out, with the
// evaluation bar's share.
TEST(Uci, ShowsScoresFromWhitesSide) {
    struct Row {
        const char *name;
        std::optional<int> cp, mate;
        bool whiteToMove;
        const char *text;
        double share;
    };
    const Row rows[] = {
        {"white better, white to move", 80, {}, true, "+0.8", 0.54},
        {"white better, black to move", -80, {}, false, "+0.8", 0.54},
        {"black better, white to move", -234, {}, true, "-2.3", 0.383},
        {"rounds half away from zero", 25, {}, true, "+0.3", 0.5125},
        {"rounds half away, negative", -25, {}, true, "-0.3", 0.4875},
        {"small is zero without a sign", -4, {}, false, "0.0", 0.502},
        {"exactly zero", 0, {}, true, "0.0", 0.5},
        {"whole pawns", 300, {}, true, "+3.0", 0.65},
        {"clipped on the bar", 1530, {}, true, "+15.3", 1.0},
        {"clipped for black", 2000, {}, false, "-20.0", 0.0},
        {"white mates in 3", {}, 3, true, "#3", 1.0},
        {"black to move, is mated in 2", {}, -2, false, "#2", 1.0},
        {"black mates in 2", {}, 2, false, "#-2", 0.0},
        {"white to move, is mated in 1", {}, -1, true, "#-1", 0.0},
        {"white to move and mated", {}, 0, true, "#-0", 0.0},
        {"black to move and mated", {}, 0, false, "#0", 1.0},
        // The most negative int has no positive twin: turned to White's side it
        // must still be a win for White, never a loss.
        {"black to move, most negative score", INT_MIN, {}, false, "+21474836.5", 1.0},
        {"white to move, most negative score", INT_MIN, {}, true, "-21474836.5", 0.0},
        {"black to move, most positive score", INT_MAX, {}, false, "-21474836.5", 0.0},
        {"black to move, mated in the most moves", {}, INT_MIN, false, "#2147483647", 1.0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        UciInfo info;
        info.scoreCp = row.cp;
        info.scoreMate = row.mate;
        const auto score = whiteScore(info, row.whiteToMove);
        ASSERT_TRUE(score);
        EXPECT_EQ(formatScore(*score), row.text);
        EXPECT_NEAR(whiteShare(*score), row.share, 1e-9);
    }
    EXPECT_FALSE(whiteScore(UciInfo{}, true));
}

TEST(Uci, FindsBlundersForTheSideThatMoved) {
    auto cp = [](int c) { return std::optional<Score>(Score{false, c, 0, false}); };
    auto mate = [](bool white) { return std::optional<Score>(Score{true, 0, 3, white}); };
    struct Row {
        const char *name;
        std::vector<std::optional<Score>> evals;
        bool whiteFirst;
        std::vector<int> expected;
    };
    const Row rows[] = {
        {"quiet game", {cp(20), cp(30), cp(10), cp(-40)}, true, {}},
        {"white drops two pawns", {cp(20), cp(-180), cp(-170)}, true, {1}},
        {"black drops, white gains", {cp(20), cp(30), cp(250)}, true, {2}},
        {"gains for the movers are no blunders", {cp(0), cp(300), cp(-300)}, true, {}},
        {"black moved first", {cp(0), cp(300)}, false, {1}},
        {"just under two pawns", {cp(0), cp(-199)}, true, {}},
        {"clipped at ten pawns", {cp(1500), cp(900)}, true, {}},
        {"walking into mate", {cp(50), mate(false)}, true, {1}},
        {"unknown evaluations are skipped", {cp(0), std::nullopt, cp(-900)}, true, {}},
        {"no positions", {}, true, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(blunders(row.evals, row.whiteFirst), row.expected);
    }
}

chess::Position FromFen(const char *fen) {
    auto position = chess::Position::fromFen(fen);
    EXPECT_TRUE(position) << fen;
    return position.value_or(chess::Position::start());
}

constexpr const char *kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char *kAfterE4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1";
constexpr const char *kScholar = "r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4";

TEST(Uci, WritesTheLineInSanWithMoveNumbers) {
    struct Row {
        const char *name;
        const char *fen;
        std::vector<std::string> pv;
        std::size_t limit;
        const char *expected;
    };
    const Row rows[] = {
        {"from the start", kStart, {"e2e4", "e7e5", "g1f3"}, 10, "1. e4 e5 2. Nf3"},
        {"black to move first", kAfterE4, {"e7e5", "g1f3", "b8c6"}, 10, "1... e5 2. Nf3 Nc6"},
        {"mate is marked", kScholar, {"h5f7"}, 10, "4. Qxf7#"},
        {"promotion with check", "7k/4P3/8/8/8/8/8/K7 w - - 0 40", {"e7e8q", "h8h7"}, 10, "40. e8=Q+ Kh7"},
        {"castling", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 20", {"e1g1", "e8c8"}, 10, "20. O-O O-O-O"},
        {"stops at an illegal move", kStart, {"e2e4", "e2e4", "g1f3"}, 10, "1. e4"},
        {"stops at an unreadable move", kStart, {"g1f3", "zz"}, 10, "1. Nf3"},
        {"ten half-moves at most",
         kStart,
         {"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8"},
         10,
         "1. Nf3 Nf6 2. Ng1 Ng8 3. Nf3 Nf6 4. Ng1 Ng8 5. Nf3 Nf6"},
        {"no line", kStart, {}, 10, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(sanLine(FromFen(row.fen), row.pv, row.limit), row.expected);
    }
}

TEST(Uci, ScoresPositionsWithoutMoves) {
    struct Row {
        const char *name;
        const char *fen;
        const char *expected; // nullptr: the engine is asked
    };
    const Row rows[] = {
        {"white is mated", "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3", "#-0"},
        {"black is mated", "r1bqkb1r/pppp1Qpp/2n2n2/4p3/2B1P3/8/PPPP1PPP/RNB1K1NR b KQkq - 0 4", "#0"},
        {"stalemate", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "0.0"},
        {"moves to play", kStart, nullptr},
        {"in check with a way out", "4k3/8/8/8/8/8/8/4K2r w - - 0 1", nullptr},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto score = finalScore(FromFen(row.fen));
        if (row.expected) {
            ASSERT_TRUE(score);
            EXPECT_EQ(formatScore(*score), row.expected);
        } else {
            EXPECT_FALSE(score);
        }
    }
}

} // namespace
} // namespace quorvane::engine
