// The engine process against the scripted fake engine: what is sent, what is
// reported, a new position while searching, a crash, a hang, and that nothing
// is left running afterwards.
#include "platform/qt/uci_engine.h"
#include "ui/game_evaluator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace quorvane::testing {
namespace {

const QString kFenA = QStringLiteral("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
const QString kFenB = QStringLiteral("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 7");
const QString kFenC = QStringLiteral("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 9");

bool processAlive(qint64 pid) {
    return pid > 0 && QFile::exists(QStringLiteral("/proc/%1").arg(pid));
}

struct Report {
    int id;
    int cp;
};

// One fake engine with its command log, and everything it reported.
struct FakeEngine {
    QTemporaryDir dir;
    std::unique_ptr<UciEngine> engine;
    std::vector<Report> infos;
    std::vector<int> bestMoves;
    QStringList failures;
    int readies = 0;

    explicit FakeEngine(const char *mode, UciEngine::Options options = {}) {
        qputenv("FAKE_UCI_MODE", mode);
        qputenv("FAKE_UCI_LOG", logPath().toLocal8Bit());
        engine = std::make_unique<UciEngine>(QStringLiteral(FAKE_UCI_PATH), options);
        QObject::connect(engine.get(), &UciEngine::ready, [this] { ++readies; });
        QObject::connect(engine.get(), &UciEngine::info, [this](int id, const engine::UciInfo &info) {
            infos.push_back({id, info.scoreCp.value_or(-1)});
        });
        QObject::connect(engine.get(), &UciEngine::bestMove,
                         [this](int id, const QString &) { bestMoves.push_back(id); });
        QObject::connect(engine.get(), &UciEngine::failed, [this](const QString &text) { failures << text; });
    }
    QString logPath() const { return dir.filePath(QStringLiteral("commands.log")); }
    QStringList log() const {
        QFile file(logPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    bool startAndWait() {
        engine->start();
        return QTest::qWaitFor([this] { return readies == 1; }, 3000);
    }
    bool waitForInfoOf(int id) {
        return QTest::qWaitFor([&] { return !infos.empty() && infos.back().id == id; }, 3000);
    }
};

TEST(UciEngine, SendsTheHandshakeSearchesAndQuitInOrder) {
    FakeEngine fake("normal", {.threads = 2, .hashMb = 32});
    ASSERT_TRUE(fake.startAndWait());
    fake.engine->newGame();
    const int a = fake.engine->analyse(kFenA);
    ASSERT_TRUE(fake.waitForInfoOf(a));
    const int b = fake.engine->analyse(kFenB, 5000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fake.bestMoves.empty(); }, 3000));
    EXPECT_EQ(fake.bestMoves, std::vector<int>{b}); // the stopped search reports no bestmove
    const int c = fake.engine->analyse(kFenC);
    ASSERT_TRUE(fake.waitForInfoOf(c));
    fake.engine->shutdown();
    EXPECT_EQ(fake.log(), (QStringList{
                              "uci",
                              "setoption name Threads value 2",
                              "setoption name Hash value 32",
                              "isready",
                              "ucinewgame",
                              "isready",
                              "position fen " + kFenA,
                              "go infinite",
                              "stop",
                              "position fen " + kFenB,
                              "go nodes 5000",
                              "position fen " + kFenC,
                              "go infinite",
                              "stop",
                              "quit",
                          }));
    EXPECT_TRUE(fake.failures.isEmpty());
}

// Lines of the old search that arrive after a new position was asked for are
// never reported, and a position replaced before its search began is skipped.
TEST(UciEngine, NeverReportsALineOfTheOldPosition) {
    for (const char *mode : {"normal", "slowstop"}) {
        SCOPED_TRACE(mode);
        FakeEngine fake(mode);
        ASSERT_TRUE(fake.startAndWait());
        const int a = fake.engine->analyse(kFenA);
        ASSERT_TRUE(fake.waitForInfoOf(a));
        fake.engine->analyse(kFenB);
        const std::size_t before = fake.infos.size();
        const int c = fake.engine->analyse(kFenC);
        ASSERT_TRUE(fake.waitForInfoOf(c));
        QTest::qWait(50); // let any late line arrive
        for (std::size_t i = before; i < fake.infos.size(); ++i) {
            EXPECT_EQ(fake.infos[i].id, c);
            EXPECT_EQ(fake.infos[i].cp, 90);
        }
        EXPECT_FALSE(fake.log().contains("position fen " + kFenB));
        EXPECT_EQ(fake.infos.front().cp, 10);
    }
}

TEST(UciEngine, ReportsACrashAndRestarts) {
    FakeEngine fake("crash", {.replyTimeoutMs = 2000});
    ASSERT_TRUE(fake.startAndWait());
    const qint64 pid = fake.engine->processId();
    fake.engine->analyse(kFenA);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fake.failures.isEmpty(); }, 3000));
    EXPECT_EQ(fake.failures, QStringList{"The chess engine stopped unexpectedly."});
    EXPECT_EQ(fake.engine->state(), UciEngine::State::Failed);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !processAlive(pid); }, 2000));

    qputenv("FAKE_UCI_MODE", "normal");
    fake.engine->restart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake.readies == 2; }, 3000));
    const int b = fake.engine->analyse(kFenB);
    EXPECT_TRUE(fake.waitForInfoOf(b));
}

