#include "platform/SitePaths.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

namespace SitePaths {

QString dataRoot()
{
    const QString home = qEnvironmentVariable("TARVIK_HOME");
    if (!home.isEmpty())
        return QDir(home).absolutePath();
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Tarvik"));
}

QString resolve(const QString& path)
{
#ifdef Q_OS_WIN
    return path;
#else
    static const QRegularExpression drivePath(QStringLiteral("^([A-Za-z]):[\\\\/]?(.*)$"));
    const QRegularExpressionMatch m = drivePath.match(path);
    if (!m.hasMatch())
        return path;
    QString rest = m.captured(2);
    rest.replace(u'\\', u'/');
    return QDir(dataRoot()).filePath(m.captured(1).toLower() + u'/' + rest);
#endif
}

} // namespace SitePaths
