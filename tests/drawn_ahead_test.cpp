// The start-up pictures drawn ahead at build time must be exactly what the drawing
// code draws at run time, and every other size must still be drawn.
#include "ui/art/drawn_ahead.h"
#include "ui/art/icons.h"
#include "ui/art/pieces.h"

#include <QIcon>
#include <QPixmap>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace quorvane::art {
namespace {

constexpr PieceKind kKinds[] = {PieceKind::King,   PieceKind::Queen,  PieceKind::Rook,
                                PieceKind::Bishop, PieceKind::Knight, PieceKind::Pawn};

QImage premultiplied(const QImage &image) {
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

TEST(DrawnAhead, EqualsTheDrawingCodePixelForPixel) {
    struct Row {
        QString name;
        QSize size;
        std::function<QImage()> drawn; // by the drawing code, now
        std::function<QImage()> shown; // what the window uses
    };
    std::vector<Row> rows;
    for (const bool white : {true, false})
        for (const PieceKind kind : kKinds)
            rows.push_back({pieceName(kind, white), boardPieceSize(),
                            [=] { return renderPiece(kind, white, boardPieceSize()); },
                            [=] { return pieceImage(kind, white, boardPieceSize()); }});
    for (const int size : kWindowIconSizes)
        rows.push_back({windowIconName(size), QSize(size, size),
                        [=] { return knightIcon(kInstalledIconSizes).pixmap(QSize(size, size)).toImage(); },
                        [=] { return mainWindowIcon().pixmap(QSize(size, size)).toImage(); }});
    ASSERT_EQ(rows.size(), 16u);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        // Drawn ahead indeed: the comparison below would pass as well if the
        // window fell back to drawing.
        ASSERT_FALSE(drawnAhead(row.name, row.size).isNull());
        const QImage drawn = premultiplied(row.drawn());
        const QImage shown = premultiplied(row.shown());
        ASSERT_EQ(shown.size(), row.size);
        EXPECT_TRUE(shown == drawn);
    }
}

TEST(DrawnAhead, OtherSizesAreDrawnOnTheSpot) {
    const QSize board = boardPieceSize();
    const struct {
        const char *name;
        QSize size;
    } rows[] = {
        {"twice the board's size (a 2x screen)", board * 2},
        {"one and a half times", board * 3 / 2},
        {"one pixel wider", board + QSize(1, 0)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        for (const PieceKind kind : {PieceKind::Knight, PieceKind::Queen})
            for (const bool white : {true, false}) {
                EXPECT_TRUE(drawnAhead(pieceName(kind, white), row.size).isNull());
                const QImage shown = pieceImage(kind, white, row.size);
                ASSERT_EQ(shown.size(), row.size);
                EXPECT_TRUE(shown == premultiplied(renderPiece(kind, white, row.size)));
            }
    }
    EXPECT_TRUE(drawnAhead(QStringLiteral("no-such-picture"), board).isNull());
}

} // namespace
} // namespace quorvane::art
