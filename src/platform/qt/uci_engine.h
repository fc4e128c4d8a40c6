#pragma once
// A UCI chess engine in a child process, spoken to without ever blocking the
// caller: commands are written as they come, replies arrive as signals. Only
// shutting down waits, and only for a bounded time.
//
// A new position while a search runs stops that search and waits for its
// bestmove before the new one starts; lines that still arrive from the old
// search are dropped, so a line is never reported for a position it was not
// searched in. Each search has an id, and every report carries it.

#include "engine/uci.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class QProcess;

namespace quorvane {

class UciEngine : public QObject {
    Q_OBJECT
public:
    enum class State {
        Off,       // not started, or shut down
        Starting,  // waiting for uciok
        Syncing,   // waiting for readyok
        Ready,     // idle
        Searching, // a search runs; its lines are reported
        Stopping,  // stop sent, waiting for the old search's bestmove
        Failed,    // could not start, stopped by itself, or stopped answering
    };
    struct Options {
        int threads = 1;
        int hashMb = 16;
        // How long the engine may take to answer uci, isready or stop.
        int replyTimeoutMs = 5000;
        // How long quit may take at shutdown before the process is killed.
        int quitTimeoutMs = 1000;
        // How many best lines each search reports (UCI's MultiPV).
        int multiPv = 1;
    };

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

    State state() const { return state_; }
    QString program() const { return program_; }
    QString errorText() const { return error_; }
    qint64 processId() const;

signals:
    void ready();
    void info(int searchId, const quorvane::engine::UciInfo &info);
    // A search that ended by itself (nodes reached); stopped searches report nothing.
    void bestMove(int searchId, const QString &move);
    void failed(const QString &message);

private:
    struct Request {
        int id;
        QString fen;
        qint64 nodes;
    };
    void send(const QByteArray &command);
    void expectReply();
    void readOutput();
    void handleLine(const QByteArray &line);
    void nextStep(); // in Ready: sync for a new game, or begin the pending search
    void fail(const QString &message);
    void endProcess(bool graceful);

    QString program_;
    Options options_;
    QProcess *process_ = nullptr;
    QTimer watchdog_;
    State state_ = State::Off;
    QString error_;
    std::optional<Request> pending_;
    bool newGamePending_ = false;
    bool startupSync_ = false;
    int activeId_ = 0;
    int nextId_ = 0;
};

} // namespace quorvane
