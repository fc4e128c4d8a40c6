// Moving pieces by hand in the real window: drags and click-then-click, legal
// and not, the special moves, a flipped board; variations walked with the keys
// and buttons; the engine given the variation's position.

#include "chess/pgn.h"
#include "chess/pgn_reader.h"
#include "scratch_dir.h"
#include "ui/analysis_widgets.h"
#include "ui/analysis_window.h"
#include "ui/board_moves.h"
#include "ui/export_commands.h"
#include "ui_support.h"

#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QMouseEvent>

#include <deque>

namespace quorvane {
namespace {

using testing::Window;

// Answers the promotion chooser from a script; nothing queued is a cancel.
struct ScriptedPromotion : PromotionChooser {
    std::deque<std::optional<char>> answers;
    std::vector<bool> asked; // white, for each question
    std::optional<char> Choose(bool white) override {
        asked.push_back(white);
        if (answers.empty())
            return std::nullopt;
        const auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

// A clipboard that keeps what is copied, and a save dialog that saves nothing.
struct Clip : Clipboard {
    std::string text;
    void SetText(const std::string &t) override { text = t; }
    std::string Text() override { return text; }
};
struct NoSave : SaveDialog {
    std::optional<std::string> ShowSave(const std::string &, const std::string &, const std::string &) override {
        return std::nullopt;
    }
};

int Sq(const char *name) { return board::FindSquare(board::MakeSquares(), name); }

struct Board {
    Window w;
    ScriptedPromotion promotion;
    Board() { w.window.boardMoves().usePromotionChooser(&promotion); }
    ui::BoardView &view() { return w.window.boardView(); }
    QPoint centre(const char *square) { return view().squareRect(Sq(square)).center(); }
    void moveTo(QPoint at) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), view().mapToGlobal(QPointF(at)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view(), &move);
    }
    void drag(const char *from, QPoint to) {
        const QPoint a = centre(from);
        QTest::mousePress(&view(), Qt::LeftButton, {}, a);
        moveTo(a + QPoint(5, 5));
        moveTo((a + to) / 2);
        moveTo(to);
        QTest::mouseRelease(&view(), Qt::LeftButton, {}, to);
    }
    void drag(const char *from, const char *to) { drag(from, centre(to)); }
    void clickClick(const char *from, const char *to) {
        QTest::mouseClick(&view(), Qt::LeftButton, {}, centre(from));
        QTest::mouseClick(&view(), Qt::LeftButton, {}, centre(to));
    }
    std::string fen() {
        const auto p = w.window.variations().BoardPosition();
        return p ? p->toFen() : std::string("-");
    }
};

class BoardMovesTest : public testing::ScratchDirTest {
protected:
    BoardMovesTest() : ScratchDirTest("board-moves") {}
    // A record of these move lines, opened in b and stepped to its end.
    void OpenAtEnd(Board &b, const std::vector<std::string> &lines) {
        b.w.Open(Write("g.txt", testing::MakeRecord(lines)));
        b.w.window.goToEnd();
    }
    // The example record, with the Analysis window on the fake engine.
    void OpenWithAnalysis(Board &b) {
        b.w.Open(testing::TestDataPath("file1.txt"));
        ui::AnalysisOptions options;
        options.locate = [] { return QStringLiteral(FAKE_UCI_PATH); };
        options.graphNodes = 1000;
        b.w.window.openAnalysis(options);
    }
};

TEST_F(BoardMovesTest, DragsAndClicksTakeOnlyLegalMoves) {
    struct Row {
        const char *name;
        bool flipped;
        bool clicks;
        const char *from;
        const char *to;
        bool taken;
        bool offRecord;
        std::int64_t fieldsPosition;
    };
    const std::vector<Row> rows = {
        {"the game's move by drag steps the record", false, false, "d2", "d4", true, false, 1},
        {"the game's move by clicks", false, true, "d2", "d4", true, false, 1},
        {"another move by drag starts a variation", false, false, "e2", "e4", true, true, 0},
        {"another move by clicks", false, true, "g1", "f3", true, true, 0},
        {"an illegal drop puts the piece back", false, false, "e2", "e5", false, false, 0},
        {"an illegal second click too", false, true, "e2", "e5", false, false, 0},
        {"Black's piece when White is to move", false, false, "e7", "e5", false, false, 0},
        {"flipped: a variation by drag", true, false, "e2", "e4", true, true, 0},
        {"flipped: the game's move by clicks", true, true, "d2", "d4", true, false, 1},
        {"flipped: an illegal drop", true, false, "b1", "b3", false, false, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Board b;
        b.w.Open(testing::TestDataPath("file1.txt"));
        if (row.flipped)
            b.w.window.findChild<QAction *>("mnuFlipBoard")->trigger();
        const std::string before = b.fen();
        const auto pieces = testing::Snapshot(b.w.window.core());
        if (row.clicks)
            b.clickClick(row.from, row.to);
        else
            b.drag(row.from, row.to);
        EXPECT_EQ(b.fen() != before, row.taken);
        EXPECT_EQ(b.w.window.variations().OffRecord(), row.offRecord);
        EXPECT_EQ(b.w.window.core().Position(), row.fieldsPosition);
        if (!row.taken) {
            EXPECT_EQ(testing::Snapshot(b.w.window.core()), pieces);
        }
        EXPECT_TRUE(b.view().targets().empty()) << "no marks left after a drop";
        EXPECT_EQ(b.view().dragged(), -1);
        EXPECT_EQ(b.w.window.windowTitle().contains("Variation: 1."), row.offRecord)
            << b.w.window.windowTitle().toStdString();
    }
}

TEST_F(BoardMovesTest, APickedUpPieceMarksItsSquares) {
    Board b;
    b.w.Open(testing::TestDataPath("file1.txt"));
    QTest::mouseClick(&b.view(), Qt::LeftButton, {}, b.centre("g1"));
    std::vector<int> marked = b.view().targets();
    std::sort(marked.begin(), marked.end());
    std::vector<int> want = {Sq("f3"), Sq("h3")};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(marked, want);
    // A right click puts it down.
    QTest::mouseClick(&b.view(), Qt::RightButton, {}, b.centre("a4"));
    EXPECT_TRUE(b.view().targets().empty());
    EXPECT_EQ(b.w.window.boardMoves().picked(), -1);
    // A drag shows the piece under the mouse while it is held.
    QTest::mousePress(&b.view(), Qt::LeftButton, {}, b.centre("b1"));
    b.moveTo(b.centre("b1") + QPoint(20, -30));
    EXPECT_EQ(b.view().dragged(), 1) << "slot 1, the b1 knight";
    QTest::mouseRelease(&b.view(), Qt::LeftButton, {}, b.centre("c3"));
    EXPECT_EQ(b.view().dragged(), -1);
    EXPECT_TRUE(b.w.window.variations().OffRecord());
}

TEST_F(BoardMovesTest, ADragReleasedOffTheBoardOrOutsideTheWindowPutsItBack) {
    for (const QPoint away : {QPoint(-40, -40), QPoint(5000, 200)}) {
        Board b;
        b.w.Open(testing::TestDataPath("file1.txt"));
        const auto pieces = testing::Snapshot(b.w.window.core());
        b.drag("e2", away);
        EXPECT_EQ(testing::Snapshot(b.w.window.core()), pieces);
        EXPECT_EQ(b.w.window.boardMoves().picked(), -1);
        EXPECT_TRUE(b.view().targets().empty());
        // And the next move works as if nothing had happened.
        b.drag("d2", "d4");
        EXPECT_EQ(b.w.window.core().Position(), 1);
    }
}

TEST_F(BoardMovesTest, ABoardThatMovesOnUnderAHeldPieceDropsIt) {
    Board b;
    b.w.Open(testing::TestDataPath("file1.txt"));
    QTest::mouseClick(&b.view(), Qt::LeftButton, {}, b.centre("e2"));
    ASSERT_EQ(b.w.window.boardMoves().picked(), Sq("e2"));
    b.w.window.stepBy(1); // a key or the wheel, between the two clicks
    EXPECT_EQ(b.w.window.boardMoves().picked(), -1);
    QTest::mouseClick(&b.view(), Qt::LeftButton, {}, b.centre("e4"));
    EXPECT_EQ(b.w.window.core().Position(), 1);
    EXPECT_FALSE(b.w.window.variations().OffRecord()) << "the second click was no move";
}

TEST_F(BoardMovesTest, CastlingEnPassantAndPromotion) {
    // 4... f5: White may castle short, and take en passant on f6.
    const std::vector<std::string> castlingGame = {"1. e2-e4 a7-a6", "2. g1-f3 a6-a5", "3. f1-e2 d7-d5",
                                                      "4. e4-e5 f7-f5"};
    // After 4. axb7 Nc6 the pawn on b7 goes to b8.
    const std::vector<std::string> promotionGame = {"1. a2-a4 b7-b5", "2. a4xb5 a7-a6", "3. b5xa6 c8-b7",
                                                       "4. a6xb7 b8-c6"};
    struct Row {
        const char *name;
        const std::vector<std::string> *game;
        const char *from;
        const char *to;
        std::optional<char> piece;
        const char *board; // the placement after it; empty: nothing played
    };
    const std::vector<Row> rows = {
        {"castling by the king's two squares", &castlingGame, "e1", "g1", std::nullopt,
         "rnbqkbnr/1pp1p1pp/8/p2pPp2/8/5N2/PPPPBPPP/RNBQ1RK1"},
        {"en passant", &castlingGame, "e5", "f6", std::nullopt, "rnbqkbnr/1pp1p1pp/5P2/p2p4/8/5N2/PPPPBPPP/RNBQK2R"},
        {"promotion to a queen", &promotionGame, "b7", "b8", 'Q', "rQ1qkbnr/2pppppp/2n5/8/8/8/1PPPPPPP/RNBQKBNR"},
        {"promotion to a rook", &promotionGame, "b7", "b8", 'R', "rR1qkbnr/2pppppp/2n5/8/8/8/1PPPPPPP/RNBQKBNR"},
        {"promotion to a bishop", &promotionGame, "b7", "b8", 'B', "rB1qkbnr/2pppppp/2n5/8/8/8/1PPPPPPP/RNBQKBNR"},
        {"promotion to a knight", &promotionGame, "b7", "b8", 'N', "rN1qkbnr/2pppppp/2n5/8/8/8/1PPPPPPP/RNBQKBNR"},
        {"promotion with a capture", &promotionGame, "b7", "a8", 'N', "N2qkbnr/2pppppp/2n5/8/8/8/1PPPPPPP/RNBQKBNR"},
        {"the chooser cancelled (Esc)", &promotionGame, "b7", "b8", std::nullopt, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Board b;
        OpenAtEnd(b, *row.game);
        const std::string before = b.fen();
        const auto pieces = testing::Snapshot(b.w.window.core());
        b.promotion.answers = {row.piece};
        b.drag(row.from, row.to);
        if (*row.board == '\0') {
            EXPECT_EQ(b.fen(), before);
            EXPECT_EQ(testing::Snapshot(b.w.window.core()), pieces);
            EXPECT_EQ(b.promotion.asked.size(), 1u);
            continue;
        }
        const std::string fen = b.fen();
        EXPECT_EQ(fen.substr(0, fen.find(' ')), row.board);
        // What is painted is what the logic says: every visible slot where it stands.
        const QImage client = b.w.window.centralWidget()->grab().toImage();
        for (int slot = 0; slot < board::kPieceCount; ++slot) {
            if (b.view().pieceShown(slot)) {
                EXPECT_TRUE(testing::PiecePainted(b.w.window, client, slot));
            }
        }
    }
}

TEST_F(BoardMovesTest, AVariationMadeWalkedLeftAndReEntered) {
    Board b;
    b.w.Open(testing::TestDataPath("file1.txt"));
    b.w.window.stepBy(4); // after 2... Nc6
    b.drag("c2", "c4");
    b.drag("d5", "c4");
    ASSERT_TRUE(b.w.window.variations().OffRecord());
    EXPECT_TRUE(b.w.window.windowTitle().contains("Variation: 3. c4 dxc4")) << b.w.window.windowTitle().toStdString();
    const int selected = b.w.shownRow();

    QTest::keyClick(&b.w.window, Qt::Key_Left);
    QTest::keyClick(&b.w.window, Qt::Key_Left);
    EXPECT_FALSE(b.w.window.variations().OffRecord()) << "back on the game where it was left";
    EXPECT_EQ(b.w.window.core().Position(), 4);
    EXPECT_FALSE(b.w.window.windowTitle().contains("Variation"));
    EXPECT_EQ(b.w.shownRow(), selected);

    // Next re-enters the variation; Down picks the game's move instead.
    QTest::mouseClick(b.w.button("cmdNext"), Qt::LeftButton);
    EXPECT_TRUE(b.w.window.variations().OffRecord());
    QTest::keyClick(&b.w.window, Qt::Key_End);
    EXPECT_TRUE(b.w.window.windowTitle().contains("Variation: 3. c4 dxc4"));
    QTest::keyClick(&b.w.window, Qt::Key_Home);
    QTest::mouseClick(b.w.button("cmdBack"), Qt::LeftButton);
    EXPECT_FALSE(b.w.window.variations().OffRecord());
    EXPECT_TRUE(b.w.button("cmdNext")->toolTip().contains("variation 1 of 1")) << "says which one Next takes";
    QTest::keyClick(&b.w.window, Qt::Key_Down);
    EXPECT_TRUE(b.w.button("cmdNext")->toolTip().contains("the game's move"));
    QTest::keyClick(&b.w.window, Qt::Key_Right);
    EXPECT_FALSE(b.w.window.variations().OffRecord());
    EXPECT_EQ(b.w.window.core().Position(), 5);

    // A double-click on a move line while in the variation jumps on the game.
    QTest::keyClick(&b.w.window, Qt::Key_Left);
    QTest::keyClick(&b.w.window, Qt::Key_Up);
    QTest::keyClick(&b.w.window, Qt::Key_Right);
    ASSERT_TRUE(b.w.window.variations().OffRecord());
    const QModelIndex line = b.w.list()->model()->index(9, 0);
    QTest::mouseClick(b.w.list()->viewport(), Qt::LeftButton, {}, b.w.list()->visualRect(line).center());
    QTest::mouseDClick(b.w.list()->viewport(), Qt::LeftButton, {}, b.w.list()->visualRect(line).center());
    EXPECT_FALSE(b.w.window.variations().OffRecord());
    EXPECT_EQ(b.w.window.core().Position(), 20);

    // Delete and promote from the Edit menu.
    b.w.window.goToStart();
    b.drag("e2", "e4");
    b.drag("e7", "e5");
    auto *promote = b.w.window.findChild<QAction *>("mnuPromoteVariation");
    auto *remove = b.w.window.findChild<QAction *>("mnuDeleteVariation");
    ASSERT_TRUE(promote->isEnabled());
    remove->trigger();
    EXPECT_FALSE(b.w.window.variations().OffRecord());
    EXPECT_EQ(b.w.window.variations().Game()->mainLine.moves[0].variations.size(), 0u) << "1. e4 is gone";
    EXPECT_EQ(b.w.window.variations().Game()->mainLine.moves[4].variations.size(), 1u) << "3. c4 stays";
    EXPECT_FALSE(promote->isEnabled());
}

TEST_F(BoardMovesTest, SavedPgnHoldsTheVariationsNestedAsMade) {
    Board b;
    b.w.Open(testing::TestDataPath("file1.txt"));
    b.w.window.stepBy(2);
    b.drag("c2", "c4"); // 2. c4
    b.drag("d5", "c4"); // 2... dxc4
    QTest::keyClick(&b.w.window, Qt::Key_Left);
    b.drag("e7", "e6"); // 2... e6 inside 2. c4
    QTest::keyClick(&b.w.window, Qt::Key_Left);
    QTest::keyClick(&b.w.window, Qt::Key_Left);
    b.drag("g1", "f3"); // 2. Nf3, a second variation
    Clip clipboard;
    NoSave dialog;
    b.w.window.exportCommands().useSeams(dialog, clipboard);
    b.w.window.exportCommands().copyPgn();
    EXPECT_NE(clipboard.text.find("2. Qd3 (2. c4 dxc4 (2... e6)) (2. Nf3) 2... Nc6"), std::string::npos)
        << clipboard.text;
    // Copy Position copies the board's, a variation's too.
    b.w.window.exportCommands().copyPosition();
    EXPECT_EQ(clipboard.text, b.fen());
}

// A game with comments, NAGs and a variation of its own, given nested
// variations on the board: its PGN read back is the same tree, move for move.
TEST_F(BoardMovesTest, NestedVariationsReadBackToTheSameTree) {
    Board b;
    b.w.Open(Write("g.pgn", "[Event \"Test\"]\n[White \"A\"]\n[Black \"B\"]\n[Result \"*\"]\n\n"
                            "{Before it all} 1. e4 {King's pawn} e5 $1 2. Nf3 Nc6 (2... d6 {Philidor} 3. d4 $5) "
                            "3. Bb5 $6 a6 *\n"));
    ASSERT_EQ(b.w.window.core().ChessGame().plies(), 6u);
    b.w.window.stepBy(2);
    b.drag("d2", "d4"); // 2. d4
    b.drag("e5", "d4"); // 2... exd4
    b.drag("c2", "c3"); // 3. c3
    QTest::keyClick(&b.w.window, Qt::Key_Left);
    QTest::keyClick(&b.w.window, Qt::Key_Left);
    b.drag("b8", "c6"); // 2... Nc6 inside 2. d4
    b.drag("d4", "d5"); // 3. d5
    QTest::keyClick(&b.w.window, Qt::Key_Left);
    b.drag("g1", "f3"); // 3. Nf3, nested one deeper
    // And one inside the game's own variation.
    b.w.window.variations().ReturnToRecord();
    b.w.window.goToStart();
    b.w.window.stepBy(3);
    b.drag("d7", "d6"); // 2... d6 follows the game's variation
    b.drag("d2", "d4"); // 3. d4 follows it too
    b.drag("c8", "g4"); // 3... Bg4 extends it
    const chess::Game made = *b.w.window.variations().Game();
    ASSERT_EQ(made.mainLine.moves[2].variations.size(), 1u);
    const chess::Line &d4 = made.mainLine.moves[2].variations[0];
    ASSERT_EQ(d4.moves.size(), 3u);
    ASSERT_EQ(d4.moves[1].variations.size(), 1u) << "2... Nc6 in 2. d4";
    ASSERT_EQ(d4.moves[1].variations[0].moves[1].variations.size(), 1u) << "3. Nf3 in 2... Nc6";
    ASSERT_EQ(made.mainLine.moves[3].variations[0].moves.size(), 3u) << chess::toPgn(made);

    Clip clipboard;
    NoSave dialog;
    b.w.window.exportCommands().useSeams(dialog, clipboard);
    b.w.window.exportCommands().copyPgn();
    const chess::PgnGameRead back = chess::readPgnGame(clipboard.text);
    ASSERT_TRUE(back.game) << back.error;
    EXPECT_EQ(back.game->gameComment, "Before it all");
    EXPECT_EQ(back.game->start, made.start);
    EXPECT_EQ(back.game->result, made.result);
    // Moves, SAN, comments before and after, NAGs and variations, all the way down.
    EXPECT_TRUE(back.game->mainLine == made.mainLine) << clipboard.text;
    EXPECT_EQ(back.game->mainLine.moves[1].nags, (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(back.game->mainLine.moves[3].variations[0].moves[0].commentAfter, "Philidor");
}

// The Analysis window's move list with the variations made on the board: each
// in its own rows, nested ones deeper; the cursor's move highlighted wherever
// it is; a click anywhere goes there; a right-click on a variation's move
// deletes or promotes it, and the game's own moves stay unless promoted.
TEST_F(BoardMovesTest, TheAnalysisMoveListShowsAndEditsVariations) {
    qputenv("FAKE_UCI_MODE", "normal");
    Board b;
    OpenWithAnalysis(b);
    ui::AnalysisWindow *analysis = b.w.window.analysisWindow();
    auto *list = analysis->findChild<ui::MoveList *>();
    const ui::MoveTableModel &cells = *list->moves();
    const chess::Line asRead = b.w.window.core().ChessGame().mainLine;

    b.w.window.stepBy(2);
    b.drag("c2", "c4"); // 2. c4
    b.drag("d5", "c4"); // 2... dxc4
    QTest::keyClick(&b.w.window, Qt::Key_Left);
    b.drag("e7", "e6"); // 2... e6 inside 2. c4
    auto rowTexts = [&] {
        std::vector<std::string> texts;
        for (const MoveRow &row : cells.rows())
            texts.push_back(row.depth ? std::string(row.depth, '>') + row.text : std::to_string(row.moveNumber) + ".");
        return texts;
    };
    const std::vector<std::string> made = rowTexts();
    ASSERT_GE(made.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(made.begin(), made.begin() + 5),
              (std::vector<std::string>{"1.", "2.", ">(2. c4 dxc4)", ">>(2... e6)", "2."}));
    EXPECT_EQ(cells.index(2, 0).data(Qt::AccessibleTextRole).toString(), "Variation: (2. c4 dxc4)");
    EXPECT_EQ(list->rowSpan(2, 0), 1);
    EXPECT_EQ(list->columnSpan(2, 0), 3);
    // The cursor is on 2... e6: that move, and nothing on the main line, is highlighted.
    EXPECT_EQ(cells.current(), (std::optional<std::pair<int, int>>{{3, 0}}));
    EXPECT_EQ(list->current(), -1);
    EXPECT_EQ(list->currentIndex(), cells.index(3, 0));
    EXPECT_TRUE(list->selectionModel()->selectedIndexes().isEmpty()) << "the move is painted, not the row";

    // A click on 2. c4 in its row goes there.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->moveRect(2, 0).center());
    EXPECT_EQ(b.w.window.variations().Cursor()->path(), (chess::GamePath{{{2, 0}}, 1}));
    EXPECT_EQ(cells.current(), (std::optional<std::pair<int, int>>{{2, 0}}));
    EXPECT_EQ(b.fen(), b.w.window.variations().Game()->positionAt({{{2, 0}}, 1})->toFen());
    // And one on the game's third half-move goes back to the game's moves.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(cells.indexOf(3)).center());
    EXPECT_FALSE(b.w.window.variations().OffRecord());
    EXPECT_EQ(b.w.window.core().Position(), 3);
    EXPECT_EQ(list->current(), 3);
    EXPECT_EQ(list->selectionModel()->selectedIndexes(), (QModelIndexList{cells.indexOf(3)}));

    // Right-click on a variation's move, then a click on the menu's command.
    auto menuCommand = [&](int row, int token, const char *name) {
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, list->moveRect(row, token).center());
        auto *menu = analysis->findChild<QMenu *>("mnuVariation");
        EXPECT_NE(menu, nullptr);
        if (!menu)
            return;
        QStringList texts;
        for (QAction *action : menu->actions())
            texts << action->text();
        EXPECT_EQ(texts, (QStringList{"Delete Variation", "Promote to Main Line"}));
        QAction *action = menu->findChild<QAction *>(name);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(menu));
        if (action->isEnabled())
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        else
            menu->close();
        // Closed, the menu goes by itself.
        QPointer<QMenu> gone(menu);
        EXPECT_TRUE(QTest::qWaitFor([&] { return gone.isNull(); }, 1000));
    };
    menuCommand(3, 0, "mnuVariationDelete"); // 2... e6 goes
    EXPECT_EQ(b.w.window.variations().Game()->mainLine.moves[2].variations.size(), 1u);
    EXPECT_TRUE(b.w.window.variations().Game()->mainLine.moves[2].variations[0].moves[1].variations.empty());
    EXPECT_EQ(rowTexts()[3], "2.");
    auto sans = [](const chess::Line &line) {
        std::vector<std::string> out;
        for (const chess::MoveNode &node : line.moves)
            out.push_back(node.san);
        return out;
    };
    EXPECT_EQ(sans(b.w.window.variations().Game()->mainLine), sans(asRead)) << "the game's own moves stay";

    menuCommand(2, 1, "mnuVariationPromote"); // 2. c4 dxc4 becomes the game's line
    const chess::Game &promoted = *b.w.window.variations().Game();
    EXPECT_EQ(promoted.mainLine.moves[2].san, "c4");
    EXPECT_EQ(promoted.mainLine.moves.size(), 4u);
    ASSERT_EQ(promoted.mainLine.moves[2].variations.size(), 1u);
    EXPECT_EQ(promoted.mainLine.moves[2].variations[0].moves.size(), asRead.moves.size() - 2);
    EXPECT_EQ(rowTexts()[2].substr(0, 7), ">(2. Qd");
    // The game's own moves, a variation now, cannot be deleted; they keep their place in the review.
    menuCommand(2, 0, "mnuVariationDelete");
    EXPECT_EQ(b.w.window.variations().Game()->mainLine.moves[2].variations.size(), 1u);
    EXPECT_EQ(cells.indexOf(3), cells.index(2, 0));
    qunsetenv("FAKE_UCI_MODE");
}

TEST_F(BoardMovesTest, TheEngineAnalysesTheVariationsPosition) {
    const QString log = QString::fromStdString((dir_ / "commands.log").string());
    qputenv("FAKE_UCI_MODE", "normal");
    qputenv("FAKE_UCI_LOG", log.toLocal8Bit());
    Board b;
    OpenWithAnalysis(b);
    b.drag("e2", "e4");
    const QString fen = QString::fromStdString(b.fen());
    auto logged = [&] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) && QString::fromUtf8(file.readAll()).contains("position fen " + fen);
    };
    EXPECT_TRUE(QTest::qWaitFor(logged, 5000)) << fen.toStdString();
    qunsetenv("FAKE_UCI_LOG");
}

} // namespace
} // namespace quorvane
