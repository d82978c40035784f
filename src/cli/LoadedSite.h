#pragma once
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "tables/InventoryTables.h"
#include "workbook/DataControl.h"

struct CommandContext;

// The inventory workbook loaded as start-up loads it, for the commands that work on the tables.
class LoadedSite
{
public:
    explicit LoadedSite(CommandContext& context);

    // False after writing start-up's two messages to the console.
    bool load();

    CommandContext& context;
    Clock clock;
    SettingsStore settings;
    InventoryTables tables;
    DataControl data1;
};
