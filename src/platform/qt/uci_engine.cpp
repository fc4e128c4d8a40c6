#include "platform/qt/uci_engine.h"

#include <QSocketNotifier>

#include <algorithm>
#include <vector>

namespace quorvane {

UciEngine::UciEngine(QString program, Options options, QObject *parent)
    : QObject(parent), program_(std::move(program)) {
    client_ = std::make_unique<engine::UciClient>(program_.toStdString(), options, forward_);
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        client_->checkDeadline();
        follow();
    });
    delivery_.setSingleShot(true);
    delivery_.setInterval(kDeliveryMs);
    connect(&delivery_, &QTimer::timeout, this, &UciEngine::deliverHeld);
    throttle_.setSingleShot(true);
    throttle_.setInterval(kDeliveryMs);
    connect(&throttle_, &QTimer::timeout, this, [this] {
        if (notifier_)
            notifier_->setEnabled(true);
    });
}

UciEngine::~UciEngine() {
    shutdown();
}

QString UciEngine::locate() {
    return QString::fromStdString(engine::locateEngine());
}

void UciEngine::start() {
    client_->start();
    follow();
}

void UciEngine::restart() {
    dropHeld();
    client_->restart();
    follow();
}

int UciEngine::analyse(const QString &fen, qint64 nodes) {
    dropHeld();
    const int id = client_->analyse(fen.toStdString(), nodes);
    follow();
    return id;
}

void UciEngine::newGame() {
    client_->newGame();
    follow();
}

void UciEngine::stop() {
    dropHeld();
    client_->stop();
    follow();
}

void UciEngine::shutdown() {
    dropHeld();
    client_->shutdown();
    follow();
}

void UciEngine::follow() {
    const int fd = client_->outputFd();
    if (fd != watchedFd_) {
        if (notifier_) {
            notifier_->setEnabled(false);
            notifier_->deleteLater(); // this may run inside its own signal
            notifier_ = nullptr;
        }
        watchedFd_ = fd;
        if (fd >= 0) {
            notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
            connect(notifier_, &QSocketNotifier::activated, this, &UciEngine::readOutput);
            if (throttle_.isActive())
                throttle_.stop();
        }
    }
    if (const auto due = client_->deadline()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(*due - engine::UciClient::Clock::now()).count();
        deadline_.start(static_cast<int>(std::clamp<long long>(left + 1, 0, 24LL * 3600 * 1000)));
    } else {
        deadline_.stop();
    }
}

void UciEngine::readOutput() {
    QSocketNotifier *notifier = notifier_;
    const std::size_t read = client_->readAvailable(kReadBudget);
    if (read >= kReadBudget && notifier == notifier_ && notifier_) {
        notifier_->setEnabled(false);
        throttle_.start();
    }
    follow();
}

void UciEngine::hold(int searchId, const engine::UciInfo &line) {
    if (searchId != heldId_)
        dropHeld();
    heldId_ = searchId;
    held_[{line.multipv, line.lowerbound || line.upperbound}] = {arrivals_++, line};
    if (!delivery_.isActive())
        delivery_.start();
}

void UciEngine::ended(int searchId, const std::string &move) {
    if (searchId == heldId_)
        deliverHeld();
    else
        dropHeld();
    emit bestMove(searchId, QString::fromStdString(move));
}

void UciEngine::deliverHeld() {
    delivery_.stop();
    std::vector<std::pair<std::uint64_t, engine::UciInfo>> lines;
    for (auto &[key, line] : held_)
        lines.push_back(std::move(line));
    held_.clear();
    std::sort(lines.begin(), lines.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    const int id = heldId_;
    for (const auto &[arrival, line] : lines)
        emit info(id, line);
}

void UciEngine::dropHeld() {
    delivery_.stop();
    held_.clear();
}

} // namespace quorvane
