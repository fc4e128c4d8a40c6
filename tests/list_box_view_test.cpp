// The move list's view against Qt's own list view: the same model, font,
// palette and size must give the same pixels, hit tests, keys and scrolling,
// while the view reads only the rows it shows.
#include "ui/classic_controls.h"
#include "ui/fonts.h"

#include <QAbstractListModel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace quorvane {
namespace {

// Numbered move lines, as many as asked, counting what the views read.
class MoveLines : public QAbstractListModel {
public:
    explicit MoveLines(int rows) : rows_(rows) {}
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : rows_; }
    QVariant data(const QModelIndex &index, int role) const override {
        ++reads;
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const int line = index.row() + 1;
        return QStringLiteral("%1. %2").arg(line).arg(line % 3 ? QStringLiteral("g1-f3 g8-f6")
                                                               : QStringLiteral("f3-g1 f6-g8"));
    }
    void setRows(int rows) {
        beginResetModel();
        rows_ = rows;
        endResetModel();
    }
    mutable long reads = 0;

private:
    int rows_;
};

// Both views set up as the main window sets up its move list.
void setUp(QListView &view, QAbstractItemModel &model) {
    view.setFont(ui::classicFont(QStringLiteral("MS Sans Serif"), 12));
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setUniformItemSizes(true);
    view.setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setTextElideMode(Qt::ElideNone);
    QPalette palette = view.palette();
    palette.setColor(QPalette::Base, QColor(171, 171, 171));
    view.setPalette(palette);
    view.setModel(&model);
}

// The two views side by side in one window, with a button to hold the focus
// when neither list should have it.
struct Pair {
    MoveLines model;
    QWidget window;
    QPushButton *elsewhere = new QPushButton(QStringLiteral("elsewhere"), &window);
    ui::ListBoxView &ours = *new ui::ListBoxView(&window);
    QListView &qt = *new QListView(&window);
    // Whether the lists are compared with the focus (each in turn) or without.
    bool focused = false;

    explicit Pair(int rows) : model(rows) {
        setUp(ours, model);
        setUp(qt, model);
        window.resize(500, 460);
        elsewhere->setGeometry(10, 10, 80, 24);
        ours.setGeometry(20, 50, 169, 384);
        ours.trimToWholeRows();
        qt.setGeometry(250, 50, ours.width(), ours.height());
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        elsewhere->setFocus();
    }
    std::array<QListView *, 2> views() { return {&ours, &qt}; }
    void both(const std::function<void(QListView &)> &action) {
        for (QListView *view : views()) {
            if (focused)
                view->setFocus();
            action(*view);
        }
        QApplication::processEvents();
    }
    static int topRow(QListView &view) { return view.indexAt(QPoint(1, 1)).row(); }
    static int current(QListView &view) { return view.currentIndex().row(); }
    static int selected(QListView &view) {
        const auto rows = view.selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }
    QImage painted(QListView &view) {
        if (focused) {
            view.setFocus();
            QApplication::processEvents();
        }
        return view.grab().toImage();
    }
    // Everything a user sees or a caller asks of the geometry, compared.
    void expectAlike() {
        EXPECT_EQ(topRow(ours), topRow(qt));
        EXPECT_EQ(current(ours), current(qt));
        EXPECT_EQ(selected(ours), selected(qt));
        for (int y : {0, 5, 19, 20, ours.viewport()->height() / 2, ours.viewport()->height() - 1,
                      ours.viewport()->height() + 3}) {
            SCOPED_TRACE(y);
            const QModelIndex a = ours.indexAt(QPoint(10, y));
            const QModelIndex b = qt.indexAt(QPoint(10, y));
            EXPECT_EQ(a.row(), b.row());
            if (a.isValid() && b.isValid()) {
                EXPECT_EQ(ours.visualRect(a), qt.visualRect(b));
            }
        }
        const QImage a = painted(ours);
        const QImage b = painted(qt);
        EXPECT_EQ(a, b) << "the painted list";
        if (a != b && qEnvironmentVariableIsSet("QUORVANE_TEST_IMAGES")) {
            a.save(qEnvironmentVariable("QUORVANE_TEST_IMAGES") + QStringLiteral("/ours.png"));
            b.save(qEnvironmentVariable("QUORVANE_TEST_IMAGES") + QStringLiteral("/qt.png"));
        }
    }
};

TEST(ListBoxView, PaintsAndAnswersAsQtsListView) {
    struct Row {
        const char *name;
        int rows;
        std::function<void(QListView &)> action;
    };
    const Row rows[] = {
        {"empty", 0, [](QListView &) {}},
        {"loaded, nothing selected", 30, [](QListView &) {}},
        {"a short list, row 2 selected", 3,
         [](QListView &v) { v.selectionModel()->setCurrentIndex(v.model()->index(2, 0), QItemSelectionModel::ClearAndSelect); }},
        {"row 3 selected", 30,
         [](QListView &v) { v.selectionModel()->setCurrentIndex(v.model()->index(3, 0), QItemSelectionModel::ClearAndSelect); }},
        {"a far row scrolled into view", 32762,
         [](QListView &v) {
             const QModelIndex index = v.model()->index(16000, 0);
             v.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
             v.scrollTo(index);
         }},
        {"the last row scrolled into view", 32762,
         [](QListView &v) {
             const QModelIndex index = v.model()->index(32761, 0);
             v.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
             v.scrollTo(index);
         }},
        {"back to the first row from the last", 32762,
         [](QListView &v) {
             v.scrollTo(v.model()->index(32761, 0));
             QApplication::processEvents();
             v.scrollTo(v.model()->index(0, 0));
         }},
        {"positioned at the centre", 500, [](QListView &v) { v.scrollTo(v.model()->index(250, 0), QAbstractItemView::PositionAtCenter); }},
        {"positioned at the top", 500, [](QListView &v) { v.scrollTo(v.model()->index(250, 0), QAbstractItemView::PositionAtTop); }},
        {"positioned at the bottom", 500, [](QListView &v) { v.scrollTo(v.model()->index(250, 0), QAbstractItemView::PositionAtBottom); }},
    };
    for (const Row &row : rows) {
        for (const bool focused : {false, true}) {
            SCOPED_TRACE(row.name);
            SCOPED_TRACE(focused ? "with the focus" : "without the focus");
            Pair pair(row.rows);
            pair.focused = focused;
            pair.both(row.action);
            pair.expectAlike();
        }
    }
}

