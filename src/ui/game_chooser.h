#pragma once
// The small modal window that lists the games of a mailbox: date, White, Black
// and the number of move lines, in mailbox order. Enter or a double-click opens
// the game under the cursor; Esc closes the window and changes nothing.

#include "platform/dialogs.h"

#include <QDialog>

class QTreeWidget;

namespace quorvane::ui {

class GameChooserDialog : public QDialog {
    Q_OBJECT
public:
    GameChooserDialog(const std::vector<GameChoice> &games, QWidget *parent);
    // The chosen row once the window was accepted.
    std::size_t chosen() const;
    QTreeWidget *list() const { return list_; }

private:
    QTreeWidget *list_;
};

class QtGameChooser : public GameChooser {
public:
    explicit QtGameChooser(QWidget *parent) : parent_(parent) {}
    std::optional<std::size_t> Choose(const std::vector<GameChoice> &games) override;

private:
    QWidget *parent_;
};

} // namespace quorvane::ui
