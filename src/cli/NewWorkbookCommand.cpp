#include "cli/NewWorkbookCommand.h"

#include <QTextStream>

#include "tables/InventoryWorkbook.h"

int NewWorkbookCommand::run(const QStringList& arguments, CommandContext& context)
{
    if (arguments.size() != 1) {
        context.err << "Utilização: tarvik-cli new-workbook PATH\n";
        return 2;
    }
    QString error;
    if (!InventoryWorkbook::create(arguments.first(), &error)) {
        context.err << error << '\n';
        return 1;
    }
    return 0;
}
