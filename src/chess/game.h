#pragma once
// One game of chess, whatever it was read from: a record, a PGN file, pasted
// text. Everything that shows, exports or analyses a game reads this.
//
// The moves are a tree. A Line is a run of moves from one position; each move
// may carry alternatives to itself (variations), each a Line that starts from
// the position before that move. The main line is Game::mainLine. A place in
// the tree is a GamePath: the steps from the main line down to a line, then a
// number of moves played along it, so a cursor can walk the tree with nothing
// but indices.

#include "chess/position.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::chess {

struct TagPair {
    std::string name;
    std::string value; // UTF-8, unescaped
    friend bool operator==(const TagPair &, const TagPair &) = default;
};

// Where and why a line stopped early: the half-move that could not be played
// (index within its line, 0 = the line's first move), its text as written, and
// the reason ("no piece on d2", "Nf9 is not a legal move", "unreadable token").
struct LineStop {
    std::size_t index = 0;
    std::string text;
    std::string reason;
    friend bool operator==(const LineStop &, const LineStop &) = default;
};

struct MoveNode;

struct Line {
    std::vector<MoveNode> moves;
    // Set when a move that could not be played ended the line; the moves
    // before it play.
    std::optional<LineStop> stop;
    friend bool operator==(const Line &, const Line &) = default;
};

struct MoveNode {
    Move move;
    std::string san; // written before the move, as toSan gives it
    // Numeric annotation glyphs in the order read ("!" is 1, "?" 2, "!!" 3,
    // "??" 4, "!?" 5, "?!" 6).
    std::vector<std::uint8_t> nags;
    // A comment before the move (PGN allows one at the start of a variation)
    // and the comment after it, each UTF-8 without its braces; several comments
    // in one place are joined with a space. Commands such as "[%eval 0.35]" and
    // "[%clk 0:03:00]" stay in the text.
    std::string commentBefore;
    std::string commentAfter;
    // Alternatives to this move, each starting from the position before it.
    std::vector<Line> variations;
    friend bool operator==(const MoveNode &, const MoveNode &) = default;
};

// One step down the tree: at move `move` of the current line, take its
// variation `variation`.
struct PathStep {
    std::size_t move = 0;
    std::size_t variation = 0;
    friend bool operator==(const PathStep &, const PathStep &) = default;
};

// A place in the tree: the steps from the main line to a line, then `played`
// moves along that line (0 = the line's start position).
struct GamePath {
    std::vector<PathStep> steps;
    std::size_t played = 0;
    bool onMainLine() const { return steps.empty(); }
    friend bool operator==(const GamePath &, const GamePath &) = default;
};

struct Game {
    // In the order read (a record gives the seven-tag roster and its UTC tags).
    std::vector<TagPair> tags;
    // The position before the first move: the standard start or a set-up FEN.
    Position start;
    bool setUp = false; // start came from a FEN tag
    // A comment before the first move of the game.
    std::string gameComment;
    Line mainLine;
    // "1-0", "0-1", "1/2-1/2" or "*".
    std::string result = "*";

    // The value of a tag, or nothing when the game has none of that name.
    const std::string *tag(std::string_view name) const;
    // Replaces the value of the first tag of that name, or adds one at the end.
    void setTag(std::string_view name, std::string value);

    // Positions of the main line: [0] is start, [k] after k half-moves.
    std::vector<Position> mainLinePositions() const;
    // Half-moves on the main line.
    std::size_t plies() const { return mainLine.moves.size(); }
    // The main line's stop, if a move ended it.
    const std::optional<LineStop> &stop() const { return mainLine.stop; }
    bool whiteStarts() const { return start.sideToMove() == Color::White; }

    // The line a path's steps lead to; null when a step is out of range.
    const Line *lineAt(const GamePath &path) const;
    Line *lineAt(const GamePath &path);
    // The position at a path; nothing when the path is out of range.
    std::optional<Position> positionAt(const GamePath &path) const;

    friend bool operator==(const Game &, const Game &) = default;
};

// "half-move 24 (12... Nf9): Nf9 is not a legal move" for a line stopped at
// stop (half-moves counted from 1); the move number follows the start position.
std::string describeStop(const Position &lineStart, const LineStop &stop);

} // namespace quorvane::chess
