#pragma once
// Opening names: a game is classified by the deepest position it reaches that
// an ECO file names (pgn-extract's eco.pgn, each game of it a line ending in a
// named position). Positions are matched, not move orders, so a transposition
// finds its name. Standard library only.

#include "chess/game.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvane::chess {

struct Opening {
    std::string eco;       // "C60"
    std::string opening;   // "Ruy Lopez (Spanish opening)"
    std::string variation; // empty when the file names none
    friend bool operator==(const Opening &, const Opening &) = default;
};

class OpeningBook {
public:
    // Reads an ECO file's games; those without an ECO tag or a legal line are
    // left out.
    static OpeningBook fromPgn(std::string_view text);
    // The book of kEcoFile, read once on first use, from any thread; empty
    // when the file is not there.
    static const OpeningBook &standard();
    static constexpr const char *kEcoFile = "/usr/share/pgn-extract/eco.pgn";

    bool empty() const { return openings_.empty(); }
    std::size_t size() const { return openings_.size(); }
    // The opening of the deepest position among the first `plies` half-moves
    // of the game's main line (its start counts too).
    std::optional<Opening> classify(const Game &game, std::size_t plies = static_cast<std::size_t>(-1)) const;
    // The same along any line of moves from start (a variation's).
    std::optional<Opening> classify(const Position &start, const std::vector<Move> &moves) const;

private:
    template <class MoveAt>
    std::optional<Opening> classifyLine(const Position &start, std::size_t plies, MoveAt moveAt) const;

    std::vector<Opening> openings_;
    std::unordered_map<std::string, std::size_t> byPosition_;
    std::size_t deepest_ = 0; // the longest line in the book, in half-moves
};

// What identifies a position for the book: the pieces, the side to move, the
// castling rights and an en passant capture that can be made; not the move
// counters, nor an en passant square no pawn can take on.
std::string positionKey(const Position &position);

// OpeningBook::standard().classify(game, plies).
std::optional<Opening> classifyOpening(const Game &game, std::size_t plies = static_cast<std::size_t>(-1));

// How a player reads an opening: "B90 Sicilian: Najdorf", "C20 King's pawn game".
std::string openingText(const Opening &opening);

// Adds ECO, Opening and (when named) Variation tags from classifyOpening,
// unless the game has an ECO or Opening tag already. True when it added any.
bool addOpeningTags(Game &game, const OpeningBook &book = OpeningBook::standard());

// The game as PGN for export (a file saved, --to-pgn): toPgn with the opening's
// tags added as addOpeningTags does.
std::string toPgnWithOpening(Game game);

} // namespace quorvane::chess
