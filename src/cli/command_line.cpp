#include "cli/command_line.h"

#include <algorithm>

namespace quorvane::cli {

CommandLine parseCommandLine(const std::vector<std::string> &arguments) {
    CommandLine result;
    bool help = false;
    bool version = false;
    bool toPgn = false;
    bool optionsEnded = false;
    for (const std::string &argument : arguments) {
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            result.files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help" || argument == "-?" || argument == "--help-all") {
            help = true;
        } else if (argument == "-v" || argument == "--version") {
            version = true;
        } else if (argument == "--to-pgn") {
            toPgn = true;
        } else {
            result.action = CommandLine::Action::Wrong;
            result.error = "Unknown option '" + argument.substr(argument.find_first_not_of('-')) + "'.";
            return result;
        }
    }
    if (help) {
        result.action = CommandLine::Action::Help;
    } else if (version) {
        result.action = CommandLine::Action::Version;
    } else if (toPgn) {
        result.action = CommandLine::Action::ToPgn;
        if (result.files.empty()) {
            result.action = CommandLine::Action::Wrong;
            result.error = "--to-pgn needs at least one FILE.";
        }
    } else if (result.files.size() > 1) {
        result.action = CommandLine::Action::Wrong;
        result.error = "quorvane opens one record at a time.";
    }
    return result;
}

std::string helpText() {
    return "Usage: quorvane [FILE]\n"
           "       quorvane --to-pgn FILE...\n"
           "Replays a chess game from a saved game-history e-mail.\n"
           "\n"
           "Options:\n"
           "  -h, --help     Displays help on commandline options.\n"
           "  -v, --version  Displays version information.\n"
           "  --to-pgn       Writes each FILE as a PGN game to standard output, in\n"
           "                 the order given, and opens no window.\n"
           "\n"
           "Arguments:\n"
           "  [FILE]         A game record (.txt), or a saved message (.eml) or\n"
           "                 mailbox (.mbox) holding one, to open.\n";
}


std::string missingDisplay(const std::vector<std::string> &qtArguments, const char *platformVariable,
                           const char *display, const char *waylandDisplay) {
    auto set = [](const char *value) { return value && *value; };
    if (set(display) || set(waylandDisplay))
        return {};
    std::string platforms = platformVariable ? platformVariable : "";
    for (std::size_t i = 1; i + 1 < qtArguments.size(); ++i)
        if (qtArguments[i] == "-platform" || qtArguments[i] == "--platform")
            platforms = qtArguments[i + 1];
    // A list ("wayland;xcb") is tried in turn: one platform that needs no
    // display (offscreen, minimal, vnc, ...) is enough.
    // None named is Qt's default, X11.
    std::size_t start = 0;
    while (start <= platforms.size()) {
        const std::size_t end = std::min(platforms.find(';', start), platforms.size());
        const std::string name = platforms.substr(start, end - start);
        start = end + 1;
        // Only the name counts, not its options ("xcb:foo").
        const std::string base = name.substr(0, name.find(':'));
        if (base.empty())
            continue;
        if (base.rfind("xcb", 0) != 0 && base.rfind("wayland", 0) != 0)
            return {};
    }
    return kNoDisplay;
}

int qtArgumentCount(const std::vector<std::string> &arguments) {
    for (std::size_t i = 1; i < arguments.size(); ++i)
        if (arguments[i] == "--")
            return static_cast<int>(i);
    return static_cast<int>(arguments.size());
}

} // namespace quorvane::cli
