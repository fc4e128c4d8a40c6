// Draws, with the program's own drawing code, the pictures the main window shows
// at start-up, for the program to copy instead of drawing them at its first paint:
// draw_ahead DIR writes each picture's premultiplied ARGB pixels as DIR/<name>
// (names as in drawn_ahead.h) and DIR/drawn.qrc listing them, uncompressed.
#include "ui/art/drawn_ahead.h"
#include "ui/art/icons.h"
#include "ui/art/pieces.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>

#include <cstdio>

namespace {

bool writePixels(const QString &path, const QImage &image) {
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QFile out(path);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           out.write(reinterpret_cast<const char *>(pixels.constBits()), pixels.sizeInBytes()) == pixels.sizeInBytes();
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_ahead DIR\n");
        return 2;
    }
    namespace art = quorvane::art;
    using quorvane::PieceKind;
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir))
        return 1;
    QString qrc = QStringLiteral("<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/drawn\">\n");
    const auto add = [&](const QString &name, const QImage &image) {
        qrc += QStringLiteral("    <file>") + name + QStringLiteral("</file>\n");
        return writePixels(dir + QLatin1Char('/') + name, image);
    };
    for (const bool white : {true, false})
        for (const PieceKind kind : {PieceKind::King, PieceKind::Queen, PieceKind::Rook, PieceKind::Bishop,
                                     PieceKind::Knight, PieceKind::Pawn})
            if (!add(art::pieceName(kind, white), art::renderPiece(kind, white, art::boardPieceSize())))
                return 1;
    const QIcon icon = art::knightIcon(art::kWindowIconSizes);
    for (const int size : art::kWindowIconSizes)
        if (!add(art::windowIconName(size), icon.pixmap(QSize(size, size)).toImage()))
            return 1;
    qrc += QStringLiteral("  </qresource>\n</RCC>\n");
    QFile out(dir + QStringLiteral("/drawn.qrc"));
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(qrc.toUtf8()) >= 0 ? 0 : 1;
}
