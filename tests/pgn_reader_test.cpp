// Reading PGN as the programs and sites players use write it: each dialect
// checked move by move against SAN written down here and replayed by the
// rules module, then written and read again.

#include "chess/pgn.h"
#include "chess/pgn_index.h"
#include "chess/pgn_reader.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane::chess {
namespace {

std::string dataFile(const std::string &name) {
    return testing::ReadTestData("pgn/" + name);
}

struct Dialect {
    const char *name;
    std::string pgn;
    const char *startFen; // nullptr: the standard start
    std::vector<std::string> san;
    const char *result;
    std::vector<TagPair> tags; // some of the tags, with their values as read
    std::optional<LineStop> stop;
};

std::vector<Dialect> dialects() {
    return {
        {"database export",
         "[Event \"Ch\"]\n[Site \"Here\"]\n[Date \"1999.01.02\"]\n[Round \"3\"]\n[White \"Alpha, A.\"]\n"
         "[Black \"Beta, B.\"]\n[Result \"1-0\"]\n[ECO \"C60\"]\n[PlyCount \"7\"]\n\n"
         "1.e4 e5 2.Nf3 Nc6 3.Bb5 a6 4.Ba4 1-0\n",
         nullptr,
         {"e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4"},
         "1-0",
         {{"White", "Alpha, A."}, {"ECO", "C60"}, {"PlyCount", "7"}},
         {}},
        {"lichess export",
         dataFile("lichess.pgn"),
         nullptr,
         {"e4", "d5", "exd5", "Qxd5", "Nc3", "Qa5"},
         "0-1",
         {{"White", "knightrider"}, {"Opening", "Scandinavian Defense"}, {"Variant", "Standard"}},
         {}},
        {"chess.com export",
         dataFile("chesscom.pgn"),
         nullptr,
         {"e4", "e5", "Ke2", "Ke7"},
         "1/2-1/2",
         {{"Round", "-"}, {"Link", "https://www.chess.com/game/live/1234567890"}},
         {}},
        {"CR LF, byte order mark, UTF-8 names",
         dataFile("bom_crlf.pgn"),
         nullptr,
         {"d4", "d5", "c4"},
         "*",
         {{"White", "M\xC3\xBCller, J\xC3\xB6rg"}, {"Black", "\xC5\x9Cipo\xC5\xA1"}, {"Site", "Z\xC3\xBCrich"}},
         {}},
        {"Latin-1 names",
         dataFile("latin1.pgn"),
         nullptr,
         {"d4", "Nf6"},
         "1-0",
         {{"White", "M\xC3\xBCller"}, {"Black", "Andr\xC3\xA9"}},
         {}},
        {"0-0 without check marks",
         "1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 4. 0-0 Nf6 5. d3 0-0 6. Bg5 h6 7. Bxf6 Qxf6 8. Nc3 Qg6 *",
         nullptr,
         {"e4", "e5", "Nf3", "Nc6", "Bc4", "Bc5", "O-O", "Nf6", "d3", "O-O", "Bg5", "h6", "Bxf6", "Qxf6", "Nc3",
          "Qg6"},
         "*",
         {},
         {}},
        {"movetext only, no result", "1.d4 d5 2.c4 dxc4 3.e3", nullptr, {"d4", "d5", "c4", "dxc4", "e3"}, "*", {}, {}},
        {"set-up position, Black to move",
         "[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 40\"]\n\n40... Kd7 41. e4 Ke6 42. Ke2 *\n",
         "4k3/8/8/8/8/8/4P3/4K3 b - - 0 40",
         {"Kd7", "e4", "Ke6", "Ke2"},
         "*",
         {{"SetUp", "1"}, {"FEN", "4k3/8/8/8/8/8/4P3/4K3 b - - 0 40"}},
         {}},
        {"nested variations, brackets in comments",
         "1. e4 e5 (1... c5 {Sicilian (good) [maybe]} 2. Nf3 (2. c3 d5 (2... Nf6)) 2... d6) 2. Nf3 Nc6 *",
         nullptr,
         {"e4", "e5", "Nf3", "Nc6"},
         "*",
         {},
         {}},
        {"escape line and ; comments",
         "% written by a tool\n[Event \"x\"]\n\n1. e4 ; best by test\ne5 2. Nf3 {a} ; b\n*\n",
         nullptr,
         {"e4", "e5", "Nf3"},
         "*",
         {{"Event", "x"}},
         {}},
        {"an illegal move mid-game",
         "[Event \"x\"]\n\n1. e4 e5 2. Ke3 Nc6 3. Nf3 1-0\n",
         nullptr,
         {"e4", "e5"},
         "1-0",
         {},
         LineStop{2, "Ke3", "Ke3 is not a legal move"}},
        {"an unreadable word mid-game",
         "1. e4 e5 2. @@ Nc6 *",
         nullptr,
         {"e4", "e5"},
         "*",
         {},
         LineStop{2, "@@", "unreadable token"}},
        {"a promotion, the game ends on White's move",
         "1. e4 d5 2. exd5 c6 3. dxc6 Nf6 4. cxb7 Nbd7 5. bxa8=Q 1-0",
         nullptr,
         {"e4", "d5", "exd5", "c6", "dxc6", "Nf6", "cxb7", "Nbd7", "bxa8=Q"},
         "1-0",
         {},
         {}},
        {"check marks, suffixes and NAGs glued on",
         "1. e4! e5?? 2. Qh5!? Nc6 3. Bc4 Nf6?? 4. Qxf7# 1-0",
         nullptr,
         {"e4", "e5", "Qh5", "Nc6", "Bc4", "Nf6", "Qxf7#"},
         "1-0",
         {},
         {}},
    };
}

TEST(PgnReader, Dialects) {
    for (const Dialect &row : dialects()) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(looksLikePgn(row.pgn));
        const PgnGameRead read = readPgnGame(row.pgn);
        ASSERT_TRUE(read.game) << read.error;
        const Game &game = *read.game;
        Position p = row.startFen ? *Position::fromFen(row.startFen) : Position();
        EXPECT_EQ(game.start, p);
        EXPECT_EQ(game.setUp, row.startFen != nullptr);
        ASSERT_EQ(game.plies(), row.san.size());
        const std::vector<Position> positions = game.mainLinePositions();
        for (std::size_t k = 0; k < row.san.size(); ++k) {
            EXPECT_EQ(game.mainLine.moves[k].san, row.san[k]) << "half-move " << k + 1;
            const auto move = p.parseSan(row.san[k]);
            ASSERT_TRUE(move) << row.san[k];
            p.makeMove(*move);
            EXPECT_EQ(positions[k + 1], p) << "after half-move " << k + 1;
        }
        EXPECT_EQ(game.result, row.result);
        EXPECT_EQ(*game.tag("Result"), row.result);
        for (const TagPair &tag : row.tags) {
            ASSERT_TRUE(game.tag(tag.name)) << tag.name;
            EXPECT_EQ(*game.tag(tag.name), tag.value) << tag.name;
        }
        EXPECT_EQ(game.stop(), row.stop);

        // Written and read again, the same game.
        const std::string written = toPgn(game);
        const PgnGameRead again = readPgnGame(written);
        ASSERT_TRUE(again.game) << again.error;
        Game expected = game;
        if (game.stop()) {
            // PGN has no place for a stop but a comment: read again, that is what it is.
            expected.mainLine.moves.back().commentAfter = describeStop(game.start, *game.stop());
            expected.mainLine.stop.reset();
        }
        EXPECT_EQ(*again.game, expected) << written;
        EXPECT_EQ(toPgn(*again.game), written);
    }
}

