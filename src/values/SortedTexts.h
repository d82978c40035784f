#pragma once
#include <QString>

#include <array>
#include <string_view>
#include <vector>

// The texts of one sort copied side by side, each with a key that orders them as QString does. A key holds
// the first sixteen characters packed (a missing character packs as 0, before any other), so most comparisons
// end there; those that go on read one block of memory rather than strings scattered over the heap.
class SortedTexts
{
public:
    struct Key
    {
        std::array<quint64, 4> packed {};
        std::u16string_view text;

        bool operator<(const Key& other) const
        {
            if (packed != other.packed)
                return packed < other.packed;
            return text < other.text;
        }
    };

    // Room for texts of that many characters in all: the keys point into it, so it never grows past.
    explicit SortedTexts(qsizetype characters);

    // The key of text, copied in; at most the characters given to the constructor in all.
    Key add(const QString& text);

private:
    std::vector<char16_t> m_chars;
};
