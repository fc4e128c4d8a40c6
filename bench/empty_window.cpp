// The floor for launch to first pixels: an empty Qt window of the main window's
// size, built with the same flags and linked like the program, doing nothing
// else.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(686, 560);
    window.show();
    return QApplication::exec();
}
