#pragma once
// The game review: who went wrong, where and by how much, from the evaluations
// of a game's positions. The figures follow the published lichess method
// (lichess.org/page/accuracy), so a player who knows those numbers reads these
// the same way: Win% from centipawns, move accuracy from the mover's drop in
// Win%, game accuracy as the mean of a volatility-weighted and a harmonic mean,
// the average centipawn loss, and judgements from the drop in winning chances
// with rules of their own for mates. Every score is from White's side.

#include "engine/uci.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace quorvane::engine {

enum class Judgement { None, Inaccuracy, Mistake, Blunder };

// "Inaccuracy", "Mistake", "Blunder"; empty for None.
std::string_view judgementName(Judgement judgement);
// "?!", "?", "??"; empty for None.
std::string_view judgementMark(Judgement judgement);
// The PGN glyph: 6, 2, 4; 0 for None.
int judgementNag(Judgement judgement);

// The score as the review counts it: centipawns clamped to [-1000, 1000], a
// mate as 1000 for the side that gives it.
int reviewCentipawns(const Score &score);
// White's Win% (0..100) of a score.
double winPercent(const Score &score);
// The accuracy (0..100) of one move from the mover's Win% before and after it.
double moveAccuracy(double moverWinBefore, double moverWinAfter);
// The judgement of one half-move from the scores before and after it.
Judgement judge(const Score &before, const Score &after, bool whiteMoved);

// Whether White plays half-move k (1-based) of a game that starts with
// whiteStarts.
bool whitePlays(std::size_t halfMove, bool whiteStarts);

struct SideReview {
    // Both need every position evaluated; nothing until then, or when the side
    // played no half-move.
    std::optional<double> accuracy; // percent
    std::optional<double> acpl;     // centipawns
    int inaccuracies = 0;
    int mistakes = 0;
    int blunders = 0;
    int count(Judgement judgement) const;
};

struct GameReview {
    // judgements[k - 1] belongs to half-move k; None also where a score is unknown.
    std::vector<Judgement> judgements;
    SideReview white;
    SideReview black;
    const SideReview &side(bool white) const { return white ? this->white : black; }
};

// evals[k] is the evaluation of the position after k half-moves ([0] the start).
GameReview reviewGame(const std::vector<std::optional<Score>> &evals, bool whiteStarts);

} // namespace quorvane::engine