TEST(ListBoxView, KeysMoveAsInQtsListView) {
    for (int rows : {5, 30, 32762}) {
        SCOPED_TRACE(rows);
        Pair pair(rows);
        pair.focused = true;
        const Qt::Key keys[] = {Qt::Key_Down,     Qt::Key_Down,     Qt::Key_PageDown, Qt::Key_PageDown,
                                Qt::Key_Up,       Qt::Key_PageUp,   Qt::Key_End,      Qt::Key_Up,
                                Qt::Key_PageUp,   Qt::Key_PageDown, Qt::Key_Down,     Qt::Key_Home,
                                Qt::Key_PageDown, Qt::Key_Right,    Qt::Key_Left,     Qt::Key_Up};
        for (Qt::Key key : keys) {
            // QTest::toString hands over a new[]'d copy.
            const std::unique_ptr<char[]> keyName(QTest::toString(key));
            SCOPED_TRACE(keyName.get());
            pair.both([key](QListView &v) { QTest::keyClick(&v, key); });
            pair.expectAlike();
        }
    }
}

TEST(ListBoxView, ClicksAndTheWheelActAsInQtsListView) {
    struct Row {
        const char *name;
        int rows;
        std::function<void(QListView &)> action;
    };
    auto click = [](int y, Qt::KeyboardModifiers modifiers = {}) {
        return [y, modifiers](QListView &v) { QTest::mouseClick(v.viewport(), Qt::LeftButton, modifiers, QPoint(30, y)); };
    };
    auto wheel = [](int notches) {
        return [notches](QListView &v) {
            const QPoint at(30, 30);
            QWheelEvent event(at, v.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(v.viewport(), &event);
        };
    };
    const Row rows[] = {
        {"a click on the fifth row", 30, click(4 * 16 + 8)},
        {"a click below the last row", 3, click(200)},
        {"a wheel notch down", 32762, wheel(-1)},
        {"three notches down, one up", 32762,
         [wheel](QListView &v) {
             for (int notches : {-1, -1, -1, 1})
                 wheel(notches)(v);
         }},
        {"a wheel notch up at the top", 30, wheel(1)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Pair pair(row.rows);
        pair.focused = true;
        pair.both(row.action);
        pair.expectAlike();
        // Then a click on whatever row is under the pointer.
        pair.both(click(40));
        pair.expectAlike();
        // Ctrl+click on the selected row keeps it.
        pair.both(click(40, Qt::ControlModifier));
        EXPECT_EQ(Pair::selected(pair.ours), pair.ours.indexAt(QPoint(30, 40)).row());
    }
}

// As the window does it after a load: the model reset, then at once the
// selected row scrolled into view, before any event has run.
TEST(ListBoxView, ARowScrolledToRightAfterAResetIsInView) {
    Pair pair(3); // no scroll bar before
    ASSERT_FALSE(pair.ours.verticalScrollBar()->isVisibleTo(&pair.window));
    pair.model.setRows(32762);
    for (QListView *view : pair.views()) {
        const QModelIndex index = view->model()->index(19998, 0);
        view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        view->scrollTo(index);
        EXPECT_TRUE(view->viewport()->rect().contains(view->visualRect(index)));
    }
    // Ours is whole at once: its scroll bar is there before any event has run,
    // so a grab now shows what it shows once the queued events are done.
    EXPECT_TRUE(pair.ours.verticalScrollBar()->isVisibleTo(&pair.window));
    const QImage atOnce = pair.ours.grab().toImage();
    QApplication::processEvents();
    EXPECT_EQ(pair.ours.grab().toImage(), atOnce);
    pair.expectAlike();
}

TEST(ListBoxView, ALoadReadsOnlyTheRowsInView) {
    // What a load costs the view, counted in the rows it asks the model for: the
    // same for 32,762 lines as for 30.
    auto readsForLoad = [](int rows) {
        MoveLines model(0);
        ui::ListBoxView view;
        setUp(view, model);
        view.setGeometry(100, 100, 169, 384);
        view.trimToWholeRows();
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
        model.reads = 0;
        model.setRows(rows);
        view.repaint();
        QApplication::processEvents();
        return model.reads;
    };
    const long small = readsForLoad(30);
    EXPECT_GT(small, 0);
    EXPECT_EQ(readsForLoad(32762), small);
}

} // namespace
} // namespace quorvane
