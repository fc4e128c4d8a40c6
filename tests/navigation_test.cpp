#include "test_support.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using testing::Harness;

struct Harnessed : Harness {
    Harnessed() { Open("/g/file1.txt", testing::ReadTestData("file1.txt")); }
    void GoTo(std::int64_t position) {
        while (form.Position() < position)
            form.StepForward();
        while (form.Position() > position)
            form.StepBack();
    }
};

TEST(Highlight, ButtonsSelectTheLineOfTheLastHalfMove) {
    Harnessed h;
    h.form.cmdBack_Click();
    EXPECT_EQ(h.form.lstMoveList.ListIndex(), -1);
    struct Step {
        bool next;
        std::int64_t position;
        std::int64_t selected;
    };
    for (const Step &s : {Step{true, 1, 0}, Step{true, 2, 0}, Step{true, 3, 1}, Step{false, 2, 1}, Step{false, 1, 0},
                          Step{false, 0, 0}, Step{false, 0, 0}}) {
        s.next ? h.form.cmdNext_Click() : h.form.cmdBack_Click();
        EXPECT_EQ(h.form.Position(), s.position);
        EXPECT_EQ(h.form.lstMoveList.ListIndex(), s.selected) << "at " << s.position;
    }
    h.GoTo(60);
    h.form.lstMoveList.SetListIndex(29);
    h.form.cmdNext_Click();
    EXPECT_EQ(h.form.Position(), 60);
    EXPECT_EQ(h.form.lstMoveList.ListIndex(), 29);
}

TEST(Jump, ToThePositionAfterTheChosenLine) {
    struct Case {
        std::int64_t from;
        std::int64_t line;
        std::int64_t to;
    };
    for (const Case &c : {Case{0, 0, 2}, Case{9, 4, 10}, Case{10, 4, 10}, Case{20, 2, 6}, Case{0, 29, 60},
                          Case{60, 0, 2}, Case{11, 4, 10}}) {
        Harnessed h;
        h.GoTo(c.from);
        h.form.lstMoveList.SetListIndex(c.line);
        h.form.lstMoveList_DblClick();
        EXPECT_EQ(h.form.Position(), c.to) << "line " << c.line << " from " << c.from;
        EXPECT_EQ(h.form.lstMoveList.ListIndex(), c.line) << "the chosen line stays selected";
        Harnessed direct;
        direct.GoTo(c.to);
        EXPECT_EQ(testing::Snapshot(h.form), testing::Snapshot(direct.form));
    }
}

TEST(Jump, EnterActsAsDoubleClickAndOtherKeysDoNothing) {
    Harnessed h;
    h.form.lstMoveList.SetListIndex(3);
    int key = 'a';
    h.form.lstMoveList_KeyPress(key);
    EXPECT_EQ(h.form.Position(), 0);
    key = 13;
    h.form.lstMoveList_KeyPress(key);
    EXPECT_EQ(h.form.Position(), 8);
    EXPECT_EQ(key, 13) << "the key is passed on unchanged";
    // With no line selected the target is -1: all the way back to the start.
    h.form.lstMoveList.SetListIndex(-1);
    h.form.lstMoveList_KeyPress(key);
    EXPECT_EQ(h.form.Position(), 0);
    EXPECT_EQ(testing::Snapshot(h.form), testing::StartSnapshot());
}

TEST(Jump, AStepThatDoesNotAdvanceUsesUpItsCall) {
    Harness h;
    h.Open("/g/bad.txt", testing::MakeRecord({"1. e2-e4 e7-e5", "2. a5-a6 b8-c6", "3. g1-f3 g8-f6"}));
    h.form.lstMoveList.SetListIndex(2);
    h.form.lstMoveList_DblClick();
    EXPECT_EQ(h.form.Position(), 2) << "the board stops short at the half-move that finds no piece";
}

TEST(Jump, FarOnALongRecord) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 20000; ++i)
        lines.push_back(std::to_string(i) + (i % 2 ? ". g1-f3 g8-f6" : ". f3-g1 f6-g8"));
    Harness h;
    h.Open("long.txt", testing::MakeRecord(lines));
    h.form.lstMoveList.SetListIndex(19998);
    h.form.lstMoveList_DblClick();
    EXPECT_EQ(h.form.Position(), 39998);
    EXPECT_EQ(h.form.Image1[6].Tag, "f3");
    h.form.lstMoveList.SetListIndex(19999);
    h.form.lstMoveList_DblClick();
    EXPECT_EQ(h.form.Position(), 40000);
    EXPECT_EQ(testing::Snapshot(h.form), testing::StartSnapshot());
}

} // namespace
} // namespace quorvane
