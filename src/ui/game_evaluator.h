#pragma once
// Evaluates the positions of a game one after the other at a fixed node budget,
// in the background: each result arrives as a signal while the caller goes on.

#include "engine/uci.h"
#include "platform/qt/uci_engine.h"

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

namespace quorvane::ui {

class GameEvaluator : public QObject {
    Q_OBJECT
public:
    struct Item {
        QString fen;
        bool whiteToMove = true;
        // Set where the game is over: the score without asking the engine.
        std::optional<engine::Score> known;
    };

    GameEvaluator(UciEngine &engine, qint64 nodes, QObject *parent = nullptr);

    // Starts over with these positions, telling the engine it is another game.
    void evaluate(std::vector<Item> items);
    // Asks again for the position in work, as after an engine restart.
    void resume();
    int count() const { return static_cast<int>(items_.size()); }
    int done() const { return next_; }

signals:
    // The evaluation of position index from White's side; none when the engine
    // gave no score.
    void evaluated(int index, std::optional<quorvane::engine::Score> score);
    void finished();

private:
    void step();

    UciEngine &engine_;
    qint64 nodes_;
    std::vector<Item> items_;
    int next_ = 0;
    int searchId_ = -1;
    std::optional<engine::Score> last_;
};

} // namespace quorvane::ui
