#include "ui/analysis_window.h"

#include "chess/game.h"
#include "engine/line.h"
#include "engine/review.h"
#include "ui/analysis_widgets.h"
#include "ui/game_evaluator.h"
#include "ui/main_window.h"
#include "ui/viewer_input.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

#include <cmath>

namespace quorvane::ui {

namespace {

constexpr const char *kNoEngine = "No chess engine found. Install the Debian package stockfish.";
// How often the review is made again while evaluations come in.
constexpr int kReviewIntervalMs = 50;

constexpr std::array<engine::Judgement, 3> kJudgements{engine::Judgement::Inaccuracy, engine::Judgement::Mistake,
                                                       engine::Judgement::Blunder};

QLabel *makeLabel(QWidget *parent, const QString &name) {
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLabel *makeLabel(QWidget *parent, const char *name) { return makeLabel(parent, QString::fromLatin1(name)); }

// Live analysis may use a second core where there are several; the graph's
// engine always uses one, so both together leave the machine usable.
int liveThreads() {
    return QThread::idealThreadCount() >= 4 ? 2 : 1;
}

QString sideName(bool white) { return white ? QStringLiteral("White") : QStringLiteral("Black"); }

QString pluralName(engine::Judgement judgement) {
    switch (judgement) {
    case engine::Judgement::Inaccuracy: return QStringLiteral("inaccuracies");
    case engine::Judgement::Mistake: return QStringLiteral("mistakes");
    case engine::Judgement::Blunder: return QStringLiteral("blunders");
    case engine::Judgement::None: break;
    }
    return {};
}

// The result where the game is over in position: "1-0", "0-1", "1/2-1/2";
// empty while there is a move to play.
QString endingOf(const chess::Position &position) {
    if (!position.legalMoves().empty())
        return {};
    if (!position.inCheck())
        return QStringLiteral("1/2-1/2");
    return position.sideToMove() == chess::Color::White ? QStringLiteral("0-1") : QStringLiteral("1-0");
}

} // namespace

AnalysisWindow::AnalysisWindow(FrmChsMain &main, AnalysisOptions options)
    : QWidget(&main, Qt::Window), main_(main), options_(std::move(options)), lines_(main.analysisLines()) {
    setObjectName(QStringLiteral("frmAnalysis"));
    setWindowTitle(QStringLiteral("Analysis"));
    review_ = new ReviewModel(this);
    reviewTimer_.setSingleShot(true);
    reviewTimer_.setInterval(kReviewIntervalMs);
    connect(&reviewTimer_, &QTimer::timeout, review_, &ReviewModel::refresh);
    connect(review_, &ReviewModel::changed, this, &AnalysisWindow::reviewChanged);
    liveClock_.setSingleShot(true);
    connect(&liveClock_, &QTimer::timeout, this, [this] {
        pauseLive(QStringLiteral("Paused after %1 s to spare the computer.").arg(options_.liveTimeLimitMs / 1000));
    });
    buildWidgets();
    shareMainWindowKeys();
    // Beside the main window, or over it where the screen has no room beside.
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
    for (int i = 0; i < kMaxLines; ++i) {
        QLabel *line = makeLabel(this, i == 0 ? QStringLiteral("lblLine") : QStringLiteral("lblLine%1").arg(i + 1));
        line->setWordWrap(true);
        line->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        line->setAccessibleName(i == 0 ? QStringLiteral("Best line") : QStringLiteral("Line %1").arg(i + 1));
        line->setVisible(i < lines_);
        lblLines_[static_cast<std::size_t>(i)] = line;
    }
    lblLines_[0]->setMinimumHeight(lblLines_[0]->fontMetrics().lineSpacing() * 2);
    lblPaused_ = makeLabel(this, "lblPaused");
    lblPaused_->hide();
    cmdGoOn_ = new QPushButton(QStringLiteral("&Go On"), this);
    cmdGoOn_->setObjectName(QStringLiteral("cmdGoOn"));
    cmdGoOn_->hide();
    connect(cmdGoOn_, &QPushButton::clicked, this, &AnalysisWindow::goOn);
    bar_ = new EvalBar(this);

    graphView_ = new GameGraph(*review_, this);
    connect(graphView_, &GameGraph::pointClicked, this, &AnalysisWindow::showPosition);
    moveList_ = new MoveList(*review_, this);
    connect(moveList_, &MoveList::moveClicked, this, &AnalysisWindow::goToMove);
    connect(moveList_, &MoveList::variationMenuRequested, this, &AnalysisWindow::variationMenu);
    connect(moveList_, &MoveList::rowCharsChanged, this, &AnalysisWindow::showRows);
    lblMove_ = makeLabel(this, "lblMove");
    lblMove_->setWordWrap(true);
    lblMove_->setAccessibleName(QStringLiteral("Shown move"));
    lblMove_->setMinimumHeight(lblMove_->fontMetrics().lineSpacing() * 2);
    lblProgress_ = makeLabel(this, "lblProgress");
    lblMissing_ = makeLabel(this, "lblMissing");
    lblMissing_->setWordWrap(true);
    lblMissing_->hide();

    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(lblStatus_, 1);
    statusRow->addWidget(cmdRestart_);
    auto *figures = new QHBoxLayout;
    figures->addWidget(lblEval_);
    figures->addWidget(lblDepth_, 1, Qt::AlignBottom);
    auto *paused = new QHBoxLayout;
    paused->addWidget(lblPaused_, 1);
    paused->addWidget(cmdGoOn_);
    auto *right = new QVBoxLayout;
    right->addLayout(figures);
    for (QLabel *line : lblLines_)
        right->addWidget(line);
    right->addLayout(paused);
    right->addStretch(1);
    auto *live = new QHBoxLayout;
    live->addWidget(bar_);
    live->addLayout(right, 1);

    auto *left = new QVBoxLayout;
    left->addLayout(live, 2);
    left->addWidget(buildReview());
    left->addWidget(graphView_, 3);
    left->addWidget(lblMissing_);
    left->addWidget(lblMove_);
    auto *body = new QHBoxLayout;
    body->addLayout(left, 3);
    body->addWidget(moveList_, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(statusRow);
    layout->addLayout(body, 1);
    layout->addWidget(lblProgress_);
    resize(760, 560);

    // The keys of the main board act here too.
    installEventFilter(this);
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

QWidget *AnalysisWindow::buildReview() {
    auto *box = new QWidget(this);
    box->setObjectName(QStringLiteral("review"));
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 4, 0, 4);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(2);
    const QStringList headings{QString(), QStringLiteral("Accuracy"), QStringLiteral("Avg. loss"),
                               QStringLiteral("Inaccuracies ?!"), QStringLiteral("Mistakes ?"),
                               QStringLiteral("Blunders ??")};
    for (int c = 0; c < headings.size(); ++c) {
        QLabel *heading = makeLabel(box, "");
        heading->setText(headings[c]);
        if (c == 2)
            heading->setToolTip(QStringLiteral("Average centipawn loss per move"));
        grid->addWidget(heading, 0, c, c >= 3 ? Qt::AlignHCenter : Qt::AlignLeft);
    }
    for (int side = 0; side < 2; ++side) {
        const bool white = side == 0;
        const QString name = sideName(white);
        auto *who = makeLabel(box, "");
        who->setText(QStringLiteral("\u25CF ") + name);
        QPalette palette = who->palette();
        palette.setColor(QPalette::WindowText, sideColor(white).darker(120));
        who->setPalette(palette);
        grid->addWidget(who, side + 1, 0);
        auto *accuracy = makeLabel(box, QStringLiteral("lbl%1Accuracy").arg(name));
        auto *acpl = makeLabel(box, QStringLiteral("lbl%1Acpl").arg(name));
        grid->addWidget(accuracy, side + 1, 1);
        grid->addWidget(acpl, side + 1, 2);
        lblAccuracy_[static_cast<std::size_t>(side)] = accuracy;
        lblAcpl_[static_cast<std::size_t>(side)] = acpl;
        for (int j = 0; j < 3; ++j) {
            const engine::Judgement judgement = kJudgements[static_cast<std::size_t>(j)];
            QString kind = pluralName(judgement);
            kind[0] = kind[0].toUpper();
            auto *count = new QPushButton(box);
            count->setObjectName(QStringLiteral("cmd%1%2").arg(name, kind));
            count->setFlat(true);
            count->setCursor(Qt::PointingHandCursor);
            // Drawn as a link: a count to click, not a command button.
            count->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0 4px; color: palette(link);"
                                                " text-decoration: underline; }"
                                                "QPushButton:disabled { color: palette(mid); text-decoration: none; }"));
            count->setToolTip(QStringLiteral("Show %1's first of these, then the next").arg(name));
            connect(count, &QPushButton::clicked, this,
                    [this, white, judgement] { goToJudged(white, static_cast<int>(judgement)); });
            grid->addWidget(count, side + 1, 3 + j, Qt::AlignHCenter);
            cmdJudged_[static_cast<std::size_t>(side)][static_cast<std::size_t>(j)] = count;
        }
    }
    grid->setColumnStretch(6, 1);
    return box;
}

void AnalysisWindow::shareMainWindowKeys() {
    // The main window's menu commands (Flip Board, Open, Analysis to close this
    // window again, ...) answer their keys while this window has the focus.
    std::function<void(QMenu *)> share = [&](QMenu *menu) {
        for (QAction *action : menu->actions()) {
            if (action->menu())
                share(action->menu());
            else if (!action->shortcuts().isEmpty())
                addAction(action);
        }
    };
    for (QAction *top : main_.menuBar()->actions())
        if (top->menu())
            share(top->menu());
}

bool AnalysisWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->window() == this)
        return stepByKey(main_, static_cast<const QKeyEvent &>(*event));
    return QWidget::eventFilter(watched, event);
}