TEST(UciEngine, GivesUpOnAnEngineThatDoesNotAnswer) {
    FakeEngine fake("hang", {.replyTimeoutMs = 200});
    fake.engine->start();
    const qint64 pid = fake.engine->processId();
    EXPECT_TRUE(processAlive(pid));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fake.failures.isEmpty(); }, 3000));
    EXPECT_EQ(fake.failures, QStringList{"The chess engine does not answer."});
    EXPECT_EQ(fake.readies, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !processAlive(pid); }, 2000)); // killed and reaped
}

TEST(UciEngine, SaysWhenTheProgramCannotBeStarted) {
    UciEngine engine(QStringLiteral("/nonexistent/engine"), {});
    QStringList failures;
    QObject::connect(&engine, &UciEngine::failed, [&](const QString &text) { failures << text; });
    engine.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !failures.isEmpty(); }, 3000));
    EXPECT_EQ(failures, QStringList{"The chess engine could not be started: /nonexistent/engine"});
    EXPECT_EQ(engine.analyse(kFenA) > 0, true); // asking again neither crashes nor blocks
}

// Whether the engine ends on quit or must be killed, and whether the engine
// object is shut down or simply destroyed, no process is left behind.
TEST(UciEngine, LeavesNoProcessBehind) {
    struct Row {
        const char *name;
        const char *mode;
        bool searching;
    };
    for (const Row &row : {Row{"quits", "normal", false}, Row{"quits while searching", "normal", true},
                           Row{"ignores quit", "ignorequit", true}}) {
        SCOPED_TRACE(row.name);
        FakeEngine fake(row.mode, {.quitTimeoutMs = 200});
        ASSERT_TRUE(fake.startAndWait());
        if (row.searching) {
            ASSERT_TRUE(fake.waitForInfoOf(fake.engine->analyse(kFenA)));
        }
        const qint64 pid = fake.engine->processId();
        ASSERT_TRUE(processAlive(pid));
        fake.engine.reset();
        EXPECT_FALSE(processAlive(pid));
    }
}

double ownCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// An engine that writes info lines as fast as it can: the window hears of them
// at a frame's rate, its event loop keeps turning, this process does not spend
// its time reading, and the search still stops.
TEST(UciEngine, CoalescesAFloodOfInfoLines) {
    FakeEngine fake("flood");
    ASSERT_TRUE(fake.startAndWait());
    const int id = fake.engine->analyse(kFenB);
    ASSERT_TRUE(fake.waitForInfoOf(id));
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    const std::size_t before = fake.infos.size();
    const double cpuBefore = ownCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(800);
    const double cpu = ownCpuSeconds() - cpuBefore;
    const double seconds = wall.elapsed() / 1000.0;
    const std::size_t reported = fake.infos.size() - before;
    EXPECT_GT(reported, 5u);
    // One exact line a frame, 16 ms apart, and some slack for a busy machine.
    EXPECT_LE(reported, static_cast<std::size_t>(seconds * 1000 / UciEngine::kDeliveryMs) + 5);
    // Of 80 on an idle machine; a held event loop gives next to none, a loaded
    // machine still a good share.
    EXPECT_GE(ticks, 16);
    EXPECT_LT(cpu, 0.5 * seconds) << cpu << " s of CPU in " << seconds << " s";
    for (std::size_t i = before; i < fake.infos.size(); ++i)
        ASSERT_EQ(fake.infos[i].id, id);
    fake.engine->stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake.engine->state() == UciEngine::State::Ready; }, 3000));
    EXPECT_TRUE(fake.failures.isEmpty());
}

TEST(UciEngine, LocatesTheEngineNamedInTheEnvironment) {
    const QByteArray saved = qgetenv("QUORVANE_ENGINE");
    qputenv("QUORVANE_ENGINE", FAKE_UCI_PATH);
    EXPECT_EQ(UciEngine::locate(), QStringLiteral(FAKE_UCI_PATH));
    qputenv("QUORVANE_ENGINE", "sh");
    EXPECT_TRUE(UciEngine::locate().endsWith(QStringLiteral("/sh")));
    if (saved.isEmpty())
        qunsetenv("QUORVANE_ENGINE");
    else
        qputenv("QUORVANE_ENGINE", saved);
}

} // namespace
} // namespace quorvane::testing

namespace quorvane::testing {
namespace {

// The window's pass: three fake engines that answer after random delays (10 cp
// per move number, 5 more with Black to move, from the side to move); each
// position gets its own score, the known one comes without an engine, and
// another game started midway replaces the first.
TEST(GameEvaluator, SpreadsTheGameOverItsEnginesAndKeepsEachScoreInItsPlace) {
    qputenv("FAKE_UCI_MODE", "random");
    qunsetenv("FAKE_UCI_LOG");
    ui::GameEvaluator evaluator(QStringLiteral(FAKE_UCI_PATH), {}, 3, 1000);
    ASSERT_EQ(evaluator.engineCount(), 3);
    std::map<int, std::optional<engine::Score>> results;
    int finished = 0;
    QObject::connect(&evaluator, &ui::GameEvaluator::evaluated,
                     [&](int index, const std::optional<engine::PositionEval> &eval) {
                         results[index] = eval ? std::optional(eval->score) : std::nullopt;
                     });
    QObject::connect(&evaluator, &ui::GameEvaluator::finished, [&] { ++finished; });
    auto items = [](int moves, int firstMove) {
        std::vector<ui::GameEvaluator::Item> out;
        for (int i = 0; i < moves; ++i) {
            const bool white = i % 2 == 0;
            out.push_back({QStringLiteral("4k3/8/8/8/8/8/4P3/4K3 %1 - - 0 %2")
                               .arg(white ? QStringLiteral("w") : QStringLiteral("b"))
                               .arg(firstMove + i / 2),
                           white, std::nullopt});
        }
        return out;
    };
    evaluator.evaluate(items(6, 1));
    evaluator.evaluate(items(12, 20)); // another game before the first is done
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished == 1; }, 10000));
    EXPECT_EQ(evaluator.done(), 12);
    ASSERT_EQ(results.size(), 12u);
    // White's view, written down: move 20 White +200, Black -205, move 21 +210 ...
    const int expected[] = {200, -205, 210, -215, 220, -225, 230, -235, 240, -245, 250, -255};
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(results[i]);
        EXPECT_EQ(results[i]->centipawns, expected[i]);
        EXPECT_EQ(evaluator.analysis()->at(static_cast<std::size_t>(i))->score.centipawns, expected[i]);
    }
    EXPECT_TRUE(evaluator.problem().isEmpty());
}

} // namespace
} // namespace quorvane::testing
