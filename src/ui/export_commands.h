#pragma once
// File > Save as PGN... and the Edit menu: the loaded game out of the program,
// as a PGN file, as PGN on the clipboard, and the board's position as FEN.

#include "logic/game_export.h"
#include "platform/dialogs.h"

#include <QObject>

#include <memory>

class QAction;
class QMenu;
class QMenuBar;

namespace quorvane {
class ChsMain;
class Variations;
}

namespace quorvane::ui {

class ExportCommands : public QObject {
public:
    // The save dialog and the clipboard are the Qt ones until useSeams.
    ExportCommands(ChsMain &core, MessageBox &box, QWidget *window);
    ~ExportCommands() override;
    // Tests put scripted ones in place.
    void useSeams(SaveDialog &dialog, Clipboard &clipboard);
    // The user's variations: Copy Position copies the position on the board
    // when it is a variation's, and a save marks them saved.
    void useVariations(Variations &variations) { variations_ = &variations; }

    // Adds Save as PGN... and Save with Analysis... to the end of file (so it follows Open), and the Edit
    // menu at the end of bar (so it follows File).
    void addSaveTo(QMenu *file);
    QMenu *addEditMenuTo(QMenuBar *bar);

    // Enables the commands for a loaded record; cheap, for every refresh.
    void refresh();
    // Copy Position's state and status tip from the rules game; builds the game,
    // so it runs only when the Edit menu opens or the command is given.
    void updatePositionCommand();

    // True when the file was written.
    bool saveAsPgn();
    void saveWithAnalysis();
    void copyPgn();
    void copyPosition();

    QAction *saveAction() const { return save_; }
    QAction *saveAnalysisAction() const { return saveAnalysis_; }
    QAction *copyPgnAction() const { return copyPgn_; }
    QAction *copyPositionAction() const { return copyPosition_; }

private:
    BoardFen boardFen();

    ChsMain &core_;
    MessageBox &box_;
    QWidget *window_;
    std::unique_ptr<SaveDialog> ownDialog_;
    std::unique_ptr<Clipboard> ownClipboard_;
    SaveDialog *dialog_;
    Clipboard *clipboard_;
    QAction *save_ = nullptr;
    QAction *saveAnalysis_ = nullptr;
    QAction *copyPgn_ = nullptr;
    QAction *copyPosition_ = nullptr;
    bool positionUnavailable_ = false;
    Variations *variations_ = nullptr;
};

} // namespace quorvane::ui
