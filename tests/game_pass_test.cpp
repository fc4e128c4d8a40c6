// The whole-game pass: positions spread over several engines that finish in no
// set order, each result landing on its own position; the game's end never sent
// to an engine; an engine that keeps failing does not hang the pass.
#include "engine/game_pass.h"
#include "engine/line.h"
#include "engine/pass_runner.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace quorvane::engine {
namespace {

// The positions of a game given in SAN from the start.
std::vector<PassPosition> positionsOf(const std::vector<std::string> &sans) {
    chess::Position board = chess::Position::fromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1").value();
    std::vector<PassPosition> out;
    auto add = [&] {
        out.push_back({board.toFen(), board.sideToMove() == chess::Color::White, knownEval(finalScore(board))});
    };
    add();
    for (const std::string &san : sans) {
        board.makeMove(board.parseSan(san).value());
        add();
    }
    return out;
}

class GamePassTest : public testing::ScratchDirTest {
protected:
    GamePassTest() : ScratchDirTest("game-pass") {}
    void SetUp() override {
        ScratchDirTest::SetUp();
        ::setenv("FAKE_UCI_LOG", (dir_ / "commands.log").c_str(), 1);
    }
    std::vector<std::string> log() const {
        std::ifstream in(dir_ / "commands.log");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
};

// The fake engine in "random" mode answers after 0-30 ms with 10 cp per move
// number, 5 more with Black to move, from the side to move. Three engines over
// two games: each position must get its own score whatever the order.
TEST_F(GamePassTest, EveryPositionGetsItsOwnScoreInWhateverOrderEnginesFinish) {
    ::setenv("FAKE_UCI_MODE", "random", 1);
    GamePass pass(5000);
    std::vector<std::pair<std::size_t, std::size_t>> order;
    pass.evaluated = [&](std::size_t game, std::size_t position) { order.emplace_back(game, position); };
    const std::size_t ruy = pass.addGame(positionsOf({"e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4", "Nf6", "O-O"}));
    const std::size_t fool = pass.addGame(positionsOf({"f3", "e5", "g4", "Qh4#"}));
    std::vector<std::string> failures;
    ASSERT_TRUE(runPass(pass, FAKE_UCI_PATH, {.engines = 3}, [&](const std::string &m) { failures.push_back(m); }));
    EXPECT_TRUE(failures.empty());
    EXPECT_TRUE(pass.done());
    EXPECT_EQ(order.size(), 15u);
    EXPECT_EQ(std::set(order.begin(), order.end()).size(), 15u); // each once

    // White's view, written down: move 1 White +10, Black -15, move 2 +20, -25 ...
    const int ruyCp[] = {10, -15, 20, -25, 30, -35, 40, -45, 50, -55};
    const GameAnalysis &a = pass.analysis(ruy);
    ASSERT_EQ(a.size(), 10u);
    for (std::size_t i = 0; i < a.size(); ++i) {
        SCOPED_TRACE("position " + std::to_string(i));
        ASSERT_TRUE(a.at(i));
        EXPECT_EQ(a.at(i)->score, (Score{.centipawns = ruyCp[i]}));
        EXPECT_EQ(a.at(i)->bestMove, "e2e4");
        EXPECT_EQ(a.at(i)->depth, 2);
    }
    const GameAnalysis &b = pass.analysis(fool);
    ASSERT_EQ(b.size(), 5u);
    const int foolCp[] = {10, -15, 20, -25};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(b.at(i)->score.centipawns, foolCp[i]);
    // White is mated: known without an engine, and never sent to one.
    EXPECT_EQ(b.at(4)->score, (Score{.isMate = true, .whiteMates = false}));
    const std::string mated = "position fen " + positionsOf({"f3", "e5", "g4", "Qh4#"}).back().fen;
    for (const std::string &line : log())
        EXPECT_NE(line, mated);
}

TEST_F(GamePassTest, GivesUpWhenEveryEngineKeepsFailing) {
    ::setenv("FAKE_UCI_MODE", "crash", 1);
    GamePass pass(1000);
    pass.addGame(positionsOf({"e4", "e5"}));
    std::vector<std::string> failures;
    EXPECT_FALSE(runPass(pass, FAKE_UCI_PATH, {.engines = 2, .restarts = 2},
                         [&](const std::string &m) { failures.push_back(m); }));
    // Two engines, each failing once and then once more after its restart.
    EXPECT_EQ(failures, std::vector<std::string>(4, "The chess engine stopped unexpectedly."));
    EXPECT_FALSE(pass.analysis(0).at(0));
}

// Engines the test answers for by hand: each search's id and position.
struct ScriptedEngine : PassEngine {
    int next = 0;
    std::vector<std::string> asked;
    int analyse(const std::string &fen, std::int64_t) override {
        asked.push_back(fen);
        return ++next;
    }
};

// What the window names as missing: positions given up after two failed
// searches, and while every engine is down every position still to do.
TEST(GamePassMissing, NamesTheGivenUpAndWhileStalledEverythingLeft) {
    GamePass pass(1000);
    ScriptedEngine a, b;
    pass.setEngines({&a, &b});
    pass.addGame(positionsOf({"e4", "e5", "Nf3", "Nc6"})); // positions 0 to 4
    const UciInfo line = parseUciLine("info depth 1 score cp 10 pv e2e4").info;
    auto answer = [&](std::size_t slot, ScriptedEngine &e) {
        pass.info(slot, e.next, line);
        pass.bestMove(slot, e.next, "e2e4");
    };
    answer(0, a); // 0 done, a takes 2
    EXPECT_TRUE(pass.missing(0).empty());
    pass.engineFailed(1); // b's position 1 goes back; a still works
    EXPECT_FALSE(pass.stalled());
    EXPECT_TRUE(pass.missing(0).empty());
    pass.engineFailed(0); // nobody left
    EXPECT_TRUE(pass.stalled());
    EXPECT_EQ(pass.missing(0), (std::vector<std::size_t>{1, 2, 3, 4}));
    pass.engineBack(0); // a takes 2 again
    EXPECT_TRUE(pass.missing(0).empty());
    pass.engineFailed(0); // 2 failed twice: given up
    EXPECT_EQ(pass.missing(0), (std::vector<std::size_t>{1, 2, 3, 4}));
    pass.engineBack(0);
    pass.engineBack(1);
    while (!pass.done()) {
        const std::size_t before = pass.finished();
        answer(0, a);
        answer(1, b);
        ASSERT_GT(pass.finished(), before);
    }
    EXPECT_EQ(pass.missing(0), (std::vector<std::size_t>{2}));
    EXPECT_FALSE(pass.analysis(0).at(2));
    EXPECT_TRUE(pass.analysis(0).at(1) && pass.analysis(0).at(3) && pass.analysis(0).at(4));
}

TEST(GamePassMissing, MissingTextNamesRunsAndTheStart) {
    const struct {
        const char *name;
        std::vector<std::size_t> positions;
        const char *text;
    } rows[] = {
        {"none", {}, ""},
        {"one", {7}, "No evaluation for half-move 7"},
        {"two apart", {12, 30}, "No evaluation for half-moves 12 and 30"},
        {"a pair and one", {12, 13, 30}, "No evaluation for half-moves 12, 13 and 30"},
        {"a run", {12, 13, 14, 15, 40}, "No evaluation for half-moves 12 to 15 and 40"},
        {"the start alone", {0}, "No evaluation for the start position"},
        {"the start and a run", {0, 1, 2, 3}, "No evaluation for the start position and half-moves 1 to 3"},
        {"the start and one", {0, 1}, "No evaluation for the start position and half-move 1"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(missingText(row.positions), row.text);
    }
}

TEST(EvalFromSearch, TakesTheScoreAndTheLineFromTheLastPrincipalLine) {
    struct Row {
        const char *name;
        const char *info;
        const char *bestMove;
        bool whiteToMove;
        std::optional<PositionEval> expected;
    };
    const Row rows[] = {
        {"white to move", "info depth 12 score cp 35 nodes 99000 pv e2e4 e7e5", "e2e4", true,
         PositionEval{{.centipawns = 35}, 12, 99000, "e2e4", {"e2e4", "e7e5"}}},
        {"black to move turns the sign", "info depth 9 score cp 35 pv e7e5", "e7e5", false,
         PositionEval{{.centipawns = -35}, 9, 0, "e7e5", {"e7e5"}}},
        {"a line from before the best move is not kept", "info depth 9 score cp 5 pv d2d4 d7d5", "e2e4", true,
         PositionEval{{.centipawns = 5}, 9, 0, "e2e4", {"e2e4"}}},
        {"mate with no move to play", "info depth 0 score mate 0", "(none)", true,
         PositionEval{{.isMate = true, .whiteMates = false}, 0, 0, "", {}}},
        {"no score", "info depth 3 pv e2e4", "e2e4", true, std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(evalFromSearch(parseUciLine(row.info).info, row.bestMove, row.whiteToMove), row.expected);
    }
}

} // namespace
} // namespace quorvane::engine
