#pragma once
// The figures of the analysis that need the rules of chess: the engine's line in
// SAN with move numbers, and the score of a position where the game is over.

#include "chess/position.h"
#include "engine/uci.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvane::engine {

// The first maxHalfMoves of uciMoves played from position, in SAN with move
// numbers: "12. Nf3 Nc6 13. Bb5", or "12... Nc6 13. Bb5" when Black is to move.
// Stops at the first move that is not legal where it stands.
std::string sanLine(const chess::Position &position, const std::vector<std::string> &uciMoves,
                    std::size_t maxHalfMoves = 10);

// The score of a position without legal moves (mate 0 for the side that gave
// mate, or 0.0 for stalemate); nothing when there is a move to play.
std::optional<Score> finalScore(const chess::Position &position);

} // namespace quorvane::engine
