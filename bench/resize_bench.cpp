// Dragging the main window's corner: the window goes through sizes from its
// designed size to a maximised 1920 x 1200 screen's and back, and each frame is
// timed from the resize until the whole window has been painted again (its
// layout scaled, the board, the labels, the list and the buttons drawn into the
// backing store and flushed). Beside it, the floor: an empty Qt window taken
// through the same sizes in the same run.
//
//   resize_bench [RUNS] [RECORD]    offscreen on a 1920 x 1200 screen; RECORD
//                                   defaults to the example game, at move 10.
#include "game/module1.h"
#include "quiet_seams.h"
#include "table.h"
#include "ui/fonts.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QTemporaryFile>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace qb = quorvane::bench;

// The sizes one drag goes through: from the designed window to the largest and back.
std::vector<QSize> DragSizes() {
    const QSize from(686, 558), to(1920, 1181);
    constexpr int kSteps = 40;
    std::vector<QSize> sizes;
    for (int i = 0; i <= kSteps; ++i)
        sizes.emplace_back(from.width() + (to.width() - from.width()) * i / kSteps,
                           from.height() + (to.height() - from.height()) * i / kSteps);
    for (int i = kSteps - 1; i >= 0; --i)
        sizes.push_back(sizes[static_cast<std::size_t>(i)]);
    return sizes;
}

// One frame: the resize, the layout it asks for, and the paint of the whole
// window; layoutMs gets the part before the paint.
double FrameMs(QWidget &window, QSize size, double *layoutMs = nullptr) {
    const auto start = Clock::now();
    window.resize(size);
    QCoreApplication::sendPostedEvents(); // the layout requests the resize queued
    const auto laidOut = Clock::now();
    window.repaint();
    const auto end = Clock::now();
    if (layoutMs)
        *layoutMs = std::chrono::duration<double, std::milli>(laidOut - start).count();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

void Settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

} // namespace

int main(int argc, char **argv) {
    QTemporaryFile screen;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && screen.open()) {
        screen.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920, "height": 1200,
                     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1.0}]})");
        screen.flush();
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen.fileName()).toLocal8Bit());
    }
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string record = argc > 2 ? argv[2] : QUORVANE_EXAMPLE_RECORD;

    quorvane::ui::installClassicFonts();
    quorvane::Module1 module;
    qb::NoDialog dialog;
    qb::SilentBox box;
    quorvane::ui::FrmChsMain window(module, &dialog, &box);
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    window.openPath(record);
    window.stepBy(20);
    QWidget empty;
    empty.resize(686, 558);
    empty.show();
    (void)QTest::qWaitForWindowExposed(&empty);
    Settle();

    const std::vector<QSize> sizes = DragSizes();
    std::vector<double> frames, floors, layouts;
    double worst = 0, worstFloor = 0;
    for (int run = 0; run < runs; ++run) {
        // Interleaved: each size the window, then the empty window.
        for (const QSize size : sizes) {
            double layout = 0;
            const double ms = FrameMs(window, size, &layout);
            layouts.push_back(layout);
            const double floor = FrameMs(empty, size);
            frames.push_back(ms);
            floors.push_back(floor);
            worst = std::max(worst, ms);
            worstFloor = std::max(worstFloor, floor);
        }
        Settle();
    }
    const auto frame = qb::SpreadOf(frames), floor = qb::SpreadOf(floors);
    std::sort(frames.begin(), frames.end());
    const double p99 = frames[frames.size() * 99 / 100];
    std::printf("Resizing from 686 x 558 to 1920 x 1181 and back, %zu frames a drag, %d drags:\n\n",
                sizes.size(), runs);
    qb::PrintTableHead();
    qb::PrintRow("One frame of a drag, resize to painted", frame, "ms", "an empty Qt window", floor);
    qb::PrintRow("Of which the layout (scale, fonts, geometry)", qb::SpreadOf(layouts), "ms");
    std::printf("\n99th percentile %.2f ms; slowest frame %.2f ms (empty window %.2f ms); at or under 16 ms: %s\n",
                p99, worst, worstFloor, worst <= 16.0 ? "every frame" : "not every frame");
    return 0;
}
