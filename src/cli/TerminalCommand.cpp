#include "cli/TerminalCommand.h"

#include "terminal/SimulatedTerminal.h"

#include <QFile>
#include <QTextStream>

int TerminalCommand::run(const QStringList& arguments, CommandContext& context)
{
    SimulatedTerminal terminal(SimulatedTerminal::defaultFolder());
    const QString action = arguments.value(0);
    QString error;
    bool ok = true;
    if (action == u"dock" && arguments.size() == 1) {
        ok = terminal.setDocked(true, &error);
    } else if (action == u"undock" && arguments.size() == 1) {
        ok = terminal.setDocked(false, &error);
    } else if (action == u"load" && arguments.size() == 2) {
        QFile file(arguments.at(1));
        if (!file.open(QIODevice::ReadOnly)) {
            context.err << QStringLiteral("Não foi possível ler %1: %2.").arg(file.fileName(), file.errorString())
                        << '\n';
            return 1;
        }
        ok = terminal.loadEntries(file.readAll(), &error);
    } else if (action == u"status" && arguments.size() == 1) {
        context.out << "No suporte: " << (terminal.isDocked() ? "sim" : "não") << '\n'
                    << "Registos por receber: " << terminal.entries().size() / 55 << '\n'
                    << "Porta aberta: " << terminal.openedPort() << '\n';
        for (const char* list : { "ListCodFamilias", "ListCodBarras", "ListCodArtigos", "ListUnidades" })
            context.out << list << ": " << terminal.list(QString::fromLatin1(list)).size() << " bytes\n";
        return 0;
    } else {
        context.err << "Utilização: tarvik-cli terminal dock | undock | load FILE | status\n";
        return 2;
    }
    if (!ok)
        context.err << error << '\n';
    return ok ? 0 : 1;
}
