#include "platform/twips.h"
#include "ui/about_window.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace quorvane {
namespace {

using ui::FrmAbout;

QLabel *label(const QWidget &window, const char *name) { return window.findChild<QLabel *>(QLatin1String(name)); }

// Runs the dialog modally, as the main window does, and calls act once it is up.
// A watchdog ends the dialog with -1 should act fail to close it, so that a broken
// key binding fails the test instead of hanging it.
int execWith(FrmAbout &dialog, const std::function<void()> &act) {
    bool wasModal = false;
    QTimer::singleShot(0, &dialog, [&] {
        wasModal = QApplication::activeModalWidget() == &dialog;
        act();
    });
    QTimer::singleShot(5000, &dialog, [&] {
        if (dialog.isVisible())
            dialog.done(-1);
    });
    const int result = dialog.exec();
    EXPECT_TRUE(wasModal) << "exec() should show the dialog modally";
    return result;
}

TEST(AboutWindow, IsAFixedDialogWithItsCaptionIconAndClientArea) {
    FrmAbout about;
    EXPECT_EQ(about.objectName(), "frmAbout");
    EXPECT_EQ(about.windowTitle(), "About Quorvane");
    EXPECT_FALSE(about.windowIcon().isNull());
    EXPECT_EQ(about.size(), QSize(503, 236));
    EXPECT_EQ(about.minimumSize(), about.maximumSize()) << "the border is fixed";
    EXPECT_TRUE(about.isModal());

    const Qt::WindowFlags flags = about.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);

    QWidget owner;
    FrmAbout owned(&owner);
    EXPECT_EQ(owned.parentWidget(), &owner) << "an owned dialog stays out of the task bar";
    EXPECT_TRUE(owned.isWindow());
}

TEST(AboutWindow, LabelsShowTheirTextsExactly) {
    FrmAbout about;
    const struct {
        const char *name;
        const char *text;
    } expected[] = {
        {"lblTitle", "Quorvane"},
        {"lblVersion", "Version " QUORVANE_VERSION},
        {"lblDescription",
         "       Designed to take those useless e-mails from past chess games and turn them into useful tools.  "
         "Now you can study your games free of a chess board or the need to plug each move into a chess program.  "
         "I've done the work for you."},
        {"Label1", "Copyright"},
        {"lblcopyright", "\u00a9"},
        {"Label2", "2026 The Quorvane developers"},
    };
    for (const auto &e : expected) {
        const QLabel *l = label(about, e.name);
        ASSERT_NE(l, nullptr) << e.name;
        EXPECT_EQ(l->text(), QString::fromUtf8(e.text)) << e.name;
        EXPECT_EQ(l->textFormat(), Qt::PlainText) << e.name << ": rich text would fold the runs of blanks";
    }
    const QLabel *warning = label(about, "lblDisclaimer");
    ASSERT_NE(warning, nullptr);
    EXPECT_TRUE(warning->text().startsWith("Warning: ")) << warning->text().toStdString();
    EXPECT_TRUE(warning->text().contains("GNU General Public License, version 3 or later"))
        << "the warning names the licence the program is distributed under";

    // The fixed black texts, and the title's font.
    for (const char *name : {"lblTitle", "lblDescription", "lblDisclaimer"})
        EXPECT_EQ(label(about, name)->palette().color(QPalette::WindowText), QColor(Qt::black)) << name;
    const QFont title = label(about, "lblTitle")->font();
    EXPECT_TRUE(title.bold());
    EXPECT_EQ(title.pixelSize(), 15) << "11.25 pt at 96 dots per inch";
}

