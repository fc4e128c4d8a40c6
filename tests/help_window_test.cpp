// The Help window and its two pictures, checked through the widgets and the
// pixels they show.

#include "platform/twips.h"
#include "ui/art/screenshots.h"
#include "ui/fonts.h"
#include "ui/help_window.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace quorvane {
namespace {

QRect TwipsBox(int left, int top, int width, int height) {
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

// The window, shown and exposed; it deletes itself when closed, so the tests
// that do not close it delete it themselves.
struct HelpWindow {
    QPointer<ui::FrmQuorvane> window = new ui::FrmQuorvane;

    HelpWindow() {
        window->show();
        (void)QTest::qWaitForWindowExposed(window);
    }
    ~HelpWindow() { delete window.data(); }

    template <typename T = QWidget> T *control(const char *name) const {
        return window->findChild<T *>(QLatin1String(name));
    }
    QString text(const char *name) const {
        const auto *label = control<QLabel>(name);
        return label ? label->text() : QString();
    }
};

QString Blanks(int n) {
    return QString(n, QLatin1Char(' '));
}

// How a word-wrapped plain-text label breaks text into lines: laid out as QLabel
// lays it out, a document without margins as wide as the label.
struct Wrapped {
    QStringList lines;           // each with its runs of blanks folded
    std::vector<int> lineStarts; // offsets into the text
    double height = 0;
};

Wrapped Wrap(const QString &text, const QFont &font, int width) {
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    document.setDefaultTextOption(option);
    document.setPlainText(text);
    document.setTextWidth(width);
    Wrapped wrapped;
    wrapped.height = document.documentLayout()->documentSize().height();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            wrapped.lines.append(block.text().mid(line.textStart(), line.textLength()).simplified());
            wrapped.lineStarts.push_back(block.position() + line.textStart());
        }
    }
    return wrapped;
}

Wrapped Wrap(const QLabel &label) {
    return Wrap(label.text(), label.font(), label.width());
}

// The three steps, their labels' widths, and the lines they were written to
// break into, one phrase a line.
struct Step {
    const char *label;
    const char *designed;
    int width;
    QStringList phrases;
};
const Step kSteps[] = {
    {"Label2", ui::help::kStep1, 169, {"1st e-mail the history to yourself", "while still in the game room"}},
    {"Label3",
     ui::help::kStep2,
     185,
     {"2nd Go to your yahoo e-mail account", "and view the e-mail you just sent", "yourself. At the bottom of the",
      "e-mail there is a link \"Save", "Message Text\" click it and save", "it to the folder of choice"}},
    {"Label4",
     ui::help::kStep3,
     209,
     {"3rd Open that file from within Quorvane", "to view your glorious victories and", "defeats.",
      "The text file should look like the one", "on the left when sent and saved", "properly."}},
};

// Where each phrase of a step starts in text: after each run of ten or more blanks.
std::vector<int> PhraseStarts(const QString &text) {
    std::vector<int> starts{0};
    for (int i = 0, run = 0; i < text.size(); ++i) {
        if (text[i] == ' ') {
            ++run;
            continue;
        }
        if (run >= 10)
            starts.push_back(i);
        run = 0;
    }
    return starts;
}

QFont PixelFont(const char *family, int pixels) {
    QFont font;
    font.setFamilies({QLatin1String(family)});
    font.setPixelSize(pixels);
    return font;
}

TEST(HelpWindow, IsAnOwnerlessSizableWindowWithAMinimiseButtonOnly) {
    HelpWindow w;
    ui::FrmQuorvane &window = *w.window;
    EXPECT_EQ(window.objectName(), "frmQuorvane");
    EXPECT_EQ(window.windowTitle(), "Quorvane Help");
    EXPECT_TRUE(window.isWindow());
    EXPECT_EQ(window.parentWidget(), nullptr);
    EXPECT_EQ(window.windowModality(), Qt::NonModal);
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(window.size(), QSize(693, 574)) << "10395 x 8610 twips";

    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint)) << "without it the platform adds a maximise button";
    EXPECT_LT(window.minimumWidth(), window.maximumWidth()) << "the border is sizable";
    EXPECT_LT(window.minimumHeight(), window.maximumHeight());
}

