// What the user waits for, on the largest record the program accepts: the
// reader's two passes (beside a plain getline loop over the same file, the
// floor), a whole load through the real window until its move list is painted,
// a jump across the whole game and back, one Next, and start-up to the first
// painted window with its peak memory. Offscreen; scripts/bench runs it.

#include "record.h"

#include "game/reader.h"
#include "logic/chs_main.h"
#include "quiet_seams.h"
#include "ui/board_view.h"
#include "ui/main_window.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace quorvane::bench {
namespace {

using Clock = std::chrono::steady_clock;

const std::string &RecordPath() {
    static const std::string path = [] {
        const auto p =
            std::filesystem::temp_directory_path() / ("quorvane-bench-" + std::to_string(::getpid()) + ".txt");
        WriteLargestRecord(p.string());
        return p.string();
    }();
    return path;
}

// Counts paint events of one widget and its children, application-wide; with
// piecesOnly, only those of the painted board among them.
class PaintWatch : public QObject {
public:
    QWidget *target = nullptr;
    bool piecesOnly = false;
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (target && event->type() == QEvent::Paint && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if ((widget == target || target->isAncestorOf(widget)) &&
                (!piecesOnly || dynamic_cast<ui::BoardView *>(widget)))
                ++paints;
        }
        return false;
    }
};

PaintWatch &Watch() {
    static PaintWatch *watch = [] {
        auto *w = new PaintWatch;
        qApp->installEventFilter(w);
        return w;
    }();
    return *watch;
}

// Runs the event loop until nothing is left to do (untimed set-up steps, which
// may or may not repaint anything).
void Settle() {
    auto *dispatcher = QCoreApplication::eventDispatcher();
    for (int idle = 0; idle < 3;) {
        QCoreApplication::sendPostedEvents();
        idle = dispatcher->processEvents(QEventLoop::AllEvents) ? 0 : idle + 1;
    }
}

