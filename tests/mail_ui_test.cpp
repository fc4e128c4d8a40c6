// E-mail through the real window: Edit > Paste Game, a mailbox opened with
// File > Open, and the game chooser's keys.

#include "platform/qt/qt_dialogs.h"
#include "ui/app.h"
#include "ui/game_chooser.h"
#include "ui_support.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <fstream>
#include <iterator>
#include <gtest/gtest.h>

namespace quorvane {
namespace {

using testing::Window;

struct ScriptedClipboard : Clipboard {
    std::string text;
    void SetText(const std::string &t) override { text = t; }
    std::string Text() override { return text; }
};

struct ScriptedChooser : GameChooser {
    std::optional<std::size_t> answer;
    int asked = 0;
    std::optional<std::size_t> Choose(const std::vector<GameChoice> &) override {
        ++asked;
        return answer;
    }
};

QAction *ActionNamed(Window &w, const char *name) {
    for (QAction *menu : w.window.menuBar()->actions())
        for (QAction *item : menu->menu()->actions())
            if (item->objectName() == QLatin1String(name))
                return item;
    return nullptr;
}

TEST(MailWindow, PasteGameFromTheEditMenu) {
    Window w;
    ScriptedClipboard clipboard;
    ScriptedChooser chooser;
    w.window.setMailSeams(&chooser, &clipboard);
    clipboard.text = "Copied from the web page:\n\n" + testing::ReadTestData("file1.txt") + "\n\nReply";
    QAction *paste = ActionNamed(w, "mnuPaste");
    ASSERT_NE(paste, nullptr);
    EXPECT_EQ(paste->shortcut(), QKeySequence(QKeySequence::Paste));
    paste->trigger();
    EXPECT_TRUE(w.box.shown.empty());
    EXPECT_EQ(w.list()->model()->rowCount(), 30);
    EXPECT_EQ(w.window.findChild<QLabel *>("lblFileName")->text(), QStringLiteral("(pasted)"));
    EXPECT_EQ(w.window.findChild<QLabel *>("lblDate")->text(), QStringLiteral("Tue Jun 01 20:11:16 GMT 2004"));

    // Nothing usable: the designed box, and an empty board.
    clipboard.text = "no game in here";
    paste->trigger();
    ASSERT_EQ(w.box.shown.size(), 1u);
    EXPECT_EQ(w.box.shown[0].title, std::optional<std::string>("Invalid File"));
    EXPECT_EQ(w.list()->model()->rowCount(), 0);
}

bool GMimeMapped() {
    std::ifstream maps("/proc/self/maps");
    const std::string text((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
    return text.find("libgmime") != std::string::npos;
}

// The window starts without GMime: it is loaded when the first message is read,
// and that message, encoded so that only a MIME parser finds the record, loads.
TEST(MailWindow, GMimeIsLoadedForTheFirstMessageOnly) {
    if (GMimeMapped())
        GTEST_SKIP() << "an earlier test in this process read a message (CTest runs each test alone)";
    Window w;
    ScriptedClipboard clipboard;
    ScriptedChooser chooser;
    w.window.setMailSeams(&chooser, &clipboard);
    w.Open(testing::TestDataPath("file1.txt"));
    EXPECT_FALSE(GMimeMapped()) << "a record file needs no MIME parser";
    const QByteArray record = QByteArray::fromStdString(testing::ReadTestData("file1.txt"));
    clipboard.text = "From: chess-room@example.com\nSubject: Chess game history\nMIME-Version: 1.0\n"
                     "Content-Type: text/plain\nContent-Transfer-Encoding: base64\n\n" +
                     record.toBase64().toStdString() + "\n";
    ActionNamed(w, "mnuPaste")->trigger();
    EXPECT_TRUE(GMimeMapped());
    EXPECT_TRUE(w.box.shown.empty());
    EXPECT_EQ(w.list()->model()->rowCount(), 30);
    EXPECT_EQ(w.window.findChild<QLabel *>("lblFileName")->text(), QStringLiteral("(pasted)"));
}

TEST(MailWindow, MailboxFileThroughFileOpen) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("games.mbox")).toStdString();
    {
        std::ofstream out(path, std::ios::binary);
        out << "From a@x Tue Jun  1 20:11:16 2004\nFrom: a@x\nSubject: one\n\n"
            << testing::ReadTestData("game_015.txt") << "\n\nFrom b@x Tue Jun  1 20:11:16 2004\nFrom: b@x\n\n"
            << testing::ReadTestData("file1.txt") << "\n";
    }
    Window w;
    ScriptedClipboard clipboard;
    ScriptedChooser chooser;
    chooser.answer = 1;
    w.window.setMailSeams(&chooser, &clipboard);
    w.Open(path);
    EXPECT_EQ(chooser.asked, 1);
    ASSERT_EQ(w.dialog.filtersSeen.size(), 1u);
    EXPECT_EQ(w.dialog.filtersSeen[0], "text files *.txt|*.txt|e-mail messages|*.eml;*.mbox|All files|*");
    EXPECT_EQ(QtFileDialog::NameFilters(w.dialog.filtersSeen[0]),
              QStringLiteral("text files *.txt (*.txt);;e-mail messages (*.eml *.mbox);;All files (*)"));
    EXPECT_EQ(w.list()->model()->rowCount(), 30);
    EXPECT_EQ(w.window.findChild<QLabel *>("lblFileName")->text(), QStringLiteral("games.mbox"));
}

TEST(MailWindow, CommandLineSaysWhyAMessageHadNoGame) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("broken.eml"));
    {
        std::ofstream out(path.toStdString(), std::ios::binary);
        out << "Subject: game\n\n;Title: Chess Game\n;White: w\n\n1. e2-e4\n";
    }
    Module1 module;
    testing::ScriptedDialog dialog;
    testing::RecordingBox box;
    auto start = ui::startQuorvane({"quorvane", path}, module, &dialog, &box);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].title, std::optional<std::string>("Invalid File"));
    EXPECT_EQ(start.warning, path + QStringLiteral(": no complete game record in the message\n"));
}

