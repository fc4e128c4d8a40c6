#pragma once
// A PGN file's games, found by scanning and read by their tags only: what a
// game list shows before any game is opened. The moves are parsed when a game
// is opened (readPgnGame on its bytes). Standard library only.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::chess {

// One game of a file, as a list row shows it. Plain, so that other sources of
// many games (a mailbox) can fill the same rows.
struct GameSummary {
    std::uint64_t number = 0; // 1 for the first game
    // Tag values, UTF-8, unescaped, cut to kSummaryFieldBytes; empty when the
    // game has no such tag.
    std::string white, black, result, date, event, round, eco;
    // The move words of the main line as written (the legal ones, unless a
    // move cannot be played); -1 when not counted.
    std::int64_t plies = -1;
    // Where the game's text lies in the file.
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// No list row shows more of a name; a field of megabytes costs no memory.
constexpr std::size_t kSummaryFieldBytes = 256;

// One game of a file as a list row shows it, its texts as GameSummary has
// them; the views are valid during the call only (into the file where a value
// is as written, else into scratch).
struct GameFields {
    std::uint64_t number = 0;
    std::string_view white, black, result, date, event, round, eco;
    std::int64_t plies = -1;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};
// Called with each game, in file order, and the bytes scanned so far;
// returning false stops the scan.
using GameVisitor = std::function<bool(const GameFields &game, std::uint64_t scanned)>;
// How many threads a scan may use, and the size of the pieces they take.
// More than one scan pieces of the file at once; the games, their order and
// the visitor's calls (on the calling thread) are those of one thread. Small
// pieces keep what the visitor reads still in the cache when it reads it:
// listing a 100 MB file took 60 ms in pieces of 256 KiB, 100-120 ms in 16 MiB.
struct ScanThreads {
    unsigned count = 1;
    std::size_t pieceBytes = std::size_t{256} << 10;
};
// The scan under the index, copying nothing: for a listing that writes each
// game out and keeps none.
void scanPgnGames(std::string_view bytes, const GameVisitor &onGame, const ScanThreads &threads = {});

// Called with each chunk of games found, in file order, and the number of
// bytes scanned so far; returning false stops the scan. A window builds the
// index on a thread and shows the first chunk at once.
using IndexChunk = std::function<bool(std::vector<GameSummary> &&chunk, std::uint64_t scanned)>;

// Scans bytes (a mapped file: nothing is copied) for its games in order.
// chunkGames games go to each call of onChunk (the last call may have fewer).
// One thread: a window scans behind its list, and a second one would take
// the core its painting needs (the first rows came three times later).
void indexPgnGames(std::string_view bytes, const IndexChunk &onChunk, std::size_t chunkGames = 4096);

// The whole index at once.
std::vector<GameSummary> indexPgnGames(std::string_view bytes);

} // namespace quorvane::chess
