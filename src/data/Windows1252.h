#pragma once
#include <QByteArray>
#include <QString>

// The single-byte code page of the site's text files and of BIFF5 workbooks: Latin-1 but for 0x80-0x9F.
namespace Windows1252 {

// One byte per character; "?" for a character the code page does not have.
QByteArray encode(const QString& text);
QString decode(const char* bytes, qsizetype size);

} // namespace Windows1252
