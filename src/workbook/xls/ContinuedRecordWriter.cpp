#include "workbook/xls/ContinuedRecordWriter.h"

#include "values/Bytes.h"
#include "workbook/xls/BiffCodec.h"

#include <algorithm>

namespace {

bool fitsLatin1(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
}

} // namespace

ContinuedRecordWriter::ContinuedRecordWriter(quint16 id, qsizetype streamOffset, qsizetype maxData)
    : m_id(id)
    , m_maxData(maxData)
    , m_recordStart(streamOffset)
    , m_records(1)
{
    // Each record is filled to its limit, so it is made that large at once rather than grown.
    m_records.back().reserve(m_maxData);
}

void ContinuedRecordWriter::append(const QByteArray& bytes)
{
    appendSplit(bytes.constData(), bytes.size());
}

ContinuedRecordWriter::Position ContinuedRecordWriter::appendString(
    const QString& text, const QByteArray& runs, const QByteArray& phonetic)
{
    // Straight into the record, without pieces of its own: a save writes a few hundred thousand strings.
    const bool wide = !fitsLatin1(text);
    char header[9];
    qsizetype headerSize = 0;
    const auto put = [&](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            header[headerSize++] = char(value >> (8 * i) & 0xFF);
    };
    put(quint16(text.size()), 2);
    put(quint8((wide ? Biff::kStringWide : 0) | (runs.isEmpty() ? 0 : Biff::kStringRich)
            | (phonetic.isEmpty() ? 0 : Biff::kStringPhonetic)),
        1);
    if (!runs.isEmpty())
        put(quint16(runs.size() / Biff::kRichTextRunSize), 2);
    if (!phonetic.isEmpty())
        put(quint32(phonetic.size()), 4);
    const qsizetype width = wide ? 2 : 1;
    // The header and the first character stay together.
    if (room() < headerSize + width)
        startContinue();
    const qsizetype inRecord = Biff::kRecordHeaderSize + m_records.back().size();
    const Position start { m_recordStart + inRecord, inRecord };
    Bytes::append(m_records.back(), header, headerSize);
    const char16_t* chars = reinterpret_cast<const char16_t*>(text.constData());
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype take = std::min(text.size() - at, room() / width);
        if (take == 0) {
            startContinue();
            m_records.back().append(char(wide ? Biff::kStringWide : 0));
            continue;
        }
        QByteArray& record = m_records.back();
        if (wide) {
            Bytes::append(record, chars + at, take * 2);
        } else {
            std::transform(
                chars + at, chars + at + take, Bytes::appendRoom(record, take), [](char16_t c) { return char(c); });
        }
        at += take;
    }
    appendSplit(runs.constData(), runs.size());
    appendSplit(phonetic.constData(), phonetic.size());
    return start;
}

void ContinuedRecordWriter::writeTo(QByteArray& out) const
{
    for (size_t r = 0; r < m_records.size(); ++r)
        BiffCodec::appendRecord(out, r == 0 ? m_id : BiffId::Continue, m_records[r]);
}

qsizetype ContinuedRecordWriter::room() const
{
    return m_maxData - m_records.back().size();
}

void ContinuedRecordWriter::startContinue()
{
    m_recordStart += Biff::kRecordHeaderSize + m_records.back().size();
    m_records.emplace_back().reserve(m_maxData);
}

void ContinuedRecordWriter::appendSplit(const char* data, qsizetype size)
{
    qsizetype done = 0;
    while (done < size) {
        if (room() == 0)
            startContinue();
        const qsizetype take = std::min(size - done, room());
        m_records.back().append(data + done, take);
        done += take;
    }
}
