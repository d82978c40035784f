#include "cli/SettingsCommand.h"

#include "platform/SettingsStore.h"
#include "platform/SitePaths.h"

#include <QTextStream>

CommandResult SettingsCommand::execute(const QStringList&, CommandContext& context)
{
    using namespace SettingsKeys;
    const SettingsStore store;
    for (const Key& key : { COM, NomeEstabelecimento, InventariosQel, FicheiroDeReport, LinhasPorPagina,
             NumerodeCaracteres, AutoDescarrega, AutoAbrevia, Margem, CommPort, FontSize, FontName })
        context.out << QString::fromUtf16(key.name) << '=' << store.value(key) << '\n';
    context.out << "InventariosQel (ficheiro)=" << SitePaths::resolve(store.value(InventariosQel)) << '\n';
    return CommandResult::done();
}
