#pragma once
// How the board is shown: which way up, and whether the last move is marked.
// Only where the widgets are drawn changes; the logic's pieces and squares keep
// their designed places (rank 8 at the top), so everything that reads them
// works as before.

#include "logic/chs_main.h"
#include "logic/last_move.h"

#include <array>

class QLabel;

namespace quorvane::ui {

class SquaresWidget;

class BoardLayer {
public:
    // coordinates: the rank labels top to bottom, then the file labels left to right.
    BoardLayer(SquaresWidget &squares, const std::array<QLabel *, 16> &coordinates);

    // Flipped, rank 1 is at the top and file h at the left; the pieces stay upright.
    bool flipped() const { return flipped_; }
    void setFlipped(bool flipped);
    bool lastMoveShown() const { return lastMoveShown_; }
    void setLastMoveShown(bool shown) { lastMoveShown_ = shown; }

    // Where a piece standing at Left and Top (twips, as the logic has them) is drawn.
    float viewLeft(float left) const;
    float viewTop(float top) const;
    // Marks the squares of the logic's last half-move, or none.
    void showLastMove(const ChsMain &form);
    void showLastMove(const LastMoveSquares &last);

private:
    SquaresWidget &squares_;
    std::array<QLabel *, 16> coordinates_;
    bool flipped_ = false;
    bool lastMoveShown_ = true;
};

} // namespace quorvane::ui
