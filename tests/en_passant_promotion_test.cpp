// En passant and promotion on the board: forward, back and across jumps.

#include "test_support.h"

#include "chess/record_game.h"

#include <gtest/gtest.h>

#include <map>

namespace quorvane {
namespace {

using testing::Harness;
using testing::Snapshot;

// A record of these half-moves, two to a numbered line.
std::string RecordOf(const std::vector<std::string> &tokens) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < tokens.size(); i += 2)
        lines.push_back(std::to_string(i / 2 + 1) + ". " + tokens[i] + (i + 1 < tokens.size() ? " " + tokens[i + 1] : ""));
    return testing::MakeRecord(lines);
}

struct Expected {
    int slot;
    const char *tag;
    bool visible;
    const char *promoted;
};

struct SpecialCase {
    const char *name;
    std::vector<std::string> tokens;
    std::vector<Expected> after; // pieces after the last half-move
};

const SpecialCase kCases[] = {
    {"WhiteTakesEnPassant",
     {"e2-e4", "a7-a6", "e4-e5", "d7-d5", "e5xd6"},
     {{11, "d6", true, ""}, {19, "4", false, ""}}},
    {"EnPassantWithoutAnX", {"e2-e4", "a7-a6", "e4-e5", "d7-d5", "e5-d6+"}, {{11, "d6", true, ""}, {19, "4", false, ""}}},
    {"BlackTakesEnPassant",
     {"a2-a3", "d7-d5", "a3-a4", "d5-d4", "e2-e4", "d4xe3"},
     {{19, "e3", true, ""}, {11, "5", false, ""}}},
    {"NotFromTheFifthRankTakesNothingBeside",
     {"e2-e4", "d7-d5", "a2-a3", "d5-d4", "e4-d5"},
     {{11, "d5", true, ""}, {19, "d4", true, ""}}},
    {"APieceBesideThatIsNoPawnStays",
     {"e2-e4", "g8-f6", "e4-e5", "f6-d5", "e5-d6"},
     {{11, "d6", true, ""}, {25, "d5", true, ""}}},
    {"AnOwnPawnBesideStays",
     {"e2-e4", "a7-a6", "e4-e5", "a6-a5", "d2-d4", "a5-a4", "d4-d5", "h7-h6", "e5-d6"},
     {{11, "d6", true, ""}, {12, "d5", true, ""}}},
    {"AnOrdinaryCaptureOnTheSixthRankIsNotEnPassant",
     {"e2-e4", "d7-d6", "e4-e5", "a7-a6", "e5xd6"},
     {{11, "d6", true, ""}, {19, "4", false, ""}}},
    {"PromotionToTheNamedPiece",
     {"a2-a4", "b7-b5", "a4xb5", "a7-a6", "b5xa6", "c8-b7", "a6xb7", "h7-h6", "b7xa8=N"},
     {{15, "a8", true, "N"}, {31, "8", false, ""}}},
    {"PromotionNamingNoPieceMakesAQueen",
     {"a2-a4", "b7-b5", "a4xb5", "a7-a6", "b5xa6", "c8-b7", "a6xb7", "h7-h6", "b7xa8"},
     {{15, "a8", true, "Q"}}},
    {"PromotionWithCheckMarks",
     {"a2-a4", "b7-b5", "a4xb5", "a7-a6", "b5xa6", "c8-b7", "a6xb7", "h7-h6", "b7xa8=R+"},
     {{15, "a8", true, "R"}}},
    {"BlackPromotes",
     {"a2-a3", "b7-b5", "h2-h3", "b5-b4", "h3-h4", "b4xa3", "h4-h5", "a3xb2", "h5-h6", "b2xc1=B"},
     {{17, "c1", true, "B"}, {2, "9", false, ""}}},
    {"APromotedPieceMovesOnAndIsTakenPromoted",
     {"a2-a4", "b7-b5", "a4xb5", "a7-a6", "b5xa6", "c8-b7", "a6xb7", "h7-h6", "b7xa8=N", "h6-h5", "a8-b6",
      "c7xb6"},
     {{15, "11", false, "N"}, {18, "b6", true, ""}}},
    {"APromotedPawnDoesNotTakeEnPassant",
     {"a2-a4", "b7-b5", "a4xb5", "a7-a6", "b5xa6", "c8-b7", "a6xb7", "h7-h6", "b7xa8=Q", "e7-e6", "a8-a5",
      "c7-c5", "a5-b6"},
     {{15, "b6", true, "Q"}, {18, "c5", true, ""}}},
    {"ARookOnTheLastRankIsNotPromoted",
     {"a2-a4", "b7-b5", "a4xb5", "a7-a6", "a1xa6", "h7-h6", "a6xa8"},
     {{0, "a8", true, ""}}},
};

void PrintTo(const SpecialCase &c, std::ostream *out) { *out << c.name; }

class SpecialMoves : public ::testing::TestWithParam<SpecialCase> {};

