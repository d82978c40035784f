#include "workbook/xls/SharedStrings.h"

#include <algorithm>
#include <cstring>
#include <new>

SharedStrings::~SharedStrings()
{
    // The strings go first: a block goes with the last share of it, which may be this table's own.
    m_strings.clear();
    for (Block* block : m_blocks) {
        if (!block->deref())
            Block::deallocate(block);
    }
}

char16_t* SharedStrings::room(qsizetype count)
{
    if (m_room < kIndexChars + count) {
        // A string longer than a block gets one of its own.
        const qsizetype capacity = std::max(kBlockChars, kIndexChars + count);
        const auto [block, chars] = Block::allocate(capacity);
        if (!block)
            throw std::bad_alloc();
        m_blocks.push_back(block);
        m_free = chars;
        m_room = capacity;
    }
    return m_free + kIndexChars;
}

void SharedStrings::add(qsizetype count, QByteArray runs, QByteArray phonetic)
{
    const quint32 i = quint32(m_strings.size());
    std::memcpy(m_free, &i, sizeof i);
    Block* block = m_blocks.back();
    block->ref();
    m_strings.emplace_back(
        QString(QStringPrivate(block, m_free + kIndexChars, count)), std::move(runs), std::move(phonetic));
    m_blockOf.push_back(quint32(m_blocks.size() - 1));
    m_free += kIndexChars + count;
    m_room -= kIndexChars + count;
}

qsizetype SharedStrings::indexOf(const QString& text) const
{
    // Only a string with room before it in its own memory can have an index there to read.
    if (text.data_ptr().freeSpaceAtBegin() < kIndexChars)
        return -1;
    quint32 i = 0;
    std::memcpy(&i, text.constData() - kIndexChars, sizeof i);
    // Characters that only look like an index are told apart by the string they would be.
    if (i >= m_strings.size() || m_strings[i].text.constData() != text.constData()
        || m_strings[i].text.size() != text.size())
        return -1;
    return qsizetype(i);
}

SharedStrings::Lender::~Lender()
{
    for (size_t b = 0; b < m_lent.size(); ++b) {
        if (m_lent[b] > 0)
            m_table.m_blocks[b]->ref_.fetchAndAddOrdered(m_lent[b]);
    }
}

QString SharedStrings::Lender::share(size_t i)
{
    const quint32 block = m_table.m_blockOf[i];
    ++m_lent[block];
    const QString& text = m_table.m_strings[i].text;
    return QString(QStringPrivate(m_table.m_blocks[block], const_cast<char16_t*>(text.data_ptr().data()), text.size()));
}
