#include "ui/game_list_dialog.h"

#include "logic/game_scan.h"
#include "ui/text_codec.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace quorvane::ui {

namespace {

constexpr const char *kHeaders[GameList::ColumnCount] = {"#",     "White", "Black", "Result", "Date",
                                                         "Event", "Round", "ECO",   "Moves"};
// Column widths in average characters: room for the usual tag, not the longest.
constexpr int kWidths[GameList::ColumnCount] = {6, 20, 20, 7, 13, 22, 6, 5, 6};

constexpr int kProgressSteps = 1000;

bool IsNumberColumn(int column) { return column == GameList::Number || column == GameList::Moves; }

} // namespace

GameListModel::GameListModel(GameList &list, QObject *parent) : QAbstractTableModel(parent), list_(list) {}

int GameListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(list_.shown().size());
}

int GameListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : GameList::ColumnCount; }

QVariant GameListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::TextAlignmentRole && IsNumberColumn(index.column()))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    const auto column = static_cast<GameList::Column>(index.column());
    return shownUtf8(list_.text(gameAt(index.row()), column));
}

QVariant GameListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= GameList::ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromLatin1(kHeaders[section]);
}

void GameListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= GameList::ColumnCount)
        return;
    beginResetModel();
    list_.sortBy(static_cast<GameList::Column>(column), order == Qt::AscendingOrder);
    endResetModel();
}

void GameListModel::setFilter(const QString &filter) {
    const QByteArray text = filter.toUtf8();
    beginResetModel();
    list_.setFilter(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    endResetModel();
}

std::size_t GameListModel::gameAt(int row) const { return list_.shown()[static_cast<std::size_t>(row)]; }

void GameListModel::append(GameList &&games) {
    const std::size_t kept = list_.keptOf(games);
    if (kept == 0) {
        list_.append(std::move(games));
        return;
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(kept) - 1);
    list_.append(std::move(games));
    endInsertRows();
}

// Games the scan found, made into rows on its thread, taken in on the window's.
struct GameListDialog::Chunk {
    GameList games;
    std::vector<GameChooser::Span> spans;
    std::uint64_t scanned = 0;
    bool last = false;
};

GameListDialog::GameListDialog(GameList &list, const QString &what, QWidget *parent)
    : QDialog(parent), list_(list), what_(what) {
    setObjectName(QStringLiteral("frmChooseGame"));
    setWindowTitle(QStringLiteral("Choose a Game"));
    setModal(true);

    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("lblGameCount"));
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("txtFilter"));
    filter_->setPlaceholderText(QStringLiteral("Filter: player, event, year, ECO, any word of the tags"));
    filter_->setClearButtonEnabled(true);
    filter_->installEventFilter(this);

    model_ = new GameListModel(list_, this);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("lstGames"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->setTextElideMode(Qt::ElideRight);
    table_->verticalHeader()->hide();
    // Every row the same height, set once: nothing is measured per row.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    table_->horizontalHeader()->setHighlightSections(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    const int average = fontMetrics().averageCharWidth();
    int width = 0;
    for (int column = 0; column < GameList::ColumnCount; ++column) {
        table_->setColumnWidth(column, kWidths[column] * average + 12);
        width += table_->columnWidth(column);
    }
    table_->setSortingEnabled(true);
    table_->sortByColumn(GameList::Number, Qt::AscendingOrder);

    // The game under the cursor stays under it through a sort or a filter
    // that keeps it; otherwise the cursor goes to the first row.
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { current_ = chosen(); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        const auto &shown = list_.shown();
        int row = 0;
        if (current_) {
            const auto found = std::find(shown.begin(), shown.end(), static_cast<std::uint32_t>(*current_));
            row = found == shown.end() ? 0 : static_cast<int>(found - shown.begin());
        }
        if (!shown.empty())
            table_->setCurrentIndex(model_->index(row, 0));
        showCount();
    });
    connect(filter_, &QLineEdit::textChanged, model_, &GameListModel::setFilter);
    // Enter on a row, or a double-click, opens that game.
    connect(table_, &QTableView::activated, this, &QDialog::accept);
    connect(table_, &QTableView::doubleClicked, this, &QDialog::accept);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Open"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("prgIndex"));
    progress_->setRange(0, kProgressSteps);
    progress_->setMaximumWidth(fontMetrics().averageCharWidth() * 30);
    progress_->hide();

    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    top->addWidget(caption_, 1);
    top->addWidget(progress_);
    layout->addLayout(top);
    layout->addWidget(filter_);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(std::min(width + 40, 1000), 420);
    if (model_->rowCount() > 0)
        table_->setCurrentIndex(model_->index(0, 0));
    showCount();
    table_->setFocus();
}

GameListDialog::~GameListDialog() { stopIndexing(); }

void GameListDialog::indexInBackground(std::string_view bytes, std::vector<GameChooser::Span> &spans,
                                       IndexOptions options) {
    stopIndexing();
    ownScan_ = std::make_unique<PgnGameScan>(bytes);
    indexInBackground(*ownScan_, spans, std::move(options));
}

