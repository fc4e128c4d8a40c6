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

#include "game/module1.h"
#include "ui/app.h"

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

} // namespace

int main(int argc, char *argv[]) {
    const bool bare = argc > 1 && std::strcmp(argv[1], "--bare") == 0;
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> empty;
    if (bare) {
        empty = std::make_unique<QWidget>();
        empty->resize(686, 560);
        empty->show();
    }
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
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