TEST_P(SpecialMoves, ForwardBackAndAcrossJumps) {
    const SpecialCase &c = GetParam();
    Harness h;
    h.Open("/games/special.txt", RecordOf(c.tokens));
    ASSERT_EQ(h.form.lstFieldsList.ListCount() % 2, 0);
    std::vector<std::vector<testing::PieceState>> positions{Snapshot(h.form)};
    for (const auto &token : c.tokens) {
        h.form.StepForward();
        positions.push_back(Snapshot(h.form));
        ASSERT_EQ(h.form.Position(), static_cast<std::int64_t>(positions.size() - 1)) << token;
    }
    for (const Expected &e : c.after) {
        const auto &piece = h.form.Image1[static_cast<std::size_t>(e.slot)];
        EXPECT_EQ(piece.Tag, e.tag) << "slot " << e.slot;
        EXPECT_EQ(piece.Visible, e.visible) << "slot " << e.slot;
        EXPECT_EQ(piece.Promoted, e.promoted) << "slot " << e.slot;
    }
    for (std::size_t n = c.tokens.size(); n-- > 0;) {
        h.form.StepBack();
        ASSERT_EQ(Snapshot(h.form), positions[n]) << "back over " << c.tokens[n];
    }
    // Jumps run the same steps many at a time; back and forth twice, so that a
    // step undone once is replayed and undone again the same way.
    const std::int64_t lastLine = h.form.lstMoveList.ListCount() - 1;
    for (int round = 0; round < 2; ++round) {
        h.form.lstMoveList.SetListIndex(lastLine);
        h.form.lstMoveList_DblClick();
        EXPECT_EQ(Snapshot(h.form), positions[static_cast<std::size_t>(h.form.Position())]);
        EXPECT_EQ(Snapshot(h.form), positions.back());
        h.form.lstMoveList.SetListIndex(0);
        h.form.lstMoveList_DblClick();
        EXPECT_EQ(h.form.Position(), 2);
        EXPECT_EQ(Snapshot(h.form), positions[2]);
    }
}

INSTANTIATE_TEST_SUITE_P(Board, SpecialMoves, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SpecialCase> &info) { return info.param.name; });

TEST(SpecialMoves, ANewGameStartsWithNoPromotedPiece) {
    Harness h;
    h.Open("/games/a.txt", RecordOf({"a2-a4", "b7-b5", "a4xb5", "a7-a6", "b5xa6", "c8-b7", "a6xb7", "h7-h6",
                                     "b7xa8=N", "h6-h5"}));
    for (int i = 0; i < 9; ++i)
        h.form.StepForward();
    ASSERT_EQ(h.form.Image1[15].Promoted, "N");
    h.Open("/games/b.txt", RecordOf({"a2-a4", "h7-h6"}));
    EXPECT_EQ(Snapshot(h.form), testing::StartSnapshot());
}

} // namespace
} // namespace quorvane

namespace quorvane {
namespace {

chess::PieceType RulesType(PieceKind kind) {
    switch (kind) {
    case PieceKind::King:
        return chess::PieceType::King;
    case PieceKind::Queen:
        return chess::PieceType::Queen;
    case PieceKind::Rook:
        return chess::PieceType::Rook;
    case PieceKind::Bishop:
        return chess::PieceType::Bishop;
    case PieceKind::Knight:
        return chess::PieceType::Knight;
    case PieceKind::Pawn:
        return chess::PieceType::Pawn;
    }
    return chess::PieceType::None;
}

class BoardAgreesWithTheRules : public ::testing::TestWithParam<const char *> {};

// After every half-move of a real game, the designed board and the rules
// module's position hold the same pieces on the same squares; each shown piece
// stands where its Tag says.
TEST_P(BoardAgreesWithTheRules, AfterEveryHalfMove) {
    Harness h;
    h.Open(std::string("/games/") + GetParam(), testing::ReadTestData(GetParam()));
    const chess::Game &game = h.form.ChessGame();
    ASSERT_FALSE(game.stop()) << game.stop()->reason;
    ASSERT_GT(game.plies(), 10u);
    const std::vector<chess::Position> positions = game.mainLinePositions();
    for (std::size_t k = 0; k <= game.plies(); ++k) {
        if (k > 0)
            h.form.StepForward();
        ASSERT_EQ(h.form.Position(), static_cast<std::int64_t>(k));
        std::map<int, chess::Piece> board;
        for (int slot = 0; slot < board::kPieceCount; ++slot) {
            const auto &piece = h.form.Image1[static_cast<std::size_t>(slot)];
            if (!piece.Visible)
                continue;
            const auto square = chess::parseSquare(piece.Tag);
            ASSERT_TRUE(square) << "slot " << slot << " shown with Tag " << piece.Tag;
            const auto &shape = h.form.sqrSpace[static_cast<std::size_t>(board::FindSquare(h.form.sqrSpace, piece.Tag))];
            ASSERT_EQ(piece.Left, shape.Left()) << piece.Tag;
            ASSERT_EQ(piece.Top, shape.Top()) << piece.Tag;
            const bool white = board::kPieceSlots[static_cast<std::size_t>(slot)].white;
            ASSERT_TRUE(board.emplace(*square, chess::Piece{RulesType(board::ShownKind(slot, piece)),
                                                            white ? chess::Color::White : chess::Color::Black})
                            .second)
                << "two pieces on " << piece.Tag;
        }
        for (int square = 0; square < 64; ++square) {
            const auto rules = positions[k].pieceAt(square);
            const auto found = board.find(square);
            ASSERT_EQ(found != board.end(), rules.has_value())
                << chess::squareName(square) << " after " << k << " half-moves";
            if (rules) {
                ASSERT_EQ(found->second.type, rules->type) << chess::squareName(square) << " after " << k;
                ASSERT_EQ(found->second.color, rules->color) << chess::squareName(square) << " after " << k;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Records, BoardAgreesWithTheRules,
                         ::testing::Values("file1.txt", "game_015.txt", "game_032.txt", "game_073.txt",
                                           "game_118.txt"));

} // namespace
} // namespace quorvane
