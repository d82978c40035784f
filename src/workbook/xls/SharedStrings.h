#pragma once
#include "workbook/xls/XlsString.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The shared-string table of a workbook as read. Its strings lie side by side in blocks of a few kilobytes, each
// just after its index: a text that still shares a string of the table is found by its address rather than by
// a hash of its characters, and a save goes through the table's strings in order in memory. The blocks stay
// small because Qt lets a string that grows keep the room before it in its block.
class SharedStrings
{
public:
    SharedStrings() = default;
    ~SharedStrings();
    SharedStrings(const SharedStrings&) = delete;
    SharedStrings& operator=(const SharedStrings&) = delete;

    // Where the next string's count characters go; add() then takes them as a string of the table.
    char16_t* room(qsizetype count);
    void add(qsizetype count, QByteArray runs, QByteArray phonetic);

    void reserve(size_t count)
    {
        m_strings.reserve(count);
        m_blockOf.reserve(count);
    }
    size_t size() const { return m_strings.size(); }
    const XlsString& operator[](size_t i) const { return m_strings[i]; }
    std::vector<XlsString>::const_iterator begin() const { return m_strings.begin(); }
    std::vector<XlsString>::const_iterator end() const { return m_strings.end(); }

    // The index of the string whose characters text shares, -1 when it shares none of this table's.
    qsizetype indexOf(const QString& text) const;
    // Asks for what indexOf(text) reads, which lies at random in a large table, some time before it is read.
    static void prefetchIndexOf(const QString& text)
    {
#if defined(__GNUC__)
        __builtin_prefetch(reinterpret_cast<const void*>(quintptr(text.constData()) - sizeof(char16_t) * kIndexChars));
#else
        Q_UNUSED(text);
#endif
    }

    // Hands out shares of the table's strings for the cells of one sheet. A block's count of shares is raised
    // once, when the lender goes, not once a cell: the threads that read sheets side by side would otherwise
    // take turns at the same counters a million times. No share may be let go before then.
    class Lender
    {
    public:
        explicit Lender(const SharedStrings& table)
            : m_table(table)
            , m_lent(table.m_blocks.size(), 0)
        {
        }
        ~Lender();
        Lender(const Lender&) = delete;
        Lender& operator=(const Lender&) = delete;

        QString share(size_t i);

    private:
        const SharedStrings& m_table;
        std::vector<int> m_lent; // by block
    };

private:
    using Block = QTypedArrayData<char16_t>;
    static constexpr qsizetype kIndexChars = 2; // a string's index, in the characters before its own
    static constexpr qsizetype kBlockChars = 1024;

    std::vector<XlsString> m_strings;
    std::vector<quint32> m_blockOf; // of each string
    std::vector<Block*> m_blocks;
    char16_t* m_free = nullptr; // in the last block
    qsizetype m_room = 0; // characters left there
};
