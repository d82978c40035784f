#include "cli/NewWorkbookCommand.h"

#include "tables/InventoryWorkbook.h"

bool NewWorkbookCommand::accepts(const QStringList& arguments) const
{
    return arguments.size() == 1;
}

CommandResult NewWorkbookCommand::execute(const QStringList& arguments, CommandContext&)
{
    QString error;
    if (!InventoryWorkbook::create(sitePath(arguments.first()), &error))
        return CommandResult::failed(error);
    return CommandResult::done();
}
