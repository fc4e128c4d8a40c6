#include "ui/app.h"

#include "cli/command_line.h"
#include "ui/text_codec.h"

#include <QCoreApplication>

namespace quorvane::ui {

StartUp startQuorvane(const QStringList &arguments, Module1 &module, FileDialog *dialog, MessageBox *box,
                      const std::function<void(const std::string &)> &warn) {
    std::vector<std::string> bytes;
    for (const QString &argument : arguments)
        bytes.push_back(toLocalPath(argument));
    return startQuorvaneFromArgv(bytes, module, dialog, box, warn);
}

StartUp startQuorvaneFromArgv(const std::vector<std::string> &arguments, Module1 &module, FileDialog *dialog,
                      MessageBox *box, const std::function<void(const std::string &)> &warn) {
    const cli::CommandLine command =
        cli::parseCommandLine(std::vector<std::string>(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end()));
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
        // Said as the failure happens: the "Invalid File" box waits for the user.
        ChsMain &core = result.window->core();
        core.BeforeInvalidBox = [&](const std::string &, const std::string &reason) {
            const std::string line = path + ": " + reason + "\n";
            result.warning = fromLocalPath(line);
            if (warn)
                warn(line);
        };
        result.window->openPath(path);
        core.BeforeInvalidBox = nullptr;
    }
    return result;
}

} // namespace quorvane::ui
