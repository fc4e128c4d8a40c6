#include "platform/qt/uci_engine.h"

#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>

namespace quorvane {

UciEngine::UciEngine(QString program, Options options, QObject *parent)
    : QObject(parent), program_(std::move(program)), options_(options) {
    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, [this] { fail(QStringLiteral("The chess engine does not answer.")); });
}

UciEngine::~UciEngine() {
    shutdown();
}

QString UciEngine::locate() {
    const QString named = qEnvironmentVariable("QUORVANE_ENGINE");
    if (!named.isEmpty()) {
        // A bare name is looked up on PATH; anything else is taken as a path.
        const QString found = named.contains(u'/') ? QString() : QStandardPaths::findExecutable(named);
        return found.isEmpty() ? named : found;
    }
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("stockfish"));
    if (!onPath.isEmpty())
        return onPath;
    const QFileInfo debian(QStringLiteral("/usr/games/stockfish"));
    return debian.isExecutable() ? debian.filePath() : QString();
}

qint64 UciEngine::processId() const {
    return process_ ? process_->processId() : 0;
}

void UciEngine::start() {
    if (process_)
        return;
    error_.clear();
    process_ = new QProcess(this);
    process_->setStandardErrorFile(QProcess::nullDevice());
    connect(process_, &QProcess::readyReadStandardOutput, this, &UciEngine::readOutput);
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            fail(QStringLiteral("The chess engine could not be started: %1").arg(program_));
    });
    connect(process_, &QProcess::finished, this,
            [this] { fail(QStringLiteral("The chess engine stopped unexpectedly.")); });
    state_ = State::Starting;
    process_->start(program_, {});
    if (state_ != State::Starting)
        return; // failed to start, already reported
    send("uci");
    expectReply();
}

void UciEngine::restart() {
    const auto pending = pending_;
    endProcess(true);
    pending_ = pending;
    newGamePending_ = false;
    state_ = State::Off;
    start();
}

int UciEngine::analyse(const QString &fen, qint64 nodes) {
    const int id = ++nextId_;
    pending_ = Request{id, fen, nodes};
    if (state_ == State::Ready) {
        nextStep();
    } else if (state_ == State::Searching) {
        send("stop");
        state_ = State::Stopping;
        expectReply();
    }
    return id;
}

void UciEngine::newGame() {
    newGamePending_ = true;
    if (state_ == State::Ready)
        nextStep();
}

void UciEngine::stop() {
    pending_.reset();
    if (state_ == State::Searching) {
        send("stop");
        state_ = State::Stopping;
        expectReply();
    }
}

void UciEngine::shutdown() {
    endProcess(true);
    pending_.reset();
    newGamePending_ = false;
    if (state_ != State::Failed)
        state_ = State::Off;
}

void UciEngine::endProcess(bool graceful) {
    watchdog_.stop();
    if (!process_)
        return;
    QProcess *process = process_;
    process_ = nullptr;
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater(); // this may run inside one of its signals
        return;
    }
    if (graceful) {
        process->write("stop\nquit\n");
        if (!process->waitForFinished(options_.quitTimeoutMs)) {
            process->kill();
            process->waitForFinished(1000);
        }
        process->deleteLater();
        return;
    }
    // A broken engine is killed without waiting; the process is reaped when it
    // has ended, or waited for when this engine object goes.
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->kill();
}

void UciEngine::send(const QByteArray &command) {
    if (process_)
        process_->write(command + '\n');
}

void UciEngine::expectReply() {
    watchdog_.start(options_.replyTimeoutMs);
}

void UciEngine::readOutput() {
    // A slot may shut this engine down; stop reading then.
    QPointer<QProcess> process = process_;
    while (process && process == process_ && process->canReadLine())
        handleLine(process->readLine());
}

void UciEngine::handleLine(const QByteArray &line) {
    const engine::UciMessage message = engine::parseUciLine(std::string_view(line.constData(), line.size()));
    switch (message.kind) {
    case engine::UciKind::UciOk:
        if (state_ == State::Starting) {
            send(QByteArray("setoption name Threads value ") + QByteArray::number(options_.threads));
            send(QByteArray("setoption name Hash value ") + QByteArray::number(options_.hashMb));
            if (options_.multiPv > 1)
                send(QByteArray("setoption name MultiPV value ") + QByteArray::number(options_.multiPv));
            send("isready");
            state_ = State::Syncing;
            startupSync_ = true;
            expectReply();
        }
        break;
    case engine::UciKind::ReadyOk:
        if (state_ == State::Syncing) {
            watchdog_.stop();
            const bool startup = startupSync_;
            startupSync_ = false;
            state_ = State::Ready;
            if (startup)
                emit ready();
            nextStep();
        }
        break;
    case engine::UciKind::Info:
        // Only the running search's lines; a stopping search's are stale.
        if (state_ == State::Searching)
            emit info(activeId_, message.info);
        break;
    case engine::UciKind::BestMove:
        if (state_ == State::Searching) {
            state_ = State::Ready;
            const int id = activeId_;
            emit bestMove(id, QString::fromLatin1(message.bestMove.c_str()));
            if (state_ == State::Ready)
                nextStep();
        } else if (state_ == State::Stopping) {
            watchdog_.stop();
            state_ = State::Ready;
            nextStep();
        }
        break;
    default:
        break;
    }
}

void UciEngine::nextStep() {
    if (newGamePending_) {
        newGamePending_ = false;
        send("ucinewgame");
        send("isready");
        state_ = State::Syncing;
        expectReply();
        return;
    }
    if (!pending_)
        return;
    const Request request = *pending_;
    pending_.reset();
    activeId_ = request.id;
    send("position fen " + request.fen.toUtf8());
    send(request.nodes > 0 ? "go nodes " + QByteArray::number(request.nodes) : QByteArray("go infinite"));
    state_ = State::Searching;
}

void UciEngine::fail(const QString &message) {
    if (state_ == State::Failed || state_ == State::Off)
        return;
    endProcess(false);
    state_ = State::Failed;
    error_ = message;
    emit failed(message);
}

} // namespace quorvane
