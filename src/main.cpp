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
    return QApplication::exec();
}
