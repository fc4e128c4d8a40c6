// Walking a game's tree and growing it with the user's moves. The cursor's own
// record of the moves it stands after (trail_) is the one source of its
// position: stepping plays or takes back one move, and changing the tree above
// the cursor only renames its path, since the moves that lead to it stay the same.

#include "chess/game_cursor.h"

#include <algorithm>
#include <iterator>

namespace quorvane::chess {

namespace {

// The steps' prefix of n entries equals prefix.
bool startsWith(const std::vector<PathStep> &steps, const std::vector<PathStep> &prefix, std::size_t n) {
    if (steps.size() < n || prefix.size() < n)
        return false;
    return std::equal(prefix.begin(), prefix.begin() + static_cast<std::ptrdiff_t>(n), steps.begin());
}

std::size_t plyOf(const Position &p) {
    const std::size_t full = p.fullmoveNumber() > 0 ? static_cast<std::size_t>(p.fullmoveNumber()) : 1;
    return 2 * full + (p.sideToMove() == Color::Black ? 1 : 0);
}

} // namespace

std::string moveNumberText(const Position &p) {
    return std::to_string(p.fullmoveNumber()) + (p.sideToMove() == Color::White ? "." : "...");
}

GameCursor::GameCursor(Game &game) : game_(&game), position_(game.start) {}

const Line &GameCursor::line() const {
    // The cursor's path always leads somewhere: every change of the tree renames it.
    return *game_->lineAt(path_);
}

Line &GameCursor::mutableLine() {
    return *game_->lineAt(path_);
}

void GameCursor::push(const MoveNode &node) {
    Played1 entry{node.move, {}, node.san};
    position_.makeMove(node.move, entry.undo);
    trail_.push_back(entry);
}

void GameCursor::pop() {
    position_.undoMove(trail_.back().move, trail_.back().undo);
    trail_.pop_back();
}

void GameCursor::rewind() {
    while (!trail_.empty())
        pop();
    path_ = {};
    choice_ = 0;
}

bool GameCursor::forward() {
    const Line &current = line();
    if (path_.played >= current.moves.size())
        return false;
    const MoveNode &next = current.moves[path_.played];
    if (choice_ == 0) {
        push(next);
        ++path_.played;
    } else {
        const Line &variation = next.variations[choice_ - 1];
        if (variation.moves.empty())
            return false;
        path_.steps.push_back({path_.played, choice_ - 1});
        path_.played = 1;
        push(variation.moves.front());
    }
    choice_ = 0;
    return true;
}

bool GameCursor::back() {
    if (trail_.empty())
        return false;
    pop();
    if (path_.played > 1 || path_.onMainLine()) {
        --path_.played;
    } else {
        // The variation's first move taken back: the branching point, on the
        // line above, with this variation chosen so Next re-enters it.
        const PathStep left = path_.steps.back();
        path_.steps.pop_back();
        path_.played = left.move;
        choice_ = left.variation + 1;
        return true;
    }
    choice_ = 0;
    return true;
}

void GameCursor::home() {
    const std::size_t first = path_.onMainLine() ? 0 : 1;
    while (path_.played > first)
        back();
    choice_ = 0;
}

void GameCursor::end() {
    const Line &current = line();
    choice_ = 0;
    while (path_.played < current.moves.size()) {
        push(current.moves[path_.played]);
        ++path_.played;
    }
}

bool GameCursor::goTo(const GamePath &wanted) {
    const Line *targetLine = game_->lineAt(wanted);
    if (!targetLine || wanted.played > targetLine->moves.size())
        return false;
    // A variation before its first move is its branching point above.
    GamePath target = wanted;
    while (!target.onMainLine() && target.played == 0) {
        target.played = target.steps.back().move;
        target.steps.pop_back();
    }
    rewind();
    const Line *walking = &game_->mainLine;
    for (const PathStep &step : target.steps) {
        for (std::size_t i = 0; i < step.move; ++i)
            push(walking->moves[i]);
        walking = &walking->moves[step.move].variations[step.variation];
    }
    for (std::size_t i = 0; i < target.played; ++i)
        push(walking->moves[i]);
    path_ = target;
    return true;
}

std::size_t GameCursor::choices() const {
    const Line &current = line();
    if (path_.played >= current.moves.size())
        return 0;
    return 1 + current.moves[path_.played].variations.size();
}

void GameCursor::choose(std::size_t k) {
    const std::size_t n = choices();
    choice_ = n == 0 ? 0 : k % n;
}

void GameCursor::chooseNext() {
    choose(choice_ + 1);
}

void GameCursor::choosePrevious() {
    const std::size_t n = choices();
    if (n != 0)
        choose(choice_ == 0 ? n - 1 : choice_ - 1);
}

const MoveNode *GameCursor::choiceMove(std::size_t k) const {
    const Line &current = line();
    if (path_.played >= current.moves.size())
        return nullptr;
    const MoveNode &next = current.moves[path_.played];
    if (k == 0)
        return &next;
    if (k - 1 >= next.variations.size() || next.variations[k - 1].moves.empty())
        return nullptr;
    return &next.variations[k - 1].moves.front();
}

GameCursor::Played GameCursor::play(const Move &wanted) {
    // The generator's own move, so that its flags (castling, en passant) are right.
    MoveList legal;
    position_.generateLegalMoves(legal);
    const Move *found = std::find(legal.begin(), legal.end(), wanted);
    if (found == legal.end())
        return Played::Illegal;
    const Move move = *found;

    Line &current = mutableLine();
    if (path_.played >= current.moves.size()) {
        if (current.stop)
            return Played::StoppedLine;
        MoveNode node;
        node.move = move;
        node.san = position_.toSan(move);
        current.moves.push_back(std::move(node));
        push(current.moves.back());
        ++path_.played;
        choice_ = 0;
        return Played::Extended;
    }
    MoveNode &next = current.moves[path_.played];
    if (next.move == move) {
        choice_ = 0;
        forward();
        return Played::Followed;
    }
    for (std::size_t v = 0; v < next.variations.size(); ++v) {
        const Line &variation = next.variations[v];
        if (!variation.moves.empty() && variation.moves.front().move == move) {
            choice_ = v + 1;
            forward();
            return Played::EnteredVariation;
        }
    }
    Line variation;
    MoveNode node;
    node.move = move;
    node.san = position_.toSan(move);
    variation.moves.push_back(std::move(node));
    next.variations.push_back(std::move(variation));
    choice_ = next.variations.size();
    forward();
    return Played::NewVariation;
}

bool GameCursor::deleteVariation(const std::vector<PathStep> &steps) {
    if (steps.empty())
        return false;
    const std::size_t n = steps.size();
    const PathStep target = steps.back();
    const GamePath parentPath{{steps.begin(), steps.end() - 1}, 0};
    Line *parent = game_->lineAt(parentPath);
    if (!parent || target.move >= parent->moves.size() ||
        target.variation >= parent->moves[target.move].variations.size())
        return false;

    if (startsWith(path_.steps, steps, n)) {
        // Inside it: out to its branching point, which the trail reaches by
        // taking back the moves below it.
        std::size_t branchDepth = target.move;
        for (const PathStep &s : parentPath.steps)
            branchDepth += s.move;
        while (trail_.size() > branchDepth)
            pop();
        path_ = parentPath;
        path_.played = target.move;
        choice_ = 0;
    } else if (startsWith(path_.steps, parentPath.steps, n - 1) && path_.steps.size() >= n &&
               path_.steps[n - 1].move == target.move && path_.steps[n - 1].variation > target.variation) {
        --path_.steps[n - 1].variation;
    } else if (path_.steps == parentPath.steps && path_.played == target.move) {
        choice_ = 0;
    }
    auto &variations = parent->moves[target.move].variations;
    variations.erase(variations.begin() + static_cast<std::ptrdiff_t>(target.variation));
    return true;
}

bool GameCursor::deleteVariation() {
    return deleteVariation(path_.steps);
}

bool GameCursor::cutLine(std::size_t keep) {
    if (keep >= line().moves.size())
        return false;
    while (path_.played > keep)
        back();
    Line &current = mutableLine();
    current.moves.erase(current.moves.begin() + static_cast<std::ptrdiff_t>(keep), current.moves.end());
    choice_ = 0;
    return true;
}

bool GameCursor::promote(const std::vector<PathStep> &steps) {
    if (steps.empty())
        return false;
    const std::size_t n = steps.size();
    const std::size_t i = steps.back().move;
    const std::size_t v = steps.back().variation;
    const std::vector<PathStep> p(steps.begin(), steps.end() - 1);
    Line *line = game_->lineAt(GamePath{p, 0});
    if (!line || i >= line->moves.size() || v >= line->moves[i].variations.size() ||
        line->moves[i].variations[v].moves.empty())
        return false;

    // The tree: L[0..i) + variation, and at the new move i the old continuation
    // first, then the other alternatives of the old move i, then those of the
    // variation's own first move.
    Line promoted = std::move(line->moves[i].variations[v]);
    std::vector<Line> siblings = std::move(line->moves[i].variations);
    siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(v));
    const std::size_t siblingCount = siblings.size();

