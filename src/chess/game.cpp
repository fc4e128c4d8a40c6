// The game model's small services: tags, positions along the main line, and
// following a path into the variation tree.

#include "chess/game.h"

namespace quorvane::chess {

const std::string *Game::tag(std::string_view name) const {
    for (const TagPair &t : tags)
        if (t.name == name)
            return &t.value;
    return nullptr;
}

void Game::setTag(std::string_view name, std::string value) {
    for (TagPair &t : tags) {
        if (t.name == name) {
            t.value = std::move(value);
            return;
        }
    }
    tags.push_back({std::string(name), std::move(value)});
}

std::vector<Position> Game::mainLinePositions() const {
    std::vector<Position> positions;
    positions.reserve(mainLine.moves.size() + 1);
    positions.push_back(start);
    Position p = start;
    for (const MoveNode &node : mainLine.moves) {
        p.makeMove(node.move);
        positions.push_back(p);
    }
    return positions;
}

namespace {

// Walks the steps from the main line, playing the moves before each branch
// point onto *position when one is given.
template <class LineT>
LineT *followSteps(LineT &mainLine, const std::vector<PathStep> &steps, Position *position) {
    LineT *line = &mainLine;
    for (const PathStep &step : steps) {
        if (step.move >= line->moves.size())
            return nullptr;
        auto &node = line->moves[step.move];
        if (step.variation >= node.variations.size())
            return nullptr;
        if (position)
            for (std::size_t i = 0; i < step.move; ++i)
                position->makeMove(line->moves[i].move);
        line = &node.variations[step.variation];
    }
    return line;
}

} // namespace

const Line *Game::lineAt(const GamePath &path) const {
    return followSteps(mainLine, path.steps, nullptr);
}

Line *Game::lineAt(const GamePath &path) {
    return followSteps(mainLine, path.steps, nullptr);
}

std::optional<Position> Game::positionAt(const GamePath &path) const {
    Position p = start;
    const Line *line = followSteps(mainLine, path.steps, &p);
    if (!line || path.played > line->moves.size())
        return std::nullopt;
    for (std::size_t i = 0; i < path.played; ++i)
        p.makeMove(line->moves[i].move);
    return p;
}

std::string describeStop(const Position &lineStart, const LineStop &stop) {
    // A long run of garbage says no more than its start.
    // Counted in characters, so that a cut never splits one.
    constexpr std::size_t kShown = 30;
    std::size_t characters = 0, cut = 0;
    while (cut < stop.text.size() && characters < kShown) {
        ++cut;
        while (cut < stop.text.size() && (static_cast<unsigned char>(stop.text[cut]) & 0xC0) == 0x80)
            ++cut;
        ++characters;
    }
    const std::string text = cut < stop.text.size() ? stop.text.substr(0, cut) + "..." : stop.text;
    const bool whiteFirst = lineStart.sideToMove() == Color::White;
    const std::size_t ply = stop.index + (whiteFirst ? 0 : 1);
    const std::size_t moveNumber = static_cast<std::size_t>(lineStart.fullmoveNumber()) + ply / 2;
    const std::string number = std::to_string(moveNumber) + (ply % 2 == 0 ? ". " : "... ");
    return "half-move " + std::to_string(stop.index + 1) + " (" + number + text + "): " + stop.reason;
}

} // namespace quorvane::chess
