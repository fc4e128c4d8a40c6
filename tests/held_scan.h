#pragma once
// A game list's scan held after each chunk until the test lets more chunks
// through, so that what a test sees of a list still being read does not
// depend on timing.

#include "ui/game_list_dialog.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <cstddef>
#include <thread>

namespace quorvane::testing {

struct HeldScan {
    explicit HeldScan(std::size_t chunkGames) : chunkGames(chunkGames) {}
    std::size_t chunkGames;
    std::atomic<int> chunks = 0;  // chunks taken in so far
    std::atomic<int> allowed = 1; // the scan waits once it has taken this many
    std::atomic<bool> finished = false;

    void release(int more) { allowed += more; }
    void releaseAll() { allowed = INT_MAX; }

    ui::IndexOptions options() {
        ui::IndexOptions o;
        o.chunkGames = chunkGames;
        o.afterChunk = [this](bool last) {
            if (last) {
                finished = true;
                return;
            }
            ++chunks;
            while (chunks >= allowed)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        };
        return o;
    }
};

} // namespace quorvane::testing
