#include "engine/annotated_pgn.h"
#include "engine/line.h"
#include "engine/review.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace quorvane::engine {

namespace {

constexpr std::string_view kEval = "[%eval ";
// The engine's line as a variation goes this far at most.
constexpr std::size_t kLineHalfMoves = 10;

void appendText(std::string &comment, std::string_view text) {
    if (text.empty())
        return;
    if (!comment.empty())
        comment += ' ';
    comment += text;
}

// The engine's moves (UCI) from position as a line of the game tree; stops at
// the first move that is not legal there.
chess::Line lineOf(chess::Position position, const std::vector<std::string> &uci) {
    chess::Line line;
    for (std::size_t i = 0; i < uci.size() && i < kLineHalfMoves; ++i) {
        const auto move = position.parseUci(uci[i]);
        if (!move)
            break;
        chess::MoveNode node;
        node.move = *move;
        node.san = position.toSan(*move);
        position.makeMove(*move);
        line.moves.push_back(std::move(node));
    }
    return line;
}

} // namespace

std::string evalText(const Score &score) {
    if (score.isMate)
        return (score.whiteMates ? "#" : "#-") + std::to_string(score.mate);
    const long long cp = score.centipawns;
    const long long magnitude = cp < 0 ? -cp : cp;
    const long long hundredths = magnitude % 100;
    return std::string(cp < 0 ? "-" : "") + std::to_string(magnitude / 100) + "." + (hundredths < 10 ? "0" : "") +
           std::to_string(hundredths);
}

std::optional<PositionEval> evalFromComment(std::string_view comment) {
    const std::size_t at = comment.find(kEval);
    if (at == std::string_view::npos)
        return std::nullopt;
    const std::size_t end = comment.find(']', at);
    if (end == std::string_view::npos)
        return std::nullopt;
    std::string_view value = comment.substr(at + kEval.size(), end - at - kEval.size());
    while (!value.empty() && value.front() == ' ')
        value.remove_prefix(1);
    while (!value.empty() && value.back() == ' ')
        value.remove_suffix(1);
    PositionEval eval;
    if (const std::size_t comma = value.find(','); comma != std::string_view::npos) {
        const std::string_view depth = value.substr(comma + 1);
        int d = 0;
        const auto [p, error] = std::from_chars(depth.data(), depth.data() + depth.size(), d);
        if (error != std::errc() || p != depth.data() + depth.size() || d < 0)
            return std::nullopt;
        eval.depth = d;
        value = value.substr(0, comma);
    }
    if (value.empty())
        return std::nullopt;
    if (value.front() == '#') {
        value.remove_prefix(1);
        const bool black = !value.empty() && value.front() == '-';
        if (black || (!value.empty() && value.front() == '+'))
            value.remove_prefix(1);
        int moves = 0;
        const auto [p, error] = std::from_chars(value.data(), value.data() + value.size(), moves);
        if (error != std::errc() || p != value.data() + value.size() || value.empty() || moves < 0)
            return std::nullopt;
        eval.score = Score{.isMate = true, .mate = moves, .whiteMates = !black};
        return eval;
    }
    // Pawns with up to two decimals, read exactly rather than through a double.
    bool negative = false;
    if (value.front() == '-' || value.front() == '+') {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    const std::size_t dot = value.find('.');
    const std::string_view whole = value.substr(0, dot);
    std::string_view fraction = dot == std::string_view::npos ? std::string_view{} : value.substr(dot + 1);
    if ((whole.empty() && fraction.empty()) || fraction.size() > 2)
        return std::nullopt;
    long long pawns = 0, hundredths = 0;
    if (!whole.empty()) {
        const auto [p, error] = std::from_chars(whole.data(), whole.data() + whole.size(), pawns);
        if (error != std::errc() || p != whole.data() + whole.size() || pawns > 21474836)
            return std::nullopt;
    }
    if (!fraction.empty()) {
        const auto [p, error] = std::from_chars(fraction.data(), fraction.data() + fraction.size(), hundredths);
        if (error != std::errc() || p != fraction.data() + fraction.size())
            return std::nullopt;
        if (fraction.size() == 1)
            hundredths *= 10;
    }
    const long long cp = pawns * 100 + hundredths;
    eval.score = Score{.centipawns = static_cast<int>(negative ? -cp : cp)};
    return eval;
}

std::string withoutEval(std::string_view comment) {
    std::string out;
    std::size_t from = 0;
    while (true) {
        const std::size_t at = comment.find(kEval, from);
        const std::size_t end = at == std::string_view::npos ? at : comment.find(']', at);
        if (end == std::string_view::npos) {
            out += comment.substr(from);
            break;
        }
        out += comment.substr(from, at - from);
        from = end + 1;
    }
    // Tidy the spaces the commands leave.
    std::string tidy;
    for (char c : out)
        if (c != ' ' || (!tidy.empty() && tidy.back() != ' '))
            tidy += c;
    while (!tidy.empty() && tidy.back() == ' ')
        tidy.pop_back();
    return tidy;
}

void annotateGame(chess::Game &game, const GameAnalysis &analysis) {
    if (analysis.size() != game.plies() + 1)
        return;
    const std::vector<chess::Position> positions = game.mainLinePositions();
    const GameReview review = reviewGame(analysis.scores(), analysis.whiteStarts());
    auto evalCommand = [&](std::size_t index) -> std::string {
        const auto &eval = analysis.at(index);
        if (!eval || finalScore(positions[index]))
            return {};
        std::string text = "[%eval " + evalText(eval->score);
        if (eval->depth > 0)
            text += "," + std::to_string(eval->depth);
        return text + "]";
    };
    std::string opening = evalCommand(0);
    appendText(opening, withoutEval(game.gameComment));
    game.gameComment = opening;
    for (std::size_t k = 1; k <= game.plies(); ++k) {
        chess::MoveNode &node = game.mainLine.moves[k - 1];
        std::string comment = evalCommand(k);
        appendText(comment, withoutEval(node.commentAfter));
        const Judgement judgement = k - 1 < review.judgements.size() ? review.judgements[k - 1] : Judgement::None;
        const auto &before = analysis.at(k - 1);
        if (judgement != Judgement::None) {
            const auto nag = static_cast<std::uint8_t>(judgementNag(judgement));
            if (std::find(node.nags.begin(), node.nags.end(), nag) == node.nags.end())
                node.nags.push_back(nag);
            std::string said = std::string(judgementName(judgement)) + ".";
            if (before && !before->pv.empty()) {
                chess::Line line = lineOf(positions[k - 1], before->pv);
                if (!line.moves.empty() && line.moves.front().move != node.move) {
                    said += " " + line.moves.front().san + " was best.";
                    node.variations.push_back(std::move(line));
                }
            }
            appendText(comment, said);
        }
        node.commentAfter = comment;
    }
}

GameAnalysis analysisFromGame(const chess::Game &game) {
    const std::vector<chess::Position> positions = game.mainLinePositions();
    GameAnalysis analysis(positions.size(), game.whiteStarts());
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const std::string &comment = i == 0 ? game.gameComment : game.mainLine.moves[i - 1].commentAfter;
        if (const auto score = finalScore(positions[i]))
            analysis.set(i, PositionEval{.score = *score});
        else if (auto eval = evalFromComment(comment))
            analysis.set(i, std::move(*eval));
    }
    return analysis;
}

} // namespace quorvane::engine
