#include "report/ReportFile.h"

#include "platform/AtomicFile.h"
#include "values/Windows1252.h"

#include <QFile>

namespace ReportFile {

bool read(const QString& path, QString* text, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Não foi possível ler o relatório %1: %2.").arg(path, file.errorString());
        return false;
    }
    QString decoded = Windows1252::decode(file.readAll());
    decoded.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    decoded.replace(u'\r', u'\n');
    *text = decoded;
    return true;
}

bool write(const QString& path, const QString& text, QString* error)
{
    QString crlf = text;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    return AtomicFile::replace(path, Windows1252::encode(crlf), error);
}

} // namespace ReportFile
