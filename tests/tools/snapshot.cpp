// Renders a window to a PNG, for looking at the layout and for the README's
// screenshot: snapshot OUT.png [RECORD [HALF-MOVES [--flipped]]] shows the main
// window, snapshot OUT.png --about, snapshot OUT.png --help-window and
// snapshot OUT.png --keys-window the other three,
// snapshot OUT.png --chooser the mailbox's game chooser with three games,
// snapshot OUT.png --indexing [FILTER] the game list while it still scans a file,
// snapshot OUT.png --mail-indexing the same for a mailbox.
// With QUORVANE_SNAPSHOT_SIZE=WxH the window is resized to that size first.
// With QUORVANE_SNAPSHOT_MENU=mnuEdit (a menu's object name) that menu is drawn
// open over the main window.
#include "game/module1.h"
#include "logic/game_scan.h"
#include "mail/gmime_parser.h"
#include "ui/about_window.h"
#include "ui/fonts.h"
#include "ui/game_list_dialog.h"

#include <QLineEdit>
#include "ui/help_window.h"
#include "ui/keys_window.h"
#include "ui/board_view.h"
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QTableView>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

namespace {

// The game list as it shows while a large file is still being read: its scan
// (begun by start, in chunks of 1,000) held after heldChunks chunks, grabbed
// once rows rows are in, with filter typed when given.
int GrabHeldList(const char *out, int heldChunks, int rows, const char *filter,
                 const std::function<void(quorvane::ui::GameListDialog &, std::vector<quorvane::GameChooser::Span> &,
                                          const quorvane::ui::IndexOptions &)> &start) {
    quorvane::GameList games;
    std::vector<quorvane::GameChooser::Span> spans;
    std::atomic<int> chunks = 0;
    std::atomic<bool> done = false;
    quorvane::ui::IndexOptions options;
    options.chunkGames = 1000;
    options.afterChunk = [&](bool) {
        if (++chunks >= heldChunks)
            while (!done)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
    };
    quorvane::ui::GameListDialog chooser(games, QStringLiteral("file"), nullptr);
    chooser.show();
    start(chooser, spans, options);
    QElapsedTimer waited;
    waited.start();
    while (chooser.table()->model()->rowCount() < rows && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (filter)
        chooser.filterBox()->setText(QString::fromUtf8(filter));
    QApplication::processEvents();
    const bool saved = chooser.grab().save(QString::fromLocal8Bit(out));
    done = true;
    return saved ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: snapshot OUT.png [RECORD [HALF-MOVES [--flipped]]]\n");
        return 2;
    }
    const QString what = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (what == QLatin1String("--chooser")) {
        quorvane::GameList games;
        games.add({"2023.04.09", "Ding, Liren", "Nepomniachtchi, Ian", 58, "1/2-1/2", "World Championship", "1", "C84"});
        games.add({"1886.01.11", "Steinitz, William", "Zukertort, Johannes", 35, "0-1", "World Championship", "1",
                   "D26"});
        games.add({"2024.03.15", "M\xc3\xbcller, Karl", "knightowl_77", 41, "1-0", "Bundesliga", "7", "B90"});
        games.add({"Thu Jun 03 09:02:44 GMT 2004", "rook_lift", "knightowl_77", 118});
        quorvane::ui::GameListDialog chooser(games, QStringLiteral("file"), nullptr);
        if (argc > 3)
            chooser.filterBox()->setText(QString::fromUtf8(argv[3]));
        chooser.show();
        QApplication::processEvents();
        return chooser.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
    }
    if (what == QLatin1String("--indexing")) {
        // A database of 20,000 games, the scan held after its second chunk of
        // 1,000: the list as it shows while a large file is still being read.
        std::string bytes;
        for (int i = 0; i < 20000; ++i)
            bytes += "[Event \"City Open " + std::to_string(1990 + i % 30) + "\"]\n[Date \"" +
                     std::to_string(1990 + i % 30) + ".05.0" + std::to_string(1 + i % 9) + "\"]\n[Round \"" +
                     std::to_string(1 + i % 9) + "\"]\n[White \"Player " + std::to_string(i) +
                     "\"]\n[Black \"Opponent " + std::to_string(i % 97) + "\"]\n[Result \"1-0\"]\n[ECO \"C6" +
                     std::to_string(i % 10) + "\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 1-0\n\n";
        return GrabHeldList(argv[1], 2, 2000, argc > 3 ? argv[3] : nullptr,
                            [&](quorvane::ui::GameListDialog &chooser, std::vector<quorvane::GameChooser::Span> &spans,
                                const quorvane::ui::IndexOptions &options) {
                                chooser.indexInBackground(bytes, spans, options);
                            });
    }
    if (what == QLatin1String("--mail-indexing")) {
        // A mailbox of 20,000 games, the list's scan held after its third
        // chunk of 1,000 (the first is the two found before the list).
        std::string bytes;
        for (int i = 0; i < 20000; ++i)
            bytes += "From games@example.org Thu Jun  3 20:11:16 2004\nFrom: games@example.org\n\n;Title: Chess "
                     "Game\n;White: player_" +
                     std::to_string(i) + "\n;Black: opponent_" + std::to_string(i % 97) +
                     "\n;Date: Thu Jun 03 20:11:16 GMT 2004\n\n1. e2-e4 e7-e5\n2. g1-f3 b8-c6\n\n";
        quorvane::mail::GMimeMessageParser parser;
        auto found = std::make_shared<const quorvane::MailScan>(quorvane::FindGames(bytes, parser, false, 2));
        quorvane::MailGameScan scan(found, parser);
        return GrabHeldList(argv[1], 3, 2002, nullptr,
                            [&](quorvane::ui::GameListDialog &chooser, std::vector<quorvane::GameChooser::Span> &spans,
                                const quorvane::ui::IndexOptions &options) {
                                chooser.indexInBackground(scan, spans, options);
                            });
    }
    if (what == QLatin1String("--about") || what == QLatin1String("--help-window") ||
        what == QLatin1String("--keys-window")) {
        quorvane::ui::installClassicFonts();
        std::unique_ptr<QWidget> window;
        if (what == QLatin1String("--about"))
            window = std::make_unique<quorvane::ui::FrmAbout>();
        else if (what == QLatin1String("--keys-window"))
            window = std::make_unique<quorvane::ui::FrmKeys>();
        else
            window = std::make_unique<quorvane::ui::FrmQuorvane>();
        window->show();
        QApplication::processEvents();
        return window->grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
    }
    quorvane::Module1 module;
    quorvane::ui::FrmChsMain window(module);
    window.show();
    if (argc > 2)
        window.openPath(argv[2]);
    const int steps = argc > 3 ? std::atoi(argv[3]) : 0;
    for (int i = 0; i < steps; ++i)
        window.core().cmdNext_Click();
    if (argc > 4 && QString::fromLocal8Bit(argv[4]) == QLatin1String("--flipped"))
        window.findChild<QAction *>(QStringLiteral("mnuFlipBoard"))->trigger();
    window.refresh();
    // QUORVANE_SNAPSHOT_SIZE=1920x1181 (the window's size) shows the layout scaled.
    const QStringList size = qEnvironmentVariable("QUORVANE_SNAPSHOT_SIZE").split(QLatin1Char('x'));
    if (size.size() == 2) {
        window.resize(size[0].toInt(), size[1].toInt());
        // Sized as a drag of the corner is: the pieces are drawn at their size once it rests.
        QElapsedTimer waited;
        waited.start();
        while (window.boardView().picturesPending() && waited.elapsed() < 2000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QApplication::processEvents();
    QPixmap shot = window.grab();
    // QUORVANE_SNAPSHOT_TITLE=1 draws the window's title in a strip above it,
    // as a window manager's frame would (an offscreen grab has no frame).
    if (qEnvironmentVariableIsSet("QUORVANE_SNAPSHOT_TITLE")) {
        const int strip = window.fontMetrics().height() + 10;
        QPixmap framed(shot.width(), shot.height() + strip);
        framed.fill(QColor(0, 84, 166));
        QPainter painter(&framed);
        painter.drawPixmap(0, strip, shot);
        painter.setPen(Qt::white);
        painter.drawText(QRect(8, 0, shot.width() - 16, strip), Qt::AlignVCenter | Qt::AlignLeft, window.windowTitle());
        painter.end();
        shot = framed;
    }
    const QString menuName = qEnvironmentVariable("QUORVANE_SNAPSHOT_MENU");
    if (auto *menu = menuName.isEmpty() ? nullptr : window.findChild<QMenu *>(menuName)) {
        const QRect title = window.menuBar()->actionGeometry(menu->menuAction());
        const QPoint at = window.menuBar()->mapTo(&window, title.bottomLeft());
        menu->popup(window.mapToGlobal(at));
        QApplication::processEvents();
        QPainter painter(&shot);
        painter.drawPixmap(at, menu->grab());
    }
    return shot.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
