// Help > Keys and Features: one window beside the main window, every topic the
// first Help page leaves out, all of its text in sight.
#include "ui/keys_window.h"
#include "ui_support.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <gtest/gtest.h>

namespace quorvane {
namespace {

using testing::Window;

TEST(KeysWindow, IsOneWindowBesideTheMainWindow) {
    Window w;
    w.window.mnuKeys_Click();
    QPointer<QWidget> keys = w.window.keysWindow();
    ASSERT_TRUE(keys);
    EXPECT_TRUE(keys->isVisible());
    EXPECT_EQ(keys->parentWidget(), nullptr) << "no owner";
    EXPECT_FALSE(keys->isModal());
    EXPECT_EQ(keys->windowTitle(), "Quorvane Keys and Features");
    w.window.mnuKeys_Click();
    EXPECT_EQ(w.window.keysWindow(), keys.data()) << "a second click brings the same one forward";
    keys->close();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(keys) << "closing destroys it";
    EXPECT_EQ(w.window.keysWindow(), nullptr);
}

// Every topic the page must cover, by a phrase a reader would look for.
TEST(KeysWindow, CoversWhatTheFirstPageLeavesOut) {
    ui::FrmKeys page;
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    QString all;
    for (const QLabel *label : page.findChildren<QLabel *>())
        all += label->text() + QLatin1Char('\n');
    struct Topic {
        const char *name;
        const char *phrase;
    };
    for (const Topic &topic : {
             Topic{"saved e-mail", ".eml"},
             Topic{"mailboxes", ".mbox"},
             Topic{"PGN files", ".pgn"},
             Topic{"the game list of a database", "game list"},
             Topic{"pasted text", "Paste Game (Ctrl+V)"},
             Topic{"the arrow keys", "Right / Left"},
             Topic{"the start and the end", "Home / End"},
             Topic{"the wheel", "mouse wheel"},
             Topic{"the move list's keys", "Page Up / Page Down"},
             Topic{"Flip", "Flip Board (Ctrl+B)"},
             Topic{"the move list in SAN", "Standard Notation"},
             Topic{"zoom in", "Zoom In (Ctrl++)"},
             Topic{"zoom out", "Zoom Out (Ctrl+-)"},
             Topic{"actual size", "Actual Size (Ctrl+0)"},
             Topic{"the Analysis window", "Analysis (F3)"},
             Topic{"how many engine lines", "Analysis Lines"},
             Topic{"the review", "accuracy"},
             Topic{"trying a move", "Drag a piece"},
             Topic{"choosing a variation", "Up / Down choose"},
             Topic{"saving", "Save as PGN"},
             Topic{"saving the analysis", "Save with Analysis"},
             Topic{"the command line: PGN", "--to-pgn"},
             Topic{"the command line: the list", "--list"},
             Topic{"the command line: analysis", "--analyse"},
             Topic{"the command line: the report", "--report"},
         }) {
        SCOPED_TRACE(topic.name);
        EXPECT_TRUE(all.contains(QLatin1String(topic.phrase))) << topic.phrase;
    }
}

// Every command of the real View menu, by its name without the mnemonic, so a
// command added to the menu later is not left out of the page.
TEST(KeysWindow, NamesEveryCommandOfTheViewMenu) {
    Window w;
    const auto *view = w.window.findChild<QMenu *>(QStringLiteral("mnuView"));
    ASSERT_NE(view, nullptr);
    ui::FrmKeys page;
    QString all;
    for (const QLabel *label : page.findChildren<QLabel *>())
        all += label->text() + QLatin1Char('\n');
    int named = 0;
    for (const QAction *action : view->actions()) {
        if (action->isSeparator() || action->text().isEmpty())
            continue;
        const QString name = QString(action->text()).remove(QLatin1Char('&'));
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(all.contains(QStringLiteral("View > ") + name) || all.contains(name + QStringLiteral(" (")) ||
                    all.contains(QStringLiteral(", ") + name))
            << name.toStdString();
        ++named;
    }
    EXPECT_GE(named, 8) << "Flip Board .. Analysis Lines";
}

TEST(KeysWindow, ShowsAllItsTextInsideTheScreen) {
    ui::FrmKeys page;
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    const QRect inside = page.rect();
    int paragraphs = 0;
    for (const QLabel *label : page.findChildren<QLabel *>()) {
        SCOPED_TRACE(label->text().left(40).toStdString());
        ++paragraphs;
        EXPECT_TRUE(inside.contains(label->geometry())) << "inside the window";
        // No line of a wrapped paragraph is cut off at the bottom.
        EXPECT_GE(label->height(), label->heightForWidth(label->width()));
    }
    std::size_t expected = 1; // the introduction
    for (const auto &section : ui::keys::sections())
        expected += 1 + section.paragraphs.size();
    EXPECT_EQ(paragraphs, static_cast<int>(expected));
    EXPECT_LE(page.frameGeometry().height(), page.screen()->availableGeometry().height());
}

} // namespace
} // namespace quorvane
