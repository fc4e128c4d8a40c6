#pragma once
// The whole-game pass on the window's event loop: every position of a game
// evaluated at a fixed node budget by several engine processes side by side
// (the core's GamePass decides who takes which position), in the background;
// each result arrives as a signal while the caller goes on.

#include "chess/position.h"
#include "engine/game_analysis.h"
#include "engine/game_pass.h"
#include "engine/uci.h"
#include "platform/qt/uci_engine.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace quorvane::ui {

class GameEvaluator : public QObject {
    Q_OBJECT
public:
    struct Item {
        QString fen;
        bool whiteToMove = true;
        // Set where the answer is known without asking an engine: the game is
        // over there, or the position was evaluated before.
        std::optional<engine::PositionEval> known;
    };

    // The item for a position: its FEN, and the score already where the game
    // is over there.
    static Item itemOf(const chess::Position &position);

    // engines processes of program (at least one), each with options; they
    // start at once.
    GameEvaluator(const QString &program, UciEngine::Options options, int engines, qint64 nodes,
                  QObject *parent = nullptr);
    ~GameEvaluator() override;

    // Starts over with these positions, telling the engines it is another game.
    void evaluate(std::vector<Item> items);
    // The node budget from the next evaluate on; until then the running pass
    // keeps its own, so one pass never mixes two budgets.
    void setNodes(qint64 nodes) { nodes_ = nodes; }
    qint64 nodes() const { return nodes_; }
    // Starts the failed engines again; their positions are searched anew.
    void resume();
    int count() const { return static_cast<int>(pass_.total()); }
    int done() const { return static_cast<int>(pass_.finished()); }
    // What the pass found so far, per position.
    const engine::GameAnalysis *analysis() const { return pass_.games() ? &pass_.analysis(0) : nullptr; }

    int engineCount() const { return static_cast<int>(engines_.size()); }
    UciEngine *engine(int index) const { return engines_[static_cast<std::size_t>(index)]->engine.get(); }
    // The positions the pass cannot evaluate now: given up after failed
    // searches, and every one left while all its engines have failed.
    std::vector<std::size_t> missing() const { return pass_.games() ? pass_.missing(0) : std::vector<std::size_t>{}; }
    // The first failed engine's message; empty while all work.
    QString problem() const;

    // The default number of engines: one per core, at least one.
    static int defaultEngines();

signals:
    // The evaluation of position index (score from White's side, depth, nodes,
    // best move and line); none when the engine gave no score.
    void evaluated(int index, const std::optional<quorvane::engine::PositionEval> &eval);
    void finished();
    void failed(const QString &message);

private:
    struct Slot : engine::PassEngine {
        std::unique_ptr<UciEngine> engine;
        int analyse(const std::string &fen, std::int64_t nodes) override {
            return engine->analyse(QString::fromStdString(fen), nodes);
        }
    };

    qint64 nodes_;
    engine::GamePass pass_;
    std::vector<std::unique_ptr<Slot>> engines_;
};

} // namespace quorvane::ui
