// The program run from a shell with no display: the options that need no window,
// and the conversion to PGN with its standard error lines and exit statuses.

#include "cli/to_pgn.h"
#include "test_support.h"

#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string ReadFile(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class Program : public testing::ScratchDirTest {
protected:
    Program() : ScratchDirTest("cli") {}

    // Runs the built program with no display and the X11 platform asked for, so
    // that making any GUI application object would fail.
    Outcome Quorvane(const std::string &arguments) {
        const std::string command = "cd '" + dir_.string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY " +
                                    "QT_QPA_PLATFORM=xcb '" QUORVANE_BINARY "' " + arguments + " >out 2>err";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(dir_ / "out"), ReadFile(dir_ / "err")};
    }
};

std::size_t Count(const std::string &text, const std::string &what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST_F(Program, RunsWithoutADisplay) {
    Write("file1.txt", testing::ReadTestData("file1.txt"));
    Write("game_015.txt", testing::ReadTestData("game_015.txt"));
    Write("short.txt", "1\n2\n3\n");
    Write("illegal.txt", testing::MakeRecord({"1. e2-e4 e7-e5", "2. e4-e6 b8-c6", "3. g1-f3 g8-f6"}));
    struct Row {
        const char *name;
        std::string arguments;
        int status;
        std::size_t games;   // PGN games on standard output
        const char *outPart; // in standard output
        std::string err;     // standard error, whole; "?" for any non-empty text
    };
    const Row rows[] = {
        {"help", "--help", 0, 0, "--to-pgn", ""},
        {"version", "--version", 0, 0, "Quorvane " QUORVANE_VERSION "\n", ""},
        {"unknown option", "--flip", 1, 0, "", "Unknown option 'flip'.\n"},
        {"to-pgn without files", "--to-pgn", 1, 0, "", "?"},
        {"list without files", "--list", 1, 0, "", "?"},
        {"list and to-pgn at once", "--list --to-pgn file1.txt", 1, 0, "", "?"},
        {"two games in order", "--to-pgn file1.txt game_015.txt", 0, 2, "[Result ", ""},
        {"missing file", "--to-pgn missing.txt", 1, 0, "", "missing.txt: no such file\n"},
        {"not a record", "--to-pgn short.txt", 1, 0, "", "short.txt: fewer than 6 lines\n"},
        {"a folder", "--to-pgn .", 1, 0, "", ".: not a regular file\n"},
        {"illegal half-move", "--to-pgn illegal.txt", 1, 1, "[Result \"*\"]",
         "illegal.txt: half-move 3 (2. e4-e6): e4-e6 is not a legal move\n"},
        {"a bad record among good ones", "--to-pgn file1.txt missing.txt game_015.txt", 1, 2, "[Event ",
         "missing.txt: no such file\n"},
    };
    for (const Row &row : rows) {
        const Outcome run = Quorvane(row.arguments);
        EXPECT_EQ(run.status, row.status) << row.name << "\n" << run.err;
        EXPECT_EQ(Count(run.out, "[Event "), row.games) << row.name;
        EXPECT_NE(run.out.find(row.outPart), std::string::npos) << row.name << "\n" << run.out;
        if (row.err == "?")
            EXPECT_FALSE(run.err.empty()) << row.name;
        else
            EXPECT_EQ(run.err, row.err) << row.name;
    }
}

const char *const kDatabase = "[Event \"A\"]\n[White \"w1\"]\n[Black \"b1\"]\n[Result \"1-0\"]\n\n"
                              "1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7# 1-0\n\n"
                              "[Event \"B\"]\n[White \"w2\"]\n[Black \"b2\"]\n\n1. e4 e5 2. Ke3 *\n\n"
                              "[Event \"C\"]\n[Variant \"Atomic\"]\n\n1. e4 *\n";

TEST_F(Program, ReadsPgnFiles) {
    Write("db.pgn", kDatabase);
    Write("file1.txt", testing::ReadTestData("file1.txt"));
    const Outcome converted = Quorvane("--to-pgn db.pgn");
    EXPECT_EQ(converted.status, 1);
    EXPECT_EQ(Count(converted.out, "[Event "), 2u);
    EXPECT_EQ(converted.err, "db.pgn: game 2: half-move 3 (2. Ke3): Ke3 is not a legal move\n"
                             "db.pgn: game 3: not a standard chess game: Variant \"Atomic\"\n");
    EXPECT_NE(converted.out.find("[ECO \"C20\"]\n"), std::string::npos) << converted.out;
    EXPECT_NE(converted.out.find("\n1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7# 1-0\n"), std::string::npos);
    EXPECT_NE(converted.out.find("1. e4 e5 {half-move 3 (2. Ke3): Ke3 is not a legal move} *"), std::string::npos);

    // What it writes is PGN it reads back to the same text.
    Write("again.pgn", converted.out);
    const Outcome again = Quorvane("--to-pgn again.pgn");
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, converted.out);

    const Outcome listed = Quorvane("--list db.pgn file1.txt missing.pgn");
    EXPECT_EQ(listed.status, 1);
    EXPECT_EQ(listed.out, "db.pgn\t1\tw1\tb1\t1-0\t\tA\t\t7\n"
                          "db.pgn\t2\tw2\tb2\t\t\tB\t\t3\n"
                          "db.pgn\t3\t\t\t\t\tC\t\t1\n"
                          "file1.txt\t1\tknightowl_77\tquiet_bishop\t*\t2004.06.01\tYahoo! Chess Game\t\t60\n");
    EXPECT_EQ(listed.err, "missing.pgn: no such file\n");
}

TEST_F(Program, ConvertsRecordsInTheOrderGiven) {
    const std::string a = Write("a.txt", testing::ReadTestData("game_073.txt"));
    const std::string b = Write("b.txt", testing::ReadTestData("file1.txt"));
    std::ostringstream out, err, first, second;
    EXPECT_EQ(cli::convertToPgn({a, b, a}, out, err), 0);
    EXPECT_EQ(err.str(), "");
    cli::convertToPgn({a}, first, err);
    cli::convertToPgn({b}, second, err);
    EXPECT_EQ(out.str(), first.str() + second.str() + first.str());
    EXPECT_EQ(first.str().substr(first.str().size() - 2), "\n\n") << "each game ends with a blank line";
}

TEST(ReadRecords, GivesTheTokensTheWindowSteps) {
    for (const char *name : {"file1.txt", "game_032.txt", "game_118.txt"}) {
        testing::Harness h;
        const fs::path path = fs::temp_directory_path() / ("quorvane-tokens-" + std::to_string(::getpid()));
        std::ofstream(path, std::ios::binary) << testing::ReadTestData(name);
        h.Open("/games/x.txt", testing::ReadTestData(name));
        const cli::RecordsRead read = cli::readRecords(path.string());
        fs::remove(path);
        ASSERT_EQ(read.records.size(), 1u) << name;
        EXPECT_EQ(read.records[0].tokens, h.form.lstFieldsList.Items()) << name;
        EXPECT_EQ(read.records[0].headers.titleLine, h.module.strTitleLine) << name;
    }
}

} // namespace
} // namespace quorvane
