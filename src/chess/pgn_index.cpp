// The index: the same cut into games as the reader's (one lexer for both),
// keeping only the tags a list shows.

#include "chess/pgn_index.h"

#include "chess/pgn.h"
#include "chess/pgn_lexer.h"

namespace quorvane::chess {

namespace {

// A tag value as a row shows it: unescaped, UTF-8 (Windows-1252 when the
// bytes are not UTF-8), at most kSummaryFieldBytes, never cut inside a
// character.
std::string summaryField(std::string_view raw) {
    // Most values: short, no escapes, ASCII or UTF-8 already.
    if (raw.size() <= kSummaryFieldBytes && raw.find('\\') == std::string_view::npos && pgn::isValidUtf8(raw))
        return std::string(raw);
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
    return value;
}

} // namespace

void indexPgnGames(std::string_view bytes, const IndexChunk &onChunk, std::size_t chunkGames) {
    if (chunkGames == 0)
        chunkGames = 1;
    pgn::Lexer lexer(bytes);
    std::vector<GameSummary> chunk;
    chunk.reserve(chunkGames);
    std::uint64_t number = 0;
    GameSummary row;
    auto onTag = [&row](std::string_view name, std::string_view value) {
        std::string *field = nullptr;
        switch (name.size()) {
        case 3:
            field = name == "ECO" ? &row.eco : nullptr;
            break;
        case 4:
            field = name == "Date" ? &row.date : nullptr;
            break;
        case 5:
            field = name == "White" ? &row.white : name == "Black" ? &row.black : name == "Event" ? &row.event
                    : name == "Round"                           ? &row.round
                                                                : nullptr;
            break;
        case 6:
            field = name == "Result" ? &row.result : nullptr;
            break;
        default:
            break;
        }
        // The first of each name counts, as the reader keeps it.
        if (field && field->empty())
            *field = summaryField(value);
    };
    pgn::GameExtent extent;
    while (true) {
        row = GameSummary{};
        if (!pgn::nextGame(lexer, extent, onTag))
            break;
        row.number = ++number;
        row.plies = extent.moves;
        row.offset = extent.offset;
        row.length = extent.length;
        chunk.push_back(std::move(row));
        if (chunk.size() >= chunkGames) {
            if (!onChunk(std::move(chunk), lexer.position()))
                return;
            chunk = {};
            chunk.reserve(chunkGames);
        }
    }
    if (!chunk.empty())
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
