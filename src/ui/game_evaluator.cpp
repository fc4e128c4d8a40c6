#include "ui/game_evaluator.h"

#include "engine/line.h"

namespace quorvane::ui {

GameEvaluator::Item GameEvaluator::itemOf(const chess::Position &position) {
    Item item{QString::fromStdString(position.toFen()), position.sideToMove() == chess::Color::White, std::nullopt};
    if (const auto final = engine::finalScore(position)) {
        item.known.emplace();
        item.known->score = *final;
    }
    return item;
}

GameEvaluator::GameEvaluator(UciEngine &engine, qint64 nodes, QObject *parent)
    : QObject(parent), engine_(engine), nodes_(nodes) {
    connect(&engine_, &UciEngine::info, this, [this](int id, const engine::UciInfo &info) {
        // The last exact score of the principal line is the search's result.
        if (id != searchId_ || info.multipv != 1 || info.lowerbound || info.upperbound)
            return;
        if (const auto score = engine::whiteScore(info, items_[static_cast<std::size_t>(next_)].whiteToMove)) {
            engine::PositionEval eval;
            eval.score = *score;
            eval.depth = info.depth.value_or(0);
            eval.nodes = info.nodes.value_or(0);
            eval.pv = info.pv;
            last_ = std::move(eval);
        }
    });
    connect(&engine_, &UciEngine::bestMove, this, [this](int id, const QString &move) {
        if (id != searchId_)
            return;
        searchId_ = -1;
        if (last_) {
            const std::string best = move.toStdString();
            if (best != "(none)" && best != "0000" && !best.empty()) {
                last_->bestMove = best;
                if (last_->pv.empty() || last_->pv.front() != best)
                    last_->pv.assign(1, best);
            }
        }
        const int index = next_++;
        emit evaluated(index, last_);
        step();
    });
}

void GameEvaluator::evaluate(std::vector<Item> items) {
    items_ = std::move(items);
    next_ = 0;
    searchId_ = -1;
    engine_.newGame();
    step();
}

void GameEvaluator::resume() {
    if (next_ < count())
        step();
}

void GameEvaluator::step() {
    while (next_ < count() && items_[static_cast<std::size_t>(next_)].known) {
        const int index = next_++;
        emit evaluated(index, items_[static_cast<std::size_t>(index)].known);
    }
    if (next_ >= count()) {
        engine_.stop();
        emit finished();
        return;
    }
    last_.reset();
    searchId_ = engine_.analyse(items_[static_cast<std::size_t>(next_)].fen, nodes_);
}

} // namespace quorvane::ui
