#include "platform/mapped_file.h"

#include "platform/errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

std::string reasonFor(int error) {
    if (error == ENOENT || error == ENOTDIR)
        return "no such file";
    if (error == EACCES || error == EPERM)
        return "permission denied";
    return std::string("cannot be read (") + std::strerror(error) + ")";
}

} // namespace

MappedFile::MappedFile(const std::string &path) {
    if (path.empty())
        throw PlatformError("Bad file name: empty path", "no such file");
    // Non-blocking, so that a FIFO does not wait for a writer before fstat
    // refuses it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        throw PlatformError("Cannot open " + path, reasonFor(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        throw PlatformError("Cannot open " + path, reasonFor(error));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        throw PlatformError("Not a regular file: " + path, "not a regular file");
    }
    size_ = static_cast<std::size_t>(info.st_size);
    if (size_ > 0) {
        data_ = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (data_ == MAP_FAILED) {
            const int error = errno;
            data_ = nullptr;
            size_ = 0;
            ::close(fd);
            throw PlatformError("Cannot map " + path, reasonFor(error));
        }
        // Read front to back once: let the kernel read ahead.
        ::madvise(data_, size_, MADV_SEQUENTIAL);
    }
    ::close(fd);
}

MappedFile::~MappedFile() {
    if (data_)
        ::munmap(data_, size_);
}

} // namespace quorvane
