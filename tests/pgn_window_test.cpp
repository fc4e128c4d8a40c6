// PGN through the real window: File > Open, a drop, the command line and
// Paste Game; a set-up with Black to move; Ctrl+Page Down and Up through a
// database; View > Standard Notation on a record.

#include "chess/openings.h"
#include "chess/pgn_index.h"
#include "ui/app.h"
#include "ui_support.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <fstream>
#include <unistd.h>

namespace quorvane {
namespace {

using testing::Window;

constexpr const char *kOneGame = "[Event \"Club night\"]\n[Site \"?\"]\n[Date \"2024.03.15\"]\n[Round \"1\"]\n"
                                 "[White \"M\xc3\xbcller, Karl\"]\n[Black \"Ng, Wei\"]\n[Result \"1-0\"]\n\n"
                                 "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 {the Morphy} 4. Ba4 Nf6 5. O-O 1-0\n";

constexpr const char *kBlackToMove =
    "[Event \"Study\"]\n[White \"A\"]\n[Black \"B\"]\n[SetUp \"1\"]\n"
    "[FEN \"r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 3 12\"]\n\n12... Nf6 13. Nc3 Bb4 *\n";

std::string Database() {
    std::string text;
    const char *players[][2] = {{"Alpha", "Beta"}, {"Gamma", "Delta"}, {"Epsilon", "Zeta"}};
    for (const auto &p : players)
        text += std::string("[Event \"Open\"]\n[White \"") + p[0] + "\"]\n[Black \"" + p[1] +
                "\"]\n[Result \"*\"]\n\n1. d4 d5 2. c4 *\n\n";
    return text;
}

struct ScriptedClipboard : Clipboard {
    std::string text;
    void SetText(const std::string &t) override { text = t; }
    std::string Text() override { return text; }
};

struct ScriptedChooser : GameChooser {
    std::optional<std::size_t> answer;
    std::vector<std::vector<GameChoice>> asked;
    std::optional<std::size_t> Choose(const std::vector<GameChoice> &games) override {
        asked.push_back(games);
        return answer;
    }
};

QStringList Rows(Window &w) {
    QStringList rows;
    for (int row = 0; row < w.list()->model()->rowCount(); ++row)
        rows << w.list()->model()->index(row, 0).data().toString();
    return rows;
}

QString LabelText(Window &w, const char *name) { return w.window.findChild<QLabel *>(name)->text(); }

QAction *Action(QWidget &window, const char *name) { return window.findChild<QAction *>(name); }

class PgnWindow : public ::testing::Test {
protected:
    std::string Write(const char *name, const std::string &text) {
        const std::string path = dir_.filePath(QString::fromLatin1(name)).toStdString();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    QTemporaryDir dir_;
};

TEST_F(PgnWindow, OpenedByFileOpenADropAndTheCommandLine) {
    const std::string path = Write("club.pgn", kOneGame);
    const QStringList expected = {"1. e4 e5", "2. Nf3 Nc6", "3. Bb5 a6", "4. Ba4 Nf6", "5. O-O"};
    const struct {
        const char *name;
        std::function<void(Window &)> open;
    } ways[] = {
        {"File > Open", [&](Window &w) { w.Open(path); }},
        {"a drop",
         [&](Window &w) {
             QMimeData data;
             data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
             QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(&w.window, &enter);
             QDropEvent drop(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(&w.window, &drop);
         }},
    };
    for (const auto &way : ways) {
        SCOPED_TRACE(way.name);
        Window w;
        way.open(w);
        EXPECT_TRUE(w.box.shown.empty());
        EXPECT_EQ(Rows(w), expected);
        EXPECT_EQ(LabelText(w, "lblWhitePlayer"), QStringLiteral("White: M\u00fcller, Karl"));
        EXPECT_EQ(LabelText(w, "lblBlackPlayer"), QStringLiteral("Black: Ng, Wei"));
        EXPECT_EQ(LabelText(w, "lblDate"), QStringLiteral("2024.03.15"));
        EXPECT_EQ(LabelText(w, "lblFileName"), QStringLiteral("club.pgn"));
        // The designed stepping plays it: castling moves the king and the rook.
        w.window.goToEnd();
        EXPECT_EQ(w.window.core().GamePly(), 9);
        EXPECT_EQ(w.window.core().Image1[4].Tag, "g1");
        EXPECT_EQ(w.window.core().Image1[7].Tag, "f1");
        EXPECT_EQ(w.shownRow(), 4);
        ASSERT_NE(w.window.core().LoadedGame(), nullptr);
        EXPECT_EQ(&w.window.core().ChessGame(), w.window.core().LoadedGame());
    }

    Window viaDialog;
    viaDialog.Open(path);
    ASSERT_EQ(viaDialog.dialog.filtersSeen.size(), 1u);
    EXPECT_EQ(viaDialog.dialog.filtersSeen[0],
              "text files *.txt|*.txt|e-mail messages|*.eml;*.mbox|PGN games|*.pgn|All files|*");

    Module1 module;
    testing::ScriptedDialog dialog;
    testing::RecordingBox box;
    auto start = ui::startQuorvane({"quorvane", QString::fromStdString(path)}, module, &dialog, &box);
    ASSERT_TRUE(start.window);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_TRUE(start.warning.isEmpty()) << start.warning.toStdString();
    EXPECT_EQ(start.window->core().lstMoveList.Items().front(), "1. e4 e5");
}

TEST_F(PgnWindow, ASetUpWithBlackToMoveStartsAtBlacksHalfMove) {
    Window w;
    w.Open(Write("study.pgn", kBlackToMove));
    EXPECT_TRUE(w.box.shown.empty());
    EXPECT_EQ(Rows(w), (QStringList{"12... Nf6", "13. Nc3 Bb4"}));
    const ChsMain &core = w.window.core();
    const auto positions = core.LoadedGame()->mainLinePositions();
    // The board is the FEN's: Black's knight on c6, White's on f3, no pawn on d7's file missing.
    EXPECT_EQ(core.Image1[30].Tag, "c6") << "Black's b8 knight";
    EXPECT_EQ(core.Image1[6].Tag, "f3") << "White's g1 knight";
    w.button("cmdNext")->click();
    EXPECT_EQ(core.GamePly(), 1);
    EXPECT_EQ(core.Image1[25].Tag, "f6") << "Black's g8 knight";
    w.button("cmdNext")->click();
    w.button("cmdNext")->click();
    EXPECT_EQ(core.GamePly(), 3);
    EXPECT_EQ(core.Image1[26].Tag, "b4") << "Black's f8 bishop";
    EXPECT_EQ(w.shownRow(), 1);
    w.window.goToStart();
    EXPECT_EQ(core.GamePly(), 0);
    EXPECT_EQ(core.Image1[25].Tag, "g8");
    EXPECT_EQ(positions.size(), 4u);
}

TEST_F(PgnWindow, PastedPgnLoadsAndAPasteWithoutAGameChangesNothing) {
    Window w;
    ScriptedClipboard clipboard;
    ScriptedChooser chooser;
    w.window.setMailSeams(&chooser, &clipboard);
    clipboard.text = kOneGame;
    Action(w.window, "mnuPaste")->trigger();
    EXPECT_TRUE(w.box.shown.empty());
    EXPECT_EQ(Rows(w).size(), 5);
    EXPECT_EQ(LabelText(w, "lblFileName"), QStringLiteral("(pasted)"));
    w.window.stepBy(3);

    clipboard.text = "[Event \"x\"]\n[Variant \"Atomic\"]\n\n1. e4 *\n";
    Action(w.window, "mnuPaste")->trigger();
    ASSERT_EQ(w.box.shown.size(), 1u);
    EXPECT_EQ(w.box.shown[0].text, "This game cannot be shown: not a standard chess game: Variant \"Atomic\".");
    EXPECT_EQ(Rows(w).size(), 5);
    EXPECT_EQ(w.window.core().GamePly(), 3);
    EXPECT_EQ(LabelText(w, "lblWhitePlayer"), QStringLiteral("White: M\u00fcller, Karl"));
}

TEST_F(PgnWindow, CtrlPageDownAndUpGoThroughTheFilesGames) {
    Window w;
    ScriptedClipboard clipboard;
    ScriptedChooser chooser;
    chooser.answer = 1;
    w.window.setMailSeams(&chooser, &clipboard);
    w.Open(Write("db.pgn", Database()));
    ASSERT_EQ(chooser.asked.size(), 1u);
    ASSERT_EQ(chooser.asked[0].size(), 3u);
    EXPECT_EQ(chooser.asked[0][2].white, "Epsilon");
    EXPECT_EQ(chooser.asked[0][2].event, "Open");
    EXPECT_EQ(LabelText(w, "lblWhitePlayer"), QStringLiteral("White: Gamma"));

    const struct {
        Qt::Key key;
        const char *white;
    } steps[] = {{Qt::Key_PageDown, "White: Epsilon"}, {Qt::Key_PageDown, "White: Epsilon"},
                 {Qt::Key_PageUp, "White: Gamma"},     {Qt::Key_PageUp, "White: Alpha"},
                 {Qt::Key_PageUp, "White: Alpha"}};
    for (const auto &step : steps) {
        QTest::keyClick(w.list(), step.key, Qt::ControlModifier);
        EXPECT_EQ(LabelText(w, "lblWhitePlayer"), QString::fromLatin1(step.white));
    }
    EXPECT_EQ(chooser.asked.size(), 1u);
    EXPECT_EQ(w.window.core().GameOfFile(), std::optional<std::size_t>(0));
    EXPECT_TRUE(w.box.shown.empty());

    // A record opened afterwards has no other games.
    w.Open(testing::TestDataPath("file1.txt"));
    QTest::keyClick(w.list(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(LabelText(w, "lblFileName"), QStringLiteral("file1.txt"));
}

// A database chosen from before the list had scanned it all: the window
// knows the first game only, and Ctrl+Page Down finds each next one in the
// file after the last one it knows.
struct FirstGameOnlyChooser : GameChooser {
    std::optional<std::size_t> Choose(const std::vector<GameChoice> &) override { return std::nullopt; }
    std::optional<std::size_t> ChoosePgn(std::string_view bytes, std::vector<Span> &spans) override {
        const std::vector<chess::GameSummary> all = chess::indexPgnGames(bytes);
        spans = {{all.at(0).offset, all.at(0).length}};
        return 0;
    }
};

TEST_F(PgnWindow, CtrlPageDownGoesPastTheGamesTheListHadFound) {
    Window w;
    ScriptedClipboard clipboard;
    FirstGameOnlyChooser chooser;
    w.window.setMailSeams(&chooser, &clipboard);
    w.Open(Write("db.pgn", Database()));
    EXPECT_EQ(LabelText(w, "lblWhitePlayer"), QStringLiteral("White: Alpha"));
    for (const char *white : {"White: Gamma", "White: Epsilon", "White: Epsilon"}) {
        QTest::keyClick(w.list(), Qt::Key_PageDown, Qt::ControlModifier);
        EXPECT_EQ(LabelText(w, "lblWhitePlayer"), QString::fromLatin1(white));
    }
    EXPECT_EQ(w.window.core().GameOfFile(), std::optional<std::size_t>(2));
    QTest::keyClick(w.list(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(LabelText(w, "lblWhitePlayer"), QStringLiteral("White: Gamma"));
    EXPECT_TRUE(w.box.shown.empty());
}

// A database cut shorter by another program while the list reads it: the
// scan reads zeros past the new end instead of stopping the program, and the
// window says so and keeps the game it had.
struct CuttingChooser : GameChooser {
    std::string path;
    std::size_t rows = 0;
    std::optional<std::size_t> Choose(const std::vector<GameChoice> &) override { return std::nullopt; }
    std::optional<std::size_t> ChoosePgn(std::string_view bytes, std::vector<Span> &spans) override {
        EXPECT_EQ(::truncate(path.c_str(), 100), 0);
        for (const chess::GameSummary &game : chess::indexPgnGames(bytes))
            spans.emplace_back(game.offset, game.length);
        rows = spans.size();
        return 0;
    }
};

TEST_F(PgnWindow, ADatabaseCutShorterWhileItIsReadIsNoGameAndNoCrash) {
    Window w;
    w.Open(testing::TestDataPath("file1.txt"));
    ScriptedClipboard clipboard;
    CuttingChooser chooser;
    w.window.setMailSeams(&chooser, &clipboard);
    std::string big;
    while (big.size() < 64 * 1024)
        big += Database();
    chooser.path = Write("cut.pgn", big);
    w.Open(chooser.path);
    EXPECT_GE(chooser.rows, 1u);
    ASSERT_EQ(w.box.shown.size(), 1u);
    EXPECT_EQ(w.box.shown[0].text, "The file was cut shorter while it was read: open it again.");
    EXPECT_EQ(LabelText(w, "lblFileName"), QStringLiteral("file1.txt")) << "the game on the board stays";
}

// The title names the opening of the position on the board, found by the
// position (a transposition too), as the user steps; the start has none.
TEST_F(PgnWindow, TheTitleNamesTheOpeningOfTheBoardsPosition) {
    if (chess::OpeningBook::standard().empty())
        GTEST_SKIP() << chess::OpeningBook::kEcoFile << " is not installed";
    const struct {
        const char *name;
        const char *moves;
    } games[] = {
        {"najdorf.pgn", "1. e4 c5 2. Nf3 d6 3. d4 cxd4 4. Nxd4 Nf6 5. Nc3 a6 6. Be2 e5 *"},
        {"transposed.pgn", "1. Nf3 c5 2. e4 d6 3. d4 cxd4 4. Nxd4 Nf6 5. Nc3 a6 6. Be2 e5 *"},
    };
    for (const auto &game : games) {
        SCOPED_TRACE(game.name);
        Window w;
        w.Open(Write(game.name, std::string("[Event \"x\"]\n\n") + game.moves + "\n"));
        const QString file = QString::fromLatin1(game.name);
        EXPECT_EQ(w.window.windowTitle(), file + QStringLiteral(" - Quorvane")) << "the start is no opening";
        for (int i = 0; i < 10; ++i)
            QTest::keyClick(w.list(), Qt::Key_Right);
        EXPECT_EQ(w.window.windowTitle(), file + QStringLiteral(" - B90 Sicilian: Najdorf - Quorvane"));
        // Past the book the game's opening stays named.
        QTest::keyClick(w.list(), Qt::Key_End);
        EXPECT_TRUE(w.window.windowTitle().contains(QStringLiteral(" - B9"))) << w.window.windowTitle().toStdString();
        QTest::keyClick(w.list(), Qt::Key_Home);
        EXPECT_EQ(w.window.windowTitle(), file + QStringLiteral(" - Quorvane"));
    }
    // A record names its opening the same way.
    Window w;
    w.Open(testing::TestDataPath("file1.txt"));
    QTest::keyClick(w.list(), Qt::Key_Right);
    QTest::keyClick(w.list(), Qt::Key_Right);
    const QString title = w.window.windowTitle();
    EXPECT_TRUE(title.startsWith(QStringLiteral("file1.txt - ")) && title.endsWith(QStringLiteral(" - Quorvane")) &&
                title != QStringLiteral("file1.txt - Quorvane"))
        << title.toStdString();
}

TEST_F(PgnWindow, StandardNotationSwitchesARecordsListOnly) {
    Window w;
    w.Open(testing::TestDataPath("file1.txt"));
    const std::vector<std::string> tokens = w.window.core().lstFieldsList.Items();
    EXPECT_EQ(Rows(w).first(), QStringLiteral("1. d2-d4 d7-d5"));
    w.window.stepBy(5);
    QAction *notation = Action(w.window, "mnuStandardNotation");
    ASSERT_NE(notation, nullptr);
    EXPECT_FALSE(notation->isChecked());
    notation->trigger();
    EXPECT_EQ(Rows(w).mid(0, 3), (QStringList{"1. d4 d5", "2. Qd3 Nc6", "3. g3 Qd6"}));
    EXPECT_EQ(w.window.core().lstFieldsList.Items(), tokens);
    EXPECT_EQ(w.shownRow(), 2);
    EXPECT_EQ(w.window.core().Position(), 5);
    // The next record opens in the notation chosen.
    w.Open(testing::TestDataPath("file1.txt"));
    EXPECT_EQ(Rows(w).first(), QStringLiteral("1. d4 d5"));
    notation->trigger();
    EXPECT_EQ(Rows(w).first(), QStringLiteral("1. d2-d4 d7-d5"));
    // In the View menu, after the last-move switch.
    const auto *view = w.window.findChild<QMenu *>("mnuView");
    ASSERT_NE(view, nullptr);
    const QList<QAction *> items = view->actions();
    const auto at = items.indexOf(notation);
    ASSERT_GT(at, 0);
    EXPECT_EQ(items[at - 1]->objectName(), QStringLiteral("mnuShowLastMove"));
}

} // namespace
} // namespace quorvane
