#include "logic/position_layout.h"

#include <optional>
#include <string>

namespace quorvane {

namespace {

PieceKind KindOf(chess::PieceType t) {
    switch (t) {
    case chess::PieceType::King: return PieceKind::King;
    case chess::PieceType::Queen: return PieceKind::Queen;
    case chess::PieceType::Rook: return PieceKind::Rook;
    case chess::PieceType::Bishop: return PieceKind::Bishop;
    case chess::PieceType::Knight: return PieceKind::Knight;
    default: return PieceKind::Pawn;
    }
}

const char *PromotedLetter(PieceKind k) {
    switch (k) {
    case PieceKind::Queen: return "Q";
    case PieceKind::Rook: return "R";
    case PieceKind::Bishop: return "B";
    case PieceKind::Knight: return "N";
    default: return "";
    }
}

} // namespace

int BoardSquareOf(int chessSquare) {
    return board::SquareIndex(chess::fileOf(chessSquare), 7 - chess::rankOf(chessSquare));
}

int ChessSquareOf(int boardSquare) {
    return chess::makeSquare(boardSquare % 8, 7 - boardSquare / 8);
}

void LayOutPosition(const chess::Position &position, std::array<ImageControl, board::kPieceCount> &pieces,
                    const std::array<ShapeControl, board::kSquareCount> &squares) {
    constexpr int kNone = -1;
    std::array<int, 64> slotOn;       // board square -> slot placed there
    std::array<bool, board::kPieceCount> used{};
    slotOn.fill(kNone);
    struct Wanted {
        PieceKind kind;
        bool white;
    };
    std::array<std::optional<Wanted>, 64> wanted; // board square -> piece standing there
    for (int sq = 0; sq < 64; ++sq)
        if (const auto p = position.pieceAt(sq))
            wanted[static_cast<std::size_t>(BoardSquareOf(sq))] = Wanted{KindOf(p->type), p->color == chess::Color::White};

    auto place = [&](int slot, int square, const std::string &promoted) {
        used[static_cast<std::size_t>(slot)] = true;
        slotOn[static_cast<std::size_t>(square)] = slot;
        auto &piece = pieces[static_cast<std::size_t>(slot)];
        const auto &shape = squares[static_cast<std::size_t>(square)];
        piece.Left = shape.Left();
        piece.Top = shape.Top();
        piece.Tag = shape.Tag();
        piece.Visible = true;
        piece.Promoted = promoted;
    };
    auto matches = [&](int slot, const Wanted &w, bool asShown) {
        const PieceSlot &s = board::kPieceSlots[static_cast<std::size_t>(slot)];
        const PieceKind kind = asShown ? board::ShownKind(slot, pieces[static_cast<std::size_t>(slot)]) : s.kind;
        return s.white == w.white && kind == w.kind;
    };

    // Slots that already show the right piece on its square stay.
    for (int slot = 0; slot < board::kPieceCount; ++slot) {
        const auto &piece = pieces[static_cast<std::size_t>(slot)];
        if (!piece.Visible)
            continue;
        const int square = board::FindSquare(squares, piece.Tag);
        if (square < 0 || slotOn[static_cast<std::size_t>(square)] != kNone)
            continue;
        const auto &w = wanted[static_cast<std::size_t>(square)];
        if (w && matches(slot, *w, true))
            place(slot, square, piece.Promoted);
    }
    // A piece on its slot's start square takes that slot.
    for (int slot = 0; slot < board::kPieceCount; ++slot) {
        if (used[static_cast<std::size_t>(slot)])
            continue;
        const int square = board::FindSquare(squares, board::kPieceSlots[static_cast<std::size_t>(slot)].startSquare);
        const auto &w = wanted[static_cast<std::size_t>(square)];
        if (slotOn[static_cast<std::size_t>(square)] == kNone && w && matches(slot, *w, false))
            place(slot, square, "");
    }
    // Then any free slot of the piece's kind, and last a pawn slot promoted.
    for (int pass = 0; pass < 2; ++pass) {
        for (int square = 0; square < 64; ++square) {
            const auto &w = wanted[static_cast<std::size_t>(square)];
            if (!w || slotOn[static_cast<std::size_t>(square)] != kNone)
                continue;
            for (int slot = 0; slot < board::kPieceCount; ++slot) {
                if (used[static_cast<std::size_t>(slot)])
                    continue;
                const PieceSlot &s = board::kPieceSlots[static_cast<std::size_t>(slot)];
                if (pass == 0 && matches(slot, *w, false)) {
                    place(slot, square, "");
                    break;
                }
                if (pass == 1 && s.white == w->white && s.kind == PieceKind::Pawn) {
                    place(slot, square, PromotedLetter(w->kind));
                    break;
                }
            }
        }
    }
    for (int slot = 0; slot < board::kPieceCount; ++slot) {
        if (used[static_cast<std::size_t>(slot)])
            continue;
        auto &piece = pieces[static_cast<std::size_t>(slot)];
        piece.Visible = false;
        piece.Tag.clear();
        piece.Promoted.clear();
    }
}

} // namespace quorvane
