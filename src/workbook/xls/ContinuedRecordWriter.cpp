#include "workbook/xls/ContinuedRecordWriter.h"

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
}

void ContinuedRecordWriter::append(const QByteArray& bytes)
{
    appendSplit(bytes.constData(), bytes.size());
}

ContinuedRecordWriter::Position ContinuedRecordWriter::appendString(
    const QString& text, const QByteArray& runs, const QByteArray& phonetic)
{
    const bool wide = !fitsLatin1(text);
    QByteArray header;
    BiffCodec::append16(header, quint16(text.size()));
    header.append(char((wide ? Biff::kStringWide : 0) | (runs.isEmpty() ? 0 : Biff::kStringRich)
        | (phonetic.isEmpty() ? 0 : Biff::kStringPhonetic)));
    if (!runs.isEmpty())
        BiffCodec::append16(header, quint16(runs.size() / Biff::kRichTextRunSize));
    if (!phonetic.isEmpty())
        BiffCodec::append32(header, quint32(phonetic.size()));
    const qsizetype width = wide ? 2 : 1;
    // The header and the first character stay together.
    if (room() < header.size() + width)
        startContinue();
    const qsizetype inRecord = Biff::kRecordHeaderSize + m_records.back().size();
    const Position start { m_recordStart + inRecord, inRecord };
    m_records.back().append(header);
    const QByteArray chars
        = wide ? QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2) : text.toLatin1();
    qsizetype at = 0;
    while (at < chars.size()) {
        const qsizetype take = std::min(chars.size() - at, room() / width * width);
        if (take == 0) {
            startContinue();
            m_records.back().append(char(wide ? Biff::kStringWide : 0));
            continue;
        }
        m_records.back().append(chars.constData() + at, take);
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
    m_records.emplace_back();
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
