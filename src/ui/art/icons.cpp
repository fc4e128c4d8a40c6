#include "ui/art/icons.h"

#include "ui/art/pieces.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

namespace quorvane::art {

namespace {

const QColor kAboutBlue(16, 40, 150);
const QColor kHelpGreen(0, 150, 0);

// Paints one size of an icon into a transparent image. The painter's coordinates
// are scaled so that the drawing code works in a 32 x 32 box whatever the size.
using IconPainter = std::function<void(QPainter &, int size)>;

// Draws each size when it is first asked for, not when the icon is made: a window
// gets its icon at start-up, but most sizes are never shown.
class DrawnIconEngine : public QIconEngine {
public:
    DrawnIconEngine(std::vector<int> sizes, IconPainter paint) : sizes_(std::move(sizes)), paint_(std::move(paint)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QPixmap pixmap(const QSize &wanted, QIcon::Mode, QIcon::State) override {
        // The smallest drawn size that is not smaller than asked for, else the largest.
        int size = sizes_.back();
        for (const int s : sizes_)
            if (s >= std::min(wanted.width(), wanted.height())) {
                size = s;
                break;
            }
        for (const auto &[drawnSize, drawn] : drawn_)
            if (drawnSize == size)
                return drawn;
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        paint_(painter, size);
        painter.end();
        drawn_.emplace_back(size, QPixmap::fromImage(image));
        return drawn_.back().second;
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int s : sizes_)
            sizes << QSize(s, s);
        return sizes;
    }

    QIconEngine *clone() const override { return new DrawnIconEngine(*this); }

private:
    std::vector<int> sizes_; // ascending
    IconPainter paint_;
    std::vector<std::pair<int, QPixmap>> drawn_;
};

QIcon makeIcon(std::vector<int> sizes, const IconPainter &paint) {
    return QIcon(new DrawnIconEngine(std::move(sizes), paint));
}

// A disc with a black rim filling the 32 x 32 box. The rim is a whole number of
// device pixels and lies on pixel boundaries where it meets the box's edges, so
// it stays crisp at 16 x 16.
void paintDisc(QPainter &painter, int size, const QColor &colour) {
    const double pixel = 32.0 / size;
    const double rim = std::max(1, size / 16) * pixel;
    painter.setPen(QPen(Qt::black, rim));
    painter.setBrush(colour);
    painter.drawEllipse(QPointF(16, 16), 16 - rim / 2, 16 - rim / 2);
}

void paintLetterI(QPainter &painter) {
    QPainterPath letter;
    letter.setFillRule(Qt::WindingFill);
    letter.addEllipse(QPointF(16.5, 8.5), 2.6, 2.6);
    // Stem with a flag to the upper left and a foot across the bottom.
    letter.addRoundedRect(QRectF(14.3, 13, 4.4, 12), 0.8, 0.8);
    letter.addRoundedRect(QRectF(11.5, 13, 5, 2.6), 0.8, 0.8);
    letter.addRoundedRect(QRectF(11.5, 22.6, 10, 2.8), 0.8, 0.8);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(letter.simplified());
}

void paintQuestionMark(QPainter &painter) {
    const QRectF bow(10.3, 5.5, 11.4, 11.4);
    QPainterPath hook;
    hook.arcMoveTo(bow, 165);
    hook.arcTo(bow, 165, -215);
    hook.cubicTo(20, 16.2, 16, 17, 16, 20.5);
    hook.lineTo(16, 21.5);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 3.8, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter.drawPath(hook);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(16, 26), 2.3, 2.3);
}

} // namespace

QIcon knightIcon(std::span<const int> sizes) {
    return makeIcon(std::vector<int>(sizes.begin(), sizes.end()), [](QPainter &painter, int size) {
        painter.fillRect(QRect(0, 0, size, size), Qt::white);
        const double margin = std::max(1.0, size / 16.0);
        paintKnightHead(painter, QRectF(margin, margin, size - 2 * margin, size - 2 * margin), Qt::black);
    });
}

QIcon aboutIcon() {
    return makeIcon({16, 32}, [](QPainter &painter, int size) {
        painter.scale(size / 32.0, size / 32.0);
        paintDisc(painter, size, kAboutBlue);
        paintLetterI(painter);
    });
}

QIcon helpIcon() {
    return makeIcon({16, 32}, [](QPainter &painter, int size) {
        painter.scale(size / 32.0, size / 32.0);
        paintDisc(painter, size, kHelpGreen);
        paintQuestionMark(painter);
    });
}

QImage knightPicture() {
    QImage image(117, 117, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintKnightHead(painter, QRectF(4, 4, 109, 109), Qt::black);
    painter.end();
    return image;
}

} // namespace quorvane::art
