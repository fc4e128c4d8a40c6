// The index: the same cut into games as the reader's (one lexer for both),
// keeping only the tags a list shows.

#include "chess/pgn_index.h"

#include "chess/pgn.h"
#include "chess/pgn_lexer.h"

#include <array>

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

} // namespace

void scanPgnGames(std::string_view bytes, const GameVisitor &onGame) {
    pgn::Lexer lexer(bytes);
    GameFields row;
    std::array<std::string, 7> scratch;
    auto onTag = [&row, &scratch](std::string_view name, std::string_view value) {
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
    };
    pgn::GameExtent extent;
    std::uint64_t number = 0;
    while (true) {
        row = GameFields{};
        if (!pgn::nextGame(lexer, extent, onTag))
            break;
        row.number = ++number;
        row.plies = extent.moves;
        row.offset = extent.offset;
        row.length = extent.length;
        if (!onGame(row, lexer.position()))
            return;
    }
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
