#include "ui/classic_controls.h"

#include <QAccessible>
#include <QEvent>
#include <QHoverEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <algorithm>
#include <climits>

namespace quorvane::ui {

void CommandButton::keyPressEvent(QKeyEvent *event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

ListBoxView::ListBoxView(QWidget *parent) : QListView(parent) {
    setUniformItemSizes(true);
    setVerticalScrollMode(ScrollPerItem);
    setLayoutMode(SinglePass);
}

int ListBoxView::rowHeight() const {
    if (rowHeight_ > 0)
        return rowHeight_;
    // Measured as the item delegate measures a row of text, so it matches the
    // rows a list view lays out.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = QStringLiteral("0");
    rowHeight_ = std::max(
        1, style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).height() + 2 * spacing());
    return rowHeight_;
}

void ListBoxView::trimToWholeRows() {
    const int row = rowHeight();
    const int frame = 2 * frameWidth();
    const int rows = std::max(1, (height() - frame) / row);
    resize(width(), rows * row + frame);
}

int ListBoxView::rowsInView() const { return std::max(1, viewport()->height() / rowHeight()); }

int ListBoxView::rowCount() const { return model() ? model()->rowCount(rootIndex()) : 0; }

int ListBoxView::topRow() const { return verticalScrollBar()->value(); }

int ListBoxView::rowWidth() const {
    if (firstRowWidth_ < 0) {
        firstRowWidth_ = 0;
        if (rowCount() > 0) {
            // Rows are as wide as the first one, as in a list of uniform rows.
            QStyleOptionViewItem option;
            initViewItemOption(&option);
            const QModelIndex first = model()->index(0, modelColumn(), rootIndex());
            firstRowWidth_ = itemDelegateForIndex(first)->sizeHint(option, first).width();
        }
    }
    return std::max(firstRowWidth_, viewport()->width());
}

int ListBoxView::rowAtY(int y) const {
    if (y < 0)
        return -1;
    const int row = topRow() + y / rowHeight();
    return row < rowCount() ? row : -1;
}

void ListBoxView::forgetMeasures() {
    rowHeight_ = 0;
    firstRowWidth_ = -1;
}

QRect ListBoxView::visualRect(const QModelIndex &index) const {
    if (!index.isValid() || index.parent() != rootIndex() || index.column() != modelColumn())
        return {};
    const int height = rowHeight();
    return {0, (index.row() - topRow()) * height, rowWidth(), height};
}

void ListBoxView::scrollTo(const QModelIndex &index, ScrollHint hint) {
    if (!index.isValid() || index.parent() != rootIndex())
        return;
    // Right after a reset the scroll bar's range is still the old model's.
    executeDelayedItemsLayout();
    const int row = index.row();
    const int inView = rowsInView();
    int top = topRow();
    switch (hint) {
    case EnsureVisible:
        if (row < top)
            top = row;
        else if (row >= top + inView)
            top = row - inView + 1;
        break;
    case PositionAtTop:
        top = row;
        break;
    case PositionAtBottom:
        top = row - inView + 1;
        break;
    case PositionAtCenter:
        top = row - inView / 2;
        break;
    }
    verticalScrollBar()->setValue(top); // the bar keeps it within its range
}

QModelIndex ListBoxView::indexAt(const QPoint &point) const {
    if (point.x() < 0 || point.x() >= rowWidth())
        return {};
    const int row = rowAtY(point.y());
    return row < 0 ? QModelIndex() : model()->index(row, modelColumn(), rootIndex());
}

void ListBoxView::doItemsLayout() {
    // Nothing to place: rows are found by arithmetic. What is left is the
    // scroll bars and a repaint.
    firstRowWidth_ = -1;
    QAbstractItemView::doItemsLayout();
}

void ListBoxView::reset() {
    forgetMeasures();
    QListView::reset();
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

void ListBoxView::paintEvent(QPaintEvent *event) {
    if (!model() || rowCount() == 0)
        return;
    // The same options, states and delegate a list view paints its rows with,
    // for the rows the repainted area touches only.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QPainter painter(viewport());
    const QModelIndex current = currentIndex();
    const QItemSelectionModel *selections = selectionModel();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QStyle::State state = option.state;
    const bool enabled = (state & QStyle::State_Enabled) != 0;
    const QRect area = event->rect();
    const int height = rowHeight();
    const int first = topRow() + std::max(0, area.top()) / height;
    const int last = std::min(rowCount() - 1, topRow() + std::max(0, area.bottom()) / height);
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, modelColumn(), rootIndex());
        option.rect = visualRect(index);
        if (!option.rect.intersects(area))
            continue;
        option.state = state;
        if (selections && selections->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (enabled) {
            const bool itemEnabled = (model()->flags(index) & Qt::ItemIsEnabled) != 0;
            if (!itemEnabled)
                option.state &= ~QStyle::State_Enabled;
            option.palette.setCurrentColorGroup(itemEnabled ? QPalette::Normal : QPalette::Disabled);
        }
        if (focus && current == index) {
            option.state |= QStyle::State_HasFocus;
            if (this->state() == EditingState)
                option.state |= QStyle::State_Editing;
        }
        option.state.setFlag(QStyle::State_MouseOver, index == hover_);
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

void ListBoxView::scrollContentsBy(int dx, int dy) {
    // The vertical bar counts rows; the viewport moves by pixels.
    QAbstractItemView::scrollContentsBy(dx, dy * rowHeight());
}

void ListBoxView::resizeEvent(QResizeEvent *event) {
    firstRowWidth_ = -1;
    QAbstractItemView::resizeEvent(event);
}

void ListBoxView::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        forgetMeasures();
        scheduleDelayedItemsLayout();
    }
    QListView::changeEvent(event);
}

bool ListBoxView::viewportEvent(QEvent *event) {
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        hover_ = indexAt(static_cast<QHoverEvent *>(event)->position().toPoint());
        break;
    case QEvent::HoverLeave:
    case QEvent::Leave:
        hover_ = QPersistentModelIndex();
        break;
    default:
        break;
    }
    return QListView::viewportEvent(event);
}

