// The program only reads: opening records and stepping through them, through the
// real window, leaves the records' folder and the working folder as they were.
// The folder is made read-only too, but tests often run as root, for whom that
// stops nothing; so every entry's size, times, mode and bytes are compared.

#include "platform/qt/qt_dialogs.h"
#include "ui_support.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;

struct EntryState {
    mode_t mode;
    off_t size;
    std::int64_t mtimeNs;
    std::int64_t ctimeNs; // moves on any write, rename or change of mode
    std::string bytes;
    bool operator==(const EntryState &) const = default;
};

std::map<std::string, EntryState> Survey(const fs::path &dir) {
    std::map<std::string, EntryState> entries;
    for (const auto &entry : fs::recursive_directory_iterator(dir)) {
        struct stat info {};
        if (::lstat(entry.path().c_str(), &info) != 0)
            continue;
        EntryState state{info.st_mode,
                         info.st_size,
                         std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec,
                         std::int64_t{info.st_ctim.tv_sec} * 1000000000 + info.st_ctim.tv_nsec,
                         {}};
        if (S_ISREG(info.st_mode)) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            state.bytes = bytes.str();
        }
        entries[fs::relative(entry.path(), dir).string()] = state;
    }
    struct stat info {};
    if (::stat(dir.c_str(), &info) == 0)
        entries["."] = {info.st_mode,
                        0,
                        std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec,
                        std::int64_t{info.st_ctim.tv_sec} * 1000000000 + info.st_ctim.tv_nsec,
                        {}};
    return entries;
}

class ReadOnly : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("quorvane-readonly-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        games_ = root_ / "games";
        work_ = root_ / "work";
        fs::create_directories(games_);
        fs::create_directories(work_);
        for (const char *name : {"file1.txt", "game_015.txt", "game_032.txt", "game_073.txt", "game_118.txt"}) {
            fs::copy_file(testing::TestDataPath(name), games_ / name);
            fs::permissions(games_ / name, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        }
        std::ofstream(games_ / "short.txt") << "1\n2\n3\n";
        fs::permissions(games_ / "short.txt", fs::perms::owner_read);
        fs::permissions(games_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
        // The working folder is where a stray relative path would land.
        previousDir_ = fs::current_path();
        fs::current_path(work_);
    }
    void TearDown() override {
        fs::current_path(previousDir_);
        std::error_code ignored;
        fs::permissions(games_, fs::perms::owner_all, ignored);
        fs::remove_all(root_, ignored);
    }

    fs::path root_, games_, work_, previousDir_;
};

TEST_F(ReadOnly, OpeningAndSteppingChangesNoFile) {
    const auto gamesBefore = Survey(games_);
    const auto workBefore = Survey(work_);
    ASSERT_EQ(gamesBefore.size(), 7u);
    // Let the file times tick, so that a rewrite with the same bytes would show.
    ::usleep(20000);

    testing::Window w;
    auto click = [&](const char *name) { QTest::mouseClick(w.button(name), Qt::LeftButton); };
    for (const char *name : {"file1.txt", "game_015.txt", "game_032.txt", "game_073.txt", "game_118.txt"}) {
        w.Open((games_ / name).string());
        ASSERT_GT(w.window.core().lstMoveList.ListCount(), 0) << name;
        for (int i = 0; i < 25; ++i)
            click("cmdNext");
        // Enter on the last line: the end of the game; then back down a little.
        w.list()->setCurrentIndex(w.list()->model()->index(w.list()->model()->rowCount() - 1, 0));
        QTest::keyClick(w.list(), Qt::Key_Return);
        EXPECT_GT(w.window.core().Position(), 25) << name;
        for (int i = 0; i < 10; ++i)
            click("cmdBack");
    }
    // A relative name, an invalid record and a folder: nothing is created either.
    w.Open("new-game.txt");
    w.Open((games_ / "short.txt").string());
    w.Open(games_.string());
    EXPECT_EQ(w.box.shown.size(), 3u);
    QApplication::processEvents();

    EXPECT_EQ(Survey(games_), gamesBefore);
    EXPECT_EQ(Survey(work_), workBefore);
    EXPECT_FALSE(fs::exists(work_ / "new-game.txt"));
}

// Qt's own file dialog (no desktop portal here) would keep its history in the
// user's settings when it closes.
TEST_F(ReadOnly, TheFileDialogsKeepNoState) {
    const fs::path config = std::getenv("XDG_CONFIG_HOME");
    ASSERT_FALSE(config.empty());
    ASSERT_TRUE(fs::is_empty(config));
    testing::Window w;
    // Cancels whatever modal dialog comes up next.
    auto cancelNext = [] {
        auto *timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, timer, [timer] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                dialog->reject();
                timer->deleteLater();
            }
        });
        timer->start(20);
    };
    QtFileDialog open(&w.window);
    open.InitDir = games_.string();
    open.Filter = "text files *.txt|*.txt";
    cancelNext();
    EXPECT_FALSE(open.ShowOpen());
    QtSaveDialog save(&w.window);
    cancelNext();
    EXPECT_FALSE(save.ShowSave("Save as PGN", (games_ / "file1.pgn").string(), "PGN files *.pgn|*.pgn"));
    QApplication::processEvents();
    EXPECT_TRUE(fs::is_empty(config));
    EXPECT_FALSE(fs::exists(work_ / "QtProject.conf"));
}

} // namespace
} // namespace quorvane
