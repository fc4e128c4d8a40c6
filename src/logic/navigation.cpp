#include "logic/chs_main.h"

namespace quorvane {

void ChsMain::HighlightMoveLine() {
    const std::int64_t played = Position();
    if (played % 2 != 0 && played / 2 < lstMoveList.ListCount())
        lstMoveList.SetSelected(played / 2, true);
}

void ChsMain::cmdNext_Click() {
    StepForward();
    HighlightMoveLine();
}

void ChsMain::cmdBack_Click() {
    StepBack();
    HighlightMoveLine();
}

void ChsMain::lstMoveList_DblClick() {
    // Target: the chosen line's Black half-move. Wide arithmetic, so that any
    // line of the longest record can be reached.
    const std::int64_t t = 2 * lstMoveList.ListIndex() + 1;
    const std::int64_t played = Position();
    if (t == played) {
        StepForward();
    } else if (t < played) {
        const std::int64_t c = played - t - 1; // fixed before the first step
        for (std::int64_t i = 0; i < c; ++i)
            StepBack();
    } else {
        const std::int64_t c = t - played + 1;
        for (std::int64_t i = 0; i < c; ++i)
            StepForward();
    }
}

void ChsMain::lstMoveList_KeyPress(int &keyAscii) {
    if (keyAscii == 13)
        lstMoveList_DblClick();
}

} // namespace quorvane
