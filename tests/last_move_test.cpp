#include "logic/last_move.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using testing::Harness;

// The marked squares by name, "-" for none.
std::pair<std::string, std::string> Names(const LastMoveSquares &last) {
    auto name = [](int i) { return i < 0 ? std::string("-") : board::SquareName(i); };
    return {name(last.from), name(last.to)};
}

struct Row {
    const char *name;
    std::function<void(Harness &)> play;
    std::string from, to;
};

void OpenAndStep(Harness &h, const char *record, int nexts) {
    h.Open(std::string("/g/") + record, testing::ReadTestData(record));
    for (int i = 0; i < nexts; ++i)
        h.form.cmdNext_Click();
}

TEST(LastMove, SquaresOfTheHalfMoveLastPlayed) {
    const Row rows[] = {
        {"nothing before a record", [](Harness &) {}, "-", "-"},
        {"nothing at the start", [](Harness &h) { OpenAndStep(h, "file1.txt", 0); }, "-", "-"},
        {"a move", [](Harness &h) { OpenAndStep(h, "file1.txt", 1); }, "d2", "d4"},
        {"Black's reply", [](Harness &h) { OpenAndStep(h, "file1.txt", 2); }, "d7", "d5"},
        {"a check", [](Harness &h) { OpenAndStep(h, "file1.txt", 10); }, "d6", "b4"},
        {"a capture", [](Harness &h) { OpenAndStep(h, "file1.txt", 14); }, "b4", "b3"},
        {"Black castles short", [](Harness &h) { OpenAndStep(h, "file1.txt", 18); }, "e8", "g8"},
        {"White castles short", [](Harness &h) { OpenAndStep(h, "game_073.txt", 17); }, "e1", "g1"},
        {"Black castles long", [](Harness &h) { OpenAndStep(h, "game_118.txt", 22); }, "e8", "c8"},
        {"White castles long", [](Harness &h) { OpenAndStep(h, "game_118.txt", 23); }, "e1", "c1"},
        {"Back shows the half-move before",
         [](Harness &h) {
             OpenAndStep(h, "file1.txt", 3);
             h.form.cmdBack_Click();
         },
         "d7", "d5"},
        {"Back to the start",
         [](Harness &h) {
             OpenAndStep(h, "file1.txt", 1);
             h.form.cmdBack_Click();
         },
         "-", "-"},
        {"a jump to after line 5",
         [](Harness &h) {
             OpenAndStep(h, "file1.txt", 0);
             h.form.lstMoveList.SetListIndex(4);
             h.form.lstMoveList_DblClick();
         },
         "d6", "b4"},
        {"the last half-move", [](Harness &h) { OpenAndStep(h, "file1.txt", 60); }, "d8", "d3"},
        {"a step over \"end\"",
         [](Harness &h) {
             h.LoadTokens({"e2-e4", "end"});
             h.form.cmdNext_Click();
             h.form.cmdNext_Click();
         },
         "-", "-"},
        {"Back over \"end\"",
         [](Harness &h) {
             h.LoadTokens({"e2-e4", "end"});
             h.form.cmdNext_Click();
             h.form.cmdNext_Click();
             h.form.cmdBack_Click();
         },
         "e2", "e4"},
        {"an empty token",
         [](Harness &h) {
             h.LoadTokens({"e2-e4", ""});
             h.form.FieldsPosition = 2;
         },
         "-", "-"},
        {"a to-square that names no square",
         [](Harness &h) {
             h.LoadTokens({"e2-zz"});
             h.form.cmdNext_Click();
         },
         "e2", "-"},
        {"neither names a square",
         [](Harness &h) {
             h.LoadTokens({"e2-zz", "e7-e5", "zz-yy"});
             for (int i = 0; i < 3; ++i)
                 h.form.cmdNext_Click();
             ASSERT_EQ(h.form.Position(), 3);
         },
         "-", "-"},
        {"the lists emptied by a failed open",
         [](Harness &h) {
             OpenAndStep(h, "file1.txt", 5);
             h.dialog.answers.push_back("/g/missing.txt");
             h.form.mnuOpen_Click();
             ASSERT_EQ(h.form.Position(), 5);
         },
         "-", "-"},
    };
    for (const Row &row : rows) {
        Harness h;
        row.play(h);
        const std::string before = h.module.strFromSquare + "|" + h.module.strToSquare + "|" + h.module.varCurrentMove;
        EXPECT_EQ(Names(LastMoveOf(h.form)), std::make_pair(row.from, row.to)) << row.name;
        EXPECT_EQ(h.module.strFromSquare + "|" + h.module.strToSquare + "|" + h.module.varCurrentMove, before)
            << row.name << ": the record's own decoding state is left alone";
    }
}

} // namespace
} // namespace quorvane
