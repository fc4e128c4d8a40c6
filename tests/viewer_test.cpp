// Stepping by key and wheel, the last-move mark, the flipped board, drops, the
// View menu and the title, through the real main window.
#include "platform/qt/qt_dialogs.h"
#include "ui/board_view.h"
#include "ui_support.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <QWindow>
#include <gtest/gtest.h>

#include <variant>

namespace quorvane {
namespace {

using testing::Window;

struct Viewer : Window {
    explicit Viewer(const char *record = nullptr) {
        if (record)
            Open(testing::TestDataPath(record));
    }
    std::int64_t position() { return window.core().Position(); }
    QWidget *squares() { return &window.boardView(); }
    const std::vector<int> &outlined() { return window.boardView().outlined(); }
    QAction *action(const char *name) { return window.findChild<QAction *>(name); }
    QPoint piece(int slot) { return testing::PieceAt(window, slot); }
    QImage grab() { return window.centralWidget()->grab().toImage(); }
    void click(const char *name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void clickLine(int row) {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          list()->visualRect(list()->model()->index(row, 0)).center());
    }
    // What Home and End stand for, pressed as a user would press the buttons.
    void clickBackToStart() {
        while (position() > 0)
            click("cmdBack");
    }
    void clickNextToEnd() {
        for (std::int64_t before = -1; before != position();) {
            before = position();
            click("cmdNext");
        }
    }
    // The whole visible state that stepping may change.
    std::tuple<std::vector<testing::PieceState>, std::int64_t, int, std::int64_t> state() {
        return {testing::Snapshot(window.core()), position(), shownRow(), window.core().lstMoveList.ListIndex()};
    }
};

int SquareIndex(const char *name) {
    return board::FindSquare(board::MakeSquares(), name);
}

// A pixel on the outline of a square, in its top left corner where no piece
// reaches, in the client area; for the flipped board the square drawn there.
QColor OutlinePixel(const QImage &client, int square) {
    const QRect r = ui::twipsRect(board::FileLeft(square % 8), board::RankTop(square / 8), board::kSquareWidth,
                                  board::kSquareHeight);
    return client.pixelColor(r.left() + 3, r.top() + 3);
}

// ---- Keys ----

enum class Key { Right, Left, Home, End };
using KeyStep = std::variant<Key, int>; // a key, or a click on that move line

TEST(ViewerKeys, StepLikeTheButtonsFromEveryFocus) {
    const std::vector<KeyStep> script = {Key::Right, Key::Right, Key::Right, Key::Left,  Key::End,   Key::Left,
                                         Key::Left,  Key::Left,  Key::Home,  Key::Left,  Key::Right, 7,
                                         Key::End,   Key::Home,  12,         Key::Right, Key::Right, Key::Home};
    for (const char *record : {"file1.txt", "game_032.txt", "game_015.txt"}) {
        for (const char *focus : {"lstMoveList", "cmdNext", "cmdBack", "the window"}) {
            Viewer keys(record);
            Viewer clicks(record);
            QWidget *target = focus == std::string("the window") ? static_cast<QWidget *>(&keys.window)
                                                                 : keys.window.findChild<QWidget *>(focus);
            for (std::size_t i = 0; i < script.size(); ++i) {
                if (const int *line = std::get_if<int>(&script[i])) {
                    keys.clickLine(*line);
                    clicks.clickLine(*line);
                } else {
                    static constexpr Qt::Key kKeys[] = {Qt::Key_Right, Qt::Key_Left, Qt::Key_Home, Qt::Key_End};
                    target->setFocus();
                    QTest::keyClick(target, kKeys[static_cast<int>(std::get<Key>(script[i]))]);
                    switch (std::get<Key>(script[i])) {
                    case Key::Right:
                        clicks.click("cmdNext");
                        break;
                    case Key::Left:
                        clicks.click("cmdBack");
                        break;
                    case Key::Home:
                        clicks.clickBackToStart();
                        break;
                    case Key::End:
                        clicks.clickNextToEnd();
                        break;
                    }
                }
                ASSERT_EQ(keys.state(), clicks.state()) << record << ", focus on " << focus << ", step " << i;
                for (int slot = 0; slot < 32; ++slot)
                    ASSERT_EQ(keys.piece(slot), clicks.piece(slot)) << record << " step " << i << " slot " << slot;
            }
            EXPECT_EQ(keys.position(), 0);
        }
    }
}

TEST(ViewerKeys, TheListKeepsItsOwnKeys) {
    Viewer w("file1.txt");
    w.window.stepBy(5);
    w.list()->setFocus();
    struct Row {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::int64_t listIndex;
    };
    // From line 2, the line of the fifth half-move.
    for (const Row &row : {Row{Qt::Key_Down, {}, 3}, Row{Qt::Key_Up, {}, 2}, Row{Qt::Key_PageDown, {}, -2},
                           Row{Qt::Key_Right, Qt::ControlModifier, -1}, Row{Qt::Key_End, Qt::ShiftModifier, -1}}) {
        const std::int64_t before = w.window.core().lstMoveList.ListIndex();
        QTest::keyClick(w.list(), row.key, row.modifiers);
        EXPECT_EQ(w.position(), 5) << "key " << row.key << " plays nothing";
        const std::int64_t now = w.window.core().lstMoveList.ListIndex();
        if (row.listIndex >= 0) {
            EXPECT_EQ(now, row.listIndex) << row.key;
        } else if (row.listIndex == -2) {
            EXPECT_GT(now, before + 1) << "Page Down moves the selection a page";
        }
    }
    QTest::keyClick(w.list(), Qt::Key_Return);
    EXPECT_EQ(w.position(), 2 * w.window.core().lstMoveList.ListIndex() + 2) << "Enter still jumps";
}

// ---- Wheel ----

TEST(ViewerWheel, WholeNotchesOverTheBoardStep) {
    Viewer w("file1.txt");
    w.window.stepBy(10);
    // Where the wheel lands over e2's piece: the squares, as pieces let the mouse through.
    const QPoint overPiece = ui::twipsRect(board::FileLeft(4), board::RankTop(6), 10, 10).center();
    QWidget *target = w.window.centralWidget()->childAt(overPiece);
    ASSERT_EQ(target, w.squares());
    struct Row {
        const char *name;
        std::vector<int> deltas;
        std::int64_t position;
    };
    const Row rows[] = {
        {"one notch down is Next", {-120}, 11},
        {"one notch up is Back", {120}, 10},
        {"three notches at once", {-360}, 13},
        {"parts of a notch add up", {-40, -40}, 13},
        {"until they make one", {-40}, 14},
        {"half a notch up, then half down", {60, -60}, 14},
        {"turning round dropped the half up", {-60}, 15},
        {"a touchpad's small steps", {15, 15, 15, 15, 15, 15, 15, 15}, 14},
        {"sideways does nothing", {0}, 14},
    };
    // The same steps by the buttons; each row's notches all go one way.
    Viewer clicks("file1.txt");
    clicks.window.stepBy(10);
    for (const Row &row : rows) {
        for (std::int64_t p = clicks.position(); p != row.position; p = clicks.position())
            clicks.click(p < row.position ? "cmdNext" : "cmdBack");
        for (int delta : row.deltas) {
            const QPoint at = target->mapFrom(w.window.centralWidget(), overPiece);
            QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(delta == 0 ? 120 : 0, delta), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(target, &wheel);
        }
        EXPECT_EQ(w.position(), row.position) << row.name;
        EXPECT_EQ(w.state(), clicks.state()) << row.name;
    }

    // Over the move list the wheel scrolls the list and plays nothing.
    QWheelEvent down(QPointF(20, 20), w.list()->viewport()->mapToGlobal(QPoint(20, 20)), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.list()->viewport(), &down);
    EXPECT_EQ(w.position(), 14);
}

// ---- The last-move mark ----

TEST(ViewerMark, OutlinesTheLastHalfMoveOnLightAndDarkSquares) {
    Viewer w("file1.txt");
    EXPECT_TRUE(w.outlined().empty()) << "none at the start";
    struct Row {
        const char *name;
        std::function<void(Viewer &)> act;
        std::vector<const char *> squares;
    };
    const Row rows[] = {
        {"d2-d4, dark squares", [](Viewer &v) { v.click("cmdNext"); }, {"d2", "d4"}},
        {"d7-d5, light squares", [](Viewer &v) { v.click("cmdNext"); }, {"d7", "d5"}},
        {"Back", [](Viewer &v) { v.click("cmdBack"); }, {"d2", "d4"}},
        {"capture b4xb3", [](Viewer &v) { v.window.stepBy(13); }, {"b4", "b3"}},
        {"Black castles", [](Viewer &v) { v.window.stepBy(4); }, {"e8", "g8"}},
        {"a jump to after line 3",
         [](Viewer &v) {
             v.clickLine(2);
             QTest::mouseDClick(v.list()->viewport(), Qt::LeftButton, {},
                                v.list()->visualRect(v.list()->model()->index(2, 0)).center());
         },
         {"d8", "d6"}},
        {"Home", [](Viewer &v) { v.window.goToStart(); }, {}},
        {"End", [](Viewer &v) { v.window.goToEnd(); }, {"d8", "d3"}},
    };
    for (const Row &row : rows) {
        row.act(w);
        std::vector<int> expected;
        for (const char *square : row.squares)
            expected.push_back(SquareIndex(square));
        EXPECT_EQ(w.outlined(), expected) << row.name;
        const QImage image = w.grab();
        for (int square : expected)
            EXPECT_EQ(OutlinePixel(image, square), ui::kLastMoveOutline) << row.name << " on " << square;
    }

    // Off and on again from the View menu.
    w.window.stepBy(-1);
    const int d3 = SquareIndex("d3"); // d8xd3 is taken back: d3 is a light square
    ASSERT_EQ(w.outlined(), (std::vector<int>{SquareIndex("f4"), d3}));
    w.action("mnuShowLastMove")->trigger();
    EXPECT_TRUE(w.outlined().empty());
    EXPECT_EQ(OutlinePixel(w.grab(), d3), ui::kLightSquare);
    w.window.stepBy(1);
    EXPECT_TRUE(w.outlined().empty()) << "stays off while stepping";
    w.action("mnuShowLastMove")->trigger();
    EXPECT_EQ(w.outlined(), (std::vector<int>{SquareIndex("d8"), d3}));
}

TEST(ViewerMark, NoneAfterAStepOverEnd) {
    const std::string path = ::testing::TempDir() + "/quorvane-end.txt";
    std::FILE *f = std::fopen(path.c_str(), "wb");
    const std::string text = testing::MakeRecord({"1. e2-e4 e7-e5", "2. end"});
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    Viewer w;
    w.Open(path);
    w.window.goToEnd();
    EXPECT_EQ(w.position(), 3);
    EXPECT_TRUE(w.outlined().empty());
    w.window.stepBy(-1);
    EXPECT_EQ(w.outlined(), (std::vector<int>{SquareIndex("e7"), SquareIndex("e5")}));
    // A failed open empties the lists while the count stays: nothing to mark.
    w.Open(testing::TestDataPath("no-such-record.txt"));
    EXPECT_TRUE(w.outlined().empty());
    std::remove(path.c_str());
}

// ---- Flip ----

TEST(ViewerFlip, RankOneOnTopAndTwiceIsTheDesignedPicture) {
    Viewer w("file1.txt");
    w.window.stepBy(14); // b4xb3 just played: the mark shows
    w.window.activateWindow();
    QApplication::setActiveWindow(&w.window);
    const QImage designed = w.grab();
    const auto logic = testing::Snapshot(w.window.core());

    QTest::keyClick(&w.window, Qt::Key_B, Qt::ControlModifier);
    ASSERT_TRUE(w.action("mnuFlipBoard")->isChecked()) << "Ctrl+B flips";
    EXPECT_NE(w.grab(), designed);
    EXPECT_EQ(testing::Snapshot(w.window.core()), logic) << "the logic keeps its designed coordinates";
    for (int slot = 0; slot < 32; ++slot) {
        const auto &piece = w.window.core().Image1[slot];
        EXPECT_EQ(w.piece(slot), QPoint(TwipsToPixels(7080 - piece.Left), TwipsToPixels(7920 - piece.Top))) << slot;
    }
    // b4 and b3 are drawn where g5 and g6 are unflipped.
    EXPECT_EQ(w.outlined(), (std::vector<int>{SquareIndex("g5"), SquareIndex("g6")}));
    const QImage flipped = w.grab();
    EXPECT_EQ(OutlinePixel(flipped, SquareIndex("g5")), ui::kLastMoveOutline);
    EXPECT_EQ(OutlinePixel(flipped, SquareIndex("b4")), ui::kDarkSquare);

    QTest::keyClick(&w.window, Qt::Key_B, Qt::ControlModifier);
    EXPECT_FALSE(w.action("mnuFlipBoard")->isChecked());
    EXPECT_EQ(w.grab(), designed) << "flipped twice is the designed picture, pixel for pixel";

    // Stepping while flipped: what is drawn follows, mirrored.
    w.action("mnuFlipBoard")->trigger();
    QTest::keyClick(w.list(), Qt::Key_Right);
    ASSERT_EQ(w.position(), 15);
    // 8. a2xb3: the pawn goes to b3, drawn where g6 is unflipped; a2 is drawn as h7.
    EXPECT_EQ(w.window.core().Image1[15].Tag, "b3");
    EXPECT_EQ(w.piece(15), QPoint(TwipsToPixels(board::FileLeft(6)), TwipsToPixels(board::RankTop(2))));
    EXPECT_EQ(w.outlined(), (std::vector<int>{SquareIndex("h7"), SquareIndex("g6")}));
}

TEST(ViewerFlip, AOneIsTopRightAndTheLabelsTurn) {
    Viewer w;
    w.action("mnuFlipBoard")->trigger();
    // The white rook of a1 stands where h8 is drawn unflipped, Black's rook of a8 where h1 is.
    EXPECT_EQ(w.piece(0), QPoint(TwipsToPixels(board::FileLeft(7)), TwipsToPixels(board::RankTop(0))));
    EXPECT_EQ(w.piece(31), QPoint(TwipsToPixels(board::FileLeft(7)), TwipsToPixels(board::RankTop(7))));
    EXPECT_EQ(w.piece(4), QPoint(TwipsToPixels(board::FileLeft(3)), TwipsToPixels(board::RankTop(0)))) << "e1";
    QStringList labels;
    for (int n = 1; n <= 16; ++n)
        labels << w.window.boardView().coordinateText(n);
    EXPECT_EQ(labels.join(""), "12345678HGFEDCBA");
    w.action("mnuFlipBoard")->trigger();
    labels.clear();
    for (int n = 1; n <= 16; ++n)
        labels << w.window.boardView().coordinateText(n);
    EXPECT_EQ(labels.join(""), "87654321ABCDEFGH");
    EXPECT_EQ(w.piece(0), QPoint(TwipsToPixels(board::FileLeft(0)), TwipsToPixels(board::RankTop(7))));
}

// ---- Drops ----

struct DropRow {
    const char *name;
    QList<QUrl> urls;
    Qt::DropActions offered;
    bool accepted;
    std::string opens; // the record a File > Open of it gives; empty: nothing opens
};

TEST(ViewerDrop, AFileOpensAsFileOpenDoesAndOthersAreRefused) {
    const QString record = QString::fromStdString(testing::TestDataPath("file1.txt"));
    const QString other = QString::fromStdString(testing::TestDataPath("game_073.txt"));
    const QString missing = QString::fromStdString(testing::TestDataPath("no-such-record.txt"));
    const DropRow rows[] = {
        {"one file", {QUrl::fromLocalFile(record)}, Qt::CopyAction, true, record.toStdString()},
        {"copy or move: taken as a copy",
         {QUrl::fromLocalFile(record)},
         Qt::CopyAction | Qt::MoveAction,
         true,
         record.toStdString()},
        {"several: the first",
         {QUrl::fromLocalFile(other), QUrl::fromLocalFile(record)},
         Qt::CopyAction,
         true,
         other.toStdString()},
        {"a missing file: as File > Open", {QUrl::fromLocalFile(missing)}, Qt::CopyAction, true, missing.toStdString()},
        {"a web address", {QUrl("https://example.org/file1.txt")}, Qt::CopyAction, false, ""},
        {"a folder", {QUrl::fromLocalFile(QDir::tempPath())}, Qt::CopyAction, false, ""},
        {"no URLs at all", {}, Qt::CopyAction, false, ""},
        {"only a move is offered", {QUrl::fromLocalFile(record)}, Qt::MoveAction, false, ""},
    };
    for (const DropRow &row : rows) {
        Viewer dropped("game_015.txt");
        dropped.window.stepBy(3);
        QMimeData data;
        if (row.urls.empty())
            data.setText(QStringLiteral("1. e2-e4 e7-e5"));
        else
            data.setUrls(row.urls);
        const QPoint at(200, 200);
        QDragEnterEvent enter(at, row.offered, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(!row.accepted);
        QApplication::sendEvent(&dropped.window, &enter);
        EXPECT_EQ(enter.isAccepted(), row.accepted) << row.name;
        if (row.accepted) {
            EXPECT_EQ(enter.dropAction(), Qt::CopyAction) << row.name;
        }
        // Qt hands over a drop only after its drag was accepted; sent anyway,
        // a refused one must still open nothing.
        QDropEvent drop(at, row.offered, &data, Qt::LeftButton, Qt::NoModifier);
        drop.setAccepted(false);
        QApplication::sendEvent(&dropped.window, &drop);
        if (row.accepted) {
            EXPECT_TRUE(drop.isAccepted()) << row.name;
            EXPECT_EQ(drop.dropAction(), Qt::CopyAction) << row.name;
        }

        Viewer opened("game_015.txt");
        opened.window.stepBy(3);
        if (!row.opens.empty())
            opened.Open(row.opens);
        EXPECT_EQ(dropped.state(), opened.state()) << row.name;
        EXPECT_EQ(dropped.module.strFileName, opened.module.strFileName) << row.name;
        EXPECT_EQ(dropped.window.core().lstMoveList.Items(), opened.window.core().lstMoveList.Items()) << row.name;
        EXPECT_EQ(dropped.box.shown.size(), opened.box.shown.size()) << row.name;
        EXPECT_EQ(dropped.dialog.shown, 1) << row.name << ": only the first record came through the dialog";
    }
    EXPECT_TRUE(Viewer().window.acceptDrops());
}

// ---- Menus, shortcuts, title and the open dialog's filters ----

TEST(ViewerMenus, ShortcutsReachTheirCommands) {
    Viewer w;
    w.window.activateWindow();
    QApplication::setActiveWindow(&w.window);
    QTest::keyClick(&w.window, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(w.dialog.shown, 1) << "Ctrl+O opens the dialog";
    QTest::keyClick(&w.window, Qt::Key_F1);
    ASSERT_NE(w.window.helpWindow(), nullptr) << "F1 shows Help";
    w.window.helpWindow()->close();
    QTest::keyClick(&w.window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(w.window.isVisible()) << "Ctrl+Q closes the window";
}

TEST(ViewerMenus, TheTitleNamesTheRecord) {
    Viewer w;
    EXPECT_EQ(w.window.windowTitle(), "Quorvane");
    w.Open(testing::TestDataPath("file1.txt"));
    EXPECT_EQ(w.window.windowTitle(), "file1.txt - Quorvane");
    w.Open(testing::TestDataPath("game_073.txt"));
    EXPECT_EQ(w.window.windowTitle(), "game_073.txt - Quorvane");
    w.Open(testing::TestDataPath("no-such-record.txt"));
    EXPECT_EQ(w.window.windowTitle(), "Quorvane") << "a failed open leaves no record";

    // Qt reads "[*]" in a title as the unsaved-changes mark; a name keeps it.
    const std::string path = ::testing::TempDir() + "/draft[*].txt";
    std::FILE *f = std::fopen(path.c_str(), "wb");
    const std::string text = testing::ReadTestData("file1.txt");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    w.Open(path);
    ASSERT_NE(w.window.windowHandle(), nullptr);
    EXPECT_EQ(w.window.windowHandle()->title(), "draft[*].txt - Quorvane") << "as the window system shows it";
    std::remove(path.c_str());
}

TEST(ViewerMenus, OpenDialogFilters) {
    struct Row {
        const char *filter;
        const char *shown;
    };
    for (const Row &row : {Row{"text files *.txt|*.txt|All files|*", "text files *.txt (*.txt);;All files (*)"},
                           Row{"text files *.txt|*.txt|e-mail messages|*.eml;*.mbox|All files|*",
                               "text files *.txt (*.txt);;e-mail messages (*.eml *.mbox);;All files (*)"}})
        EXPECT_EQ(QtFileDialog::NameFilters(row.filter), row.shown);
}

} // namespace
} // namespace quorvane
