#include "cli/ReportCommand.h"

#include "platform/SitePaths.h"
#include "site/Site.h"

#include <QTextStream>

bool ReportCommand::accepts(const QStringList& arguments) const
{
    return arguments.isEmpty() || (arguments.size() == 2 && arguments.first() == u"--out");
}

CommandResult ReportCommand::executeOnSite(Site& site, const QStringList& arguments, CommandContext& context)
{
    const QString out = arguments.value(1);
    const CommandResult result
        = site.CriarFicheiroDeInventarios(site.settings().value(SettingsKeys::NumerodeCaracteres), out);
    if (!result.failed())
        context.out << "Relatório: " << (out.isEmpty() ? site.reportPath() : sitePath(out)) << '\n';
    return result;
}
