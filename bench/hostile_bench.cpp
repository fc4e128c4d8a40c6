// Hostile inputs beside a normal game, as a Markdown table: each input is made
// here, then opened in a fresh process of its own (so that its peak memory is
// its own) the way the window opens it: the window's logic with the real MIME
// parser and the real game chooser, offscreen. Time is the open alone; peak
// memory is the whole process's. The floor beside each is a fresh process that
// reads the same file into memory and nothing else.
//
//   hostile_bench [RUNS [TEXT]]    the table, RUNS runs of each (5); with TEXT,
//                                  only the inputs whose names hold it
//   hostile_bench --run KIND FILE  one run (what the table starts)

#include "cli/to_pgn.h"
#include "logic/chs_main.h"
#include "mail/gmime_parser.h"
#include "platform/qt/qt_dialogs.h"
#include "quiet_seams.h"
#include "table.h"
#include "logic/game_list.h"
#include "ui/game_list_dialog.h"

#include <QApplication>
#include <QTableView>
#include <QClipboard>
#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace quorvane::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string Repeat(const std::string &piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

// The whole file in one read into a string of its size: the floor.
std::string ReadAll(const std::string &path) {
    std::string bytes(static_cast<std::size_t>(fs::file_size(path)), '\0');
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return {};
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    bytes.resize(got);
    return bytes;
}

const std::string kRecord = ";Title: Chess Game\n;White: knightowl_77\n;Black: quiet_bishop\n"
                            ";Date: Tue Jun 01 20:11:16 GMT 2004\n\n1. e2-e4 e7-e5\n2. g1-f3 b8-c6\n"
                            "3. f1-b5 a7-a6\n4. b5-a4 g8-f6\n5. e1-g1 f8-e7\n6. f1-e1 b7-b5\n";
const std::string kHeader = "From: Chess Room <games@example.org>\nTo: me@example.com\nSubject: Your game\n"
                            "MIME-Version: 1.0\n";
constexpr std::size_t kMiB = 1024 * 1024;

std::string Message(const std::string &fields, const std::string &body) { return kHeader + fields + "\n" + body; }

struct Case {
    const char *name;
    const char *kind; // open, paste, topgn
    std::function<std::string()> make;
};

