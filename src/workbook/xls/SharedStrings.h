#pragma once
#include "workbook/xls/XlsString.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The shared-string table of a workbook as read. The characters of all its strings lie in one block, each
// string's index just before them: a text that still shares a string of the table is found by its address
// rather than by a hash of its characters, and a save goes through the table's strings in order in memory.
class SharedStrings
{
public:
    // Room for the strings that at most dataSize bytes of records hold.
    explicit SharedStrings(qsizetype dataSize = 0);
    ~SharedStrings();
    SharedStrings(const SharedStrings&) = delete;
    SharedStrings& operator=(const SharedStrings&) = delete;

    // Where the next string's count characters go; add() then takes them as a string of the table. Throws
    // BiffDamaged past the room made.
    char16_t* room(qsizetype count);
    void add(qsizetype count, QByteArray runs, QByteArray phonetic);

    void reserve(size_t count) { m_strings.reserve(count); }
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

    // Hands out shares of the table's strings for the cells of one sheet. The block's count of shares is
    // raised once, when the lender goes, not once a cell: the threads that read sheets side by side would
    // otherwise take turns at one counter a million times. No share may be let go before then.
    class Lender
    {
    public:
        explicit Lender(const SharedStrings& table)
            : m_table(table)
        {
        }
        ~Lender();
        Lender(const Lender&) = delete;
        Lender& operator=(const Lender&) = delete;

        QString share(size_t i);

    private:
        const SharedStrings& m_table;
        int m_lent = 0;
    };

private:
    using Block = QTypedArrayData<char16_t>;
    static constexpr qsizetype kIndexChars = 2; // a string's index, in the characters before its own

    std::vector<XlsString> m_strings;
    Block* m_block = nullptr;
    char16_t* m_chars = nullptr;
    qsizetype m_used = 0;
    qsizetype m_capacity = 0;
};
