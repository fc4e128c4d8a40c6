#pragma once
// Widgets that behave as the classic desktop's controls do where Qt's differ.

#include <QListView>
#include <QPersistentModelIndex>
#include <QPushButton>

namespace quorvane::ui {

// A command button that Enter presses as well as Space, while it has the focus.
class CommandButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// A single-selection list box of one-line rows, all one height, top to bottom,
// scrolled a whole row at a time. Once a line is selected one stays selected: a
// click below the last line or a Ctrl+click on the selected line changes
// nothing. Clearing it is left to the program (selectionModel()).
//
// It places its rows by arithmetic and paints only those in view, so a model of
// any length costs what a screenful does: QListView's own layout keeps a
// position for every row, made again at each reset. Everything QListView would
// compute from that layout (geometry, hit tests, keys, scrolling, painting) is
// answered here; the rest of QListView (its accessibility, the delegate, the
// style options) stays as it is.
class ListBoxView : public QListView {
public:
    explicit ListBoxView(QWidget *parent = nullptr);

    // The height of one row in the list's font.
    int rowHeight() const;
    // Shortens the box to a whole number of rows, so no row is cut off at the
    // bottom; its top, left and width stay. Call once the font is set.
    void trimToWholeRows();
    // How many whole rows the viewport shows (at least one).
    int rowsInView() const;

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;
    void doItemsLayout() override;
    void reset() override;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;
    void paintEvent(QPaintEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void updateGeometries() override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    QSize viewportSizeHint() const override;

private:
    int rowCount() const;
    int topRow() const;
    // The width a row takes: the view's, or the first row's text where that is wider.
    int rowWidth() const;
    // The row under viewport y, or -1 outside the rows.
    int rowAtY(int y) const;
    void forgetMeasures();

    mutable int rowHeight_ = 0;
    mutable int firstRowWidth_ = -1;
    QPersistentModelIndex hover_;
};

} // namespace quorvane::ui
