#include "tables/TextShaping.h"

#include "values/Conversions.h"

#include <array>
#include <string_view>

namespace TextShaping {

namespace {

// Every accented character of the table lies in Latin-1, so one 256-entry map covers them.
char16_t plainFor(char16_t c)
{
    static const auto map = [] {
        std::array<char16_t, 256> m {};
        for (char16_t i = 0; i < 256; ++i)
            m[i] = i;
        const std::u16string_view from = u"ãâäáàÃÂÄÁÀêëéèÊËÉÈîïíìÎÏÍÌõôöóòÕÔÖÓÒûüúùÛÜÚÙñÑÿýÝç¢Çºª";
        const std::u16string_view to = u"aaaaaAAAAAeeeeEEEEiiiiIIIIoooooOOOOOuuuuUUUUnNyyYccC..";
        for (size_t k = 0; k < from.size(); ++k)
            m[from[k]] = to[k];
        return m;
    }();
    return c < 256 ? map[c] : c;
}

bool separatesWords(QChar c)
{
    return c == u' ' || c == u'/' || c == u'.';
}

// Whether the leading part of a word, ending at its character `last`, begins with a number other than 0.
bool beginsWithNonZero(const QString& s, qsizetype start, qsizetype last)
{
    // Skips the number reading for the usual word, one that begins with a letter.
    const QChar first = s.at(start);
    if (first.isLetter())
        return false;
    return Conversions::numericValue(s.mid(start, last - start + 1)) != 0;
}

struct Part
{
    qsizetype start = -1;
    qsizetype length = 0;
};

// The longest leading part of a word that is worth 0; the earlier one of two as long.
Part longestWordPart(const QString& s)
{
    Part best;
    qsizetype i = 0;
    while (i < s.size()) {
        if (separatesWords(s.at(i))) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < s.size() && !separatesWords(s.at(end)))
            ++end;
        // Longest first: the first part worth 0 is the one a scan from the word's start would keep last.
        for (qsizetype last = end - 1; last - i + 1 > best.length; --last) {
            if (!beginsWithNonZero(s, i, last)) {
                best = { i, last - i + 1 };
                break;
            }
        }
        i = end;
    }
    return best;
}

} // namespace

QString TiraAcentos(const QString& text)
{
    QString plain = text;
    for (QChar& c : plain)
        c = QChar(plainFor(c.unicode()));
    return plain;
}

QString RetiraEspacosDuplos(const QString& text)
{
    const QString trimmed = Conversions::trimBlanks(text);
    QString single;
    single.reserve(trimmed.size());
    for (QChar c : trimmed) {
        if (c != u' ' || single.isEmpty() || single.back() != u' ')
            single.append(c);
    }
    return single;
}

QString RetiraCaracter(const QString& text, int p)
{
    if (p < 1 || p > text.size())
        return Conversions::trimBlanks(text);
    QString shorter = text;
    shorter.remove(p - 1, 1);
    return Conversions::trimBlanks(shorter);
}

QString AbreviaDescricao(const QString& text, qint16 n)
{
    const qsizetype limit = n < 0 ? 0 : n;
    QString s = RetiraEspacosDuplos(text);
    while (s.size() > limit) {
        const Part best = longestWordPart(s);
        if (best.start < 0)
            return text.left(limit);
        const qsizetype after = best.start + best.length;
        if (after == s.size())
            s.append(u'.');
        else if (s.at(after) == u'.')
            s = RetiraCaracter(s, int(after));
        else
            s[after] = u'.';
        s = Conversions::trimBlanks(s);
    }
    return s;
}

} // namespace TextShaping
