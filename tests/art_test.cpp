// The piece drawings and icons, checked through the pixels they produce.

#include "ui/art/icons.h"
#include "ui/art/pieces.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

using quorvane::PieceKind;
namespace art = quorvane::art;

constexpr std::array<PieceKind, 6> kKinds{PieceKind::King,   PieceKind::Queen,  PieceKind::Rook,
                                          PieceKind::Bishop, PieceKind::Knight, PieceKind::Pawn};
const QSize kSquare(57, 49);
const QRgb kOrange = qRgb(245, 127, 0);
const QRgb kSalmon = qRgb(243, 127, 84);

// Icons are built from QPixmaps, which need a GUI application.
void ensureApp() {
    static int argc = 1;
    static char name[] = "art_test";
    static char *argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication app(argc, argv);
    }
}

std::string nameOf(PieceKind kind, bool white) {
    static const char *const names[] = {"king", "queen", "rook", "bishop", "knight", "pawn"};
    return std::string(white ? "white " : "black ") + names[static_cast<int>(kind)];
}

bool isInk(QRgb p) {
    return qAlpha(p) >= 128;
}
bool isOpaque(QRgb p) {
    return qAlpha(p) == 255;
}
bool isNearBlack(QRgb p) {
    return isOpaque(p) && qRed(p) < 48 && qGreen(p) < 48 && qBlue(p) < 48;
}
bool isNearWhite(QRgb p) {
    return isOpaque(p) && qRed(p) > 224 && qGreen(p) > 224 && qBlue(p) > 224;
}

struct Census {
    int opaque = 0;
    int black = 0;
    int white = 0;
    int orange = 0;
    int salmon = 0;
};

// The piece painted with its white lines still white, as paintPiece draws it:
// its silhouette, and where its see-through lines are.
QImage painted(PieceKind kind, bool white, QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    art::paintPiece(painter, kind, white, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

Census census(const QImage &image) {
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    Census c;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            c.opaque += isOpaque(p);
            c.black += isNearBlack(p);
            c.white += isNearWhite(p);
            c.orange += isOpaque(p) && (p & 0xffffff) == (kOrange & 0xffffff);
            c.salmon += isOpaque(p) && (p & 0xffffff) == (kSalmon & 0xffffff);
        }
    return c;
}

// Number of separate runs of ink along one row.
int inkRuns(const QImage &img, int y) {
    int runs = 0;
    bool inside = false;
    for (int x = 0; x < img.width(); ++x) {
        const bool ink = isInk(img.pixel(x, y));
        runs += ink && !inside;
        inside = ink;
    }
    return runs;
}

// The most separate ink runs found in any row of the top part of the picture:
// how many prongs the piece's head has.
int prongs(const QImage &img, double topFraction) {
    int most = 0;
    for (int y = 0; y < img.height() * topFraction; ++y)
        most = std::max(most, inkRuns(img, y));
    return most;
}

int topInkRow(const QImage &img) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (isInk(img.pixel(x, y)))
                return y;
    return img.height();
}

// A horse's head has a deep notch in its profile under the jaw, between the muzzle
// and the chest; the back of the neck has none. Returns, for one side, how far the
// profile falls back again below its furthest point (as a fraction of the width),
// looking only at rows above bottomFraction.
double profileNotch(const QImage &img, bool leftSide, double bottomFraction) {
    const int rows = static_cast<int>(img.height() * bottomFraction);
    std::vector<int> reach(rows, -1); // how far out the ink reaches on that side, -1 for none
    for (int y = 0; y < rows; ++y)
        for (int i = 0; i < img.width(); ++i) {
            const int x = leftSide ? i : img.width() - 1 - i;
            if (isInk(img.pixel(x, y))) {
                reach[y] = img.width() - i;
                break;
            }
        }
    const auto furthest = std::max_element(reach.begin(), reach.end());
    int fallBack = 0;
    for (auto it = furthest; it != reach.end(); ++it)
        if (*it >= 0)
            fallBack = std::max(fallBack, *furthest - *it);
    return static_cast<double>(fallBack) / img.width();
}

