#include "ui/board_view.h"

#include "logic/last_move.h"
#include "logic/position_text.h"
#include "logic/window_scale.h"
#include "platform/twips.h"
#include "ui/art/drawn_ahead.h"
#include "ui/fonts.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace quorvane::ui {

QRect twipsRect(int left, int top, int width, int height) {
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

namespace {

constexpr int kSquareBorderPx = 2;
constexpr int kOutlinePx = 3;
constexpr int kLineWidthPx = 2;

// Turning the board half round maps a place onto the one mirrored through the
// board's centre: the first file's left onto the last file's, and so on.
constexpr float kLeftSum = board::FileLeft(0) + board::FileLeft(7);
constexpr float kTopSum = board::RankTop(0) + board::RankTop(7);

// The coordinates: "8" to "1" down the left at 120, "A" to "H" along the
// bottom at 7320, each 375 twips square (n counted from 1).
QRect coordinateTwips(int n) {
    return n <= 8 ? QRect(120, 1560 + 720 * (n - 1), 375, 375) : QRect(840 + 840 * (n - 9), 7320, 375, 375);
}

// Draws a rectangle's border of the given width inside it.
void drawBorder(QPainter &p, const QRect &r, int width, const QColor &colour) {
    p.fillRect(QRect(r.left(), r.top(), r.width(), width), colour);
    p.fillRect(QRect(r.left(), r.bottom() - width + 1, r.width(), width), colour);
    p.fillRect(QRect(r.left(), r.top(), width, r.height()), colour);
    p.fillRect(QRect(r.right() - width + 1, r.top(), width, r.height()), colour);
}

int pictureIndex(PieceKind kind, bool white) { return static_cast<int>(kind) * 2 + (white ? 0 : 1); }

} // namespace

BoardView::BoardView(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("board"));
    setAccessibleName(QStringLiteral("Board"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int slot = 0; slot < board::kPieceCount; ++slot) {
        const auto &piece = board::kPieceSlots[static_cast<std::size_t>(slot)];
        auto &shown = pieces_[static_cast<std::size_t>(slot)];
        shown.kind = piece.kind;
        shown.white = piece.white;
        shown.left = static_cast<float>(board::StartLeft(slot));
        shown.top = static_cast<float>(board::StartTop(slot));
    }
    setScale(1.0, QPoint(0, 0));
}

int BoardView::px(double twips) const { return ScaledPixels(twips, scale_); }

QRect BoardView::rectAt(int left, int top, int width, int height) const {
    // From the scaled edges, so that neighbours meet as they do at 1x.
    return QRect(QPoint(px(left), px(top)), QPoint(px(left + width) - 1, px(top + height) - 1));
}

void BoardView::setScale(double scale, QPoint origin, bool live) {
    if (scale != scale_) {
        scale_ = scale;
        live_ = live;
        if (live) {
            // The drag rests when no new size has come for this long.
            if (!rest_) {
                rest_ = new QTimer(this);
                rest_->setSingleShot(true);
                rest_->setInterval(120);
                connect(rest_, &QTimer::timeout, this, [this] {
                    live_ = false;
                    if (picturesPending_)
                        update();
                });
            }
            rest_->start();
        }
        update();
    }
    setGeometry(QRect(origin, QSize(px(kMainClientWidth), px(kMainClientHeight))));
}

QRect BoardView::pieceRectAt(float left, float top) const {
    // One size for every piece, so the twelve pictures are drawn once per size.
    const float viewLeft = flipped_ ? kLeftSum - left : left;
    const float viewTop = flipped_ ? kTopSum - top : top;
    return QRect(px(viewLeft), px(viewTop), px(board::kSquareWidth), px(board::kSquareHeight));
}

QRect BoardView::pieceRect(int slot) const {
    const auto &shown = pieces_[static_cast<std::size_t>(slot)];
    return pieceRectAt(shown.left, shown.top);
}

QRect BoardView::pieceGeometry(int slot) const { return pieceRect(slot).translated(pos()); }

QRect BoardView::squareRect(int square) const {
    const int cell = flipped_ ? board::kSquareCount - 1 - square : square;
    return rectAt(board::FileLeft(cell % 8), board::RankTop(cell / 8), board::kSquareWidth, board::kSquareHeight);
}

QString BoardView::coordinateText(int n) const {
    if (n <= 8)
        return QString::number(flipped_ ? n : 9 - n);
    const int file = n - 9;
    return QString(QChar(u'A' + (flipped_ ? 7 - file : file)));
}

void BoardView::setFlipped(bool flipped) {
    if (flipped == flipped_)
        return;
    flipped_ = flipped;
    update();
}

void BoardView::showPosition(const ChsMain &form) {
    QRegion changed;
    for (int slot = 0; slot < board::kPieceCount; ++slot) {
        const ImageControl &piece = form.Image1[static_cast<std::size_t>(slot)];
        auto &shown = pieces_[static_cast<std::size_t>(slot)];
        const PieceKind kind = board::ShownKind(slot, piece);
        if (piece.Left == shown.left && piece.Top == shown.top && kind == shown.kind && piece.Visible == shown.visible)
            continue;
        if (shown.visible)
            changed += pieceRect(slot);
        shown.left = piece.Left;
        shown.top = piece.Top;
        if (piece.Visible)
            changed += pieceRect(slot);
        shown.kind = kind;
        shown.visible = piece.Visible;
    }

    std::vector<int> cells;
    if (lastMoveShown_) {
        const LastMoveSquares last = LastMoveOf(form);
        for (int square : {last.from, last.to})
            if (square >= 0 && square < board::kSquareCount)
                cells.push_back(flipped_ ? board::kSquareCount - 1 - square : square);
    }
    if (cells != outlined_) {
        for (const std::vector<int> *list : {&outlined_, &cells})
            for (int cell : *list)
                changed += rectAt(board::FileLeft(cell % 8), board::RankTop(cell / 8), board::kSquareWidth,
                                  board::kSquareHeight);
        outlined_ = std::move(cells);
    }
    if (!changed.isEmpty())
        update(changed);

    const QString description = QString::fromStdString(DescribePosition(form));
    if (description != accessibleDescription())
        setAccessibleDescription(description);
}

void BoardView::setTargets(std::vector<int> squares) {
    std::erase_if(squares, [](int i) { return i < 0 || i >= board::kSquareCount; });
    if (squares == targets_)
        return;
    QRegion changed;
    for (const std::vector<int> *list : {&targets_, &squares})
        for (int square : *list)
            changed += squareRect(square);
    targets_ = std::move(squares);
    update(changed);
}

QRect BoardView::draggedRect() const {
    QRect r(0, 0, px(board::kSquareWidth), px(board::kSquareHeight));
    r.moveCenter(dragAt_.toPoint());
    return r;
}

void BoardView::setDragged(int slot, QPointF at) {
    if (slot < -1 || slot >= board::kPieceCount)
        slot = -1;
    QRegion changed;
    if (dragged_ >= 0)
        changed += draggedRect() | pieceRect(dragged_);
    dragged_ = slot;
    dragAt_ = at;
    if (dragged_ >= 0)
        changed += draggedRect() | pieceRect(dragged_);
    update(changed);
}

int BoardView::squareAt(QPointF at) const {
    const double x = at.x() * kTwipsPerPixel / scale_;
    const double y = at.y() * kTwipsPerPixel / scale_;
    const double right = board::FileLeft(7) + board::kSquareWidth;
    const double bottom = board::RankTop(7) + board::kSquareHeight;
    if (x < board::kFileLeft0 || y < board::kRankTop0 || x >= right || y >= bottom)
        return -1;
    const int col = std::min(7, static_cast<int>((x - board::kFileLeft0) / board::kFilePitch));
    const int row = std::min(7, static_cast<int>((y - board::kRankTop0) / board::kRankPitch));
    const int cell = board::SquareIndex(col, row);
    return flipped_ ? board::kSquareCount - 1 - cell : cell;
}

const QPixmap &BoardView::pieceImage(PieceKind kind, bool white) {
    const QSize size(px(board::kSquareWidth), px(board::kSquareHeight));
    const qreal ratio = devicePixelRatioF();
    if (size != picturesSize_ || ratio != picturesRatio_) {
        // Drawing twelve pieces anew takes longer than a frame of a drag has:
        // while it goes on, the pictures at hand are scaled (drawPiece).
        if (live_ && !pictures_[0].isNull()) {
            picturesPending_ = true;
            return pictures_[static_cast<std::size_t>(pictureIndex(kind, white))];
        }
        pictures_ = {};
        picturesSize_ = size;
        picturesRatio_ = ratio;
        picturesPending_ = false;
    }
    QPixmap &picture = pictures_[static_cast<std::size_t>(pictureIndex(kind, white))];
    if (picture.isNull()) {
        // Drawn at the size shown in device pixels, so it is sharp at any scale.
        const QSize device(qRound(size.width() * ratio), qRound(size.height() * ratio));
        picture = QPixmap::fromImage(art::pieceImage(kind, white, device));
        picture.setDevicePixelRatio(ratio);
    }
    return picture;
}

void BoardView::drawPiece(QPainter &p, const QRect &r, PieceKind kind, bool white) {
    const QPixmap &picture = pieceImage(kind, white);
    if (!picturesPending_) {
        p.drawPixmap(r.topLeft(), picture);
        return;
    }
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(r, picture);
    p.restore();
}

void BoardView::paintCoordinates(QPainter &p, const QRect &dirty) {
    // Drawn as the classic sunken label: the button face, a one-pixel sunken
    // panel, the text centred at the top below an indent of half an "x".
    const QPalette system = QApplication::palette();
    QPalette palette = system;
    palette.setColor(QPalette::Window, system.color(QPalette::Button));
    palette.setColor(QPalette::WindowText, system.color(QPalette::ButtonText));
    const QFont font = classicFont(QStringLiteral("MS Sans Serif"), 12 * scale_);
    p.setFont(font);
    const QFontMetrics metrics(font);
    const int frame = std::max(1, static_cast<int>(std::lround(scale_)));
    QStyleOptionFrame option;
    option.initFrom(this);
    palette.setCurrentColorGroup(option.palette.currentColorGroup());
    option.palette = palette;
    option.frameShape = QFrame::Panel;
    option.lineWidth = frame;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    option.state &= ~QStyle::State_Raised;
    for (int n = 1; n <= 16; ++n) {
        const QRect t = coordinateTwips(n);
        const QRect r = rectAt(t.x(), t.y(), t.width(), t.height());
        if (!dirty.intersects(r))
            continue;
        p.fillRect(r, palette.color(QPalette::Window));
        option.rect = r;
        style()->drawControl(QStyle::CE_ShapedFrame, &option, &p, this);
        QRect text = r.adjusted(frame, frame, -frame, -frame);
        text.setTop(text.top() + metrics.horizontalAdvance(QLatin1Char('x')) / 2);
        style()->drawItemText(&p, text, Qt::AlignHCenter | Qt::AlignTop | Qt::TextForceLeftToRight, palette, true,
                              coordinateText(n), QPalette::WindowText);
    }
}

void BoardView::paintTargets(QPainter &p) {
    if (targets_.empty())
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 96));
    for (int square : targets_) {
        const QRectF r = squareRect(square);
        const double d = r.height() / 3.0;
        p.drawEllipse(r.center(), d / 2, d / 2);
    }
    p.restore();
}

