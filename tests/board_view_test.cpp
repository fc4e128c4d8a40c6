// The painted board and the window that scales: the coordinates drawn as the
// designed labels, the layout at other scales, zoom, the names that follow the
// flip, the description for assistive technology, and the hooks for moving
// pieces by hand.
#include "logic/position_text.h"
#include "logic/window_scale.h"
#include "ui/fonts.h"
#include "ui_support.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cmath>

namespace quorvane {
namespace {

using testing::Window;

// The client area as shown, once the view has done what it queued (the list's
// scroll bar appears after a load's events).
QImage ClientImage(ui::FrmChsMain &window) {
    QCoreApplication::processEvents();
    return window.centralWidget()->grab().toImage();
}

int SquareIndex(const char *name) { return board::FindSquare(board::MakeSquares(), name); }

// The coordinate labels are painted as the classic sunken label they were: a
// real QLabel with the designed settings, drawn beside, gives the same pixels.
TEST(BoardView, CoordinatesArePaintedAsTheDesignedLabels) {
    Window w;
    const QImage client = ClientImage(w.window);
    QWidget holder;
    const QPalette system = QApplication::palette();
    QPalette palette = system;
    palette.setColor(QPalette::Window, system.color(QPalette::Button));
    palette.setColor(QPalette::WindowText, system.color(QPalette::ButtonText));
    for (int n = 1; n <= 16; ++n) {
        const QString text = n <= 8 ? QString::number(9 - n) : QString(QChar(u'A' + n - 9));
        SCOPED_TRACE(text.toStdString());
        const QRect at = n <= 8 ? ui::twipsRect(120, 1560 + 720 * (n - 1), 375, 375)
                                : ui::twipsRect(840 + 840 * (n - 9), 7320, 375, 375);
        QLabel label(text, &holder);
        label.setGeometry(QRect(QPoint(0, 0), at.size()));
        label.setFont(ui::classicFont(QStringLiteral("MS Sans Serif"), 12));
        label.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label.setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label.setLineWidth(1);
        label.setAutoFillBackground(true);
        label.setPalette(palette);
        EXPECT_EQ(label.grab().toImage().convertToFormat(QImage::Format_RGB32),
                  client.copy(at).convertToFormat(QImage::Format_RGB32));
    }
}

TEST(BoardView, TellsAssistiveTechnologyThePosition) {
    Window w;
    const ui::BoardView &board = w.window.boardView();
    EXPECT_EQ(board.accessibleName(), "Board");
    EXPECT_EQ(board.accessibleDescription().toStdString(), DescribePosition(w.window.core()));
    EXPECT_TRUE(board.accessibleDescription().startsWith("White to move; White: Ke1, Qd1,"));
    w.Open(testing::TestDataPath("file1.txt"));
    QTest::mouseClick(w.button("cmdNext"), Qt::LeftButton);
    EXPECT_TRUE(board.accessibleDescription().startsWith("Black to move;"));
    EXPECT_TRUE(board.accessibleDescription().contains(", d4,")) << "the pawn that moved";
}

// With the board flipped the player at the top of the board is named above the
// other, as the board's sides are.
TEST(BoardView, FlippingTheBoardSwapsTheNames) {
    Window w;
    w.Open(testing::TestDataPath("file1.txt"));
    QLabel *white = w.window.findChild<QLabel *>("lblWhitePlayer");
    QLabel *black = w.window.findChild<QLabel *>("lblBlackPlayer");
    auto tops = [&] { return std::pair{black->y(), white->y()}; };
    EXPECT_EQ(tops(), (std::pair{TwipsToPixels(800), TwipsToPixels(1080)})) << "Black's name above White's";
    w.window.findChild<QAction *>("mnuFlipBoard")->trigger();
    EXPECT_TRUE(w.window.boardFlipped());
    EXPECT_EQ(tops(), (std::pair{TwipsToPixels(1080), TwipsToPixels(800)})) << "White's name above Black's";
    for (QLabel *label : {white, black})
        EXPECT_EQ(label->geometry().right() + 1, TwipsToPixels(7260)) << "still ending at the board's right edge";
    EXPECT_EQ(white->text(), "White: knightowl_77");
    w.window.findChild<QAction *>("mnuFlipBoard")->trigger();
    EXPECT_FALSE(w.window.boardFlipped());
    EXPECT_EQ(tops(), (std::pair{TwipsToPixels(800), TwipsToPixels(1080)}));
}

// ---- The layout at other scales ----

// A point of the designed layout (twips) in the client area at the window's scale.
QPoint ScaledPoint(const ui::FrmChsMain &window, int x, int y) {
    const ui::BoardView &board = window.boardView();
    return board.pos() + QPoint(board.px(x), board.px(y));
}

// Within one pixel per coordinate: rounding a scaled edge moves it by less than one.
::testing::AssertionResult Near(const QRect &got, const QRect &designed, double scale) {
    const QRect want(qRound(designed.x() * scale), qRound(designed.y() * scale), qRound(designed.width() * scale),
                     qRound(designed.height() * scale));
    if (std::abs(got.x() - want.x()) > 1 || std::abs(got.y() - want.y()) > 1 ||
        std::abs(got.width() - want.width()) > 1 || std::abs(got.height() - want.height()) > 1)
        return ::testing::AssertionFailure() << "got " << got.x() << "," << got.y() << " " << got.width() << "x"
                                             << got.height() << ", want " << want.x() << "," << want.y() << " "
                                             << want.width() << "x" << want.height();
    return ::testing::AssertionSuccess();
}

// Compares the window at its scale with the designed grab: every square's
// colour, the bars and the frame where the designed grab has them, every piece
// painted at its square scaled, every control at its rectangle scaled, and the
// controls still over the painted board.
void ExpectDesignedLayoutScaled(ui::FrmChsMain &window, const QImage &designed, double scale) {
    const QImage shown = ClientImage(window);
    const ui::BoardView &board = window.boardView();
    const QPoint origin = board.pos();
    // Probes well inside uniform areas of the designed grab: the corner of each
    // square (clear of its piece), the green bar, the orange frame, the ground.
    std::vector<QPoint> probes{{20, 540}, {200, 120}, {660, 600}, {7000, 300}, {7500, 1000}, {9000, 8000}};
    for (int cell = 0; cell < board::kSquareCount; ++cell)
        probes.push_back({board::FileLeft(cell % 8) + 90, board::RankTop(cell / 8) + 90});
    for (const QPoint &twips : probes) {
        const QColor want = designed.pixelColor(TwipsToPixels(twips.x()), TwipsToPixels(twips.y()));
        const QColor got = shown.pixelColor(ScaledPoint(window, twips.x(), twips.y()));
        EXPECT_EQ(got, want) << "at " << twips.x() << ", " << twips.y() << " twips";
    }
    for (int slot = 0; slot < board::kPieceCount; ++slot) {
        const auto &piece = window.core().Image1[static_cast<std::size_t>(slot)];
        const QRect designedRect = ui::twipsRect(static_cast<int>(piece.Left), static_cast<int>(piece.Top),
                                                 board::kSquareWidth, board::kSquareHeight);
        EXPECT_TRUE(Near(board.pieceGeometry(slot).translated(-origin), designedRect, scale)) << "slot " << slot;
        if (piece.Visible)
            EXPECT_TRUE(testing::PiecePainted(window, shown, slot));
    }
    struct Control {
        const char *name;
        QRect twips;
    };
    for (const Control &c : {Control{"lblFileName", {7440, 720, 2770, 460}}, Control{"cmdNext", {8880, 7560, 1215, 375}},
                             Control{"cmdBack", {7560, 7560, 1215, 375}}}) {
        const QWidget *widget = window.findChild<QWidget *>(c.name);
        EXPECT_TRUE(Near(widget->geometry().translated(-origin),
                         ui::twipsRect(c.twips.x(), c.twips.y(), c.twips.width(), c.twips.height()), scale))
            << c.name;
    }
    // The list keeps its top, left and width; its height is trimmed to whole rows.
    const QRect list = window.findChild<QWidget *>("lstMoveList")->geometry().translated(-origin);
    EXPECT_TRUE(Near(QRect(list.topLeft(), QSize(list.width(), ui::twipsRect(0, 0, 0, 5760).height() * scale)),
                     ui::twipsRect(7560, 1440, 2535, 5760), scale));
    EXPECT_LE(list.height(), qRound(384 * scale) + 1);
    // The date lies on the green bar and ends at its designed right edge.
    const QRect date = window.findChild<QWidget *>("lblDate")->geometry().translated(-origin);
    EXPECT_NEAR(date.right() + 1, 484 * scale, 1.0);
    EXPECT_GE(date.top(), qRound(16 * scale));
    EXPECT_LE(date.bottom(), qRound(47 * scale));
    // Fonts grow with the layout: the buttons' text is as tall, scaled.
    EXPECT_NEAR(window.findChild<QWidget *>("cmdNext")->font().pixelSize(), 13 * scale, 1.0);
    // Front to back as designed: the controls over the painted board.
    const QObjectList &children = window.centralWidget()->children();
    EXPECT_EQ(children.indexOf(const_cast<ui::BoardView *>(&board)), 0);
}

TEST(WindowScale, TheLayoutScalesWithItsProportionsAndStacking) {
    Window w;
    w.Open(testing::TestDataPath("file1.txt"));
    w.window.stepBy(20);
    const QImage designed = ClientImage(w.window);
    for (double scale : {1.5, 2.0}) {
        SCOPED_TRACE(scale);
        w.window.zoomTo(scale);
        EXPECT_DOUBLE_EQ(w.window.layoutScale(), scale);
        EXPECT_EQ(w.window.centralWidget()->size(),
                  QSize(ScaledPixels(ui::kMainClientWidth, scale), ScaledPixels(ui::kMainClientHeight, scale)));
        EXPECT_EQ(w.window.boardView().pos(), QPoint(0, 0)) << "the window fits the layout";
        ExpectDesignedLayoutScaled(w.window, designed, scale);
    }
    w.window.zoomTo(1.0);
    EXPECT_EQ(ClientImage(w.window), designed) << "back at the designed size, every pixel as designed";
}

TEST(WindowScale, AMaximisedWindowCentresTheLargestLayoutThatFits) {
    Window w;
    w.Open(testing::TestDataPath("file1.txt"));
    w.window.stepBy(20);
    const QImage designed = ClientImage(w.window);
    w.window.showMaximized();
    QTRY_VERIFY(w.window.isMaximized());
    QTRY_COMPARE(w.window.frameGeometry(), w.window.screen()->availableGeometry());
    // A maximise is sized as a drag is: the pieces are drawn at their size once it rests.
    QTRY_VERIFY(!w.window.boardView().picturesPending());
    const QSize client = w.window.centralWidget()->size();
    const double scale = FitScale({686, 539}, {client.width(), client.height()});
    ASSERT_GT(scale, 2.0) << "a 1920 x 1200 screen";
    EXPECT_DOUBLE_EQ(w.window.layoutScale(), scale);
    const QRect layout = w.window.boardView().geometry();
    EXPECT_LE(std::abs(layout.left() - (client.width() - layout.right() - 1)), 1) << "centred";
    EXPECT_LE(std::abs(layout.top() - (client.height() - layout.bottom() - 1)), 1);
    EXPECT_EQ(ClientImage(w.window).pixelColor(2, client.height() / 2), QColor(0, 64, 64)) << "the ground around it";
    ExpectDesignedLayoutScaled(w.window, designed, scale);

    // Zoom Out draws it smaller inside the maximised window; Zoom In comes back
    // no further than the window holds.
    w.window.findChild<QAction *>("mnuZoomOut")->trigger();
    EXPECT_DOUBLE_EQ(w.window.layoutScale(), ZoomedOut(scale));
    EXPECT_EQ(w.window.centralWidget()->size(), client);
    w.window.findChild<QAction *>("mnuZoomIn")->trigger();
    w.window.findChild<QAction *>("mnuZoomIn")->trigger();
    EXPECT_DOUBLE_EQ(w.window.layoutScale(), scale);
    w.window.showNormal();
}

TEST(WindowScale, ZoomStepsTheWindowAndActualSizeRestoresIt) {
    Window w;
    const QSize designed = w.window.centralWidget()->size();
    const struct {
        const char *action;
        double scale;
    } steps[] = {{"mnuZoomIn", 1.1}, {"mnuZoomIn", 1.25}, {"mnuZoomOut", 1.1}, {"mnuActualSize", 1.0},
                 {"mnuZoomOut", 0.9}, {"mnuActualSize", 1.0}};
    for (const auto &step : steps) {
        SCOPED_TRACE(step.action);
        w.window.findChild<QAction *>(step.action)->trigger();
        EXPECT_DOUBLE_EQ(w.window.layoutScale(), step.scale);
        EXPECT_EQ(w.window.centralWidget()->size(),
                  QSize(ScaledPixels(ui::kMainClientWidth, step.scale), ScaledPixels(ui::kMainClientHeight, step.scale)));
        EXPECT_TRUE(w.window.screen()->availableGeometry().contains(w.window.frameGeometry()));
    }
    EXPECT_EQ(w.window.centralWidget()->size(), designed);
    EXPECT_EQ(w.window.findChild<QAction *>("mnuZoomIn")->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}));
    // A user's drag of the corner scales the layout to fit; the pieces of the size
    // before are scaled meanwhile and drawn anew at their size once it rests.
    w.window.resize(1000, 700);
    EXPECT_DOUBLE_EQ(w.window.layoutScale(), FitScale({686, 539}, {w.window.centralWidget()->width(),
                                                                   w.window.centralWidget()->height()}));
    EXPECT_TRUE(w.window.boardView().picturesPending());
    EXPECT_FALSE(testing::PiecePainted(w.window, w.window.centralWidget()->grab().toImage(), 0)) << "still scaled";
    QTRY_VERIFY(!w.window.boardView().picturesPending());
    const QImage rested = ClientImage(w.window);
    for (int slot = 0; slot < board::kPieceCount; ++slot)
        EXPECT_TRUE(testing::PiecePainted(w.window, rested, slot)) << "drawn at their size";
}

