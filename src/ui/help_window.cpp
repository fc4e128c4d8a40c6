#include "ui/help_window.h"
#include "ui/labels.h"

#include "platform/twips.h"
#include "ui/art/icons.h"
#include "ui/art/screenshots.h"
#include "ui/board_view.h"
#include "ui/fonts.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <vector>

namespace quorvane::ui {

namespace {

constexpr int kClientWidth = 10395;
constexpr int kClientHeight = 8610;

const QColor kStepGreen(0, 128, 0);
const QColor kDarkOrange(192, 64, 0);

// Sizable, with a minimise button but no maximise button: the controls keep
// their places, so a bigger window would only show more empty space.
constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                         Qt::WindowCloseButtonHint;

// In the steps, a run of this many blanks or more ends a line.
constexpr qsizetype kLineEndingRun = 10;

struct BlankRun {
    qsizetype start;
    qsizetype length;
};

// The runs of two or more blanks in text, in order.
std::vector<BlankRun> blankRuns(const QString &text) {
    std::vector<BlankRun> runs;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype end = i;
        while (end < text.size() && text[end] == QLatin1Char(' '))
            ++end;
        if (end - i >= 2)
            runs.push_back({i, end - i});
        i = end;
    }
    return runs;
}

// How wide the last line of text is when it wraps at width, as a label wraps it.
double lastLineWidth(const QString &text, const QFont &font, int width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    double last = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        last = line.naturalTextWidth();
    }
    layout.endLayout();
    return last;
}

// The start of text up to its first chance of a line break: the first word, or
// less where the word has a hyphen ("e-" of "e-mail").
QString firstUnbreakable(const QString &text) {
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    const qsizetype end = breaks.toNextBoundary();
    return (end < 0 ? text : text.left(end)).trimmed();
}

} // namespace

QString help::fitStepText(const char *designed, const QFont &font, int width) {
    const QString text = QLatin1String(designed);
    const QFontMetricsF metrics(font);
    const double blank = metrics.horizontalAdvance(QLatin1Char(' '));

    // The phrases, one a line, and the lengths of the runs that end them.
    QStringList phrases;
    std::vector<qsizetype> runs;
    qsizetype start = 0;
    for (const BlankRun &run : blankRuns(text)) {
        if (run.length < kLineEndingRun)
            continue;
        phrases.append(text.mid(start, run.start - start));
        runs.push_back(run.length);
        start = run.start + run.length;
    }
    phrases.append(text.mid(start));

    for (QString &phrase : phrases) {
        while (metrics.horizontalAdvance(phrase) > width) {
            const std::vector<BlankRun> inner = blankRuns(phrase);
            if (inner.empty())
                break; // nothing left to shorten: the phrase wraps
            const auto longest = std::max_element(
                inner.begin(), inner.end(), [](const BlankRun &a, const BlankRun &b) { return a.length < b.length; });
            phrase.remove(longest->start, 1);
        }
    }

    QString fitted = phrases.first();
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const QString &next = phrases[static_cast<qsizetype>(i) + 1];
        const double line = lastLineWidth(phrases[static_cast<qsizetype>(i)], font, width);
        const double nextPiece = metrics.horizontalAdvance(firstUnbreakable(next));
        qsizetype run = runs[i];
        // One blank to spare past the break, so rounding in the layout cannot
        // keep the next phrase's first piece on the line.
        while (line + static_cast<double>(run - 1) * blank + nextPiece <= width)
            ++run;
        fitted += QString(run, QLatin1Char(' ')) + next;
    }
    return fitted;
}

namespace {

QLabel *addLabel(QWidget *window, const char *name, const QRect &box, const char *text,
                 Qt::Alignment alignment = Qt::AlignLeft) {
    return addTextLabel(window, name, box, QLatin1String(text), alignment);
}

// A step label, its runs of blanks fitted to the font it inherits.
QLabel *addStep(QWidget *window, const char *name, const QRect &box, const char *text) {
    QLabel *label = addLabel(window, name, box, text);
    label->setText(help::fitStepText(text, label->font(), label->width()));
    setTextColour(label, kStepGreen);
    return label;
}

// A picture at its own size in the top-left corner of its box.
QLabel *addImage(QWidget *window, const char *name, const QRect &box, const QImage &picture) {
    auto *image = new QLabel(window);
    image->setObjectName(QLatin1String(name));
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image->setPixmap(QPixmap::fromImage(picture));
    image->setGeometry(box);
    return image;
}

} // namespace

FrmQuorvane::FrmQuorvane(QWidget *parent) : QWidget(parent, kWindowFlags) {
    installClassicFonts();
    setObjectName(QStringLiteral("frmQuorvane"));
    setWindowTitle(QStringLiteral("Quorvane Help"));
    setWindowIcon(art::helpIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(classicFont(QStringLiteral("MS Sans Serif"), 8, false));
    resize(TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));

    // Created from back to front, so that where two overlap the later one lies on
    // top: the example-file picture covers a corner of the web-mail picture and
    // the empty bottom of the second step.
    QLabel *intro = addLabel(this, "Label1", twipsRect(240, 120, 9885, 1155), help::kIntro, Qt::AlignHCenter);
    intro->setFont(classicFont(QStringLiteral("Tahoma"), 11.25, true));
    setTextColour(intro, kDarkOrange);
    addStep(this, "Label2", twipsRect(240, 1440, 2535, 495), help::kStep1);
    addStep(this, "Label3", twipsRect(240, 2160, 2775, 1335), help::kStep2);
    addImage(this, "Image1", twipsRect(3480, 1200, 6855, 4365), art::webMailScreenshot());
    addImage(this, "Image2", twipsRect(120, 3360, 5880, 4830), art::exampleFileScreenshot());
    addStep(this, "Label4", twipsRect(6480, 5640, 3135, 1215), help::kStep3);
    setTextColour(addLabel(this, "Label5", twipsRect(6480, 7080, 3255, 975), help::kWarning), kDarkOrange);
    // One line high: a font a pixel too wide for it must not wrap the arrow onto
    // a line nobody sees.
    QLabel *invitation = addLabel(this, "Label6", twipsRect(240, 8280, 6495, 255), help::kInvitation);
    invitation->setWordWrap(false);
    fitOneLine(invitation);

    auto *address = new QLineEdit(QLatin1String(help::kAuthorAddress), this);
    address->setObjectName(QStringLiteral("Text1"));
    address->setReadOnly(true);
    address->setCursorPosition(0);
    address->setGeometry(twipsRect(6840, 8160, 3015, 375));
}

} // namespace quorvane::ui
