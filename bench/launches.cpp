// Figures a single process cannot take of itself, printed as a Markdown table:
//
//   bench_launches cold-load [RUNS]
//     the first load of the largest record in a fresh process (start_probe
//     --cold-load), launch after launch, interleaved with its floor: a plain
//     getline loop over the same file, twice, as the first thing a fresh process
//     does (start_probe --getline-floor). Wall-clock and CPU time. The platform is
//     whatever QT_QPA_PLATFORM says.
//
//   bench_launches warm-table FILE.json
//     the table of a quorvane_bench run written with --benchmark_out=FILE.json,
//     each row beside its floor.
//
//   bench_launches head
//     the table's head, so that a script can print one table from several runs.

#include "record.h"
#include "table.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace quorvane::bench {
namespace {

// Runs program with args and returns what it printed, or nothing when it failed.
bool RunAndRead(const std::vector<std::string> &args, std::string &out) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return false;
    std::vector<std::string> argv = args;
    std::vector<char *> cargv;
    for (auto &a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return false;
    }
    out.clear();
    char buffer[256];
    ssize_t got;
    while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int ColdLoad(int runs) {
    const auto record =
        std::filesystem::temp_directory_path() / ("quorvane-cold-" + std::to_string(::getpid()) + ".txt");
    WriteLargestRecord(record.string());
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    const std::string where = platform && *platform ? platform : "default platform";
    std::vector<double> loadWall, loadCpu, floorWall, floorCpu;
    bool failed = false;
    for (int i = 0; i < runs && !failed; ++i) {
        // Interleaved, so that whatever else the machine does weighs on both alike.
        for (const char *mode : {"--cold-load", "--getline-floor"}) {
            std::string out;
            long long wall = 0, cpu = 0;
            if (!RunAndRead({QUORVANE_START_PROBE, mode, record.string()}, out) ||
                std::sscanf(out.c_str(), "%lld %lld", &wall, &cpu) != 2) {
                std::fprintf(stderr, "start_probe %s failed\n", mode);
                failed = true;
                break;
            }
            const bool load = mode[2] == 'c';
            (load ? loadWall : floorWall).push_back(static_cast<double>(wall) / 1e6);
            (load ? loadCpu : floorCpu).push_back(static_cast<double>(cpu) / 1e6);
        }
    }
    std::error_code ignored;
    std::filesystem::remove(record, ignored);
    if (failed)
        return 1;
    PrintRow("Cold first load of the largest record, until its list is painted (" + where + "), wall clock",
             SpreadOf(loadWall), "ms", "getline twice, fresh process", SpreadOf(floorWall));
    PrintRow("The same, CPU time", SpreadOf(loadCpu), "ms", "getline twice, fresh process", SpreadOf(floorCpu));
    return 0;
}

// Each benchmark's repetitions (not its aggregates), by name without the
// "/manual_time" suffix; times in milliseconds.
struct Runs {
    std::vector<double> ms;
    std::vector<double> cpuMs; // the process's CPU time over the same iterations
    std::vector<double> peakMiB;
};

int WarmTable(const char *path) {
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 1;
    }
    const QJsonArray all =
        QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("benchmarks")).toArray();
    QMap<QString, Runs> byName;
    for (const QJsonValue &value : all) {
        const QJsonObject b = value.toObject();
        if (b.value(QStringLiteral("run_type")).toString() != QStringLiteral("iteration"))
            continue;
        // "Start/ToFirstPaint/iterations:20/manual_time" is filed as "Start/ToFirstPaint".
        QString name = b.value(QStringLiteral("run_name")).toString();
        name.remove(QRegularExpression(QStringLiteral("/(iterations:[0-9]+|manual_time)")));
        const QString unit = b.value(QStringLiteral("time_unit")).toString();
        const double scale = unit == QStringLiteral("ns")   ? 1e-6
                             : unit == QStringLiteral("us") ? 1e-3
                             : unit == QStringLiteral("s")  ? 1e3
                                                            : 1.0;
        Runs &runs = byName[name];
        runs.ms.push_back(b.value(QStringLiteral("real_time")).toDouble() * scale);
        runs.cpuMs.push_back(b.value(QStringLiteral("cpu_time")).toDouble() * scale);
        if (b.contains(QStringLiteral("peak_MiB")))
            runs.peakMiB.push_back(b.value(QStringLiteral("peak_MiB")).toDouble());
    }
    const auto ms = [&](const char *name) { return SpreadOf(byName.value(QString::fromLatin1(name)).ms); };
    const auto us = [&](const char *name) {
        std::vector<double> v = byName.value(QString::fromLatin1(name)).ms;
        for (double &x : v)
            x *= 1000;
        return SpreadOf(v);
    };
    const auto cpu = [&](const char *name) { return SpreadOf(byName.value(QString::fromLatin1(name)).cpuMs); };
    const auto mib = [&](const char *name) { return SpreadOf(byName.value(QString::fromLatin1(name)).peakMiB); };
    const Spread getline = ms("Reader/Floor_GetlineTwice");
    const Spread emptyWindow = ms("Start/QtFloor_EmptyWidget");
    PrintRow("Both reading passes (warm)", ms("Reader/BothPasses"), "ms", "getline twice", getline);
    PrintRow("The logic of a whole load (warm)", ms("Core/OpenFile"), "ms", "getline twice", getline);
    PrintRow("Whole load through the window, until the list is painted (warm)", ms("Window/Load"), "ms",
             "getline twice", getline);
    // CPU time counts only this process's work: steadier than the wall clock when
    // other work shares the machine.
    const Spread getlineCpu = cpu("Reader/Floor_GetlineTwice");
    PrintRow("Both reading passes (warm), CPU time", cpu("Reader/BothPasses"), "ms", "getline twice", getlineCpu);
    PrintRow("The logic of a whole load (warm), CPU time", cpu("Core/OpenFile"), "ms", "getline twice", getlineCpu);
    PrintRow("Whole load through the window (warm), CPU time", cpu("Window/Load"), "ms", "getline twice",
             getlineCpu);
    PrintRow("Jump first line to last, until painted", ms("Window/JumpFirstToLast"), "ms");
    PrintRow("Jump last line to first, until painted", ms("Window/JumpLastToFirst"), "ms");
    PrintRow("One Next, until the board is painted", us("Window/Next"), "us");
    PrintRow("Launch to the first painted window (offscreen)", ms("Start/ToFirstPaint"), "ms", "empty Qt window",
             emptyWindow);
    PrintRow("Launch with the largest record to its painted list (offscreen)",
             ms("Start/WithLargestRecordToPaintedList"), "ms", "empty Qt window", emptyWindow);
    PrintRow("Peak memory with the largest record loaded", mib("Start/WithLargestRecordToPaintedList"), "MiB",
             "empty Qt window", mib("Start/QtFloor_EmptyWidget"));
    return 0;
}

} // namespace
} // namespace quorvane::bench

int main(int argc, char **argv) {
    namespace qb = quorvane::bench;
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "cold-load") {
        const int runs = argc > 2 ? std::atoi(argv[2]) : 9;
        if (runs < 1)
            return 2;
        return qb::ColdLoad(runs);
    }
    if (mode == "head") {
        qb::PrintTableHead();
        return 0;
    }
    if (mode == "warm-table" && argc == 3)
        return qb::WarmTable(argv[2]);
    std::fprintf(stderr, "usage: bench_launches head | cold-load [RUNS] | warm-table FILE.json\n");
    return 2;
}
