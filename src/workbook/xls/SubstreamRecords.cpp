#include "workbook/xls/SubstreamRecords.h"

#include "workbook/xls/BiffCodec.h"

SubstreamRecords::SubstreamRecords(const QByteArray& stream, qsizetype offset)
    : m_stream(stream)
{
    // Only the headers are read: a full sheet has over a million records.
    const auto walk = [&](auto&& take) {
        BiffCodec::RecordHead head;
        for (qsizetype pos = offset, depth = 0;;) {
            if (const auto read = BiffCodec::readHead(stream, pos, &head); read != BiffCodec::RecordRead::Ok)
                BiffCodec::throwUnreadRecord(read);
            take(Entry { head.id, head.size, quint32(head.dataAt) });
            pos = head.dataAt + head.size;
            depth += head.id == BiffId::Bof ? 1 : head.id == BiffId::Eof ? -1 : 0;
            if (depth <= 0)
                break;
        }
    };
    // Counted first: a sheet of a million records would otherwise leave the vector up to twice too large.
    size_t count = 0;
    walk([&](const Entry&) { ++count; });
    m_entries.reserve(count);
    walk([&](const Entry& e) { m_entries.push_back(e); });
}

SubstreamRecords::SubstreamRecords(const std::vector<BiffRecord>& records)
{
    for (const BiffRecord& r : records) {
        BiffCodec::appendRecord(m_stream, r.id, r.data);
        m_entries.push_back({ r.id, quint16(r.data.size()), quint32(m_stream.size() - r.data.size()) });
    }
}
