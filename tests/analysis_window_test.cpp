// The Analysis window with the scripted fake engine: it follows the main board
// without ever showing a line of another position, fills the graph, goes to a
// clicked point, says what is wrong (no engine, a crash, a hang, a position
// past the game's end) and stops its engines when it or the program closes.
#include "ui/analysis_widgets.h"
#include "ui/analysis_window.h"
#include "ui_support.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

namespace quorvane::testing {
namespace {

bool processAlive(qint64 pid) {
    return pid > 0 && QFile::exists(QStringLiteral("/proc/%1").arg(pid));
}

// The fake engine's score for position k of a game: ten centipawns per move
// number, from the side to move, shown from White's side.
QString fakeEval(int k) {
    const int tenths = k / 2 + 1;
    return QStringLiteral("%1%2.%3").arg(k % 2 == 0 ? "+" : "-").arg(tenths / 10).arg(tenths % 10);
}

struct AnalysisFixture {
    Window w;
    ui::AnalysisWindow *analysis = nullptr;

    explicit AnalysisFixture(const char *mode, const std::string &record = TestDataPath("game_015.txt"),
                             int replyTimeoutMs = 5000, std::function<QString()> locate = nullptr,
                             std::function<void(ui::AnalysisOptions &)> tune = nullptr) {
        qputenv("FAKE_UCI_MODE", mode);
        qunsetenv("FAKE_UCI_LOG");
        qunsetenv("FAKE_UCI_SCORES");
        replyTimeoutMs_ = replyTimeoutMs;
        w.Open(record);
        open(locate, tune);
    }
    void open(std::function<QString()> locate = nullptr, std::function<void(ui::AnalysisOptions &)> tune = nullptr) {
        ui::AnalysisOptions options;
        options.locate = locate ? locate : [] { return QStringLiteral(FAKE_UCI_PATH); };
        options.replyTimeoutMs = replyTimeoutMs_;
        options.graphNodes = 1000;
        if (tune)
            tune(options);
        w.window.openAnalysis(options);
        analysis = w.window.analysisWindow();
    }
    // Opens the window again with engines that log their commands to log.
    void reopenLogging(const QString &log) {
        qputenv("FAKE_UCI_LOG", log.toUtf8());
        analysis->close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.window.analysisWindow() == nullptr; }, 2000));
        open();
    }
    int replyTimeoutMs_ = 5000;
    QString text(const char *label) { return analysis->findChild<QLabel *>(label)->text(); }
    ui::GameGraph *graph() { return analysis->findChild<ui::GameGraph *>(); }
    bool waitForEval(const QString &eval) {
        return QTest::qWaitFor([&] { return text("lblEval") == eval; }, 5000);
    }
    void next() { QTest::mouseClick(w.button("cmdNext"), Qt::LeftButton); }
    void back() { QTest::mouseClick(w.button("cmdBack"), Qt::LeftButton); }
};

TEST(AnalysisWindow, ShowsTheFiguresOfTheBoardsPosition) {
    AnalysisFixture f("normal");
    ASSERT_TRUE(f.waitForEval("+0.1"));
    EXPECT_EQ(f.text("lblDepth"), "Depth 2");
    EXPECT_EQ(f.text("lblLine"), "1. e4 e5 2. Nf3");
    EXPECT_EQ(f.text("lblStatus"), "");
    EXPECT_EQ(f.analysis->findChild<ui::EvalBar *>()->accessibleName(), "Evaluation bar: White 51%, Black 49%");
    EXPECT_FALSE(f.analysis->isModal());
    // Beside the main window, on its right, where the screen has room for it;
    // on the screen in any case.
    const QRect screen = f.w.window.screen()->availableGeometry();
    if (f.w.window.frameGeometry().right() + 8 + f.analysis->width() <= screen.right())
        EXPECT_GT(f.analysis->x(), f.w.window.frameGeometry().right());
    else
        EXPECT_LE(f.analysis->x() + f.analysis->width(), screen.right() + 1);
    EXPECT_EQ(f.analysis->parentWidget(), &f.w.window);
}

