#include "ui/app.h"

#include "cli/command_line.h"
#include "ui/text_codec.h"

#include <QCoreApplication>

namespace quorvane::ui {

StartUp startQuorvane(const QStringList &arguments, Module1 &module, FileDialog *dialog, MessageBox *box) {
    std::vector<std::string> args;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(toLocalPath(arguments[i]));
    const cli::CommandLine command = cli::parseCommandLine(args);
    StartUp result;
    switch (command.action) {
    case cli::CommandLine::Action::Wrong:
        result.output = QString::fromStdString(command.error) + QLatin1Char('\n');
        result.exitCode = 1;
        return result;
    case cli::CommandLine::Action::Help:
        result.output = QString::fromStdString(cli::helpText());
        return result;
    case cli::CommandLine::Action::Version:
        result.output = QCoreApplication::applicationName() + QLatin1Char(' ') +
                        QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return result;
    case cli::CommandLine::Action::ToPgn:
    case cli::CommandLine::Action::List:
        // The program runs these before any application object exists.
        result.output = command.action == cli::CommandLine::Action::List ? QStringLiteral("--list opens no window.\n")
                                                                         : QStringLiteral("--to-pgn opens no window.\n");
        result.exitCode = 1;
        return result;
    case cli::CommandLine::Action::Window:
        break;
    }
    result.window = std::make_unique<FrmChsMain>(module, dialog, box);
    result.window->show();
    if (!command.files.empty()) {
        const std::string &path = command.files.front();
        result.window->openPath(path);
        if (!module.strCountFailure.empty())
            result.warning = QString::fromLocal8Bit(path.c_str()) + QStringLiteral(": ") +
                             QString::fromStdString(module.strCountFailure) + QLatin1Char('\n');
    }
    return result;
}

} // namespace quorvane::ui
