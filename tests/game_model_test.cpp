// The game model's tree: following paths into variations, and where a line
// stopped, worded for a reader.

#include "chess/game.h"

#include <gtest/gtest.h>

namespace quorvane::chess {
namespace {

MoveNode nodeFor(Position &p, std::string_view san) {
    MoveNode node;
    node.move = *p.parseSan(san);
    node.san = p.toSan(node.move);
    p.makeMove(node.move);
    return node;
}

// 1. e4 e5 (1... c5 2. Nf3 (2. c3)) 2. Nf3
Game sampleGame() {
    Game g;
    Position p;
    g.mainLine.moves.push_back(nodeFor(p, "e4"));
    Position beforeE5 = p;
    g.mainLine.moves.push_back(nodeFor(p, "e5"));
    g.mainLine.moves.push_back(nodeFor(p, "Nf3"));
    Line sicilian;
    Position s = beforeE5;
    sicilian.moves.push_back(nodeFor(s, "c5"));
    Position beforeNf3 = s;
    sicilian.moves.push_back(nodeFor(s, "Nf3"));
    Line alapin;
    alapin.moves.push_back(nodeFor(beforeNf3, "c3"));
    sicilian.moves[1].variations.push_back(alapin);
    g.mainLine.moves[1].variations.push_back(sicilian);
    return g;
}

TEST(GameModel, PathsLeadIntoTheTree) {
    const Game g = sampleGame();
    struct Row {
        const char *name;
        GamePath path;
        const char *fen; // nullptr: out of range
    } rows[] = {
        {"start", {{}, 0}, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
        {"main line end", {{}, 3}, "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2"},
        {"variation start", {{{1, 0}}, 0}, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"},
        {"in the variation", {{{1, 0}}, 1}, "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq c6 0 2"},
        {"nested", {{{1, 0}, {1, 0}}, 1}, "rnbqkbnr/pp1ppppp/8/2p5/4P3/2P5/PP1P1PPP/RNBQKBNR b KQkq - 0 2"},
        {"past a line's end", {{}, 4}, nullptr},
        {"no such variation", {{{0, 0}}, 0}, nullptr},
        {"no such move", {{{7, 0}}, 0}, nullptr},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<Position> p = g.positionAt(row.path);
        if (!row.fen) {
            EXPECT_FALSE(p.has_value());
            continue;
        }
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->toFen(), row.fen);
    }
    EXPECT_EQ(g.mainLinePositions().size(), 4u);
    EXPECT_EQ(g.lineAt({{{1, 0}, {1, 0}}, 0})->moves[0].san, "c3");
}

TEST(GameModel, TagsKeepTheirOrder) {
    Game g;
    g.setTag("White", "A");
    g.setTag("Black", "B");
    g.setTag("White", "C");
    ASSERT_EQ(g.tags.size(), 2u);
    EXPECT_EQ(g.tags[0], (TagPair{"White", "C"}));
    EXPECT_EQ(*g.tag("Black"), "B");
    EXPECT_EQ(g.tag("Event"), nullptr);
}

TEST(GameModel, StopsAreCountedFromTheLinesStart) {
    const Position blackToMove = *Position::fromFen("4k3/8/8/8/8/8/4P3/4K3 b - - 0 12");
    EXPECT_EQ(describeStop(Position(), {3, "Nf9", "unreadable token"}), "half-move 4 (2... Nf9): unreadable token");
    EXPECT_EQ(describeStop(blackToMove, {0, "Nf6", "Nf6 is not a legal move"}),
              "half-move 1 (12... Nf6): Nf6 is not a legal move");
    EXPECT_EQ(describeStop(blackToMove, {1, "e4", "x"}), "half-move 2 (13. e4): x");
}

} // namespace
} // namespace quorvane::chess
