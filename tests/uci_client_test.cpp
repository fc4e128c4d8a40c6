// The core's engine client against the scripted fake engine, in the ways an
// untrusted engine goes wrong: a search that never ends, a line that never
// ends, a flood of output, and processes left behind when this process is
// killed or the engine is a shell script that does not exec.
#include "engine/uci_client.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace quorvane::engine {
namespace {

using Clock = std::chrono::steady_clock;
const std::string kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const std::string kLater = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 7";

struct Recorder : UciClient::Listener {
    int readies = 0;
    std::vector<std::pair<int, int>> infos; // search id, centipawns
    std::vector<int> bestMoves;
    std::vector<std::string> failures;
    void ready() override { ++readies; }
    void info(int id, const UciInfo &info) override { infos.emplace_back(id, info.scoreCp.value_or(-1)); }
    void bestMove(int id, const std::string &) override { bestMoves.push_back(id); }
    void failed(const std::string &message) override { failures.push_back(message); }
};

// Runs the client's events until done() or the time is up; true when done.
template <typename Done> bool runUntil(UciClient &client, Done done, int ms = 5000) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (Clock::now() >= until)
            return false;
        client.waitForEvents(20);
    }
    return true;
}

// Processes of a process group that are still running (zombies do not count).
int liveInGroup(pid_t group) {
    int live = 0;
    for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string text;
        if (!std::getline(stat, text))
            continue;
        // pid (comm) state ppid pgrp ...: comm may hold spaces, so read after ')'.
        const std::size_t close = text.rfind(')');
        if (close == std::string::npos)
            continue;
        char state = 0;
        long ppid = 0, pgrp = 0;
        if (std::sscanf(text.c_str() + close + 1, " %c %ld %ld", &state, &ppid, &pgrp) == 3 && pgrp == group &&
            state != 'Z' && state != 'X')
            ++live;
    }
    return live;
}

bool groupGone(pid_t group, int ms = 3000) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (liveInGroup(group) > 0) {
        if (Clock::now() >= until)
            return false;
        ::usleep(20000);
    }
    return true;
}

class UciClientTest : public testing::ScratchDirTest {
protected:
    UciClientTest() : ScratchDirTest("uci-client") {}
    void SetUp() override {
        ScratchDirTest::SetUp();
        ::setenv("FAKE_UCI_LOG", (dir_ / "commands.log").c_str(), 1);
    }
    static void mode(const char *name) { ::setenv("FAKE_UCI_MODE", name, 1); }
    // A shell script that runs the fake engine as its child, without exec.
    std::string wrapper() {
        const std::string path = Write("engine.sh", "#!/bin/sh\n'" FAKE_UCI_PATH "'\nexit $?\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }
};

TEST_F(UciClientTest, SearchesAndReportsWithTheSearchId) {
    mode("normal");
    Recorder events;
    UciClient client(FAKE_UCI_PATH, {}, events);
    client.start();
    ASSERT_TRUE(runUntil(client, [&] { return events.readies == 1; }));
    const int id = client.analyse(kLater, 1000);
    ASSERT_TRUE(runUntil(client, [&] { return !events.bestMoves.empty(); }));
    EXPECT_EQ(events.bestMoves, std::vector<int>{id});
    // The fake scores 10 cp per move number: position kLater is move 7.
    ASSERT_FALSE(events.infos.empty());
    for (const auto &[infoId, cp] : events.infos) {
        EXPECT_EQ(infoId, id);
        EXPECT_EQ(cp, 70);
    }
    EXPECT_EQ(client.state(), UciClient::State::Ready);
    EXPECT_TRUE(events.failures.empty());
}

// A search with a node budget that never sends bestmove is failed after a time
// that follows from the budget, with the same words as a hung isready, and the
// engine starts again on Restart.
TEST_F(UciClientTest, WatchdogFailsASearchThatNeverEnds) {
    struct Row {
        const char *name;
        std::int64_t nodes;
        int boundMs; // 200 ms to answer, then 0.1 ms a node
    };
    for (const Row &row : {Row{"3,000 nodes", 3000, 500}, Row{"12,000 nodes", 12000, 1400}}) {
        SCOPED_TRACE(row.name);
        mode("nobestmove");
        Recorder events;
        UciClient client(FAKE_UCI_PATH, {.replyTimeoutMs = 200, .msPerNode = 0.1}, events);
        client.start();
        ASSERT_TRUE(runUntil(client, [&] { return events.readies == 1; }));
        const pid_t group = client.processId();
        const auto searched = Clock::now();
        client.analyse(kStart, row.nodes);
        ASSERT_TRUE(runUntil(client, [&] { return !events.failures.empty(); }));
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - searched).count();
        EXPECT_GE(waited, row.boundMs - 20);
        EXPECT_LT(waited, row.boundMs + 1500);
        EXPECT_FALSE(events.infos.empty()); // it did search
        EXPECT_EQ(events.failures, std::vector<std::string>{UciClient::kNoAnswer});
        EXPECT_EQ(client.state(), UciClient::State::Failed);
        EXPECT_TRUE(groupGone(group));

        mode("normal");
        client.analyse(kLater, 1000);
        client.restart();
        ASSERT_TRUE(runUntil(client, [&] { return !events.bestMoves.empty(); }));
        EXPECT_EQ(events.readies, 2);
    }
}

// 2 MiB without a line end: the engine is failed once the line passes 1 MiB,
// and what it wrote is not kept.
TEST_F(UciClientTest, FailsALineWithoutAnEnd) {
    mode("longline");
    Recorder events;
    UciClient client(FAKE_UCI_PATH, {}, events);
    client.start();
    ASSERT_TRUE(runUntil(client, [&] { return events.readies == 1; }));
    const pid_t group = client.processId();
    client.analyse(kStart);
    ASSERT_TRUE(runUntil(client, [&] { return !events.failures.empty(); }));
    EXPECT_EQ(events.failures, std::vector<std::string>{UciClient::kLongLine});
    EXPECT_TRUE(events.infos.empty());
    EXPECT_TRUE(groupGone(group));
}

// A flood of info lines: every call returns after a bounded amount of reading,
// and the search still stops on request.
TEST_F(UciClientTest, AFloodOfInfoLinesNeitherHoldsTheCallerNorStopsTheStop) {
    mode("flood");
    Recorder events;
    UciClient client(FAKE_UCI_PATH, {}, events);
    client.start();
    ASSERT_TRUE(runUntil(client, [&] { return events.readies == 1; }));
    const int id = client.analyse(kLater);
    ASSERT_TRUE(runUntil(client, [&] { return events.infos.size() > 20000; }));
    long longestMs = 0;
    for (int i = 0; i < 50; ++i) {
        const auto before = Clock::now();
        client.waitForEvents(0);
        longestMs = std::max<long>(
            longestMs, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - before).count());
    }
    EXPECT_LT(longestMs, 250); // one call reads at most 1 MiB
    client.stop();
    ASSERT_TRUE(runUntil(client, [&] { return client.state() == UciClient::State::Ready; }));
    EXPECT_TRUE(events.failures.empty());
    EXPECT_TRUE(events.bestMoves.empty()); // a stopped search reports none
    for (const auto &[infoId, cp] : events.infos)
        ASSERT_EQ(infoId, id);
}

