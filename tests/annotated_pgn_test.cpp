// The analysis written into a game as PGN and read back, and the report's JSON.
#include "chess/pgn.h"
#include "chess/pgn_reader.h"
#include "cli/analyse.h"
#include "engine/annotated_pgn.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quorvane::engine {
namespace {

Score cp(int c) {
    return Score{.centipawns = c};
}
Score mate(int moves, bool white) {
    return Score{.isMate = true, .mate = moves, .whiteMates = white};
}

TEST(AnnotatedPgn, WritesEvaluationsInPawnsWithTwoDecimals) {
    struct Row {
        const char *name;
        Score score;
        const char *text;
    };
    const Row rows[] = {
        {"small plus", cp(35), "0.35"},       {"minus with a trailing zero", cp(-120), "-1.20"},
        {"zero", cp(0), "0.00"},              {"under a tenth, minus", cp(-5), "-0.05"},
        {"whole pawns", cp(300), "3.00"},     {"white mates", mate(3, true), "#3"},
        {"black mates", mate(3, false), "#-3"}, {"most negative", cp(INT32_MIN), "-21474836.48"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(evalText(row.score), row.text);
    }
}

TEST(AnnotatedPgn, ReadsEvalCommands) {
    struct Row {
        const char *name;
        const char *comment;
        std::optional<Score> score;
        int depth;
    };
    const Row rows[] = {
        {"two decimals", "[%eval 0.35]", cp(35), 0},
        {"one decimal", "[%eval -1.2]", cp(-120), 0},
        {"whole pawns with a sign", "[%eval +2]", cp(200), 0},
        {"with depth", "[%eval 0.35,18]", cp(35), 18},
        {"black mates", "[%eval #-3]", mate(3, false), 0},
        {"white mates", "[%eval #4]", mate(4, true), 0},
        {"among other commands and text", "[%clk 0:03:00] [%eval 2.50] Good move.", cp(250), 0},
        {"none", "Good move.", std::nullopt, 0},
        {"not a number", "[%eval abc]", std::nullopt, 0},
        {"three decimals", "[%eval 1.234]", std::nullopt, 0},
        {"too large for a score", "[%eval 99999999999]", std::nullopt, 0},
        {"unclosed", "[%eval 0.35", std::nullopt, 0},
        {"bad depth", "[%eval 0.35,x]", std::nullopt, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto eval = evalFromComment(row.comment);
        ASSERT_EQ(eval.has_value(), row.score.has_value());
        if (eval) {
            EXPECT_EQ(eval->score, *row.score);
            EXPECT_EQ(eval->depth, row.depth);
        }
    }
    EXPECT_EQ(withoutEval("[%clk 0:03:00] [%eval 2.50] Good move."), "[%clk 0:03:00] Good move.");
}

chess::Game gameOf(std::string_view pgn) {
    chess::PgnGameRead read = chess::readPgnGame(pgn);
    EXPECT_TRUE(read.game) << read.error;
    return *read.game;
}

PositionEval eval(Score score, int depth, std::string best = {}, std::vector<std::string> pv = {}) {
    return PositionEval{score, depth, 0, std::move(best), std::move(pv)};
}

// 1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6?? 4. Qxf7#: Black's third move is a blunder,
// the engine preferred 3... g6; the last position is mate by the rules.
TEST(AnnotatedPgn, WritesTheAnalysisAndReadsItBack) {
    chess::Game game = gameOf("[White \"A\"]\n[Black \"B\"]\n\n1. e4 e5 2. Qh5 Nc6 3. Bc4 {a comment} Nf6 4. Qxf7# 1-0\n");
    GameAnalysis analysis(8, true);
    analysis.set(0, eval(cp(30), 20, "e2e4", {"e2e4", "e7e5"}));
    analysis.set(1, eval(cp(25), 20));
    analysis.set(2, eval(cp(30), 20));
    analysis.set(3, eval(cp(-20), 18));
    analysis.set(4, eval(cp(-15), 18));
    analysis.set(5, eval(cp(-40), 19, "g7g6", {"g7g6", "c4f7"}));
    analysis.set(6, eval(mate(1, true), 30));
    analysis.set(7, eval(mate(0, true), 0));
    annotateGame(game, analysis);
    const std::string pgn = chess::toPgn(game);
    std::string flat = pgn; // the movetext as one line, whatever its wrapping
    std::replace(flat.begin(), flat.end(), '\n', ' ');
    for (const char *part : {"{[%eval 0.30,20]} 1. e4 {[%eval 0.25,20]}", "3. Bc4 {[%eval -0.40,19] a comment}",
                             "Nf6 $4 {[%eval #1,30] Blunder. g6 was best.} (3... g6 4. Bxf7+)",
                             "4. Qxf7# 1-0"}) {
        SCOPED_TRACE(part);
        EXPECT_NE(flat.find(part), std::string::npos) << pgn;
    }
    EXPECT_EQ(pgn.find("[%eval #0"), std::string::npos); // the mate is the rules', not written

    const GameAnalysis back = analysisFromGame(gameOf(pgn));
    ASSERT_EQ(back.size(), analysis.size());
    for (std::size_t i = 0; i < back.size(); ++i) {
        SCOPED_TRACE("position " + std::to_string(i));
        ASSERT_TRUE(back.at(i));
        EXPECT_EQ(back.at(i)->score, analysis.at(i)->score);
        EXPECT_EQ(back.at(i)->depth, analysis.at(i)->depth);
    }
    // Annotating again replaces the evaluations instead of adding to them.
    chess::Game again = gameOf(pgn);
    annotateGame(again, back);
    EXPECT_EQ(chess::toPgn(again).find("[%eval 0.30,20] [%eval"), std::string::npos);
}

TEST(AnnotatedPgn, AnAnalysisOfAnotherGameChangesNothing) {
    chess::Game game = gameOf("1. e4 e5 *\n");
    const chess::Game before = game;
    annotateGame(game, GameAnalysis(5, true));
    EXPECT_EQ(game, before);
}

TEST(ReportJson, EscapesStrings) {
    struct Row {
        const char *name;
        std::string text;
        std::string json;
    };
    const Row rows[] = {
        {"plain", "Carlsen", "\"Carlsen\""},
        {"quote and backslash", "a\"b\\c", "\"a\\\"b\\\\c\""},
        {"line end and tab", "a\nb\tc", "\"a\\nb\\tc\""},
        {"other control", std::string("a\x01" "b\x7f", 4), "\"a\\u0001b\\u007f\""},
        {"valid UTF-8 passes", "M\xc3\xbcller \xe2\x82\xac \xf0\x9f\x98\x80", "\"M\xc3\xbcller \xe2\x82\xac \xf0\x9f\x98\x80\""},
        {"a stray byte", "a\xff" "b", "\"a\\ufffdb\""},
        {"an overlong form", "\xc0\x80", "\"\\ufffd\\ufffd\""},
        {"a surrogate", "\xed\xa0\x80", "\"\\ufffd\\ufffd\\ufffd\""},
        {"cut short at the end", "a\xe2\x82", "\"a\\ufffd\\ufffd\""},
        {"a zero byte", std::string("a\0b", 3), "\"a\\u0000b\""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(cli::jsonString(row.text), row.json);
    }
}

// The report's fields in their order, nulls where nothing is known, and a game
// that starts from a set-up position with Black to move: Black's first move
// walks from five pawns down into a mate, a blunder.
TEST(ReportJson, WritesOneLineWithEveryField) {
    const chess::Game game = gameOf("[White \"W \\\"x\\\"\"]\n[Black \"B\"]\n[SetUp \"1\"]\n"
                                    "[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1\"]\n\n1... Kd7 2. e4 *\n");
    GameAnalysis analysis(3, false);
    analysis.set(0, eval(cp(500), 10, "e8d7"));
    analysis.set(1, eval(mate(12, true), 10));
    const std::string line = cli::reportLine("a \"b\".pgn", 2, game, analysis);
    EXPECT_EQ(line, "{\"file\":\"a \\\"b\\\".pgn\",\"game\":2,\"white\":\"W \\\"x\\\"\",\"black\":\"B\","
                    "\"white_starts\":false,\"plies\":2,\"evals\":[{\"cp\":500},{\"mate\":12},null],"
                    "\"best\":[\"Kd7\",null,null],\"judgements\":[\"blunder\",null],"
                    "\"white_review\":{\"accuracy\":null,\"acpl\":null,\"inaccuracies\":0,\"mistakes\":0,"
                    "\"blunders\":0},"
                    "\"black_review\":{\"accuracy\":null,\"acpl\":null,\"inaccuracies\":0,\"mistakes\":0,"
                    "\"blunders\":1}}");
}

} // namespace
} // namespace quorvane::engine
