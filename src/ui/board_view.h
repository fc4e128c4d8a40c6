#pragma once
// The widgets the main window is built from: the squares, the pieces, lines and
// filled rectangles, all placed in twips.

#include "board/board.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

#include <vector>

namespace quorvane::ui {

// A rectangle in twips, as pixels.
QRect twipsRect(int left, int top, int width, int height);

// The 64 squares, painted in index order. The squares never change, so one
// widget draws them all, with the outlines that mark the last move.
class SquaresWidget : public QWidget {
public:
    explicit SquaresWidget(QWidget *parent);
    // Outlines these squares, counted as drawn (8 * row + col from the top
    // left), inside their borders; none for an empty list.
    void setOutlined(std::vector<int> cells);
    const std::vector<int> &outlined() const { return outlined_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<int> outlined_;
};

// One piece picture, stretched to its rectangle.
class PieceWidget : public QWidget {
public:
    PieceWidget(PieceKind kind, bool white, QWidget *parent);
    // Places the piece at a position in twips.
    void placeAt(float left, float top);
    // Shows another kind of piece (a promoted pawn); repaints only on a change.
    void setKind(PieceKind kind);
    PieceKind kind() const { return kind_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    PieceKind kind_;
    bool white_;
};

// A straight line between two points in twips, width in pixels.
class LineWidget : public QWidget {
public:
    LineWidget(QPoint fromTwips, QPoint toTwips, int widthPx, const QColor &colour, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor colour_;
    bool horizontal_;
    int widthPx_;
};

// A filled rectangle with a border, in twips.
class ShapeWidget : public QWidget {
public:
    ShapeWidget(QRect twips, const QColor &fill, int borderPx, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor fill_;
    int borderPx_;
};

// The colours of the squares.
inline const QColor kLightSquare{255, 255, 192};
inline const QColor kDarkSquare{0, 192, 0};
// The last move's outline: a bright blue, darker than the light squares and
// the green ones, apart from the black borders by its hue, and told apart from
// green by colour-blind eyes too (unlike red).
inline const QColor kLastMoveOutline{0, 96, 255};

} // namespace quorvane::ui
