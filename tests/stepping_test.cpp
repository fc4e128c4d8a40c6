#include "test_support.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using testing::Harness;
using testing::PieceState;
using testing::Snapshot;
using testing::StartSnapshot;

void Forward(Harness &h, int times) {
    for (int i = 0; i < times; ++i)
        h.form.StepForward();
}

TEST(StepForward, FirstHalfMoveMovesTheNamedPiece) {
    Harness h;
    h.LoadTokens({"d2-d4", "d7-d5"});
    h.form.StepForward();
    EXPECT_EQ(h.form.Image1[12].Tag, "d4");
    EXPECT_EQ(h.form.Image1[12].Left, 3120);
    EXPECT_EQ(h.form.Image1[12].Top, 4320);
    EXPECT_EQ(h.form.intLeft, 3120);
    EXPECT_EQ(h.form.intTop, 4320);
    EXPECT_EQ(h.form.Position(), 1);
    EXPECT_EQ(h.module.varCurrentMove, "d2-d4");
    auto expected = StartSnapshot();
    expected[12] = PieceState{3120, 4320, true, "d4"};
    EXPECT_EQ(Snapshot(h.form), expected);
}

TEST(Castling, EachOfTheFourMovesKingAndRookAndComesBack) {
    struct Case {
        std::vector<std::string> tokens; // the castling is the last one
        int king, rook;
        float kingLeft, rookLeft;
        const char *kingTag, *rookTag;
    };
    const Case cases[] = {
        {{"o-o"}, 4, 7, 5640, 4800, "g1", "f1"},
        {{"o-o-o+"}, 4, 0, 2280, 3120, "c1", "d1"},
        {{"a2-a3", "o-o"}, 27, 24, 5640, 4800, "g8", "f8"},
        {{"a2-a3", "o-o-o++"}, 27, 31, 2280, 3120, "c8", "d8"},
    };
    for (const Case &c : cases) {
        Harness h;
        h.LoadTokens(c.tokens);
        Forward(h, static_cast<int>(c.tokens.size()));
        EXPECT_EQ(h.form.Image1[c.king].Left, c.kingLeft);
        EXPECT_EQ(h.form.Image1[c.king].Tag, c.kingTag);
        EXPECT_EQ(h.form.Image1[c.rook].Left, c.rookLeft);
        EXPECT_EQ(h.form.Image1[c.rook].Tag, c.rookTag);
        EXPECT_EQ(h.form.Image1[c.king].Top, StartSnapshot()[c.king].top) << "castling never changes Top";
        h.form.StepBack();
        auto expected = StartSnapshot();
        if (c.tokens.size() == 2)
            expected[15] = PieceState{600, 5040, true, "a3"};
        EXPECT_EQ(Snapshot(h.form), expected);
    }
}

TEST(Castling, BlackShortCastleAtSeventeenOfTheExampleGame) {
    Harness h;
    h.Open("/games/file1.txt", testing::ReadTestData("file1.txt"));
    Forward(h, 17);
    ASSERT_EQ(h.form.lstFieldsList.List(17), "o-o");
    h.form.StepForward();
    EXPECT_EQ(h.form.Image1[27].Left, 5640);
    EXPECT_EQ(h.form.Image1[27].Tag, "g8");
    EXPECT_EQ(h.form.Image1[24].Left, 4800);
    EXPECT_EQ(h.form.Image1[24].Tag, "f8");
    EXPECT_EQ(h.form.Image1[27].Top, 1440);
    h.form.StepBack();
    EXPECT_EQ(h.form.Position(), 17);
    EXPECT_EQ(h.form.Image1[27].Left, 3960);
    EXPECT_EQ(h.form.Image1[27].Tag, "e8");
    EXPECT_EQ(h.form.Image1[24].Left, 6480);
    EXPECT_EQ(h.form.Image1[24].Tag, "h8");
}

