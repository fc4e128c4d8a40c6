// E-mail through the real window: Edit > Paste Game, a mailbox opened with
// File > Open, and the game chooser's keys.

#include "platform/errors.h"
#include "platform/qt/qt_dialogs.h"
#include "ui/app.h"
#include "ui/game_list_dialog.h"
#include "ui_support.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include "ui/text_codec.h"

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

    // Nothing usable: a box says why, and the game stays as it was.
    clipboard.text = "no game in here";
    paste->trigger();
    ASSERT_EQ(w.box.shown.size(), 1u);
    EXPECT_EQ(w.box.shown[0].title, std::optional<std::string>("Paste Game"));
    EXPECT_EQ(w.list()->model()->rowCount(), 30);
    EXPECT_EQ(w.window.findChild<QLabel *>("lblFileName")->text(), QStringLiteral("(pasted)"));
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
    EXPECT_TRUE(w.box.shown.empty()) << (w.box.shown.empty() ? std::string() : w.box.shown[0].text);
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
    EXPECT_EQ(w.dialog.filtersSeen[0], "text files *.txt|*.txt|e-mail messages|*.eml;*.mbox|PGN games|*.pgn|All files|*");
    EXPECT_EQ(QtFileDialog::NameFilters(w.dialog.filtersSeen[0]),
              QStringLiteral("text files *.txt (*.txt);;e-mail messages (*.eml *.mbox);;PGN games (*.pgn);;All files (*)"));
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

// The games of a file for the list: a mailbox's three, then PGN-like rows.
ui::GameListDialog *OpenList(GameList &list) {
    auto *dialog = new ui::GameListDialog(list, QStringLiteral("file"), nullptr);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
    return dialog;
}

QString Cell(ui::GameListDialog &d, int row, int column) {
    return d.table()->model()->index(row, column).data().toString();
}

TEST(GameListWindow, KeysMouseFilterAndSort) {
    const std::vector<GameChoice> games = {{"Tue Jun 01 20:11:16 GMT 2004", "knightowl_77", "quiet_bishop", 30},
                                           {"Wed Mar 17 21:35:25 GMT 1886", "Jos\xc3\xa9", "castle_wolf50", 49},
                                           {"Thu Jun 03 20:11:16 GMT 2004", "a", "b", 1}};
    const struct {
        const char *name;
        std::function<void(ui::GameListDialog &)> act;
        int result;
        std::optional<std::size_t> chosen;
    } rows[] = {
        {"Enter opens the current row",
         [](ui::GameListDialog &d) {
             QTest::keyClick(d.table(), Qt::Key_Down);
             QTest::keyClick(d.table(), Qt::Key_Return);
         },
         QDialog::Accepted, 1},
        {"Esc changes nothing",
         [](ui::GameListDialog &d) {
             QTest::keyClick(d.table(), Qt::Key_Down);
             QTest::keyClick(d.table(), Qt::Key_Escape);
         },
         QDialog::Rejected, 1},
        {"double-click opens that row",
         [](ui::GameListDialog &d) {
             const QPoint at = d.table()->visualRect(d.table()->model()->index(2, 1)).center();
             QTest::mouseClick(d.table()->viewport(), Qt::LeftButton, {}, at);
             QTest::mouseDClick(d.table()->viewport(), Qt::LeftButton, {}, at);
         },
         QDialog::Accepted, 2},
        {"typing narrows, Down and Enter in the box open",
         [](ui::GameListDialog &d) {
             d.filterBox()->setFocus();
             QTest::keyClicks(d.filterBox(), "2004");
             EXPECT_EQ(d.table()->model()->rowCount(), 2);
             QTest::keyClick(d.filterBox(), Qt::Key_Down);
             QTest::keyClick(d.filterBox(), Qt::Key_Return);
         },
         QDialog::Accepted, 2},
        {"a click on a header sorts, the chosen game is the row's",
         [](ui::GameListDialog &d) {
             auto *header = d.table()->horizontalHeader();
             const int x = header->sectionViewportPosition(GameList::Moves) + header->sectionSize(GameList::Moves) / 2;
             QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
             EXPECT_EQ(Cell(d, 0, GameList::Moves), QStringLiteral("1"));
             // The cursor stays on the game it was on (30 moves, now the middle row).
             EXPECT_EQ(d.table()->currentIndex().row(), 1);
             d.table()->setFocus();
             QTest::keyClick(d.table(), Qt::Key_Home, Qt::ControlModifier);
             QTest::keyClick(d.table(), Qt::Key_Return);
         },
         QDialog::Accepted, 2},
        {"a filter nothing matches opens nothing",
         [](ui::GameListDialog &d) {
             d.filterBox()->setText(QStringLiteral("kasparov"));
             QTest::keyClick(d.filterBox(), Qt::Key_Return);
         },
         QDialog::Accepted, std::nullopt},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        GameList list;
        for (const GameChoice &game : games)
            list.add(game);
        ui::GameListDialog *dialog = OpenList(list);
        EXPECT_EQ(dialog->table()->model()->rowCount(), 3);
        EXPECT_EQ(Cell(*dialog, 1, GameList::White), QStringLiteral("Jos\u00e9"));
        EXPECT_EQ(Cell(*dialog, 1, GameList::Number), QStringLiteral("2"));
        row.act(*dialog);
        EXPECT_EQ(dialog->result(), row.result);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->chosen(), row.chosen);
        delete dialog;
    }
}