void ListBoxView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
    if (topLeft.row() == 0)
        firstRowWidth_ = -1;
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

void ListBoxView::rowsInserted(const QModelIndex &parent, int start, int end) {
    firstRowWidth_ = -1;
    QAbstractItemView::rowsInserted(parent, start, end);
    scheduleDelayedItemsLayout();
}

void ListBoxView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) {
    firstRowWidth_ = -1;
    QAbstractItemView::rowsAboutToBeRemoved(parent, start, end);
    scheduleDelayedItemsLayout();
}

int ListBoxView::horizontalOffset() const { return 0; }

int ListBoxView::verticalOffset() const { return topRow() * rowHeight(); }

QModelIndex ListBoxView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers) {
    const int rows = rowCount();
    if (rows == 0)
        return {};
    const QModelIndex current = currentIndex();
    auto at = [this](int row) { return model()->index(row, modelColumn(), rootIndex()); };
    if (!current.isValid())
        return at(0);
    const int row = current.row();
    // A page moves by one row less than the view shows, so the row the
    // selection leaves stays in sight.
    const int page = rowsInView() - 1;
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        return at(std::max(0, row - 1));
    case MoveDown:
    case MoveNext:
        return at(std::min(rows - 1, row + 1));
    case MovePageUp:
        return at(std::max(0, row - page));
    case MovePageDown:
        return at(std::min(rows - 1, row + page));
    case MoveHome:
        return at(0);
    case MoveEnd:
        return at(rows - 1);
    case MoveLeft:
    case MoveRight:
        break;
    }
    return current;
}

void ListBoxView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) {
    if (!selectionModel())
        return;
    QItemSelection selection;
    const QRect area = rect.normalized();
    const int rows = rowCount();
    const int height = rowHeight();
    // In the rows' own coordinates, where row r spans r * height to (r + 1) * height - 1.
    const qint64 top = qint64(area.top()) + verticalOffset();
    const qint64 bottom = qint64(area.bottom()) + verticalOffset();
    if (rows > 0 && area.right() >= 0 && area.left() < rowWidth() && bottom >= 0 && top < qint64(rows) * height) {
        const int first = static_cast<int>(std::max<qint64>(0, top) / height);
        const int last = static_cast<int>(std::min<qint64>(rows - 1, bottom / height));
        selection.select(model()->index(first, modelColumn(), rootIndex()),
                         model()->index(last, modelColumn(), rootIndex()));
    }
    selectionModel()->select(selection, command);
}

QRegion ListBoxView::visualRegionForSelection(const QItemSelection &selection) const {
    QRegion region;
    const int top = topRow();
    const int last = std::min(rowCount() - 1, top + rowsInView());
    const int height = rowHeight();
    for (const QItemSelectionRange &range : selection) {
        if (range.parent() != rootIndex() || range.left() > modelColumn() || range.right() < modelColumn())
            continue;
        const int from = std::max(range.top(), top);
        const int to = std::min(range.bottom(), last);
        if (from <= to)
            region += QRect(0, (from - top) * height, rowWidth(), (to - from + 1) * height);
    }
    return region;
}

void ListBoxView::updateGeometries() {
    const int rows = rowCount();
    const int inView = rowsInView();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(inView);
    verticalScrollBar()->setRange(0, std::max(0, rows - inView));
    horizontalScrollBar()->setRange(0, 0);
    QAbstractItemView::updateGeometries();
}

void ListBoxView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) {
#if QT_CONFIG(accessibility)
    if (QAccessible::isActive()) {
        // The accessible list's children are the rows, in order.
        const QModelIndex added = selected.indexes().value(0);
        if (added.isValid()) {
            QAccessibleEvent event(this, QAccessible::SelectionAdd);
            event.setChild(added.row());
            QAccessible::updateAccessibility(&event);
        }
        const QModelIndex removed = deselected.indexes().value(0);
        if (removed.isValid()) {
            QAccessibleEvent event(this, QAccessible::SelectionRemove);
            event.setChild(removed.row());
            QAccessible::updateAccessibility(&event);
        }
    }
#endif
    QAbstractItemView::selectionChanged(selected, deselected);
}

void ListBoxView::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
#if QT_CONFIG(accessibility)
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(current.row());
        QAccessible::updateAccessibility(&event);
    }
#endif
    QAbstractItemView::currentChanged(current, previous);
}

QSize ListBoxView::viewportSizeHint() const {
    const qint64 height = qint64(rowCount()) * rowHeight();
    return {rowWidth(), static_cast<int>(std::min<qint64>(height, INT_MAX))};
}

} // namespace quorvane::ui