void AnalysisWindow::startEngines() {
    const QString program = options_.locate ? options_.locate() : QString();
    if (program.isEmpty()) {
        setStatus(QString::fromLatin1(kNoEngine));
        lblProgress_->setText(QString());
        return;
    }
    program_ = program;
    // The graph's engines, one per core, beside the live one.
    evaluator_ = new GameEvaluator(
        program, UciEngine::Options{.threads = 1, .hashMb = 16, .replyTimeoutMs = options_.replyTimeoutMs},
        options_.graphEngines > 0 ? options_.graphEngines : GameEvaluator::defaultEngines(), options_.graphNodes,
        this);
    connect(evaluator_, &GameEvaluator::failed, this, &AnalysisWindow::engineFailed);
    connect(evaluator_, &GameEvaluator::evaluated, this,
            [this](int index, const std::optional<engine::PositionEval> &eval) {
                engine::GameAnalysis &analysis = main_.core().Analysis();
                if (!eval)
                    showMissing(); // given up
                if (!eval || index < 0 || static_cast<std::size_t>(index) >= analysis.size() ||
                    analysis.at(static_cast<std::size_t>(index)))
                    return;
                analysis.set(static_cast<std::size_t>(index), *eval);
                if (!reviewTimer_.isActive())
                    reviewTimer_.start();
                emit graphUpdated();
            });
    connect(evaluator_, &GameEvaluator::finished, review_, &ReviewModel::refresh);
    startLive();
}

