#pragma once
// Layout is written in twips (1/1440 inch); at 96 dots per inch a
// device-independent pixel is 15 twips, and a point is 20 twips.

namespace quorvane {

constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(double twips) {
    const double px = twips / kTwipsPerPixel;
    return static_cast<int>(px >= 0 ? px + 0.5 : px - 0.5);
}

// Font size in pixels for a point size, at 96 dots per inch.
constexpr double PointsToPixels(double points) { return points * 96.0 / 72.0; }

} // namespace quorvane
