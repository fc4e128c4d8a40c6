// Save as PGN, Copy PGN and Copy Position through the window, with a scripted
// save dialog and clipboard.

#include "chess/pgn_reader.h"
#include "engine/review.h"
#include "ui/board_view.h"
#include "ui/export_commands.h"
#include "ui_support.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;

class ScriptedSaveDialog : public SaveDialog {
public:
    std::optional<std::string> answer;
    std::vector<std::string> proposed;
    std::optional<std::string> ShowSave(const std::string &, const std::string &proposedPath,
                                        const std::string &) override {
        proposed.push_back(proposedPath);
        return answer;
    }
};

class RecordingClipboard : public Clipboard {
public:
    std::vector<std::string> texts;
    void SetText(const std::string &text) override { texts.push_back(text); }
    std::string Text() override { return texts.empty() ? std::string() : texts.back(); }
};

std::string ReadFile(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct ExportWindow : testing::Window {
    ScriptedSaveDialog save;
    RecordingClipboard clipboard;
    fs::path dir = fs::temp_directory_path() / ("quorvane-export-" + std::to_string(::getpid()));

    ExportWindow() {
        window.exportCommands().useSeams(save, clipboard);
        fs::create_directories(dir);
    }
    ~ExportWindow() { fs::remove_all(dir); }
    // Opens a copy of a record from the test data in the temporary folder.
    std::string OpenCopy(const std::string &name, const std::string &text) {
        const auto path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        Open(path);
        return path;
    }
    QAction *action(const char *name) { return window.findChild<QAction *>(name); }
    void Step(int times) {
        for (int i = 0; i < times; ++i)
            QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
    }
    void Back(int times) {
        for (int i = 0; i < times; ++i)
            QTest::mouseClick(button("cmdBack"), Qt::LeftButton);
    }
    void OpenEditMenu() { emit window.findChild<QMenu *>("mnuEdit")->aboutToShow(); }
};

TEST(SaveAsPgn, WritesTheGameWhereTheUserSays) {
    struct Row {
        const char *name;
        bool cancel;
        bool existing;      // a file is already where the user saves
        const char *target; // relative to the temporary folder; absolute when it starts with "/"
        bool written;
    };
    const Row rows[] = {
        {"proposed name", false, false, "game_073.pgn", true},
        {"replaces a file the user chose to replace", false, true, "game_073.pgn", true},
        {"cancelled", true, true, "game_073.pgn", false},
        {"folder missing", false, false, "none/game.pgn", false},
        {"folder is a file", false, false, "game_073.txt/game.pgn", false},
        {"a place nothing may be written", false, false, "/proc/quorvane-test.pgn", false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ExportWindow w;
        const std::string record = w.OpenCopy("game_073.txt", testing::ReadTestData("game_073.txt"));
        const fs::path target = row.target[0] == '/' ? fs::path(row.target) : w.dir / row.target;
        if (row.existing)
            std::ofstream(target) << "kept";
        w.save.answer = row.cancel ? std::nullopt : std::optional<std::string>(target.string());
        ASSERT_TRUE(w.action("mnuSavePgn")->isEnabled());
        w.action("mnuSavePgn")->trigger();
        ASSERT_EQ(w.save.proposed, std::vector<std::string>{(w.dir / "game_073.pgn").string()});
        const std::string pgn = ReadFile(target);
        if (row.written) {
            EXPECT_EQ(pgn.rfind("[Event ", 0), 0u);
            EXPECT_NE(pgn.find("1. "), std::string::npos);
            EXPECT_TRUE(w.box.shown.empty());
        } else {
            EXPECT_EQ(pgn, row.existing ? "kept" : "");
            EXPECT_EQ(w.box.shown.size(), row.cancel ? 0u : 1u);
        }
        if (!row.written && !row.cancel && !w.box.shown.empty()) {
            EXPECT_EQ(w.box.shown[0].title, std::optional<std::string>("Save as PGN"));
            EXPECT_NE(w.box.shown[0].text.find(target.string()), std::string::npos) << w.box.shown[0].text;
        }
        // Nothing but the saved file appears, and the record is untouched.
        std::size_t files = 0;
        for ([[maybe_unused]] const auto &entry : fs::directory_iterator(w.dir))
            ++files;
        EXPECT_EQ(files, 1u + (row.written || row.existing ? 1u : 0u));
        EXPECT_EQ(ReadFile(record), testing::ReadTestData("game_073.txt"));
        EXPECT_EQ(w.window.core().lstMoveList.ListCount(), 39) << "the game stays loaded";
    }
}

TEST(EditMenu, CopiesPgnAndThePositionOnTheBoard) {
    ExportWindow w;
    for (const char *name : {"mnuSavePgn", "mnuCopyPgn", "mnuCopyFen"})
        EXPECT_FALSE(w.action(name)->isEnabled()) << name << " with no record";
    w.OpenCopy("file1.txt", testing::ReadTestData("file1.txt"));
    w.OpenEditMenu();
    for (const char *name : {"mnuSavePgn", "mnuCopyPgn", "mnuCopyFen"})
        EXPECT_TRUE(w.action(name)->isEnabled()) << name;

    w.action("mnuCopyPgn")->trigger();
    ASSERT_EQ(w.clipboard.texts.size(), 1u);
    EXPECT_EQ(w.clipboard.texts[0].rfind("[Event ", 0), 0u);
    EXPECT_NE(w.clipboard.texts[0].find("[White \""), std::string::npos);

    w.action("mnuCopyFen")->trigger();
    ASSERT_EQ(w.clipboard.texts.size(), 2u);
    EXPECT_EQ(w.clipboard.texts[1], "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    w.Step(1); // 1. d2-d4
    w.action("mnuCopyFen")->trigger();
    EXPECT_EQ(w.clipboard.texts.back(), "rnbqkbnr/pppppppp/8/8/3P4/8/PPP1PPPP/RNBQKBNR b KQkq d3 0 1");

    // Ctrl+C with the move list focused copies the game, not the list's line.
    w.list()->setFocus();
    QTest::keyClick(w.list(), Qt::Key_C, Qt::ControlModifier);
    ASSERT_EQ(w.clipboard.texts.size(), 4u);
    EXPECT_EQ(w.clipboard.texts.back(), w.clipboard.texts[0]);
    QTest::keyClick(w.list(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(w.clipboard.texts.size(), 5u);
    EXPECT_EQ(w.clipboard.texts.back(), w.clipboard.texts[2]);

    // A failed open leaves nothing to copy.
    w.Open((w.dir / "missing.txt").string());
    for (const char *name : {"mnuSavePgn", "mnuCopyPgn", "mnuCopyFen"})
        EXPECT_FALSE(w.action(name)->isEnabled()) << name << " after a failed open";
}

TEST(EditMenu, PastAnIllegalHalfMoveThereIsNoPositionToCopy) {
    ExportWindow w;
    w.OpenCopy("illegal.txt", testing::MakeRecord({"1. e2-e4 e7-e5", "2. e4-e6 b8-c6", "3. g1-f3 g8-f6"}));
    QAction *fen = w.action("mnuCopyFen");
    w.Step(2);
    w.OpenEditMenu();
    EXPECT_TRUE(fen->isEnabled());
    w.Step(1); // e4-e6 is played on the board but is no chess move
    w.OpenEditMenu();
    EXPECT_FALSE(fen->isEnabled());
    EXPECT_EQ(fen->statusTip().toStdString().rfind("Not a legal chess position: half-move 3", 0), 0u)
        << fen->statusTip().toStdString();
    const auto copies = w.clipboard.texts.size();
    QTest::keyClick(w.list(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(w.clipboard.texts.size(), copies);
    w.Back(1);
    EXPECT_TRUE(fen->isEnabled()) << "a step back to a legal position enables it again";
    w.action("mnuCopyPgn")->trigger();
    ASSERT_EQ(w.clipboard.texts.size(), copies + 1);
    EXPECT_NE(w.clipboard.texts.back().find("{"), std::string::npos) << "the PGN says where the game stopped";
}

TEST(PromotedPieces, ShowTheirNewKind) {
    testing::Window w;
    w.Open(testing::TestDataPath("game_032.txt"));
    const auto tokens = testing::TokensOf(testing::ReadTestData("game_032.txt"));
    std::size_t promotion = 0;
    while (tokens[promotion].find("=Q") == std::string::npos)
        ++promotion;
    auto *next = w.button("cmdNext");
    for (std::size_t i = 0; i <= promotion; ++i)
        QTest::mouseClick(next, Qt::LeftButton);
    const int slot = board::FindPiece(w.window.core().Image1, tokens[promotion].substr(3, 2));
    ASSERT_GE(slot, 0);
    const ui::BoardView &board = w.window.boardView();
    EXPECT_EQ(board.pieceKind(slot), PieceKind::Queen);
    EXPECT_TRUE(testing::PiecePainted(w.window, w.window.centralWidget()->grab().toImage(), slot));
    QTest::mouseClick(w.button("cmdBack"), Qt::LeftButton);
    EXPECT_EQ(board.pieceKind(slot), PieceKind::Pawn);
    EXPECT_TRUE(testing::PiecePainted(w.window, w.window.centralWidget()->grab().toImage(), slot));
}

// Save with Analysis and Copy PGN write what the engines found into the PGN;
// Save as PGN stays the plain game; the saved file, loaded again, brings its
// analysis back, so its review needs no engine.
TEST(SaveWithAnalysis, WritesTheEvaluationsAndReadsThemBack) {
    ExportWindow w;
    EXPECT_FALSE(w.action("mnuSaveAnalysis")->isEnabled()) << "with no record";
    w.OpenCopy("game.txt", testing::MakeRecord({"1. e2-e4 e7-e5", "2. g1-f3 b8-c6", "3. f1-c4 g8-f6", "4. f3-g5 d7-d5"}));
    EXPECT_TRUE(w.action("mnuSaveAnalysis")->isEnabled());
    // Nothing searched yet: the same text as without analysis.
    w.action("mnuCopyPgn")->trigger();
    ASSERT_EQ(w.clipboard.texts.size(), 1u);
    EXPECT_EQ(w.clipboard.texts[0].find("%eval"), std::string::npos);

    // White's view; 3. Bc4 (half-move 5) throws the game away.
    const int whiteView[] = {20, 30, 25, 35, 30, -380, -370, -390, -400};
    engine::GameAnalysis &analysis = w.window.core().Analysis();
    ASSERT_EQ(analysis.size(), 9u);
    for (std::size_t k = 0; k < 9; ++k) {
        engine::PositionEval eval;
        eval.score.centipawns = whiteView[k];
        eval.depth = 12;
        if (k == 4)
            eval.pv = {"d2d4", "e5d4"}, eval.bestMove = "d2d4";
        analysis.set(k, eval);
    }
    const auto analysed = (w.dir / "analysed.pgn").string();
    const auto plain = (w.dir / "plain.pgn").string();
    w.save.answer = analysed;
    w.action("mnuSaveAnalysis")->trigger();
    w.save.answer = plain;
    w.action("mnuSavePgn")->trigger();
    const std::string text = ReadFile(analysed);
    EXPECT_NE(text.find("[%eval 0.30"), std::string::npos) << text;
    EXPECT_NE(text.find("Bc4 $4"), std::string::npos) << text;
    EXPECT_NE(text.find("(3. d4"), std::string::npos) << "the better line as a variation: " << text;
    EXPECT_EQ(ReadFile(plain).find("%eval"), std::string::npos);
    w.action("mnuCopyPgn")->trigger();
    EXPECT_EQ(w.clipboard.texts.back(), text);

    // The saved file read as PGN and loaded as a game.
    chess::PgnGameRead read = chess::readPgnGame(text);
    ASSERT_TRUE(read.game) << read.error;
    w.window.core().LoadGame(std::move(*read.game), analysed);
    w.window.refresh();
    const engine::GameAnalysis &back = w.window.core().Analysis();
    ASSERT_EQ(back.size(), 9u);
    EXPECT_EQ(back.known(), 9u);
    const engine::GameReview review = engine::reviewGame(back.scores(), true);
    EXPECT_EQ(review.white.blunders, 1);
    EXPECT_EQ(review.judgements[4], engine::Judgement::Blunder);
    EXPECT_EQ(back.at(5)->score.centipawns, -380);
}

} // namespace
} // namespace quorvane
