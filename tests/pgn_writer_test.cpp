// Any game as PGN: the roster and the other tags, a set-up start, comments,
// NAGs, nested variations and stops, checked against text written down.

#include "chess/pgn.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quorvane::chess {
namespace {

MoveNode play(Position &p, std::string_view san) {
    MoveNode node;
    node.move = *p.parseSan(san);
    node.san = p.toSan(node.move);
    p.makeMove(node.move);
    return node;
}

Line lineOf(Position p, std::initializer_list<std::string_view> sans) {
    Line line;
    for (const std::string_view san : sans)
        line.moves.push_back(play(p, san));
    return line;
}

TEST(PgnWriter, TheWholeTree) {
    Game g;
    g.tags = {{"White", "Ren\xC3\xA9"}, {"Black", "say \"hi\" \\o/"}, {"Annotator", "me\tyou"}, {"Event", "Club"}};
    g.setUp = true;
    g.start = *Position::fromFen("4k3/8/8/8/8/8/4P3/4K2R b K - 0 30");
    g.gameComment = "Black to move";
    const Position start = g.start;
    g.mainLine = lineOf(start, {"Kd7", "O-O", "Ke6"});
    g.mainLine.moves[0].nags = {2, 146};
    g.mainLine.moves[0].commentAfter = "[%clk 0:01:00] a {brace} too";
    Position afterKd7 = start;
    afterKd7.makeMove(g.mainLine.moves[0].move);
    // 31. O-O (31. e4 Ke6 (31... Kc6)) 31... Ke6
    Line e4 = lineOf(afterKd7, {"e4", "Ke6"});
    Position afterE4 = afterKd7;
    afterE4.makeMove(e4.moves[0].move);
    e4.moves[1].variations.push_back(lineOf(afterE4, {"Kc6"}));
    e4.moves[0].commentBefore = "or";
    g.mainLine.moves[1].variations.push_back(e4);
    // A variation that stops: (31. Rh9)
    Line stopped;
    stopped.stop = LineStop{0, "Rh9", "unreadable token"};
    g.mainLine.moves[1].variations.push_back(stopped);
    g.result = "1/2-1/2";

    EXPECT_EQ(toPgn(g), "[Event \"Club\"]\n"
                        "[Site \"?\"]\n"
                        "[Date \"????.??.??\"]\n"
                        "[Round \"?\"]\n"
                        "[White \"Ren\xC3\xA9\"]\n"
                        "[Black \"say \\\"hi\\\" \\\\o/\"]\n"
                        "[Result \"1/2-1/2\"]\n"
                        "[SetUp \"1\"]\n"
                        "[FEN \"4k3/8/8/8/8/8/4P3/4K2R b K - 0 30\"]\n"
                        "[Annotator \"me you\"]\n"
                        "\n"
                        "{Black to move} 30... Kd7 $2 $146 {[%clk 0:01:00] a {brace) too} 31. O-O ({or}\n"
                        "31. e4 Ke6 (31... Kc6)) ({half-move 1 (31. Rh9): unreadable token}) 31... Ke6\n"
                        "1/2-1/2\n"
                        "\n");
}

TEST(PgnWriter, LinesStayShorterThan80WhereverAVariationCloses) {
    // Variations closing at every column: the ")" never makes a line of 80.
    for (std::size_t pad = 0; pad < 12; ++pad) {
        SCOPED_TRACE(pad);
        Game g;
        g.gameComment = std::string(60 + pad, 'x');
        Position p;
        g.mainLine = lineOf(p, {"e4", "e5", "Nf3"});
        Position afterE4 = p;
        afterE4.makeMove(g.mainLine.moves[0].move);
        g.mainLine.moves[1].variations.push_back(lineOf(afterE4, {"c5"}));
        const std::string pgn = toPgn(g);
        std::istringstream lines(pgn.substr(pgn.find("\n\n") + 2));
        std::string text, line;
        while (std::getline(lines, line)) {
            EXPECT_LT(line.size(), 80u) << line;
            text += line + ' ';
        }
        EXPECT_NE(text.find("1. e4 e5 (1... c5) 2. Nf3 *"), std::string::npos) << pgn;
    }
}

TEST(PgnWriter, AStopNamesItsTextByCharacters) {
    // Thirty characters of a long text, never half of one.
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "\xC3\xA9";
    std::string shown;
    for (int i = 0; i < 30; ++i)
        shown += "\xC3\xA9";
    EXPECT_EQ(describeStop(Position(), {0, text, "unreadable token"}),
              "half-move 1 (1. " + shown + "...): unreadable token");
    EXPECT_EQ(describeStop(Position(), {0, std::string(30, 'z'), "x"}), "half-move 1 (1. " + std::string(30, 'z') + "): x");
}

} // namespace
} // namespace quorvane::chess
