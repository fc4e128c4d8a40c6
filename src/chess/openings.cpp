// The ECO file read with the program's own PGN reader, once, into a table of
// positions.

#include "chess/openings.h"

#include "chess/pgn.h"
#include "chess/pgn_reader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace quorvane::chess {

std::string positionKey(const Position &position) {
    // 64 squares, then the side, the four castling rights and the en passant file.
    std::string key(70, '.');
    for (int square = 0; square < 64; ++square)
        if (const auto piece = position.pieceAt(square))
            key[static_cast<std::size_t>(square)] =
                static_cast<char>('a' + static_cast<int>(piece->type) + (piece->color == Color::Black ? 8 : 0));
    key[64] = position.sideToMove() == Color::White ? 'w' : 'b';
    key[65] = position.canCastle(Color::White, true) ? 'K' : '-';
    key[66] = position.canCastle(Color::White, false) ? 'Q' : '-';
    key[67] = position.canCastle(Color::Black, true) ? 'k' : '-';
    key[68] = position.canCastle(Color::Black, false) ? 'q' : '-';
    if (const auto square = position.enPassantSquare()) {
        MoveList moves;
        position.generateLegalMoves(moves);
        for (const Move &m : moves)
            if (m.isEnPassant())
                key[69] = static_cast<char>('a' + fileOf(*square));
    }
    return key;
}

OpeningBook OpeningBook::fromPgn(std::string_view text) {
    OpeningBook book;
    for (const PgnGameSpan &span : splitPgnGames(text)) {
        const PgnGameRead read = readPgnGame(text.substr(span.offset, span.length));
        if (!read.game || read.game->stop())
            continue;
        const Game &g = *read.game;
        const std::string *eco = g.tag("ECO");
        if (!eco || eco->empty())
            continue;
        Opening o;
        o.eco = *eco;
        if (const std::string *name = g.tag("Opening"))
            o.opening = *name;
        if (const std::string *variation = g.tag("Variation"))
            o.variation = *variation;
        const std::vector<Position> positions = g.mainLinePositions();
        // The first entry for a position names it.
        if (book.byPosition_.emplace(positionKey(positions.back()), book.openings_.size()).second) {
            book.openings_.push_back(std::move(o));
            book.deepest_ = std::max(book.deepest_, g.plies());
        }
    }
    return book;
}

const OpeningBook &OpeningBook::standard() {
    static const OpeningBook book = [] {
        std::ifstream in(kEcoFile, std::ios::binary);
        if (!in)
            return OpeningBook{};
        std::ostringstream text;
        text << in.rdbuf();
        return fromPgn(text.str());
    }();
    return book;
}

template <class MoveAt>
std::optional<Opening> OpeningBook::classifyLine(const Position &start, std::size_t plies, MoveAt moveAt) const {
    if (openings_.empty())
        return std::nullopt;
    // A transposition may take longer than the book's own line to get there,
    // but not much longer.
    const std::size_t last = std::min(plies, 2 * deepest_ + 8);
    std::optional<std::size_t> found;
    Position p = start;
    for (std::size_t k = 0;; ++k) {
        const auto hit = byPosition_.find(positionKey(p));
        if (hit != byPosition_.end())
            found = hit->second;
        if (k >= last)
            break;
        p.makeMove(moveAt(k));
    }
    if (!found)
        return std::nullopt;
    return openings_[*found];
}

std::optional<Opening> OpeningBook::classify(const Game &game, std::size_t plies) const {
    return classifyLine(game.start, std::min(plies, game.plies()),
                        [&game](std::size_t k) -> const Move & { return game.mainLine.moves[k].move; });
}

std::optional<Opening> OpeningBook::classify(const Position &start, const std::vector<Move> &moves) const {
    return classifyLine(start, moves.size(), [&moves](std::size_t k) -> const Move & { return moves[k]; });
}

std::string openingText(const Opening &opening) {
    std::string text = opening.eco;
    if (!opening.opening.empty())
        text += (text.empty() ? "" : " ") + opening.opening;
    if (!opening.variation.empty())
        text += ": " + opening.variation;
    return text;
}

std::optional<Opening> classifyOpening(const Game &game, std::size_t plies) {
    return OpeningBook::standard().classify(game, plies);
}

std::string toPgnWithOpening(Game game) {
    addOpeningTags(game);
    return toPgn(game);
}

bool addOpeningTags(Game &game, const OpeningBook &book) {
    if (game.tag("ECO") || game.tag("Opening"))
        return false;
    const std::optional<Opening> opening = book.classify(game);
    if (!opening)
        return false;
    game.setTag("ECO", opening->eco);
    if (!opening->opening.empty())
        game.setTag("Opening", opening->opening);
    if (!opening->variation.empty())
        game.setTag("Variation", opening->variation);
    return true;
}

} // namespace quorvane::chess
