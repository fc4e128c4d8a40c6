// The game list's filter and sort, on a small database written out here.

#include "logic/game_list.h"

#include <gtest/gtest.h>

#include <algorithm>

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
        {"one letter", "z", {1}},
        {"one digit and one letter", "7 b", {2}},
        {"one letter nobody has", "q", {}},
        {"one sign", "*", {3}},
        {"one byte of UTF-8", "\xc3", {2, 3}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        GameList list = SmallDatabase();
        list.setFilter(row.filter);
        EXPECT_EQ(Shown(list), row.shown);
    }
}

// Over many generated rows, each filter keeps exactly the games whose tags
// hold every word, however the list finds them (one scan of the keys, the
// letters each row holds, or narrowing what typing had shown), and games
// found later and appended follow it too.
TEST(GameList, EveryWayOfFilteringKeepsTheSameGames) {
    auto game = [](int i) {
        return GameChoice{std::to_string(1900 + i % 120) + ".01.0" + std::to_string(1 + i % 9),
                          std::string(1, static_cast<char>('a' + i % 26)) + "lpha " + std::to_string(i),
                          "Beta-" + std::to_string(i % 13), i % 90, i % 2 ? "1-0" : "*", "Open \xc3\xa9" + std::to_string(i % 7),
                          std::to_string(i % 5), "B" + std::to_string(i % 100)};
    };
    auto lower = [](std::string text) {
        for (char &c : text)
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        return text;
    };
    GameList list, later;
    std::vector<std::string> texts;
    for (int i = 0; i < 3000; ++i) {
        const GameChoice g = game(i);
        (i < 2000 ? list : later).add(g);
        texts.push_back(lower(g.white + " " + g.black + " " + g.result + " " + g.date + " " + g.event + " " + g.round +
                              " " + g.eco));
    }
    const GameList::Column column = GameList::Number;
    list.sortBy(column, true);
    for (const char *filter : {"q", "z", "7", "z 7", "\xc3", "-", "b9", "lpha 1", "beta-1 1-0", "zlpha 25",
                               "1999 b", "open \xc3\xa9" "6", "*", "x y", "00", "b99", "1-0 4 b99"}) {
        SCOPED_TRACE(filter);
        std::vector<std::string> words;
        std::string word;
        for (const char c : std::string(filter) + " ")
            if (c == ' ') {
                if (!word.empty())
                    words.push_back(word);
                word.clear();
            } else {
                word += c;
            }
        auto expected = [&](std::size_t games) {
            std::vector<std::uint32_t> kept;
            for (std::size_t g = 0; g < games; ++g)
                if (std::all_of(words.begin(), words.end(),
                                [&](const std::string &w) { return texts[g].find(w) != std::string::npos; }))
                    kept.push_back(static_cast<std::uint32_t>(g));
            return kept;
        };
        list.setFilter(filter);
        EXPECT_EQ(Shown(list), expected(2000)) << "at once";
        // Typed a character at a time from empty: each step narrows the last.
        list.setFilter("");
        for (std::size_t n = 1; n <= std::string(filter).size(); ++n)
            list.setFilter(std::string(filter).substr(0, n));
        EXPECT_EQ(Shown(list), expected(2000)) << "typed";
    }
    // Games appended under a filter follow it.
    list.setFilter("z 7");
    GameList copy = later;
    list.keptOf(copy);
    list.append(std::move(copy));
    auto all = [&] {
        std::vector<std::uint32_t> kept;
        for (std::size_t g = 0; g < texts.size(); ++g)
            if (texts[g].find('z') != std::string::npos && texts[g].find('7') != std::string::npos)
                kept.push_back(static_cast<std::uint32_t>(g));
        return kept;
    }();
    EXPECT_EQ(list.size(), 3000u);
    EXPECT_EQ(Shown(list), all);
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
