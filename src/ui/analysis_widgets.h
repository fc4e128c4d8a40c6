#pragma once
// The painted parts of the Analysis window and the model they read. None of
// them keeps a score: the evaluations are the game's (engine::GameAnalysis, kept
// by the window's logic), the review is made from them, and the widgets paint
// what ReviewModel says. Each widget says what it shows in its accessible name
// or its items' text, so screen readers and tests read the figures as text.

#include "chess/game.h"
#include "engine/game_analysis.h"
#include "engine/review.h"
#include "engine/uci.h"
#include "logic/move_rows.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QWidget>

#include <map>
#include <optional>
#include <vector>

namespace quorvane::ui {

// The colour of a side's judgement marks, in the graph and in the move list.
QColor sideColor(bool white);

// One half-move of the game's main line as the review names it: where it is in
// the game and how it is written. (The move list's rows, variations and all,
// come from logic/move_rows.)
struct MoveCell {
    chess::GamePath path;
    QString san;
    int moveNumber = 1;
    bool white = true;
};

// The game's analysis as the window shows it: the evaluation of each position,
// the judgement of each half-move and the review's figures, with the half-moves'
// names. Positions are numbered as the main line's: 0 the start, k after k
// half-moves.
class ReviewModel : public QObject {
    Q_OBJECT
public:
    explicit ReviewModel(QObject *parent = nullptr);

    // Starts over with another game's analysis (kept by the caller, which
    // outlives this model), its main line's half-moves, and the result text of
    // each position where the game is over there ("1-0", "0-1", "1/2-1/2";
    // empty elsewhere).
    void reset(const engine::GameAnalysis *analysis, std::vector<MoveCell> cells, std::vector<QString> endings);
    // Reads the analysis again after it changed.
    void refresh();

    int positions() const { return analysis_ ? static_cast<int>(analysis_->size()) : 0; }
    int evaluated() const { return analysis_ ? static_cast<int>(analysis_->known()) : 0; }
    bool whiteStarts() const { return analysis_ ? analysis_->whiteStarts() : true; }
    const engine::PositionEval *eval(int index) const;
    std::optional<engine::Score> score(int index) const;
    // "+0.3", "#-2", the result where the game is over; empty while unknown.
    QString scoreText(int index) const;
    // Half-moves are numbered from 1.
    int halfMoves() const { return static_cast<int>(cells_.size()); }
    const MoveCell &cell(int halfMove) const { return cells_.at(static_cast<std::size_t>(halfMove - 1)); }
    // "12. Nf3", "12... Nf6", with its judgement mark when it has one.
    QString moveText(int halfMove, bool withMark = true) const;
    engine::Judgement judgement(int halfMove) const;
    const engine::GameReview &review() const { return review_; }
    // The half-moves of one side with this judgement, in order.
    std::vector<int> judged(bool white, engine::Judgement judgement) const;

signals:
    void changed();

private:
    const engine::GameAnalysis *analysis_ = nullptr;
    std::vector<MoveCell> cells_;
    std::vector<QString> endings_;
    engine::GameReview review_;
};

// A vertical bar: White's share from the bottom (from the top when the board is
// flipped, so White's side of the bar is where White's pieces are), clipped at
// +/-10 pawns; a mate fills it.
class EvalBar : public QWidget {
    Q_OBJECT
public:
    explicit EvalBar(QWidget *parent = nullptr);
    void setScore(std::optional<engine::Score> score);
    void setFlipped(bool flipped);
    bool flipped() const { return flipped_; }
    QSize sizeHint() const override { return {22, 160}; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    void describe();
    std::optional<engine::Score> score_;
    bool flipped_ = false;
};

// The evaluation of every position of the game from the start to the last,
// clipped at +/-10 pawns, White's share filled from the bottom as in the bar,
// with a pawn scale at the side and move numbers along the bottom. The shown
// position is marked with a line; judged half-moves with a dot in the colour of
// the side that erred, larger the worse it was. Hovering names the half-move,
// its score and judgement; a click picks the nearest position.
class GameGraph : public QWidget {
    Q_OBJECT
public:
    explicit GameGraph(const ReviewModel &model, QWidget *parent = nullptr);
    void setMarked(std::optional<int> index);
    // A sentence the accessible name ends with (the positions with no evaluation).
    void setNote(const QString &note);
    int count() const { return model_.positions(); }
    int evaluated() const { return model_.evaluated(); }
    std::optional<engine::Score> evaluation(int index) const { return model_.score(index); }
    // The position a click at x (widget pixels) picks.
    int indexAt(int x) const;
    // What hovering over position index says.
    QString pointText(int index) const;
    QSize sizeHint() const override { return {420, 170}; }

signals:
    void pointClicked(int index);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRectF plotArea() const;
    void describe();

