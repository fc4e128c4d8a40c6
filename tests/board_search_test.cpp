// The square and piece look-ups are tuned for speed; they must still answer
// exactly as the plain search does: the first square in index order, the first
// piece in slot order, whose Tag equals the text, byte for byte.

#include "board/board.h"
#include "platform/text.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace quorvane {
namespace {

int PlainFindSquare(const std::array<ShapeControl, board::kSquareCount> &squares, const std::string &name) {
    for (int i = 0; i < board::kSquareCount; ++i)
        if (squares[static_cast<std::size_t>(i)].Tag() == name)
            return i;
    return -1;
}

int PlainFindPiece(const std::array<ImageControl, board::kPieceCount> &pieces, const std::string &tag) {
    for (int i = 0; i < board::kPieceCount; ++i)
        if (pieces[static_cast<std::size_t>(i)].Tag == tag)
            return i;
    return -1;
}

// Texts close to one another: equal lengths and first characters with a
// difference later, NULs, high bytes, the empty text, and longer texts.
std::string RandomText(std::mt19937 &random) {
    static const std::string alphabet = std::string("abcdefgh12345678o-x+0\0\xe9 ", 25);
    const int lengths[] = {0, 1, 2, 2, 2, 3, 5, 6, 16, 40};
    std::string text(static_cast<std::size_t>(lengths[random() % 10]), ' ');
    for (char &c : text)
        c = alphabet[random() % alphabet.size()];
    return text;
}

void ExpectSameAnswers(const ChsMain &form, const std::vector<std::string> &names) {
    for (const auto &name : names) {
        ASSERT_EQ(board::FindSquare(form.sqrSpace, name), PlainFindSquare(form.sqrSpace, name)) << name;
        ASSERT_EQ(board::FindPiece(form.Image1, name), PlainFindPiece(form.Image1, name)) << name;
    }
}

// Every text a step looks for: the squares of the next and the last half-move,
// every current Tag (the capture marks among them) and a few that match nothing.
std::vector<std::string> NamesAt(const ChsMain &form, const std::vector<std::string> &tokens, std::int64_t n) {
    std::vector<std::string> names{"", "e", "e44", "i9", "0", "1", std::to_string(n), std::to_string(n + 1)};
    for (std::int64_t k : {n - 1, n}) {
        if (k < 0 || k >= static_cast<std::int64_t>(tokens.size()))
            continue;
        const auto &token = tokens[static_cast<std::size_t>(k)];
        names.push_back(Mid(token, 1, 2));
        names.push_back(Mid(token, 4, 2));
    }
    for (const auto &piece : form.Image1)
        names.push_back(piece.Tag);
    return names;
}

TEST(BoardSearch, AgreesWithThePlainSearchThroughTheRealGames) {
    for (const char *game : {"file1.txt", "game_015.txt", "game_032.txt", "game_073.txt", "game_118.txt"}) {
        SCOPED_TRACE(game);
        testing::Harness h;
        const std::string text = testing::ReadTestData(game);
        h.Open(std::string("/games/") + game, text);
        const auto tokens = testing::TokensOf(text);
        for (std::int64_t n = 0; n <= h.form.lstFieldsList.ListCount(); ++n) {
            ExpectSameAnswers(h.form, NamesAt(h.form, tokens, h.form.Position()));
            h.form.StepForward();
        }
        while (h.form.Position() > 0) {
            h.form.StepBack();
            ExpectSameAnswers(h.form, NamesAt(h.form, tokens, h.form.Position()));
        }
    }
}

TEST(BoardSearch, AgreesWithThePlainSearchOnRandomTags) {
    std::mt19937 random(8);
    testing::Harness h;
    for (int round = 0; round < 2000; ++round) {
        // Random Tags, some of them shared by several pieces.
        for (auto &piece : h.form.Image1)
            piece.Tag = random() % 3 == 0 ? h.form.Image1[random() % 32].Tag : RandomText(random);
        std::vector<std::string> names;
        for (int i = 0; i < 24; ++i)
            names.push_back(RandomText(random));
        for (int i = 0; i < 8; ++i)
            names.push_back(h.form.Image1[random() % 32].Tag);
        names.push_back(board::SquareName(static_cast<int>(random() % 64)));
        ExpectSameAnswers(h.form, names);
    }
}

TEST(BoardSearch, AgreesWithThePlainSearchOnRandomHalfMoves) {
    std::mt19937 random(12);
    for (int game = 0; game < 40; ++game) {
        // Half-moves between real squares mostly, so that many are played,
        // with castlings, "end", empty and garbled ones among them.
        std::vector<std::string> tokens;
        for (int i = 0; i < 300; ++i) {
            const int kind = static_cast<int>(random() % 20);
            if (kind == 0)
                tokens.push_back("o-o");
            else if (kind == 1)
                tokens.push_back("o-o-o");
            else if (kind == 2)
                tokens.push_back("end");
            else if (kind == 3)
                tokens.push_back(RandomText(random));
            else
                tokens.push_back(board::SquareName(static_cast<int>(random() % 64)) + (kind % 2 ? "-" : "x") +
                                 board::SquareName(static_cast<int>(random() % 64)));
        }
        testing::Harness h;
        h.LoadTokens(tokens);
        for (int step = 0; step < 600; ++step) {
            if (random() % 3 == 0)
                h.form.StepBack();
            else
                h.form.StepForward();
            ExpectSameAnswers(h.form, NamesAt(h.form, tokens, h.form.Position()));
        }
    }
}

} // namespace
} // namespace quorvane
