// A game of the rules' model loaded into the window's logic: the tokens the
// designed decoder gets, the move list, the labels, and the designed board
// agreeing with the rules after every half-move, forward and back.

#include "test_support.h"

#include "logic/game_load.h"

#include <gtest/gtest.h>

#include <map>

namespace quorvane {
namespace {

using testing::Harness;

constexpr const char *kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// A game from fen through the SAN moves; the first that is not legal stops it.
chess::Game MakeGame(const std::string &fen, const std::vector<std::string> &sans) {
    chess::Game game;
    std::string error;
    game.start = *chess::Position::fromFen(fen, &error);
    game.setUp = fen != kStart;
    chess::Position position = game.start;
    for (const std::string &san : sans) {
        const auto move = position.parseSan(san);
        if (!move) {
            game.mainLine.stop = chess::LineStop{game.mainLine.moves.size(), san, san + " is not a legal move"};
            break;
        }
        chess::MoveNode node;
        node.move = *move;
        node.san = position.toSan(*move);
        game.mainLine.moves.push_back(std::move(node));
        position.makeMove(*move);
    }
    return game;
}

TEST(RecordToken, EachKindOfMoveAsTheDecoderReadsIt) {
    struct Row {
        const char *name;
        const char *fen;
        const char *san;
        const char *token;
    };
    const Row rows[] = {
        {"pawn step", kStart, "e4", "e2-e4"},
        {"knight", kStart, "Nf3", "g1-f3"},
        {"capture", "4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "exd5", "e4xd5"},
        {"en passant", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "exd6", "e5xd6"},
        {"White castles short", "4k3/8/8/8/8/8/8/4K2R w K - 0 1", "O-O", "o-o"},
        {"White castles long", "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", "O-O-O", "o-o-o"},
        {"Black castles short", "4k2r/8/8/8/8/8/8/4K3 b k - 0 1", "O-O", "o-o"},
        {"Black castles long", "r3k3/8/8/8/8/8/8/4K3 b q - 0 1", "O-O-O", "o-o-o"},
        {"king steps one file", "4k3/8/8/8/8/8/8/4K3 w - - 0 1", "Kf1", "e1-f1"},
        {"promotion", "8/4P3/8/8/8/8/k7/4K3 w - - 0 1", "e8=Q", "e7-e8=Q"},
        {"capture promoting to a knight", "3r4/4P3/8/8/8/8/k7/4K3 w - - 0 1", "exd8=N", "e7xd8=N"},
        {"Black promotes", "4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "a1=R", "a2-a1=R"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto position = chess::Position::fromFen(row.fen);
        ASSERT_TRUE(position);
        const auto move = position->parseSan(row.san);
        ASSERT_TRUE(move);
        EXPECT_EQ(RecordToken(*position, *move), row.token);
    }
}

TEST(SanMoveLines, NumberedAsRecordLinesAreFromTheStartPosition) {
    struct Row {
        const char *name;
        const char *fen;
        std::vector<std::string> sans;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {"White begins and ends", kStart, {"d4", "d5", "c4"}, {"1. d4 d5", "2. c4"}},
        {"Black begins",
         "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 3 12",
         {"Nf6", "Nc3", "Bb4"},
         {"12... Nf6", "13. Nc3 Bb4"}},
        {"no moves", kStart, {}, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SanMoveLines(MakeGame(row.fen, row.sans)), row.lines);
    }
}

// The pieces the designed board shows, by square, each checked to stand where
// its Tag says; empty with a failure recorded when two share a square.
std::map<int, chess::Piece> ShownBoard(const ChsMain &form) {
    std::map<int, chess::Piece> shown;
    for (int slot = 0; slot < board::kPieceCount; ++slot) {
        const auto &piece = form.Image1[static_cast<std::size_t>(slot)];
        if (!piece.Visible)
            continue;
        const auto square = chess::parseSquare(piece.Tag);
        EXPECT_TRUE(square) << "slot " << slot << " shown with Tag " << piece.Tag;
        if (!square)
            return {};
        const auto &shape = form.sqrSpace[static_cast<std::size_t>(board::FindSquare(form.sqrSpace, piece.Tag))];
        EXPECT_EQ(piece.Left, shape.Left()) << piece.Tag;
        EXPECT_EQ(piece.Top, shape.Top()) << piece.Tag;
        static constexpr chess::PieceType kTypes[] = {chess::PieceType::King,   chess::PieceType::Queen,
                                                      chess::PieceType::Rook,   chess::PieceType::Bishop,
                                                      chess::PieceType::Knight, chess::PieceType::Pawn};
        const bool white = board::kPieceSlots[static_cast<std::size_t>(slot)].white;
        const chess::Piece as{kTypes[static_cast<int>(board::ShownKind(slot, piece))],
                              white ? chess::Color::White : chess::Color::Black};
        EXPECT_TRUE(shown.emplace(*square, as).second) << "two pieces on " << piece.Tag;
    }
    return shown;
}

void ExpectBoardIs(const ChsMain &form, const chess::Position &rules, std::size_t ply) {
    const auto shown = ShownBoard(form);
    for (int square = 0; square < 64; ++square) {
        const auto piece = rules.pieceAt(square);
        const auto found = shown.find(square);
        ASSERT_EQ(found != shown.end(), piece.has_value()) << chess::squareName(square) << " after " << ply;
        if (piece) {
            EXPECT_EQ(found->second, *piece) << chess::squareName(square) << " after " << ply;
        }
    }
}

struct BoardRow {
    const char *name;
    const char *fen;
    std::vector<std::string> sans;
};

class LoadedGameBoard : public ::testing::TestWithParam<BoardRow> {};

// Forward through every half-move and back to the start, the designed board
// holds what the rules hold.
TEST_P(LoadedGameBoard, AgreesWithTheRulesAfterEveryHalfMove) {
    const BoardRow &row = GetParam();
    const chess::Game game = MakeGame(row.fen, row.sans);
    ASSERT_EQ(game.plies(), row.sans.size()) << "a move of the row is not legal";
    const auto positions = game.mainLinePositions();
    Harness h;
    h.form.LoadGame(game, "/games/row.pgn");
    ExpectBoardIs(h.form, positions[0], 0);
    for (std::size_t k = 1; k < positions.size(); ++k) {
        h.form.cmdNext_Click();
        ASSERT_EQ(h.form.GamePly(), static_cast<std::int64_t>(k));
        ExpectBoardIs(h.form, positions[k], k);
    }
    for (std::size_t k = positions.size() - 1; k-- > 0;) {
        h.form.cmdBack_Click();
        ASSERT_EQ(h.form.GamePly(), static_cast<std::int64_t>(k));
        ExpectBoardIs(h.form, positions[k], k);
    }
    EXPECT_TRUE(h.box.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Games, LoadedGameBoard,
    ::testing::Values(
        BoardRow{"StandardWithBothCastlingsEnPassantAndPromotion",
                 kStart,
                 {"e4", "d5", "e5", "f5", "exf6", "Nc6", "Nf3", "Qd6", "Bc4", "Bd7", "O-O", "O-O-O", "fxg7", "Qg6",
                  "gxh8=Q", "Bg4", "Qxg8", "Bxf3", "Qxf3"}},
        BoardRow{"SetUpWithBlackToMove",
                 "r3k2r/pp3ppp/2n1b3/3q4/3P4/2N2N2/PP3PPP/R2Q1RK1 b kq - 4 14",
                 {"Qa5", "d5", "O-O-O", "dxe6", "Rxd1", "Rfxd1", "fxe6"}},
        BoardRow{"SetUpWithASecondQueenAndThreeKnights",
                 "4k3/1Q6/8/8/2N5/1N6/3N2P1/Q3K3 w - - 0 50",
                 {"Qc8+", "Kf7", "Nd6+", "Kg6", "Qe5", "Kh6", "g4"}},
        BoardRow{"SetUpBothCastlingsThenACastledRookTaken",
                 "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
                 {"O-O", "O-O-O", "Ra8+", "Kb7", "Rxd8"}},
        BoardRow{"PromotionInAGameThatEndsOnWhitesMove",
                 "8/1P6/8/8/8/k7/8/4K3 w - - 0 60",
                 {"b8=N", "Kb3", "Nc6"}},
        BoardRow{"BlackTakesEnPassantFromASetUp",
                 "4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1",
                 {"e4", "dxe3", "Kd1", "e2+", "Kxe2"}}),
    [](const ::testing::TestParamInfo<BoardRow> &info) { return std::string(info.param.name); });

TEST(LoadGame, LabelsListsAndTheCountAtTheStart) {
    chess::Game game = MakeGame("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 3 12",
                                {"Nf6", "Nc3", "Bb4", "Nd5"});
    game.tags = {{"White", "M\xc3\xbcller"}, {"Black", "Ng"}, {"Date", "2024.03.??"}};
    Harness h;
    h.form.LoadGame(game, "/games/db.pgn");
    EXPECT_EQ(h.form.lblWhitePlayer.Caption, "White: M\xfcller"); // Windows-1252, as record text
    EXPECT_EQ(h.form.lblBlackPlayer.Caption, "Black: Ng");
    EXPECT_EQ(h.form.lblDate.Caption, "2024.03.??");
    EXPECT_EQ(h.form.lblFileName.Caption, "db.pgn");
    EXPECT_EQ(h.form.lstFieldsList.Items(),
              (std::vector<std::string>{"end", "g8-f6", "b1-c3", "f8-b4", "c3-d5", ""}));
    EXPECT_EQ(h.form.lstMoveList.Items(), (std::vector<std::string>{"12... Nf6", "13. Nc3 Bb4", "14. Nd5"}));
    // Black's first half-move is next, and nothing is selected yet.
    EXPECT_EQ(h.form.Position(), 1);
    EXPECT_EQ(h.form.GamePly(), 0);
    EXPECT_EQ(h.form.lstMoveList.ListIndex(), -1);
    ASSERT_NE(h.form.LoadedGame(), nullptr);
    EXPECT_EQ(h.form.LoadedGame()->plies(), 4u);
    EXPECT_EQ(h.form.GameStop(), "");

    // As for a record, White's half-move selects its line; Black's leaves it.
    h.form.cmdNext_Click();
    EXPECT_EQ(h.form.lstMoveList.ListIndex(), -1);
    h.form.cmdNext_Click();
    EXPECT_EQ(h.form.lstMoveList.ListIndex(), 1);
    // The end: a further Next plays nothing.
    h.form.cmdNext_Click();
    h.form.cmdNext_Click();
    EXPECT_EQ(h.form.GamePly(), 4);
    EXPECT_EQ(h.form.FieldsPositionOfPly(4), 5);

    // A record opened afterwards is no loaded game any more.
    h.Open("/games/r.txt", testing::MakeRecord({"1. e2-e4 e7-e5"}));
    EXPECT_EQ(h.form.LoadedGame(), nullptr);
    EXPECT_EQ(h.form.GamePly(), h.form.Position());
}

TEST(LoadGame, AGameStoppedByAnIllegalMoveSaysWhereInItsLastLine) {
    struct Row {
        const char *name;
        const char *fen;
        std::vector<std::string> sans;
        const char *lastLine;
    };
    const Row rows[] = {
        {"White's half-move", kStart, {"e4", "e5", "Nf9"}, "2. Nf9 illegal"},
        {"Black's half-move", kStart, {"e4", "e5", "Nf3", "Ke5"}, "2... Ke5 illegal"},
        {"Black's first of a set-up", "4k3/8/8/8/8/8/8/4K3 b - - 0 40", {"Ke9"}, "40... Ke9 illegal"},
        {"after a set-up that Black begins", "4k3/8/8/8/8/8/8/4K3 b - - 0 40", {"Kd7", "Kd2"}, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Harness h;
        h.form.LoadGame(MakeGame(row.fen, row.sans), "/g.pgn");
        const auto &lines = h.form.lstMoveList.Items();
        if (*row.lastLine) {
            ASSERT_FALSE(lines.empty());
            EXPECT_EQ(lines.back(), row.lastLine);
            EXPECT_NE(h.form.GameStop().find("is not a legal move"), std::string::npos) << h.form.GameStop();
        } else {
            EXPECT_EQ(h.form.GameStop(), "");
        }
        // Next through the whole list never goes past the moves the game has.
        for (int i = 0; i < 10; ++i)
            h.form.cmdNext_Click();
        EXPECT_EQ(h.form.GamePly(), static_cast<std::int64_t>(h.form.LoadedGame()->plies()));
    }
}

} // namespace
} // namespace quorvane
