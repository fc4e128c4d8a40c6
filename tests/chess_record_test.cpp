// A record's half-move tokens as a game of chess, and the game as PGN: token
// by token, on every real game in the test data, and the PGN's tags and text.

#include "chess/pgn.h"
#include "chess/record_game.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace quorvane::chess {
namespace {

using Tokens = std::vector<std::string>;

// 1. e4 d5 2. exd5 c6 3. dxc6 Nf6 4. cxb7 Nbd7, White's pawn on b7 ready to
// take the rook on a8.
const Tokens kToPromotion{"e2-e4", "d7-d5", "e4xd5", "c7-c6", "d5xc6", "g8-f6", "c6xb7", "b8-d7"};
// 1. e4 e5 2. Nf3 Nc6 3. Bc4 Nf6: White may castle king side.
const Tokens kToCastling{"e2-e4", "e7-e5", "g1-f3", "b8-c6", "f1-c4", "g8-f6"};
// The fastest stalemate known, 10. Qe6.
const Tokens kStalemate{"e2-e3",  "a7-a5", "d1-h5", "a8-a6", "h5xa5", "h7-h5", "h2-h4", "a6-h6", "a5xc7", "f7-f6",
                        "c7xd7+", "e8-f7", "d7xb7", "d8-d3", "b7xb8", "d3-h7", "b8xc8", "f7-g6", "c8-e6"};
const Tokens kFoolsMate{"f2-f3", "e7-e5", "g2-g4", "d8-h4++"};

Tokens operator+(Tokens a, const Tokens &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ChessRecordGame, TokensToMoves) {
    struct Row {
        const char *name;
        Tokens tokens;
        std::size_t played;
        std::string lastSan;    // of the last move played
        std::int64_t stopIndex; // -1: ended normally
        std::string stopReason;
    };
    const std::vector<Row> rows{
        {"plain moves", {"e2-e4", "e7-e5", "g1-f3"}, 3, "Nf3", -1, ""},
        {"the list just ends", {"e2-e4"}, 1, "e4", -1, ""},
        {"end", {"e2-e4", "e7-e5", "end", "d2-d4"}, 2, "e5", -1, ""},
        {"the empty token of a game that ended on White's move", {"e2-e4", "", "d2-d4"}, 1, "e4", -1, ""},
        {"nothing at all", {}, 0, "", -1, ""},
        {"x or - both", {"e2-e4", "d7-d5", "e4-d5", "d8xd5"}, 4, "Qxd5", -1, ""},
        {"check and mate marks", kFoolsMate, 4, "Qh4#", -1, ""},
        {"annotations", {"e2-e4!", "e7-e5?!"}, 2, "e5", -1, ""},
        {"a queen when none is named", kToPromotion + Tokens{"b7xa8"}, 9, "bxa8=Q", -1, ""},
        {"a knight", kToPromotion + Tokens{"b7xa8=N"}, 9, "bxa8=N", -1, ""},
        {"a rook, in lower case, with check mark", kToPromotion + Tokens{"b7xa8=r+"}, 9, "bxa8=R", -1, ""},
        {"a promotion named on another move is ignored", {"e2-e4=Q"}, 1, "e4", -1, ""},
        {"castling", kToCastling + Tokens{"o-o"}, 7, "O-O", -1, ""},
        {"castling with a check mark", kToCastling + Tokens{"o-o+"}, 7, "O-O", -1, ""},
        {"castling with a mate mark", kToCastling + Tokens{"o-o++"}, 7, "O-O", -1, ""},
        {"en passant", {"e2-e4", "a7-a6", "e4-e5", "d7-d5", "e5xd6"}, 5, "exd6", -1, ""},
        {"no piece", {"e2-e4", "e7-e5", "e2-e3"}, 2, "e5", 2, "no piece on e2"},
        {"not a legal move", {"e2-e5"}, 0, "", 0, "e2-e5 is not a legal move"},
        {"marks kept in the reason", {"d2-d4", "e7-e5", "d4-d6+"}, 2, "e5", 2, "d4-d6+ is not a legal move"},
        {"the other side's piece", {"e7-e5"}, 0, "", 0, "e7-e5 is not a legal move (the piece on e7 is Black's)"},
        {"castling not allowed", {"e2-e4", "e7-e5", "o-o"}, 2, "e5", 2, "o-o is not a legal move"},
        {"castling by squares", kToCastling + Tokens{"e1-g1"}, 6, "Nf6", 6,
         "e1-g1 is not a legal move (castling is written o-o)"},
        {"a move after mate", kFoolsMate + Tokens{"a2-a3"}, 4, "Qh4#", 4, "a2-a3 is not a legal move"},
        {"garbage", {"e2-e4", "xyz"}, 1, "e4", 1, "unreadable token"},
        {"no separator", {"e2e4"}, 0, "", 0, "unreadable token"},
        {"another separator", {"e2:e4"}, 0, "", 0, "unreadable token"},
        {"upper case squares", {"E2-E4"}, 0, "", 0, "unreadable token"},
        {"off the board", {"e2-e9"}, 0, "", 0, "unreadable token"},
        {"a king is no promotion", kToPromotion + Tokens{"b7xa8=K"}, 8, "Nbd7", 8, "unreadable token"},
        {"text after the squares", {"e2-e4abc"}, 0, "", 0, "unreadable token"},
        {"castling in capitals is not the record's", {"O-O"}, 0, "", 0, "unreadable token"},
    };
    for (const Row &row : rows) {
        const RecordGame game = gameFromTokens(row.tokens);
        ASSERT_EQ(game.moves.size(), row.played) << row.name;
        ASSERT_EQ(game.san.size(), row.played) << row.name;
        ASSERT_EQ(game.positions.size(), row.played + 1) << row.name;
        EXPECT_EQ(game.positions.front(), Position::start()) << row.name;
        EXPECT_EQ(game.san.empty() ? "" : game.san.back(), row.lastSan) << row.name;
        EXPECT_EQ(game.ended, row.stopIndex < 0) << row.name;
        EXPECT_EQ(game.stopIndex, row.stopIndex) << row.name;
        EXPECT_EQ(game.stopReason, row.stopReason) << row.name;
        EXPECT_EQ(game.stopToken, row.stopIndex < 0 ? "" : row.tokens[static_cast<std::size_t>(row.stopIndex)])
            << row.name;
        // Each position follows from the one before by its move.
        for (std::size_t k = 0; k < game.moves.size(); ++k) {
            Position p = game.positions[k];
            EXPECT_EQ(p.toSan(game.moves[k]), game.san[k]) << row.name << " " << k;
            p.makeMove(game.moves[k]);
            EXPECT_EQ(p, game.positions[k + 1]) << row.name << " " << k;
        }
    }
}

TEST(ChessRecordGame, WhatThePositionsHold) {
    const RecordGame passant = gameFromTokens({"e2-e4", "a7-a6", "e4-e5", "d7-d5", "e5xd6"});
    EXPECT_FALSE(passant.positions.back().pieceAt(parseSquare("d5").value())) << "the pawn taken en passant is gone";
    const RecordGame promoted = gameFromTokens(kToPromotion + Tokens{"b7xa8=N"});
    EXPECT_EQ(promoted.positions.back().pieceAt(parseSquare("a8").value()), (Piece{PieceType::Knight, Color::White}));
    const RecordGame castled = gameFromTokens(kToCastling + Tokens{"o-o"});
    EXPECT_EQ(castled.positions.back().toFen(), "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 b kq - 5 4");
}

TEST(ChessRecordGame, DescribeStop) {
    EXPECT_EQ(describeStop(gameFromTokens({"e2-e4", "e7-e5"})), "");
    EXPECT_EQ(describeStop(gameFromTokens({"e2-e5"})), "half-move 1 (1. e2-e5): e2-e5 is not a legal move");
    EXPECT_EQ(describeStop(gameFromTokens({"e2-e4", "e7-e5", "g1-f3", "xyz"})),
              "half-move 4 (2... xyz): unreadable token");
    // A token of any length is shown by its start; bytes become UTF-8.
    EXPECT_EQ(describeStop(gameFromTokens({"\xE9" + std::string(40, 'z')})),
              "half-move 1 (1. \xC3\xA9" + std::string(29, 'z') + "...): unreadable token");
}

// The header lines of a record, as the file holds them.
PgnHeaders HeadersOf(const std::string &record) {
    std::istringstream in(record);
    PgnHeaders h;
    std::getline(in, h.titleLine);
    std::getline(in, h.whiteLine);
    std::getline(in, h.blackLine);
    std::getline(in, h.dateLine);
    return h;
}

// Reads a PGN's movetext back with the module's own SAN reader: the positions
// after each move, from the start.
std::vector<Position> ReadBack(const std::string &pgn, std::string &result) {
    const auto body = pgn.find("\n\n");
    std::istringstream words(pgn.substr(body + 2));
    std::vector<Position> positions{Position::start()};
    std::string word;
    bool inComment = false;
    while (words >> word) {
        if (inComment || word.front() == '{') {
            inComment = word.back() != '}';
            continue;
        }
        if (word.back() == '.')
            continue;
        if (word == "1-0" || word == "0-1" || word == "1/2-1/2" || word == "*") {
            result = word;
            break;
        }
        const auto move = positions.back().parseSan(word);
        if (!move) {
            ADD_FAILURE() << "unreadable SAN " << word;
            break;
        }
        positions.push_back(positions.back());
        positions.back().makeMove(*move);
    }
    return positions;
}

void ExpectLinesShorterThan80(const std::string &pgn, const std::string &name) {
    std::istringstream lines(pgn);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line.front() != '[') {
            EXPECT_LT(line.size(), 80u) << name << ": " << line;
        }
    }
}

