// Runs one raw import's saves on the workbook named on the command line; the crash test kills it part-way.
#include "platform/Clock.h"
#include "support/ScriptedInteraction.h"
#include "tables/DataCommand.h"
#include "tables/InventoryLoader.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWriter.h"
#include "workbook/DataControl.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    ScriptedInteraction ui;
    Clock clock;
    InventoryTables tables(ui, clock);
    DataControl data1;
    data1.setDatabaseName(QCoreApplication::arguments().at(1));
    InventoryLoader loader(data1, tables, ui);
    QString error;
    if (!loader.LerFicheiroArtigos(&error) || !loader.LerFicheiroCodigosBarras(&error))
        return 2;
    for (int i = 1; i <= tables.NArtigos(); ++i)
        tables.AdicionaLeitura(CellValue::text(tables.artigo(i).CodArtigo), CellValue::text(QStringLiteral("61")),
            CellValue::text(QStringLiteral("Bar")), CellValue::text(QStringLiteral("UN")), CellValue::number(1),
            CellValue::number(0));
    InventoryWriter writer(data1, tables, ui);
    DataCommand command(tables, data1);
    return command.run([&](QString* e) { return writer.saveAfterRawImport(e); }, &error) ? 0 : 1;
}
