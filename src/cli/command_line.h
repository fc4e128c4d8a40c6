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

} // namespace quorvane::cli
