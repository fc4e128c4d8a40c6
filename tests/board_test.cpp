#include "board/board.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <set>

namespace quorvane {
namespace {

using testing::Harness;

TEST(Board, SquaresAreNamedAndPlacedFromWhitesSide) {
    const auto squares = board::MakeSquares();
    struct Row {
        int index;
        const char *tag;
        float left, top;
        bool light;
    };
    for (const Row &row : {Row{0, "a8", 600, 1440, true}, Row{1, "b8", 1440, 1440, false},
                           Row{7, "h8", 6480, 1440, false}, Row{27, "d5", 3120, 3600, true},
                           Row{36, "e4", 3960, 4320, true}, Row{56, "a1", 600, 6480, false},
                           Row{63, "h1", 6480, 6480, true}}) {
        const auto &square = squares[static_cast<std::size_t>(row.index)];
        EXPECT_EQ(square.Tag(), row.tag);
        EXPECT_EQ(square.Left(), row.left) << row.tag;
        EXPECT_EQ(square.Top(), row.top) << row.tag;
        EXPECT_EQ(board::IsLightSquare(row.index), row.light) << row.tag;
    }
    std::set<std::string> names;
    for (const auto &square : squares)
        names.insert(square.Tag());
    EXPECT_EQ(names.size(), 64u);
}

TEST(Board, LookupsFindTheFirstExactMatchOrNothing) {
    const auto squares = board::MakeSquares();
    EXPECT_EQ(board::FindSquare(squares, "d4"), 35);
    for (const char *name : {"", "i1", "a9", "A1", "d4 ", "d", "13"})
        EXPECT_EQ(board::FindSquare(squares, name), -1) << name;
    auto pieces = board::MakeStartPieces();
    EXPECT_EQ(board::FindPiece(pieces, "d2"), 12);
    EXPECT_EQ(board::FindPiece(pieces, "d4"), -1);
    pieces[20].Tag = "d2"; // two pieces with one tag: the lower slot wins
    EXPECT_EQ(board::FindPiece(pieces, "d2"), 12);
}

TEST(Board, StartPositionFollowsTheSlotTable) {
    const auto pieces = board::MakeStartPieces();
    EXPECT_EQ(pieces[0].Tag, "a1");
    EXPECT_EQ(pieces[4].Tag, "e1");
    EXPECT_EQ(pieces[8].Tag, "h2");
    EXPECT_EQ(pieces[8].Left, 6480);
    EXPECT_EQ(pieces[15].Tag, "a2");
    EXPECT_EQ(pieces[15].Left, 600);
    EXPECT_EQ(pieces[15].Top, 5760);
    EXPECT_EQ(pieces[16].Tag, "a7");
    EXPECT_EQ(pieces[16].Top, 2160);
    EXPECT_EQ(pieces[24].Tag, "h8");
    EXPECT_EQ(pieces[27].Tag, "e8");
    EXPECT_EQ(pieces[28].Tag, "d8");
    EXPECT_EQ(pieces[31].Tag, "a8");
    EXPECT_EQ(pieces[31].Top, 1440);
    const auto squares = board::MakeSquares();
    for (const auto &piece : pieces) {
        const int square = board::FindSquare(squares, piece.Tag);
        ASSERT_GE(square, 0);
        EXPECT_EQ(piece.Left, squares[static_cast<std::size_t>(square)].Left());
        EXPECT_EQ(piece.Top, squares[static_cast<std::size_t>(square)].Top());
        EXPECT_TRUE(piece.Visible);
    }
}

TEST(ResetBoard, PutsEveryPieceBackAndEmptiesListsAndLabels) {
    Harness h;
    h.LoadTokens({"e2-e4", "d7-d5", "e4xd5", "d8xd5", "o-o"});
    h.form.lblDate.Caption = "date";
    h.form.lblBlackPlayer.Caption = "b";
    h.form.lblWhitePlayer.Caption = "w";
    h.form.lblFileName.Caption = "f";
    h.form.lstMoveList.AddItem("1. e2-e4 d7-d5");
    h.form.lstMoveList.SetSelected(0, true);
    for (int i = 0; i < 5; ++i)
        h.form.StepForward();
    ASSERT_FALSE(h.form.Image1[19].Visible); // the black d-pawn was taken
    ASSERT_EQ(h.form.Position(), 5);

    h.form.ResetBoard();
    EXPECT_EQ(testing::Snapshot(h.form), testing::StartSnapshot());
    EXPECT_EQ(h.form.lstMoveList.ListCount(), 0);
    EXPECT_EQ(h.form.lstMoveList.ListIndex(), -1);
    EXPECT_EQ(h.form.lstFieldsList.ListCount(), 0);
    for (const Label *label : {&h.form.lblDate, &h.form.lblBlackPlayer, &h.form.lblWhitePlayer, &h.form.lblFileName})
        EXPECT_EQ(label->Caption, "");
    EXPECT_EQ(h.form.Position(), 5) << "the reset leaves the replay position alone";

    h.form.ResetBoard();
    EXPECT_EQ(testing::Snapshot(h.form), testing::StartSnapshot());
}

} // namespace
} // namespace quorvane
