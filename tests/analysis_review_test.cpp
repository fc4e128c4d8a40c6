// The review in the Analysis window, through the real widgets, with the fake
// engine answering scores chosen so that the figures are known beforehand
// (worked out by hand from the published definitions): one blunder by White, or
// two. Also the move list, the graph's names and clicks, several lines, the
// keys of the main window, the ends of a game, the live search's bound, and the
// analysis kept with the game when the window closes.
#include "engine/review.h"
#include "ui/analysis_widgets.h"
#include "ui/analysis_window.h"
#include "ui_support.h"

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace quorvane::testing {
namespace {

// 1. e4 e5 2. Nf3 Nc6 3. Bc4 Nf6 4. Ng5 d5: eight half-moves, nine positions.
const std::vector<std::string> kMoveLines{"1. e2-e4 e7-e5", "2. g1-f3 b8-c6", "3. f1-c4 g8-f6", "4. f3-g5 d7-d5"};
const std::vector<std::string> kPlayed{"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "g8f6", "f3g5", "d7d5", "a2a3"};

// White's view of each position; half-move 5 (3. Bc4) is a blunder, and with
// the second row so is half-move 7 (4. Ng5).
const std::vector<int> kOneBlunder{20, 30, 25, 35, 30, -380, -370, -390, -400};
const std::vector<int> kTwoBlunders{20, 30, 25, 35, 30, -380, -370, -900, -890};

struct ReviewFixture {
    QTemporaryDir dir;
    Window w;
    ui::AnalysisWindow *analysis = nullptr;
    std::string log;

    // Opens the four-move game and the Analysis window; the fake engine
    // answers whiteView for each position and, before 3. Bc4, 3. d4 as better.
    explicit ReviewFixture(const std::vector<int> &whiteView, std::function<void(ui::AnalysisOptions &)> tune = nullptr,
                           const std::vector<std::string> &moveLines = kMoveLines) {
        const std::string record = dir.filePath("game.txt").toStdString();
        std::ofstream(record) << MakeRecord(moveLines);
        log = dir.filePath("engine.log").toStdString();
        qputenv("FAKE_UCI_MODE", "normal");
        qputenv("FAKE_UCI_LOG", QByteArray::fromStdString(log));
        w.Open(record);
        if (!whiteView.empty()) {
            const std::string scores = dir.filePath("scores.txt").toStdString();
            std::ofstream out(scores);
            const auto &positions = w.window.core().ChessPositions();
            for (std::size_t k = 0; k < positions.size() && k < whiteView.size(); ++k) {
                const int cp = k % 2 == 0 ? whiteView[k] : -whiteView[k];
                const std::string pv = k == 4 ? "d2d4 e5d4 f3d4" : kPlayed[k];
                out << positions[k].toFen() << "\tcp " << cp << "\t" << pv << "\n";
            }
            qputenv("FAKE_UCI_SCORES", QByteArray::fromStdString(scores));
        } else {
            qunsetenv("FAKE_UCI_SCORES");
        }
        open(nullptr, tune);
    }
    ~ReviewFixture() {
        qunsetenv("FAKE_UCI_SCORES");
        qunsetenv("FAKE_UCI_LOG");
    }
    void open(std::function<QString()> locate = nullptr, std::function<void(ui::AnalysisOptions &)> tune = nullptr) {
        ui::AnalysisOptions options;
        options.locate = locate ? locate : [] { return QStringLiteral(FAKE_UCI_PATH); };
        options.graphNodes = 1000;
        if (tune)
            tune(options);
        w.window.openAnalysis(options);
        analysis = w.window.analysisWindow();
    }
    template <class T = QLabel> T *child(const QString &name) { return analysis->findChild<T *>(name); }
    QString text(const char *label) { return child(QString::fromLatin1(label))->text(); }
    QPushButton *button(const char *name) { return child<QPushButton>(QString::fromLatin1(name)); }
    ui::GameGraph *graph() { return analysis->findChild<ui::GameGraph *>(); }
    ui::MoveList *moves() { return analysis->findChild<ui::MoveList *>(); }
    bool waitForGraph() {
        const bool done = QTest::qWaitFor(
            [&] { return graph()->count() > 0 && graph()->evaluated() == graph()->count() &&
                         text("lblProgress").startsWith("Graph: all"); },
            10000);
        if (!done)
            ADD_FAILURE() << text("lblProgress").toStdString() << "; " << text("lblStatus").toStdString();
        return done;
    }
    std::int64_t position() { return w.window.core().Position(); }
    std::string engineLog() {
        std::ifstream in(log);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST(AnalysisReview, ShowsTheFiguresOfTheGamesAnalysis) {
    struct Row {
        const char *name;
        std::vector<int> evals;
        const char *whiteAccuracy, *whiteAcpl, *blackAccuracy, *blackAcpl, *whiteBlunders;
    };
    // Accuracy 42.737 and 41.499, ACPL 107.5 and 235; Black 99.592, 2.5 and 5.
    const Row rows[] = {
        {"one blunder", kOneBlunder, "43%", "108", "100%", "3", "1"},
        {"two blunders", kTwoBlunders, "41%", "235", "100%", "5", "2"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ReviewFixture f(row.evals);
        ASSERT_TRUE(f.waitForGraph());
        EXPECT_EQ(f.text("lblWhiteAccuracy"), row.whiteAccuracy);
        EXPECT_EQ(f.text("lblWhiteAcpl"), row.whiteAcpl);
        EXPECT_EQ(f.text("lblBlackAccuracy"), row.blackAccuracy);
        EXPECT_EQ(f.text("lblBlackAcpl"), row.blackAcpl);
        EXPECT_EQ(f.button("cmdWhiteBlunders")->text(), row.whiteBlunders);
        EXPECT_EQ(f.button("cmdWhiteBlunders")->accessibleName(),
                  QStringLiteral("White's blunders: %1").arg(row.whiteBlunders));
        EXPECT_EQ(f.button("cmdWhiteMistakes")->text(), "0");
        EXPECT_FALSE(f.button("cmdWhiteMistakes")->isEnabled());
        EXPECT_EQ(f.button("cmdBlackInaccuracies")->text(), "0");
        EXPECT_EQ(f.child("lblWhiteAccuracy")->accessibleName(), QStringLiteral("White's accuracy: %1").arg(row.whiteAccuracy));

        // The same figures as the game's analysis gives.
        const auto review = engine::reviewGame(f.w.window.core().Analysis().scores(), true);
        EXPECT_EQ(review.white.blunders, QString::fromLatin1(row.whiteBlunders).toInt());

        EXPECT_EQ(f.graph()->pointText(5), "3. Bc4??: -3.8, White's blunder");
        EXPECT_EQ(f.graph()->pointText(4), "2... Nc6: +0.3");
        EXPECT_TRUE(f.graph()->accessibleName().contains("; White: blunder 3. Bc4??"))
            << f.graph()->accessibleName().toStdString();
        EXPECT_FALSE(f.graph()->accessibleName().contains("Black:"));
        const ui::MoveTableModel *cells = f.moves()->moves();
        EXPECT_EQ(cells->rowCount(), 4);
        EXPECT_EQ(cells->data(cells->indexOf(5), Qt::DisplayRole).toString(), "Bc4?? -3.8");
        EXPECT_EQ(cells->data(cells->indexOf(2), Qt::DisplayRole).toString(), "e5 +0.3");
        EXPECT_EQ(cells->data(cells->indexOf(5), Qt::AccessibleTextRole).toString(), "3. Bc4??, -3.8, blunder");
        EXPECT_EQ(cells->data(cells->index(2, 0), Qt::DisplayRole).toString(), "3.");
    }
}

// Each count steps the main board to that side's first such move, the next
// press to the next, and after the last back to the first; the line below the
// graph names the better move and the scores around it.
TEST(AnalysisReview, CountsStepToTheJudgedMoves) {
    ReviewFixture f(kTwoBlunders);
    ASSERT_TRUE(f.waitForGraph());
    QPushButton *blunders = f.button("cmdWhiteBlunders");
    for (int expected : {5, 7, 5}) {
        QTest::mouseClick(blunders, Qt::LeftButton);
        EXPECT_EQ(f.position(), expected);
        EXPECT_EQ(f.moves()->current(), expected);
    }
    EXPECT_EQ(f.text("lblMove"), "Blunder: 3. Bc4??; better was 3. d4 exd4 4. Nxd4\nBefore +0.3, after -3.8");
    QTest::mouseClick(blunders, Qt::LeftButton);
    EXPECT_EQ(f.position(), 7);
    // The engine's best move was the one played before half-move 7: no "better".
    EXPECT_EQ(f.text("lblMove"), "Blunder: 4. Ng5??\nBefore -3.7, after -9.0");
    f.analysis->showPosition(6);
    EXPECT_EQ(f.text("lblMove"), "3... Nf6\nBefore -3.8, after -3.7");
    f.analysis->showPosition(0);
    EXPECT_EQ(f.text("lblMove"), "Start position: +0.2");
}

// A click on a half-move steps the main board there with Next or Back as the
// user would; the cell of the shown half-move is the only one highlighted.
TEST(AnalysisReview, MoveListClickAndHighlight) {
    ReviewFixture f(kOneBlunder);
    ASSERT_TRUE(f.waitForGraph());
    Harness reference;
    reference.Open("game.txt", MakeRecord(kMoveLines));
    ui::MoveList *list = f.moves();
    for (int target : {3, 8, 1, 6}) {
        SCOPED_TRACE(target);
        while (reference.form.Position() < target)
            reference.form.cmdNext_Click();
        while (reference.form.Position() > target)
            reference.form.cmdBack_Click();
        const QRect cell = list->visualRect(list->moves()->indexOf(target));
        ASSERT_TRUE(cell.isValid());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        EXPECT_EQ(f.position(), target);
        EXPECT_EQ(f.w.window.core().lstMoveList.ListIndex(), reference.form.lstMoveList.ListIndex());
        const QModelIndexList selected = list->selectionModel()->selectedIndexes();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(selected.front(), list->moves()->indexOf(target));
        EXPECT_TRUE(f.graph()->accessibleName().contains(QStringLiteral("position %1 shown").arg(target)));
    }
    // Stepping on the main window moves the highlight along.
    QTest::mouseClick(f.w.button("cmdBack"), Qt::LeftButton);
    EXPECT_EQ(list->selectionModel()->selectedIndexes().value(0), list->moves()->indexOf(5));
    f.analysis->showPosition(0);
    EXPECT_TRUE(list->selectionModel()->selectedIndexes().isEmpty()) << "no half-move played at the start";
}

// The graph's clicks go to the position under the mouse; its names say what
// each point is while the analysis fills in.
TEST(AnalysisReview, GraphNamesAndClicks) {
    ReviewFixture f(kOneBlunder);
    ui::GameGraph *graph = f.graph();
    EXPECT_EQ(graph->pointText(5), "3. Bc4: not evaluated yet");
    ASSERT_TRUE(f.waitForGraph());
    EXPECT_EQ(graph->pointText(0), "Start: +0.2");
    for (int target : {5, 2, 8}) {
        int x = 0;
        while (graph->indexAt(x) < target)
            ++x;
        const QPoint at(x + 1, graph->height() / 2);
        // Hovering there names the point.
        QHelpEvent hover(QEvent::ToolTip, at, graph->mapToGlobal(at));
        QApplication::sendEvent(graph, &hover);
        EXPECT_EQ(QToolTip::text(), graph->pointText(target));
        QTest::mouseClick(graph, Qt::LeftButton, {}, at);
        EXPECT_EQ(f.position(), target);
    }
    EXPECT_EQ(graph->pointText(5), "3. Bc4??: -3.8, White's blunder");
}

TEST(AnalysisReview, SeveralLinesEachWithItsScore) {
    ReviewFixture f({});
    QAction *three = f.w.window.findChild<QAction *>("mnuAnalysisLines3");
    ASSERT_NE(three, nullptr);
    EXPECT_TRUE(f.w.window.findChild<QAction *>("mnuAnalysisLines1")->isChecked()) << "one line by default";
    EXPECT_FALSE(f.child("lblLine2")->isVisibleTo(f.analysis));
    three->trigger();
    EXPECT_TRUE(three->isChecked());
    EXPECT_EQ(f.w.window.analysisLines(), 3);
    // The fake engine's lines score 10, 0 and -10 centipawns at the start.
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.text("lblLine3") == "-0.1  1. Nf3 e5"; }, 5000))
        << f.text("lblLine3").toStdString();
    EXPECT_EQ(f.text("lblLine"), "+0.1  1. e4 e5 2. Nf3");
    EXPECT_EQ(f.text("lblLine2"), "0.0  1. d4 e5");
    EXPECT_EQ(f.text("lblEval"), "+0.1");
    EXPECT_TRUE(f.child("lblLine3")->isVisibleTo(f.analysis));
    EXPECT_FALSE(f.child("lblLine4")->isVisibleTo(f.analysis));
    EXPECT_NE(f.engineLog().find("setoption name MultiPV value 3"), std::string::npos);

    // The choice holds for the next window too.
    f.analysis->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.w.window.analysisWindow() == nullptr; }, 2000));
    f.open();
    EXPECT_TRUE(f.child("lblLine3")->isVisibleTo(f.analysis));
    f.w.window.findChild<QAction *>("mnuAnalysisLines1")->trigger();
    EXPECT_FALSE(f.child("lblLine2")->isVisibleTo(f.analysis));
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.text("lblLine") == "1. e4 e5 2. Nf3"; }, 5000));
}

