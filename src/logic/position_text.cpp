#include "logic/position_text.h"

namespace quorvane {

std::string DescribePosition(const ChsMain &form) {
    static constexpr const char *kLetters[] = {"K", "Q", "R", "B", "N", ""};
    static constexpr PieceKind kOrder[] = {PieceKind::King,   PieceKind::Queen,  PieceKind::Rook,
                                           PieceKind::Bishop, PieceKind::Knight, PieceKind::Pawn};
    std::string text = form.Position() % 2 == 0 ? "White to move" : "Black to move";
    for (const bool white : {true, false}) {
        text += white ? "; White:" : "; Black:";
        bool first = true;
        for (const PieceKind kind : kOrder) {
            for (int slot = 0; slot < board::kPieceCount; ++slot) {
                const ImageControl &piece = form.Image1[static_cast<std::size_t>(slot)];
                if (!piece.Visible || board::kPieceSlots[static_cast<std::size_t>(slot)].white != white ||
                    board::ShownKind(slot, piece) != kind)
                    continue;
                text += first ? " " : ", ";
                first = false;
                text += kLetters[static_cast<int>(kind)];
                text += piece.Tag;
            }
        }
        if (first)
            text += " none";
    }
    return text;
}

} // namespace quorvane
