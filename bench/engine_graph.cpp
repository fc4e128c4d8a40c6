// The whole-game pass's time against the engine's own: every position of a
// record evaluated at a fixed node budget by JOBS engine processes side by
// side, through the program's engine layer twice (GameEvaluator's UciEngines on
// an event loop, as the Analysis window runs them, and runPass's poll loop, as
// quorvane --analyse does), and through JOBS bare pipes to the same engine, one
// thread each taking the next position, that only write the commands and read
// until bestmove. The last is the floor; the difference is what the program adds.
//
//   engine_graph [RECORD] [NODES] [ROUNDS] [JOBS]
#include "chess/record_game.h"
#include "engine/line.h"
#include "engine/pass_runner.h"
#include "logic/chs_main.h"
#include "platform/qt/uci_engine.h"
#include "ui/game_evaluator.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace quorvane;
using Clock = std::chrono::steady_clock;

namespace {

struct NoDialog : FileDialog {
    bool ShowOpen() override { return false; }
};
struct PrintedBox : MessageBox {
    void Show(const std::string &text, int, const std::optional<std::string> &) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
};

// The engine in a child process with two plain pipes.
class PipeEngine {
public:
    explicit PipeEngine(const std::string &program) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            std::abort();
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close(in[1]);
            close(out[0]);
            execl(program.c_str(), program.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        to_ = fdopen(in[1], "w");
        from_ = fdopen(out[0], "r");
    }
    ~PipeEngine() {
        send("quit");
        std::fclose(to_);
        std::fclose(from_);
        waitpid(pid_, nullptr, 0);
    }
    void send(const std::string &command) {
        std::fputs((command + "\n").c_str(), to_);
        std::fflush(to_);
    }
    // Reads lines until one starts with prefix.
    void waitFor(const char *prefix) {
        char line[8192];
        const std::size_t n = std::strlen(prefix);
        while (std::fgets(line, sizeof line, from_))
            if (std::strncmp(line, prefix, n) == 0)
                return;
        std::abort();
    }

private:
    pid_t pid_;
    FILE *to_;
    FILE *from_;
};

// The CPU time this process (not the engine) has used so far.
double ownCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double pipeSeconds(const std::string &program, const std::vector<ui::GameEvaluator::Item> &items, qint64 nodes,
                   int jobs) {
    std::vector<std::unique_ptr<PipeEngine>> engines;
    for (int i = 0; i < jobs; ++i) {
        engines.push_back(std::make_unique<PipeEngine>(program));
        PipeEngine &engine = *engines.back();
        engine.send("uci");
        engine.waitFor("uciok");
        engine.send("setoption name Threads value 1");
        engine.send("setoption name Hash value 16");
        engine.send("isready");
        engine.waitFor("readyok");
    }
    std::atomic<std::size_t> next = 0;
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (auto &e : engines)
        threads.emplace_back([&items, &next, nodes, engine = e.get()] {
            engine->send("ucinewgame");
            engine->send("isready");
            engine->waitFor("readyok");
            for (std::size_t i; (i = next++) < items.size();) {
                if (items[i].known)
                    continue;
                engine->send("position fen " + items[i].fen.toStdString());
                engine->send("go nodes " + std::to_string(nodes));
                engine->waitFor("bestmove");
            }
        });
    for (auto &t : threads)
        t.join();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The window's pass: GameEvaluator with its engines on an event loop.
double windowSeconds(const QString &program, const std::vector<ui::GameEvaluator::Item> &items, qint64 nodes,
                     int jobs, int *evaluated, double *cpu) {
    ui::GameEvaluator evaluator(program, {.threads = 1, .hashMb = 16}, jobs, nodes);
    QEventLoop loop;
    int ready = 0;
    for (int i = 0; i < evaluator.engineCount(); ++i)
        QObject::connect(evaluator.engine(i), &UciEngine::ready, &loop, [&] {
            if (++ready == jobs)
                loop.quit();
        });
    QObject::connect(&evaluator, &ui::GameEvaluator::finished, &loop, &QEventLoop::quit);
    QObject::connect(&evaluator, &ui::GameEvaluator::failed, [](const QString &text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        std::exit(1);
    });
    *evaluated = 0;
    QObject::connect(&evaluator, &ui::GameEvaluator::evaluated,
                     [evaluated](int, const std::optional<engine::PositionEval> &eval) { *evaluated += eval ? 1 : 0; });
    loop.exec();
    const auto start = Clock::now();
    const double cpuStart = ownCpuSeconds();
    evaluator.evaluate(items);
    loop.exec();
    *cpu = ownCpuSeconds() - cpuStart;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The command line's pass: runPass's poll loop, engines started inside it.
double commandLineSeconds(const std::string &program, const std::vector<ui::GameEvaluator::Item> &items, qint64 nodes,
                          int jobs) {
    engine::GamePass pass(nodes);
    std::vector<engine::PassPosition> positions;
    for (const auto &item : items)
        positions.push_back({item.fen.toStdString(), item.whiteToMove, item.known});
    pass.addGame(std::move(positions));
    const auto start = Clock::now();
    engine::runPass(pass, program, {.engines = jobs}, [](const std::string &text) {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::exit(1);
    });
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const std::string record = argc > 1 ? argv[1] : "examples/file1.txt";
    const qint64 nodes = argc > 2 ? std::atoll(argv[2]) : 100000;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    const int jobs = argc > 4 ? std::max(1, std::atoi(argv[4])) : engine::defaultEngines();
    const QString program = UciEngine::locate();
    if (program.isEmpty()) {
        std::fprintf(stderr, "No chess engine found. Install the Debian package stockfish.\n");
        return 1;
    }

    Module1 module;
    NoDialog dialog;
    PrintedBox box;
    ChsMain form(module, dialog, box);
    form.Form_Initialize();
    form.OpenFile(record);
    std::vector<ui::GameEvaluator::Item> items;
    for (const chess::Position &position : form.ChessPositions())
        items.push_back(ui::GameEvaluator::itemOf(position));

    std::vector<double> floor, window, commandLine, cpus;
    int evaluated = 0;
    for (int round = 0; round < rounds; ++round) {
        floor.push_back(pipeSeconds(program.toStdString(), items, nodes, jobs));
        double cpu = 0;
        window.push_back(windowSeconds(program, items, nodes, jobs, &evaluated, &cpu));
        cpus.push_back(cpu);
        commandLine.push_back(commandLineSeconds(program.toStdString(), items, nodes, jobs));
    }
    auto range = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        char text[64];
        std::snprintf(text, sizeof text, "%.3f-%.3f", v.front(), v.back());
        return std::string(text);
    };
    const double f = median(floor), w = median(window), l = median(commandLine), c = median(cpus);
    std::printf("Record %s: %zu positions, %d evaluated by the engine, %lld nodes each, %d engines, engine %s\n",
                record.c_str(), items.size(), evaluated, static_cast<long long>(nodes), jobs, qPrintable(program));
    std::printf("Median of %d rounds (range)\n", rounds);
    std::printf("  the window's pass (event loop):        %8.3f s (%s)  %.3fx\n", w, range(window).c_str(), w / f);
    std::printf("  the command line's pass (poll loop):   %8.3f s (%s)  %.3fx\n", l, range(commandLine).c_str(),
                l / f);
    std::printf("  the engine alone over bare pipes:      %8.3f s (%s)  floor\n", f, range(floor).c_str());
    std::printf("  the window's own CPU time meanwhile: %.3f s (%.1f%% of the floor's time)\n", c, c / f * 100);
    return 0;
}