void BoardView::paintEvent(QPaintEvent *event) {
    QPainter p(this);
    const QRect dirty = event->rect();
    const QRegion &region = event->region();
    const QColor border = palette().color(QPalette::WindowText);
    const int line = std::max(1, static_cast<int>(std::lround(kLineWidthPx * scale_)));
    const int squareBorder = std::max(1, static_cast<int>(std::lround(kSquareBorderPx * scale_)));
    const int outline = std::max(1, static_cast<int>(std::lround(kOutlinePx * scale_)));
    // A line between two points in twips, centred on them, as wide as line.
    auto paintLine = [&](QPoint a, QPoint b) {
        const int half = line / 2;
        const QPoint from(px(a.x()), px(a.y())), to(px(b.x()), px(b.y()));
        if (a.y() == b.y())
            p.fillRect(std::min(from.x(), to.x()), from.y() - half, std::abs(to.x() - from.x()) + 1, line, border);
        else
            p.fillRect(from.x() - half, std::min(from.y(), to.y()), line, std::abs(to.y() - from.y()) + 1, border);
    };
    auto paintShape = [&](const QRect &r, const QColor &fill) {
        p.fillRect(r, fill);
        drawBorder(p, r, squareBorder, border);
    };

    // Back to front, as the window's controls were laid out.
    p.fillRect(dirty, kTeal);
    paintShape(rectAt(120, 240, 7335, 465), kBarGreen); // Shape1, under the date
    paintLine({840, 7500}, {7080, 7500});                 // Line5, behind the file letters
    paintLine({300, 1560}, {300, 6960});                  // Line4, behind the rank numbers
    for (int cell = 0; cell < board::kSquareCount; ++cell) {
        const QRect r = rectAt(board::FileLeft(cell % 8), board::RankTop(cell / 8), board::kSquareWidth,
                               board::kSquareHeight);
        if (!region.intersects(r))
            continue;
        p.fillRect(r, board::IsLightSquare(cell) ? kLightSquare : kDarkSquare);
        drawBorder(p, r, squareBorder, border);
    }
    // After all squares, as neighbours overlap by a pixel and would cut into it.
    for (int cell : outlined_)
        drawBorder(p,
                   rectAt(board::FileLeft(cell % 8), board::RankTop(cell / 8), board::kSquareWidth,
                          board::kSquareHeight)
                       .adjusted(squareBorder, squareBorder, -squareBorder, -squareBorder),
                   outline, kLastMoveOutline);
    paintCoordinates(p, dirty);
    for (int slot = 0; slot < board::kPieceCount; ++slot) {
        const auto &shown = pieces_[static_cast<std::size_t>(slot)];
        const QRect r = pieceRect(slot);
        if (shown.visible && slot != dragged_ && region.intersects(r))
            drawPiece(p, r, shown.kind, shown.white);
    }
    paintTargets(p);
    paintLine({7440, 240}, {7440, 8040});                // Line1, the divider
    paintShape(rectAt(7440, 720, 2775, 465), kOrange);   // Shape2, behind the file name
    if (dragged_ >= 0) {
        const auto &shown = pieces_[static_cast<std::size_t>(dragged_)];
        drawPiece(p, draggedRect(), shown.kind, shown.white);
    }
}

