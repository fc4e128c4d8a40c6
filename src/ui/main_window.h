#pragma once
// The main window: the board, the move list, the labels, the two step buttons and
// the menus. Every event goes to the window's logic (ChsMain); afterwards the
// widgets are brought in step with it once, so a jump across a whole game paints
// only its final position.

#include "logic/chs_main.h"
#include "logic/variations.h"
#include "game/module1.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QAbstractListModel;
class QAction;
class QMenu;
class QLabel;
class QListView;
class QPushButton;

namespace quorvane::ui {

class BoardView;
class BoardMoves;
class ListBoxModel;
class ExportCommands;
class AnalysisWindow;
struct AnalysisOptions;

// Moves window next to main (on its right, else its left, else over it),
// inside the screen's free area, shrinking it to that area if it is larger.
void placeBeside(QWidget &window, const QWidget &main);

class FrmChsMain : public QMainWindow {
    Q_OBJECT
public:
    // dialog and box default to the Qt ones; tests pass scripted ones.
    explicit FrmChsMain(Module1 &module, FileDialog *dialog = nullptr, MessageBox *box = nullptr);
    ~FrmChsMain() override;

    ChsMain &core() { return core_; }
    const ChsMain &core() const { return core_; }
    // The moves the user tries on the board, kept as variations of the game.
    Variations &variations() { return *variations_; }
    // Tests script the question asked before unsaved variations are dropped
    // (null: the Qt box).
    void setQuestionSeam(Question *question);
    // Up / Down where the next move has variations: picks the next or the
    // previous one; false where there is nothing to choose (the key is then the
    // list's).
    bool chooseVariation(int direction);
    // Edit > Delete Variation and Edit > Promote to Main Line, for the
    // variation the board is in.
    void deleteVariation();
    void promoteVariation();
    // Moving pieces on the board by hand.
    BoardMoves &boardMoves() { return *boardMoves_; }

    // The menu commands, also reachable from tests.
    void mnuOpen_Click();
    void mnuExit_Click();
    void mnuHelp0_Click();
    void mnuKeys_Click();
    void mnuAbout_Click();
    void mnuAnalysis_Click();

    // Opens the Analysis window (or brings it forward) with these engine options.
    void openAnalysis(const AnalysisOptions &options);
    // The Analysis window while it is open.
    AnalysisWindow *analysisWindow() const;
    // View > Analysis Lines: how many best lines the live analysis shows.
    int analysisLines() const { return analysisLines_; }
    void setAnalysisLines(int lines);
    // View > Analysis Depth: the whole-game pass's node budget per position.
    static constexpr std::array<qint64, 3> kAnalysisBudgets{100000, 1000000, 5000000};
    qint64 analysisNodes() const { return analysisNodes_; }
    void setAnalysisNodes(qint64 nodes);
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
    // The Keys and Features window while it is open.
    QWidget *keysWindow() const { return keys_; }

    // Brings every widget in step with the logic's controls.
    void refresh();

    // The painted board and everything drawn around it.
    BoardView &boardView() const { return *board_; }
    // True while the board is drawn with rank 1 at the top.
    bool boardFlipped() const;

    // The scale the designed layout is drawn at (1: the designed pixels).
    double layoutScale() const { return scale_; }
    // View > Zoom In, Zoom Out and Actual Size: the window takes the layout's
    // size at the next step, as far as the screen allows; a maximised window
    // keeps its size and draws the layout smaller or back up to its size.
    void zoomTo(double scale);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    // Places a control at its designed rectangle (twips) at the current scale,
    // and keeps it there when the scale changes; font in points, if any.
    void place(QWidget *widget, QRect twips, const QString &family = {}, double points = 0);
    // Draws the layout at scale, centred in the client area; live while the
    // user drags the window's corner.
    void applyScale(double scale, bool live = false);
    // The largest scale the client area holds the layout at.
    double fitScale() const;
    // Opens inside the screen's free area, at the largest scale up to 1 that fits.
    void fitOnScreen();
    void placeAutoSizeLabel(QLabel *label, const std::string &caption, int topTwips, int heightTwips);
    void showFileName(const std::string &caption);
    void selectInView(std::int64_t row);
    // The View menu, the keys, the wheel and drops: main_window_viewer.cpp.
    void buildViewer();
    // View > Standard Notation and the keys for the file's other games:
    // main_window_games.cpp.
    void buildGameCommands();
    void showTitle();
    // The variation commands, the grey selection and the title's variation:
    // main_window_variations.cpp.
    void buildVariationCommands(QMenu *edit);
    void showVariationState();
    // Before another game replaces this one: asks about unsaved variations;
    // false when the user cancelled.
    bool keepOrDropVariations();

    std::unique_ptr<FileDialog> ownDialog_;
    std::unique_ptr<MessageBox> ownBox_;
    // The box the logic is given: it refreshes the view before it shows.
    std::unique_ptr<MessageBox> refreshingBox_;
    ChsMain core_;
    std::unique_ptr<Variations> variations_;
    std::unique_ptr<Question> ownQuestion_;
    Question *question_ = nullptr;
    QAction *deleteVariation_ = nullptr;
    BoardMoves *boardMoves_ = nullptr;
    QAction *promoteVariation_ = nullptr;
    bool shownOffRecord_ = false;
    std::string titleVariation_; // the variation the title shows
    std::string titleOpening_;   // the opening it names
    // The GMime parser, loaded when the first message needs it.
    std::unique_ptr<MessageParser> mailParser_;
    std::unique_ptr<GameChooser> ownChooser_;
    std::unique_ptr<Clipboard> ownClipboard_;
    Clipboard *clipboard_ = nullptr;

    BoardView *board_ = nullptr;
    QWidget *client_ = nullptr;
    struct Placed {
        QWidget *widget;
        QRect twips;
        QString family;
        double points;
    };
    std::vector<Placed> placed_;
    double scale_ = 1.0;
    // The scale a zoom asked for while the window could not change its size.
    std::optional<double> chosenScale_;
    // The scale a zoom resized the window for, until its resize arrives.
    std::optional<double> pendingScale_;
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
    QPointer<QWidget> keys_;
    std::string titleName_; // the record name the title shows
    ExportCommands *export_ = nullptr;
    QPointer<AnalysisWindow> analysis_;
    int analysisLines_ = 1;
    qint64 analysisNodes_ = kAnalysisBudgets[0];
    bool syncingSelection_ = false;
    bool namesFlipped_ = false;
    bool built_ = false; // the constructor has run
    bool shownOnce_ = false;
    // The start of each auto-sizing label's caption as last shown.
    std::unordered_map<const QLabel *, std::string> shownCaptions_;
};

} // namespace quorvane::ui
