#include "game/reader.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

struct Reader {
    Module1 m;
    testing::MemoryFileSystem *files = new testing::MemoryFileSystem;
    int resets = 0;

    Reader() { m.objFileSystem.reset(files); }
    // Counts, and reads when the count succeeded; true when both ran.
    bool Load(const std::string &text) {
        m.strFileName = "record.txt";
        files->files[m.strFileName] = {text};
        return Count() && (ReadGameFile(m), true);
    }
    bool Count() {
        const int before = resets;
        CountMoveLines(m, [this] { ++resets; });
        return resets == before;
    }
};

TEST(Reader, TheExampleRecord) {
    Reader r;
    ASSERT_TRUE(r.Load(testing::ReadTestData("file1.txt")));
    EXPECT_EQ(r.m.intLastMoveLine, 29);
    ASSERT_EQ(r.m.arrMoveLines.size(), 30u);
    EXPECT_EQ(r.m.arrMoveLines[0], "d2-d4 d7-d5");
    EXPECT_EQ(r.m.arrMoveLines[8], "g1-e2 o-o");
    EXPECT_EQ(r.m.arrMoveLines[9], "h1-f1 c8-g4");
    EXPECT_EQ(r.m.arrMoveLines[29], "f4-d3 d8xd3");
    EXPECT_EQ(r.m.strGameDate, "Tue Jun 01 20:11:16 GMT 2004");
    EXPECT_EQ(r.m.strWhitePlayer, "White: knightowl_77");
    EXPECT_EQ(r.m.strBlackPlayer, "Black: quiet_bishop");
    const std::string text = testing::ReadTestData("file1.txt");
    EXPECT_EQ(r.m.strTitleLine, text.substr(0, text.find('\n')));
}

TEST(Reader, LineEndsDoNotMatter) {
    const std::string lf = testing::ReadTestData("file1.txt");
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Reader plain;
    ASSERT_TRUE(plain.Load(lf));
    for (const std::string &variant : {lf + "\n", crlf, crlf + "\r\n"}) {
        Reader r;
        ASSERT_TRUE(r.Load(variant));
        EXPECT_EQ(r.m.intLastMoveLine, plain.m.intLastMoveLine);
        EXPECT_EQ(r.m.arrMoveLines, plain.m.arrMoveLines);
        EXPECT_EQ(r.m.strGameDate, plain.m.strGameDate);
    }
}

TEST(Reader, LineCountLimits) {
    struct Case {
        std::string text;
        bool accepted;
        int last;
    };
    auto lines = [](int n) {
        std::string text;
        for (int i = 0; i < n; ++i)
            text += "1. a\n";
        return text;
    };
    for (const Case &c : {Case{lines(6), true, 0}, Case{lines(5), false, 0}, Case{"", false, 0},
                          Case{lines(32767), true, 32761}, Case{lines(32768), false, 0}}) {
        Reader r;
        EXPECT_EQ(r.Load(c.text), c.accepted) << c.text.size() << " bytes";
        EXPECT_EQ(r.resets, c.accepted ? 0 : 1);
        if (c.accepted) {
            EXPECT_EQ(r.m.intLastMoveLine, c.last);
            EXPECT_EQ(r.m.arrMoveLines.size(), static_cast<std::size_t>(c.last) + 1);
        }
    }
}

TEST(Reader, MissingAndEmptyPathsFailTheCountOnce) {
    for (const char *path : {"", "/nowhere/missing.txt"}) {
        Reader r;
        r.m.strFileName = path;
        EXPECT_FALSE(r.Count());
        EXPECT_EQ(r.resets, 1);
    }
}

TEST(Reader, ShortHeaderLinesGiveEmptyTexts) {
    Reader r;
    ASSERT_TRUE(r.Load(";T\n;\n;B\n;Date:\n\n1. e2-e4 e7-e5"));
    EXPECT_EQ(r.m.strWhitePlayer, "");
    EXPECT_EQ(r.m.strBlackPlayer, "B");
    EXPECT_EQ(r.m.strGameDate, "");
}

TEST(Reader, AnyTextOfSixLinesIsTakenAsIs) {
    Reader r;
    ASSERT_TRUE(r.Load("Dear all,\nthe\nminutes\nof the meeting\n\nare attached\n"));
    EXPECT_EQ(r.m.strWhitePlayer, "he");
    EXPECT_EQ(r.m.strGameDate, "meeting");
    EXPECT_EQ(r.m.arrMoveLines, std::vector<std::string>{"attached"});
}

TEST(MoveNumbers, AreCutWhateverTheirLength) {
    const std::pair<const char *, const char *> rows[] = {
        {"1. d2-d4 d7-d5", "d2-d4 d7-d5"},
        {"10. h1-f1 c8-g4", "h1-f1 c8-g4"},
        {"99.  a1-a2 a7-a6", "a1-a2 a7-a6"},
        {"100. e2-e4 e7-e5", "e2-e4 e7-e5"},
        {"1234. e2-e4 e7-e5", "e2-e4 e7-e5"},
        {"32761. e2-e4 e7-e5", "e2-e4 e7-e5"},
        // Only digits followed by a point are a long number; anything else is cut at three.
        {"123 e2-e4 e7-e5", "e2-e4 e7-e5"},
        {"1. \te2", "\te2"},
        {"1.   ", ""},
        {"1.", ""},
        {"", ""},
    };
    for (const auto &[line, moves] : rows) {
        EXPECT_EQ(CutMoveNumber(line), moves) << line;
        std::string inPlace = line;
        CutMoveNumberInPlace(inPlace);
        EXPECT_EQ(inPlace, moves) << line << " (cut in place)";
    }
}

} // namespace
} // namespace quorvane
