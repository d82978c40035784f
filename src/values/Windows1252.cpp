#include "values/Windows1252.h"

#include "values/Bytes.h"

namespace Windows1252 {

namespace {

// What the bytes 0x80 to 0x9F stand for; the others are Latin-1.
const char16_t kHigh[32] = { 0x20AC, 0x81, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D, 0x017D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122,
    0x0161, 0x203A, 0x0153, 0x9D, 0x017E, 0x0178 };

} // namespace

QString decode(const char* bytes, qsizetype size)
{
    // Through raw pointers: indexing a QString checks for sharing at every character.
    QString text(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < size; ++i) {
        const quint8 b = quint8(bytes[i]);
        out[i] = b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b);
    }
    return text;
}

char encodeChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u < 0x100))
        return char(u);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == u)
            return char(0x80 + i);
    }
    return '?';
}

QByteArray encode(const QString& text)
{
    QByteArray bytes;
    appendEncoded(bytes, text);
    return bytes;
}

void appendEncoded(QByteArray& out, QStringView text)
{
    char* to = Bytes::appendRoom(out, text.size());
    const char16_t* in = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i)
        to[i] = in[i] < 0x80 ? char(in[i]) : encodeChar(QChar(in[i]));
}

} // namespace Windows1252