// ---- The hooks for moving pieces by hand ----

TEST(BoardView, FindsTheSquareUnderAPointWhicheverWayUpAndAtAnyScale) {
    Window w;
    ui::BoardView &board = w.window.boardView();
    for (double scale : {1.0, 1.75}) {
        w.window.zoomTo(scale);
        for (bool flipped : {false, true}) {
            SCOPED_TRACE(std::to_string(scale) + (flipped ? " flipped" : ""));
            board.setFlipped(flipped);
            for (int square = 0; square < board::kSquareCount; ++square)
                ASSERT_EQ(board.squareAt(board.squareRect(square).center()), square);
            // a8 is top left unflipped and bottom right flipped: checked by points written down.
            const QPointF topLeft(board.px(600 + 100), board.px(1440 + 100));
            EXPECT_EQ(board.squareAt(topLeft), flipped ? SquareIndex("h1") : SquareIndex("a8"));
            EXPECT_EQ(board.squareAt(QPointF(board.px(300), board.px(3000))), -1) << "over the rank numbers";
            EXPECT_EQ(board.squareAt(QPointF(board.px(4000), board.px(7400))), -1) << "below the board";
        }
    }
    board.setFlipped(false);
    w.window.zoomTo(1.0);

    QSignalSpy pressed(&board, &ui::BoardView::squarePressed);
    QSignalSpy released(&board, &ui::BoardView::squareReleased);
    const QPoint e2 = board.squareRect(SquareIndex("e2")).center();
    QTest::mousePress(&board, Qt::LeftButton, {}, e2);
    QTest::mouseRelease(&board, Qt::LeftButton, {}, board.squareRect(SquareIndex("e4")).center());
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed[0][0].toInt(), SquareIndex("e2"));
    EXPECT_EQ(pressed[0][1].value<Qt::MouseButton>(), Qt::LeftButton);
    ASSERT_EQ(released.count(), 1);
    EXPECT_EQ(released[0][0].toInt(), SquareIndex("e4"));
}

