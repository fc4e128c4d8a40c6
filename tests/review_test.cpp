// The game review's figures against numbers worked out by hand from the
// published definitions (an independent calculation, written down here).
#include "engine/review.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace quorvane::engine {
namespace {

Score cp(int centipawns) {
    Score s;
    s.centipawns = centipawns;
    return s;
}

// Mate in |n|: n > 0 White mates, n < 0 Black mates.
Score mate(int n) {
    Score s;
    s.isMate = true;
    s.mate = n < 0 ? -n : n;
    s.whiteMates = n > 0;
    return s;
}

// A checkmate on the board, given by White or Black.
Score mated(bool byWhite) {
    Score s;
    s.isMate = true;
    s.whiteMates = byWhite;
    return s;
}

std::string marks(const GameReview &review) {
    std::string s;
    for (Judgement j : review.judgements)
        s += j == Judgement::None ? '-' : judgementName(j)[0];
    return s;
}

TEST(Review, JudgesOneHalfMove) {
    struct Row {
        const char *name;
        Score before, after;
        bool whiteMoved;
        Judgement expected;
    };
    const Row rows[] = {
        {"a drop of 0.197 in chances", cp(0), cp(-100), true, Judgement::Inaccuracy},
        {"a drop of 0.207", cp(0), cp(-105), true, Judgement::Mistake},
        {"a drop of 0.273", cp(0), cp(-140), true, Judgement::Mistake},
        {"a drop of 0.300", cp(0), cp(-155), true, Judgement::Blunder},
        {"from three pawns up to one", cp(300), cp(100), true, Judgement::Blunder},
        {"Black gains", cp(0), cp(-160), false, Judgement::None},
        {"Black loses 0.310", cp(0), cp(160), false, Judgement::Blunder},
        {"Black loses 0.217", cp(0), cp(110), false, Judgement::Mistake},
        {"both beyond the clamp", cp(2000), cp(1100), true, Judgement::None},
        {"mate appears from -2", cp(-200), mate(-3), true, Judgement::Blunder},
        {"mate appears from -8", cp(-800), mate(-3), true, Judgement::Mistake},
        {"mate appears from -12", cp(-1200), mate(-3), true, Judgement::Inaccuracy},
        {"mate lost, +15 left", mate(2), cp(1500), true, Judgement::Inaccuracy},
        {"mate lost, +8 left", mate(2), cp(800), true, Judgement::Mistake},
        {"mate lost, +3 left", mate(2), cp(300), true, Judgement::Blunder},
        {"mate turned into being mated", mate(2), mate(-4), true, Judgement::Blunder},
        {"a longer mate", mate(2), mate(5), true, Judgement::None},
        {"out of a mate against", mate(-2), cp(-300), true, Judgement::None},
        {"Black lets White mate from +2", cp(200), mate(3), false, Judgement::Blunder},
        {"Black lets White mate from -2", cp(-200), mate(3), false, Judgement::Blunder},
        {"Black loses his mate", mate(-2), cp(-300), false, Judgement::Blunder},
        {"checkmate given", mate(1), mated(true), true, Judgement::None},
        {"checkmate given by Black", mate(-1), mated(false), false, Judgement::None},
        {"walking into a checkmate", cp(-300), mated(false), true, Judgement::Blunder},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(judge(row.before, row.after, row.whiteMoved), row.expected);
    }
}

TEST(Review, WinPercentAndMoveAccuracy) {
    EXPECT_NEAR(winPercent(cp(0)), 50.0, 1e-9);
    EXPECT_NEAR(winPercent(cp(100)), 59.102590, 1e-6);
    EXPECT_NEAR(winPercent(cp(15)), 51.380429, 1e-6);
    EXPECT_NEAR(winPercent(cp(-1000)), 2.455256, 1e-6);
    EXPECT_NEAR(winPercent(cp(-5000)), 2.455256, 1e-6);
    EXPECT_NEAR(winPercent(mate(-7)), 2.455256, 1e-6);
    EXPECT_NEAR(moveAccuracy(60, 50), 64.579828, 1e-6);
    EXPECT_NEAR(moveAccuracy(50, 20), 25.772048, 1e-6);
    EXPECT_EQ(moveAccuracy(90, 0), 0.0);
    EXPECT_EQ(moveAccuracy(40, 41), 100.0);
    EXPECT_EQ(reviewCentipawns(cp(-1500)), -1000);
    EXPECT_EQ(reviewCentipawns(mate(3)), 1000);
    EXPECT_EQ(reviewCentipawns(mate(-3)), -1000);
}

TEST(Review, WholeGames) {
    using Eval = std::variant<int, Score>;
    struct Row {
        const char *name;
        std::vector<Eval> evals;
        bool whiteStarts;
        const char *judgements; // I, M, B per half-move, '-' for none
        double whiteAccuracy, whiteAcpl, blackAccuracy, blackAcpl;
    };
    const Row rows[] = {
        {"a quiet game", {100, 100, 100, 100, 100, 100, 100, 100, 100}, true, "--------", 100, 0, 100, 0},
        {"one blunder by White",
         {20, 30, 25, 35, 30, -380, -370, -390, -400},
         true,
         "----B---",
         42.737162,
         107.5,
         99.592113,
         2.5},
        {"a mate appears",
         {-150, -160, -200, mate(-3), mate(-2), mate(-1)},
         true,
         "--B--",
         40.317019,
         270.0,
         100,
         0},
        {"a mate that is lost",
         {300, mate(4), mate(3), 800, 790, mate(-5), mate(-4)},
         true,
         "--M-B-",
         26.009818,
         663.333333,
         100,
         0},
        {"Black plays first",
         {-30, -20, -25, 450, 440, 430, 420},
         false,
         "--B---",
         98.796073,
         8.333333,
         36.312758,
         161.666667},
        // Thirty half-moves make windows of three, the first one counted twice.
        {"a long game that swings",
         {-130, -93, -56, -19, 18,  55,  92,  129, -94, -57, -20, 17,  54,  91,  128, -95,
          -58,  -21, 16,  453, 490, 527, 304, 341, 378, 415, 452, 489, 526, 303, 340},
         true,
         "--------------B-------------M-",
         85.563356,
         29.733333,
         90.998922,
         32.066667},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::optional<Score>> evals;
        for (const Eval &e : row.evals)
            evals.push_back(std::holds_alternative<int>(e) ? cp(std::get<int>(e)) : std::get<Score>(e));
        const GameReview review = reviewGame(evals, row.whiteStarts);
        EXPECT_EQ(marks(review), row.judgements);
        ASSERT_TRUE(review.white.accuracy && review.black.accuracy && review.white.acpl && review.black.acpl);
        EXPECT_NEAR(*review.white.accuracy, row.whiteAccuracy, 1e-5);
        EXPECT_NEAR(*review.white.acpl, row.whiteAcpl, 1e-5);
        EXPECT_NEAR(*review.black.accuracy, row.blackAccuracy, 1e-5);
        EXPECT_NEAR(*review.black.acpl, row.blackAcpl, 1e-5);
    }
}

TEST(Review, CountsEachSidesJudgements) {
    // White: a mistake and a blunder; Black: an inaccuracy.
    const std::vector<std::optional<Score>> evals = {cp(0), cp(0), cp(0), cp(-140), cp(-40), cp(-400), cp(-400)};
    const GameReview review = reviewGame(evals, true);
    EXPECT_EQ(marks(review), "--MIB-");
    EXPECT_EQ(review.white.mistakes, 1);
    EXPECT_EQ(review.white.blunders, 1);
    EXPECT_EQ(review.white.inaccuracies, 0);
    EXPECT_EQ(review.black.inaccuracies, 1);
    EXPECT_EQ(review.black.count(Judgement::Inaccuracy), 1);
    EXPECT_EQ(review.black.mistakes + review.black.blunders, 0);
}

TEST(Review, PartlyKnownGameJudgesWhatItCan) {
    const std::vector<std::optional<Score>> evals = {cp(0), cp(10), std::nullopt, cp(-400), cp(-400)};
    const GameReview review = reviewGame(evals, true);
    EXPECT_EQ(marks(review), "----");
    EXPECT_FALSE(review.white.accuracy);
    EXPECT_FALSE(review.black.acpl);

    const std::vector<std::optional<Score>> later = {cp(0), cp(10), cp(10), cp(-400), cp(-400)};
    EXPECT_EQ(marks(reviewGame(later, true)), "--B-");
}

TEST(Review, SideWithoutMovesHasNoFigures) {
    const GameReview one = reviewGame({cp(20), cp(30)}, true);
    EXPECT_TRUE(one.white.accuracy);
    EXPECT_FALSE(one.black.accuracy);
    EXPECT_FALSE(one.black.acpl);
    const GameReview none = reviewGame({cp(20)}, true);
    EXPECT_TRUE(none.judgements.empty());
    EXPECT_FALSE(none.white.accuracy);
    EXPECT_TRUE(reviewGame({}, true).judgements.empty());
}

TEST(Review, MarksNamesAndGlyphs) {
    EXPECT_EQ(judgementMark(Judgement::Inaccuracy), "?!");
    EXPECT_EQ(judgementMark(Judgement::Mistake), "?");
    EXPECT_EQ(judgementMark(Judgement::Blunder), "??");
    EXPECT_EQ(judgementMark(Judgement::None), "");
    EXPECT_EQ(judgementNag(Judgement::Inaccuracy), 6);
    EXPECT_EQ(judgementNag(Judgement::Mistake), 2);
    EXPECT_EQ(judgementNag(Judgement::Blunder), 4);
    EXPECT_EQ(judgementName(Judgement::Mistake), "Mistake");
    EXPECT_TRUE(whitePlays(1, true));
    EXPECT_FALSE(whitePlays(2, true));
    EXPECT_FALSE(whitePlays(1, false));
    EXPECT_TRUE(whitePlays(2, false));
}

} // namespace
} // namespace quorvane::engine
