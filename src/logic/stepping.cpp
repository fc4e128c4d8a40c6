#include "logic/chs_main.h"

#include <cctype>
#include <cmath>
#include <string>

namespace quorvane {

namespace {

// The two moves of one castling: king and rook slots with their new file and Tag.
struct CastlingMove {
    int king;
    float kingLeft;
    const char *kingTag;
    int rook;
    float rookLeft;
    const char *rookTag;
};

enum CastlingRow { WhiteLong, BlackLong, WhiteShort, BlackShort };

constexpr CastlingMove kCastleForward[] = {
    {4, 2280, "c1", 0, 3120, "d1"},
    {27, 2280, "c8", 31, 3120, "d8"},
    {4, 5640, "g1", 7, 4800, "f1"},
    {27, 5640, "g8", 24, 4800, "f8"},
};

constexpr CastlingMove kCastleBack[] = {
    {4, 3960, "e1", 0, 600, "a1"},
    {27, 3960, "e8", 31, 600, "a8"},
    {4, 3960, "e1", 7, 6480, "h1"},
    {27, 3960, "e8", 24, 6480, "h8"},
};

// The castling row for a decoded from-square and the half-move's index (even:
// White), or -1 for a normal half-move.
int CastlingRowOf(const std::string &from, std::int64_t n) {
    const bool white = n % 2 == 0;
    if (from == "o-o-o")
        return white ? WhiteLong : BlackLong;
    if (from == "o-o")
        return white ? WhiteShort : BlackShort;
    return -1;
}

void Castle(std::array<ImageControl, board::kPieceCount> &pieces, const CastlingMove &c) {
    auto &king = pieces[static_cast<std::size_t>(c.king)];
    auto &rook = pieces[static_cast<std::size_t>(c.rook)];
    king.Left = c.kingLeft;
    king.Tag = c.kingTag;
    rook.Left = c.rookLeft;
    rook.Tag = c.rookTag;
}

bool IsSquareName(const std::string &name) {
    return name.size() == 2 && name[0] >= 'a' && name[0] <= 'h' && name[1] >= '1' && name[1] <= '8';
}

// A pawn's own piece, not promoted.
bool IsPlainPawn(const ImageControl &piece, int slot) {
    return board::kPieceSlots[static_cast<std::size_t>(slot)].kind == PieceKind::Pawn && piece.Promoted.empty();
}

// The square of the pawn a pawn of this colour passes when it goes from -> to
// as an en passant capture (one file aside, from its fifth rank to its sixth),
// or the empty text when the step is not of that shape.
std::string EnPassantVictimSquare(const std::string &from, const std::string &to, bool white) {
    if (!IsSquareName(from) || !IsSquareName(to))
        return {};
    const int fileStep = to[0] - from[0];
    const char fifth = white ? '5' : '4';
    const char sixth = white ? '6' : '3';
    if ((fileStep != 1 && fileStep != -1) || from[1] != fifth || to[1] != sixth)
        return {};
    return {to[0], from[1]};
}

// The letter of the piece a promotion token names after "=", a queen when it
// names none.
std::string PromotionLetter(const std::string &token) {
    const auto eq = token.find('=');
    if (eq != std::string::npos && eq + 1 < token.size()) {
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(token[eq + 1])));
        if (letter == 'Q' || letter == 'R' || letter == 'B' || letter == 'N')
            return {letter};
    }
    return "Q";
}

} // namespace

bool ChsMain::LoadNextMove() {
    const std::int64_t count = lstFieldsList.ListCount();
    if (FieldsPosition && *FieldsPosition < 0)
        FieldsPosition = 0;
    if (Position() >= count)
        return false;
    m_.varCurrentMove = lstFieldsList.List(Position());
    return true;
}

void ChsMain::FindSquare(const std::string &name) {
    const int i = board::FindSquare(sqrSpace, name);
    if (i < 0)
        return;
    const auto &square = sqrSpace[static_cast<std::size_t>(i)];
    intLeft = square.Left();
    intTop = static_cast<std::int32_t>(std::nearbyint(square.Top())); // halves to even
}

void ChsMain::FindToSquare() { FindSquare(m_.strToSquare); }
void ChsMain::FindFromSquare() { FindSquare(m_.strFromSquare); }

