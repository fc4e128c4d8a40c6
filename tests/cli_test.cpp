// The program run from a shell with no display: the options that need no window,
// and the conversion to PGN with its standard error lines and exit statuses.

#include "cli/command_line.h"
#include "cli/to_pgn.h"
#include "engine/review.h"
#include "engine/uci_client.h"
#include "test_support.h"

#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <poll.h>
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
    // environment: more NAME=VALUE words for env.
    Outcome Quorvane(const std::string &arguments, const std::string &environment = {}) {
        const std::string command = "cd '" + dir_.string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY " +
                                    "QT_QPA_PLATFORM=xcb " + environment + " '" QUORVANE_BINARY "' " + arguments +
                                    " >out 2>err";
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
        // The window needs a display: one line, not Qt's abort.
        {"the window with no display", "file1.txt", 1, 0, "", "no display: set DISPLAY, or use --to-pgn\n"},
        {"the window with no display, no file", "", 1, 0, "", "no display: set DISPLAY, or use --to-pgn\n"},
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

// Two PGN games (one set up with Black to move) and a record, spread over
// three scripted engines that answer in no set order with 10 cp per move
// number (5 more with Black to move, from the side to move). Their best move
// is always e2e4: where that is no legal move, there is no best move.
TEST_F(Program, AnalysesEveryGameOfEveryFileOnSeveralEngines) {
    Write("two.pgn", "[White \"A\"]\n[Black \"B\"]\n\n1. e4 e5 2. Nf3 *\n\n"
                     "[White \"C\"]\n[Black \"D\"]\n[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 9\"]\n\n"
                     "9... Kd7 10. e4 *\n");
    Write("file1.txt", testing::ReadTestData("file1.txt"));
    const std::string engine = "QUORVANE_ENGINE='" FAKE_UCI_PATH "' FAKE_UCI_MODE=random ";
    struct Row {
        const char *name;
        std::string arguments;
        std::vector<const char *> parts; // in standard output, in this order
    };
    const Row rows[] = {
        {"report",
         "--report --jobs 3 --nodes 1000 two.pgn file1.txt",
         {"{\"file\":\"two.pgn\",\"game\":1,\"white\":\"A\",\"black\":\"B\",\"white_starts\":true,\"plies\":3,"
          "\"evals\":[{\"cp\":10},{\"cp\":-15},{\"cp\":20},{\"cp\":-25}],\"best\":[\"e4\",null,null,null]",
          "{\"file\":\"two.pgn\",\"game\":2,\"white\":\"C\",\"black\":\"D\",\"white_starts\":false,\"plies\":2,"
          "\"evals\":[{\"cp\":-95},{\"cp\":100},{\"cp\":-105}]",
          "{\"file\":\"file1.txt\",\"game\":1,\"white\":\"knightowl_77\",\"black\":\"quiet_bishop\","
          "\"white_starts\":true,\"plies\":60,\"evals\":[{\"cp\":10},{\"cp\":-15},{\"cp\":20},{\"cp\":-25},"}},
        {"annotated PGN",
         "--analyse --jobs 2 --nodes 1000 two.pgn file1.txt",
         {"[White \"A\"]", "{[%eval 0.10,2]} 1. e4 {[%eval -0.15,2]}", "[White \"C\"]", "[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 9\"]",
          "[White \"knightowl_77\"]", "{[%eval 0.10,2]} 1. d4 {[%eval -0.15,2]}"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome run = Quorvane(row.arguments, engine);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        std::size_t at = 0;
        for (const char *part : row.parts) {
            const std::size_t found = run.out.find(part, at);
            ASSERT_NE(found, std::string::npos) << part << "\n" << run.out.substr(0, 3000);
            at = found;
        }
    }
    const Outcome report = Quorvane("--report two.pgn file1.txt", engine);
    EXPECT_EQ(Count(report.out, "\n"), 3u);
}

TEST_F(Program, AnalysisSaysWhatWentWrong) {
    Write("one.pgn", "1. e4 e5 *\n");
    struct Row {
        const char *name;
        std::string arguments;
        int status;
        std::size_t lines; // on standard output
        std::string err;
    };
    const Row rows[] = {
        {"no engine", "QUORVANE_ENGINE=/nonexistent/engine '" QUORVANE_BINARY "' --report one.pgn", 1, 1,
         "/nonexistent/engine: The chess engine could not be started: /nonexistent/engine\n"
         "/nonexistent/engine: The chess engine could not be started: /nonexistent/engine\n"
         "one.pgn: game 1: 3 of 3 positions not evaluated\n"},
        {"a missing file among good ones",
         "QUORVANE_ENGINE='" FAKE_UCI_PATH "' '" QUORVANE_BINARY "' --report --jobs 1 missing.pgn one.pgn", 1, 1,
         "missing.pgn: no such file\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        // The program is named in the arguments, after the environment.
        const std::string command = "cd '" + dir_.string() + "' && " + row.arguments + " >out 2>err";
        const int raw = std::system(command.c_str());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, row.status);
        EXPECT_EQ(Count(ReadFile(dir_ / "out"), "\n"), row.lines);
        EXPECT_EQ(ReadFile(dir_ / "err"), row.err);
    }
}

// The real engine at a small budget: a whole record, every position evaluated,
// and each side's figures those of the evaluations it printed.
TEST_F(Program, ReportsARealGameWithStockfish) {
    if (engine::locateEngine().empty())
        GTEST_SKIP() << "no chess engine installed";
    Write("file1.txt", testing::ReadTestData("file1.txt"));
    const Outcome run = Quorvane("--report --nodes 3000 file1.txt");
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(Count(run.out, "\n"), 1u);
    const std::string &line = run.out;
    EXPECT_NE(line.find("\"plies\":60,"), std::string::npos);
    std::vector<std::optional<engine::Score>> evals;
    const std::regex score("\\{\"(cp|mate)\":(-?[0-9]+)\\}");
    for (auto it = std::sregex_iterator(line.begin(), line.end(), score); it != std::sregex_iterator(); ++it) {
        const int n = std::stoi((*it)[2]);
        evals.push_back((*it)[1] == "cp" ? engine::Score{.centipawns = n}
                                         : engine::Score{.isMate = true, .mate = std::abs(n), .whiteMates = n > 0});
    }
    ASSERT_EQ(evals.size(), 61u);
    const engine::GameReview review = engine::reviewGame(evals, true);
    for (const bool white : {true, false}) {
        SCOPED_TRACE(white ? "white" : "black");
        const engine::SideReview &side = review.side(white);
        char expected[200];
        ASSERT_TRUE(side.accuracy && side.acpl);
        std::snprintf(expected, sizeof expected,
                      "\"%s_review\":{\"accuracy\":%.1f,\"acpl\":%.1f,\"inaccuracies\":%d,\"mistakes\":%d,\"blunders\":%d}",
                      white ? "white" : "black", *side.accuracy, *side.acpl, side.inaccuracies, side.mistakes,
                      side.blunders);
        EXPECT_NE(line.find(expected), std::string::npos) << expected << "\n" << line;
    }
    const std::size_t evalsAt = line.find("\"evals\":["), judgementsAt = line.find("\"judgements\":[");
    ASSERT_LT(evalsAt, judgementsAt);
    EXPECT_EQ(line.substr(evalsAt, judgementsAt - evalsAt).find("null"), std::string::npos)
        << "every position has its evaluation and best move";
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

// The window program, offscreen, until it has said one line on standard error
// (the record's failure, said while the "Invalid File" box is up) or 20 s pass.
std::string FirstErrorLine(const fs::path &dir, const std::vector<std::string> &arguments) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], 2);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        if (::chdir(dir.c_str()) != 0)
            ::_exit(126);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // Qt would say on standard error that it has none.
        const fs::path runtime = dir / "runtime";
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        std::vector<char *> argv{const_cast<char *>(QUORVANE_BINARY)};
        for (const std::string &argument : arguments)
            argv.push_back(const_cast<char *>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(QUORVANE_BINARY, argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd watch{pipeEnds[0], POLLIN, 0};
        if (::poll(&watch, 1, 200) <= 0)
            continue;
        char buffer[256];
        const ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        line.append(buffer, static_cast<std::size_t>(n));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(pipeEnds[0]);
    return line.substr(0, line.find('\n') + 1);
}

TEST_F(Program, TheWindowTakesNamesAsTheyAre) {
    Write("-reverse", "1\n2\n3\n");
    Write("caf\xE9.txt", "1\n2\n3\n");
    const struct {
        const char *name;
        std::vector<std::string> arguments;
        std::string line;
    } rows[] = {
        // Said while the box is up, not once it is closed (the test never closes it).
        {"a record that fails", {"missing.txt"}, "missing.txt: no such file\n"},
        {"a record named like a Qt option, after --", {"--", "-reverse"}, "-reverse: fewer than 6 lines\n"},
        {"a name that is no UTF-8", {"caf\xE9.txt"}, "caf\xE9.txt: fewer than 6 lines\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(FirstErrorLine(dir_, row.arguments), row.line);
    }
}

TEST(DisplayCheck, TheDesktopPlatformsNeedADisplay) {
    const struct {
        const char *name;
        std::vector<std::string> qtArguments;
        const char *platform, *display, *wayland;
        bool missing;
    } rows[] = {
        {"nothing set", {"quorvane"}, nullptr, nullptr, nullptr, true},
        {"empty DISPLAY", {"quorvane"}, nullptr, "", nullptr, true},
        {"X11 display", {"quorvane"}, nullptr, ":0", nullptr, false},
        {"Wayland display", {"quorvane"}, "wayland", nullptr, "wayland-0", false},
        {"xcb asked for", {"quorvane"}, "xcb", nullptr, nullptr, true},
        {"offscreen", {"quorvane"}, "offscreen", nullptr, nullptr, false},
        {"a list with offscreen", {"quorvane"}, "wayland;offscreen", nullptr, nullptr, false},
        {"a list of desktops", {"quorvane"}, "wayland;xcb", nullptr, nullptr, true},
        {"-platform given", {"quorvane", "-platform", "minimal"}, "xcb", nullptr, nullptr, false},
        {"minimal with options", {"quorvane"}, "minimal:enable_fonts", nullptr, nullptr, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(cli::missingDisplay(row.qtArguments, row.platform, row.display, row.wayland),
                  row.missing ? "no display: set DISPLAY, or use --to-pgn" : "");
    }
    EXPECT_EQ(cli::qtArgumentCount({"quorvane", "-reverse", "--", "-style", "x"}), 2);
    EXPECT_EQ(cli::qtArgumentCount({"quorvane", "file.txt"}), 2);
}

} // namespace
} // namespace quorvane