TEST(AboutWindow, TextsFitTheirBoxes) {
    FrmAbout about;
    for (const char *name : {"lblTitle", "lblVersion", "lblDescription", "lblDisclaimer", "Label1", "lblcopyright",
                             "Label2"}) {
        const QLabel *l = label(about, name);
        ASSERT_NE(l, nullptr) << name;
        const QRect box = l->contentsRect();
        const QRect needed = QFontMetrics(l->font()).boundingRect(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                                                                  l->text());
        EXPECT_LE(needed.width(), box.width()) << name;
        EXPECT_LE(needed.height(), box.height()) << name << " would be cut off at the bottom";
    }
    // The single-line labels must not wrap at all.
    for (const char *name : {"lblTitle", "lblVersion", "Label1", "lblcopyright", "Label2"}) {
        const QLabel *l = label(about, name);
        EXPECT_LE(QFontMetrics(l->font()).horizontalAdvance(l->text()), l->width()) << name;
    }
    // The description ends above the white rule that runs over its box.
    const QLabel *description = label(about, "lblDescription");
    const QRect text = QFontMetrics(description->font())
                           .boundingRect(QRect(QPoint(), description->size()),
                                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, description->text());
    EXPECT_LE(description->y() + text.height(), TwipsToPixels(2040) - 1);
}

TEST(AboutWindow, CopyrightLineStandsBetweenTheOrangeRuleAndTheWarning) {
    FrmAbout about;
    const QLabel *word = label(about, "Label1"), *sign = label(about, "lblcopyright"), *holder = label(about, "Label2");
    const QWidget *orange = about.findChild<QWidget *>("Line1_1");
    const QLabel *warning = label(about, "lblDisclaimer");
    ASSERT_TRUE(word && sign && holder && orange && warning);
    EXPECT_LT(word->geometry().right(), sign->x());
    EXPECT_LT(sign->geometry().right(), holder->x());
    for (const QLabel *l : {word, sign, holder}) {
        EXPECT_GT(l->y(), orange->geometry().bottom()) << l->objectName().toStdString();
        EXPECT_LT(l->geometry().bottom(), warning->y()) << l->objectName().toStdString();
    }
    EXPECT_EQ(word->x(), TwipsToPixels(255));
}

TEST(AboutWindow, ControlsAreStackedFrontToBackAsDesigned) {
    FrmAbout about;
    // Front first; a later sibling is painted over an earlier one.
    const char *frontToBack[] = {"cmdOK",   "Line1_1",  "Line1_0",    "Image1",        "lblDescription",
                                 "lblTitle", "lblVersion", "lblDisclaimer", "Image2"};
    const QObjectList &children = about.children();
    int previous = static_cast<int>(children.size());
    for (const char *name : frontToBack) {
        const QObject *child = about.findChild<QWidget *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
        ASSERT_NE(child, nullptr) << name;
        const int index = static_cast<int>(children.indexOf(const_cast<QObject *>(child)));
        EXPECT_LT(index, previous) << name << " should lie behind the control listed before it";
        previous = index;
    }
}

TEST(AboutWindow, DrawsTheRulesOverTheDescriptionAndThePictures) {
    FrmAbout about;
    const QImage image = about.grab().toImage();
    ASSERT_EQ(image.size(), QSize(503, 236));
    const int x = TwipsToPixels(2000);
    // The white rule is two pixels high and lies over the description's box.
    EXPECT_EQ(image.pixelColor(x, TwipsToPixels(2040) - 1), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(x, TwipsToPixels(2040)), QColor(Qt::white));
    EXPECT_NE(image.pixelColor(x, TwipsToPixels(2040) - 2), QColor(Qt::white));
    EXPECT_NE(image.pixelColor(x, TwipsToPixels(2040) + 1), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(x, TwipsToPixels(2160)), QColor(255, 128, 0));
    EXPECT_NE(image.pixelColor(x, TwipsToPixels(2160) + 1), QColor(255, 128, 0));
    EXPECT_NE(image.pixelColor(x, TwipsToPixels(2160) - 1), QColor(255, 128, 0));
    // The rules end where they are meant to.
    EXPECT_EQ(image.pixelColor(TwipsToPixels(4320), TwipsToPixels(2040)), QColor(Qt::white));
    EXPECT_NE(image.pixelColor(TwipsToPixels(4320) + 1, TwipsToPixels(2040)), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(TwipsToPixels(4350), TwipsToPixels(2160)), QColor(255, 128, 0));

    const QLabel *photo = label(about, "Image2");
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(photo->pixmap().size(), QSize(1280, 960)) << "the photograph is the full picture, squeezed";
    EXPECT_TRUE(photo->hasScaledContents());
    EXPECT_EQ(photo->geometry(), QRect(296, 32, 200, 144));
    // A colour picture: somewhere in it red, green and blue differ clearly.
    const QImage shown = image.copy(photo->geometry());
    bool coloured = false;
    for (int y = 0; y < shown.height() && !coloured; y += 3)
        for (int x2 = 0; x2 < shown.width() && !coloured; x2 += 3) {
            const QColor c = shown.pixelColor(x2, y);
            coloured = std::abs(c.red() - c.blue()) > 40;
        }
    EXPECT_TRUE(coloured);

    const QLabel *knight = label(about, "Image1");
    ASSERT_NE(knight, nullptr);
    EXPECT_EQ(knight->pixmap().size(), QSize(117, 117));
    EXPECT_TRUE(knight->hasScaledContents());
    EXPECT_EQ(knight->geometry(), QRect(8, 0, 61, 61));
}

