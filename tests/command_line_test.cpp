// The command line as parsed before any window, and the reasons a record
// cannot be read, in the words the command line prints them.

#include "cli/command_line.h"
#include "game/module1.h"
#include "game/reader.h"

#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using Action = cli::CommandLine::Action;

TEST(CommandLine, ParsesEachForm) {
    struct Row {
        const char *name;
        std::vector<std::string> arguments;
        Action action;
        std::vector<std::string> files;
    };
    const Row rows[] = {
        {"nothing", {}, Action::Window, {}},
        {"one record", {"game.txt"}, Action::Window, {"game.txt"}},
        {"two records", {"a.txt", "b.txt"}, Action::Wrong, {"a.txt", "b.txt"}},
        {"help wins over everything", {"a.txt", "--to-pgn", "--help"}, Action::Help, {"a.txt"}},
        {"short help", {"-h"}, Action::Help, {}},
        {"version", {"--version"}, Action::Version, {}},
        {"short version", {"-v"}, Action::Version, {}},
        {"to-pgn before its files", {"--to-pgn", "a.txt", "b.txt"}, Action::ToPgn, {"a.txt", "b.txt"}},
        {"to-pgn after its files", {"a.txt", "--to-pgn", "b.txt"}, Action::ToPgn, {"a.txt", "b.txt"}},
        {"to-pgn without files", {"--to-pgn"}, Action::Wrong, {}},
        {"list", {"--list", "a.pgn", "b.txt"}, Action::List, {"a.pgn", "b.txt"}},
        {"list without files", {"--list"}, Action::Wrong, {}},
        {"list and to-pgn", {"--list", "--to-pgn", "a.pgn"}, Action::Wrong, {}},
        {"unknown option", {"--flip", "a.txt"}, Action::Wrong, {}},
        {"a file named like an option after --", {"--", "--help"}, Action::Window, {"--help"}},
        {"a lone dash is a file", {"-"}, Action::Window, {"-"}},
    };
    for (const Row &row : rows) {
        const auto command = cli::parseCommandLine(row.arguments);
        EXPECT_EQ(command.action, row.action) << row.name;
        if (command.action != Action::Wrong || !row.files.empty()) {
            EXPECT_EQ(command.files, row.files) << row.name;
        }
        EXPECT_EQ(command.error.empty(), row.action != Action::Wrong) << row.name;
    }
    EXPECT_NE(cli::helpText().find("--to-pgn"), std::string::npos);
    EXPECT_NE(cli::helpText().find("--list"), std::string::npos);
    EXPECT_NE(cli::helpText().find("--report"), std::string::npos);
}

TEST(CommandLine, ReadsTheEnginesBudget) {
    struct Row {
        const char *name;
        std::vector<std::string> arguments;
        Action action;
        std::int64_t nodes;
        int jobs;
        const char *error;
    };
    const Row rows[] = {
        {"analyse with the defaults", {"--analyse", "a.pgn"}, Action::Analyse, 100000, 0, ""},
        {"the other spelling", {"--analyze", "a.pgn"}, Action::Analyse, 100000, 0, ""},
        {"report with both, separate", {"--report", "--nodes", "5000", "--jobs", "3", "a.pgn"}, Action::Report, 5000, 3, ""},
        {"both with =", {"--nodes=1000000", "--jobs=8", "--report", "a.pgn"}, Action::Report, 1000000, 8, ""},
        {"no files", {"--analyse"}, Action::Wrong, 100000, 0, "--analyse needs at least one FILE."},
        {"nodes without a number", {"--report", "a.pgn", "--nodes"}, Action::Wrong, 100000, 0, "--nodes needs a number."},
        {"nodes not a number", {"--report", "--nodes", "many", "a.pgn"}, Action::Wrong, 100000, 0,
         "--nodes takes a number of nodes from 1 to 1000000000, not 'many'."},
        {"nodes zero", {"--report", "--nodes=0", "a.pgn"}, Action::Wrong, 100000, 0,
         "--nodes takes a number of nodes from 1 to 1000000000, not '0'."},
        {"nodes negative", {"--report", "--nodes", "-5", "a.pgn"}, Action::Wrong, 100000, 0,
         "--nodes takes a number of nodes from 1 to 1000000000, not '-5'."},
        {"nodes past int64", {"--report", "--nodes", "99999999999999999999", "a.pgn"}, Action::Wrong, 100000, 0,
         "--nodes takes a number of nodes from 1 to 1000000000, not '99999999999999999999'."},
        {"too many jobs", {"--report", "--jobs", "1000", "a.pgn"}, Action::Wrong, 100000, 0,
         "--jobs takes a number of engines from 1 to 256, not '1000'."},
        {"budget without analysis", {"--nodes", "10", "a.txt"}, Action::Wrong, 10, 0,
         "--nodes and --jobs go with --analyse or --report."},
        {"budget with to-pgn", {"--to-pgn", "--jobs", "2", "a.txt"}, Action::Wrong, 100000, 2,
         "--nodes and --jobs go with --analyse or --report."},
        {"two outputs", {"--analyse", "--report", "a.pgn"}, Action::Wrong, 100000, 0,
         "--to-pgn, --list, --analyse and --report go one at a time."},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto command = cli::parseCommandLine(row.arguments);
        EXPECT_EQ(command.action, row.action);
        EXPECT_EQ(command.error, row.error);
        if (command.action != Action::Wrong) {
            EXPECT_EQ(command.nodes, row.nodes);
            EXPECT_EQ(command.jobs, row.jobs);
            EXPECT_EQ(command.files, std::vector<std::string>{"a.pgn"});
        }
    }
    EXPECT_EQ(cli::parseCommandLine({"--flip"}).error, "Unknown option 'flip'.");
}

class CountFailure : public testing::ScratchDirTest {
protected:
    CountFailure() : ScratchDirTest("count") {}
};

std::string Lines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "1. e2-e4 e7-e5\n";
    return text;
}

TEST_F(CountFailure, SaysWhyInAUsersWords) {
    const std::string fifo = (dir_ / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string large = Write("large.txt", "");
    fs::resize_file(large, FileSystem::kMaxFileBytes + 1); // sparse: nothing is written
    struct Row {
        const char *name;
        std::string path;
        std::string reason;
    };
    const Row rows[] = {
        {"missing", (dir_ / "missing.txt").string(), "no such file"},
        {"under a missing folder", (dir_ / "none" / "a.txt").string(), "no such file"},
        {"empty path", "", "no such file"},
        {"folder", dir_.string(), "not a regular file"},
        {"fifo", fifo, "not a regular file"},
        {"too large", large, "too large"},
        {"five lines", Write("five.txt", Lines(5)), "fewer than 6 lines"},
        {"empty file", Write("empty.txt", ""), "fewer than 6 lines"},
        {"32,768 lines", Write("long.txt", Lines(32768)), "more than 32,767 lines"},
        {"32,767 lines", Write("longest.txt", Lines(32767)), ""},
        {"six lines", Write("six.txt", Lines(6)), ""},
    };
    for (const Row &row : rows) {
        Module1 m;
        m.strFileName = row.path;
        m.strCountFailure = "left from before";
        int resets = 0;
        CountMoveLines(m, [&resets] { ++resets; });
        EXPECT_EQ(m.strCountFailure, row.reason) << row.name;
        EXPECT_EQ(resets, row.reason.empty() ? 0 : 1) << row.name;
    }
}

} // namespace
} // namespace quorvane
