#pragma once
// The pictures the main window shows at start-up, drawn ahead when the program is
// built (by draw_ahead, with the same drawing code) so that the first paint only
// copies them: the twelve pieces at the board's size, and the window icon in the
// sizes a window shows. A size not drawn ahead is drawn on the spot, as before.
//
// The pictures are kept as raw premultiplied ARGB pixels, exactly what the drawing
// code made: nothing to decode, nothing rounded.

#include "board/board.h"
#include "platform/twips.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace quorvane::art {

// The sizes a window's icon is shown at (title bar, task list, switcher).
inline constexpr int kWindowIconSizes[] = {16, 32, 48, 64};

// The board's piece rectangle in pixels: the size the pieces are drawn ahead at.
inline QSize boardPieceSize() {
    return {TwipsToPixels(board::kSquareWidth), TwipsToPixels(board::kSquareHeight)};
}

// The names of the pictures drawn ahead: "white-king", "icon-16".
inline QString pieceName(PieceKind kind, bool white) {
    static const char *const kNames[] = {"king", "queen", "rook", "bishop", "knight", "pawn"};
    return QLatin1String(white ? "white-" : "black-") + QLatin1String(kNames[static_cast<int>(kind)]);
}
inline QString windowIconName(int size) {
    return QStringLiteral("icon-%1").arg(size);
}

// A picture drawn ahead, or a null image when there is none of that name and size.
QImage drawnAhead(const QString &name, QSize size);

// The piece at size device pixels, premultiplied ARGB: the one drawn ahead when
// there is one of that size, else renderPiece's.
QImage pieceImage(PieceKind kind, bool white, QSize size);

} // namespace quorvane::art
