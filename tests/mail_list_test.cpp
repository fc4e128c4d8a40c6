// A mailbox's game list through the real window: the list shows the games
// found while the mailbox is still being scanned, the filter and Enter work
// on those, closing it stops the scan and its thread, and Ctrl+Page Down goes
// on past the games the list had found. The scan is held after each chunk by
// a hook, so nothing here depends on timing.

#include "held_scan.h"
#include "ui/game_list_dialog.h"
#include "ui_support.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QtTest>
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>

namespace quorvane {
namespace {

using testing::HeldScan;
using testing::Window;

constexpr int kGames = 1200;
constexpr std::size_t kChunk = 500;

struct ScriptedClipboard : Clipboard {
    void SetText(const std::string &) override {}
    std::string Text() override { return {}; }
};

std::string Mailbox() {
    std::string mbox;
    for (int i = 0; i < kGames; ++i)
        mbox += "From a@x Tue Jun  1 20:11:16 2004\nFrom: a@x\n\n;Title: Chess Game\n;White: player_" +
                std::to_string(i) + "\n;Black: b\n;Date: d\n\n1. e2-e4 e7-e5\n\nFrom b@x Tue Jun  1 20:11:16 2004\n"
                "From: b@x\n\nNo game in this one.\n\n";
    return mbox;
}

QString Label(Window &w, const char *name) { return w.window.findChild<QLabel *>(name)->text(); }

TEST(MailGameList, ShownWhileTheMailboxIsScanned) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("games.mbox")).toStdString();
    std::ofstream(path, std::ios::binary) << Mailbox();
    const struct {
        const char *name;
        // What the user does in the list, the scan held after its first chunk.
        std::function<void(ui::GameListDialog &, HeldScan &)> act;
        const char *white; // on the board afterwards; nothing: the list was cancelled
        std::vector<const char *> next; // White after each Ctrl+Page Down
    } rows[] = {
        {"Enter on a game of the first two, found before the list",
         [](ui::GameListDialog &d, HeldScan &) {
             QTest::keyClick(d.table(), Qt::Key_Down);
             QTest::keyClick(d.table(), Qt::Key_Return);
         },
         "White: player_1", {"White: player_2", "White: player_3"}},
        {"a filter while the scan goes on, then Enter",
         [](ui::GameListDialog &d, HeldScan &scan) {
             d.filterBox()->setFocus();
             QTest::keyClicks(d.filterBox(), "player_43");
             EXPECT_EQ(d.table()->model()->rowCount(), 0) << "none found yet";
             scan.release(1);
             QTRY_COMPARE(d.table()->model()->rowCount(), 11); // player_43, 430 .. 439
             EXPECT_TRUE(d.indexing());
             QTest::keyClicks(d.filterBox(), "8");
             EXPECT_EQ(d.table()->model()->rowCount(), 1);
             QTest::keyClick(d.filterBox(), Qt::Key_Return);
         },
         "White: player_438", {"White: player_439", "White: player_440"}},
        {"Esc mid-scan", [](ui::GameListDialog &d, HeldScan &) { QTest::keyClick(d.table(), Qt::Key_Escape); },
         nullptr, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Window w;
        ScriptedClipboard clipboard;
        ui::QtGameChooser chooser(&w.window);
        HeldScan scan(kChunk);
        chooser.setIndexOptions(scan.options());
        w.window.setMailSeams(&chooser, &clipboard);
        bool acted = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<ui::GameListDialog *>(QApplication::activeModalWidget());
            if (acted || !dialog || dialog->table()->model()->rowCount() < 2)
                return;
            acted = true;
            // The first two games show while the rest of the mailbox waits.
            EXPECT_TRUE(dialog->indexing());
            EXPECT_TRUE(dialog->progress()->isVisible());
            EXPECT_LT(dialog->progress()->value(), dialog->progress()->maximum());
            EXPECT_EQ(dialog->table()->model()->rowCount(), 2);
            EXPECT_EQ(dialog->findChild<QLabel *>("lblGameCount")->text(),
                      QStringLiteral("Reading this file: 2 games so far."));
            dialog->table()->setFocus();
            row.act(*dialog, scan);
            // The window closed: the scan, let go, sees that at its next chunk.
            scan.releaseAll();
        });
        poll.start(5);
        w.Open(path);
        poll.stop();
        EXPECT_TRUE(acted);
        // The window is gone, and with it the scan's thread, stopped early.
        EXPECT_TRUE(scan.finished);
        EXPECT_LE(scan.chunks, 3);
        EXPECT_TRUE(w.box.shown.empty());
        if (!row.white) {
            EXPECT_EQ(Label(w, "lblFileName"), QString()) << "nothing opened";
            continue;
        }
        EXPECT_EQ(Label(w, "lblFileName"), QStringLiteral("games.mbox"));
        EXPECT_EQ(Label(w, "lblWhitePlayer"), QString::fromLatin1(row.white));
        // Ctrl+Page Down and Up (the list window just closed, the main window
        // may not be active again offscreen).
        for (const char *white : row.next) {
            w.window.findChild<QAction *>("actNextGame")->trigger();
            EXPECT_EQ(Label(w, "lblWhitePlayer"), QString::fromLatin1(white));
        }
        w.window.findChild<QAction *>("actPreviousGame")->trigger();
        EXPECT_EQ(Label(w, "lblWhitePlayer"), QString::fromLatin1(row.next.size() > 1 ? row.next.end()[-2] : row.white));
    }
}

} // namespace
} // namespace quorvane
