// The main window end to end: start-up, layout, menus, focus, open and replay.
#include "platform/qt/qt_dialogs.h"
#include "ui/app.h"
#include "ui_support.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMap>
#include <QMenuBar>
#include <QMessageBox>
#include <gtest/gtest.h>

#include <cstdio>

namespace quorvane {
namespace {

using testing::Window;

QLabel *LabelOf(Window &w, const char *name) { return w.window.findChild<QLabel *>(name); }

// The board paints every piece where its control stands, and only the visible ones.
void ExpectViewInStep(Window &w) {
    const QImage image = w.window.centralWidget()->grab().toImage();
    for (int slot = 0; slot < 32; ++slot) {
        const auto &piece = w.window.core().Image1[slot];
        EXPECT_EQ(testing::PieceAt(w.window, slot), QPoint(TwipsToPixels(piece.Left), TwipsToPixels(piece.Top)))
            << slot;
        EXPECT_EQ(w.window.boardView().pieceShown(slot), piece.Visible) << slot;
        if (piece.Visible)
            EXPECT_TRUE(testing::PiecePainted(w.window, image, slot));
    }
}

TEST(MainWindowE2E, OpenStepJumpEnterBack) {
    Window w;
    w.Open(testing::TestDataPath("file1.txt"));
    for (int i = 0; i < 5; ++i)
        QTest::mouseClick(w.button("cmdNext"), Qt::LeftButton);
    EXPECT_EQ(w.window.core().Position(), 5);
    EXPECT_EQ(w.shownRow(), 2);

    const QRect line9 = w.list()->visualRect(w.list()->model()->index(9, 0));
    QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, {}, line9.center());
    QTest::mouseDClick(w.list()->viewport(), Qt::LeftButton, {}, line9.center());
    EXPECT_EQ(w.window.core().Position(), 20);
    EXPECT_EQ(w.shownRow(), 9);
    QTest::keyClick(w.list(), Qt::Key_Return);
    EXPECT_EQ(w.window.core().Position(), 20);
    QTest::mouseClick(w.button("cmdBack"), Qt::LeftButton);
    EXPECT_EQ(w.window.core().Position(), 19);
    EXPECT_EQ(w.shownRow(), 9);
    ExpectViewInStep(w);
    // 10. h1-f1 is played, c8-g4 not yet.
    EXPECT_EQ(testing::PieceAt(w.window, 7), QPoint(320, 432));
    EXPECT_EQ(testing::PieceAt(w.window, 29), QPoint(152, 96));
    EXPECT_FALSE(w.window.boardView().pieceShown(3)) << "White's queen was taken at 13";

