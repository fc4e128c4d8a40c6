// The half-move decoder and the stepping engine on any list of half-moves.
//
// Input: one half-move per line (LF), up to a line that is "@" alone; every byte
// after that line is a jump, the move-list line double-clicked being the byte
// taken modulo (lines + 1), minus one (so "no line selected" occurs too). Without
// an "@" line the jumps are drawn from a generator seeded by the input.
//
// Checked for every list: the position never leaves 0..count, whatever is
// stepped or jumped. And for a game that played soundly on the way forward, where
// every half-move was a normal move between two squares whose piece was found,
// a castling with king and rook at home and their squares free, or "end": every
// position is the same whichever way it is reached, and back at 0 the board is
// exactly the start position.

#include "fuzz_support.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using quorvane::ChsMain;
using quorvane::fuzz::Window;
namespace board = quorvane::board;

constexpr std::size_t kMaxJumps = 64;

struct Input {
    std::vector<std::string> tokens;
    std::vector<std::uint8_t> jumps;
    bool scripted = false;
};

Input Parse(const std::uint8_t *data, std::size_t size) {
    Input input;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t lf = text.find('\n', pos);
        const std::string_view line =
            text.substr(pos, lf == std::string_view::npos ? std::string_view::npos : lf - pos);
        pos = lf == std::string_view::npos ? text.size() : lf + 1;
        if (line == "@") {
            input.scripted = true;
            for (; pos < text.size() && input.jumps.size() < kMaxJumps; ++pos)
                input.jumps.push_back(static_cast<std::uint8_t>(text[pos]));
            break;
        }
        input.tokens.emplace_back(line);
    }
    if (!input.scripted) {
        std::uint64_t state = 0x9e3779b97f4a7c15ull ^ size;
        for (std::size_t i = 0; i < size; ++i)
            state = (state ^ data[i]) * 0x100000001b3ull;
        for (int i = 0; i < 16; ++i) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            input.jumps.push_back(static_cast<std::uint8_t>(state >> 24));
        }
    }
    return input;
}

// A digest of the whole board: Left, Top, Visible, Tag and Promoted of every piece.
std::uint64_t Digest(const ChsMain &form) {
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](const void *p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            h = (h ^ static_cast<const unsigned char *>(p)[i]) * 1099511628211ull;
    };
    for (const auto &piece : form.Image1) {
        mix(&piece.Left, sizeof piece.Left);
        mix(&piece.Top, sizeof piece.Top);
        mix(&piece.Visible, sizeof piece.Visible);
        const std::size_t n = piece.Tag.size();
        mix(&n, sizeof n);
        mix(piece.Tag.data(), n);
        mix(piece.Promoted.data(), piece.Promoted.size());
    }
    return h;
}

bool SameAsStart(const ChsMain &form) {
    const auto start = board::MakeStartPieces();
    for (std::size_t i = 0; i < start.size(); ++i) {
        const auto &a = form.Image1[i];
        const auto &b = start[i];
        if (a.Left != b.Left || a.Top != b.Top || a.Visible != b.Visible || a.Tag != b.Tag ||
            a.Promoted != b.Promoted)
            return false;
    }
    return true;
}

bool IsSquare(const ChsMain &form, const std::string &name) {
    return board::FindSquare(form.sqrSpace, name) >= 0;
}

// Whether the castling about to be played at half-move n finds king and rook
// at home and their new squares free.
bool CastlingIsSound(const ChsMain &form, const std::string &from, std::int64_t n) {
    const bool white = n % 2 == 0;
    const bool longSide = from == "o-o-o";
    const int king = white ? 4 : 27;
    const int rook = white ? (longSide ? 0 : 7) : (longSide ? 31 : 24);
    const std::string rank = white ? "1" : "8";
    const auto &k = form.Image1[static_cast<std::size_t>(king)];
    const auto &r = form.Image1[static_cast<std::size_t>(rook)];
    if (!k.Visible || !r.Visible || k.Tag != "e" + rank || r.Tag != (longSide ? "a" : "h") + rank)
        return false;
    for (const char *square : longSide ? std::vector<const char *>{"c", "d"} : std::vector<const char *>{"g", "f"})
        if (board::FindPiece(form.Image1, square + rank) >= 0)
            return false;
    return true;
}

