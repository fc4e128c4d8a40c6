#pragma once
// The whole-game pass: every position of one or more games evaluated at a fixed
// node budget by several engines side by side, each taking the next position
// nobody has taken yet. Results fill each game's GameAnalysis as they come, in
// whatever order the engines finish.
//
// The pass knows engines only as PassEngine slots and hears from them through
// the caller (info, bestMove, engineFailed), so the same scheduling runs under
// the command line's poll loop (runPass) and under the window's event loop.

#include "engine/game_analysis.h"
#include "engine/uci.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::engine {

// One engine as the pass uses it; the UCI client and the window's engine both fit.
class PassEngine {
public:
    virtual ~PassEngine() = default;
    // Starts a search; returns its id, which the engine's reports carry.
    virtual int analyse(const std::string &fen, std::int64_t nodes) = 0;
};

struct PassPosition {
    std::string fen;
    bool whiteToMove = true;
    // Set where the answer is known without asking an engine: the game is over
    // there, or the position was evaluated before.
    std::optional<PositionEval> known;
};

// A position's known evaluation from a score alone (a finished game's).
inline std::optional<PositionEval> knownEval(const std::optional<Score> &score) {
    if (!score)
        return std::nullopt;
    PositionEval eval;
    eval.score = *score;
    return eval;
}

class GamePass {
public:
    // A position whose search failed this often is given up (left unknown).
    static constexpr int kTries = 2;

    explicit GamePass(std::int64_t nodes) : nodes_(nodes) {}

    // The engines to use, one slot each; they start taking positions at once.
    void setEngines(std::vector<PassEngine *> engines);
    // Queues a game's positions behind those already queued; returns its index.
    std::size_t addGame(std::vector<PassPosition> positions);
    // Forgets every game (the engines' running searches are then ignored).
    void clear();

    // What engine slot said about search searchId.
    void info(std::size_t slot, int searchId, const UciInfo &info);
    void bestMove(std::size_t slot, int searchId, const std::string &move);
    // The slot's engine failed: its position goes back to the queue (or is
    // given up after kTries), and the slot takes nothing until engineBack.
    void engineFailed(std::size_t slot);
    // The slot's engine was started again and may take positions.
    void engineBack(std::size_t slot);

    std::int64_t nodes() const { return nodes_; }
    // The budget of the searches started from now on; clear first, so that no
    // result of the old budget is kept.
    void setNodes(std::int64_t nodes) { nodes_ = nodes; }
    std::size_t games() const { return games_.size(); }
    const GameAnalysis &analysis(std::size_t game) const { return games_[game].analysis; }
    GameAnalysis &analysis(std::size_t game) { return games_[game].analysis; }
    // Positions searched or known, of all games, and positions in all.
    std::size_t finished() const { return finished_; }
    std::size_t total() const { return jobs_.size(); }
    // Every position is evaluated, known, or given up.
    bool done() const { return finished_ == jobs_.size(); }
    // Positions given up after failed searches, as (game, position).
    const std::vector<std::pair<std::size_t, std::size_t>> &givenUp() const { return givenUp_; }
    // Positions still to do while every engine has failed: nobody searches them
    // until an engine is back.
    bool stalled() const;
    // The positions of game the pass cannot evaluate now, in order: those given
    // up, and while stalled every one not finished.
    std::vector<std::size_t> missing(std::size_t game) const;

    // Called after a position of a game got its evaluation (or was given up).
    std::function<void(std::size_t game, std::size_t position)> evaluated;

private:
    struct Job {
        std::size_t game;
        std::size_t position;
        int tries = 0;
        bool finished = false;
        bool givenUp = false;
    };
    struct Slot {
        PassEngine *engine = nullptr;
        bool alive = true;
        std::optional<std::size_t> job;
        int searchId = 0;
        // The search's result so far: the last line of the first multipv.
        std::optional<UciInfo> exact; // without a bound
        std::optional<UciInfo> bound; // a bound, used when no exact line came
    };
    struct GameEntry {
        std::vector<PassPosition> positions;
        GameAnalysis analysis;
    };
    void feed();                  // gives every idle slot the next queued position
    void finish(std::size_t job); // counts it and tells the caller

    std::int64_t nodes_;
    std::vector<Slot> slots_;
    std::vector<GameEntry> games_;
    std::vector<Job> jobs_;
    std::deque<std::size_t> queue_; // job indices, the next first
    std::size_t finished_ = 0;
    std::vector<std::pair<std::size_t, std::size_t>> givenUp_;
};

// Names positions for a sentence: "No evaluation for half-moves 12, 13 and 30",
// "... for the start position and half-moves 1 to 40" (three or more in a row
// are a range); empty for none.
std::string missingText(const std::vector<std::size_t> &positions);

// The position's evaluation from a search's last principal line and its
// bestmove; nothing when the line gave no score.
std::optional<PositionEval> evalFromSearch(const UciInfo &line, const std::string &bestMove, bool whiteToMove);

} // namespace quorvane::engine
