#include "game/module1.h"
#include "ui/main_window.h"
#include "ui/text_codec.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Replays a chess game from a saved game-history e-mail."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A game record (.txt) to open."),
                                 QStringLiteral("[FILE]"));
    parser.process(app);

    quorvane::Module1 module;
    quorvane::ui::FrmChsMain window(module);
    window.show();
    if (const QStringList files = parser.positionalArguments(); !files.isEmpty())
        window.openPath(quorvane::ui::toLocalPath(files.first()));
    return QApplication::exec();
}
