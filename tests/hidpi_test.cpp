// The windows at the device pixel ratio this run was started with
// (QT_SCALE_FACTOR; CTest runs it at 1, 1.5 and 2): every text fits its box, its
// glyphs are drawn at the ratio's size rather than spread out, and the move list
// still shows whole rows.
#include "ui/about_window.h"
#include "ui/help_window.h"
#include "ui_support.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <gtest/gtest.h>

#include <cmath>

namespace quorvane {
namespace {

double ExpectedRatio() {
    const QByteArray factor = qgetenv("QT_SCALE_FACTOR");
    return factor.isEmpty() ? 1.0 : factor.toDouble();
}

// Where dark pixels lie in a grab of a widget, in device pixels, away from its
// edges (a button's bevel).
struct Ink {
    int left = -1, right = -1, top = -1, bottom = -1;
    int columns = 0; // columns between left and right that hold ink
    bool found() const { return left >= 0; }
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

Ink InkOf(QWidget *widget, int marginPx) {
    const QImage image = widget->grab().toImage();
    const int margin = static_cast<int>(std::ceil(marginPx * image.devicePixelRatio()));
    Ink ink;
    std::vector<bool> column(static_cast<std::size_t>(image.width()), false);
    for (int y = margin; y < image.height() - margin; ++y)
        for (int x = margin; x < image.width() - margin; ++x) {
            if (qGray(image.pixel(x, y)) >= 96)
                continue;
            column[static_cast<std::size_t>(x)] = true;
            ink.left = ink.left < 0 ? x : std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = ink.top < 0 ? y : std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    for (int x = ink.left; ink.found() && x <= ink.right; ++x)
        ink.columns += column[static_cast<std::size_t>(x)] ? 1 : 0;
    return ink;
}

// A one-line text drawn whole at the device pixel ratio: its ink is about as
// wide as its advance and as tall as its capitals; in a solid run (no blanks or
// dots) the letters sit close.
void ExpectCrispRun(QWidget *widget, const QString &text, int marginPx, bool solid) {
    SCOPED_TRACE(widget->objectName().toStdString() + " \"" + text.toStdString() + "\"");
    const double ratio = widget->devicePixelRatioF();
    const QFontMetricsF metrics(widget->font());
    const Ink ink = InkOf(widget, marginPx);
    ASSERT_TRUE(ink.found());
    const double advance = metrics.horizontalAdvance(text) * ratio;
    EXPECT_LE(ink.width(), advance + 2 * ratio);
    EXPECT_GE(ink.width(), 0.8 * advance);
    EXPECT_GE(ink.height(), 0.85 * metrics.capHeight() * ratio) << "glyphs drawn at a smaller ratio";
    if (solid) {
        EXPECT_GE(static_cast<double>(ink.columns) / ink.width(), 0.8) << "letters spread apart";
    }
}

// Every text of window fits its box: one-line texts their width, wrapped texts
// their height.
void ExpectTextsFit(QWidget *window) {
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (label->text().isEmpty() || label->isHidden())
            continue;
        SCOPED_TRACE(window->objectName().toStdString() + "." + label->objectName().toStdString());
        const QRect room = label->contentsRect();
        if (label->wordWrap())
            EXPECT_LE(label->heightForWidth(label->width()), label->height());
        else
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), room.width());
    }
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        SCOPED_TRACE(window->objectName().toStdString() + "." + button->objectName().toStdString());
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 8);
        EXPECT_LE(button->fontMetrics().height(), button->height() - 4);
    }
}

TEST(HiDpi, RunsAtTheRequestedRatio) {
    testing::Window w;
    EXPECT_DOUBLE_EQ(w.window.devicePixelRatioF(), ExpectedRatio());
}

TEST(HiDpi, MainWindowTextsFitAndAreDrawnWhole) {
    testing::Window w;
    w.Open(testing::TestDataPath("file1.txt"));
    w.window.setObjectName("frmChsMain");
    ExpectTextsFit(&w.window);
    QListView *list = w.list();
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        const QString text = list->model()->index(row, 0).data().toString();
        EXPECT_LE(list->fontMetrics().horizontalAdvance(text), list->viewport()->width()) << text.toStdString();
    }
    for (const char *name : {"cmdNext", "cmdBack"})
        ExpectCrispRun(w.button(name), w.button(name)->text(), 3, true);
    // The list shows whole rows at any ratio.
    EXPECT_EQ(list->viewport()->height() % list->sizeHintForRow(0), 0);
}

// On a 1920 x 1200 screen (960 x 600 at ratio 2) the main window and the Help
// window open entirely inside the screen's free area; where there is room, the
// main window keeps its designed place.
TEST(HiDpi, TheWindowsOpenInsideTheScreen) {
    testing::Window w;
    const QRect free = w.window.screen()->availableGeometry();
    EXPECT_EQ(free.size(), QSize(qRound(1920 / ExpectedRatio()), qRound(1200 / ExpectedRatio())));
    EXPECT_TRUE(free.contains(w.window.frameGeometry()));
    const QPoint designed(163, 136);
    const bool room = free.contains(QRect(w.window.frameGeometry().topLeft() +
                                              (designed - w.window.centralWidget()->mapToGlobal(QPoint(0, 0))),
                                          w.window.frameGeometry().size()));
    if (room)
        EXPECT_EQ(w.window.centralWidget()->mapToGlobal(QPoint(0, 0)), designed);
    EXPECT_DOUBLE_EQ(w.window.layoutScale(), 1.0) << "the designed size fits even at ratio 2";
    w.window.mnuHelp0_Click();
    QWidget *help = w.window.helpWindow();
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    EXPECT_TRUE(free.contains(help->frameGeometry()));
    help->close();
}

TEST(HiDpi, AboutAndHelpTextsFitAndAreDrawnWhole) {
    ui::FrmAbout about;
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    ExpectTextsFit(&about);
    QLabel *version = about.findChild<QLabel *>("lblVersion");
    ExpectCrispRun(version, version->text(), 0, false);

    ui::FrmQuorvane help;
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    ExpectTextsFit(&help);
    QLabel *invitation = help.findChild<QLabel *>("Label6");
    ExpectCrispRun(invitation, invitation->text(), 0, false);
    QLineEdit *address = help.findChild<QLineEdit *>("Text1");
    ASSERT_NE(address, nullptr);
    EXPECT_LE(address->fontMetrics().horizontalAdvance(address->text()), address->width() - 4);
}

} // namespace
} // namespace quorvane
