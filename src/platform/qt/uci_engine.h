#pragma once
// The window's chess engine: the core's UciClient on Qt's event loop. A socket
// notifier on the engine's output pipe and a timer for its deadline hand over
// control, so nothing here ever blocks the caller except shutting down, and
// only for a bounded time. Replies arrive as signals.
//
// The engine's lines are coalesced before they are reported: of a search's
// info lines only the latest of each multipv line (the latest exact one and
// the latest bound) is kept and delivered at most every 16 ms, so an engine
// that floods its output cannot hold the window at full CPU. A search's held
// lines are delivered before its bestmove, and dropped when another position
// is asked for.

#include "engine/uci.h"
#include "engine/uci_client.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <map>
#include <memory>
#include <utility>

class QSocketNotifier;

namespace quorvane {

class UciEngine : public QObject {
    Q_OBJECT
public:
    using State = engine::UciClient::State;
    // The client's own options: threads, hash, reply and quit timeouts, the
    // watchdog's time per node, the longest line and MultiPV.
    using Options = engine::UciClient::Options;
    // How often held info lines are delivered at most: a screen's frame.
    static constexpr int kDeliveryMs = 16;
    // How much of the engine's output is read in one frame at most; an engine
    // that writes more waits for the pipe, which bounds the CPU a flood costs.
    static constexpr std::size_t kReadBudget = 64 * 1024;

    UciEngine(QString program, Options options, QObject *parent = nullptr);
    ~UciEngine() override; // shuts the engine down

    // The engine to use: $QUORVANE_ENGINE when set, else stockfish on PATH, else
    // /usr/games/stockfish; empty when there is none.
    static QString locate();

    void start();
    // Shuts down and starts again; a position asked for meanwhile is kept.
    void restart();
    // Searches fen, without end when nodes is 0, else for that many nodes.
    // Returns the search's id. Replaces any search asked for and not yet begun.
    int analyse(const QString &fen, qint64 nodes = 0);
    // Tells the engine the next positions are from another game.
    void newGame();
    // Ends the running search, if any; its remaining lines are dropped.
    void stop();
    // quit, then kill when it has not ended in time. Waits; for the end only.
    void shutdown();

    State state() const { return client_->state(); }
    QString program() const { return program_; }
    QString errorText() const { return QString::fromStdString(client_->errorText()); }
    qint64 processId() const { return client_->processId(); }

signals:
    void ready();
    void info(int searchId, const quorvane::engine::UciInfo &info);
    // A search that ended by itself (nodes reached); stopped searches report nothing.
    void bestMove(int searchId, const QString &move);
    void failed(const QString &message);

private:
    // What the client says, before it becomes a signal.
    struct Forward : engine::UciClient::Listener {
        UciEngine &engine;
        explicit Forward(UciEngine &e) : engine(e) {}
        void ready() override { emit engine.ready(); }
        void info(int searchId, const engine::UciInfo &info) override { engine.hold(searchId, info); }
        void bestMove(int searchId, const std::string &move) override { engine.ended(searchId, move); }
        void failed(const std::string &message) override {
            engine.dropHeld();
            emit engine.failed(QString::fromStdString(message));
        }
    };
    void hold(int searchId, const engine::UciInfo &info);
    void ended(int searchId, const std::string &move);

    // After every call into the client: watch its current pipe, time its deadline.
    void follow();
    void deliverHeld();
    void readOutput();
    void dropHeld();

    QString program_;
    Forward forward_{*this};
    std::unique_ptr<engine::UciClient> client_;
    QSocketNotifier *notifier_ = nullptr;
    int watchedFd_ = -1;
    QTimer deadline_;
    QTimer delivery_;
    QTimer throttle_; // while running, the pipe is not watched
    // Held info lines of one search: (multipv, is a bound) -> (arrival, line).
    int heldId_ = 0;
    std::map<std::pair<int, bool>, std::pair<std::uint64_t, engine::UciInfo>> held_;
    std::uint64_t arrivals_ = 0;
};

} // namespace quorvane
