// The index: the same cut into games as the reader's (one lexer for both),
// keeping only the tags a list shows.

#include "chess/pgn_index.h"

#include "chess/pgn.h"
#include "chess/pgn_lexer.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

namespace quorvane::chess {

namespace {

// A tag value as a row shows it: unescaped, UTF-8 (Windows-1252 when the
// bytes are not UTF-8), at most kSummaryFieldBytes, never cut inside a
// character. Most values are that as written, and are returned as they lie;
// the others are made in scratch.
std::string_view summaryField(std::string_view raw, std::string &scratch) {
    if (raw.size() <= kSummaryFieldBytes && raw.find('\\') == std::string_view::npos && pgn::isValidUtf8(raw))
        return raw;
    const bool cutRaw = raw.size() > kSummaryFieldBytes * 2;
    if (cutRaw)
        raw = raw.substr(0, kSummaryFieldBytes * 2);
    std::string value = pgn::unescapeTagValue(raw);
    if (!pgn::isValidUtf8(value)) {
        // The cut above may have split the last character of UTF-8 text.
        std::size_t keep = value.size();
        while (cutRaw && keep + 3 > value.size() && keep > 0 && !pgn::isValidUtf8(std::string_view(value).substr(0, keep)))
            --keep;
        if (cutRaw && pgn::isValidUtf8(std::string_view(value).substr(0, keep)))
            value.resize(keep);
        else
            value = windows1252ToUtf8(value);
    }
    if (value.size() > kSummaryFieldBytes) {
        std::size_t cut = kSummaryFieldBytes;
        while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80)
            --cut;
        value.resize(cut);
    }
    scratch = std::move(value);
    return scratch;
}

// The tags a row shows, picked out of a game's tag section as the lexer
// meets them. Values that are not as written (escaped, not UTF-8, too long)
// are made in scratch, which lives until the next game.
struct RowTags {
    GameFields row;
    std::array<std::string, 7> scratch;

