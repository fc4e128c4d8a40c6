// The index of a file's games: the tags a list shows, the number of moves as
// written, where each game lies, delivered in chunks that can stop the scan.

#include "chess/pgn_index.h"
#include "chess/pgn_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quorvane::chess {
namespace {

const std::string kFile = "\xEF\xBB\xBF[Event \"Club \\\"A\\\"\"]\n[Site \"?\"]\n[Date \"2004.06.01\"]\n[Round \"1\"]\n"
                          "[White \"Ren\xC3\xA9\"]\n[Black \"B\"]\n[Result \"1-0\"]\n[ECO \"C20\"]\n\n"
                          "1. e4 e5 (1... c5 2. Nf3) 2. Qh5 {x} Nc6 3. Bc4 Nf6 4. Qxf7# 1-0\n\n"
                          "[Event \"Old\"]\n[White \"M\xFCller\"]\n[Black \"" +
                          std::string(1000, 'n') + "\"]\n\n1. d4 *\n\n1. c4 c5 1/2-1/2\n";

TEST(PgnIndex, RowsHoldTheTagsAListShows) {
    const std::vector<GameSummary> rows = indexPgnGames(kFile);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].number, 1u);
    EXPECT_EQ(rows[0].event, "Club \"A\"");
    EXPECT_EQ(rows[0].white, "Ren\xC3\xA9");
    EXPECT_EQ(rows[0].black, "B");
    EXPECT_EQ(rows[0].result, "1-0");
    EXPECT_EQ(rows[0].date, "2004.06.01");
    EXPECT_EQ(rows[0].round, "1");
    EXPECT_EQ(rows[0].eco, "C20");
    EXPECT_EQ(rows[0].plies, 7);
    EXPECT_EQ(rows[1].white, "M\xC3\xBC" "ller") << "Windows-1252 when it is not UTF-8";
    EXPECT_EQ(rows[1].black, std::string(kSummaryFieldBytes, 'n'));
    EXPECT_EQ(rows[1].result, "");
    EXPECT_EQ(rows[2].number, 3u);
    EXPECT_EQ(rows[2].plies, 2);
    // Each row's bytes are its game, for the reader.
    for (const GameSummary &row : rows) {
        SCOPED_TRACE(row.number);
        const PgnGameRead read = readPgnGame(std::string_view(kFile).substr(row.offset, row.length));
        ASSERT_TRUE(read.game) << read.error;
        EXPECT_EQ(static_cast<std::int64_t>(read.game->plies()), row.plies);
    }
    const std::vector<PgnGameSpan> spans = splitPgnGames(kFile);
    ASSERT_EQ(spans.size(), rows.size());
    for (std::size_t i = 0; i < spans.size(); ++i) {
        EXPECT_EQ(spans[i].offset, rows[i].offset);
        EXPECT_EQ(spans[i].length, rows[i].length);
    }
}

TEST(PgnIndex, ChunksArriveInOrderAndCanStopTheScan) {
    std::string file;
    for (int i = 0; i < 10; ++i)
        file += "[Round \"" + std::to_string(i + 1) + "\"]\n1. e4 *\n";
    std::vector<std::size_t> sizes;
    std::vector<std::string> rounds;
    std::vector<std::uint64_t> scanned;
    indexPgnGames(
        file,
        [&](std::vector<GameSummary> &&chunk, std::uint64_t bytes) {
            sizes.push_back(chunk.size());
            for (const GameSummary &g : chunk)
                rounds.push_back(g.round);
            scanned.push_back(bytes);
            return true;
        },
        4);
    EXPECT_EQ(sizes, (std::vector<std::size_t>{4, 4, 2}));
    EXPECT_EQ(rounds, (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    EXPECT_TRUE(std::is_sorted(scanned.begin(), scanned.end()));
    EXPECT_EQ(scanned.back(), file.size());

    int calls = 0;
    indexPgnGames(
        file,
        [&](std::vector<GameSummary> &&, std::uint64_t) {
            ++calls;
            return false;
        },
        3);
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace quorvane::chess
