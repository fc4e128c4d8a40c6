#include "ui/art/screenshots.h"

#include "ui/fonts.h"

#include <QFile>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygon>
#include <QStringList>

#include <vector>

// The resources live in a static library; nothing else refers to them, so the
// linker would leave them out unless they are pulled in by name.
static void initHelpResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(help);
        return true;
    }();
    (void)done;
}

namespace quorvane::art {

namespace {

// The classic desktop look the two pictures share.
const QColor kFace(212, 208, 200);
const QColor kShadow(128, 128, 128);
const QColor kDarkShadow(64, 64, 64);
const QColor kTitleLeft(10, 36, 106);
const QColor kTitleRight(166, 202, 240);
const QColor kTrack(236, 234, 230);

// The web-mail page's own colours: a plain blue and grey scheme of no service
// in particular.
const QColor kLink(0, 51, 204);
const QColor kBrand(0, 92, 128);
const QColor kBand(218, 228, 242);
const QColor kBandEdge(150, 172, 204);
const QColor kHeaderGround(243, 246, 251);
const QColor kGreyText(96, 96, 96);

constexpr QSize kWebMailSize(457, 291);
constexpr QSize kExampleFileSize(392, 322);

QFont uiFont(int pixels, bool bold = false) {
    ui::installClassicFonts();
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont monoFont(int pixels) {
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Mono"), QStringLiteral("Courier")});
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(pixels);
    return font;
}

// Raised and sunken edges, two pixels each, as the classic controls have them.
void paintRaised(QPainter &p, const QRect &r, bool fill = true) {
    if (fill)
        p.fillRect(r, kFace);
    p.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), Qt::white);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), Qt::white);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), kDarkShadow);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), kDarkShadow);
    p.fillRect(QRect(r.left() + 1, r.bottom() - 1, r.width() - 2, 1), kShadow);
    p.fillRect(QRect(r.right() - 1, r.top() + 1, 1, r.height() - 2), kShadow);
}

void paintSunken(QPainter &p, const QRect &r, const QColor &inside) {
    p.fillRect(r, inside);
    p.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), kShadow);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), kShadow);
    p.fillRect(QRect(r.left() + 1, r.top() + 1, r.width() - 3, 1), kDarkShadow);
    p.fillRect(QRect(r.left() + 1, r.top() + 1, 1, r.height() - 3), kDarkShadow);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), Qt::white);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), Qt::white);
    p.fillRect(QRect(r.left() + 1, r.bottom() - 1, r.width() - 2, 1), kFace);
    p.fillRect(QRect(r.right() - 1, r.top() + 1, 1, r.height() - 2), kFace);
}

// A window's outer frame with the face colour inside.
void paintWindowFrame(QPainter &p, const QRect &r) {
    p.fillRect(r, kFace);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), kDarkShadow);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), kDarkShadow);
    p.fillRect(QRect(r.left() + 1, r.top() + 1, r.width() - 3, 1), Qt::white);
    p.fillRect(QRect(r.left() + 1, r.top() + 1, 1, r.height() - 3), Qt::white);
    p.fillRect(QRect(r.left() + 1, r.bottom() - 1, r.width() - 2, 1), kShadow);
    p.fillRect(QRect(r.right() - 1, r.top() + 1, 1, r.height() - 2), kShadow);
}

// Text with its top-left corner at (x, top), baseline taken from the font.
int drawTextAt(QPainter &p, int x, int top, const QString &text, const QFont &font, const QColor &colour) {
    p.setFont(font);
    p.setPen(colour);
    const QFontMetrics fm(font);
    p.drawText(x, top + fm.ascent(), text);
    return fm.horizontalAdvance(text);
}

// The three caption buttons: minimise, maximise, close.
void paintCaptionButtons(QPainter &p, const QRect &bar) {
    const int w = 16, h = 14;
    const int top = bar.top() + (bar.height() - h) / 2;
    const QRect close(bar.right() - 1 - w, top, w, h);
    const QRect maximise(close.left() - 2 - w, top, w, h);
    const QRect minimise(maximise.left() - w, top, w, h);
    for (const QRect &r : {minimise, maximise, close})
        paintRaised(p, r);
    p.fillRect(QRect(minimise.left() + 4, minimise.top() + 9, 6, 2), Qt::black);
    p.fillRect(QRect(maximise.left() + 3, maximise.top() + 2, 9, 2), Qt::black);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(maximise.left() + 3, maximise.top() + 2, 8, 8));
    for (int i = 0; i < 6; ++i) {
        const int x = close.left() + 4 + i, y = close.top() + 3 + i;
        p.fillRect(QRect(x, y, 2, 1), Qt::black);
        p.fillRect(QRect(close.left() + 10 - i, y, 2, 1), Qt::black);
    }
}

