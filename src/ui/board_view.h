#pragma once
// The main window's painted layer: one widget draws everything of the window that
// is no control a user works with: the teal ground, the green bar, the lines, the
// 64 squares, the coordinates, the last-move mark, the 32 pieces and the orange
// frame behind the file name, in the designed stacking, at any scale. The
// labels, the list and the buttons are real widgets over it.
//
// What it shows comes from the logic's controls (Image1): the logic keeps its
// designed coordinates (rank 8 at the top); only where things are drawn turns
// with the board.

#include "board/board.h"
#include "logic/chs_main.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QWidget>

class QTimer;

#include <array>
#include <vector>

namespace quorvane::ui {

// A rectangle in twips, as pixels.
QRect twipsRect(int left, int top, int width, int height);

// The designed client area in twips.
inline constexpr int kMainClientWidth = 10290;
inline constexpr int kMainClientHeight = 8085;

class BoardView : public QWidget {
    Q_OBJECT
public:
    explicit BoardView(QWidget *parent);

    // The layout drawn at scale (1: the designed pixels), its top left corner at
    // origin of the parent. Resizes the widget to the scaled client area.
    // While the user drags the window's corner (live), a new size's pictures
    // are drawn only once the drag rests; meanwhile the last ones are scaled.
    void setScale(double scale, QPoint origin, bool live = false);
    // True until a drag of the corner rests and the pieces are drawn at their size.
    bool picturesPending() const { return live_ || picturesPending_; }
    double scale() const { return scale_; }
    // A length or rectangle in twips at the current scale, in this widget's pixels.
    int px(double twips) const;
    QRect rectAt(int left, int top, int width, int height) const;

    // Flipped, rank 1 is at the top and file h at the left; the pieces stay upright.
    bool flipped() const { return flipped_; }
    void setFlipped(bool flipped);
    bool lastMoveShown() const { return lastMoveShown_; }
    void setLastMoveShown(bool shown) { lastMoveShown_ = shown; }

    // Brings the pieces, the last-move mark and the description in step with the
    // logic; paints only what changed.
    void showPosition(const ChsMain &form);

    // What is painted, for tests and assistive technology.
    // The rectangle piece slot is drawn in, in the parent's pixels.
    QRect pieceGeometry(int slot) const;
    bool pieceShown(int slot) const { return pieces_[static_cast<std::size_t>(slot)].visible; }
    PieceKind pieceKind(int slot) const { return pieces_[static_cast<std::size_t>(slot)].kind; }
    // The outlined squares, counted as drawn (8 * row + col from the top left).
    const std::vector<int> &outlined() const { return outlined_; }
    // The text of coordinate n (1-8 the ranks top to bottom, 9-16 the files left
    // to right).
    QString coordinateText(int n) const;
    // Square i (an sqrSpace index: 0 is a8) as drawn, in this widget's pixels.
    QRect squareRect(int square) const;

    // For moving pieces by hand. The square (an sqrSpace index) under a point of
    // this widget, whichever way up the board is; -1 off the squares.
    int squareAt(QPointF at) const;
    // Marks these squares (sqrSpace indexes) as where a piece may go; none for an
    // empty list.
    void setTargets(std::vector<int> squares);
    const std::vector<int> &targets() const { return targets_; }
    // Draws piece slot centred on at (this widget's pixels) instead of on its
    // square, above everything else; slot -1 ends it.
    void setDragged(int slot, QPointF at = {});
    int dragged() const { return dragged_; }

signals:
    // A mouse button went down, the mouse moved (with a button held) or a button
    // came up over this widget: the square under it (-1 off the board) and the point.
    void squarePressed(int square, Qt::MouseButton button, QPointF at);
    void squareMoved(int square, QPointF at);
    void squareReleased(int square, Qt::MouseButton button, QPointF at);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    struct ShownPiece {
        PieceKind kind = PieceKind::Pawn;
        bool white = true;
        float left = 0; // where the logic has it, in twips
        float top = 0;
        bool visible = true;
    };
    QRect pieceRectAt(float left, float top) const;
    QRect pieceRect(int slot) const;
    QRect draggedRect() const;
    const QPixmap &pieceImage(PieceKind kind, bool white);
    void drawPiece(QPainter &p, const QRect &r, PieceKind kind, bool white);
    void paintCoordinates(QPainter &p, const QRect &dirty);
    void paintTargets(QPainter &p);

    double scale_ = 1.0;
    bool flipped_ = false;
    bool lastMoveShown_ = true;
    std::array<ShownPiece, board::kPieceCount> pieces_{};
    std::vector<int> outlined_;
    std::vector<int> targets_;
    int dragged_ = -1;
    QPointF dragAt_;
    // The twelve pictures at the current piece size and device pixel ratio.
    std::array<QPixmap, 12> pictures_;
    QSize picturesSize_;
    qreal picturesRatio_ = 0;
    bool live_ = false;
    bool picturesPending_ = false;
    QTimer *rest_ = nullptr;
};

// A straight line between two points in twips, width in pixels (the About
// window's rules).
class LineWidget : public QWidget {
public:
    LineWidget(QPoint fromTwips, QPoint toTwips, int widthPx, const QColor &colour, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor colour_;
    int widthPx_;
};

// The colours of the squares.
inline const QColor kLightSquare{255, 255, 192};
inline const QColor kDarkSquare{0, 192, 0};
// The last move's outline: a bright blue, darker than the light squares and
// the green ones, apart from the black borders by its hue, and told apart from
// green by colour-blind eyes too (unlike red).
inline const QColor kLastMoveOutline{0, 96, 255};
// The window's ground, the bar under the date, the frame behind the file name.
inline const QColor kTeal{0, 64, 64};
inline const QColor kBarGreen{0, 128, 0};
inline const QColor kOrange{255, 128, 0};

} // namespace quorvane::ui