    Line oldContinuation;
    oldContinuation.moves.assign(std::make_move_iterator(line->moves.begin() + static_cast<std::ptrdiff_t>(i)),
                                 std::make_move_iterator(line->moves.end()));
    oldContinuation.moves.front().variations.clear();
    oldContinuation.stop = std::move(line->stop);
    line->moves.resize(i);
    line->moves.insert(line->moves.end(), std::make_move_iterator(promoted.moves.begin()),
                       std::make_move_iterator(promoted.moves.end()));
    line->stop = std::move(promoted.stop);
    if (line->stop)
        line->stop->index += i;
    if (oldContinuation.stop)
        oldContinuation.stop->index -= i;

    MoveNode &head = line->moves[i];
    std::vector<Line> alternatives;
    alternatives.reserve(1 + siblingCount + head.variations.size());
    alternatives.push_back(std::move(oldContinuation));
    std::move(siblings.begin(), siblings.end(), std::back_inserter(alternatives));
    std::move(head.variations.begin(), head.variations.end(), std::back_inserter(alternatives));
    head.variations = std::move(alternatives);

    // The cursor's path in the new tree; the moves leading to it are the same.
    std::vector<PathStep> &c = path_.steps;
    if (c.size() == n - 1 && startsWith(c, p, n - 1)) {
        if (path_.played > i) {
            c.push_back({i, 0});
            path_.played -= i;
        }
    } else if (c.size() >= n && startsWith(c, p, n - 1)) {
        const PathStep t = c[n - 1];
        if (t.move > i) {
            c[n - 1] = {i, 0};
            c.insert(c.begin() + static_cast<std::ptrdiff_t>(n), PathStep{t.move - i, t.variation});
        } else if (t.move == i && t.variation == v) {
            c.erase(c.begin() + static_cast<std::ptrdiff_t>(n - 1));
            if (c.size() == n - 1) {
                path_.played += i;
            } else {
                PathStep &r = c[n - 1];
                if (r.move == 0)
                    r = {i, 1 + siblingCount + r.variation};
                else
                    r.move += i;
            }
        } else if (t.move == i) {
            c[n - 1].variation = 1 + (t.variation < v ? t.variation : t.variation - 1);
        }
    }
    choice_ = 0;
    return true;
}

bool GameCursor::promoteToMainLine() {
    if (path_.onMainLine())
        return false;
    while (!path_.onMainLine())
        if (!promote(path_.steps))
            return false;
    return true;
}

std::string GameCursor::variationText(std::size_t maxMoves) const {
    if (path_.onMainLine())
        return {};
    return movesText(trail_.size() - path_.played, maxMoves);
}

std::string GameCursor::movesText(std::size_t from, std::size_t maxMoves) const {
    const std::size_t depth = trail_.size();
    if (from >= depth)
        return {};
    const std::size_t first = depth - from > maxMoves ? depth - maxMoves : from;
    const std::size_t startPly = plyOf(position_) - depth;
    std::string text = first > from ? "... " : "";
    for (std::size_t j = first; j < depth; ++j) {
        const std::size_t ply = startPly + j;
        if (j > first)
            text += ' ';
        if (ply % 2 == 0)
            text += std::to_string(ply / 2) + ". ";
        else if (j == first)
            text += std::to_string(ply / 2) + "... ";
        text += trail_[j].san;
    }
    return text;
}

} // namespace quorvane::chess
