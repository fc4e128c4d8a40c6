// The index of a file's games: the tags a list shows, the number of moves as
// written, where each game lies, delivered in chunks that can stop the scan.

#include "chess/pgn_index.h"
#include "chess/pgn_lexer.h"
#include "chess/pgn_reader.h"
#include "pgn_token_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <tuple>

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

// The pieces of text that decide where a game ends and what counts as a move.
const std::vector<std::string> kPieces = {
        "[Event \"x\"]\n", "[White \"a\\\"b\"]", "\n[", "[ Site \"s\"]", "[%clk 1:00]", "[", "]", "{", "}",
        "{c}", "{open\n[Event \"y\"]\n", ";", "; line\n", "%", "\n%esc\n", "(", ")", "*", "1-0", "0-1",
        "1/2-1/2", "1-0x", "0-0", "0-0-0", "O-O", "1.", "12...", "1.e4", "12", "12e4", "e4", "Nf3", "exd8=Q+",
        "o", "@@", "$", "$12", "!?", "??", "\xEF\xBB\xBF", "\"", " ", "  ", "\n", "\r\n", "\t", "z", "9",
        std::string(1, '\0')};

// A xorshift generator: the same texts on every run.
struct Random {
    std::uint64_t seed = 0x9E3779B97F4A7C15ull;
    std::size_t operator()(std::size_t n) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return static_cast<std::size_t>(seed % n);
    }
};

// Texts made of those pieces in random order: the index must cut and count
// them as the tokens do.
TEST(PgnIndex, TheByteScanOfMovetextAgreesWithTheTokens) {
    const std::vector<std::string> &pieces = kPieces;
    // And texts mostly of the pieces plain movetext is made of, so that long
    // runs go the byte scan's fastest way.
    const std::vector<std::string> plain = {"1.", "12...", "1.e4", "12", "e4", "Nf3", "O-O", "0-0", "1-0", "0-1",
                                            "1/2-1/2", "12e4", " ", " ", "\n", "9", "z", "exd8=Q+", "e4.", ".",
                                            "1.2", "1.-", "3.  ", "Kxh8#", "b8=N", "h1"};
    Random random;
    for (int trial = 0; trial < 20000; ++trial) {
        std::string text;
        const std::size_t count = 1 + random(40);
        for (std::size_t i = 0; i < count; ++i) {
            const bool fromPlain = trial % 2 == 1 && random(10) != 0;
            text += fromPlain ? plain[random(plain.size())] : pieces[random(pieces.size())];
        }
        SCOPED_TRACE(testing::PrintToString(text));
        const std::vector<TokenScanGame> expected = gamesTokenByToken(text);
        const std::vector<GameSummary> rows = indexPgnGames(text);
        ASSERT_EQ(rows.size(), expected.size());
        for (std::size_t g = 0; g < rows.size(); ++g) {
            EXPECT_EQ(rows[g].offset, expected[g].offset) << "game " << g + 1;
            EXPECT_EQ(rows[g].length, expected[g].length) << "game " << g + 1;
            EXPECT_EQ(rows[g].plies, expected[g].moves) << "game " << g + 1;
        }
        if (testing::Test::HasFailure())
            break;
    }
}

// What a scan gives the visitor, copied.
struct Seen {
    GameSummary game;
    std::uint64_t scanned = 0;
    bool operator==(const Seen &o) const {
        const GameSummary &a = game, &b = o.game;
        return std::tie(a.number, a.white, a.black, a.result, a.date, a.event, a.round, a.eco, a.plies, a.offset,
                        a.length, scanned) == std::tie(b.number, b.white, b.black, b.result, b.date, b.event, b.round,
                                                       b.eco, b.plies, b.offset, b.length, o.scanned);
    }
};
void PrintTo(const Seen &s, std::ostream *out) {
    *out << "game " << s.game.number << " at " << s.game.offset << "+" << s.game.length << " plies " << s.game.plies
         << " white " << s.game.white << " scanned " << s.scanned;
}

std::vector<Seen> scanned(std::string_view text, ScanThreads threads, std::size_t stopAfter = SIZE_MAX) {
    std::vector<Seen> seen;
    scanPgnGames(
        text,
        [&](const GameFields &g, std::uint64_t bytes) {
            seen.push_back({{g.number, std::string(g.white), std::string(g.black), std::string(g.result),
                             std::string(g.date), std::string(g.event), std::string(g.round), std::string(g.eco),
                             g.plies, g.offset, g.length},
                            bytes});
            return seen.size() < stopAfter;
        },
        threads);
    return seen;
}

// On several threads the file is cut into pieces by guessing where games
// start; whatever the guesses (inside a comment, a variation, a tag string,
// a game that runs on past the cut), the games and the visitor's calls are
// those of one thread, and a visitor that stops stops the scan.
TEST(PgnIndex, AScanOnThreadsGivesWhatOneThreadGives) {
    const std::vector<std::string> games = {
        "[Event \"E\"]\n[White \"W\"]\n[Black \"B\\\"q\"]\n\n1. e4 e5 2. Nf3 1-0\n\n",
        "[White \"M\xFCller\"]\n1. d4 (1. c4 {\n[Event \"in a comment\"]\n} c5) d5 *\n",
        "[Event \"open comment\"]\n1. e4 {never closed\n",
        "[Event \"open variation\"]\n1. e4 ( e5 2. Nf3\n",
        "[Event \"no result\"]\n1. e4 e5\n",
        "\n% escape\n[Round \"2\"]\n1. e4 0-1\n",
    };
    Random random;
    for (int trial = 0; trial < 3000; ++trial) {
        std::string text;
        const std::size_t count = 1 + random(120);
        for (std::size_t i = 0; i < count; ++i)
            text += random(3) == 0 ? kPieces[random(kPieces.size())] : games[random(games.size())];
        SCOPED_TRACE(testing::PrintToString(text));
        const std::vector<Seen> expected = scanned(text, {});
        const ScanThreads threads{static_cast<unsigned>(2 + random(3)), 1 + random(200)};
        SCOPED_TRACE("threads " + std::to_string(threads.count) + ", pieces of " + std::to_string(threads.pieceBytes));
        ASSERT_EQ(scanned(text, threads), expected);
        if (!expected.empty()) {
            const std::size_t stop = 1 + random(expected.size());
            ASSERT_EQ(scanned(text, threads, stop), std::vector<Seen>(expected.begin(), expected.begin() + stop));
        }
    }
}

} // namespace
} // namespace quorvane::chess
