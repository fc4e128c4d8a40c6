#include "ui/art/drawn_ahead.h"

#include "ui/art/icons.h"
#include "ui/art/pieces.h"

#include <QPixmap>
#include <QResource>

#include <cstring>

// The pictures are a resource of a static library; nothing else refers to them,
// so the linker would leave them out unless they are pulled in by name.
static void initDrawnResources() {
    Q_INIT_RESOURCE(drawn);
}

namespace quorvane::art {

QImage drawnAhead(const QString &name, QSize size) {
    static const bool registered = (initDrawnResources(), true);
    (void)registered;
    const QResource resource(QStringLiteral(":/drawn/") + name);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression || image.isNull() ||
        resource.size() != image.sizeInBytes())
        return {};
    std::memcpy(image.bits(), resource.data(), static_cast<std::size_t>(image.sizeInBytes()));
    return image;
}

QImage pieceImage(PieceKind kind, bool white, QSize size) {
    if (size == boardPieceSize())
        if (QImage ahead = drawnAhead(pieceName(kind, white), size); !ahead.isNull())
            return ahead;
    return renderPiece(kind, white, size);
}

QIcon mainWindowIcon() {
    QIcon icon;
    for (const int size : kWindowIconSizes) {
        QImage ahead = drawnAhead(windowIconName(size), QSize(size, size));
        if (ahead.isNull())
            return knightIcon(kWindowIconSizes);
        icon.addPixmap(QPixmap::fromImage(std::move(ahead)));
    }
    return icon;
}

} // namespace quorvane::art