// The active title bar: the blue gradient, the icon the caller paints into a
// 16 x 16 box, the caption in bold white, and the caption buttons.
template <typename IconPainter>
void paintTitleBar(QPainter &p, const QRect &bar, const QString &caption, IconPainter paintIcon) {
    QLinearGradient ground(bar.topLeft(), bar.topRight());
    ground.setColorAt(0, kTitleLeft);
    ground.setColorAt(1, kTitleRight);
    p.fillRect(bar, ground);
    paintIcon(p, QRect(bar.left() + 2, bar.top() + 1, 16, 16));
    drawTextAt(p, bar.left() + 21, bar.top() + 2, caption, uiFont(11, true), Qt::white);
    paintCaptionButtons(p, bar);
}

// A vertical scroll bar with its arrow buttons and a thumb at the top.
void paintScrollBar(QPainter &p, const QRect &r, int thumbHeight) {
    p.fillRect(r, kTrack);
    const QRect up(r.left(), r.top(), r.width(), 16);
    const QRect down(r.left(), r.bottom() - 15, r.width(), 16);
    const QRect thumb(r.left(), up.bottom() + 1, r.width(), thumbHeight);
    for (const QRect &b : {up, down, thumb})
        paintRaised(p, b);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const int cx = r.left() + r.width() / 2;
    p.drawPolygon(QPolygon({QPoint(cx, up.top() + 6), QPoint(cx - 3, up.top() + 9), QPoint(cx + 3, up.top() + 9)}));
    p.drawPolygon(
        QPolygon({QPoint(cx, down.top() + 10), QPoint(cx - 3, down.top() + 7), QPoint(cx + 3, down.top() + 7)}));
}

// A menu bar's entries, the first letter of each underlined as the access key.
void paintMenuBar(QPainter &p, int left, int top, const QStringList &entries) {
    const QFont font = uiFont(11);
    const QFontMetrics fm(font);
    int x = left;
    for (const QString &entry : entries) {
        const int width = drawTextAt(p, x, top, entry, font, Qt::black);
        p.fillRect(QRect(x, top + fm.ascent() + 1, fm.horizontalAdvance(entry.left(1)), 1), Qt::black);
        x += width + 14;
    }
}

// A link: text in the link colour, underlined one pixel below the baseline.
QRect drawLink(QPainter &p, int x, int top, const QString &text, const QFont &font) {
    const QFontMetrics fm(font);
    const int width = drawTextAt(p, x, top, text, font, kLink);
    p.fillRect(QRect(x, top + fm.ascent() + 1, width, 1), kLink);
    return {x, top, width, fm.ascent() + 2};
}

// A small push button of a web page with its label centred.
void paintPageButton(QPainter &p, const QRect &r, const QString &label, const QFont &font) {
    paintRaised(p, r);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(r.adjusted(0, 0, -1, -1), Qt::AlignCenter, label);
}

// The browser's icon: a small blue globe.
void paintGlobeIcon(QPainter &p, const QRect &box) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF disc = QRectF(box).adjusted(1.5, 1.5, -1.5, -1.5);
    p.setPen(QPen(QColor(0, 40, 110), 1));
    p.setBrush(QColor(70, 140, 220));
    p.drawEllipse(disc);
    p.setPen(QPen(QColor(200, 230, 255), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(disc.adjusted(4, 0, -4, 0));
    p.drawLine(QPointF(disc.left() + 1, disc.center().y()), QPointF(disc.right() - 1, disc.center().y()));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 150, 60));
    p.drawEllipse(QRectF(disc.left() + 2.5, disc.top() + 3, 4, 3.5));
    p.drawEllipse(QRectF(disc.center().x() + 1, disc.center().y() + 1, 4, 3));
    p.restore();
}

