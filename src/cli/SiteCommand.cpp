#include "cli/SiteCommand.h"

#include "cli/ConsoleInteraction.h"
#include "site/Site.h"

CommandResult SiteCommand::execute(const QStringList& arguments, CommandContext& context)
{
    Site site(context.ui, context.workbook);
    const CommandResult loaded = site.load();
    return loaded.failed() ? loaded : executeOnSite(site, arguments, context);
}
