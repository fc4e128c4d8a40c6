// The main window's scale, zoom steps and placement arithmetic, and the board
// described in words.
#include "logic/position_text.h"
#include "logic/window_scale.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(WindowScale, TwipsToPixelsAtAScale) {
    struct Row {
        const char *name;
        double twips, scale;
        int pixels;
    };
    const Row rows[] = {
        {"a file's left at 1x", 600, 1.0, 40},
        {"a square's width at 1x", 855, 1.0, 57},
        {"the client width at 1x", 10290, 1.0, 686},
        {"the client width at 1.5x", 10290, 1.5, 1029},
        {"the client height at 2x", 8085, 2.0, 1078},
        {"half a pixel rounds up", 15, 0.5, 1},
        {"a fraction of a pixel rounds to the nearest", 855, 1.1, 63}, // 62.7
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ScaledPixels(row.twips, row.scale), row.pixels);
    }
}

TEST(WindowScale, FitsTheRoomWithinTheLimits) {
    struct Row {
        const char *name;
        PixelSize room;
        double scale;
    };
    const PixelSize designed{686, 539};
    const Row rows[] = {
        {"the designed size", {686, 539}, 1.0},
        {"wider than tall: the height decides", {2000, 1078}, 2.0},
        {"taller than wide: the width decides", {1029, 2000}, 1.5},
        {"a maximised 1920 x 1200 window under a menu bar", {1920, 1162}, 1162.0 / 539},
        {"too small: the smallest scale", {100, 100}, kMinScale},
        {"huge: the largest scale", {68600, 53900}, kMaxScale},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_DOUBLE_EQ(FitScale(designed, row.room), row.scale);
    }
    EXPECT_DOUBLE_EQ(FitScale({0, 0}, {100, 100}), 1.0) << "nothing to fit";
}

TEST(WindowScale, ZoomStepsPassThroughOneAndStopAtTheLimits) {
    EXPECT_DOUBLE_EQ(ZoomedIn(1.0), 1.1);
    EXPECT_DOUBLE_EQ(ZoomedOut(1.0), 0.9);
    EXPECT_DOUBLE_EQ(ZoomedIn(1.3), 1.5) << "from a fitted scale to the next step";
    EXPECT_DOUBLE_EQ(ZoomedOut(1.3), 1.25);
    EXPECT_DOUBLE_EQ(ZoomedOut(1.0004), 0.9) << "a hair above a step is that step";
    EXPECT_DOUBLE_EQ(ZoomedIn(kMaxScale), kMaxScale);
    EXPECT_DOUBLE_EQ(ZoomedOut(kMinScale), kMinScale);
    // In and out again comes back to 1.
    EXPECT_DOUBLE_EQ(ZoomedOut(ZoomedIn(ZoomedIn(1.0))), 1.1);
}

TEST(WindowScale, PlacesAWindowInsideTheScreen) {
    struct Row {
        const char *name;
        PixelRect window;
        PixelRect expected;
    };
    const PixelRect screen{0, 0, 960, 600};
    const Row rows[] = {
        {"inside stays", {163, 20, 686, 558}, {163, 20, 686, 558}},
        {"below the bottom edge moves up", {163, 117, 686, 558}, {163, 42, 686, 558}},
        {"past the right edge moves left", {500, 0, 686, 300}, {274, 0, 686, 300}},
        {"above and left of the screen moves in", {-50, -10, 100, 100}, {0, 0, 100, 100}},
        {"wider than the screen keeps the left edge", {300, 0, 1000, 100}, {0, 0, 1000, 100}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(PlaceInside(row.window, screen), row.expected);
    }
    EXPECT_EQ(PlaceInside({0, 0, 10, 10}, {100, 50, 200, 200}), (PixelRect{100, 50, 10, 10})) << "a screen not at 0";
}

TEST(WindowScale, PlacesASecondWindowBesideOrOverTheMainOne) {
    struct Row {
        const char *name;
        PixelRect main;
        PixelSize size;
        PixelRect expected;
    };
    const PixelRect screen{0, 0, 1920, 1200};
    const Row rows[] = {
        {"room on the right", {163, 117, 686, 558}, {500, 400}, {857, 117, 500, 400}},
        {"no room on the right, room on the left", {1200, 100, 686, 558}, {500, 400}, {692, 100, 500, 400}},
        {"no room either side: over it", {400, 100, 1200, 558}, {500, 400}, {400, 100, 500, 400}},
        {"over it, kept above the bottom edge", {400, 1000, 1200, 150}, {500, 400}, {400, 800, 500, 400}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(PlaceBeside(row.main, row.size, screen), row.expected);
    }
}

TEST(PositionText, NamesTheSideToMoveAndEveryPieceOnTheBoard) {
    testing::Harness h;
    EXPECT_EQ(DescribePosition(h.form),
              "White to move; White: Ke1, Qd1, Ra1, Rh1, Bc1, Bf1, Nb1, Ng1, a2, b2, c2, d2, e2, f2, g2, h2; "
              "Black: Ke8, Qd8, Ra8, Rh8, Bc8, Bf8, Nb8, Ng8, a7, b7, c7, d7, e7, f7, g7, h7");
    h.Open("/g/file1.txt", testing::ReadTestData("file1.txt"));
    for (int i = 0; i < 13; ++i)
        h.form.cmdNext_Click();
    EXPECT_EQ(DescribePosition(h.form).substr(0, 13), "Black to move");
    // 7... b4xb3: Black's queen takes White's.
    h.form.cmdNext_Click();
    EXPECT_EQ(DescribePosition(h.form),
              "White to move; White: Ke1, Ra1, Rh1, Bc1, Bg2, Nd2, Ng1, a2, b2, c2, d4, e3, f2, g3, h2; "
              "Black: Ke8, Qb3, Ra8, Rh8, Bc8, Bf8, Nc6, Nf6, a7, b7, c7, d5, e5, f7, g7, h7");
}

TEST(PositionText, APromotedPawnIsNamedAsItsNewPiece) {
    testing::Harness h;
    h.LoadTokens({"e2-e4", "d7-d5", "e4xd5", "c7-c6", "d5xc6", "b8-d7", "c6-c7", "a7-a6", "c7xd8=Q"});
    for (int i = 0; i < 9; ++i)
        h.form.cmdNext_Click();
    const std::string text = DescribePosition(h.form);
    EXPECT_NE(text.find("White: Ke1, Qd1, Qd8,"), std::string::npos) << text;
    EXPECT_EQ(text.find("Qd8", text.find("Black:")), std::string::npos) << "Black's queen was taken: " << text;
}

} // namespace
} // namespace quorvane
