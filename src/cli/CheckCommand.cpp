#include "cli/CheckCommand.h"

#include "site/Site.h"

#include <QTextStream>

CommandResult CheckCommand::executeOnSite(Site& site, const QStringList&, CommandContext& context)
{
    const InventoryTables& tables = site.tables();
    context.out << "Famílias contabilísticas: " << tables.NContas() << '\n'
                << "Artigos: " << tables.NArtigos() << '\n'
                << "Leituras: " << tables.NLeituras() << '\n'
                << "Códigos de barras: " << tables.NCodBarras() << '\n';
    return CommandResult::done();
}
