#include "logic/last_move.h"

#include "game/module1.h"

#include <string_view>

namespace quorvane {

namespace {

// CaseMoves reports a failure in a box; on a copy of one token nothing can fail
// that a user should hear about while merely looking at the board.
class SilentBox : public MessageBox {
public:
    void Show(const std::string &, int, const std::optional<std::string> &) override {}
};

struct KingMove {
    std::string_view castling;
    const char *whiteFrom, *whiteTo, *blackFrom, *blackTo;
};

constexpr KingMove kKingMoves[] = {
    {"o-o", "e1", "g1", "e8", "g8"},
    {"o-o-o", "e1", "c1", "e8", "c8"},
};

} // namespace

LastMoveSquares LastMoveOf(const ChsMain &form) {
    const std::int64_t n = form.Position() - 1;
    if (n < 0 || n >= form.lstFieldsList.ListCount())
        return {};
    // A scratch Module1, so that the record's own state is left alone; CaseMoves
    // decodes nothing while no file name is set.
    Module1 scratch;
    scratch.strFileName = "last move";
    scratch.varCurrentMove = form.lstFieldsList.List(n);
    SilentBox box;
    CaseMoves(scratch, box);
    std::string_view from = scratch.strFromSquare;
    std::string_view to = scratch.strToSquare;
    const bool white = n % 2 == 0;
    for (const KingMove &king : kKingMoves) {
        if (from == king.castling) {
            from = white ? king.whiteFrom : king.blackFrom;
            to = white ? king.whiteTo : king.blackTo;
            break;
        }
    }
    return {board::FindSquare(form.sqrSpace, from), board::FindSquare(form.sqrSpace, to)};
}

} // namespace quorvane
