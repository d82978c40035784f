#include "cli/ListsCommand.h"

#include "cli/ConsoleInteraction.h"
#include "cli/LoadedSite.h"
#include "terminal/TerminalLists.h"

#include <QDir>
#include <QSaveFile>
#include <QTextStream>

#include "tables/ArticleSorts.h"

int ListsCommand::run(const QStringList& arguments, CommandContext& context)
{
    if (arguments.size() != 2 || arguments.first() != u"--out") {
        context.err << "Utilização: tarvik-cli [--workbook PATH] lists --out DIR\n";
        return 2;
    }
    LoadedSite site(context);
    if (!site.load())
        return 1;
    ArticleSorts(site.tables, context.ui).OrdenarArtigos();
    const TerminalLists lists(site.tables, site.settings, context.ui);
    const QDir dir(arguments.at(1));
    if (!QDir().mkpath(dir.path())) {
        context.err << QStringLiteral("Não foi possível criar a pasta %1.").arg(dir.path()) << '\n';
        return 1;
    }
    const std::pair<const char*, QByteArray> files[]
        = { { "ListCodFamilias", lists.ListaFamilias() }, { "ListCodBarras", lists.ListaCodBarras() },
              { "ListCodArtigos", lists.ListaArtigos() }, { "ListUnidades", lists.ListaUnidades() } };
    for (const auto& [name, bytes] : files) {
        QSaveFile file(dir.filePath(QString::fromLatin1(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
            context.err << QStringLiteral("Não foi possível gravar %1: %2.").arg(file.fileName(), file.errorString())
                        << '\n';
            return 1;
        }
    }
    return 0;
}
