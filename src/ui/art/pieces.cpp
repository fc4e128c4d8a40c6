#include "ui/art/pieces.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <mutex>
#include <tuple>
#include <vector>

namespace quorvane::art {

namespace {

// Every drawing is designed in a 100 x 100 box, y pointing down, and stretched to
// whatever rectangle it is painted into. Line widths are worked out after the
// stretch, so a squashed piece still gets even outlines.
constexpr double kBox = 100.0;

// Widths in box units, measured against the shorter side of the target rect.
constexpr double kOutlineWidth = 3.2;
constexpr double kDetailWidth = 2.4;
// White lines on black read thinner than black lines on orange.
constexpr double kWhiteDetailWidth = 3.4;
// How far inside a black piece's edge its white lines stop.
constexpr double kInnerRim = 2.4;

const QColor kOrange(245, 127, 0);
const QColor kSalmon(243, 127, 84);

struct Drawing {
    // Closed shapes, back to front. White pieces show each one's outline; Black
    // pieces merge them into one silhouette.
    std::vector<QPainterPath> parts;
    // Lines drawn on both colours: black on White's pieces, white on Black's.
    std::vector<QPainterPath> details;
    // Lines where two parts meet. White's outlines already show these; on a solid
    // black piece they have to be drawn in white or the parts melt together.
    std::vector<QPainterPath> seams;
    // Small filled marks (the knight's eye and nostril), coloured like details.
    std::vector<QPainterPath> spots;
};

// rightHalf runs from the centre line at the top down the right-hand side back to
// the centre line at the bottom; the left half is its mirror image.
QPainterPath symmetric(const QPainterPath &rightHalf) {
    QPainterPath full = rightHalf;
    const QPainterPath left = QTransform(-1, 0, 0, 1, kBox, 0).map(rightHalf).toReversed();
    full.connectPath(left);
    full.closeSubpath();
    return full;
}

QPainterPath polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

QPainterPath line(QPointF from, QPointF to) {
    QPainterPath path(from);
    path.lineTo(to);
    return path;
}

QPainterPath circle(QPointF centre, double radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath pill(double left, double top, double width, double height) {
    QPainterPath path;
    path.addRoundedRect(QRectF(left, top, width, height), height / 2, height / 2);
    return path;
}

// The round foot every piece stands on, from y = 85 to 95.
QPainterPath foot(double halfWidth) {
    QPainterPath half(QPointF(50, 85));
    half.lineTo(50 + halfWidth - 5, 85);
    half.cubicTo(50 + halfWidth - 2, 85, 50 + halfWidth - 1, 87, 50 + halfWidth, 90);
    half.cubicTo(50 + halfWidth + 1, 93, 50 + halfWidth, 95, 50 + halfWidth - 3, 95);
    half.lineTo(50, 95);
    return symmetric(half);
}

// A stem that flares out from a narrow neck at y = top into the foot.
QPainterPath flaredBody(double top, double neckHalf, double bottomHalf) {
    const double h = 86 - top;
    QPainterPath half(QPointF(50, top));
    half.lineTo(50 + neckHalf, top);
    half.cubicTo(50 + neckHalf, top + h * 0.45, 50 + bottomHalf - 8, top + h * 0.8, 50 + bottomHalf, 86);
    half.lineTo(50, 86);
    return symmetric(half);
}

QPainterPath footSeam(double halfWidth) {
    return line(QPointF(50 - halfWidth, 85), QPointF(50 + halfWidth, 85));
}

Drawing pawn() {
    Drawing d;
    const QPainterPath collar = pill(33, 50, 34, 8);
    d.parts = {flaredBody(56, 8, 24), foot(32), circle(QPointF(50, 38), 13), collar};
    d.seams = {footSeam(30), collar};
    return d;
}

Drawing bishop() {
    Drawing d;
    QPainterPath mitre(QPointF(50, 14));
    mitre.cubicTo(60, 22, 68, 32, 67, 41);
    mitre.cubicTo(66, 49, 60, 54, 50, 54);
    const QPainterPath collar = pill(31, 51, 38, 8);
    d.parts = {flaredBody(58, 8, 25), foot(34), symmetric(mitre), collar, circle(QPointF(50, 10), 5.5)};
    d.details = {line(QPointF(61, 25), QPointF(47, 41))}; // the slit in the mitre
    d.seams = {footSeam(32), collar, line(QPointF(40, 15.5), QPointF(60, 15.5))};
    return d;
}

Drawing rook() {
    Drawing d;
    const QPainterPath battlement = polygon({{25, 13},
                                             {37, 13},
                                             {37, 22},
                                             {44, 22},
                                             {44, 13},
                                             {56, 13},
                                             {56, 22},
                                             {63, 22},
                                             {63, 13},
                                             {75, 13},
                                             {75, 31},
                                             {68, 37},
                                             {32, 37},
                                             {25, 31}});
    const QPainterPath tower = polygon({{33, 35}, {67, 35}, {70, 76}, {30, 76}});
    d.parts = {tower, battlement, pill(24, 74, 52, 11), foot(34)};
    d.seams = {footSeam(32), line(QPointF(20, 31), QPointF(80, 31)), line(QPointF(20, 37), QPointF(80, 37)),
               line(QPointF(20, 74), QPointF(80, 74))};
    return d;
}

Drawing queen() {
    Drawing d;
    QPainterPath crown(QPointF(37, 50));
    crown.lineTo(22, 21);
    crown.lineTo(33, 35);
    crown.lineTo(36, 15);
    crown.lineTo(44, 32);
    crown.lineTo(50, 12);
    crown.lineTo(56, 32);
    crown.lineTo(64, 15);
    crown.lineTo(67, 35);
    crown.lineTo(78, 21);
    crown.lineTo(63, 50);
    crown.closeSubpath();
    const QPainterPath collar = pill(30, 49, 40, 9);
    d.parts = {flaredBody(57, 9, 25), foot(34), crown, collar};
    for (const QPointF tip : {QPointF(22, 20), QPointF(36, 14), QPointF(50, 10), QPointF(64, 14), QPointF(78, 20)})
        d.parts.push_back(circle(tip, tip.x() == 50 ? 5 : 4.2));
    QPainterPath band(QPointF(32, 42));
    band.quadTo(50, 37, 68, 42);
    d.details = {band};
    d.seams = {footSeam(32), collar};
    return d;
}

Drawing king() {
    Drawing d;
    QPainterPath upright, arms;
    upright.addRect(46, 2, 8, 20);
    arms.addRect(40, 7, 20, 7);
    const QPainterPath cross = upright.united(arms);
    QPainterPath cup(QPointF(50, 20));
    cup.cubicTo(61, 20, 72, 23, 72, 30);
    cup.cubicTo(72, 38, 64, 43, 63, 51);
    cup.lineTo(50, 51);
    const QPainterPath collar = pill(30, 49, 40, 9);
    d.parts = {flaredBody(57, 9, 25), foot(34), cross, symmetric(cup), collar};
    QPainterPath band(QPointF(30, 33));
    band.quadTo(50, 26, 70, 33);
    d.details = {band};
    d.seams = {footSeam(32), collar, line(QPointF(40, 21), QPointF(60, 21))};
    return d;
}

// The horse's head and neck, muzzle to the left, neck cut off level at y = 86.
QPainterPath knightHeadOutline() {
    QPainterPath p(QPointF(79, 86));
    p.cubicTo(85, 66, 85, 42, 72, 25); // back of the neck, under the mane
    p.cubicTo(68, 19, 63, 13, 60, 5);  // up the back of the ear
    p.cubicTo(57, 10, 55, 14, 52, 17); // front of the ear
    p.cubicTo(42, 18, 33, 24, 27, 32); // forehead
    p.cubicTo(21, 39, 15, 45, 11, 52); // nose
    p.cubicTo(8, 57, 10, 62, 15, 63);  // muzzle
    p.cubicTo(21, 65, 26, 63, 31, 60); // chin
    p.cubicTo(36, 57, 42, 55, 47, 56); // under the jaw to the throat
    p.cubicTo(37, 62, 28, 70, 26, 86); // chest
    p.closeSubpath();
    return p;
}

QPainterPath knightEye() {
    QPainterPath p;
    p.addEllipse(QPointF(41, 31), 4, 2.6);
    return p;
}

QPainterPath knightNostril() {
    return circle(QPointF(18, 53), 2);
}

std::vector<QPainterPath> knightLines() {
    QPainterPath mane(QPointF(66, 24));
    mane.cubicTo(74, 38, 76, 58, 72, 78);
    return {mane, line(QPointF(11, 58), QPointF(22, 59))};
}

Drawing knight() {
    Drawing d;
    d.parts = {knightHeadOutline(), foot(34)};
    d.details = knightLines();
    d.spots = {knightEye(), knightNostril()};
    d.seams = {footSeam(32)};
    return d;
}

Drawing drawingFor(PieceKind kind) {
    switch (kind) {
    case PieceKind::King:
        return king();
    case PieceKind::Queen:
        return queen();
    case PieceKind::Rook:
        return rook();
    case PieceKind::Bishop:
        return bishop();
    case PieceKind::Knight:
        return knight();
    case PieceKind::Pawn:
        return pawn();
    }
    return pawn();
}

QTransform boxToRect(const QRectF &box, const QRectF &rect) {
    return QTransform::fromTranslate(rect.x(), rect.y())
        .scale(rect.width() / box.width(), rect.height() / box.height())
        .translate(-box.x(), -box.y());
}

QPen roundPen(const QColor &colour, double width) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A black piece's outer shape: the union of its parts, so that its outline has
// no inner boundaries. The path arithmetic costs far more than the painting, and
// a board asks for the same few sizes over and over, so the results are kept.
QPainterPath blackSilhouette(PieceKind kind, const Drawing &d, const QTransform &toRect) {
    static std::mutex mutex;
    static std::map<std::tuple<int, double, double>, QPainterPath> cache;
    const auto key = std::make_tuple(static_cast<int>(kind), toRect.m11(), toRect.m22());
    const std::lock_guard<std::mutex> lock(mutex);
    if (const auto found = cache.find(key); found != cache.end())
        return found->second;

    // One simplification of all the parts is far cheaper than uniting them one
    // by one.
    QPainterPath parts;
    parts.setFillRule(Qt::WindingFill);
    for (const QPainterPath &part : d.parts)
        parts.addPath(toRect.map(part));
    QPainterPath silhouette = parts.simplified();
    if (cache.size() >= 256)
        cache.clear();
    cache.emplace(key, silhouette);
    return silhouette;
}

} // namespace

void paintPiece(QPainter &painter, PieceKind kind, bool white, const QRectF &rect) {
    const Drawing d = drawingFor(kind);
    // Paths are built for a rect at the origin and the painter moved, so that the
    // cached black shapes serve a piece wherever it stands.
    const QTransform toRect = boxToRect(QRectF(0, 0, kBox, kBox), QRectF(QPointF(0, 0), rect.size()));
    const double unit = std::min(rect.width(), rect.height()) / kBox;
    const double outline = kOutlineWidth * unit;

    painter.save();
    painter.translate(rect.topLeft());
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (white) {
        const bool salmon = kind == PieceKind::Bishop || kind == PieceKind::Queen;
        painter.setPen(roundPen(Qt::black, outline));
        painter.setBrush(salmon ? kSalmon : kOrange);
        for (const QPainterPath &part : d.parts)
            painter.drawPath(toRect.map(part));
        painter.setBrush(Qt::NoBrush);
        painter.setPen(roundPen(Qt::black, kDetailWidth * unit));
        for (const QPainterPath &l : d.details)
            painter.drawPath(toRect.map(l));
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        for (const QPainterPath &s : d.spots)
            painter.drawPath(toRect.map(s));
    } else {
        const QPainterPath silhouette = blackSilhouette(kind, d, toRect);
        painter.setPen(roundPen(Qt::black, outline));
        painter.setBrush(Qt::black);
        painter.drawPath(silhouette);

        // The white lines stay inside the silhouette, and stop short of its edge
        // so that it stays whole: a black rim painted inside the outline, after
        // them, covers their ends.
        painter.setClipPath(silhouette, Qt::IntersectClip);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(roundPen(Qt::white, kWhiteDetailWidth * unit));
        for (const QPainterPath &l : d.details)
            painter.drawPath(toRect.map(l));
        for (const QPainterPath &l : d.seams)
            painter.drawPath(toRect.map(l));
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        for (const QPainterPath &s : d.spots)
            painter.drawPath(toRect.map(s));

        painter.strokePath(silhouette, roundPen(Qt::black, 2 * kInnerRim * unit));
    }
    painter.restore();
}

QImage renderPiece(PieceKind kind, bool white, QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintPiece(painter, kind, white, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    if (!white) {
        // White is the see-through colour of the pictures: a black piece's white
        // lines become holes through which the square shows. The piece holds only
        // black and white, so a pixel's share of white (its red over its alpha,
        // premultiplied) is taken off its coverage, edges included.
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = qRgba(0, 0, 0, qAlpha(line[x]) - qRed(line[x]));
        }
    }
    return image;
}

void paintKnightHead(QPainter &painter, const QRectF &rect, const QColor &colour) {
    // The head is taller than it is wide: centre it in a square box so that a
    // square rect does not distort it.
    const QPainterPath outline = knightHeadOutline();
    const QRectF bounds = outline.boundingRect();
    const double side = std::max(bounds.width(), bounds.height());
    const QRectF box(bounds.center().x() - side / 2, bounds.center().y() - side / 2, side, side);
    const QTransform toRect = boxToRect(box, rect);
    const double unit = std::min(rect.width(), rect.height()) / side;

    QPainterPathStroker stroker;
    stroker.setWidth(kDetailWidth * 1.3 * unit);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    QPainterPath holes = toRect.map(knightEye()).united(toRect.map(knightNostril()));
    for (const QPainterPath &l : knightLines())
        holes = holes.united(stroker.createStroke(toRect.map(l)));

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(toRect.map(outline).subtracted(holes));
    painter.restore();
}

} // namespace quorvane::art
