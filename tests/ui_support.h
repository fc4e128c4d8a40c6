#pragma once
// The real main window with scripted dialogs, for tests through the widgets.

#include "platform/twips.h"
#include "test_support.h"
#include "ui/art/drawn_ahead.h"
#include "ui/board_view.h"
#include "ui/main_window.h"

#include <QImage>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace quorvane::testing {

struct Window {
    Module1 module;
    ScriptedDialog dialog;
    RecordingBox box;
    ui::FrmChsMain window{module, &dialog, &box};

    Window() {
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
    }
    // Opens a record under path through File > Open, from a real file.
    void Open(const std::string &path) {
        dialog.answers.push_back(path);
        window.mnuOpen_Click();
    }
    QListView *list() { return window.findChild<QListView *>("lstMoveList"); }
    QPushButton *button(const char *name) { return window.findChild<QPushButton *>(name); }
    // The row shown as selected in the list widget, or -1.
    int shownRow() {
        const auto rows = list()->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }
};

// Where the board draws piece slot: the top left corner, in the client area's pixels.
inline QPoint PieceAt(const ui::FrmChsMain &window, int slot) {
    return window.boardView().pieceGeometry(slot).topLeft();
}

// Probes the client area's image (a grab at ratio 1) where the board says piece
// slot stands: every opaque pixel of its picture, drawn on its own at that size,
// must be on screen there.
inline ::testing::AssertionResult PiecePainted(const ui::FrmChsMain &window, const QImage &client, int slot) {
    const ui::BoardView &board = window.boardView();
    if (!board.pieceShown(slot))
        return ::testing::AssertionFailure() << "slot " << slot << " is not shown";
    const QRect at = board.pieceGeometry(slot);
    const QImage picture = art::pieceImage(board.pieceKind(slot), board::kPieceSlots[slot].white, at.size());
    int opaque = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor want = picture.pixelColor(x, y);
            if (want.alpha() != 255)
                continue;
            ++opaque;
            const QColor got = client.pixelColor(at.x() + x, at.y() + y);
            if (got.rgb() != want.rgb())
                return ::testing::AssertionFailure() << "slot " << slot << " at (" << at.x() + x << ", " << at.y() + y
                                                     << "): " << got.name().toStdString() << " instead of "
                                                     << want.name().toStdString();
        }
    if (opaque < picture.width() * picture.height() / 10)
        return ::testing::AssertionFailure() << "slot " << slot << ": a picture of hardly any pixels";
    return ::testing::AssertionSuccess();
}

inline std::string TestDataPath(const std::string &name) { return std::string(QUORVANE_TEST_DATA) + "/" + name; }

} // namespace quorvane::testing