TEST(ChessRecordGame, EveryRealGameEndsAndReadsBack) {
    struct Row {
        const char *file;
        std::size_t halfMoves;
        const char *lastSan;
        const char *worthNoting; // a SAN the game must contain
    };
    const std::vector<Row> rows{
        {"file1.txt", 60, "Rxd3", "Qb4+"},     {"game_015.txt", 97, "Qe8", "O-O-O"},
        {"game_032.txt", 127, "Qxe5", "a8=Q"}, {"game_073.txt", 77, "Qxg7+", "dxc6"},
        {"game_118.txt", 106, "Rg6", "O-O-O"},
    };
    for (const Row &row : rows) {
        const std::string record = testing::ReadTestData(row.file);
        // Through the real reader and loader, as the window gets it.
        testing::Harness h;
        h.Open(row.file, record);
        const Game &game = h.form.ChessGame();
        EXPECT_FALSE(game.stop()) << row.file << ": " << describeStop(game.start, *game.stop());
        ASSERT_EQ(game.plies(), row.halfMoves) << row.file;
        std::vector<std::string> san;
        for (const MoveNode &node : game.mainLine.moves)
            san.push_back(node.san);
        EXPECT_EQ(san.back(), row.lastSan) << row.file;
        EXPECT_NE(std::find(san.begin(), san.end(), row.worthNoting), san.end()) << row.file;
        EXPECT_EQ(h.form.ChessPositions(), game.mainLinePositions()) << row.file;

        const std::string pgn = toPgn(game);
        EXPECT_EQ(pgn, toPgn(gameFromRecord(HeadersOf(record), h.form.lstFieldsList.Items())))
            << row.file << ": the reader's header texts read the same";
        ExpectLinesShorterThan80(pgn, row.file);
        std::string result;
        const auto positions = ReadBack(pgn, result);
        EXPECT_EQ(positions, h.form.ChessPositions()) << row.file;
        EXPECT_EQ(result, "*") << row.file << ": no game in the data ends in mate or stalemate";
    }
}

