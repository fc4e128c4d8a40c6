#include "logic/game_list.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <numeric>

namespace quorvane {

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The words of a filter, lower-cased, longest first: the longest is the one
// that rules out most rows in the scan of all keys.
std::vector<std::string> WordsOf(std::string_view filter) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : filter) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else {
            word += LowerAscii(c);
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    std::stable_sort(words.begin(), words.end(),
                     [](const std::string &a, const std::string &b) { return a.size() > b.size(); });
    return words;
}

// Which characters a text holds, one bit each: a-z, 0-9 bits of their own,
// every other byte one of the 28 bits left. A row lacking a bit of a word
// cannot hold it, whatever else it holds; a filter of letters and digits one
// long is decided by the bits alone.
constexpr int kOwnBits = 36;
int LetterBit(char c) {
    if (c >= 'a' && c <= 'z')
        return c - 'a';
    if (c >= '0' && c <= '9')
        return 26 + (c - '0');
    return kOwnBits + static_cast<unsigned char>(c) % (64 - kOwnBits);
}

std::uint64_t LettersOf(std::string_view text) {
    std::uint64_t letters = 0;
    for (const char c : text)
        letters |= std::uint64_t{1} << LetterBit(c);
    return letters;
}

// Where word first occurs in text, or nullptr: its first byte by memchr, then
// the rest compared. A row's key is short and a filter word shorter, so this
// beats memmem, whose set-up for a word of three or more bytes costs more
// than a key's whole search and was most of a keystroke over a million rows.
const char *Find(const char *text, std::size_t size, const std::string &word) {
    const std::size_t n = word.size();
    if (n == 0)
        return text;
    if (n > size)
        return nullptr;
    const char *last = text + (size - n);
    const char first = word[0];
    for (const char *p = text; p <= last; ++p) {
        p = static_cast<const char *>(std::memchr(p, first, static_cast<std::size_t>(last - p) + 1));
        if (!p)
            return nullptr;
        if (std::memcmp(p + 1, word.data() + 1, n - 1) == 0)
            return p;
    }
    return nullptr;
}

bool Contains(std::string_view haystack, const std::string &word) {
    return Find(haystack.data(), haystack.size(), word) != nullptr;
}

// Cuts text to at most max bytes without splitting a UTF-8 character.
std::string_view Cut(std::string_view text, std::size_t max) {
    if (text.size() <= max)
        return text;
    std::size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace

GameChoice ChoiceOf(chess::GameSummary game) {
    // The list counts moves, as the designed chooser counts record lines.
    const int moves = game.plies < 0 ? 0 : static_cast<int>((game.plies + 1) / 2);
    return {std::move(game.date),   std::move(game.white), std::move(game.black), moves,
            std::move(game.result), std::move(game.event), std::move(game.round), std::move(game.eco)};
}

std::size_t GameList::keptOf(GameList &games) const {
    games.keep_.assign(games.rows_.size(), true);
    if (words_.empty())
        return games.rows_.size();
    std::size_t kept = 0;
    for (std::size_t game = 0; game < games.rows_.size(); ++game) {
        games.keep_[game] = games.matches(game, words_, needed_);
        kept += games.keep_[game] ? 1 : 0;
    }
    return kept;
}

void GameList::append(GameList &&games) {
    const auto first = static_cast<std::uint32_t>(rows_.size());
    const std::uint64_t textBase = texts_.size();
    const std::uint64_t keyBase = keys_.size();
    texts_ += games.texts_;
    keys_ += games.keys_;
    for (Row row : games.rows_) {
        row.text += textBase;
        row.key += keyBase;
        rows_.push_back(row);
    }
    for (std::uint32_t game = 0; game < games.rows_.size(); ++game) {
        const bool kept = game < games.keep_.size() && games.keep_[game];
        order_.push_back(first + game);
        keep_.push_back(kept);
        if (kept)
            shown_.push_back(first + game);
    }
    games = GameList();
}

void GameList::reserve(std::size_t games) {
    rows_.reserve(games);
    order_.reserve(games);
    keep_.reserve(games);
    shown_.reserve(games);
}

void GameList::add(const GameChoice &game) {
    Row row;
    row.text = texts_.size();
    row.moves = game.moveLines;
    const std::string *fields[] = {&game.white, &game.black, &game.result, &game.date,
                                   &game.event, &game.round, &game.eco};
    row.key = keys_.size();
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        const std::string_view kept = Cut(*fields[i], kKeptBytes);
        row.length[i] = static_cast<std::uint16_t>(kept.size());
        texts_.append(kept);
        for (const char c : kept)
            keys_ += c == '\n' ? ' ' : LowerAscii(c);
        keys_ += ' ';
    }
    keys_.back() = '\n';
    row.letters = LettersOf(std::string_view(keys_).substr(row.key));
    const auto index = static_cast<std::uint32_t>(rows_.size());
    rows_.push_back(row);
    order_.push_back(index);
    keep_.push_back(matches(index, words_, needed_));
    if (keep_.back())
        shown_.push_back(index);
}

