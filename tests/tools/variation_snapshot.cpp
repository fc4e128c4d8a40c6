// Renders the main window in a variation tried on the board, beside the
// Analysis window following it, into one PNG (the README's picture):
//   variation_snapshot OUT.png RECORD HALF-MOVES MOVES [DEPTH]
// MOVES are the tried moves in UCI, joined by commas ("c2c4,d5c4"); "-" is a
// step back (Left) and "+" one forward (Right), for nested variations.
#include "board/board.h"
#include "chess/position.h"
#include "game/module1.h"
#include "logic/chess_squares.h"
#include "ui/analysis_window.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>

#include <cstdio>

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: variation_snapshot OUT.png RECORD HALF-MOVES MOVES [DEPTH]\n");
        return 2;
    }
    quorvane::Module1 module;
    quorvane::ui::FrmChsMain window(module);
    window.show();
    window.openPath(argv[2]);
    window.stepBy(std::atoi(argv[3]));
    for (const QString &uci : QString::fromLatin1(argv[4]).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (uci == QLatin1String("-") || uci == QLatin1String("+")) {
            window.stepBy(uci == QLatin1String("-") ? -1 : 1);
            continue;
        }
        const auto position = window.variations().BoardPosition();
        const auto move = position ? position->parseUci(uci.toStdString()) : std::nullopt;
        if (!move) {
            std::fprintf(stderr, "not a legal move here: %s\n", qPrintable(uci));
            return 1;
        }
        window.variations().Play(quorvane::BoardSquareOf(move->from), quorvane::BoardSquareOf(move->to),
                                 move->promotion);
    }
    window.refresh();
    window.mnuAnalysis_Click();
    auto *analysis = window.analysisWindow();
    const int depth = argc > 5 ? std::atoi(argv[5]) : 18;
    auto *depthLabel = analysis->findChild<QLabel *>(QStringLiteral("lblDepth"));
    QElapsedTimer timer;
    timer.start();
    auto *progress = analysis->findChild<QLabel *>(QStringLiteral("lblProgress"));
    // The live figures at that depth, and the whole game's graph and review.
    while (timer.elapsed() < 180000 &&
           (depthLabel->text().mid(6).toInt() < depth || !progress->text().startsWith(QStringLiteral("Graph: all"))))
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    // The title is drawn by the window manager, so it is written above the grab.
    const QPixmap main = window.grab();
    const QPixmap side = analysis->grab();
    const int titleHeight = 24;
    QImage out(main.width() + side.width() + 8, std::max(main.height(), side.height()) + titleHeight,
               QImage::Format_RGB32);
    out.fill(QColor(48, 48, 48));
    QPainter p(&out);
    p.setPen(Qt::white);
    p.drawText(QRect(8, 0, main.width(), titleHeight), Qt::AlignVCenter, window.windowTitle());
    p.drawPixmap(0, titleHeight, main);
    p.drawPixmap(main.width() + 8, titleHeight, side);
    p.end();
    return out.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
