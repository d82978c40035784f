#include "workbook/xls/SubstreamRecords.h"

#include "workbook/xls/BiffCodec.h"

SubstreamRecords::SubstreamRecords(const QByteArray& stream, qsizetype offset)
    : m_stream(stream)
{
    // Counted first: a sheet of a million records would otherwise leave the vector up to twice too large.
    size_t count = 0;
    BiffRecord r;
    for (qsizetype pos = offset, depth = 0;;) {
        BiffCodec::nextRecord(stream, &pos, &r);
        ++count;
        depth += r.id == BiffId::Bof ? 1 : r.id == BiffId::Eof ? -1 : 0;
        if (depth <= 0)
            break;
    }
    m_entries.resize(count);
    qsizetype pos = offset;
    for (Entry& e : m_entries) {
        BiffCodec::nextRecord(stream, &pos, &r);
        e = { r.id, quint16(r.data.size()), quint32(r.data.constData() - stream.constData()) };
    }
}

SubstreamRecords::SubstreamRecords(const std::vector<BiffRecord>& records)
{
    for (const BiffRecord& r : records) {
        BiffCodec::appendRecord(m_stream, r.id, r.data);
        m_entries.push_back({ r.id, quint16(r.data.size()), quint32(m_stream.size() - r.data.size()) });
    }
}
