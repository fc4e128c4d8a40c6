// PGN built to hurt a reader: deep nesting, endless comments and strings,
// huge lines, a million tags, binary bytes. Every game that can be read is
// read, in bounded memory, without a crash or a hang.

#include "chess/pgn_index.h"
#include "chess/pgn_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace quorvane::chess {
namespace {

std::string repeat(std::string_view s, std::size_t n) {
    std::string out;
    out.reserve(s.size() * n);
    for (std::size_t i = 0; i < n; ++i)
        out += s;
    return out;
}

std::vector<std::string> mainLineSan(const Game &g) {
    std::vector<std::string> san;
    for (const MoveNode &node : g.mainLine.moves)
        san.push_back(node.san);
    return san;
}

TEST(PgnHostile, NestingDeeperThanAnyStack) {
    struct Row {
        const char *name;
        std::string pgn;
    } rows[] = {
        {"closed", "1. e4 " + repeat("(1. d4 ", 100000) + repeat(")", 100000) + " e5 *"},
        {"never closed", "1. e4 e5 " + repeat("(1... c5 ", 100000)},
        {"closed more often than opened", "1. e4 " + repeat(")", 100000) + " e5 *"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const PgnGameRead read = readPgnGame(row.pgn);
        ASSERT_TRUE(read.game) << read.error;
        EXPECT_EQ(mainLineSan(*read.game), (std::vector<std::string>{"e4", "e5"}));
        // The variations kept nest no deeper than the reader's bound.
        std::size_t depth = 0;
        const Line *line = &read.game->mainLine;
        while (!line->moves.empty() && !line->moves[0].variations.empty()) {
            line = &line->moves[0].variations[0];
            ++depth;
        }
        EXPECT_LE(depth, 500u);
    }
}

TEST(PgnHostile, OpenEndsAndHugeTexts) {
    struct Row {
        const char *name;
        std::string pgn;
        std::size_t plies;
        std::string error; // empty: a game
    } rows[] = {
        {"a comment never closed", "1. e4 e5 {" + repeat("x", 1000000), 2, ""},
        {"a string never closed", "[White \"" + repeat("y", 1000000) + "\n1. d4 *", 1, ""},
        {"a line of 20 MB", "1. e4 {" + repeat("z", 20u << 20) + "} e5 *", 0, "the game is larger than 16 MiB"},
        {"a word of 1 MB", "1. e4 " + repeat("Q", 1000000) + " *", 1, ""},
        {"a million tags",
         [] {
             std::string s;
             for (int i = 0; i < 1000000; ++i)
                 s += "[T" + std::to_string(i) + " \"v\"]\n";
             return s + "\n1. e4 *";
         }(),
         1, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const PgnGameRead read = readPgnGame(row.pgn);
        if (!row.error.empty()) {
            EXPECT_FALSE(read.game);
            EXPECT_EQ(read.error, row.error);
            continue;
        }
        ASSERT_TRUE(read.game) << read.error;
        EXPECT_EQ(read.game->plies(), row.plies);
        EXPECT_LE(read.game->tags.size(), 1007u);
        if (read.game->stop()) {
            EXPECT_LE(read.game->stop()->text.size(), 200u);
        }
    }
}

TEST(PgnHostile, BinaryBytesGiveGamesOrReasons) {
    std::mt19937 random(18);
    for (int round = 0; round < 50; ++round) {
        std::string bytes(4096, '\0');
        for (char &c : bytes)
            c = static_cast<char>(random() & 0xFF);
        if (round % 2)
            bytes = "[Event \"x\"]\n1. e4 " + bytes;
        const PgnGameRead read = readPgnGame(bytes);
        EXPECT_TRUE(read.game.has_value() != !read.error.empty()) << round;
        std::uint64_t covered = 0;
        for (const PgnGameSpan &span : splitPgnGames(bytes)) {
            EXPECT_GE(span.offset, covered);
            covered = span.offset + span.length;
        }
        EXPECT_LE(covered, bytes.size());
    }
}

TEST(PgnHostile, ManyOneMoveGames) {
    const std::size_t games = 100000;
    const std::string file = repeat("[Event \"e\"]\n1. e4 *\n\n", games);
    const std::vector<GameSummary> index = indexPgnGames(file);
    ASSERT_EQ(index.size(), games);
    EXPECT_EQ(index.back().number, games);
    EXPECT_EQ(index.back().plies, 1);
    EXPECT_EQ(file.substr(index.back().offset, index.back().length), "[Event \"e\"]\n1. e4 *");
}

} // namespace
} // namespace quorvane::chess