void AnalysisWindow::startLive() {
    if (program_.isEmpty())
        return;
    live_ = std::make_unique<UciEngine>(program_, UciEngine::Options{.threads = liveThreads(),
                                                                     .hashMb = 64,
                                                                     .replyTimeoutMs = options_.replyTimeoutMs,
                                                                     .multiPv = lines_});
    connect(live_.get(), &UciEngine::info, this, [this](int id, const engine::UciInfo &info) {
        if (id == liveId_)
            showLive(info);
    });
    connect(live_.get(), &UciEngine::failed, this, &AnalysisWindow::engineFailed);
    live_->start();
}

void AnalysisWindow::setLines(int lines) {
    lines = std::clamp(lines, 1, kMaxLines);
    if (lines == lines_)
        return;
    lines_ = lines;
    for (int i = 0; i < kMaxLines; ++i)
        lblLines_[static_cast<std::size_t>(i)]->setVisible(i < lines_);
    if (!live_)
        return;
    // The engine takes the number of lines before its first search: a new
    // engine for it, searching the shown position again.
    liveId_ = -1;
    live_.reset();
    startLive();
    shownIndex_ = -1;
    follow();
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
    showMissing();
    follow();
}

void AnalysisWindow::setGraphNodes(qint64 nodes) {
    if (nodes <= 0 || nodes == options_.graphNodes)
        return;
    options_.graphNodes = nodes;
    // Without an engine what the game holds stays: nothing could replace it.
    if (!evaluator_)
        return;
    // The whole game is searched again at the new budget. Its searches are new
    // ones, so no line of the old budget's is counted, and the old budget's
    // evaluations go: until a position's new one comes the graph and the
    // review leave it out.
    evaluator_->setNodes(nodes);
    main_.core().Analysis().clearAll(); // read from the game's comments or not
    restartGraph();
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
    showMissing();
}

