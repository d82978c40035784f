#include "workbook/xls/SharedStrings.h"

#include "workbook/xls/BiffCodec.h"

#include <cstring>
#include <new>

SharedStrings::SharedStrings(qsizetype dataSize)
{
    if (dataSize <= 0)
        return;
    // A string takes at least three bytes of header and a byte a character: this many characters and indexes
    // never need more. Pages of the block never written are never mapped.
    m_capacity = dataSize + kIndexChars * (dataSize / 3 + 1);
    const auto [block, chars] = Block::allocate(m_capacity);
    if (!block)
        throw std::bad_alloc();
    m_block = block;
    m_chars = chars;
}

SharedStrings::~SharedStrings()
{
    // The strings go first: the block goes with the last share of it, which may be this one.
    m_strings.clear();
    if (m_block && !m_block->deref())
        Block::deallocate(m_block);
}

char16_t* SharedStrings::room(qsizetype count)
{
    if (count < 0 || m_capacity - m_used < kIndexChars + count)
        throw BiffDamaged { QStringLiteral("a tabela de textos é maior do que os seus registos") };
    return m_chars + m_used + kIndexChars;
}

void SharedStrings::add(qsizetype count, QByteArray runs, QByteArray phonetic)
{
    char16_t* index = m_chars + m_used;
    const quint32 i = quint32(m_strings.size());
    std::memcpy(index, &i, sizeof i);
    m_block->ref();
    m_strings.emplace_back(
        QString(QStringPrivate(m_block, index + kIndexChars, count)), std::move(runs), std::move(phonetic));
    m_used += kIndexChars + count;
}

qsizetype SharedStrings::indexOf(const QString& text) const
{
    const auto at = quintptr(text.constData());
    if (!m_chars || at < quintptr(m_chars + kIndexChars) || at > quintptr(m_chars + m_used))
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
    if (m_lent > 0)
        m_table.m_block->ref_.fetchAndAddOrdered(m_lent);
}

QString SharedStrings::Lender::share(size_t i)
{
    const QString& text = m_table.m_strings[i].text;
    ++m_lent;
    return QString(QStringPrivate(m_table.m_block, const_cast<char16_t*>(text.data_ptr().data()), text.size()));
}
