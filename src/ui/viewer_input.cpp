#include "ui/viewer_input.h"

#include "ui/board_view.h"
#include "ui/main_window.h"
#include "ui/text_codec.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <QWheelEvent>

namespace quorvane::ui {

namespace {

// One notch of an ordinary mouse wheel; finer wheels and touchpads report parts of it.
constexpr int kWheelNotch = 120;

} // namespace

ViewerInput::ViewerInput(FrmChsMain &window, std::initializer_list<QWidget *> focusTakers, QWidget *board)
    : QObject(&window), window_(window), board_(board) {
    window.installEventFilter(this);
    window.setAcceptDrops(true);
    for (QWidget *widget : focusTakers)
        widget->installEventFilter(this);
    board->installEventFilter(this);
}

bool ViewerInput::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        return watched != board_ && keyPress(static_cast<const QKeyEvent &>(*event));
    case QEvent::Wheel:
        if (watched != board_)
            return false;
        // Over the squares only, not the bars and coordinates around them.
        if (const auto *view = qobject_cast<const BoardView *>(board_);
            view && view->squareAt(static_cast<const QWheelEvent *>(event)->position()) < 0)
            return false;
        wheel(static_cast<const QWheelEvent &>(*event));
        return true;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (watched != &window_)
            return false;
        dragOver(static_cast<QDropEvent &>(*event));
        return true;
    case QEvent::Drop: {
        if (watched != &window_)
            return false;
        auto &drop = static_cast<QDropEvent &>(*event);
        if (dragOver(drop))
            window_.openPath(droppedFile(drop.mimeData()));
        return true;
    }
    default:
        return false;
    }
}

bool stepByKey(FrmChsMain &window, const QKeyEvent &key) {
    // With Ctrl, Alt or Shift the keys keep whatever meaning the widget gives them.
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (key.key()) {
    case Qt::Key_Right:
        window.stepBy(1);
        return true;
    case Qt::Key_Left:
        window.stepBy(-1);
        return true;
    case Qt::Key_Home:
        window.goToStart();
        return true;
    case Qt::Key_End:
        window.goToEnd();
        return true;
    case Qt::Key_Up:
        return window.chooseVariation(-1);
    case Qt::Key_Down:
        return window.chooseVariation(1);
    default:
        return false;
    }
}

bool ViewerInput::keyPress(const QKeyEvent &key) { return stepByKey(window_, key); }

void ViewerInput::wheel(const QWheelEvent &wheel) {
    const int delta = wheel.angleDelta().y();
    // Turning the other way starts afresh rather than first paying back the rest.
    if ((delta > 0 && wheelRest_ < 0) || (delta < 0 && wheelRest_ > 0))
        wheelRest_ = 0;
    wheelRest_ += delta;
    const int notches = wheelRest_ / kWheelNotch;
    if (notches == 0)
        return;
    wheelRest_ -= notches * kWheelNotch;
    // Away from the user (up) goes back, towards the user (down) forward, as a
    // list scrolls.
    window_.stepBy(-notches);
}

bool ViewerInput::dragOver(QDropEvent &drag) {
    // A copy only: a drop accepted as a move would have the file manager delete
    // the record once it was read.
    if (droppedFile(drag.mimeData()).empty() || !(drag.possibleActions() & Qt::CopyAction)) {
        drag.ignore();
        return false;
    }
    drag.setDropAction(Qt::CopyAction);
    drag.accept();
    return true;
}

std::string ViewerInput::droppedFile(const QMimeData *data) {
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && !QFileInfo(path).isDir())
            return toLocalPath(path);
    }
    return {};
}

} // namespace quorvane::ui