void BoardView::mousePressEvent(QMouseEvent *event) {
    emit squarePressed(squareAt(event->position()), event->button(), event->position());
}

void BoardView::mouseMoveEvent(QMouseEvent *event) {
    emit squareMoved(squareAt(event->position()), event->position());
}

void BoardView::mouseReleaseEvent(QMouseEvent *event) {
    emit squareReleased(squareAt(event->position()), event->button(), event->position());
}

LineWidget::LineWidget(QPoint fromTwips, QPoint toTwips, int widthPx, const QColor &colour, QWidget *parent)
    : QWidget(parent), colour_(colour), widthPx_(widthPx) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const QPoint a(TwipsToPixels(fromTwips.x()), TwipsToPixels(fromTwips.y()));
    const QPoint b(TwipsToPixels(toTwips.x()), TwipsToPixels(toTwips.y()));
    // The line is centred on its coordinates.
    const int half = widthPx / 2;
    if (fromTwips.y() == toTwips.y())
        setGeometry(std::min(a.x(), b.x()), a.y() - half, std::abs(b.x() - a.x()) + 1, widthPx);
    else
        setGeometry(a.x() - half, std::min(a.y(), b.y()), widthPx, std::abs(b.y() - a.y()) + 1);
}

void LineWidget::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), colour_.isValid() ? colour_ : palette().color(QPalette::WindowText));
}

} // namespace quorvane::ui
