#include "ui/board_view.h"

#include "platform/twips.h"
#include "ui/art/drawn_ahead.h"

#include <QHash>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegion>

#include <array>

namespace quorvane::ui {

QRect twipsRect(int left, int top, int width, int height) {
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

namespace {

// The border colour of the squares and shapes: the default window-text colour.
QColor borderColour(const QWidget *w) { return w->palette().color(QPalette::WindowText); }

// Draws a rectangle's border of the given width inside it.
void drawBorder(QPainter &p, const QRect &r, int width, const QColor &colour) {
    p.fillRect(QRect(r.left(), r.top(), r.width(), width), colour);
    p.fillRect(QRect(r.left(), r.bottom() - width + 1, r.width(), width), colour);
    p.fillRect(QRect(r.left(), r.top(), width, r.height()), colour);
    p.fillRect(QRect(r.right() - width + 1, r.top(), width, r.height()), colour);
}

const QRect kBoardRect = twipsRect(board::kFileLeft0, board::kRankTop0, board::FileLeft(7) + board::kSquareWidth - board::kFileLeft0,
                                   board::RankTop(7) + board::kSquareHeight - board::kRankTop0);

// The twelve pictures, rendered once per size and device pixel ratio.
const QPixmap &piecePixmapFor(PieceKind kind, bool white, QSize size, qreal dpr) {
    struct Key {
        int kind;
        bool white;
        int w, h;
        qreal dpr;
        bool operator==(const Key &) const = default;
    };
    struct Cached {
        Key key;
        QPixmap pixmap;
    };
    static std::vector<Cached> cache;
    const Key key{static_cast<int>(kind), white, size.width(), size.height(), dpr};
    for (const auto &c : cache)
        if (c.key == key)
            return c.pixmap;
    const QSize device(qRound(size.width() * dpr), qRound(size.height() * dpr));
    QPixmap pixmap = QPixmap::fromImage(art::pieceImage(kind, white, device));
    pixmap.setDevicePixelRatio(dpr);
    cache.push_back({key, std::move(pixmap)});
    return cache.back().pixmap;
}

// Square i in the squares widget's own pixels.
QRect cellRect(int i) {
    return twipsRect(board::FileLeft(i % 8), board::RankTop(i / 8), board::kSquareWidth, board::kSquareHeight)
        .translated(-kBoardRect.topLeft());
}

constexpr int kSquareBorderPx = 2;
constexpr int kOutlinePx = 3;

// The band inside square i's border that its outline covers.
QRegion outlineRegion(int i) {
    const QRect outer = cellRect(i).adjusted(kSquareBorderPx, kSquareBorderPx, -kSquareBorderPx, -kSquareBorderPx);
    return QRegion(outer).subtracted(outer.adjusted(kOutlinePx, kOutlinePx, -kOutlinePx, -kOutlinePx));
}

} // namespace

SquaresWidget::SquaresWidget(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("sqrSpace"));
    setGeometry(kBoardRect);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SquaresWidget::setOutlined(std::vector<int> cells) {
    std::erase_if(cells, [](int i) { return i < 0 || i >= board::kSquareCount; });
    if (cells == outlined_)
        return;
    // Only the outlines that come or go are painted again, not their squares.
    QRegion changed;
    for (const std::vector<int> *list : {&outlined_, &cells})
        for (int i : *list)
            changed += outlineRegion(i);
    update(changed);
    outlined_ = std::move(cells);
}

void SquaresWidget::paintEvent(QPaintEvent *event) {
    QPainter p(this);
    const QColor border = borderColour(this);
    // A step repaints a few squares only: the others are not drawn at all.
    const QRegion &dirty = event->region();
    for (int i = 0; i < board::kSquareCount; ++i) {
        const QRect r = cellRect(i);
        if (!dirty.intersects(r))
            continue;
        p.fillRect(r, board::IsLightSquare(i) ? kLightSquare : kDarkSquare);
        drawBorder(p, r, kSquareBorderPx, border);
    }
    // After all squares, as neighbours overlap by a pixel and would cut into it.
    for (int i : outlined_)
        drawBorder(p, cellRect(i).adjusted(kSquareBorderPx, kSquareBorderPx, -kSquareBorderPx, -kSquareBorderPx),
                   kOutlinePx, kLastMoveOutline);
}

PieceWidget::PieceWidget(PieceKind kind, bool white, QWidget *parent) : QWidget(parent), kind_(kind), white_(white) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(TwipsToPixels(board::kSquareWidth), TwipsToPixels(board::kSquareHeight));
}

void PieceWidget::placeAt(float left, float top) {
    const QPoint at(TwipsToPixels(left), TwipsToPixels(top));
    if (pos() != at)
        move(at);
}

void PieceWidget::setKind(PieceKind kind) {
    if (kind == kind_)
        return;
    kind_ = kind;
    update();
}

void PieceWidget::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.drawPixmap(0, 0, piecePixmapFor(kind_, white_, size(), devicePixelRatioF()));
}

LineWidget::LineWidget(QPoint fromTwips, QPoint toTwips, int widthPx, const QColor &colour, QWidget *parent)
    : QWidget(parent), colour_(colour), horizontal_(fromTwips.y() == toTwips.y()), widthPx_(widthPx) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const QPoint a(TwipsToPixels(fromTwips.x()), TwipsToPixels(fromTwips.y()));
    const QPoint b(TwipsToPixels(toTwips.x()), TwipsToPixels(toTwips.y()));
    // The line is centred on its coordinates.
    const int half = widthPx / 2;
    if (horizontal_)
        setGeometry(std::min(a.x(), b.x()), a.y() - half, std::abs(b.x() - a.x()) + 1, widthPx);
    else
        setGeometry(a.x() - half, std::min(a.y(), b.y()), widthPx, std::abs(b.y() - a.y()) + 1);
}

void LineWidget::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), colour_.isValid() ? colour_ : borderColour(this));
}

ShapeWidget::ShapeWidget(QRect twips, const QColor &fill, int borderPx, QWidget *parent)
    : QWidget(parent), fill_(fill), borderPx_(borderPx) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
}

void ShapeWidget::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), fill_);
    drawBorder(p, rect(), borderPx_, borderColour(this));
}

} // namespace quorvane::ui
