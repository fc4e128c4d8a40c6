#pragma once
// The two painted parts of the Analysis window. Each says what it shows in its
// accessible name, so screen readers and tests read the figures as text.

#include "engine/uci.h"

#include <QWidget>

#include <optional>
#include <vector>

namespace quorvane::ui {

// A vertical bar: White's share from the bottom, Black's from the top, clipped
// at +/-10 pawns; a mate fills it.
class EvalBar : public QWidget {
    Q_OBJECT
public:
    explicit EvalBar(QWidget *parent = nullptr);
    void setScore(std::optional<engine::Score> score);
    QSize sizeHint() const override { return {22, 160}; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    std::optional<engine::Score> score_;
};

// The evaluation of every position of the game from the start to the last,
// clipped at +/-10 pawns, White's share filled from the bottom as in the bar.
// The shown position is marked with a line, blunders with a dot. A click picks
// the nearest position.
class GameGraph : public QWidget {
    Q_OBJECT
public:
    explicit GameGraph(QWidget *parent = nullptr);
    // Starts over with count positions, none evaluated.
    void reset(int count, bool whiteMovesFirst);
    void setEvaluation(int index, std::optional<engine::Score> score);
    void setMarked(std::optional<int> index);
    int count() const { return static_cast<int>(evals_.size()); }
    int evaluated() const { return evaluated_; }
    std::optional<engine::Score> evaluation(int index) const { return evals_.at(static_cast<std::size_t>(index)); }
    const std::vector<int> &blunderPoints() const { return blunders_; }
    // The position a click at x (widget pixels) picks.
    int indexAt(int x) const;
    QSize sizeHint() const override { return {400, 140}; }

signals:
    void pointClicked(int index);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QRectF plotArea() const;
    void describe();

    std::vector<std::optional<engine::Score>> evals_;
    std::vector<bool> known_;
    std::vector<int> blunders_;
    int evaluated_ = 0;
    bool whiteFirst_ = true;
    std::optional<int> marked_;
};

} // namespace quorvane::ui