std::vector<Case> Cases() {
    return {
        {"Normal game, .txt", "open", [] { return kRecord; }},
        {"Normal game, a message", "open", [] { return Message("Content-Type: text/plain\n", kRecord); }},
        {"Normal game, pasted", "paste", [] { return kRecord; }},
        {"Normal game, --to-pgn of a message", "topgn",
         [] { return Message("Content-Type: text/plain\n", kRecord); }},
        {"1. HTML part of 1.6 MB of &", "open",
         [] { return Message("Content-Type: text/html\n", std::string(1600000, '&')); }},
        {"2. 20 MB mailbox, two 10 MB White names (chooser)", "open",
         [] {
             std::string game = kRecord;
             game.insert(game.find(";White: ") + 8, std::string(10000000, 'w'));
             return Repeat("From a\n" + Message("Content-Type: text/plain\n", game) + "\n", 2);
         }},
        {"3. 64 MiB mailbox of empty messages", "open", [] { return Repeat("From a\n\n", 64 * kMiB / 8); }},
        {"3. the same, --to-pgn", "topgn", [] { return Repeat("From a\n\n", 64 * kMiB / 8); }},
        {"3. 850,000 one-move games, 62 MB (chooser)", "open",
         [] {
             return Repeat("From a\n\n;Title: Chess Game\n;White: w\n;Black: b\n;Date: d\n\n1. e2-e4 e7-e5\n\n",
                           850000);
         }},
        {"3. the same, the list's whole scan", "openall",
         [] {
             return Repeat("From a\n\n;Title: Chess Game\n;White: w\n;Black: b\n;Date: d\n\n1. e2-e4 e7-e5\n\n",
                           850000);
         }},
        {"3. the same, --to-pgn", "topgn",
         [] {
             return Repeat("From a\n\n;Title: Chess Game\n;White: w\n;Black: b\n;Date: d\n\n1. e2-e4 e7-e5\n\n",
                           850000);
         }},
        {"4. a header and 64 MiB of empty lines", "open",
         [] { return Message("Content-Type: text/plain\n", std::string(64 * kMiB - 200, '\n')); }},
        {"4. a paste of 60 MB of newlines", "paste", [] { return std::string(60000000, '\n'); }},
        {"5. 4,000 nested parts (boundary*0=) and 2 M --x lines", "open",
         [] {
             std::string text = Message("Content-Type: multipart/mixed; boundary*0=\"b0\"\n", "");
             for (int i = 1; i < 4000; ++i)
                 text += "--b" + std::to_string(i - 1) + "\nContent-Type: multipart/mixed; boundary*0=\"b" +
                         std::to_string(i) + "\"\n\n";
             return text + Repeat("--x\n", 2000000) + kRecord;
         }},
        {"6. a paste of 150 MB", "paste", [] { return std::string(150000000, 'x'); }},
        {"7. a message with a 64 MiB ;Title: line", "open",
         [] {
             std::string game = kRecord;
             game.insert(8, std::string(64 * kMiB - 1000, 't'));
             return Message("Content-Type: text/plain\n", game);
         }},
        {"7. the same record as .txt", "open",
         [] {
             std::string game = kRecord;
             game.insert(8, std::string(64 * kMiB - 1000, 't'));
             return game;
         }},
        {"7. a 64 MiB mailbox of one such message", "open",
         [] {
             std::string game = kRecord;
             game.insert(8, std::string(64 * kMiB - 1000, 't'));
             return "From a\n" + Message("Content-Type: text/plain\n", game);
         }},
        {"8. record in a base64 octet-stream attachment", "open",
         [] {
             static const char *digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
             std::string b64;
             const std::string &r = kRecord;
             for (std::size_t i = 0; i < r.size(); i += 3) {
                 std::uint32_t v = static_cast<unsigned char>(r[i]) << 16;
                 if (i + 1 < r.size())
                     v |= static_cast<unsigned char>(r[i + 1]) << 8;
                 if (i + 2 < r.size())
                     v |= static_cast<unsigned char>(r[i + 2]);
                 b64 += digits[(v >> 18) & 63];
                 b64 += digits[(v >> 12) & 63];
                 b64 += i + 1 < r.size() ? digits[(v >> 6) & 63] : '=';
                 b64 += i + 2 < r.size() ? digits[v & 63] : '=';
             }
             return Message("Content-Type: multipart/mixed; boundary=\"a\"\n",
                            "--a\nContent-Type: text/plain\n\nAttached.\n--a\nContent-Type: application/octet-stream\n"
                            "Content-Transfer-Encoding: base64\n\n" +
                                b64 + "\n--a--\n");
         }},
        {"8. UTF-16 body labelled UTF-8", "open",
         [] {
             std::string utf16;
             for (char c : kRecord)
                 utf16 += c, utf16 += '\0';
             return Message("Content-Type: text/plain; charset=utf-8\n", utf16);
         }},
        {"9. Latin-1 body labelled UTF-8", "open",
         [] {
             std::string game = kRecord;
             game.insert(game.find(";White: ") + 8, "Jos\xE9_M\xFCller_");
             return Message("Content-Type: text/plain; charset=utf-8\n", game);
         }},
        {"10. a CR-only mailbox", "open",
         [] {
             std::string text = "From a\n" + Message("Content-Type: text/plain\n", kRecord);
             for (char &c : text)
                 c = c == '\n' ? '\r' : c;
             return text;
         }},
    };
}

// Picks the first game, after the real chooser was made and laid out.
struct FirstChooser : GameChooser {
    std::optional<std::size_t> Choose(const std::vector<GameChoice> &games) override {
        return ChooseAmong(games.size(), [&](std::size_t index) { return games[index]; });
    }
    std::optional<std::size_t> ChooseAmong(std::size_t count,
                                           const std::function<GameChoice(std::size_t)> &game) override {
        GameList list;
        list.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            list.add(game(i));
        ui::GameListDialog dialog(list, QStringLiteral("file"), nullptr);
        dialog.show();
        QApplication::processEvents();
        return 0;
    }
    // The list scanning the file: the first game once the first rows show
    // (what the user waits for), or after the whole scan.
    bool wholeScan = false;
    std::optional<std::size_t> ChooseScanned(GameScan &scan, std::vector<Span> &spans) override {
        GameList list;
        ui::GameListDialog dialog(list, QStringLiteral("file"), nullptr);
        dialog.indexInBackground(scan, spans);
        dialog.show();
        while (dialog.indexing() && (wholeScan || dialog.table()->model()->rowCount() == 0))
            QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        QApplication::processEvents();
        return 0;
    }
};

