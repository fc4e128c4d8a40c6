// How the main window's widgets follow its logic: a box shows over the window as
// the command left it, the list box keeps its selection and shows whole rows, the
// step buttons take Enter, and records with lines of megabytes are shown cut
// short while the logic keeps every byte.
#include "ui/board_view.h"
#include "ui/text_codec.h"
#include "ui_support.h"

#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace quorvane {
namespace {

using testing::Window;

// A box that looks at the window while it is up.
class InspectingBox : public MessageBox {
public:
    std::function<void()> onShow;
    int shows = 0;
    void Show(const std::string &, int, const std::optional<std::string> &) override {
        ++shows;
        if (onShow)
            onShow();
    }
};

QLabel *LabelOf(ui::FrmChsMain &window, const char *name) {
    return window.findChild<QLabel *>(name);
}

bool PiecesAtTheStart(ui::FrmChsMain &window) {
    for (int slot = 0; slot < board::kPieceCount; ++slot) {
        const QPoint start(TwipsToPixels(board::StartLeft(slot)), TwipsToPixels(board::StartTop(slot)));
        if (testing::PieceAt(window, slot) != start || !window.boardView().pieceShown(slot))
            return false;
    }
    return true;
}

// Writes records into a directory of its own that goes with it.
struct Records {
    QTemporaryDir dir;
    std::string Write(const std::string &name, const std::string &text) {
        const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
};

std::string Record(const std::string &white, const std::string &firstMoveLine, int moveLines = 2) {
    std::string text = ";Title: Chess Game\n;White: " + white + "\n;Black: quiet_bishop\n" +
                       ";Date: Tue Jun 01 20:11:16 GMT 2004\n\n1. " + firstMoveLine;
    static const char *const kMore[] = {"g1-f3 b8-c6", "f1-c4 f8-c5", "b1-c3 g8-f6", "d2-d3 d7-d6"};
    for (int i = 1; i < moveLines; ++i)
        text += "\n" + std::to_string(i + 1) + ". " + kMore[(i - 1) % 4];
    return text;
}

TEST(WindowView, TheInvalidFileBoxShowsOverTheResetWindow) {
    Module1 module;
    testing::ScriptedDialog dialog;
    InspectingBox box;
    ui::FrmChsMain window(module, &dialog, &box);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    dialog.answers.push_back(testing::TestDataPath("file1.txt"));
    window.mnuOpen_Click();
    QPushButton *next = window.findChild<QPushButton *>("cmdNext");
    for (int i = 0; i < 5; ++i)
        QTest::mouseClick(next, Qt::LeftButton);
    ASSERT_FALSE(PiecesAtTheStart(window));
    ASSERT_FALSE(LabelOf(window, "lblWhitePlayer")->text().isEmpty());

    struct Seen {
        QStringList labels;
        int rows = -1;
        bool selection = true;
        bool piecesAtStart = false;
    } seen;
    box.onShow = [&] {
        for (const char *name : {"lblWhitePlayer", "lblBlackPlayer", "lblDate", "lblFileName"})
            seen.labels << LabelOf(window, name)->text();
        auto *list = window.findChild<QListView *>("lstMoveList");
        seen.rows = list->model()->rowCount();
        seen.selection = list->selectionModel()->hasSelection();
        seen.piecesAtStart = PiecesAtTheStart(window);
    };
    dialog.answers.push_back(testing::TestDataPath("no-such-record.txt"));
    window.mnuOpen_Click();
    ASSERT_EQ(box.shows, 1);
    EXPECT_EQ(seen.labels, QStringList({"", "", "", ""})) << "players, date and file name";
    EXPECT_EQ(seen.rows, 0);
    EXPECT_FALSE(seen.selection);
    EXPECT_TRUE(seen.piecesAtStart);
}

// Once a line is selected, a stray click keeps it, and Enter still jumps after it.
TEST(WindowView, AStrayClickKeepsTheSelectedLine) {
    Records records;
    const std::string path = records.Write("short.txt", Record("knightowl_77", "e2-e4 e7-e5", 3));
    enum class Action { ClickBelowTheLastLine, CtrlClickTheSelectedLine, CtrlSpace, ClickAnotherLine };
    struct Case {
        const char *name;
        int selectedFirst; // -1: nothing selected before the action
        Action action;
        std::int64_t listIndex;
        std::int64_t positionAfterEnter;
    };
    for (const Case &c : {
             Case{"a click below the last line", 1, Action::ClickBelowTheLastLine, 1, 4},
             Case{"a Ctrl+click on the selected line", 1, Action::CtrlClickTheSelectedLine, 1, 4},
             Case{"Ctrl+Space on the selected line", 2, Action::CtrlSpace, 2, 6},
             Case{"a click on another line selects it", 0, Action::ClickAnotherLine, 2, 6},
             Case{"before any selection a click below selects nothing", -1, Action::ClickBelowTheLastLine, -1, 0},
         }) {
        SCOPED_TRACE(c.name);
        Window w;
        w.Open(path);
        QListView *list = w.list();
        ASSERT_EQ(list->model()->rowCount(), 3);
        auto rowCentre = [&](int row) { return list->visualRect(list->model()->index(row, 0)).center(); };
        if (c.selectedFirst >= 0)
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(c.selectedFirst));
        ASSERT_EQ(w.window.core().lstMoveList.ListIndex(), c.selectedFirst);
        const QPoint below(rowCentre(0).x(), list->visualRect(list->model()->index(2, 0)).bottom() + 20);
        ASSERT_LT(below.y(), list->viewport()->height());
        switch (c.action) {
        case Action::ClickBelowTheLastLine:
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, below);
            break;
        case Action::CtrlClickTheSelectedLine:
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(c.selectedFirst));
            break;
        case Action::CtrlSpace:
            QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
            break;
        case Action::ClickAnotherLine:
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(2));
            break;
        }
        EXPECT_EQ(w.window.core().lstMoveList.ListIndex(), c.listIndex);
        EXPECT_EQ(w.shownRow(), c.listIndex);
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_EQ(w.window.core().Position(), c.positionAfterEnter);
    }
}

