#include "platform/errors.h"
#include "platform/text_file.h"

#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;

class TextFileTest : public testing::ScratchDirTest {
protected:
    TextFileTest() : ScratchDirTest("text") {}

    std::vector<std::string> ReadAll(const std::string &path) {
        DiskFileSystem disk;
        auto stream = disk.OpenTextFile(path);
        std::vector<std::string> lines;
        while (!stream->AtEndOfStream())
            lines.push_back(stream->ReadLine());
        return lines;
    }
};

TEST_F(TextFileTest, LineEndsAreNotPartOfLines) {
    using V = std::vector<std::string>;
    const V expected{"a", "", "b c"};
    EXPECT_EQ(ReadAll(Write("lf.txt", "a\n\nb c")), expected);
    EXPECT_EQ(ReadAll(Write("lf-end.txt", "a\n\nb c\n")), expected);
    EXPECT_EQ(ReadAll(Write("crlf.txt", "a\r\n\r\nb c")), expected);
    EXPECT_EQ(ReadAll(Write("crlf-end.txt", "a\r\n\r\nb c\r\n")), expected);
    EXPECT_EQ(ReadAll(Write("empty.txt", "")), V{});
    EXPECT_EQ(ReadAll(Write("only-lf.txt", "\n")), V{""});
    // A lone CR does not end a line.
    EXPECT_EQ(ReadAll(Write("cr.txt", "a\rb\nc")), (V{"a\rb", "c"}));
    // Bytes are kept as they are, NUL and high bytes too.
    EXPECT_EQ(ReadAll(Write("bytes.txt", std::string("a\0\xe9", 3))), V{std::string("a\0\xe9", 3)});
}

TEST_F(TextFileTest, LongLinesCrossTheBuffer) {
    const std::string longLine(3 * 1024 * 1024 + 7, 'x');
    const auto lines = ReadAll(Write("long.txt", "a\n" + longLine + "\r\nb"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], longLine);
    EXPECT_EQ(lines[2], "b");

    // Skipping a line lands exactly where reading it would.
    DiskFileSystem disk;
    auto stream = disk.OpenTextFile(Write("skip.txt", "a\n" + longLine + "\r\nb\n\nc"));
    stream->SkipLine();
    stream->SkipLine();
    EXPECT_EQ(stream->ReadLine(), "b");
    stream->SkipLine();
    EXPECT_EQ(stream->ReadLine(), "c");
    EXPECT_TRUE(stream->AtEndOfStream());
    EXPECT_THROW(stream->SkipLine(), PlatformError);
}

TEST_F(TextFileTest, ReadingPastTheEndFails) {
    DiskFileSystem disk;
    auto stream = disk.OpenTextFile(Write("one.txt", "one\n"));
    EXPECT_EQ(stream->ReadLine(), "one");
    EXPECT_TRUE(stream->AtEndOfStream());
    EXPECT_THROW(stream->ReadLine(), PlatformError);
}

TEST_F(TextFileTest, WhatCannotBeOpenedFails) {
    DiskFileSystem disk;
    EXPECT_THROW(disk.OpenTextFile(""), PlatformError);
    EXPECT_THROW(disk.OpenTextFile((dir_ / "missing.txt").string()), PlatformError);
    EXPECT_FALSE(fs::exists(dir_ / "missing.txt")) << "opening must never create";
    EXPECT_THROW(disk.OpenTextFile(dir_.string()), PlatformError);
    EXPECT_THROW(disk.OpenTextFile("/dev/zero"), PlatformError);
    const auto fifo = (dir_ / "fifo.txt").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(disk.OpenTextFile(fifo), PlatformError); // and does not wait for a writer
    if (::geteuid() != 0) {
        const auto locked = Write("locked.txt", "x\n");
        fs::permissions(locked, fs::perms::none);
        EXPECT_THROW(disk.OpenTextFile(locked), PlatformError);
    }
}

TEST_F(TextFileTest, FilesOverTheLimitAreRefused) {
    DiskFileSystem disk;
    const auto big = Write("big.txt", "");
    fs::resize_file(big, FileSystem::kMaxFileBytes + 1); // sparse: costs no disk
    EXPECT_THROW(disk.OpenTextFile(big), PlatformError);
    fs::resize_file(big, FileSystem::kMaxFileBytes);
    EXPECT_NO_THROW(disk.OpenTextFile(big));
}

TEST_F(TextFileTest, PathsWithSpacesAndNonAsciiOpen) {
    EXPECT_EQ(ReadAll(Write("partie d\xc3\xa9j\xc3\xa0 jou\xc3\xa9\x65.txt", "x")), std::vector<std::string>{"x"});
}

TEST(FileName, IsThePartAfterTheLastSeparator) {
    EXPECT_EQ(FileSystem::GetFileName("/home/a/games/file1.txt"), "file1.txt");
    EXPECT_EQ(FileSystem::GetFileName("file1.txt"), "file1.txt");
    EXPECT_EQ(FileSystem::GetFileName("/home/a/"), "");
    EXPECT_EQ(FileSystem::GetFileName(""), "");
}

} // namespace
} // namespace quorvane