TEST(Captures, AreMarkedWithTheCapturingIndexAndRestored) {
    Harness h;
    h.Open("/games/file1.txt", testing::ReadTestData("file1.txt"));
    Forward(h, 13);
    ASSERT_EQ(h.form.lstFieldsList.List(13), "b4xb3");
    const int queen = 3; // the white queen went d1-d3-b3
    ASSERT_EQ(h.form.Image1[queen].Tag, "b3");
    h.form.StepForward();
    EXPECT_FALSE(h.form.Image1[queen].Visible);
    EXPECT_EQ(h.form.Image1[queen].Tag, "13");
    EXPECT_EQ(h.form.Image1[queen].Left, 1440) << "a captured piece keeps its place";
    EXPECT_EQ(h.form.Image1[28].Tag, "b3");
    EXPECT_EQ(h.form.Image1[28].Left, 1440);
    EXPECT_EQ(h.form.Image1[28].Top, 5040);

    h.form.StepBack();
    EXPECT_EQ(h.form.Image1[28].Tag, "b4");
    EXPECT_EQ(h.form.Image1[28].Top, 4320);
    EXPECT_TRUE(h.form.Image1[queen].Visible);
    EXPECT_EQ(h.form.Image1[queen].Tag, "b3");
}

TEST(Captures, HappenWithoutAnXAndEnPassantTakesThePawnPassed) {
    Harness h;
    h.LoadTokens({"e2-e4", "d7-d5", "e4-d5", "c7-c5", "d5-c6"});
    Forward(h, 3);
    EXPECT_FALSE(h.form.Image1[19].Visible) << "a piece on the to-square is taken with or without x";
    EXPECT_EQ(h.form.Image1[19].Tag, "2");
    Forward(h, 2);
    EXPECT_EQ(h.form.Image1[11].Tag, "c6");
    EXPECT_FALSE(h.form.Image1[18].Visible) << "the pawn passed en passant is taken";
    EXPECT_EQ(h.form.Image1[18].Tag, "4");
    EXPECT_EQ(h.form.Image1[18].Left, 2280) << "and keeps its place";
    EXPECT_EQ(h.form.Image1[18].Top, 3600);
}

TEST(Bounds, NextAtTheEndAndBackAtZeroChangeNothing) {
    Harness h;
    h.LoadTokens({"e2-e4", "e7-e5"});
    h.form.StepBack();
    EXPECT_EQ(h.form.Position(), 0);
    EXPECT_EQ(Snapshot(h.form), StartSnapshot());
    Forward(h, 2);
    const auto end = Snapshot(h.form);
    h.form.StepForward();
    EXPECT_EQ(h.form.Position(), 2);
    EXPECT_EQ(Snapshot(h.form), end);
}

TEST(Bounds, NoGameLoadedChangesNothing) {
    Harness h;
    h.form.StepForward();
    h.form.StepBack();
    EXPECT_FALSE(h.form.FieldsPosition.has_value());
    EXPECT_EQ(Snapshot(h.form), StartSnapshot());
}

TEST(Bounds, AfterAFailedOpenNextDoesNothingAndBackOnlyCounts) {
    Harness h;
    h.Open("/games/file1.txt", testing::ReadTestData("file1.txt"));
    Forward(h, 7);
    h.Open("/games/short.txt", "1\n2\n3\n");
    ASSERT_EQ(h.form.Position(), 7);
    h.form.StepForward();
    EXPECT_EQ(h.form.Position(), 7);
    for (int expected = 6; expected >= 0; --expected) {
        h.form.StepBack();
        EXPECT_EQ(h.form.Position(), expected);
        EXPECT_EQ(Snapshot(h.form), StartSnapshot());
    }
    h.form.StepBack();
    EXPECT_EQ(h.form.Position(), 0);
}

TEST(Malformed, AnEmptyFromSquareKeepsThePositionAndUndoesItsCapture) {
    Harness h;
    h.LoadTokens({"e2-e4", "e5xe4", "e4-e5"});
    h.form.StepForward();
    const auto afterFirst = Snapshot(h.form);
    h.form.StepForward(); // nothing stands on e5: not played
    EXPECT_EQ(h.form.Position(), 1);
    EXPECT_EQ(Snapshot(h.form), afterFirst) << "the pawn on e4 must not stay hidden";
    h.form.StepForward();
    EXPECT_EQ(h.form.Position(), 1) << "each Next tries the same half-move again";
}

