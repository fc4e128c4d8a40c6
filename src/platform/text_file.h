#pragma once
// Reading text files line by line. Text is single-byte and kept as the bytes of
// the file; whoever shows it decodes it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include <unistd.h>

namespace quorvane {

// A file opened for reading, positioned at its start. Closing happens when the
// stream is destroyed.
class TextStream {
public:
    virtual ~TextStream() = default;
    // True when no character is left.
    virtual bool AtEndOfStream() = 0;
    // The next line without its end. A line ends at LF, with or without a CR
    // before it; a final line end does not start another line. Reading past the
    // end raises PlatformError.
    virtual std::string ReadLine() = 0;
    // ReadLine into line, reusing its storage: for reading many lines in a row
    // without making a new text for each.
    virtual void ReadLineInto(std::string &line) { line = ReadLine(); }
    // Reads the next line and drops it: ReadLine without keeping the text.
    virtual void SkipLine() { ReadLine(); }
    // Appends the rest of the stream to out, each line followed by LF; a stream
    // may keep its line ends as the file has them. For reading a whole file at
    // once.
    virtual void ReadRest(std::string &out) {
        std::string line;
        while (!AtEndOfStream()) {
            ReadLineInto(line);
            out.append(line).append("\n");
        }
    }
};

class FileSystem {
public:
    // Files larger than this are refused: no record comes near it, and it keeps a
    // stray multi-gigabyte file from exhausting memory.
    static constexpr std::int64_t kMaxFileBytes = std::int64_t{64} * 1024 * 1024;

    virtual ~FileSystem() = default;
    // Opens for reading only and never creates. A missing path, an empty path,
    // anything that is not a regular file, no access and a file over
    // kMaxFileBytes raise PlatformError.
    virtual std::unique_ptr<TextStream> OpenTextFile(const std::string &path) = 0;
    // The part of a path after its last separator.
    static std::string GetFileName(const std::string &path);
};

// The real file system. Reads never wait: a read that would block fails.
class DiskFileSystem : public FileSystem {
public:
    // How bytes are read from an open descriptor; ::read unless a test stands in.
    using ReadFunction = ssize_t (*)(int fd, void *buffer, std::size_t count);

    explicit DiskFileSystem(ReadFunction read = &::read) : read_(read) {}
    std::unique_ptr<TextStream> OpenTextFile(const std::string &path) override;

private:
    ReadFunction read_;
};

// A stream over text held in memory, with the disk stream's line rules.
std::unique_ptr<TextStream> OpenMemoryText(std::string text);

// Serves one path from text held in memory and every other path from the file
// system beneath it. A record found inside an e-mail is read this way, under the
// message's own path, by the same reader as a record on disk.
class OverlayFileSystem : public FileSystem {
public:
    OverlayFileSystem(std::unique_ptr<FileSystem> base, std::string path, std::string text);
    std::unique_ptr<TextStream> OpenTextFile(const std::string &path) override;
    // Gives the file system beneath back; this one serves nothing afterwards.
    std::unique_ptr<FileSystem> TakeBase() { return std::move(base_); }

private:
    std::unique_ptr<FileSystem> base_;
    std::string path_;
    std::shared_ptr<const std::string> text_;
};

} // namespace quorvane
