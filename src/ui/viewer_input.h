#pragma once
// The main window's keyboard, wheel and drop handling on top of its designed
// events: the arrow keys, Home and End step through the game from anywhere in
// the window, the wheel steps over the board, and a record dropped on the
// window is opened.

#include <QObject>

#include <initializer_list>
#include <string>

class QDropEvent;
class QKeyEvent;
class QMimeData;
class QWheelEvent;

namespace quorvane::ui {

class FrmChsMain;

// Right, Left, Home and End without modifiers step window's board (Next, Back,
// the start, the end); true when key was one of them. The Analysis window
// shares them.
bool stepByKey(FrmChsMain &window, const QKeyEvent &key);

class ViewerInput : public QObject {
public:
    // Watches the window for keys that reach it and for drops, each of
    // focusTakers for keys before it handles them itself, and board for the wheel.
    ViewerInput(FrmChsMain &window, std::initializer_list<QWidget *> focusTakers, QWidget *board);

    // The local file a drop of data would open: the first file among its URLs;
    // empty when it holds none.
    static std::string droppedFile(const QMimeData *data);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool keyPress(const QKeyEvent &key);
    void wheel(const QWheelEvent &wheel);
    // Accepts the drag as a copy when it brings a file; true when it did.
    bool dragOver(QDropEvent &drag);

    FrmChsMain &window_;
    QWidget *board_;
    // Wheel travel not yet stepped, in eighths of a degree (120 per notch).
    int wheelRest_ = 0;
};

} // namespace quorvane::ui
