#pragma once
// Widgets that behave as the classic desktop's controls do where Qt's differ.

#include <QListView>
#include <QPushButton>

namespace quorvane::ui {

// A command button that Enter presses as well as Space, while it has the focus.
class CommandButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// A single-selection list box. Once a line is selected one stays selected: a
// click below the last line or a Ctrl+click on the selected line changes
// nothing. Clearing it is left to the program (selectionModel()).
class ListBoxView : public QListView {
public:
    using QListView::QListView;

    // The height of one row in the list's font.
    int rowHeight() const;
    // Shortens the box to a whole number of rows, so no row is cut off at the
    // bottom; its top, left and width stay. Call once the font is set.
    void trimToWholeRows();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;
};

} // namespace quorvane::ui
