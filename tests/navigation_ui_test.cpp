// Next, Back, double-click and Enter through the real widgets.
#include "ui_support.h"

#include <QScrollBar>
#include <gtest/gtest.h>

namespace quorvane {
namespace {

using testing::Window;

struct Loaded : Window {
    Loaded() { Open(testing::TestDataPath("file1.txt")); }
    void Click(const char *button) { QTest::mouseClick(this->button(button), Qt::LeftButton); }
    void DoubleClick(int row) {
        const QRect r = list()->visualRect(list()->model()->index(row, 0));
        // As a user does it: the first click selects, the second arrives as a double-click.
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, r.center());
    }
    void Press(Qt::Key key) { QTest::keyClick(list(), key); }
    void GoTo(std::int64_t position) {
        while (window.core().Position() < position)
            Click("cmdNext");
        while (window.core().Position() > position)
            Click("cmdBack");
    }
    std::int64_t position() { return window.core().Position(); }
    QPoint pieceAt(int slot) { return testing::PieceAt(window, slot); }
};

TEST(NavigationUi, ButtonsStepAndTheSelectionFollows) {
    Loaded w;
    EXPECT_EQ(w.shownRow(), -1);
    struct Step {
        const char *button;
        std::int64_t position;
        int row;
    };
    for (const Step &s : {Step{"cmdBack", 0, -1}, Step{"cmdNext", 1, 0}, Step{"cmdNext", 2, 0}, Step{"cmdBack", 1, 0},
                          Step{"cmdBack", 0, 0}, Step{"cmdNext", 1, 0}, Step{"cmdNext", 2, 0}, Step{"cmdNext", 3, 1},
                          Step{"cmdBack", 2, 1}, Step{"cmdBack", 1, 0}}) {
        w.Click(s.button);
        EXPECT_EQ(w.position(), s.position) << s.button;
        EXPECT_EQ(w.shownRow(), s.row) << s.button << " to " << s.position;
        EXPECT_EQ(w.window.core().lstMoveList.ListIndex(), s.row);
    }
    // The white d-pawn stands on d4 on the screen after the first Next.
    w.GoTo(1);
    EXPECT_EQ(w.pieceAt(12), QPoint(208, 288));
}

TEST(NavigationUi, DoubleClickJumpsToThePositionAfterTheLine) {
    struct Case {
        std::int64_t from;
        int line;
        std::int64_t to;
    };
    for (const Case &c : {Case{0, 0, 2}, Case{9, 4, 10}, Case{10, 4, 10}, Case{20, 2, 6}, Case{0, 29, 60}}) {
        Loaded w;
        w.GoTo(c.from);
        w.DoubleClick(c.line);
        EXPECT_EQ(w.position(), c.to) << "line " << c.line << " from " << c.from;
        EXPECT_EQ(w.shownRow(), c.line) << "the chosen line stays selected";
    }
}

TEST(NavigationUi, EnterActsOnTheSelectedLineAndOtherKeysOnlyNavigate) {
    Loaded w;
    // Right after a load no line is selected: Enter goes back to the start.
    w.GoTo(5);
    w.list()->setFocus();
    w.window.core().lstMoveList.SetListIndex(-1);
    w.window.refresh();
    w.Press(Qt::Key_Return);
    EXPECT_EQ(w.position(), 0);

    // A single click only selects.
    const QRect r = w.list()->visualRect(w.list()->model()->index(3, 0));
    QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(w.window.core().lstMoveList.ListIndex(), 3);
    EXPECT_EQ(w.position(), 0);
    // Arrow keys move the selection and play nothing.
    w.Press(Qt::Key_Down);
    EXPECT_EQ(w.window.core().lstMoveList.ListIndex(), 4);
    w.Press(Qt::Key_A);
    EXPECT_EQ(w.position(), 0);
    w.Press(Qt::Key_Return);
    EXPECT_EQ(w.position(), 10);
    w.Press(Qt::Key_Enter);
    EXPECT_EQ(w.position(), 10);
    EXPECT_EQ(w.shownRow(), 4);
}

TEST(NavigationUi, NextAfterTheLastHalfMoveKeepsTheLastLine) {
    Loaded w;
    w.DoubleClick(29);
    ASSERT_EQ(w.position(), 60);
    w.Click("cmdNext");
    EXPECT_EQ(w.position(), 60);
    EXPECT_EQ(w.shownRow(), 29);
}

TEST(NavigationUi, TheSelectedLineIsScrolledIntoView) {
    Loaded w;
    w.GoTo(59); // the last line's White half-move
    ASSERT_EQ(w.shownRow(), 29);
    const QRect row = w.list()->visualRect(w.list()->model()->index(29, 0));
    EXPECT_TRUE(w.list()->viewport()->rect().contains(row)) << "the last line must be visible";
    w.DoubleClick(29);
    w.Click("cmdBack");
    w.Click("cmdBack"); // Back over Black's half-move of line 29 selects it
    w.GoTo(1);
    const QRect first = w.list()->visualRect(w.list()->model()->index(0, 0));
    EXPECT_TRUE(w.list()->viewport()->rect().contains(first));
}

TEST(NavigationUi, AJumpOnALongRecordLandsAfterTheLine) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 20000; ++i)
        lines.push_back(std::to_string(i) + (i % 2 ? ". g1-f3 g8-f6" : ". f3-g1 f6-g8"));
    const std::string path = ::testing::TempDir() + "/quorvane-long-record.txt";
    {
        std::FILE *f = std::fopen(path.c_str(), "wb");
        const std::string text = testing::MakeRecord(lines);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    Window w;
    w.Open(path);
    ASSERT_EQ(w.window.core().lstMoveList.ListCount(), 20000);
    w.window.core().lstMoveList.SetListIndex(19998);
    w.window.refresh();
    w.list()->setFocus();
    QTest::keyClick(w.list(), Qt::Key_Return);
    EXPECT_EQ(w.window.core().Position(), 39998);
    EXPECT_EQ(testing::PieceAt(w.window, 6), QPoint(TwipsToPixels(4800), TwipsToPixels(5040)));
    EXPECT_TRUE(testing::PiecePainted(w.window, w.window.centralWidget()->grab().toImage(), 6));
    const QRect row = w.list()->visualRect(w.list()->model()->index(19998, 0));
    EXPECT_TRUE(w.list()->viewport()->rect().contains(row));
    std::remove(path.c_str());
}

} // namespace
} // namespace quorvane
