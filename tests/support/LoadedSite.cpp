#include "support/LoadedSite.h"

#include "tables/DataCommand.h"
#include "tables/InventoryLoader.h"
#include "tables/InventoryWriter.h"

LoadedSite::LoadedSite(const QString& path)
{
    data1.setDatabaseName(path);
}

bool LoadedSite::load(QString* why)
{
    QString first, second;
    if (InventoryLoader(data1, tables, ui).loadAll(&first, &second))
        return true;
    *why = first + u' ' + second;
    return false;
}

bool LoadedSite::saveAfterRawImport(QString* why)
{
    InventoryWriter writer(data1, tables, ui);
    return DataCommand(tables, data1).run([&](QString* e) { return writer.saveAfterRawImport(e); }, why);
}
