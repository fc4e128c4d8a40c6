#include "logic/position_text.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace quorvane {

std::string DescribePosition(const ChsMain &form) {
    static constexpr const char *kLetters[] = {"K", "Q", "R", "B", "N", ""};
    std::string text = form.Position() % 2 == 0 ? "White to move" : "Black to move";
    for (const bool white : {true, false}) {
        // King to pawns (the order of PieceKind), each kind from file a to h.
        std::vector<std::pair<PieceKind, const std::string *>> pieces;
        for (int slot = 0; slot < board::kPieceCount; ++slot) {
            const ImageControl &piece = form.Image1[static_cast<std::size_t>(slot)];
            if (piece.Visible && board::kPieceSlots[static_cast<std::size_t>(slot)].white == white)
                pieces.emplace_back(board::ShownKind(slot, piece), &piece.Tag);
        }
        std::sort(pieces.begin(), pieces.end(),
                  [](const auto &a, const auto &b) { return std::tie(a.first, *a.second) < std::tie(b.first, *b.second); });
        text += white ? "; White:" : "; Black:";
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            text += i == 0 ? " " : ", ";
            text += kLetters[static_cast<int>(pieces[i].first)];
            text += *pieces[i].second;
        }
        if (pieces.empty())
            text += " none";
    }
    return text;
}

} // namespace quorvane
