#pragma once
// An analysis written into a game, as lichess exports its analysis, so that the
// PGN carries it; and read back from such a game, so that a reopened analysed
// game shows its graph and review without an engine.
//
// After each half-move k: "[%eval 0.35]" (the position after it, White's view,
// pawns with two decimals, "#3" / "#-3" for mates, ",18" after it when the
// depth is known). A judged half-move also gets its NAG ($6 ?!, $2 ?, $4 ??),
// "Mistake. Bc5 was best." in the same comment, and the engine's line from the
// position before it as a variation. The start position's evaluation is the
// game's opening comment. A position where the game is over gets no [%eval]:
// its score follows from the rules.

#include "chess/game.h"
#include "engine/game_analysis.h"

#include <optional>
#include <string>
#include <string_view>

namespace quorvane::engine {

// "0.35", "-1.20", "0.00", "#3", "#-3".
std::string evalText(const Score &score);
// The first [%eval ...] command of a comment, with its depth when it gives one.
std::optional<PositionEval> evalFromComment(std::string_view comment);
// The comment without its [%eval ...] commands (and the space they leave).
std::string withoutEval(std::string_view comment);

// Writes analysis into game's main line. Existing [%eval] commands are
// replaced; other comments, NAGs and variations stay. The analysis must be of
// this game (analysis.size() == game.plies() + 1), else nothing changes.
void annotateGame(chess::Game &game, const GameAnalysis &analysis);

// The analysis a game's comments carry: [%eval] after each half-move and in
// the opening comment, and the rules' score where the game is over there.
GameAnalysis analysisFromGame(const chess::Game &game);

} // namespace quorvane::engine