void AnalysisWindow::showMissing() {
    const std::vector<std::size_t> missing = evaluator_ ? evaluator_->missing() : std::vector<std::size_t>{};
    const QString text =
        missing.empty() ? QString() : QString::fromStdString(engine::missingText(missing)) + QStringLiteral(": the engine stopped.");
    lblMissing_->setText(text);
    lblMissing_->setVisible(!text.isEmpty());
    graphView_->setNote(text);
}

void AnalysisWindow::restartGraph() {
    ChsMain &core = main_.core();
    const chess::Game &game = core.ChessGame();
    positions_ = core.ChessPositions();
    moves_.clear();
    std::vector<MoveCell> cells;
    cells.reserve(game.mainLine.moves.size());
    for (std::size_t i = 0; i < game.mainLine.moves.size() && i + 1 < positions_.size(); ++i) {
        const chess::Position &before = positions_[i];
        const chess::MoveNode &node = game.mainLine.moves[i];
        moves_.push_back(node.move);
        MoveCell cell;
        cell.path.played = i + 1;
        cell.san = QString::fromStdString(node.san);
        cell.moveNumber = before.fullmoveNumber();
        cell.white = before.sideToMove() == chess::Color::White;
        cells.push_back(std::move(cell));
    }
    std::vector<QString> endings;
    endings.reserve(positions_.size());
    for (const chess::Position &position : positions_)
        endings.push_back(endingOf(position));
    engine::GameAnalysis &analysis = core.Analysis();
    if (evaluator_) {
        // One budget at a time: evaluations made at another are searched again.
        if (analysis.budget() != 0 && analysis.budget() != options_.graphNodes)
            analysis.clearAll();
        // Evaluations read from the game's comments have no budget of their
        // own; the engine only fills in what they lack.
        if (analysis.budget() != 0 || analysis.known() == 0)
            analysis.setBudget(options_.graphNodes);
    }
    review_->reset(&analysis, std::move(cells), std::move(endings));
    if (!evaluator_)
        return;
    // What the game's analysis knows already is not asked again.
    std::vector<GameEvaluator::Item> items;
    items.reserve(positions_.size());
    for (std::size_t i = 0; i < positions_.size(); ++i) {
        GameEvaluator::Item item = GameEvaluator::itemOf(positions_[i]);
        if (i < analysis.size() && analysis.at(i))
            item.known = analysis.at(i);
        items.push_back(std::move(item));
    }
    evaluator_->evaluate(std::move(items));
    showMissing();
}

void AnalysisWindow::reviewChanged() {
    const engine::GameReview &review = review_->review();
    for (int side = 0; side < 2; ++side) {
        const bool white = side == 0;
        const engine::SideReview &figures = review.side(white);
        const QString name = sideName(white);
        QLabel *accuracy = lblAccuracy_[static_cast<std::size_t>(side)];
        QLabel *acpl = lblAcpl_[static_cast<std::size_t>(side)];
        accuracy->setText(figures.accuracy ? QStringLiteral("%1%").arg(std::lround(*figures.accuracy))
                                           : QStringLiteral("\u2026"));
        accuracy->setAccessibleName(QStringLiteral("%1's accuracy: %2").arg(name, accuracy->text()));
        acpl->setText(figures.acpl ? QString::number(std::lround(*figures.acpl)) : QStringLiteral("\u2026"));
        acpl->setAccessibleName(QStringLiteral("%1's average centipawn loss: %2").arg(name, acpl->text()));
        for (int j = 0; j < 3; ++j) {
            const engine::Judgement judgement = kJudgements[static_cast<std::size_t>(j)];
            QPushButton *count = cmdJudged_[static_cast<std::size_t>(side)][static_cast<std::size_t>(j)];
            const int n = figures.count(judgement);
            count->setText(QString::number(n));
            count->setEnabled(n > 0);
            count->setAccessibleName(QStringLiteral("%1's %2: %3").arg(name, pluralName(judgement)).arg(n));
        }
    }
    const int count = review_->positions();
    const int known = review_->evaluated();
    // The budget is said when the engine made the figures; those read from the
    // game's comments have none.
    const std::int64_t nodes = main_.core().Analysis().budget();
    const QString budget =
        evaluator_ && nodes > 0 ? QStringLiteral(" at %1 nodes").arg(QLocale(QLocale::English).toString(nodes)) : QString();
    if (!evaluator_ && known == 0)
        lblProgress_->clear();
    else if (known >= count)
        lblProgress_->setText(QStringLiteral("Graph: all %1 positions evaluated%2").arg(count).arg(budget));
    else
        lblProgress_->setText(QStringLiteral("Graph: %1 of %2 positions evaluated%3").arg(known).arg(count).arg(budget));
    showMoveDetail();
}