TEST(ChessRecordGame, TheLoadedGameIsKeptUntilTheListChanges) {
    testing::Harness h;
    h.LoadTokens({"e2-e4", "e7-e5"});
    const Game *first = &h.form.ChessGame();
    EXPECT_EQ(first->plies(), 2u);
    EXPECT_EQ(&h.form.ChessGame(), first);
    EXPECT_EQ(h.form.ChessGame().plies(), 2u);
    EXPECT_EQ(h.form.ChessPositions().size(), 3u);
    h.LoadTokens({"d2-d4"});
    ASSERT_EQ(h.form.ChessGame().plies(), 1u);
    EXPECT_EQ(h.form.ChessGame().mainLine.moves[0].san, "d4");
    EXPECT_EQ(h.form.ChessPositions().size(), 2u);
    h.form.ResetBoard();
    EXPECT_EQ(h.form.ChessGame().plies(), 0u);
    EXPECT_EQ(h.form.ChessPositions().size(), 1u);
}

TEST(ChessPgn, WholeGame) {
    const PgnHeaders headers{";Title: Club Night",
                             ";White: Ren\xE9"
                             "e",
                             ";Black: a\"b\\c", ";Date: Tue Jun 01 20:11:16 GMT 2004"};
    EXPECT_EQ(toPgn(gameFromRecord(headers, kFoolsMate)), "[Event \"Club Night\"]\n"
                                                          "[Site \"?\"]\n"
                                                          "[Date \"2004.06.01\"]\n"
                                                          "[Round \"?\"]\n"
                                                          "[White \"Ren\xC3\xA9"
                                                          "e\"]\n"
                                                          "[Black \"a\\\"b\\\\c\"]\n"
                                                          "[Result \"0-1\"]\n"
                                                          "[UTCDate \"2004.06.01\"]\n"
                                                          "[UTCTime \"20:11:16\"]\n"
                                                          "\n"
                                                          "1. f3 e5 2. g4 Qh4# 0-1\n"
                                                          "\n");
}

