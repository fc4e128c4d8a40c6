#pragma once
// The window icons and the About window's picture, drawn by the program itself so
// they look the same on every platform and at every size.

#include <QIcon>
#include <QImage>

#include <span>

namespace quorvane::art {

// The window icon: a black knight's head on a white square, 16 to 64 pixels,
// drawn ahead at build time (drawn_ahead.h).
QIcon mainWindowIcon();

// The same picture drawn on demand in the given sizes, for installing (16 to 256
// pixels) and for drawing the window icon ahead.
QIcon knightIcon(std::span<const int> sizes);
inline constexpr int kInstalledIconSizes[] = {16, 32, 48, 64, 128, 256};

// A white "i" on a dark blue disc with a black rim; 16 and 32 pixels.
QIcon aboutIcon();

// A white question mark on a green disc with a black rim; 16 and 32 pixels.
QIcon helpIcon();

// The About window's picture: a black knight's head facing left on a transparent
// ground, 117 x 117 pixels, black being the only colour.
QImage knightPicture();

} // namespace quorvane::art
