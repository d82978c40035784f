#include "cli/LoadedSite.h"

#include "cli/Command.h"
#include "cli/ConsoleInteraction.h"

#include <QTextStream>

#include "tables/InventoryLoader.h"

LoadedSite::LoadedSite(CommandContext& commandContext)
    : context(commandContext)
    , tables(commandContext.ui, clock)
{
    data1.setDatabaseName(context.workbook);
}

bool LoadedSite::load()
{
    InventoryLoader loader(data1, tables, context.ui);
    QString first, second;
    if (loader.loadAll(&first, &second))
        return true;
    context.err << first << '\n' << second << '\n';
    return false;
}
