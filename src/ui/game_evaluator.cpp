#include "ui/game_evaluator.h"

#include "engine/line.h"
#include "engine/pass_runner.h"

namespace quorvane::ui {

GameEvaluator::GameEvaluator(const QString &program, UciEngine::Options options, int engines, qint64 nodes,
                             QObject *parent)
    : QObject(parent), nodes_(nodes), pass_(nodes) {
    pass_.evaluated = [this](std::size_t, std::size_t position) {
        emit evaluated(static_cast<int>(position), pass_.analysis(0).at(position));
        if (pass_.done())
            emit finished();
    };
    std::vector<engine::PassEngine *> passEngines;
    for (int i = 0; i < std::max(1, engines); ++i) {
        auto slot = std::make_unique<Slot>();
        slot->engine = std::make_unique<UciEngine>(program, options);
        UciEngine *e = slot->engine.get();
        const std::size_t index = static_cast<std::size_t>(i);
        connect(e, &UciEngine::info, this,
                [this, index](int id, const engine::UciInfo &info) { pass_.info(index, id, info); });
        connect(e, &UciEngine::bestMove, this,
                [this, index](int id, const QString &move) { pass_.bestMove(index, id, move.toStdString()); });
        connect(e, &UciEngine::failed, this, [this, index](const QString &message) {
            pass_.engineFailed(index);
            emit failed(message);
        });
        passEngines.push_back(slot.get());
        engines_.push_back(std::move(slot));
    }
    for (auto &slot : engines_)
        slot->engine->start();
    pass_.setEngines(passEngines);
}

GameEvaluator::~GameEvaluator() {
    // The engines go first, so that nothing they say reaches a pass half gone.
    for (auto &slot : engines_)
        slot->engine->disconnect(this);
    engines_.clear();
}

GameEvaluator::Item GameEvaluator::itemOf(const chess::Position &position) {
    Item item{QString::fromStdString(position.toFen()), position.sideToMove() == chess::Color::White, std::nullopt};
    if (const auto final = engine::finalScore(position)) {
        item.known.emplace();
        item.known->score = *final;
    }
    return item;
}

int GameEvaluator::defaultEngines() {
    return engine::defaultEngines();
}

void GameEvaluator::evaluate(std::vector<Item> items) {
    pass_.clear();
    pass_.setNodes(nodes_);
    for (auto &slot : engines_)
        slot->engine->newGame();
    std::vector<engine::PassPosition> positions;
    positions.reserve(items.size());
    for (Item &item : items)
        positions.push_back({item.fen.toStdString(), item.whiteToMove, item.known});
    pass_.addGame(std::move(positions));
    if (pass_.done())
        emit finished();
}

void GameEvaluator::resume() {
    for (std::size_t i = 0; i < engines_.size(); ++i) {
        UciEngine &e = *engines_[i]->engine;
        if (e.state() == UciEngine::State::Failed) {
            e.restart();
            pass_.engineBack(i);
        }
    }
}

QString GameEvaluator::problem() const {
    for (const auto &slot : engines_)
        if (slot->engine->state() == UciEngine::State::Failed)
            return slot->engine->errorText();
    return {};
}

} // namespace quorvane::ui
