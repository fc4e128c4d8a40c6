#pragma once
// The command line, read before anything else starts, so that the options that
// need no window work with no display at all.

#include <cstdint>
#include <string>
#include <vector>

namespace quorvane::cli {

struct CommandLine {
    enum class Action {
        Window,  // open the main window, with the record in files if one is named
        Help,    // print helpText()
        Version, // print the version
        ToPgn,   // convert every game in files to PGN on standard output
        List,    // print one line per game in files
        Analyse, // every game of files as PGN with the engine's analysis
        Report,  // one JSON line of figures per game of files
        Wrong,   // print error and exit 1
    };
    Action action = Action::Window;
    std::vector<std::string> files;
    std::string error;
    // --nodes and --jobs, for Analyse and Report; jobs 0: one engine per core.
    std::int64_t nodes = 100000;
    int jobs = 0;
};

// arguments without the program's name. "--" ends the options.
CommandLine parseCommandLine(const std::vector<std::string> &arguments);

std::string helpText();

inline constexpr const char *kNoDisplay = "no display: set DISPLAY, or use --to-pgn";

// Why the window cannot open here: kNoDisplay when the platform Qt would use
// (the -platform option among qtArguments, else $QT_QPA_PLATFORM, else its
// default) is a desktop one, X11 or Wayland, and neither display is set. Empty
// when it can. Null variables are unset.
std::string missingDisplay(const std::vector<std::string> &qtArguments, const char *platformVariable,
                           const char *display, const char *waylandDisplay);

// How many of the arguments (the program's name first) Qt is given: those before
// "--", so that a record named like one of Qt's options ("-reverse") stays a
// record.
int qtArgumentCount(const std::vector<std::string> &arguments);

} // namespace quorvane::cli
