#include "ui/board_layer.h"

#include "logic/last_move.h"
#include "ui/board_view.h"

#include <QLabel>

namespace quorvane::ui {

namespace {

// Turning the board half round maps a place onto the one mirrored through the
// board's centre: the first file's left onto the last file's, and so on.
constexpr float kLeftSum = board::FileLeft(0) + board::FileLeft(7);
constexpr float kTopSum = board::RankTop(0) + board::RankTop(7);

QString coordinateText(int n, bool flipped) {
    if (n < 8)
        return QString::number(flipped ? n + 1 : 8 - n);
    const int file = n - 8;
    return QString(QChar(u'A' + (flipped ? 7 - file : file)));
}

} // namespace

BoardLayer::BoardLayer(SquaresWidget &squares, const std::array<QLabel *, 16> &coordinates)
    : squares_(squares), coordinates_(coordinates) {}

void BoardLayer::setFlipped(bool flipped) {
    flipped_ = flipped;
    for (int n = 0; n < 16; ++n)
        if (QLabel *label = coordinates_[static_cast<std::size_t>(n)])
            label->setText(coordinateText(n, flipped));
}

float BoardLayer::viewLeft(float left) const {
    return flipped_ ? kLeftSum - left : left;
}
float BoardLayer::viewTop(float top) const {
    return flipped_ ? kTopSum - top : top;
}

void BoardLayer::showLastMove(const ChsMain &form) { showLastMove(LastMoveOf(form)); }

void BoardLayer::showLastMove(const LastMoveSquares &last) {
    std::vector<int> cells;
    if (lastMoveShown_) {
        for (int square : {last.from, last.to})
            if (square >= 0)
                cells.push_back(flipped_ ? board::kSquareCount - 1 - square : square);
    }
    squares_.setOutlined(std::move(cells));
}

} // namespace quorvane::ui
