#include "engine/uci_client.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvane::engine {

namespace {

void closeFd(int &fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// The watcher: the first child, leader of the engine's process group. It starts
// the engine and then only waits, for the engine's end or for its own parent's
// (the parent-death signal), and either way kills the group, so nothing the
// engine started outlives it. Between fork and exec only async-signal-safe calls.
[[noreturn]] void runWatcher(pid_t parent, const char *program, char *const argv[], int toEngine, int fromEngine,
                             int errorPipe, const sigset_t &originalMask) {
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) // the parent died before the signal was armed
        ::_exit(1);
    const pid_t engine = ::fork();
    if (engine == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::dup2(toEngine, 0);
        ::dup2(fromEngine, 1);
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0)
            ::dup2(null, 2);
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC); // only the error pipe stays until exec
        ::signal(SIGPIPE, SIG_DFL);
        ::pthread_sigmask(SIG_SETMASK, &originalMask, nullptr);
        ::execv(program, argv);
        const int error = errno;
        [[maybe_unused]] const auto written = ::write(errorPipe, &error, sizeof error);
        ::_exit(127);
    }
    if (engine < 0) {
        const int error = errno;
        [[maybe_unused]] const auto written = ::write(errorPipe, &error, sizeof error);
        ::_exit(127);
    }
    ::close_range(3, ~0U, 0);
    sigset_t waitFor;
    sigemptyset(&waitFor);
    sigaddset(&waitFor, SIGTERM);
    sigaddset(&waitFor, SIGCHLD);
    for (;;) {
        const int signal = ::sigwaitinfo(&waitFor, nullptr);
        if (signal == SIGTERM || (signal == SIGCHLD && ::waitpid(engine, nullptr, WNOHANG) == engine))
            ::kill(0, SIGKILL); // the group, this watcher with it
    }
}

// Writes all of text without letting SIGPIPE end this process when the engine
// is gone; false when the pipe did not take it all.
bool writeAll(int fd, std::string_view text) {
    sigset_t pipeSignal, old;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &old);
    bool ok = true;
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    if (!ok && errno == EPIPE && !alreadyPending) {
        const timespec zero{0, 0};
        ::sigtimedwait(&pipeSignal, nullptr, &zero);
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ok;
}

} // namespace

UciClient::UciClient(std::string program, Options options, Listener &listener)
    : program_(std::move(program)), options_(options), listener_(listener) {}

UciClient::~UciClient() {
    shutdown();
}

bool UciClient::spawn() {
    int toEngine[2], fromEngine[2], errorPipe[2];
    if (::pipe2(toEngine, O_CLOEXEC) != 0)
        return false;
    if (::pipe2(fromEngine, O_CLOEXEC) != 0) {
        ::close(toEngine[0]);
        ::close(toEngine[1]);
        return false;
    }
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
        for (int fd : {toEngine[0], toEngine[1], fromEngine[0], fromEngine[1]})
            ::close(fd);
        return false;
    }
    std::string path = program_;
    char *argv[] = {path.data(), nullptr};
    // The watcher takes these signals with sigwaitinfo, so they must be blocked
    // from its first instruction on; the engine gets the caller's mask back.
    sigset_t watched, original;
    sigemptyset(&watched);
    sigaddset(&watched, SIGTERM);
    sigaddset(&watched, SIGCHLD);
    pthread_sigmask(SIG_BLOCK, &watched, &original);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0)
        runWatcher(parent, path.c_str(), argv, toEngine[0], fromEngine[1], errorPipe[1], original);
    pthread_sigmask(SIG_SETMASK, &original, nullptr);
    ::close(toEngine[0]);
    ::close(fromEngine[1]);
    ::close(errorPipe[1]);
    if (pid < 0) {
        ::close(toEngine[1]);
        ::close(fromEngine[0]);
        ::close(errorPipe[0]);
        return false;
    }
    ::setpgid(pid, pid); // whichever of the two runs first makes the group
    pid_ = pid;
    in_ = toEngine[1];
    out_ = fromEngine[0];
    // The error pipe closes on exec; anything on it is exec's errno.
    int error = 0;
    ssize_t got;
    do
        got = ::read(errorPipe[0], &error, sizeof error);
    while (got < 0 && errno == EINTR);
    ::close(errorPipe[0]);
    if (got > 0) {
        endProcess(false);
        return false;
    }
    ::fcntl(out_, F_SETFL, ::fcntl(out_, F_GETFL) | O_NONBLOCK);
    ::fcntl(in_, F_SETFL, ::fcntl(in_, F_GETFL) | O_NONBLOCK);
    return true;
}