TEST(PgnReader, CommentsNagsAndVariationsLandWhereTheyWereWritten) {
    const PgnGameRead read = readPgnGame(dataFile("lichess.pgn"));
    ASSERT_TRUE(read.game);
    const Line &main = read.game->mainLine;
    EXPECT_EQ(main.moves[0].commentAfter, "[%eval 0.3] [%clk 0:03:00]");
    EXPECT_EQ(main.moves[4].commentAfter,
              "(0.35 \xE2\x86\x92 -0.1) Inaccuracy. Nf3 was best. [%eval -0.1] [%clk 0:02:55]");
    EXPECT_EQ(main.moves[4].nags, std::vector<std::uint8_t>{6});
    EXPECT_EQ(main.moves[5].nags, std::vector<std::uint8_t>{6});
    ASSERT_EQ(main.moves[4].variations.size(), 1u);
    const Line &nf3 = main.moves[4].variations[0];
    ASSERT_EQ(nf3.moves.size(), 3u);
    EXPECT_EQ(nf3.moves[0].san, "Nf3");
    EXPECT_EQ(nf3.moves[2].san, "Be2");

    const PgnGameRead nested =
        readPgnGame("{Before} 1. e4 e5 (1... c5 {Sicilian (good) [maybe]} 2. Nf3 (2. c3 d5 (2... Nf6)) 2... d6) "
                    "(1... e6) {after both} 2. Nf3 $1 $140 *");
    ASSERT_TRUE(nested.game);
    const Game &g = *nested.game;
    EXPECT_EQ(g.gameComment, "Before");
    ASSERT_EQ(g.mainLine.moves[1].variations.size(), 2u);
    const Line &sicilian = g.mainLine.moves[1].variations[0];
    EXPECT_EQ(sicilian.moves[0].commentAfter, "Sicilian (good) [maybe]");
    ASSERT_EQ(sicilian.moves[1].variations.size(), 1u);
    const Line &alapin = sicilian.moves[1].variations[0];
    ASSERT_EQ(alapin.moves.size(), 2u);
    EXPECT_EQ(alapin.moves[1].variations[0].moves[0].san, "Nf6");
    EXPECT_EQ(g.positionAt({{{1, 0}, {1, 0}, {1, 0}}, 1})->toFen(),
              "rnbqkb1r/pp1ppppp/5n2/2p5/4P3/2P5/PP1P1PPP/RNBQKBNR w KQkq - 1 3");
    EXPECT_EQ(g.mainLine.moves[1].variations[1].moves[0].san, "e6");
    EXPECT_EQ(g.mainLine.moves[2].commentBefore, "after both");
    EXPECT_EQ(g.mainLine.moves[2].nags, (std::vector<std::uint8_t>{1, 140}));
    const PgnGameRead again = readPgnGame(toPgn(g));
    ASSERT_TRUE(again.game);
    EXPECT_EQ(*again.game, g) << toPgn(g);
}

