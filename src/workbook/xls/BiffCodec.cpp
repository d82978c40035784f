#include "workbook/xls/BiffCodec.h"

#include "values/Bytes.h"

#include <cstring>

namespace BiffCodec {

void throwIncomplete()
{
    throw BiffDamaged { QStringLiteral("registo incompleto") };
}

double readDouble(const QByteArray& d, qsizetype at)
{
    if (at < 0 || at + 8 > d.size())
        throwIncomplete();
    quint64 bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | quint8(d[at + i]);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

double rkValue(quint32 rk)
{
    double v;
    if (rk & 0x02) {
        v = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return (rk & 0x01) ? v / 100.0 : v;
}

void appendDouble(QByteArray& d, double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    char* p = Bytes::appendRoom(d, 8);
    for (int i = 0; i < 8; ++i)
        p[i] = char(bits >> (8 * i) & 0xFF);
}

void appendRecord(QByteArray& out, quint16 id, const QByteArray& data)
{
    // One append, not three: a save writes a million records.
    char* p = Bytes::appendRoom(out, Biff::kRecordHeaderSize + data.size());
    const quint16 header[2] = { id, quint16(data.size()) };
    for (int i = 0; i < 2; ++i) {
        p[2 * i] = char(header[i] & 0xFF);
        p[2 * i + 1] = char(header[i] >> 8);
    }
    if (!data.isEmpty())
        std::memcpy(p + Biff::kRecordHeaderSize, data.constData(), size_t(data.size()));
}

void throwUnreadRecord(RecordRead read)
{
    if (read == RecordRead::NoHeader)
        throw BiffDamaged { QStringLiteral("o livro termina antes do fim de uma folha") };
    throw BiffDamaged { QStringLiteral("um registo passa do fim do ficheiro") };
}

} // namespace BiffCodec