TEST(AboutWindow, OnlyTheOkButtonTakesTheFocus) {
    FrmAbout about;
    const auto *ok = about.findChild<QPushButton *>("cmdOK");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    for (const QWidget *w : about.findChildren<QWidget *>()) {
        if (w != ok) {
            EXPECT_EQ(w->focusPolicy(), Qt::NoFocus) << w->objectName().toStdString();
        }
    }
    EXPECT_NE(ok->focusPolicy(), Qt::NoFocus);

    const int result = execWith(about, [&] {
        EXPECT_EQ(about.focusWidget(), ok);
        // Tab has nowhere else to go.
        QTest::keyClick(about.focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(about.focusWidget(), ok);
        QTest::keyClick(about.focusWidget(), Qt::Key_Backtab);
        EXPECT_EQ(about.focusWidget(), ok);
        about.accept();
    });
    EXPECT_EQ(result, QDialog::Accepted);
}

TEST(AboutWindow, OkEnterAndEscCloseIt) {
    const struct {
        const char *how;
        std::function<void(FrmAbout &)> act;
        int result;
    } cases[] = {
        {"OK", [](FrmAbout &d) { QTest::mouseClick(d.findChild<QPushButton *>("cmdOK"), Qt::LeftButton); },
         QDialog::Accepted},
        {"Enter", [](FrmAbout &d) { QTest::keyClick(d.focusWidget(), Qt::Key_Return); }, QDialog::Accepted},
        {"keypad Enter", [](FrmAbout &d) { QTest::keyClick(d.focusWidget(), Qt::Key_Enter, Qt::KeypadModifier); },
         QDialog::Accepted},
        {"Esc", [](FrmAbout &d) { QTest::keyClick(d.focusWidget(), Qt::Key_Escape); }, QDialog::Rejected},
        {"close box", [](FrmAbout &d) { d.close(); }, QDialog::Rejected},
    };
    for (const auto &c : cases) {
        FrmAbout about;
        const int result = execWith(about, [&] {
            ASSERT_NE(about.focusWidget(), nullptr);
            c.act(about);
        });
        EXPECT_EQ(result, c.result) << c.how;
        EXPECT_FALSE(about.isVisible()) << c.how;
    }
}

TEST(AboutWindow, ASecondOpeningShowsTheSameContent) {
    QWidget owner;
    QImage first, second;
    {
        FrmAbout about(&owner);
        execWith(about, [&] {
            first = about.grab().toImage();
            QTest::keyClick(about.focusWidget(), Qt::Key_Escape);
        });
    }
    {
        FrmAbout about(&owner);
        execWith(about, [&] {
            second = about.grab().toImage();
            QTest::keyClick(about.focusWidget(), Qt::Key_Return);
        });
    }
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first, second);
}

} // namespace
} // namespace quorvane
