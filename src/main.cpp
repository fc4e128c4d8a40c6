#include "cli/command_line.h"
#include "cli/to_pgn.h"
#include "game/module1.h"
#include "mail/gmime_parser.h"
#include "ui/app.h"
#include "ui/fonts.h"

#include <QApplication>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char *argv[]) {
    // The options that need no window run before any application object is
    // made, so they work with no display and no platform plugin.
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const quorvane::cli::CommandLine command = quorvane::cli::parseCommandLine(arguments);
    using Action = quorvane::cli::CommandLine::Action;
    switch (command.action) {
    case Action::Help:
        std::fputs(quorvane::cli::helpText().c_str(), stdout);
        return 0;
    case Action::Version:
        std::fputs("Quorvane " QUORVANE_VERSION "\n", stdout);
        return 0;
    case Action::Wrong:
        std::fprintf(stderr, "%s\n", command.error.c_str());
        return 1;
    case Action::ToPgn:
        std::ios::sync_with_stdio(false);
        {
            quorvane::mail::GMimeMessageParser mail;
            return quorvane::cli::convertToPgn(command.files, std::cout, std::cerr, &mail);
        }
    case Action::Window:
        break;
    }

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
