#pragma once
// The program's own drawings: the twelve piece pictures and the knight's head
// that the window icons and the About window reuse. All vector, so they stay
// crisp at any size.

#include "board/board.h"

#include <QImage>
#include <QRectF>

class QPainter;

namespace quorvane::art {

// Draws one piece stretched to fill rect (the piece rectangle is 855 x 735
// twips, not square). White's pieces are orange with black outlines (bishops and
// queen salmon); Black's are solid black with white inner details. Nothing is
// drawn around the piece, so the square shows through.
void paintPiece(QPainter &painter, PieceKind kind, bool white, const QRectF &rect);

// The piece rendered into a transparent image of the given size in device pixels,
// as the board shows it: a black piece's white lines are holes in the picture,
// so the square shows through them.
QImage renderPiece(PieceKind kind, bool white, QSize size);

// The head of a knight facing left, in one colour, filling rect; its inner
// details (eye, mane lines) are cut out so whatever is behind shows through.
void paintKnightHead(QPainter &painter, const QRectF &rect, const QColor &colour);

} // namespace quorvane::art
