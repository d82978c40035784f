#include "cli/TerminalSessionCommand.h"

#include "cli/ConsoleInteraction.h"
#include "cli/LoadedSite.h"
#include "terminal/RawImport.h"
#include "terminal/RioCom.h"
#include "terminal/RioComDriver.h"
#include "terminal/TerminalSession.h"

#include <QTextStream>

#include "values/Conversions.h"

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
    return QStringLiteral("importa as leituras de um ficheiro RAW (FILE)");
}

int TerminalSessionCommand::run(const QStringList& arguments, CommandContext& context)
{
    const bool importRaw = m_name == u"import-raw";
    if (arguments.size() != (importRaw ? 1 : 0)) {
        context.err << "Utilização: tarvik-cli [--workbook PATH] " << m_name << (importRaw ? " FILE\n" : "\n");
        return 2;
    }
    LoadedSite site(context);
    if (!site.load())
        return 1;
    const int shownBefore = context.ui.messagesShown();
    if (importRaw) {
        QString error;
        if (!RawImport(site.tables, site.data1, context.ui, site.clock).runFile(arguments.first(), &error)) {
            context.err << error << '\n';
            return 1;
        }
        return 0;
    }
    QString error;
    const std::unique_ptr<RioCom> driver = RioComDriver::create(site.settings, &error);
    if (!driver) {
        context.err << error << '\n';
        return 1;
    }
    TerminalSession session(*driver, site.tables, site.data1, site.settings, context.ui, site.clock);
    session.setPort(Conversions::roundToWhole(Conversions::numericValue(site.settings.value(SettingsKeys::CommPort))));
    driver->I_OpenCom(session.port(), 19200);
    session.poll();
    if (m_name == u"receive")
        session.ReceberDados();
    else
        session.EnviarDados();
    driver->I_CloseCom(session.port());
    return context.ui.messagesShown() > shownBefore ? 1 : 0;
}
