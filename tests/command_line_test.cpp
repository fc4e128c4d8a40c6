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
