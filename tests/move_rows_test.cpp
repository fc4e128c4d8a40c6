// The move list's rows of a game's tree: the main line by move numbers, each
// variation in rows of its own after the move it replaces, nested ones deeper,
// long ones wrapped, and the game's own half-moves found wherever a promotion
// put them.
#include "chess/game_cursor.h"
#include "chess/pgn_reader.h"
#include "logic/move_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane {
namespace {

chess::Game read(const std::string &pgn) {
    auto read = chess::readPgnGame(pgn);
    EXPECT_TRUE(read.game) << read.error;
    return read.game ? *read.game : chess::Game{};
}

std::vector<chess::Move> mainMoves(const chess::Game &game) {
    std::vector<chess::Move> moves;
    for (const chess::MoveNode &node : game.mainLine.moves)
        moves.push_back(node.move);
    return moves;
}

// A row as text: "1. e4 e5" for the main line, "  (1... c5 2. Nf3" indented by
// depth for a variation.
std::string show(const MoveRow &row) {
    if (row.depth > 0)
        return std::string(2 * row.depth, ' ') + row.text;
    std::string text = std::to_string(row.moveNumber) + ".";
    if (!row.moves.empty() && !row.moves.front().white)
        text += " ...";
    for (const MoveToken &t : row.moves)
        text += " " + t.san;
    return text;
}

std::vector<std::string> show(const std::vector<MoveRow> &rows) {
    std::vector<std::string> out;
    for (const MoveRow &row : rows)
        out.push_back(show(row));
    return out;
}

TEST(MoveRows, LaysOutVariationsAsPlayersReadThem) {
    const struct {
        const char *name;
        const char *pgn;
        std::size_t rowChars;
        std::vector<std::string> rows;
    } cases[] = {
        {"main line only", "1. e4 e5 2. Nf3 *", 40, {"1. e4 e5", "2. Nf3"}},
        {"nested, and the line going on after them",
         "1. e4 e5 (1... c5 2. Nf3 (2. c3 d5) 2... d6) 2. Nf3 Nc6 (2... d6 3. d4) 3. Bb5 *",
         40,
         {"1. e4 e5", "  (1... c5 2. Nf3", "    (2. c3 d5)", "  2... d6)", "2. Nf3 Nc6", "  (2... d6 3. d4)",
          "3. Bb5"}},
        {"a White move's variation splits its row", "1. e4 (1. d4 d5) 1... e5 2. Nf3 *", 40,
         {"1. e4", "  (1. d4 d5)", "1. ... e5", "2. Nf3"}},
        {"two variations at one move", "1. e4 (1. d4) (1. c4 e5) 1... e5 *", 40,
         {"1. e4", "  (1. d4)", "  (1. c4 e5)", "1. ... e5"}},
        {"a long one wraps, numbered again", "1. e4 e5 (1... c5 2. Nf3 d6 3. d4 cxd4 4. Nxd4) 2. Nf3 *", 16,
         {"1. e4 e5", "  (1... c5 2. Nf3", "  2... d6 3. d4", "  3... cxd4", "  4. Nxd4)", "2. Nf3"}},
        {"a wrapped row starting with Black is numbered", "1. e4 e5 (1... c5 2. Nf3 d6) *", 8,
         {"1. e4 e5", "  (1... c5", "  2. Nf3", "  2... d6)"}},
        {"Black starts", "[FEN \"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1\"]\n\n1... e5 (1... c5) 2. Nf3 *",
         40, {"1. ... e5", "  (1... c5)", "2. Nf3"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const chess::Game game = read(c.pgn);
        EXPECT_EQ(show(moveRows(game, mainMoves(game), c.rowChars)), c.rows);
    }
}

// Each move's path leads the cursor to it; its characters in the row are its
// own, with its number; the game's own half-moves carry their number.
TEST(MoveRows, EveryMoveKnowsItsPathAndPlace) {
    chess::Game game = read("1. e4 e5 (1... c5 2. Nf3 (2. c3 d5) 2... d6) 2. Nf3 *");
    const auto rows = moveRows(game, mainMoves(game));
    ASSERT_EQ(rows.size(), 5u);
    for (const MoveRow &row : rows) {
        for (const MoveToken &t : row.moves) {
            SCOPED_TRACE(t.san);
            chess::GameCursor cursor(game);
            ASSERT_TRUE(cursor.goTo(t.path));
            EXPECT_EQ(game.lineAt(t.path)->moves[t.path.played - 1].san, t.san);
            if (row.depth > 0) {
                const std::string piece = row.text.substr(t.begin, t.end - t.begin);
                EXPECT_TRUE(piece == t.san || piece.ends_with(" " + t.san)) << piece;
            }
            EXPECT_EQ(t.gamePly.has_value(), row.depth == 0);
            if (t.gamePly)
                EXPECT_EQ(*t.gamePly, t.path.played);
        }
    }
    EXPECT_EQ(rows[1].text.substr(rows[1].moves[1].begin, rows[1].moves[1].end - rows[1].moves[1].begin), "2. Nf3");
    EXPECT_EQ(rows[3].text.substr(rows[3].moves[0].begin, rows[3].moves[0].end - rows[3].moves[0].begin), "2... d6");
    const auto at = findMove(rows, rows[2].moves[1].path);
    ASSERT_TRUE(at);
    EXPECT_EQ(*at, (std::pair<std::size_t, std::size_t>(2, 1)));
    EXPECT_FALSE(findMove(rows, chess::GamePath{}));

    // Promoted, the game's own moves are a variation and still know which
    // half-moves they are; the promoted line's are the user's.
    const std::vector<chess::Move> asRead = mainMoves(game);
    chess::GameCursor cursor(game);
    ASSERT_TRUE(cursor.promote({{1, 0}}));
    const auto promoted = moveRows(game, asRead);
    EXPECT_EQ(show(promoted), (std::vector<std::string>{"1. e4 c5", "  (1... e5 2. Nf3)", "2. Nf3", "  (2. c3 d5)",
                                                        "2. ... d6"}));
    EXPECT_EQ(promoted[0].moves[0].gamePly, 1u);
    EXPECT_FALSE(promoted[0].moves[1].gamePly);
    EXPECT_EQ(promoted[1].moves[0].gamePly, 2u);
    EXPECT_EQ(promoted[1].moves[1].gamePly, 3u);
    EXPECT_FALSE(promoted[2].moves[0].gamePly) << "the user's 2. Nf3 after 1... c5 is not the game's";
}

} // namespace
} // namespace quorvane