TEST(PgnReader, AGameWrittenAgainReadsTheSame) {
    // A variation whose only move cannot be played is written as a comment in
    // brackets, and is dropped when read again: the comment after it must
    // stay with the move it followed, not slide to the next one.
    const std::string text = "1. e4 e5 (1... c1) {a note} 2. Nf3 (2. c) d5 (2... Nf6) *\n";
    const PgnGameRead first = readPgnGame(text);
    ASSERT_TRUE(first.game.has_value()) << first.error;
    const PgnGameRead second = readPgnGame(toPgn(*first.game));
    ASSERT_TRUE(second.game.has_value());
    const PgnGameRead third = readPgnGame(toPgn(*second.game));
    ASSERT_TRUE(third.game.has_value());
    EXPECT_EQ(*third.game, *second.game);
    EXPECT_EQ(second.game->mainLine.moves[1].commentAfter, "a note");
}

TEST(PgnReader, GamesOfOtherRulesAreRefusedByName) {
    struct Row {
        const char *name;
        const char *pgn;
        const char *error;
    } rows[] = {
        {"atomic", "[Variant \"Atomic\"]\n\n1. e4 *", "not a standard chess game: Variant \"Atomic\""},
        {"chess960",
         "[Variant \"Chess960\"]\n[FEN \"bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9\"]\n\n9. g3 *",
         "not a standard chess game: Variant \"Chess960\""},
        {"chess960 castling without a variant",
         "[SetUp \"1\"]\n[FEN \"bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9\"]\n\n9. g3 *",
         "not a standard chess game: Chess960 castling \"HFhf\" in the FEN tag"},
        {"a FEN that is no position", "[SetUp \"1\"]\n[FEN \"8/8/8/8/8/8/8/8 w - - 0 1\"]\n\n*",
         "the FEN tag is no position: "},
        {"nothing", "  \n{just a comment}\n", "no moves and no tags"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const PgnGameRead read = readPgnGame(row.pgn);
        EXPECT_FALSE(read.game);
        EXPECT_EQ(read.error.substr(0, std::string(row.error).size()), row.error);
    }
}

TEST(PgnReader, ContentDecidesWhatIsPgn) {
    struct Row {
        const char *name;
        const char *text;
        bool pgn;
    } rows[] = {
        {"a tag pair", "[Event \"x\"]\n", true},
        {"after a byte order mark, blank lines, escape lines and comments",
         "\xEF\xBB\xBF\n\n% tool\n{ a comment\nover lines }\n[White \"a\"]", true},
        {"movetext pasted from a site", "1. e4 e5 2. Nf3", true},
        {"movetext without spaces", "1.d4 Nf6", true},
        {"a record's first line", ";Title: Yahoo! Chess Game\n;White: a\n", false},
        {"a number and an illegal move", "1. e5 e4", false},
        {"a tag without quotes", "[Event x]\n", false},
        {"plain text", "Dear friend,\n[Event \"x\"]", false},
        {"nothing", "", false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(looksLikePgn(row.text), row.pgn);
    }
}

// The list's count of half-moves comes from a scan of the bytes, not from
// playing the moves: over every dialect, each alone and all in one database,
// it is the reader's count wherever every move plays, and never less than the
// moves that played where one does not.
TEST(PgnReader, TheIndexCountsTheHalfMovesTheReaderPlays) {
    std::vector<std::string> texts;
    std::string database;
    for (const Dialect &d : dialects()) {
        texts.push_back(d.pgn);
        // Movetext-only dialects get tags so that each starts a game of its own.
        database += "[Event \"" + std::string(d.name) + "\"]\n" + d.pgn + "\n\n";
    }
    for (const char *name : {"lichess.pgn", "chesscom.pgn", "bom_crlf.pgn", "latin1.pgn"})
        texts.push_back(dataFile(name));
    texts.push_back(database);
    int compared = 0;
    for (const std::string &text : texts) {
        SCOPED_TRACE(text.substr(0, 60));
        for (const GameSummary &row : indexPgnGames(text)) {
            const PgnGameRead read = readPgnGame(std::string_view(text).substr(row.offset, row.length));
            ASSERT_TRUE(read.game) << read.error;
            if (read.game->stop())
                EXPECT_GE(row.plies, static_cast<std::int64_t>(read.game->plies())) << "game " << row.number;
            else
                EXPECT_EQ(row.plies, static_cast<std::int64_t>(read.game->plies())) << "game " << row.number;
            ++compared;
        }
    }
    EXPECT_GE(compared, 2 * static_cast<int>(dialects().size()));
}

TEST(PgnReader, FilesAreCutIntoGames) {
    struct Row {
        const char *name;
        std::string text;
        std::vector<std::string> games; // each game's text, as the spans cut it
    } rows[] = {
        {"tags then movetext, twice",
         "[Event \"a\"]\n\n1. e4 *\n\n[Event \"b\"]\n\n1. d4 *\n",
         {"[Event \"a\"]\n\n1. e4 *", "[Event \"b\"]\n\n1. d4 *"}},
        {"movetext only, cut by results", "1. e4 e5 1-0\n1. d4 d5 0-1", {"1. e4 e5 1-0", "1. d4 d5 0-1"}},
        {"a game without a result ends at the next tags",
         "[Event \"a\"]\n1. e4\n[Event \"b\"]\n1. d4 *",
         {"[Event \"a\"]\n1. e4\n", "[Event \"b\"]\n1. d4 *"}},
        {"a comment left open ends where tags start a line",
         "[Event \"a\"]\n1. e4 {open\nstill open\n[Event \"b\"]\n1. d4 *",
         {"[Event \"a\"]\n1. e4 {open\nstill open\n", "[Event \"b\"]\n1. d4 *"}},
        {"a result inside a variation or a comment does not end the game",
         "1. e4 (1. d4 1-0) {0-1} e5 *\n[Event \"b\"] *",
         {"1. e4 (1. d4 1-0) {0-1} e5 *", "[Event \"b\"] *"}},
        {"white space and comments between games are no game",
         "\n\n[Event \"a\"] *\n\n{trailing}\n  \n",
         {"[Event \"a\"] *"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<PgnGameSpan> spans = splitPgnGames(row.text);
        std::vector<std::string> games;
        for (const PgnGameSpan &span : spans)
            games.push_back(row.text.substr(span.offset, span.length));
        EXPECT_EQ(games, row.games);
    }
}

} // namespace
} // namespace quorvane::chess