// Every figure shown after a step is the new position's: the fake engine's
// stop answer carries a line of the old search, and with slowstop it arrives
// late, after the window has asked for the new position.
TEST(AnalysisWindow, NeverShowsALineOfTheOldPosition) {
    for (const char *mode : {"normal", "slowstop"}) {
        SCOPED_TRACE(mode);
        AnalysisFixture f(mode);
        std::vector<std::pair<std::int64_t, QString>> shown;
        QObject::connect(f.analysis, &ui::AnalysisWindow::liveUpdated,
                         [&] { shown.emplace_back(f.w.window.core().Position(), f.text("lblEval")); });
        ASSERT_TRUE(f.waitForEval(fakeEval(0)));
        f.next();
        ASSERT_TRUE(f.waitForEval(fakeEval(1)));
        for (int i = 0; i < 4; ++i)
            f.next();
        f.back();
        ASSERT_TRUE(f.waitForEval(fakeEval(4)));
        QTest::qWait(300);
        for (const auto &[k, eval] : shown)
            EXPECT_TRUE(eval.isEmpty() || eval == fakeEval(static_cast<int>(k)))
                << k << " showed " << eval.toStdString();
        EXPECT_EQ(f.text("lblEval"), fakeEval(4));
    }
}

TEST(AnalysisWindow, FillsTheGraphAndFollowsANewRecord) {
    AnalysisFixture f("normal");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return f.graph()->count() > 0 && f.graph()->evaluated() == f.graph()->count(); }, 10000));
    const int positions = f.graph()->count();
    EXPECT_EQ(positions, static_cast<int>(f.w.window.core().ChessPositions().size()));
    EXPECT_EQ(f.text("lblProgress"), QStringLiteral("Graph: all %1 positions evaluated at 1,000 nodes").arg(positions));
    EXPECT_TRUE(f.graph()->accessibleName().startsWith(
        QStringLiteral("Evaluation graph: %1 of %1 positions evaluated, position 0 shown").arg(positions)));

    f.w.Open(TestDataPath("game_073.txt"));
    EXPECT_EQ(f.graph()->count(), static_cast<int>(f.w.window.core().ChessPositions().size()));
    EXPECT_NE(f.graph()->count(), positions);
    EXPECT_LT(f.graph()->evaluated(), f.graph()->count()) << "starts over";
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.graph()->evaluated() == f.graph()->count(); }, 10000));
    EXPECT_TRUE(f.waitForEval(fakeEval(0)));
    EXPECT_EQ(f.w.window.core().Analysis().size(), static_cast<std::size_t>(f.graph()->count()));
}

// A click on the graph steps the main board there with Next or Back, as the
// user would: same position, same move-list selection as those clicks give.
TEST(AnalysisWindow, GraphClickShowsThatPosition) {
    AnalysisFixture f("normal");
    Harness reference;
    reference.Open("game_015.txt", ReadTestData("game_015.txt"));
    ui::GameGraph *graph = f.graph();
    const int n = graph->count();
    ASSERT_GT(n, 40);
    for (int target : {7, 8, 30, 29, 0, n - 1, 1}) {
        SCOPED_TRACE(target);
        while (reference.form.Position() < target)
            reference.form.cmdNext_Click();
        while (reference.form.Position() > target)
            reference.form.cmdBack_Click();
        // The middle of the target's column.
        int x = 0;
        while (graph->indexAt(x) < target)
            ++x;
        int end = x;
        while (end < graph->width() && graph->indexAt(end) == target)
            ++end;
        QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint((x + end - 1) / 2, graph->height() / 2));
        EXPECT_EQ(f.w.window.core().Position(), target);
        EXPECT_EQ(f.w.window.core().lstMoveList.ListIndex(), reference.form.lstMoveList.ListIndex());
        EXPECT_EQ(f.w.shownRow(), reference.form.lstMoveList.ListIndex());
        EXPECT_TRUE(graph->accessibleName().contains(QStringLiteral("position %1 shown").arg(target)));
        EXPECT_TRUE(f.waitForEval(fakeEval(target)));
    }
}

TEST(AnalysisWindow, SaysWhenThePositionIsPastTheGamesEnd) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("broken.txt").toStdString();
    std::ofstream(path) << MakeRecord({"1. e2-e4 e7-e5", "2. e4-e6 d7-d6", "3. d2-d4 d6-d5"});
    AnalysisFixture f("normal", path);
    ASSERT_TRUE(f.waitForEval("+0.1"));
    EXPECT_EQ(f.graph()->count(), 3);
    for (int i = 0; i < 3; ++i)
        f.next();
    EXPECT_EQ(f.text("lblStatus"), "Not a legal chess position: half-move 3 (2. e4-e6): e4-e6 is not a legal move");
    EXPECT_EQ(f.text("lblEval"), "");
    EXPECT_EQ(f.text("lblLine"), "");
    QTest::qWait(100);
    EXPECT_EQ(f.text("lblEval"), "") << "nothing analysed";
    EXPECT_FALSE(f.graph()->accessibleName().contains("shown"));
    f.back();
    EXPECT_TRUE(f.waitForEval(fakeEval(2)));
    EXPECT_EQ(f.text("lblStatus"), "");
}

