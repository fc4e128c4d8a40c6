#include "cli/analyse.h"
#include "cli/command_line.h"
#include "cli/pgn_files.h"
#include "cli/to_pgn.h"
#include "game/module1.h"
#include "mail/gmime_parser.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// The window program: beside this one in a build tree, in libexec once installed.
std::string windowProgram() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    const fs::path folder = error ? fs::path(".") : self.parent_path();
    const fs::path beside = folder / "quorvane-window";
    if (fs::exists(beside, error))
        return beside.string();
    return (folder / QUORVANE_WINDOW_FROM_BIN).lexically_normal().string();
}

} // namespace

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
    case Action::List:
        std::ios::sync_with_stdio(false);
        {
            quorvane::mail::GMimeMessageParser mail;
            return quorvane::cli::listGames(command.files, std::cout, std::cerr, &mail);
        }
    case Action::Analyse:
    case Action::Report:
        std::ios::sync_with_stdio(false);
        {
            quorvane::mail::GMimeMessageParser mail;
            quorvane::cli::AnalyseOptions options;
            options.output = command.action == Action::Report ? quorvane::cli::AnalyseOptions::Output::Report
                                                              : quorvane::cli::AnalyseOptions::Output::AnnotatedPgn;
            options.nodes = command.nodes;
            options.jobs = command.jobs;
            return quorvane::cli::analyseFiles(command.files, options, std::cout, std::cerr, &mail);
        }
    case Action::Window:
        break;
    }

    // The window is a program of its own (quorvane-window, beside this one or
    // in libexec), so that the commands above never load the Qt libraries.
    const std::string window = windowProgram();
    ::execv(window.c_str(), argv);
    std::fprintf(stderr, "quorvane: cannot start %s: %s\n", window.c_str(), std::strerror(errno));
    return 127;
}