void UciClient::start() {
    if (pid_)
        return;
    error_.clear();
    buffer_.clear();
    state_ = State::Starting;
    if (program_.empty() || !spawn()) {
        fail("The chess engine could not be started: " + program_);
        return;
    }
    send("uci");
    expectReply(options_.replyTimeoutMs);
}

void UciClient::restart() {
    const auto pending = pending_;
    endProcess(true);
    pending_ = pending;
    newGamePending_ = false;
    state_ = State::Off;
    start();
}

int UciClient::analyse(const std::string &fen, std::int64_t nodes) {
    const int id = ++nextId_;
    pending_ = Request{id, fen, nodes};
    if (state_ == State::Ready) {
        nextStep();
    } else if (state_ == State::Searching) {
        send("stop");
        state_ = State::Stopping;
        expectReply(options_.replyTimeoutMs);
    }
    return id;
}

void UciClient::newGame() {
    newGamePending_ = true;
    if (state_ == State::Ready)
        nextStep();
}

void UciClient::stop() {
    pending_.reset();
    if (state_ == State::Searching) {
        send("stop");
        state_ = State::Stopping;
        expectReply(options_.replyTimeoutMs);
    }
}

void UciClient::shutdown() {
    endProcess(true);
    pending_.reset();
    newGamePending_ = false;
    if (state_ != State::Failed)
        state_ = State::Off;
}

void UciClient::endProcess(bool graceful) {
    deadline_.reset();
    buffer_.clear();
    if (!pid_)
        return;
    if (graceful && in_ >= 0 && writeAll(in_, "stop\nquit\n")) {
        // Wait for the engine to close its output (it has ended), reading and
        // dropping what it still says, until the time for quit is up.
        const auto until = Clock::now() + std::chrono::milliseconds(options_.quitTimeoutMs);
        char sink[65536];
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
            if (left <= 0)
                break;
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR)
                break;
            const ssize_t n = ::read(out_, sink, sizeof sink);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                break;
        }
    }
    // Whatever is left of the group goes, then the watcher is reaped. Until it
    // is reaped its id cannot name another group, so the kill is safe.
    ::kill(-pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = 0;
    closeFd(in_);
    closeFd(out_);
}

void UciClient::send(const std::string &command) {
    if (in_ < 0)
        return;
    // An engine that lets a pipe's worth of commands pile up is not reading.
    if (!writeAll(in_, command + '\n'))
        fail(errno == EPIPE ? kStopped : kNoAnswer);
}

void UciClient::expectReply(int ms) {
    deadline_ = Clock::now() + std::chrono::milliseconds(ms);
}

std::size_t UciClient::readAvailable(std::size_t budget) {
    // At most budget bytes at a time, so an engine that floods its output
    // cannot keep the caller here; the rest waits for the next call.
    const pid_t process = pid_;
    char chunk[65536];
    std::size_t total = 0;
    while (total < budget && pid_ == process && out_ >= 0) {
        const ssize_t n = ::read(out_, chunk, std::min(sizeof chunk, budget - total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        if (n <= 0) {
            fail(kStopped);
            break;
        }
        total += static_cast<std::size_t>(n);
        buffer_.append(chunk, static_cast<std::size_t>(n));
        std::size_t begin = 0;
        for (;;) {
            const std::size_t end = buffer_.find('\n', begin);
            if (end == std::string::npos)
                break;
            if (end - begin > options_.maxLineBytes) {
                fail(kLongLine);
                return total;
            }
            // The line is copied out: a listener may end the engine and clear the buffer.
            const std::string line = buffer_.substr(begin, end - begin);
            begin = end + 1;
            handleLine(line);
            if (pid_ != process)
                return total;
        }
        buffer_.erase(0, begin);
        if (buffer_.size() > options_.maxLineBytes) {
            fail(kLongLine);
            break;
        }
    }
    return total;
}

void UciClient::checkDeadline(Clock::time_point now) {
    if (deadline_ && now >= *deadline_)
        fail(kNoAnswer);
}

void UciClient::waitForEvents(int maxWaitMs) {
    int wait = maxWaitMs;
    if (deadline_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline_ - Clock::now()).count();
        wait = static_cast<int>(std::clamp<long long>(left + 1, 0, maxWaitMs));
    }
    if (out_ < 0) {
        checkDeadline();
        return;
    }
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, wait) > 0)
        readAvailable();
    checkDeadline();
}

