#include "engine/line.h"

namespace quorvane::engine {

std::string sanLine(const chess::Position &position, const std::vector<std::string> &uciMoves,
                    std::size_t maxHalfMoves) {
    chess::Position board = position;
    std::string text;
    bool first = true;
    for (std::size_t i = 0; i < uciMoves.size() && i < maxHalfMoves; ++i) {
        const auto move = board.parseUci(uciMoves[i]);
        if (!move)
            break;
        const bool white = board.sideToMove() == chess::Color::White;
        if (!first)
            text += ' ';
        if (white)
            text += std::to_string(board.fullmoveNumber()) + ". ";
        else if (first)
            text += std::to_string(board.fullmoveNumber()) + "... ";
        text += board.toSan(*move);
        board.makeMove(*move);
        first = false;
    }
    return text;
}

std::optional<Score> finalScore(const chess::Position &position) {
    if (!position.legalMoves().empty())
        return std::nullopt;
    Score score;
    if (position.inCheck()) {
        score.isMate = true;
        score.whiteMates = position.sideToMove() == chess::Color::Black;
    }
    return score;
}

} // namespace quorvane::engine
