#pragma once
// The game list: the games of a file that holds several (a PGN database, a
// mailbox) in a table of number, White, Black, Result, Date, Event, Round, ECO
// and moves. A header click sorts by that column; the filter box narrows the
// list as one types. Enter or a double-click opens the game under the cursor;
// Esc closes the window and changes nothing. The table is a view over the
// GameList (logic/game_list.h): no widget per row, so a database of millions
// of games costs one row's painting per row shown.

#include "logic/game_list.h"
#include "platform/dialogs.h"

#include <QAbstractTableModel>
#include <QDialog>

class QLabel;
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

private:
    GameList &list_;
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showCount();

    GameList &list_;
    GameListModel *model_;
    QLabel *caption_;
    QLineEdit *filter_;
    QTableView *table_;
    QString what_;
    std::optional<std::size_t> current_;
};

class QtGameChooser : public GameChooser {
public:
    explicit QtGameChooser(QWidget *parent) : parent_(parent) {}
    std::optional<std::size_t> Choose(const std::vector<GameChoice> &games) override;
    std::optional<std::size_t> ChooseAmong(std::size_t count,
                                           const std::function<GameChoice(std::size_t)> &game) override;

private:
    QWidget *parent_;
};

} // namespace quorvane::ui