TEST(WindowView, TheMoveListShowsWholeRowsInItsDesignedBox) {
    Window w;
    w.Open(testing::TestDataPath("file1.txt"));
    QListView *list = w.list();
    const int row = list->sizeHintForRow(0);
    ASSERT_GT(row, 0);
    const QRect designed = ui::twipsRect(7560, 1440, 2535, 5760);
    EXPECT_EQ(list->pos(), designed.topLeft());
    EXPECT_EQ(list->width(), designed.width());
    EXPECT_LE(list->height(), designed.height());
    EXPECT_GT(list->height(), designed.height() - row);
    EXPECT_EQ(list->viewport()->height() % row, 0) << "viewport " << list->viewport()->height() << ", row " << row;
    // The last row in view ends at the viewport's bottom edge, whole.
    const QModelIndex last = list->indexAt(QPoint(1, list->viewport()->height() - 1));
    ASSERT_TRUE(last.isValid());
    EXPECT_EQ(list->visualRect(last).bottom(), list->viewport()->height() - 1);
}

TEST(WindowView, EnterPressesTheFocusedStepButton) {
    struct Case {
        const char *button;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::int64_t position;
    };
    for (const Case &c : {Case{"cmdNext", Qt::Key_Return, {}, 3}, Case{"cmdNext", Qt::Key_Enter, Qt::KeypadModifier, 3},
                          Case{"cmdNext", Qt::Key_Space, {}, 3}, Case{"cmdBack", Qt::Key_Return, {}, 1},
                          Case{"cmdBack", Qt::Key_Enter, Qt::KeypadModifier, 1},
                          Case{"cmdNext", Qt::Key_Return, Qt::ControlModifier, 2}}) {
        SCOPED_TRACE(std::string(c.button) + " key " + std::to_string(c.key));
        Window w;
        w.Open(testing::TestDataPath("file1.txt"));
        for (int i = 0; i < 2; ++i)
            QTest::mouseClick(w.button("cmdNext"), Qt::LeftButton);
        QPushButton *button = w.button(c.button);
        button->setFocus();
        QTest::keyClick(button, c.key, c.modifiers);
        EXPECT_EQ(w.window.core().Position(), c.position);
        EXPECT_EQ(w.shownRow(), w.window.core().lstMoveList.ListIndex());
    }
}

TEST(WindowView, LinesOfAMegabyteAreShownCutShortAndKeptWhole) {
    const std::string handle(1 << 20, 'w');
    const std::string tail(1 << 20, 'z');
    Records records;
    const std::string path = records.Write("long.txt", Record(handle, "e2-e4 e7-e5 " + tail));
    Window w;
    w.Open(path);
    ASSERT_TRUE(w.box.shown.empty());
    const ChsMain &core = w.window.core();
    EXPECT_EQ(core.lstMoveList.List(0), "1. e2-e4 e7-e5 " + tail) << "the logic keeps every byte";
    EXPECT_EQ(core.lblWhitePlayer.Caption.size(), handle.size() + 7);

    const QString row = w.list()->model()->index(0, 0).data().toString();
    EXPECT_EQ(row.size(), static_cast<qsizetype>(ui::kShownChars) + 1);
    EXPECT_TRUE(row.startsWith("1. e2-e4 e7-e5 zzz"));
    EXPECT_TRUE(row.endsWith(QChar(0x2026)));
    EXPECT_EQ(w.list()->model()->index(1, 0).data().toString(), "2. g1-f3 b8-c6") << "short rows stay whole";

    QLabel *white = LabelOf(w.window, "lblWhitePlayer");
    EXPECT_EQ(white->text().size(), static_cast<qsizetype>(ui::kShownChars) + 1);
    EXPECT_TRUE(white->text().startsWith("White: www"));
    EXPECT_TRUE(white->text().endsWith(QChar(0x2026)));
    EXPECT_EQ(white->geometry().right(), TwipsToPixels(7260) - 1) << "still grows to the left of its right edge";
    EXPECT_EQ(LabelOf(w.window, "lblBlackPlayer")->text(), "Black: quiet_bishop");

    // Stepping works on the whole game.
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(w.button("cmdNext"), Qt::LeftButton);
    EXPECT_EQ(core.Position(), 3);
    EXPECT_EQ(w.shownRow(), 1);
}

// A refresh leaves a label alone while its caption has not changed, so a long
// caption is not converted again on every step.
TEST(WindowView, ARefreshConvertsOnlyCaptionsThatChanged) {
    Window w;
    w.Open(testing::TestDataPath("file1.txt"));
    QLabel *white = LabelOf(w.window, "lblWhitePlayer");
    const QString shown = white->text();
    white->setText("left alone");
    QTest::mouseClick(w.button("cmdNext"), Qt::LeftButton);
    w.window.refresh();
    EXPECT_EQ(white->text(), "left alone");

    Records records;
    w.Open(records.Write("other.txt", Record("another_player", "e2-e4 e7-e5")));
    EXPECT_EQ(white->text(), "White: another_player") << "a changed caption is shown";
    w.Open(testing::TestDataPath("file1.txt"));
    EXPECT_EQ(white->text(), shown);
}

} // namespace
} // namespace quorvane
