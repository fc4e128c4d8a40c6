#include "platform/mapped_file.h"

#include "platform/errors.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
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

// A file cut shorter while it is mapped makes a read of the pages past its
// new end raise SIGBUS. The guard maps a page of zeros over the page that
// faulted, for the mappings registered in its slots, and marks the mapping
// truncated; any other SIGBUS goes to the handler that was there before. The
// slots are read in the handler with atomics only.
struct GuardSlot {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<std::atomic<bool> *> truncated{nullptr};
    std::atomic<bool> taken{false};
};
constexpr int kGuardSlots = 64;
GuardSlot guardSlots[kGuardSlots];
struct sigaction previousBus {};
std::uintptr_t pageSize = 4096;

void onBus(int signal, siginfo_t *info, void *context) {
    const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (GuardSlot &slot : guardSlots) {
        const std::uintptr_t begin = slot.begin.load(std::memory_order_acquire);
        if (begin == 0 || at < begin || at >= slot.end.load(std::memory_order_acquire))
            continue;
        void *page = reinterpret_cast<void *>(at & ~(pageSize - 1));
        if (::mmap(page, pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
            if (std::atomic<bool> *flag = slot.truncated.load(std::memory_order_acquire))
                flag->store(true, std::memory_order_release);
            return;
        }
        break;
    }
    if ((previousBus.sa_flags & SA_SIGINFO) && previousBus.sa_sigaction) {
        previousBus.sa_sigaction(signal, info, context);
    } else if (previousBus.sa_handler != SIG_DFL && previousBus.sa_handler != SIG_IGN) {
        previousBus.sa_handler(signal);
    } else {
        ::signal(SIGBUS, SIG_DFL);
        ::raise(SIGBUS);
    }
}

void installGuard() {
    static const bool installed = [] {
        pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBus;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, &previousBus) == 0;
    }();
    (void)installed;
}

// The slot now covering [data, data + size), or -1 when all are taken (the
// mapping is then read unguarded, as before there was a guard).
int guard(void *data, std::size_t size, std::atomic<bool> *truncated) {
    installGuard();
    for (int i = 0; i < kGuardSlots; ++i) {
        bool expected = false;
        if (!guardSlots[i].taken.compare_exchange_strong(expected, true))
            continue;
        const auto begin = reinterpret_cast<std::uintptr_t>(data);
        guardSlots[i].truncated.store(truncated, std::memory_order_release);
        guardSlots[i].end.store(begin + size, std::memory_order_release);
        guardSlots[i].begin.store(begin, std::memory_order_release);
        return i;
    }
    return -1;
}

void unguard(int slot) {
    if (slot < 0)
        return;
    guardSlots[slot].begin.store(0, std::memory_order_release);
    guardSlots[slot].end.store(0, std::memory_order_release);
    guardSlots[slot].truncated.store(nullptr, std::memory_order_release);
    guardSlots[slot].taken.store(false, std::memory_order_release);
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
        guard_ = guard(data_, size_, &truncated_);
    }
    ::close(fd);
}

MappedFile::~MappedFile() {
    unguard(guard_);
    if (data_)
        ::munmap(data_, size_);
}

} // namespace quorvane