// The editor's icon: a sheet of paper with lines of text on it.
void paintSheetIcon(QPainter &p, const QRect &box) {
    const QRect sheet(box.left() + 2, box.top() + 1, 12, 14);
    p.fillRect(sheet, Qt::white);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(sheet.adjusted(0, 0, -1, -1));
    for (int y = sheet.top() + 3; y < sheet.bottom() - 1; y += 2)
        p.fillRect(QRect(sheet.left() + 2, y, 8, 1), QColor(0, 0, 128));
}

// A small closed envelope, the web-mail page's emblem.
void paintEnvelope(QPainter &p, const QRect &r) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kBrand, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5));
    p.drawLine(QPointF(r.left() + 0.5, r.top() + 0.5), QPointF(r.center().x() + 0.5, r.center().y() + 1));
    p.drawLine(QPointF(r.right() + 0.5, r.top() + 0.5), QPointF(r.center().x() + 0.5, r.center().y() + 1));
    p.restore();
}

// The record's line ends as the editor shows them: a hollow box as high as a
// capital letter, in a cell the width of the digit zero.
int lineFeedBoxWidth(const QFontMetrics &fm) {
    return fm.horizontalAdvance(QLatin1Char('0'));
}

void drawLineFeedBox(QPainter &p, int x, int baseline, const QFontMetrics &fm, const QColor &colour) {
    const int width = lineFeedBoxWidth(fm);
    const int height = fm.capHeight();
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(colour);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(x + 1, baseline - height, width - 3, height - 1));
    p.restore();
}

// One word as the editor breaks lines: a run of characters between blanks. The
// line feeds are not blanks, so they join the words on either side.
int wordWidth(const QString &word, const QFontMetrics &fm) {
    int width = 0;
    for (const QString &piece : word.split(QLatin1Char('\n')))
        width += fm.horizontalAdvance(piece);
    return width + static_cast<int>(word.count(QLatin1Char('\n'))) * lineFeedBoxWidth(fm);
}

void drawWord(QPainter &p, int x, int baseline, const QString &word, const QFontMetrics &fm) {
    const QStringList pieces = word.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            drawLineFeedBox(p, x, baseline, fm, Qt::black);
            x += lineFeedBoxWidth(fm);
        }
        p.drawText(x, baseline, pieces[i]);
        x += fm.horizontalAdvance(pieces[i]);
    }
}

// Breaks the text into lines of at most width pixels at its blanks, as an
// editor with word wrap does: the blank at a break stays at the end of the line.
std::vector<QStringList> wrapWords(const QString &text, int width, const QFontMetrics &fm) {
    std::vector<QStringList> lines(1);
    int used = 0;
    const int blank = fm.horizontalAdvance(QLatin1Char(' '));
    for (const QString &word : text.split(QLatin1Char(' '))) {
        const int w = wordWidth(word, fm);
        if (!lines.back().isEmpty() && used + blank + w > width) {
            lines.emplace_back();
            used = 0;
        }
        used += (lines.back().isEmpty() ? 0 : blank) + w;
        lines.back().append(word);
    }
    return lines;
}

} // namespace

