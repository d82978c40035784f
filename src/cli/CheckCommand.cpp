#include "cli/CheckCommand.h"

#include "cli/LoadedSite.h"

#include <QTextStream>

int CheckCommand::run(const QStringList& arguments, CommandContext& context)
{
    if (!arguments.isEmpty()) {
        context.err << "check não aceita argumentos.\n";
        return 2;
    }
    LoadedSite site(context);
    if (!site.load())
        return 1;
    context.out << "Famílias contabilísticas: " << site.tables.NContas() << '\n'
                << "Artigos: " << site.tables.NArtigos() << '\n'
                << "Leituras: " << site.tables.NLeituras() << '\n'
                << "Códigos de barras: " << site.tables.NCodBarras() << '\n';
    return 0;
}
