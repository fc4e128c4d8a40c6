#pragma once
// A file's bytes mapped read-only into memory: a database of a gigabyte is
// scanned where it lies, never copied. Standard library and POSIX only.

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

private:
    void *data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace quorvane
