#include "cli/SettingsCommand.h"

#include <QTextStream>

#include "platform/SettingsStore.h"
#include "platform/SitePaths.h"

int SettingsCommand::run(const QStringList& arguments, CommandContext& context)
{
    QTextStream& out = context.out;
    if (!arguments.isEmpty()) {
        context.err << "settings não aceita argumentos.\n";
        return 2;
    }
    using namespace SettingsKeys;
    const SettingsStore store;
    for (const Key& key : { COM, NomeEstabelecimento, InventariosQel, FicheiroDeReport, LinhasPorPagina,
             NumerodeCaracteres, AutoDescarrega, AutoAbrevia, Margem, CommPort, FontSize, FontName })
        out << QString::fromUtf16(key.name) << '=' << store.value(key) << '\n';
    out << "InventariosQel (ficheiro)=" << SitePaths::resolve(store.value(InventariosQel)) << '\n';
    return 0;
}
