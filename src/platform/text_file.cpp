#include "platform/text_file.h"

#include "platform/errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

// A user's words for an errno from opening or reading a file.
std::string UnreadableReason(int error) {
    if (error == ENOENT || error == ENOTDIR)
        return "no such file";
    if (error == EACCES || error == EPERM)
        return "permission denied";
    return std::string("cannot be read (") + std::strerror(error) + ")";
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// Reads through a fixed buffer, so a huge line costs only its own length.
class DiskTextStream : public TextStream {
public:
    DiskTextStream(int fd, const std::string &path, DiskFileSystem::ReadFunction read, std::int64_t size)
        : fd_(fd), path_(path), read_(read), size_on_open_(size) {}

    bool AtEndOfStream() override { return !fill(); }

    std::string ReadLine() override {
        std::string line;
        ReadLineInto(line);
        return line;
    }

    void ReadLineInto(std::string &line) override {
        if (!fill())
            throw PlatformError("Input past end of file: " + path_);
        // Most lines lie whole in the buffer: copied in one go.
        {
            const char *begin = buffer_ + pos_;
            const auto *lf =
                static_cast<const char *>(std::memchr(begin, '\n', static_cast<std::size_t>(size_ - pos_)));
            if (lf) {
                pos_ += static_cast<std::size_t>(lf - begin) + 1;
                const char *end = lf > begin && lf[-1] == '\r' ? lf - 1 : lf;
                line.assign(begin, end);
                return;
            }
        }
        line.clear();
        for (;;) {
            const char *begin = buffer_ + pos_;
            const char *end = buffer_ + size_;
            const auto *lf = static_cast<const char *>(std::memchr(begin, '\n', static_cast<std::size_t>(end - begin)));
            if (lf) {
                line.append(begin, lf);
                pos_ += static_cast<std::size_t>(lf - begin) + 1;
                break;
            }
            line.append(begin, end);
            pos_ = size_;
            // A line longer than the buffer may run on for megabytes: make room
            // for the rest of the file at once rather than growing step by step,
            // each step copying the line again.
            if (line.size() >= sizeof buffer_ && line.capacity() < line.size() + sizeof buffer_) {
                const std::int64_t unread = std::max<std::int64_t>(size_on_open_ - total_, 0);
                line.reserve(line.size() + static_cast<std::size_t>(std::min(unread, FileSystem::kMaxFileBytes)));
            }
            if (!fill())
                break;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    }

    void SkipLine() override {
        if (!fill())
            throw PlatformError("Input past end of file: " + path_);
        do {
            const char *begin = buffer_ + pos_;
            const auto *lf = static_cast<const char *>(std::memchr(begin, '\n', size_ - pos_));
            if (lf) {
                pos_ += static_cast<std::size_t>(lf - begin) + 1;
                return;
            }
            pos_ = size_;
        } while (fill());
    }

    // The bytes as they are, a buffer at a time.
    void ReadRest(std::string &out) override {
        out.reserve(out.size() + static_cast<std::size_t>(std::min(
                                     std::max<std::int64_t>(size_on_open_ - total_, 0), FileSystem::kMaxFileBytes)) +
                    sizeof buffer_);
        while (fill()) {
            out.append(buffer_ + pos_, size_ - pos_);
            pos_ = size_;
        }
    }

private:
    // Makes sure at least one unread byte is buffered; false at the end of the file.
    bool fill() {
        if (pos_ < size_)
            return true;
        if (eof_)
            return false;
        pos_ = size_ = 0;
        for (;;) {
            const ssize_t got = read_(fd_.get(), buffer_, sizeof buffer_);
            if (got > 0) {
                size_ = static_cast<std::size_t>(got);
                // A file that grows while it is read is held to the same limit.
                total_ += got;
                if (total_ > FileSystem::kMaxFileBytes)
                    throw PlatformError("File too large: " + path_, "too large");
                return true;
            }
            if (got == 0) {
                eof_ = true;
                return false;
            }
            // "Would block" is a failure like any other: waiting could take
            // forever (a kernel log, a device posing as a regular file).
            if (errno != EINTR)
                throw PlatformError("Cannot read " + path_ + ": " + std::strerror(errno), UnreadableReason(errno));
        }
    }

    FileDescriptor fd_;
    std::string path_;
    DiskFileSystem::ReadFunction read_;
    std::int64_t size_on_open_;
    char buffer_[64 * 1024];
    std::size_t pos_ = 0;
    std::size_t size_ = 0;
    bool eof_ = false;
    std::int64_t total_ = 0;
};

// Shares the text it reads: a record served under a path is opened for each
// pass over it, and a record of 64 MiB is not copied for each.
class MemoryTextStream : public TextStream {
public:
    explicit MemoryTextStream(std::shared_ptr<const std::string> text) : text_(std::move(text)) {}
    bool AtEndOfStream() override { return pos_ >= text_->size(); }
    std::string ReadLine() override {
        if (AtEndOfStream())
            throw PlatformError("Input past end of file");
        const std::string &text = *text_;
        std::size_t end = text.find('\n', pos_);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos)
            end = text.size();
        if (end > pos_ && text[end - 1] == '\r')
            --end;
        std::string line = text.substr(pos_, end - pos_);
        pos_ = next;
        return line;
    }

private:
    std::shared_ptr<const std::string> text_;
    std::size_t pos_ = 0;
};

} // namespace

std::unique_ptr<TextStream> OpenMemoryText(std::string text) {
    return std::make_unique<MemoryTextStream>(std::make_shared<const std::string>(std::move(text)));
}

OverlayFileSystem::OverlayFileSystem(std::unique_ptr<FileSystem> base, std::string path, std::string text)
    : base_(std::move(base)), path_(std::move(path)), text_(std::make_shared<const std::string>(std::move(text))) {}

std::unique_ptr<TextStream> OverlayFileSystem::OpenTextFile(const std::string &path) {
    if (path == path_)
        return std::make_unique<MemoryTextStream>(text_);
    if (!base_)
        throw PlatformError("Cannot open " + path);
    return base_->OpenTextFile(path);
}

std::unique_ptr<TextStream> DiskFileSystem::OpenTextFile(const std::string &path) {
    if (path.empty())
        throw PlatformError("Bad file name or number: empty path", "no such file");
    // Non-blocking for the whole read: opening a FIFO does not wait for a
    // writer, and a file that passes as regular but has no data ready (such as
    // /proc/kmsg) fails its read instead of hanging the program. fstat then
    // refuses anything that is not a regular file.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        throw PlatformError("Cannot open " + path + ": " + std::strerror(errno), UnreadableReason(errno));
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        throw PlatformError("Cannot open " + path + ": " + std::strerror(errno), UnreadableReason(errno));
    if (!S_ISREG(info.st_mode))
        throw PlatformError("Not a regular file: " + path, "not a regular file");
    if (info.st_size > kMaxFileBytes)
        throw PlatformError("File too large: " + path, "too large");
    return std::make_unique<DiskTextStream>(fd.release(), path, read_, static_cast<std::int64_t>(info.st_size));
}

std::string FileSystem::GetFileName(const std::string &path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace quorvane
