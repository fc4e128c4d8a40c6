#pragma once
// The game list's logic: the games of one file as rows (number, White, Black,
// Result, Date, Event, Round, ECO, moves), narrowed by a filter and sorted by
// any column. Built for databases of millions of games: the texts live in one
// buffer, each row's search key is made once, and a filter is a scan of one
// buffer rather than a walk over strings.

#include "chess/pgn_index.h"
#include "platform/dialogs.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// A row of the list from a game of a PGN file's index, its texts moved in.
GameChoice ChoiceOf(chess::GameSummary game);

class GameList {
public:
    enum Column { Number, White, Black, Result, Date, Event, Round, Eco, Moves, ColumnCount };
    // The most bytes of a text a row keeps: more than any list column shows.
    static constexpr std::size_t kKeptBytes = 1200;

    void reserve(std::size_t games);
    // Appends a game (its number is its place in the file, from 1). A filter
    // set earlier applies to it; the order puts it last until the next sort.
    void add(const GameChoice &game);
    std::size_t size() const { return rows_.size(); }

    // Games found after the list was shown, made elsewhere (on the thread
    // that scans the file) as a list of their own with no filter. keptOf
    // marks which of them this list's filter keeps and says how many; append
    // then moves them in after the games already here, numbered on from
    // them, the kept ones at the end of shown() (a view learns of the new
    // rows between the two). A filter or sort set in between needs keptOf again.
    std::size_t keptOf(GameList &games) const;
    void append(GameList &&games);

    // The shown rows, as indexes of games in file order.
    const std::vector<std::uint32_t> &shown() const { return shown_; }
    // A game's text in a column (UTF-8, at most kKeptBytes); the number and
    // the moves as digits.
    std::string text(std::size_t game, Column column) const;
    int moves(std::size_t game) const { return rows_[game].moves; }

    // Keeps the games whose tags hold every word of filter, case-blind for
    // ASCII letters (a player, an event, a year, an ECO code...). Empty: all.
    void setFilter(std::string_view filter);
    const std::string &filter() const { return filter_; }
    // Sorts the shown rows by a column, ties in file order; numbers and moves
    // by value. New games appended later keep to the end until sorted again.
    void sortBy(Column column, bool ascending);
    Column sortColumn() const { return sortColumn_; }
    bool ascending() const { return ascending_; }

private:
    struct Row {
        std::uint64_t text;                          // start of the row's texts in texts_
        std::uint16_t length[ColumnCount - 2] = {}; // White .. Eco
        int moves = 0;
        std::uint64_t key = 0; // start of the search key in keys_
        std::uint64_t letters = 0; // LettersOf(the key)
    };
    std::string_view field(std::size_t game, Column column) const;
    // needed: the letter bits of words, which a row must all have.
    bool matches(std::size_t game, const std::vector<std::string> &words, std::uint64_t needed) const;
    void refilter();
    // shown_ from order_, keeping the rows keep_ marks.
    void showKept();

    std::vector<Row> rows_;
    std::string texts_;
    // Every row's search key, lower-cased, each ended by '\n' (which no key holds).
    std::string keys_;
    // Every game in the order of the last sort, and whether the filter keeps it.
    std::vector<std::uint32_t> order_;
    std::vector<bool> keep_;
    std::vector<std::uint32_t> shown_;
    std::string filter_;
    std::vector<std::string> words_;
    std::uint64_t needed_ = 0; // the letter bits of words_
    Column sortColumn_ = Number;
    bool ascending_ = true;
};

} // namespace quorvane