    EXPECT_EQ(LabelOf(w, "lblDate")->text(), "Tue Jun 01 20:11:16 GMT 2004");
    EXPECT_EQ(LabelOf(w, "lblWhitePlayer")->text(), "White: knightowl_77");
    EXPECT_EQ(LabelOf(w, "lblBlackPlayer")->text(), "Black: quiet_bishop");
    EXPECT_EQ(LabelOf(w, "lblFileName")->text(), "file1.txt");
    for (const char *name : {"lblDate", "lblWhitePlayer", "lblBlackPlayer"}) {
        const QRect r = LabelOf(w, name)->geometry();
        EXPECT_EQ(r.x() + r.width(), TwipsToPixels(7260)) << name << ": grows to the left of its right edge";
        EXPECT_GE(r.width(), LabelOf(w, name)->fontMetrics().horizontalAdvance(LabelOf(w, name)->text()));
    }
    EXPECT_EQ(LabelOf(w, "lblFileName")->geometry(), QRect(496, 48, 185, 31)) << "a fixed box";
}

TEST(MainWindowE2E, AnInvalidFileGivesOneBoxAndAnEmptyWindow) {
    Window w;
    w.Open(testing::TestDataPath("file1.txt"));
    QTest::mouseClick(w.button("cmdNext"), Qt::LeftButton);
    w.Open(testing::TestDataPath("no-such-record.txt"));
    ASSERT_EQ(w.box.shown.size(), 1u);
    EXPECT_EQ(w.box.shown[0].title, std::optional<std::string>("Invalid File"));
    EXPECT_EQ(w.list()->model()->rowCount(), 0);
    for (const char *name : {"lblDate", "lblWhitePlayer", "lblBlackPlayer", "lblFileName"})
        EXPECT_EQ(LabelOf(w, name)->text(), "") << name;
    EXPECT_EQ(testing::Snapshot(w.window.core()), testing::StartSnapshot());
    ExpectViewInStep(w);
}

TEST(MainWindowE2E, LongFileNamesAreElidedInTheMiddle) {
    Window w;
    const std::string name = "a-very-long-record-name-from-the-chess-room-saved-in-june.txt";
    const std::string path = ::testing::TempDir() + "/" + name;
    std::FILE *f = std::fopen(path.c_str(), "wb");
    const std::string text = testing::ReadTestData("file1.txt");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    w.Open(path);
    QLabel *label = LabelOf(w, "lblFileName");
    EXPECT_EQ(label->toolTip().toStdString(), name);
    EXPECT_NE(label->text().toStdString(), name);
    EXPECT_TRUE(label->text().contains(QChar(0x2026)));
    EXPECT_TRUE(label->text().startsWith("a-very"));
    EXPECT_TRUE(label->text().endsWith(".txt"));
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
    EXPECT_EQ(label->size(), QSize(185, 31));
    std::remove(path.c_str());
}

TEST(MainWindowE2E, RecordTextIsShownAsWindows1252) {
    Window w;
    const std::string path = ::testing::TempDir() + "/quorvane-1252.txt";
    std::FILE *f = std::fopen(path.c_str(), "wb");
    const std::string text = testing::MakeRecord({"1. e2-e4 e7-e5"}, "White: Jos\xe9", "Black: \x80uro");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    w.Open(path);
    EXPECT_EQ(LabelOf(w, "lblWhitePlayer")->text(), QString::fromUtf8("White: Jos\u00e9"));
    EXPECT_EQ(LabelOf(w, "lblBlackPlayer")->text(), QString::fromUtf8("Black: \u20acuro"));
    std::remove(path.c_str());
}

TEST(MainWindowE2E, FocusAndTabOrder) {
    Window w;
    w.window.activateWindow();
    QApplication::setActiveWindow(&w.window);
    EXPECT_EQ(QApplication::focusWidget(), w.list());
    // Tab cycles list, Next, Back and round again.
    for (QWidget *expected : {static_cast<QWidget *>(w.button("cmdNext")), static_cast<QWidget *>(w.button("cmdBack")),
                              static_cast<QWidget *>(w.list())}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected) << expected->objectName().toStdString();
    }
    for (const char *label : {"lblDate", "lblFileName", "lblWhitePlayer", "lblBlackPlayer"})
        EXPECT_EQ(LabelOf(w, label)->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(w.window.boardView().focusPolicy(), Qt::NoFocus);
}

TEST(MainWindowE2E, PlacementMenusAndStacking) {
    Window w;
    EXPECT_EQ(w.window.centralWidget()->mapToGlobal(QPoint(0, 0)), QPoint(163, 136));
    EXPECT_EQ(w.window.size(), QSize(686, 539 + w.window.menuBar()->height())) << "the designed size";
    EXPECT_LT(w.window.minimumSize().width(), w.window.maximumSize().width()) << "resizable";
    EXPECT_TRUE(w.window.windowFlags() & Qt::WindowMaximizeButtonHint);

    // Each item with its shortcut and, for the View menu's switches, its state.
    // The commands that take the game out wait for a record; all others are enabled.
    const QStringList waiting{"Save as &PGN...", "Save with &Analysis...", "&Copy PGN", "Copy &Position (FEN)",
                              "&Delete Variation", "Pro&mote to Main Line"};
    QStringList menus;
    for (QAction *menu : w.window.menuBar()->actions()) {
        menus << menu->text();
        for (QAction *item : menu->menu()->actions()) {
            QString entry = item->isSeparator() ? QStringLiteral("-") : item->text();
            if (!item->shortcut().isEmpty())
                entry += QLatin1Char('\t') + item->shortcut().toString();
            if (item->isCheckable())
                entry += item->isChecked() ? QStringLiteral(" [x]") : QStringLiteral(" [ ]");
            menus << entry;
            EXPECT_EQ(item->isEnabled(), !waiting.contains(item->text())) << item->text().toStdString();
        }
    }
    EXPECT_EQ(menus, (QStringList{"&File", "&Open\tCtrl+O", "Save as &PGN...\tCtrl+S", "Save with &Analysis...", "-",
                                  "&Exit\tCtrl+Q", "&Edit", "&Copy PGN\tCtrl+C", "Copy &Position (FEN)\tCtrl+Shift+C",
                                  "&Paste Game\tCtrl+V", "-", "&Delete Variation", "Pro&mote to Main Line", "&View",
                                  "&Flip Board	Ctrl+B [ ]", "Show &Last Move [x]", "Standard &Notation [ ]", "-", "Zoom &In	Ctrl++",
                                  "Zoom &Out	Ctrl+-", "Actual &Size	Ctrl+0", "-", "&Analysis	F3", "Analysis &Lines", "Analysis &Depth", "&Help", "&Help	F1",
                                  "&Keys and Features",
                                  "&About Quorvane..."}));
    EXPECT_EQ(w.window.menuBar()->actions()[2]->menu()->objectName(), "mnuView");

    // Front to back, as laid out: the controls over the painted board, which
    // draws the file name's frame, the green bar, the squares and the pieces.
    const QObjectList &children = w.window.centralWidget()->children();
    auto depth = [&](const char *name) {
        for (qsizetype i = 0; i < children.size(); ++i)
            if (children[i]->objectName() == QLatin1String(name))
                return i;
        return qsizetype(-1);
    };
    const char *frontToBack[] = {"lstFieldsList", "cmdBack",        "cmdNext",        "lstMoveList", "lblFileName",
                                 "lblDate",       "lblBlackPlayer", "lblWhitePlayer", "board"};
    for (std::size_t i = 0; i + 1 < std::size(frontToBack); ++i)
        EXPECT_GT(depth(frontToBack[i]), depth(frontToBack[i + 1])) << frontToBack[i] << " over " << frontToBack[i + 1];
    EXPECT_FALSE(w.window.findChild<QWidget *>("lstFieldsList")->isVisible());
    EXPECT_FALSE(w.window.findChild<QWidget *>("lstFieldsList")->isEnabled());
}

TEST(MainWindowE2E, TheCommandLineOpensARecord) {
    Module1 module;
    testing::RecordingBox box;
    testing::ScriptedDialog dialog;
    auto start = ui::startQuorvane({"quorvane", QString::fromStdString(testing::TestDataPath("game_073.txt"))}, module,
                                   &dialog, &box);
    ASSERT_TRUE(start.window);
    EXPECT_EQ(start.window->core().lstMoveList.ListCount(), 39);
    EXPECT_EQ(start.window->core().lblFileName.Caption, "game_073.txt");
    EXPECT_EQ(dialog.shown, 0);

    Module1 other;
    auto invalid = ui::startQuorvane({"quorvane", "/nowhere/at/all.txt"}, other, &dialog, &box);
    ASSERT_TRUE(invalid.window);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].title, std::optional<std::string>("Invalid File"));
    EXPECT_EQ(invalid.warning, QStringLiteral("/nowhere/at/all.txt: no such file\n"));
    EXPECT_TRUE(start.warning.isEmpty());

    Module1 plain;
    auto none = ui::startQuorvane({"quorvane"}, plain, &dialog, &box);
    ASSERT_TRUE(none.window);
    EXPECT_FALSE(none.window->core().FieldsPosition.has_value());
    EXPECT_EQ(box.shown.size(), 1u);

    QCoreApplication::setApplicationVersion("3.0.0");
    auto version = ui::startQuorvane({"quorvane", "--version"}, plain);
    EXPECT_FALSE(version.window);
    EXPECT_TRUE(version.output.contains("3.0.0"));
    auto help = ui::startQuorvane({"quorvane", "--help"}, plain);
    EXPECT_FALSE(help.window);
    EXPECT_TRUE(help.output.contains("[FILE]"));
    auto two = ui::startQuorvane({"quorvane", "a.txt", "b.txt"}, plain);
    EXPECT_FALSE(two.window);
    EXPECT_EQ(two.exitCode, 1);
    auto unknown = ui::startQuorvane({"quorvane", "--flip"}, plain);
    EXPECT_FALSE(unknown.window);
    EXPECT_EQ(unknown.exitCode, 1);
}

