#include "test_support.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using testing::Harness;

void ExpectEmptyWindow(const Harness &h) {
    EXPECT_EQ(testing::Snapshot(h.form), testing::StartSnapshot());
    EXPECT_EQ(h.form.lstMoveList.ListCount(), 0);
    EXPECT_EQ(h.form.lstFieldsList.ListCount(), 0);
    for (const Label *label : {&h.form.lblDate, &h.form.lblBlackPlayer, &h.form.lblWhitePlayer, &h.form.lblFileName})
        EXPECT_EQ(label->Caption, "");
}

TEST(Open, TheExampleRecord) {
    Harness h;
    h.Open("/home/player/games/file1.txt", testing::ReadTestData("file1.txt"));
    ASSERT_EQ(h.dialog.filtersSeen.size(), 1u);
    EXPECT_EQ(h.dialog.filtersSeen[0], "text files *.txt|*.txt|PGN games|*.pgn|All files|*");
    EXPECT_EQ(h.module.strFileName, "/home/player/games/file1.txt");
    ASSERT_EQ(h.form.lstMoveList.ListCount(), 30);
    EXPECT_EQ(h.form.lstMoveList.List(0), "1. d2-d4 d7-d5");
    EXPECT_EQ(h.form.lstMoveList.List(9), "10. h1-f1 c8-g4");
    EXPECT_EQ(h.form.lstMoveList.List(29), "30. f4-d3 d8xd3");
    EXPECT_EQ(h.form.lstMoveList.ListIndex(), -1);
    ASSERT_EQ(h.form.lstFieldsList.ListCount(), 60);
    EXPECT_EQ(h.form.lstFieldsList.List(0), "d2-d4");
    EXPECT_EQ(h.form.lstFieldsList.List(1), "d7-d5");
    EXPECT_EQ(h.form.lstFieldsList.List(16), "g1-e2");
    EXPECT_EQ(h.form.lstFieldsList.List(17), "o-o");
    EXPECT_EQ(h.form.lstFieldsList.List(59), "d8xd3");
    EXPECT_EQ(h.form.lblDate.Caption, "Tue Jun 01 20:11:16 GMT 2004");
    EXPECT_EQ(h.form.lblWhitePlayer.Caption, "White: knightowl_77");
    EXPECT_EQ(h.form.lblBlackPlayer.Caption, "Black: quiet_bishop");
    EXPECT_EQ(h.form.lblFileName.Caption, "file1.txt");
    ASSERT_TRUE(h.form.FieldsPosition.has_value());
    EXPECT_EQ(*h.form.FieldsPosition, 0);
    EXPECT_TRUE(h.form.Status);
    EXPECT_TRUE(h.box.shown.empty());
}

TEST(Open, MoveLinesAreNumberedByTheLoader) {
    Harness h;
    h.Open("renumbered.txt", testing::MakeRecord({"5. e2-e4 e7-e5", "9. g1-f3 b8-c6", "7. f1-b5 a7-a6"}));
    EXPECT_EQ(h.form.lstMoveList.Items(),
              (std::vector<std::string>{"1. e2-e4 e7-e5", "2. g1-f3 b8-c6", "3. f1-b5 a7-a6"}));
}

TEST(Open, SpacingOfHalfMoves) {
    Harness h;
    h.Open("spaces.txt", testing::MakeRecord({"1. e2-e4  e7-e5", "2. g1-f3 b8-c6 ", "3. f1-b5 a7-a6 extra"}));
    EXPECT_EQ(h.form.lstFieldsList.Items(),
              (std::vector<std::string>{"e2-e4", "", "g1-f3", "b8-c6", "f1-b5", "a7-a6"}));
}

TEST(Open, LinesWithFewerThanTwoHalfMovesStillGiveTwoEntries) {
    Harness h;
    h.Open("short.txt", testing::MakeRecord({"1. e2-e4 e7-e5", "", "3. d2-d4", "4."}));
    EXPECT_EQ(h.form.lstFieldsList.Items(),
              (std::vector<std::string>{"e2-e4", "e7-e5", "", "", "d2-d4", "", "", ""}));
    EXPECT_EQ(h.form.lstMoveList.ListCount(), 4);
    EXPECT_EQ(h.form.Position(), 0);
    EXPECT_EQ(h.form.lblDate.Caption, "Tue Jun 01 20:11:16 GMT 2004");
}

TEST(Open, LongMoveNumbersLeaveCleanHalfMoves) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 120; ++i)
        lines.push_back(std::to_string(i) + ". g1-f3 g8-f6");
    Harness h;
    h.Open("long.txt", testing::MakeRecord(lines));
    EXPECT_EQ(h.form.lstMoveList.List(119), "120. g1-f3 g8-f6");
    EXPECT_EQ(h.form.lstFieldsList.List(2 * 119), "g1-f3");
    EXPECT_EQ(h.form.lstFieldsList.List(2 * 119 + 1), "g8-f6");
}

