#pragma once
// A file's bytes mapped read-only into memory: a database of a gigabyte is
// scanned where it lies, never copied. Standard library and POSIX only.

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane {

class MappedFile {
public:
    // Maps the regular file at path. Raises PlatformError with a user's reason
    // ("no such file", "not a regular file", "permission denied").
    explicit MappedFile(const std::string &path);
    ~MappedFile();
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    // Empty for an empty file. Valid while the object lives.
    std::string_view bytes() const { return {static_cast<const char *>(data_), size_}; }

    // True once a page of bytes() was found past the file's end: the file was
    // cut shorter while it was mapped. Reading such a page would stop the
    // program (SIGBUS); it reads as zero bytes instead, and what was read from
    // it is not the file's.
    bool truncated() const { return truncated_.load(std::memory_order_acquire); }

private:
    void *data_ = nullptr;
    std::size_t size_ = 0;
    std::atomic<bool> truncated_ = false;
    int guard_ = -1; // the slot of the SIGBUS guard that covers the mapping
};

} // namespace quorvane
