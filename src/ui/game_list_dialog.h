#pragma once
// The game list: the games of a file that holds several (a PGN database, a
// mailbox) in a table of number, White, Black, Result, Date, Event, Round, ECO
// and moves. A header click sorts by that column; the filter box narrows the
// list as one types. Enter or a double-click opens the game under the cursor;
// Esc closes the window and changes nothing. A file (a PGN database, a
// mailbox) is scanned on a thread while the window shows the games found so
// far, with a progress bar. The table is a view over the
// GameList (logic/game_list.h): no widget per row, so a database of millions
// of games costs one row's painting per row shown.

#include "logic/game_list.h"
#include "platform/dialogs.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class QLabel;
class QProgressBar;
class QLineEdit;
class QTableView;

namespace quorvane::ui {

class GameListModel : public QAbstractTableModel {
public:
    GameListModel(GameList &list, QObject *parent);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;
    // Narrows or widens the rows to those the filter keeps.
    void setFilter(const QString &filter);
    // The game (index in file order) a row shows.
    std::size_t gameAt(int row) const;
    // Games found since the view was made, added after the rows it has.
    void append(GameList &&games);

private:
    GameList &list_;
};

// How the game list scans a file while it is shown.
struct IndexOptions {
    // Games handed to the window at a time; the first ones show as soon as
    // this many are found.
    std::size_t chunkGames = 2048;
    // Run on the scanning thread after each chunk went to the window, and
    // after the scan (with true): tests hold the scan there.
    std::function<void(bool finished)> afterChunk;
};

class GameListDialog : public QDialog {
    Q_OBJECT
public:
    // what names the file's kind of games in the caption ("This mailbox holds
    // 3 games.").
    GameListDialog(GameList &list, const QString &what, QWidget *parent);
    // The chosen game once the window was accepted (its index in file order);
    // nothing when no row was shown.
    std::optional<std::size_t> chosen() const;
    QTableView *table() const { return table_; }
    QLineEdit *filterBox() const { return filter_; }
    QProgressBar *progress() const { return progress_; }

    // Fills the list with the games scan finds, on a thread while the window
    // shows those found so far; spans gets where each lies, in file order.
    // The scan and spans must outlive the window. Closing the window ends the
    // scan; its thread is gone once the window is.
    void indexInBackground(GameScan &scan, std::vector<GameChooser::Span> &spans, IndexOptions options = {});
    // The same for the games of a PGN file's bytes, which must outlive the window.
    void indexInBackground(std::string_view bytes, std::vector<GameChooser::Span> &spans, IndexOptions options = {});
    bool indexing() const { return indexing_; }
    ~GameListDialog() override;

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Chunk;
    void showCount();
    void takeChunk(Chunk &chunk);
    void stopIndexing();

    GameList &list_;
    GameListModel *model_;
    QLabel *caption_;
    QLineEdit *filter_;
    QTableView *table_;
    QString what_;
    std::optional<std::size_t> current_;
    QProgressBar *progress_;
    // The scan: its thread, asked to stop by cancel_.
    std::thread scan_;
    std::atomic<bool> cancel_ = false;
    bool indexing_ = false;
    std::uint64_t bytesToScan_ = 0;
    std::vector<GameChooser::Span> *spans_ = nullptr;
    std::unique_ptr<GameScan> ownScan_;
};

class QtGameChooser : public GameChooser {
public:
    explicit QtGameChooser(QWidget *parent) : parent_(parent) {}
    void setIndexOptions(IndexOptions options) { indexOptions_ = std::move(options); }
    std::optional<std::size_t> Choose(const std::vector<GameChoice> &games) override;
    std::optional<std::size_t> ChooseAmong(std::size_t count,
                                           const std::function<GameChoice(std::size_t)> &game) override;
    std::optional<std::size_t> ChooseScanned(GameScan &scan, std::vector<Span> &spans) override;

private:
    QWidget *parent_;
    IndexOptions indexOptions_;
};

} // namespace quorvane::ui
