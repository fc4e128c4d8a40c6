#pragma once
// Moving pieces by hand on the main window's board: a piece dragged to a
// square, or clicked and then its square clicked. Only legal moves are taken:
// the squares a picked-up piece may go to are marked, and a drop anywhere else
// (off the board, outside the window) puts it back. A pawn reaching its last
// rank asks for the piece. What the move does is the logic's (Variations::Play).

#include "platform/dialogs.h"

#include <QObject>
#include <QPointF>

#include <memory>
#include <string>
#include <vector>

namespace quorvane::ui {

class BoardView;
class FrmChsMain;

class BoardMoves : public QObject {
public:
    BoardMoves(FrmChsMain &window, BoardView &board);
    ~BoardMoves() override;

    // Tests script the promotion chooser (null: the Qt one).
    void usePromotionChooser(PromotionChooser *chooser);
    // The square (an sqrSpace index) of the piece picked up, or -1.
    int picked() const { return picked_; }
    // Puts a picked-up piece back and unmarks its targets.
    void cancel();
    // After a refresh: a board that moved on under a picked-up piece drops it.
    void follow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pressed(int square, Qt::MouseButton button, QPointF at);
    void moved(int square, QPointF at);
    void released(int square, Qt::MouseButton button, QPointF at);
    bool pick(int square, QPointF at);
    void drop(int square);
    // The board's position as the logic has it now, to tell whether it changed
    // while a piece was held.
    std::string positionKey();

    FrmChsMain &window_;
    BoardView &board_;
    std::unique_ptr<PromotionChooser> ownChooser_;
    PromotionChooser *chooser_ = nullptr;
    int picked_ = -1;
    int slot_ = -1;
    std::vector<int> targets_;
    std::string pickedKey_;
    QPointF pressAt_;
    bool pressed_ = false;
    bool dragging_ = false;
};

// The Qt chooser: four buttons with the pieces' pictures; Esc cancels.
class PromotionDialog : public PromotionChooser {
public:
    explicit PromotionDialog(QWidget *parent) : parent_(parent) {}
    std::optional<char> Choose(bool white) override;

private:
    QWidget *parent_;
};

} // namespace quorvane::ui
