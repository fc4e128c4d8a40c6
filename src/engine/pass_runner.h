#pragma once
// The whole-game pass without an event loop, for the command line: N engine
// processes of one program, all driven by one poll(2) loop until the pass is done.

#include "engine/game_pass.h"
#include "engine/uci_client.h"

#include <functional>
#include <string>

namespace quorvane::engine {

struct PassRunOptions {
    int engines = 1; // processes side by side, at least 1
    UciClient::Options client{.threads = 1, .hashMb = 16};
    // How often a failed engine is started again, over the whole run.
    int restarts = 4;
};

// The number of engines to run by default: one per core, at least one.
int defaultEngines();

// Runs pass until every position is done, or until no engine is left. Each
// engine failure is told to report ("The chess engine does not answer.").
// Returns false when the pass could not be finished.
bool runPass(GamePass &pass, const std::string &program, const PassRunOptions &options,
             const std::function<void(const std::string &)> &report);

} // namespace quorvane::engine
