#include "cli/ReportCommand.h"

#include "cli/ConsoleInteraction.h"
#include "cli/LoadedSite.h"
#include "report/InventoryReport.h"

#include <QTextStream>

#include "platform/SettingsStore.h"
#include "platform/SitePaths.h"

int ReportCommand::run(const QStringList& arguments, CommandContext& context)
{
    const bool toFile = arguments.size() == 2 && arguments.first() == u"--out";
    if (!arguments.isEmpty() && !toFile) {
        context.err << "Utilização: tarvik-cli [--workbook PATH] report [--out FICHEIRO]\n";
        return 2;
    }
    LoadedSite site(context);
    if (!site.load())
        return 1;
    const SettingsStore settings;
    const QString path = toFile ? arguments.last() : settings.value(SettingsKeys::FicheiroDeReport);
    InventoryReport report(site.tables, site.data1, context.ui);
    QString error;
    if (!report.CriarFicheiroDeInventarios(path, settings.value(SettingsKeys::NumerodeCaracteres), &error)) {
        context.err << error << '\n';
        return 1;
    }
    context.out << "Relatório: " << SitePaths::resolve(path) << '\n';
    return 0;
}