// Right, Left, Home and End step the main board while the Analysis window has
// the focus; the main window's menu keys work there too: Ctrl+B flips the
// board (and the bar with it) and F3 closes the window again.
TEST(AnalysisReview, MainWindowKeysWorkInTheAnalysisWindow) {
    ReviewFixture f({});
    f.analysis->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.analysis));
    QWidget *list = f.moves();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Right);
    QTest::keyClick(list, Qt::Key_Right);
    EXPECT_EQ(f.position(), 2);
    QTest::keyClick(list, Qt::Key_Left);
    EXPECT_EQ(f.position(), 1);
    QTest::keyClick(f.graph(), Qt::Key_End);
    EXPECT_EQ(f.position(), 8);
    EXPECT_EQ(f.moves()->current(), 8);
    QTest::keyClick(f.analysis, Qt::Key_Home);
    EXPECT_EQ(f.position(), 0);

    auto *bar = f.analysis->findChild<ui::EvalBar *>();
    EXPECT_FALSE(bar->flipped());
    QTest::keyClick(list, Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(f.w.window.findChild<QAction *>("mnuFlipBoard")->isChecked());
    EXPECT_TRUE(bar->flipped()) << "the bar turns with the board";
    EXPECT_TRUE(bar->accessibleName().endsWith(", White at the top"));
    QTest::keyClick(list, Qt::Key_F3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.w.window.analysisWindow() == nullptr; }, 2000));
    // And F3 on the main window opens it again.
    qputenv("QUORVANE_ENGINE", FAKE_UCI_PATH);
    f.w.window.findChild<QAction *>("mnuAnalysis")->trigger();
    EXPECT_NE(f.w.window.analysisWindow(), nullptr);
    qunsetenv("QUORVANE_ENGINE");
}

