#pragma once
// What a UCI chess engine says, read line by line, and the figures shown from
// it: scores from White's side, their text, the evaluation bar's share, the
// best line in SAN. Standard library only, so all of it is tested without an
// engine or a display.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::engine {

// One "info" line; a field the engine left out stays unset.
struct UciInfo {
    std::optional<int> depth;
    std::optional<int> scoreCp;   // centipawns, from the side to move
    std::optional<int> scoreMate; // moves to mate, from the side to move; negative: it is mated
    bool lowerbound = false;
    bool upperbound = false;
    std::optional<std::int64_t> nodes;
    int multipv = 1;
    std::vector<std::string> pv; // UCI moves ("e2e4", "e7e8q")
    bool hasScore() const { return scoreCp || scoreMate; }
};

enum class UciKind { Other, Info, BestMove, Id, UciOk, ReadyOk };

struct UciMessage {
    UciKind kind = UciKind::Other;
    UciInfo info;         // Info
    std::string bestMove; // BestMove: the move, or "(none)" / "0000" when there is none
    std::string idName;   // Id: "name" or "author"
    std::string idValue;  // Id: the rest of the line
};

// Reads one line of engine output; anything not understood is Other. Never
// throws: numbers out of range make the field unset.
UciMessage parseUciLine(std::string_view line);

// An evaluation from White's side. For a mate, mate is the number of moves to
// it and whiteMates says who gives it (mate 0: the side to move is mated now).
struct Score {
    bool isMate = false;
    int centipawns = 0;
    int mate = 0;
    bool whiteMates = false;
    friend bool operator==(const Score &, const Score &) = default;
};

// The score of info turned to White's side, when it has one.
std::optional<Score> whiteScore(const UciInfo &info, bool whiteToMove);

// "+0.8", "-2.3", "0.0"; "#3" when White mates in 3, "#-2" when Black mates in 2.
std::string formatScore(const Score &score);

// The score in pawns, clipped to +/-clip; a mate counts as the clip.
double clippedPawns(const Score &score, double clip = 10.0);

// White's share of the evaluation bar, 0..1: half at 0.0, all at +10 or a White mate.
double whiteShare(const Score &score);

// Half-moves k (1-based: from position k-1 to position k) after which the mover's
// evaluation fell by at least threshold pawns (clipped at +/-10). evals[k] is the
// evaluation of position k; whiteMovedFirst says who played half-move 1. Pairs
// with an unknown evaluation are skipped.
std::vector<int> blunders(const std::vector<std::optional<Score>> &evals, bool whiteMovedFirst, double threshold = 2.0);

} // namespace quorvane::engine
