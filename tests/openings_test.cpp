// Opening names from pgn-extract's ECO file: by position, so transpositions
// find their names, the deepest position named wins, and a game that already
// names its opening keeps its tags.

#include "chess/openings.h"
#include "chess/pgn.h"
#include "chess/pgn_reader.h"

#include <gtest/gtest.h>

namespace quorvane::chess {
namespace {

Game gameOf(std::string_view pgn) {
    PgnGameRead read = readPgnGame(pgn);
    EXPECT_TRUE(read.game) << read.error;
    return read.game ? *read.game : Game{};
}

// A small book of our own, so the rules are tested without the file.
const char *const kBook = "{A book}\n"
                          "[ECO \"C20\"]\n[Opening \"King's pawn game\"]\n\n1. e4 e5 *\n\n"
                          "[ECO \"C40\"]\n[Opening \"King's knight opening\"]\n\n1. e4 e5 2. Nf3 *\n\n"
                          "[ECO \"C44\"]\n[Opening \"King's pawn game\"]\n[Variation \"Knight\"]\n\n"
                          "1. e4 e5 2. Nf3 Nc6 *\n\n"
                          "[ECO \"D00\"]\n[Opening \"Queen's pawn game\"]\n\n1. d4 d5 *\n\n"
                          "[Opening \"no ECO tag: left out\"]\n\n1. c4 *\n";

TEST(Openings, ClassifiedByTheDeepestPositionNamed) {
    const OpeningBook book = OpeningBook::fromPgn(kBook);
    ASSERT_EQ(book.size(), 4u);
    struct Row {
        const char *name;
        const char *game;
        std::size_t plies;
        const char *eco; // nullptr: none
    } rows[] = {
        {"the whole game", "1. e4 e5 2. Nf3 Nc6 3. Bb5 *", 99, "C44"},
        {"as far as the board shows", "1. e4 e5 2. Nf3 Nc6 3. Bb5 *", 3, "C40"},
        {"a transposition", "1. Nf3 Nc6 2. e4 e5 *", 99, "C44"},
        {"through en passant squares that no pawn can take", "1. d4 Nf6 2. Nf3 d5 3. Ng1 Ng8 *", 99, "D00"},
        {"no position of the book", "1. c4 c5 *", 99, nullptr},
        {"the start", "1. e4 e5 *", 0, nullptr},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<Opening> o = book.classify(gameOf(row.game), row.plies);
        ASSERT_EQ(o.has_value(), row.eco != nullptr);
        if (o) {
            EXPECT_EQ(o->eco, row.eco);
        }
    }
    const std::optional<Opening> knight = book.classify(gameOf("1. e4 e5 2. Nf3 Nc6 *"));
    ASSERT_TRUE(knight);
    EXPECT_EQ(*knight, (Opening{"C44", "King's pawn game", "Knight"}));
}

TEST(Openings, TagsAreAddedOnlyToGamesWithoutThem) {
    const OpeningBook book = OpeningBook::fromPgn(kBook);
    Game plain = gameOf("1. e4 e5 2. Nf3 Nc6 *");
    EXPECT_TRUE(addOpeningTags(plain, book));
    EXPECT_EQ(*plain.tag("ECO"), "C44");
    EXPECT_EQ(*plain.tag("Opening"), "King's pawn game");
    EXPECT_EQ(*plain.tag("Variation"), "Knight");
    EXPECT_NE(toPgn(plain).find("[ECO \"C44\"]\n[Opening \"King's pawn game\"]\n[Variation \"Knight\"]\n"),
              std::string::npos);

    Game named = gameOf("[ECO \"B00\"]\n1. e4 e5 2. Nf3 Nc6 *");
    EXPECT_FALSE(addOpeningTags(named, book));
    EXPECT_EQ(*named.tag("ECO"), "B00");
    EXPECT_EQ(named.tag("Opening"), nullptr);

    Game none = gameOf("1. a3 *");
    const Game before = none;
    EXPECT_FALSE(addOpeningTags(none, book));
    EXPECT_EQ(none, before);
    EXPECT_FALSE(addOpeningTags(none, OpeningBook{})) << "without the file, nothing changes";
}

TEST(Openings, TheInstalledFileNamesTheCommonOpenings) {
    if (OpeningBook::standard().empty())
        GTEST_SKIP() << OpeningBook::kEcoFile << " is not installed";
    EXPECT_GT(OpeningBook::standard().size(), 1500u);
    // The Ruy Lopez after 4. Ba4, reached by a move order the file does not use.
    const auto o = classifyOpening(gameOf("1. e4 e5 2. Bb5 Nc6 3. Nf3 a6 4. Ba4 *"));
    ASSERT_TRUE(o);
    EXPECT_EQ(o->eco, "C70");
}

} // namespace
} // namespace quorvane::chess
