#pragma once
// The windows are designed around three classic fonts: Tahoma, MS Sans Serif and
// System. Where they are not installed system-wide, the Wine font files are
// registered with the application. A size a bitmap font lacks is drawn in
// Liberation Sans, and DejaVu Sans is the last resort.

#include <QFont>
#include <QString>

namespace quorvane::ui {

// Starts reading the system's font configuration on a thread of its own, so that
// it runs beside the rest of start-up (connecting to the display, loading the
// platform plugin) instead of after it. Called just before the application
// object is made; installClassicFonts waits for it. Needs no display.
void startLoadingFontConfiguration();

// Registers the classic fonts that fontconfig does not already know. Cheap to
// call again.
void installClassicFonts();

// A font sized in pixels from its point size at 96 dots per inch, so that text
// fits the twip boxes it was laid out for whatever the screen's DPI.
QFont classicFont(const QString &family, double points, bool bold = true);

} // namespace quorvane::ui
