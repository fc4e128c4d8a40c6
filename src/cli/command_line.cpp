#include "cli/command_line.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

namespace quorvane::cli {

namespace {

// A whole number in [low, high], written in decimal digits only.
std::optional<std::int64_t> count(std::string_view text, std::int64_t low, std::int64_t high) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text[0] == '-' || text[0] == '+' || error != std::errc() ||
        end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string> &arguments) {
    CommandLine result;
    bool help = false;
    bool version = false;
    bool toPgn = false;
    bool list = false;
    bool analyse = false;
    bool report = false;
    bool budget = false; // --nodes or --jobs given
    bool optionsEnded = false;
    auto wrong = [&result](std::string error) {
        result.action = CommandLine::Action::Wrong;
        result.error = std::move(error);
        return result;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        // --nodes N, --nodes=N, --jobs N, --jobs=N
        const bool nodes = argument == "--nodes" || argument.starts_with("--nodes=");
        const bool jobs = argument == "--jobs" || argument.starts_with("--jobs=");
        if (!optionsEnded && (nodes || jobs)) {
            const std::string name = nodes ? "--nodes" : "--jobs";
            std::string value;
            if (argument.size() > name.size()) {
                value = argument.substr(name.size() + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                return wrong(name + " needs a number.");
            }
            // A billion nodes takes an engine minutes a position; more is a typo.
            const auto number = nodes ? count(value, 1, 1'000'000'000) : count(value, 1, 256);
            if (!number)
                return wrong(nodes ? "--nodes takes a number of nodes from 1 to 1000000000, not '" + value + "'."
                                   : "--jobs takes a number of engines from 1 to 256, not '" + value + "'.");
            if (nodes)
                result.nodes = *number;
            else
                result.jobs = static_cast<int>(*number);
            budget = true;
            continue;
        }
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
        } else if (argument == "--analyse" || argument == "--analyze") {
            analyse = true;
        } else if (argument == "--report") {
            report = true;
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
    } else if (int(toPgn) + int(list) + int(analyse) + int(report) > 1) {
        return wrong("--to-pgn, --list, --analyse and --report go one at a time.");
    } else if (list) {
        result.action = CommandLine::Action::List;
        if (result.files.empty())
            return wrong("--list needs at least one FILE.");
        if (budget)
            return wrong("--nodes and --jobs go with --analyse or --report.");
    } else if (toPgn) {
        result.action = CommandLine::Action::ToPgn;
        if (result.files.empty())
            return wrong("--to-pgn needs at least one FILE.");
        if (budget)
            return wrong("--nodes and --jobs go with --analyse or --report.");
    } else if (analyse || report) {
        result.action = analyse ? CommandLine::Action::Analyse : CommandLine::Action::Report;
        if (result.files.empty())
            return wrong(std::string(analyse ? "--analyse" : "--report") + " needs at least one FILE.");
    } else if (budget) {
        return wrong("--nodes and --jobs go with --analyse or --report.");
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
           "       quorvane --analyse [--nodes N] [--jobs N] FILE...\n"
           "       quorvane --report [--nodes N] [--jobs N] FILE...\n"
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
           "  --analyse      Writes every game of each FILE (records, saved messages,\n"
           "                 mailboxes, PGN) as PGN with a chess engine's analysis:\n"
           "                 [%eval] after each move, ?! ? ?? on inaccuracies,\n"
           "                 mistakes and blunders, and the better line.\n"
           "  --report       Writes one line of JSON per game: the evaluations, best\n"
           "                 moves, judgements, and each side's accuracy, average\n"
           "                 centipawn loss and counts.\n"
           "  --nodes N      The engine's budget per position (default 100000).\n"
           "  --jobs N       Engine processes side by side (default: one per core).\n"
           "\n"
           "Environment:\n"
           "  QUORVANE_ENGINE  The UCI engine to use (default: stockfish).\n"
           "\n"
           "Arguments:\n"
           "  [FILE]         A PGN file (.pgn), a game record (.txt), or a saved\n"
           "                 message (.eml) or mailbox (.mbox) holding one, to open.\n";
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