TEST(AnalysisReview, GameOverShowsHowItEnded) {
    struct Row {
        const char *name;
        std::vector<std::string> moveLines;
        int position;
        const char *eval, *line, *score;
    };
    const Row rows[] = {
        {"checkmate", {"1. e2-e4 e7-e5", "2. f1-c4 b8-c6", "3. d1-h5 g8-f6", "4. h5xf7"}, 7, "1-0", "Checkmate", "1-0"},
        {"fool's mate", {"1. f2-f3 e7-e5", "2. g2-g4 d8-h4"}, 4, "0-1", "Checkmate", "0-1"},
        {"stalemate",
         {"1. e2-e3 a7-a5", "2. d1-h5 a8-a6", "3. h5xa5 h7-h5", "4. h2-h4 a6-h6", "5. a5xc7 f7-f6", "6. c7xd7+ e8-f7",
          "7. d7xb7 d8-d3", "8. b7xb8 d3-h7", "9. b8xc8 f7-g6", "10. c8-e6"},
         19,
         "1/2-1/2",
         "Stalemate",
         "1/2-1/2"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ReviewFixture f({}, nullptr, row.moveLines);
        f.analysis->showPosition(row.position);
        ASSERT_EQ(f.position(), row.position);
        EXPECT_EQ(f.text("lblEval"), row.eval);
        EXPECT_EQ(f.text("lblLine"), row.line);
        ASSERT_TRUE(f.waitForGraph());
        const ui::MoveTableModel *cells = f.moves()->moves();
        EXPECT_TRUE(cells->data(cells->indexOf(row.position), Qt::DisplayRole).toString().endsWith(row.score));
        EXPECT_FALSE(f.graph()->pointText(row.position).contains("#0"));
    }
}

// The live search pauses at its depth or time bound, says so, and goes on when
// asked.
TEST(AnalysisReview, LiveSearchPausesAtItsBound) {
    {
        SCOPED_TRACE("depth");
        ReviewFixture f({}, [](ui::AnalysisOptions &o) { o.liveDepthLimit = 2; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return f.button("cmdGoOn")->isVisible(); }, 5000));
        EXPECT_EQ(f.text("lblPaused"), "Paused at depth 2 to spare the computer.");
        EXPECT_EQ(f.text("lblEval"), "+0.1") << "the figures stay";
        EXPECT_EQ(f.text("lblDepth"), "Depth 2");
        QTest::mouseClick(f.button("cmdGoOn"), Qt::LeftButton);
        EXPECT_FALSE(f.button("cmdGoOn")->isVisible());
        EXPECT_FALSE(f.child("lblPaused")->isVisible());
        QTest::qWait(200);
        EXPECT_FALSE(f.button("cmdGoOn")->isVisible()) << "no bound after Go On";
        const std::string log = f.engineLog();
        std::size_t searches = 0;
        for (std::size_t at = log.find("go infinite"); at != std::string::npos; at = log.find("go infinite", at + 1))
            ++searches;
        EXPECT_EQ(searches, 2u);
        // The next position has its bound again.
        QTest::mouseClick(f.w.button("cmdNext"), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return f.button("cmdGoOn")->isVisible(); }, 5000));
    }
    {
        SCOPED_TRACE("time");
        ReviewFixture f({}, [](ui::AnalysisOptions &o) {
            o.liveDepthLimit = 99;
            o.liveTimeLimitMs = 1000;
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return f.text("lblEval") == "+0.1"; }, 5000));
        EXPECT_FALSE(f.button("cmdGoOn")->isVisible());
        ASSERT_TRUE(QTest::qWaitFor([&] { return f.button("cmdGoOn")->isVisible(); }, 5000));
        EXPECT_EQ(f.text("lblPaused"), "Paused after 1 s to spare the computer.");
    }
}

