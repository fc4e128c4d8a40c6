// The window program: what `quorvane` runs when the command line asks for the
// main window. It is a program of its own so that the options that need no
// window (--to-pgn above all) never load the Qt libraries.
#include "game/module1.h"
#include "ui/app.h"
#include "ui/fonts.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[]) {
    quorvane::ui::startLoadingFontConfiguration();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));

    // Module1 lives for the whole run, beyond the main window if the Help window
    // outlasts it.
    quorvane::Module1 module;
    const quorvane::ui::StartUp start = quorvane::ui::startQuorvane(QApplication::arguments(), module);
    if (!start.window) {
        std::fputs(start.output.toLocal8Bit().constData(), start.exitCode ? stderr : stdout);
        return start.exitCode;
    }
    if (!start.warning.isEmpty())
        std::fputs(start.warning.toLocal8Bit().constData(), stderr);
    return QApplication::exec();
}