TEST(MainWindowE2E, TheCommandLineSaysWhyBeforeTheBoxShows) {
    // The box records what had been said on standard error when it showed.
    struct Box : MessageBox {
        const std::vector<std::string> *said = nullptr;
        std::vector<std::size_t> saidBefore;
        void Show(const std::string &, int, const std::optional<std::string> &) override {
            saidBefore.push_back(said->size());
        }
    } box;
    std::vector<std::string> said;
    box.said = &said;
    testing::ScriptedDialog dialog;
    Module1 module;
    // The bytes of the name go through as they are: this one is no UTF-8.
    const std::string name = "/nowhere/caf\xE9.txt";
    auto start = ui::startQuorvaneFromArgv({"quorvane", name}, module, &dialog, &box,
                                           [&](const std::string &line) { said.push_back(line); });
    ASSERT_TRUE(start.window);
    EXPECT_EQ(said, (std::vector<std::string>{name + ": no such file\n"}));
    EXPECT_EQ(box.saidBefore, (std::vector<std::size_t>{1}));
    EXPECT_EQ(module.strFileName, name);
    // A later failure in the window is no command line's.
    start.window->openPath("/nowhere/else.txt");
    EXPECT_EQ(said.size(), 1u);
}

TEST(MainWindowE2E, ALongFileNameWrapsInItsBox) {
    const std::string path = "/home/player/" + std::string(255, 'g') + "/" + std::string(255, 'h') + ".pgn";
    QtMessageBox factory(nullptr);
    auto box = factory.Build("The game was not saved to " + path + ":\r\nthe folder does not exist.", vbCritical,
                             "Save as PGN");
    EXPECT_LT(box->sizeHint().width(), 1000);
    // Every character is still there, in order.
    QString shown = box->text();
    shown.remove(QChar(0x200B));
    EXPECT_EQ(shown.toStdString(), "The game was not saved to " + path + ":\nthe folder does not exist.");
}

} // namespace
} // namespace quorvane