    const ReviewModel &model_;
    std::optional<int> marked_;
    QString note_;
};

// The move list's table, from the rows of the game's tree (logic/move_rows): a
// main-line row has its move number and White's and Black's half-moves in
// their own columns; a variation's row is one cell across, its text indented by
// its depth. A main-line cell's text is its move, its judgement mark and the
// score after it ("Nf6? -1.2"), for the game's own half-moves.
class MoveTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role {
        JudgementRole = Qt::UserRole + 1,
        MarkRole,
        SanRole,
        ScoreRole,
        WhiteRole,
        HalfMoveRole,
        DepthRole,        // a variation row's depth (set only on variation rows)
        CurrentTokenRole, // a variation row: which of its moves is current, or -1
    };
    explicit MoveTableModel(const ReviewModel &model, QObject *parent = nullptr);
    void setRows(std::vector<MoveRow> rows);
    const std::vector<MoveRow> &rows() const { return rows_; }
    bool isVariation(int row) const;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // The cell that holds token of row (a variation row's one cell).
    QModelIndex cellOf(int row, int token) const;
    // The cell of the game's own half-move k (1-based), wherever it is; invalid
    // where there is none.
    QModelIndex indexOf(int halfMove) const;
    // The game's half-move in a main-line cell; 0 elsewhere.
    int halfMoveAt(const QModelIndex &index) const;
    // The move in a cell: a main-line cell's, or a variation row's token-th.
    const MoveToken *tokenAt(const QModelIndex &index, int token = 0) const;
    // The cursor's move, as (row, token); nothing at the start or off the rows.
    void setCurrent(const std::optional<chess::GamePath> &path);
    std::optional<std::pair<int, int>> current() const;

private:
    const ReviewModel &model_;
    std::vector<MoveRow> rows_;
    std::map<int, std::pair<int, int>> cells_; // the game's half-move -> (row, token)
    std::optional<chess::GamePath> currentPath_;
    std::optional<std::pair<int, int>> current_;
};

class MoveList : public QTableView {
    Q_OBJECT
public:
    explicit MoveList(const ReviewModel &model, QWidget *parent = nullptr);
    MoveTableModel *moves() const { return moves_; }
    // Highlights the cursor's move wherever it is: its cell on the main line,
    // the move itself in a variation's row.
    void setCurrent(const std::optional<chess::GamePath> &path);
    // The game's half-move highlighted; -1 for none or a move of the user's.
    int current() const;
    // How many characters a variation's row may hold at this width.
    int rowChars() const;
    // The move under a point of the viewport, and its place in a variation's row.
    const MoveToken *moveAt(const QPoint &pos, int *tokenIndex = nullptr) const;
    // Where token of row is drawn, in the viewport.
    QRect moveRect(int row, int token) const;

signals:
    // A click on a move; gamePly is the game's own half-move it is, or 0.
    void moveClicked(const quorvane::chess::GamePath &path, int gamePly);
    // A right-click on a move of the variation at steps.
    void variationMenuRequested(const std::vector<quorvane::chess::PathStep> &steps, const QPoint &globalPos);
    // The width changed so much that variation rows should be made again.
    void rowCharsChanged();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showCurrent();
    MoveTableModel *moves_;
    int lastRowChars_ = 0;
};

} // namespace quorvane::ui
