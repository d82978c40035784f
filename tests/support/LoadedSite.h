#pragma once
#include "platform/Clock.h"
#include "support/ScriptedInteraction.h"
#include "tables/InventoryTables.h"
#include "workbook/DataControl.h"

#include <QString>

// A site's workbook with its four tables loaded, as a command finds them, for a test to change and save.
struct LoadedSite
{
    explicit LoadedSite(const QString& path);
    // False, with the loaders' messages in why, when the tables do not load.
    bool load(QString* why);
    // A raw import's saves as one command; false with why.
    bool saveAfterRawImport(QString* why);

    ScriptedInteraction ui;
    Clock clock;
    InventoryTables tables { ui, clock };
    DataControl data1;
};
