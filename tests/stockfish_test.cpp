// The Analysis window with the real engine. Skipped, saying so, where none is
// installed.
#include "ui/analysis_widgets.h"
#include "ui/analysis_window.h"
#include "ui_support.h"

#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

namespace quorvane::testing {
namespace {

struct RealAnalysis {
    Window w;
    ui::AnalysisWindow *analysis = nullptr;

    void open(const std::string &record, qint64 graphNodes = 100000) {
        w.Open(record);
        ui::AnalysisOptions options;
        options.graphNodes = graphNodes;
        w.window.openAnalysis(options);
        analysis = w.window.analysisWindow();
    }
    QString text(const char *label) { return analysis->findChild<QLabel *>(label)->text(); }
    int depth() { return text("lblDepth").mid(6).toInt(); } // "Depth 14"
    void stepTo(int k) {
        while (w.window.core().Position() < k)
            QTest::mouseClick(w.button("cmdNext"), Qt::LeftButton);
    }
};

#define SKIP_WITHOUT_ENGINE()                                                                                          \
    if (UciEngine::locate().isEmpty())                                                                                 \
    GTEST_SKIP() << "No chess engine found (install the Debian package stockfish)"

TEST(Stockfish, FindsMateInOne) {
    SKIP_WITHOUT_ENGINE();
    QTemporaryDir dir;
    const std::string path = dir.filePath("scholar.txt").toStdString();
    std::ofstream(path) << MakeRecord({"1. e2-e4 e7-e5", "2. f1-c4 b8-c6", "3. d1-h5 g8-f6", "4. h5xf7"});
    RealAnalysis a;
    a.open(path);
    a.stepTo(6);
    ASSERT_TRUE(QTest::qWaitFor([&] { return a.text("lblEval") == "#1"; }, 20000)) << a.text("lblEval").toStdString();
    EXPECT_TRUE(a.text("lblLine").startsWith("4. Qxf7#")) << a.text("lblLine").toStdString();
    EXPECT_EQ(a.analysis->findChild<ui::EvalBar *>()->accessibleName(), "Evaluation bar: White 100%, Black 0%");
    a.stepTo(7); // mated: the engine is not asked
    EXPECT_EQ(a.text("lblEval"), "1-0");
    EXPECT_EQ(a.text("lblLine"), "Checkmate");
}

TEST(Stockfish, StartPositionIsAboutEven) {
    SKIP_WITHOUT_ENGINE();
    RealAnalysis a;
    a.open(TestDataPath("game_015.txt"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return a.depth() >= 12; }, 30000));
    bool ok = false;
    const double pawns = a.text("lblEval").toDouble(&ok);
    ASSERT_TRUE(ok) << a.text("lblEval").toStdString();
    EXPECT_LE(std::abs(pawns), 1.0);
    EXPECT_TRUE(a.text("lblLine").startsWith("1. ")) << a.text("lblLine").toStdString();
}

// The example game, 60 half-moves: every one of its 61 positions gets a score.
TEST(Stockfish, GraphOfAWholeGameFillsIn) {
    SKIP_WITHOUT_ENGINE();
    RealAnalysis a;
    a.open(TestDataPath("file1.txt"), 20000);
    auto *graph = a.analysis->findChild<ui::GameGraph *>();
    ASSERT_EQ(graph->count(), 61);
    ASSERT_TRUE(QTest::qWaitFor([&] { return graph->evaluated() == graph->count(); }, 120000));
    EXPECT_EQ(a.text("lblProgress"), "Graph: all 61 positions evaluated at 20,000 nodes");
    for (int k = 0; k < graph->count(); ++k)
        EXPECT_TRUE(graph->evaluation(k)) << k;
    // The review has its figures once every position is known.
    for (const char *label : {"lblWhiteAccuracy", "lblBlackAccuracy", "lblWhiteAcpl", "lblBlackAcpl"})
        EXPECT_TRUE(QTest::qWaitFor([&] { return a.text(label) != QStringLiteral("\u2026"); }, 1000)) << label;
}

} // namespace
} // namespace quorvane::testing
