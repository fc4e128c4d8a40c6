#include "platform/text.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(Text, MidCountsFromOneAndNeverFails) {
    EXPECT_EQ(Mid(";White: ann", 2), "White: ann");
    EXPECT_EQ(Mid(";Date: Tue", 8), "Tue");
    EXPECT_EQ(Mid(";Date:", 8), "");
    EXPECT_EQ(Mid("", 1), "");
    EXPECT_EQ(Mid("d2-d4+", 4, 2), "d4");
    EXPECT_EQ(Mid("d2-d", 4, 2), "d");
    EXPECT_EQ(Mid("d2", 4, 2), "");
    EXPECT_EQ(Mid("o-o-o", 1, 99), "o-o-o");
}

TEST(Text, LTrimRemovesOnlySpaces) {
    EXPECT_EQ(LTrimSpaces("  g1-e2 o-o"), "g1-e2 o-o");
    EXPECT_EQ(LTrimSpaces("\t d2"), "\t d2");
    EXPECT_EQ(LTrimSpaces("   "), "");
    EXPECT_EQ(LTrimSpaces("a "), "a ");
}

TEST(Text, SplitKeepsEveryPiece) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitSpaces("d2-d4 d7-d5"), (V{"d2-d4", "d7-d5"}));
    EXPECT_EQ(SplitSpaces("d2-d4  d7-d5"), (V{"d2-d4", "", "d7-d5"}));
    EXPECT_EQ(SplitSpaces("d2-d4 d7-d5 "), (V{"d2-d4", "d7-d5", ""}));
    EXPECT_EQ(SplitSpaces(" "), (V{"", ""}));
    EXPECT_EQ(SplitSpaces("e4"), (V{"e4"}));
    EXPECT_EQ(SplitSpaces(""), V{});
}

} // namespace
} // namespace quorvane
