#include "cli/CheckCommand.h"

#include "app/Clock.h"
#include "data/DataControl.h"
#include "data/InventoryLoader.h"
#include "data/InventoryTables.h"

#include <QTextStream>

int CheckCommand::run(const QStringList& arguments, CommandContext& context)
{
    if (!arguments.isEmpty()) {
        context.err << "check não aceita argumentos.\n";
        return 2;
    }
    DataControl data1;
    data1.setDatabaseName(context.workbook);
    const Clock clock;
    InventoryTables tables(context.ui, clock);
    InventoryLoader loader(data1, tables, context.ui);
    QString first, second;
    if (!loader.loadAll(&first, &second)) {
        context.err << first << '\n' << second << '\n';
        return 1;
    }
    context.out << "Famílias contabilísticas: " << tables.NContas() << '\n'
                << "Artigos: " << tables.NArtigos() << '\n'
                << "Leituras: " << tables.NLeituras() << '\n'
                << "Códigos de barras: " << tables.NCodBarras() << '\n';
    return 0;
}
