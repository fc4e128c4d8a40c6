// The main window with the About and Help windows.
#include "ui/about_window.h"
#include "ui/help_window.h"
#include "ui_support.h"

#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

namespace quorvane {
namespace {

using testing::Window;

int CountHelpWindows() {
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<ui::FrmQuorvane *>(w) && w->isVisible())
            ++count;
    return count;
}

TEST(Windows, AboutIsModalAndLeavesTheMainWindowAsItWas) {
    Window w;
    w.Open(testing::TestDataPath("file1.txt"));
    QTest::mouseClick(w.button("cmdNext"), Qt::LeftButton);
    const auto before = testing::Snapshot(w.window.core());
    bool sawAbout = false;
    QTimer::singleShot(0, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        sawAbout = qobject_cast<ui::FrmAbout *>(modal) != nullptr;
        // Clicks and keys on the main window do nothing while About is open. They
        // go through the window system, where modality is enforced.
        QWindow *main = w.window.windowHandle();
        const QPoint next = w.button("cmdNext")->mapTo(&w.window, w.button("cmdNext")->rect().center());
        QTest::mouseClick(main, Qt::LeftButton, {}, next);
        QTest::keyClick(main, Qt::Key_Return);
        if (modal)
            QTest::keyClick(modal, Qt::Key_Escape);
    });
    w.window.mnuAbout_Click(); // returns when the window has closed
    EXPECT_TRUE(sawAbout);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(w.window.core().Position(), 1);
    EXPECT_EQ(testing::Snapshot(w.window.core()), before);
    EXPECT_EQ(w.window.findChildren<ui::FrmAbout *>().size(), 0) << "closing destroys it";
}

TEST(Windows, HelpIsOneWindowBesideAUsableMainWindow) {
    Window w;
    w.Open(testing::TestDataPath("file1.txt"));
    w.window.mnuHelp0_Click();
    QWidget *help = w.window.helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->parentWidget(), nullptr) << "no owner";
    EXPECT_FALSE(help->isModal());
    w.window.mnuHelp0_Click();
    EXPECT_EQ(w.window.helpWindow(), help);
    EXPECT_EQ(CountHelpWindows(), 1);

    QTest::mouseClick(w.button("cmdNext"), Qt::LeftButton);
    QTest::mouseClick(w.button("cmdNext"), Qt::LeftButton);
    QTest::mouseClick(w.button("cmdBack"), Qt::LeftButton);
    EXPECT_EQ(w.window.core().Position(), 1);

    help->close();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.window.helpWindow(), nullptr) << "closing destroys it";
    w.window.mnuHelp0_Click();
    EXPECT_NE(w.window.helpWindow(), nullptr) << "and the next Help makes it afresh";
    EXPECT_EQ(CountHelpWindows(), 1);
    w.window.helpWindow()->close();
}

TEST(Windows, ExitClosesOnlyTheMainWindow) {
    Window w;
    w.window.mnuHelp0_Click();
    QPointer<QWidget> help = w.window.helpWindow();
    w.window.mnuExit_Click();
    EXPECT_FALSE(w.window.isVisible());
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    help->close();
}

} // namespace
} // namespace quorvane
