#pragma once
#include <QByteArray>
#include <QString>

// The single-byte text of BIFF5 workbooks, the terminal's lists and the raw capture file.
namespace Windows1252 {

QString decode(const char* bytes, qsizetype size);
inline QString decode(const QByteArray& bytes)
{
    return decode(bytes.constData(), bytes.size());
}
// One byte a character; a character without a single-byte form becomes "?".
QByteArray encode(const QString& text);
// The same, appended to out.
void appendEncoded(QByteArray& out, QStringView text);
char encodeChar(QChar c);

} // namespace Windows1252
