#pragma once
// The command line, read before anything else starts, so that the options that
// need no window work with no display at all.

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
        Wrong,   // print error and exit 1
    };
    Action action = Action::Window;
    std::vector<std::string> files;
    std::string error;
};

// arguments without the program's name. "--" ends the options.
CommandLine parseCommandLine(const std::vector<std::string> &arguments);

std::string helpText();

} // namespace quorvane::cli