    void operator()(std::string_view name, std::string_view value) {
        std::string_view *field = nullptr;
        std::string *room = nullptr;
        switch (name.size()) {
        case 3:
            if (name == "ECO")
                field = &row.eco, room = &scratch[0];
            break;
        case 4:
            if (name == "Date")
                field = &row.date, room = &scratch[1];
            break;
        case 5:
            if (name == "White")
                field = &row.white, room = &scratch[2];
            else if (name == "Black")
                field = &row.black, room = &scratch[3];
            else if (name == "Event")
                field = &row.event, room = &scratch[4];
            else if (name == "Round")
                field = &row.round, room = &scratch[5];
            break;
        case 6:
            if (name == "Result")
                field = &row.result, room = &scratch[6];
            break;
        default:
            break;
        }
        // The first of each name counts, as the reader keeps it.
        if (field && field->data() == nullptr) {
            *field = summaryField(value, *room);
            if (field->data() == nullptr)
                *field = std::string_view("", 0);
        }
    }
};

// The next game from where lexer stands into tags.row (numbered 0); false at
// the end of the text.
bool nextRow(pgn::Lexer &lexer, RowTags &tags) {
    tags.row = GameFields{};
    pgn::GameExtent extent;
    if (!pgn::nextGame(lexer, extent, tags))
        return false;
    tags.row.plies = extent.moves;
    tags.row.offset = extent.offset;
    tags.row.length = extent.length;
    return true;
}

void scanInOrder(std::string_view bytes, const GameVisitor &onGame) {
    pgn::Lexer lexer(bytes);
    RowTags tags;
    std::uint64_t number = 0;
    while (nextRow(lexer, tags)) {
        tags.row.number = ++number;
        if (!onGame(tags.row, lexer.position()))
            return;
    }
}

// ---- The scan on several threads ----
//
// The file is cut into pieces at lines that start with a tag pair, and each
// piece is scanned on a worker from its cut as if a game began there. That is
// a guess: the cut may lie inside a comment, or a game may run on past it.
// Where the lexer stands between two games (its place and whether that is the
// start of a line) decides everything after, so a piece is right from the
// first place it shares with the scan before it. The calling thread takes the
// pieces in order, keeps each piece's games from that shared place on, and
// scans a piece again itself from the true place when the two never meet
// (which a well-formed file never needs). The games, their numbers and the
// visitor's calls are those of the scan in order, on the calling thread.

bool same(pgn::Lexer::Mark a, pgn::Lexer::Mark b) {
    return a.pos == b.pos && a.lineStart == b.lineStart;
}

// Room for the texts of a piece's games that are not as written in the file
// (made in scratch, which the next game reuses), in blocks that never move.
class Arena {
public:
    std::string_view keep(std::string_view text) {
        if (text.empty())
            return text;
        if (text.size() > kBlock - used_) {
            blocks_.push_back(std::make_unique<char[]>(std::max(kBlock, text.size())));
            used_ = 0;
        }
        char *at = blocks_.back().get() + used_;
        std::memcpy(at, text.data(), text.size());
        used_ += text.size();
        return {at, text.size()};
    }

private:
    static constexpr std::size_t kBlock = std::size_t{64} << 10;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t used_ = kBlock;
};

struct Piece {
    std::vector<GameFields> games;
    std::vector<std::uint64_t> scanned;     // the lexer's place after each game
    std::vector<pgn::Lexer::Mark> between;  // [0] the start, [i] after game i
    Arena texts;                            // the games' fields
};

// The lexer looks at most this far past where a token ends ("1/2-1/2" and
// the byte after it); a game that ends nearer a piece's cap may have been
// cut short by it.
constexpr std::size_t kLookahead = 64;

// Games from `from` while the place between games lies before limit (the
// next piece's cut), or to the end of the text. Nothing past cap is read, so
// that a game of a gigabyte (a million tags) is not scanned again by every
// piece it spans: a game that reaches cap is left out, and the piece ends
// before limit, where the next piece's guess cannot meet it; the calling
// thread then scans on from there itself.
void scanPiece(std::string_view bytes, pgn::Lexer::Mark from, std::size_t limit, std::size_t cap, Piece &piece,
               const std::atomic<bool> &stop) {
    const std::string_view seen = bytes.substr(0, cap);
    pgn::Lexer lexer(seen);
    lexer.reset(from);
    RowTags tags;
    // Room for a game in every 128 bytes of a piece (a database's games are
    // longer), but not for a gigabyte's worth when one game spans it.
    const std::size_t span = std::min(limit, cap) - std::min(limit, std::min(cap, from.pos));
    const std::size_t games = std::min<std::size_t>(span / 128, 8192) + 16;
    piece.games.reserve(games);
    piece.scanned.reserve(games);
    piece.between.reserve(games + 1);
    piece.between.push_back(from);
    const auto inFile = [&bytes](const char *at) {
        const auto p = reinterpret_cast<std::uintptr_t>(at), begin = reinterpret_cast<std::uintptr_t>(bytes.data());
        return p - begin < bytes.size();
    };
    while (lexer.position() < limit) {
        if (stop.load(std::memory_order_relaxed) || !nextRow(lexer, tags))
            return;
        if (cap < bytes.size() && lexer.position() + kLookahead > cap)
            return;
        // A field as written stays a view into the file; one made in scratch
        // (unescaped, converted, cut) is kept with the piece.
        for (std::string_view *field : {&tags.row.white, &tags.row.black, &tags.row.result, &tags.row.date,
                                        &tags.row.event, &tags.row.round, &tags.row.eco})
            if (!inFile(field->data()))
                *field = piece.texts.keep(*field);
        piece.games.push_back(tags.row);
        piece.scanned.push_back(lexer.position());
        piece.between.push_back(lexer.mark());
    }
}

// Where a piece begins: the first line at or after from (at least 1) that
// starts with "[" and a letter, or the end. Found by its "[", which movetext
// seldom holds, rather than line by line.
std::size_t cutAt(std::string_view bytes, std::size_t from) {
    std::size_t i = from;
    while (i < bytes.size()) {
        const void *open = std::memchr(bytes.data() + i, '[', bytes.size() - i);
        if (!open)
            break;
        const std::size_t at = static_cast<std::size_t>(static_cast<const char *>(open) - bytes.data());
        if (bytes[at - 1] == '\n' && at + 1 < bytes.size() &&
            ((bytes[at + 1] >= 'a' && bytes[at + 1] <= 'z') || (bytes[at + 1] >= 'A' && bytes[at + 1] <= 'Z')))
            return at;
        i = at + 1;
    }
    return bytes.size();
}

void scanOnThreads(std::string_view bytes, const GameVisitor &onGame, unsigned threads, std::size_t pieceBytes) {
    // Each byte is searched for a cut once: after a cut far on (a gigabyte
    // with one tag line at its end), the next search starts past it.
    std::vector<std::size_t> cuts{0};
    for (std::size_t at = pieceBytes; at < bytes.size();) {
        const std::size_t cut = cutAt(bytes, at);
        if (cut >= bytes.size())
            break;
        cuts.push_back(cut);
        at = std::max(at + pieceBytes, cut + 1);
    }
    const std::size_t pieces = cuts.size();
    auto limitOf = [&](std::size_t k) { return k + 1 < pieces ? cuts[k + 1] : bytes.size() + 1; };
    auto startOf = [&](std::size_t k) { return pgn::Lexer::Mark{cuts[k], cuts[k] == 0 || bytes[cuts[k] - 1] == '\n'}; };

    // Workers keep at most `ahead` pieces beyond the one the caller takes,
    // so memory stays bounded whatever the file's size.
    const std::size_t ahead = 4 * static_cast<std::size_t>(threads);
    std::vector<std::unique_ptr<Piece>> slots(pieces);
    std::vector<bool> ready(pieces, false);
    std::mutex mutex;
    std::condition_variable readyChanged, takenChanged;
    std::size_t taken = 0; // the pieces the caller is done with
    std::size_t next = 0;  // the next piece for a worker
    std::atomic<bool> stop{false};

    // Scans piece k from its guessed start into its slot.
    auto guess = [&](std::size_t k) {
        std::unique_ptr<Piece> piece;
        try {
            piece = std::make_unique<Piece>();
            const std::size_t limit = limitOf(k);
            scanPiece(bytes, startOf(k), limit, std::min(bytes.size(), limit + pieceBytes), *piece, stop);
        } catch (const std::bad_alloc &) {
            // Out of memory here: no guess, and the caller scans this piece itself.
            piece.reset();
        }
        std::lock_guard lock(mutex);
        slots[k] = std::move(piece);
        ready[k] = true;
        readyChanged.notify_all();
    };
    auto work = [&] {
        while (true) {
            std::size_t k;
            {
                std::unique_lock lock(mutex);
                takenChanged.wait(lock, [&] { return stop || next >= pieces || next < taken + ahead; });
                if (stop || next >= pieces)
                    return;
                k = next++;
            }
            guess(k);
        }
    };
    std::vector<std::thread> workers;
    struct Join {
        std::vector<std::thread> &workers;
        std::mutex &mutex;
        std::condition_variable &takenChanged;
        std::atomic<bool> &stop;
        ~Join() {
            {
                std::lock_guard lock(mutex);
                stop = true;
            }
            takenChanged.notify_all();
            for (std::thread &t : workers)
                t.join();
        }
    } join{workers, mutex, takenChanged, stop};
    // The calling thread is one of the threads, so the cores are never asked
    // for more threads than they have: the piece it needs next and no worker
    // has taken, it scans itself from the true place; while a worker has that
    // one, it guesses at a later one as the workers do.
    for (unsigned t = 1; t < threads; ++t)
        workers.emplace_back(work);

    pgn::Lexer::Mark truth{0, true};
    std::uint64_t number = 0;
    const std::atomic<bool> never{false};
    for (std::size_t k = 0; k < pieces && truth.pos < bytes.size(); ++k) {
        // A worker's guess at this piece, or none when this thread is to
        // scan it from the truth.
        std::unique_ptr<Piece> piece;
        while (true) {
            std::unique_lock lock(mutex);
            if (ready[k]) {
                piece = std::move(slots[k]);
                break;
            }
            if (next == k) {
                next = k + 1;
                break;
            }
            if (next < pieces && next < k + ahead) {
                const std::size_t later = next++;
                lock.unlock();
                guess(later);
                continue;
            }
            readyChanged.wait(lock);
        }
        std::size_t first = 0;
        if (piece) {
            while (first < piece->between.size() && !same(piece->between[first], truth))
                ++first;
            if (first == piece->between.size())
                piece.reset(); // the guess never met the true scan
        }
        if (!piece) {
            piece = std::make_unique<Piece>();
            scanPiece(bytes, truth, limitOf(k), bytes.size(), *piece, never);
            first = 0;
        }
        for (std::size_t g = first; g < piece->games.size(); ++g) {
            GameFields &row = piece->games[g];
            row.number = ++number;
            if (!onGame(row, piece->scanned[g]))
                return;
        }
        truth = piece->between.back();
        {
            std::lock_guard lock(mutex);
            taken = k + 1;
        }
        takenChanged.notify_all();
    }
}

} // namespace

