// The window tests need one QApplication for the whole run, offscreen.
#include "ui/fonts.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
    // Anything Qt would keep in the user's settings lands in a folder of this
    // run's own, never the user's; the test that watches for writes checks that
    // it stays empty.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    // Offscreen, on a desktop's 1920 x 1200 screen rather than the plugin's small
    // default one, so the main window has room at its designed place.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" QUORVANE_TEST_DATA "/screen-1920x1200.json");
    QApplication app(argc, argv);
    quorvane::ui::installClassicFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
