// View > Standard Notation: a record's move list in SAN or in the record's
// own squares. Only what the list shows changes; the hidden half-moves, the
// stepping and the record's data stay as read.

#include "logic/chs_main.h"

#include <string>
#include <vector>

namespace quorvane {

void ChsMain::ShowNotation() {
    // A PGN game's list is SAN already; an empty list has nothing to rewrite.
    if (LoadedGame() || lstFieldsList.ListCount() == 0)
        return;
    const int last = m_.intLastMoveLine;
    if (static_cast<std::size_t>(last) >= m_.arrMoveLines.size())
        return;
    const std::vector<chess::MoveNode> *moves = StandardNotation ? &ChessGame().mainLine.moves : nullptr;
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(last) + 1);
    for (int i = 0; i <= last; ++i) {
        std::string line = std::to_string(i + 1) + ". ";
        const auto white = static_cast<std::size_t>(2 * i);
        if (!moves || white >= moves->size()) {
            // Past the rules game's end (or the record's squares chosen): the
            // record's line as the designed list shows it.
            line.append(m_.arrMoveLines[static_cast<std::size_t>(i)]);
        } else {
            line.append((*moves)[white].san);
            const std::string &blackToken = lstFieldsList.List(static_cast<std::int64_t>(white) + 1);
            if (white + 1 < moves->size())
                line.append(" ").append((*moves)[white + 1].san);
            else if (!blackToken.empty())
                line.append(" ").append(blackToken);
        }
        lines.push_back(std::move(line));
    }
    if (lines == lstMoveList.Items())
        return;
    const std::int64_t selected = lstMoveList.ListIndex();
    lstMoveList.Clear();
    lstMoveList.Reserve(static_cast<std::int64_t>(lines.size()));
    for (std::string &line : lines)
        lstMoveList.AddItem(std::move(line));
    if (selected < lstMoveList.ListCount())
        lstMoveList.SetListIndex(selected);
}

} // namespace quorvane
