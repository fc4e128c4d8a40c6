#pragma once
// The real main window with scripted dialogs, for tests through the widgets.

#include "platform/twips.h"
#include "test_support.h"
#include "ui/main_window.h"

#include <QListView>
#include <QPushButton>
#include <QTest>

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

inline std::string TestDataPath(const std::string &name) { return std::string(QUORVANE_TEST_DATA) + "/" + name; }

} // namespace quorvane::testing
