// A record's tokens as a game, read the way the record's decoder reads them:
// castling by its whole text, anything else by its from-square (characters 1-2)
// and to-square (characters 4-5).

#include "chess/record_game.h"

#include "chess/pgn.h"

#include <array>
#include <string_view>

namespace quorvane::chess {

namespace {

struct Token {
    enum class Kind { Castling, Squares, Unreadable } kind = Kind::Unreadable;
    bool kingSide = false;
    int from = 0;
    int to = 0;
    PieceType promotion = PieceType::None;
};

// The castling tokens the decoder knows, with their check and mate marks.
struct CastlingToken {
    std::string_view text;
    bool kingSide;
};
constexpr std::array<CastlingToken, 6> kCastlingTokens{{
    {"o-o-o++", false},
    {"o-o-o+", false},
    {"o-o-o", false},
    {"o-o++", true},
    {"o-o+", true},
    {"o-o", true},
}};

std::optional<PieceType> promotionLetter(char c) {
    switch (c) {
    case 'Q':
    case 'q':
        return PieceType::Queen;
    case 'R':
    case 'r':
        return PieceType::Rook;
    case 'B':
    case 'b':
        return PieceType::Bishop;
    case 'N':
    case 'n':
        return PieceType::Knight;
    default:
        return std::nullopt;
    }
}

Token readToken(std::string_view text) {
    Token token;
    for (const CastlingToken &c : kCastlingTokens) {
        if (text == c.text) {
            token.kind = Token::Kind::Castling;
            token.kingSide = c.kingSide;
            return token;
        }
    }
    if (text.size() < 5 || (text[2] != '-' && text[2] != 'x'))
        return token;
    const auto from = parseSquare(text.substr(0, 2));
    const auto to = parseSquare(text.substr(3, 2));
    if (!from || !to)
        return token;
    std::string_view rest = text.substr(5);
    if (rest.size() >= 2 && rest[0] == '=') {
        const auto promotion = promotionLetter(rest[1]);
        if (!promotion)
            return token;
        token.promotion = *promotion;
        rest.remove_prefix(2);
    }
    // Check and mate marks ("+", "++", "#") and annotations are not part of
    // the move.
    if (rest.find_first_not_of("+#!?") != std::string_view::npos)
        return token;
    token.kind = Token::Kind::Squares;
    token.from = *from;
    token.to = *to;
    return token;
}

const char *colorName(Color c) {
    return c == Color::White ? "White" : "Black";
}

// The legal move a token names, or why there is none.
std::optional<Move> findMove(const Position &position, const MoveList &legal, const Token &token,
                             const std::string &text, std::string &why) {
    if (token.kind == Token::Kind::Unreadable) {
        why = "unreadable token";
        return std::nullopt;
    }
    if (token.kind == Token::Kind::Castling) {
        for (const Move &m : legal)
            if (m.isCastling() && (m.to > m.from) == token.kingSide)
                return m;
        why = text + " is not a legal move";
        return std::nullopt;
    }
    const auto piece = position.pieceAt(token.from);
    if (!piece) {
        why = "no piece on " + squareName(token.from);
        return std::nullopt;
    }
    if (piece->color != position.sideToMove()) {
        why = text + " is not a legal move (the piece on " + squareName(token.from) + " is " + colorName(piece->color) +
              "'s)";
        return std::nullopt;
    }
    const PieceType promotion = token.promotion == PieceType::None ? PieceType::Queen : token.promotion;
    for (const Move &m : legal) {
        if (m.from != token.from || m.to != token.to)
            continue;
        if (m.promotion != PieceType::None && m.promotion != promotion)
            continue;
        if (m.isCastling()) {
            why = text + " is not a legal move (castling is written o-o)";
            return std::nullopt;
        }
        return m;
    }
    why = text + " is not a legal move";
    return std::nullopt;
}

} // namespace

RecordGame gameFromTokens(const std::vector<std::string> &tokens) {
    RecordGame game;
    game.moves.reserve(tokens.size());
    game.san.reserve(tokens.size());
    game.positions.reserve(tokens.size() + 1);
    Position position;
    game.positions.push_back(position);
    MoveList legal;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string &text = tokens[i];
        if (text.empty() || text == "end")
            break;
        position.generateLegalMoves(legal);
        std::string why;
        const auto move = findMove(position, legal, readToken(text), text, why);
        if (!move) {
            game.ended = false;
            game.stopIndex = static_cast<std::int64_t>(i);
            game.stopToken = text;
            game.stopReason = std::move(why);
            break;
        }
        game.san.push_back(position.toSan(*move));
        position.makeMove(*move);
        game.moves.push_back(*move);
        game.positions.push_back(position);
    }
    // A record stopped early keeps only what it played.
    if (game.positions.size() < game.positions.capacity() / 2) {
        game.moves.shrink_to_fit();
        game.san.shrink_to_fit();
        game.positions.shrink_to_fit();
    }
    return game;
}

std::string describeStop(const RecordGame &game) {
    if (game.ended || game.stopIndex < 0)
        return {};
    // A long run of garbage says no more than its start.
    constexpr std::size_t kShown = 30;
    std::string token = game.stopToken.size() > kShown ? game.stopToken.substr(0, kShown) + "..." : game.stopToken;
    const std::int64_t i = game.stopIndex;
    const std::string number = std::to_string(i / 2 + 1) + (i % 2 == 0 ? ". " : "... ");
    return "half-move " + std::to_string(i + 1) + " (" + number + windows1252ToUtf8(token) +
           "): " + windows1252ToUtf8(game.stopReason);
}

} // namespace quorvane::chess
