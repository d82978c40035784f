#include "cli/TerminalSessionCommand.h"

#include "site/Site.h"
#include "terminal/TerminalSession.h"

TerminalSessionCommand::TerminalSessionCommand(QString name)
    : m_name(std::move(name))
{
}

QString TerminalSessionCommand::summary() const
{
    if (m_name == u"receive")
        return QStringLiteral("recebe as leituras do terminal");
    if (m_name == u"send")
        return QStringLiteral("envia as listas para o terminal");
    return QStringLiteral("importa as leituras de um ficheiro RAW");
}

QString TerminalSessionCommand::argumentsShown() const
{
    return m_name == u"import-raw" ? QStringLiteral("FILE") : QString();
}

bool TerminalSessionCommand::accepts(const QStringList& arguments) const
{
    return arguments.size() == (m_name == u"import-raw" ? 1 : 0);
}

// The cradle is read once, as a tick would, but nothing is collected on the way: each command does only what
// its name says, whatever AutoDescarrega asks of the desktop window.
CommandResult TerminalSessionCommand::executeOnSite(Site& site, const QStringList& arguments, CommandContext&)
{
    if (m_name == u"import-raw")
        return site.importRawFile(sitePath(arguments.first()));
    const CommandResult opened = site.openPort();
    if (opened.failed())
        return opened;
    site.session()->poll();
    return m_name == u"receive" ? site.ReceberDados() : site.EnviarDados();
}
