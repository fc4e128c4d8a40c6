#include "ui/export_commands.h"

#include "logic/chs_main.h"
#include "logic/game_export.h"
#include "logic/variations.h"
#include "platform/qt/qt_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

namespace quorvane::ui {

namespace {
const QString kCopyPositionTip = QStringLiteral("Copies the position on the board as FEN");
}

ExportCommands::ExportCommands(ChsMain &core, MessageBox &box, QWidget *window)
    : QObject(window), core_(core), box_(box), window_(window), ownDialog_(std::make_unique<QtSaveDialog>(window)),
      ownClipboard_(std::make_unique<QtClipboard>()), dialog_(ownDialog_.get()), clipboard_(ownClipboard_.get()) {}

ExportCommands::~ExportCommands() = default;

void ExportCommands::useSeams(SaveDialog &dialog, Clipboard &clipboard) {
    dialog_ = &dialog;
    clipboard_ = &clipboard;
}

void ExportCommands::addSaveTo(QMenu *file) {
    save_ = file->addAction(QStringLiteral("Save as &PGN..."), this, &ExportCommands::saveAsPgn);
    save_->setObjectName(QStringLiteral("mnuSavePgn"));
    save_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    save_->setStatusTip(QStringLiteral("Saves the game as a PGN file"));
    saveAnalysis_ = file->addAction(QStringLiteral("Save with &Analysis..."), this, &ExportCommands::saveWithAnalysis);
    saveAnalysis_->setObjectName(QStringLiteral("mnuSaveAnalysis"));
    saveAnalysis_->setStatusTip(QStringLiteral("Saves the game as a PGN file with the engine's evaluations and judgements"));
}

QMenu *ExportCommands::addEditMenuTo(QMenuBar *bar) {
    QMenu *edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    copyPgn_ = edit->addAction(QStringLiteral("&Copy PGN"), this, &ExportCommands::copyPgn);
    copyPgn_->setObjectName(QStringLiteral("mnuCopyPgn"));
    copyPgn_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    copyPgn_->setStatusTip(QStringLiteral("Copies the game as PGN"));
    copyPosition_ = edit->addAction(QStringLiteral("Copy &Position (FEN)"), this, &ExportCommands::copyPosition);
    copyPosition_->setObjectName(QStringLiteral("mnuCopyFen"));
    copyPosition_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    copyPosition_->setStatusTip(kCopyPositionTip);
    connect(edit, &QMenu::aboutToShow, this, &ExportCommands::updatePositionCommand);
    return edit;
}

void ExportCommands::refresh() {
    const bool loaded = core_.lstMoveList.ListCount() > 0;
    for (QAction *action : {save_, saveAnalysis_, copyPgn_})
        if (action && action->isEnabled() != loaded)
            action->setEnabled(loaded);
    // Whether the board holds a chess position is known only from the rules
    // game, which is built when the Edit menu opens or the command is given;
    // until then the command stands for any loaded record. Once it was found
    // disabled, the game is built and each step checks again cheaply.
    if (!copyPosition_)
        return;
    if (!loaded || positionUnavailable_)
        updatePositionCommand();
    else if (!copyPosition_->isEnabled())
        copyPosition_->setEnabled(true);
}

void ExportCommands::updatePositionCommand() {
    if (!copyPosition_)
        return;
    positionUnavailable_ = false;
    if (core_.lstMoveList.ListCount() == 0) {
        copyPosition_->setEnabled(false);
        copyPosition_->setStatusTip(kCopyPositionTip);
        return;
    }
    const BoardFen fen = boardFen();
    positionUnavailable_ = !fen.unavailable.empty();
    copyPosition_->setEnabled(fen.unavailable.empty());
    copyPosition_->setStatusTip(fen.unavailable.empty() ? kCopyPositionTip : QString::fromStdString(fen.unavailable));
}

bool ExportCommands::saveAsPgn() {
    const bool saved = SavePgn(core_, *dialog_, box_, variations_ ? variations_->Game() : nullptr);
    if (saved && variations_)
        variations_->MarkSaved();
    return saved;
}

BoardFen ExportCommands::boardFen() {
    // A variation's position is the cursor's; on the game's moves it is the
    // record's, as it always was.
    if (variations_ && variations_->OffRecord())
        if (const auto position = variations_->BoardPosition())
            return {position->toFen(), {}};
    return PositionFen(core_);
}

void ExportCommands::saveWithAnalysis() {
    SavePgn(core_, *dialog_, box_, variations_ ? variations_->Game() : nullptr, true);
}

void ExportCommands::copyPgn() {
    // With the analysis when there is one, so a study site or a database gets
    // the engine's figures too.
    const std::string pgn = AnalysedPgn(core_, variations_ ? variations_->Game() : nullptr);
    if (!pgn.empty())
        clipboard_->SetText(pgn);
}

void ExportCommands::copyPosition() {
    const BoardFen fen = boardFen();
    if (fen.fen.empty()) {
        updatePositionCommand();
        QApplication::beep();
        return;
    }
    clipboard_->SetText(fen.fen);
}

} // namespace quorvane::ui