void ChsMain::StepForward() {
    if (!LoadNextMove())
        return;
    const std::int64_t n = Position();
    CaseMoves(m_, box_);
    // "end" closes some records: it plays nothing, and the squares decoded for
    // the half-move before must not be applied again.
    if (m_.varCurrentMove == "end") {
        FieldsPosition = n + 1;
        return;
    }
    FindToSquare();
    const int row = CastlingRowOf(m_.strFromSquare, n);
    if (row >= 0) {
        Castle(Image1, kCastleForward[row]);
    } else {
        // Capture before move, so the two searches never find each other's piece.
        const int captured = board::FindPiece(Image1, m_.strToSquare);
        std::string capturedTag;
        if (captured >= 0) {
            auto &piece = Image1[static_cast<std::size_t>(captured)];
            piece.Visible = false;
            capturedTag = std::move(piece.Tag);
            piece.Tag = std::to_string(n);
        }
        const int mover = board::FindPiece(Image1, m_.strFromSquare);
        if (mover < 0) {
            // Not played. Undo the capture now: no Back would ever reach its
            // mark, and the piece would be lost until the next open.
            if (captured >= 0) {
                auto &piece = Image1[static_cast<std::size_t>(captured)];
                piece.Visible = true;
                piece.Tag = std::move(capturedTag);
            }
            return;
        }
        auto &piece = Image1[static_cast<std::size_t>(mover)];
        const bool white = board::kPieceSlots[static_cast<std::size_t>(mover)].white;
        if (captured < 0 && IsPlainPawn(piece, mover)) {
            // En passant: the pawn passed stands beside the from-square, not on
            // the to-square, so the plain capture above did not find it.
            const std::string passed = EnPassantVictimSquare(m_.strFromSquare, m_.strToSquare, white);
            const int victim = passed.empty() ? -1 : board::FindPiece(Image1, passed);
            if (victim >= 0 && IsPlainPawn(Image1[static_cast<std::size_t>(victim)], victim) &&
                board::kPieceSlots[static_cast<std::size_t>(victim)].white != white) {
                auto &taken = Image1[static_cast<std::size_t>(victim)];
                taken.Visible = false;
                taken.Tag = std::to_string(n);
                takenEnPassant_[static_cast<std::size_t>(victim)] = true;
            }
        }
        if (IsPlainPawn(piece, mover) && IsSquareName(m_.strToSquare) && m_.strToSquare[1] == (white ? '8' : '1')) {
            piece.Promoted = PromotionLetter(m_.varCurrentMove);
            promotedAt_[static_cast<std::size_t>(mover)] = n;
        }
        piece.Left = intLeft;
        piece.Top = static_cast<float>(intTop);
        piece.Tag = m_.strToSquare;
    }
    FieldsPosition = n + 1;
}

void ChsMain::StepBack() {
    if (Position() <= 0)
        return;
    const std::int64_t n = Position() - 1;
    FieldsPosition = n;
    // After a failed open the list is empty while the count goes on down.
    if (n >= lstFieldsList.ListCount())
        return;
    m_.varCurrentMove = lstFieldsList.List(n);
    CaseMoves(m_, box_);
    if (m_.varCurrentMove == "end")
        return;
    FindFromSquare();
    const int row = CastlingRowOf(m_.strFromSquare, n);
    if (row >= 0) {
        Castle(Image1, kCastleBack[row]);
        return;
    }
    // Move back before restoring, so the moving piece gives up the to-square
    // name before the captured piece takes it again.
    const int mover = board::FindPiece(Image1, m_.strToSquare);
    if (mover >= 0) {
        auto &piece = Image1[static_cast<std::size_t>(mover)];
        piece.Left = intLeft;
        piece.Top = static_cast<float>(intTop);
        piece.Tag = m_.strFromSquare;
        if (promotedAt_[static_cast<std::size_t>(mover)] == n) {
            piece.Promoted.clear();
            promotedAt_[static_cast<std::size_t>(mover)] = -1;
        }
    }
    const int restored = board::FindPiece(Image1, std::to_string(n));
    if (restored >= 0) {
        auto &piece = Image1[static_cast<std::size_t>(restored)];
        piece.Visible = true;
        if (takenEnPassant_[static_cast<std::size_t>(restored)]) {
            // Back beside the capturing pawn: the to-square's file, the from-square's rank.
            piece.Tag = {m_.strToSquare[0], m_.strFromSquare[1]};
            takenEnPassant_[static_cast<std::size_t>(restored)] = false;
        } else {
            piece.Tag = m_.strToSquare;
        }
    }
}

} // namespace quorvane
