// Trying moves on the main window's board: variations beside the record's
// replay, the board following them, and the record's board back exactly as it
// was when the user returns to the game.

#include "logic/game_load.h"
#include "logic/chess_squares.h"
#include "logic/variations.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace quorvane {
namespace {

using testing::Harness;
using testing::Snapshot;
using Played = chess::GameCursor::Played;

const std::array<ShapeControl, board::kSquareCount> &Squares() {
    static const auto squares = board::MakeSquares();
    return squares;
}

int Sq(const char *name) { return board::FindSquare(Squares(), name); }

// What the 32 piece slots show, read as a FEN placement field: every visible
// piece on the square its Tag names, as the kind it shows.
std::string Placement(const std::array<ImageControl, board::kPieceCount> &pieces) {
    std::array<char, 64> at;
    at.fill('.');
    for (int slot = 0; slot < board::kPieceCount; ++slot) {
        const ImageControl &p = pieces[static_cast<std::size_t>(slot)];
        if (!p.Visible)
            continue;
        const int sq = board::FindSquare(Squares(), p.Tag);
        EXPECT_GE(sq, 0) << "a visible piece off the board: slot " << slot;
        if (sq < 0)
            continue;
        EXPECT_EQ(at[static_cast<std::size_t>(sq)], '.') << "two pieces on " << p.Tag;
        // The piece stands where its square is drawn.
        const ShapeControl &shape = Squares()[static_cast<std::size_t>(sq)];
        EXPECT_EQ(p.Left, shape.Left());
        EXPECT_EQ(p.Top, shape.Top());
        const char *letters = "KQRBNP";
        char c = letters[static_cast<int>(board::ShownKind(slot, p))];
        if (!board::kPieceSlots[static_cast<std::size_t>(slot)].white)
            c = static_cast<char>(c - 'A' + 'a');
        at[static_cast<std::size_t>(sq)] = c;
    }
    std::string out;
    for (int row = 0; row < 8; ++row) {
        int empty = 0;
        for (int col = 0; col < 8; ++col) {
            const char c = at[static_cast<std::size_t>(row * 8 + col)];
            if (c == '.') {
                ++empty;
                continue;
            }
            if (empty)
                out += std::to_string(empty);
            empty = 0;
            out += c;
        }
        if (empty)
            out += std::to_string(empty);
        if (row < 7)
            out += '/';
    }
    return out;
}

bool Same(const ImageControl &a, const ImageControl &b) {
    return a.Left == b.Left && a.Top == b.Top && a.Visible == b.Visible && a.Tag == b.Tag && a.Promoted == b.Promoted;
}

std::string PlacementOf(const chess::Position &p) {
    const std::string fen = p.toFen();
    return fen.substr(0, fen.find(' '));
}

struct Fixture {
    Harness h;
    Variations v{h.form};
    Fixture() { h.Open("/g/file1.txt", testing::ReadTestData("file1.txt")); }
    Played Play(const char *from, const char *to, chess::PieceType promo = chess::PieceType::None) {
        return v.Play(Sq(from), Sq(to), promo);
    }
    // The board shows the position the logic says it is at.
    void ExpectBoardIsPosition() {
        const std::optional<chess::Position> p = v.BoardPosition();
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(Placement(h.form.Image1), PlacementOf(*p));
    }
};

// The designed board after n Next presses on a fresh load of the same record.
std::vector<testing::PieceState> RecordBoardAt(std::int64_t n) {
    Harness fresh;
    fresh.Open("/g/file1.txt", testing::ReadTestData("file1.txt"));
    for (std::int64_t i = 0; i < n; ++i)
        fresh.form.cmdNext_Click();
    return Snapshot(fresh.form);
}

TEST(Variations, ATryAndBackLeaveTheRecordsBoardAsItWas) {
    Fixture f;
    for (int i = 0; i < 4; ++i)
        f.v.Next();
    const auto before = Snapshot(f.h.form);
    const auto selected = f.h.form.lstMoveList.ListIndex();
    EXPECT_FALSE(f.v.OffRecord());

    // 3. c2-c4 instead of the game's g2-g3.
    EXPECT_EQ(f.Play("c2", "c4"), Played::NewVariation);
    EXPECT_TRUE(f.v.OffRecord());
    EXPECT_EQ(f.h.form.Position(), 4) << "the record's replay waits where it was left";
    EXPECT_EQ(f.v.VariationCaption(), "Variation: 3. c4");
    f.ExpectBoardIsPosition();
    EXPECT_EQ(f.Play("d5", "c4"), Played::Extended);
    EXPECT_EQ(f.v.VariationCaption(), "Variation: 3. c4 dxc4");
    f.ExpectBoardIsPosition();
    EXPECT_EQ(f.v.LastMove(), (LastMoveSquares{Sq("d5"), Sq("c4")}));

    f.v.Back();
    f.v.Back();
    EXPECT_FALSE(f.v.OffRecord());
    EXPECT_EQ(Snapshot(f.h.form), before);
    EXPECT_EQ(f.h.form.lstMoveList.ListIndex(), selected);
    EXPECT_EQ(f.v.VariationCaption(), "");
    EXPECT_TRUE(f.v.Unsaved());

    // Next now re-enters the variation (it stays chosen), and the record goes on
    // once the game's move is chosen again.
    EXPECT_NE(f.v.ChoiceText().find("variation 1 of 1"), std::string::npos) << f.v.ChoiceText();
    f.v.Next();
    EXPECT_TRUE(f.v.OffRecord());
    f.v.Back();
    f.v.ChooseNext();
    EXPECT_NE(f.v.ChoiceText().find("3. g3, the game's move"), std::string::npos) << f.v.ChoiceText();
    f.v.Next();
    EXPECT_FALSE(f.v.OffRecord());
    EXPECT_EQ(Snapshot(f.h.form), RecordBoardAt(5));
}

TEST(Variations, MovesAndStepsAgainstTheRecord) {
    struct Row {
        const char *name;
        std::function<void(Fixture &)> act;
        bool off;
        std::int64_t fieldsPosition;
        const char *caption;
    };
    const std::vector<Row> rows = {
        {"the game's next move steps the record", [](Fixture &f) { f.Play("d2", "d4"); }, false, 1, ""},
        {"and Black's reply too", [](Fixture &f) { f.Play("d2", "d4"), f.Play("d7", "d5"); }, false, 2, ""},
        {"another first move", [](Fixture &f) { f.Play("e2", "e4"); }, true, 0, "Variation: 1. e4"},
        {"an illegal move changes nothing", [](Fixture &f) { f.Play("e2", "e5"); }, false, 0, ""},
        {"the side not to move changes nothing", [](Fixture &f) { f.Play("e7", "e5"); }, false, 0, ""},
        {"Home in a variation stops at its first move",
         [](Fixture &f) {
             f.v.Next();
             f.Play("e7", "e5");
             f.Play("e2", "e4");
             f.v.Home();
         },
         true, 1, "Variation: 1... e5"},
        {"End in a variation",
         [](Fixture &f) {
             f.v.Next();
             f.Play("e7", "e5");
             f.Play("d4", "e5");
             f.v.Home();
             f.v.End();
         },
         true, 1, "Variation: 1... e5 2. dxe5"},
        {"Home on the record goes to the start", [](Fixture &f) { f.v.Next(), f.v.Next(), f.v.Home(); }, false, 0,
         ""},
        {"End on the record goes to the end", [](Fixture &f) { f.v.End(); }, false, 60, ""},
        {"back from a variation of a variation",
         [](Fixture &f) {
             f.Play("e2", "e4");
             f.Play("e7", "e5");
             f.v.Back();
             f.Play("c7", "c5");
             f.v.Back();
         },
         true, 0, "Variation: 1. e4"},
        {"ReturnToRecord from deep in a variation",
         [](Fixture &f) {
             f.v.Next();
             f.v.Next();
             f.Play("c2", "c4");
             f.Play("d5", "c4");
             f.v.ReturnToRecord();
         },
         false, 2, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Fixture f;
        row.act(f);
        EXPECT_EQ(f.v.OffRecord(), row.off);
        EXPECT_EQ(f.h.form.Position(), row.fieldsPosition);
        EXPECT_EQ(f.v.VariationCaption(), row.caption);
        f.ExpectBoardIsPosition();
        if (!row.off) {
            EXPECT_EQ(Snapshot(f.h.form), RecordBoardAt(row.fieldsPosition)) << "the designed board, exactly";
        }
    }
}

// After the game's last move the user may play on; those moves are the user's,
// not the game's, and Delete takes them back.
TEST(Variations, MovesAfterTheGamesEnd) {
    Fixture f;
    f.v.End();
    ASSERT_EQ(f.h.form.Position(), 60);
    const chess::Position last = *f.v.BoardPosition();
    const chess::Move m = last.legalMoves().front();
    EXPECT_EQ(f.v.Play(BoardSquareOf(m.from), BoardSquareOf(m.to)), Played::Extended);
    EXPECT_TRUE(f.v.OffRecord());
    EXPECT_EQ(f.v.VariationCaption(), "Variation: 31. " + last.toSan(m));
    f.ExpectBoardIsPosition();
    EXPECT_TRUE(f.v.CanDelete());
    EXPECT_FALSE(f.v.CanPromote()) << "already on the main line";
    ASSERT_TRUE(f.v.DeleteVariation());
    EXPECT_FALSE(f.v.OffRecord());
    EXPECT_EQ(f.v.Game()->mainLine.moves.size(), 60u);
    EXPECT_EQ(Snapshot(f.h.form), RecordBoardAt(60));
}

// A game read from PGN that Black begins: the window's replay has a leading
// empty half-move, so its count runs one ahead of the game's plies.
TEST(Variations, AGameThatBlackBegins) {
    Harness h;
    chess::Game g;
    g.start = *chess::Position::fromFen("4k3/8/8/8/8/8/4P3/4K3 b - - 0 10");
    g.setUp = true;
    chess::Position p = g.start;
    for (const char *m : {"Kd7", "e4", "Kc6"}) {
        chess::MoveNode node;
        node.move = *p.parseSan(m);
        node.san = p.toSan(node.move);
        p.makeMove(node.move);
        g.mainLine.moves.push_back(node);
    }
    h.form.LoadGame(g, "/g/black.pgn");
    Variations v(h.form);
    v.Next();
    EXPECT_EQ(h.form.GamePly(), 1);
    EXPECT_FALSE(v.OffRecord());
    const auto before = Snapshot(h.form);
    EXPECT_EQ(v.Play(Sq("e2"), Sq("e3")), Played::NewVariation);
    EXPECT_EQ(v.VariationCaption(), "Variation: 11. e3");
    EXPECT_EQ(PlacementOf(*v.BoardPosition()), "8/3k4/8/8/8/4P3/8/4K3");
    v.Back();
    EXPECT_EQ(Snapshot(h.form), before);
    v.ChoosePrevious();
    EXPECT_EQ(v.Play(Sq("e2"), Sq("e4")), Played::Followed);
    EXPECT_FALSE(v.OffRecord());
    EXPECT_EQ(h.form.GamePly(), 2);
    EXPECT_EQ(Placement(h.form.Image1), "8/3k4/8/8/4P3/8/8/4K3");
}

TEST(Variations, AJumpInTheMoveListWorksFromAVariation) {
    Fixture f;
    f.v.Next();
    f.Play("e7", "e5");
    f.v.ReturnToRecord();
    f.h.form.lstMoveList.SetSelected(4, true);
    f.h.form.lstMoveList_DblClick();
    EXPECT_EQ(f.h.form.Position(), 10);
    EXPECT_EQ(Snapshot(f.h.form), RecordBoardAt(10));
    // The cursor catches up at its next use.
    ASSERT_NE(f.v.Cursor(), nullptr);
    EXPECT_EQ(f.v.Cursor()->depth(), 10u);
    f.ExpectBoardIsPosition();
}

TEST(Variations, PromoteAndDelete) {
    Fixture f;
    f.v.Next();
    f.v.Next(); // 1. d4 d5
    f.Play("c2", "c4");
    f.Play("e7", "e6");
    ASSERT_TRUE(f.v.PromoteToMainLine());
    const chess::Game &g = *f.v.Game();
    EXPECT_EQ(g.mainLine.moves[2].san, "c4");
    EXPECT_EQ(g.mainLine.moves[2].variations.at(0).moves.at(0).san, "Qd3") << "the game's own moves kept";
    EXPECT_TRUE(f.v.OffRecord()) << "the promoted line is not the record";
    f.ExpectBoardIsPosition();
    EXPECT_FALSE(f.v.DeleteVariation({{2, 0}})) << "the game's moves as read are never deleted";

    // Home on the promoted main line: the game's start, on the record's board.
    f.v.Home();
    EXPECT_FALSE(f.v.OffRecord());
    EXPECT_EQ(f.h.form.Position(), 0);
    EXPECT_EQ(Snapshot(f.h.form), RecordBoardAt(0));
    // A click on a move of the variation goes there, and one on the record's
    // moves back to the designed board.
    ASSERT_TRUE(f.v.GoTo({{}, 4}));
    EXPECT_TRUE(f.v.OffRecord());
    f.ExpectBoardIsPosition();
    ASSERT_TRUE(f.v.GoTo({{{2, 0}}, 3}));
    EXPECT_FALSE(f.v.OffRecord());
    EXPECT_EQ(f.h.form.Position(), 5);
    EXPECT_EQ(Snapshot(f.h.form), RecordBoardAt(5));
    ASSERT_TRUE(f.v.GoTo({{}, 4}));

    // Walking back onto the record's moves gives the designed board again.
    f.v.Back();
    f.v.Back();
    EXPECT_FALSE(f.v.OffRecord());
    EXPECT_EQ(Snapshot(f.h.form), RecordBoardAt(2));
    // The record's continuation, now variation 1, is the record again.
    f.v.ChooseNext();
    f.v.Next();
    EXPECT_FALSE(f.v.OffRecord());
    EXPECT_EQ(Snapshot(f.h.form), RecordBoardAt(3));

    // A variation of the user's own is deleted, and the cursor inside it leaves it.
    f.v.Back();
    f.v.ChoosePrevious(); // the promoted c4 again
    f.v.Next();
    f.Play("g8", "f6");
    f.v.Back();
    f.Play("c7", "c6");
    EXPECT_TRUE(f.v.OffRecord());
    ASSERT_TRUE(f.v.DeleteVariation());
    EXPECT_EQ(f.v.Cursor()->depth(), 3u);
    f.ExpectBoardIsPosition();
}

// Random sessions: whatever the user does, the board shows the logic's
// position, and on the record it is the designed board exactly.
TEST(Variations, RandomSessionsKeepTheBoardTrue) {
    for (unsigned seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Fixture f;
        for (int step = 0; step < 150; ++step) {
            switch (rng() % 9) {
            case 0: case 1: {
                const auto p = f.v.BoardPosition();
                if (!p)
                    break;
                const auto legal = p->legalMoves();
                if (legal.empty())
                    break;
                const chess::Move m = legal[rng() % legal.size()];
                f.v.Play(BoardSquareOf(m.from), BoardSquareOf(m.to), m.promotion);
                break;
            }
            case 2: case 3: f.v.Next(); break;
            case 4: case 5: f.v.Back(); break;
            case 6: rng() % 2 ? f.v.ChooseNext() : f.v.ChoosePrevious(); break;
            case 7:
                if (rng() % 3 == 0)
                    f.v.PromoteToMainLine();
                else if (rng() % 2 == 0)
                    f.v.DeleteVariation();
                else
                    f.v.ReturnToRecord();
                break;
            case 8: rng() % 2 ? f.v.Home() : f.v.End(); break;
            }
            f.ExpectBoardIsPosition();
            if (!f.v.OffRecord()) {
                EXPECT_EQ(Snapshot(f.h.form), RecordBoardAt(f.h.form.Position()));
            }
            if (HasFailure())
                return;
        }
    }
}

TEST(Variations, AnotherGameAsksWhetherToSaveThem) {
    struct ScriptedQuestion : Question {
        Answer answer = Answer::Cancel;
        int asked = 0;
        Answer Ask(const std::string &, const std::string &) override {
            ++asked;
            return answer;
        }
    };
    struct Row {
        const char *name;
        bool tried;
        Answer answer;
        bool saveSucceeds;
        bool goOn;
        int asked;
        int saves;
    };
    const std::vector<Row> rows = {
        {"nothing tried: no question", false, Answer::Cancel, true, true, 0, 0},
        {"Yes saves, then goes on", true, Answer::Yes, true, true, 1, 1},
        {"Yes and the save cancelled: stays", true, Answer::Yes, false, false, 1, 1},
        {"No drops them", true, Answer::No, true, true, 1, 0},
        {"Cancel stays", true, Answer::Cancel, true, false, 1, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Fixture f;
        if (row.tried)
            f.Play("e2", "e4");
        ScriptedQuestion q;
        q.answer = row.answer;
        int saves = 0;
        EXPECT_EQ(KeepOrDropVariations(f.v, q, [&] { return ++saves, row.saveSucceeds; }), row.goOn);
        EXPECT_EQ(q.asked, row.asked);
        EXPECT_EQ(saves, row.saves);
    }
}

TEST(Variations, ANewLoadStartsOver) {
    Fixture f;
    f.Play("e2", "e4");
    ASSERT_TRUE(f.v.OffRecord());
    f.h.Open("/g/game_073.txt", testing::ReadTestData("game_073.txt"));
    EXPECT_FALSE(f.v.OffRecord());
    EXPECT_FALSE(f.v.Unsaved());
    EXPECT_EQ(f.v.Game()->mainLine.moves.at(0).variations.size(), 0u);
    EXPECT_EQ(Snapshot(f.h.form), testing::StartSnapshot());
}

TEST(PositionLayout, PositionsOnThePieceSlots) {
    struct Row {
        const char *name;
        const char *fen;
        int promotedSlots;
    };
    const std::vector<Row> rows = {
        {"the start position", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0},
        {"kings alone", "8/8/4k3/8/8/3K4/8/8 w - - 0 1", 0},
        {"three white queens and four black knights", "nnnnk3/8/8/8/8/8/8/QQQ1K3 w - - 0 1", 4},
        {"eight promoted pieces a side", "kqqqqqq1/qq6/8/8/8/8/QQ6/KQQQQQQ1 w - - 0 1", 14},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto p = chess::Position::fromFen(row.fen);
        ASSERT_TRUE(p.has_value());
        auto pieces = board::MakeStartPieces();
        LayOutPosition(*p, pieces, board::MakeSquares());
        EXPECT_EQ(Placement(pieces), PlacementOf(*p));
        int promoted = 0;
        for (const auto &piece : pieces)
            promoted += piece.Visible && !piece.Promoted.empty();
        EXPECT_EQ(promoted, row.promotedSlots);
    }
    // The start position on the start slots is the designed start exactly.
    auto pieces = board::MakeStartPieces();
    LayOutPosition(chess::Position(), pieces, board::MakeSquares());
    const auto start = board::MakeStartPieces();
    for (std::size_t i = 0; i < pieces.size(); ++i)
        EXPECT_TRUE(Same(pieces[i], start[i])) << "slot " << i;
}

} // namespace
} // namespace quorvane
