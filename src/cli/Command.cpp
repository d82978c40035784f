#include "cli/Command.h"

#include "platform/SitePaths.h"

#include <QTextStream>

int Command::run(const QStringList& arguments, CommandContext& context)
{
    if (arguments == QStringList { QStringLiteral("--help") }) {
        context.out << "Utilização: tarvik-cli [--workbook PATH] " << synopsis() << "\n\n" << summary() << ".\n";
        return Success;
    }
    if (!accepts(arguments)) {
        context.err << "Utilização: tarvik-cli [--workbook PATH] " << synopsis() << '\n';
        return BadUsage;
    }
    const CommandResult result = execute(arguments, context);
    for (const QString& message : result.messages())
        context.err << message << '\n';
    switch (result.ending()) {
    case CommandResult::Ending::Done:
    case CommandResult::Ending::NothingToDo:
        return Success;
    case CommandResult::Ending::Cancelled:
        context.err << "Cancelado; nada foi alterado.\n";
        return Failure;
    case CommandResult::Ending::Failed:
        break;
    }
    return Failure;
}

QString Command::synopsis() const
{
    const QString shown = argumentsShown();
    return shown.isEmpty() ? name() : name() + u' ' + shown;
}

QString Command::sitePath(const QString& argument)
{
    return SitePaths::resolve(argument);
}
