#pragma once
// How big the main window's designed layout is drawn: the scale that fits a
// room, the steps of View > Zoom, and a place for a window inside the screen.
// Plain arithmetic on whole pixels, so the window and its tests agree on it.

namespace quorvane {

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize &) const = default;
};

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect &) const = default;
};

// The smallest and largest scales the layout is drawn at.
inline constexpr double kMinScale = 0.5;
inline constexpr double kMaxScale = 8.0;

// A length in twips, drawn at scale, in whole pixels; at scale 1 exactly the
// designed pixels (15 twips each).
int ScaledPixels(double twips, double scale);

// The largest scale at which content (pixels at scale 1) fits room, within
// kMinScale and kMaxScale.
double FitScale(PixelSize content, PixelSize room);

// The next zoom step above or below scale (1 is one of them), within kMinScale
// and kMaxScale.
double ZoomedIn(double scale);
double ZoomedOut(double scale);

// window moved the least distance that puts it inside available; a window wider
// or taller than available keeps its left or top edge on available's.
PixelRect PlaceInside(PixelRect window, PixelRect available);

// Where a window of size opens next to main: on its right with a gap, else on
// its left, else over it; its top at main's; always inside available as far as
// its size allows.
PixelRect PlaceBeside(PixelRect main, PixelSize size, PixelRect available);

} // namespace quorvane
