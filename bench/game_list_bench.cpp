// The game list of a 1 GiB PGN database in the real window, offscreen, as a
// Markdown table: the first rows after the file is chosen, the whole index,
// a filter keystroke over every game, and opening one game of the list; each
// beside a floor taken in the same run.
//
//   game_list_bench [RUNS] [GAMES]   RUNS opens (5) of a file of GAMES games
//                                    (1,500,000), made in a temporary folder
//                                    from the repository's games and removed
//
// The file's games are the repository's own (its records turned into PGN, and
// its PGN test files), each with tags of its own so that the filter has names,
// events and years to tell apart.

#include "chess/pgn_reader.h"
#include "cli/to_pgn.h"
#include "logic/chs_main.h"
#include "platform/mapped_file.h"
#include "quiet_seams.h"
#include "table.h"
#include "ui/game_list_dialog.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <QtTest/QtTest>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace quorvane::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

// Answers File > Open with one path.
class OpenPath : public FileDialog {
public:
    explicit OpenPath(std::string path) : path_(std::move(path)) {}
    bool ShowOpen() override {
        FileName = path_;
        return true;
    }

private:
    std::string path_;
};

// The movetext of every game the repository holds: its records, made PGN by
// the converter, and its PGN test files.
std::vector<std::string> RepositoryMovetexts() {
    std::vector<std::string> paths;
    for (const auto &entry : fs::directory_iterator(QUORVANE_TEST_DATA))
        if (entry.path().extension() == ".txt")
            paths.push_back(entry.path().string());
    paths.push_back(QUORVANE_EXAMPLES "/file1.txt");
    std::ostringstream pgn, err;
    cli::convertToPgn(paths, pgn, err);
    std::string all = pgn.str();
    for (const auto &entry : fs::directory_iterator(QUORVANE_TEST_DATA "/pgn")) {
        std::ifstream in(entry.path(), std::ios::binary);
        all += std::string(std::istreambuf_iterator<char>(in), {}) + "\n\n";
    }
    std::vector<std::string> movetexts;
    for (const chess::PgnGameSpan &span : chess::splitPgnGames(all)) {
        const std::string game = all.substr(span.offset, span.length);
        const std::size_t body = game.find("\n\n");
        if (body != std::string::npos)
            movetexts.push_back(game.substr(body + 2));
    }
    return movetexts;
}

const char *const kNames[] = {"Lasker, Emanuel", "Capablanca, Jose Raul", "Alekhine, Alexander", "Euwe, Max",
                              "Botvinnik, Mikhail", "Smyslov, Vasily", "Tal, Mikhail", "Petrosian, Tigran",
                              "Spassky, Boris", "Fischer, Robert James", "Karpov, Anatoly", "Kasparov, Garry",
                              "Kramnik, Vladimir", "Anand, Viswanathan", "Carlsen, Magnus", "M\xc3\xbcller, J\xc3\xb6rg"};
const char *const kEvents[] = {"Club Championship", "City Open", "Rapid Cup", "Correspondence League",
                               "National Championship", "Blitz Arena", "Team Match", "Masters"};
const char *const kEcos[] = {"B90", "C42", "D37", "E60", "A04", "B12", "C65", "D85"};
const char *const kOpenings[] = {"Sicilian", "Petrov's defence", "Queen's Gambit Declined", "King's Indian defence",
                                 "Reti opening", "Caro-Kann defence", "Ruy Lopez (Spanish opening)", "Gruenfeld defence"};

// GAMES games in one file; returns its size.
std::uint64_t MakeDatabase(const fs::path &file, std::size_t games) {
    const std::vector<std::string> movetexts = RepositoryMovetexts();
    std::ofstream out(file, std::ios::binary);
    std::string game;
    std::uint64_t size = 0;
    for (std::size_t i = 0; i < games; ++i) {
        const std::string &moves = movetexts[i % movetexts.size()];
        const std::size_t n = sizeof kNames / sizeof *kNames;
        char tags[1024];
        std::snprintf(tags, sizeof tags,
                      "[Event \"%s %zu\"]\n[Site \"Board %zu\"]\n[Date \"%zu.%02zu.%02zu\"]\n[Round \"%zu\"]\n"
                      "[White \"%s %zu\"]\n[Black \"%s %zu\"]\n[Result \"*\"]\n[ECO \"%s\"]\n[WhiteElo \"%zu\"]\n"
                      "[BlackElo \"%zu\"]\n[TimeControl \"%zu+%zu\"]\n[EventDate \"%zu.01.01\"]\n"
                      "[Opening \"%s\"]\n[Termination \"Normal\"]\n\n",
                      kEvents[i % 8], i / 1000, i % 64, 1900 + i % 125, 1 + i % 12, 1 + i % 28, 1 + i % 11,
                      kNames[i % n], i % 9973, kNames[(i / n + 3) % n], i % 7919, kEcos[(i / 7) % 8],
                      1200 + i % 1600, 1300 + i % 1500, 60 * (1 + i % 30), i % 10, 1900 + i % 125,
                      kOpenings[(i / 7) % 8]);
        game = tags;
        game += moves;
        game += "\n\n";
        out.write(game.data(), static_cast<std::streamsize>(game.size()));
        size += game.size();
    }
    return size;
}

struct Figures {
    double firstRows = 0, index = 0, open = 0;
    std::vector<double> keystrokes;
    std::size_t games = 0;
};

