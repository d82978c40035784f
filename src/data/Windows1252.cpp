#include "data/Windows1252.h"

#include <QHash>

namespace Windows1252 {

namespace {

// The characters of bytes 0x80-0x9F; the five bytes the code page leaves unused stand for themselves.
constexpr char16_t kHigh[32] = { 0x20AC, 0x81, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D, 0x017D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122,
    0x0161, 0x203A, 0x0153, 0x9D, 0x017E, 0x0178 };

} // namespace

QByteArray encode(const QString& text)
{
    static const QHash<char16_t, char> high = [] {
        QHash<char16_t, char> h;
        for (int i = 0; i < 32; ++i)
            h.insert(kHigh[i], char(0x80 + i));
        return h;
    }();
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (QChar c : text) {
        const char16_t u = c.unicode();
        *out++ = u < 0x80 || (u >= 0xA0 && u < 0x100) ? char(u) : high.value(u, '?');
    }
    return bytes;
}

QString decode(const char* bytes, qsizetype size)
{
    QString text(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        const quint8 b = quint8(bytes[i]);
        text[i] = QChar(b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b));
    }
    return text;
}

} // namespace Windows1252
