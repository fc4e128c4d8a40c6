#include "logic/move_rows.h"

namespace quorvane {

namespace {

// One line being written: where it is in the tree and how far. Lines are
// walked with an explicit stack, so a deep nest of variations costs no stack.
struct Frame {
    const chess::Line *line = nullptr;
    std::vector<chess::PathStep> steps;
    std::size_t startPly = 0; // half-moves from the game's start to the line's first move
    std::size_t depth = 0;
    std::size_t next = 0; // the next move to write
    // The moves before `next` are the game's own; and those before next - 1,
    // which the variations of move next - 1 start after.
    bool onGame = true;
    bool beforeLastOnGame = true;
    // Writing the variations of move next - 1: the next one to write.
    bool inVariations = false;
    std::size_t nextVariation = 0;
    std::optional<MoveRow> row; // the row being filled
    std::optional<std::size_t> lastRow; // the line's last row written, for its ")"
};

} // namespace

std::vector<MoveRow> moveRows(const chess::Game &game, const std::vector<chess::Move> &gameMoves,
                              std::size_t rowChars) {
    std::vector<MoveRow> rows;
    const std::size_t offset = game.whiteStarts() ? 0 : 1;
    const int firstNumber = game.start.fullmoveNumber();
    auto flush = [&rows](Frame &f) {
        if (!f.row)
            return;
        rows.push_back(std::move(*f.row));
        f.row.reset();
        f.lastRow = rows.size() - 1;
    };

    std::vector<Frame> stack;
    stack.push_back(Frame{.line = &game.mainLine});
    while (!stack.empty()) {
        Frame &f = stack.back();
        if (f.inVariations) {
            const chess::MoveNode &node = f.line->moves[f.next - 1];
            if (f.nextVariation < node.variations.size()) {
                const std::size_t v = f.nextVariation++;
                Frame child{.line = &node.variations[v],
                            .steps = f.steps,
                            .startPly = f.startPly + f.next - 1,
                            .depth = f.depth + 1,
                            .onGame = f.beforeLastOnGame};
                child.steps.push_back({f.next - 1, v});
                stack.push_back(std::move(child)); // f is not used after this
                continue;
            }
            f.inVariations = false;
        }
        if (f.next >= f.line->moves.size()) {
            flush(f);
            if (f.depth > 0 && f.lastRow)
                rows[*f.lastRow].text += ')';
            stack.pop_back();
            continue;
        }

        const std::size_t i = f.next;
        const chess::MoveNode &node = f.line->moves[i];
        const std::size_t ply = f.startPly + i;
        const bool white = (offset + ply) % 2 == 0;
        const int number = firstNumber + static_cast<int>((offset + ply) / 2);
        const bool onGame = f.onGame && ply < gameMoves.size() && node.move == gameMoves[ply];
        MoveToken token{.path = {f.steps, i + 1}, .san = node.san, .white = white};
        if (onGame)
            token.gamePly = ply + 1;

        if (f.depth == 0) {
            if (!f.row || white) {
                flush(f);
                f.row = MoveRow{.depth = 0, .moveNumber = number};
            }
            f.row->moves.push_back(std::move(token));
        } else {
            const std::string numberText = std::to_string(number) + (white ? "." : "...");
            auto piece = [&](bool first) { return (white || first ? numberText + ' ' : std::string()) + node.san; };
            if (f.row && !f.row->moves.empty() && f.row->text.size() + 1 + piece(false).size() > rowChars)
                flush(f); // on in the next row
            if (!f.row) {
                f.row = MoveRow{.depth = f.depth};
                if (!f.lastRow)
                    f.row->text = "(";
            }
            MoveRow &row = *f.row;
            const bool first = row.moves.empty();
            if (!first)
                row.text += ' ';
            token.begin = row.text.size();
            row.text += piece(first);
            token.end = row.text.size();
            row.moves.push_back(std::move(token));
        }
        f.beforeLastOnGame = f.onGame;
        f.onGame = onGame;
        ++f.next;
        if (!node.variations.empty()) {
            // They follow the move they are alternatives to; the line goes on after them.
            flush(f);
            f.inVariations = true;
            f.nextVariation = 0;
        }
    }
    return rows;
}

std::optional<std::pair<std::size_t, std::size_t>> findMove(const std::vector<MoveRow> &rows,
                                                            const chess::GamePath &path) {
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t t = 0; t < rows[r].moves.size(); ++t)
            if (rows[r].moves[t].path == path)
                return std::pair(r, t);
    return std::nullopt;
}

} // namespace quorvane