void Jump(ChsMain &form, std::uint8_t choice) {
    const std::int64_t lines = form.lstMoveList.ListCount();
    form.lstMoveList.SetListIndex(static_cast<std::int64_t>(choice % (lines + 1)) - 1);
    form.lstMoveList_DblClick();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const Input input = Parse(data, size);
    Window w;
    ChsMain &form = w.form;
    auto &module = w.module;

    // As the loader leaves it: a file name, the half-moves, a numbered line for
    // every two of them.
    module.strFileName = "fuzz.txt";
    form.ResetBoard();
    for (const auto &token : input.tokens)
        form.lstFieldsList.AddItem(token);
    for (std::size_t i = 0; i < (input.tokens.size() + 1) / 2; ++i)
        form.lstMoveList.AddItem(std::to_string(i + 1) + ". " + input.tokens[2 * i]);
    form.FieldsPosition = 0;
    const std::int64_t count = form.lstFieldsList.ListCount();
    auto inRange = [&] { return form.FieldsPosition && *form.FieldsPosition >= 0 && *form.FieldsPosition <= count; };

    // Forward as far as Next goes, noting whether every half-move played soundly.
    std::vector<std::uint64_t> digests{Digest(form)};
    bool sound = true;
    for (std::int64_t n = 0; n < count; ++n) {
        const std::string &token = input.tokens[static_cast<std::size_t>(n)];
        // Decode first, as the step will, to judge the half-move before it plays.
        module.varCurrentMove = token;
        quorvane::CaseMoves(module, w.box);
        const std::string from = module.strFromSquare;
        const std::string to = module.strToSquare;
        if (token != "end") {
            if (from == "o-o" || from == "o-o-o")
                sound = sound && to.empty() && CastlingIsSound(form, from, n);
            else
                sound = sound && IsSquare(form, from) && IsSquare(form, to);
        }
        form.cmdNext_Click();
        QUORVANE_FUZZ_CHECK(inRange());
        if (form.Position() != n + 1) {
            // Not played: its piece was not found. Next tries it again, alone.
            QUORVANE_FUZZ_CHECK(form.Position() == n);
            sound = false;
            form.cmdNext_Click();
            QUORVANE_FUZZ_CHECK(form.Position() == n);
            break;
        }
        digests.push_back(Digest(form));
    }
    const bool reachedEnd = form.Position() == count;
    sound = sound && reachedEnd;

    // One more Next at the end changes nothing.
    if (reachedEnd) {
        const auto before = Digest(form);
        form.cmdNext_Click();
        QUORVANE_FUZZ_CHECK(form.Position() == count && Digest(form) == before);
    }

    // Jumps anywhere, in the order given.
    for (const std::uint8_t choice : input.jumps) {
        Jump(form, choice);
        QUORVANE_FUZZ_CHECK(inRange());
        if (sound)
            QUORVANE_FUZZ_CHECK(Digest(form) == digests[static_cast<std::size_t>(form.Position())]);
    }

    // Back to the start.
    while (form.Position() > 0) {
        const std::int64_t before = form.Position();
        form.cmdBack_Click();
        QUORVANE_FUZZ_CHECK(form.Position() == before - 1);
        if (sound)
            QUORVANE_FUZZ_CHECK(Digest(form) == digests[static_cast<std::size_t>(form.Position())]);
    }
    form.cmdBack_Click();
    QUORVANE_FUZZ_CHECK(form.Position() == 0);
    if (sound)
        QUORVANE_FUZZ_CHECK(SameAsStart(form));
    QUORVANE_FUZZ_CHECK(w.box.shown == 0);
    return 0;
}
