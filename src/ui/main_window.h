#pragma once
// The main window: the board, the move list, the labels, the two step buttons and
// the menus. Every event goes to the window's logic (ChsMain); afterwards the
// widgets are brought in step with it once, so a jump across a whole game paints
// only its final position.

#include "logic/chs_main.h"
#include "game/module1.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>
#include <string>
#include <unordered_map>

class QAbstractListModel;
class QLabel;
class QListView;
class QPushButton;

namespace quorvane::mail {
class GMimeMessageParser;
}

namespace quorvane::ui {

class BoardLayer;
class PieceWidget;
class ListBoxModel;
class ExportCommands;
class AnalysisWindow;
struct AnalysisOptions;

class FrmChsMain : public QMainWindow {
    Q_OBJECT
public:
    // dialog and box default to the Qt ones; tests pass scripted ones.
    explicit FrmChsMain(Module1 &module, FileDialog *dialog = nullptr, MessageBox *box = nullptr);
    ~FrmChsMain() override;

    ChsMain &core() { return core_; }
    const ChsMain &core() const { return core_; }

    // The menu commands, also reachable from tests.
    void mnuOpen_Click();
    void mnuExit_Click();
    void mnuHelp0_Click();
    void mnuAbout_Click();
    void mnuAnalysis_Click();

    // Opens the Analysis window (or brings it forward) with these engine options.
    void openAnalysis(const AnalysisOptions &options);
    // The Analysis window while it is open.
    AnalysisWindow *analysisWindow() const;
    // View > Analysis Lines: how many best lines the live analysis shows.
    int analysisLines() const { return analysisLines_; }
    void setAnalysisLines(int lines);
    // View > Flip Board is on.
    bool boardFlipped() const;
    // Edit > Paste Game: the game in the clipboard's text.
    void mnuPaste_Click();

    // Tests script the game chooser and the clipboard (null: the Qt ones).
    void setMailSeams(GameChooser *chooser, Clipboard *clipboard);

    // Opens a record as File > Open does once the dialog has reported path.
    void openPath(const std::string &path);

    // Presses Next count times (Back for a negative count), then paints once.
    void stepBy(int count);
    // Presses Back until no half-move is played, then paints once.
    void goToStart();
    // Presses Next until a press no longer advances, then paints once.
    void goToEnd();
    // File > Save as PGN... and the Edit menu.
    ExportCommands &exportCommands() { return *export_; }

    // The Help window while it is open.
    QWidget *helpWindow() const { return help_; }

    // Brings every widget in step with the logic's controls.
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void placeAutoSizeLabel(QLabel *label, const std::string &caption, int topTwips, int heightTwips);
    void showFileName(const std::string &caption);
    void selectInView(std::int64_t row);
    // The View menu, the keys, the wheel and drops: main_window_viewer.cpp.
    void buildViewer();
    void showTitle();

    std::unique_ptr<FileDialog> ownDialog_;
    std::unique_ptr<MessageBox> ownBox_;
    // The box the logic is given: it refreshes the view before it shows.
    std::unique_ptr<MessageBox> refreshingBox_;
    ChsMain core_;
    std::unique_ptr<mail::GMimeMessageParser> mailParser_;
    std::unique_ptr<GameChooser> ownChooser_;
    std::unique_ptr<Clipboard> ownClipboard_;
    Clipboard *clipboard_ = nullptr;

    std::array<PieceWidget *, board::kPieceCount> pieces_{};
    QLabel *lblWhitePlayer_ = nullptr;
    QLabel *lblBlackPlayer_ = nullptr;
    QLabel *lblDate_ = nullptr;
    QLabel *lblFileName_ = nullptr;
    QListView *lstMoveList_ = nullptr;
    QListView *lstFieldsList_ = nullptr;
    ListBoxModel *moveModel_ = nullptr;
    ListBoxModel *fieldsModel_ = nullptr;
    QPushButton *cmdNext_ = nullptr;
    QPushButton *cmdBack_ = nullptr;
    QPointer<QWidget> help_;
    std::unique_ptr<BoardLayer> board_;
    std::string titleName_; // the record name the title shows
    ExportCommands *export_ = nullptr;
    QPointer<AnalysisWindow> analysis_;
    int analysisLines_ = 1;
    bool syncingSelection_ = false;
    // The start of each auto-sizing label's caption as last shown.
    std::unordered_map<const QLabel *, std::string> shownCaptions_;
};

} // namespace quorvane::ui
