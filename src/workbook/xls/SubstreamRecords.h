#pragma once
#include "workbook/xls/BiffRecord.h"

#include <QByteArray>

#include <iterator>
#include <vector>

// The records of one substream, BOF to EOF, as places in the stream they lie in: 8 bytes a record rather than
// the 32 of a view, for the million records of a full sheet. A record is handed out as a view into the stream.
class SubstreamRecords
{
public:
    SubstreamRecords() = default;
    // From offset (a BOF) to the EOF that closes its substream, charts inside a sheet included; stream is
    // shared, not copied. Throws BiffDamaged when the stream ends first.
    SubstreamRecords(const QByteArray& stream, qsizetype offset);
    // Records made in memory, laid out in a stream of their own.
    explicit SubstreamRecords(const std::vector<BiffRecord>& records);

    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    quint16 id(size_t i) const { return m_entries[i].id; }
    BiffRecord operator[](size_t i) const
    {
        const Entry& e = m_entries[i];
        return { e.id, QByteArray::fromRawData(m_stream.constData() + e.dataAt, e.size) };
    }
    BiffRecord back() const { return (*this)[size() - 1]; }

    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = BiffRecord;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = BiffRecord;

        const_iterator() = default;
        const_iterator(const SubstreamRecords& records, size_t i)
            : m_records(&records)
            , m_i(i)
        {
        }
        BiffRecord operator*() const { return (*m_records)[m_i]; }
        const_iterator& operator++()
        {
            ++m_i;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator was = *this;
            ++m_i;
            return was;
        }
        bool operator==(const const_iterator& other) const { return m_i == other.m_i; }

    private:
        const SubstreamRecords* m_records = nullptr;
        size_t m_i = 0;
    };
    const_iterator begin() const { return { *this, 0 }; }
    const_iterator end() const { return { *this, size() }; }

private:
    struct Entry
    {
        quint16 id;
        quint16 size; // a record's length field has 16 bits
        quint32 dataAt; // BOUNDSHEET offsets have 32 bits: no stream we write back is longer
    };

    QByteArray m_stream;
    std::vector<Entry> m_entries;
};