// A database of 10,000 games: the rows are there, a name of megabytes is cut
// in its cell, and a scripted filter finds the one game that has a word.
TEST(GameListWindow, TenThousandGamesWithAScriptedFilter) {
    GameList list;
    list.reserve(10000);
    for (int i = 0; i < 10000; ++i) {
        GameChoice game{"2020.01." + std::to_string(1 + i % 28), "Player " + std::to_string(i),
                        "Opponent " + std::to_string(i % 97), 20 + i % 60, i % 3 ? "1-0" : "0-1", "Open " +
                        std::to_string(i % 12), std::to_string(1 + i % 9), "B" + std::to_string(10 + i % 90)};
        if (i == 4321)
            game.event = "Zonal " + std::string(10'000'000, 'z');
        list.add(game);
    }
    ui::GameListDialog *dialog = OpenList(list);
    EXPECT_EQ(dialog->table()->model()->rowCount(), 10000);
    EXPECT_EQ(dialog->findChild<QLabel *>("lblGameCount")->text(), QStringLiteral("This file holds 10,000 games."));
    const QString cut = Cell(*dialog, 4321, GameList::Event);
    EXPECT_EQ(cut.size(), static_cast<qsizetype>(ui::kShownChars) + 1);
    EXPECT_TRUE(cut.endsWith(QChar(0x2026)));

    dialog->filterBox()->setFocus();
    QTest::keyClicks(dialog->filterBox(), "zonal");
    ASSERT_EQ(dialog->table()->model()->rowCount(), 1);
    EXPECT_EQ(Cell(*dialog, 0, GameList::White), QStringLiteral("Player 4321"));
    EXPECT_EQ(dialog->findChild<QLabel *>("lblGameCount")->text(),
              QStringLiteral("This file holds 10,000 games. 1 shown."));
    // Another filter: the games of the 6th of January with ECO B99.
    dialog->filterBox()->setText(QStringLiteral("2020.01.6 b99"));
    EXPECT_EQ(dialog->table()->model()->rowCount(), 8); // i % 28 == 5 and i % 90 == 89
    for (int row = 0; row < dialog->table()->model()->rowCount(); ++row) {
        EXPECT_EQ(Cell(*dialog, row, GameList::Date), QStringLiteral("2020.01.6"));
        EXPECT_EQ(Cell(*dialog, row, GameList::Eco), QStringLiteral("B99"));
    }
    EXPECT_GT(dialog->table()->model()->rowCount(), 0);
    QTest::keyClick(dialog->filterBox(), Qt::Key_Return);
    ASSERT_TRUE(dialog->chosen());
    const std::size_t game = *dialog->chosen();
    EXPECT_EQ(list.text(game, GameList::Date), "2020.01.6");
    delete dialog;
}

TEST(MailWindow, PasteRefusesMoreThan64MiB) {
    Window w;
    ScriptedClipboard clipboard;
    ScriptedChooser chooser;
    w.window.setMailSeams(&chooser, &clipboard);
    QAction *paste = ActionNamed(w, "mnuPaste");
    QLabel *file = w.window.findChild<QLabel *>("lblFileName");
    const struct {
        const char *name;
        std::size_t size;
        bool refused;
    } rows[] = {
        {"one byte over", Clipboard::kMaxPasteBytes + 1, true},
        {"exactly the limit", Clipboard::kMaxPasteBytes, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        w.Open(testing::TestDataPath("game_015.txt"));
        w.box.shown.clear();
        clipboard.text = testing::ReadTestData("file1.txt");
        clipboard.text.resize(row.size, '\n');
        paste->trigger();
        if (row.refused) {
            ASSERT_EQ(w.box.shown.size(), 1u);
            EXPECT_EQ(w.box.shown[0].title, std::optional<std::string>("Paste Game"));
            EXPECT_NE(w.box.shown[0].text.find("64 MiB"), std::string::npos);
            // The game on the board stays.
            EXPECT_EQ(file->text(), QStringLiteral("game_015.txt"));
        } else {
            EXPECT_TRUE(w.box.shown.empty());
            EXPECT_EQ(file->text(), QStringLiteral("(pasted)"));
            EXPECT_EQ(w.list()->model()->rowCount(), 30);
        }
    }
    // The system clipboard refuses it before converting it.
    QGuiApplication::clipboard()->setText(QString(static_cast<qsizetype>(Clipboard::kMaxPasteBytes) + 1, 'x'));
    QtClipboard system;
    EXPECT_THROW(system.Text(), PlatformError);
    QGuiApplication::clipboard()->setText(QStringLiteral("small"));
    EXPECT_EQ(system.Text(), "small");
}

} // namespace
} // namespace quorvane