TEST(HelpWindow, ClosingDestroysIt) {
    QPointer<ui::FrmQuorvane> window = new ui::FrmQuorvane;
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

// Front to back, as the window stacks them.
struct Placement {
    const char *name;
    int left, top, width, height;
};
constexpr Placement kFrontToBack[] = {
    {"Text1", 6840, 8160, 3015, 375},   {"Label6", 240, 8280, 6495, 255},  {"Label5", 6480, 7080, 3255, 975},
    {"Label4", 6480, 5640, 3135, 1215}, {"Image2", 120, 3360, 5880, 4830}, {"Image1", 3480, 1200, 6855, 4365},
    {"Label3", 240, 2160, 2775, 1335},  {"Label2", 240, 1440, 2535, 495},  {"Label1", 240, 120, 9885, 1155},
};

TEST(HelpWindow, ControlsStandInTheirPlacesStackedFrontToBack) {
    HelpWindow w;
    QStringList frontToBack;
    for (QObject *child : w.window->children())
        if (child->isWidgetType())
            frontToBack.prepend(child->objectName()); // a later sibling lies on top
    QStringList expected;
    for (const Placement &p : kFrontToBack) {
        expected.append(QLatin1String(p.name));
        const QWidget *control = w.control(p.name);
        ASSERT_NE(control, nullptr) << p.name;
        EXPECT_EQ(control->geometry(), TwipsBox(p.left, p.top, p.width, p.height)) << p.name;
    }
    EXPECT_EQ(frontToBack, expected);
}

TEST(HelpWindow, ResizingMovesAndResizesNothing) {
    HelpWindow w;
    std::vector<QRect> before;
    for (const Placement &p : kFrontToBack)
        before.push_back(w.control(p.name)->geometry());
    for (const QSize size : {QSize(300, 200), QSize(1000, 800), QSize(693, 574)}) {
        w.window->resize(size);
        QCoreApplication::processEvents();
        EXPECT_EQ(w.window->size(), size);
        for (std::size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(w.control(kFrontToBack[i].name)->geometry(), before[i])
                << kFrontToBack[i].name << " at " << size.width();
    }
}

TEST(HelpWindow, LabelsHoldTheDesignedTexts) {
    EXPECT_STREQ(ui::help::kIntro,
                 "Quorvane only loads text files with the extension .txt.  You can get these files by sending the game "
                 "history to yourself while in the chess game and obtaining the file through your Yahoo e-mail "
                 "account.  Follow the steps below to ensure the proper function of the file.");
    EXPECT_EQ(QLatin1String(ui::help::kStep1),
              "1st" + Blanks(5) + "e-mail the history to yourself" + Blanks(13) + "while still in the game room");
    EXPECT_EQ(QLatin1String(ui::help::kStep2),
              "2nd" + Blanks(4) + "Go to your yahoo e-mail account" + Blanks(10) + "and view the e-mail you just sent" +
                  Blanks(11) + "yourself.  At the bottom of the" + Blanks(16) + "e-mail there is a link \"Save" +
                  Blanks(21) + "Message Text\" click it and save" + Blanks(12) + "it to the folder of choice");
    EXPECT_EQ(QLatin1String(ui::help::kStep3), "3rd" + Blanks(5) + "Open that file from within Quorvane" + Blanks(13) +
                                                   "to view your glorious victories and" + Blanks(17) + "defeats." +
                                                   Blanks(58) + "The text file should look like the one" + Blanks(14) +
                                                   "on the left when sent and saved" + Blanks(20) + "properly.");
    EXPECT_STREQ(ui::help::kWarning,
                 "Warning: files may not work right when copy and pasted to text file. Be sure to use the \"Save "
                 "Message Text\" through your Yahoo Account to ensure correct execution.");
    EXPECT_STREQ(ui::help::kInvitation,
                 "For comments or questions and suggestions about Quorvane, you can e-mail me at ----->");

    HelpWindow w;
    EXPECT_EQ(w.text("Label1"), ui::help::kIntro);
    EXPECT_EQ(w.text("Label5"), ui::help::kWarning);
    EXPECT_EQ(w.text("Label6"), ui::help::kInvitation);
    // The steps may have their runs of blanks fitted to the font, never their words.
    for (const Step &step : kSteps)
        EXPECT_EQ(w.text(step.label).simplified(), QString::fromLatin1(step.designed).simplified()) << step.label;
    for (const char *name : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6"})
        EXPECT_EQ(w.control<QLabel>(name)->textFormat(), Qt::PlainText) << name << ": rich text folds the blanks";

    const auto *address = w.control<QLineEdit>("Text1");
    ASSERT_NE(address, nullptr);
    EXPECT_TRUE(address->text().endsWith("@example.org") || address->text().endsWith("@example.com"))
        << address->text().toStdString();
}

TEST(HelpWindow, LabelsUseTheirColoursAndFonts) {
    HelpWindow w;
    const QColor green(0, 128, 0), orange(192, 64, 0);
    for (const char *name : {"Label2", "Label3", "Label4"})
        EXPECT_EQ(w.control(name)->palette().color(QPalette::WindowText), green) << name;
    for (const char *name : {"Label1", "Label5"})
        EXPECT_EQ(w.control(name)->palette().color(QPalette::WindowText), orange) << name;
    EXPECT_EQ(w.window->font(), ui::classicFont("MS Sans Serif", 8, false));
    for (const char *name : {"Label2", "Label3", "Label4", "Label5", "Label6", "Text1"})
        EXPECT_EQ(w.control(name)->font(), w.window->font()) << name << " has no font of its own";
    EXPECT_EQ(w.control("Label1")->font(), ui::classicFont("Tahoma", 11.25, true));
    EXPECT_TRUE(w.control<QLabel>("Label1")->alignment().testFlag(Qt::AlignHCenter));
}

// Each step breaks into the lines its runs of blanks were written for, and every
// line shows: none is cut off by the bottom of its box or, for the second step,
// by the example-file picture lying over the bottom of its box.
TEST(HelpWindow, StepsShowOnePhrasePerLineAndEveryLabelFits) {
    HelpWindow w;
    for (const Step &step : kSteps) {
        const auto *label = w.control<QLabel>(step.label);
        EXPECT_EQ(label->width(), step.width);
        EXPECT_TRUE(label->wordWrap());
        EXPECT_EQ(Wrap(*label).lines, step.phrases)
            << step.label << " in " << QFontInfo(label->font()).family().toStdString();
    }

    const int image2Top = w.control("Image2")->y();
    for (const char *name : {"Label1", "Label2", "Label3", "Label4", "Label5"}) {
        const auto *label = w.control<QLabel>(name);
        const double height = Wrap(*label).height;
        // The real label agrees with the layout the lines above were read from.
        EXPECT_EQ(label->heightForWidth(label->width()), std::ceil(height)) << name;
        const int bottom = label->geometry().bottom() + 1;
        const int visible = label == w.control("Label3") ? std::min(bottom, image2Top) : bottom;
        EXPECT_LE(label->y() + height, visible) << name;
    }
    // The invitation stays on its one line.
    const auto *invitation = w.control<QLabel>("Label6");
    EXPECT_FALSE(invitation->wordWrap());
    EXPECT_LE(QFontMetrics(invitation->font()).height(), invitation->height());
    EXPECT_LE(QFontMetrics(invitation->font()).horizontalAdvance(invitation->text()), invitation->width() + 1)
        << "the arrow shows, give or take its last pixel";
}

// The runs are fitted to whatever font the dialog font resolves to: with the font
// they were measured for nothing changes; with a narrower one they grow; with a
// wider one a phrase may wrap, but each still starts a line of its own.
TEST(HelpWindow, StepRunsFitOtherFonts) {
    struct Case {
        QFont font;
        bool phrasesFitALine;
    };
    const Case cases[] = {
        {PixelFont("MS Sans Serif", 11), true},
        {PixelFont("Liberation Sans", 11), true},
        {PixelFont("Liberation Sans", 8), true},
        {PixelFont("DejaVu Sans", 11), false},
    };
    for (const Case &c : cases) {
        const std::string family = QFontInfo(c.font).family().toStdString();
        if (QFontInfo(c.font).family() != c.font.families().first()) {
            ADD_FAILURE() << c.font.families().first().toStdString() << " is not installed; got " << family;
            continue;
        }
        for (const Step &step : kSteps) {
            const QString fitted = ui::help::fitStepText(step.designed, c.font, step.width);
            EXPECT_EQ(fitted.simplified(), QString::fromLatin1(step.designed).simplified());
            const Wrapped wrapped = Wrap(fitted, c.font, step.width);
            for (const int start : PhraseStarts(fitted))
                EXPECT_NE(std::find(wrapped.lineStarts.begin(), wrapped.lineStarts.end(), start),
                          wrapped.lineStarts.end())
                    << step.label << " in " << family << ": a phrase at " << start << " does not start a line";
            if (c.phrasesFitALine) {
                EXPECT_EQ(wrapped.lines, step.phrases) << step.label << " in " << family;
            }
            if (family == "MS Sans Serif") {
                EXPECT_EQ(fitted, QLatin1String(step.designed)) << step.label << ": the font the runs were written for";
            }
        }
    }
}

TEST(HelpWindow, ExampleFilePictureLiesOverTheWebMailPictureLeavingTheSaveLinkVisible) {
    HelpWindow w;
    const QImage shown = w.window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect image1 = w.control("Image1")->geometry();
    const QRect image2 = w.control("Image2")->geometry();
    const QRect overlap = image1.intersected(image2);
    EXPECT_EQ(overlap, QRect(QPoint(232, 224), QPoint(399, 370))) << "3480-6000 across, 3360-5565 down";

    const QImage example = art::exampleFileScreenshot().convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    for (int y = overlap.top(); y <= overlap.bottom(); ++y)
        for (int x = overlap.left(); x <= overlap.right(); ++x)
            differing += shown.pixel(x, y) != example.pixel(x - image2.x(), y - image2.y());
    EXPECT_EQ(differing, 0) << "the overlap shows the example-file picture";

    const QRect link = art::webMailSaveLinkRect().translated(image1.topLeft());
    EXPECT_FALSE(link.intersects(image2));
    const QRgb linkColour = art::webMailLinkColour().rgb();
    int underline = 0;
    for (int x = link.left(); x <= link.right(); ++x)
        underline += shown.pixel(x, link.bottom()) == linkColour;
    EXPECT_EQ(underline, link.width()) << "the underline of \"Save Message Text\" shows whole";
}

TEST(HelpScreenshots, HaveTheirDesignedSizes) {
    EXPECT_EQ(art::webMailScreenshot().size(), QSize(457, 291));
    EXPECT_EQ(art::exampleFileScreenshot().size(), QSize(392, 322));
}

TEST(HelpScreenshots, WebMailLinkRowHasTheSaveLinkOnTheRight) {
    const QImage page = art::webMailScreenshot();
    const QRect link = art::webMailSaveLinkRect();
    EXPECT_TRUE(page.rect().contains(link));
    EXPECT_GT(link.left(), page.width() / 2);
    // Some of the link's letters are drawn in its colour, not only its underline.
    int letters = 0;
    for (int y = link.top(); y < link.bottom() - 1; ++y)
        for (int x = link.left(); x <= link.right(); ++x)
            letters += page.pixelColor(x, y).blue() > 150 && page.pixelColor(x, y).red() < 100;
    EXPECT_GT(letters, 30);
}

// The record comes from the program's resources, and the editor runs its lines
// together: as one wrapped block it takes about half of the page, where one line
// per record line would fill the page to the bottom.
TEST(HelpScreenshots, ExampleFileShowsTheRecordAsOneWrappedBlock) {
    QFile file(QStringLiteral(QUORVANE_TEST_DATA "/file1.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString record = QString::fromLatin1(file.readAll());
    EXPECT_EQ(art::exampleRecordText(), record);
    ASSERT_EQ(record.count('\n'), 34) << "35 lines";

    const QImage picture = art::exampleFileScreenshot();
    // The white page between the menu bar and the bottom edge, left of the scroll bar.
    const int left = 8, right = 360, top = 46, bottom = 314;
    auto inkInRow = [&](int y) {
        for (int x = left; x < right; ++x)
            if (qGray(picture.pixel(x, y)) < 128)
                return true;
        return false;
    };
    int lines = 0;
    int lastInk = top;
    for (int y = top; y < bottom; ++y) {
        if (inkInRow(y)) {
            lines += !inkInRow(y - 1);
            lastInk = y;
        }
    }
    EXPECT_GE(lines, 10);
    EXPECT_LE(lines, 16);
    EXPECT_LT(lastInk, top + (bottom - top) * 2 / 3) << "the bottom of the page stays empty";
}

} // namespace
} // namespace quorvane