void UciClient::handleLine(std::string_view line) {
    const UciMessage message = parseUciLine(line);
    switch (message.kind) {
    case UciKind::UciOk:
        if (state_ == State::Starting) {
            send("setoption name Threads value " + std::to_string(options_.threads));
            send("setoption name Hash value " + std::to_string(options_.hashMb));
            if (options_.multiPv > 1)
                send("setoption name MultiPV value " + std::to_string(options_.multiPv));
            send("isready");
            state_ = State::Syncing;
            startupSync_ = true;
            expectReply(options_.replyTimeoutMs);
        }
        break;
    case UciKind::ReadyOk:
        if (state_ == State::Syncing) {
            deadline_.reset();
            const bool startup = startupSync_;
            startupSync_ = false;
            state_ = State::Ready;
            if (startup)
                listener_.ready();
            if (state_ == State::Ready)
                nextStep();
        }
        break;
    case UciKind::Info:
        // Only the running search's lines; a stopping search's are stale.
        if (state_ == State::Searching)
            listener_.info(activeId_, message.info);
        break;
    case UciKind::BestMove:
        if (state_ == State::Searching) {
            deadline_.reset();
            state_ = State::Ready;
            listener_.bestMove(activeId_, message.bestMove);
            if (state_ == State::Ready)
                nextStep();
        } else if (state_ == State::Stopping) {
            deadline_.reset();
            state_ = State::Ready;
            nextStep();
        }
        break;
    default:
        break;
    }
}

void UciClient::nextStep() {
    if (newGamePending_) {
        newGamePending_ = false;
        send("ucinewgame");
        send("isready");
        state_ = State::Syncing;
        expectReply(options_.replyTimeoutMs);
        return;
    }
    if (!pending_)
        return;
    const Request request = *pending_;
    pending_.reset();
    activeId_ = request.id;
    send("position fen " + request.fen);
    if (state_ == State::Failed)
        return;
    send(request.nodes > 0 ? "go nodes " + std::to_string(request.nodes) : std::string("go infinite"));
    if (state_ == State::Failed)
        return;
    state_ = State::Searching;
    if (request.nodes > 0)
        expectReply(options_.replyTimeoutMs + static_cast<int>(std::min<double>(
                                                  static_cast<double>(request.nodes) * options_.msPerNode, 1e9)));
    else
        deadline_.reset();
}

void UciClient::fail(const std::string &message) {
    if (state_ == State::Failed)
        return;
    endProcess(false);
    state_ = State::Failed;
    error_ = message;
    listener_.failed(message);
}

std::string locateEngine() {
    namespace fs = std::filesystem;
    auto executable = [](const fs::path &path) {
        std::error_code error;
        return fs::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
    };
    auto onPath = [&](const std::string &name) -> std::string {
        const char *path = std::getenv("PATH");
        std::string_view rest = path ? path : "";
        while (true) {
            const std::size_t colon = rest.find(':');
            const std::string_view folder = rest.substr(0, colon);
            if (!folder.empty() && executable(fs::path(folder) / name))
                return (fs::path(folder) / name).string();
            if (colon == std::string_view::npos)
                return {};
            rest.remove_prefix(colon + 1);
        }
    };
    if (const char *named = std::getenv("QUORVANE_ENGINE"); named && *named) {
        const std::string name = named;
        if (name.find('/') != std::string::npos)
            return name;
        const std::string found = onPath(name);
        return found.empty() ? name : found;
    }
    if (std::string found = onPath("stockfish"); !found.empty())
        return found;
    return executable("/usr/games/stockfish") ? "/usr/games/stockfish" : "";
}

} // namespace quorvane::engine