// Closing the window stops its engines and keeps what they found: opened again,
// even with no engine at all, it shows the review at once. Another game starts
// a new analysis.
TEST(AnalysisReview, AnalysisOutlivesTheWindow) {
    ReviewFixture f(kOneBlunder);
    ASSERT_TRUE(f.waitForGraph());
    const QString accessible = f.graph()->accessibleName();
    f.analysis->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.w.window.analysisWindow() == nullptr; }, 2000));
    EXPECT_EQ(f.w.window.core().Analysis().known(), 9u);

    f.open([] { return QString(); });
    EXPECT_EQ(f.text("lblStatus"), "No chess engine found. Install the Debian package stockfish.");
    EXPECT_EQ(f.graph()->evaluated(), 9);
    EXPECT_EQ(f.text("lblWhiteAccuracy"), "43%");
    EXPECT_EQ(f.button("cmdWhiteBlunders")->text(), "1");
    EXPECT_EQ(f.text("lblProgress"), "Graph: all 9 positions evaluated");
    EXPECT_EQ(f.graph()->accessibleName(), accessible);

    f.w.Open(TestDataPath("game_015.txt"));
    EXPECT_EQ(f.graph()->evaluated(), 0);
    EXPECT_EQ(f.text("lblWhiteAccuracy"), "\u2026");
    EXPECT_EQ(f.button("cmdWhiteBlunders")->text(), "0");
    EXPECT_EQ(f.w.window.core().Analysis().known(), 0u);
}

} // namespace
} // namespace quorvane::testing
