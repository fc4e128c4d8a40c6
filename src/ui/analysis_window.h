#pragma once
// The Analysis window: the engine's view of the position on the main board (its
// evaluation from White's side, the search depth, the best lines and a bar),
// and the review of the whole game: each side's accuracy, average centipawn
// loss and judgements, a graph and a move list, filled in the background by a
// second engine.
//
// The whole game's evaluations are the game's (ChsMain::Analysis), not this
// window's: closing the window stops its engines and keeps what they found, and
// opening it again shows that at once. It belongs to the main window, which
// creates it on View > Analysis and tells it after every refresh. Nothing here
// waits for an engine.

#include "chess/game.h"
#include "chess/position.h"
#include "engine/uci.h"
#include "platform/qt/uci_engine.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;

namespace quorvane::ui {

class FrmChsMain;
class EvalBar;
class GameGraph;
class GameEvaluator;
class MoveList;
class ReviewModel;

struct AnalysisOptions {
    std::function<QString()> locate = &UciEngine::locate; // the engine program; empty: none
    int replyTimeoutMs = 5000;                            // how long an engine may take to answer
    qint64 graphNodes = 100000;                           // the graph's budget per position
    int graphEngines = 0;                                 // the graph's engines; 0: one per core
    // The live analysis of one position pauses at this depth or after this
    // long, whichever comes first, so a laptop's fan does not run for ever.
    int liveDepthLimit = 30;
    int liveTimeLimitMs = 60000;
};

class AnalysisWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 5;

    AnalysisWindow(FrmChsMain &main, AnalysisOptions options = {});
    ~AnalysisWindow() override;

    // Brings the analysis in step with the main board: a new record starts the
    // graph over, another position starts a new search. Cheap when nothing
    // changed.
    void follow();
    // Shows position index of the game on the main board, stepping there with
    // Next or Back as the user would, then painting once.
    void showPosition(int index);
    // Starts both engines again after a failure.
    void restartEngines();
    // How many best lines the live analysis shows (1 to kMaxLines).
    void setLines(int lines);
    // Goes on with a live search that paused at its bound.
    void goOn();
    // View > Analysis Depth: the graph's node budget per position. Another
    // budget searches the whole game again at it.
    void setGraphNodes(qint64 nodes);
    qint64 graphNodes() const { return options_.graphNodes; }

    // The engines, for tests; null when there is none.
    UciEngine *liveEngine() const { return live_.get(); }
    UciEngine *graphEngine() const;

signals:
    // The live figures changed (new position, or a new line from the engine).
    void liveUpdated();
    void graphUpdated();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWidgets();
    QWidget *buildReview();
    void shareMainWindowKeys();
    void startEngines();
    void startLive();
    void restartGraph();
    void showLive(const engine::UciInfo &info);
    void clearLive(const QString &status);
    void pauseLive(const QString &why);
    void setStatus(const QString &text);
    void engineFailed(const QString &message);
    QString engineProblem() const; // empty while the engines work
    // Starts the live figures for position (a final one is scored on the spot).
    void analyseLive(const chess::Position &position);
    void reviewChanged();
    // Names the positions the graph's engines gave up, or cannot reach now.
    void showMissing();
    void showMoveDetail();
    // The move list's rows made again from the game with its variations.
    void showRows();
    // The move list's click: the board to that move.
    void goToMove(const chess::GamePath &path, int gamePly);
    // The right-click menu of a variation's move.
    void variationMenu(const std::vector<chess::PathStep> &steps, const QPoint &globalPos);
    void goToJudged(bool white, int judgement);

    FrmChsMain &main_;
    AnalysisOptions options_;
    std::unique_ptr<UciEngine> live_;
    QString program_; // the engine program; empty when there is none
    GameEvaluator *evaluator_ = nullptr;
    ReviewModel *review_ = nullptr;
    // Evaluations come one by one; the review is made again at most this often.
    QTimer reviewTimer_;

    QLabel *lblStatus_ = nullptr;
    QPushButton *cmdRestart_ = nullptr;
    QLabel *lblEval_ = nullptr;
    QLabel *lblDepth_ = nullptr;
    std::array<QLabel *, kMaxLines> lblLines_{};
    QLabel *lblPaused_ = nullptr;
    QPushButton *cmdGoOn_ = nullptr;
    EvalBar *bar_ = nullptr;
    GameGraph *graphView_ = nullptr;
    MoveList *moveList_ = nullptr;
    QLabel *lblMove_ = nullptr;
    QLabel *lblMissing_ = nullptr;
    QLabel *lblProgress_ = nullptr;
    // Per side (White, Black): accuracy, ACPL, and one button per judgement.
    std::array<QLabel *, 2> lblAccuracy_{};
    std::array<QLabel *, 2> lblAcpl_{};
    std::array<std::array<QPushButton *, 3>, 2> cmdJudged_{};

    std::optional<std::uint64_t> gameRevision_; // lstFieldsList's, when the graph was set up
    std::optional<std::uint64_t> treeRevision_; // the variations', when the move list's rows were made
    std::int64_t shownIndex_ = -1;              // the position the live figures are for
    std::string shownVariationFen_;             // or the variation's position, when not empty
    std::optional<chess::Position> livePosition_;
    int liveId_ = -1;
    int lines_ = 1;
    bool liveUnbounded_ = false; // Go on was pressed for this position
    QTimer liveClock_;
    // The game on the board: its main line's positions and moves.
    std::vector<chess::Position> positions_;
    std::vector<chess::Move> moves_;
};

} // namespace quorvane::ui
