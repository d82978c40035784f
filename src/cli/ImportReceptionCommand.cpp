#include "cli/ImportReceptionCommand.h"

#include "cli/ConsoleInteraction.h"
#include "site/Site.h"

#include <QTextStream>

bool ImportReceptionCommand::accepts(const QStringList& arguments) const
{
    return arguments.size() == 1 && !arguments.first().isEmpty();
}

CommandResult ImportReceptionCommand::executeOnSite(Site& site, const QStringList& arguments, CommandContext& context)
{
    context.ui.setChosenFile(sitePath(arguments.first()));
    const CommandResult result = site.ImportarFicheiro();
    if (!result.failed())
        context.out << "Artigos: " << site.tables().NArtigos() << '\n';
    return result;
}
