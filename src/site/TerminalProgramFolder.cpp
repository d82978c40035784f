#include "site/TerminalProgramFolder.h"

#include "platform/SitePaths.h"

#include <QDir>
#include <QFile>

namespace TerminalProgramFolder {

QString path()
{
    return SitePaths::resolve(QStringLiteral("c:\\qel\\bin_offline"));
}

void refresh(const QString& programFolder)
{
    QDir folder(path());
    folder.mkpath(QStringLiteral("."));
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        folder.remove(name);
    for (const QString& name : { QStringLiteral("Tarvik.bin"), QStringLiteral("Tarvik.hea") })
        QFile::copy(QDir(programFolder).filePath(name), folder.filePath(name));
}

} // namespace TerminalProgramFolder
