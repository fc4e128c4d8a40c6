#pragma once
// Evaluates the positions of a game one after the other at a fixed node budget,
// in the background: each result arrives as a signal while the caller goes on.

#include "chess/position.h"
#include "engine/game_analysis.h"
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
        // Set where the answer is known without asking the engine: the game is
        // over there, or the position was evaluated before.
        std::optional<engine::PositionEval> known;
    };

    // The item for a position: its FEN, and the score already where the game
    // is over there.
    static Item itemOf(const chess::Position &position);

    GameEvaluator(UciEngine &engine, qint64 nodes, QObject *parent = nullptr);

    // Starts over with these positions, telling the engine it is another game.
    void evaluate(std::vector<Item> items);
    // Asks again for the position in work, as after an engine restart.
    void resume();
    int count() const { return static_cast<int>(items_.size()); }
    int done() const { return next_; }

signals:
    // The evaluation of position index (score from White's side, depth, nodes,
    // best move and line); none when the engine gave no score.
    void evaluated(int index, const std::optional<quorvane::engine::PositionEval> &eval);
    void finished();

private:
    void step();

    UciEngine &engine_;
    qint64 nodes_;
    std::vector<Item> items_;
    int next_ = 0;
    int searchId_ = -1;
    std::optional<engine::PositionEval> last_;
};

} // namespace quorvane::ui
