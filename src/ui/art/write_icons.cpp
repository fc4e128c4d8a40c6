// Writes the program's icon as PNGs for installing: write_icons DIR writes
// DIR/<size>x<size>/apps/quorvane.png for each size the icon holds.
#include "ui/art/icons.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_icons DIR\n");
        return 2;
    }
    const QIcon icon = quorvane::art::knightIcon(quorvane::art::kInstalledIconSizes);
    for (const QSize &size : icon.availableSizes()) {
        const QString dir = QStringLiteral("%1/%2x%3/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size.width()).arg(size.height());
        if (!QDir().mkpath(dir) || !icon.pixmap(size).save(dir + QStringLiteral("/quorvane.png")))
            return 1;
    }
    return 0;
}
