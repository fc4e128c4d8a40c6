#include "ui/about_window.h"
#include "ui/labels.h"

#include "platform/twips.h"
#include "ui/art/icons.h"
#include "ui/board_view.h"
#include "ui/fonts.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

// The photograph is a resource of a static library; nothing else refers to it, so
// the linker would leave it out unless it is pulled in by name.
static void initArtResources() {
    Q_INIT_RESOURCE(art);
}

namespace quorvane::ui {

namespace {

constexpr int kClientWidth = 7545;
constexpr int kClientHeight = 3540;

const QColor kWhiteRule(255, 255, 255);
const QColor kOrangeRule(255, 128, 0);

// A fixed dialog border: a title bar with its close box, nothing to resize with and
// no minimise, maximise or context-help button.
constexpr Qt::WindowFlags kWindowFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                         Qt::MSWindowsFixedSizeDialogHint;

QLabel *addLabel(QWidget *window, const char *name, const QRect &box, const char *text) {
    return addTextLabel(window, name, box, QString::fromUtf8(text));
}

// A picture stretched to fill its box, whatever its own size.
QLabel *addImage(QWidget *window, const char *name, const QRect &box, const QPixmap &picture) {
    auto *image = new QLabel(window);
    image->setObjectName(QLatin1String(name));
    image->setFocusPolicy(Qt::NoFocus);
    image->setScaledContents(true);
    image->setPixmap(picture);
    image->setGeometry(box);
    return image;
}

QWidget *addRule(QWidget *window, const char *name, QPoint from, QPoint to, int widthPx, const QColor &colour) {
    auto *rule = new LineWidget(from, to, widthPx, colour, window);
    rule->setObjectName(QLatin1String(name));
    rule->setFocusPolicy(Qt::NoFocus);
    return rule;
}

} // namespace

FrmAbout::FrmAbout(QWidget *parent) : QDialog(parent, kWindowFlags) {
    initArtResources();
    installClassicFonts();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quorvane"));
    setWindowIcon(art::aboutIcon());
    setFont(classicFont(QStringLiteral("MS Sans Serif"), 8, false));
    setFixedSize(TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));
    // The main window takes no input while this one is open, however it is shown.
    setModal(true);

    // Created from back to front, so that where two overlap the later one lies on
    // top: the white rule runs over the bottom of the description. The copyright
    // line reads as one line of text: each of its boxes ends a blank's width after
    // its text, where the next begins.
    addLabel(this, "Label2", twipsRect(1140, 2250, 2760, 195), about::kCopyrightHolder);
    addLabel(this, "lblcopyright", twipsRect(960, 2250, 180, 195), about::kCopyrightSign);
    addLabel(this, "Label1", twipsRect(255, 2250, 705, 195), about::kCopyrightWord);
    addImage(this, "Image2", twipsRect(4440, 480, 3000, 2160), QPixmap(QLatin1String(about::kPhotoResource)));
    setTextColour(addLabel(this, "lblDisclaimer", twipsRect(255, 2505, 3870, 1020), about::kDisclaimer), Qt::black);
    addLabel(this, "lblVersion", twipsRect(1050, 600, 3285, 225), about::kVersion);
    QLabel *title = addLabel(this, "lblTitle", twipsRect(1050, 120, 3285, 360), about::kTitle);
    title->setFont(classicFont(QStringLiteral("Tahoma"), 11.25, true));
    setTextColour(title, Qt::black);
    setTextColour(addLabel(this, "lblDescription", twipsRect(360, 960, 3885, 1170), about::kDescription), Qt::black);
    addImage(this, "Image1", twipsRect(120, 0, 915, 915), QPixmap::fromImage(art::knightPicture()));
    addRule(this, "Line1_0", {120, 2040}, {4320, 2040}, 2, kWhiteRule);
    addRule(this, "Line1_1", {120, 2160}, {4350, 2160}, 1, kOrangeRule);

    // The default button answers Enter; Esc rejects the dialog, which closes it
    // just the same. It is the one control that takes the focus.
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setGeometry(twipsRect(5400, 3000, 1260, 345));
    ok->setDefault(true);
    ok->setFocusPolicy(Qt::StrongFocus);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace quorvane::ui
