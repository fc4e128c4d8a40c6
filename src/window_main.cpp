// The window program: what `quorvane` runs when the command line asks for the
// main window. It is a program of its own so that the options that need no
// window (--to-pgn above all) never load the Qt libraries.
#include "cli/command_line.h"
#include "game/module1.h"
#include "ui/app.h"
#include "ui/fonts.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char *argv[]) {
    // The arguments as the bytes they are: a file name need not be UTF-8.
    const std::vector<std::string> given(argv, argv + argc);
    // Qt sees only what comes before "--", and takes its own options from that.
    int qtArgc = quorvane::cli::qtArgumentCount(given);
    std::vector<char *> qtArgv(argv, argv + qtArgc);
    qtArgv.push_back(nullptr);
    const std::string noDisplay =
        quorvane::cli::missingDisplay(std::vector<std::string>(given.begin(), given.begin() + qtArgc),
                                      std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"),
                                      std::getenv("WAYLAND_DISPLAY"));
    if (!noDisplay.empty()) {
        std::fprintf(stderr, "%s\n", noDisplay.c_str());
        return 1;
    }

    quorvane::ui::startLoadingFontConfiguration();
    QApplication app(qtArgc, qtArgv.data());
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));

    // Ours: what Qt left of its part, then everything from "--" on.
    std::vector<std::string> arguments(qtArgv.begin(), qtArgv.begin() + qtArgc);
    arguments.insert(arguments.end(), given.begin() + quorvane::cli::qtArgumentCount(given), given.end());

    // Module1 lives for the whole run, beyond the main window if the Help window
    // outlasts it.
    quorvane::Module1 module;
    const quorvane::ui::StartUp start = quorvane::ui::startQuorvaneFromArgv(
        arguments, module, nullptr, nullptr, [](const std::string &line) { std::fputs(line.c_str(), stderr); });
    if (!start.window) {
        std::fputs(start.output.toLocal8Bit().constData(), start.exitCode ? stderr : stdout);
        return start.exitCode;
    }
    return QApplication::exec();
}
