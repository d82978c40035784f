#pragma once
#include "values/Bytes.h"
#include "workbook/xls/BiffRecord.h"

#include <QByteArray>
#include <QString>
#include <QtEndian>

// Thrown while reading a stream for data that cannot be what it claims; XlsReader catches it and names the file.
struct BiffDamaged
{
    QString what;
};

// The little-endian fields of BIFF records, and whole records in a stream.
namespace BiffCodec {

// Throws BiffDamaged: the field at `at` does not fit in d.
[[noreturn]] void throwIncomplete();

inline quint16 read16(const QByteArray& d, qsizetype at)
{
    if (at < 0 || at + 2 > d.size())
        throwIncomplete();
    return quint16(quint8(d[at]) | quint8(d[at + 1]) << 8);
}

inline quint32 read32(const QByteArray& d, qsizetype at)
{
    return quint32(read16(d, at)) | quint32(read16(d, at + 2)) << 16;
}

double readDouble(const QByteArray& d, qsizetype at);
// An RK field: a 30-bit integer or the high 30 bits of a double, divided by 100 when its low bit says so.
double rkValue(quint32 rk);

inline void put16(QByteArray& d, qsizetype at, quint16 v)
{
    d[at] = char(v & 0xFF);
    d[at + 1] = char(v >> 8);
}

inline void put32(QByteArray& d, qsizetype at, quint32 v)
{
    put16(d, at, quint16(v & 0xFFFF));
    put16(d, at + 2, quint16(v >> 16));
}

inline void append16(QByteArray& d, quint16 v)
{
    char* p = Bytes::appendRoom(d, 2);
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

inline void append32(QByteArray& d, quint32 v)
{
    char* p = Bytes::appendRoom(d, 4);
    for (int i = 0; i < 4; ++i)
        p[i] = char(v >> (8 * i) & 0xFF);
}

void appendDouble(QByteArray& d, double v);

// Id, length, then the data.
void appendRecord(QByteArray& out, quint16 id, const QByteArray& data);
// The head of a cell record (id, length, row, column, XF) whose value of valueSize bytes the caller appends next.
// Inline: a save writes one for each of a million cells.
inline void appendCellHead(QByteArray& out, quint16 id, quint16 row, quint16 col, quint16 xf, qsizetype valueSize)
{
    const quint16 fields[5] = { id, quint16(Biff::kCellHeaderSize + valueSize), row, col, xf };
    qToLittleEndian<quint16>(fields, 5, Bytes::appendRoom(out, Biff::kRecordHeaderSize + Biff::kCellHeaderSize));
}

enum class RecordRead
{
    Ok,
    NoHeader, // fewer than the 4 bytes of a header left
    PastEnd, // the data runs past the end of the stream
};
// Throws BiffDamaged for a record that could not be read.
[[noreturn]] void throwUnreadRecord(RecordRead read);

// The header of a record: its id, the length of its data and where that starts in the stream.
struct RecordHead
{
    quint16 id = 0;
    quint16 size = 0;
    qsizetype dataAt = 0;
};

// The header of the record at pos, whose data must lie within stream too.
inline RecordRead readHead(const QByteArray& stream, qsizetype pos, RecordHead* head)
{
    if (pos < 0 || pos + Biff::kRecordHeaderSize > stream.size())
        return RecordRead::NoHeader;
    const auto* header = reinterpret_cast<const uchar*>(stream.constData() + pos);
    head->id = quint16(header[0] | header[1] << 8);
    head->size = quint16(header[2] | header[3] << 8);
    head->dataAt = pos + Biff::kRecordHeaderSize;
    return head->dataAt + head->size > stream.size() ? RecordRead::PastEnd : RecordRead::Ok;
}

// The record at *pos, its data a view into stream (which must outlive it); on Ok, *pos moves past it.
// Inline: a full workbook has over a million records, read once when loaded and again when saved.
inline RecordRead readRecord(const QByteArray& stream, qsizetype* pos, BiffRecord* record)
{
    RecordHead head;
    if (const RecordRead read = readHead(stream, *pos, &head); read != RecordRead::Ok)
        return read;
    record->id = head.id;
    record->data = QByteArray::fromRawData(stream.constData() + head.dataAt, head.size);
    *pos = head.dataAt + head.size;
    return RecordRead::Ok;
}

// As readRecord, but a stream that ends first throws BiffDamaged.
inline void nextRecord(const QByteArray& stream, qsizetype* pos, BiffRecord* record)
{
    if (const RecordRead read = readRecord(stream, pos, record); read != RecordRead::Ok)
        throwUnreadRecord(read);
}

} // namespace BiffCodec
