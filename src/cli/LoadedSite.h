#pragma once
#include "app/Clock.h"
#include "app/SettingsStore.h"
#include "data/DataControl.h"
#include "data/InventoryTables.h"

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