TEST(AnalysisWindow, SaysWhatIsWrongWithTheEngine) {
    {
        AnalysisFixture f("normal", TestDataPath("game_015.txt"), 5000, [] { return QString(); });
        EXPECT_EQ(f.text("lblStatus"), "No chess engine found. Install the Debian package stockfish.");
        EXPECT_EQ(f.analysis->liveEngine(), nullptr);
        f.next(); // the rest of the program works
        EXPECT_EQ(f.w.window.core().Position(), 1);
        EXPECT_EQ(f.text("lblStatus"), "No chess engine found. Install the Debian package stockfish.");
    }
    {
        AnalysisFixture f("hang", TestDataPath("game_015.txt"), 200);
        const QString said = "The chess engine does not answer.";
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return f.analysis->liveEngine()->state() == UciEngine::State::Failed &&
                       f.analysis->graphEngine()->state() == UciEngine::State::Failed;
            },
            3000));
        EXPECT_EQ(f.text("lblStatus"), said);
        auto *restart = f.analysis->findChild<QPushButton *>("cmdRestart");
        EXPECT_TRUE(restart->isVisible());
        f.next(); // the main window still answers
        EXPECT_EQ(f.w.window.core().Position(), 1);
        EXPECT_EQ(f.text("lblStatus"), said);
        qputenv("FAKE_UCI_MODE", "normal");
        QTest::mouseClick(restart, Qt::LeftButton);
        EXPECT_TRUE(f.waitForEval(fakeEval(1)));
        EXPECT_FALSE(restart->isVisible());
        EXPECT_EQ(f.text("lblStatus"), "");
    }
    {
        AnalysisFixture f("crash");
        const QString said = "The chess engine stopped unexpectedly.";
        ASSERT_TRUE(QTest::qWaitFor([&] { return f.text("lblStatus") == said; }, 3000));
        EXPECT_TRUE(f.analysis->findChild<QPushButton *>("cmdRestart")->isVisible());
    }
}

// The engines run only while the window is open: closing it or the program
// ends them.
TEST(AnalysisWindow, ClosingStopsTheEngines) {
    for (bool exitProgram : {false, true}) {
        SCOPED_TRACE(exitProgram ? "File > Exit" : "window closed");
        AnalysisFixture f("normal");
        ASSERT_TRUE(f.waitForEval("+0.1"));
        const qint64 live = f.analysis->liveEngine()->processId();
        const qint64 graph = f.analysis->graphEngine()->processId();
        ASSERT_TRUE(processAlive(live) && processAlive(graph));
        if (exitProgram) {
            f.w.window.mnuExit_Click();
            EXPECT_FALSE(f.w.window.isVisible());
        } else {
            f.analysis->close();
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return f.w.window.analysisWindow() == nullptr; }, 2000));
        EXPECT_FALSE(processAlive(live));
        EXPECT_FALSE(processAlive(graph));
    }
}