TEST(Open, ASecondRecordReplacesTheFirst) {
    Harness h;
    h.Open("/g/file1.txt", testing::ReadTestData("file1.txt"));
    for (int i = 0; i < 20; ++i)
        h.form.cmdNext_Click();
    h.Open("/g/game_073.txt", testing::ReadTestData("game_073.txt"));
    EXPECT_EQ(testing::Snapshot(h.form), testing::StartSnapshot());
    EXPECT_EQ(h.form.Position(), 0);
    EXPECT_EQ(h.form.lstMoveList.ListCount(), 39);
    EXPECT_EQ(h.form.lstFieldsList.ListCount(), 78);
    EXPECT_EQ(h.form.lblFileName.Caption, "game_073.txt");
    EXPECT_EQ(h.form.lstMoveList.ListIndex(), -1);
}

TEST(Open, InvalidFilesGiveOneMessageAndAnEmptyWindow) {
    struct Case {
        const char *name;
        std::optional<std::string> text; // nullopt: no such file
    };
    for (const Case &c : {Case{"five.txt", "1\n2\n3\n4\n5"}, Case{"empty.txt", ""}, Case{"missing.txt", std::nullopt},
                          Case{"", std::nullopt}}) {
        Harness h;
        h.Open("/g/file1.txt", testing::ReadTestData("file1.txt"));
        for (int i = 0; i < 5; ++i)
            h.form.StepForward();
        if (c.text)
            h.files->files[c.name] = {*c.text};
        h.dialog.answers.push_back(std::string(c.name));
        h.form.mnuOpen_Click();
        ASSERT_EQ(h.box.shown.size(), 1u) << c.name;
        EXPECT_EQ(h.box.shown[0].text, "File not valid.\r\nView Help on loading procedure.");
        EXPECT_EQ(h.box.shown[0].style, 16);
        EXPECT_EQ(h.box.shown[0].title, std::optional<std::string>("Invalid File"));
        ExpectEmptyWindow(h);
        EXPECT_TRUE(h.form.Status);
        EXPECT_EQ(h.module.strFileName, c.name) << "the name that failed is kept";
        EXPECT_EQ(h.form.Position(), 5) << "a failed open leaves the position alone";
        EXPECT_EQ(h.files->opens[c.name], c.text ? 1 : 0) << "the file is not read a second time";
    }
}

TEST(Open, ACancelledDialogKeepsTheGame) {
    Harness h;
    h.Open("/g/file1.txt", testing::ReadTestData("file1.txt"));
    h.form.cmdNext_Click();
    const auto before = testing::Snapshot(h.form);
    h.dialog.answers.push_back(std::nullopt);
    h.form.mnuOpen_Click();
    EXPECT_EQ(testing::Snapshot(h.form), before);
    EXPECT_EQ(h.form.lstMoveList.ListCount(), 30);
    EXPECT_EQ(h.form.lblFileName.Caption, "file1.txt");
    EXPECT_EQ(h.form.Position(), 1);
    EXPECT_TRUE(h.box.shown.empty());
}

TEST(Open, TheDialogStartsWhereTheLastRecordWas) {
    Harness h;
    h.files->files["/home/p/games/file1.txt"] = {testing::ReadTestData("file1.txt")};
    struct Step {
        const char *name;
        std::optional<std::string> answer; // what the dialog reports, or cancelled
        std::string startedIn;             // where the dialog was opened
    };
    const Step steps[] = {
        {"first: the current folder", "/home/p/games/file1.txt", ""},
        {"then the record's folder", "/home/p/other/missing.txt", "/home/p/games"},
        {"a failed open was still chosen there", std::nullopt, "/home/p/other"},
        {"a cancel changes nothing", "file1.txt", "/home/p/other"},
        {"a bare name: the current folder", std::nullopt, ""},
    };
    for (const Step &step : steps) {
        h.dialog.answers.push_back(step.answer);
        h.form.mnuOpen_Click();
        ASSERT_FALSE(h.dialog.initDirsSeen.empty());
        EXPECT_EQ(h.dialog.initDirsSeen.back(), step.startedIn) << step.name;
        EXPECT_EQ(h.dialog.filtersSeen.back(), "text files *.txt|*.txt|PGN games|*.pgn|All files|*") << step.name;
    }
}

TEST(Open, AFileShortenedBetweenThePassesEndsQuietly) {
    Harness h;
    h.Open("/g/file1.txt", testing::ReadTestData("file1.txt"));
    h.form.StepForward();
    const std::string full = testing::MakeRecord({"1. e2-e4 e7-e5", "2. g1-f3 b8-c6"});
    h.files->files["/g/cut.txt"] = {full, testing::MakeRecord({"1. e2-e4 e7-e5"})};
    h.dialog.answers.push_back(std::string("/g/cut.txt"));
    h.form.mnuOpen_Click();
    EXPECT_TRUE(h.box.shown.empty());
    ExpectEmptyWindow(h);
    EXPECT_EQ(h.form.Position(), 1);
    EXPECT_TRUE(h.form.Status);
}

} // namespace
} // namespace quorvane
