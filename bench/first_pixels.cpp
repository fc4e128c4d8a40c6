// Launch to the first pixels on a real X server, as a user sees it: a small X
// client that starts a program, waits for its top-level window to be mapped and
// for the first damage (drawing) on it, and takes the time of each from the
// moment it forked the program. Nothing in the program is changed or asked to
// report: the watcher sees only what the X server sees.
//
//   first_pixels [RUNS [OTHER]]
//
// launches, RUNS times over (9 unless given) and interleaved so that whatever
// else the machine does weighs on all of them alike: the program, the program
// given the largest record, and an empty Qt window of the main window's size
// built and linked the same way (the floor). Prints Markdown table rows. Needs
// DISPLAY; scripts/bench runs it under Xvfb, where no window manager or
// compositor adds its own delays. OTHER, another build of the program (say, one
// from before a change), is launched in the same rounds and gets a row too.

#include "record.h"
#include "table.h"

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace quorvane::bench {
namespace {

using Clock = std::chrono::steady_clock;

struct Launch {
    double toMapMs = 0;
    double toFirstDamageMs = 0;
    bool ok = false;
};

class Watcher {
public:
    bool connect() {
        connection_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection_))
            return false;
        const xcb_query_extension_reply_t *damage = xcb_get_extension_data(connection_, &xcb_damage_id);
        if (!damage || !damage->present)
            return false;
        damageNotify_ = static_cast<std::uint8_t>(damage->first_event + XCB_DAMAGE_NOTIFY);
        std::free(xcb_damage_query_version_reply(connection_, xcb_damage_query_version(connection_, 1, 1), nullptr));
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        // Every window created or mapped at the top level is reported.
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        sync();
        return true;
    }
    ~Watcher() {
        if (connection_)
            xcb_disconnect(connection_);
    }

    Launch run(const std::vector<std::string> &args) {
        Launch result;
        std::vector<std::string> argv = args;
        std::vector<char *> cargv;
        for (auto &a : argv)
            cargv.push_back(a.data());
        cargv.push_back(nullptr);
        std::vector<std::string> env{"QT_QPA_PLATFORM=xcb"};
        for (char **e = environ; *e; ++e)
            if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0)
                env.emplace_back(*e);
        std::vector<char *> cenv;
        for (auto &e : env)
            cenv.push_back(e.data());
        cenv.push_back(nullptr);

        std::map<xcb_window_t, xcb_damage_damage_t> damages;
        std::set<xcb_window_t> mapped;
        const auto watch = [&](xcb_window_t window) {
            if (damages.count(window))
                return;
            const xcb_damage_damage_t damage = xcb_generate_id(connection_);
            xcb_damage_create(connection_, damage, window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
            xcb_flush(connection_);
            damages.emplace(window, damage);
        };

        const auto start = Clock::now();
        pid_t pid = 0;
        if (posix_spawn(&pid, cargv[0], nullptr, nullptr, cargv.data(), cenv.data()) != 0)
            return result;
        const auto deadline = start + std::chrono::seconds(20);
        const int fd = xcb_get_file_descriptor(connection_);
        bool done = false;
        while (!done && !xcb_connection_has_error(connection_)) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(connection_)) {
                const auto now = Clock::now();
                const std::uint8_t type = event->response_type & 0x7f;
                if (type == XCB_CREATE_NOTIFY) {
                    const auto *created = reinterpret_cast<xcb_create_notify_event_t *>(event);
                    if (created->parent == root_)
                        watch(created->window);
                } else if (type == XCB_MAP_NOTIFY) {
                    const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
                    if (map->event == root_ && mapped.empty()) {
                        // Created before this client was told: watched from here on.
                        watch(map->window);
                        result.toMapMs = std::chrono::duration<double, std::milli>(now - start).count();
                    }
                    if (map->event == root_)
                        mapped.insert(map->window);
                } else if (type == damageNotify_) {
                    const auto *damage = reinterpret_cast<xcb_damage_notify_event_t *>(event);
                    if (mapped.count(damage->drawable)) {
                        result.toFirstDamageMs = std::chrono::duration<double, std::milli>(now - start).count();
                        result.ok = true;
                        done = true;
                    }
                }
                std::free(event);
                if (done)
                    break;
            }
            if (done)
                break;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                break;
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, static_cast<int>(left));
        }
        ::kill(pid, SIGTERM);
        int status = 0;
        ::waitpid(pid, &status, 0);
        // The program's windows are gone with it; whatever it left queued is dropped.
        sync();
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection_))
            std::free(event);
        return result;
    }

private:
    void sync() { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

    xcb_connection_t *connection_ = nullptr;
    xcb_window_t root_ = 0;
    std::uint8_t damageNotify_ = 0;
};

} // namespace
} // namespace quorvane::bench

int main(int argc, char **argv) {
    namespace qb = quorvane::bench;
    const int runs = argc > 1 ? std::atoi(argv[1]) : 9;
    if (runs < 1) {
        std::fprintf(stderr, "usage: first_pixels [RUNS [OTHER]]\n");
        return 2;
    }
    qb::Watcher watcher;
    if (!watcher.connect()) {
        std::fprintf(stderr, "first_pixels: no X display with the DAMAGE extension\n");
        return 1;
    }
    const auto record =
        std::filesystem::temp_directory_path() / ("quorvane-pixels-" + std::to_string(::getpid()) + ".txt");
    qb::WriteLargestRecord(record.string());
    struct Subject {
        std::vector<std::string> args;
        std::vector<double> map, damage;
    };
    Subject program{{QUORVANE_PROGRAM}, {}, {}};
    Subject withRecord{{QUORVANE_PROGRAM, record.string()}, {}, {}};
    Subject empty{{QUORVANE_EMPTY_WINDOW}, {}, {}};
    Subject other{{argc > 2 ? argv[2] : ""}, {}, {}};
    std::vector<Subject *> subjects{&program, &empty, &withRecord};
    if (argc > 2)
        subjects.push_back(&other);
    // One launch of each first, untimed: the first launch after a build reads the
    // program and Qt from disk, which no later launch does.
    for (Subject *s : subjects)
        (void)watcher.run(s->args);
    int failures = 0;
    for (int i = 0; i < runs; ++i)
        for (Subject *s : subjects) {
            const qb::Launch launch = watcher.run(s->args);
            if (!launch.ok) {
                ++failures;
                continue;
            }
            s->map.push_back(launch.toMapMs);
            s->damage.push_back(launch.toFirstDamageMs);
        }
    std::error_code ignored;
    std::filesystem::remove(record, ignored);
    if (failures)
        std::fprintf(stderr, "first_pixels: %d launches showed nothing within 20 s\n", failures);
    const qb::Spread floor = qb::SpreadOf(empty.damage);
    qb::PrintRow("Launch to the first pixels on the window (Xvfb)", qb::SpreadOf(program.damage), "ms",
                 "empty Qt window", floor);
    qb::PrintRow("Launch with the largest record to the first pixels (Xvfb)", qb::SpreadOf(withRecord.damage), "ms",
                 "empty Qt window", floor);
    if (argc > 2)
        qb::PrintRow(std::string("Launch to the first pixels (Xvfb): ") + argv[2], qb::SpreadOf(other.damage), "ms",
                     "empty Qt window", floor);
    qb::PrintRow("Launch to the window mapped (Xvfb)", qb::SpreadOf(program.map), "ms", "empty Qt window",
                 qb::SpreadOf(empty.map));
    return failures ? 1 : 0;
}
