#include "engine/game_pass.h"

namespace quorvane::engine {

std::optional<PositionEval> evalFromSearch(const UciInfo &line, const std::string &bestMove, bool whiteToMove) {
    const auto score = whiteScore(line, whiteToMove);
    if (!score)
        return std::nullopt;
    PositionEval eval;
    eval.score = *score;
    eval.depth = line.depth.value_or(0);
    eval.nodes = line.nodes.value_or(0);
    if (bestMove != "(none)" && bestMove != "0000")
        eval.bestMove = bestMove;
    // The line is the engine's expectation from its best move on; one that
    // starts elsewhere (an older line than the move) is not kept.
    if (!line.pv.empty() && line.pv.front() == eval.bestMove)
        eval.pv = line.pv;
    else if (!eval.bestMove.empty())
        eval.pv = {eval.bestMove};
    return eval;
}

std::string missingText(const std::vector<std::size_t> &positions) {
    if (positions.empty())
        return {};
    std::vector<std::string> runs;
    std::size_t halfMoves = 0;
    for (std::size_t i = 0; i < positions.size();) {
        std::size_t j = i;
        while (j + 1 < positions.size() && positions[j + 1] == positions[j] + 1)
            ++j;
        std::size_t first = positions[i];
        if (first == 0)
            ++first; // the start position is named on its own
        if (first <= positions[j]) {
            halfMoves += positions[j] - first + 1;
            if (positions[j] - first >= 2) {
                runs.push_back(std::to_string(first) + " to " + std::to_string(positions[j]));
            } else {
                for (std::size_t k = first; k <= positions[j]; ++k)
                    runs.push_back(std::to_string(k));
            }
        }
        i = j + 1;
    }
    std::string text = "No evaluation for ";
    if (positions.front() == 0)
        text += halfMoves ? "the start position and " : "the start position";
    if (halfMoves) {
        text += halfMoves == 1 ? "half-move " : "half-moves ";
        for (std::size_t r = 0; r < runs.size(); ++r) {
            if (r > 0)
                text += r + 1 == runs.size() ? " and " : ", ";
            text += runs[r];
        }
    }
    return text;
}

bool GamePass::stalled() const {
    if (done())
        return false;
    for (const Slot &slot : slots_)
        if (slot.alive && slot.engine)
            return false;
    return true;
}

std::vector<std::size_t> GamePass::missing(std::size_t game) const {
    std::vector<std::size_t> out;
    if (game >= games_.size())
        return out;
    const bool stuck = stalled();
    for (const Job &job : jobs_) {
        if (job.game != game)
            continue;
        if (job.givenUp || (stuck && !job.finished))
            out.push_back(job.position);
    }
    return out;
}

void GamePass::setEngines(std::vector<PassEngine *> engines) {
    slots_.clear();
    for (PassEngine *engine : engines)
        slots_.push_back(Slot{.engine = engine});
    feed();
}

std::size_t GamePass::addGame(std::vector<PassPosition> positions) {
    const std::size_t game = games_.size();
    const bool whiteStarts = positions.empty() || positions.front().whiteToMove;
    games_.push_back({std::move(positions), GameAnalysis(0, whiteStarts)});
    GameEntry &entry = games_.back();
    entry.analysis = GameAnalysis(entry.positions.size(), whiteStarts);
    std::vector<std::size_t> known;
    for (std::size_t i = 0; i < entry.positions.size(); ++i) {
        jobs_.push_back({game, i});
        if (entry.positions[i].known) {
            entry.analysis.set(i, *entry.positions[i].known);
            known.push_back(jobs_.size() - 1);
        } else {
            queue_.push_back(jobs_.size() - 1);
        }
    }
    for (std::size_t job : known)
        finish(job);
    feed();
    return game;
}

void GamePass::clear() {
    games_.clear();
    jobs_.clear();
    queue_.clear();
    finished_ = 0;
    givenUp_.clear();
    for (Slot &slot : slots_) {
        slot.job.reset();
        slot.exact.reset();
        slot.bound.reset();
    }
}

void GamePass::info(std::size_t slot, int searchId, const UciInfo &line) {
    if (slot >= slots_.size())
        return;
    Slot &s = slots_[slot];
    if (!s.job || searchId != s.searchId || line.multipv != 1 || !line.hasScore())
        return;
    if (line.lowerbound || line.upperbound)
        s.bound = line;
    else
        s.exact = line;
}

void GamePass::bestMove(std::size_t slot, int searchId, const std::string &move) {
    if (slot >= slots_.size())
        return;
    Slot &s = slots_[slot];
    if (!s.job || searchId != s.searchId)
        return;
    const std::size_t job = *s.job;
    s.job.reset();
    const Job &j = jobs_[job];
    const PassPosition &position = games_[j.game].positions[j.position];
    const std::optional<UciInfo> &line = s.exact ? s.exact : s.bound;
    if (line) {
        if (auto eval = evalFromSearch(*line, move, position.whiteToMove))
            games_[j.game].analysis.set(j.position, std::move(*eval));
    }
    s.exact.reset();
    s.bound.reset();
    finish(job);
    feed();
}

void GamePass::engineFailed(std::size_t slot) {
    if (slot >= slots_.size())
        return;
    Slot &s = slots_[slot];
    s.alive = false;
    s.exact.reset();
    s.bound.reset();
    if (!s.job)
        return;
    const std::size_t job = *s.job;
    s.job.reset();
    if (++jobs_[job].tries >= kTries) {
        jobs_[job].givenUp = true;
        givenUp_.emplace_back(jobs_[job].game, jobs_[job].position);
        finish(job);
    } else {
        queue_.push_front(job);
    }
    feed();
}

void GamePass::engineBack(std::size_t slot) {
    if (slot >= slots_.size())
        return;
    slots_[slot].alive = true;
    feed();
}

void GamePass::feed() {
    for (std::size_t i = 0; i < slots_.size() && !queue_.empty(); ++i) {
        Slot &slot = slots_[i];
        if (!slot.alive || slot.job || !slot.engine)
            continue;
        const std::size_t job = queue_.front();
        queue_.pop_front();
        slot.job = job;
        slot.exact.reset();
        slot.bound.reset();
        const Job &j = jobs_[job];
        // analyse may report at once (a client that fails on the spot), so
        // the slot is set up before it is called.
        slot.searchId = -1;
        const int id = slot.engine->analyse(games_[j.game].positions[j.position].fen, nodes_);
        if (slot.job == job)
            slot.searchId = id;
    }
}

void GamePass::finish(std::size_t job) {
    Job &j = jobs_[job];
    if (j.finished)
        return;
    j.finished = true;
    ++finished_;
    if (evaluated)
        evaluated(j.game, j.position);
}

} // namespace quorvane::engine
