#include "cli/ListsCommand.h"

#include "cli/ConsoleInteraction.h"
#include "site/Site.h"
#include "tables/ArticleSorts.h"
#include "terminal/TerminalLists.h"

#include <QDir>
#include <QSaveFile>

bool ListsCommand::accepts(const QStringList& arguments) const
{
    return arguments.size() == 2 && arguments.first() == u"--out";
}

CommandResult ListsCommand::executeOnSite(Site& site, const QStringList& arguments, CommandContext& context)
{
    ArticleSorts(site.tables(), context.ui).OrdenarArtigos();
    const TerminalLists lists(site.tables(), site.settings(), context.ui);
    const QDir dir(sitePath(arguments.at(1)));
    if (!QDir().mkpath(dir.path()))
        return CommandResult::failed(QStringLiteral("Não foi possível criar a pasta %1.").arg(dir.path()));
    const std::pair<const char*, QByteArray> files[]
        = { { "ListCodFamilias", lists.ListaFamilias() }, { "ListCodBarras", lists.ListaCodBarras() },
              { "ListCodArtigos", lists.ListaArtigos() }, { "ListUnidades", lists.ListaUnidades() } };
    for (const auto& [name, bytes] : files) {
        QSaveFile file(dir.filePath(QString::fromLatin1(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            return CommandResult::failed(
                QStringLiteral("Não foi possível gravar %1: %2.").arg(file.fileName(), file.errorString()));
    }
    return CommandResult::done();
}
