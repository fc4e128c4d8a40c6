// Files no one would choose on purpose, opened the way the user opens them:
// File > Open on the real disk. Whatever the bytes, the program must not crash
// or hang, and must end in one of the two outcomes a load has: a game on the
// board, or one "Invalid File" box and an empty window. A file that changes
// between the two reading passes ends the open quietly.

#include "platform/errors.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;

// Lines as the reader counts them: every LF ends one, and a last line without
// an LF counts too.
int CountLines(const std::string &bytes) {
    int lines = 0;
    for (char c : bytes)
        lines += c == '\n';
    if (!bytes.empty() && bytes.back() != '\n')
        ++lines;
    return lines;
}

// Kills the test run if an open does not come back: a hang must fail, not stall CI.
class Watchdog {
public:
    explicit Watchdog(unsigned seconds) { ::alarm(seconds); }
    ~Watchdog() { ::alarm(0); }
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;
};

// The main window's logic on the real file system.
struct DiskWindow {
    Module1 module;
    testing::ScriptedDialog dialog;
    testing::RecordingBox box;
    ChsMain form{module, dialog, box};

    DiskWindow() { form.Form_Initialize(); }

    void Open(const std::string &path) {
        Watchdog watchdog(30);
        dialog.answers.push_back(path);
        form.mnuOpen_Click();
    }

    void ExpectEmpty() const {
        EXPECT_EQ(form.lstMoveList.ListCount(), 0);
        EXPECT_EQ(form.lstFieldsList.ListCount(), 0);
        EXPECT_EQ(testing::Snapshot(form), testing::StartSnapshot());
        for (const Label *label : {&form.lblDate, &form.lblBlackPlayer, &form.lblWhitePlayer, &form.lblFileName})
            EXPECT_EQ(label->Caption, "");
        EXPECT_TRUE(form.Status) << "ready for the next open";
    }

    void ExpectInvalidFile() const {
        ASSERT_EQ(box.shown.size(), 1u);
        EXPECT_EQ(box.shown[0].text, "File not valid.\r\nView Help on loading procedure.");
        EXPECT_EQ(box.shown[0].style, vbCritical);
        EXPECT_EQ(box.shown[0].title, std::optional<std::string>("Invalid File"));
        ExpectEmpty();
    }

    // A load that worked: one list line per move line, two half-moves each.
    void ExpectLoaded(int lines, const std::string &fileName) const {
        EXPECT_TRUE(box.shown.empty());
        ASSERT_EQ(form.lstMoveList.ListCount(), lines - 5);
        EXPECT_EQ(form.lstFieldsList.ListCount(), 2 * form.lstMoveList.ListCount());
        EXPECT_EQ(form.FieldsPosition, std::optional<std::int64_t>(0));
        EXPECT_EQ(form.lblFileName.Caption, fileName);
        EXPECT_TRUE(form.Status);
    }

    // Next to the end (or as far as the half-moves can be played), a jump to the
    // last line, and back to the start.
    void StepThrough() {
        const std::int64_t count = form.lstFieldsList.ListCount();
        for (std::int64_t i = 0; i < count; ++i)
            form.cmdNext_Click();
        ASSERT_LE(form.Position(), count);
        if (form.lstMoveList.ListCount() > 0) {
            form.lstMoveList.SetListIndex(form.lstMoveList.ListCount() - 1);
            form.lstMoveList_DblClick();
            ASSERT_LE(form.Position(), count);
        }
        while (form.Position() > 0)
            form.cmdBack_Click();
    }
};

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("quorvane-hostile-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    std::string Write(const std::string &name, const std::string &bytes) {
        const auto path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    fs::path dir_;
};

TEST_F(HostileFiles, BinaryGarbageWithEnoughLinesLoadsAndStepsSafely) {
    std::mt19937 random(20240601);
    for (int round = 0; round < 8; ++round) {
        std::string bytes(4096 + 997 * round, '\0');
        for (char &c : bytes)
            c = static_cast<char>(random() & 0xff);
        // Denser line ends in some rounds, so that short and long lines both occur.
        for (std::size_t i = 0; i < bytes.size(); i += 7 + round * 13)
            bytes[i] = '\n';
        const int lines = CountLines(bytes);
        ASSERT_GE(lines, 6);
        DiskWindow w;
        w.Open(Write("garbage.txt", bytes));
        w.ExpectLoaded(lines, "garbage.txt");
        w.StepThrough();
        EXPECT_EQ(w.form.Position(), 0);
    }
}

