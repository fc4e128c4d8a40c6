// Records with a line of 50 MB, made here at run time: one whose first move line
// runs on for 50 MB after its two half-moves, and one whose White header line is
// 50 MB long. Through the real window: the open until the move list is painted,
// one Next, and a jump to the last line, each until painted.

#include "logic/chs_main.h"
#include "quiet_seams.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <utility>

namespace quorvane::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kLongLineBytes = 50'000'000;

enum class LongLine { MoveLine, WhiteHeader };

std::string LongRecordText(LongLine which) {
    const std::string longPart(kLongLineBytes, which == LongLine::MoveLine ? 'z' : 'w');
    std::string text = ";Title: Chess Game\n;White: ";
    text += which == LongLine::WhiteHeader ? longPart : std::string("knightowl_77");
    text += "\n;Black: quiet_bishop\n;Date: Tue Jun 01 20:11:16 GMT 2004\n\n1. e2-e4 e7-e5 ";
    if (which == LongLine::MoveLine)
        text += longPart;
    text += "\n2. g1-f3 b8-c6";
    return text;
}

// Written once per run and removed at exit.
const std::string &LongRecordPath(LongLine which) {
    static std::map<LongLine, std::string> paths;
    auto &path = paths[which];
    if (path.empty()) {
        const auto p =
            std::filesystem::temp_directory_path() / ("quorvane-long-" + std::to_string(::getpid()) +
                                                      (which == LongLine::MoveLine ? "-move.txt" : "-white.txt"));
        path = p.string();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << LongRecordText(which);
        static const struct Remover {
            ~Remover() {
                std::error_code ignored;
                for (const auto &[_, file] : paths)
                    std::filesystem::remove(file, ignored);
            }
        } remover;
    }
    return path;
}

// Counts paints of one widget or its children.
class PaintCount : public QObject {
public:
    QWidget *target = nullptr;
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (target && event->type() == QEvent::Paint && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (widget == target || target->isAncestorOf(widget))
                ++paints;
        }
        return false;
    }
};

// Does action, then runs the event loop until target has been painted; the
// seconds that took. actionSeconds, when given, gets the share of the action
// itself (the logic and the refresh), the rest being the paint.
template <typename Action> double TimeUntilPainted(QWidget *target, Action action, double *actionSeconds = nullptr) {
    static PaintCount *count = [] {
        auto *c = new PaintCount;
        qApp->installEventFilter(c);
        return c;
    }();
    count->target = target;
    count->paints = 0;
    const auto start = Clock::now();
    action();
    if (actionSeconds)
        *actionSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    const auto deadline = start + std::chrono::seconds(300);
    while (count->paints == 0 && Clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    count->target = nullptr;
    return seconds;
}

struct LongWindow {
    Module1 module;
    NoDialog dialog;
    SilentBox box;
    ui::FrmChsMain window{module, &dialog, &box};
    QListView *list = window.findChild<QListView *>(QStringLiteral("lstMoveList"));
    QPushButton *next = window.findChild<QPushButton *>(QStringLiteral("cmdNext"));

    LongWindow() {
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
        QCoreApplication::processEvents();
    }
    double Open(LongLine which, double *openSeconds = nullptr) {
        return TimeUntilPainted(
            list->viewport(), [&] { window.openPath(LongRecordPath(which)); }, openSeconds);
    }
    double Next() {
        return TimeUntilPainted(&window, [&] { QTest::mouseClick(next, Qt::LeftButton); });
    }
    // Selects the last line (untimed), then Enter: the jump.
    double JumpToLast() {
        list->setFocus();
        list->setCurrentIndex(list->model()->index(list->model()->rowCount() - 1, 0));
        QCoreApplication::processEvents();
        return TimeUntilPainted(&window, [&] { QTest::keyClick(list, Qt::Key_Return); });
    }
    bool Loaded() const { return window.core().lstMoveList.ListCount() == 2; }
};

void Open(benchmark::State &state, LongLine which) {
    LongRecordPath(which);
    LongWindow w;
    double opening = 0;
    double painting = 0;
    for (auto _ : state) {
        double open = 0;
        const double whole = w.Open(which, &open);
        state.SetIterationTime(whole);
        opening += open;
        painting += whole - open;
    }
    // The open command (reader, logic and refresh) and the first paint after it.
    state.counters["open_ms"] = benchmark::Counter(opening * 1000, benchmark::Counter::kAvgIterations);
    state.counters["first_paint_ms"] = benchmark::Counter(painting * 1000, benchmark::Counter::kAvgIterations);
    if (!w.Loaded())
        state.SkipWithError("the record did not load");
}

void Next(benchmark::State &state, LongLine which) {
    LongWindow w;
    w.Open(which);
    for (auto _ : state) {
        state.PauseTiming();
        w.window.core().lstMoveList.SetListIndex(-1);
        w.window.core().lstMoveList_DblClick(); // back to the start
        w.window.refresh();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        state.SetIterationTime(w.Next());
    }
    if (w.window.core().Position() != 1)
        state.SkipWithError("Next did not step");
}

void JumpToLast(benchmark::State &state, LongLine which) {
    LongWindow w;
    w.Open(which);
    for (auto _ : state) {
        state.PauseTiming();
        w.window.core().lstMoveList.SetListIndex(-1);
        w.window.core().lstMoveList_DblClick();
        w.window.refresh();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        state.SetIterationTime(w.JumpToLast());
    }
    if (w.window.core().Position() != 4)
        state.SkipWithError("the jump went astray");
}

} // namespace
} // namespace quorvane::bench

namespace qb = quorvane::bench;

// The open is timed five times, each step twenty, on both records.
static const bool registered = [] {
    for (const auto &[which, tag] :
         {std::pair{qb::LongLine::MoveLine, "MoveLine50MB"}, std::pair{qb::LongLine::WhiteHeader, "WhiteHeader50MB"}}) {
        const std::string name(tag);
        benchmark::RegisterBenchmark(("LongLines/OpenUntilPainted/" + name).c_str(), qb::Open, which)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
        benchmark::RegisterBenchmark(("LongLines/Next/" + name).c_str(), qb::Next, which)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(20);
        benchmark::RegisterBenchmark(("LongLines/JumpToLastLine/" + name).c_str(), qb::JumpToLast, which)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(20);
    }
    return true;
}();
