#pragma once
// The Analysis window: the engine's view of the position on the main board (its
// evaluation from White's side, the search depth, the best line and a bar) and
// a graph of the whole game, filled in the background by a second engine.
//
// It belongs to the main window, which creates it on View > Analysis and tells
// it after every refresh; the engines run only while it exists, and closing it
// destroys it. Nothing here waits for an engine.

#include "chess/position.h"
#include "engine/uci.h"
#include "platform/qt/uci_engine.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QLabel;
class QPushButton;

namespace quorvane::ui {

class FrmChsMain;
class EvalBar;
class GameGraph;
class GameEvaluator;

struct AnalysisOptions {
    std::function<QString()> locate = &UciEngine::locate; // the engine program; empty: none
    int replyTimeoutMs = 5000;                            // how long an engine may take to answer
    qint64 graphNodes = 100000;                           // the graph's budget per position
    int graphEngines = 0;                                 // the graph's engines; 0: one per core
};

class AnalysisWindow : public QWidget {
    Q_OBJECT
public:
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

    // The engines, for tests; null when there is none.
    UciEngine *liveEngine() const { return live_.get(); }
    UciEngine *graphEngine() const;

signals:
    // The live figures changed (new position, or a new line from the engine).
    void liveUpdated();
    void graphUpdated();

private:
    void buildWidgets();
    void startEngines();
    void restartGraph();
    void showLive(const engine::UciInfo &info);
    void clearLive(const QString &status);
    void setStatus(const QString &text);
    void engineFailed(const QString &message);
    QString engineProblem() const; // empty while the engines work
    void updateProgress();
    // Starts the live figures for position (a final one is scored on the spot).
    void analyseLive(const chess::Position &position);

    FrmChsMain &main_;
    AnalysisOptions options_;
    std::unique_ptr<UciEngine> live_;
    GameEvaluator *evaluator_ = nullptr;

    QLabel *lblStatus_ = nullptr;
    QPushButton *cmdRestart_ = nullptr;
    QLabel *lblEval_ = nullptr;
    QLabel *lblDepth_ = nullptr;
    QLabel *lblLine_ = nullptr;
    EvalBar *bar_ = nullptr;
    GameGraph *graphView_ = nullptr;
    QLabel *lblProgress_ = nullptr;

    std::optional<std::uint64_t> gameRevision_; // lstFieldsList's, when the graph was set up
    std::int64_t shownIndex_ = -1;              // the position the live figures are for
    std::string shownVariationFen_;             // or the variation's position, when not empty
    std::optional<chess::Position> livePosition_;
    int liveId_ = -1;
};

} // namespace quorvane::ui
