#include "engine/uci.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace quorvane::engine {

namespace {

// Splits at runs of blanks and tabs, as UCI allows any amount of white space.
std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n'))
            ++i;
        std::size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r' && line[j] != '\n')
            ++j;
        if (j > i)
            out.push_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

template <typename T> std::optional<T> number(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The info keywords after which the words up to the next keyword belong to it.
bool isInfoKeyword(std::string_view w) {
    static constexpr std::string_view kKeywords[] = {
        "depth",    "seldepth", "time",   "nodes",  "pv",      "multipv", "score",      "currmove", "currmovenumber",
        "hashfull", "nps",      "tbhits", "sbhits", "cpuload", "string",  "refutation", "currline", "wdl"};
    return std::find(std::begin(kKeywords), std::end(kKeywords), w) != std::end(kKeywords);
}

UciInfo parseInfo(const std::vector<std::string_view> &w) {
    UciInfo info;
    std::size_t i = 1;
    auto next = [&]() -> std::string_view { return i + 1 < w.size() ? w[++i] : std::string_view{}; };
    while (i < w.size()) {
        const std::string_view key = w[i];
        if (key == "depth") {
            info.depth = number<int>(next());
        } else if (key == "nodes") {
            info.nodes = number<std::int64_t>(next());
        } else if (key == "multipv") {
            info.multipv = number<int>(next()).value_or(1);
        } else if (key == "score") {
            // score cp N | mate N, then optionally lowerbound / upperbound
            while (i + 1 < w.size()) {
                const std::string_view part = w[i + 1];
                if (part == "cp") {
                    ++i;
                    info.scoreCp = number<int>(next());
                } else if (part == "mate") {
                    ++i;
                    info.scoreMate = number<int>(next());
                } else if (part == "lowerbound") {
                    ++i;
                    info.lowerbound = true;
                } else if (part == "upperbound") {
                    ++i;
                    info.upperbound = true;
                } else {
                    break;
                }
            }
        } else if (key == "pv") {
            info.pv.clear();
            while (i + 1 < w.size() && !isInfoKeyword(w[i + 1]))
                info.pv.emplace_back(w[++i]);
        } else if (key == "string") {
            break; // the rest of the line is free text
        }
        ++i;
    }
    return info;
}

} // namespace

UciMessage parseUciLine(std::string_view line) {
    UciMessage message;
    const auto w = words(line);
    if (w.empty())
        return message;
    if (w[0] == "info") {
        message.kind = UciKind::Info;
        message.info = parseInfo(w);
    } else if (w[0] == "bestmove") {
        message.kind = UciKind::BestMove;
        message.bestMove = w.size() > 1 ? std::string(w[1]) : std::string("(none)");
    } else if (w[0] == "id" && w.size() > 1) {
        message.kind = UciKind::Id;
        message.idName = std::string(w[1]);
        const std::size_t at = static_cast<std::size_t>(w[1].data() - line.data()) + w[1].size();
        const std::size_t start = line.find_first_not_of(" \t", at);
        if (start != std::string_view::npos) {
            std::string_view rest = line.substr(start);
            while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n' || rest.back() == ' '))
                rest.remove_suffix(1);
            message.idValue = std::string(rest);
        }
    } else if (w[0] == "uciok" && w.size() == 1) {
        message.kind = UciKind::UciOk;
    } else if (w[0] == "readyok" && w.size() == 1) {
        message.kind = UciKind::ReadyOk;
    }
    return message;
}

namespace {

// -value, except that the most negative int becomes the most positive one
// instead of overflowing back to itself, so a score never flips its sign.
int negated(int value) {
    return value == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : -value;
}

} // namespace

std::optional<Score> whiteScore(const UciInfo &info, bool whiteToMove) {
    Score score;
    if (info.scoreMate) {
        const int m = *info.scoreMate;
        score.isMate = true;
        score.mate = m < 0 ? negated(m) : m;
        // Mate 0 means the side to move is mated, as does a negative count.
        const bool moverMates = m > 0;
        score.whiteMates = moverMates == whiteToMove;
        return score;
    }
    if (info.scoreCp) {
        score.centipawns = whiteToMove ? *info.scoreCp : negated(*info.scoreCp);
        return score;
    }
    return std::nullopt;
}

std::string formatScore(const Score &score) {
    if (score.isMate)
        return (score.whiteMates ? "#" : "#-") + std::to_string(score.mate);
    // Tenths of a pawn, rounded half away from zero; no sign on zero.
    const long tenths = std::lround(score.centipawns / 10.0);
    if (tenths == 0)
        return "0.0";
    const long magnitude = tenths < 0 ? -tenths : tenths;
    return std::string(tenths < 0 ? "-" : "+") + std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10);
}

double clippedPawns(const Score &score, double clip) {
    if (score.isMate)
        return score.whiteMates ? clip : -clip;
    return std::clamp(score.centipawns / 100.0, -clip, clip);
}

double whiteShare(const Score &score) {
    return 0.5 + clippedPawns(score) / 20.0;
}

std::vector<int> blunders(const std::vector<std::optional<Score>> &evals, bool whiteMovedFirst, double threshold) {
    std::vector<int> out;
    for (std::size_t k = 1; k < evals.size(); ++k) {
        if (!evals[k - 1] || !evals[k])
            continue;
        const bool whiteMoved = ((k - 1) % 2 == 0) == whiteMovedFirst;
        const double before = clippedPawns(*evals[k - 1]);
        const double after = clippedPawns(*evals[k]);
        const double drop = whiteMoved ? before - after : after - before;
        // A small tolerance, so a fall of exactly the threshold counts despite rounding.
        if (drop >= threshold - 1e-9)
            out.push_back(static_cast<int>(k));
    }
    return out;
}

} // namespace quorvane::engine
