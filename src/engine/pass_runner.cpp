#include "engine/pass_runner.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <poll.h>
#include <thread>
#include <vector>

namespace quorvane::engine {

namespace {

// One engine process in a slot of the pass.
struct Worker : PassEngine, UciClient::Listener {
    Worker(GamePass &pass, std::size_t slot, const std::string &program, const UciClient::Options &options)
        : pass(pass), slot(slot), client(program, options, *this) {}
    int analyse(const std::string &fen, std::int64_t nodes) override { return client.analyse(fen, nodes); }
    void info(int id, const UciInfo &line) override { pass.info(slot, id, line); }
    void bestMove(int id, const std::string &move) override { pass.bestMove(slot, id, move); }
    void failed(const std::string &message) override {
        failure = message;
        broken = true;
    }

    GamePass &pass;
    std::size_t slot;
    UciClient client;
    bool broken = false;
    std::string failure;
};

} // namespace

int defaultEngines() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

bool runPass(GamePass &pass, const std::string &program, const PassRunOptions &options,
             const std::function<void(const std::string &)> &report) {
    std::vector<std::unique_ptr<Worker>> workers;
    const int count = std::max(1, options.engines);
    for (int i = 0; i < count; ++i)
        workers.push_back(std::make_unique<Worker>(pass, static_cast<std::size_t>(i), program, options.client));
    int restarts = options.restarts;
    std::vector<PassEngine *> engines;
    for (auto &worker : workers) {
        worker->client.start();
        engines.push_back(worker.get());
    }
    pass.setEngines(engines);
    std::vector<pollfd> fds;
    while (!pass.done()) {
        // Failures are handled here, outside the client's own calls.
        bool anyAlive = false;
        for (auto &worker : workers) {
            if (worker->broken) {
                worker->broken = false;
                report(worker->failure);
                pass.engineFailed(worker->slot);
                if (restarts > 0) {
                    --restarts;
                    worker->client.restart();
                    pass.engineBack(worker->slot);
                }
            }
            anyAlive = anyAlive || worker->client.state() != UciClient::State::Failed;
        }
        if (pass.done())
            break;
        if (!anyAlive)
            return false;
        fds.clear();
        int wait = 1000;
        const auto now = UciClient::Clock::now();
        for (auto &worker : workers) {
            fds.push_back({worker->client.outputFd(), POLLIN, 0});
            if (const auto due = worker->client.deadline()) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*due - now).count();
                wait = static_cast<int>(std::clamp<long long>(left + 1, 0, wait));
            }
        }
        if (::poll(fds.data(), fds.size(), wait) < 0 && errno != EINTR)
            return false;
        for (std::size_t i = 0; i < workers.size(); ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                workers[i]->client.readAvailable();
            workers[i]->client.checkDeadline();
        }
    }
    return true;
}

} // namespace quorvane::engine