std::vector<std::string> logLines(const QString &path) {
    std::ifstream in(path.toStdString());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// View > Analysis Depth searches the whole game again at the chosen budget.
// Meanwhile the graph holds only the new budget's evaluations, and when it is
// done every one was searched at it (the fake engine reports the budget as its
// nodes).
TEST(AnalysisWindow, AnalysisDepthSearchesTheGameAgainAtTheNewBudget) {
    QTemporaryDir dir;
    const QString log = dir.filePath("engine.log");
    AnalysisFixture f("normal");
    f.reopenLogging(log);
    const int positions = f.graph()->count();
    auto allDone = [&](const char *budget) {
        return QTest::qWaitFor(
            [&] {
                return f.text("lblProgress") ==
                       QStringLiteral("Graph: all %1 positions evaluated at %2 nodes").arg(positions).arg(budget);
            },
            10000);
    };
    ASSERT_TRUE(allDone("1,000")) << f.text("lblProgress").toStdString();
    auto searches = [&](const std::string &go) {
        const auto lines = logLines(log);
        return std::count(lines.begin(), lines.end(), go);
    };
    EXPECT_GT(searches("go nodes 1000"), 0);
    EXPECT_EQ(searches("go nodes 1000000"), 0);

    auto *menu = f.w.window.findChild<QMenu *>("mnuAnalysisDepth");
    ASSERT_NE(menu, nullptr);
    QStringList names;
    for (QAction *choice : menu->actions())
        names << choice->text() + (choice->isChecked() ? "*" : "");
    EXPECT_EQ(names, (QStringList{"100,000 nodes*", "1,000,000 nodes", "5,000,000 nodes"}));
    f.w.window.findChild<QAction *>("mnuAnalysisDepth1000000")->trigger();
    EXPECT_TRUE(f.w.window.findChild<QAction *>("mnuAnalysisDepth1000000")->isChecked());
    EXPECT_FALSE(f.w.window.findChild<QAction *>("mnuAnalysisDepth100000")->isChecked());
    EXPECT_EQ(f.analysis->graphNodes(), 1000000);
    // At once: the old budget's figures are gone, none of the new ones has come.
    const engine::GameAnalysis &analysis = f.w.window.core().Analysis();
    const int finals = static_cast<int>(analysis.known()); // the game's end, known without a search
    EXPECT_LE(finals, 1);
    EXPECT_EQ(f.graph()->evaluated(), finals);
    EXPECT_EQ(f.text("lblProgress"),
              QStringLiteral("Graph: %1 of %2 positions evaluated at 1,000,000 nodes").arg(finals).arg(positions));
    EXPECT_EQ(f.text("lblWhiteAccuracy"), QStringLiteral("\u2026"));

    ASSERT_TRUE(allDone("1,000,000")) << f.text("lblProgress").toStdString();
    EXPECT_EQ(searches("go nodes 1000000"), positions - finals);
    for (std::size_t i = 0; i < analysis.size(); ++i) {
        if (analysis.at(i)->nodes != 0) { // a final position is not searched
            EXPECT_EQ(analysis.at(i)->nodes, 1000000) << "position " << i;
        }
    }
    EXPECT_EQ(analysis.budget(), 1000000);

    // Closed and opened again from the menu, the window keeps the budget and
    // what was found at it: nothing is searched again.
    const auto before = searches("go nodes 1000000");
    f.analysis->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.w.window.analysisWindow() == nullptr; }, 2000));
    qputenv("QUORVANE_ENGINE", FAKE_UCI_PATH);
    f.w.window.findChild<QAction *>("mnuAnalysis")->trigger();
    qunsetenv("QUORVANE_ENGINE");
    f.analysis = f.w.window.analysisWindow();
    ASSERT_NE(f.analysis, nullptr);
    EXPECT_EQ(f.analysis->graphNodes(), 1000000);
    EXPECT_EQ(f.text("lblProgress"),
              QStringLiteral("Graph: all %1 positions evaluated at 1,000,000 nodes").arg(positions));
    QTest::qWait(100);
    EXPECT_EQ(searches("go nodes 1000000"), before);
    qunsetenv("FAKE_UCI_LOG");
}

// An analysis read from the game's [%eval] comments is shown as it is, with no
// budget named and nothing searched; choosing a budget replaces all of it.
TEST(AnalysisWindow, AnalysisDepthReplacesAnAnalysisReadFromTheGame) {
    QTemporaryDir dir;
    const QString pgn = dir.filePath("analysed.pgn");
    std::ofstream(pgn.toStdString()) << "[Event \"?\"]\n\n{ [%eval 0.20] } 1. e4 { [%eval 0.30] } e5 { [%eval 0.25] } "
                                        "2. Nf3 { [%eval 0.35] } *\n";
    const QString log = dir.filePath("engine.log");
    AnalysisFixture f("normal", pgn.toStdString());
    f.reopenLogging(log);
    EXPECT_EQ(f.graph()->evaluated(), 4);
    EXPECT_EQ(f.text("lblProgress"), "Graph: all 4 positions evaluated");
    EXPECT_EQ(f.graph()->evaluation(1)->centipawns, 30);
    QTest::qWait(100);
    const auto searches = [&] {
        const auto lines = logLines(log);
        return std::count_if(lines.begin(), lines.end(), [](const std::string &l) { return l.starts_with("go nodes"); });
    };
    EXPECT_EQ(searches(), 0);
    f.w.window.setAnalysisNodes(1000000);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return f.text("lblProgress") == "Graph: all 4 positions evaluated at 1,000,000 nodes"; }, 5000))
        << f.text("lblProgress").toStdString();
    EXPECT_EQ(searches(), 4);
    EXPECT_EQ(f.graph()->evaluation(1)->centipawns, -10) << "the engine's, not the comment's";
    qunsetenv("FAKE_UCI_LOG");
}