void GameListDialog::indexInBackground(GameScan &scan, std::vector<GameChooser::Span> &spans, IndexOptions options) {
    stopIndexing();
    spans_ = &spans;
    bytesToScan_ = scan.Bytes();
    cancel_ = false;
    indexing_ = true;
    progress_->setValue(0);
    progress_->show();
    showCount();
    // The thread only runs the scan and makes rows of its own; the list, the
    // model and spans are touched on the window's thread alone, where each
    // chunk arrives as a queued call. The destructor joins the thread before
    // this object goes, and Qt drops the calls still queued with it.
    scan_ = std::thread([this, &scan, options = std::move(options)] {
        scan.Scan(
            options.chunkGames,
            [&](GameScan::Chunk &&found) {
                if (cancel_.load(std::memory_order_relaxed))
                    return false;
                auto chunk = std::make_shared<Chunk>();
                chunk->games.reserve(found.games.size());
                for (const GameChoice &game : found.games)
                    chunk->games.add(game);
                chunk->spans = std::move(found.spans);
                chunk->scanned = found.scanned;
                QMetaObject::invokeMethod(this, [this, chunk] { takeChunk(*chunk); }, Qt::QueuedConnection);
                if (options.afterChunk)
                    options.afterChunk(false);
                return !cancel_.load(std::memory_order_relaxed);
            },
            cancel_);
        auto end = std::make_shared<Chunk>();
        end->last = true;
        end->scanned = bytesToScan_;
        QMetaObject::invokeMethod(this, [this, end] { takeChunk(*end); }, Qt::QueuedConnection);
        if (options.afterChunk)
            options.afterChunk(true);
    });
}

void GameListDialog::takeChunk(Chunk &chunk) {
    if (!spans_)
        return;
    spans_->insert(spans_->end(), chunk.spans.begin(), chunk.spans.end());
    const bool hadRows = model_->rowCount() > 0;
    model_->append(std::move(chunk.games));
    if (!hadRows && model_->rowCount() > 0 && !table_->currentIndex().isValid())
        table_->setCurrentIndex(model_->index(0, 0));
    if (bytesToScan_ > 0)
        progress_->setValue(static_cast<int>(chunk.scanned * kProgressSteps / bytesToScan_));
    if (chunk.last) {
        indexing_ = false;
        progress_->hide();
        // Games found after a sort were put last; the whole list is sorted now.
        if (list_.sortColumn() != GameList::Number || !list_.ascending())
            model_->sort(list_.sortColumn(), list_.ascending() ? Qt::AscendingOrder : Qt::DescendingOrder);
    }
    showCount();
}

void GameListDialog::stopIndexing() {
    cancel_ = true;
    if (scan_.joinable())
        scan_.join();
    indexing_ = false;
}

void GameListDialog::done(int result) {
    // The scan stops at its next chunk; the thread is joined with the window.
    cancel_ = true;
    QDialog::done(result);
}

void GameListDialog::showCount() {
    const auto all = static_cast<qlonglong>(list_.size());
    const auto shown = static_cast<qlonglong>(list_.shown().size());
    QString text = indexing_ ? QStringLiteral("Reading this %1: %2 games so far.").arg(what_, QLocale().toString(all))
                             : QStringLiteral("This %1 holds %2 games.").arg(what_, QLocale().toString(all));
    if (shown != all)
        text += QStringLiteral(" %1 shown.").arg(QLocale().toString(shown));
    caption_->setText(text);
}

bool GameListDialog::eventFilter(QObject *watched, QEvent *event) {
    // Up and down in the filter box move through the list, so one can type,
    // pick and press Enter without leaving the box.
    if (watched == filter_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(table_, &copy);
            return true;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<std::size_t> GameListDialog::chosen() const {
    const QModelIndex current = table_->currentIndex();
    if (!current.isValid() || current.row() >= model_->rowCount())
        return std::nullopt;
    return model_->gameAt(current.row());
}

std::optional<std::size_t> QtGameChooser::ChooseScanned(GameScan &scan, std::vector<Span> &spans) {
    auto list = std::make_shared<GameList>();
    spans.clear();
    std::optional<std::size_t> chosen;
    {
        GameListDialog dialog(*list, QStringLiteral("file"), parent_);
        dialog.indexInBackground(scan, spans, indexOptions_);
        if (dialog.exec() == QDialog::Accepted)
            chosen = dialog.chosen();
    }
    // The rows of a large database take tens of milliseconds to give back:
    // after the chosen game is on the board.
    QTimer::singleShot(0, QCoreApplication::instance(), [list] {});
    return chosen;
}

std::optional<std::size_t> QtGameChooser::Choose(const std::vector<GameChoice> &games) {
    return ChooseAmong(games.size(), [&](std::size_t index) { return games[index]; });
}

std::optional<std::size_t> QtGameChooser::ChooseAmong(std::size_t count,
                                                      const std::function<GameChoice(std::size_t)> &game) {
    GameList list;
    list.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        list.add(game(i));
    GameListDialog dialog(list, QStringLiteral("file"), parent_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

} // namespace quorvane::ui
