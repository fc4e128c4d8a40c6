// The PGN reader on any bytes: every game a text holds, read, written and read
// again.
//
// Checked: the games are cut in order and inside the text, the index finds
// the same games, cut and counted as a token-by-token scan does, and a scan
// on threads finds what one thread finds; each game that reads is written as
// PGN that reads back, and from the second writing on the text and the game
// no longer change (the first may: a stop becomes a comment, control
// characters become spaces).

#include "chess/pgn.h"
#include "chess/pgn_index.h"
#include "chess/pgn_lexer.h"
#include "chess/pgn_reader.h"
#include "fuzz_support.h"
#include "../tests/pgn_token_scan.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace quorvane::chess;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    (void)looksLikePgn(text);
    const std::vector<PgnGameSpan> spans = splitPgnGames(text);
    const std::vector<GameSummary> index = indexPgnGames(text);
    QUORVANE_FUZZ_CHECK(index.size() == spans.size());
    const std::vector<TokenScanGame> byTokens = gamesTokenByToken(text);
    QUORVANE_FUZZ_CHECK(byTokens.size() == index.size());
    for (std::size_t i = 0; i < index.size(); ++i)
        QUORVANE_FUZZ_CHECK(index[i].offset == byTokens[i].offset && index[i].length == byTokens[i].length &&
                            index[i].plies == byTokens[i].moves);
    // On threads, from guessed starts in small pieces: the same games, fields
    // and progress as one thread.
    struct Row {
        std::uint64_t number, offset, length, scanned;
        std::int64_t plies;
        std::string fields;
    };
    auto rows = [&](const ScanThreads &threads) {
        std::vector<Row> seen;
        scanPgnGames(
            text,
            [&](const GameFields &g, std::uint64_t scanned) {
                std::string fields;
                for (const std::string_view f : {g.white, g.black, g.result, g.date, g.event, g.round, g.eco})
                    fields.append(f).push_back('\0');
                seen.push_back({g.number, g.offset, g.length, scanned, g.plies, std::move(fields)});
                return true;
            },
            threads);
        return seen;
    };
    const std::vector<Row> one = rows({});
    const std::vector<Row> several = rows({2, 1 + (size ? data[size - 1] % 64u : 0u)});
    QUORVANE_FUZZ_CHECK(one.size() == index.size() && several.size() == one.size());
    for (std::size_t i = 0; i < one.size(); ++i)
        QUORVANE_FUZZ_CHECK(one[i].number == several[i].number && one[i].offset == several[i].offset &&
                            one[i].length == several[i].length && one[i].scanned == several[i].scanned &&
                            one[i].plies == several[i].plies && one[i].fields == several[i].fields);
    std::uint64_t end = 0;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        QUORVANE_FUZZ_CHECK(spans[i].offset >= end && spans[i].offset + spans[i].length <= size);
        QUORVANE_FUZZ_CHECK(index[i].offset == spans[i].offset && index[i].length == spans[i].length);
        end = spans[i].offset + spans[i].length;
    }
    // A few games are enough to reach every rule.
    for (std::size_t i = 0; i < spans.size() && i < 4; ++i) {
        const PgnGameRead first = readPgnGame(text.substr(spans[i].offset, spans[i].length));
        QUORVANE_FUZZ_CHECK(first.game.has_value() == first.error.empty());
        if (!first.game)
            continue;
        const std::string once = toPgn(*first.game);
        const PgnGameRead second = readPgnGame(once);
        QUORVANE_FUZZ_CHECK(second.game.has_value());
        const std::string twice = toPgn(*second.game);
        const PgnGameRead third = readPgnGame(twice);
        QUORVANE_FUZZ_CHECK(third.game.has_value());
        QUORVANE_FUZZ_CHECK(*third.game == *second.game);
        QUORVANE_FUZZ_CHECK(toPgn(*third.game) == twice);
        QUORVANE_FUZZ_CHECK(splitPgnGames(once).size() == 1);
    }
    return 0;
}
