#pragma once
// What an engine made of a game, kept with the game rather than in a widget:
// per position of the main line, the score from White's side, how deep it was
// searched, the best move and the line the engine expects. The graph, the
// review, the move lists and the annotated PGN all read this. It lives as long
// as its game is loaded; another game starts another.

#include "engine/uci.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::engine {

struct PositionEval {
    Score score;              // White's view
    int depth = 0;            // 0 when unknown
    std::int64_t nodes = 0;   // 0 when unknown
    std::string bestMove;     // UCI ("e2e4"); empty for none (mate, stalemate, unknown)
    std::vector<std::string> pv; // UCI, starting with bestMove when there is one
    friend bool operator==(const PositionEval &, const PositionEval &) = default;
};

class GameAnalysis {
public:
    GameAnalysis() = default;
    // positions = plies + 1: [0] is the start, [k] the position after k half-moves.
    explicit GameAnalysis(std::size_t positions, bool whiteStarts = true)
        : evals_(positions), whiteStarts_(whiteStarts) {}

    std::size_t size() const { return evals_.size(); }
    bool whiteStarts() const { return whiteStarts_; }
    const std::optional<PositionEval> &at(std::size_t index) const { return evals_[index]; }
    void set(std::size_t index, PositionEval eval) {
        evals_[index] = std::move(eval);
        ++revision_;
    }
    void clear(std::size_t index) {
        evals_[index].reset();
        ++revision_;
    }
    // How many positions have an evaluation.
    std::size_t known() const {
        std::size_t n = 0;
        for (const auto &e : evals_)
            n += e.has_value();
        return n;
    }
    bool complete() const { return !evals_.empty() && known() == evals_.size(); }
    // The scores alone, for the review and the graph.
    std::vector<std::optional<Score>> scores() const {
        std::vector<std::optional<Score>> s;
        s.reserve(evals_.size());
        for (const auto &e : evals_)
            s.push_back(e ? std::optional<Score>(e->score) : std::nullopt);
        return s;
    }
    // Forgets every evaluation.
    void clearAll() {
        for (auto &e : evals_)
            e.reset();
        ++revision_;
    }
    // The node budget per position the engine searched at; 0 when unknown (read
    // from the game's comments, or nothing searched yet). Evaluations of one
    // budget are not mixed with another's.
    std::int64_t budget() const { return budget_; }
    void setBudget(std::int64_t nodes) { budget_ = nodes; }
    // Goes up with every change, so views repaint only when something changed.
    std::uint64_t revision() const { return revision_; }

private:
    std::vector<std::optional<PositionEval>> evals_;
    bool whiteStarts_ = true;
    std::int64_t budget_ = 0;
    std::uint64_t revision_ = 0;
};

} // namespace quorvane::engine