TEST(Malformed, EmptyTokensPlayNothingForwardAndCountBack) {
    Harness h;
    h.LoadTokens({"e2-e4", ""});
    Forward(h, 2);
    EXPECT_EQ(h.form.Position(), 1);
    h.form.FieldsPosition = 2;
    h.form.StepBack();
    EXPECT_EQ(h.form.Position(), 1);
    EXPECT_EQ(h.form.Image1[11].Tag, "e4");
}

TEST(EndToken, PlaysNothingButCountsBothWays) {
    Harness h;
    h.LoadTokens({"e2-e4", "end", "d2-d4"});
    h.form.StepForward();
    const auto afterFirst = Snapshot(h.form);
    h.form.StepForward();
    EXPECT_EQ(h.form.Position(), 2);
    EXPECT_EQ(Snapshot(h.form), afterFirst) << "the squares of e2-e4 must not be applied again";
    h.form.StepForward();
    EXPECT_EQ(h.form.Image1[12].Tag, "d4");
    h.form.StepBack();
    h.form.StepBack();
    EXPECT_EQ(h.form.Position(), 1);
    EXPECT_EQ(Snapshot(h.form), afterFirst);
    h.form.StepBack();
    EXPECT_EQ(Snapshot(h.form), StartSnapshot());
}

// Every real game forward to the end and back to the start, checked at every
// position against an independent replay, and at a few against the game itself.
class RealGames : public ::testing::TestWithParam<const char *> {};

TEST_P(RealGames, ForwardAndBackAgreeWithAnIndependentReplay) {
    Harness h;
    const std::string text = testing::ReadTestData(GetParam());
    h.Open(std::string("/games/") + GetParam(), text);
    const auto tokens = testing::TokensOf(text);
    ASSERT_EQ(h.form.lstFieldsList.ListCount(), static_cast<std::int64_t>(tokens.size()));

    std::vector<std::vector<PieceState>> positions{Snapshot(h.form)};
    testing::ReferenceBoard reference;
    std::size_t played = 0;
    for (std::size_t n = 0; n < tokens.size(); ++n) {
        if (tokens[n].empty()) {
            // A game that ended on White's move: Black's half-move is empty and
            // plays nothing.
            ASSERT_EQ(n + 1, tokens.size());
            h.form.StepForward();
            ASSERT_EQ(h.form.Position(), static_cast<std::int64_t>(n));
            break;
        }
        ASSERT_TRUE(reference.Play(tokens[n], static_cast<std::int64_t>(n))) << tokens[n];
        h.form.StepForward();
        ASSERT_EQ(h.form.Position(), static_cast<std::int64_t>(n + 1)) << tokens[n];
        int visible = 0;
        for (int slot = 0; slot < 32; ++slot) {
            const auto &piece = h.form.Image1[slot];
            if (!piece.Visible)
                continue;
            ++visible;
            ASSERT_EQ(reference.At(piece.Tag), slot) << "after " << tokens[n] << " at " << n;
            const int square = board::FindSquare(h.form.sqrSpace, piece.Tag);
            ASSERT_EQ(piece.Left, h.form.sqrSpace[square].Left());
            ASSERT_EQ(piece.Top, h.form.sqrSpace[square].Top());
        }
        ASSERT_EQ(visible, static_cast<int>(reference.Squares().size()));
        positions.push_back(Snapshot(h.form));
        played = n + 1;
    }
    EXPECT_GE(played + 1, tokens.size()) << "every half-move but a missing last one is played";
    for (std::size_t n = played; n-- > 0;) {
        h.form.StepBack();
        ASSERT_EQ(Snapshot(h.form), positions[n]) << "back over " << tokens[n];
    }
    EXPECT_EQ(Snapshot(h.form), StartSnapshot());
}

