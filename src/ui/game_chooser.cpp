#include "ui/game_chooser.h"

#include "ui/text_codec.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace quorvane::ui {

GameChooserDialog::GameChooserDialog(const std::vector<GameChoice> &games, QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmChooseGame"));
    setWindowTitle(QStringLiteral("Choose a Game"));
    setModal(true);

    auto *caption =
        new QLabel(QStringLiteral("This mailbox holds %1 games. Choose the one to open:").arg(games.size()), this);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("lstGames"));
    list_->setHeaderLabels(
        {QStringLiteral("Date"), QStringLiteral("White"), QStringLiteral("Black"), QStringLiteral("Move lines")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Each text is cut as the labels cut theirs: a name of megabytes costs
    // nothing to convert, measure or paint.
    for (const auto &game : games) {
        auto *row = new QTreeWidgetItem(list_, {shownWindows1252(game.date), shownWindows1252(game.white),
                                                shownWindows1252(game.black), QString::number(game.moveLines)});
        row->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int column = 0; column < list_->columnCount(); ++column)
        list_->resizeColumnToContents(column);
    if (list_->topLevelItemCount() > 0)
        list_->setCurrentItem(list_->topLevelItem(0));
    // Enter on a row, or a double-click, opens that game.
    connect(list_, &QTreeWidget::itemActivated, this, &QDialog::accept);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Open"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    int width = 0;
    for (int column = 0; column < list_->columnCount(); ++column)
        width += list_->columnWidth(column);
    resize(std::clamp(width + 60, 420, 900), 320);
    list_->setFocus();
}

std::size_t GameChooserDialog::chosen() const {
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    return row < 0 ? 0 : static_cast<std::size_t>(row);
}

std::optional<std::size_t> QtGameChooser::Choose(const std::vector<GameChoice> &games) {
    GameChooserDialog dialog(games, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

} // namespace quorvane::ui
