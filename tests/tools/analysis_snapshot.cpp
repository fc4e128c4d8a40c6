// Renders the Analysis window to a PNG once the engine has searched the shown
// position to the given depth and the graph is complete:
//   analysis_snapshot OUT.png RECORD HALF-MOVES [DEPTH]
// The README's picture is made with it.
#include "game/module1.h"
#include "ui/analysis_widgets.h"
#include "ui/analysis_window.h"
#include "ui/fonts.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>

#include <cstdio>

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: analysis_snapshot OUT.png RECORD HALF-MOVES [DEPTH]\n");
        return 2;
    }
    quorvane::Module1 module;
    quorvane::ui::FrmChsMain window(module);
    window.show();
    window.openPath(argv[2]);
    for (int i = 0, n = std::atoi(argv[3]); i < n; ++i)
        window.core().cmdNext_Click();
    window.refresh();
    window.mnuAnalysis_Click();
    auto *analysis = window.analysisWindow();
    const int depth = argc > 4 ? std::atoi(argv[4]) : 18;
    auto *graph = analysis->findChild<quorvane::ui::GameGraph *>();
    auto *depthLabel = analysis->findChild<QLabel *>(QStringLiteral("lblDepth"));
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 300000 &&
           (graph->evaluated() < graph->count() || depthLabel->text().mid(6).toInt() < depth))
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return analysis->grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
