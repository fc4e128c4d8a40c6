// The game list's filter and sort, on a small database written out here.

#include "logic/game_list.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

GameList SmallDatabase() {
    GameList list;
    //          date          white              black        moves result     event               round eco
    list.add({"2023.05.01", "Carlsen, Magnus", "Nepomniachtchi, Ian", 58, "1/2-1/2", "World Championship", "1", "C88"});
    list.add({"1886.01.11", "Steinitz, William", "Zukertort, Johannes", 35, "0-1", "World Championship", "1", "D26"});
    list.add({"2024.03.15", "M\xc3\xbcller, Karl", "carlsen, magnus", 41, "1-0", "Bundesliga", "7", "B90"});
    list.add({"2024.03.16", "Ng, Wei", "M\xc3\xbcller, Karl", 12, "*", "Club night\nsecond line", "", ""});
    return list;
}

std::vector<std::uint32_t> Shown(const GameList &list) { return list.shown(); }

TEST(GameList, FilterKeepsTheGamesThatHoldEveryWord) {
    struct Row {
        const char *name;
        const char *filter;
        std::vector<std::uint32_t> shown;
    };
    const Row rows[] = {
        {"empty shows all", "", {0, 1, 2, 3}},
        {"a player, either colour, any case", "CARLSEN", {0, 2}},
        {"two words, both needed", "carlsen bundesliga", {2}},
        {"words in any order", "championship steinitz", {1}},
        {"a year", "2024", {2, 3}},
        {"an ECO code", "b90", {2}},
        {"a result", "0-1", {1}},
        {"UTF-8 as typed", "m\xc3\xbcller", {2, 3}},
        {"a word nobody has", "kasparov", {}},
        {"spaces around", "  ng  ", {3}},
        {"words do not run across columns", "magnus1/2", {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        GameList list = SmallDatabase();
        list.setFilter(row.filter);
        EXPECT_EQ(Shown(list), row.shown);
    }
}

TEST(GameList, TypingOnAndBackNarrowsAndWidens) {
    GameList list = SmallDatabase();
    const struct {
        const char *filter;
        std::vector<std::uint32_t> shown;
    } steps[] = {
        {"c", {0, 1, 2, 3}}, {"ca", {0, 2}}, {"car", {0, 2}}, {"carl", {0, 2}},
        {"carl 7", {2}},     {"carl", {0, 2}}, {"", {0, 1, 2, 3}}, {"zz", {}},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.filter);
        list.setFilter(step.filter);
        EXPECT_EQ(Shown(list), step.shown);
    }
}

TEST(GameList, SortsByAnyColumnTiesInFileOrder) {
    struct Row {
        const char *name;
        GameList::Column column;
        bool ascending;
        std::vector<std::uint32_t> shown;
    };
    const Row rows[] = {
        {"number down", GameList::Number, false, {3, 2, 1, 0}},
        {"white", GameList::White, true, {0, 2, 3, 1}},
        {"date", GameList::Date, true, {1, 0, 2, 3}},
        {"date down", GameList::Date, false, {3, 2, 0, 1}},
        {"moves by value", GameList::Moves, true, {3, 1, 2, 0}},
        {"event, ties in file order", GameList::Event, true, {2, 3, 0, 1}},
        {"event down, ties still in file order", GameList::Event, false, {0, 1, 3, 2}},
        {"eco, empty first", GameList::Eco, true, {3, 2, 0, 1}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        GameList list = SmallDatabase();
        list.sortBy(row.column, row.ascending);
        EXPECT_EQ(Shown(list), row.shown);
    }
    // A filter keeps the order sorted, and so does widening it again.
    GameList list = SmallDatabase();
    list.sortBy(GameList::Moves, false);
    list.setFilter("2024");
    EXPECT_EQ(Shown(list), (std::vector<std::uint32_t>{2, 3}));
    list.setFilter("");
    EXPECT_EQ(Shown(list), (std::vector<std::uint32_t>{0, 2, 1, 3}));
}

TEST(GameList, TextsAreKeptCutAndGamesAddedLaterFollowTheFilter) {
    GameList list = SmallDatabase();
    EXPECT_EQ(list.text(2, GameList::White), "M\xc3\xbcller, Karl");
    EXPECT_EQ(list.text(2, GameList::Number), "3");
    EXPECT_EQ(list.text(2, GameList::Moves), "41");
    EXPECT_EQ(list.text(1, GameList::Round), "1");
    EXPECT_EQ(list.text(3, GameList::Eco), "");

    // A name of megabytes is kept to its first bytes, whole characters only.
    std::string huge(3, 'x');
    for (int i = 0; i < 1000000; ++i)
        huge += "\xc3\xbc";
    list.setFilter("xxx");
    list.add({"", huge, "b", 1});
    list.add({"", "a", "b", 1});
    const std::string kept = list.text(4, GameList::White);
    EXPECT_LE(kept.size(), GameList::kKeptBytes);
    EXPECT_GE(kept.size(), GameList::kKeptBytes - 1);
    EXPECT_EQ(kept.size() % 2, 1u); // "xxx" and whole two-byte letters
    EXPECT_EQ(Shown(list), (std::vector<std::uint32_t>{4}));
    EXPECT_EQ(list.size(), 6u);
}

} // namespace
} // namespace quorvane
