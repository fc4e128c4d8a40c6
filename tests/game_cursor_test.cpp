// The cursor over a game's tree: walking lines and variations, the moves a user
// tries, deleting and promoting, at the sizes a long session reaches.

#include "chess/game_cursor.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace quorvane::chess {
namespace {

Move san(const Position &p, std::string_view text) {
    const std::optional<Move> m = p.parseSan(text);
    EXPECT_TRUE(m) << text;
    return m.value_or(Move{});
}

// The tree as SAN with variations in parentheses, the way a reader writes it
// down: "e4 e5 (c5 Nf3 (c3)) Nf3".
std::string treeText(const Line &line) {
    std::string out;
    for (const MoveNode &node : line.moves) {
        if (!out.empty())
            out += ' ';
        out += node.san;
        for (const Line &v : node.variations)
            out += " (" + treeText(v) + ")";
    }
    return out;
}

// Plays the moves of a text like "e4 e5 Nf3" at the cursor.
void playAll(GameCursor &c, std::string_view moves) {
    std::istringstream in{std::string(moves)};
    std::string word;
    while (in >> word)
        ASSERT_TRUE(GameCursor::took(c.play(san(c.position(), word)))) << word;
}

// 1. e4 e5 (1... c5 2. Nf3 (2. c3)) 2. Nf3 Nc6
Game sampleGame() {
    Game g;
    GameCursor c(g);
    Line &main = g.mainLine;
    Position p;
    for (const char *m : {"e4", "e5", "Nf3", "Nc6"}) {
        MoveNode node;
        node.move = san(p, m);
        node.san = p.toSan(node.move);
        p.makeMove(node.move);
        main.moves.push_back(node);
    }
    c.forward(); // after 1. e4
    playAll(c, "c5 Nf3");
    c.back();
    playAll(c, "c3");
    return g;
}

// The cursor's position is the one the model finds along its path.
void expectConsistent(const GameCursor &c) {
    const std::optional<Position> atPath = c.game().positionAt(c.path());
    ASSERT_TRUE(atPath.has_value());
    EXPECT_EQ(atPath->toFen(), c.position().toFen());
}

TEST(GameCursor, SampleTreeIsAsWritten) {
    const Game g = sampleGame();
    EXPECT_EQ(treeText(g.mainLine), "e4 e5 (c5 Nf3 (c3)) Nf3 Nc6");
}

TEST(GameCursor, WalksLinesAndVariations) {
    enum Op { Fwd, Back, Home, End, Down, Up };
    struct Row {
        const char *name;
        std::vector<Op> ops;
        GamePath where;
        std::size_t choice;
        const char *fenBoard; // the piece placement field
    };
    const std::vector<Row> rows = {
        {"two steps on the main line", {Fwd, Fwd}, {{}, 2}, 0,
         "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR"},
        {"back at the start changes nothing", {Back}, {{}, 0}, 0,
         "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR"},
        {"the main line's end", {End, Fwd}, {{}, 4}, 0,
         "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R"},
        {"down chooses the variation and next enters it", {Fwd, Down, Fwd}, {{{1, 0}}, 1}, 0,
         "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR"},
        {"back from its first move returns where it left, variation still chosen",
         {Fwd, Down, Fwd, Back}, {{}, 1}, 1, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR"},
        {"and next re-enters it", {Fwd, Down, Fwd, Back, Fwd}, {{{1, 0}}, 1}, 0,
         "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR"},
        {"up from the game's move wraps to the last variation", {Fwd, Up, Fwd}, {{{1, 0}}, 1}, 0,
         "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR"},
        {"down twice wraps back to the game's move", {Fwd, Down, Down, Fwd}, {{}, 2}, 0,
         "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR"},
        {"a nested variation", {Fwd, Down, Fwd, Down, Fwd}, {{{1, 0}, {1, 0}}, 1}, 0,
         "rnbqkbnr/pp1ppppp/8/2p5/4P3/2P5/PP1P1PPP/RNBQKBNR"},
        {"end of a variation", {Fwd, Down, Fwd, End}, {{{1, 0}}, 2}, 0,
         "rnbqkbnr/pp1ppppp/8/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R"},
        {"home in a variation stops at its first move", {Fwd, Down, Fwd, End, Home}, {{{1, 0}}, 1}, 0,
         "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR"},
        {"back out of two variations", {Fwd, Down, Fwd, Down, Fwd, Back, Back}, {{}, 1}, 1,
         "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR"},
        {"home on the main line", {End, Home}, {{}, 0}, 0, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Game g = sampleGame();
        GameCursor c(g);
        for (Op op : row.ops) {
            switch (op) {
            case Fwd: c.forward(); break;
            case Back: c.back(); break;
            case Home: c.home(); break;
            case End: c.end(); break;
            case Down: c.chooseNext(); break;
            case Up: c.choosePrevious(); break;
            }
        }
        EXPECT_EQ(c.path(), row.where);
        EXPECT_EQ(c.choice(), row.choice);
        const std::string fen = c.position().toFen();
        EXPECT_EQ(fen.substr(0, fen.find(' ')), row.fenBoard);
        expectConsistent(c);
        EXPECT_EQ(treeText(g.mainLine), "e4 e5 (c5 Nf3 (c3)) Nf3 Nc6") << "walking never changes the tree";
    }
}

TEST(GameCursor, PlayingMoves) {
    struct Row {
        const char *name;
        std::size_t forwardFirst; // main-line moves stepped before playing
        const char *moves;        // played one after the other; the last one is judged
        GameCursor::Played last;
        const char *tree;
        GamePath where;
    };
    const char *sample = "e4 e5 (c5 Nf3 (c3)) Nf3 Nc6";
    const std::vector<Row> rows = {
        {"the game's next move follows the game", 1, "e5", GameCursor::Played::Followed, sample, {{}, 2}},
        {"a variation that starts with it is followed", 1, "c5", GameCursor::Played::EnteredVariation, sample,
         {{{1, 0}}, 1}},
        {"another move starts a variation", 1, "d5", GameCursor::Played::NewVariation,
         "e4 e5 (c5 Nf3 (c3)) (d5) Nf3 Nc6", {{{1, 1}}, 1}},
        {"the same new move again follows the one made", 1, "d5", GameCursor::Played::EnteredVariation,
         "e4 e5 (c5 Nf3 (c3)) (d5) Nf3 Nc6", {{{1, 1}}, 1}},
        {"a move at a variation's end extends it", 1, "c5 Nf3 d6", GameCursor::Played::Extended,
         "e4 e5 (c5 Nf3 (c3) d6) Nf3 Nc6", {{{1, 0}}, 3}},
        {"a variation inside a made variation", 1, "d5 exd5 Qxd5 Nc3 Qa5", GameCursor::Played::Extended,
         "e4 e5 (c5 Nf3 (c3)) (d5 exd5 Qxd5 Nc3 Qa5) Nf3 Nc6", {{{1, 1}}, 5}},
        {"a move after the game's last one extends the game", 4, "d4", GameCursor::Played::Extended,
         "e4 e5 (c5 Nf3 (c3)) Nf3 Nc6 d4", {{}, 5}},
        {"the first move of the game can differ", 0, "d4", GameCursor::Played::NewVariation,
         "e4 (d4) e5 (c5 Nf3 (c3)) Nf3 Nc6", {{{0, 0}}, 1}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Game g = sampleGame();
        GameCursor c(g);
        for (std::size_t i = 0; i < row.forwardFirst; ++i)
            c.forward();
        std::istringstream in{std::string(row.moves)};
        std::vector<std::string> words;
        for (std::string w; in >> w;)
            words.push_back(w);
        if (std::string(row.name).find("again") != std::string::npos) {
            // Make it once, go back to where it was made, then play it again.
            c.play(san(c.position(), words.front()));
            c.back();
        }
        GameCursor::Played last{};
        for (const std::string &w : words)
            last = c.play(san(c.position(), w));
        EXPECT_EQ(last, row.last);
        EXPECT_EQ(treeText(g.mainLine), row.tree);
        EXPECT_EQ(c.path(), row.where);
        expectConsistent(c);
    }
}

TEST(GameCursor, IllegalMovesAndStoppedLinesChangeNothing) {
    Game g = sampleGame();
    GameCursor c(g);
    c.forward();
    EXPECT_EQ(c.play(Move{parseSquare("e8").value(), parseSquare("e6").value()}), GameCursor::Played::Illegal);
    EXPECT_EQ(c.play(Move{parseSquare("e4").value(), parseSquare("e5").value()}), GameCursor::Played::Illegal)
        << "White's piece when Black is to move";
    EXPECT_EQ(c.path(), (GamePath{{}, 1}));

    // A line that goes on with a move that cannot be played takes nothing at its end.
    g.mainLine.stop = LineStop{4, "Nf9", "unreadable token"};
    c.end();
    EXPECT_EQ(c.play(san(c.position(), "d4")), GameCursor::Played::StoppedLine);
    EXPECT_EQ(treeText(g.mainLine), "e4 e5 (c5 Nf3 (c3)) Nf3 Nc6");
}

TEST(GameCursor, MovesKeepTheirSpecialKinds) {
    // Castling by the king's two squares, en passant and promotion to each piece.
    struct Row {
        const char *name;
        const char *fen;
        const char *from;
        const char *to;
        PieceType promotion;
        const char *san;
        const char *afterBoard;
    };
    const std::vector<Row> rows = {
        {"castling king side", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "g1", PieceType::None, "O-O",
         "r3k2r/8/8/8/8/8/8/R4RK1"},
        {"castling queen side", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8", "c8", PieceType::None, "O-O-O",
         "2kr3r/8/8/8/8/8/8/R3K2R"},
        {"en passant", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5", "d6", PieceType::None, "exd6",
         "4k3/8/3P4/8/8/8/8/4K3"},
        {"promotion to a queen", "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7", "b8", PieceType::Queen, "b8=Q+",
         "1Q2k3/8/8/8/8/8/8/4K3"},
        {"promotion to a rook", "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7", "b8", PieceType::Rook, "b8=R+",
         "1R2k3/8/8/8/8/8/8/4K3"},
        {"promotion to a bishop", "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7", "b8", PieceType::Bishop, "b8=B",
         "1B2k3/8/8/8/8/8/8/4K3"},
        {"promotion to a knight", "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7", "b8", PieceType::Knight, "b8=N",
         "1N2k3/8/8/8/8/8/8/4K3"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Game g;
        g.start = *Position::fromFen(row.fen);
        g.setUp = true;
        // One game move so that the tried move is a variation of it.
        MoveNode first;
        first.move = g.start.legalMoves().front();
        first.san = g.start.toSan(first.move);
        if (first.move == Move{*parseSquare(row.from), *parseSquare(row.to), row.promotion}) {
            first.move = g.start.legalMoves().back();
            first.san = g.start.toSan(first.move);
        }
        g.mainLine.moves.push_back(first);
        GameCursor c(g);
        EXPECT_EQ(c.play(Move{*parseSquare(row.from), *parseSquare(row.to), row.promotion}),
                  GameCursor::Played::NewVariation);
        EXPECT_EQ(g.mainLine.moves[0].variations.at(0).moves.at(0).san, row.san);
        const std::string fen = c.position().toFen();
        EXPECT_EQ(fen.substr(0, fen.find(' ')), row.afterBoard);
        c.back();
        EXPECT_EQ(c.position().toFen(), std::string(row.fen)) << "taken back exactly";
    }
}

TEST(GameCursor, DeleteAndPromote) {
    struct Row {
        const char *name;
        std::vector<PathStep> target; // empty: the cursor's own variation
        bool promote;
        bool toMainLine;
        GamePath cursorBefore;
        const char *tree;
        GamePath cursorAfter;
    };
    const std::vector<Row> rows = {
        {"delete the cursor's variation: back to its branching point", {}, false, false, {{{1, 0}}, 2},
         "e4 e5 Nf3 Nc6", {{}, 1}},
        {"delete a nested variation from inside it", {}, false, false, {{{1, 0}, {1, 0}}, 1},
         "e4 e5 (c5 Nf3) Nf3 Nc6", {{{1, 0}}, 1}},
        {"delete one elsewhere: the cursor stays", {{1, 0}, {1, 0}}, false, false, {{}, 3},
         "e4 e5 (c5 Nf3) Nf3 Nc6", {{}, 3}},
        {"promote one level", {}, true, false, {{{1, 0}}, 2}, "e4 c5 (e5 Nf3 Nc6) Nf3 (c3)", {{}, 3}},
        {"promote a nested variation one level", {}, true, false, {{{1, 0}, {1, 0}}, 1},
         "e4 e5 (c5 c3 (Nf3)) Nf3 Nc6", {{{1, 0}}, 2}},
        {"promote a nested variation to the main line", {}, true, true, {{{1, 0}, {1, 0}}, 1},
         "e4 c5 (e5 Nf3 Nc6) c3 (Nf3)", {{}, 3}},
        {"promote while the cursor is on the old continuation", {{1, 0}}, true, false, {{}, 4},
         "e4 c5 (e5 Nf3 Nc6) Nf3 (c3)", {{{1, 0}}, 3}},
        {"promote while the cursor is before the branch", {{1, 0}}, true, false, {{}, 1},
         "e4 c5 (e5 Nf3 Nc6) Nf3 (c3)", {{}, 1}},
        {"promote while the cursor is in a variation of its first move", {{1, 0}}, true, false,
         {{{1, 0}, {1, 0}}, 1}, "e4 c5 (e5 Nf3 Nc6) Nf3 (c3)", {{{2, 0}}, 1}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Game g = sampleGame();
        GameCursor c(g);
        ASSERT_TRUE(c.goTo(row.cursorBefore));
        const std::string fenBefore = c.position().toFen();
        bool ok = false;
        if (!row.promote)
            ok = row.target.empty() ? c.deleteVariation() : c.deleteVariation(row.target);
        else if (row.toMainLine)
            ok = c.promoteToMainLine();
        else
            ok = c.promote(row.target.empty() ? c.path().steps : row.target);
        EXPECT_TRUE(ok);
        EXPECT_EQ(treeText(g.mainLine), row.tree);
        EXPECT_EQ(c.path(), row.cursorAfter);
        expectConsistent(c);
        if (row.promote) {
            EXPECT_EQ(c.position().toFen(), fenBefore) << "promoting never moves the board";
        }
    }
}

// A PGN may hang alternatives on a variation's own first move ("1. e4 e5 (1...
// c5 (1... d5))"); promoting the variation makes them alternatives of the new
// main move, after the old continuation.
TEST(GameCursor, PromoteKeepsAlternativesOfTheVariationsFirstMove) {
    Game g = sampleGame();
    Position afterE4 = *g.positionAt({{}, 1});
    Line scandinavian;
    MoveNode d5;
    d5.move = san(afterE4, "d5");
    d5.san = "d5";
    scandinavian.moves.push_back(d5);
    g.mainLine.moves[1].variations[0].moves[0].variations.push_back(scandinavian);
    ASSERT_EQ(treeText(g.mainLine), "e4 e5 (c5 (d5) Nf3 (c3)) Nf3 Nc6");
    GameCursor c(g);
    ASSERT_TRUE(c.goTo({{{1, 0}, {0, 0}}, 1}));
    const std::string fen = c.position().toFen();
    ASSERT_TRUE(c.promote({{1, 0}}));
    EXPECT_EQ(treeText(g.mainLine), "e4 c5 (e5 Nf3 Nc6) (d5) Nf3 (c3)");
    EXPECT_EQ(c.path(), (GamePath{{{1, 1}}, 1}));
    EXPECT_EQ(c.position().toFen(), fen);
    expectConsistent(c);
}

TEST(GameCursor, DeleteKeepsTheOtherVariationsIndices) {
    Game g = sampleGame();
    GameCursor c(g);
    c.forward();
    playAll(c, "d5");
    c.back();
    playAll(c, "e6 d4");
    EXPECT_EQ(treeText(g.mainLine), "e4 e5 (c5 Nf3 (c3)) (d5) (e6 d4) Nf3 Nc6");
    ASSERT_TRUE(c.deleteVariation({{1, 0}}));
    EXPECT_EQ(treeText(g.mainLine), "e4 e5 (d5) (e6 d4) Nf3 Nc6");
    EXPECT_EQ(c.path(), (GamePath{{{1, 1}}, 2}));
    expectConsistent(c);
    EXPECT_FALSE(c.deleteVariation({{1, 7}})) << "a variation that is not there";
    EXPECT_FALSE(c.promote({{3, 0}}));
    EXPECT_FALSE(c.goTo({{{1, 9}}, 1}));
    EXPECT_EQ(c.path(), (GamePath{{{1, 1}}, 2})) << "a failed goTo leaves the cursor";
}

TEST(GameCursor, CutLineRemovesWhatWasAddedAtTheEnd) {
    Game g = sampleGame();
    GameCursor c(g);
    c.end();
    playAll(c, "d4 exd4 Nxd4");
    ASSERT_EQ(treeText(g.mainLine), "e4 e5 (c5 Nf3 (c3)) Nf3 Nc6 d4 exd4 Nxd4");
    EXPECT_FALSE(c.cutLine(7));
    ASSERT_TRUE(c.cutLine(4));
    EXPECT_EQ(treeText(g.mainLine), "e4 e5 (c5 Nf3 (c3)) Nf3 Nc6");
    EXPECT_EQ(c.path(), (GamePath{{}, 4}));
    expectConsistent(c);
}

TEST(GameCursor, VariationTextNamesTheMovesWithTheirNumbers) {
    Game g = sampleGame();
    GameCursor c(g);
    EXPECT_EQ(c.variationText(), "");
    c.forward();
    playAll(c, "c5 Nf3 d6 d4 cxd4");
    EXPECT_EQ(c.variationText(), "1... c5 2. Nf3 d6 3. d4 cxd4");
    EXPECT_EQ(c.variationText(3), "... 2... d6 3. d4 cxd4");
    c.back();
    playAll(c, "Nf6");
    EXPECT_EQ(c.variationText(), "3... Nf6");
    EXPECT_EQ(moveNumberText(c.position()), "4.");
}

// A variation of 10,000 half-moves: the knights going out and home again.
TEST(GameCursor, TenThousandHalfMoveVariation) {
    Game g = sampleGame();
    GameCursor c(g);
    c.forward();
    const char *cycle[] = {"Nf6", "Nc3", "Ng8", "Nb1"};
    for (int i = 0; i < 10000; ++i)
        ASSERT_TRUE(GameCursor::took(c.play(san(c.position(), cycle[i % 4]))));
    EXPECT_EQ(g.mainLine.moves[1].variations.at(1).moves.size(), 10000u);
    EXPECT_EQ(c.depth(), 10001u);
    c.home();
    EXPECT_EQ(c.path().played, 1u);
    c.end();
    EXPECT_EQ(c.path().played, 10000u);
    expectConsistent(c);
    ASSERT_TRUE(c.promoteToMainLine());
    EXPECT_EQ(g.mainLine.moves.size(), 10001u);
    EXPECT_EQ(c.path(), (GamePath{{}, 10001}));
    expectConsistent(c);
    ASSERT_TRUE(c.deleteVariation({{1, 0}}));
    EXPECT_EQ(g.mainLine.moves[1].san, "Nf6");
}

// A thousand variations at one point, each a different continuation after the
// same alternative first move (a PGN may hold that).
TEST(GameCursor, AThousandVariationsAtOnePoint) {
    Game g = sampleGame();
    Position afterE4 = *g.positionAt({{}, 1});
    Line base;
    MoveNode d5;
    d5.move = san(afterE4, "d5");
    d5.san = "d5";
    base.moves.push_back(d5);
    auto &variations = g.mainLine.moves[1].variations;
    for (int i = 0; i < 1000; ++i)
        variations.push_back(base);
    GameCursor c(g);
    c.forward();
    EXPECT_EQ(c.choices(), 1002u);
    c.choose(1001);
    ASSERT_TRUE(c.forward());
    EXPECT_EQ(c.path(), (GamePath{{{1, 1000}}, 1}));
    EXPECT_EQ(c.play(san(c.position(), "exd5")), GameCursor::Played::Extended);
    ASSERT_TRUE(c.back());
    ASSERT_TRUE(c.back());
    EXPECT_EQ(c.choice(), 1001u);
    EXPECT_EQ(c.play(san(c.position(), "d5")), GameCursor::Played::EnteredVariation)
        << "the first variation that starts with the move";
    EXPECT_EQ(c.path(), (GamePath{{{1, 1}}, 1}));
    ASSERT_TRUE(c.deleteVariation());
    EXPECT_EQ(variations.size(), 1000u);
    EXPECT_EQ(variations.back().moves.size(), 2u) << "the extended one is still last";
}

// Some variation of the tree, found by a random walk down it; empty when the
// tree has none.
std::vector<PathStep> someVariation(const Game &g, std::mt19937 &rng) {
    std::vector<PathStep> steps;
    const Line *line = &g.mainLine;
    for (;;) {
        std::vector<std::size_t> branching;
        for (std::size_t i = 0; i < line->moves.size(); ++i)
            if (!line->moves[i].variations.empty())
                branching.push_back(i);
        if (branching.empty() || (!steps.empty() && rng() % 2 == 0))
            return steps;
        const std::size_t i = branching[rng() % branching.size()];
        const std::size_t v = rng() % line->moves[i].variations.size();
        steps.push_back({i, v});
        line = &line->moves[i].variations[v];
    }
}

// Random walks, tries, deletions and promotions: after every step the cursor's
// path leads to its position, and its trail matches the tree.
TEST(GameCursor, RandomSessionsStayConsistent) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Game g = sampleGame();
        GameCursor c(g);
        for (int step = 0; step < 400; ++step) {
            switch (rng() % 10) {
            case 0: case 1: case 2: {
                const std::vector<Move> legal = c.position().legalMoves();
                if (!legal.empty())
                    c.play(legal[rng() % legal.size()]);
                break;
            }
            case 3: case 4: c.forward(); break;
            case 5: c.back(); break;
            case 6: c.chooseNext(); break;
            case 7:
                if (rng() % 4 == 0)
                    c.deleteVariation();
                else
                    c.home();
                break;
            case 8:
                if (rng() % 3 == 0)
                    c.promote(c.path().steps);
                else if (rng() % 2 == 0)
                    c.promote(someVariation(g, rng));
                else
                    c.deleteVariation(someVariation(g, rng));
                break;
            case 9:
                if (rng() % 5 == 0)
                    c.promoteToMainLine();
                else
                    c.end();
                break;
            }
            expectConsistent(c);
            if (HasFailure())
                return;
        }
    }
}

} // namespace
} // namespace quorvane::chess
