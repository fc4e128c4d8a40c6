#include "ui/analysis_window.h"

#include "chess/record_game.h"
#include "engine/line.h"
#include "ui/analysis_widgets.h"
#include "ui/game_evaluator.h"
#include "ui/main_window.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

namespace quorvane::ui {

namespace {

constexpr const char *kNoEngine = "No chess engine found. Install the Debian package stockfish.";

QLabel *makeLabel(QWidget *parent, const char *name) {
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// Live analysis may use a second core where there are several; the graph's
// engine always uses one, so both together leave the machine usable.
int liveThreads() {
    return QThread::idealThreadCount() >= 4 ? 2 : 1;
}

} // namespace

AnalysisWindow::AnalysisWindow(FrmChsMain &main, AnalysisOptions options)
    : QWidget(&main, Qt::Window), main_(main), options_(std::move(options)) {
    setObjectName(QStringLiteral("frmAnalysis"));
    setWindowTitle(QStringLiteral("Analysis"));
    buildWidgets();
    // Beside the main window, or over it where the screen has no room beside.
    resize(sizeHint());
    placeBeside(*this, main);
    startEngines();
    follow();
}

UciEngine *AnalysisWindow::graphEngine() const {
    return evaluator_ ? evaluator_->engine(0) : nullptr;
}

AnalysisWindow::~AnalysisWindow() {
    // The evaluator listens to the graph engine: it goes first.
    delete evaluator_;
    live_.reset();
}

void AnalysisWindow::buildWidgets() {
    lblStatus_ = makeLabel(this, "lblStatus");
    lblStatus_->setWordWrap(true);
    cmdRestart_ = new QPushButton(QStringLiteral("&Restart"), this);
    cmdRestart_->setObjectName(QStringLiteral("cmdRestart"));
    cmdRestart_->hide();
    connect(cmdRestart_, &QPushButton::clicked, this, &AnalysisWindow::restartEngines);

    lblEval_ = makeLabel(this, "lblEval");
    QFont big = lblEval_->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    lblEval_->setFont(big);
    lblEval_->setAccessibleName(QStringLiteral("Evaluation"));
    lblEval_->setMinimumWidth(lblEval_->fontMetrics().horizontalAdvance(QStringLiteral("+00.0")));
    lblDepth_ = makeLabel(this, "lblDepth");
    lblLine_ = makeLabel(this, "lblLine");
    lblLine_->setWordWrap(true);
    lblLine_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblLine_->setAccessibleName(QStringLiteral("Best line"));
    lblLine_->setMinimumHeight(lblLine_->fontMetrics().lineSpacing() * 2);
    bar_ = new EvalBar(this);
    graphView_ = new GameGraph(this);
    connect(graphView_, &GameGraph::pointClicked, this, &AnalysisWindow::showPosition);
    lblProgress_ = makeLabel(this, "lblProgress");

    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(lblStatus_, 1);
    statusRow->addWidget(cmdRestart_);
    auto *figures = new QHBoxLayout;
    figures->addWidget(lblEval_);
    figures->addWidget(lblDepth_, 1, Qt::AlignBottom);
    auto *right = new QVBoxLayout;
    right->addLayout(figures);
    right->addWidget(lblLine_, 1);
    auto *top = new QHBoxLayout;
    top->addWidget(bar_);
    top->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(statusRow);
    layout->addLayout(top, 1);
    layout->addWidget(graphView_, 1);
    layout->addWidget(lblProgress_);
    resize(440, 400);
}

void AnalysisWindow::startEngines() {
    const QString program = options_.locate ? options_.locate() : QString();
    if (program.isEmpty()) {
        setStatus(QString::fromLatin1(kNoEngine));
        lblProgress_->setText(QString());
        return;
    }
    live_ = std::make_unique<UciEngine>(
        program, UciEngine::Options{.threads = liveThreads(), .hashMb = 64, .replyTimeoutMs = options_.replyTimeoutMs});
    // The graph's engines, one per core, beside the live one.
    evaluator_ = new GameEvaluator(
        program, UciEngine::Options{.threads = 1, .hashMb = 16, .replyTimeoutMs = options_.replyTimeoutMs},
        options_.graphEngines > 0 ? options_.graphEngines : GameEvaluator::defaultEngines(), options_.graphNodes,
        this);
    connect(live_.get(), &UciEngine::info, this, [this](int id, const engine::UciInfo &info) {
        if (id == liveId_)
            showLive(info);
    });
    connect(live_.get(), &UciEngine::failed, this, &AnalysisWindow::engineFailed);
    connect(evaluator_, &GameEvaluator::failed, this, &AnalysisWindow::engineFailed);
    connect(evaluator_, &GameEvaluator::evaluated, this, [this](int index, std::optional<engine::Score> score) {
        graphView_->setEvaluation(index, score);
        updateProgress();
        emit graphUpdated();
    });
    live_->start();
}

void AnalysisWindow::restartEngines() {
    cmdRestart_->hide();
    setStatus({});
    if (!live_)
        return;
    // Only a failed engine starts again; the other keeps its search.
    if (live_->state() == UciEngine::State::Failed) {
        live_->restart();
        shownIndex_ = -1; // search the shown position again
    }
    evaluator_->resume();
    follow();
}

QString AnalysisWindow::engineProblem() const {
    if (!live_)
        return QString::fromLatin1(kNoEngine);
    if (live_->state() == UciEngine::State::Failed)
        return live_->errorText();
    return evaluator_->problem();
}

void AnalysisWindow::engineFailed(const QString &message) {
    setStatus(message);
    cmdRestart_->show();
}

void AnalysisWindow::restartGraph() {
    const std::vector<chess::Position> &positions = main_.core().ChessPositions();
    const bool whiteFirst = positions.front().sideToMove() == chess::Color::White;
    graphView_->reset(static_cast<int>(positions.size()), whiteFirst);
    if (!evaluator_)
        return;
    std::vector<GameEvaluator::Item> items;
    items.reserve(positions.size());
    for (const chess::Position &position : positions)
        items.push_back({QString::fromStdString(position.toFen()), position.sideToMove() == chess::Color::White,
                         engine::finalScore(position)});
    evaluator_->evaluate(std::move(items));
    updateProgress();
}

void AnalysisWindow::updateProgress() {
    if (!evaluator_)
        return;
    const int count = graphView_->count();
    lblProgress_->setText(
        graphView_->evaluated() >= count
            ? QStringLiteral("Graph: all %1 positions evaluated").arg(count)
            : QStringLiteral("Graph: %1 of %2 positions evaluated").arg(graphView_->evaluated()).arg(count));
}

void AnalysisWindow::follow() {
    ChsMain &core = main_.core();
    const std::uint64_t revision = core.lstFieldsList.Revision();
    const bool newGame = gameRevision_ != revision;
    if (newGame) {
        gameRevision_ = revision;
        restartGraph();
        if (live_)
            live_->newGame();
    }
    // A variation's position, tried on the board: the live figures follow it,
    // and the graph, which is the game's, marks nothing.
    Variations &tried = main_.variations();
    if (tried.OffRecord()) {
        const std::optional<chess::Position> position = tried.BoardPosition();
        const std::string fen = position ? position->toFen() : std::string();
        if (!newGame && fen == shownVariationFen_)
            return;
        shownVariationFen_ = fen;
        shownIndex_ = -2; // whatever the record's position, it is new when the board comes back
        graphView_->setMarked(std::nullopt);
        if (position)
            analyseLive(*position);
        return;
    }
    shownVariationFen_.clear();
    const std::int64_t index = core.GamePly();
    if (!newGame && index == shownIndex_)
        return;
    shownIndex_ = index;
    const chess::Game &game = core.ChessGame();
    const std::vector<chess::Position> &positions = core.ChessPositions();
    if (index < 0 || static_cast<std::size_t>(index) >= positions.size()) {
        graphView_->setMarked(std::nullopt);
        livePosition_.reset();
        liveId_ = -1;
        if (live_)
            live_->stop();
        const QString reason =
            game.stop() ? QString::fromStdString(chess::describeStop(game.start, *game.stop())) : QString();
        clearLive(reason.isEmpty() ? QStringLiteral("Not a legal chess position.")
                                   : QStringLiteral("Not a legal chess position: %1").arg(reason));
        return;
    }
    graphView_->setMarked(static_cast<int>(index));
    analyseLive(positions[static_cast<std::size_t>(index)]);
}

void AnalysisWindow::analyseLive(const chess::Position &position) {
    livePosition_ = position;
    clearLive(engineProblem());
    if (const auto final = engine::finalScore(*livePosition_)) {
        liveId_ = -1;
        if (live_)
            live_->stop();
        lblEval_->setText(QString::fromStdString(engine::formatScore(*final)));
        lblLine_->setText(final->isMate ? QStringLiteral("Checkmate") : QStringLiteral("Stalemate"));
        bar_->setScore(final);
        emit liveUpdated();
        return;
    }
    if (live_)
        liveId_ = live_->analyse(QString::fromStdString(livePosition_->toFen()));
}

void AnalysisWindow::setStatus(const QString &text) {
    // Shown only when there is something to say, so the figures sit at the top.
    lblStatus_->setText(text);
    lblStatus_->setVisible(!text.isEmpty());
}

void AnalysisWindow::clearLive(const QString &status) {
    setStatus(status);
    lblEval_->clear();
    lblDepth_->clear();
    lblLine_->clear();
    bar_->setScore(std::nullopt);
    emit liveUpdated();
}

void AnalysisWindow::showLive(const engine::UciInfo &info) {
    // Bound scores are guesses on the way to the real one, and only the first
    // line of several is the best.
    if (!livePosition_ || info.multipv != 1 || info.lowerbound || info.upperbound || info.pv.empty())
        return;
    const auto score = engine::whiteScore(info, livePosition_->sideToMove() == chess::Color::White);
    if (!score)
        return;
    lblEval_->setText(QString::fromStdString(engine::formatScore(*score)));
    lblDepth_->setText(info.depth ? QStringLiteral("Depth %1").arg(*info.depth) : QString());
    lblLine_->setText(QString::fromStdString(engine::sanLine(*livePosition_, info.pv, 10)));
    bar_->setScore(score);
    emit liveUpdated();
}

void AnalysisWindow::showPosition(int index) {
    ChsMain &core = main_.core();
    // The graph is the game's: a click on it leaves any variation for the game.
    main_.variations().ReturnToRecord();
    const std::int64_t target = core.FieldsPositionOfPly(index);
    // Each click must move, or the target is out of reach (past the record's end).
    while (core.Position() < target) {
        const std::int64_t before = core.Position();
        core.cmdNext_Click();
        if (core.Position() == before)
            break;
    }
    while (core.Position() > target) {
        const std::int64_t before = core.Position();
        core.cmdBack_Click();
        if (core.Position() == before)
            break;
    }
    main_.refresh();
}

} // namespace quorvane::ui