TEST_F(HostileFiles, NulBytesAreKeptAndDoNotEndLinesOrTexts) {
    std::string record = testing::MakeRecord({"1. e2-e4 e7-e5", "2. g1-f3 b8-c6"});
    // A NUL inside a player name, another after a half-move.
    record.insert(record.find("w\n") + 1, std::string("\0nul", 4));
    record.insert(record.find("e7-e5") + 5, std::string(1, '\0'));
    DiskWindow w;
    w.Open(Write("nul.txt", record));
    w.ExpectLoaded(7, "nul.txt");
    EXPECT_EQ(w.form.lblWhitePlayer.Caption, std::string("White: w\0nul", 12));
    EXPECT_EQ(w.form.lstFieldsList.List(1), std::string("e7-e5\0", 6));
    w.form.cmdNext_Click();
    w.form.cmdNext_Click();
    EXPECT_EQ(w.form.Position(), 2) << "the NUL lies after the squares and is not looked at";
    EXPECT_EQ(w.form.Image1[20].Tag, "e5");

    // NULs and no line end at all: one line.
    DiskWindow nuls;
    nuls.Open(Write("zeros.txt", std::string(100000, '\0')));
    nuls.ExpectInvalidFile();
}

TEST_F(HostileFiles, LoneCarriageReturnsDoNotEndLines) {
    std::string record = testing::MakeRecord({"1. e2-e4 e7-e5", "2. g1-f3 b8-c6", "3. f1-c4 f8-c5"});
    for (char &c : record)
        if (c == '\n')
            c = '\r';
    DiskWindow w;
    w.Open(Write("old-mac.txt", record));
    w.ExpectInvalidFile();
}

TEST_F(HostileFiles, ALineOfSeveralMegabytes) {
    const std::string huge(6 * 1024 * 1024, 'q');
    {
        // In a move line: one entry holds it whole; it names no square, so Next
        // stops before it.
        DiskWindow w;
        w.Open(Write("long-move.txt", testing::MakeRecord({"1. e2-e4 e7-e5", "2. " + huge + " b8-c6"})));
        w.ExpectLoaded(7, "long-move.txt");
        EXPECT_EQ(w.form.lstMoveList.List(1), "2. " + huge + " b8-c6");
        EXPECT_EQ(w.form.lstFieldsList.List(2), huge);
        w.StepThrough();
        EXPECT_EQ(testing::Snapshot(w.form), testing::StartSnapshot());
    }
    {
        DiskWindow w;
        w.Open(Write("long-name.txt", testing::MakeRecord({"1. e2-e4 e7-e5"}, "White: " + huge)));
        w.ExpectLoaded(6, "long-name.txt");
        EXPECT_EQ(w.form.lblWhitePlayer.Caption.size(), huge.size() + 7);
    }
    {
        // A single huge line is still one line.
        DiskWindow w;
        w.Open(Write("one-line.txt", huge + "\n"));
        w.ExpectInvalidFile();
    }
}

TEST_F(HostileFiles, OneByteOverTheSizeLimitIsInvalid) {
    const auto path = Write("big.txt", "");
    fs::resize_file(path, static_cast<std::uintmax_t>(FileSystem::kMaxFileBytes) + 1); // sparse
    DiskWindow w;
    w.Open(path);
    w.ExpectInvalidFile();
}

TEST_F(HostileFiles, WhatIsNotARegularFileIsInvalid) {
    const auto fifo = (dir_ / "pipe.txt").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto folder = (dir_ / "folder.txt").string();
    fs::create_directory(folder);
    for (const std::string &path : {folder, fifo, std::string("/dev/zero"), std::string("/dev/null")}) {
        SCOPED_TRACE(path);
        DiskWindow w;
        w.Open(path); // the FIFO has no writer: opening must not wait for one
        w.ExpectInvalidFile();
    }
}

TEST_F(HostileFiles, AFailedOpenAfterAGameEmptiesTheWindow) {
    DiskWindow w;
    w.Open(Write("file1.txt", testing::ReadTestData("file1.txt")));
    ASSERT_EQ(w.form.lstMoveList.ListCount(), 30);
    for (int i = 0; i < 9; ++i)
        w.form.cmdNext_Click();
    w.Open("/dev/zero");
    w.ExpectInvalidFile();
    EXPECT_EQ(w.form.Position(), 9) << "the count stays; Next does nothing and Back only counts";
}

// Serves the real file on the first open; before the second (the reading pass)
// it changes the file on disk as given.
class ChangingFileSystem : public FileSystem {
public:
    explicit ChangingFileSystem(std::function<void(const std::string &)> change) : change_(std::move(change)) {}
    std::unique_ptr<TextStream> OpenTextFile(const std::string &path) override {
        if (++opens == 2)
            change_(path);
        return disk_.OpenTextFile(path);
    }
    int opens = 0;

private:
    DiskFileSystem disk_;
    std::function<void(const std::string &)> change_;
};

