#include "values/SortedTexts.h"

SortedTexts::SortedTexts(qsizetype characters)
{
    m_chars.reserve(size_t(characters));
}

SortedTexts::Key SortedTexts::add(const QString& text)
{
    Q_ASSERT(m_chars.size() + size_t(text.size()) <= m_chars.capacity());
    const size_t at = m_chars.size();
    const char16_t* chars = reinterpret_cast<const char16_t*>(text.constData());
    m_chars.insert(m_chars.end(), chars, chars + text.size());
    Key key;
    key.text = std::u16string_view(m_chars.data() + at, size_t(text.size()));
    for (size_t i = 0; i < key.packed.size() * 4 && i < key.text.size(); ++i)
        key.packed[i / 4] |= quint64(key.text[i]) << (16 * (3 - i % 4));
    return key;
}