// One open of the file through File > Open of the real window, its game list
// driven from a timer inside the list's own modal loop.
Figures OpenOnce(const std::string &path, const std::string &typed) {
    Module1 module;
    OpenPath dialog(path);
    SilentBox box;
    ui::FrmChsMain window(module, &dialog, &box);
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    Figures f;
    enum { WaitRows, WaitIndex, Done } state = WaitRows;
    Clock::time_point start, opening;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *list = qobject_cast<ui::GameListDialog *>(QApplication::activeModalWidget());
        if (!list || state == Done)
            return;
        if (state == WaitRows && list->table()->model()->rowCount() > 0) {
            // Painted: the rows are on the screen, not only in the model.
            list->table()->viewport()->repaint();
            f.firstRows = MsSince(start);
            state = WaitIndex;
        }
        if (state == WaitIndex && !list->indexing()) {
            f.index = MsSince(start);
            f.games = static_cast<std::size_t>(list->table()->model()->rowCount());
            list->filterBox()->setFocus();
            for (const char c : typed) {
                const auto key = Clock::now();
                QTest::keyClick(list->filterBox(), c);
                list->table()->viewport()->repaint();
                f.keystrokes.push_back(MsSince(key));
            }
            state = Done;
            list->table()->setFocus();
            opening = Clock::now();
            QTest::keyClick(list->table(), Qt::Key_Return);
        }
    });
    poll.start();
    start = Clock::now();
    window.mnuOpen_Click();
    window.repaint();
    f.open = MsSince(opening);
    return f;
}

// Floors: the same window over no games; grep -c over the file; one scan of a
// buffer as large as the list's search keys; reading one game's bytes as PGN.
double EmptyListFloor() {
    // What the last open left for the event loop (its list's rows) goes first.
    QApplication::processEvents();
    GameList list;
    const auto start = Clock::now();
    ui::GameListDialog dialog(list, QStringLiteral("file"), nullptr);
    dialog.show();
    QApplication::processEvents();
    dialog.repaint();
    return MsSince(start);
}

double GrepFloor(const std::string &path) {
    const auto start = Clock::now();
    // Into a pipe, not /dev/null: grep stops at the first match when it writes there.
    const std::string counted = "grep -c '^\\[Event ' '" + path + "' | cat >/dev/null";
    if (std::system(counted.c_str()) != 0)
        return 0;
    return MsSince(start);
}

double ScanFloor(std::size_t bytes) {
    std::string keys(bytes, 'x');
    for (std::size_t i = 63; i < keys.size(); i += 64)
        keys[i] = '\n';
    const auto start = Clock::now();
    const void *hit = ::memmem(keys.data(), keys.size(), "q", 1);
    const double ms = MsSince(start);
    return hit ? 0 : ms;
}

double ReadGameFloor(const std::string &path) {
    const MappedFile file(path);
    const std::vector<chess::PgnGameSpan> first = chess::firstPgnGames(file.bytes(), 2);
    const auto start = Clock::now();
    const chess::PgnGameRead read = chess::readPgnGame(file.bytes().substr(first[1].offset, first[1].length));
    const double ms = MsSince(start);
    return read.game ? ms : 0;
}

int Run(int runs, std::size_t games) {
    const fs::path dir = fs::temp_directory_path() / ("quorvane-list-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / "database.pgn";
    const std::uint64_t size = MakeDatabase(file, games);
    // A search that narrows as one types, then a word of another column.
    const std::string typed = "kasparov 2";
    std::vector<double> firstRows, index, keystroke, worstKeystroke, open;
    std::vector<double> emptyList, grep, scan, readGame;
    std::size_t listed = 0;
    for (int r = 0; r < runs; ++r) {
        const Figures f = OpenOnce(file.string(), typed);
        listed = f.games;
        firstRows.push_back(f.firstRows);
        index.push_back(f.index);
        open.push_back(f.open);
        for (const double k : f.keystrokes)
            keystroke.push_back(k);
        worstKeystroke.push_back(*std::max_element(f.keystrokes.begin(), f.keystrokes.end()));
        emptyList.push_back(EmptyListFloor());
        grep.push_back(GrepFloor(file.string()));
        // The list's keys hold each game's seven texts, about 130 bytes here.
        scan.push_back(ScanFloor(games * 130));
        readGame.push_back(ReadGameFloor(file.string()));
    }
    fs::remove_all(dir);
    std::printf("%zu games (%zu listed) in %.3f GiB; %d opens; %ld cores, load %s\n\n", games, listed,
                static_cast<double>(size) / (1024.0 * 1024 * 1024), runs, ::sysconf(_SC_NPROCESSORS_ONLN),
                [] {
                    static char load[32] = "?";
                    if (std::FILE *f = std::fopen("/proc/loadavg", "r")) {
                        if (std::fscanf(f, "%31s", load) != 1)
                            std::strcpy(load, "?");
                        std::fclose(f);
                    }
                    return load;
                }());
    PrintTableHead();
    PrintRow("First rows on the screen after File > Open (target 300 ms)", SpreadOf(firstRows), "ms",
             "the same window over no games", SpreadOf(emptyList));
    PrintRow("The whole index, progress bar to its end", SpreadOf(index), "ms", "grep -c '^\\[Event '",
             SpreadOf(grep));
    PrintRow("A filter keystroke, typing \"" + typed + "\" (target 100 ms)", SpreadOf(keystroke), "ms",
             "one scan of as many bytes as the keys", SpreadOf(scan));
    PrintRow("The slowest keystroke of each run", SpreadOf(worstKeystroke), "ms", "one scan of the keys' bytes",
             SpreadOf(scan));
    PrintRow("Enter to the game on the board (target 10 ms)", SpreadOf(open), "ms", "reading that game's PGN",
             SpreadOf(readGame));
    return 0;
}

} // namespace
} // namespace quorvane::bench

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const std::size_t games = argc > 2 ? static_cast<std::size_t>(std::atoll(argv[2])) : 1'500'000;
    return quorvane::bench::Run(runs > 0 ? runs : 5, games > 1 ? games : 1'500'000);
}