TEST(PieceArt, EveryPieceStaysInsideItsRectAndLeavesTheCornersClear) {
    for (const bool white : {true, false})
        for (const PieceKind kind : kKinds) {
            SCOPED_TRACE(nameOf(kind, white));
            // Painted off the origin, into a rect of the board's odd proportions.
            QImage img(80, 70, QImage::Format_ARGB32);
            img.fill(Qt::transparent);
            const QRect rect(QPoint(11, 13), kSquare);
            {
                QPainter painter(&img);
                art::paintPiece(painter, kind, white, rect);
            }
            int inkInside = 0;
            int outside = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const bool ink = qAlpha(img.pixel(x, y)) != 0;
                    if (rect.contains(x, y))
                        inkInside += ink;
                    else
                        outside += ink;
                }
            EXPECT_EQ(outside, 0);
            EXPECT_GT(inkInside, rect.width() * rect.height() / 5);
            for (const QPoint corner : {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()})
                EXPECT_EQ(qAlpha(img.pixel(corner)), 0);
        }
}

TEST(PieceArt, WhitePiecesAreOrangeOrSalmonWithBlackOutlines) {
    for (const PieceKind kind : kKinds) {
        SCOPED_TRACE(nameOf(kind, true));
        const Census c = census(art::renderPiece(kind, true, kSquare));
        const bool salmon = kind == PieceKind::Bishop || kind == PieceKind::Queen;
        EXPECT_GT(salmon ? c.salmon : c.orange, c.opaque / 4);
        EXPECT_EQ(salmon ? c.orange : c.salmon, 0);
        EXPECT_GT(c.black, c.opaque / 10);
        EXPECT_EQ(c.white, 0);
    }
}

TEST(PieceArt, BlackPiecesAreSolidBlackWithSeeThroughDetails) {
    for (const PieceKind kind : kKinds) {
        SCOPED_TRACE(nameOf(kind, false));
        const QImage shown = art::renderPiece(kind, false, kSquare).convertToFormat(QImage::Format_ARGB32);
        const QImage lines = painted(kind, false, kSquare).convertToFormat(QImage::Format_ARGB32);
        const Census c = census(lines);
        EXPECT_GT(c.black, c.opaque * 3 / 4);
        EXPECT_GT(c.white, 3);
        EXPECT_LT(c.white, c.opaque / 5);
        // White is the see-through colour: where the lines are white, the board shows.
        int seeThrough = 0;
        for (int y = 0; y < lines.height(); ++y)
            for (int x = 0; x < lines.width(); ++x)
                if (isNearWhite(lines.pixel(x, y)))
                    seeThrough += qAlpha(shown.pixel(x, y)) < 40;
        EXPECT_EQ(seeThrough, c.white);
        EXPECT_EQ(census(shown).white, 0);
        EXPECT_EQ(c.orange + c.salmon, 0);
    }
}

// On a solid black piece only the see-through lines show what it is wearing: the crown's
// band, the mitre's slit, the battlements, the horse's eye and mane.
TEST(PieceArt, BlackPiecesMarkTheirHeadsInWhite) {
    for (const PieceKind kind : kKinds) {
        if (kind == PieceKind::Pawn)
            continue;
        SCOPED_TRACE(nameOf(kind, false));
        const QImage img = painted(kind, false, QSize(4 * kSquare.width(), 4 * kSquare.height()));
        EXPECT_GT(census(img.copy(0, 0, img.width(), img.height() * 45 / 100)).white, 40);
    }
}

TEST(PieceArt, AllTwelveDrawingsDiffer) {
    struct Entry {
        std::string name;
        QImage image;
    };
    std::vector<Entry> all;
    for (const bool white : {true, false})
        for (const PieceKind kind : kKinds)
            all.push_back({nameOf(kind, white), art::renderPiece(kind, white, kSquare)});
    const int area = kSquare.width() * kSquare.height();
    for (std::size_t i = 0; i < all.size(); ++i)
        for (std::size_t j = i + 1; j < all.size(); ++j) {
            int differing = 0;
            for (int y = 0; y < kSquare.height(); ++y)
                for (int x = 0; x < kSquare.width(); ++x)
                    differing += all[i].image.pixel(x, y) != all[j].image.pixel(x, y);
            EXPECT_GT(differing, area / 20) << all[i].name << " vs " << all[j].name;
        }
}

