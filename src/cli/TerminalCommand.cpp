#include "cli/TerminalCommand.h"

#include "terminal/RawImport.h"
#include "terminal/SimulatedTerminal.h"

#include <QTextStream>

bool TerminalCommand::accepts(const QStringList& arguments) const
{
    const QString action = arguments.value(0);
    if (action == u"load")
        return arguments.size() == 2;
    return arguments.size() == 1 && (action == u"dock" || action == u"undock" || action == u"status");
}

CommandResult TerminalCommand::execute(const QStringList& arguments, CommandContext& context)
{
    SimulatedTerminal terminal(SimulatedTerminal::defaultFolder());
    const QString action = arguments.first();
    QString error;
    bool ok = true;
    if (action == u"status") {
        context.out << "No suporte: " << (terminal.isDocked() ? "sim" : "não") << '\n'
                    << "Registos por receber: " << terminal.entries().size() / RawImport::kRecordLength << '\n'
                    << "Porta aberta: " << terminal.openedPort() << '\n';
        for (const char* list : { "ListCodFamilias", "ListCodBarras", "ListCodArtigos", "ListUnidades" })
            context.out << list << ": " << terminal.list(QString::fromLatin1(list)).size() << " bytes\n";
    } else if (action == u"load") {
        ok = terminal.loadEntriesFile(sitePath(arguments.at(1)), &error);
    } else {
        ok = terminal.setDocked(action == u"dock", &error);
    }
    return ok ? CommandResult::done() : CommandResult::failed(error);
}