TEST_F(HostileFiles, AFileChangedBetweenThePassesEndsQuietly) {
    const std::string record = testing::ReadTestData("file1.txt");
    struct Case {
        const char *name;
        std::function<void(const std::string &)> change;
    };
    const Case cases[] = {
        {"removed", [](const std::string &path) { fs::remove(path); }},
        {"shortened", [](const std::string &path) { fs::resize_file(path, 200); }},
        {"emptied", [](const std::string &path) { fs::resize_file(path, 0); }},
        {"one line less",
         [&record](const std::string &path) {
             std::ofstream(path, std::ios::binary | std::ios::trunc) << record.substr(0, record.rfind("\n30."));
         }},
        {"replaced by a folder",
         [](const std::string &path) {
             fs::remove(path);
             fs::create_directory(path);
         }},
        {"replaced by a FIFO",
         [](const std::string &path) {
             fs::remove(path);
             ::mkfifo(path.c_str(), 0600);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir_ / "file1.txt");
        const auto path = Write("file1.txt", record);
        DiskWindow w;
        // A game on the board first: the failed open must still empty the window.
        w.Open(Write("first.txt", testing::ReadTestData("game_073.txt")));
        w.form.cmdNext_Click();
        auto *files = new ChangingFileSystem(c.change);
        w.module.objFileSystem.reset(files);
        w.Open(path);
        EXPECT_EQ(files->opens, 2);
        EXPECT_TRUE(w.box.shown.empty()) << "no message: the count had found the file valid";
        w.ExpectEmpty();
        EXPECT_EQ(w.form.Position(), 1);
    }
}

// A descriptor that passes as a regular file but has no data ready, as
// /proc/kmsg does for root. Reads succeed until the given read call, which
// reports "would block"; every read checks that the descriptor stayed
// non-blocking, since a blocking one would have hung instead.
struct WouldBlock {
    static inline int failingCall = 0;
    static inline int calls = 0;
    static inline bool sawBlocking = false;
    static ssize_t Read(int fd, void *buffer, std::size_t count) {
        if ((::fcntl(fd, F_GETFL) & O_NONBLOCK) == 0)
            sawBlocking = true;
        if (++calls == failingCall) {
            errno = EAGAIN;
            return -1;
        }
        return ::read(fd, buffer, count);
    }
};

TEST_F(HostileFiles, AReadThatWouldBlockFailsThePassItHappensIn) {
    const auto path = Write("file1.txt", testing::ReadTestData("file1.txt"));
    // file1.txt fits one buffer: each pass reads it, then reads its end.
    struct Case {
        const char *name;
        int failingCall;
        bool invalidFileBox;
    };
    for (const Case c : {Case{"first read of the count", 1, true}, Case{"end test of the count", 2, true},
                         Case{"first read of the reading pass", 3, false}}) {
        SCOPED_TRACE(c.name);
        WouldBlock::failingCall = c.failingCall;
        WouldBlock::calls = 0;
        WouldBlock::sawBlocking = false;
        DiskWindow w;
        w.module.objFileSystem = std::make_unique<DiskFileSystem>(&WouldBlock::Read);
        w.Open(path);
        if (c.invalidFileBox) {
            w.ExpectInvalidFile();
        } else {
            EXPECT_TRUE(w.box.shown.empty()) << "a failed reading pass ends the open quietly";
            w.ExpectEmpty();
        }
        EXPECT_FALSE(WouldBlock::sawBlocking);
    }
}

TEST_F(HostileFiles, AFileGrownBetweenThePassesGivesTheLinesCounted) {
    const std::string record = testing::ReadTestData("file1.txt");
    const auto path = Write("file1.txt", record);
    DiskWindow w;
    w.module.objFileSystem = std::make_unique<ChangingFileSystem>([](const std::string &grown) {
        std::ofstream(grown, std::ios::binary | std::ios::app) << "\n31. a2-a3 a7-a6\n32. b2-b3 b7-b6\n";
    });
    w.Open(path);
    w.ExpectLoaded(CountLines(record), "file1.txt");
    EXPECT_EQ(w.form.lstMoveList.List(29), "30. f4-d3 d8xd3");
}

TEST_F(HostileFiles, PathsWithSpacesAndNonAsciiCharacters) {
    const std::string folder = "parties d\xc3\xa9j\xc3\xa0 jou\xc3\xa9\x65s";
    fs::create_directories(dir_ / folder);
    const std::string name = "partie n\xc2\xb0 1 \xe2\x99\x9e.txt";
    const std::string record = testing::ReadTestData("file1.txt");
    const auto path = Write(folder + "/" + name, record);
    DiskWindow w;
    w.Open(path);
    w.ExpectLoaded(CountLines(record), name);
    EXPECT_EQ(w.module.strFileName, path);
    w.StepThrough();
    EXPECT_EQ(testing::Snapshot(w.form), testing::StartSnapshot());
}

} // namespace
} // namespace quorvane