TEST(ChessPgn, Results) {
    struct Row {
        const char *name;
        Tokens tokens;
        const char *result;
    };
    const std::vector<Row> rows{
        {"Black mates", kFoolsMate, "0-1"},
        {"White mates", {"e2-e4", "f7-f6", "d2-d4", "g7-g5", "d1-h5++"}, "1-0"},
        {"stalemate", kStalemate, "1/2-1/2"},
        {"unfinished", {"e2-e4"}, "*"},
        {"no moves", {}, "*"},
        {"stopped", kFoolsMate + Tokens{"a2-a3"}, "*"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(pgnResult(gameFromTokens(row.tokens)), row.result) << row.name;
}

TEST(ChessPgn, StoppedGameEndsWithAComment) {
    // A "}" in the token would end the comment early.
    const std::string pgn = toPgn(gameFromRecord({}, Tokens{"e2-e4", "e7-e5", "g1-f3", "b8-c6", "x}y{z"}));
    EXPECT_NE(pgn.find("[Result \"*\"]"), std::string::npos);
    EXPECT_NE(pgn.find("\n1. e4 e5 2. Nf3 Nc6 {half-move 5 (3. x)y(z): unreadable token} *\n\n"), std::string::npos)
        << pgn;
}

TEST(ChessPgn, LongGamesWrapBelow80) {
    Tokens shuffle;
    for (int i = 0; i < 200; ++i)
        shuffle.push_back(i % 4 == 0 ? "g1-f3" : i % 4 == 1 ? "g8-f6" : i % 4 == 2 ? "f3-g1" : "f6-g8");
    const RecordGame game = gameFromTokens(shuffle + Tokens{"e2-e5"});
    const std::string pgn = toPgn(gameFromRecord({}, game));
    ExpectLinesShorterThan80(pgn, "knights");
    std::string result;
    EXPECT_EQ(ReadBack(pgn, result), game.positions);
    EXPECT_NE(pgn.find("{half-move 201 (101. e2-e5): e2-e5 is not a legal move} *"), std::string::npos) << pgn;
}

TEST(ChessPgn, HeaderLines) {
    struct Row {
        const char *name;
        PgnHeaders headers;
        std::vector<std::string> tags; // after Round, White, Black, Result: the lines that must be there
        std::vector<std::string> absent;
    };
    const std::vector<Row> rows{
        {"as the file has them",
         {";Title: T", ";White: w", ";Black: b", ";Date: Wed Mar 17 21:35:25 GMT 1886"},
         {"[Event \"T\"]", "[Date \"1886.03.17\"]", "[White \"w\"]", "[Black \"b\"]", "[UTCDate \"1886.03.17\"]",
          "[UTCTime \"21:35:25\"]"},
         {}},
        {"as the reader keeps them",
         {";Title: T", "White: w", "Black: b", "Wed Mar 17 21:35:25 GMT 1886"},
         {"[Event \"T\"]", "[Date \"1886.03.17\"]", "[White \"w\"]", "[Black \"b\"]", "[UTCTime \"21:35:25\"]"},
         {}},
        {"line ends and spaces",
         {";Title:  T \r", ";White:w\r", ";Black: b \r", ";Date: Tue Jun 01 20:11:16 GMT 2004\r"},
         {"[Event \"T\"]", "[White \"w\"]", "[Black \"b\"]", "[UTCTime \"20:11:16\"]"},
         {}},
        {"empty",
         {},
         {"[Event \"?\"]", "[Date \"????.??.??\"]", "[White \"?\"]", "[Black \"?\"]"},
         {"UTCDate", "UTCTime"}},
        {"unreadable date", {"", "", "", ";Date: sometime"}, {"[Date \"????.??.??\"]"}, {"UTCDate", "UTCTime"}},
        {"no such day", {"", "", "", ";Date: Mon Feb 30 10:00:00 GMT 2004"}, {"[Date \"????.??.??\"]"}, {"UTCDate"}},
        {"leap day", {"", "", "", ";Date: Sun Feb 29 10:00:00 GMT 2004"}, {"[Date \"2004.02.29\"]"}, {}},
        {"no leap day in 1900", {"", "", "", ";Date: Thu Feb 29 10:00:00 GMT 1900"}, {"[Date \"????.??.??\"]"}, {}},
        {"not GMT",
         {"", "", "", ";Date: Tue Jun 01 20:11:16 PST 2004"},
         {"[Date \"2004.06.01\"]"},
         {"UTCDate", "UTCTime"}},
        {"no time", {"", "", "", ";Date: 1 June 2004"}, {"[Date \"2004.06.01\"]"}, {"UTCTime"}},
        {"a time that is none",
         {"", "", "", ";Date: Tue Jun 01 25:61:16 GMT 2004"},
         {"[UTCDate \"2004.06.01\"]"},
         {"UTCTime"}},
        {"control characters", {";Title: a\tb", "", "", ""}, {"[Event \"a b\"]"}, {}},
        {"Windows-1252 beyond Latin-1",
         {";Title: \x80 \x93q\x94 \x81", "", "", ""},
         {"[Event \"\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xC2\x81\"]"},
         {}},
    };
    for (const Row &row : rows) {
        const std::string pgn = toPgn(gameFromRecord(row.headers, Tokens{}));
        for (const std::string &tag : row.tags)
            EXPECT_NE(pgn.find(tag + "\n"), std::string::npos) << row.name << ": " << tag << " in\n" << pgn;
        for (const std::string &tag : row.absent)
            EXPECT_EQ(pgn.find(tag), std::string::npos) << row.name << ": " << tag << " in\n" << pgn;
        // The seven tags always come first, in their order.
        std::vector<std::string> names;
        std::istringstream lines(pgn);
        for (std::string line; std::getline(lines, line) && !line.empty();)
            names.push_back(line.substr(1, line.find(' ') - 1));
        ASSERT_GE(names.size(), 7u) << row.name;
        EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 7),
                  (std::vector<std::string>{"Event", "Site", "Date", "Round", "White", "Black", "Result"}))
            << row.name;
    }
}

TEST(ChessPgn, Windows1252ToUtf8) {
    EXPECT_EQ(windows1252ToUtf8("plain ascii"), "plain ascii");
    EXPECT_EQ(windows1252ToUtf8("\xE9"), "\xC3\xA9");
    EXPECT_EQ(windows1252ToUtf8("\xFF"), "\xC3\xBF");
    EXPECT_EQ(windows1252ToUtf8("\xA0"), "\xC2\xA0");
    EXPECT_EQ(windows1252ToUtf8("\x80\x9F"), "\xE2\x82\xAC\xC5\xB8");
    EXPECT_EQ(windows1252ToUtf8("\x8D"), "\xC2\x8D");
    EXPECT_EQ(windows1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

} // namespace
} // namespace quorvane::chess