// Does what the user does, then runs the event loop until target (or a child of
// it) has been painted, and lets whatever else that frame queued run too. The
// count starts before the action: a button repaints itself at once when pressed.
// With piecesOnly the paint waited for is the board's, not the pressed button's.
template <typename Action> void ActUntilPainted(QWidget *target, Action action, bool piecesOnly = false) {
    PaintWatch &watch = Watch();
    watch.target = target;
    watch.piecesOnly = piecesOnly;
    watch.paints = 0;
    action();
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (watch.paints == 0 && Clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    watch.target = nullptr;
    if (watch.paints == 0)
        std::fprintf(stderr, "warning: no paint within 5 s\n");
}

struct BenchWindow {
    Module1 module;
    NoDialog dialog;
    SilentBox box;
    ui::FrmChsMain window{module, &dialog, &box};
    QListView *list = nullptr;
    QPushButton *next = nullptr;
    QPushButton *back = nullptr;

    BenchWindow() {
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
        list = window.findChild<QListView *>(QStringLiteral("lstMoveList"));
        next = window.findChild<QPushButton *>(QStringLiteral("cmdNext"));
        back = window.findChild<QPushButton *>(QStringLiteral("cmdBack"));
        Settle();
    }
    void Load() {
        ActUntilPainted(list->viewport(), [this] { window.openPath(RecordPath()); });
    }
    // The user selects a line (untimed by the callers), then presses Enter: the jump.
    void Select(int row) {
        list->setCurrentIndex(list->model()->index(row, 0));
        Settle();
    }
    // An untimed jump, as set-up: it may find the window there already.
    void JumpTo(int row) {
        Select(row);
        QTest::keyClick(list, Qt::Key_Return);
        Settle();
    }
    void PressEnter() {
        ActUntilPainted(&window, [this] { QTest::keyClick(list, Qt::Key_Return); });
    }
    // A step moves a piece: done when the board has painted it.
    void Click(QPushButton *button) {
        ActUntilPainted(
            &window, [button] { QTest::mouseClick(button, Qt::LeftButton); }, true);
    }
    std::int64_t Position() const { return window.core().Position(); }
};

std::unique_ptr<BenchWindow> &WindowSlot() {
    static std::unique_ptr<BenchWindow> w;
    return w;
}

BenchWindow &LoadedWindow() {
    auto &w = WindowSlot();
    if (!w) {
        w = std::make_unique<BenchWindow>();
        w->Load();
    }
    return *w;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// ---- The reader, and its floor ----

void Reader_BothPasses(benchmark::State &state) {
    const std::string &path = RecordPath();
    for (auto _ : state) {
        Module1 m;
        m.strFileName = path;
        bool failed = false;
        CountMoveLines(m, [&failed] { failed = true; });
        if (failed) {
            state.SkipWithError("the record was refused");
            break;
        }
        ReadGameFile(m);
        benchmark::DoNotOptimize(m.arrMoveLines.data());
    }
}

void Floor_GetlineTwice(benchmark::State &state) {
    const std::string &path = RecordPath();
    for (auto _ : state) {
        for (int pass = 0; pass < 2; ++pass) {
            std::ifstream in(path, std::ios::binary);
            std::string line;
            std::size_t bytes = 0;
            while (std::getline(in, line))
                bytes += line.size();
            benchmark::DoNotOptimize(bytes);
        }
    }
}

// The window's logic alone, for comparison with the window: open, and the jump.
void Core_OpenFile(benchmark::State &state) {
    Module1 module;
    NoDialog dialog;
    SilentBox box;
    ChsMain form(module, dialog, box);
    form.Form_Initialize();
    for (auto _ : state) {
        form.OpenFile(RecordPath());
        benchmark::DoNotOptimize(form.lstFieldsList.ListCount());
    }
    if (form.lstFieldsList.ListCount() != kHalfMoves)
        state.SkipWithError("the record did not load");
}

void Core_JumpFirstToLastAndBack(benchmark::State &state) {
    Module1 module;
    NoDialog dialog;
    SilentBox box;
    ChsMain form(module, dialog, box);
    form.Form_Initialize();
    form.OpenFile(RecordPath());
    for (auto _ : state) {
        form.lstMoveList.SetListIndex(kMoveLines - 1);
        form.lstMoveList_DblClick();
        form.lstMoveList.SetListIndex(0);
        form.lstMoveList_DblClick();
    }
    if (form.Position() != 2)
        state.SkipWithError("the jumps went astray");
}

// ---- Through the real window ----

void Window_Load(benchmark::State &state) {
    BenchWindow &w = LoadedWindow();
    for (auto _ : state)
        w.Load();
    if (w.window.core().lstMoveList.ListCount() != kMoveLines)
        state.SkipWithError("the record did not load");
}

void Window_JumpFirstToLast(benchmark::State &state) {
    BenchWindow &w = LoadedWindow();
    w.JumpTo(0);
    for (auto _ : state) {
        w.Select(kMoveLines - 1);
        const auto start = Clock::now();
        w.PressEnter();
        state.SetIterationTime(Seconds(Clock::now() - start));
        if (w.Position() != kHalfMoves)
            state.SkipWithError("the jump did not reach the end");
        w.JumpTo(0);
    }
}

void Window_JumpLastToFirst(benchmark::State &state) {
    BenchWindow &w = LoadedWindow();
    for (auto _ : state) {
        w.JumpTo(kMoveLines - 1);
        w.Select(0);
        const auto start = Clock::now();
        w.PressEnter();
        state.SetIterationTime(Seconds(Clock::now() - start));
        if (w.Position() != 2)
            state.SkipWithError("the jump did not come back");
    }
}

void Window_Next(benchmark::State &state) {
    BenchWindow &w = LoadedWindow();
    w.JumpTo(kMoveLines / 2);
    const std::int64_t from = w.Position();
    for (auto _ : state) {
        const auto start = Clock::now();
        w.Click(w.next);
        state.SetIterationTime(Seconds(Clock::now() - start));
        if (w.Position() != from + 1)
            state.SkipWithError("Next did not step");
        w.Click(w.back);
    }
}

// ---- Start-up, as a process of its own ----

struct Launch {
    double toFirstPaint = 0; // seconds
    double wholeRun = 0;     // seconds, exit included
    long peakKiB = 0;
    bool ok = false;
};

Launch LaunchProbe(const std::vector<std::string> &args) {
    Launch result;
    int out[2];
    if (::pipe(out) != 0)
        return result;
    std::vector<std::string> argv{QUORVANE_START_PROBE};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char *> cargv;
    for (auto &a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    timespec t0{};
    clock_gettime(CLOCK_MONOTONIC, &t0);
    const auto start = Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return result;
    }
    std::string text;
    char buffer[64];
    ssize_t got;
    while ((got = ::read(out[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.wholeRun = Seconds(Clock::now() - start);
    long long painted = 0;
    long peak = 0;
    std::sscanf(text.c_str(), "%lld %ld", &painted, &peak);
    result.peakKiB = peak;
    const long long launched = static_cast<long long>(t0.tv_sec) * 1000000000LL + t0.tv_nsec;
    result.toFirstPaint = static_cast<double>(painted - launched) / 1e9;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && painted > launched;
    return result;
}

void LaunchBenchmark(benchmark::State &state, const std::vector<std::string> &args) {
    double whole = 0;
    long peak = 0;
    for (auto _ : state) {
        const Launch run = LaunchProbe(args);
        if (!run.ok) {
            state.SkipWithError("the probe failed");
            break;
        }
        state.SetIterationTime(run.toFirstPaint);
        whole += run.wholeRun;
        peak = std::max(peak, run.peakKiB);
    }
    state.counters["whole_run_ms"] = benchmark::Counter(whole * 1000, benchmark::Counter::kAvgIterations);
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024;
}

void Start_ToFirstPaint(benchmark::State &state) {
    LaunchBenchmark(state, {});
}

void Start_QtFloor_EmptyWidget(benchmark::State &state) {
    LaunchBenchmark(state, {"--bare"});
}

void Start_WithLargestRecordToPaintedList(benchmark::State &state) {
    LaunchBenchmark(state, {RecordPath()});
}

double Min(const std::vector<double> &v) {
    return *std::min_element(v.begin(), v.end());
}

} // namespace
} // namespace quorvane::bench

namespace qb = quorvane::bench;

BENCHMARK(qb::Reader_BothPasses)
    ->Name("Reader/BothPasses")
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", qb::Min);
BENCHMARK(qb::Floor_GetlineTwice)
    ->Name("Reader/Floor_GetlineTwice")
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", qb::Min);
BENCHMARK(qb::Core_OpenFile)->Name("Core/OpenFile")->Unit(benchmark::kMillisecond)->ComputeStatistics("min", qb::Min);
BENCHMARK(qb::Core_JumpFirstToLastAndBack)
    ->Name("Core/JumpFirstToLastAndBack")
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", qb::Min);
BENCHMARK(qb::Window_Load)->Name("Window/Load")->Unit(benchmark::kMillisecond)->ComputeStatistics("min", qb::Min);
BENCHMARK(qb::Window_JumpFirstToLast)
    ->Name("Window/JumpFirstToLast")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", qb::Min);
BENCHMARK(qb::Window_JumpLastToFirst)
    ->Name("Window/JumpLastToFirst")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", qb::Min);
BENCHMARK(qb::Window_Next)
    ->Name("Window/Next")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", qb::Min);
BENCHMARK(qb::Start_ToFirstPaint)
    ->Name("Start/ToFirstPaint")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->ComputeStatistics("min", qb::Min);
BENCHMARK(qb::Start_QtFloor_EmptyWidget)
    ->Name("Start/QtFloor_EmptyWidget")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->ComputeStatistics("min", qb::Min);
BENCHMARK(qb::Start_WithLargestRecordToPaintedList)
    ->Name("Start/WithLargestRecordToPaintedList")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->ComputeStatistics("min", qb::Min);

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int result = 0;
    {
        QApplication app(argc, argv);
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv))
            return 1;
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        qb::WindowSlot().reset();
    }
    std::error_code ignored;
    std::filesystem::remove(qb::RecordPath(), ignored);
    return result;
}
