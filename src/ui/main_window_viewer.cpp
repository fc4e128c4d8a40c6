// The main window's viewing aids beside its designed events: stepping by key and
// wheel, the View menu (flip, last-move mark), drops and the title.

#include "logic/window_scale.h"
#include "ui/analysis_window.h"
#include "ui/board_view.h"
#include "ui/main_window.h"
#include "ui/text_codec.h"
#include "ui/viewer_input.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace quorvane::ui {

void FrmChsMain::buildViewer() {
    new ViewerInput(*this, {lstMoveList_, cmdNext_, cmdBack_}, board_);

    auto *view = new QMenu(QStringLiteral("&View"), this);
    view->setObjectName(QStringLiteral("mnuView"));
    QAction *flip = view->addAction(QStringLiteral("&Flip Board"));
    flip->setObjectName(QStringLiteral("mnuFlipBoard"));
    flip->setCheckable(true);
    flip->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(flip, &QAction::toggled, this, [this](bool on) {
        board_->setFlipped(on);
        refresh();
    });
    QAction *lastMove = view->addAction(QStringLiteral("Show &Last Move"));
    lastMove->setObjectName(QStringLiteral("mnuShowLastMove"));
    lastMove->setCheckable(true);
    lastMove->setChecked(board_->lastMoveShown());
    connect(lastMove, &QAction::toggled, this, [this](bool on) {
        board_->setLastMoveShown(on);
        refresh();
    });
    view->addSeparator();
    QAction *zoomIn = view->addAction(QStringLiteral("Zoom &In"), this, [this] { zoomTo(ZoomedIn(scale_)); });
    zoomIn->setObjectName(QStringLiteral("mnuZoomIn"));
    // Ctrl+= as well: the same key without Shift on most keyboards.
    zoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    QAction *zoomOut = view->addAction(QStringLiteral("Zoom &Out"), this, [this] { zoomTo(ZoomedOut(scale_)); });
    zoomOut->setObjectName(QStringLiteral("mnuZoomOut"));
    zoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    QAction *actual = view->addAction(QStringLiteral("Actual &Size"), this, [this] { zoomTo(1.0); });
    actual->setObjectName(QStringLiteral("mnuActualSize"));
    actual->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    view->addSeparator();
    QAction *analysis = view->addAction(QStringLiteral("&Analysis"), this, &FrmChsMain::mnuAnalysis_Click);
    analysis->setObjectName(QStringLiteral("mnuAnalysis"));
    analysis->setShortcut(Qt::Key_F3);
    QMenu *lines = view->addMenu(QStringLiteral("Analysis &Lines"));
    lines->setObjectName(QStringLiteral("mnuAnalysisLines"));
    auto *lineGroup = new QActionGroup(lines);
    for (int n = 1; n <= AnalysisWindow::kMaxLines; ++n) {
        QAction *choice = lines->addAction(QStringLiteral("&%1").arg(n));
        choice->setObjectName(QStringLiteral("mnuAnalysisLines%1").arg(n));
        choice->setCheckable(true);
        choice->setChecked(n == analysisLines_);
        lineGroup->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, n] { setAnalysisLines(n); });
    }
    QMenu *depth = view->addMenu(QStringLiteral("Analysis &Depth"));
    depth->setObjectName(QStringLiteral("mnuAnalysisDepth"));
    auto *depthGroup = new QActionGroup(depth);
    for (qint64 nodes : kAnalysisBudgets) {
        QAction *choice =
            depth->addAction(QStringLiteral("%1 nodes").arg(QLocale(QLocale::English).toString(nodes)));
        choice->setObjectName(QStringLiteral("mnuAnalysisDepth%1").arg(nodes));
        choice->setCheckable(true);
        choice->setChecked(nodes == analysisNodes_);
        depthGroup->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, nodes] { setAnalysisNodes(nodes); });
    }
    // Straight before Help, whatever menus come before it.
    const auto *help = menuBar()->findChild<QMenu *>(QStringLiteral("mnuHelp"));
    menuBar()->insertMenu(help ? help->menuAction() : nullptr, view);
}

void FrmChsMain::stepBy(int count) {
    // On the game's moves these press the designed buttons; in a variation
    // they walk it.
    for (int i = 0; i < count; ++i)
        variations_->Next();
    for (int i = 0; i > count; --i)
        variations_->Back();
    refresh();
}

void FrmChsMain::goToStart() {
    // On the game every Back lowers the count by one, so this ends, even after
    // a failed open that left the count above an empty list.
    variations_->Home();
    refresh();
}

void FrmChsMain::goToEnd() {
    variations_->End();
    refresh();
}

void FrmChsMain::showTitle() {
    // The record first, as desktop programs name their document; the program
    // alone while none is open.
    const std::string &name = core_.lblFileName.Caption;
    const std::string variation = variations_->VariationCaption();
    const std::string opening = name.empty() ? std::string() : variations_->OpeningCaption();
    if (name == titleName_ && variation == titleVariation_ && opening == titleOpening_)
        return;
    titleName_ = name;
    titleVariation_ = variation;
    titleOpening_ = opening;
    const QString program = QStringLiteral("Quorvane");
    // "[*]" in a title stands for the modified mark; doubled it is shown as it is.
    const QString shown = fromLocalPath(name).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    // Off the game's moves the title says so, so a variation is never taken for the game.
    const QString tried = variation.empty() ? QString() : QString::fromStdString(variation) + QStringLiteral(" - ");
    // The opening of the position on the board, as a database program names
    // it beside the game; in the title, as the window has no other place for it.
    const QString named = opening.empty() ? QString() : QString::fromStdString(opening) + QStringLiteral(" - ");
    setWindowTitle(name.empty() ? program : shown + QStringLiteral(" - ") + tried + named + program);
}

} // namespace quorvane::ui