void scanPgnGames(std::string_view bytes, const GameVisitor &onGame, const ScanThreads &threads) {
    if (threads.count <= 1 || bytes.size() < 2 * threads.pieceBytes)
        scanInOrder(bytes, onGame);
    else
        scanOnThreads(bytes, onGame, threads.count, threads.pieceBytes);
}

void indexPgnGames(std::string_view bytes, const IndexChunk &onChunk, std::size_t chunkGames) {
    if (chunkGames == 0)
        chunkGames = 1;
    std::vector<GameSummary> chunk;
    chunk.reserve(chunkGames);
    bool stopped = false;
    scanPgnGames(bytes, [&](const GameFields &game, std::uint64_t scanned) {
        GameSummary &row = chunk.emplace_back();
        row.number = game.number;
        row.white = game.white;
        row.black = game.black;
        row.result = game.result;
        row.date = game.date;
        row.event = game.event;
        row.round = game.round;
        row.eco = game.eco;
        row.plies = game.plies;
        row.offset = game.offset;
        row.length = game.length;
        if (chunk.size() < chunkGames)
            return true;
        if (!onChunk(std::move(chunk), scanned)) {
            stopped = true;
            return false;
        }
        chunk = {};
        chunk.reserve(chunkGames);
        return true;
    });
    if (!stopped && !chunk.empty())
        onChunk(std::move(chunk), bytes.size());
}

std::vector<GameSummary> indexPgnGames(std::string_view bytes) {
    std::vector<GameSummary> all;
    indexPgnGames(bytes, [&all](std::vector<GameSummary> &&chunk, std::uint64_t) {
        if (all.empty())
            all = std::move(chunk);
        else
            all.insert(all.end(), std::make_move_iterator(chunk.begin()), std::make_move_iterator(chunk.end()));
        return true;
    });
    return all;
}

} // namespace quorvane::chess
