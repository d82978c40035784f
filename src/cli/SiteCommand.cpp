#include "cli/SiteCommand.h"

#include "cli/ConsoleInteraction.h"
#include "site/Site.h"

SiteCommand::SiteCommand() = default;
SiteCommand::~SiteCommand() = default;

CommandResult SiteCommand::execute(const QStringList& arguments, CommandContext& context)
{
    // Kept to the end of the process, which frees the tables at once rather than record by record.
    m_site = std::make_unique<Site>(context.ui, context.workbook);
    // The process ends with its one command: the tables need no copy to put back should the command fail.
    m_site->tables().setRestoredAfterFailure(false);
    const CommandResult loaded = m_site->load();
    const CommandResult result = loaded.failed() ? loaded : executeOnSite(*m_site, arguments, context);
    m_site->shutDown();
    return result;
}
