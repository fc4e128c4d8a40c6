// The main window's commands for games read as games (PGN) and for files of
// many games: View > Standard Notation, and Ctrl+Page Down / Ctrl+Page Up for
// the next and the previous game of the same file.

#include "ui/main_window.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace quorvane::ui {

void FrmChsMain::buildGameCommands() {
    auto *view = findChild<QMenu *>(QStringLiteral("mnuView"));
    auto *notation = new QAction(QStringLiteral("Standard &Notation"), this);
    notation->setObjectName(QStringLiteral("mnuStandardNotation"));
    notation->setCheckable(true);
    connect(notation, &QAction::toggled, this, [this](bool on) {
        core_.StandardNotation = on;
        core_.ShowNotation();
        refresh();
    });
    // Beside the other switches of what the window shows.
    QAction *after = nullptr;
    if (view) {
        const QList<QAction *> items = view->actions();
        for (qsizetype i = 0; i < items.size(); ++i)
            if (items[i]->objectName() == QLatin1String("mnuShowLastMove") && i + 1 < items.size())
                after = items[i + 1];
        view->insertAction(after, notation);
    }

    const struct {
        const char *name;
        Qt::Key key;
        int step;
    } games[] = {{"actNextGame", Qt::Key_PageDown, 1}, {"actPreviousGame", Qt::Key_PageUp, -1}};
    for (const auto &game : games) {
        auto *action = new QAction(this);
        action->setObjectName(QLatin1String(game.name));
        action->setShortcut(QKeySequence(Qt::CTRL | game.key));
        action->setShortcutContext(Qt::WindowShortcut);
        const int step = game.step;
        connect(action, &QAction::triggered, this, [this, step] {
            if (core_.OpenAdjacentGame(step))
                refresh();
        });
        addAction(action);
    }
}

} // namespace quorvane::ui
