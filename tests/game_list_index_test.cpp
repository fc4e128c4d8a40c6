// The game list of a PGN database while its file is still being scanned: the
// first games show at once, the filter, the sort and Enter work on what was
// found, and closing the window stops the scan and its thread. The scan is
// held after each chunk by a hook, so nothing here depends on timing.

#include "held_scan.h"
#include "ui/game_list_dialog.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableView>
#include <QtTest/QtTest>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace quorvane {
namespace {

constexpr int kGames = 5000;
constexpr std::size_t kChunk = 500;

std::string Database() {
    std::string text;
    for (int i = 0; i < kGames; ++i)
        text += "[Event \"Open " + std::to_string(i % 12) + "\"]\n[Date \"2020.01." + std::to_string(1 + i % 28) +
                "\"]\n[White \"Player_" + std::to_string(i) + "\"]\n[Black \"Opponent " + std::to_string(i % 97) +
                "\"]\n[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 {a} Nc6 (2... d6) 3. Bb5 1-0\n\n";
    return text;
}

using testing::HeldScan;

QString Cell(ui::GameListDialog &d, int row, int column) {
    return d.table()->model()->index(row, column).data().toString();
}

QString Caption(ui::GameListDialog &d) { return d.findChild<QLabel *>("lblGameCount")->text(); }

TEST(GameListIndexing, FirstRowsFilterAndSortWhileTheFileIsScanned) {
    const std::string bytes = Database();
    GameList list;
    std::vector<GameChooser::Span> spans;
    HeldScan scan(kChunk);
    ui::GameListDialog dialog(list, QStringLiteral("file"), nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.indexInBackground(bytes, spans, scan.options());

    // The first chunk is shown while the scan waits after it.
    QTRY_COMPARE(dialog.table()->model()->rowCount(), static_cast<int>(kChunk));
    EXPECT_TRUE(dialog.indexing());
    EXPECT_TRUE(dialog.progress()->isVisible());
    EXPECT_GT(dialog.progress()->value(), 0);
    EXPECT_LT(dialog.progress()->value(), dialog.progress()->maximum());
    EXPECT_EQ(Caption(dialog), QStringLiteral("Reading this file: 500 games so far."));
    EXPECT_EQ(Cell(dialog, 0, GameList::White), QStringLiteral("Player_0"));
    EXPECT_EQ(dialog.table()->currentIndex().row(), 0);
    EXPECT_EQ(spans.size(), kChunk);

    // Typing narrows what was found; the games found later follow the filter.
    dialog.filterBox()->setFocus();
    QTest::keyClicks(dialog.filterBox(), "player_43");
    EXPECT_EQ(dialog.table()->model()->rowCount(), 11) << "Player_43 and 430 .. 439";
    // A sort by Black while the scan goes on; the whole list is sorted at its end.
    dialog.table()->sortByColumn(GameList::Black, Qt::DescendingOrder);
    scan.release(3);
    QTRY_VERIFY(scan.chunks >= 4 && dialog.table()->model()->rowCount() >= 11);
    EXPECT_TRUE(dialog.indexing());

    scan.releaseAll();
    QTRY_VERIFY(!dialog.indexing());
    EXPECT_TRUE(scan.finished);
    EXPECT_FALSE(dialog.progress()->isVisible());
    EXPECT_EQ(list.size(), static_cast<std::size_t>(kGames));
    ASSERT_EQ(spans.size(), static_cast<std::size_t>(kGames));
    EXPECT_EQ(bytes.substr(spans[4321].first, 30), "[Event \"Open 1\"]\n[Date \"2020.0");
    const int shown = dialog.table()->model()->rowCount();
    EXPECT_EQ(shown, 111) << "Player_43, 430 .. 439, 4300 .. 4399";
    EXPECT_EQ(Caption(dialog), QStringLiteral("This file holds 5,000 games. 111 shown."));
    for (int row = 1; row < shown; ++row)
        EXPECT_GE(Cell(dialog, row - 1, GameList::Black), Cell(dialog, row, GameList::Black)) << row;
    for (int row = 0; row < shown; ++row)
        EXPECT_TRUE(Cell(dialog, row, GameList::White).startsWith(QStringLiteral("Player_43"))) << row;
}

TEST(GameListIndexing, EnterOpensAGameFoundAndClosingStopsTheScan) {
    const std::string bytes = Database();
    for (const bool accept : {true, false}) {
        SCOPED_TRACE(accept ? "Enter" : "Esc");
        GameList list;
        std::vector<GameChooser::Span> spans;
        HeldScan scan(kChunk);
        auto dialog = std::make_unique<ui::GameListDialog>(list, QStringLiteral("file"), nullptr);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        dialog->indexInBackground(bytes, spans, scan.options());
        QTRY_COMPARE(dialog->table()->model()->rowCount(), static_cast<int>(kChunk));
        dialog->table()->setFocus();
        QTest::keyClick(dialog->table(), Qt::Key_Down);
        QTest::keyClick(dialog->table(), accept ? Qt::Key_Return : Qt::Key_Escape);
        EXPECT_EQ(dialog->result(), accept ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(dialog->chosen(), std::optional<std::size_t>(1));
        // The scan, held after its first chunk, sees that the window closed.
        scan.releaseAll();
        dialog.reset();
        const int chunks = scan.chunks;
        EXPECT_LE(chunks, 2) << "the scan stopped at the chunk after the close";
        EXPECT_TRUE(scan.finished) << "the thread ran to its end before the window went";
        EXPECT_LT(list.size(), static_cast<std::size_t>(kGames));
        EXPECT_EQ(spans.size(), list.size());
    }
}

} // namespace
} // namespace quorvane