void AnalysisWindow::showMoveDetail() {
    const int k = static_cast<int>(shownIndex_);
    if (k < 0 || k >= review_->positions()) {
        lblMove_->clear();
        return;
    }
    const auto scoreOr = [&](int index) {
        const QString s = review_->scoreText(index);
        return s.isEmpty() ? QStringLiteral("\u2026") : s;
    };
    if (k == 0) {
        lblMove_->setText(QStringLiteral("Start position: %1").arg(scoreOr(0)));
        return;
    }
    const engine::Judgement j = review_->judgement(k);
    QString text = review_->moveText(k);
    if (j != engine::Judgement::None) {
        const auto name = engine::judgementName(j);
        text = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())) + QStringLiteral(": ") + text;
        const engine::PositionEval *before = review_->eval(k - 1);
        const std::string played = chess::toUci(moves_[static_cast<std::size_t>(k - 1)]);
        if (before && !before->pv.empty() && before->pv.front() != played) {
            const std::string better = engine::sanLine(positions_[static_cast<std::size_t>(k - 1)], before->pv, 6);
            if (!better.empty())
                text += QStringLiteral("; better was ") + QString::fromStdString(better);
        }
    }
    text += QStringLiteral("\nBefore %1, after %2").arg(scoreOr(k - 1), scoreOr(k));
    lblMove_->setText(text);
}

void AnalysisWindow::goToJudged(bool white, int judgement) {
    const std::vector<int> moves = review_->judged(white, static_cast<engine::Judgement>(judgement));
    if (moves.empty())
        return;
    // The first, or the one after the shown one when it is one of them.
    const int shown = static_cast<int>(main_.core().GamePly());
    auto it = std::find(moves.begin(), moves.end(), shown);
    const int target = it == moves.end() || std::next(it) == moves.end() ? moves.front() : *std::next(it);
    showPosition(target);
}