std::string_view GameList::field(std::size_t game, Column column) const {
    const Row &row = rows_[game];
    std::uint64_t start = row.text;
    const int at = static_cast<int>(column) - White;
    for (int i = 0; i < at; ++i)
        start += row.length[i];
    return std::string_view(texts_).substr(start, row.length[at]);
}

std::string GameList::text(std::size_t game, Column column) const {
    if (column == Number)
        return std::to_string(game + 1);
    if (column == Moves)
        return std::to_string(rows_[game].moves);
    return std::string(field(game, column));
}

bool GameList::matches(std::size_t game, const std::vector<std::string> &words, std::uint64_t needed) const {
    if (words.empty())
        return true;
    if ((rows_[game].letters & needed) != needed)
        return false;
    const std::uint64_t start = rows_[game].key;
    const std::uint64_t end = game + 1 < rows_.size() ? rows_[game + 1].key : keys_.size();
    const std::string_view key = std::string_view(keys_).substr(start, end - start);
    return std::all_of(words.begin(), words.end(), [&](const std::string &word) { return Contains(key, word); });
}

void GameList::setFilter(std::string_view filter) {
    const bool narrower = !filter_.empty() && filter.substr(0, filter_.size()) == filter_;
    std::vector<std::string> words = WordsOf(filter);
    filter_.assign(filter);
    needed_ = 0;
    for (const std::string &word : words)
        needed_ |= LettersOf(word);
    if (narrower) {
        // Typing on: every row the longer filter keeps is shown already.
        words_ = std::move(words);
        std::erase_if(shown_, [&](std::uint32_t game) {
            keep_[game] = matches(game, words_, needed_);
            return !keep_[game];
        });
        return;
    }
    words_ = std::move(words);
    refilter();
}

void GameList::refilter() {
    keep_.assign(rows_.size(), words_.empty());
    bool byLetters = !words_.empty();
    for (const std::string &word : words_)
        byLetters = byLetters && word.size() == 1 && LetterBit(word[0]) < kOwnBits;
    if (byLetters) {
        // Single letters or digits (the first key typed): the bits decide,
        // one word of each row read, no text.
        for (std::size_t game = 0; game < rows_.size(); ++game)
            keep_[game] = (rows_[game].letters & needed_) == needed_;
    } else if (!words_.empty()) {
        // One scan of all keys for the longest word; each hit names its row by
        // the keys' starts, and the scan goes on after that row.
        // The hits come in the keys' order, so the row of each is found by
        // walking on from the row of the last one.
        const std::string &word = words_.front();
        const char *base = keys_.data();
        std::size_t from = 0;
        std::size_t game = 0;
        while (from < keys_.size()) {
            const char *hit = Find(base + from, keys_.size() - from, word);
            if (!hit)
                break;
            const auto at = static_cast<std::uint64_t>(hit - base);
            while (game + 1 < rows_.size() && rows_[game + 1].key <= at)
                ++game;
            // One word: the hit is the match.
            if (words_.size() == 1 || matches(game, words_, needed_))
                keep_[game] = true;
            from = game + 1 < rows_.size() ? static_cast<std::size_t>(rows_[game + 1].key) : keys_.size();
        }
    }
    showKept();
}

void GameList::showKept() {
    shown_.clear();
    for (const std::uint32_t game : order_)
        if (keep_[game])
            shown_.push_back(game);
}

void GameList::sortBy(Column column, bool ascending) {
    sortColumn_ = column;
    ascending_ = ascending;
    std::iota(order_.begin(), order_.end(), 0u);
    if (column != Number) {
        auto before = [&](std::uint32_t a, std::uint32_t b) {
            if (column == Moves)
                return rows_[a].moves < rows_[b].moves;
            return field(a, column) < field(b, column);
        };
        if (ascending)
            std::stable_sort(order_.begin(), order_.end(), before);
        else
            std::stable_sort(order_.begin(), order_.end(),
                             [&](std::uint32_t a, std::uint32_t b) { return before(b, a); });
    } else if (!ascending) {
        std::reverse(order_.begin(), order_.end());
    }
    showKept();
}

} // namespace quorvane
