#include "cli/LoadedWorkbook.h"

#include "cli/Command.h"
#include "cli/ConsoleInteraction.h"
#include "data/InventoryLoader.h"

#include <QTextStream>

LoadedWorkbook::LoadedWorkbook(CommandContext& context)
    : m_context(context)
    , m_tables(context.ui, m_clock)
{
    m_data1.setDatabaseName(context.workbook);
}

bool LoadedWorkbook::load()
{
    InventoryLoader loader(m_data1, m_tables, m_context.ui);
    QString first, second;
    if (loader.loadAll(&first, &second))
        return true;
    m_context.err << first << '\n' << second << '\n';
    return false;
}
