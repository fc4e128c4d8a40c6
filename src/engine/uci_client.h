#pragma once
// A UCI chess engine in a child process, over two pipes, without ever blocking
// the caller: commands are written as they come, and the caller hands over
// control when the engine's output is readable (readAvailable) or a deadline
// has passed (checkDeadline). The command line drives it with poll(2)
// (waitForEvents), the window with a socket notifier and a timer. POSIX only.
//
// The engine is an untrusted program. It runs in a process group of its own
// under a small watcher process that kills the group when this process dies,
// even by kill -9, and stopping the engine kills the whole group, so a shell
// wrapper that does not exec leaves nothing behind. A line longer than
// maxLineBytes fails the engine. An engine that does not answer uci, isready or
// stop in time, or a search with a node budget that runs far past what the
// budget can take, is failed and killed.
//
// A new position while a search runs stops that search and waits for its
// bestmove before the new one starts; lines that still arrive from the old
// search are dropped, so a line is never reported for a position it was not
// searched in. Each search has an id, and every report carries it.

#include "engine/uci.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>

namespace quorvane::engine {

class UciClient {
public:
    using Clock = std::chrono::steady_clock;
    enum class State {
        Off,       // not started, or shut down
        Starting,  // waiting for uciok
        Syncing,   // waiting for readyok
        Ready,     // idle
        Searching, // a search runs; its lines are reported
        Stopping,  // stop sent, waiting for the old search's bestmove
        Failed,    // could not start, stopped by itself, or stopped answering
    };
    struct Options {
        int threads = 1;
        int hashMb = 16;
        // How long the engine may take to answer uci, isready or stop.
        int replyTimeoutMs = 5000;
        // How long quit may take at shutdown before the process is killed.
        int quitTimeoutMs = 1000;
        // A search of N nodes may take replyTimeoutMs plus N times this before
        // it counts as hung: 30 s for 100,000 nodes, far beyond any engine's
        // speed on a small machine.
        double msPerNode = 0.3;
        // A longer line fails the engine; the rest of it is never kept.
        std::size_t maxLineBytes = std::size_t(1) << 20;
        // How many best lines each search reports (UCI's MultiPV).
        int multiPv = 1;
    };
    // What the engine says, as it says it. A listener may call back into the
    // client (analyse, stop, even shutdown) from any of these.
    struct Listener {
        virtual ~Listener() = default;
        virtual void ready() {}
        virtual void info(int searchId, const UciInfo &info) = 0;
        // A search that ended by itself (nodes reached); stopped searches report nothing.
        virtual void bestMove(int searchId, const std::string &move) = 0;
        virtual void failed(const std::string &message) = 0;
    };

    static constexpr const char *kNoAnswer = "The chess engine does not answer.";
    static constexpr const char *kStopped = "The chess engine stopped unexpectedly.";
    static constexpr const char *kLongLine = "The chess engine wrote a line longer than 1 MiB.";

    UciClient(std::string program, Options options, Listener &listener);
    ~UciClient(); // shuts the engine down
    UciClient(const UciClient &) = delete;
    UciClient &operator=(const UciClient &) = delete;

    void start();
    // Shuts down and starts again; a position asked for meanwhile is kept.
    void restart();
    // Searches fen, without end when nodes is 0, else for that many nodes.
    // Returns the search's id. Replaces any search asked for and not yet begun.
    int analyse(const std::string &fen, std::int64_t nodes = 0);
    // Tells the engine the next positions are from another game.
    void newGame();
    // Ends the running search, if any; its remaining lines are dropped.
    void stop();
    // quit, then kill the group when it has not ended in time. Waits at most
    // quitTimeoutMs; for the end only.
    void shutdown();

    // The pipe the engine's output arrives on, -1 when there is no engine.
    // It changes on start and restart.
    int outputFd() const { return out_; }
    // Reads what the pipe holds now, up to budget bytes, and handles its whole
    // lines; returns how many bytes it read. A caller that got its whole budget
    // may wait a little before the next read: the engine then waits to write.
    std::size_t readAvailable(std::size_t budget = std::size_t(1) << 20);
    // When the engine will be failed unless it answers; nothing when no answer is due.
    std::optional<Clock::time_point> deadline() const { return deadline_; }
    // Fails the engine when its deadline has passed.
    void checkDeadline(Clock::time_point now = Clock::now());
    // For a caller without an event loop: waits until output arrives or the
    // deadline passes (at most maxWaitMs), then handles it.
    void waitForEvents(int maxWaitMs);

    State state() const { return state_; }
    const std::string &program() const { return program_; }
    const std::string &errorText() const { return error_; }
    // The watcher's process id, which is also the engine's process group; 0 when none.
    pid_t processId() const { return pid_; }

private:
    struct Request {
        int id;
        std::string fen;
        std::int64_t nodes;
    };
    bool spawn();
    void send(const std::string &command);
    void expectReply(int ms);
    void handleLine(std::string_view line);
    void nextStep(); // in Ready: sync for a new game, or begin the pending search
    void fail(const std::string &message);
    void endProcess(bool graceful);

    std::string program_;
    Options options_;
    Listener &listener_;
    pid_t pid_ = 0;
    int in_ = -1;  // the engine's standard input, ours to write
    int out_ = -1; // its standard output, ours to read
    std::string buffer_; // a line not yet ended
    std::optional<Clock::time_point> deadline_;
    State state_ = State::Off;
    std::string error_;
    std::optional<Request> pending_;
    bool newGamePending_ = false;
    bool startupSync_ = false;
    int activeId_ = 0;
    int nextId_ = 0;
};

// The engine to use: $QUORVANE_ENGINE when set (a bare name looked up on PATH),
// else stockfish on PATH, else /usr/games/stockfish; empty when there is none.
std::string locateEngine();

} // namespace quorvane::engine
