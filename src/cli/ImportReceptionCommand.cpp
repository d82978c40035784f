#include "cli/ImportReceptionCommand.h"

#include "cli/ConsoleInteraction.h"
#include "cli/LoadedSite.h"
#include "reception/ReceptionImport.h"

#include <QTextStream>

#include "platform/Clock.h"

int ImportReceptionCommand::run(const QStringList& arguments, CommandContext& context)
{
    if (arguments.size() != 1 || arguments.first().isEmpty()) {
        context.err << "Utilização: tarvik-cli [--workbook PATH] import-reception FICHEIRO\n";
        return 2;
    }
    LoadedSite site(context);
    if (!site.load())
        return 1;
    context.ui.setChosenFile(arguments.first());
    DataControl data2;
    ReceptionImport reception(site.tables, site.data1, data2, context.ui, site.clock);
    QString error;
    if (!reception.ImportarFicheiro(&error)) {
        // Without a cause here the refusal has already been written.
        if (!error.isEmpty())
            context.err << error << '\n';
        return 1;
    }
    context.out << "Artigos: " << site.tables.NArtigos() << '\n';
    return 0;
}
