// Writing the saved file: the replace is atomic, and what stood at the path (a
// link, a private file's mode, a name as long as the folder allows) survives it.

#include "logic/game_export.h"
#include "platform/errors.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace quorvane {
namespace {

namespace fs = std::filesystem;

class WriteFile : public testing::ScratchDirTest {
protected:
    WriteFile() : ScratchDirTest("save") {}

    std::string Read(const fs::path &path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    mode_t Mode(const fs::path &path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_mode & 07777;
    }
    // Every name in the folder, so that a temporary file left behind shows.
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(dir_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(WriteFile, ALinkStaysALinkAndItsTargetIsWritten) {
    const struct {
        const char *name;
        std::string link;   // what the link at game.pgn says
        std::string target; // the file written
    } rows[] = {
        {"relative link", "real.pgn", "real.pgn"},
        {"absolute link", (dir_ / "real.pgn").string(), "real.pgn"},
        {"link to a link", "middle.pgn", "real.pgn"},
        {"link to nowhere yet", "new.pgn", "new.pgn"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        for (const auto &entry : fs::directory_iterator(dir_))
            fs::remove(entry.path());
        Write("real.pgn", "old");
        fs::create_symlink("real.pgn", dir_ / "middle.pgn");
        fs::create_symlink(row.link, dir_ / "game.pgn");
        WriteFileWhole((dir_ / "game.pgn").string(), "new game");
        EXPECT_TRUE(fs::is_symlink(dir_ / "game.pgn"));
        EXPECT_EQ(fs::read_symlink(dir_ / "game.pgn").string(), row.link);
        EXPECT_EQ(Read(dir_ / row.target), "new game");
        EXPECT_EQ(Read(dir_ / "game.pgn"), "new game");
    }
}

TEST_F(WriteFile, AReplacedFileKeepsItsMode) {
    for (const mode_t mode : {0600, 0640, 0444, 0755}) {
        SCOPED_TRACE(mode);
        const std::string path = Write("game.pgn", "old");
        fs::permissions(path, static_cast<fs::perms>(mode));
        WriteFileWhole(path, "new");
        EXPECT_EQ(Mode(path), mode);
        EXPECT_EQ(Read(path), "new");
    }
    // A new file is an ordinary document.
    const mode_t mask = ::umask(022);
    WriteFileWhole((dir_ / "fresh.pgn").string(), "x");
    ::umask(mask);
    EXPECT_EQ(Mode(dir_ / "fresh.pgn"), 0644u);
    EXPECT_EQ(Names(), (std::vector<std::string>{"fresh.pgn", "game.pgn"}));
}

TEST_F(WriteFile, TheLongestNameTheFolderAllows) {
    for (const std::size_t length : {std::size_t{249}, std::size_t{255}}) {
        SCOPED_TRACE(length);
        const std::string name = std::string(length - 4, 'g') + ".pgn";
        WriteFileWhole((dir_ / name).string(), "game");
        EXPECT_EQ(Read(dir_ / name), "game");
        fs::remove(dir_ / name);
    }
    EXPECT_TRUE(Names().empty());
    // One character more is the file system's own refusal, and nothing is left.
    EXPECT_THROW(WriteFileWhole((dir_ / std::string(256, 'g')).string(), "game"), PlatformError);
    EXPECT_TRUE(Names().empty());
}

} // namespace
} // namespace quorvane
