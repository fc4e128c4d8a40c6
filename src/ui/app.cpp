#include "ui/app.h"

#include "ui/text_codec.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace quorvane::ui {

StartUp startQuorvane(const QStringList &arguments, Module1 &module, FileDialog *dialog, MessageBox *box) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Replays a chess game from a saved game-history e-mail."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A game record (.txt) to open."),
                                 QStringLiteral("[FILE]"));
    StartUp result;
    if (!parser.parse(arguments)) {
        result.output = parser.errorText() + QLatin1Char('\n');
        result.exitCode = 1;
        return result;
    }
    if (parser.isSet(help)) {
        result.output = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.output = QCoreApplication::applicationName() + QLatin1Char(' ') +
                        QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        result.output = QStringLiteral("quorvane opens one record at a time.\n");
        result.exitCode = 1;
        return result;
    }
    result.window = std::make_unique<FrmChsMain>(module, dialog, box);
    result.window->show();
    if (!files.isEmpty()) {
        result.window->openPath(toLocalPath(files.first()));
        // The box says only "File not valid."; whoever started us from a shell
        // also learns why a message gave no game.
        const std::string &failure = result.window->core().MailFailure;
        if (!failure.empty())
            std::fprintf(stderr, "%s: %s\n", files.first().toLocal8Bit().constData(), failure.c_str());
    }
    return result;
}

} // namespace quorvane::ui
