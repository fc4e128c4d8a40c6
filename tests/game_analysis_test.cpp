// The analysis belongs to the loaded game: kept while it stays loaded, started
// afresh when another loads.
#include "test_support.h"

#include <gtest/gtest.h>

namespace quorvane::testing {
namespace {

engine::PositionEval evalOf(int centipawns) {
    engine::PositionEval e;
    e.score.centipawns = centipawns;
    e.bestMove = "e2e4";
    return e;
}

TEST(GameAnalysis, BelongsToTheLoadedGame) {
    Harness h;
    h.Open("a.txt", MakeRecord({"1. e2-e4 e7-e5", "2. g1-f3 b8-c6"}));
    engine::GameAnalysis &analysis = h.form.Analysis();
    EXPECT_EQ(analysis.size(), 5u) << "the start and four half-moves";
    EXPECT_TRUE(analysis.whiteStarts());
    EXPECT_EQ(analysis.known(), 0u);
    analysis.set(2, evalOf(30));

    // Stepping changes nothing of it.
    h.form.cmdNext_Click();
    h.form.cmdNext_Click();
    ASSERT_TRUE(h.form.Analysis().at(2));
    EXPECT_EQ(h.form.Analysis().at(2)->score.centipawns, 30);
    EXPECT_EQ(h.form.Analysis().known(), 1u);

    h.Open("b.txt", MakeRecord({"1. d2-d4 d7-d5", "2. c2-c4 e7-e6", "3. b1-c3 g8-f6"}));
    EXPECT_EQ(h.form.Analysis().size(), 7u);
    EXPECT_EQ(h.form.Analysis().known(), 0u) << "another game, another analysis";

    // The same record opened again is another load: its analysis starts over too.
    h.form.Analysis().set(0, evalOf(10));
    h.Open("b.txt", MakeRecord({"1. d2-d4 d7-d5", "2. c2-c4 e7-e6", "3. b1-c3 g8-f6"}));
    EXPECT_EQ(h.form.Analysis().known(), 0u);
}

} // namespace
} // namespace quorvane::testing
