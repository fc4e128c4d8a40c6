#include "game/module1.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

struct Decoding {
    std::string token;
    std::string from;
    std::string to;
};

class CaseMovesTest : public ::testing::TestWithParam<Decoding> {};

TEST_P(CaseMovesTest, DecodesTheToken) {
    Module1 m;
    testing::RecordingBox box;
    m.strFileName = "game.txt";
    m.strFromSquare = "zz";
    m.strToSquare = "yy";
    m.varCurrentMove = GetParam().token;
    CaseMoves(m, box);
    EXPECT_EQ(m.strFromSquare, GetParam().from);
    EXPECT_EQ(m.strToSquare, GetParam().to);
    EXPECT_TRUE(box.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Tokens, CaseMovesTest,
                         ::testing::Values(Decoding{"d2-d4", "d2", "d4"}, Decoding{"b4xb3", "b4", "b3"},
                                           Decoding{"d6-b4+", "d6", "b4"}, Decoding{"a8-d8+", "a8", "d8"},
                                           Decoding{"e7-e8=Q", "e7", "e8"}, Decoding{"o-o", "o-o", ""},
                                           Decoding{"o-o+", "o-o", ""}, Decoding{"o-o++", "o-o", ""},
                                           Decoding{"o-o-o", "o-o-o", ""}, Decoding{"o-o-o+", "o-o-o", ""},
                                           Decoding{"o-o-o++", "o-o-o", ""},
                                           // Not castling: capitals, blanks, other marks.
                                           Decoding{"O-O", "O-", ""}, Decoding{"O-O-O", "O-", "-O"},
                                           Decoding{" o-o", " o", "o"}, Decoding{"o-o ", "o-", " "},
                                           Decoding{"o-o#", "o-", "#"}, Decoding{"", "", ""},
                                           Decoding{"e", "e", ""}, Decoding{"d2-d", "d2", "d"},
                                           // "end" writes nothing.
                                           Decoding{"end", "zz", "yy"}));

TEST(CaseMoves, EndKeepsTheSquaresDecodedBefore) {
    Module1 m;
    testing::RecordingBox box;
    m.strFileName = "game.txt";
    m.varCurrentMove = "d2-d4";
    CaseMoves(m, box);
    m.varCurrentMove = "end";
    CaseMoves(m, box);
    EXPECT_EQ(m.strFromSquare, "d2");
    EXPECT_EQ(m.strToSquare, "d4");
}

TEST(CaseMoves, WithoutAFileNameNothingChanges) {
    Module1 m;
    testing::RecordingBox box;
    for (const char *token : {"d2-d4", "o-o", "", "end"}) {
        m.strFromSquare = "f";
        m.strToSquare = "t";
        m.varCurrentMove = token;
        CaseMoves(m, box);
        EXPECT_EQ(m.strFromSquare, "f");
        EXPECT_EQ(m.strToSquare, "t");
    }
    EXPECT_TRUE(box.shown.empty());
}

} // namespace
} // namespace quorvane
