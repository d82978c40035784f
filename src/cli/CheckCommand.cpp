#include "cli/CheckCommand.h"

#include "cli/LoadedWorkbook.h"

#include <QTextStream>

int CheckCommand::run(const QStringList& arguments, CommandContext& context)
{
    if (!arguments.isEmpty()) {
        context.err << "check não aceita argumentos.\n";
        return 2;
    }
    LoadedWorkbook workbook(context);
    if (!workbook.load())
        return 1;
    const InventoryTables& tables = workbook.tables();
    context.out << "Famílias contabilísticas: " << tables.NContas() << '\n'
                << "Artigos: " << tables.NArtigos() << '\n'
                << "Leituras: " << tables.NLeituras() << '\n'
                << "Códigos de barras: " << tables.NCodBarras() << '\n';
    return 0;
}