TEST_F(UciClientTest, SaysWhenTheProgramCannotBeStarted) {
    Recorder events;
    UciClient client("/nonexistent/engine", {}, events);
    client.start();
    EXPECT_EQ(events.failures, std::vector<std::string>{"The chess engine could not be started: /nonexistent/engine"});
    EXPECT_EQ(client.state(), UciClient::State::Failed);
    EXPECT_GT(client.analyse(kStart), 0); // asking again neither crashes nor blocks
}

// Stopping the engine ends every process of its group, whether the engine ends
// on quit or not, and whether it runs under a shell that did not exec.
TEST_F(UciClientTest, ShutdownLeavesNoProcessOfTheGroup) {
    struct Row {
        const char *name;
        const char *mode;
        bool wrapped;
    };
    for (const Row &row : {Row{"quits", "normal", false}, Row{"ignores quit", "ignorequit", false},
                           Row{"wrapped, quits", "normal", true}, Row{"wrapped, ignores quit", "ignorequit", true}}) {
        SCOPED_TRACE(row.name);
        mode(row.mode);
        Recorder events;
        auto client =
            std::make_unique<UciClient>(row.wrapped ? wrapper() : FAKE_UCI_PATH, UciClient::Options{.quitTimeoutMs = 200}, events);
        client->start();
        ASSERT_TRUE(runUntil(*client, [&] { return events.readies == 1; }));
        client->analyse(kStart);
        ASSERT_TRUE(runUntil(*client, [&] { return !events.infos.empty(); }));
        const pid_t group = client->processId();
        EXPECT_GE(liveInGroup(group), row.wrapped ? 3 : 2); // watcher, (shell,) engine
        client.reset();
        EXPECT_TRUE(groupGone(group, 1000));
    }
}

// kill -9 of the program that started the engine: its engine goes too, also
// when a shell wrapper stands between them and the engine ignores the end of
// its input.
TEST_F(UciClientTest, KillingTheParentLeavesNoEngine) {
    for (const bool wrapped : {false, true}) {
        SCOPED_TRACE(wrapped ? "under a shell wrapper" : "the engine itself");
        mode("ignorequit");
        const std::string program = wrapped ? wrapper() : FAKE_UCI_PATH;
        int report[2];
        ASSERT_EQ(::pipe(report), 0);
        const pid_t parent = ::fork();
        ASSERT_GE(parent, 0);
        if (parent == 0) {
            ::close(report[0]);
            Recorder events;
            UciClient client(program, {}, events);
            client.start();
            if (!runUntil(client, [&] { return events.readies == 1; }))
                ::_exit(2);
            client.analyse(kStart);
            if (!runUntil(client, [&] { return !events.infos.empty(); }))
                ::_exit(3);
            const pid_t group = client.processId();
            [[maybe_unused]] auto written = ::write(report[1], &group, sizeof group);
            for (;;)
                ::pause();
        }
        ::close(report[1]);
        pid_t group = 0;
        ASSERT_EQ(::read(report[0], &group, sizeof group), static_cast<ssize_t>(sizeof group));
        ::close(report[0]);
        EXPECT_GE(liveInGroup(group), wrapped ? 3 : 2);
        ::kill(parent, SIGKILL);
        ::waitpid(parent, nullptr, 0);
        EXPECT_TRUE(groupGone(group));
    }
}

TEST(LocateEngine, TakesTheEnvironmentFirst) {
    const char *saved = std::getenv("QUORVANE_ENGINE");
    const std::string keep = saved ? saved : "";
    ::setenv("QUORVANE_ENGINE", "/some/where/engine", 1);
    EXPECT_EQ(locateEngine(), "/some/where/engine");
    ::setenv("QUORVANE_ENGINE", "sh", 1);
    const std::string sh = locateEngine();
    EXPECT_TRUE(sh.size() > 3 && sh.substr(sh.size() - 3) == "/sh") << sh;
    if (saved)
        ::setenv("QUORVANE_ENGINE", keep.c_str(), 1);
    else
        ::unsetenv("QUORVANE_ENGINE");
}

} // namespace
} // namespace quorvane::engine
