#include "logic/window_scale.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace quorvane {

namespace {

// As a browser zooms: small steps near 1, larger ones further out.
constexpr double kZoomSteps[] = {0.5, 0.67, 0.75, 0.8, 0.9, 1.0, 1.1, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0};
// A scale this close to a step counts as that step.
constexpr double kSameStep = 1e-3;

} // namespace

int ScaledPixels(double twips, double scale) {
    return static_cast<int>(std::lround(twips * scale / 15.0));
}

double FitScale(PixelSize content, PixelSize room) {
    if (content.width <= 0 || content.height <= 0)
        return 1.0;
    const double scale = std::min(static_cast<double>(room.width) / content.width,
                                  static_cast<double>(room.height) / content.height);
    return std::clamp(scale, kMinScale, kMaxScale);
}

double ZoomedIn(double scale) {
    for (double step : kZoomSteps)
        if (step > scale + kSameStep)
            return step;
    return kMaxScale;
}

double ZoomedOut(double scale) {
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
        if (*it < scale - kSameStep)
            return *it;
    return kMinScale;
}

PixelRect PlaceInside(PixelRect window, PixelRect available) {
    auto place = [](int at, int length, int start, int room) {
        if (length >= room)
            return start;
        return std::clamp(at, start, start + room - length);
    };
    window.x = place(window.x, window.width, available.x, available.width);
    window.y = place(window.y, window.height, available.y, available.height);
    return window;
}

PixelRect PlaceBeside(PixelRect main, PixelSize size, PixelRect available) {
    constexpr int kGap = 8;
    const int right = main.x + main.width + kGap;
    const int left = main.x - kGap - size.width;
    int x = main.x;
    if (right + size.width <= available.x + available.width)
        x = right;
    else if (left >= available.x)
        x = left;
    return PlaceInside({x, main.y, size.width, size.height}, available);
}

} // namespace quorvane
