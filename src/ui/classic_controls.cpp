#include "ui/classic_controls.h"

#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace quorvane::ui {

void CommandButton::keyPressEvent(QKeyEvent *event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

int ListBoxView::rowHeight() const {
    // Measured as the item delegate measures a row of text, so it matches the
    // rows the list lays out.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = QStringLiteral("0");
    return style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).height() + 2 * spacing();
}

void ListBoxView::trimToWholeRows() {
    const int row = rowHeight();
    const int frame = 2 * frameWidth();
    const int rows = std::max(1, (height() - frame) / row);
    resize(width(), rows * row + frame);
}

QItemSelectionModel::SelectionFlags ListBoxView::selectionCommand(const QModelIndex &index, const QEvent *event) const {
    const QItemSelectionModel::SelectionFlags command = QListView::selectionCommand(index, event);
    const QItemSelectionModel *selection = selectionModel();
    if (selectionMode() != SingleSelection || !selection || !selection->hasSelection())
        return command;
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

} // namespace quorvane::ui
