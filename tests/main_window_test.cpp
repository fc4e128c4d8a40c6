#include "platform/twips.h"
#include "ui_support.h"

#include <QImage>
#include <QLabel>
#include <gtest/gtest.h>

namespace quorvane {
namespace {

using testing::Window;

QColor PixelAtTwips(const QImage &image, int x, int y) {
    return image.pixelColor(TwipsToPixels(x), TwipsToPixels(y));
}

TEST(MainWindow, OpensInTheStartPositionWithItsDesignedClientArea) {
    Window w;
    QWidget *client = w.window.centralWidget();
    EXPECT_EQ(client->size(), QSize(686, 539));
    EXPECT_EQ(w.window.windowTitle(), "Quorvane");
    EXPECT_EQ(testing::Snapshot(w.window.core()), testing::StartSnapshot());
    EXPECT_FALSE(w.window.core().FieldsPosition.has_value());
    EXPECT_TRUE(w.window.core().Status);

    const QImage image = client->grab().toImage();
    // Inside a8 (light) and a1 (dark), clear of the pieces' outlines: the corners.
    EXPECT_EQ(PixelAtTwips(image, 600 + 60, 1440 + 60), QColor(255, 255, 192));
    EXPECT_EQ(PixelAtTwips(image, 600 + 60, 6480 + 60), QColor(0, 192, 0));
    EXPECT_EQ(PixelAtTwips(image, 3120 + 60, 3600 + 60), QColor(255, 255, 192)) << "d5 is light";
    // The teal ground, the green bar.
    EXPECT_EQ(PixelAtTwips(image, 60, 8000), QColor(0, 64, 64));
    EXPECT_EQ(PixelAtTwips(image, 3000, 300), QColor(0, 128, 0));
}

TEST(MainWindow, PiecesStandOnTheirSquares) {
    Window w;
    const QImage image = w.window.centralWidget()->grab().toImage();
    for (int slot = 0; slot < 32; ++slot) {
        const QRect piece = w.window.boardView().pieceGeometry(slot);
        EXPECT_EQ(piece.topLeft(), QPoint(TwipsToPixels(board::StartLeft(slot)), TwipsToPixels(board::StartTop(slot))));
        EXPECT_EQ(piece.size(), QSize(57, 49));
        EXPECT_TRUE(testing::PiecePainted(w.window, image, slot));
    }
}

} // namespace
} // namespace quorvane