TEST(BoardView, PaintsTargetsAndADraggedPiece) {
    Window w;
    ui::BoardView &board = w.window.boardView();
    const int e4 = SquareIndex("e4"), e3 = SquareIndex("e3");
    auto centreOf = [&](int square) {
        return ClientImage(w.window).pixelColor(board.squareRect(square).center() + board.pos());
    };
    EXPECT_EQ(centreOf(e4), ui::kLightSquare);
    board.setTargets({e3, e4});
    EXPECT_EQ(board.targets(), (std::vector<int>{e3, e4}));
    const QColor marked = centreOf(e4);
    EXPECT_LT(marked.lightness(), ui::kLightSquare.lightness()) << "a dot on the target";
    EXPECT_LT(centreOf(e3).lightness(), ui::kDarkSquare.lightness());
    board.setTargets({});
    EXPECT_EQ(centreOf(e4), ui::kLightSquare) << "and gone again";

    // The e2 pawn (slot 11) carried to a point over d5: drawn there, not on e2.
    const int slot = 11;
    const QPoint at = board.squareRect(SquareIndex("d5")).center();
    board.setDragged(slot, at);
    const QImage image = ClientImage(w.window);
    const QRect e2 = board.squareRect(SquareIndex("e2"));
    EXPECT_EQ(image.pixelColor(e2.center()), ui::kLightSquare) << "e2 is empty meanwhile";
    const QImage picture = art::pieceImage(PieceKind::Pawn, true, e2.size());
    QRect drawn(QPoint(), e2.size());
    drawn.moveCenter(at);
    int matching = 0, opaque = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixelColor(x, y).alpha() == 255) {
                ++opaque;
                matching += image.pixelColor(drawn.topLeft() + QPoint(x, y)).rgb() == picture.pixelColor(x, y).rgb();
            }
    EXPECT_GT(opaque, 100);
    EXPECT_EQ(matching, opaque) << "the pawn drawn whole at the point";
    board.setDragged(-1);
    EXPECT_EQ(board.dragged(), -1);
    EXPECT_TRUE(testing::PiecePainted(w.window, ClientImage(w.window), slot)) << "back on e2";
}

} // namespace
} // namespace quorvane