// The features that tell the pieces apart at a glance, measured on the silhouette.
TEST(PieceArt, SilhouettesCarryTheirDistinguishingFeatures) {
    for (const bool white : {true, false}) {
        SCOPED_TRACE(white ? "white" : "black");
        const QSize size(4 * kSquare.width(), 4 * kSquare.height());
        auto render = [&](PieceKind kind) { return painted(kind, white, size); };
        const QImage king = render(PieceKind::King);
        const QImage queen = render(PieceKind::Queen);
        const QImage rook = render(PieceKind::Rook);
        const QImage bishop = render(PieceKind::Bishop);
        const QImage pawn = render(PieceKind::Pawn);

        EXPECT_GE(prongs(queen, 0.3), 5) << "the queen's coronet of points";
        EXPECT_EQ(prongs(rook, 0.3), 3) << "the rook's three merlons";
        EXPECT_EQ(prongs(king, 0.3), 1) << "the king's single cross";
        EXPECT_EQ(prongs(bishop, 0.3), 1);

        // The bishop's mitre and ball stand well above the pawn's head, and the
        // king's cross is the tallest thing on the board.
        EXPECT_LT(topInkRow(bishop), topInkRow(pawn) - size.height() / 10);
        EXPECT_LE(topInkRow(king), topInkRow(queen));

        // The king's cross is narrow at the very top; the queen's top is a ball.
        const int top = topInkRow(king);
        int crossWidth = 0;
        for (int x = 0; x < size.width(); ++x)
            crossWidth += isInk(king.pixel(x, top + 2));
        EXPECT_LT(crossWidth, size.width() / 8);
    }
}

TEST(PieceArt, KnightFacesLeft) {
    for (const bool white : {true, false}) {
        SCOPED_TRACE(white ? "white" : "black");
        const QImage knight = art::renderPiece(PieceKind::Knight, white, QSize(228, 196));
        // Stop above the foot, which is the same on both sides.
        EXPECT_GT(profileNotch(knight, true, 0.82), 0.2);
        EXPECT_LT(profileNotch(knight, false, 0.82), 0.1);
        // And a mirror image must fail the same test, or it proves nothing.
        const QImage mirrored = knight.mirrored(true, false);
        EXPECT_LT(profileNotch(mirrored, true, 0.82), 0.1);
    }
}

TEST(PieceArt, KnightHeadCutsItsDetailsOutOfOneColour) {
    QImage img(120, 120, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    {
        QPainter painter(&img);
        art::paintKnightHead(painter, QRectF(0, 0, 120, 120), QColor(10, 20, 200));
    }
    int ink = 0;
    int otherColour = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qAlpha(p) == 0)
                continue;
            ++ink;
            otherColour += qAlpha(p) == 255 && (p & 0xffffff) != 0x0a14c8;
        }
    EXPECT_GT(ink, 120 * 120 / 4);
    EXPECT_EQ(otherColour, 0);
    EXPECT_GT(profileNotch(img, true, 0.9), 0.2);

    // The eye is a hole: scanning a row through it finds ink, then a gap, then ink.
    int rowsWithHoles = 0;
    for (int y = 0; y < img.height() / 2; ++y)
        rowsWithHoles += inkRuns(img, y) >= 3;
    EXPECT_GT(rowsWithHoles, 0);
}

TEST(Icons, HaveTheRequestedSizes) {
    ensureApp();
    auto sizes = [](const QIcon &icon) {
        std::vector<int> s;
        for (const QSize size : icon.availableSizes()) {
            EXPECT_EQ(size.width(), size.height());
            s.push_back(size.width());
        }
        std::sort(s.begin(), s.end());
        return s;
    };
    EXPECT_EQ(sizes(art::mainWindowIcon()), (std::vector<int>{16, 32, 48, 64}));
    EXPECT_EQ(sizes(art::knightIcon(art::kInstalledIconSizes)), (std::vector<int>{16, 32, 48, 64, 128, 256}));
    EXPECT_EQ(sizes(art::aboutIcon()), (std::vector<int>{16, 32}));
    EXPECT_EQ(sizes(art::helpIcon()), (std::vector<int>{16, 32}));
    EXPECT_EQ(art::knightPicture().size(), QSize(117, 117));
}