struct ClipboardOf : Clipboard {
    void SetText(const std::string &) override {}
    std::string Text() override { return QtClipboard().Text(); }
};

// One run in this process: prints the milliseconds the work took.
int RunOne(const std::string &kind, const std::string &path) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "hostile_bench";
    char *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    mail::GMimeMessageParser parser;
    Module1 module;
    NoDialog dialog;
    SilentBox box;
    ChsMain form(module, dialog, box);
    FirstChooser chooser;
    form.MailParser = &parser;
    chooser.wholeScan = kind == "openall";
    form.Chooser = &chooser;
    form.Form_Initialize();
    double ms = 0;
    if (kind == "read") {
        const auto start = Clock::now();
        const std::string bytes = ReadAll(path);
        ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (bytes.empty())
            return 1;
    } else if (kind == "open" || kind == "openall") {
        const auto start = Clock::now();
        form.OpenFile(path);
        ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    } else if (kind == "paste") {
        QGuiApplication::clipboard()->setText(QString::fromStdString(ReadAll(path)));
        ClipboardOf clipboard;
        const auto start = Clock::now();
        if (const auto text = PastedText(clipboard, box))
            form.PasteGame(*text);
        ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    } else if (kind == "topgn") {
        std::ofstream out("/dev/null");
        std::ostringstream err;
        const auto start = Clock::now();
        cli::convertToPgn({path}, out, err, &parser);
        ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    std::printf("%.3f\n", ms);
    return 0;
}

struct Run {
    double ms = 0;
    double peakMib = 0;
};

Run Spawn(const char *self, const std::string &kind, const std::string &path) {
    int ends[2];
    if (::pipe(ends) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(ends[1], 1);
        ::close(ends[0]);
        ::close(ends[1]);
        ::execl(self, self, "--run", kind.c_str(), path.c_str(), static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(ends[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<std::size_t>(n));
    ::close(ends[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    return {std::atof(out.c_str()), usage.ru_maxrss / 1024.0};
}

std::string Figure(const Spread &s, const char *unit, int decimals) {
    char text[128];
    std::snprintf(text, sizeof text, "%.*f %s (%.*f-%.*f)", decimals, s.median, unit, decimals, s.min, decimals,
                  s.max);
    return text;
}

int Table(const char *self, int runs, const std::string &only) {
    const fs::path dir = fs::temp_directory_path() / ("quorvane-hostile-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::printf("| Input | Open: median (min-max) | Peak memory | Floor, reading the file: time | Floor: memory |\n");
    std::printf("| --- | --- | --- | --- | --- |\n");
    int index = 0;
    for (const Case &c : Cases()) {
        if (std::string(c.name).find(only) == std::string::npos)
            continue;
        const fs::path file = dir / ("case" + std::to_string(index++) + ".txt");
        {
            const std::string bytes = c.make();
            std::ofstream(file, std::ios::binary) << bytes;
        }
        std::vector<double> times, peaks, floorTimes, floorPeaks;
        for (int i = 0; i < runs; ++i) {
            const Run run = Spawn(self, c.kind, file.string());
            const Run floor = Spawn(self, "read", file.string());
            times.push_back(run.ms);
            peaks.push_back(run.peakMib);
            floorTimes.push_back(floor.ms);
            floorPeaks.push_back(floor.peakMib);
        }
        std::printf("| %s (%s, %.1f MB) | %s | %s | %s | %s |\n", c.name, c.kind,
                    static_cast<double>(fs::file_size(file)) / 1e6, Figure(SpreadOf(times), "ms", 1).c_str(),
                    Figure(SpreadOf(peaks), "MiB", 0).c_str(), Figure(SpreadOf(floorTimes), "ms", 1).c_str(),
                    Figure(SpreadOf(floorPeaks), "MiB", 0).c_str());
        std::fflush(stdout);
        fs::remove(file);
    }
    fs::remove_all(dir);
    return 0;
}

} // namespace
} // namespace quorvane::bench

int main(int argc, char *argv[]) {
    if (argc == 4 && std::string(argv[1]) == "--run")
        return quorvane::bench::RunOne(argv[2], argv[3]);
    return quorvane::bench::Table(argv[0], argc > 1 ? std::atoi(argv[1]) : 5, argc > 2 ? argv[2] : "");
}
