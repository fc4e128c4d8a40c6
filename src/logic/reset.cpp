#include "logic/chs_main.h"

namespace quorvane {

ChsMain::ChsMain(Module1 &module, FileDialog &dialog, MessageBox &box)
    : sqrSpace(board::MakeSquares()), Image1(board::MakeStartPieces()), CommonDialog1(dialog), m_(module),
      box_(box) {
    promotedAt_.fill(-1);
}

void ChsMain::ResetBoard() {
    // Every piece is put back whatever became of it; the order of the writes
    // follows the pieces' properties one by one.
    for (int i = 0; i < board::kPieceCount; ++i)
        Image1[static_cast<std::size_t>(i)].Left = static_cast<float>(board::StartLeft(i));
    for (int i = 0; i < board::kPieceCount; ++i)
        Image1[static_cast<std::size_t>(i)].Top = static_cast<float>(board::StartTop(i));
    for (int i = 0; i < board::kPieceCount; ++i)
        Image1[static_cast<std::size_t>(i)].Tag = board::kPieceSlots[static_cast<std::size_t>(i)].startSquare;
    for (auto &piece : Image1)
        piece.Visible = true;
    for (auto &piece : Image1)
        piece.Promoted.clear();
    promotedAt_.fill(-1);
    takenEnPassant_.fill(false);
    lstMoveList.Clear();
    lstFieldsList.Clear();
    lblBlackPlayer.Caption.clear();
    lblDate.Caption.clear();
    lblFileName.Caption.clear();
    lblWhitePlayer.Caption.clear();
}

} // namespace quorvane
