#include "game/module1.h"
#include "platform/dialogs.h"
#include "platform/text.h"

#include <array>
#include <exception>
#include <string_view>

namespace quorvane {

void CaseMoves(Module1 &m, MessageBox &box) {
    if (m.strFileName.empty())
        return;
    try {
        const std::string token = m.varCurrentMove;
        // Castling with its check and mate marks; tried in this order, whole text,
        // exact and case-sensitive.
        struct Castling {
            std::string_view token;
            std::size_t kept;
        };
        static constexpr std::array<Castling, 6> kCastling{{
            {"o-o-o++", 5},
            {"o-o-o+", 5},
            {"o-o-o", 5},
            {"o-o++", 3},
            {"o-o+", 3},
            {"o-o", 3},
        }};
        if (token == "end")
            return;
        for (const auto &row : kCastling) {
            if (token == row.token) {
                m.strFromSquare = Mid(token, 1, row.kept);
                m.strToSquare.clear();
                return;
            }
        }
        // Anything else: the from-square is characters 1-2, the to-square 4-5; the
        // "-" or "x" between them and any "+" after them are not looked at.
        m.strFromSquare = Mid(token, 1, 2);
        m.strToSquare = Mid(token, 4, 2);
    } catch (const std::exception &) {
        box.Show("Error: Function CaseMoves()", vbOKOnly);
    }
}

} // namespace quorvane
