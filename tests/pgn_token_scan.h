#pragma once
// The games of a text and their move words, found a token at a time as
// Lexer::next makes the tokens: the slow, plain reading that the index's byte
// scan of movetext must agree with. Shared by the index's tests and the PGN
// fuzz target.

#include "chess/pgn_lexer.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quorvane::chess {

struct TokenScanGame {
    std::size_t offset = 0;
    std::size_t length = 0;
    std::int64_t moves = 0; // move words outside variations
};

inline std::vector<TokenScanGame> gamesTokenByToken(std::string_view text) {
    std::vector<TokenScanGame> games;
    pgn::Lexer lexer(text);
    while (true) {
        TokenScanGame game;
        bool started = false, content = false, movetext = false;
        std::size_t end = 0;
        int depth = 0;
        while (true) {
            const pgn::Lexer::Mark before = lexer.mark();
            const pgn::Token t = lexer.next();
            if (t.kind == pgn::TokenKind::End) {
                end = t.offset;
                break;
            }
            if (!started) {
                started = true;
                game.offset = t.offset;
            }
            end = lexer.position();
            if (t.kind == pgn::TokenKind::Tag) {
                if (movetext) {
                    lexer.reset(before);
                    end = t.offset;
                    break;
                }
                content = true;
                continue;
            }
            if (t.kind == pgn::TokenKind::Comment)
                continue;
            movetext = content = true;
            if (t.kind == pgn::TokenKind::Open)
                ++depth;
            else if (t.kind == pgn::TokenKind::Close)
                depth = depth > 0 ? depth - 1 : 0;
            else if (t.kind == pgn::TokenKind::Move && depth == 0)
                ++game.moves;
            else if (t.kind == pgn::TokenKind::Result && depth == 0)
                break;
        }
        if (!content)
            return games;
        game.length = end - game.offset;
        games.push_back(game);
    }
}

} // namespace quorvane::chess
