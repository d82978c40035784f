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
    // One pass: QString::replace moves the tail at every line of a large report.
    QChar* chars = decoded.data();
    const qsizetype size = decoded.size();
    qsizetype kept = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (chars[i] != u'\r')
            chars[kept++] = chars[i];
        else if (i + 1 == size || chars[i + 1] != u'\n')
            chars[kept++] = u'\n';
    }
    decoded.truncate(kept);
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