// An engine of the pass that dies on some positions: the window names those
// that have no evaluation, in its graph area and the graph's accessible name,
// and Restart goes on with the rest. The fake engine dies on move 7's two
// positions (half-moves 12 and 13), each given up after two tries.
TEST(AnalysisWindow, NamesThePositionsAFailedEngineGaveUp) {
    qputenv("FAKE_UCI_DIE_AT", "7");
    AnalysisFixture f("dieat", TestDataPath("game_015.txt"), 5000, nullptr,
                      [](ui::AnalysisOptions &options) { options.graphEngines = 1; });
    const int positions = f.graph()->count();
    auto *restart = f.analysis->findChild<QPushButton *>("cmdRestart");
    auto *missing = f.analysis->findChild<QLabel *>("lblMissing");
    ASSERT_TRUE(QTest::qWaitFor([&] { return restart->isVisible(); }, 5000));
    // The one engine is down: everything from half-move 12 on is missing.
    const QString stalled =
        QStringLiteral("No evaluation for half-moves 12 to %1: the engine stopped.").arg(positions - 1);
    EXPECT_EQ(f.text("lblStatus"), "The chess engine stopped unexpectedly.");
    EXPECT_TRUE(missing->isVisible());
    EXPECT_EQ(missing->text(), stalled);
    EXPECT_TRUE(f.graph()->accessibleName().endsWith(". " + stalled)) << f.graph()->accessibleName().toStdString();
    EXPECT_EQ(f.graph()->evaluated(), 12);
    // Each Restart dies again on the next of them, until both are given up.
    const QString gaveUp = "No evaluation for half-moves 12 and 13: the engine stopped.";
    int presses = 0;
    for (; presses < 6 && missing->text() != gaveUp; ++presses) {
        QTest::mouseClick(restart, Qt::LeftButton);
        (void)QTest::qWaitFor([&] { return restart->isVisible() || missing->text() == gaveUp; }, 5000);
    }
    ASSERT_EQ(missing->text(), gaveUp);
    EXPECT_EQ(presses, 4);
    // The engine goes on with the rest; the two stay named when it is done.
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.graph()->evaluated() == positions - 2; }, 5000));
    EXPECT_EQ(missing->text(), gaveUp);
    EXPECT_TRUE(f.graph()->accessibleName().endsWith(". " + gaveUp));
    EXPECT_FALSE(restart->isVisible());
    qunsetenv("FAKE_UCI_DIE_AT");
}

TEST(AnalysisWindow, ViewMenuTogglesOneWindowWithF3) {
    Window w;
    QStringList order;
    for (QAction *action : w.window.menuBar()->actions())
        order << action->menu()->objectName();
    EXPECT_EQ(order.indexOf("mnuView") + 1, order.indexOf("mnuHelp"));
    auto *analysis = w.window.findChild<QAction *>("mnuAnalysis");
    ASSERT_NE(analysis, nullptr);
    EXPECT_EQ(analysis->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(analysis->text(), "&Analysis");
    qputenv("QUORVANE_ENGINE", FAKE_UCI_PATH);
    qputenv("FAKE_UCI_MODE", "normal");
    analysis->trigger();
    ui::AnalysisWindow *first = w.window.analysisWindow();
    ASSERT_NE(first, nullptr);
    w.window.openAnalysis({});
    EXPECT_EQ(w.window.analysisWindow(), first) << "one window at most";
    EXPECT_EQ(w.window.findChildren<ui::AnalysisWindow *>().size(), 1);
    analysis->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.window.analysisWindow() == nullptr; }, 2000)) << "F3 again closes it";
    analysis->trigger();
    EXPECT_NE(w.window.analysisWindow(), nullptr);
    qunsetenv("QUORVANE_ENGINE");
}

} // namespace
} // namespace quorvane::testing
