#include "engine/review.h"

#include <algorithm>
#include <cmath>

namespace quorvane::engine {
namespace {

constexpr int kClamp = 1000;

// The start of the volatility list: White's usual edge in the start position.
constexpr int kInitialCentipawns = 15;

double winPercentOfCentipawns(int cp) {
    return 50.0 + 50.0 * (2.0 / (1.0 + std::exp(-0.00368208 * cp)) - 1.0);
}

double winningChances(int cp) {
    return 2.0 / (1.0 + std::exp(-0.004 * cp)) - 1.0;
}

// A mate from the mover's side: +n when he mates, -n when he is mated; nothing
// for a centipawn score.
std::optional<int> moverMate(const Score &score, bool whiteMoved) {
    if (!score.isMate)
        return std::nullopt;
    const bool moverMates = score.whiteMates == whiteMoved;
    // Mate 0 is a checkmate on the board: it still belongs to one side.
    const int moves = std::max(score.mate, 1);
    return moverMates ? moves : -moves;
}

int moverCentipawns(const Score &score, bool whiteMoved) {
    const int cp = reviewCentipawns(score);
    return whiteMoved ? cp : -cp;
}

double populationDeviation(const std::vector<double> &values, std::size_t first, std::size_t size) {
    double mean = 0;
    for (std::size_t i = first; i < first + size; ++i)
        mean += values[i];
    mean /= static_cast<double>(size);
    double sum = 0;
    for (std::size_t i = first; i < first + size; ++i)
        sum += (values[i] - mean) * (values[i] - mean);
    return std::sqrt(sum / static_cast<double>(size));
}

struct Weighted {
    double accuracy;
    double weight;
};

double sideAccuracy(const std::vector<Weighted> &moves) {
    double weightedSum = 0;
    double weights = 0;
    double reciprocals = 0;
    bool anyZero = false;
    for (const auto &m : moves) {
        weightedSum += m.accuracy * m.weight;
        weights += m.weight;
        if (m.accuracy <= 0)
            anyZero = true;
        else
            reciprocals += 1.0 / m.accuracy;
    }
    const double weighted = weightedSum / weights;
    const double harmonic = anyZero ? 0.0 : static_cast<double>(moves.size()) / reciprocals;
    return (weighted + harmonic) / 2.0;
}

} // namespace

std::string_view judgementName(Judgement judgement) {
    switch (judgement) {
    case Judgement::Inaccuracy: return "Inaccuracy";
    case Judgement::Mistake: return "Mistake";
    case Judgement::Blunder: return "Blunder";
    case Judgement::None: break;
    }
    return {};
}

std::string_view judgementMark(Judgement judgement) {
    switch (judgement) {
    case Judgement::Inaccuracy: return "?!";
    case Judgement::Mistake: return "?";
    case Judgement::Blunder: return "??";
    case Judgement::None: break;
    }
    return {};
}

int judgementNag(Judgement judgement) {
    switch (judgement) {
    case Judgement::Inaccuracy: return 6;
    case Judgement::Mistake: return 2;
    case Judgement::Blunder: return 4;
    case Judgement::None: break;
    }
    return 0;
}

int reviewCentipawns(const Score &score) {
    if (score.isMate)
        return score.whiteMates ? kClamp : -kClamp;
    return std::clamp(score.centipawns, -kClamp, kClamp);
}

double winPercent(const Score &score) {
    return winPercentOfCentipawns(reviewCentipawns(score));
}

double moveAccuracy(double moverWinBefore, double moverWinAfter) {
    if (moverWinAfter >= moverWinBefore)
        return 100.0;
    const double drop = moverWinBefore - moverWinAfter;
    // The last 1 is lichess's allowance for the engine's own uncertainty.
    const double raw = 103.1668100711649 * std::exp(-0.04354415386753951 * drop) - 3.166924740191411 + 1.0;
    return std::clamp(raw, 0.0, 100.0);
}

Judgement judge(const Score &before, const Score &after, bool whiteMoved) {
    const auto mateBefore = moverMate(before, whiteMoved);
    const auto mateAfter = moverMate(after, whiteMoved);
    if (!mateBefore && !mateAfter) {
        const double wBefore = winningChances(reviewCentipawns(before));
        const double wAfter = winningChances(reviewCentipawns(after));
        const double drop = whiteMoved ? wBefore - wAfter : wAfter - wBefore;
        if (drop >= 0.3)
            return Judgement::Blunder;
        if (drop >= 0.2)
            return Judgement::Mistake;
        if (drop >= 0.1)
            return Judgement::Inaccuracy;
        return Judgement::None;
    }
    // A mate against the mover appears.
    if (!mateBefore && *mateAfter < 0) {
        const int cp = moverCentipawns(before, whiteMoved);
        if (cp < -999)
            return Judgement::Inaccuracy;
        if (cp < -700)
            return Judgement::Mistake;
        return Judgement::Blunder;
    }
    // The mover had a mate and let it go.
    if (mateBefore && *mateBefore > 0 && (!mateAfter || *mateAfter < 0)) {
        const int cp = moverCentipawns(after, whiteMoved);
        if (cp > 999)
            return Judgement::Inaccuracy;
        if (cp > 700)
            return Judgement::Mistake;
        return Judgement::Blunder;
    }
    // A mate delayed, a mate found, or one escaped: nothing to say.
    return Judgement::None;
}

bool whitePlays(std::size_t halfMove, bool whiteStarts) {
    return (halfMove % 2 == 1) == whiteStarts;
}

int SideReview::count(Judgement judgement) const {
    switch (judgement) {
    case Judgement::Inaccuracy: return inaccuracies;
    case Judgement::Mistake: return mistakes;
    case Judgement::Blunder: return blunders;
    case Judgement::None: break;
    }
    return 0;
}

GameReview reviewGame(const std::vector<std::optional<Score>> &evals, bool whiteStarts) {
    GameReview review;
    const std::size_t plies = evals.empty() ? 0 : evals.size() - 1;
    review.judgements.assign(plies, Judgement::None);
    for (std::size_t k = 1; k <= plies; ++k) {
        if (!evals[k - 1] || !evals[k])
            continue;
        const bool white = whitePlays(k, whiteStarts);
        const Judgement j = judge(*evals[k - 1], *evals[k], white);
        review.judgements[k - 1] = j;
        SideReview &side = white ? review.white : review.black;
        side.inaccuracies += j == Judgement::Inaccuracy;
        side.mistakes += j == Judgement::Mistake;
        side.blunders += j == Judgement::Blunder;
    }
    if (plies == 0 || !std::all_of(evals.begin(), evals.end(), [](const auto &e) { return e.has_value(); }))
        return review;

    // White's Win% at the start, then after every half-move; the start counts
    // as the usual opening edge whatever the engine said of it.
    std::vector<double> wins;
    wins.reserve(plies + 1);
    wins.push_back(winPercentOfCentipawns(kInitialCentipawns));
    for (std::size_t k = 1; k <= plies; ++k)
        wins.push_back(winPercent(*evals[k]));

    // How much the game swung around each half-move weighs its accuracy: a
    // slip in a calm position counts for less than one in a sharp one.
    const std::size_t window = std::clamp<std::size_t>(plies / 10, 2, 8);
    std::vector<double> weights;
    weights.reserve(plies);
    for (std::size_t i = 0; i + 2 < window; ++i)
        weights.push_back(std::clamp(populationDeviation(wins, 0, window), 0.5, 12.0));
    for (std::size_t first = 0; first + window <= wins.size(); ++first)
        weights.push_back(std::clamp(populationDeviation(wins, first, window), 0.5, 12.0));

    std::vector<Weighted> whiteMoves, blackMoves;
    double whiteLoss = 0, blackLoss = 0;
    for (std::size_t k = 1; k <= plies; ++k) {
        const bool white = whitePlays(k, whiteStarts);
        const double before = white ? wins[k - 1] : 100.0 - wins[k - 1];
        const double after = white ? wins[k] : 100.0 - wins[k];
        (white ? whiteMoves : blackMoves).push_back({moveAccuracy(before, after), weights[k - 1]});
        const int loss = moverCentipawns(*evals[k - 1], white) - moverCentipawns(*evals[k], white);
        (white ? whiteLoss : blackLoss) += std::max(0, loss);
    }
    if (!whiteMoves.empty()) {
        review.white.accuracy = sideAccuracy(whiteMoves);
        review.white.acpl = whiteLoss / static_cast<double>(whiteMoves.size());
    }
    if (!blackMoves.empty()) {
        review.black.accuracy = sideAccuracy(blackMoves);
        review.black.acpl = blackLoss / static_cast<double>(blackMoves.size());
    }
    return review;
}

} // namespace quorvane::engine