INSTANTIATE_TEST_SUITE_P(Records, RealGames,
                         ::testing::Values("file1.txt", "game_015.txt", "game_032.txt", "game_073.txt",
                                           "game_118.txt"));

int JumpTo(Harness &h, int position) {
    while (h.form.Position() < position)
        h.form.StepForward();
    while (h.form.Position() > position)
        h.form.StepBack();
    return position;
}

TEST(RealGames, PositionsAlongTheWayAreTheGamesOwn) {
    {
        // 8. a2xb3: the a-pawn has taken the queen that took White's queen.
        Harness h;
        h.Open("/games/file1.txt", testing::ReadTestData("file1.txt"));
        JumpTo(h, 15);
        EXPECT_EQ(h.form.Image1[15].Tag, "b3");
        EXPECT_EQ(h.form.Image1[28].Tag, "14");
        EXPECT_FALSE(h.form.Image1[28].Visible);
        EXPECT_EQ(h.form.Image1[3].Tag, "13");
        // The end of the game: 30. f4-d3 d8xd3, the knight taken by the rook.
        JumpTo(h, 60);
        EXPECT_EQ(h.form.Image1[31].Tag, "d3");
        EXPECT_EQ(h.form.Image1[31].Left, 3120);
        EXPECT_EQ(h.form.Image1[31].Top, 5040);
    }
    {
        // White castles queen side, Black king side.
        Harness h;
        const std::string text = testing::ReadTestData("game_015.txt");
        h.Open("/games/game_015.txt", text);
        const auto tokens = testing::TokensOf(text);
        int whiteLong = -1;
        for (int n = 0; n < static_cast<int>(tokens.size()); n += 2)
            if (tokens[n].rfind("o-o-o", 0) == 0)
                whiteLong = n;
        ASSERT_GE(whiteLong, 0);
        JumpTo(h, whiteLong + 1);
        EXPECT_EQ(h.form.Image1[4].Tag, "c1");
        EXPECT_EQ(h.form.Image1[0].Tag, "d1");
    }
    {
        // The promoted pawn keeps its slot, stands on the last rank and shows a queen.
        Harness h;
        const std::string text = testing::ReadTestData("game_032.txt");
        h.Open("/games/game_032.txt", text);
        const auto tokens = testing::TokensOf(text);
        int promotion = -1;
        for (int n = 0; n < static_cast<int>(tokens.size()); ++n)
            if (tokens[n].find("=Q") != std::string::npos)
                promotion = n;
        ASSERT_GE(promotion, 0);
        JumpTo(h, promotion + 1);
        const std::string to = tokens[promotion].substr(3, 2);
        const int slot = board::FindPiece(h.form.Image1, to);
        ASSERT_GE(slot, 0);
        EXPECT_EQ(board::kPieceSlots[slot].kind, PieceKind::Pawn);
        EXPECT_EQ(h.form.Image1[slot].Promoted, "Q");
        EXPECT_EQ(board::ShownKind(slot, h.form.Image1[slot]), PieceKind::Queen);
    }
}

TEST(LongGames, WideCountersStepToTheEndAndBack) {
    Harness h;
    std::vector<std::string> tokens;
    const char *shuffle[] = {"g1-f3", "g8-f6", "f3-g1", "f6-g8"};
    for (int i = 0; i < 65524; ++i)
        tokens.push_back(shuffle[i % 4]);
    h.LoadTokens(tokens);
    for (int i = 0; i < 65524; ++i)
        h.form.StepForward();
    EXPECT_EQ(h.form.Position(), 65524);
    EXPECT_EQ(Snapshot(h.form), StartSnapshot());
    h.form.StepForward();
    EXPECT_EQ(h.form.Position(), 65524);
    for (int i = 0; i < 65523; ++i)
        h.form.StepBack();
    EXPECT_EQ(h.form.Position(), 1);
    EXPECT_EQ(h.form.Image1[6].Tag, "f3");
}

} // namespace
} // namespace quorvane
