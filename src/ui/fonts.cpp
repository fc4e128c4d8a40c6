#include "ui/fonts.h"

#include "platform/twips.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QStringList>

#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdlib>
#include <thread>

namespace quorvane::ui {

namespace {
// Where Debian's fonts-wine puts them.
constexpr const char *kWineFontDir = "/usr/share/wine/fonts/";

struct ClassicFont {
    const char *family;
    const char *files[2];
};

constexpr ClassicFont kClassicFonts[] = {
    {"Tahoma", {"tahoma.ttf", "tahomabd.ttf"}},
    {"MS Sans Serif", {"ms_sans_serif.ttf", nullptr}},
    {"System", {"system.ttf", nullptr}},
};
} // namespace

namespace {
// Joined before the first use of the font database, or at exit when the program
// ends without a window (--help).
struct FontConfigurationLoader {
    std::thread thread;
    void wait() {
        if (thread.joinable())
            thread.join();
    }
    ~FontConfigurationLoader() { wait(); }
};

FontConfigurationLoader &loader() {
    static FontConfigurationLoader instance;
    return instance;
}
} // namespace

void startLoadingFontConfiguration() {
    // Qt's font database asks fontconfig for the same configuration later;
    // fontconfig makes it once and hands it to every caller.
    if (!loader().thread.joinable())
        loader().thread = std::thread([] { FcInit(); });
}

void installClassicFonts() {
    static bool done = false;
    if (done)
        return;
    done = true;
    loader().wait();
    const QStringList known = QFontDatabase::families();
    for (const auto &font : kClassicFonts) {
        if (known.contains(QString::fromLatin1(font.family)))
            continue;
        for (const char *file : font.files) {
            if (!file)
                continue;
            const QString path = QString::fromLatin1(kWineFontDir) + QString::fromLatin1(file);
            if (QFile::exists(path))
                QFontDatabase::addApplicationFont(path);
        }
    }
}

QFont classicFont(const QString &family, double points, bool bold) {
    const int pixels = static_cast<int>(PointsToPixels(points) + 0.5);
    QFont font;
    font.setFamilies({family});
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    // Wine's MS Sans Serif and System are bitmap fonts with a few sizes only; a
    // size they lack is drawn with a scalable sans of similar metrics instead of
    // a smaller or larger strike that would not fit the box.
    // A bitmap strike is named by its cell height, which includes the internal
    // leading: the 13-pixel MS Sans Serif is the classic 8-point one.
    const QFontInfo resolved(font);
    const bool scalable = QFontDatabase::isSmoothlyScalable(family);
    const int got = resolved.pixelSize();
    const bool fits = scalable ? std::abs(got - pixels) <= 1 : got >= pixels && got <= pixels * 5 / 4 + 1;
    // At a device pixel ratio above 1 a bitmap face is drawn with its 1x glyphs
    // at scaled-up advances, so words fall apart into small spaced letters: the
    // scalable sans keeps the layout and is sharp.
    const bool bitmapOnHiDpi = !scalable && qApp && qApp->devicePixelRatio() > 1.0;
    if (resolved.family() != family || !fits || bitmapOnHiDpi)
        font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    return font;
}

} // namespace quorvane::ui
