#pragma once
// Where the user is in a game's tree of moves, and the moves the user tries.
//
// A GameCursor stands on one line of a Game (the main line or a variation) after
// some of its moves. It walks the line it is on, leaves a variation for the line
// it branched from, and picks, where a move has alternatives, which one the next
// step takes. A move the user plays follows the line when it is the line's next
// move, follows a variation that starts with it, or else starts a new variation
// there; at the end of a line it extends the line. The game's own moves change
// only when the user promotes a variation.
//
// Every step costs the same however long the line or however many variations
// hang at one point: the cursor keeps the position it stands on and what it
// needs to take each move back, and finds its line by indices, never by
// recursion over the tree.

#include "chess/game.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quorvane::chess {

class GameCursor {
public:
    // At the start of the game's main line. The game must outlive the cursor;
    // the cursor is the only one that changes its tree while it exists.
    explicit GameCursor(Game &game);

    const Game &game() const { return *game_; }
    const GamePath &path() const { return path_; }
    const Position &position() const { return position_; }
    bool onMainLine() const { return path_.onMainLine(); }
    // The line the cursor is on.
    const Line &line() const;
    // The half-moves played from the game's start to here.
    std::size_t depth() const { return trail_.size(); }
    // The move that led here; null at the game's start.
    const Move *lastMove() const { return trail_.empty() ? nullptr : &trail_.back().move; }
    // The move played at depth i (i < depth()), from the game's start.
    const Move &moveAt(std::size_t i) const { return trail_[i].move; }

    // The next move along the current choice; false at the end of the line (or
    // when the chosen variation has no move).
    bool forward();
    // Takes the last move back; from a variation's first move the cursor returns
    // to the line it branched from, before that variation's move. False at the
    // game's start.
    bool back();
    // The start and the end of the current line. On a variation its start is its
    // first move: one more Back leaves it.
    void home();
    void end();
    // Goes to path (a variation's path with played 0 stands at its branching
    // point on the line above). False, and the cursor where it was, when the
    // path leads nowhere.
    bool goTo(const GamePath &path);

    // The moves that can follow here: 0 at the end of the line, else 1 for the
    // line's own next move plus one per variation of it.
    std::size_t choices() const;
    // Which of them forward() takes: 0 the line's own move, k its variation k-1.
    // Back to 0 after every step.
    std::size_t choice() const { return choice_; }
    // Sets the choice; one past the last wraps to 0 and so on (Up / Down).
    void choose(std::size_t choice);
    void chooseNext();
    void choosePrevious();
    // The move choice k stands for, or null.
    const MoveNode *choiceMove(std::size_t k) const;

    enum class Played {
        Followed,      // the line's next move
        EnteredVariation, // a variation that starts with the move
        NewVariation,  // a variation made for it
        Extended,      // added at the end of the line
        Illegal,       // not a legal move here: nothing changed
        StoppedLine,   // the line goes on with a move that cannot be played
    };
    // Plays move (only its squares and promotion count) at the cursor.
    Played play(const Move &move);
    static bool took(Played p) { return p != Played::Illegal && p != Played::StoppedLine; }

    // Removes the variation whose path steps are steps (non-empty): its moves and
    // everything below them. A cursor inside it goes to its branching point.
    // False when steps lead nowhere.
    bool deleteVariation(const std::vector<PathStep> &steps);
    // The variation the cursor is on, if any.
    bool deleteVariation();
    // Cuts the cursor's line after its first `keep` moves (moves added after a
    // game's last one); a cursor beyond goes back to there. False when the line
    // is no longer than that.
    bool cutLine(std::size_t keep);
    // Makes the variation at steps the continuation of the line it branches
    // from; that line's old continuation becomes its first variation. The cursor
    // stays on the same position. False when steps lead nowhere.
    bool promote(const std::vector<PathStep> &steps);
    // Promotes the cursor's variation until it is the game's main line.
    bool promoteToMainLine();

    // "14. Bc5 Nf6 15. Nd2" : the moves of the cursor's variation up to the
    // cursor, with their numbers; the empty text on the main line. At most
    // maxMoves half-moves are written, the last ones, after "...".
    std::string variationText(std::size_t maxMoves = 16) const;
    // The same for the moves from depth `from` to the cursor, whatever lines
    // they lie on.
    std::string movesText(std::size_t from, std::size_t maxMoves = 16) const;

private:
    struct Played1 {
        Move move;
        Undo undo;
        std::string san; // a copy: the tree's nodes move when lines grow
    };
    void push(const MoveNode &node);
    void pop();
    // Back to the game's start.
    void rewind();
    Line &mutableLine();

    Game *game_;
    GamePath path_;
    Position position_;
    std::vector<Played1> trail_;
    std::size_t choice_ = 0;
};

// "14." or "14..." before a half-move played from position p.
std::string moveNumberText(const Position &p);

} // namespace quorvane::chess