void AnalysisWindow::follow() {
    ChsMain &core = main_.core();
    bar_->setFlipped(main_.boardFlipped());
    const std::uint64_t revision = core.lstFieldsList.Revision();
    const bool newGame = gameRevision_ != revision;
    if (newGame) {
        gameRevision_ = revision;
        restartGraph();
        if (live_)
            live_->newGame();
    }
    Variations &tried = main_.variations();
    if (newGame || treeRevision_ != tried.TreeRevision())
        showRows();
    // The list highlights the cursor's move, on the game's moves or in a variation.
    const chess::GameCursor *cursor = tried.Cursor();
    const bool offRecord = tried.OffRecord();
    if (cursor && (offRecord || static_cast<std::int64_t>(cursor->depth()) == core.GamePly()))
        moveList_->setCurrent(cursor->path());
    else
        moveList_->setCurrent(std::nullopt);
    // A variation's position, tried on the board: the live figures follow it,
    // and the graph, which is the game's, marks nothing.
    if (offRecord) {
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
    liveUnbounded_ = false;
    liveClock_.stop();
    lblPaused_->hide();
    cmdGoOn_->hide();
    if (index < 0 || static_cast<std::size_t>(index) >= positions_.size()) {
        graphView_->setMarked(std::nullopt);
        livePosition_.reset();
        liveId_ = -1;
        if (live_)
            live_->stop();
        const chess::Game &game = core.ChessGame();
        const QString reason =
            game.stop() ? QString::fromStdString(chess::describeStop(game.start, *game.stop())) : QString();
        clearLive(reason.isEmpty() ? QStringLiteral("Not a legal chess position.")
                                   : QStringLiteral("Not a legal chess position: %1").arg(reason));
        showMoveDetail();
        return;
    }
    graphView_->setMarked(static_cast<int>(index));
    showMoveDetail();
    analyseLive(positions_[static_cast<std::size_t>(index)]);
}

void AnalysisWindow::analyseLive(const chess::Position &position) {
    livePosition_ = position;
    clearLive(engineProblem());
    if (const auto final = engine::finalScore(*livePosition_)) {
        liveId_ = -1;
        if (live_)
            live_->stop();
        // Where the game is over there is nothing to search: say how it ended.
        lblEval_->setText(endingOf(*livePosition_));
        lblLines_[0]->setText(final->isMate ? QStringLiteral("Checkmate") : QStringLiteral("Stalemate"));
        bar_->setScore(final);
        emit liveUpdated();
        return;
    }
    if (live_) {
        liveId_ = live_->analyse(QString::fromStdString(livePosition_->toFen()));
        liveClock_.start(options_.liveTimeLimitMs);
    }
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
    for (QLabel *line : lblLines_)
        line->clear();
    bar_->setScore(std::nullopt);
    emit liveUpdated();
}

void AnalysisWindow::showLive(const engine::UciInfo &info) {
    // Bound scores are guesses on the way to the real one.
    if (!livePosition_ || info.multipv < 1 || info.multipv > lines_ || info.lowerbound || info.upperbound ||
        info.pv.empty())
        return;
    const auto score = engine::whiteScore(info, livePosition_->sideToMove() == chess::Color::White);
    if (!score)
        return;
    const QString line = QString::fromStdString(engine::sanLine(*livePosition_, info.pv, 10));
    const QString scoreText = QString::fromStdString(engine::formatScore(*score));
    QLabel *label = lblLines_[static_cast<std::size_t>(info.multipv - 1)];
    // With several lines each carries its score; the first one's is also the big one.
    label->setText(lines_ > 1 ? scoreText + QStringLiteral("  ") + line : line);
    if (info.multipv == 1) {
        lblEval_->setText(scoreText);
        lblDepth_->setText(info.depth ? QStringLiteral("Depth %1").arg(*info.depth) : QString());
        bar_->setScore(score);
    }
    emit liveUpdated();
    // The last line of a depth that reaches the bound ends the search.
    if (!liveUnbounded_ && info.multipv == lines_ && info.depth && *info.depth >= options_.liveDepthLimit)
        pauseLive(QStringLiteral("Paused at depth %1 to spare the computer.").arg(*info.depth));
}

void AnalysisWindow::pauseLive(const QString &why) {
    if (!live_ || liveId_ < 0 || liveUnbounded_)
        return;
    liveClock_.stop();
    live_->stop();
    liveId_ = -1;
    lblPaused_->setText(why);
    lblPaused_->show();
    cmdGoOn_->show();
}

void AnalysisWindow::goOn() {
    lblPaused_->hide();
    cmdGoOn_->hide();
    if (!live_ || !livePosition_)
        return;
    liveUnbounded_ = true;
    liveId_ = live_->analyse(QString::fromStdString(livePosition_->toFen()));
}

void AnalysisWindow::showRows() {
    Variations &tried = main_.variations();
    const chess::Game *game = tried.Game();
    treeRevision_ = tried.TreeRevision();
    moveList_->moves()->setRows(game ? moveRows(*game, moves_, static_cast<std::size_t>(moveList_->rowChars()))
                                     : std::vector<MoveRow>{});
}

void AnalysisWindow::goToMove(const chess::GamePath &path, int gamePly) {
    // The game's own moves on its main line step the record as Next and Back
    // do; anywhere else the cursor goes there.
    if (path.onMainLine() && gamePly > 0 && static_cast<std::size_t>(gamePly) == path.played) {
        showPosition(gamePly);
        return;
    }
    main_.variations().GoTo(path);
    main_.refresh();
}

void AnalysisWindow::variationMenu(const std::vector<chess::PathStep> &steps, const QPoint &globalPos) {
    Variations &tried = main_.variations();
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("mnuVariation"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *remove = menu->addAction(QStringLiteral("Delete Variation"), this, [this, steps] {
        main_.variations().DeleteVariation(steps);
        main_.refresh();
    });
    remove->setObjectName(QStringLiteral("mnuVariationDelete"));
    // The game's own moves stay, even where a promotion made them a variation.
    remove->setEnabled(tried.CanDeleteVariation(steps));
    QAction *promote = menu->addAction(QStringLiteral("Promote to Main Line"), this, [this, steps] {
        main_.variations().PromoteToMainLine(steps);
        main_.refresh();
    });
    promote->setObjectName(QStringLiteral("mnuVariationPromote"));
    // Not waiting here: the menu is open while the window goes on.
    menu->popup(globalPos);
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