TEST(Icons, MainIconIsABlackKnightOnOpaqueWhite) {
    ensureApp();
    for (const int size : {16, 32, 64, 256}) {
        SCOPED_TRACE(size);
        const QIcon icon = size <= 64 ? art::mainWindowIcon() : art::knightIcon(art::kInstalledIconSizes);
        const QImage img = icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(img.size(), QSize(size, size));
        const Census c = census(img);
        EXPECT_EQ(c.opaque, size * size);
        EXPECT_GT(c.black, size * size / 5);
        EXPECT_GT(c.white, size * size / 5);
        EXPECT_EQ(img.pixel(0, 0), qRgb(255, 255, 255));
        EXPECT_EQ(img.pixel(size - 1, size - 1), qRgb(255, 255, 255));
    }
}

TEST(Icons, AboutAndHelpAreWhiteMarksOnRimmedDiscs) {
    ensureApp();
    struct Case {
        const char *name;
        QIcon icon;
        bool (*isGround)(QRgb);
    };
    const Case cases[] = {
        {"about", art::aboutIcon(),
         [](QRgb p) { return isOpaque(p) && qBlue(p) > 120 && qRed(p) < 60 && qGreen(p) < 80; }},
        {"help", art::helpIcon(),
         [](QRgb p) { return isOpaque(p) && qGreen(p) > 120 && qRed(p) < 60 && qBlue(p) < 60; }},
    };
    for (const Case &c : cases)
        for (const int size : {16, 32}) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(size));
            const QImage img = c.icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
            ASSERT_EQ(img.size(), QSize(size, size));
            EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
            EXPECT_EQ(qAlpha(img.pixel(size - 1, size - 1)), 0);
            int ground = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    ground += c.isGround(img.pixel(x, y));
            EXPECT_GT(ground, size * size / 4);
            EXPECT_GT(census(img).white, size * size / 30);
            // The rim: at 16 pixels it is one antialiased pixel wide, so count
            // dark rather than pure black pixels, and check it closes the disc by
            // walking in from each edge along the middle row and column.
            int dark = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    dark += isInk(img.pixel(x, y)) && qGray(img.pixel(x, y)) < 64;
            EXPECT_GT(dark, 2 * size);
            for (const auto &[dx, dy, start] :
                 {std::array<int, 3>{1, 0, 0}, {-1, 0, size - 1}, {0, 1, 0}, {0, -1, size - 1}}) {
                QPoint at = dx != 0 ? QPoint(start, size / 2) : QPoint(size / 2, start);
                while (QRect(0, 0, size, size).contains(at) && !isInk(img.pixel(at)))
                    at += QPoint(dx, dy);
                ASSERT_TRUE(QRect(0, 0, size, size).contains(at));
                EXPECT_LT(qGray(img.pixel(at)), 64) << "rim missing at " << at.x() << "," << at.y();
            }
        }
}

TEST(Icons, KnightPictureIsBlackOnTransparentFacingLeft) {
    const QImage img = art::knightPicture().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(img.size(), QSize(117, 117));
    int ink = 0;
    int notBlack = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qAlpha(p) == 0)
                continue;
            ++ink;
            notBlack += (p & 0xffffff) != 0;
        }
    EXPECT_EQ(notBlack, 0);
    EXPECT_GT(ink, 117 * 117 / 4);
    for (const QPoint corner : {QPoint(0, 0), QPoint(116, 0), QPoint(0, 116), QPoint(116, 116)})
        EXPECT_EQ(qAlpha(img.pixel(corner)), 0);
    EXPECT_GT(profileNotch(img, true, 0.9), 0.2);
    EXPECT_LT(profileNotch(img, false, 0.9), 0.1);
}

} // namespace
