#pragma once
#include "app/Clock.h"
#include "data/DataControl.h"
#include "data/InventoryTables.h"

struct CommandContext;

// The tables of the command's inventory workbook, loaded as start-up loads them, with Data1 attached to it.
class LoadedWorkbook
{
public:
    explicit LoadedWorkbook(CommandContext& context);

    // False, with start-up's two messages written to err, when a sheet could not be loaded.
    bool load();
    InventoryTables& tables() { return m_tables; }
    DataControl& data1() { return m_data1; }

private:
    CommandContext& m_context;
    const Clock m_clock;
    DataControl m_data1;
    InventoryTables m_tables;
};