QString exampleRecordText() {
    initHelpResources();
    QFile file(QStringLiteral(":/help/file1.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll());
}

QColor webMailLinkColour() {
    return kLink;
}

namespace {

// Where the links row stands; the link at its right end must keep clear of the
// lower left part of the picture, which the Help window covers with the
// example-file picture.
constexpr int kLinksTop = 125;
constexpr int kPageRight = 432;

QString saveLinkText() {
    return QStringLiteral("Save Message Text");
}

} // namespace

QRect webMailSaveLinkRect() {
    const QFontMetrics fm(uiFont(11));
    const int width = fm.horizontalAdvance(saveLinkText());
    return {kPageRight - 6 - width, kLinksTop, width, fm.ascent() + 2};
}

QImage webMailScreenshot() {
    QImage image(kWebMailSize, QImage::Format_RGB32);
    QPainter p(&image);
    const QRect all(QPoint(0, 0), kWebMailSize);
    paintWindowFrame(p, all);

    paintTitleBar(p, QRect(4, 4, all.width() - 8, 18),
                  QStringLiteral("WebMail - knightowl_77@example.com - Web Browser"), paintGlobeIcon);
    paintMenuBar(p, 10, 25,
                 {QStringLiteral("File"), QStringLiteral("Edit"), QStringLiteral("View"), QStringLiteral("Go"),
                  QStringLiteral("Bookmarks"), QStringLiteral("Tools"), QStringLiteral("Help")});
    p.fillRect(QRect(4, 41, all.width() - 8, 1), kShadow);
    p.fillRect(QRect(4, 42, all.width() - 8, 1), Qt::white);

    // The address bar.
    const QFont ui = uiFont(11);
    const QFont uiBold = uiFont(11, true);
    drawTextAt(p, 9, 49, QStringLiteral("Address"), ui, Qt::black);
    const QRect field(54, 45, 350, 20);
    paintSunken(p, field, Qt::white);
    paintGlobeIcon(p, QRect(field.left() + 3, field.top() + 2, 16, 16));
    drawTextAt(p, field.left() + 22, field.top() + 4,
               QStringLiteral("http://mail.example.com/msg/read?box=Inbox&msg=2187"), ui, Qt::black);
    const QRect go(field.right() + 4, 45, all.width() - 4 - field.right() - 8, 20);
    paintRaised(p, go);
    p.setPen(QColor(0, 128, 0));
    p.setBrush(QColor(0, 160, 0));
    p.drawPolygon(QPolygon({QPoint(go.left() + 6, go.top() + 6), QPoint(go.left() + 12, go.top() + 10),
                            QPoint(go.left() + 6, go.top() + 14)}));
    drawTextAt(p, go.left() + 17, go.top() + 4, QStringLiteral("Go"), ui, Qt::black);

    // The page, with its scroll bar.
    const QRect page(4, 68, all.width() - 8, all.height() - 72);
    paintSunken(p, page, Qt::white);
    paintScrollBar(p, QRect(page.right() - 17, page.top() + 2, 16, page.height() - 4), 120);
    const int left = page.left() + 4;

    // The service's heading: an emblem, its plain name, and the account links.
    paintEnvelope(p, QRect(left + 2, 76, 20, 13));
    QFont brand = uiFont(17, true);
    brand.setItalic(true);
    drawTextAt(p, left + 28, 72, QStringLiteral("WebMail"), brand, kBrand);
    const QFont small = uiFont(10);
    const QString account = QStringLiteral("knightowl_77@example.com  |  Options  |  Sign Out");
    drawTextAt(p, kPageRight - 6 - QFontMetrics(small).horizontalAdvance(account), 78, account, small, kGreyText);
    p.fillRect(QRect(left, 95, kPageRight - left, 2), kBrand);

    // The message toolbar.
    const QRect band(left, 99, kPageRight - left, 23);
    p.fillRect(band, kBand);
    p.fillRect(QRect(band.left(), band.bottom(), band.width(), 1), kBandEdge);
    p.fillRect(QRect(band.left(), band.top(), band.width(), 1), kBandEdge);
    const int buttonTop = band.top() + 3;
    paintPageButton(p, QRect(left + 4, buttonTop, 42, 18), QStringLiteral("Reply"), ui);
    paintPageButton(p, QRect(left + 49, buttonTop, 54, 18), QStringLiteral("Forward"), ui);
    paintPageButton(p, QRect(left + 106, buttonTop, 40, 18), QStringLiteral("Spam"), ui);
    const QRect list(left + 156, buttonTop, 116, 18);
    paintSunken(p, list, Qt::white);
    drawTextAt(p, list.left() + 4, list.top() + 3, QStringLiteral("Move to folder..."), ui, Qt::black);
    const QRect drop(list.right() - 15, list.top() + 2, 14, 14);
    paintRaised(p, drop);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPolygon(QPolygon({QPoint(drop.left() + 3, drop.top() + 5), QPoint(drop.left() + 10, drop.top() + 5),
                            QPoint(drop.left() + 6, drop.top() + 9)}));
    paintPageButton(p, QRect(list.right() + 5, buttonTop, 28, 18), QStringLiteral("OK"), ui);

    // The links under it.
    const QRect next = drawLink(p, left + 4, kLinksTop, QStringLiteral("Next"), ui);
    const int bar = next.right() + 7;
    drawTextAt(p, bar, kLinksTop, QStringLiteral("|"), ui, kGreyText);
    drawLink(p, bar + 8, kLinksTop, QStringLiteral("Back to Messages"), ui);
    drawLink(p, webMailSaveLinkRect().left(), kLinksTop, saveLinkText(), ui);
    p.fillRect(QRect(left, 142, kPageRight - left, 1), kBandEdge);

    // The folder panel down the left.
    const QRect panel(left, 147, 146, page.bottom() - 147);
    p.fillRect(panel, kHeaderGround);
    p.setPen(kBandEdge);
    p.setBrush(Qt::NoBrush);
    p.drawRect(panel.adjusted(0, 0, -1, 0));
    p.fillRect(QRect(panel.left() + 1, panel.top() + 1, panel.width() - 2, 16), kBand);
    drawTextAt(p, panel.left() + 5, panel.top() + 3, QStringLiteral("Folders"), uiBold, Qt::black);
    drawLink(p, panel.right() - 34, panel.top() + 3, QStringLiteral("[Add]"), ui);
    const QStringList folders = {QStringLiteral("Inbox (1)"),     QStringLiteral("Drafts"),
                                 QStringLiteral("Sent"),          QStringLiteral("Bulk [Empty]"),
                                 QStringLiteral("Trash [Empty]"), QStringLiteral("Chess games")};
    int y = panel.top() + 22;
    for (const QString &folder : folders) {
        drawTextAt(p, panel.left() + 10, y, folder, folder == folders.first() ? uiBold : ui, kLink);
        y += 15;
    }

    // The message's headers and the start of its text, to the right of the panel.
    const int headersLeft = panel.right() + 8;
    const QRect headers(headersLeft, 147, kPageRight - headersLeft, 58);
    p.fillRect(headers, kHeaderGround);
    const std::pair<QString, QString> fields[] = {
        {QStringLiteral("Date:"), QStringLiteral("Tue, 1 Jun 2004 13:11:16 -0700")},
        {QStringLiteral("From:"), QStringLiteral("knightowl_77@example.com")},
        {QStringLiteral("To:"), QStringLiteral("knightowl_77@example.com")},
        {QStringLiteral("Subject:"), QStringLiteral("Chess game history")},
    };
    y = headers.top() + 3;
    for (const auto &[name, value] : fields) {
        drawTextAt(p, headersLeft + 4, y, name, uiBold, kGreyText);
        drawTextAt(p, headersLeft + 52, y, value, ui, Qt::black);
        y += 13;
    }
    const QFont body = monoFont(11);
    const QStringList record = exampleRecordText().split(QLatin1Char('\n'));
    y = headers.bottom() + 7;
    for (const QString &line : record) {
        if (y + QFontMetrics(body).height() > page.bottom() - 1)
            break;
        drawTextAt(p, headersLeft + 4, y, line, body, Qt::black);
        y += QFontMetrics(body).height();
    }
    p.end();
    return image;
}

QImage exampleFileScreenshot() {
    QImage image(kExampleFileSize, QImage::Format_RGB32);
    QPainter p(&image);
    const QRect all(QPoint(0, 0), kExampleFileSize);
    paintWindowFrame(p, all);
    paintTitleBar(p, QRect(4, 4, all.width() - 8, 18), QStringLiteral("file1.txt - Jotter"), paintSheetIcon);
    paintMenuBar(p, 10, 25,
                 {QStringLiteral("File"), QStringLiteral("Edit"), QStringLiteral("Search"), QStringLiteral("Help")});

    const QRect page(4, 42, all.width() - 8, all.height() - 46);
    paintSunken(p, page, Qt::white);
    const QRect scroll(page.right() - 17, page.top() + 2, 16, page.height() - 4);
    paintScrollBar(p, scroll, scroll.height() - 32);

    const QFont font = monoFont(11);
    const QFontMetrics fm(font);
    const int left = page.left() + 5;
    const int width = scroll.left() - 2 - left;
    p.setFont(font);
    p.setPen(Qt::black);
    int baseline = page.top() + 3 + fm.ascent();
    const int blank = fm.horizontalAdvance(QLatin1Char(' '));
    for (const QStringList &line : wrapWords(exampleRecordText(), width, fm)) {
        int x = left;
        for (const QString &word : line) {
            drawWord(p, x, baseline, word, fm);
            x += wordWidth(word, fm) + blank;
        }
        baseline += fm.height();
    }
    p.end();
    return image;
}

} // namespace quorvane::art