TEST(MailWindow, ChooserKeys) {
    const std::vector<GameChoice> games = {{"Tue Jun 01 20:11:16 GMT 2004", "knightowl_77", "quiet_bishop", 30},
                                           {"Wed Mar 17 21:35:25 GMT 1886", "Jos\xE9", "castle_wolf50", 49},
                                           {"Thu Jun 03 20:11:16 GMT 2004", "a", "b", 1}};
    const struct {
        const char *name;
        std::function<void(ui::GameChooserDialog &)> act;
        int result;
        std::size_t chosen;
    } rows[] = {
        {"Enter opens the current row",
         [](ui::GameChooserDialog &d) {
             QTest::keyClick(d.list(), Qt::Key_Down);
             QTest::keyClick(d.list(), Qt::Key_Return);
         },
         QDialog::Accepted, 1},
        {"Esc changes nothing",
         [](ui::GameChooserDialog &d) {
             QTest::keyClick(d.list(), Qt::Key_Down);
             QTest::keyClick(d.list(), Qt::Key_Escape);
         },
         QDialog::Rejected, 1},
        {"double-click opens that row",
         [](ui::GameChooserDialog &d) {
             QTreeWidgetItem *row = d.list()->topLevelItem(2);
             const QPoint at = d.list()->visualItemRect(row).center();
             QTest::mouseClick(d.list()->viewport(), Qt::LeftButton, {}, at);
             QTest::mouseDClick(d.list()->viewport(), Qt::LeftButton, {}, at);
         },
         QDialog::Accepted, 2},
    };
    for (const auto &row : rows) {
        ui::GameChooserDialog dialog(games, nullptr);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog)) << row.name;
        EXPECT_EQ(dialog.list()->topLevelItemCount(), 3) << row.name;
        EXPECT_EQ(dialog.list()->topLevelItem(1)->text(1), QStringLiteral("Jos\u00e9")) << row.name;
        row.act(dialog);
        EXPECT_EQ(dialog.result(), row.result) << row.name;
        EXPECT_FALSE(dialog.isVisible()) << row.name;
        EXPECT_EQ(dialog.chosen(), row.chosen) << row.name;
    }
}

} // namespace
} // namespace quorvane
