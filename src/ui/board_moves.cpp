#include "ui/board_moves.h"

#include "board/board.h"
#include "ui/art/drawn_ahead.h"
#include "ui/board_view.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>

#include <algorithm>

namespace quorvane::ui {

BoardMoves::BoardMoves(FrmChsMain &window, BoardView &board) : QObject(&window), window_(window), board_(board) {
    usePromotionChooser(nullptr);
    connect(&board, &BoardView::squarePressed, this, &BoardMoves::pressed);
    connect(&board, &BoardView::squareMoved, this, &BoardMoves::moved);
    connect(&board, &BoardView::squareReleased, this, &BoardMoves::released);
    // A window that loses the mouse (another window, a box) ends a drag.
    window.installEventFilter(this);
}

BoardMoves::~BoardMoves() = default;

void BoardMoves::usePromotionChooser(PromotionChooser *chooser) {
    if (!chooser && !ownChooser_)
        ownChooser_ = std::make_unique<PromotionDialog>(&window_);
    chooser_ = chooser ? chooser : ownChooser_.get();
}

bool BoardMoves::eventFilter(QObject *, QEvent *event) {
    if (event->type() == QEvent::WindowDeactivate && dragging_)
        cancel();
    return false;
}

std::string BoardMoves::positionKey() {
    const auto position = window_.variations().BoardPosition();
    return position ? position->toFen() + (window_.variations().OffRecord() ? " off" : " on") : std::string();
}

void BoardMoves::cancel() {
    picked_ = -1;
    slot_ = -1;
    targets_.clear();
    pressed_ = false;
    dragging_ = false;
    board_.setTargets({});
    board_.setDragged(-1);
}

bool BoardMoves::pick(int square, QPointF at) {
    std::vector<int> targets = window_.variations().TargetsFrom(square);
    if (targets.empty())
        return false;
    const std::string name = board::SquareName(square);
    const ChsMain &core = window_.core();
    int slot = -1;
    for (int i = 0; i < board::kPieceCount && slot < 0; ++i)
        if (core.Image1[static_cast<std::size_t>(i)].Visible && core.Image1[static_cast<std::size_t>(i)].Tag == name)
            slot = i;
    picked_ = square;
    slot_ = slot;
    targets_ = targets;
    pickedKey_ = positionKey();
    pressAt_ = at;
    board_.setTargets(std::move(targets));
    return true;
}

void BoardMoves::pressed(int square, Qt::MouseButton button, QPointF at) {
    if (button != Qt::LeftButton) {
        cancel();
        return;
    }
    pressed_ = true;
    dragging_ = false;
    if (picked_ >= 0) {
        // The second click of click-then-click: a target takes the move, the
        // piece itself or another of the side's pieces is picked (again).
        if (std::find(targets_.begin(), targets_.end(), square) != targets_.end()) {
            pressed_ = false;
            drop(square);
            return;
        }
        // Anything else puts it down; a piece of the side to move is taken up
        // instead (the same one again, to be dragged).
        cancel();
        pressed_ = true;
        pick(square, at);
        return;
    }
    pick(square, at);
}

void BoardMoves::moved(int, QPointF at) {
    if (!pressed_ || picked_ < 0 || slot_ < 0)
        return;
    if (!dragging_ && (at - pressAt_).manhattanLength() < QApplication::startDragDistance())
        return;
    dragging_ = true;
    board_.setDragged(slot_, at);
}

void BoardMoves::released(int square, Qt::MouseButton button, QPointF) {
    if (button != Qt::LeftButton || !pressed_)
        return;
    pressed_ = false;
    if (!dragging_)
        return; // a click: the piece stays picked up for the second click
    dragging_ = false;
    board_.setDragged(-1);
    if (std::find(targets_.begin(), targets_.end(), square) != targets_.end())
        drop(square);
    else
        cancel(); // put back: off the board, outside the window, or no legal square
}

void BoardMoves::drop(int square) {
    const int from = picked_;
    // The board may have moved on under a held piece (a key, the wheel, the
    // graph): the move was meant for a position that is gone.
    const bool stale = positionKey() != pickedKey_;
    cancel();
    if (stale || from < 0)
        return;
    Variations &variations = window_.variations();
    chess::PieceType promotion = chess::PieceType::None;
    if (variations.IsPromotion(from, square)) {
        const auto position = variations.BoardPosition();
        QPointer<FrmChsMain> alive(&window_);
        const std::optional<char> letter = chooser_->Choose(position && position->sideToMove() == chess::Color::White);
        if (!alive || !letter || positionKey() != pickedKey_)
            return; // cancelled, or the window or its game went away meanwhile
        switch (*letter) {
        case 'Q': promotion = chess::PieceType::Queen; break;
        case 'R': promotion = chess::PieceType::Rook; break;
        case 'B': promotion = chess::PieceType::Bishop; break;
        case 'N': promotion = chess::PieceType::Knight; break;
        default: return;
        }
    }
    variations.Play(from, square, promotion);
    window_.refresh();
}

void BoardMoves::follow() {
    if (picked_ >= 0 && positionKey() != pickedKey_)
        cancel();
}

std::optional<char> PromotionDialog::Choose(bool white) {
    // On the heap and watched: should the window go while the box is open, it
    // takes the box with it, and nothing here touches either afterwards.
    QPointer<QDialog> box = new QDialog(parent_);
    QDialog &dialog = *box;
    dialog.setObjectName(QStringLiteral("promotionChooser"));
    dialog.setWindowTitle(QStringLiteral("Promote to"));
    auto *row = new QHBoxLayout(&dialog);
    std::optional<char> chosen;
    const struct {
        PieceKind kind;
        char letter;
        const char *name;
    } pieces[] = {{PieceKind::Queen, 'Q', "Queen"},
                  {PieceKind::Rook, 'R', "Rook"},
                  {PieceKind::Bishop, 'B', "Bishop"},
                  {PieceKind::Knight, 'N', "Knight"}};
    const int side = 48;
    for (const auto &piece : pieces) {
        auto *button = new QPushButton(&dialog);
        button->setObjectName(QStringLiteral("promote%1").arg(QChar::fromLatin1(piece.letter)));
        button->setToolTip(QString::fromLatin1(piece.name));
        button->setAccessibleName(QString::fromLatin1(piece.name));
        const qreal ratio = dialog.devicePixelRatioF();
        QImage image = art::pieceImage(piece.kind, white, QSize(side, side) * ratio);
        image.setDevicePixelRatio(ratio);
        button->setIcon(QPixmap::fromImage(image));
        button->setIconSize(QSize(side, side));
        button->setAutoDefault(false);
        QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &chosen, letter = piece.letter] {
            chosen = letter;
            dialog.accept();
        });
        row->addWidget(button);
    }
    // Esc and the close box reject: no piece, no move.
    const int result = dialog.exec();
    if (!box)
        return std::nullopt;
    delete box.data();
    if (result != QDialog::Accepted)
        return std::nullopt;
    return chosen;
}

} // namespace quorvane::ui
