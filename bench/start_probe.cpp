// Starts the program as its main() does, command line included, and quits as
// soon as the main window has been painted (after a record given on the command
// line has been loaded and its move list painted). On standard output it prints
// the CLOCK_MONOTONIC time of that paint in nanoseconds, so that whoever launched
// it can measure launch to first paint, and its own peak resident memory in KiB
// (the kernel's high-water mark for this program image: a figure the launcher
// cannot take from wait4, which also counts the memory of the process that
// forked it).
//
// With --bare it shows an empty QWidget of the main window's size instead: what
// Qt itself costs on the machine, the floor for the start-up figure.
//
// Two more modes time one thing inside a fresh process and print its wall-clock
// and CPU time in nanoseconds:
//   --cold-load FILE      the first load of a record: the window is shown and
//                         idle, then FILE is opened until its move list is painted;
//   --getline-floor FILE  its floor: a plain getline loop over FILE, twice, as the
//                         first thing the process does.

#include "game/module1.h"
#include "ui/app.h"
#include "ui/fonts.h"
#include "ui/main_window.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QListView>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>

namespace {

class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget *target) : target_(target) {}
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (widget == target_ || target_->isAncestorOf(widget))
                painted = true;
        }
        return false;
    }

private:
    QWidget *target_;
};

long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

long long Nanoseconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Runs the event loop until target (or a child of it) has been painted, then
// once more so that the rest of that frame is done too.
void WaitForPaint(QWidget *target) {
    PaintWatch watch(target);
    qApp->installEventFilter(&watch);
    while (!watch.painted)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents(QEventLoop::AllEvents);
    qApp->removeEventFilter(&watch);
}

// Runs the event loop until it has had nothing to do a few times in a row: the
// shown window as a user finds it before opening a record.
void Settle() {
    auto *dispatcher = QCoreApplication::eventDispatcher();
    for (int idle = 0; idle < 3;) {
        QCoreApplication::sendPostedEvents();
        idle = dispatcher->processEvents(QEventLoop::AllEvents) ? 0 : idle + 1;
    }
}

int GetlineFloor(const char *path) {
    const long long wall = Nanoseconds(CLOCK_MONOTONIC);
    const long long cpu = Nanoseconds(CLOCK_PROCESS_CPUTIME_ID);
    std::size_t bytes = 0;
    for (int pass = 0; pass < 2; ++pass) {
        std::ifstream in(path, std::ios::binary);
        std::string line;
        while (std::getline(in, line))
            bytes += line.size();
    }
    const long long cpuTaken = Nanoseconds(CLOCK_PROCESS_CPUTIME_ID) - cpu;
    const long long wallTaken = Nanoseconds(CLOCK_MONOTONIC) - wall;
    if (bytes == 0)
        return 3;
    std::printf("%lld %lld\n", wallTaken, cpuTaken);
    return 0;
}

// The timed part of a cold load, a function of its own so that a profiler can be
// told to look at it alone (valgrind --toggle-collect='*LoadUntilPainted*').
[[gnu::noinline]] void LoadUntilPainted(quorvane::ui::FrmChsMain &window, QListView *list, const char *path) {
    window.openPath(path);
    WaitForPaint(list->viewport());
}

int ColdLoad(QApplication &app, const char *path) {
    quorvane::Module1 module;
    quorvane::ui::StartUp start = quorvane::ui::startQuorvane({app.arguments().first()}, module);
    if (!start.window)
        return 2;
    WaitForPaint(start.window.get());
    Settle();
    auto *list = start.window->findChild<QListView *>(QStringLiteral("lstMoveList"));
    const long long wall = Nanoseconds(CLOCK_MONOTONIC);
    const long long cpu = Nanoseconds(CLOCK_PROCESS_CPUTIME_ID);
    LoadUntilPainted(*start.window, list, path);
    const long long cpuTaken = Nanoseconds(CLOCK_PROCESS_CPUTIME_ID) - cpu;
    const long long wallTaken = Nanoseconds(CLOCK_MONOTONIC) - wall;
    if (list->model()->rowCount() < 2)
        return 3;
    std::printf("%lld %lld\n", wallTaken, cpuTaken);
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "--getline-floor") == 0)
        return GetlineFloor(argv[2]);
    const bool bare = argc > 1 && std::strcmp(argv[1], "--bare") == 0;
    if (!bare) // as the program's main() does
        quorvane::ui::startLoadingFontConfiguration();
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> empty;
    if (bare) {
        empty = std::make_unique<QWidget>();
        empty->resize(686, 560);
        empty->show();
    }
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
    if (argc == 3 && std::strcmp(argv[1], "--cold-load") == 0)
        return ColdLoad(app, argv[2]);
    quorvane::Module1 module;
    quorvane::ui::StartUp start;
    if (!bare) {
        start = quorvane::ui::startQuorvane(QApplication::arguments(), module);
        if (!start.window)
            return 2;
    }
    // With a record, what counts is its move list painted; without, the window.
    QWidget *target = bare ? empty.get() : start.window.get();
    if (!bare && argc > 1)
        target = start.window->findChild<QListView *>(QStringLiteral("lstMoveList"))->viewport();
    PaintWatch watch(target);
    app.installEventFilter(&watch);
    while (!watch.painted)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("%lld %ld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec, PeakResidentKiB());
    return 0;
}
