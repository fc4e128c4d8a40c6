#pragma once
// Start-up: the command line, then the main window.

#include "game/module1.h"
#include "ui/main_window.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorvane::ui {

struct StartUp {
    // Null when the command line asked for --help or --version, or was wrong.
    std::unique_ptr<FrmChsMain> window;
    // What to print, and the exit code when there is no window.
    QString output;
    int exitCode = 0;
    // "FILE: REASON" when the window is up but the record named could not be
    // read, for standard error.
    QString warning;
};

// Parses `quorvane [FILE]` (arguments include the program name; see
// cli::parseCommandLine), shows the main
// window and opens FILE as File > Open would once the dialog reported it.
// dialog and box are passed on to the window (null: the Qt ones). warn gets the
// warning line (bytes) when the record fails, before the "Invalid File" box.
// The arguments are the bytes of the command line: a file name need not be UTF-8.
StartUp startQuorvaneFromArgv(const std::vector<std::string> &arguments, Module1 &module, FileDialog *dialog = nullptr,
                      MessageBox *box = nullptr, const std::function<void(const std::string &)> &warn = {});
// The same with arguments as Qt gives them (tests).
StartUp startQuorvane(const QStringList &arguments, Module1 &module, FileDialog *dialog = nullptr,
                      MessageBox *box = nullptr, const std::function<void(const std::string &)> &warn = {});

} // namespace quorvane::ui
