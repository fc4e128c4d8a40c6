#include "cli/command_line.h"

namespace quorvane::cli {

CommandLine parseCommandLine(const std::vector<std::string> &arguments) {
    CommandLine result;
    bool help = false;
    bool version = false;
    bool toPgn = false;
    bool list = false;
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
        } else if (argument == "--list") {
            list = true;
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
    } else if (toPgn && list) {
        result.action = CommandLine::Action::Wrong;
        result.error = "--list and --to-pgn cannot be given together.";
    } else if (list) {
        result.action = CommandLine::Action::List;
        if (result.files.empty()) {
            result.action = CommandLine::Action::Wrong;
            result.error = "--list needs at least one FILE.";
        }
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
           "       quorvane --list FILE...\n"
           "Replays a chess game from a PGN file or a saved game-history e-mail.\n"
           "\n"
           "Options:\n"
           "  -h, --help     Displays help on commandline options.\n"
           "  -v, --version  Displays version information.\n"
           "  --to-pgn       Writes every game of each FILE as PGN to standard\n"
           "                 output, in the order given, and opens no window.\n"
           "  --list         Prints one line per game of each FILE, tab-separated:\n"
           "                 file, number, White, Black, Result, Date, Event, ECO,\n"
           "                 half-moves; opens no window.\n"
           "\n"
           "Arguments:\n"
           "  [FILE]         A PGN file (.pgn), a game record (.txt), or a saved\n"
           "                 message (.eml) or mailbox (.mbox) holding one, to open.\n";
}

} // namespace quorvane::cli
